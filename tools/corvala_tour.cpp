// corvala_tour: runs the program's interactive start exactly as the Corvala executable does (the
// Qt module loaded from the program folder) and drives its windows from outside, through the
// widgets' names, the way a person would: answering the about box and the start-up choice,
// typing into the input form, opening the menus' commands.
//
//   corvala_tour --screenshots FOLDER   pictures of every window into FOLDER, then Exit
//   corvala_tour --startup-time         prints "main window shown after N ms" and ends
//
// The driver starts when the module creates the application object (a Qt start-up routine), so
// the program itself holds no hook for it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/app.h"
#include "core/errors.h"
#include "core/main_mod.h"
#include "headless/headless.h"
#include "qel/module_path.h"

namespace {

void Anchor() {}

struct Options {
  QString pictures;  // folder for the pictures; empty when timing the start-up
  bool startupTime = false;
};
Options gOptions;
corvala::App* gApp = nullptr;
qint64 gStartMs = 0;

// One step of the course: wait until a window with this name is showing, then act on it.
struct Step {
  QString window;
  std::function<void(QWidget*)> act;
};

QWidget* Showing(const QString& name) {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    return modal->objectName() == name ? modal : nullptr;
  }
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == name && top->isVisible() && top->windowHandle() &&
        top->windowHandle()->isExposed()) {
      return top;
    }
  }
  return nullptr;
}

void Snap(QWidget* widget, const QString& name) {
  QApplication::processEvents();
  const QString path = QDir(gOptions.pictures).filePath(name + ".png");
  if (!widget->grab().save(path)) std::fprintf(stderr, "could not save %s\n", qPrintable(path));
}

template <typename T>
T* Child(QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(name);
  if (!child) {
    std::fprintf(stderr, "corvala_tour: no %s in %s\n", name, qPrintable(parent->objectName()));
    std::_Exit(2);
  }
  return child;
}

// Runs a main-window command once the current event is done (its dialogs are modal).
void Command(const char* name) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() != "frmMain") continue;
    QAction* action = Child<QAction>(top, name);
    QTimer::singleShot(0, action, &QAction::trigger);
  }
}

// Goes to the tab of a control of the input form and gives it the focus.
void Enter(QWidget* form, QWidget* control) {
  auto* tabs = Child<QTabWidget>(form, "vsTabIP");
  for (QWidget* page = control->parentWidget(); page; page = page->parentWidget()) {
    if (tabs->indexOf(page) >= 0) tabs->setCurrentWidget(page);
  }
  control->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
}

// Types into a field as a person would: focus, select all, type, Tab away.
void Type(QWidget* form, const char* field, const QString& text) {
  auto* box = Child<QLineEdit>(form, field);
  Enter(form, box);
  box->selectAll();
  QTest::keyClicks(box, text);
  QTest::keyClick(box, Qt::Key_Tab);
  QApplication::processEvents();
}

// Chooses the item of a drop-down list by its text, then Tab away.
void Choose(QWidget* form, const char* list, const QString& item) {
  auto* box = Child<QComboBox>(form, list);
  Enter(form, box);
  box->setCurrentIndex(box->findText(item));
  QTest::keyClick(box, Qt::Key_Tab);
  QApplication::processEvents();
}

void Close(QWidget* dialog, bool accept) {
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
    QAbstractButton* button = box->button(accept ? QMessageBox::Yes : QMessageBox::No);
    if (!button) button = box->button(QMessageBox::Ok);
    if (button) {
      button->click();
      return;
    }
  }
  auto* d = qobject_cast<QDialog*>(dialog);
  accept ? d->accept() : d->reject();
}

std::vector<Step> StartupCourse() {
  return {
      {"frmAbout", [](QWidget* w) { Close(w, true); }},
      {"frmStartUp", [](QWidget* w) { Child<QPushButton>(w, "btnMain")->click(); }},
      {"frmMain",
       [](QWidget*) {
         std::printf("main window shown after %lld ms\n",
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch() - gStartMs));
         std::fflush(stdout);
         std::_Exit(0);
       }},
  };
}

