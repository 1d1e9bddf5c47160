// The four withholding reports: their texts, built line by line from the withholding object, and
// the table that describes them once (title, preference key, check box, computation, builder).
// The report flags, the report choice dialog's boxes and the order of the report run all follow
// from that table; a new report is one more row and one more builder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "ostrand/wh_bus_obj.h"

namespace corvala {

struct App;

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

}  // namespace corvala

namespace corvala::Reports {

// The Inputs report.
ReportText BuildInputsReport(App& app);
// n em dashes (UTF-8); empty for n <= 0.
std::string GetPrintLine(std::int16_t n);

}  // namespace corvala::Reports

namespace corvala::WithholdingReports {

// The text of a computation report from the object's current results (Calculate not called).
ReportText BuildW2ProformaReport(App& app);
ReportText BuildTargetedReport(App& app);
ReportText BuildPercentReport(App& app);

// Five blanks, the label, filler blanks, the value ending in column 58 (at least one blank
// between label and value).
std::string Line1Col(std::string_view label, std::string_view value);

}  // namespace corvala::WithholdingReports

namespace corvala::Reports {

inline constexpr int kNoComputation = -1;

// One report of the program.
struct ReportKind {
  const char* title;          // "Targeted Withholding", as the mismatch warning names it
  const char* windowCaption;  // its report window's caption, before " - " and the case's name
  const char* preferenceKey;  // its flag in section "User Preferences"
  const char* boxName;        // its check box in the report choice dialog
  const char* boxCaption;
  int computation;                // the ostrand::eComputationType it shows, or kNoComputation
  const char* computationChoice;  // that computation as the input form's list names it
  int screenRank;                 // its place in a run to the screen or the file
  int printRank;                  // its place in a run to the printer
  const char* location;           // where its failures are reported
  ReportText (*build)(App&);
};

// In the order of the report choice dialog's boxes and of the report flags.
inline constexpr ReportKind kReports[] = {
    {"Input", "Inputs Report", "Input Report", "chkRptInput", "Input Report", kNoComputation, "", 3,
     0, "RunIPReport", &BuildInputsReport},
    {"W-2 Proforma", "W-2 Proforma Report", "W-2 Proforma Report", "chkW2Proforma",
     "W-2 Proforma Report", ostrand::proforma, "W-2 Proforma", 1, 2,
     "WithholdingReports.ReportW2Proforma", &WithholdingReports::BuildW2ProformaReport},
    {"Targeted Withholding", "Targeted Withholding Report", "Targeted Withholding Report",
     "chkTargeted", "Targeted Withholding Rpt", ostrand::targeted, "Targeted Withholding", 0, 1,
     "WithholdingReports.ReportTargetedWH", &WithholdingReports::BuildTargetedReport},
    {"Percentage Method", "Percentage Method Report", "Percentage Method Report",
     "chkPercentMethod", "Percentage Method Calc.", ostrand::Percent,
     "Percentage Method Withholding", 2, 3, "WithholdingReports.ReportPercent",
     &WithholdingReports::BuildPercentReport},
};
inline constexpr std::size_t kReportCount = std::size(kReports);

// The report of a computation (kNoComputation: the Inputs report); nullptr for a computation no
// report shows.
const ReportKind* ReportOf(int computation);
// The report whose window has `caption` (the report's caption, alone or followed by " - " and
// the case's name); nullptr for another caption.
const ReportKind* ReportOfCaption(std::string_view caption);
// The index of a report in kReports.
std::size_t IndexOf(const ReportKind& report);

}  // namespace corvala::Reports
