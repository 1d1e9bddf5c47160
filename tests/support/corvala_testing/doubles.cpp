#include "corvala_testing/doubles.h"

#include <algorithm>

#include "headless/headless.h"
#include "qel/error.h"
#include "qel/text.h"

namespace corvala::headless {

namespace {

// Takes the first scripted answer.
template <typename T>
T Next(std::deque<T>& script) {
  T first = std::move(script.front());
  script.pop_front();
  return first;
}

}  // namespace

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
  if (!choices.empty()) return Next(choices);
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
  if (!fontAnswers.empty()) return Next(fontAnswers);
  return std::nullopt;
}

Answer ScriptedDialogs::MessageBox(const std::string& text, Buttons buttons, Icon icon,
                                   const std::string& title) {
  boxes.push_back({text, buttons, icon, title});
  if (!answers.empty()) return Next(answers);
  return CancelAnswer(buttons);
}

std::optional<std::string> ScriptedDialogs::AskOpenFile(const FileDialogRequest& request) {
  openRequests.push_back(request);
  if (!openAnswers.empty()) return Next(openAnswers);
  return std::nullopt;
}

std::optional<std::string> ScriptedDialogs::AskSaveFile(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  if (!saveAnswers.empty()) return Next(saveAnswers);
  return std::nullopt;
}

std::int16_t ScriptedDialogs::ShowErrorWarning(const std::string& message) {
  warnings.push_back(message);
  if (!warningAnswers.empty()) return Next(warningAnswers);
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

}  // namespace corvala::headless
