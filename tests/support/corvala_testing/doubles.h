// Test doubles of the platform: settings in memory, a fixed clock, a process end that throws, a
// printer and report windows that record, dialogs answered from scripts, a main window that
// records. They live with the tests; the program itself uses the headless platform.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform.h"

namespace corvala::headless {

// Values in memory; section and key names match without regard to letter case.
class MemorySettings : public SettingsStore {
 public:
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& defaultValue) override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;
  bool Has(const std::string& section, const std::string& key) const;
  std::size_t WriteCount() const { return writes_; }

 private:
  static std::string Key(const std::string& section, const std::string& key);
  std::map<std::string, std::string> values_;
  std::size_t writes_ = 0;
};

class FixedClock : public Clock {
 public:
  std::int32_t seconds = 0;
  std::int32_t SecondsSinceMidnight() override { return seconds; }
};

// What the test double of Process throws; deliberately not a std::exception, so no handler of
// the program's logic catches it.
struct ProcessExited {
  int status;
};
class ThrowingProcess : public Process {
 public:
  [[noreturn]] void Exit(int status) override { throw ProcessExited{status}; }
};

// A printer that records every call. Page height and text height are settable; a font name in
// `unusableFonts` raises error 380 when set.
class RecordingPrinter : public Printer {
 public:
  struct Call {
    std::string op;  // "Print", "PrintLineAt", "NewPage", "EndDoc", "SetFontName", ...
    std::string text;
    int column = 0;
  };
  double pageHeight = 60 * 240.0;
  double textHeight = 240.0;
  std::vector<std::string> unusableFonts;
  std::vector<Call> calls;
  FontRecord font{"Arial", 12, 0};

  double PageHeight() override { return pageHeight; }
  double TextHeight(std::string_view text) override;
  void Print(std::string_view text) override;
  void PrintLineAt(int column, std::string_view text) override;
  int Page() override { return page_; }
  void NewPage() override;
  void EndDoc() override;
  FontRecord Font() override { return font; }
  void SetFontName(const std::string& name) override;
  void SetFontSize(float size) override;
  void SetFontBold(bool bold) override;

  // The printed output as lines, page breaks as a line "<<NEW PAGE>>", job ends "<<END DOC>>".
  std::vector<std::string> Lines() const;
  int Jobs() const { return jobs_; }

 private:
  int page_ = 1;
  int jobs_ = 0;
  std::string partial_;
  std::vector<std::string> lines_;
  void Flush(std::string_view text);
};

class RecordingReportWindow : public ReportWindow {
 public:
  std::string caption;
  std::string text;
  bool shown = false;
  void SetCaption(const std::string& c) override { caption = c; }
  void SetText(const std::string& t) override { text = t; }
  void AppendText(const std::string& t) override { text += t; }
  std::string Text() const override { return text; }
  void Show() override { shown = true; }
};

// Report choice, copies and fonts answered from scripts; windows and the printer recorded.
class RecordingReportUi : public ReportUi {
 public:
  std::deque<ReportChoiceResult> choices;  // answers in order; Closed when exhausted
  std::vector<std::string> choiceCaptions;
  std::vector<ReportChecks> choiceInitial;
  int copies = 1;
  std::deque<std::optional<FontChoice>> fontAnswers;  // cancelled when exhausted
  std::vector<FontRequest> fontRequests;
  std::vector<std::unique_ptr<RecordingReportWindow>> windows;
  RecordingPrinter printer;

  ReportChoiceResult AskReports(const std::string& caption, const ReportChecks& initial) override;
  ReportWindow* NewReportWindow() override;
  int AskCopies(const std::string& title) override;
  std::optional<FontChoice> AskFont(const FontRequest& request) override;
  Printer& ThePrinter() override { return printer; }
};

// Dialogs answered from scripts (each answer is taken off the front of its queue), every call
// recorded.
class ScriptedDialogs : public Dialogs {
 public:
  struct Box {
    std::string text;
    Buttons buttons;
    Icon icon;
    std::string title;
  };
  std::vector<Box> boxes;
  std::deque<Answer> answers;  // in order; when exhausted: Cancel/No/OK as StderrDialogs
  std::deque<std::optional<std::string>> openAnswers, saveAnswers;  // cancelled when exhausted
  std::vector<FileDialogRequest> openRequests, saveRequests;
  std::deque<std::int16_t> warningAnswers;  // "Don't show" values; 0 when exhausted
  std::vector<std::string> warnings;
  std::vector<std::pair<std::string, std::string>> finalScreens;
  std::vector<std::string> documents;
  std::int16_t startChoice = 0;
  int aboutShown = 0, inputFormShown = 0;
  std::function<void()> onInputForm;  // runs while the input form is "shown"

  Answer MessageBox(const std::string& text, Buttons buttons, Icon icon,
                    const std::string& title) override;
  std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
  std::int16_t ShowErrorWarning(const std::string& message) override;
  void ShowFinalScreen(const std::string& caption, const std::string& text) override;
  void ShowAbout() override { ++aboutShown; }
  std::int16_t AskStartChoice() override { return startChoice; }
  void ShowInputForm() override;
  void OpenDocument(const std::string& path) override { documents.push_back(path); }
  std::string documentsFolder;  // the user's documents folder
  std::string DocumentsFolder() override { return documentsFolder; }
};

class RecordingWindow : public MainWindowView {
 public:
  bool loaded = false, shown = false, busy = false;
  std::string status;
  std::string dialogFolder;
  std::string recent[6];  // index 1 to 5
  bool separatorVisible = false;
  int processEvents = 0;
  void Load() override { loaded = true; }
  void Show() override { shown = true; }
  void SetStatusText(const std::string& text) override { status = text; }
  void SetRecentEntry(int index, const std::string& caption) override;
  void SetRecentSeparatorVisible(bool visible) override { separatorVisible = visible; }
  void SetBusy(bool b) override { busy = b; }
  void ProcessEvents() override { ++processEvents; }
  void SetFileDialogFolder(const std::string& folder) override { dialogFolder = folder; }
};

}  // namespace corvala::headless
