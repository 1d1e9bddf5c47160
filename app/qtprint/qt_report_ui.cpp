#include "qtprint/qt_report_ui.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/app.h"
#include "core/reports.h"
#include "qel/error.h"
#include "qtprint/dlg_rpt_choices.h"
#include "qtprint/qt_printer.h"
#include "qtprint/qt_text.h"

namespace corvala {
namespace {

constexpr const char* kCopiesEnvironment = "QEL_PRINT_COPIES";

int CopiesFromEnvironment() {
  const char* text = std::getenv(kCopiesEnvironment);
  if (text == nullptr || *text == '\0') {
    return 1;
  }
  char* end = nullptr;
  const long copies = std::strtol(text, &end, 10);
  if (*end != '\0' || copies < 0 || copies > 999) {
    return 1;
  }
  return static_cast<int>(copies);
}

// The program prints whole reports, one job per copy: the print dialog offers no page range,
// current page or selection. Qt's dialog shows its range group (with "Pages from ... to ...")
// whatever the options say, so the group is hidden each time the dialog is shown.
class NoPageRange : public QObject {
 public:
  explicit NoPageRange(QObject* parent) : QObject(parent) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* range = watched->findChild<QWidget*>(QStringLiteral("gbPrintRange"))) {
        range->hide();
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QtReportUi::QtReportUi(App& app, QWidget* mainWindow)
    : app_(app), mainWindow_(mainWindow), printer_(std::make_unique<QtPrinter>()) {
  if (!printer_->PdfOutput().empty()) {
    headless_ = true;
    headlessCopies_ = CopiesFromEnvironment();
  }
}

QtReportUi::~QtReportUi() {
  // The windows call back into this object; none may outlive it.
  for (const QPointer<FrmReportForm>& window : windows_) {
    delete window.data();
  }
}

void QtReportUi::SetHeadlessPdf(const std::string& path, int copies) {
  printer_->SetPdfOutput(path);
  headless_ = !path.empty();
  headlessCopies_ = copies;
}

ReportChoiceResult QtReportUi::AskReports(const std::string& caption, const ReportChecks& initial) {
  DlgRptChoices dialog(mainWindow_);
  return dialog.Ask(caption, initial);
}

ReportWindow* QtReportUi::NewReportWindow() {
  FrmReportForm::Actions actions;
  actions.print = [this] { Reports::RunReports(app_, kToPrinter); };
  actions.preview = [this](ReportKind kind, QWidget* window) { Preview(kind, window); };
  auto* window = new FrmReportForm(std::move(actions));
  std::erase_if(windows_, [](const QPointer<FrmReportForm>& w) { return w.isNull(); });
  windows_.emplace_back(window);
  return window;
}

std::vector<FrmReportForm*> QtReportUi::OpenWindows() const {
  std::vector<FrmReportForm*> open;
  for (const QPointer<FrmReportForm>& window : windows_) {
    if (!window.isNull()) {
      open.push_back(window.data());
    }
  }
  return open;
}

int QtReportUi::AskCopies(const std::string& title) {
  if (headless_) {
    return headlessCopies_;
  }
  QPrinter& device = printer_->Device();
  QPrintDialog dialog(&device, mainWindow_);
  dialog.setWindowTitle(qtprint::ToQString(title));
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  // Without any printer installed, printing to a file is the only way to print at all.
  dialog.setOption(QAbstractPrintDialog::PrintToFile, QPrinterInfo::availablePrinters().isEmpty());
  dialog.installEventFilter(new NoPageRange(&dialog));
  if (dialog.exec() != QDialog::Accepted) {
    return 0;
  }
  // The program prints each copy as a job of its own.
  const int copies = std::max(1, device.copyCount());
  device.setCopyCount(1);
  if (device.outputFormat() == QPrinter::PdfFormat && !device.outputFileName().isEmpty()) {
    // One file per copy instead of each copy overwriting the last.
    printer_->SetPdfOutput(qtprint::ToStdString(device.outputFileName()));
  } else {
    printer_->SetPdfOutput("");
  }
  return copies;
}

std::vector<QString> ReportFontFamilies() {
  std::vector<QString> families;
  for (const QString& family : QFontDatabase::families()) {
    if (QFontDatabase::isPrivateFamily(family)) continue;
    if (QtPrinter::Usable(QFont(family))) families.push_back(family);
  }
  return families;
}

QString InstalledReportFamily(const QString& name) {
  const std::vector<QString> families = ReportFontFamilies();
  auto installed = [&families](const QString& family) {
    return std::find_if(families.begin(), families.end(), [&family](const QString& each) {
      return each.compare(family, Qt::CaseInsensitive) == 0;
    });
  };
  if (auto it = installed(name); it != families.end()) return *it;
  // A name the system maps to an installed font ("Courier New" to a fixed-pitch font here).
  if (auto it = installed(QFontInfo(QFont(name)).family()); it != families.end()) return *it;
  if (auto it = installed(QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family());
      it != families.end()) {
    return *it;
  }
  return families.empty() ? QString() : families.front();
}

DlgFonts::DlgFonts(const FontRequest& request, QWidget* parent) : QDialog(parent) {
  setObjectName("dlgFonts");
  setWindowTitle(tr("Report Font"));
  lstFontName = new QListWidget(this);
  lstFontName->setObjectName("lstFontName");
  for (const QString& family : ReportFontFamilies()) lstFontName->addItem(family);
  spnFontSize = new QDoubleSpinBox(this);
  spnFontSize->setObjectName("spnFontSize");
  spnFontSize->setRange(5, 72);
  spnFontSize->setDecimals(1);
  spnFontSize->setSingleStep(1);
  spnFontSize->setValue(request.size >= 5 ? request.size : 10);
  lblSample = new QLabel(QStringLiteral("AaBbYyZz 0123456789 ,.-"), this);
  lblSample->setObjectName("lblSample");
  lblSample->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  lblSample->setMinimumHeight(48);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(tr("&Font (fixed-pitch fonts only):"), lstFontName);
  form->addRow(tr("&Size:"), spnFontSize);
  form->addRow(tr("Sample:"), lblSample);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  const QString installed = InstalledReportFamily(qtprint::ToQString(request.name));
  const QList<QListWidgetItem*> match = lstFontName->findItems(installed, Qt::MatchExactly);
  if (!match.isEmpty()) lstFontName->setCurrentItem(match.front());
  connect(lstFontName, &QListWidget::currentRowChanged, this, [this] { ShowSample(); });
  connect(spnFontSize, &QDoubleSpinBox::valueChanged, this, [this] { ShowSample(); });
  bold_ = request.bold;
  ShowSample();
}

QFont DlgFonts::SelectedFont() const {
  QFont font(lstFontName->currentItem() ? lstFontName->currentItem()->text() : QString());
  font.setPointSizeF(spnFontSize->value());
  font.setBold(bold_);
  return font;
}

void DlgFonts::ShowSample() {
  lblSample->setFont(SelectedFont());
}

std::optional<FontChoice> QtReportUi::AskFont(const FontRequest& request) {
  DlgFonts dialog(request, mainWindow_);
  if (dialog.exec() != QDialog::Accepted || !dialog.lstFontName->currentItem()) {
    return std::nullopt;
  }
  const QFont chosen = dialog.SelectedFont();
  FontChoice choice;
  choice.name = qtprint::ToStdString(chosen.family());
  choice.size = static_cast<float>(chosen.pointSizeF());
  return choice;
}

Printer& QtReportUi::ThePrinter() {
  return *printer_;
}

void QtReportUi::PaintReport(ReportKind kind, QPrinter* device) {
  printer_->RedirectTo(device);
  try {
    Reports::RunReport(app_, *kind, kToPrinter);
  } catch (...) {
    printer_->RedirectTo(nullptr);
    throw;
  }
  printer_->RedirectTo(nullptr);
}

void QtReportUi::Preview(ReportKind kind, QWidget* parent) {
  if (kind == nullptr) {
    return;
  }
  QPrintPreviewDialog dialog(&printer_->Device(), parent);
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [this, kind, &dialog](QPrinter* device) {
                     try {
                       PaintReport(kind, device);
                     } catch (const std::exception& error) {
                       QMessageBox::warning(&dialog, QStringLiteral("Print Preview"),
                                            qtprint::ToQString(error.what()));
                     }
                   });
  dialog.exec();
}

}  // namespace corvala
