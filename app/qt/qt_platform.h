// Qt implementations of the platform interfaces the program's logic calls: message boxes and
// file dialogs, the small modal forms, the per-user settings store, the clock and the end of the
// process.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/platform.h"

class QSettings;
class QWidget;

namespace corvala {

struct App;

// The program's file-dialog filter ("Data Files(*.zov)|*.zov|All Files(*.*)|*.*||") in Qt's
// syntax: one entry per description/pattern pair, patterns matched in either letter case, and
// "*.*" meaning every file, dotted or not.
QStringList QtFileFilters(const std::string& filter);

// The text of a message box as QMessageBox shows it: lines padded into columns with blanks
// ("Error Number:   6") become a table so the columns line up in any font; anything else stays
// plain text. `format` receives the text format to use.
QString MessageBoxText(const std::string& text, Qt::TextFormat* format);

// False when the desktop says that no program opens PDF files.
bool PdfViewerMayBeInstalled();

// The per-user settings store (the main window's position) kept in a QSettings object.
class QtSettingsStore : public SettingsStore {
 public:
  // The per-user settings store named after the program title.
  static std::unique_ptr<QtSettingsStore> PerUser(const std::string& programTitle);

  explicit QtSettingsStore(std::unique_ptr<QSettings> settings);
  ~QtSettingsStore() override;

  std::string Read(const std::string& section, const std::string& key,
                   const std::string& defaultValue) override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;
  void Sync();
  QSettings& Settings() { return *settings_; }

 private:
  std::unique_ptr<QSettings> settings_;
};

class QtClock : public Clock {
 public:
  std::int32_t SecondsSinceMidnight() override;
};

// Writes the settings stores to disk and ends the process at once.
class QtProcess : public Process {
 public:
  void AddStore(QtSettingsStore* store) { stores_.push_back(store); }
  [[noreturn]] void Exit(int status) override;
  void Flush();

 private:
  std::vector<QtSettingsStore*> stores_;
};

// Message boxes, file dialogs and the program's small forms, parented to the main window.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(App& app);
  void SetParentWindow(QWidget* parent) { parent_ = parent; }
  // The folder the file dialogs start in when the request names none.
  void SetDefaultFolder(const std::string& folder) { defaultFolder_ = folder; }

  Answer MessageBox(const std::string& text, Buttons buttons, Icon icon,
                    const std::string& title) override;
  std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
  std::int16_t ShowErrorWarning(const std::string& message) override;
  void ShowFinalScreen(const std::string& caption, const std::string& text) override;
  void ShowAbout() override;
  std::int16_t AskStartChoice() override;
  void ShowInputForm() override;
  // Opens the document with the desktop's viewer; when the file is missing or no viewer can be
  // started, says so and shows the document's path.
  void OpenDocument(const std::string& path) override;
  std::string DocumentsFolder() override;

 private:
  std::optional<std::string> AskFile(const FileDialogRequest& request, bool save);
  App& app_;
  QWidget* parent_ = nullptr;
  std::string defaultFolder_;
};

}  // namespace corvala
