// frmMain, the main window: menus, toolbar and status bar; every command hands over to the
// program's logic. It is also the main-window view the logic talks to.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>

#include "core/platform.h"

class QAction;
class QLabel;
class QToolBar;

namespace corvala {

struct App;
class QtDialogs;

struct CommandSpec;

class frmMain : public QMainWindow, public MainWindowView {
  Q_OBJECT

 public:
  explicit frmMain(App& app, QWidget* parent = nullptr);
  ~frmMain() override;

  // The dialogs whose file dialogs start in the folder SetFileDialogFolder gives.
  void SetDialogs(QtDialogs* dialogs) { dialogs_ = dialogs; }

  // MainWindowView.
  void Load() override;
  void Show() override;
  void SetStatusText(const std::string& text) override;
  void SetRecentEntry(int index, const std::string& caption) override;
  void SetRecentSeparatorVisible(bool visible) override;
  void SetBusy(bool busy) override;
  void ProcessEvents() override;
  void SetFileDialogFolder(const std::string& folder) override;

  // Commands, as the menus and the toolbar run them.
  void mnuFileNew_Click();
  void mnuFileOpen_Click();
  void mnuFileSave_Click();
  void mnuFileSaveAs_Click();
  void mnuFileMRU_Click(int index);
  void mnuFilePrintPreview_Click();
  void mnuFilePrint_Click();
  void mnuInputs_Click();
  void mnuViewReports_Click();
  void mnuOptionsFonts_Click();
  void mnuHelpView_Click();
  void mnuHelpAbout_Click();
  void mnuFileExit_Click();
  // The toolbar: runs the command of the button with this key (the button shares the command's
  // action with its menu entry); any other key does nothing, and failures are ignored.
  void tbToolBar_ButtonClick(const QString& key);

  // Stores the window's position and size in the per-user settings (nothing when minimized).
  void SavePosition();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  QAction* NewCommand(const CommandSpec& command);

  App& app_;
  QtDialogs* dialogs_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  std::array<QAction*, 6> mru_{};  // index 1 to 5
  QAction* mruBar_ = nullptr;
  int busy_ = 0;
};

}  // namespace corvala
