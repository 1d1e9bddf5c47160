// New, open, save and save-as, the unsaved-inputs question, and the recent-file list.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/file_operations.h"
#include "ostrand/paycheck.h"
#include "test_app.h"

namespace corvala {
namespace {

using testing::EndsWith;
using testing::ReadFile;
using testing::TestApp;
namespace FO = FileOperations;

void SaveCase(TestApp& t, const std::string& path, const std::string& name) {
  t.obj().sTaxpayer(name);
  t.app.state.CurrentFile = path;
  ASSERT_TRUE(FO::Save(t.app, path));
}

TEST(FileOperations, GetFolderCutsAtTheLastSlash) {
  EXPECT_EQ(FO::GetFolder("/home/ann/cases/a.zov"), "/home/ann/cases");
  EXPECT_EQ(FO::GetFolder("a.zov"), "");
  EXPECT_EQ(FO::GetFolder("/a.zov"), "");
  EXPECT_EQ(FO::FileFilter(), "Data Files(*.ZOV)|*.ZOV|All Files(*.*)|*.*||");
}

TEST(FileOperations, SaveWritesTheCaseAndRemembersItsFolder) {
  TestApp t;
  std::string file = t.path("smith.zov");
  t.obj().sWages4Yr("52000");
  SaveCase(t, file, "Ann Smith");
  EXPECT_TRUE(t.app.state.DataSaved);
  EXPECT_EQ(t.app.state.DataFilePath, t.folder.path().string());
  EXPECT_EQ(t.prefs.Read("Data Files", "Data File Path", ""), t.folder.path().string());
  std::string text = ReadFile(file);
  EXPECT_NE(text.find("TP=Ann Smith"), std::string::npos) << text;
  EXPECT_NE(text.find("Wage 4 yr=52,000.00"), std::string::npos) << text;

  // Saving again under another name writes that file too, although nothing changed since.
  std::string copy = t.path("copy.zov");
  ASSERT_TRUE(FO::Save(t.app, copy));
  EXPECT_NE(ReadFile(copy).find("TP=Ann Smith"), std::string::npos);
}

// Inputs changed since the last save are saved by a successful Save, so leaving asks nothing.
TEST(FileOperations, ASuccessfulSaveMarksTheInputsSaved) {
  TestApp t;
  t.app.state.DataSaved = false;
  SaveCase(t, t.path("smith.zov"), "Ann Smith");
  EXPECT_TRUE(t.app.state.DataSaved);
}

TEST(FileOperations, SavingUnderTheDebugNameLeavesDataSavedAlone) {
  TestApp t;
  t.app.state.DataSaved = false;
  t.app.state.CurrentFile = t.path("DEBUG.ZOV");
  ASSERT_TRUE(FO::Save(t.app, t.path("DEBUG.ZOV")));
  EXPECT_FALSE(t.app.state.DataSaved);
}

// A case the user starts is on the newest tax year whose tables are installed, and starting it is
// no change to save.
TEST(FileOperations, ANewCaseIsOnTheNewestTaxYear) {
  TestApp t;
  const std::vector<int> years = ostrand::AvailableYears();
  ASSERT_GT(years.size(), 1u);
  FO::NewFile(t.app);
  EXPECT_EQ(t.obj().sTaxYear(), std::to_string(years.back()));
  EXPECT_TRUE(t.app.state.DataSaved);
  EXPECT_FALSE(t.obj().IsDirty());
}

TEST(FileOperations, NewCaseAsksForANameWhenSaved) {
  TestApp t;
  t.app.state.DataFilePath = t.folder.path().string();
  t.obj().sTaxpayer("old inputs");
  FO::NewFile(t.app);
  EXPECT_EQ(t.app.state.CurrentFile, t.path("UNTITLED.ZOV"));
  EXPECT_EQ(t.window.status, "File: " + t.path("UNTITLED.ZOV"));
  EXPECT_EQ(t.obj().sTaxpayer(), "");  // a fresh object
  EXPECT_EQ(t.dialogs.inputFormShown, 1);

  // Save on the untitled case asks for a name; cancelling writes nothing.
  EXPECT_FALSE(FO::Save(t.app, t.app.state.CurrentFile));
  ASSERT_EQ(t.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(t.dialogs.saveRequests[0].title, "Save As");
  EXPECT_EQ(t.dialogs.saveRequests[0].presetName, t.path("UNTITLED.ZOV"));
  EXPECT_FALSE(std::filesystem::exists(t.path("UNTITLED.ZOV")));
  EXPECT_TRUE(t.dialogs.boxes.empty());  // no "Filename Empty!" for a cancel

  // Answered: saved under the chosen name, which enters the recent list.
  t.dialogs.saveAnswers = {t.path("jones.zov")};
  EXPECT_TRUE(FO::Save(t.app, t.app.state.CurrentFile));
  EXPECT_TRUE(std::filesystem::exists(t.path("jones.zov")));
  EXPECT_EQ(t.app.state.CurrentFile, t.path("jones.zov"));
  EXPECT_EQ(t.app.state.RecentFiles[0], t.path("jones.zov"));
  EXPECT_FALSE(t.app.state.NeverNamed);
}

TEST(FileOperations, SaveAsWithAnEmptyNameWarns) {
  TestApp t;
  t.dialogs.saveAnswers = {std::string()};
  EXPECT_FALSE(FO::SaveAs(t.app));
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].text, "Filename Empty!");
  EXPECT_EQ(t.dialogs.boxes[0].title, "WARNING");
  EXPECT_EQ(t.dialogs.boxes[0].icon, Icon::Critical);
}

TEST(FileOperations, OpenLoadsTheChosenFile) {
  TestApp t;
  std::string file = t.path("Mixed Case.zov");
  SaveCase(t, file, "Ann Smith");
  t.obj().sTaxpayer("changed");
  t.app.state.DataSaved = true;
  t.dialogs.openAnswers = {file};
  FO::OpenCommand(t.app, "");
  EXPECT_EQ(t.obj().sTaxpayer(), "Ann Smith");
  EXPECT_EQ(t.app.state.CurrentFile, file);
  EXPECT_EQ(t.window.status, "File: " + file);
  EXPECT_EQ(t.dialogs.inputFormShown, 1);
  EXPECT_EQ(t.dialogs.openRequests[0].title, "Open");
  EXPECT_EQ(t.dialogs.openRequests[0].defaultExtension, ".ZOV");
}

// Opening what is not a case tells what is wrong and leaves the case in hand, its name, its
// saved state and the recent list as they were.
TEST(FileOperations, OpeningWhatIsNotACaseKeepsTheCaseInHand) {
  TestApp t;
  std::string own = t.path("own.zov");
  SaveCase(t, own, "kept");
  t.obj().sWages4Yr("61000");
  FO::MarkInputsChanged(t.app);
  testing::WriteFile(t.path("list.zov"), "Shopping list\n[Milk\nBread=2\n");
  testing::WriteFile(t.path("binary.zov"), std::string("\x7f"
                                                       "ELF\0\0\x01\x02",
                                                       8));
  std::filesystem::create_directory(t.path("folder.zov"));
  ::mkfifo(t.path("fifo.zov").c_str(), 0600);
  struct Row {
    const char* name;
    const char* says;
  };
  const Row rows[] = {
      {"missing.zov", "missing.zov does not exist."},
      {"list.zov", "list.zov cannot be opened as a case:\n"},
      {"binary.zov", "binary.zov cannot be opened as a case:\n"},
      {"folder.zov", "folder.zov is a folder, not a case file."},
      {"fifo.zov", "fifo.zov is not a case file: it is not a regular file."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    t.dialogs.boxes.clear();
    t.dialogs.answers = {Answer::No};  // the unsaved inputs: go on without saving
    t.dialogs.openAnswers = {t.path(row.name)};
    FO::OpenCommand(t.app, "");
    ASSERT_EQ(t.dialogs.boxes.size(), 2u);
    EXPECT_NE(t.dialogs.boxes[1].text.find(row.says), std::string::npos) << t.dialogs.boxes[1].text;
    EXPECT_EQ(t.obj().sTaxpayer(), "kept");
    EXPECT_EQ(t.obj().sWages4Yr(), "61,000.00");
    EXPECT_EQ(t.app.state.CurrentFile, own);
    EXPECT_FALSE(t.app.state.DataSaved);
    EXPECT_EQ(t.app.state.RecentFiles[0], "");
  }
  // The message about a text file names the line that is wrong.
  t.dialogs.answers = {Answer::No};
  t.dialogs.openAnswers = {t.path("list.zov")};
  EXPECT_FALSE(FO::OpenFile(t.app, ""));
  EXPECT_NE(t.dialogs.boxes.back().text.find("line"), std::string::npos)
      << t.dialogs.boxes.back().text;
}

TEST(FileOperations, UnsavedQuestionOnNewAndOpen) {
  TestApp t;
  std::string file = t.path("a.zov");
  SaveCase(t, file, "Ann");
  FO::MarkInputsChanged(t.app);

  // Cancel stops the command with nothing changed.
  t.dialogs.answers = {Answer::Cancel};
  FO::NewFile(t.app);
  EXPECT_EQ(t.obj().sTaxpayer(), "Ann");
  EXPECT_EQ(t.app.state.CurrentFile, file);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].text,
            "Current Inputs have not been Saved!\nDo you want to save them first?");
  EXPECT_EQ(t.dialogs.boxes[0].buttons, Buttons::YesNoCancel);
  EXPECT_EQ(t.dialogs.openRequests.size(), 0u);

