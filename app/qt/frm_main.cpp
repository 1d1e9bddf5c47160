#include "qt/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "core/app.h"
#include "core/file_operations.h"
#include "core/help_support.h"
#include "core/main_mod.h"
#include "core/preferences.h"
#include "core/reports.h"
#include "qt/icons.h"
#include "qt/qt_platform.h"
#include "qt/small_forms.h"

namespace corvala {

namespace {
constexpr double kTwipsPerPixel = 15;
}

frmMain::frmMain(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
  setObjectName("frmMain");
  setWindowTitle(kProgramTitle);
  setWindowIcon(ProgramIcon());
  BuildMenus();
  BuildToolBar();
  auto* bar = new QStatusBar(this);
  bar->setObjectName("sbStatusBar");
  statusPanel_ = new QLabel(bar);
  statusPanel_->setObjectName("sbPanel1");
  bar->addWidget(statusPanel_, 1);
  setStatusBar(bar);
  // The window shows no data of its own: an empty, sunken client area.
  auto* client = new QWidget(this);
  client->setObjectName("picClient");
  client->setAutoFillBackground(true);
  client->setBackgroundRole(QPalette::Dark);
  setCentralWidget(client);
}

frmMain::~frmMain() = default;

QAction* frmMain::Command(QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& key, void (frmMain::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  menu->addAction(action);
  return action;
}

void frmMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("mnuBar");

  QMenu* file = bar->addMenu("&File");
  file->setObjectName("mnuFile");
  Command(file, "mnuFileNew", "&New", QKeySequence("Ctrl+N"), &frmMain::mnuFileNew_Click);
  Command(file, "mnuFileOpen", "&Open...", QKeySequence("Ctrl+O"), &frmMain::mnuFileOpen_Click);
  file->addSeparator()->setObjectName("mnuFileBar0");
  Command(file, "mnuFileSave", "&Save", QKeySequence("Ctrl+S"), &frmMain::mnuFileSave_Click);
  Command(file, "mnuFileSaveAs", "Save &As...", QKeySequence("F12"), &frmMain::mnuFileSaveAs_Click);
  file->addSeparator()->setObjectName("mnuFileBar1");
  Command(file, "mnuFilePrintPreview", "Print Pre&view", QKeySequence(),
          &frmMain::mnuFilePrintPreview_Click);
  Command(file, "mnuFilePrint", "&Print...", QKeySequence("Ctrl+P"), &frmMain::mnuFilePrint_Click);
  file->addSeparator()->setObjectName("mnuFileBar3");
  for (int i = 1; i <= 5; ++i) {
    auto* entry = new QAction(this);
    entry->setObjectName(QString("mnuFileMRU%1").arg(i));
    entry->setVisible(false);
    connect(entry, &QAction::triggered, this, [this, i] { mnuFileMRU_Click(i); });
    file->addAction(entry);
    mru_[i] = entry;
  }
  mruBar_ = file->addSeparator();
  mruBar_->setObjectName("mnuFileBar4");
  mruBar_->setVisible(false);
  Command(file, "mnuFileExit", "E&xit", QKeySequence(), &frmMain::mnuFileExit_Click);

  auto* inputs = new QAction("&Inputs", this);
  inputs->setObjectName("mnuInputs");
  connect(inputs, &QAction::triggered, this, [this] { mnuInputs_Click(); });
  bar->addAction(inputs);

  QMenu* view = bar->addMenu("&View");
  view->setObjectName("mnuView");
  Command(view, "mnuViewReports", "&Reports...", QKeySequence(), &frmMain::mnuViewReports_Click);

  QMenu* options = bar->addMenu("&Options");
  options->setObjectName("mnuOptions");
  Command(options, "mnuOptionsFonts", "&Fonts...", QKeySequence(), &frmMain::mnuOptionsFonts_Click);

  QMenu* help = bar->addMenu("&Help");
  help->setObjectName("mnuHelp");
  Command(help, "mnuHelpView", "&View Help File", QKeySequence(), &frmMain::mnuHelpView_Click);
  help->addSeparator()->setObjectName("mnuHelpBar0");
  Command(help, "mnuHelpAbout", "&About ", QKeySequence(), &frmMain::mnuHelpAbout_Click);
}

void frmMain::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName("tbToolBar");
  bar->setMovable(false);
  bar->setIconSize(QSize(24, 24));
  struct Button {
    const char* key;
    const char* tip;
  };
  constexpr Button kButtons[] = {{"New", "New"},
                                 {"Open", "Open"},
                                 {"Save", "Save"},
                                 {"Input", "Inputs"},
                                 {"Preview", "Print Preview"},
                                 {"Print", "Print"},
                                 {"Help", "Help"}};
  for (const Button& b : kButtons) {
    const QString key = b.key;
    QAction* action = bar->addAction(ToolbarIcon(key), b.tip);
    action->setObjectName("tb" + key);
    action->setData(key);
    action->setToolTip(b.tip);
    connect(action, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
  }
  addToolBar(Qt::TopToolBarArea, bar);
}

// -------------------------------------------------------------------------------------------
// MainWindowView

void frmMain::Load() {
  const Preferences::WindowRect rect = Preferences::LoadMainWindowPosition(app_);
  QRect wanted(static_cast<int>(std::lround(rect.left / kTwipsPerPixel)),
               static_cast<int>(std::lround(rect.top / kTwipsPerPixel)),
               static_cast<int>(std::lround(rect.width / kTwipsPerPixel)),
               static_cast<int>(std::lround(rect.height / kTwipsPerPixel)));
  wanted.setWidth(std::max(wanted.width(), 200));
  wanted.setHeight(std::max(wanted.height(), 120));
  // A position stored for a screen that is no longer there is brought back onto this one.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    bool onScreen = false;
    for (QScreen* s : QGuiApplication::screens()) {
      if (s->availableGeometry().intersects(wanted)) onScreen = true;
    }
    if (!onScreen) wanted.moveTopLeft(area.topLeft());
  }
  move(wanted.topLeft());
  resize(wanted.size());
  if (dialogs_) dialogs_->SetParentWindow(this);
}

