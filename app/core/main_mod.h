// MainMod: start-up, the command line, the silent run, the interactive course and the end of
// the program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app.h"

namespace corvala::MainMod {

// Full start-up: creates the error reporter and the withholding object, reads the command line,
// and either runs silently or loads the interactive module (libCorvalaQt.so) from the program
// folder. "--help" and "--version" print and return 0. Returns the process exit status: 0 when
// the run succeeded, 1 when it failed, 2 for a command line it cannot use.
int Main(App& app, int argc, char** argv);

// The command line as one string: the arguments after the program name joined by one blank.
std::string JoinCommandLine(int argc, char** argv);

// What the command line asks for. Switches are whole words in any letter case: "/silent",
// "/input", "/output", and the GNU-style "--silent", "--input", "--output" (also as
// "--input=NAME"). A name is every word after its switch up to the next switch, joined by one
// blank, so a name with blanks needs no quotes and a folder called "input" is part of a path.
// Words before any switch name the case to open (as a file manager hands it over).
struct CommandLine {
  bool silent = false;
  bool hasInput = false, hasOutput = false;  // the switch was given
  std::string input, output;                 // the names after the switches
  std::vector<std::string> problems;         // what cannot be used, one message each
};
// `words` are the arguments after the program name. A case name must end in ".zov" and a report
// name in ".txt" (any letter case); a missing or unusable name is one of the problems.
CommandLine ParseCommandLine(const std::vector<std::string>& words);
// The words of a command line held as one string, split at every blank (so two blanks in a row
// keep an empty word between them and the name keeps its blank).
std::vector<std::string> SplitCommandLine(std::string_view line);

// True when the line holds the word "/silent" or "--silent", in any letter case.
bool IsSilent(std::string_view line);

// The name after the switch `sw` ("/input" or "/output") that ends in `ext`; empty when the
// switch or such a name is missing.
std::string ExtractCommandLineFilename(std::string_view line, std::string_view ext,
                                       std::string_view sw);

// One message for the problems of a command line: what is wrong, one line each.
std::string CommandLineMessage(const CommandLine& commandLine);

// Loads CurrentFile and writes the Inputs report and the report of the case's computation to
// OutputFile. Sets app.state.ExitStatus (0, or 1 when the input file is missing or unreadable,
// a computation input is not a number, or the output cannot be written).
void RunSilent(App& app);

// The interactive course, with the Qt platform installed: about box, main window, start-up
// choice (skipped when the command line names a case, which is then opened), GetIni, the chosen
// start, status bar, file dialog folder, StartTime, show. A command line that cannot be used is
// shown in a message box instead, and false comes back: the run ends with ExitStatus 2.
bool RunInteractive(App& app);

// The Exit command (and the main window's close): asks about unsaved inputs; returns only when
// the user cancels (the program keeps running). Otherwise runs `unloadMainWindow` (the window
// stores its position) and ends the program.
void ExitCommand(App& app, const std::function<void()>& unloadMainWindow = {});

// Ends the program: SaveAs when saveFirst is True, preferences written, objects released, printer
// font restored, closing screen shown (interactive runs), then platform.process->Exit.
[[noreturn]] void EndProgram(App& app, Bool16 saveFirst);

// ProgramVersion "ZOV2005.10" and ProgramVersionFull "ZOV2005.10.143".
void BuildVersions(AppState& state);

// The error log of the program: the program folder when it belongs to the person running, no one
// else may write it and the log there may be written; otherwise the per-user data folder
// ($XDG_DATA_HOME/qel-paystave or ~/.local/share/qel-paystave, created as needed).
std::string DefaultErrorLogFile(const App& app);

// The usage text printed by "--help" (and, on standard error, for an unusable command line).
std::string UsageText();

}  // namespace corvala::MainMod