  // Cancel on Open: no dialog either.
  t.dialogs.answers.push_back(Answer::Cancel);
  FO::OpenCommand(t.app, "");
  EXPECT_EQ(t.dialogs.openRequests.size(), 0u);
  EXPECT_EQ(t.dialogs.inputFormShown, 0);

  // Yes saves first, then goes on.
  t.obj().sTaxpayer("Ann Changed");
  t.dialogs.answers.push_back(Answer::Yes);
  FO::NewFile(t.app);
  EXPECT_NE(ReadFile(file).find("TP=Ann Changed"), std::string::npos);
  EXPECT_EQ(t.obj().sTaxpayer(), "");

  // No goes on without saving.
  t.obj().sTaxpayer("typed, then dropped");
  FO::MarkInputsChanged(t.app);
  t.dialogs.answers.push_back(Answer::No);
  FO::NewFile(t.app);
  EXPECT_EQ(t.obj().sTaxpayer(), "");
  EXPECT_EQ(t.dialogs.boxes.size(), 4u);

  // Nothing changed: no question.
  FO::NewFile(t.app);
  EXPECT_EQ(t.dialogs.boxes.size(), 4u);
}

TEST(FileOperations, YesOnAnUnnamedCaseThatIsThenCancelledStops) {
  TestApp t;
  FO::NewFile(t.app);
  t.obj().sTaxpayer("typed");
  FO::MarkInputsChanged(t.app);
  t.dialogs.answers = {Answer::Yes};  // Save As is then cancelled
  FO::NewFile(t.app);
  EXPECT_EQ(t.obj().sTaxpayer(), "typed");
}

