#include "core/main_mod.h"

#include <dlfcn.h>

#include <cstdlib>
#include <iostream>

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

int CommandLineError(const std::string& message) {
  std::cerr << "Corvala: " << message << "\n\n" << UsageText();
  return 2;
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
  return "Usage: Corvala [/silent /input <case>.zov /output <report>.txt]\n"
         "       Corvala --help | --version\n"
         "\n"
         "Without arguments the program opens its main window. With /input alone it starts\n"
         "with that case's name in the status bar.\n"
         "\n"
         "  /silent              run without windows: load the case, write its reports, end\n"
         "  /input <file>.zov    the case to load; the name runs through its \".zov\"\n"
         "  /output <file>.txt   the report file; the reports are appended to it\n"
         "\n"
         "Switches match in any letter case and order; file names keep their case.\n"
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

bool IsSilent(std::string_view line) {
  return qel::FoldedAscii(line).find("/silent") != std::string::npos;
}

std::string ExtractCommandLineFilename(std::string_view line, std::string_view ext,
                                       std::string_view sw) {
  // Positions are 16-bit on this command line, as they always were.
  if (line.size() > 32767) {
    throw qel::QelError(qel::err::kOverflow, "", "The command line is too long.");
  }
  std::string low = qel::FoldedAscii(line);
  std::size_t p = low.find(qel::FoldedAscii(sw));
  if (p == std::string::npos) return {};
  // Exactly one character after the switch is skipped, whatever it is.
  long start = static_cast<long>(p + sw.size() + 1);
  std::size_t q = low.find(qel::FoldedAscii(ext));
  if (q == std::string::npos) return {};
  long length = static_cast<long>(q + ext.size()) - start;
  if (length < 0) {
    throw qel::QelError(qel::err::kInvalidCall, "",
                        "The file name after \"" + std::string(sw) +
                            "\" cannot be taken from the command line: the first \"" +
                            std::string(ext) + "\" stands before it.");
  }
  if (length == 0) return {};
  return std::string(
      line.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length)));
}

std::string GetCommandLineFilename(App& app, std::string_view line, std::string_view ext,
                                   std::string_view sw) {
  return Trap([&] { return ExtractCommandLineFilename(line, ext, sw); },
              [&](const qel::QelError& error) {
                app.state.ExitStatus = 2;
                std::cerr << UsageText() << '\n';
                ShowThroughReporter(app, error, "MainMod.GetCommandLineFilename");
              });
}

void BuildVersions(AppState& state) {
  state.ProgramVersion =
      "ZOV" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
  state.ProgramVersionFull = state.ProgramVersion + "." + std::to_string(kVersionRevision);
}

std::string DefaultErrorLogFile(const App& app) {
  const char* name = "ZOV_err.log";
  if (detail::FolderWritable(app.programFolder, app.programFolder / name)) {
    return (app.programFolder / name).string();
  }
  return (detail::UserFolder("XDG_DATA_HOME", ".local/share") / name).string();
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
    st.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
  } catch (const std::exception&) {
    qel::QelError error = qel::CurrentError();
    std::cerr << "Corvala: cannot create the withholding object (error " << error.number() << ": "
              << error.description() << ")\n";
    return 1;
  }
  BuildVersions(st);

  std::string line = JoinCommandLine(argc, argv);
  if (!line.empty()) {
    st.IsSilentRun = IsSilent(line);
    st.CurrentFile = GetCommandLineFilename(app, line, ".zov", "/input");
    st.OutputFile = GetCommandLineFilename(app, line, ".txt", "/output");
  }

  if (st.IsSilentRun) {
    std::string low = qel::FoldedAscii(line);
    if (low.find("/input") == std::string::npos) {
      return CommandLineError("a silent run needs \"/input\" followed by a case file (.zov).");
    }
    if (st.CurrentFile.empty()) {
      return CommandLineError("no file name ending in \".zov\" follows \"/input\".");
    }
    if (low.find("/output") == std::string::npos) {
      return CommandLineError("a silent run needs \"/output\" followed by a report file (.txt).");
    }
    if (st.OutputFile.empty()) {
      return CommandLineError("no file name ending in \".txt\" follows \"/output\".");
    }
    RunSilent(app);
    return st.ExitStatus;
  }
  return LoadInteractive(app, argc, argv);
}

void RunSilent(App& app) {
  AppState& st = app.state;
  st.ErrorLogFile = DefaultErrorLogFile(app);
  Trap(
      [&] {
        st.reportFlags.summary = 1;
        st.reportFlags.detailed = 1;
        if (!FileOperations::OpenFile(app, st.CurrentFile)) {
          // The message has gone to standard error; no report of an empty case is written.
          ErrorReporter log(app);
          log.WriteLog(st.ErrorLogFile, qel::err::kFileNotFound,
                       st.CurrentFile + " does not exist.", "MainMod.RunSilent", kProgramTitle);
          st.ExitStatus = 1;
          return;
        }
        ostrand::_WhBusObj& object = detail::Obj(app);
        ostrand::eComputationType type = object.enumComputationType();
        st.reportFlags.input = 1;
        switch (type) {
          case ostrand::proforma:
            st.reportFlags.w2Proforma = 1;
            break;
          case ostrand::targeted:
            st.reportFlags.targeted = 1;
            break;
          case ostrand::Percent:
            st.reportFlags.percentage = 1;
            break;
          default:
            break;
        }
        if (type >= ostrand::proforma && type <= ostrand::Percent) {
          if (auto problem = Reports::CheckComputationInputs(object, type)) {
            detail::Warn(app, *problem);
            ErrorReporter log(app);
            log.WriteLog(st.ErrorLogFile, qel::err::kTypeMismatch, *problem,
                         "MainMod.RunSilent\r" + st.CurrentFile, kProgramTitle);
            st.ExitStatus = 1;
            return;
          }
        }
        Reports::RunReports(app, kToFile);
        if (st.ReportFailed && st.ExitStatus == 0) st.ExitStatus = 1;
      },
      [&](const qel::QelError& error) { ReportThroughReporter(app, error, "MainMod.RunSilent"); });
}

void RunInteractive(App& app) {
  AppState& st = app.state;
  Platform& pf = app.platform;
  st.HelpFile = HelpSupport::HelpFilePath(app);
  st.ErrorLogFile = DefaultErrorLogFile(app);
  detail::Dlg(app).ShowAbout();
  if (pf.window != nullptr) pf.window->Load();
  st.StartChoice = detail::Dlg(app).AskStartChoice();
  st.DataSaved = true;
  Preferences::GetIni(app);
  if (st.StartChoice == 1) {
    FileOperations::NewFile(app);
  } else if (st.StartChoice == 2) {
    FileOperations::OpenCommand(app, "");
  }
  if (pf.window != nullptr) {
    pf.window->SetStatusText("File: " + st.CurrentFile);
    pf.window->SetFileDialogFolder(app.programFolder.string());
  }
  st.StartTime = pf.clock != nullptr ? pf.clock->SecondsSinceMidnight() : 0;
  if (pf.window != nullptr) pf.window->Show();
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
