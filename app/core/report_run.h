// The report run: which reports, the mismatch warnings, the reports in order and their
// destination (report windows, the printer, or the report file of a silent run).
//
// Report text is UTF-8 inside the program; the section rule is the em dash U+2014, one character
// cell on the screen and the printer. The report file of a silent run receives Windows-1252 bytes
// (the rule as byte 151), CR LF line ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app.h"
#include "core/withholding_reports.h"
#include "qel/error.h"

namespace corvala {

// Report destinations.
inline constexpr std::int16_t kToScreen = 1;
inline constexpr std::int16_t kToPrinter = 2;
inline constexpr std::int16_t kToFile = 3;

// UTF-8 to Windows-1252: one byte per character; a character the code page cannot hold becomes
// "?".
std::string ToWindows1252(std::string_view utf8);

}  // namespace corvala

namespace corvala::Reports {

// The report run for a destination: choice, mismatch warnings, the reports in order. A run to the
// file appends its whole text to OutputFile in one write; a write that fails leaves the file as
// it was before the run and says why.
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
// One report of kReports for a destination (the computation reports make the object Calculate).
void RunReport(App& app, const ReportKind& report, std::int16_t destination);
// The Inputs report.
void RunIPReport(App& app, std::int16_t destination);

// The mismatch warning for a computation report (Targeted, W-2 Proforma, Percentage).
std::string MismatchWarning(ostrand::eComputationType report);

// Checks that the inputs of `type` can be computed before its report runs. Returns the error that
// names the first field by its label: 13 "Annual Wages is not a number: 'abc'", 6 "Annual Wages
// is too large: '...'", or the tax year's: "No withholding tables for 2019: tables are available
// for 2005, 2020-2026."; std::nullopt when all are fine.
std::optional<qel::QelError> CheckComputationInputs(ostrand::_WhBusObj& object,
                                                    ostrand::eComputationType type);

// Appends `bytes` to the file at `path` in one write. Symbolic links at the end of `path` are
// followed only where the final-link rule allows (a link another user planted in a shared sticky
// folder is refused, naming it); the file finally named is opened without following a link and
// without waiting (a pipe that nobody reads is refused). A write that fails (a full disk, a
// file-size limit) takes the file it opened back to the size it had, through the open file and
// never by its name, or removes the file it created while the name still leads to it; then it
// raises an error that says why: 61 disk full, 70 permission denied, 76 path not found, 75
// otherwise.
void AppendAllOrNothing(const std::string& path, const std::string& bytes);

// The call that flushes the report file, replaceable by tests to make it fail or to act between
// the write and the roll-back.
struct AppendCalls {
  int (*fsync)(int fd) = ::fsync;
};
AppendCalls& AppendTestCalls();

}  // namespace corvala::Reports

namespace corvala::WithholdingReports {

void ReportW2Proforma(App& app, std::int16_t destination);
void ReportTargetedWH(App& app, std::int16_t destination);
void ReportPercent(App& app, std::int16_t destination);

}  // namespace corvala::WithholdingReports
