// The four reports, the report run and the print manager, through the recording platform.
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <filesystem>

#include "core/reports.h"
#include "test_app.h"

namespace corvala {
namespace {

using testing::TestApp;
namespace R = Reports;
namespace WR = WithholdingReports;

std::string Em(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "\xE2\x80\x94";
  return s;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, pos;
  while ((pos = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, pos - start));
    start = pos + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

// The Targeted example: unmarried, semimonthly, 1 allowance, $24,000 over 8 pay checks.
void TargetedCase(TestApp& t) {
  ostrand::_WhBusObj& o = t.obj();
  o.sTaxpayer("Luis Ortega-Brandt");
  o.Line2("Second half of 2005");
  o.enumComputationType(ostrand::targeted);
  o.enumFrequency(ostrand::semimonthly);
  o.IsSingle(true);
  o.sAllowancesIP("1");
  o.sAdditionalPayckWH("15");
  o.sRemainingWages("24000");
  o.sRemainingPeriods("8");
  o.sTargetedWH4Yr("4000");
}

void Choose(TestApp& t, ReportChecks checks) {
  t.ui.choices.push_back(ReportChoiceResult{ReportChoiceOutcome::Ok, checks});
}

TEST(ReportLines, AmountLinesEndInColumn58) {
  struct Row {
    const char* label;
    const char* value;
    const char* expected;
  };
  const Row rows[] = {
      {"Annual Wages", "52,000.00", "     Annual Wages                                52,000.00"},
      {"Divided By Payroll Periods Left In Year", "12,345,678.90",
       "     Divided By Payroll Periods Left In Year 12,345,678.90"},
      // Too long for the column: one blank still parts label and value.
      {"Divided By Payroll Periods Left In Year", "123,456,789,012.00",
       "     Divided By Payroll Periods Left In Year 123,456,789,012.00"},
      {"", "", "                                                          "},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(WR::Line1Col(r.label, r.value), r.expected);
  }
  EXPECT_EQ(WR::Line1Col("Annual Wages", "52,000.00").size(), 58u);
}

TEST(ReportLines, RuleAndCodePage) {
  EXPECT_EQ(R::GetPrintLine(3), Em(3));
  EXPECT_EQ(R::GetPrintLine(0), "");
  EXPECT_EQ(R::GetPrintLine(-5), "");
  EXPECT_EQ(ToWindows1252(Em(2) + "a"),
            "\x97\x97"
            "a");
  EXPECT_EQ(ToWindows1252("Jos\xC3\xA9 \xE2\x82\xAC\r\n"), "Jos\xE9 \x80\r\n");
  EXPECT_EQ(ToWindows1252("\xE6\x97\xA5|\xF0\x9F\x98\x80|\xFF|\xC3"), "?|?|?|?");
  EXPECT_EQ(ToWindows1252("\xC0\xAF"), "??");  // an overlong form is no character
}

// Each report and year has fixed chunks; from 2020 on they depend on the kind of Form W-4 (the
// form's entries and the worksheet lines each kind uses), and the year is in the title.
TEST(ReportChunks, EachReportHasItsFixedChunksAndTheTextMatchesTheCounts) {
  TestApp t;
  TargetedCase(t);
  t.obj().sWagesPercent("1000");
  constexpr auto kNew = ostrand::W4Form::k2020OrLater;
  constexpr auto kOld = ostrand::W4Form::k2019OrEarlier;
  struct Row {
    const char* year;
    ostrand::W4Form form;
    ostrand::eComputationType type;
    ReportText (*build)(App&);
    std::vector<int> counts;
  };
  const Row rows[] = {
      {"2005", kNew, ostrand::proforma, &WR::BuildW2ProformaReport, {33}},
      {"2005", kNew, ostrand::targeted, &WR::BuildTargetedReport, {23, 17}},
      {"2005", kNew, ostrand::Percent, &WR::BuildPercentReport, {28}},
      {"2005", kNew, ostrand::proforma, &R::BuildInputsReport, {4, 4, 9}},
      {"2005", kNew, ostrand::targeted, &R::BuildInputsReport, {4, 4, 11}},
      {"2005", kNew, ostrand::Percent, &R::BuildInputsReport, {4, 4, 8}},
      {"2005", kNew, static_cast<ostrand::eComputationType>(5), &R::BuildInputsReport, {4, 4}},
      {"2026", kNew, ostrand::proforma, &WR::BuildW2ProformaReport, {37}},
      {"2026", kOld, ostrand::proforma, &WR::BuildW2ProformaReport, {34}},
      {"2021", kNew, ostrand::targeted, &WR::BuildTargetedReport, {27, 17}},
      {"2021", kOld, ostrand::targeted, &WR::BuildTargetedReport, {24, 17}},
      {"2026", kNew, ostrand::Percent, &WR::BuildPercentReport, {14, 17, 12, 11}},
      {"2020", kOld, ostrand::Percent, &WR::BuildPercentReport, {11, 12, 12, 8}},
      {"2026", kNew, ostrand::proforma, &R::BuildInputsReport, {4, 4, 14}},
      {"2026", kOld, ostrand::targeted, &R::BuildInputsReport, {4, 4, 13}},
      {"2024", kNew, ostrand::Percent, &R::BuildInputsReport, {4, 4, 14}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.year) + " " + std::to_string(r.type));
    t.obj().sTaxYear(r.year);
    t.obj().enumW4Form(r.form);
    t.obj().enumComputationType(r.type);
    t.obj().Calculate();
    ReportText report = r.build(t.app);
    ASSERT_EQ(report.chunks.size(), r.counts.size());
    for (std::size_t i = 0; i < r.counts.size(); ++i) {
      EXPECT_EQ(report.chunks[i].lines, r.counts[i]);
      EXPECT_EQ(SplitCrLf(report.chunks[i].text).size(), static_cast<std::size_t>(r.counts[i]));
    }
    if (r.build != &R::BuildInputsReport) {
      EXPECT_NE(report.heading3.find(std::string(" - ") + r.year), std::string::npos);
    }
  }
}

// Worksheet lines are amount lines: even for wages of millions label and value fit, the value
// ending in column 58.
TEST(ReportChunks, WorksheetLinesEndInColumn58) {
  TestApp t;
  ostrand::_WhBusObj& o = t.obj();
  o.sTaxYear("2026");
  o.enumComputationType(ostrand::Percent);
  o.sWagesPercent("99999999.99");
  o.sStep3Credits("99999999.99");
  o.sStep4aOtherIncome("99999999.99");
  int worksheetLines = 0;
  for (auto form : {ostrand::W4Form::k2020OrLater, ostrand::W4Form::k2019OrEarlier}) {
    o.enumW4Form(form);
    o.Calculate();
    for (const ReportChunk& chunk : WR::BuildPercentReport(t.app).chunks) {
      for (const std::string& line : SplitCrLf(chunk.text)) {
        if (line.size() < 8 || line.compare(0, 5, "     ") != 0 || !std::isdigit(line[5])) {
          continue;
        }
        ++worksheetLines;
        EXPECT_EQ(line.size(), 58u) << line;
      }
    }
  }
  EXPECT_EQ(worksheetLines, 22 + 17);
}

TEST(ReportChunks, SectionRulesStartInTheirColumns) {
  TestApp t;
  TargetedCase(t);
  std::vector<std::string> inputs = SplitCrLf(R::BuildInputsReport(t.app).chunks[0].text);
  EXPECT_EQ(inputs[1], "     " + Em(60));
  std::vector<std::string> targeted = SplitCrLf(WR::BuildTargetedReport(t.app).chunks[0].text);
  EXPECT_EQ(targeted[1], "          " + Em(60));
}

TEST(ReportRun, ScreenOpensOneWindowPerReportInOrder) {
  TestApp t;
  TargetedCase(t);
  t.app.state.CurrentFile = "/cases/ortega.zov";
  Choose(t, ReportChecks{1, 1, 1, 1});
  R::RunReports(t.app, kToScreen);

  ASSERT_EQ(t.ui.choiceCaptions.size(), 1u);
  EXPECT_EQ(t.ui.choiceCaptions[0], "Select Reports (View)");
  ASSERT_EQ(t.ui.windows.size(), 2u);  // Targeted, then Inputs last
  const headless::RecordingReportWindow& w = *t.ui.windows[0];
  EXPECT_EQ(w.caption, "Targeted Withholding Report - /cases/ortega.zov");
  EXPECT_TRUE(w.shown);
  std::vector<std::string> lines = SplitCrLf(w.text);
  ASSERT_EQ(lines.size(), 3u + 23u + 17u);
  EXPECT_EQ(lines[0], "     Luis Ortega-Brandt");
  EXPECT_EQ(lines[1], "     Second half of 2005");
  EXPECT_EQ(lines[2], "     Targeted Withholding Report - 2005");
  // 3,000.00 a pay check less 133.33: Single smo 165.55 + 25% x 1,553.67 = 553.97;
  // (553.97 + 15.00) x 8 = 4,551.76; 4,000.00 - 4,551.76 = -551.76.
  EXPECT_EQ(lines[3 + 11], "     WITHHOLDING SHORTAGE(-EXCESS)                 -551.76");
  EXPECT_EQ(lines[3 + 23 + 7], "       Based On Allowances                          553.97");
  EXPECT_EQ(t.ui.windows[1]->caption, "Inputs Report");
  EXPECT_EQ(SplitCrLf(t.ui.windows[1]->text)[2], "     Inputs - Paystave");

  // The two reports of other computations were refused, each with its warning.
  ASSERT_EQ(t.dialogs.boxes.size(), 2u);
  EXPECT_EQ(t.dialogs.boxes[0].text,
            "You have selected to run the W-2 Proforma Report, but you have not selected W-2 "
            "Proforma as the calculation that you want the program to run.\r\n\r\nIf you want "
            "to run the W-2 Proforma Report:\r\n(1) On the input form select the General "
            "Information tab.\r\n(2) At the Choose Desired Computation list box choose W-2 "
            "Proforma.\r\n(3) Click the W-2 Proforma tab and fill in the inputs.");
  EXPECT_EQ(t.dialogs.boxes[0].title, "WARNING");
  EXPECT_NE(t.dialogs.boxes[1].text.find(
                "list box choose Percentage Method Withholding.\r\n(3) Click the Percentage "
                "Method tab"),
            std::string::npos);
  EXPECT_FALSE(t.window.busy);
  EXPECT_EQ(t.window.processEvents, 2);
}

TEST(ReportRun, EmptyNameStillGivesThreeHeaderLines) {
  TestApp t;
  Choose(t, ReportChecks{1, 0, 0, 0});
  R::RunReports(t.app, kToScreen);
  ASSERT_EQ(t.ui.windows.size(), 1u);
  std::vector<std::string> lines = SplitCrLf(t.ui.windows[0]->text);
  EXPECT_EQ(lines[0], "     ");
  EXPECT_EQ(lines[1], "     ");
}

// Inputs the computation cannot take skip that report with a warning and the run goes on.
TEST(ReportRun, InputThatCannotBeComputedSkipsThatReportAndGoesOn) {
  struct Row {
    void (*spoil)(ostrand::_WhBusObj&);
    const char* warning;
  };
  const Row rows[] = {
      {[](ostrand::_WhBusObj& o) { o.sRemainingWages("lots"); },
       "Wages For Rest Of The Year is not a number: 'lots'"},
      {[](ostrand::_WhBusObj& o) { o.sTaxYear("2019"); },
       "No withholding tables for 2019: tables are available for 2005, 2020-2026."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.warning);
    TestApp t;
    TargetedCase(t);
    row.spoil(t.obj());
    Choose(t, ReportChecks{1, 0, 1, 0});
    R::RunReports(t.app, kToScreen);  // does not end the program
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_NE(t.dialogs.boxes[0].text.find(row.warning), std::string::npos);
    ASSERT_EQ(t.ui.windows.size(), 1u);
    EXPECT_EQ(t.ui.windows[0]->caption, "Inputs Report");
    EXPECT_TRUE(t.app.state.ReportFailed);
  }
}

TEST(ReportRun, ChoiceOkCancelAndClosed) {
  TestApp t;
  TargetedCase(t);
  t.prefs.Write("User Preferences", "Input Report", "1");
  t.prefs.Write("User Preferences", "Summary Report", "1");

  // OK: the ticks are used and stored, the two flags without boxes kept.
  Choose(t, ReportChecks{0, 0, 1, 0});
  R::RunReports(t.app, kToPrinter);
  EXPECT_EQ(t.ui.choiceCaptions.back(), "Select Reports (Print)");
  EXPECT_EQ(t.ui.choiceInitial.back(), (ReportChecks{1, 0, 0, 0}));
  EXPECT_EQ(t.prefs.Read("User Preferences", "Input Report", "?"), "0");
  EXPECT_EQ(t.prefs.Read("User Preferences", "Targeted Withholding Report", "?"), "1");
  EXPECT_EQ(t.prefs.Read("User Preferences", "Summary Report", "?"), "1");
  EXPECT_EQ(t.prefs.Read("User Preferences", "Detailed Report", "?"), "0");
  EXPECT_EQ(t.ui.printer.Jobs(), 1);

  // Cancel: nothing now, and the remembered choice stays.
  std::size_t writes = t.prefs.WriteCount();
  t.ui.choices.push_back(ReportChoiceResult{ReportChoiceOutcome::Cancelled, {}});
  R::RunReports(t.app, kToScreen);
  EXPECT_TRUE(t.ui.windows.empty());
  EXPECT_EQ(t.prefs.WriteCount(), writes);
  EXPECT_EQ(t.app.state.reportFlags.reports, (ReportFlags{}.reports));

  // Closed with the window button: the remembered choice runs.
  R::RunReports(t.app, kToScreen);
  ASSERT_EQ(t.ui.windows.size(), 1u);
  EXPECT_EQ(t.ui.windows[0]->caption.rfind("Targeted Withholding Report - ", 0), 0u);
}

std::vector<std::string> PrintTargeted(TestApp& t, int linesPerPage) {
  TargetedCase(t);
  t.ui.printer.pageHeight = linesPerPage * 200.0;
  t.ui.printer.textHeight = 200.0;
  Choose(t, ReportChecks{0, 0, 1, 0});
  R::RunReports(t.app, kToPrinter);
  return t.ui.printer.Lines();
}

TEST(Printing, TargetedFitsOnePageAt60LinesAndTakesTwoAt59) {
  TestApp at60;
  std::vector<std::string> one = PrintTargeted(at60, 60);
  // Headings (10 lines, counted 13) + 23 + 17 = 53 < 54: one page, one blank line to 54.
  ASSERT_EQ(one.size(), 10u + 23u + 17u + 1u + 1u + 2u);
  EXPECT_EQ(one[6], "         Luis Ortega-Brandt");
  EXPECT_EQ(one[8], "         Targeted Withholding Report - 2005");
  EXPECT_EQ(one[51], "  Page  1");
  EXPECT_EQ(one[52], "<<NEW PAGE>>");
  EXPECT_EQ(one[53], "<<END DOC>>");
  EXPECT_EQ(at60.app.state.PageLineCount, 0);

  TestApp at59;
  std::vector<std::string> two = PrintTargeted(at59, 59);
  // 13 + 23 = 36; 36 + 17 = 53 reaches 59 - 6: the second chunk starts page 2.
  std::vector<std::string> expectedFooters{"  Page  1", "  Page  2"};
  std::vector<std::string> footers;
  for (const std::string& line : two) {
    if (line.rfind("  Page ", 0) == 0) footers.push_back(line);
  }
  EXPECT_EQ(footers, expectedFooters);
  ASSERT_EQ(two.size(), (10u + 23u + 17u + 1u + 1u) + (10u + 17u + 23u + 1u + 1u) + 1u);
  EXPECT_EQ(two[51], "<<NEW PAGE>>");
  EXPECT_EQ(two[52 + 6], "         Luis Ortega-Brandt");

  // Headings at column 10, footer at column 3, the report font applied and put back.
  int headings = 0;
  for (const auto& call : at59.ui.printer.calls) {
    if (call.op == "PrintLineAt" && call.column == 10) ++headings;
    if (call.op == "PrintLineAt" && call.column != 10) {
      EXPECT_EQ(call.column, 3);
    }
  }
  EXPECT_EQ(headings, 6);
  EXPECT_EQ(at59.ui.printer.font.name, "Arial");
}

TEST(Printing, InputsPrintFirstAndEveryCopyIsAJob) {
  TestApp t;
  TargetedCase(t);
  t.obj().enumComputationType(ostrand::proforma);
  t.obj().sWages4Yr("31200");
  t.ui.copies = 2;
  Choose(t, ReportChecks{1, 1, 1, 1});
  R::RunReports(t.app, kToPrinter);
  EXPECT_EQ(t.ui.printer.Jobs(), 2);
  EXPECT_EQ(t.dialogs.boxes.size(), 4u);  // Targeted and Percentage warnings, once per copy
  std::vector<std::string> lines = t.ui.printer.Lines();
  std::vector<std::string> titles;
  for (const std::string& line : lines) {
    if (line == "         Inputs - Paystave" ||
        line == "         W-2 Withholding Proforma Report - 2005") {
      titles.push_back(line.substr(9));
    }
  }
  std::vector<std::string> expected{"Inputs - Paystave", "W-2 Withholding Proforma Report - 2005",
                                    "Inputs - Paystave", "W-2 Withholding Proforma Report - 2005"};
  EXPECT_EQ(titles, expected);
}

TEST(Printing, CancelledCopiesPrintNothing) {
  TestApp t;
  TargetedCase(t);
  t.ui.copies = 0;
  Choose(t, ReportChecks{1, 0, 1, 0});
  R::RunReports(t.app, kToPrinter);
  EXPECT_TRUE(t.ui.printer.Lines().empty());
  EXPECT_EQ(t.ui.printer.font.name, "Arial");
}

TEST(Printing, ChunkCountsOutsideOneToFortyAreRefused) {
  TestApp t;
  for (std::int16_t n : {std::int16_t{0}, std::int16_t{41}, std::int16_t{-7}}) {
    PrintManager::PrnManager2(t.app, n, "a", "b", "c");
  }
  ASSERT_EQ(t.dialogs.boxes.size(), 3u);
  EXPECT_EQ(t.dialogs.boxes[1].text,
            "41 lines passed to PrnManager2(). Please use between 1 and 40.");
  EXPECT_EQ(t.dialogs.boxes[1].title, "Error!");
  EXPECT_EQ(t.dialogs.boxes[1].icon, Icon::Critical);
  EXPECT_EQ(t.app.state.PageLineCount, 0);
  EXPECT_TRUE(t.ui.printer.Lines().empty());
  PrintManager::PrnManager2(t.app, 40, "a", "b", "c");
  EXPECT_EQ(t.app.state.PageLineCount, 53);
}

TEST(Printing, LinesPerPageUseTheReportFont) {
  TestApp t;
  t.ui.printer.pageHeight = 15839.6;  // rounds to 15840
  t.ui.printer.textHeight = 240.4;    // rounds to 240
  t.app.state.ReportFontName = "Courier";
  EXPECT_EQ(PrintManager::nLinesPerPage(t.app), 66);
  EXPECT_EQ(t.ui.printer.font.name, "Courier");
}

// A failed append is undone in the file it wrote, even when the name has meanwhile been turned into
// a link to another file; a file the append created is removed only while the name leads to it.
struct SwapOnFsync {
  static inline std::filesystem::path path, aside, victim;
  static inline bool swap = false;
  static int Fail(int) {
    if (swap) {
      std::filesystem::rename(path, aside);
      std::filesystem::create_symlink(victim, path);
    }
    errno = EIO;
    return -1;
  }
};

TEST(ReportFile, AFailedAppendIsUndoneInTheFileItWrote) {
  struct Row {
    const char* what;
    bool existed;
    bool swap;
    const char* left;  // in the file written, found under `aside` when the name was swapped
  };
  const Row rows[] = {
      {"an earlier report file", true, false, "earlier\r\n"},
      {"an earlier report file, its name swapped", true, true, "earlier\r\n"},
      {"a new file", false, false, nullptr},
      {"a new file, its name swapped", false, true, ""},
  };
  const std::string victimText = "someone else's file, longer than the earlier report\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    testing::TempFolder dir;
    SwapOnFsync::path = dir.path() / "out.txt";
    SwapOnFsync::aside = dir.path() / "aside.txt";
    SwapOnFsync::victim = dir.path() / "victim";
    SwapOnFsync::swap = row.swap;
    std::ofstream(SwapOnFsync::victim, std::ios::binary) << victimText;
    if (row.existed) std::ofstream(SwapOnFsync::path, std::ios::binary) << "earlier\r\n";
    Reports::AppendTestCalls().fsync = &SwapOnFsync::Fail;
    EXPECT_THROW(Reports::AppendAllOrNothing(SwapOnFsync::path.string(), "report\r\n"),
                 qel::QelError);
    Reports::AppendTestCalls() = Reports::AppendCalls{};
    EXPECT_EQ(testing::ReadFile(SwapOnFsync::victim.string()), victimText);
    const std::filesystem::path written = row.swap ? SwapOnFsync::aside : SwapOnFsync::path;
    if (row.left == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(written));
    } else {
      EXPECT_EQ(testing::ReadFile(written.string()), row.left);
    }
  }
}

}  // namespace
}  // namespace corvala
