#include "core/main_mod.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "core/file_operations.h"
#include "core/help_support.h"
#include "core/interactive.h"
#include "core/internal.h"
#include "core/preferences.h"
#include "core/reports.h"
#include "qel/text.h"

namespace corvala::MainMod {

namespace {

// Runs `step`, ignoring any failure (the shutdown goes on with the next step).
template <typename F>
void Ignoring(F&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

bool HasDisplay() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

int LoadInteractive(App& app, int argc, char** argv) {
  std::filesystem::path module = app.programFolder / kInteractiveModule;
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    std::cerr << "Corvala: cannot load the interactive module " << module.string() << ": "
              << (why != nullptr ? why : "unknown error") << "\n"
              << "A run without windows needs \"/silent\" (see Corvala --help).\n";
    return 1;
  }
  void* entry = ::dlsym(handle, kInteractiveEntry);
  if (entry == nullptr) {
    const char* why = ::dlerror();
    std::cerr << "Corvala: the interactive module " << module.string() << " has no entry point "
              << kInteractiveEntry << ": " << (why != nullptr ? why : "unknown error") << "\n";
    return 1;
  }
  // The module stays loaded until the process ends: its objects may outlive the call.
  auto run = reinterpret_cast<RunInteractiveFn>(entry);
  return run(app, argc, argv);
}

}  // namespace

std::string UsageText() {
  return "Usage: Corvala [<case>.zov]\n"
         "       Corvala /silent /input <case>.zov /output <report>.txt\n"
         "       Corvala --help | --version\n"
         "\n"
         "Without arguments the program opens its main window; given a case file (with or\n"
         "without /input) it opens that case.\n"
         "\n"
         "  /silent, --silent              run without windows: load the case, write its\n"
         "                                 reports, end\n"
         "  /input, --input <file>.zov     the case to load\n"
         "  /output, --output <file>.txt   the report file; the reports are appended to it\n"
         "\n"
         "Switches are whole words in any letter case and order; a name runs to the next\n"
         "switch and keeps its case. --input=<file> and --output=<file> work too.\n"
         "Exit status of a silent run: 0 reports written, 1 the case or a report failed,\n"
         "2 a command line that cannot be used.\n";
}

std::string JoinCommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

namespace {

struct Switch {
  const char* slash;  // "/input"
  const char* gnu;    // "--input"
};
constexpr Switch kSilent{"/silent", "--silent"};
constexpr Switch kInput{"/input", "--input"};
constexpr Switch kOutput{"/output", "--output"};
constexpr const Switch* kSwitches[] = {&kSilent, &kInput, &kOutput};

// The switch a word is, if any; `inlineName` receives the name of "--input=NAME".
const Switch* SwitchOf(std::string_view word, std::optional<std::string>& inlineName) {
  inlineName.reset();
  std::string folded = qel::FoldedAscii(word);
  for (const Switch* sw : kSwitches) {
    if (folded == sw->slash || folded == sw->gnu) return sw;
    std::string withValue = std::string(sw->gnu) + "=";
    if (sw != &kSilent && folded.rfind(withValue, 0) == 0) {
      inlineName = std::string(word.substr(withValue.size()));
      return sw;
    }
  }
  return nullptr;
}

bool EndsWithFolded(std::string_view name, std::string_view ext) {
  return name.size() > ext.size() &&
         qel::FoldedAscii(name.substr(name.size() - ext.size())) == qel::FoldedAscii(ext);
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  if (line.empty()) return words;
  std::size_t start = 0;
  for (;;) {
    std::size_t blank = line.find(' ', start);
    words.emplace_back(line.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  return words;
}

CommandLine ParseCommandLine(const std::vector<std::string>& words) {
  CommandLine cl;
  std::vector<std::string> bare;  // words before any switch
  std::string* name = nullptr;    // the name being collected
  bool named = false;             // `name` has a word already
  std::optional<std::string> inlineName;
  for (const std::string& word : words) {
    if (const Switch* sw = SwitchOf(word, inlineName)) {
      name = nullptr;
      if (sw == &kSilent) {
        cl.silent = true;
        continue;
      }
      bool& given = sw == &kInput ? cl.hasInput : cl.hasOutput;
      if (given) cl.problems.push_back("\"" + word + "\" is given twice.");
      given = true;
      name = sw == &kInput ? &cl.input : &cl.output;
      name->clear();
      named = inlineName.has_value();
      if (named) *name = *inlineName;
      continue;
    }
    if (name == nullptr) {
      if (word.rfind("--", 0) == 0) {
        cl.problems.push_back("\"" + word + "\" is not an option of this program.");
      } else {
        bare.push_back(word);
      }
      continue;
    }
    if (named) *name += ' ';
    *name += word;
    named = true;
  }
  if (!bare.empty()) {
    std::string joined;
    for (const std::string& w : bare) joined += (joined.empty() ? "" : " ") + w;
    if (cl.hasInput) {
      cl.problems.push_back("\"" + joined + "\" stands before any switch.");
    } else {
      cl.hasInput = true;
      cl.input = joined;
    }
  }
  auto check = [&](bool given, const std::string& value, const char* sw, const char* ext,
                   const char* what) {
    if (given && !EndsWithFolded(value, ext)) {
      std::string problem = std::string("no file name ending in \"") + ext + "\" follows \"" + sw;
      cl.problems.push_back(value.empty()
                                ? problem + "\"."
                                : problem + "\": \"" + value + "\" is not a " + what + " name.");
    }
  };
  check(cl.hasInput, cl.input, "/input", ".zov", "case file");
  check(cl.hasOutput, cl.output, "/output", ".txt", "report file");
  if (cl.silent && !cl.hasInput) {
    cl.problems.push_back("a silent run needs \"/input\" followed by a case file (.zov).");
  }
  if (cl.silent && !cl.hasOutput) {
    cl.problems.push_back("a silent run needs \"/output\" followed by a report file (.txt).");
  }
  return cl;
}

std::string CommandLineMessage(const CommandLine& commandLine) {
  std::string message = "The command line cannot be used:\n";
  for (const std::string& problem : commandLine.problems) message += "  " + problem + "\n";
  return message;
}

bool IsSilent(std::string_view line) {
  return ParseCommandLine(SplitCommandLine(line)).silent;
}

std::string ExtractCommandLineFilename(std::string_view line, std::string_view ext,
                                       std::string_view sw) {
  CommandLine cl = ParseCommandLine(SplitCommandLine(line));
  bool input = qel::FoldedAscii(sw) == kInput.slash;
  const std::string& name = input ? cl.input : cl.output;
  return EndsWithFolded(name, ext) ? name : std::string();
}

void BuildVersions(AppState& state) {
  state.ProgramVersion =
      "ZOV" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
  state.ProgramVersionFull = state.ProgramVersion + "." + std::to_string(kVersionRevision);
}

namespace {

// A folder of the person running that no one else may write: nobody else can have put a file or
// a link in it, or replace one.
bool OwnUnsharedFolder(const std::filesystem::path& folder) {
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string DefaultErrorLogFile(const App& app) {
  const char* name = "ZOV_err.log";
  if (OwnUnsharedFolder(app.programFolder) &&
      detail::FolderWritable(app.programFolder, app.programFolder / name)) {
    return (app.programFolder / name).string();
  }
  try {
    return (detail::UserFolder("XDG_DATA_HOME", ".local/share") / name).string();
  } catch (const std::exception&) {
    // No home folder: errors go to standard error only.
    return {};
  }
}

int Main(App& app, int argc, char** argv) {
  AppState& st = app.state;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << UsageText();
      return 0;
    }
    if (arg == "--version") {
      BuildVersions(st);
      std::cout << st.ProgramVersionFull << '\n';
      return 0;
    }
  }

  try {
    st.errorReporter = std::make_unique<ErrorReporter>(app);
    st.withholding = FileOperations::NewCase();
  } catch (const std::exception&) {
    qel::QelError error = qel::CurrentError();
    std::cerr << "Corvala: cannot create the withholding object (error " << error.number() << ": "
              << error.description() << ")\n";
    return 1;
  }
  BuildVersions(st);

  std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
  CommandLine cl = ParseCommandLine(words);
  st.IsSilentRun = cl.silent;
  if (cl.problems.empty()) {
    st.CurrentFile = cl.input;
    st.OutputFile = cl.output;
  } else {
    // Standard error always; an interactive launch also shows it in a message box when there is
    // a display to show it on.
    std::string message = CommandLineMessage(cl);
    std::cerr << "Corvala: " << message << "\n" << UsageText();
    if (st.IsSilentRun || !HasDisplay()) return 2;
    st.CommandLineProblem = message + "\nSee \"Corvala --help\" for the switches.";
  }
  if (st.IsSilentRun) {
    RunSilent(app);
    return st.ExitStatus;
  }
  return LoadInteractive(app, argc, argv);
}

void RunSilent(App& app) {
  AppState& st = app.state;
  st.ErrorLogFile = DefaultErrorLogFile(app);
  // A case the reports cannot be made from: the reason on standard error and in the log.
  auto refuse = [&](const qel::QelError& problem) {
    detail::Warn(app, problem.description());
    ErrorReporter(app).WriteLog(st.ErrorLogFile, problem.number(), problem.description(),
                                "MainMod.RunSilent\r" + problem.source(), kProgramTitle);
    st.ExitStatus = 1;
  };
  Trap(
      [&] {
        st.reportFlags.summary = 1;
        st.reportFlags.detailed = 1;
        if (!FileOperations::OpenFile(app, st.CurrentFile)) {
          // The reason has gone to standard error and the log; no report of an empty case.
          st.ExitStatus = 1;
          return;
        }
        ostrand::_WhBusObj& object = detail::Obj(app);
        int type = static_cast<int>(object.enumComputationType());
        const Reports::ReportKind* computation =
            type == Reports::kNoComputation ? nullptr : Reports::ReportOf(type);
        if (computation == nullptr) {
          return refuse(qel::QelError(
              qel::err::kInvalidProperty, st.CurrentFile,
              "The case " + st.CurrentFile + " has \"Comp Type\" " + std::to_string(type) +
                  " in section \"Common\"; the computation must be 0 (W-2 Proforma), "
                  "1 (Targeted Withholding) or 2 (Percentage Method)."));
        }
        if (auto problem = Reports::CheckComputationInputs(
                object, static_cast<ostrand::eComputationType>(type))) {
          return refuse(qel::QelError(problem->number(), st.CurrentFile,
                                      st.CurrentFile + ": " + problem->description()));
        }
        // The Inputs report and the report of the case's computation.
        st.reportFlags.reports[Reports::IndexOf(*Reports::ReportOf(Reports::kNoComputation))] = 1;
        st.reportFlags.reports[Reports::IndexOf(*computation)] = 1;
        Reports::RunReports(app, kToFile);
        if (st.ReportFailed && st.ExitStatus == 0) st.ExitStatus = 1;
      },
      [&](const qel::QelError& error) { ReportThroughReporter(app, error, "MainMod.RunSilent"); });
}

bool RunInteractive(App& app) {
  AppState& st = app.state;
  Platform& pf = app.platform;
  if (!st.CommandLineProblem.empty()) {
    detail::Dlg(app).MessageBox(st.CommandLineProblem, Buttons::OK, Icon::Critical, kProgramTitle);
    st.ExitStatus = 2;
    return false;
  }
  st.HelpFile = HelpSupport::HelpFilePath(app);
  st.ErrorLogFile = DefaultErrorLogFile(app);
  detail::Dlg(app).ShowAbout();
  if (pf.window != nullptr) pf.window->Load();
  // A case named on the command line is opened as the user asked; no start-up question.
  std::string given = std::move(st.CurrentFile);
  st.CurrentFile.clear();
  if (!given.empty()) {
    // The full path, so the status bar and the data folder say where the case is.
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(given, ec);
    if (!ec) given = full.lexically_normal().string();
  }
  st.StartChoice = given.empty() ? detail::Dlg(app).AskStartChoice() : std::int16_t{2};
  st.DataSaved = true;
  Preferences::GetIni(app);
  if (!given.empty()) {
    FileOperations::OpenCommand(app, given);
  } else if (st.StartChoice == 1) {
    FileOperations::NewFile(app);
  } else if (st.StartChoice == 2) {
    FileOperations::OpenCommand(app, "");
  }
  if (pf.window != nullptr) {
    pf.window->SetStatusText("File: " + st.CurrentFile);
    pf.window->SetFileDialogFolder(st.DataFilePath);
  }
  st.StartTime = pf.clock != nullptr ? pf.clock->SecondsSinceMidnight() : 0;
  if (pf.window != nullptr) pf.window->Show();
  return true;
}

void ExitCommand(App& app, const std::function<void()>& unloadMainWindow) {
  if (!FileOperations::UnsavedInputsCheck(app)) return;
  if (unloadMainWindow) Ignoring(unloadMainWindow);
  EndProgram(app, kFalse);
}

void EndProgram(App& app, Bool16 saveFirst) {
  AppState& st = app.state;
  Platform& pf = app.platform;
  if (saveFirst != 0) Ignoring([&] { FileOperations::SaveAs(app); });
  Ignoring([&] { st.errorReporter.reset(); });
  if (!st.IsSilentRun) Ignoring([&] { Preferences::WriteReportFont(app); });
  Ignoring([&] { st.withholding.reset(); });
  if (!st.IsSilentRun && pf.reports != nullptr && !st.SavedPrinterFont.name.empty()) {
    Ignoring([&] {
      Printer& printer = pf.reports->ThePrinter();
      printer.SetFontName(st.SavedPrinterFont.name);
      printer.SetFontSize(st.SavedPrinterFont.size);
      printer.SetFontBold(st.SavedPrinterFont.bold != 0);
    });
  }
  if (!st.IsSilentRun) {
    std::int32_t now = pf.clock != nullptr ? pf.clock->SecondsSinceMidnight() : st.StartTime;
    std::int32_t elapsed = now - st.StartTime;
    if (elapsed < 0) elapsed += 86400;  // the run went past midnight
    Ignoring([&] { HelpSupport::ShowFinalScreen(app, elapsed); });
  }
  int status = st.ExitStatus;
  if (st.IsSilentRun && status == 0) status = 1;
  if (pf.process != nullptr) pf.process->Exit(status);
  std::exit(status);
}

}  // namespace corvala::MainMod
