#include "core/internal.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  // No usable HOME: the folder of the user's account, never a folder shared with other users.
  if (const passwd* account = ::getpwuid(::getuid());
      account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/') {
    return account->pw_dir;
  }
  throw qel::QelError(76, "",  // Path not found

                      "The home folder is not known: HOME is not set and the user account "
                      "names none.");
}

std::filesystem::path UserFolder(const char* variable, const char* fallbackBelowHome) {
  std::filesystem::path base;
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') {
    base = value;
  } else {
    base = HomeFolder() / fallbackBelowHome;
  }
  std::filesystem::path folder = base / "qel-paystave";
  std::error_code ec;
  std::filesystem::create_directories(base, ec);
  // The program's own folder of the user: no one else may look into it, open its files (and so
  // hold their locks) or put files there. One that an earlier version made open to others is
  // closed to them, when it is the user's own folder and not a link.
  if (::mkdir(folder.c_str(), 0700) != 0 && errno == EEXIST) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0) {
      ::fchmod(fd, st.st_mode & 07700);
    }
    if (fd >= 0) ::close(fd);
  }
  return folder;
}

std::string DocumentsFolder() {
  std::error_code ec;
  const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
  if (documents != nullptr && documents[0] == '/' && std::filesystem::is_directory(documents, ec)) {
    return documents;
  }
  try {
    std::filesystem::path home = HomeFolder();
    if (std::filesystem::is_directory(home / "Documents", ec)) return (home / "Documents").string();
    return home.string();
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace corvala::detail

namespace corvala {

std::string Dialogs::DocumentsFolder() {
  return detail::DocumentsFolder();
}

}  // namespace corvala
