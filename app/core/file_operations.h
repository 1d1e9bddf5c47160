// FileOperations: new, open, save and save-as of the data file (.zov), the question about
// unsaved inputs; MRU: the list of the five most recently used files.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "core/app.h"

namespace corvala::FileOperations {

// The file dialogs' filter and default extension.
// Lower case, as the MIME type that lets a file manager open a case with the program has it;
// files named .ZOV still open.
inline constexpr const char* kDataExtension = "zov";
std::string FileFilter();  // "Data Files(*.zov)|*.zov|All Files(*.*)|*.*||"

// Fresh inputs named UNTITLED.zov in the data folder, then the input form. Asks about unsaved
// inputs first; Cancel stops.
void NewFile(App& app);

// Loads a data file; an empty name asks in the Open dialog (cancelling it does nothing). The file
// is read into a fresh object that replaces the current one only when the whole file was read.
// Returns true when a file was loaded. A missing file ("<name> does not exist."), a folder, a
// file that is not a regular file or not a case (the message names the file and the line) is
// refused with a message (in a silent run on standard error and in the error log) and leaves the
// current case, its name, its saved state and the recent list as they were.
bool OpenFile(App& app, const std::string& name);

// The Open command, the "Old Scenario" start and a recent-file entry: OpenFile, then the input
// form, only when the case was opened.
void OpenCommand(App& app, const std::string& name);

// Writes the withholding object to `name`. A case that was never named asks for a name (Save As)
// instead; a file that exists but was neither opened nor saved in this session is replaced only
// after the user agrees (otherwise Save As). A write that fails shows the reason and offers Save
// As again; the inputs stay as they are. Returns true when the file was written.
bool Save(App& app, const std::string& name);

// Asks for a name (preset CurrentFile) and saves under it. Cancelling saves nothing and returns
// false; an empty name shows "Filename Empty!". CurrentFile and the recent list take the name
// only when the file was written.
bool SaveAs(App& app);

// The folder the file dialogs and new cases start in: the data folder last used while it exists,
// otherwise the user's documents folder.
std::string DataFolder(App& app);
// Files the program opened or wrote in this session (or the user chose in Save As) may be saved
// over without a question.
void MarkOwnFile(App& app, const std::string& path);
bool IsOwnFile(const App& app, const std::string& path);

// A case the user starts afresh: a new withholding object on the newest tax year whose tables are
// installed, not yet changed (a case file that names no year is still read as 2005).
std::unique_ptr<ostrand::_WhBusObj> NewCase();
// A new case (NewCase) replaces the current one.
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
