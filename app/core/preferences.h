// Preferences (the preferences file Corvala.ini), the report font applied to the printer, and the
// main window position in the per-user settings store.
#pragma once

#include <string>

#include "core/app.h"

namespace corvala::Preferences {

// The preferences file of the user: $XDG_CONFIG_HOME/qel-paystave/Corvala.ini (by default
// ~/.config/qel-paystave/Corvala.ini). When it does not exist yet and the program folder holds a
// Corvala.ini (an older installation), that file is copied there first. Error 76 when the user
// has no home folder.
std::string PreferencesFilePath(const App& app);

// Reads the preferences at interactive start-up: IniFile, HideErrorMsg, DataFilePath (written
// back), SavedPrinterFont, ReportFontName, ReportFontSize, DebugFileName, the recent-file list.
// A value that is not a number falls back to its default with a warning. Opens the preferences
// file itself when platform.preferences is empty.
void GetIni(App& app);

// The Options > Fonts command: the warning box, then the font dialog.
void GetFonts(App& app);

// Saves the printer's font into `saved` and applies the given font. A font the printer cannot
// use (error 380) shows the warning (unless hidden) and the font dialog, as often as it takes;
// cancelling that dialog leaves the printer's own font in place.
void SetNewFont(App& app, const std::string& name, float size, Bool16 bold, FontRecord& saved);
void SetOldFont(App& app, const FontRecord& saved);

// A font size as decimal text: "10", "10.5".
std::string SizeText(float size);

// The main window's position and size in twips (1/1440 inch).
struct WindowRect {
  double left = 1000;
  double top = 1000;
  double width = 6500;
  double height = 6500;
};
WindowRect LoadMainWindowPosition(App& app);
// Writes nothing when the window is minimized.
void SaveMainWindowPosition(App& app, const WindowRect& rect, bool minimized);

// Writes "Font Name" and "Font Size" (EndProgram).
void WriteReportFont(App& app);

}  // namespace corvala::Preferences
