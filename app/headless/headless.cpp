#include "headless/headless.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/text.h"

namespace corvala::headless {

namespace {

Answer CancelAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::OK:
      return Answer::OK;
    case Buttons::YesNo:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

// Message texts break lines with LF or CR LF; a terminal wants LF.
std::string ForTerminal(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::ostream& StderrDialogs::Out() {
  return out_ != nullptr ? *out_ : std::cerr;
}

Answer StderrDialogs::MessageBox(const std::string& text, Buttons buttons, Icon,
                                 const std::string& title) {
  Out() << "Corvala: " << title << ": " << ForTerminal(text) << '\n';
  Out().flush();
  return CancelAnswer(buttons);
}

std::int16_t StderrDialogs::ShowErrorWarning(const std::string& message) {
  Out() << "Corvala: Error Warning: " << ForTerminal(message) << '\n';
  return 0;
}

KeyedFileSettings::KeyedFileSettings(std::string path, Warn warn)
    : path_(std::move(path)), warn_(std::move(warn)) {}

std::string KeyedFileSettings::Read(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) {
  try {
    qel::KeyedDataFile file;
    file.SetFileName(path_);
    return file.ReadValue(section, key, defaultValue);
  } catch (const std::exception&) {
    if (!warnedRead_) {
      warnedRead_ = true;
      qel::QelError error = qel::CurrentError();
      if (warn_) {
        warn_("The preferences file " + path_ + " cannot be read (" + error.description() +
              ").\nThe program uses its default settings.");
      }
    }
    return defaultValue;
  }
}

void KeyedFileSettings::Write(const std::string& section, const std::string& key,
                              const std::string& value) {
  try {
    qel::KeyedDataFile file;
    file.SetFileName(path_);
    file.WriteValue(section, key, value);
  } catch (const std::exception&) {
    qel::QelError error = qel::CurrentError();
    if (warn_) {
      warn_("The setting \"" + key + "\" cannot be stored in the preferences file " + path_ + " (" +
            error.description() + ").");
    }
  }
}

std::string MemorySettings::Key(const std::string& section, const std::string& key) {
  return qel::FoldedAscii(section) + '\x1f' + qel::FoldedAscii(key);
}

std::string MemorySettings::Read(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
  auto it = values_.find(Key(section, key));
  return it == values_.end() ? defaultValue : it->second;
}

void MemorySettings::Write(const std::string& section, const std::string& key,
                           const std::string& value) {
  values_[Key(section, key)] = value;
  ++writes_;
}

bool MemorySettings::Has(const std::string& section, const std::string& key) const {
  return values_.count(Key(section, key)) != 0;
}

std::int32_t SystemClock::SecondsSinceMidnight() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  double fraction = duration<double>(now.time_since_epoch()).count() - static_cast<double>(t);
  double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
  auto rounded = static_cast<std::int32_t>(std::lround(seconds));
  return rounded >= 86400 ? rounded - 86400 : rounded;
}

void ExitProcess::Exit(int status) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::exit(status);
}

double RecordingPrinter::TextHeight(std::string_view text) {
  calls.push_back({"TextHeight", std::string(text), 0});
  return textHeight;
}

void RecordingPrinter::Flush(std::string_view text) {
  partial_ += text;
  std::size_t pos;
  while ((pos = partial_.find("\r\n")) != std::string::npos) {
    lines_.push_back(partial_.substr(0, pos));
    partial_.erase(0, pos + 2);
  }
}

void RecordingPrinter::Print(std::string_view text) {
  calls.push_back({"Print", std::string(text), 0});
  Flush(text);
}

void RecordingPrinter::PrintLineAt(int column, std::string_view text) {
  calls.push_back({"PrintLineAt", std::string(text), column});
  std::string line = partial_;
  partial_.clear();
  if (static_cast<int>(line.size()) < column - 1)
    line.resize(static_cast<std::size_t>(column - 1), ' ');
  line += text;
  lines_.push_back(line);
}

void RecordingPrinter::NewPage() {
  calls.push_back({"NewPage", "", 0});
  if (!partial_.empty()) Flush("\r\n");
  lines_.push_back("<<NEW PAGE>>");
  ++page_;
}

void RecordingPrinter::EndDoc() {
  calls.push_back({"EndDoc", "", 0});
  if (!partial_.empty()) Flush("\r\n");
  lines_.push_back("<<END DOC>>");
  page_ = 1;
  ++jobs_;
}

void RecordingPrinter::SetFontName(const std::string& name) {
  calls.push_back({"SetFontName", name, 0});
  if (std::find(unusableFonts.begin(), unusableFonts.end(), name) != unusableFonts.end()) {
    throw qel::QelError(qel::err::kInvalidProperty, "Printer.FontName");
  }
  font.name = name;
}

void RecordingPrinter::SetFontSize(float size) {
  calls.push_back({"SetFontSize", std::to_string(size), 0});
  font.size = size;
}

void RecordingPrinter::SetFontBold(bool bold) {
  calls.push_back({"SetFontBold", bold ? "True" : "False", 0});
  font.bold = bold ? -1 : 0;
}

std::vector<std::string> RecordingPrinter::Lines() const {
  std::vector<std::string> out = lines_;
  if (!partial_.empty()) out.push_back(partial_);
  return out;
}

ReportChoiceResult RecordingReportUi::AskReports(const std::string& caption,
                                                 const ReportChecks& initial) {
  choiceCaptions.push_back(caption);
  choiceInitial.push_back(initial);
  if (nextChoice_ < choices.size()) return choices[nextChoice_++];
  return ReportChoiceResult{ReportChoiceOutcome::Closed, {}};
}

ReportWindow* RecordingReportUi::NewReportWindow() {
  windows.push_back(std::make_unique<RecordingReportWindow>());
  return windows.back().get();
}

int RecordingReportUi::AskCopies(const std::string&) {
  return copies;
}

std::optional<FontChoice> RecordingReportUi::AskFont(const FontRequest& request) {
  fontRequests.push_back(request);
  if (nextFont_ < fontAnswers.size()) return fontAnswers[nextFont_++];
  return std::nullopt;
}

Answer ScriptedDialogs::MessageBox(const std::string& text, Buttons buttons, Icon icon,
                                   const std::string& title) {
  boxes.push_back({text, buttons, icon, title});
  if (nextAnswer_ < answers.size()) return answers[nextAnswer_++];
  return CancelAnswer(buttons);
}

std::optional<std::string> ScriptedDialogs::AskOpenFile(const FileDialogRequest& request) {
  openRequests.push_back(request);
  if (nextOpen_ < openAnswers.size()) return openAnswers[nextOpen_++];
  return std::nullopt;
}

std::optional<std::string> ScriptedDialogs::AskSaveFile(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  if (nextSave_ < saveAnswers.size()) return saveAnswers[nextSave_++];
  return std::nullopt;
}

std::int16_t ScriptedDialogs::ShowErrorWarning(const std::string& message) {
  warnings.push_back(message);
  if (nextWarning_ < warningAnswers.size()) return warningAnswers[nextWarning_++];
  return 0;
}

void ScriptedDialogs::ShowFinalScreen(const std::string& caption, const std::string& text) {
  finalScreens.emplace_back(caption, text);
}

void ScriptedDialogs::ShowInputForm() {
  ++inputFormShown;
  if (onInputForm) onInputForm();
}

void RecordingWindow::SetRecentEntry(int index, const std::string& caption) {
  if (index >= 1 && index <= 5) recent[index] = caption;
}

Platform SilentPlatform::Bundle() {
  Platform p;
  p.dialogs = &dialogs;
  p.userSettings = &userSettings;
  p.clock = &clock;
  p.process = &process;
  return p;
}

}  // namespace corvala::headless
