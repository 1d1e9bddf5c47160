#include "core/file_operations.h"

#include <filesystem>

#include "core/errors.h"
#include "core/internal.h"

namespace corvala::FileOperations {

namespace {

using detail::Dlg;
using detail::Obj;

enum class OpenOutcome { Loaded, Missing, Cancelled };

FileDialogRequest Request(App& app, const char* title, const std::string& preset) {
  FileDialogRequest r;
  r.title = title;
  r.initialFolder = app.state.DataFilePath;
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

OpenOutcome OpenFileEx(App& app, const std::string& name) {
  AppState& st = app.state;
  return Fatal(app, "OpenFile", [&] {
    if (!st.IsSilentRun && !UnsavedInputsCheck(app)) return OpenOutcome::Cancelled;
    if (name.empty() && !st.IsSilentRun) {
      std::optional<std::string> chosen = Dlg(app).AskOpenFile(Request(app, "Open", ""));
      if (!chosen) return OpenOutcome::Cancelled;
      if (chosen->empty()) {
        FilenameEmpty(app);
        return OpenOutcome::Cancelled;
      }
      st.CurrentFile = *chosen;
      MRU::MaintMRUList(app, *chosen);
    } else {
      st.CurrentFile = name;
    }
    st.NeverNamed = false;
    if (FileExists(app, st.CurrentFile)) {
      try {
        Obj(app).Load(st.CurrentFile);
      } catch (const std::exception&) {
        qel::QelError error = qel::CurrentError();
        ReportFatalError(
            app, static_cast<std::int16_t>(error.number()), "OpenFile",
            "The data file " + st.CurrentFile + " cannot be read (" + error.description() + ").");
      }
      ShowFileInStatusBar(app);
      st.DataSaved = true;
      return OpenOutcome::Loaded;
    }
    Dlg(app).MessageBox(st.CurrentFile + " does not exist.", Buttons::OK, Icon::Exclamation,
                        "WARNING");
    // The inputs in hand are not stored under the new name.
    if (!st.IsSilentRun) st.DataSaved = false;
    return OpenOutcome::Missing;
  });
}

}  // namespace

std::string FileFilter() {
  return std::string("Data Files(*.") + kDataExtension + ")|*." + kDataExtension +
         "|All Files(*.*)|*.*||";
}

void NewFile(App& app) {
  AppState& st = app.state;
  Fatal(app, "NewFile", [&] {
    if (!UnsavedInputsCheck(app)) return;
    ClearAllData(app);
    st.CurrentFile = st.DataFilePath + "/UNTITLED." + kDataExtension;
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
  if (OpenFileEx(app, name) != OpenOutcome::Cancelled) Dlg(app).ShowInputForm();
}

bool Save(App& app, const std::string& name) {
  AppState& st = app.state;
  return Fatal(app, "Save", [&] {
    // A case without a name of the user's choosing gets one first.
    if (!st.IsSilentRun && (st.NeverNamed || name.empty())) return SaveAs(app);
    st.DataFilePath = GetFolder(name);
    detail::PrefWrite(app, "Data Files", "Data File Path", st.DataFilePath);
    ostrand::_WhBusObj& object = Obj(app);
    // Inside an edit the version marks the case changed, so the file is always written.
    object.BeginEdit();
    std::string version = st.ProgramVersion;
    if (version.size() < 21) version.resize(21, ' ');
    object.Version(version);
    object.ApplyEdit(name);
    if (object.IsDirty()) {
      throw qel::QelError(qel::err::kPathFileAccess, "FileOperations.Save",
                          "The data file " + name + " could not be written.");
    }
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
    st.CurrentFile = *chosen;
    st.NeverNamed = false;
    MRU::MaintMRUList(app, *chosen);
    bool saved = Save(app, st.CurrentFile);
    ShowFileInStatusBar(app);
    return saved;
  });
}

void ClearAllData(App& app) {
  Fatal(app, "ClearAllData",
        [&] { app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId); });
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
