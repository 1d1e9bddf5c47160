// The program-wide state of Corvala: one per process, every field empty, zero or False at start.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "core/platform.h"
#include "core/withholding_reports.h"

namespace ostrand {
class _WhBusObj;
}

namespace corvala {

class ErrorReporter;

// 16-bit Booleans of the program: True is -1, False is 0.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;

// The report flags: one per report of Reports::kReports, in its order, and the two flags that
// choose no report of their own; a flag is chosen when it equals 1.
struct ReportFlags {
  std::array<std::int16_t, Reports::kReportCount> reports{};
  std::int16_t summary = 0;
  std::int16_t detailed = 0;
};

struct AppState {
  std::unique_ptr<ostrand::_WhBusObj> withholding;  // the one current case
  std::unique_ptr<ErrorReporter> errorReporter;

  std::string ProgramVersion;      // "ZOV2005.10"
  std::string ProgramVersionFull;  // "ZOV2005.10.143"
  bool IsSilentRun = false;
  std::string CurrentFile;
  std::string OutputFile;
  std::string ErrorLogFile;
  std::string HelpFile;
  bool DataSaved = false;
  std::int16_t StartChoice = 0;  // 0 main window only, 1 new scenario, 2 old scenario
  std::int32_t StartTime = 0;    // seconds since midnight
  ReportFlags reportFlags;

  // Preferences and fonts.
  std::string IniFile;
  std::string DataFilePath;
  bool HideErrorMsg = false;
  std::string ReportFontName = "Courier New";
  float ReportFontSize = 10;
  Bool16 ReportFontBold = kFalse;
  FontRecord SavedPrinterFont;

  std::array<std::string, 5> RecentFiles;
  std::string DebugFileName = "DEBUG.ZOV";

  // The current case has never been given a name of the user's choosing (a new UNTITLED.zov):
  // Save asks for one instead of writing the placeholder name.
  bool NeverNamed = false;
  // The files (absolute, normalised paths) opened or written in this session: a save replaces
  // any other existing file only after asking.
  std::set<std::string> OwnFiles;
  // Of those, how each was (modification time, size) when this program last read or wrote it: a
  // save asks before it replaces a file someone else has changed since (another copy of the
  // program on the same case).
  std::map<std::string, std::pair<std::int64_t, std::uintmax_t>> FileStamps;
  // Lines used on the current printer page; 0 means no page is open.
  std::int16_t PageLineCount = 0;
  // A report of the current report run could not be produced (a computation input that is not
  // a number); a silent run then ends with status 1.
  bool ReportFailed = false;
  // The text of a report run to the file, written in one go when the run ends.
  std::optional<std::string> FileRunText;
  // The status the process ends with: 0 success, 1 a failure of the run, 2 an unusable command
  // line. EndProgram of a silent run never ends with 0.
  int ExitStatus = 0;
  // An interactive launch whose command line cannot be used: the message shown in a box before
  // the run ends with status 2.
  std::string CommandLineProblem;
};

}  // namespace corvala
