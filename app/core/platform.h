// The platform as the program's logic sees it: small interfaces for everything that shows a
// window, asks the user, prints or remembers settings. The interactive program supplies Qt
// implementations; a silent run and the tests supply headless ones. Nothing in the program's
// logic touches a widget directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvala {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Answer { OK, Cancel, Yes, No };

// A printer font as the program saves and restores it around print jobs.
struct FontRecord {
  std::string name;
  float size = 0;
  std::int16_t bold = 0;  // 16-bit Boolean: -1 True, 0 False
};

// The Open and Save As dialogs.
struct FileDialogRequest {
  std::string title;             // "Open" or "Save As"
  std::string initialFolder;     // DataFilePath
  std::string defaultExtension;  // ".zov"
  std::string filter;            // "Data Files(*.zov)|*.zov|All Files(*.*)|*.*||"
  std::string presetName;        // Save As presets CurrentFile; Open presets nothing
};

// The font dialog: screen and printer fonts, fixed-pitch only.
struct FontRequest {
  std::string name;
  float size = 10;
  bool bold = true;
};
struct FontChoice {
  std::string name;
  float size = 10;
};

// The check boxes of the report choice dialog, one value per report of Reports::kReports in its
// order (1 = ticked).
using ReportChecks = std::vector<std::int16_t>;
enum class ReportChoiceOutcome { Ok, Cancelled, Closed };
struct ReportChoiceResult {
  ReportChoiceOutcome outcome = ReportChoiceOutcome::Closed;
  ReportChecks checks;  // meaningful for Ok
};

// The printing and measuring layer. Units of PageHeight and TextHeight are the printer's own and
// match each other. Font setters raise qel::QelError 380 when the printer cannot use the font.
class Printer {
 public:
  virtual ~Printer() = default;
  virtual double PageHeight() = 0;
  virtual double TextHeight(std::string_view text) = 0;  // in the current font
  // Prints text as it stands: each CR LF inside it ends a line; nothing is added at the end.
  virtual void Print(std::string_view text) = 0;
  // Prints text starting in the 1-based character column `column`, then ends the line.
  virtual void PrintLineAt(int column, std::string_view text) = 0;
  virtual int Page() = 0;  // the current page number, 1 on a fresh document
  virtual void NewPage() = 0;
  virtual void EndDoc() = 0;  // ends the print job; the next output starts a new job
  virtual FontRecord Font() = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetFontSize(float size) = 0;
  virtual void SetFontBold(bool bold) = 0;
};

// One report window (read-only text in a fixed-pitch font, with Print and Exit).
class ReportWindow {
 public:
  virtual ~ReportWindow() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetText(const std::string& text) = 0;  // CR LF line ends
  virtual void AppendText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void Show() = 0;  // not modal; the window lives until the user closes it
};

// Report choice, report windows, copies, fonts and the printer.
class ReportUi {
 public:
  virtual ~ReportUi() = default;
  virtual ReportChoiceResult AskReports(const std::string& caption,
                                        const ReportChecks& initial) = 0;
  // A new report window owned by the platform; valid at least until the current event returns.
  virtual ReportWindow* NewReportWindow() = 0;
  // The printer dialog titled `title`: the number of copies, 0 when cancelled.
  virtual int AskCopies(const std::string& title) = 0;
  // The font dialog; std::nullopt when cancelled.
  virtual std::optional<FontChoice> AskFont(const FontRequest& request) = 0;
  virtual Printer& ThePrinter() = 0;
};

// Message boxes, file dialogs and the program's small modal forms.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Texts break lines with the single character 10 (message boxes) or CR LF (the report warnings).
  virtual Answer MessageBox(const std::string& text, Buttons buttons, Icon icon,
                            const std::string& title) = 0;
  // std::nullopt when the user cancels.
  virtual std::optional<std::string> AskOpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> AskSaveFile(const FileDialogRequest& request) = 0;
  // The warning form "Error Warning": returns the value of "Don't show this message again"
  // (0 = not checked; closing the form with its window button reads as not checked).
  virtual std::int16_t ShowErrorWarning(const std::string& message) = 0;
  virtual void ShowFinalScreen(const std::string& caption, const std::string& text) = 0;
  virtual void ShowAbout() = 0;               // frmAbout, modal (also the splash screen)
  virtual std::int16_t AskStartChoice() = 0;  // frmStartUp: 1 new, 2 old, 0 main window / closed
  virtual void ShowInputForm() = 0;           // frmIP, modal
  virtual void OpenDocument(const std::string& path) = 0;  // the desktop's default viewer
  // The user's documents folder, where file dialogs and new cases start when no folder was used
  // yet ($XDG_DOCUMENTS_DIR, ~/Documents or the home folder unless the platform knows better).
  virtual std::string DocumentsFolder();
};

// The main window as the logic needs it.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void Load() = 0;  // create without showing; restores the stored position
  virtual void Show() = 0;  // show, not modal
  virtual void SetStatusText(const std::string& text) = 0;  // first status-bar panel
  // Recent-file entry i (1 to 5): caption such as "&1 /home/ann/smith.zov"; empty = hidden.
  virtual void SetRecentEntry(int index, const std::string& caption) = 0;
  virtual void SetRecentSeparatorVisible(bool visible) = 0;
  virtual void SetBusy(bool busy) = 0;  // hourglass pointer
  virtual void ProcessEvents() = 0;     // let pending window events run
  virtual void SetFileDialogFolder(const std::string& folder) = 0;
};

// A store of text values by section and key: the preferences file, the per-user settings.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string Read(const std::string& section, const std::string& key,
                           const std::string& defaultValue) = 0;
  virtual void Write(const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

// Seconds since midnight, rounded to a whole second.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int32_t SecondsSinceMidnight() = 0;
};

// The end of the process. Exit never returns: the real one ends the process at once (after the
// settings stores are flushed); a test double throws so the test can look at what happened.
class Process {
 public:
  virtual ~Process() = default;
  [[noreturn]] virtual void Exit(int status) = 0;
};

// Everything above, as one bundle handed to the program's logic.
struct Platform {
  Dialogs* dialogs = nullptr;
  MainWindowView* window = nullptr;
  ReportUi* reports = nullptr;
  SettingsStore* preferences = nullptr;   // the preferences file
  SettingsStore* userSettings = nullptr;  // the per-user settings store
  Clock* clock = nullptr;
  Process* process = nullptr;
};

}  // namespace corvala
