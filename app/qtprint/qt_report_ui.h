// The Qt side of report choice, report windows, copies, the font dialog and the printer.
// The module constructs one QtReportUi beside the main window and installs it as
// app.platform.reports; everything report-related that needs a widget goes through it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QString>

#include "core/platform.h"
#include "qtprint/frm_report_form.h"

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPrinter;
class QWidget;

namespace corvala {

struct App;
class QtPrinter;

// The installed font families a report can be printed in: fixed-pitch ones the printer takes.
std::vector<QString> ReportFontFamilies();
// The one of them that a stored font name stands for: the family itself, else the font the
// system maps the name to ("Courier New" to an installed fixed-pitch font), else the system's
// fixed-pitch font; empty when there is none at all.
QString InstalledReportFamily(const QString& name);

// The report font dialog: the report font families, a size and a sample; the stored font is
// preselected as the installed family it maps to, so OK without a change keeps a usable font.
class DlgFonts : public QDialog {
  Q_OBJECT

 public:
  DlgFonts(const FontRequest& request, QWidget* parent);
  QFont SelectedFont() const;

  QListWidget* lstFontName;
  QDoubleSpinBox* spnFontSize;
  QLabel* lblSample;

 private:
  void ShowSample();
  bool bold_ = true;
};

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
  // The report font dialog (DlgFonts); std::nullopt when cancelled.
  std::optional<FontChoice> AskFont(const FontRequest& request) override;
  Printer& ThePrinter() override;

  QtPrinter& TheQtPrinter() { return *printer_; }
  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  // Prints without any dialog: every print job goes to PDF files (see QtPrinter) and the print
  // dialog is not shown; each report run prints `copies` copies. The environment variables
  // QEL_PRINT_PDF and QEL_PRINT_COPIES do the same when the object is made. An empty path goes
  // back to the print dialog and the system printer.
  void SetHeadlessPdf(const std::string& path, int copies = 1);
  bool Headless() const { return headless_; }

  // The print preview of one report, paginated by the same print manager as printing.
  void Preview(ReportKind kind, QWidget* parent);
  // Paints one report on `device` as one print job, as the preview does.
  void PaintReport(ReportKind kind, QPrinter* device);

  // The report windows that are open now.
  std::vector<FrmReportForm*> OpenWindows() const;

 private:
  App& app_;
  QWidget* mainWindow_;
  std::unique_ptr<QtPrinter> printer_;
  bool headless_ = false;
  int headlessCopies_ = 1;
  std::vector<QPointer<FrmReportForm>> windows_;
};

}  // namespace corvala

using corvala::QtReportUi;
