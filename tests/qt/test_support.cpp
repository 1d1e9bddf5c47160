#include "test_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <clocale>

#include "ostrand/wh_bus_obj.h"

namespace corvala::test {

TestProgram::TestProgram() {
  std::setlocale(LC_ALL, "C");
  app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
  app.programFolder = dir.path().toStdString();
  app.state.ProgramVersion = "ZOV2005.10";
  app.state.ProgramVersionFull = "ZOV2005.10.143";
  app.state.IniFile = Path("Corvala.ini");
  app.state.DataFilePath = dir.path().toStdString();
  app.state.DataSaved = true;
  app.platform.dialogs = &dialogs;
  app.platform.preferences = &preferences;
  app.platform.userSettings = &userSettings;
  app.platform.clock = &clock;
  app.platform.process = &process;
}

TestProgram::~TestProgram() = default;

std::string TestProgram::Path(const std::string& name) const {
  return dir.filePath(QString::fromStdString(name)).toStdString();
}

void Pump() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void FocusOn(QWidget* widget) {
  QWidget* window = widget->window();
  if (!window->isVisible()) window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  widget->setFocus(Qt::TabFocusReason);
  Pump();
}

}  // namespace corvala::test
