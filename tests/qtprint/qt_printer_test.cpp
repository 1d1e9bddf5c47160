// The printer on its own: fonts and error 380, the line and column grid read back from PDF,
// page breaks, print jobs and their files.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPrinter>
#include <cmath>
#include <limits>

#include "qel/error.h"
#include "qtprint/qt_printer.h"
#include "qtprint/qt_text.h"
#include "qtprint_test_support.h"

namespace corvala {
namespace {

using qtprint_test::ColumnOf;
using qtprint_test::LineOf;
using qtprint_test::PdfPageCount;
using qtprint_test::PdfPages;
using qtprint_test::TempFolder;

long ErrorNumberOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const qel::QelError& error) {
    return error.number();
  }
  return 0;
}

QFont CurrentFont(QtPrinter& printer) {
  const FontRecord record = printer.Font();
  QFont font(qtprint::ToQString(record.name));
  font.setPointSizeF(record.size);
  return font;
}

double Cell(QtPrinter& printer) {
  return qtprint_test::CellPoints(CurrentFont(printer), printer.Device());
}

TEST(QtPrinterFont, FontsThePrinterCannotUseRaise380AndKeepTheFont) {
  QtPrinter printer;
  printer.SetFontName("DejaVu Sans Mono");
  printer.SetFontSize(11);
  printer.SetFontBold(true);
  const FontRecord before = printer.Font();
  EXPECT_EQ(before.name, "DejaVu Sans Mono");
  EXPECT_FLOAT_EQ(before.size, 11.0F);
  EXPECT_EQ(before.bold, -1);

  struct Row {
    const char* what;
    std::function<void()> set;
  };
  const Row rows[] = {
      {"unknown family", [&] { printer.SetFontName("Qel No Such Face"); }},
      {"empty name", [&] { printer.SetFontName(""); }},
      {"proportional face", [&] { printer.SetFontName("DejaVu Sans"); }},
      {"size 0", [&] { printer.SetFontSize(0); }},
      {"negative size", [&] { printer.SetFontSize(-4); }},
      {"size not a number", [&] { printer.SetFontSize(std::numeric_limits<float>::quiet_NaN()); }},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ErrorNumberOf(row.set), 380) << row.what;
    const FontRecord after = printer.Font();
    EXPECT_EQ(after.name, before.name) << row.what;
    EXPECT_FLOAT_EQ(after.size, before.size) << row.what;
    EXPECT_EQ(after.bold, before.bold) << row.what;
  }
}

TEST(QtPrinterFont, SubstitutedFixedPitchFamilyIsUsable) {
  // "Courier New" is rarely installed on Linux; the font configuration maps it to a
  // metric-compatible fixed-pitch face, which must not count as missing.
  QFont courier(QStringLiteral("Courier New"));
  if (!QFontInfo(courier).fixedPitch()) {
    GTEST_SKIP() << "no fixed-pitch face stands in for Courier New here";
  }
  QtPrinter printer;
  EXPECT_NO_THROW(printer.SetFontName("Courier New"));
  EXPECT_EQ(printer.Font().name, "Courier New");
}

TEST(QtPrinterText, TextHeightCountsLines) {
  QtPrinter printer;
  const double one = printer.TextHeight("nLinesPerPage");
  EXPECT_GT(one, 0);
  EXPECT_DOUBLE_EQ(printer.TextHeight("a\r\nb"), 2 * one);
  printer.SetFontSize(20);
  EXPECT_NEAR(printer.TextHeight("x"), 2 * one, 0.1 * one);
}

TEST(QtPrinterText, Windows1252TextIsReadAsSuch) {
  EXPECT_EQ(qtprint::ToQString("\x97\x97"), QString::fromUtf8("\u2014\u2014"));
  EXPECT_EQ(qtprint::ToQString("\xE2\x80\x94"), QString::fromUtf8("\u2014"));
  EXPECT_EQ(qtprint::ToDisplayLines("a\r\nb\nc\r"), QStringLiteral("a\nb\nc"));
}

TEST(QtPrinterPdf, ColumnsLinesAndChunksReadBack) {
  TempFolder folder;
  QtPrinter printer;
  printer.SetPdfOutput((folder / "grid.pdf").string());
  printer.Device().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);

  for (int i = 0; i < 6; ++i) printer.Print("\r\n");
  printer.PrintLineAt(10, "Ann Example");
  printer.PrintLineAt(10, "Second line");
  printer.PrintLineAt(10, "Targeted Withholding Report - 2005");
  printer.Print("\r\n");
  printer.Print("\r\n          \xE2\x80\x94\xE2\x80\x94\xE2\x80\x94\r\n" + std::string(5, ' ') +
                "Annual Wages" + std::string(32, ' ') + "52,000.00\r\n");
  printer.Print("     abc");
  printer.Print("def\r\n");
  printer.PrintLineAt(3, "Page  1");
  printer.EndDoc();

  const auto pages = PdfPages(folder / "grid.pdf", Cell(printer));
  ASSERT_EQ(pages.size(), 1u);
  const auto& page = pages[0];
  const int heading = LineOf(page, "Ann Example");
  ASSERT_GE(heading, 0);
  EXPECT_EQ(ColumnOf(page[heading], "Ann Example"), 10);
  EXPECT_EQ(ColumnOf(page[heading + 1], "Second line"), 10);
  EXPECT_EQ(ColumnOf(page[heading + 2], "Targeted"), 10);
  // One empty line after the headings, then the chunk's own empty first line.
  EXPECT_EQ(page[heading + 3], "");
  EXPECT_EQ(page[heading + 4], "");
  EXPECT_EQ(ColumnOf(page[heading + 5], "\xE2\x80\x94\xE2\x80\x94\xE2\x80\x94"), 11);
  EXPECT_EQ(ColumnOf(page[heading + 6], "Annual Wages"), 6);
  // The value ends in column 58.
  EXPECT_EQ(ColumnOf(page[heading + 6], "52,000.00") + 9 - 1, 58);
  // Text without a line end goes on in the same line.
  EXPECT_EQ(ColumnOf(page[heading + 7], "abcdef"), 6);
  EXPECT_EQ(ColumnOf(page[heading + 8], "Page  1"), 3);
}

