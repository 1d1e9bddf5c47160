#include "qt/hooks.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

#include "core/app.h"
#include "core/main_mod.h"
#include "ostrand/wh_bus_obj.h"
#include "qt/frm_ip.h"
#include "qt/ip_support.h"

namespace corvala {

QString ScreenshotFolder() {
  return qEnvironmentVariable("CORVALA_SCREENSHOT_DIR");
}
bool StartupExit() {
  return !qEnvironmentVariable("CORVALA_STARTUP_EXIT").isEmpty();
}
bool AutoRun() {
  return !ScreenshotFolder().isEmpty() || StartupExit();
}

void Snap(QWidget* widget, const QString& name) {
  const QString folder = ScreenshotFolder();
  if (folder.isEmpty() || !widget) return;
  QDir().mkpath(folder);
  QCoreApplication::processEvents();
  const QString path = QDir(folder).filePath(name + ".png");
  if (!widget->grab().save(path)) std::fprintf(stderr, "could not save %s\n", qPrintable(path));
}

namespace {

// A sample case, so the pictures of the input form show figures.
void FillSample(ostrand::_WhBusObj& o) {
  o.sTaxpayer("Ann Example");
  o.Line2("Payroll department, cost centre 12");
  o.enumComputationType(ostrand::proforma);
  o.enumFrequency(ostrand::weekly);
  o.IsSingle(true);
  o.sWages4Yr("31200");
  o.sAllowancesIP("2");
  o.sAdditionalPayckWH("0");
  o.sRemainingWages("15600");
  o.sRemainingPeriods("26");
  o.sTargetedWH4Yr("1500");
  o.sWagesPercent("600");
}

void InputFormTour(App& app, QWidget* mainWindow) {
  FillSample(*app.state.withholding);
  frmIP form(app, mainWindow);
  form.LoadFromObject();
  IPSupport::SetInitialIP(app, form);
  IPSupport::ShowPercentMethWH(app, form);
  IPSupport::ShowTargeted(app, form);
  IPSupport::ShowProformaWH(app, form);
  form.show();
  const char* const names[] = {"frmIP-general", "frmIP-w2-proforma", "frmIP-targeted",
                               "frmIP-percentage"};
  QLineEdit* const first[] = {form.txtName, form.txtAnnualWages, form.txtWages4RestOfYrTargeted,
                              form.txtWagesPercent};
  for (int tab = 0; tab < 4; ++tab) {
    form.vsTabIP->setCurrentIndex(tab);
    form.txtHelp->setPlainText(HelpTextFor(first[tab]->objectName()));
    QCoreApplication::processEvents();
    Snap(&form, names[tab]);
  }
  form.close();
}

}  // namespace

void RunAutoCourse(App& app, QWidget* mainWindow, long long startMs) {
  if (StartupExit()) {
    // Done once the window system has put the main window on the screen and it has painted.
    auto* poll = new QTimer(mainWindow);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, mainWindow, [mainWindow, startMs] {
      QWindow* window = mainWindow->windowHandle();
      if (!window || !window->isExposed()) return;
      mainWindow->repaint();
      std::printf("main window shown after %lld ms\n",
                  QDateTime::currentMSecsSinceEpoch() - startMs);
      std::fflush(stdout);
      std::_Exit(0);
    });
    poll->start();
    return;
  }
  if (ScreenshotFolder().isEmpty()) return;
  QTimer::singleShot(300, mainWindow, [&app, mainWindow] {
    Snap(mainWindow, "frmMain");
    InputFormTour(app, mainWindow);
    MainMod::ExitCommand(app);  // the closing screen is photographed on its way
  });
}

}  // namespace corvala
