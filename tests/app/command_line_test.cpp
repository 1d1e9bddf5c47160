// The command line, the interactive start-up course and the end of the program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
      // A name without the extension gives nothing; a case named without the switch counts.
      {"/silent /input a", ".zov", "/input", ""},
      {"/silent a.zov", ".zov", "/input", "a.zov"},
      // Switches are whole words: a folder named "input" or "silent" is part of a path, and a
      // name runs to the next switch, past an earlier ".zov".
      {"/input /home/ann/input/x.zov", ".zov", "/input", "/home/ann/input/x.zov"},
      {"/silent /input /srv/silent/a.zov --output r.txt", ".zov", "/input", "/srv/silent/a.zov"},
      {"/input x.zov.bak/x.zov /output r.txt", ".zov", "/input", "x.zov.bak/x.zov"},
      {"--input=/data/a b.zov --output r.txt", ".zov", "/input", "/data/a b.zov"},
      {"--INPUT /data/a.zov", ".zov", "/input", "/data/a.zov"},
      {"/input .zov", ".zov", "/input", ""},
      {"/inputx.zov", ".zov", "/input", "/inputx.zov"},
      // A case named without a switch, as a file manager hands it over.
      {"/home/ann/smith.zov", ".zov", "/input", "/home/ann/smith.zov"},
      // Formerly the first ".txt" stood before the name.
      {"a.txt /output b.txt", ".txt", "/output", "b.txt"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(MainMod::ExtractCommandLineFilename(r.line, r.ext, r.sw), r.expected);
  }
}

TEST(CommandLine, ProblemsAreNamedOnePerLine) {
  struct Row {
    const char* line;
    const char* problem;  // empty: none
  };
  const Row rows[] = {
      {"/silent /input a.zov /output r.txt", ""},
      {"/home/ann/a.zov", ""},
      {"/silent a.txt /input a.zov /output b.txt", "\"a.txt\" stands before any switch."},
      {"/silent /input a /output r.txt",
       "no file name ending in \".zov\" follows \"/input\": \"a\" is not a case file name."},
      {"/silent /input a.zov /output", "no file name ending in \".txt\" follows \"/output\"."},
      {"/silent /output r.txt", "a silent run needs \"/input\""},
      {"--bogus a.zov", "\"--bogus\" is not an option of this program."},
      {"/input a.zov /input b.zov", "\"/input\" is given twice."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    MainMod::CommandLine cl = MainMod::ParseCommandLine(MainMod::SplitCommandLine(row.line));
    if (row.problem[0] == '\0') {
      EXPECT_TRUE(cl.problems.empty()) << cl.problems.front();
    } else {
      ASSERT_FALSE(cl.problems.empty());
      EXPECT_EQ(cl.problems.front().rfind(row.problem, 0), 0u) << cl.problems.front();
    }
  }
}

TEST(CommandLine, SilentSwitchAnywhereInAnyCase) {
  EXPECT_TRUE(MainMod::IsSilent("/SILENT"));
  EXPECT_TRUE(MainMod::IsSilent("/input a.zov /Silent"));
  EXPECT_TRUE(MainMod::IsSilent("--silent /input a.zov"));
  EXPECT_FALSE(MainMod::IsSilent("x/silenty"));
  EXPECT_FALSE(MainMod::IsSilent("/input /srv/silent/a.zov"));
  EXPECT_FALSE(MainMod::IsSilent("/input silent.zov"));
  EXPECT_FALSE(MainMod::IsSilent(""));
}

TEST(CommandLine, AnInteractiveLaunchShowsAnUnusableCommandLineInABox) {
  TestApp t;
  t.app.state.CommandLineProblem = "The command line cannot be used:\n  --bogus\n";
  EXPECT_FALSE(MainMod::RunInteractive(t.app));
  EXPECT_EQ(t.app.state.ExitStatus, 2);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].text, t.app.state.CommandLineProblem);
  EXPECT_EQ(t.dialogs.aboutShown, 0);
  EXPECT_FALSE(t.window.shown);
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
  MainMod::RunInteractive(t.app);
  EXPECT_EQ(t.dialogs.aboutShown, 1);
  EXPECT_TRUE(t.window.loaded);
  EXPECT_TRUE(t.window.shown);
  EXPECT_EQ(t.window.status, "File: ");
  // The file dialogs start in the user's documents folder, not the program folder.
  EXPECT_EQ(t.window.dialogFolder, t.dialogs.documentsFolder);
  EXPECT_EQ(t.app.state.StartTime, 3600);
  EXPECT_TRUE(t.app.state.DataSaved);
  EXPECT_EQ(t.app.state.HelpFile, t.path("manZOV.pdf"));
  EXPECT_EQ(t.app.state.ErrorLogFile, t.path("ZOV_err.log"));
  // GetIni ran: the data folder is remembered.
  EXPECT_EQ(t.prefs.Read("Data Files", "Data File Path", "?"), t.dialogs.documentsFolder);
  EXPECT_EQ(t.dialogs.inputFormShown, 0);
}

