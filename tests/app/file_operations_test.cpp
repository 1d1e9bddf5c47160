// New, open, save and save-as, the unsaved-inputs question, and the recent-file list.
#include <gtest/gtest.h>

#include "core/file_operations.h"
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

TEST(FileOperations, SavingUnderTheDebugNameLeavesDataSavedAlone) {
  TestApp t;
  t.app.state.DataSaved = false;
  t.app.state.CurrentFile = t.path("DEBUG.ZOV");
  ASSERT_TRUE(FO::Save(t.app, t.path("DEBUG.ZOV")));
  EXPECT_FALSE(t.app.state.DataSaved);
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

TEST(FileOperations, OpeningAMissingFileSaysSoAndKeepsTheInputs) {
  TestApp t;
  t.obj().sTaxpayer("kept");
  t.dialogs.openAnswers = {t.path("missing.zov")};
  EXPECT_FALSE(FO::OpenFile(t.app, ""));
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].text, t.path("missing.zov") + " does not exist.");
  EXPECT_EQ(t.dialogs.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(t.obj().sTaxpayer(), "kept");
  EXPECT_EQ(t.app.state.CurrentFile, t.path("missing.zov"));
  EXPECT_EQ(t.app.state.RecentFiles[0], t.path("missing.zov"));
  EXPECT_FALSE(t.app.state.DataSaved);  // the inputs are not stored under the new name
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

TEST(FileOperations, FailedSaveEndsThroughTheFatalMessage) {
  TestApp t;
  std::string bad = t.path("no/such/folder/a.zov");
  t.app.state.CurrentFile = bad;
  int status = EndsWith([&] { FO::Save(t.app, bad); });
  EXPECT_EQ(status, 0);
  ASSERT_FALSE(t.dialogs.boxes.empty());
  EXPECT_EQ(t.dialogs.boxes[0].title, "WARNING!");
  EXPECT_NE(t.dialogs.boxes[0].text.find("\nLocation:           Save"), std::string::npos)
      << t.dialogs.boxes[0].text;
  EXPECT_EQ(t.dialogs.finalScreens.size(), 1u);
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
