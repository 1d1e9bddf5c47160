// The report run, the four reports and the print manager.
//
// Report text is UTF-8 inside the program; the section rule is the em dash U+2014, one character
// cell on the screen and the printer. The output file of a silent run receives Windows-1252 bytes
// (the rule as byte 151), CR LF line ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app.h"

namespace corvala {

// Report destinations.
inline constexpr std::int16_t kToScreen = 1;
inline constexpr std::int16_t kToPrinter = 2;
inline constexpr std::int16_t kToFile = 3;

// One chunk of a report: whole lines (each ended by CR LF) and the fixed line count the printer
// paginates by.
struct ReportChunk {
  std::string text;
  std::int16_t lines = 0;
};
struct ReportText {
  std::string windowCaption;
  std::string heading1, heading2, heading3;  // name, second line, report title
  std::vector<ReportChunk> chunks;
};

// UTF-8 to Windows-1252: one byte per character; a character the code page cannot hold, or a
// byte that is not valid UTF-8, becomes "?".
std::string ToWindows1252(std::string_view utf8);

}  // namespace corvala

namespace corvala::Reports {

// The report run for a destination: choice, mismatch warnings, the reports in order.
void RunReports(App& app, std::int16_t destination);
// The report choice dialog and the remembered flags. Cancel or closing the dialog chooses nothing
// for this run and leaves the preferences file as it was.
void GetReports(App& app, std::int16_t destination);
// Copies from the printer dialog; 0 when cancelled.
std::int16_t GetCopies(App& app);
bool ChkData(App& app);
// The chunk sink: appends to the window (1), paginates and prints (2), or returns `text` for the
// caller to accumulate (any other destination). Returns the new pending text.
std::string PrintOrDisplay(App& app, ReportWindow* window, std::int16_t destination,
                           const std::string& text, std::int16_t lines, const std::string& heading1,
                           const std::string& heading2, const std::string& heading3);
// The Inputs report.
void RunIPReport(App& app, std::int16_t destination);
ReportText BuildInputsReport(App& app);
// n em dashes (UTF-8); empty for n <= 0.
std::string GetPrintLine(std::int16_t n);

// The mismatch warning for a computation report (Targeted, W-2 Proforma, Percentage).
std::string MismatchWarning(ostrand::eComputationType report);

// Checks that the inputs of `type` are numbers before its report runs. Returns the message that
// names the first field that is not, e.g. "Annual Wages (sWages4Yr) is not a number: 'abc'";
// std::nullopt when all are numbers.
std::optional<std::string> CheckComputationInputs(ostrand::_WhBusObj& object,
                                                  ostrand::eComputationType type);

}  // namespace corvala::Reports

namespace corvala::WithholdingReports {

void ReportW2Proforma(App& app, std::int16_t destination);
void ReportTargetedWH(App& app, std::int16_t destination);
void ReportPercent(App& app, std::int16_t destination);
// The text of a computation report from the object's current results (Calculate not called).
ReportText BuildW2ProformaReport(App& app);
ReportText BuildTargetedReport(App& app);
ReportText BuildPercentReport(App& app);

// Five blanks, the label, filler blanks, the value ending in column 58 (at least one blank
// between label and value).
std::string Line1Col(std::string_view label, std::string_view value);

}  // namespace corvala::WithholdingReports

namespace corvala::PrintManager {

std::int16_t nLinesPerPage(App& app);
void PrintHeadings(App& app, const std::string& heading1, const std::string& heading2,
                   const std::string& heading3);
// n: a chunk of 1 to 40 lines, -200 end of report, -100 end of print job.
void PrnManager2(App& app, std::int16_t n, const std::string& heading1, const std::string& heading2,
                 const std::string& heading3);
void PrnPgNo(App& app, std::int16_t& counter);

}  // namespace corvala::PrintManager
