// Pictures of the report side for a person to look at: the report choice dialog, a report
// window, and a printed report as PDF. Run by scripts/print-screenshots.sh under a virtual
// X server; writes report-choices.png, report-window.png and reports.pdf into the folder given.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/reports.h"
#include "qtprint/qt_printer.h"
#include "qtprint/qt_report_ui.h"
#include "report_case.h"

namespace {

bool Save(QWidget* widget, const std::filesystem::path& file) {
  const bool saved = widget->grab().save(QString::fromStdString(file.string()), "PNG");
  std::printf("%s %s\n", saved ? "wrote" : "could not write", file.c_str());
  return saved;
}

// Answers the next report choice dialog with Input and Targeted ticked, after its picture.
void AnswerChoices(const std::filesystem::path& picture, bool* saved) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, picture, saved] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    for (const char* name : {"chkRptInput", "chkTargeted"}) {
      if (auto* box = dialog->findChild<QCheckBox*>(name)) box->setChecked(true);
    }
    if (!picture.empty()) *saved = Save(dialog, picture) && *saved;
    if (auto* ok = dialog->findChild<QAbstractButton*>("btnOK")) ok->click();
  });
  timer->start();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);

  qtprint_test::ReportCase session(nullptr);
  corvala::QtReportUi ui(session.app, nullptr);
  session.app.platform.reports = &ui;
  ui.SetHeadlessPdf((folder / "reports.pdf").string(), 1);
  session.Object().enumComputationType(ostrand::targeted);

  bool ok = true;
  // The screen: the choice dialog, then a window per report (Targeted, then Inputs).
  AnswerChoices(folder / "report-choices.png", &ok);
  corvala::Reports::RunReports(session.app, corvala::kToScreen);
  const auto windows = ui.OpenWindows();
  if (windows.empty()) {
    std::fprintf(stderr, "no report window opened\n");
    return 1;
  }
  corvala::FrmReportForm* targeted = windows.front();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  ok = Save(targeted, folder / "report-window.png") && ok;

  // The printer: the same choice printed to PDF.
  AnswerChoices({}, &ok);
  corvala::Reports::RunReports(session.app, corvala::kToPrinter);
  const auto& files = ui.TheQtPrinter().FinishedFiles();
  for (const std::string& file : files) std::printf("wrote %s\n", file.c_str());
  return ok && files.size() == 1 ? 0 : 1;
}
