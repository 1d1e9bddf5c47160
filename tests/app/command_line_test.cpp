// The command line, the interactive start-up course and the end of the program.
#include <gtest/gtest.h>

#include "core/file_operations.h"
#include "core/help_support.h"
#include "core/main_mod.h"
#include "test_app.h"

namespace corvala {
namespace {

using testing::EndsWith;
using testing::TestApp;

TEST(CommandLine, FileNamesAreTakenThroughTheFirstExtension) {
  struct Row {
    const char* line;
    const char* ext;
    const char* sw;
    const char* expected;
  };
  const Row rows[] = {
      {"/silent /input /data/smith.zov /output /out/smith.txt", ".zov", "/input",
       "/data/smith.zov"},
      {"/silent /input /data/smith.zov /output /out/smith.txt", ".txt", "/output",
       "/out/smith.txt"},
      // Pairs in any order, switches in any case, names keep their case.
      {"/OUTPUT /Out/R.TXT /Input /Data/A.ZOV /Silent", ".zov", "/input", "/Data/A.ZOV"},
      {"/OUTPUT /Out/R.TXT /Input /Data/A.ZOV /Silent", ".txt", "/output", "/Out/R.TXT"},
      // A name with blanks ends at the extension; two blanks leave one in front of the name.
      {"/input /my data/a b.zov", ".zov", "/input", "/my data/a b.zov"},
      {"/input  a.zov", ".zov", "/input", " a.zov"},
      // A name without the extension, or a missing switch, gives nothing.
      {"/silent /input a", ".zov", "/input", ""},
      {"/silent a.zov", ".zov", "/input", ""},
      // The extension right where the name begins.
      {"/input .zov", ".zov", "/input", ".zov"},
      {"/inputx.zov", ".zov", "/input", ".zov"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(MainMod::ExtractCommandLineFilename(r.line, r.ext, r.sw), r.expected);
  }
}

TEST(CommandLine, NegativeLengthAndOverlongLinesAreErrors) {
  try {
    MainMod::ExtractCommandLineFilename("a.txt /output b.txt", ".txt", "/output");
    FAIL() << "no error";
  } catch (const qel::QelError& e) {
    EXPECT_EQ(e.number(), 5);
  }
  std::string longLine = "/input " + std::string(40000, 'x') + ".zov";
  EXPECT_THROW(MainMod::ExtractCommandLineFilename(longLine, ".zov", "/input"), qel::QelError);
}

TEST(CommandLine, SilentSwitchAnywhereInAnyCase) {
  EXPECT_TRUE(MainMod::IsSilent("/SILENT"));
  EXPECT_TRUE(MainMod::IsSilent("/input a.zov /Silent"));
  EXPECT_TRUE(MainMod::IsSilent("x/silenty"));
  EXPECT_FALSE(MainMod::IsSilent("/input silent.zov"));
  EXPECT_FALSE(MainMod::IsSilent(""));
}

TEST(CommandLine, UnusableNameIsReportedAndEndsWithStatus2) {
  TestApp t;
  t.app.state.IsSilentRun = true;
  int status = EndsWith(
      [&] { MainMod::GetCommandLineFilename(t.app, "a.txt /output b.txt", ".txt", "/output"); });
  EXPECT_EQ(status, 2);
  ASSERT_FALSE(t.dialogs.boxes.empty());
  EXPECT_NE(t.dialogs.boxes[0].text.find("MainMod.GetCommandLineFilename"), std::string::npos);
}

TEST(CommandLine, VersionsAreBuiltFromTheProgramNumbers) {
  AppState st;
  MainMod::BuildVersions(st);
  EXPECT_EQ(st.ProgramVersion, "ZOV2005.10");
  EXPECT_EQ(st.ProgramVersionFull, "ZOV2005.10.143");
}

TEST(InteractiveCourse, RunsInOrderAndRemembersTheStart) {
  TestApp t;
  t.clock.seconds = 3600;
  t.dialogs.startChoice = 0;
  t.app.state.CurrentFile = "/cases/a.zov";
  MainMod::RunInteractive(t.app);
  EXPECT_EQ(t.dialogs.aboutShown, 1);
  EXPECT_TRUE(t.window.loaded);
  EXPECT_TRUE(t.window.shown);
  EXPECT_EQ(t.window.status, "File: /cases/a.zov");
  EXPECT_EQ(t.window.dialogFolder, t.folder.path().string());
  EXPECT_EQ(t.app.state.StartTime, 3600);
  EXPECT_TRUE(t.app.state.DataSaved);
  EXPECT_EQ(t.app.state.HelpFile, t.path("manZOV.pdf"));
  EXPECT_EQ(t.app.state.ErrorLogFile, t.path("ZOV_err.log"));
  // GetIni ran: the data folder is remembered.
  EXPECT_EQ(t.prefs.Read("Data Files", "Data File Path", "?"), t.folder.path().string());
  EXPECT_EQ(t.dialogs.inputFormShown, 0);
}

TEST(InteractiveCourse, NewScenarioStartsAnUntitledCase) {
  TestApp t;
  t.dialogs.startChoice = 1;
  MainMod::RunInteractive(t.app);
  EXPECT_EQ(t.app.state.CurrentFile, t.path("UNTITLED.ZOV"));
  EXPECT_EQ(t.dialogs.inputFormShown, 1);
  EXPECT_TRUE(t.app.state.NeverNamed);
}

TEST(InteractiveCourse, OldScenarioCancelledOpensNothing) {
  TestApp t;
  t.dialogs.startChoice = 2;  // the Open dialog is cancelled (no scripted answer)
  MainMod::RunInteractive(t.app);
  EXPECT_EQ(t.dialogs.openRequests.size(), 1u);
  EXPECT_EQ(t.dialogs.inputFormShown, 0);
  EXPECT_TRUE(t.dialogs.boxes.empty());  // no "Filename Empty!"
}

TEST(EndProgram, WritesTheFontShowsTheTimeAndEnds) {
  TestApp t;
  t.app.state.StartTime = 86000;  // started before midnight ...
  t.clock.seconds = 125;          // ... ended after it: 525 seconds
  t.app.state.ReportFontName = "Courier";
  t.app.state.ReportFontSize = 10.5f;
  t.app.state.SavedPrinterFont = FontRecord{"Times", 11, 0};
  EXPECT_EQ(EndsWith([&] { MainMod::EndProgram(t.app, kFalse); }), 0);
  EXPECT_EQ(t.prefs.Read("User Preferences", "Font Name", ""), "Courier");
  EXPECT_EQ(t.prefs.Read("User Preferences", "Font Size", ""), "10.5");
  EXPECT_EQ(t.ui.printer.font.name, "Times");
  ASSERT_EQ(t.dialogs.finalScreens.size(), 1u);
  EXPECT_EQ(t.dialogs.finalScreens[0].first, "Quenford Qel Paystave");
  EXPECT_EQ(t.dialogs.finalScreens[0].second.rfind("You have spent 8 minutes, and 45 seconds ", 0),
            0u);
  EXPECT_FALSE(t.app.state.withholding);
  EXPECT_FALSE(t.app.state.errorReporter);
}

TEST(EndProgram, ExitAsksAboutUnsavedInputs) {
  TestApp t;
  t.app.state.CurrentFile = t.path("case.zov");
  FileOperations::MarkInputsChanged(t.app);
  // Cancel: the program keeps running and nothing is unloaded.
  bool unloaded = false;
  t.dialogs.answers = {Answer::Cancel};
  MainMod::ExitCommand(t.app, [&] { unloaded = true; });
  EXPECT_FALSE(unloaded);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].title, "Unsaved Data Exists!");
  // Yes: the inputs are saved, then the program ends.
  t.dialogs.answers.push_back(Answer::Yes);
  EXPECT_EQ(EndsWith([&] { MainMod::ExitCommand(t.app, [&] { unloaded = true; }); }), 0);
  EXPECT_TRUE(unloaded);
  EXPECT_TRUE(std::filesystem::exists(t.path("case.zov")));
}

TEST(EndProgram, SilentRunNeverEndsWithSuccessThroughIt) {
  TestApp t;
  t.app.state.IsSilentRun = true;
  EXPECT_EQ(EndsWith([&] { MainMod::EndProgram(t.app, kFalse); }), 1);
  EXPECT_TRUE(t.dialogs.finalScreens.empty());
  EXPECT_EQ(t.prefs.WriteCount(), 0u);
}

TEST(ErrorLogLocation, FallsBackToTheUserDataFolder) {
  testing::TempFolder data;
  ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  App app;
  app.programFolder = "/nonexistent/program/folder";
  EXPECT_EQ(MainMod::DefaultErrorLogFile(app), data / "qel-paystave/ZOV_err.log");
  EXPECT_TRUE(std::filesystem::is_directory(data / "qel-paystave"));
  app.programFolder = data.path();
  EXPECT_EQ(MainMod::DefaultErrorLogFile(app), data / "ZOV_err.log");
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace corvala
