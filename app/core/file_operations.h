// FileOperations: new, open, save and save-as of the data file (.zov), the question about
// unsaved inputs; MRU: the list of the five most recently used files.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/app.h"

namespace corvala::FileOperations {

// The file dialogs' filter and default extension.
inline constexpr const char* kDataExtension = "ZOV";
std::string FileFilter();  // "Data Files(*.ZOV)|*.ZOV|All Files(*.*)|*.*||"

// Fresh inputs named UNTITLED.ZOV in the data folder, then the input form. Asks about unsaved
// inputs first; Cancel stops.
void NewFile(App& app);

// Loads a data file into the withholding object; an empty name asks in the Open dialog
// (cancelling it does nothing). Returns true when a file was loaded. A missing file shows
// "<name> does not exist." (in a silent run on standard error) and returns false.
bool OpenFile(App& app, const std::string& name);

// The Open command, the "Old Scenario" start and a recent-file entry: OpenFile, then the input
// form, unless the unsaved-inputs question or the Open dialog was cancelled.
void OpenCommand(App& app, const std::string& name);

// Writes the withholding object to `name`. A case that was never named asks for a name (Save As)
// instead. Returns true when the file was written. Failures end the run (ReportFatalError "Save").
bool Save(App& app, const std::string& name);

// Asks for a name (preset CurrentFile) and saves under it. Cancelling saves nothing and returns
// false; an empty name shows "Filename Empty!".
bool SaveAs(App& app);

// A new withholding object replaces the current one.
void ClearAllData(App& app);

bool FileExists(App& app, const std::string& path);
// The part before the last "/" (empty when there is none).
std::string GetFolder(std::string_view path);

// The unsaved-inputs question ("Unsaved Data Exists!"), asked only when DataSaved is False and
// the run is not silent. Yes saves (Save As for a case never named), No goes on, Cancel stops.
// Returns true when the caller may go on.
bool UnsavedInputsCheck(App& app);

// The input form calls this whenever the user changes an input: DataSaved becomes False.
void MarkInputsChanged(App& app);

// The status bar text "File: " + CurrentFile (nothing in a silent run).
void ShowFileInStatusBar(App& app);

}  // namespace corvala::FileOperations

namespace corvala::MRU {

// Loads "File 1" to "File 5" into the recent-file menu; a non-empty name not yet in the list
// (whole paths compared exactly) becomes entry 1 and the others move down; the fifth drops out.
void MaintMRUList(App& app, const std::string& newName);
void CopyMRUold2new(App& app, const std::array<std::string, 5>& old);

}  // namespace corvala::MRU
