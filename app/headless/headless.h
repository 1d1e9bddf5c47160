// The headless platform of silent runs: nothing here waits for a person: messages go to standard
// error, dialogs answer "cancelled". The preferences file store serves the interactive program too.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform.h"

namespace corvala::headless {

// What a person who only closes every box would answer: OK for OK, Cancel for OK/Cancel and
// Yes/No/Cancel, No for Yes/No.
Answer CancelAnswer(Buttons buttons);

// Writes every message to a stream (standard error by default) and answers as a cancel would:
// OK for OK, Cancel for OK/Cancel and Yes/No/Cancel, No for Yes/No. File and font dialogs are
// cancelled, the start-up choice is "Main Window", forms are not shown.
class StderrDialogs : public Dialogs {
 public:
  explicit StderrDialogs(std::ostream* out = nullptr) : out_(out) {}
  Answer MessageBox(const std::string& text, Buttons buttons, Icon icon,
                    const std::string& title) override;
  std::optional<std::string> AskOpenFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> AskSaveFile(const FileDialogRequest&) override { return {}; }
  std::int16_t ShowErrorWarning(const std::string& message) override;
  void ShowFinalScreen(const std::string&, const std::string&) override {}
  void ShowAbout() override {}
  std::int16_t AskStartChoice() override { return 0; }
  void ShowInputForm() override {}
  void OpenDocument(const std::string&) override {}

 private:
  std::ostream& Out();
  std::ostream* out_;
};

// A store of values in a file of sections and keys (qel::KeyedDataFile): the preferences file,
// plain INI with CR LF line ends ("[User Preferences]", "Font Name=Courier New"), in silent and
// interactive runs alike. Every write replaces the file atomically. A file that cannot be read
// is reported once through `warn` and the defaults serve; a write that fails is reported.
class KeyedFileSettings : public SettingsStore {
 public:
  using Warn = std::function<void(const std::string& message)>;
  explicit KeyedFileSettings(std::string path, Warn warn = {});
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& defaultValue) override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;
  const std::string& Path() const { return path_; }

 private:
  void CreateWithCrLf(const std::string& section);
  std::string path_;
  Warn warn_;
  bool warnedRead_ = false;
};

class SystemClock : public Clock {
 public:
  std::int32_t SecondsSinceMidnight() override;
};

// Ends the process with std::exit after flushing the standard streams.
class ExitProcess : public Process {
 public:
  [[noreturn]] void Exit(int status) override;
};

// The platform of a silent run: standard-error dialogs, no window, no report UI, no settings, the
// system clock and a process that exits.
struct SilentPlatform {
  StderrDialogs dialogs;
  SystemClock clock;
  ExitProcess process;
  Platform Bundle();
};

}  // namespace corvala::headless
