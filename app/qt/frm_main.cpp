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
#include <string_view>

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
  setWindowTitle(QString::fromUtf8(kProgramTitle));
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

// One command of the main window: its menu entry, shortcut and, for some, its toolbar button.
// Menus and toolbar share the one QAction of a command.
struct CommandSpec {
  const char* menu;  // the menu's name; "" for a command on the menu bar itself
  const char*
      name;  // "mnuFileNew"; a name with "Bar" is a separator, "mnuFileMRU" the recent files
  const char* caption;
  QKeySequence::StandardKey standard;  // the platform's shortcut for it, if it has one
  const char* shortcut;                // a fixed shortcut, "" for none
  const char* icon;                    // the picture's name in the resources, "" for none
  void (frmMain::*handler)();
};

namespace {

using F = frmMain;
constexpr QKeySequence::StandardKey kNone = QKeySequence::UnknownKey;
#define QEL_TR(text) QT_TRANSLATE_NOOP("corvala::frmMain", text)
constexpr CommandSpec kCommands[] = {
    {"mnuFile", "mnuFileNew", QEL_TR("&New"), QKeySequence::New, "", "new", &F::mnuFileNew_Click},
    {"mnuFile", "mnuFileOpen", QEL_TR("&Open..."), QKeySequence::Open, "", "open",
     &F::mnuFileOpen_Click},
    {"mnuFile", "mnuFileBar0", "", kNone, "", "", nullptr},
    {"mnuFile", "mnuFileSave", QEL_TR("&Save"), QKeySequence::Save, "", "save",
     &F::mnuFileSave_Click},
    {"mnuFile", "mnuFileSaveAs", QEL_TR("Save &As..."), QKeySequence::SaveAs, "F12", "",
     &F::mnuFileSaveAs_Click},
    {"mnuFile", "mnuFileBar1", "", kNone, "", "", nullptr},
    {"mnuFile", "mnuFilePrintPreview", QEL_TR("Print Pre&view"), kNone, "", "preview",
     &F::mnuFilePrintPreview_Click},
    {"mnuFile", "mnuFilePrint", QEL_TR("&Print..."), QKeySequence::Print, "", "print",
     &F::mnuFilePrint_Click},
    {"mnuFile", "mnuFileBar3", "", kNone, "", "", nullptr},
    {"mnuFile", "mnuFileMRU", "", kNone, "", "", nullptr},
    {"mnuFile", "mnuFileBar4", "", kNone, "", "", nullptr},
    {"mnuFile", "mnuFileExit", QEL_TR("E&xit"), QKeySequence::Quit, "", "", &F::mnuFileExit_Click},
    {"", "mnuInputs", QEL_TR("&Inputs"), kNone, "", "input", &F::mnuInputs_Click},
    {"mnuView", "mnuViewReports", QEL_TR("&Reports..."), kNone, "", "", &F::mnuViewReports_Click},
    {"mnuOptions", "mnuOptionsFonts", QEL_TR("&Fonts..."), kNone, "", "",
     &F::mnuOptionsFonts_Click},
    {"mnuHelp", "mnuHelpView", QEL_TR("&View Help File"), QKeySequence::HelpContents, "", "help",
     &F::mnuHelpView_Click},
    {"mnuHelp", "mnuHelpBar0", "", kNone, "", "", nullptr},
    {"mnuHelp", "mnuHelpAbout", QEL_TR("&About "), kNone, "", "", &F::mnuHelpAbout_Click},
};

struct MenuSpec {
  const char* name;
  const char* caption;
};
constexpr MenuSpec kMenus[] = {
    {"mnuFile", QEL_TR("&File")}, {"", nullptr},  // the Inputs command stands here
    {"mnuView", QEL_TR("&View")}, {"mnuOptions", QEL_TR("&Options")},
    {"mnuHelp", QEL_TR("&Help")},
};

// The toolbar buttons in order: the button's key and tip, and the command it runs.
struct ButtonSpec {
  const char* key;
  const char* tip;
  const char* command;
};
constexpr ButtonSpec kButtons[] = {
    {"New", QEL_TR("New"), "mnuFileNew"},
    {"Open", QEL_TR("Open"), "mnuFileOpen"},
    {"Save", QEL_TR("Save"), "mnuFileSave"},
    {"Input", QEL_TR("Inputs"), "mnuInputs"},
    {"Preview", QEL_TR("Print Preview"), "mnuFilePrintPreview"},
    {"Print", QEL_TR("Print"), "mnuFilePrint"},
    {"Help", QEL_TR("Help"), "mnuHelpView"},
};
#undef QEL_TR

}  // namespace

void frmMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("mnuBar");
  for (const MenuSpec& spec : kMenus) {
    QMenu* menu = nullptr;
    if (spec.caption) {
      menu = bar->addMenu(tr(spec.caption));
      menu->setObjectName(spec.name);
    }
    for (const CommandSpec& command : kCommands) {
      if (std::string_view(command.menu) != spec.name) continue;
      const QString name = command.name;
      if (name.contains("Bar")) {
        QAction* separator = menu->addSeparator();
        separator->setObjectName(name);
        if (name == "mnuFileBar4") {
          mruBar_ = separator;
          separator->setVisible(false);
        }
      } else if (name == "mnuFileMRU") {
        for (int i = 1; i <= 5; ++i) {
          auto* entry = new QAction(this);
          entry->setObjectName(QString("mnuFileMRU%1").arg(i));
          entry->setVisible(false);
          connect(entry, &QAction::triggered, this, [this, i] { mnuFileMRU_Click(i); });
          menu->addAction(entry);
          mru_[i] = entry;
        }
      } else {
        QAction* action = NewCommand(command);
        if (menu) {
          menu->addAction(action);
        } else {
          action->setIconVisibleInMenu(
              false);  // the menu bar shows its caption; the toolbar its icon
          bar->addAction(action);
        }
      }
    }
  }
}

QAction* frmMain::NewCommand(const CommandSpec& command) {
  auto* action = new QAction(tr(command.caption), this);
  action->setObjectName(command.name);
  QList<QKeySequence> keys;
  if (*command.shortcut) keys << QKeySequence(QString::fromLatin1(command.shortcut));
  if (command.standard != QKeySequence::UnknownKey) {
    for (const QKeySequence& key : QKeySequence::keyBindings(command.standard)) {
      if (!keys.contains(key)) keys << key;
    }
  }
  action->setShortcuts(keys);
  // A command on the menu bar itself keeps its caption there; its toolbar button gets the icon.
  if (*command.icon && *command.menu) {
    action->setIcon(CommandIcon(QString::fromLatin1(command.icon)));
  }
  connect(action, &QAction::triggered, this,
          [this, handler = command.handler] { (this->*handler)(); });
  return action;
}

void frmMain::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName("tbToolBar");
  bar->setMovable(false);
  bar->setIconSize(QSize(24, 24));
  for (const ButtonSpec& button : kButtons) {
    QAction* action = findChild<QAction*>(button.command);
    action->setData(QString::fromLatin1(button.key));
    action->setToolTip(tr(button.tip));
    bar->addAction(action);
    if (action->icon().isNull()) {
      for (const CommandSpec& command : kCommands) {
        if (action->objectName() != QLatin1String(command.name)) continue;
        if (auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
          tool->setIcon(CommandIcon(QString::fromLatin1(command.icon)));
        }
      }
    }
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
  for (const ButtonSpec& button : kButtons) {
    if (key != QLatin1String(button.key)) continue;
    try {
      findChild<QAction*>(button.command)->trigger();
    } catch (const std::exception&) {
      // The toolbar ignores failures; the commands report their own.
    }
    return;
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  mnuFileExit_Click();
  event->ignore();  // the user chose to keep the program running
}

}  // namespace corvala