TEST(InteractiveCourse, NewScenarioStartsAnUntitledCase) {
  TestApp t;
  t.dialogs.startChoice = 1;
  MainMod::RunInteractive(t.app);
  EXPECT_EQ(t.app.state.CurrentFile, t.dialogs.documentsFolder + "/UNTITLED.zov");
  EXPECT_EQ(t.dialogs.inputFormShown, 1);
  EXPECT_TRUE(t.app.state.NeverNamed);
}

// A case named on the command line is opened; confirming the input form saves what was opened,
// never empty inputs over it, and a file that is not a case is left alone.
TEST(InteractiveCourse, ACaseNamedOnTheCommandLineIsOpened) {
  struct Row {
    const char* what;
    std::string text;
    bool opens;
  };
  const Row rows[] = {
      {"a case", "[Common]\r\nTP=Ann Smith\r\n[Proforma]\r\nWage 4 yr=52,000.00\r\n", true},
      {"a shopping list", "Milk\r\nBread\r\n", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TestApp t;
    std::string file = t.path("given.zov");
    testing::WriteFile(file, row.text);
    // As Main takes it from the command line of a program started in the case's folder.
    std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(t.folder.path());
    t.app.state.CurrentFile = "given.zov";
    t.dialogs.startChoice = 1;  // not asked: the command line chose
    t.dialogs.onInputForm = [&] { FileOperations::Save(t.app, t.app.state.CurrentFile); };
    bool running = MainMod::RunInteractive(t.app);
    std::filesystem::current_path(started);
    ASSERT_TRUE(running);
    // A file that is not a case leaves the main window without an input form on empty inputs.
    EXPECT_EQ(t.dialogs.inputFormShown, row.opens ? 1 : 0);
    if (row.opens) {
      EXPECT_EQ(t.obj().sTaxpayer(), "Ann Smith");
      EXPECT_EQ(t.window.status, "File: " + file);
      EXPECT_EQ(t.app.state.DataFilePath, t.folder.path().string());
      EXPECT_NE(testing::ReadFile(file).find("Wage 4 yr=52,000.00"), std::string::npos);
    } else {
      EXPECT_EQ(t.window.status, "File: ");
      EXPECT_EQ(testing::ReadFile(file), row.text);
    }
    EXPECT_TRUE(t.window.shown);
  }
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

// The log beside the program only in a folder of the person running that no one else may write;
// anywhere else the per-user data folder.
TEST(ErrorLogLocation, TheProgramFolderOnlyWhenItIsTheUsersAlone) {
  testing::TempFolder data;
  testing::TempFolder program;
  ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  const std::filesystem::path own = program.path() / "ZOV_err.log";
  const std::filesystem::path user = data / "qel-paystave/ZOV_err.log";
  struct Row {
    const char* folder;
    mode_t mode;
    bool ownedByOther;  // by the user 65534 (needs root)
    std::filesystem::path expected;
  };
  const Row rows[] = {
      {"private", 0700, false, own},         {"readable", 0755, false, own},
      {"group-writable", 0775, false, user}, {"world-writable", 0757, false, user},
      {"shared sticky", 01777, false, user}, {"another's", 0755, true, user},
      {"missing", 0, false, user},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.folder);
    if (row.ownedByOther && ::geteuid() != 0) continue;  // only root can give a folder away
    App app;
    app.programFolder = row.mode == 0 ? "/nonexistent/program/folder" : program.path();
    if (row.mode != 0) {
      ASSERT_EQ(::chmod(program.path().c_str(), row.mode), 0);
      ASSERT_EQ(::chown(program.path().c_str(), row.ownedByOther ? 65534 : ::geteuid(), -1), 0);
    }
    EXPECT_EQ(MainMod::DefaultErrorLogFile(app), row.expected);
  }
  EXPECT_TRUE(std::filesystem::is_directory(data / "qel-paystave"));
  ::chmod(program.path().c_str(), 0700);
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace corvala
