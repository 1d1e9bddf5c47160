// A program state on the recording platform, for tests of the program's logic.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/app.h"
#include "core/main_mod.h"
#include "corvala_testing/doubles.h"
#include "headless/headless.h"
#include "qel_testing/temp_folder.h"

namespace corvala::testing {

using TempFolder = qel::testing::TempFolder;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

struct TestApp {
  TempFolder folder;
  headless::ScriptedDialogs dialogs;
  headless::RecordingWindow window;
  headless::RecordingReportUi ui;
  headless::MemorySettings prefs;
  headless::MemorySettings user;
  headless::FixedClock clock;
  headless::ThrowingProcess process;
  App app;

  TestApp() {
    // Per-user files of the run stay inside the test's folder.
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    std::filesystem::create_directories(folder / "Documents");
    dialogs.documentsFolder = (folder / "Documents").string();
    app.programFolder = folder.path();
    app.platform = Platform{&dialogs, &window, &ui, &prefs, &user, &clock, &process};
    app.state.errorReporter = std::make_unique<ErrorReporter>(app);
    app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    MainMod::BuildVersions(app.state);
    app.state.DataSaved = true;
  }
  ostrand::_WhBusObj& obj() { return *app.state.withholding; }
  std::string path(const std::string& name) const { return folder / name; }
};

// Runs `body`, which must end the program; returns the exit status it ended with.
template <typename F>
int EndsWith(F&& body) {
  try {
    body();
  } catch (const headless::ProcessExited& e) {
    return e.status;
  }
  ADD_FAILURE() << "the program did not end";
  return -999;
}

}  // namespace corvala::testing
