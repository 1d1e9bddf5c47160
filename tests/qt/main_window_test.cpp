// The main window: its menus and toolbar, the recent-file entries, the stored position and the
// way out.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <functional>

#include "core/file_operations.h"
#include "headless/headless.h"
#include "ostrand/wh_bus_obj.h"
#include "qt/frm_main.h"
#include "qt/qt_platform.h"
#include "test_support.h"

namespace corvala::test {
namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<frmMain>(program.app);
    program.app.platform.window = window.get();
  }
  QAction* Action(const char* name) {
    auto* action = window->findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
  }
  TestProgram program;
  std::unique_ptr<frmMain> window;
};

TEST_F(MainWindow, MenuCaptionsAndShortcuts) {
  struct Row {
    const char* name;
    const char* caption;
    const char* shortcut;
  };
  const Row rows[] = {
      {"mnuFileNew", "&New", "Ctrl+N"},
      {"mnuFileOpen", "&Open...", "Ctrl+O"},
      {"mnuFileSave", "&Save", "Ctrl+S"},
      {"mnuFileSaveAs", "Save &As...", "F12"},
      {"mnuFilePrintPreview", "Print Pre&view", ""},
      {"mnuFilePrint", "&Print...", "Ctrl+P"},
      {"mnuFileExit", "E&xit", "Quit"},
      {"mnuInputs", "&Inputs", ""},
      {"mnuViewReports", "&Reports...", ""},
      {"mnuOptionsFonts", "&Fonts...", ""},
      {"mnuHelpView", "&View Help File", "HelpContents"},
      {"mnuHelpAbout", "&About ", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QAction* action = Action(row.name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text().toStdString(), row.caption);
    // The platform's standard keys where a command has one (Quit, HelpContents).
    QString expected = row.shortcut;
    if (expected == "Quit") expected = QKeySequence(QKeySequence::Quit).toString();
    if (expected == "HelpContents") expected = QKeySequence(QKeySequence::HelpContents).toString();
    EXPECT_EQ(action->shortcut().toString(), expected);
  }
  QStringList titles;
  for (QAction* top : window->menuBar()->actions()) titles << top->text();
  EXPECT_EQ(titles, QStringList({"&File", "&Inputs", "&View", "&Options", "&Help"}));
  EXPECT_EQ(Action("mnuInputs")->menu(), nullptr) << "Inputs is a command, not a menu";
  EXPECT_EQ(window->windowTitle(), "Qel Paystave");
}

TEST_F(MainWindow, ToolbarHasSevenKeyedButtonsInOrder) {
  auto* bar = window->findChild<QToolBar*>("tbToolBar");
  ASSERT_NE(bar, nullptr);
  QStringList keys;
  for (QAction* action : bar->actions()) {
    keys << action->data().toString();
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->icon().isNull()) << action->data().toString().toStdString();
  }
  EXPECT_EQ(keys, QStringList({"New", "Open", "Save", "Input", "Preview", "Print", "Help"}));
}

