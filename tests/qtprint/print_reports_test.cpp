// The program's report run printing through the Qt printer into PDF files, read back with
// pdftotext: headings, whole chunks, footers, page breaks, copies, the font warning path.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetricsF>
#include <QPrinter>
#include <cmath>
#include <sstream>

#include "core/reports.h"
#include "qtprint/qt_text.h"
#include "qtprint_test_support.h"
#include "report_case.h"

namespace corvala {
namespace {

using qtprint_test::ColumnOf;
using qtprint_test::LineOf;
using qtprint_test::PdfPages;
using qtprint_test::TempFolder;
using Page = std::vector<std::string>;

std::string RightTrimmed(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::vector<std::string> LinesOf(const std::string& chunk) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < chunk.size(); ++i) {
    if (chunk.compare(i, 2, "\r\n") == 0) {
      lines.push_back(RightTrimmed(line));
      line.clear();
      ++i;
    } else {
      line += chunk[i];
    }
  }
  EXPECT_TRUE(line.empty()) << "a chunk ends with its line end";
  return lines;
}

class PrintReports : public ::testing::Test {
 protected:
  PrintReports() : session(&ui) {
    ui.qt.SetPdfOutput(Pdf().string());
    session.app.state.ReportFontName = "Courier New";
    session.app.state.ReportFontSize = 10;
  }

  std::filesystem::path Pdf() const { return folder / "ann.pdf"; }

  QFont ReportFont() const {
    QFont font(qtprint::ToQString(session.app.state.ReportFontName));
    font.setPointSizeF(session.app.state.ReportFontSize);
    return font;
  }

  // A page without margins that holds exactly `lines` lines of the report font.
  void PageOf(int lines) {
    QPrinter& device = ui.qt.Device();
    qtprint_test::SetPageForLines(device, lines,
                                  qtprint_test::RoundedLineHeight(ReportFont(), device));
    ASSERT_EQ(PrintManager::nLinesPerPage(session.app), lines);
    linesPerPage = lines;
  }

  std::vector<Page> Printed(const std::filesystem::path& pdf) {
    return PdfPages(pdf, qtprint_test::CellPoints(ReportFont(), ui.qt.Device()));
  }

  // Checks printed page `number` of `pdf`: the three headings from column 10 on printed lines
  // 7 to 9, then an empty line, and the footer "Page  n" from column 3 at the foot of the page.
  // Returns the index in `page` of the first line after the headings.
  int CheckFrame(const std::filesystem::path& pdf, const Page& page, const std::string& title,
                 int number) {
    const int top = LineOf(page, "Ann Example");
    EXPECT_GE(top, 0) << "no headings on page " << number;
    if (top < 0 || top + 3 >= static_cast<int>(page.size())) return -1;
    EXPECT_EQ(ColumnOf(page[top], "Ann Example"), 10);
    EXPECT_EQ(ColumnOf(page[top + 1], "Acme Payroll, Dept. 7"), 10);
    EXPECT_EQ(ColumnOf(page[top + 2], title), 10);
    EXPECT_EQ(RightTrimmed(page[top + 3]), "");

    // The last text of the page is the footer.
    std::size_t last = page.size();
    while (last > 0 && RightTrimmed(page[last - 1]).empty()) --last;
    EXPECT_GT(last, 0u);
    if (last > 0) {
      EXPECT_EQ(RightTrimmed(page[last - 1]), "  Page  " + std::to_string(number));
    }

    // Rows from the words' positions (the page has no margins): six empty lines before the
    // headings; the footer follows the line counted as L - 6, and the count runs three ahead
    // of the printed lines once the headings are printed, so it is printed line L - 8.
    const std::vector<qtprint_test::PdfWord> words = qtprint_test::PdfWords(pdf);
    const qtprint_test::PdfWord name = qtprint_test::FindWord(words, number, "Ann");
    const qtprint_test::PdfWord footer = qtprint_test::FindWord(words, number, "Page");
    EXPECT_EQ(Row(name), 7);
    EXPECT_EQ(Column(name), 10);
    EXPECT_EQ(Row(footer), linesPerPage - 8);
    EXPECT_EQ(Column(footer), 3);
    return top + 4;
  }

