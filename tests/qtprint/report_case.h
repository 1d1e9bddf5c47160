// One case loaded into the business object and the program's platform around it, for the tests
// that run the program's report run against the Qt report side.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/app.h"
#include "core/reports.h"
#include "corvala_testing/doubles.h"
#include "headless/headless.h"
#include "ostrand/wh_bus_obj.h"
#include "qtprint/qt_printer.h"

namespace qtprint_test {

// The recording report UI of the program's tests, printing on the real Qt printer.
class PdfReportUi : public corvala::headless::RecordingReportUi {
 public:
  corvala::QtPrinter qt;
  corvala::Printer& ThePrinter() override { return qt; }
};

struct ReportCase {
  corvala::App app;
  corvala::headless::ScriptedDialogs dialogs;
  corvala::headless::RecordingWindow window;
  corvala::headless::MemorySettings preferences;
  corvala::headless::MemorySettings userSettings;
  corvala::headless::FixedClock clock;
  corvala::headless::ThrowingProcess process;

  // `reports` is the report side under test (not owned).
  explicit ReportCase(corvala::ReportUi* reports) {
    app.platform.dialogs = &dialogs;
    app.platform.window = &window;
    app.platform.reports = reports;
    app.platform.preferences = &preferences;
    app.platform.userSettings = &userSettings;
    app.platform.clock = &clock;
    app.platform.process = &process;
    app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    app.state.CurrentFile = "/home/ann/ann-example.zov";
    ostrand::_WhBusObj& object = *app.state.withholding;
    object.sTaxpayer("Ann Example");
    object.Line2("Acme Payroll, Dept. 7");
    object.IsSingle(true);
    object.enumFrequency(ostrand::biweekly);
    object.sAllowancesIP("2");
    object.sAdditionalPayckWH("10");
    object.sWages4Yr("52000");
    object.sRemainingWages("26000");
    object.sRemainingPeriods("13");
    object.sTargetedWH4Yr("3000");
    object.sWagesPercent("2000");
    object.enumComputationType(ostrand::targeted);
  }

  ostrand::_WhBusObj& Object() { return *app.state.withholding; }
};

// The report choice answered with OK and these boxes.
inline corvala::ReportChoiceResult Chosen(std::int16_t input, std::int16_t w2,
                                          std::int16_t targeted, std::int16_t percentage) {
  corvala::ReportChoiceResult result;
  result.outcome = corvala::ReportChoiceOutcome::Ok;
  result.checks = {input, w2, targeted, percentage};
  return result;
}

}  // namespace qtprint_test
