// The program-wide state of Corvala: one per process, every field empty, zero or False at start.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/platform.h"

namespace ostrand {
class _WhBusObj;
}

namespace corvala {

class ErrorReporter;

// 16-bit Booleans of the program: True is -1, False is 0.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;

// The six report flags; a flag is chosen when it equals 1.
struct ReportFlags {
  std::int16_t input = 0;
  std::int16_t summary = 0;
  std::int16_t detailed = 0;
  std::int16_t w2Proforma = 0;
  std::int16_t targeted = 0;
  std::int16_t percentage = 0;
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

  // The current case has never been given a name of the user's choosing (a new UNTITLED.ZOV):
  // Save asks for one instead of writing the placeholder name.
  bool NeverNamed = false;
  // Lines used on the current printer page; 0 means no page is open.
  std::int16_t PageLineCount = 0;
  // A report of the current report run could not be produced (a computation input that is not
  // a number); a silent run then ends with status 1.
  bool ReportFailed = false;
  // The status the process ends with: 0 success, 1 a failure of the run, 2 an unusable command
  // line. EndProgram of a silent run never ends with 0.
  int ExitStatus = 0;
};

}  // namespace corvala
