#include "core/file_operations.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/internal.h"
#include "ostrand/paycheck.h"
#include "qel/keyed_data_file.h"

namespace corvala::FileOperations {

namespace {

using detail::Dlg;
using detail::Obj;

// The absolute, normalised form of a path: how the session's own files are compared.
std::string OwnKey(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

// How the file is now: its modification time and size; nothing when it cannot be read.
std::optional<std::pair<std::int64_t, std::uintmax_t>> StampOf(const std::string& path) {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  return std::make_pair(static_cast<std::int64_t>(time.time_since_epoch().count()), size);
}

void RememberStamp(App& app, const std::string& path,
                   std::optional<std::pair<std::int64_t, std::uintmax_t>> stamp) {
  if (stamp) {
    app.state.FileStamps[OwnKey(path)] = *stamp;
  } else {
    app.state.FileStamps.erase(OwnKey(path));
  }
}

// The file was changed on disk since this program last read or wrote it.
bool ChangedSinceKnown(const App& app, const std::string& path) {
  const auto known = app.state.FileStamps.find(OwnKey(path));
  if (known == app.state.FileStamps.end()) return false;
  const auto now = StampOf(path);
  return now && *now != known->second;
}

enum class OpenOutcome { Loaded, Refused, Cancelled };

FileDialogRequest Request(App& app, const char* title, const std::string& preset) {
  FileDialogRequest r;
  r.title = title;
  r.initialFolder = DataFolder(app);
  r.defaultExtension = std::string(".") + kDataExtension;
  r.filter = FileFilter();
  r.presetName = preset;
  return r;
}

void FilenameEmpty(App& app) {
  Dlg(app).MessageBox("Filename Empty!", Buttons::OK, Icon::Critical, "WARNING");
}

template <typename Body>
auto Fatal(App& app, const char* location, Body&& body) {
  return Trap(std::forward<Body>(body),
              [&](const qel::QelError& error) { ReportFatalError(app, error, location); });
}

// Why `path` cannot be opened as a case before anything reads it; empty when it may be tried.
std::string WhyNotACase(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec == std::errc::too_many_symbolic_link_levels) {
    return path + " is a symbolic link that leads round in a loop, not a case file.";
  }
  if (path.empty() || !fs::exists(status)) return path + " does not exist.";
  if (fs::is_directory(status)) return path + " is a folder, not a case file.";
  if (!fs::is_regular_file(status)) return path + " is not a case file: it is not a regular file.";
  return {};
}

// A file of sections and keys is a case only when it holds at least one of these; an empty file,
// one of comments only or one of other sections would otherwise load as a case of defaults.
constexpr const char* kCaseSections[] = {"Common", "Proforma", "Targeted", "Percent"};

// Why a file that was read without error is not a case; empty when it is one.
std::string WhyNoCaseInside(const std::string& path) {
  qel::KeyedDataFile file;
  file.SetFileName(path);
  for (const char* section : kCaseSections) {
    if (file.HasSection(section)) return {};
  }
  return path +
         " is not a case file: it holds none of the sections [Common], [Proforma], [Targeted] "
         "and [Percent].";
}

// Tells the user why a case was not opened; a silent run also writes it to the error log.
void Refuse(App& app, const std::string& message, long number, const std::string& source) {
  Dlg(app).MessageBox(message, Buttons::OK, Icon::Exclamation, "WARNING");
  if (app.state.IsSilentRun) {
    std::string location = "FileOperations.OpenFile";
    if (!source.empty()) location += "\r" + source;
    ErrorReporter(app).WriteLog(app.state.ErrorLogFile, number, message, location, kProgramTitle);
  }
}

// Loads `path` into a fresh object and makes it the current case only when the whole file was
// read, so a file that is missing or not a case leaves the case in hand, its name and its saved
// state as they were.
OpenOutcome LoadCase(App& app, const std::string& path) {
  AppState& st = app.state;
  if (std::string why = WhyNotACase(path); !why.empty()) {
    Refuse(app, why, qel::err::kFileNotFound, "");
    return OpenOutcome::Refused;
  }
  std::unique_ptr<ostrand::_WhBusObj> fresh;
  // Taken before the read: a change during it shows as a change at the next save.
  const auto stamp = StampOf(path);
  try {
    fresh = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    fresh->Load(path);
    if (std::string why = WhyNoCaseInside(path); !why.empty()) {
      Refuse(app, why, qel::err::kPathFileAccess, "");
      return OpenOutcome::Refused;
    }
  } catch (const std::exception&) {
    qel::QelError error = qel::CurrentError();
    Refuse(app, path + " cannot be opened as a case:\n" + error.description(), error.number(),
           error.source());
    return OpenOutcome::Refused;
  }
  st.withholding = std::move(fresh);
  st.CurrentFile = path;
  st.NeverNamed = false;
  st.DataSaved = true;
  st.DataFilePath = GetFolder(OwnKey(path));
  MarkOwnFile(app, path);
  RememberStamp(app, path, stamp);
  ShowFileInStatusBar(app);
  return OpenOutcome::Loaded;
}

OpenOutcome OpenFileEx(App& app, const std::string& name) {
  AppState& st = app.state;
  return Fatal(app, "OpenFile", [&] {
    if (!st.IsSilentRun && !UnsavedInputsCheck(app)) return OpenOutcome::Cancelled;
    if (!name.empty() || st.IsSilentRun) return LoadCase(app, name);
    std::optional<std::string> chosen = Dlg(app).AskOpenFile(Request(app, "Open", ""));
    if (!chosen) return OpenOutcome::Cancelled;
    if (chosen->empty()) {
      FilenameEmpty(app);
      return OpenOutcome::Cancelled;
    }
    OpenOutcome outcome = LoadCase(app, *chosen);
    // Only a file that was really opened enters the recent list.
    if (outcome == OpenOutcome::Loaded) MRU::MaintMRUList(app, *chosen);
    return outcome;
  });
}

// Writes the case to `name`; on failure the message carries the reason.
void WriteCase(App& app, const std::string& name) {
  ostrand::_WhBusObj& object = Obj(app);
  // Inside an edit the version marks the case changed, so the file is always written.
  object.BeginEdit();
  std::string version = app.state.ProgramVersion;
  if (version.size() < 21) version.resize(21, ' ');
  object.Version(version);
  object.ApplyEdit(name);
  if (object.IsDirty()) {
    throw qel::QelError(qel::err::kPathFileAccess, "FileOperations.Save",
                        "The data file " + name + " could not be written.");
  }
}

}  // namespace

std::string FileFilter() {
  return std::string("Data Files(*.") + kDataExtension + ")|*." + kDataExtension +
         "|All Files(*.*)|*.*||";
}

std::string DataFolder(App& app) {
  const std::string& folder = app.state.DataFilePath;
  std::error_code ec;
  if (!folder.empty() && std::filesystem::is_directory(folder, ec)) return folder;
  return Dlg(app).DocumentsFolder();
}

void MarkOwnFile(App& app, const std::string& path) {
  app.state.OwnFiles.insert(OwnKey(path));
}

bool IsOwnFile(const App& app, const std::string& path) {
  return app.state.OwnFiles.count(OwnKey(path)) != 0;
}

void NewFile(App& app) {
  AppState& st = app.state;
  Fatal(app, "NewFile", [&] {
    if (!UnsavedInputsCheck(app)) return;
    ClearAllData(app);
    st.CurrentFile = DataFolder(app) + "/UNTITLED." + kDataExtension;
    st.NeverNamed = true;
    ShowFileInStatusBar(app);
    st.DataSaved = true;
    Dlg(app).ShowInputForm();
    Obj(app).BeginEdit();
  });
}

bool OpenFile(App& app, const std::string& name) {
  return OpenFileEx(app, name) == OpenOutcome::Loaded;
}

void OpenCommand(App& app, const std::string& name) {
  // A file that was not opened leaves the input form shut: it would show the previous case.
  if (OpenFileEx(app, name) == OpenOutcome::Loaded) Dlg(app).ShowInputForm();
}

bool Save(App& app, const std::string& name) {
  AppState& st = app.state;
  return Fatal(app, "Save", [&] {
    // A case without a name of the user's choosing gets one first.
    if (!st.IsSilentRun && (st.NeverNamed || name.empty())) return SaveAs(app);
    std::error_code ec;
    if (!st.IsSilentRun && !IsOwnFile(app, name) && std::filesystem::exists(name, ec)) {
      Answer replace = Dlg(app).MessageBox(
          name + " already exists and was not opened in this session.\nDo you want to replace it?",
          Buttons::YesNo, Icon::Exclamation, "Save");
      if (replace != Answer::Yes) return SaveAs(app);
    }
    if (!st.IsSilentRun && ChangedSinceKnown(app, name)) {
      Answer replace = Dlg(app).MessageBox(
          name +
              " was changed on disk since this program last read or wrote it, perhaps by another "
              "copy of the program.\nDo you want to replace it with these inputs?\n\nYes "
              "replaces it, No saves the inputs under another name, Cancel saves nothing.",
          Buttons::YesNoCancel, Icon::Exclamation, "Save");
      if (replace == Answer::No) return SaveAs(app);
      if (replace != Answer::Yes) return false;
    }
    try {
      WriteCase(app, name);
    } catch (const std::exception&) {
      // The inputs stay as they are; the user may choose another place.
      qel::QelError error = qel::CurrentError();
      Answer again = Dlg(app).MessageBox("The case could not be saved as " + name + ":\n" +
                                             error.description() +
                                             "\n\nDo you want to save it under another name?",
                                         Buttons::YesNo, Icon::Exclamation, "Save");
      return again == Answer::Yes && SaveAs(app);
    }
    MarkOwnFile(app, name);
    RememberStamp(app, name, StampOf(name));
    st.DataFilePath = GetFolder(OwnKey(name));
    detail::PrefWrite(app, "Data Files", "Data File Path", st.DataFilePath);
    std::string debugName = (app.programFolder / st.DebugFileName).string();
    if (name != debugName) st.DataSaved = true;
    return true;
  });
}

bool SaveAs(App& app) {
  AppState& st = app.state;
  return Fatal(app, "SaveAs", [&] {
    std::optional<std::string> chosen =
        Dlg(app).AskSaveFile(Request(app, "Save As", st.CurrentFile));
    if (!chosen) return false;  // cancelled: nothing is saved
    if (chosen->empty()) {
      FilenameEmpty(app);
      return false;
    }
    // The dialog asked before a file was replaced: the name is the user's choice, whatever is
    // in the file now.
    MarkOwnFile(app, *chosen);
    RememberStamp(app, *chosen, std::nullopt);
    std::string previous = st.CurrentFile;
    bool previousNeverNamed = st.NeverNamed;
    st.CurrentFile = *chosen;
    st.NeverNamed = false;
    bool saved = Save(app, *chosen);
    if (saved && st.CurrentFile == *chosen) {
      // Only a name that was really written enters the recent list.
      MRU::MaintMRUList(app, *chosen);
    } else if (!saved && st.CurrentFile == *chosen) {
      st.CurrentFile = previous;
      st.NeverNamed = previousNeverNamed;
    }
    ShowFileInStatusBar(app);
    return saved;
  });
}

std::unique_ptr<ostrand::_WhBusObj> NewCase() {
  std::unique_ptr<ostrand::_WhBusObj> object = ostrand::CreateObject(ostrand::kWhBusObjClassId);
  // Outside an edit, so the fresh case is not a change to save.
  const std::vector<int> years = ostrand::AvailableYears();
  if (!years.empty()) object->sTaxYear(std::to_string(years.back()));
  return object;
}

void ClearAllData(App& app) {
  Fatal(app, "ClearAllData", [&] { app.state.withholding = NewCase(); });
}

bool FileExists(App& app, const std::string& path) {
  return Fatal(app, "FileExists", [&] {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
  });
}

std::string GetFolder(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash));
}

