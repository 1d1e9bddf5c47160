// MainMod: start-up, the command line, the silent run, the interactive course and the end of
// the program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/app.h"

namespace corvala::MainMod {

// Full start-up: creates the error reporter and the withholding object, reads the command line,
// and either runs silently or loads the interactive module (libCorvalaQt.so) from the program
// folder. "--help" and "--version" print and return 0. Returns the process exit status: 0 when
// the run succeeded, 1 when it failed, 2 for a command line it cannot use.
int Main(App& app, int argc, char** argv);

// The command line as one string: the arguments after the program name joined by one blank.
std::string JoinCommandLine(int argc, char** argv);

// True when "/silent" occurs anywhere in the line, in any letter case.
bool IsSilent(std::string_view line);

// The file name after `sw` that runs through the first occurrence of `ext` in the line. Switch
// and extension match in any letter case; the name keeps the case it has on the line. Empty when
// the switch or the extension is missing. Raises qel::QelError 5 when the name's length comes out
// negative (the extension lies before the name) and 6 for a line longer than 32767 characters.
std::string ExtractCommandLineFilename(std::string_view line, std::string_view ext,
                                       std::string_view sw);
// As above, with the failure reported through the error reporter ("MainMod.GetCommandLineFilename")
// and the run ended with exit status 2.
std::string GetCommandLineFilename(App& app, std::string_view line, std::string_view ext,
                                   std::string_view sw);

// Loads CurrentFile and writes the Inputs report and the report of the case's computation to
// OutputFile. Sets app.state.ExitStatus (0, or 1 when the input file is missing or unreadable,
// a computation input is not a number, or the output cannot be written).
void RunSilent(App& app);

// The interactive course, with the Qt platform installed: about box, main window, start-up
// choice, GetIni, the chosen start, status bar, file dialog folder, StartTime, show.
void RunInteractive(App& app);

// The Exit command (and the main window's close): asks about unsaved inputs; returns only when
// the user cancels (the program keeps running). Otherwise runs `unloadMainWindow` (the window
// stores its position) and ends the program.
void ExitCommand(App& app, const std::function<void()>& unloadMainWindow = {});

// Ends the program: SaveAs when saveFirst is True, preferences written, objects released, printer
// font restored, closing screen shown (interactive runs), then platform.process->Exit.
[[noreturn]] void EndProgram(App& app, Bool16 saveFirst);

// ProgramVersion "ZOV2005.10" and ProgramVersionFull "ZOV2005.10.143".
void BuildVersions(AppState& state);

// The error log of the program: the program folder when it is writable, otherwise the per-user
// data folder ($XDG_DATA_HOME/qel-paystave or ~/.local/share/qel-paystave, created as needed).
std::string DefaultErrorLogFile(const App& app);

// The usage text printed by "--help" (and, on standard error, for an unusable command line).
std::string UsageText();

}  // namespace corvala::MainMod