// A toolbar button is its command's menu action, drawn from the program's SVG pictures, and the
// standard commands answer the platform's standard keys.
TEST_F(MainWindow, MenuAndToolbarShareOneActionPerCommand) {
  struct Row {
    const char* key;
    const char* command;
    QKeySequence::StandardKey standard;
  };
  const Row rows[] = {{"New", "mnuFileNew", QKeySequence::New},
                      {"Open", "mnuFileOpen", QKeySequence::Open},
                      {"Save", "mnuFileSave", QKeySequence::Save},
                      {"Input", "mnuInputs", QKeySequence::UnknownKey},
                      {"Preview", "mnuFilePrintPreview", QKeySequence::UnknownKey},
                      {"Print", "mnuFilePrint", QKeySequence::Print},
                      {"Help", "mnuHelpView", QKeySequence::HelpContents}};
  const QList<QAction*> buttons = window->findChild<QToolBar*>("tbToolBar")->actions();
  ASSERT_EQ(buttons.size(), static_cast<qsizetype>(std::size(rows)));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].key);
    EXPECT_EQ(buttons[static_cast<qsizetype>(i)], Action(rows[i].command));
    EXPECT_EQ(buttons[static_cast<qsizetype>(i)]->data().toString(), rows[i].key);
    if (rows[i].standard != QKeySequence::UnknownKey) {
      EXPECT_TRUE(Action(rows[i].command)
                      ->shortcuts()
                      .contains(QKeySequence::keyBindings(rows[i].standard).value(0)));
    }
  }
  for (const char* picture :
       {"program", "new", "open", "save", "input", "preview", "print", "help"}) {
    EXPECT_TRUE(QFile::exists(QString(":/icons/%1.svg").arg(picture))) << picture;
  }
  EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(MainWindow, ToolbarButtonsRunTheirCommands) {
  headless::RecordingReportUi reports;
  program.app.platform.reports = &reports;
  window->Load();
  struct Row {
    const char* key;
    std::function<bool()> happened;
  };
  const Row rows[] = {
      {"Input", [&] { return program.dialogs.inputFormShown == 1; }},
      {"New",
       [&] {
         return program.dialogs.inputFormShown == 2 &&
                QString::fromStdString(program.app.state.CurrentFile).endsWith("/UNTITLED.zov");
       }},
      {"Save", [&] { return program.dialogs.saveRequests.size() == 1; }},  // never named yet
      {"Open", [&] { return program.dialogs.openRequests.size() == 1; }},
      {"Preview",
       [&] { return reports.choiceCaptions == std::vector<std::string>{"Select Reports (View)"}; }},
      {"Print",
       [&] {
         return reports.choiceCaptions.size() == 2 &&
                reports.choiceCaptions[1] == "Select Reports (Print)";
       }},
      {"Help", [&] { return program.dialogs.documents.size() == 1; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    window->tbToolBar_ButtonClick(row.key);
    EXPECT_TRUE(row.happened());
  }
  program.app.platform.reports = nullptr;
}

TEST_F(MainWindow, ToolbarHelpOpensTheManualAndUnknownKeysDoNothing) {
  window->tbToolBar_ButtonClick("help");  // keys compare exactly
  window->tbToolBar_ButtonClick("Nothing");
  EXPECT_TRUE(program.dialogs.documents.empty());
  window->tbToolBar_ButtonClick("Help");
  ASSERT_EQ(program.dialogs.documents.size(), 1u);
  EXPECT_TRUE(QString::fromStdString(program.dialogs.documents[0]).endsWith("/manZOV.pdf"));
}

TEST_F(MainWindow, RecentFileEntriesThroughSixFiles) {
  window->Load();
  for (int i = 1; i <= 5; ++i) {
    EXPECT_FALSE(Action(("mnuFileMRU" + std::to_string(i)).c_str())->isVisible());
  }
  EXPECT_FALSE(Action("mnuFileBar4")->isVisible());

  std::vector<std::string> files;
  for (int i = 1; i <= 6; ++i) {
    files.push_back(program.Path("case" + std::to_string(i) + ".zov"));
    ostrand::CreateObject(ostrand::kWhBusObjClassId)->ApplyEdit(files.back());
    program.dialogs.openAnswers.push_back(files.back());
  }
  for (int i = 0; i < 6; ++i) window->mnuFileOpen_Click();
  EXPECT_EQ(program.dialogs.inputFormShown, 6);

  EXPECT_TRUE(Action("mnuFileBar4")->isVisible());
  for (int entry = 1; entry <= 5; ++entry) {
    SCOPED_TRACE(entry);
    const std::string expected = "&" + std::to_string(entry) + " " + files[6 - entry];
    QAction* action = Action(("mnuFileMRU" + std::to_string(entry)).c_str());
    EXPECT_TRUE(action->isVisible());
    EXPECT_EQ(action->text().toStdString(), expected);
    EXPECT_EQ(program.preferences.Read("User Preferences", "File " + std::to_string(entry), ""),
              files[6 - entry]);
  }
  // Opening from the list does not reorder it; a path that merely contains a listed one is a
  // new entry.
  window->mnuFileMRU_Click(3);
  EXPECT_EQ(program.app.state.CurrentFile, files[3]);
  EXPECT_EQ(Action("mnuFileMRU1")->text().toStdString(), "&1 " + files[5]);
  const std::string longer = files[5] + ".bak.zov";
  ostrand::CreateObject(ostrand::kWhBusObjClassId)->ApplyEdit(longer);
  program.dialogs.openAnswers.push_back(longer);
  window->mnuFileOpen_Click();
  EXPECT_EQ(Action("mnuFileMRU1")->text().toStdString(), "&1 " + longer);
  EXPECT_EQ(Action("mnuFileMRU2")->text().toStdString(), "&2 " + files[5]);
}

TEST_F(MainWindow, AnAmpersandInARecentPathIsShownNotTakenAsAccessKey) {
  window->SetRecentEntry(2, "&2 /home/bo/Smith & Jones.zov");
  EXPECT_EQ(Action("mnuFileMRU2")->text(), "&2 /home/bo/Smith && Jones.zov");
  EXPECT_TRUE(Action("mnuFileMRU2")->isVisible());
  window->SetRecentEntry(2, "");
  EXPECT_FALSE(Action("mnuFileMRU2")->isVisible());
}

TEST_F(MainWindow, CancelledOpenChangesNothing) {
  program.app.state.CurrentFile = program.Path("kept.zov");
  window->Load();
  program.dialogs.openAnswers = {std::nullopt};
  window->mnuFileOpen_Click();
  EXPECT_EQ(program.app.state.CurrentFile, program.Path("kept.zov"));
  EXPECT_FALSE(Action("mnuFileMRU1")->isVisible());
  EXPECT_TRUE(program.dialogs.boxes.empty());
}

TEST_F(MainWindow, PositionRestoredFromAndStoredInTheSettingsStore) {
  program.userSettings.Write("Settings", "MainLeft", "1500");
  program.userSettings.Write("Settings", "MainTop", "3000");
  program.userSettings.Write("Settings", "MainWidth", "9000");
  program.userSettings.Write("Settings", "MainHeight", "6000");
  window->Load();
  EXPECT_EQ(window->pos(), QPoint(100, 200));
  EXPECT_EQ(window->size(), QSize(600, 400));

  window->move(20, 30);
  window->resize(640, 480);
  window->SavePosition();
  EXPECT_EQ(std::stod(program.userSettings.Read("Settings", "MainLeft", "")), 300);
  EXPECT_EQ(std::stod(program.userSettings.Read("Settings", "MainTop", "")), 450);
  EXPECT_EQ(std::stod(program.userSettings.Read("Settings", "MainWidth", "")), 9600);
  EXPECT_EQ(std::stod(program.userSettings.Read("Settings", "MainHeight", "")), 7200);

  window->show();
  window->showMinimized();
  QTest::qWait(20);
  if (window->isMinimized()) {
    window->move(5, 5);
    window->SavePosition();
    EXPECT_EQ(std::stod(program.userSettings.Read("Settings", "MainLeft", "")), 300)
        << "a minimized window keeps the stored position";
  }
}

TEST_F(MainWindow, DefaultPositionWhenNothingIsStored) {
  window->Load();
  // 1000 and 6500 twips at 15 twips a pixel.
  EXPECT_EQ(window->pos(), QPoint(67, 67));
  EXPECT_EQ(window->size(), QSize(433, 433));
}

TEST_F(MainWindow, PositionSurvivesARestartThroughThePerUserStore) {
  auto store = QtSettingsStore::PerUser("Qel Paystave");
  store->Settings().clear();
  program.app.platform.userSettings = store.get();
  window->Load();
  window->move(120, 90);
  window->resize(500, 360);
  window->SavePosition();
  store->Sync();

  auto reopened = QtSettingsStore::PerUser("Qel Paystave");
  EXPECT_EQ(reopened->Read("Settings", "MainLeft", ""), "1800");
  program.app.platform.userSettings = reopened.get();
  frmMain second(program.app);
  second.Load();
  EXPECT_EQ(second.pos(), QPoint(120, 90));
  EXPECT_EQ(second.size(), QSize(500, 360));
  program.app.platform.userSettings = &program.userSettings;
}

TEST_F(MainWindow, StatusBarShowsTheText) {
  window->SetStatusText("File: /tmp/a.zov");
  auto* bar = window->findChild<QStatusBar*>("sbStatusBar");
  ASSERT_NE(bar, nullptr);
  auto* panel = bar->findChild<QLabel*>("sbPanel1");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->text(), "File: /tmp/a.zov");
}

TEST_F(MainWindow, ExitAsksAboutUnsavedInputs) {
  window->Load();
  window->show();
  program.app.state.DataSaved = false;

  // Cancel keeps the program running, whether by the window's close button or by Exit.
  program.dialogs.answers = {Answer::Cancel, Answer::Cancel};
  EXPECT_FALSE(window->close());
  EXPECT_NO_THROW(window->mnuFileExit_Click());
  ASSERT_EQ(program.dialogs.boxes.size(), 2u);
  EXPECT_EQ(program.dialogs.boxes[0].title, "Unsaved Data Exists!");
  EXPECT_EQ(program.dialogs.boxes[0].text,
            "Current Inputs have not been Saved!\nDo you want to save them first?");
  EXPECT_EQ(program.dialogs.boxes[0].buttons, Buttons::YesNoCancel);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(program.dialogs.finalScreens.empty());

  // No goes on to the closing screen and the end of the process.
  program.dialogs.answers.push_back(Answer::No);
  EXPECT_THROW(window->mnuFileExit_Click(), headless::ProcessExited);
  EXPECT_EQ(program.dialogs.finalScreens.size(), 1u);
}

TEST_F(MainWindow, ExitWithEverythingSavedAsksNothing) {
  window->Load();
  program.app.state.DataSaved = true;
  EXPECT_THROW(window->mnuFileExit_Click(), headless::ProcessExited);
  EXPECT_TRUE(program.dialogs.boxes.empty());
  EXPECT_EQ(program.dialogs.finalScreens.size(), 1u);
  EXPECT_FALSE(program.userSettings.Read("Settings", "MainLeft", "").empty())
      << "the position is stored on the way out";
}

}  // namespace
}  // namespace corvala::test