bool UnsavedInputsCheck(App& app) {
  AppState& st = app.state;
  if (st.IsSilentRun || st.DataSaved) return true;
  Answer answer =
      Dlg(app).MessageBox("Current Inputs have not been Saved!\nDo you want to save them first?",
                          Buttons::YesNoCancel, Icon::Exclamation, "Unsaved Data Exists!");
  switch (answer) {
    case Answer::No:
      return true;
    case Answer::Yes:
      // Go on only when the inputs really were saved.
      return Save(app, st.CurrentFile);
    default:
      return false;
  }
}

void MarkInputsChanged(App& app) {
  app.state.DataSaved = false;
}

void ShowFileInStatusBar(App& app) {
  if (!app.state.IsSilentRun && app.platform.window != nullptr) {
    app.platform.window->SetStatusText("File: " + app.state.CurrentFile);
  }
}

}  // namespace corvala::FileOperations

namespace corvala::MRU {

namespace {

std::string Caption(int index, const std::string& name) {
  return "&" + std::to_string(index) + " " + name;
}

void ShowEntry(App& app, int index, const std::string& name) {
  MainWindowView* window = app.platform.window;
  if (window == nullptr) return;
  if (!name.empty() && index == 1) window->SetRecentSeparatorVisible(true);
  window->SetRecentEntry(index, name.empty() ? std::string() : Caption(index, name));
}

}  // namespace

void MaintMRUList(App& app, const std::string& newName) {
  Trap(
      [&] {
        std::array<std::string, 5> old;
        for (int i = 1; i <= 5; ++i) {
          std::string value =
              detail::PrefRead(app, "User Preferences", "File " + std::to_string(i), "");
          // The text up to a terminating character, as the profile functions hand it over.
          std::size_t nul = value.find('\0');
          if (nul != std::string::npos) value.resize(nul);
          old[static_cast<std::size_t>(i - 1)] = value;
          ShowEntry(app, i, value);
        }
        if (newName.empty()) {
          CopyMRUold2new(app, old);
          return;
        }
        for (const std::string& listed : old) {
          if (listed == newName) return;  // whole paths, exact characters
        }
        AppState& st = app.state;
        st.RecentFiles[0] = newName;
        detail::PrefWrite(app, "User Preferences", "File 1", newName);
        ShowEntry(app, 1, newName);
        for (int k = 1; k <= 4; ++k) {
          const std::string& moved = old[static_cast<std::size_t>(k - 1)];
          st.RecentFiles[static_cast<std::size_t>(k)] = moved;
          detail::PrefWrite(app, "User Preferences", "File " + std::to_string(k + 1), moved);
          ShowEntry(app, k + 1, moved);
        }
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "MaintMRUList"); });
}

void CopyMRUold2new(App& app, const std::array<std::string, 5>& old) {
  Trap([&] { app.state.RecentFiles = old; },
       [&](const qel::QelError& error) { ReportFatalError(app, error, "CopyMRUold2new"); });
}

}  // namespace corvala::MRU