// A save that fails says why, keeps the inputs and offers Save As again; the recent list and
// the case's name take only a file that was written.
TEST(FileOperations, FailedSaveSaysWhyAndOffersSaveAsAgain) {
  TestApp t;
  std::string good = t.path("good.zov");
  t.obj().sTaxpayer("typed");
  t.app.state.CurrentFile = good;
  struct Row {
    const char* what;
    std::string name;
    const char* reason;
  };
  std::filesystem::create_directory(t.path("in the way.zov"));
  const Row rows[] = {
      {"missing folder", t.path("no/such/folder/a.zov"), "no/such/folder/a.zov"},
      {"a folder in the way", t.path("in the way.zov"), "in the way.zov"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    t.dialogs.boxes.clear();
    t.dialogs.saveAnswers = {row.name, good};
    t.dialogs.answers = {Answer::Yes};  // save under another name
    EXPECT_TRUE(FO::SaveAs(t.app));     // does not end the program
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].buttons, Buttons::YesNo);
    EXPECT_NE(t.dialogs.boxes[0].text.find("could not be saved as"), std::string::npos);
    EXPECT_NE(t.dialogs.boxes[0].text.find(row.reason), std::string::npos)
        << t.dialogs.boxes[0].text;
    EXPECT_EQ(t.app.state.CurrentFile, good);
    EXPECT_EQ(t.app.state.RecentFiles[0], good);
    EXPECT_EQ(t.prefs.Read("User Preferences", "File 2", ""), "");
    EXPECT_NE(ReadFile(good).find("TP=typed"), std::string::npos);
  }
  // No: nothing written, the inputs and the name stay, the program goes on.
  t.dialogs.boxes.clear();
  t.obj().sTaxpayer("typed again");
  FO::MarkInputsChanged(t.app);
  t.dialogs.saveAnswers = {t.path("no/such/folder/b.zov")};
  t.dialogs.answers = {Answer::No};
  EXPECT_FALSE(FO::SaveAs(t.app));
  EXPECT_EQ(t.app.state.CurrentFile, good);
  EXPECT_FALSE(t.app.state.DataSaved);
  EXPECT_EQ(t.obj().sTaxpayer(), "typed again");
  EXPECT_TRUE(t.dialogs.finalScreens.empty());
}

