// The printer of the program: QPrinter and QPainter behind the program's Printer interface.
//
// Text is laid out on a grid of lines and character cells of the current font: a line is the
// font's line spacing high, a column one character of the fixed-pitch font wide. A print job
// starts with the first output and ends with EndDoc, which ends the painter; the next output
// starts a new job. Measurements are in device pixels of the paint device the job goes to.
//
// Output goes to the printer set up in the system print dialog or, after SetPdfOutput (or with
// the environment variable QEL_PRINT_PDF set when the printer is made), to PDF files without
// any dialog. Several print jobs in one PDF session (one per copy) get a file each: the first
// job writes the given name, later jobs insert "-2", "-3", ... before the extension.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "core/platform.h"

class QPrinter;

namespace corvala {

class QtPrinter : public Printer {
 public:
  // The environment variable that sends every print job to PDF files without a dialog.
  static constexpr const char* kPdfEnvironment = "QEL_PRINT_PDF";

  QtPrinter();
  ~QtPrinter() override;
  QtPrinter(const QtPrinter&) = delete;
  QtPrinter& operator=(const QtPrinter&) = delete;

  double PageHeight() override;
  double TextHeight(std::string_view text) override;
  void Print(std::string_view text) override;
  void PrintLineAt(int column, std::string_view text) override;
  int Page() override;
  void NewPage() override;
  void EndDoc() override;
  FontRecord Font() override;
  // The font setters raise qel::QelError 380 for a font the printer cannot use: a family that
  // is neither installed nor substituted by the system's font configuration, a font that is
  // not fixed-pitch, or a size that is not a positive number. The font stays as it was.
  void SetFontName(const std::string& name) override;
  void SetFontSize(float size) override;
  void SetFontBold(bool bold) override;

  // The printer the user set up; the print dialog works on it.
  QPrinter& Device() { return *printer_; }
  // Sends the following print jobs to PDF; an empty path goes back to the system printer.
  void SetPdfOutput(const std::string& path);
  const std::string& PdfOutput() const { return pdfPath_; }
  // The PDF file of the n-th job (1-based) of the current PDF session.
  std::string PdfFileForJob(int job) const;
  // Jobs on the own printer ended by EndDoc since the last SetPdfOutput, and the files they
  // wrote (PDF only); jobs painted on a redirect device are not counted.
  int FinishedJobs() const { return finishedJobs_; }
  const std::vector<std::string>& FinishedFiles() const { return finishedFiles_; }
  bool JobOpen() const { return painter_.isActive(); }

  // While set, print jobs paint on `device` (not owned), e.g. the printer of a print preview,
  // instead of the own printer; null goes back. An open job is ended first.
  void RedirectTo(QPrinter* device);

  // Whether the printer can use this font (the 380 rule above).
  static bool Usable(const QFont& font);

 private:
  QPrinter& Target() const;
  void BeginJob();
  void OpenPage();
  void EnsureRoomForLine();
  void DrawSegment(const QString& segment);
  void LineEnd();
  void ApplyFont(const QFont& font);
  double LineHeight() const;
  double CellWidth() const;

  std::unique_ptr<QPrinter> printer_;
  QPrinter* redirect_ = nullptr;
  QPainter painter_;
  QFont font_;
  std::string fontName_;  // the name as set, reported back by Font()
  std::string pdfPath_;
  int jobsStarted_ = 0;
  int finishedJobs_ = 0;
  std::vector<std::string> finishedFiles_;
  std::string currentFile_;
  bool ownJob_ = false;  // the open job prints on the own printer, not a redirect
  int page_ = 1;
  bool pageOpen_ = false;  // false after NewPage until the next output starts the sheet
  double x_ = 0;           // pen position within the current line
  double y_ = 0;           // top of the current line
};

}  // namespace corvala
