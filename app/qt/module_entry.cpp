// The interactive module libCorvalaQt.so: creates the application object and the Qt platform,
// runs the interactive start-up course and then the event loop.
#include <QApplication>
#include <memory>

#include "core/app.h"
#include "core/interactive.h"
#include "core/main_mod.h"
#include "qt/frm_main.h"
#include "qt/icons.h"
#include "qt/qt_platform.h"
#include "qtprint/qt_report_ui.h"

namespace {
int gArgc = 0;  // QApplication keeps a reference to its argument count
}

extern "C" __attribute__((visibility("default"))) int CorvalaRunInteractive(corvala::App& app,
                                                                            int argc, char** argv) {
  using namespace corvala;
  gArgc = argc;
  QApplication application(gArgc, argv);
  QApplication::setApplicationName(kProgramTitle);
  QApplication::setOrganizationName(kProgramTitle);
  QApplication::setWindowIcon(ProgramIcon());

  QtDialogs dialogs(app);
  frmMain mainWindow(app);
  mainWindow.SetDialogs(&dialogs);
  // The preferences file is the same plain INI file a silent run would read; GetIni opens it.
  std::unique_ptr<QtSettingsStore> userSettings = QtSettingsStore::PerUser(kProgramTitle);
  QtClock clock;
  QtProcess process;
  process.AddStore(userSettings.get());
  QtReportUi reports(app, &mainWindow);
  app.platform.reports = &reports;

  app.platform.dialogs = &dialogs;
  app.platform.window = &mainWindow;
  app.platform.userSettings = userSettings.get();
  app.platform.clock = &clock;
  app.platform.process = &process;

  if (!MainMod::RunInteractive(app)) {
    process.Flush();
    app.platform = Platform{};
    return app.state.ExitStatus;
  }
  const int status = QApplication::exec();
  process.Flush();
  app.platform = Platform{};
  return status;
}