// A save never replaces a file the program did not open or write in this session unasked.
TEST(FileOperations, SavingOverAFileNotOpenedAsks) {
  TestApp t;
  std::string foreign = t.path("foreign.zov");
  testing::WriteFile(foreign, "[Common]\r\nTP=Someone else\r\n");
  t.app.state.CurrentFile = foreign;  // e.g. a name that could not be opened
  t.obj().sTaxpayer("");
  // No: Save As is offered instead (cancelled here); the file is untouched.
  t.dialogs.answers = {Answer::No};
  EXPECT_FALSE(FO::Save(t.app, foreign));
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_NE(t.dialogs.boxes[0].text.find("foreign.zov already exists"), std::string::npos);
  EXPECT_EQ(t.dialogs.saveRequests.size(), 1u);
  EXPECT_NE(ReadFile(foreign).find("TP=Someone else"), std::string::npos);
  // Yes replaces it; from then on it is the session's own file and no question is asked.
  t.dialogs.answers = {Answer::Yes};
  t.obj().sTaxpayer("Mine");
  EXPECT_TRUE(FO::Save(t.app, foreign));
  EXPECT_NE(ReadFile(foreign).find("TP=Mine"), std::string::npos);
  EXPECT_TRUE(FO::Save(t.app, foreign));
  EXPECT_EQ(t.dialogs.boxes.size(), 2u);
  // A file opened in this session is saved without a question.
  std::string opened = t.path("opened.zov");
  testing::WriteFile(opened, "[Common]\r\nTP=Opened\r\n");
  ASSERT_TRUE(FO::OpenFile(t.app, opened));
  EXPECT_TRUE(FO::Save(t.app, opened));
  EXPECT_EQ(t.dialogs.boxes.size(), 2u);
}

TEST(RecentFiles, SixFilesPushTheOldestOutAndWholePathsCount) {
  TestApp t;
  for (int i = 1; i <= 6; ++i) MRU::MaintMRUList(t.app, "/cases/f" + std::to_string(i) + ".zov");
  const AppState& st = t.app.state;
  EXPECT_EQ(st.RecentFiles[0], "/cases/f6.zov");
  EXPECT_EQ(st.RecentFiles[4], "/cases/f2.zov");
  EXPECT_EQ(t.prefs.Read("User Preferences", "File 5", ""), "/cases/f2.zov");
  EXPECT_EQ(t.window.recent[1], "&1 /cases/f6.zov");
  EXPECT_EQ(t.window.recent[5], "&5 /cases/f2.zov");
  EXPECT_TRUE(t.window.separatorVisible);

  // A listed path keeps its place; a name that is only part of a listed path is added.
  MRU::MaintMRUList(t.app, "/cases/f4.zov");
  EXPECT_EQ(st.RecentFiles[0], "/cases/f6.zov");
  MRU::MaintMRUList(t.app, "/cases/f");
  EXPECT_EQ(st.RecentFiles[0], "/cases/f");
  EXPECT_EQ(t.prefs.Read("User Preferences", "File 1", ""), "/cases/f");
  EXPECT_EQ(st.RecentFiles[4], "/cases/f3.zov");
}

TEST(RecentFiles, LoadingShowsStoredEntriesOnly) {
  TestApp t;
  t.prefs.Write("User Preferences", "File 1", "/a.zov");
  t.prefs.Write("User Preferences", "File 2", "/b.zov");
  MRU::MaintMRUList(t.app, "");
  EXPECT_EQ(t.app.state.RecentFiles[1], "/b.zov");
  EXPECT_EQ(t.window.recent[2], "&2 /b.zov");
  EXPECT_EQ(t.window.recent[3], "");
  EXPECT_TRUE(t.window.separatorVisible);
}

}  // namespace
}  // namespace corvala