std::vector<Step> PictureCourse() {
  auto inputTabs = [](QWidget* form) {
    auto* tabs = Child<QTabWidget>(form, "vsTabIP");
    const char* const names[] = {"frmIP-general", "frmIP-w2-proforma", "frmIP-targeted",
                                 "frmIP-percentage"};
    for (int tab = 0; tab < tabs->count(); ++tab) {
      tabs->setCurrentIndex(tab);
      Snap(form, names[tab]);
    }
  };
  return {
      {"frmAbout",
       [](QWidget* w) {
         Snap(w, "frmAbout");
         Close(w, true);
       }},
      {"frmStartUp",
       [](QWidget* w) {
         Snap(w, "frmStartUp");
         Child<QPushButton>(w, "btnMain")->click();
       }},
      {"frmMain",
       [](QWidget* w) {
         Snap(w, "frmMain");
         Command("mnuInputs");
       }},
      {"frmIP",
       [inputTabs](QWidget* form) {
         // A new case is on the newest tax year: first the pictures of a 2005 case.
         Choose(form, "lstTaxYearProforma", "2005");
         const std::pair<const char*, const char*> sample[] = {
             {"txtName", "Ann Example"},
             {"txtLine2", "Payroll department, cost centre 12"},
             {"txtAnnualWages", "31200"},
             {"txtAllowancesProforma", "2"},
             {"txtWages4RestOfYrTargeted", "15600"},
             {"txtPayPerLeftTargeted", "26"},
             {"txtTargWH4RestOfYrTargeted", "1500"},
             {"txtWagesPercent", "600"},
         };
         for (const auto& [field, text] : sample) Type(form, field, text);
         Child<QTabWidget>(form, "vsTabIP")->setCurrentIndex(1);
         QApplication::processEvents();
         inputTabs(form);
         // A number far too large for an amount, in each tab's first field.
         const char* const first[] = {"txtAnnualWages", "txtWages4RestOfYrTargeted",
                                      "txtWagesPercent"};
         const char* const pictures[] = {"frmIP-too-large-w2", "frmIP-too-large-targeted",
                                         "frmIP-too-large-percentage"};
         for (int i = 0; i < 3; ++i) {
           Type(form, first[i], "99999999999999999999999");
           Snap(form, pictures[i]);
         }
         // 2026 with a 2020-or-later Form W-4: a weekly single employee earning 1,000.00, then
         // married filing jointly with the Step 2 box, then a 2019-or-earlier form.
         Choose(form, "lstTaxYearPercent", "2026");
         Choose(form, "lstW4FormPercent", "2020 Or Later");
         Type(form, "txtWagesPercent", "1000");
         Snap(form, "frmIP-2026-percentage");
         Type(form, "txtAnnualWages", "52000");
         Choose(form, "lstW4StatusProforma", "Married Filing Jointly");
         auto* step2 = Child<QCheckBox>(form, "chkStep2Proforma");
         Enter(form, step2);
         QTest::keyClick(step2, Qt::Key_Space);
         Type(form, "txtStep3Proforma", "2000");
         Snap(form, "frmIP-2026-w2-proforma");
         Type(form, "txtWages4RestOfYrTargeted", "26000");
         Snap(form, "frmIP-2026-targeted");
         Choose(form, "lstW4FormPercent", "2019 Or Earlier");
         Type(form, "txtWagesPercent", "1000");
         Snap(form, "frmIP-2026-earlier-form");
         Child<QPushButton>(form, "btnCancel")->click();
         Command("mnuOptionsFonts");
       }},
      {"msgBox",
       [](QWidget* w) {
         Snap(w, "msgFontAdvice");
         Close(w, true);
       }},
      {"dlgFonts",
       [](QWidget* w) {
         Snap(w, "dlgFonts");
         Close(w, false);
         Command("mnuHelpView");
       }},
      {"msgBox",
       [](QWidget* w) {
         Snap(w, "msgHelpFile");
         Close(w, true);
         QTimer::singleShot(0, [] {
           gApp->platform.dialogs->MessageBox(
               corvala::FatalErrorMessage(corvala::kProgramTitle, 6, "IPSupport.ShowProformaWH"),
               corvala::Buttons::YesNo, corvala::Icon::Critical, "WARNING!");
         });
       }},
      {"msgBox",
       [](QWidget* w) {
         Snap(w, "msgFatalError");
         Close(w, false);
         Command("mnuFileExit");
       }},
      {"frmFinal",
       [](QWidget* w) {
         Snap(w, "frmFinal");
         Close(w, true);
       }},
  };
}