  double LinePoints() {
    QPrinter& device = ui.qt.Device();
    return QFontMetricsF(ReportFont(), &device).lineSpacing() * 72.0 / device.resolution();
  }
  int Row(const qtprint_test::PdfWord& word) {
    return word.text.empty() ? 0 : static_cast<int>(std::lround(word.top / LinePoints())) + 1;
  }
  int Column(const qtprint_test::PdfWord& word) {
    const double cell = qtprint_test::CellPoints(ReportFont(), ui.qt.Device());
    return word.text.empty() ? 0 : static_cast<int>(std::lround(word.left / cell)) + 1;
  }

  // Expects the chunk's lines on `page` from line `at` on, unbroken; returns the line after.
  int CheckChunk(const Page& page, int at, const ReportChunk& chunk) {
    const std::vector<std::string> lines = LinesOf(chunk.text);
    EXPECT_EQ(static_cast<int>(lines.size()), chunk.lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::size_t row = static_cast<std::size_t>(at) + i;
      if (row >= page.size()) {
        ADD_FAILURE() << "chunk cut off after " << i << " lines";
        break;
      }
      EXPECT_EQ(RightTrimmed(page[row]), lines[i]) << "chunk line " << i + 1;
    }
    return at + static_cast<int>(lines.size());
  }