// No printed line runs past the page edge: a line too long for the page (a long employee name
// in the headings) is narrowed to fit and stays one line.
TEST(QtPrinterPdf, ALineTooLongForThePageIsFittedToIt) {
  TempFolder folder;
  QtPrinter printer;
  printer.SetPdfOutput((folder / "long.pdf").string());
  printer.Device().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
  std::string name = "Firstword";
  for (int i = 0; i < 30; ++i) name += " Alexandrina";
  name += " Lastword";
  printer.PrintLineAt(10, name);
  printer.PrintLineAt(10, "Next line");
  printer.EndDoc();

  const double pageWidth = printer.Device().pageLayout().fullRectPoints().width();
  const auto words = qtprint_test::PdfWords(folder / "long.pdf");
  const auto first = qtprint_test::FindWord(words, 1, "Firstword");
  const auto last = qtprint_test::FindWord(words, 1, "Lastword");
  const auto next = qtprint_test::FindWord(words, 1, "Next");
  ASSERT_FALSE(last.text.empty()) << "the whole name is printed";
  EXPECT_LE(last.right, pageWidth + 0.5) << "within the page, " << pageWidth << " points wide";
  EXPECT_NEAR(last.top, first.top, 1.0) << "on one line";
  EXPECT_NEAR(next.left, first.left, 1.0) << "the next line starts where it did";
  EXPECT_GT(next.top, first.top);
}

TEST(QtPrinterPdf, PageBreaksAndPageNumbers) {
  TempFolder folder;
  QtPrinter printer;
  printer.SetPdfOutput((folder / "pages.pdf").string());
  EXPECT_EQ(printer.Page(), 1);
  printer.PrintLineAt(1, "first");
  printer.NewPage();
  EXPECT_EQ(printer.Page(), 2);
  printer.PrintLineAt(1, "second");
  printer.NewPage();
  EXPECT_EQ(printer.Page(), 3);
  // A job that ends right after a page break has no empty last sheet.
  printer.EndDoc();
  EXPECT_EQ(printer.Page(), 1);
  EXPECT_EQ(PdfPageCount(folder / "pages.pdf"), 2);
  const auto pages = PdfPages(folder / "pages.pdf", Cell(printer));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_GE(LineOf(pages[0], "first"), 0);
  EXPECT_GE(LineOf(pages[1], "second"), 0);
}

TEST(QtPrinterPdf, TextBelowTheLastLineGoesOnToTheNextSheet) {
  TempFolder folder;
  QtPrinter printer;
  printer.SetPdfOutput((folder / "overflow.pdf").string());
  const long fit =
      static_cast<long>(std::floor(printer.PageHeight() / printer.TextHeight("nLinesPerPage")));
  for (long i = 1; i <= fit + 1; ++i) {
    printer.Print("line " + std::to_string(i) + "\r\n");
  }
  EXPECT_EQ(printer.Page(), 2);
  printer.EndDoc();
  const auto pages = PdfPages(folder / "overflow.pdf", Cell(printer));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_GE(LineOf(pages[0], "line " + std::to_string(fit)), 0);
  EXPECT_GE(LineOf(pages[1], "line " + std::to_string(fit + 1)), 0);
}

TEST(QtPrinterPdf, EachJobWritesAFileOfItsOwn) {
  TempFolder folder;
  QtPrinter printer;
  printer.SetPdfOutput((folder / "copies.pdf").string());
  EXPECT_EQ(printer.PdfFileForJob(1), (folder / "copies.pdf").string());
  EXPECT_EQ(printer.PdfFileForJob(3), (folder / "copies-3.pdf").string());

  printer.EndDoc();  // nothing printed: no job, no file
  EXPECT_EQ(printer.FinishedJobs(), 0);
  for (const char* text : {"copy one", "copy two"}) {
    printer.PrintLineAt(1, text);
    EXPECT_TRUE(printer.JobOpen());
    printer.EndDoc();
    EXPECT_FALSE(printer.JobOpen());
  }
  EXPECT_EQ(printer.FinishedJobs(), 2);
  ASSERT_EQ(printer.FinishedFiles().size(), 2u);
  EXPECT_EQ(printer.FinishedFiles()[0], (folder / "copies.pdf").string());
  EXPECT_EQ(printer.FinishedFiles()[1], (folder / "copies-2.pdf").string());
  EXPECT_NE(qtprint_test::PdfText(folder / "copies.pdf", Cell(printer)).find("copy one"),
            std::string::npos);
  EXPECT_NE(qtprint_test::PdfText(folder / "copies-2.pdf", Cell(printer)).find("copy two"),
            std::string::npos);
}

TEST(QtPrinterPdf, AJobThatCannotStartNamesItsFile) {
  TempFolder folder;
  QtPrinter printer;
  const std::string path = (folder / "missing-folder" / "out.pdf").string();
  printer.SetPdfOutput(path);
  try {
    printer.PrintLineAt(1, "x");
    FAIL() << "the job started";
  } catch (const qel::QelError& error) {
    EXPECT_EQ(error.number(), 482);
    EXPECT_NE(error.description().find(path), std::string::npos) << error.description();
  }
  EXPECT_FALSE(printer.JobOpen());
}

}  // namespace
}  // namespace corvala
