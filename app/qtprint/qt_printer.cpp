#include "qtprint/qt_printer.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPrinter>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "qel/error.h"
#include "qtprint/qt_text.h"

namespace corvala {
namespace {

constexpr long kPrinterError = 482;  // Printer error
constexpr float kLargestFontSize = 1638.0F;

// A family name that no font configuration knows: what it resolves to is the system's last
// resort, so a family resolving to the same face was not found either.
const QString kUnknownFamily = QStringLiteral("Qel Unknown Family 7f3a");

bool FamilyKnown(const QString& family) {
  const QStringList families = QFontDatabase::families();
  for (const QString& known : families) {
    if (known.compare(family, Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

bool FixedPitch(const QFont& font) {
  const QFontMetricsF metrics(font);
  const double cell = metrics.horizontalAdvance(QChar(u'0'));
  if (cell <= 0) {
    return false;
  }
  for (QChar c : QStringLiteral("iWm. -")) {
    if (std::abs(metrics.horizontalAdvance(c) - cell) > 0.01) {
      return false;
    }
  }
  return true;
}

QFont InitialFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setPointSizeF(10);
  if (QtPrinter::Usable(font)) {
    return font;
  }
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSizeF(10);
  return fixed;
}

}  // namespace

bool QtPrinter::Usable(const QFont& font) {
  const QString family = font.family().trimmed();
  if (family.isEmpty()) {
    return false;
  }
  if (!FamilyKnown(family)) {
    const QString resolved = QFontInfo(font).family();
    QFont unknown(kUnknownFamily);
    if (resolved.compare(QFontInfo(unknown).family(), Qt::CaseInsensitive) == 0) {
      return false;
    }
  }
  return FixedPitch(font);
}

QtPrinter::QtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  font_ = InitialFont();
  fontName_ = qtprint::ToStdString(font_.family());
  if (const char* pdf = std::getenv(kPdfEnvironment); pdf != nullptr && *pdf != '\0') {
    SetPdfOutput(pdf);
  }
}

QtPrinter::~QtPrinter() {
  if (painter_.isActive()) {
    painter_.end();
  }
}

QPrinter& QtPrinter::Target() const {
  return redirect_ != nullptr ? *redirect_ : *printer_;
}

double QtPrinter::PageHeight() {
  return Target().height();
}

double QtPrinter::LineHeight() const {
  return QFontMetricsF(font_, &Target()).lineSpacing();
}

double QtPrinter::CellWidth() const {
  return QFontMetricsF(font_, &Target()).horizontalAdvance(QChar(u'0'));
}

double QtPrinter::TextHeight(std::string_view text) {
  const QString lines = qtprint::ToDisplayLines(text);
  return LineHeight() * static_cast<double>(lines.count(QChar(u'\n')) + 1);
}

void QtPrinter::SetPdfOutput(const std::string& path) {
  if (painter_.isActive()) {
    EndDoc();
  }
  pdfPath_ = path;
  jobsStarted_ = 0;
  finishedJobs_ = 0;
  finishedFiles_.clear();
  if (path.empty()) {
    printer_->setOutputFileName(QString());
    printer_->setOutputFormat(QPrinter::NativeFormat);
  } else {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(qtprint::ToQString(path));
  }
}

std::string QtPrinter::PdfFileForJob(int job) const {
  if (pdfPath_.empty() || job <= 1) {
    return pdfPath_;
  }
  const std::filesystem::path path(pdfPath_);
  std::filesystem::path numbered = path.parent_path() / path.stem();
  numbered += "-" + std::to_string(job);
  numbered += path.extension();
  return numbered.string();
}

void QtPrinter::RedirectTo(QPrinter* device) {
  if (painter_.isActive()) {
    EndDoc();
  }
  redirect_ = device;
}

void QtPrinter::BeginJob() {
  if (painter_.isActive()) {
    return;
  }
  currentFile_.clear();
  if (redirect_ == nullptr && !pdfPath_.empty()) {
    currentFile_ = PdfFileForJob(jobsStarted_ + 1);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(qtprint::ToQString(currentFile_));
  }
  if (!painter_.begin(&Target())) {
    std::string what = "The print job could not be started";
    if (!currentFile_.empty()) {
      what += " (" + currentFile_ + ")";
    }
    throw qel::QelError(kPrinterError, "QtPrinter.BeginJob", what + ".");
  }
  if (redirect_ == nullptr && !pdfPath_.empty()) {
    ++jobsStarted_;
  }
  ownJob_ = redirect_ == nullptr;
  painter_.setFont(font_);
  page_ = 1;
  pageOpen_ = true;
  x_ = 0;
  y_ = 0;
}

void QtPrinter::OpenPage() {
  if (!pageOpen_) {
    Target().newPage();
    pageOpen_ = true;
  }
}

void QtPrinter::EnsureRoomForLine() {
  OpenPage();
  // Like a sheet of paper: text below the last full line goes on to the next page.
  if (y_ > 0 && y_ + LineHeight() > PageHeight()) {
    NewPage();
    OpenPage();
  }
}

void QtPrinter::DrawSegment(const QString& segment) {
  if (segment.isEmpty()) {
    return;
  }
  EnsureRoomForLine();
  const QFontMetricsF metrics(font_, &Target());
  const double advance = metrics.horizontalAdvance(segment);
  const double room = Target().width() - x_;
  if (advance <= room) {
    painter_.drawText(QPointF(x_, y_ + metrics.ascent()), segment);
    x_ += advance;
    return;
  }
  // Text that would run past the page edge (a long name) is narrowed to fit the rest of the
  // line: it stays one line, so the page keeps its line count.
  if (room <= 0) return;
  painter_.save();
  painter_.translate(x_, y_ + metrics.ascent());
  painter_.scale(room / advance, 1.0);
  painter_.drawText(QPointF(0, 0), segment);
  painter_.restore();
  x_ += room;
}

void QtPrinter::LineEnd() {
  x_ = 0;
  y_ += LineHeight();
}

void QtPrinter::Print(std::string_view text) {
  BeginJob();
  const QString lines = qtprint::ToDisplayLines(text);
  qsizetype start = 0;
  while (true) {
    const qsizetype end = lines.indexOf(QChar(u'\n'), start);
    if (end < 0) {
      DrawSegment(lines.mid(start));
      break;
    }
    DrawSegment(lines.mid(start, end - start));
    LineEnd();
    start = end + 1;
  }
}

void QtPrinter::PrintLineAt(int column, std::string_view text) {
  BeginJob();
  x_ = CellWidth() * static_cast<double>(column > 1 ? column - 1 : 0);
  Print(text);
  LineEnd();
}

int QtPrinter::Page() {
  return page_;
}

void QtPrinter::NewPage() {
  BeginJob();
  // The sheet itself is started by the next output, so a job that ends right after a page
  // break does not end with an empty page.
  OpenPage();
  pageOpen_ = false;
  ++page_;
  x_ = 0;
  y_ = 0;
}

void QtPrinter::EndDoc() {
  if (!painter_.isActive()) {
    return;
  }
  painter_.end();
  if (ownJob_) {
    ++finishedJobs_;
  }
  if (!currentFile_.empty()) {
    finishedFiles_.push_back(currentFile_);
  }
  currentFile_.clear();
  page_ = 1;
  pageOpen_ = false;
  x_ = 0;
  y_ = 0;
}

FontRecord QtPrinter::Font() {
  FontRecord record;
  record.name = fontName_;
  record.size = static_cast<float>(font_.pointSizeF());
  record.bold = font_.bold() ? std::int16_t{-1} : std::int16_t{0};
  return record;
}

void QtPrinter::ApplyFont(const QFont& font) {
  font_ = font;
  if (painter_.isActive()) {
    painter_.setFont(font_);
  }
}

void QtPrinter::SetFontName(const std::string& name) {
  QFont font = font_;
  font.setFamilies({qtprint::ToQString(name)});
  if (!Usable(font)) {
    throw qel::QelError(qel::err::kInvalidProperty, "Printer.FontName");
  }
  ApplyFont(font);
  fontName_ = name;
}

void QtPrinter::SetFontSize(float size) {
  if (!std::isfinite(size) || size <= 0 || size > kLargestFontSize) {
    throw qel::QelError(qel::err::kInvalidProperty, "Printer.FontSize");
  }
  QFont font = font_;
  font.setPointSizeF(size);
  ApplyFont(font);
}

void QtPrinter::SetFontBold(bool bold) {
  QFont font = font_;
  font.setBold(bold);
  ApplyFont(font);
}

}  // namespace corvala