void StartDriver() {
  auto* steps = new std::vector<Step>(gOptions.startupTime ? StartupCourse() : PictureCourse());
  auto* next = new std::size_t(0);
  auto* timer = new QTimer;
  timer->setInterval(gOptions.startupTime ? 1 : 50);
  QObject::connect(timer, &QTimer::timeout, [steps, next, timer] {
    if (*next >= steps->size()) {
      timer->stop();
      return;
    }
    // The input form's tab-mismatch warning may come up while the course types: a picture of
    // the first one, and each is answered.
    // It does not block the form, so it is found among the windows, not as the modal one.
    QMessageBox* box = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* shown = qobject_cast<QMessageBox*>(top);
          shown && shown->isVisible() && shown->text().startsWith("You selected the")) {
        box = shown;
      }
    }
    if (box) {
      static bool pictured = false;
      if (!pictured && !gOptions.pictures.isEmpty()) Snap(box, "msgTabWarning");
      pictured = true;
      Close(box, true);
      return;
    }
    QWidget* window = Showing((*steps)[*next].window);
    if (!window) return;
    const Step& step = (*steps)[(*next)++];
    std::fprintf(stderr, "corvala_tour: %s\n", qPrintable(step.window));
    // Acted on outside this timer's slot: a dialog the act opens runs a loop of its own, in
    // which this timer must go on ticking to answer it.
    QTimer::singleShot(0, window, [act = step.act, window] { act(window); });
  });
  timer->start();
  // A course that gets stuck must not hang a script.
  QTimer::singleShot(60000, [] {
    QWidget* modal = QApplication::activeModalWidget();
    std::fprintf(
        stderr, "corvala_tour: the course did not finish within a minute (showing: %s)\n",
        modal ? qPrintable(modal->objectName() + " " + modal->windowTitle()) : "no dialog");
    std::_Exit(3);
  });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartDriver)

int main(int argc, char** argv) {
  gStartMs = QDateTime::currentMSecsSinceEpoch();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--startup-time") {
      gOptions.startupTime = true;
    } else if (arg == "--screenshots" && i + 1 < argc) {
      gOptions.pictures = QString::fromLocal8Bit(argv[++i]);
      QDir().mkpath(gOptions.pictures);
    } else {
      std::fprintf(stderr, "usage: %s --screenshots FOLDER | --startup-time\n", argv[0]);
      return 2;
    }
  }
  if (gOptions.pictures.isEmpty() && !gOptions.startupTime) {
    std::fprintf(stderr, "usage: %s --screenshots FOLDER | --startup-time\n", argv[0]);
    return 2;
  }
  std::setlocale(LC_ALL, "");
  corvala::headless::SilentPlatform silent;
  corvala::App app;
  gApp = &app;
  const void* self = reinterpret_cast<const void*>(&Anchor);
  app.programFolder = qel::ModuleFolder(self);
  app.programFileStem = "Corvala";
  app.platform = silent.Bundle();
  char* programOnly[] = {argv[0], nullptr};
  return corvala::MainMod::Main(app, 1, programOnly);
}
