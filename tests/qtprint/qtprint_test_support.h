// Helpers of the Qt report tests: reading PDF files back as text, page set-up, temporary
// folders and answering modal dialogs.
#pragma once

#include <QPrinter>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "qel_testing/temp_folder.h"

class QWidget;

namespace qtprint_test {

using TempFolder = qel::testing::TempFolder;

// The text of a PDF file as pdftotext -layout lays it out, every character cell `cellPoints`
// wide, so a character drawn in column c of the page appears in column c of its line.
std::string PdfText(const std::filesystem::path& pdf, double cellPoints);
// The same, one entry per page, each page split into lines.
std::vector<std::vector<std::string>> PdfPages(const std::filesystem::path& pdf, double cellPoints);
// The page count pdfinfo reports.
int PdfPageCount(const std::filesystem::path& pdf);

// The words of a PDF file with the top left corner of each, in points, as pdftotext -bbox
// gives them; `page` counts from 1.
struct PdfWord {
  std::string text;
  int page = 0;
  double left = 0;
  double top = 0;
  double right = 0;
};
std::vector<PdfWord> PdfWords(const std::filesystem::path& pdf);
// The first word with this text on `page` (1-based); a word with an empty text when absent.
PdfWord FindWord(const std::vector<PdfWord>& words, int page, const std::string& text);

// 1-based column where `needle` starts in `line`, 0 when absent.
int ColumnOf(const std::string& line, const std::string& needle);
// Index of the first line holding `needle` in `page`, -1 when absent.
int LineOf(const std::vector<std::string>& page, const std::string& needle);

// The width of one character cell of a fixed-pitch point size in points, and the rounded
// line height on `printer`, measured with Qt's own font metrics.
double CellPoints(const QFont& font, QPrinter& printer);
long RoundedLineHeight(const QFont& font, QPrinter& printer);

// Sets a page without margins whose height holds `lines` lines of `lineHeight` device pixels
// (and half a line more, so rounding cannot take a line away).
void SetPageForLines(QPrinter& printer, int lines, long lineHeight);

// Runs `act` on the next modal widget once it is shown (polling the event loop), so a test can
// answer a dialog that the code under test opens with exec().
void WhenModal(std::function<void(QWidget*)> act);

}  // namespace qtprint_test
