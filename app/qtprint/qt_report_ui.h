// The Qt side of report choice, report windows, copies, the font dialog and the printer.
// The module constructs one QtReportUi beside the main window and installs it as
// app.platform.reports; everything report-related that needs a widget goes through it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/platform.h"

class QWidget;

namespace corvala {

struct App;
class QtPrinter;

class QtReportUi : public ReportUi {
 public:
  // `mainWindow` parents the modal dialogs (may be null); `app` is used by the report windows'
  // Print and Preview buttons, which start a report run of their own.
  QtReportUi(App& app, QWidget* mainWindow);
  ~QtReportUi() override;
  QtReportUi(const QtReportUi&) = delete;
  QtReportUi& operator=(const QtReportUi&) = delete;

  // dlgRptChoices, modal, with `caption` as its title.
  ReportChoiceResult AskReports(const std::string& caption, const ReportChecks& initial) override;
  // A new frmReportForm; it deletes itself when closed.
  ReportWindow* NewReportWindow() override;
  // The system print dialog; remembers the printer set up there. 0 when cancelled.
  int AskCopies(const std::string& title) override;
  // The font dialog, fixed-pitch fonts only.
  std::optional<FontChoice> AskFont(const FontRequest& request) override;
  Printer& ThePrinter() override;

  QtPrinter& TheQtPrinter() { return *printer_; }
  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

 private:
  App& app_;
  QWidget* mainWindow_;
  std::unique_ptr<QtPrinter> printer_;
};

}  // namespace corvala

using corvala::QtReportUi;
