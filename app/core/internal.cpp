#include "core/internal.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "headless/headless.h"

namespace corvala::detail {

Dialogs& Dlg(App& app) {
  if (app.platform.dialogs != nullptr) return *app.platform.dialogs;
  static headless::StderrDialogs fallback;
  return fallback;
}

ostrand::_WhBusObj& Obj(App& app) {
  if (!app.state.withholding) {
    throw qel::QelError(91, "", "There is no withholding object.");
  }
  return *app.state.withholding;
}

std::string PrefRead(App& app, const std::string& section, const std::string& key,
                     const std::string& defaultValue) {
  if (app.platform.preferences == nullptr) return defaultValue;
  return app.platform.preferences->Read(section, key, defaultValue);
}

void PrefWrite(App& app, const std::string& section, const std::string& key,
               const std::string& value) {
  if (app.platform.preferences != nullptr) app.platform.preferences->Write(section, key, value);
}

void Warn(App& app, const std::string& text) {
  Dlg(app).MessageBox(text, Buttons::OK, Icon::Exclamation, "WARNING");
}

bool FolderWritable(const std::filesystem::path& folder, const std::filesystem::path& file) {
  std::error_code ec;
  if (!file.empty() && std::filesystem::exists(file, ec)) {
    return ::access(file.c_str(), W_OK) == 0;
  }
  return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path UserFolder(const char* variable, const char* fallbackBelowHome) {
  std::filesystem::path base;
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') {
    base = value;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home != nullptr && home[0] != '\0' ? home : "/tmp") /
           fallbackBelowHome;
  }
  std::filesystem::path folder = base / "qel-paystave";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

}  // namespace corvala::detail