  TempFolder folder;
  qtprint_test::PdfReportUi ui;
  qtprint_test::ReportCase session;
  int linesPerPage = 0;
};

struct ReportRow {
  const char* name;
  ostrand::eComputationType computation;
  ReportChoiceResult choice;
  ReportText (*build)(App&);
};

TEST_F(PrintReports, EachReportPrintsItsHeadingsWholeChunksAndFooter) {
  const ReportRow rows[] = {
      {"Inputs", ostrand::targeted, qtprint_test::Chosen(1, 0, 0, 0), Reports::BuildInputsReport},
      {"W-2 Proforma", ostrand::proforma, qtprint_test::Chosen(0, 1, 0, 0),
       WithholdingReports::BuildW2ProformaReport},
      {"Targeted", ostrand::targeted, qtprint_test::Chosen(0, 0, 1, 0),
       WithholdingReports::BuildTargetedReport},
      {"Percentage", ostrand::Percent, qtprint_test::Chosen(0, 0, 0, 1),
       WithholdingReports::BuildPercentReport},
  };
  PageOf(60);
  for (const ReportRow& row : rows) {
    SCOPED_TRACE(row.name);
    session.Object().enumComputationType(row.computation);
    ui.qt.SetPdfOutput(Pdf().string());
    ui.choices.push_back(row.choice);
    ui.copies = 1;
    Reports::RunReports(session.app, kToPrinter);
    ASSERT_EQ(ui.qt.FinishedJobs(), 1);
    EXPECT_TRUE(session.dialogs.boxes.empty());

    const ReportText report = row.build(session.app);
    const std::vector<Page> pages = Printed(Pdf());
    ASSERT_EQ(pages.size(), 1u);
    int at = CheckFrame(Pdf(), pages[0], report.heading3, 1);
    ASSERT_GE(at, 0);
    for (const ReportChunk& chunk : report.chunks) {
      at = CheckChunk(pages[0], at, chunk);
    }
  }
}

TEST_F(PrintReports, TargetedReportFitsOnePageAtSixtyLinesAndBreaksAtFiftyNine) {
  for (int lines : {60, 59}) {
    SCOPED_TRACE(lines);
    PageOf(lines);
    ui.qt.SetPdfOutput(Pdf().string());
    ui.choices.push_back(qtprint_test::Chosen(0, 0, 1, 0));
    Reports::RunReports(session.app, kToPrinter);

    const ReportText report = WithholdingReports::BuildTargetedReport(session.app);
    ASSERT_EQ(report.chunks.size(), 2u);
    ASSERT_EQ(report.chunks[0].lines, 23);
    ASSERT_EQ(report.chunks[1].lines, 17);
    const std::vector<Page> pages = Printed(Pdf());
    // 13 + 23 = 36 and 36 + 17 = 53: below 54 the second chunk stays, at 53 it moves on.
    if (lines == 60) {
      ASSERT_EQ(pages.size(), 1u);
      int at = CheckFrame(Pdf(), pages[0], report.heading3, 1);
      at = CheckChunk(pages[0], at, report.chunks[0]);
      CheckChunk(pages[0], at, report.chunks[1]);
    } else {
      ASSERT_EQ(pages.size(), 2u);
      CheckChunk(pages[0], CheckFrame(Pdf(), pages[0], report.heading3, 1), report.chunks[0]);
      EXPECT_LT(LineOf(pages[0], "Wages For Remainder Of 2005"), 0);
      CheckChunk(pages[1], CheckFrame(Pdf(), pages[1], report.heading3, 2), report.chunks[1]);
    }
  }
}

// A report font so large that a chunk does not fit a page: the chunk is split across pages, and
// every page has its headings and its footer.
TEST_F(PrintReports, AChunkNoPageHoldsIsSplitAndEveryPageHasItsFooter) {
  session.app.state.ReportFontSize = 20;
  PageOf(30);  // 30 lines of 20 points: 13 + 23 reaches past 24, the last line before the footer
  ui.choices.push_back(qtprint_test::Chosen(0, 0, 1, 0));
  Reports::RunReports(session.app, kToPrinter);

  const ReportText report = WithholdingReports::BuildTargetedReport(session.app);
  std::vector<std::string> expected;
  for (const ReportChunk& chunk : report.chunks) {
    for (const std::string& line : LinesOf(chunk.text)) expected.push_back(line);
  }
  const std::vector<Page> pages = Printed(Pdf());
  // Ten report lines a page: from count 13 up to the footer's line.
  ASSERT_EQ(pages.size(), 4u);
  std::vector<std::string> printed;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    SCOPED_TRACE(p + 1);
    int at = CheckFrame(Pdf(), pages[p], report.heading3, static_cast<int>(p) + 1);
    ASSERT_GE(at, 0);
    const int footer = LineOf(pages[p], "Page  " + std::to_string(p + 1));
    for (int row = at; row < footer && row < at + 10; ++row) {
      printed.push_back(RightTrimmed(pages[p][row]));
    }
  }
  // Every line in order and whole, none lost between pages (the widest lines are narrowed to
  // the page's width, so only the spacing between their words may differ).
  auto words = [](const std::string& line) {
    std::string out;
    for (char c : line) {
      if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  };
  ASSERT_EQ(printed.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(words(printed[i]), words(expected[i])) << "line " << i + 1;
  }
}

// A 2026 case: the year in the title, Worksheet 1A by whole chunks. At 60 lines a page
// 13 + 14 + 17 = 44 and 44 + 12 reaches 54, so Step 2 starts the second page.
TEST_F(PrintReports, A2026PercentageReportPrintsItsYearAndTheWorksheetStepByStep) {
  session.Object().sTaxYear("2026");
  session.Object().enumComputationType(ostrand::Percent);
  PageOf(60);
  ui.choices.push_back(qtprint_test::Chosen(0, 0, 0, 1));
  Reports::RunReports(session.app, kToPrinter);
  ASSERT_EQ(ui.qt.FinishedJobs(), 1);

  const ReportText report = WithholdingReports::BuildPercentReport(session.app);
  EXPECT_EQ(report.heading3, "Percentage Method Report - 2026 Tables");
  ASSERT_EQ(report.chunks.size(), 4u);
  const std::vector<Page> pages = Printed(Pdf());
  ASSERT_EQ(pages.size(), 2u);
  int at = CheckFrame(Pdf(), pages[0], report.heading3, 1);
  CheckChunk(pages[0], CheckChunk(pages[0], at, report.chunks[0]), report.chunks[1]);
  at = CheckFrame(Pdf(), pages[1], report.heading3, 2);
  CheckChunk(pages[1], CheckChunk(pages[1], at, report.chunks[2]), report.chunks[3]);
  // Single, biweekly 2,000.00 with 10.00 extra: 52,000 - 8,600 = 43,400 a year, as 78.08 a
  // week is; 4,060.00 / 26 = 156.15, + 10.00.
  EXPECT_GE(LineOf(pages[0], "     1a Wages This Pay Period                     2,000.00"), 0);
  EXPECT_GE(LineOf(pages[1], "     4b Withholding This Pay Period                 166.15"), 0);
}

TEST_F(PrintReports, TwoCopiesAreTwoPrintJobsEachReportOnPagesOfItsOwn) {
  PageOf(60);
  ui.copies = 2;
  // Both computation reports chosen: the W-2 Proforma one does not match and warns per copy.
  ui.choices = {qtprint_test::Chosen(1, 1, 1, 0)};
  Reports::RunReports(session.app, kToPrinter);

  ASSERT_EQ(ui.qt.FinishedJobs(), 2);
  const std::vector<std::string> files = ui.qt.FinishedFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], Pdf().string());
  EXPECT_EQ(files[1], (folder / "ann-2.pdf").string());
  ASSERT_EQ(session.dialogs.boxes.size(), 2u);
  for (const auto& box : session.dialogs.boxes) {
    EXPECT_EQ(box.title, "WARNING");
    EXPECT_EQ(box.text, Reports::MismatchWarning(ostrand::proforma));
  }

  const ReportText inputs = Reports::BuildInputsReport(session.app);
  const ReportText targeted = WithholdingReports::BuildTargetedReport(session.app);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::vector<Page> pages = Printed(file);
    // The printer gets the Inputs report first; each report starts a page with its headings
    // and its page numbers go on through the job.
    ASSERT_EQ(pages.size(), 2u);
    CheckChunk(pages[0], CheckFrame(file, pages[0], inputs.heading3, 1), inputs.chunks[0]);
    int at = CheckFrame(file, pages[1], targeted.heading3, 2);
    CheckChunk(pages[1], at, targeted.chunks[0]);
  }
  EXPECT_EQ(qtprint_test::PdfText(files[0], 6), qtprint_test::PdfText(files[1], 6));
}