void frmMain::Show() {
  show();
  raise();
  activateWindow();
}

void frmMain::SetStatusText(const std::string& text) {
  statusPanel_->setText(QString::fromStdString(text));
}

void frmMain::SetRecentEntry(int index, const std::string& caption) {
  if (index < 1 || index > 5) return;
  // "&1 " makes the digit the access key; an "&" inside the path itself is shown as it is.
  QString text = QString::fromStdString(caption);
  const qsizetype prefix = text.size() >= 3 && text[0] == '&' && text[2] == ' ' ? 3 : 0;
  text = text.left(prefix) + text.mid(prefix).replace("&", "&&");
  mru_[index]->setText(text);
  mru_[index]->setVisible(!caption.empty());
}

void frmMain::SetRecentSeparatorVisible(bool visible) {
  mruBar_->setVisible(visible);
}

void frmMain::SetBusy(bool busy) {
  if (busy) {
    if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_ > 0) {
    if (--busy_ == 0) QApplication::restoreOverrideCursor();
  }
}

void frmMain::ProcessEvents() {
  QCoreApplication::processEvents();
}

void frmMain::SetFileDialogFolder(const std::string& folder) {
  if (dialogs_) dialogs_->SetDefaultFolder(folder);
}

void frmMain::SavePosition() {
  Preferences::WindowRect rect;
  rect.left = pos().x() * kTwipsPerPixel;
  rect.top = pos().y() * kTwipsPerPixel;
  rect.width = width() * kTwipsPerPixel;
  rect.height = height() * kTwipsPerPixel;
  Preferences::SaveMainWindowPosition(app_, rect, isMinimized());
}

// -------------------------------------------------------------------------------------------
// Commands

void frmMain::mnuFileNew_Click() {
  FileOperations::NewFile(app_);
}

void frmMain::mnuFileOpen_Click() {
  FileOperations::OpenCommand(app_, std::string());
}

void frmMain::mnuFileSave_Click() {
  FileOperations::Save(app_, app_.state.CurrentFile);
}

void frmMain::mnuFileSaveAs_Click() {
  FileOperations::SaveAs(app_);
}

void frmMain::mnuFileMRU_Click(int index) {
  if (index < 1 || index > 5) return;
  const std::string name = app_.state.RecentFiles[static_cast<std::size_t>(index - 1)];
  FileOperations::OpenCommand(app_, name);
}

void frmMain::mnuFilePrintPreview_Click() {
  Reports::RunReports(app_, kToScreen);
}

void frmMain::mnuFilePrint_Click() {
  Reports::RunReports(app_, kToPrinter);
}

void frmMain::mnuInputs_Click() {
  app_.platform.dialogs->ShowInputForm();
}

void frmMain::mnuViewReports_Click() {
  Reports::RunReports(app_, kToScreen);
}

void frmMain::mnuOptionsFonts_Click() {
  Preferences::GetFonts(app_);
}

void frmMain::mnuHelpView_Click() {
  HelpSupport::ShowPDFhelp(app_);
}

void frmMain::mnuHelpAbout_Click() {
  frmAbout about(HelpSupport::GetAboutTexts(app_), this);
  about.exec();
}

void frmMain::mnuFileExit_Click() {
  // Returns only when the user keeps the program running; otherwise the window stores its
  // position and the program ends.
  MainMod::ExitCommand(app_, [this] { SavePosition(); });
}

void frmMain::tbToolBar_ButtonClick(const QString& key) {
  try {
    if (key == "New") {
      mnuFileNew_Click();
    } else if (key == "Open") {
      mnuFileOpen_Click();
    } else if (key == "Save") {
      mnuFileSave_Click();
    } else if (key == "Input") {
      mnuInputs_Click();
    } else if (key == "Preview") {
      mnuFilePrintPreview_Click();
    } else if (key == "Print") {
      mnuFilePrint_Click();
    } else if (key == "Help") {
      mnuHelpView_Click();
    }
  } catch (const std::exception&) {
    // The toolbar ignores failures; the commands report their own.
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  mnuFileExit_Click();
  event->ignore();  // the user chose to keep the program running
}

}  // namespace corvala
