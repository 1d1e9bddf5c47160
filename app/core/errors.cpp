#include "core/errors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>

#include "core/app.h"
#include "core/file_operations.h"
#include "core/internal.h"
#include "core/main_mod.h"
#include "qel/cp1252.h"
#include "qel/text.h"

namespace corvala {

namespace {

// The location lines: the CR (or CR LF, or LF) separated trail, one per line.
std::vector<std::string> LocationLines(const std::string& location) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < location.size(); ++i) {
    char c = location[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < location.size() && location[i + 1] == '\n') ++i;
      if (!current.empty()) lines.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
  return buffer;
}

// Appends `text` to the log file: never through a symbolic link (a link in its place may have
// been put there to steer the write), only to a regular file, created readable by its owner only.
// 0 when written, else the errno.
int AppendToLog(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  0600);
  if (fd < 0) return errno;
  struct stat st {};
  int error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
  for (std::size_t done = 0; error == 0 && done < text.size();) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno != EINTR) error = errno;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

[[noreturn]] void FatalPath(App& app, long number, std::string_view location,
                            std::string_view detail, std::string_view source) {
  AppState& st = app.state;
  if (st.IsSilentRun) {
    // Nobody to ask: the error goes to the log, with its source trail, and to standard error
    // without the question about saving.
    if (st.ExitStatus == 0) st.ExitStatus = 1;
    std::string description =
        detail.empty() ? qel::StandardDescription(number) : std::string(detail);
    std::string trail(location);
    if (!source.empty()) trail += "\r" + std::string(source);
    ErrorReporter reporter(app);
    reporter.WriteLog(st.ErrorLogFile, number, description, trail, kProgramTitle);
    detail::Dlg(app).MessageBox(
        ErrorReporter::Message(number, description, trail, kProgramTitle, false), Buttons::OK,
        Icon::Critical, "WARNING!");
    MainMod::EndProgram(app, kFalse);
  }
  std::string message = FatalErrorMessage(kProgramTitle, number, location, detail);
  Answer answer = detail::Dlg(app).MessageBox(message, Buttons::YesNo, Icon::Critical, "WARNING!");
  if (answer == Answer::Yes) FileOperations::SaveAs(app);
  MainMod::EndProgram(app, kFalse);
}

}  // namespace

std::string FatalErrorMessage(std::string_view programTitle, long number, std::string_view location,
                              std::string_view detail) {
  std::string standard = qel::StandardDescription(number);
  std::string m = "An error has occurred in the ";
  m += programTitle;
  m += ".";
  m += "\n\nError Number:   " + std::to_string(number);
  m += "\nError Type:        " + standard;
  m += "\nLocation:           ";
  m += location;
  if (!detail.empty() && detail != standard) {
    m += "\nDetails:            ";
    m += detail;
  }
  m += "\n\nDo you want to save your data before the program shuts down?";
  return m;
}

void ReportFatalError(App& app, std::int16_t number, std::string_view location,
                      std::string_view detail) {
  FatalPath(app, number, location, detail, {});
}

void ReportFatalError(App& app, const qel::QelError& error, std::string_view location) {
  FatalPath(app, error.number(), location, error.description(), error.source());
}

std::int16_t ShowErrorWarning(App& app, const std::string& message, std::string_view, Bool16 hide) {
  if (hide != 0) return kTrue;
  return detail::Dlg(app).ShowErrorWarning(message);
}

std::string ErrorReporter::Message(long number, const std::string& description,
                                   const std::string& location, const std::string& programTitle,
                                   bool askToSave) {
  std::string m = "An error has occurred in " + programTitle + ".";
  m += "\n\nError Number: " + std::to_string(number);
  m += "\nDescription: " + description;
  m += "\nLocation:";
  for (const std::string& line : LocationLines(location)) m += "\n    " + line;
  if (askToSave) m += "\n\nDo you want to save your data before the program shuts down?";
  return m;
}

Bool16 ErrorReporter::ShowError(long number, const std::string& description,
                                const std::string& location, const std::string& programTitle) {
  Answer answer =
      detail::Dlg(app_).MessageBox(Message(number, description, location, programTitle, true),
                                   Buttons::YesNo, Icon::Critical, programTitle);
  return answer == Answer::Yes ? kTrue : kFalse;
}

void ErrorReporter::NotifyError(long number, const std::string& description,
                                const std::string& location, const std::string& programTitle) {
  detail::Dlg(app_).MessageBox(Message(number, description, location, programTitle, false),
                               Buttons::OK, Icon::Exclamation, programTitle);
}

Bool16 ErrorReporter::ShowOrLogError(long number, const std::string& description,
                                     const std::string& location, Bool16 silent,
                                     const std::string& logFile, const std::string& programTitle) {
  if (!logFile.empty() || silent != 0) {
    WriteLog(logFile, number, description, location, programTitle);
  }
  if (silent != 0) {
    // Nobody to ask: the message goes to standard error and the answer is "do not save".
    detail::Dlg(app_).MessageBox(Message(number, description, location, programTitle, false),
                                 Buttons::OK, Icon::Critical, programTitle);
    return kFalse;
  }
  return ShowError(number, description, location, programTitle);
}

bool ErrorReporter::WriteLog(const std::string& logFile, long number,
                             const std::string& description, const std::string& location,
                             const std::string& programTitle) {
  // One entry is its own lines: the names and values it quotes have their line breaks and other
  // control characters written out, so they can neither add a line nor command a terminal.
  std::ostringstream entry;
  entry << Now() << "  " << programTitle << ' ' << app_.state.ProgramVersionFull << '\n';
  entry << "  Error " << number << ": " << qel::EscapedControls(qel::AsUtf8(description)) << '\n';
  entry << "  Location:\n";
  for (const std::string& line : LocationLines(location)) {
    entry << "    " << qel::EscapedControls(qel::AsUtf8(line)) << '\n';
  }
  entry << '\n';
  if (logFile.empty()) {
    std::cerr << "Corvala: no error log is set; the error was:\n" << entry.str();
    return false;
  }
  if (int error = AppendToLog(logFile, entry.str()); error != 0) {
    std::cerr << "Corvala: the error log " << qel::EscapedControls(logFile)
              << " cannot be written (" << std::strerror(error) << "); the error was:\n"
              << entry.str();
    return false;
  }
  return true;
}

namespace {

[[noreturn]] void ThroughReporter(App& app, const qel::QelError& error,
                                  std::string_view moduleOperation, bool logForm) {
  AppState& st = app.state;
  std::string location(moduleOperation);
  location += '\r';
  location += error.source();
  if (st.IsSilentRun && st.ExitStatus == 0) st.ExitStatus = 1;
  ErrorReporter fallback(app);
  ErrorReporter& reporter = st.errorReporter ? *st.errorReporter : fallback;
  Bool16 saveFirst =
      logForm
          ? reporter.ShowOrLogError(error.number(), error.description(), location,
                                    st.IsSilentRun ? kTrue : kFalse, st.ErrorLogFile, kProgramTitle)
          : reporter.ShowError(error.number(), error.description(), location, kProgramTitle);
  MainMod::EndProgram(app, saveFirst);
}

}  // namespace

void ReportThroughReporter(App& app, const qel::QelError& error, std::string_view moduleOperation) {
  ThroughReporter(app, error, moduleOperation, true);
}

void ShowThroughReporter(App& app, const qel::QelError& error, std::string_view moduleOperation) {
  ThroughReporter(app, error, moduleOperation, false);
}

}  // namespace corvala
