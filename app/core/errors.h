// Error reporting of Corvala: the fatal message box, the error reporter with its error log, and
// the font warning form.
//
// Fatal paths end the run through MainMod::EndProgram. In a silent run nothing waits for a
// person: messages go to standard error (through the headless dialogs) and errors are written to
// the error log "ZOV_err.log".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qel/error.h"

namespace corvala {

struct App;
using Bool16 = std::int16_t;

// The message of ReportFatalError: "An error has occurred in the <title>." and the number,
// standard description and location lines, then the question about saving. `detail` (when not
// empty and different from the standard description) adds a "Details:" line, so a message about a
// malformed file names the file.
std::string FatalErrorMessage(std::string_view programTitle, long number, std::string_view location,
                              std::string_view detail = {});

// Shows the fatal message (Yes/No, critical icon, title "WARNING!"), runs SaveAs on Yes, and
// ends the run with EndProgram(False). A silent run also writes the error to the log.
[[noreturn]] void ReportFatalError(App& app, std::int16_t number, std::string_view location,
                                   std::string_view detail = {});
// The same for an error in flight: its number and description.
[[noreturn]] void ReportFatalError(App& app, const qel::QelError& error, std::string_view location);

// The font warning form "Error Warning": returns the value of "Don't show this message again"
// (0 not checked). With `hide` True nothing is shown and True (-1) comes back.
std::int16_t ShowErrorWarning(App& app, const std::string& message, std::string_view procedureName,
                              Bool16 hide);

// The error reporter: tells the user about a failure, or in a silent run writes it to the error
// log, and answers whether the user wants to save before the program shuts down.
class ErrorReporter {
 public:
  explicit ErrorReporter(App& app) : app_(app) {}

  // Message box with Yes/No; True (-1) when the user wants to save first.
  Bool16 ShowError(long number, const std::string& description, const std::string& location,
                   const std::string& programTitle);
  // Tells the user; the program goes on.
  void NotifyError(long number, const std::string& description, const std::string& location,
                   const std::string& programTitle);
  // Silent: writes the log entry (and a line to standard error) and answers False.
  // Otherwise as ShowError, and the failure is also written to the log when logFile is set.
  Bool16 ShowOrLogError(long number, const std::string& description, const std::string& location,
                        Bool16 silent, const std::string& logFile, const std::string& programTitle);

  // Appends one entry to `logFile`: date and time, program title and version, number,
  // description, and the location lines (the CR-separated source trail, one per line).
  // Returns false when the log cannot be written (the failure is then reported to stderr).
  bool WriteLog(const std::string& logFile, long number, const std::string& description,
                const std::string& location, const std::string& programTitle);

  // The text shown by ShowError/ShowOrLogError.
  static std::string Message(long number, const std::string& description,
                             const std::string& location, const std::string& programTitle,
                             bool askToSave);

 private:
  App& app_;
};

// The handler pattern of the procedures that use the error reporter: location = `module_op`,
// CR, the error's source; ShowOrLogError (or ShowError); then EndProgram with the answer.
[[noreturn]] void ReportThroughReporter(App& app, const qel::QelError& error,
                                        std::string_view moduleOperation);
[[noreturn]] void ShowThroughReporter(App& app, const qel::QelError& error,
                                      std::string_view moduleOperation);

// Runs `body`; an error in flight (a qel::QelError or any std::exception) is handed to
// `handler`. Objects that are not std::exception (the test double of Process::Exit) pass through.
template <typename Body, typename Handler>
decltype(auto) Trap(Body&& body, Handler&& handler) {
  try {
    return body();
  } catch (const std::exception&) {
    handler(qel::CurrentError());
    throw;  // not reached: handlers end the run
  }
}

}  // namespace corvala