TEST_F(PrintReports, CancelledCopiesPrintNothing) {
  PageOf(60);
  ui.copies = 0;
  ui.choices = {qtprint_test::Chosen(1, 0, 1, 0)};
  Reports::RunReports(session.app, kToPrinter);
  EXPECT_EQ(ui.qt.FinishedJobs(), 0);
  EXPECT_FALSE(ui.qt.JobOpen());
  EXPECT_FALSE(std::filesystem::exists(Pdf()));
}

TEST_F(PrintReports, AFontThePrinterCannotUseLeadsToTheWarningAndTheFontDialog) {
  session.app.state.ReportFontName = "Qel No Such Face";
  const FontRecord before = ui.qt.Font();
  FontChoice mono;
  mono.name = "DejaVu Sans Mono";
  mono.size = 9;
  ui.fontAnswers = {mono};
  ui.choices = {qtprint_test::Chosen(0, 0, 1, 0)};
  Reports::RunReports(session.app, kToPrinter);

  ASSERT_FALSE(session.dialogs.warnings.empty());
  EXPECT_NE(session.dialogs.warnings[0].find("Qel No Such Face"), std::string::npos);
  ASSERT_FALSE(ui.fontRequests.empty());
  EXPECT_EQ(session.app.state.ReportFontName, "DejaVu Sans Mono");
  EXPECT_FLOAT_EQ(session.app.state.ReportFontSize, 9.0F);
  // The report was printed, and the printer has its own font back.
  EXPECT_EQ(ui.qt.FinishedJobs(), 1);
  EXPECT_NE(qtprint_test::PdfText(Pdf(), 5.4).find("WITHHOLDING SHORTAGE(-EXCESS)"),
            std::string::npos);
  EXPECT_EQ(ui.qt.Font().name, before.name);
  EXPECT_FLOAT_EQ(ui.qt.Font().size, before.size);
}

}  // namespace
}  // namespace corvala
