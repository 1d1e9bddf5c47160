#include "core/report_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "core/errors.h"
#include "core/internal.h"
#include "core/preferences.h"
#include "core/print_manager.h"
#include "ostrand/paycheck.h"
#include "qel/cp1252.h"
#include "qel/final_link.h"
#include "qel/textnum.h"

namespace corvala {

std::string ToWindows1252(std::string_view utf8) {
  return qel::Utf8ToCp1252(utf8);
}

}  // namespace corvala

namespace corvala::Reports {

namespace {

using detail::Dlg;
using detail::kCrLf;
using detail::Obj;

constexpr const char* kIndent = "     ";

// The error number for a failed system call on a file.
long FileErrorNumber(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 61;  // Disk full
    case EACCES:
    case EPERM:
    case EROFS:
      return 70;  // Permission denied
    case ENOENT:
    case ENOTDIR:
      return 76;  // Path not found
    default:
      return qel::err::kPathFileAccess;
  }
}

[[noreturn]] void FileFailure(const std::string& path, int error) {
  const std::string why =
      error == ENXIO ? "it is a pipe that no program is reading" : std::strerror(error);
  throw qel::QelError(FileErrorNumber(error), "Reports.AppendAllOrNothing",
                      "The report file " + path + " cannot be written: " + why + ".");
}

// The report file text of one report: the pending text and one more CR LF.
std::string FileText(const std::string& pending) {
  return ToWindows1252(pending + kCrLf);
}

// The common course of every report: window or printer font, header, chunks, finish.
void Produce(App& app, std::int16_t destination, const ReportText& report, bool applyFont) {
  AppState& st = app.state;
  ReportWindow* window = nullptr;
  FontRecord saved;
  bool fontApplied = false;
  if (destination == kToScreen) {
    if (app.platform.reports != nullptr) window = app.platform.reports->NewReportWindow();
    if (window != nullptr) {
      window->SetCaption(report.windowCaption);
      window->SetText(kIndent + report.heading1 + kCrLf + kIndent + report.heading2 + kCrLf +
                      kIndent + report.heading3 + kCrLf);
    }
  } else if (applyFont && app.platform.reports != nullptr) {
    Preferences::SetNewFont(app, st.ReportFontName, st.ReportFontSize, st.ReportFontBold, saved);
    fontApplied = true;
  }
  std::string pending;
  for (const ReportChunk& chunk : report.chunks) {
    pending = PrintOrDisplay(app, window, destination, pending + chunk.text, chunk.lines,
                             report.heading1, report.heading2, report.heading3);
  }
  if (destination == kToScreen) {
    if (window != nullptr) window->Show();
  } else if (destination == kToPrinter) {
    PrintManager::PrnManager2(app, -200, report.heading1, report.heading2, report.heading3);
  } else if (destination == kToFile) {
    // Inside a run the text waits for the run's one write; alone, it is written now.
    if (st.FileRunText) {
      *st.FileRunText += FileText(pending);
    } else {
      AppendAllOrNothing(st.OutputFile, FileText(pending));
    }
  }
  if (fontApplied) Preferences::SetOldFont(app, saved);
}

// Lines per printer page, or 0 when there is no printer to ask.
int PageLines(App& app) {
  return app.platform.reports != nullptr ? PrintManager::nLinesPerPage(app) : 0;
}

struct Field {
  const char* label;
  const char* section;  // where the case file keeps it
  const char* key;
  std::string (ostrand::_WhBusObj::*getter)();
};

std::int16_t StoredFlag(const std::string& text) {
  try {
    if (qel::IsNumeric(text)) return qel::ToInt16(text);
  } catch (const std::exception&) {
  }
  return 0;
}

// The remembered flags besides the reports: they choose no report of their own.
struct ExtraFlag {
  const char* key;
  std::int16_t ReportFlags::*flag;
};
constexpr ExtraFlag kExtraFlags[] = {
    {"Summary Report", &ReportFlags::summary},
    {"Detailed Report", &ReportFlags::detailed},
};

// The reports of kReports in the order a run to `destination` produces them.
std::vector<const ReportKind*> RunOrder(std::int16_t destination) {
  std::vector<const ReportKind*> order;
  for (const ReportKind& report : kReports) order.push_back(&report);
  auto rank = [destination](const ReportKind* r) {
    return destination == kToPrinter ? r->printRank : r->screenRank;
  };
  std::sort(order.begin(), order.end(),
            [&](const ReportKind* a, const ReportKind* b) { return rank(a) < rank(b); });
  return order;
}

}  // namespace

AppendCalls& AppendTestCalls() {
  static AppendCalls calls;
  return calls;
}

void AppendAllOrNothing(const std::string& path, const std::string& bytes) {
  if (path.empty()) {
    throw qel::QelError(qel::err::kPathFileAccess, "Reports.AppendAllOrNothing",
                        "No report file is named.");
  }
  const qel::FinalTarget target = qel::FollowFinalLinks(path);
  if (!target.ok()) {
    throw qel::QelError(70, "Reports.AppendAllOrNothing",
                        "The report file " + path + " cannot be written: " + target.refusal + ".");
  }
  // The file finally named, opened without following a link (one put there since is refused)
  // and without waiting on a pipe that no program reads (ENXIO); the writes then block as usual.
  const char* name = target.path.c_str();
  constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;
  bool created = false;
  int fd = -1;
  for (int attempt = 0; attempt < 2; ++attempt) {  // once more if another creates it meanwhile
    fd = ::open(name, kFlags);
    if (fd >= 0 || errno != ENOENT) break;
    fd = ::open(name, kFlags | O_CREAT | O_EXCL, 0666);
    created = fd >= 0;
    if (fd >= 0 || errno != EEXIST) break;
  }
  if (fd < 0) FileFailure(path, errno);
  struct stat opened {};
  int error = 0;
  if (::fstat(fd, &opened) != 0) error = errno;
  if (int flags = ::fcntl(fd, F_GETFL);
      error == 0 && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
    error = errno;
  }
  std::size_t done = 0;
  while (error == 0 && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno != EINTR) error = errno;
      continue;
    }
    done += static_cast<std::size_t>(n);
  }
  if (error == 0 && AppendTestCalls().fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
    error = errno;
  }
  if (error != 0 && S_ISREG(opened.st_mode)) {
    // Back to the file as it was before the run: the file this run opened, whatever its name
    // leads to by now.
    [[maybe_unused]] int ignored = ::ftruncate(fd, created ? 0 : opened.st_size);
    struct stat now {};
    if (created && ::lstat(name, &now) == 0 && now.st_dev == opened.st_dev &&
        now.st_ino == opened.st_ino) {
      ::unlink(name);
    }
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) FileFailure(path, error);
}

void RunReport(App& app, const ReportKind& report, std::int16_t destination) {
  if (report.computation == kNoComputation) {
    Trap(
        [&] {
          // A silent run has no printer: the report font is applied for the printer only.
          Produce(app, destination, report.build(app), !app.state.IsSilentRun);
        },
        [&](const qel::QelError& error) { ReportFatalError(app, error, report.location); });
    return;
  }
  Trap(
      [&] {
        Obj(app).Calculate();
        Produce(app, destination, report.build(app), !app.state.IsSilentRun);
      },
      [&](const qel::QelError& error) { ReportThroughReporter(app, error, report.location); });
}

void RunIPReport(App& app, std::int16_t destination) {
  RunReport(app, *ReportOf(kNoComputation), destination);
}

std::string PrintOrDisplay(App& app, ReportWindow* window, std::int16_t destination,
                           const std::string& text, std::int16_t lines, const std::string& heading1,
                           const std::string& heading2, const std::string& heading3) {
  return Trap(
      [&]() -> std::string {
        if (destination == kToScreen) {
          if (window != nullptr) window->AppendText(text);
          return {};
        }
        if (destination == kToPrinter) {
          Printer* printer =
              app.platform.reports != nullptr ? &app.platform.reports->ThePrinter() : nullptr;
          int pageLines = PageLines(app);
          if (printer == nullptr || lines < 1 || lines > 40 || 13 + lines < pageLines - 6) {
            PrintManager::PrnManager2(app, lines, heading1, heading2, heading3);
            if (printer != nullptr) printer->Print(text);
            return {};
          }
          // A chunk that no page holds in this font goes line by line, each page with its
          // headings and its footer.
          std::size_t start = 0, end;
          while ((end = text.find(kCrLf, start)) != std::string::npos) {
            PrintManager::PrnManager2(app, 1, heading1, heading2, heading3);
            printer->Print(std::string_view(text).substr(start, end + 2 - start));
            start = end + 2;
          }
          return {};
        }
        return text;
      },
      [&](const qel::QelError& error) {
        ReportThroughReporter(app, error, "Reports.PrintOrDisplay");
      });
}

std::string MismatchWarning(ostrand::eComputationType computation) {
  const ReportKind* report = ReportOf(computation);
  if (report == nullptr) report = ReportOf(ostrand::Percent);
  std::string name = report->title;
  return "You have selected to run the " + name + " Report, but you have not selected " + name +
         " as the calculation that you want the program to run.\r\n\r\n" +
         "If you want to run the " + name + " Report:\r\n" +
         "(1) On the input form select the General Information tab.\r\n" +
         "(2) At the Choose Desired Computation list box choose " + report->computationChoice +
         ".\r\n" + "(3) Click the " + name + " tab and fill in the inputs.";
}

std::optional<qel::QelError> CheckComputationInputs(ostrand::_WhBusObj& object,
                                                    ostrand::eComputationType type) {
  using O = ostrand::_WhBusObj;
  static const Field kWages{"Annual Wages", "Proforma", "Wage 4 yr", &O::sWages4Yr};
  static const Field kAllowances{"Withholding Allowances", "Common", "Allow", &O::sAllowancesIP};
  static const Field kAdditional{"Additional Withholding Per Pay Check", "Common", "Addl WH",
                                 &O::sAdditionalPayckWH};
  static const Field kRemainingWages{"Wages For Rest Of The Year", "Targeted", "Remain Wages",
                                     &O::sRemainingWages};
  static const Field kRemainingPeriods{"Pay Periods For Rest Of Year", "Targeted", "Remain Periods",
                                       &O::sRemainingPeriods};
  static const Field kTargeted{"Desired Withholding For Rest Of Year", "Targeted", "Targ WH",
                               &O::sTargetedWH4Yr};
  static const Field kWagesPercent{"Gross Wages For Pay Period", "Percent", "Wages",
                                   &O::sWagesPercent};
  static const Field kSteps[] = {
      {"Step 3 Credits", "Common", "Step 3", &O::sStep3Credits},
      {"Step 4(a) Other Income", "Common", "Step 4a", &O::sStep4aOtherIncome},
      {"Step 4(b) Deductions", "Common", "Step 4b", &O::sStep4bDeductions},
  };
  std::vector<const Field*> fields;
  switch (type) {
    case ostrand::proforma:
      fields = {&kWages, &kAllowances, &kAdditional};
      break;
    case ostrand::targeted:
      fields = {&kRemainingWages, &kRemainingPeriods, &kTargeted, &kAllowances, &kAdditional};
      break;
    case ostrand::Percent:
      fields = {&kWagesPercent, &kAllowances, &kAdditional};
      break;
    default:
      return std::nullopt;
  }
  const char* source = "Reports.CheckComputationInputs";
  // The tax year first: without its tables no figure can be worked out.
  const std::string year = object.sTaxYear();
  if (!qel::IsNumeric(year)) {
    return qel::QelError(qel::err::kTypeMismatch, source,
                         "Tax Year is not a number: '" + year + "'");
  }
  try {
    (void)ostrand::GetWithholdingYear(std::round(qel::ToDouble(year)), year);
  } catch (const std::exception&) {
    // "No withholding tables for 2019: tables are available for 2005, 2020-2026."
    const qel::QelError error = qel::CurrentError();
    return qel::QelError(error.number(), source, error.description());
  }
  // The Steps of a 2020-or-later Form W-4 count from 2020 on.
  if (std::round(qel::ToDouble(year)) >= 2020 &&
      object.enumW4Form() == ostrand::W4Form::k2020OrLater) {
    for (const Field& step : kSteps) fields.push_back(&step);
  }
  for (const Field* field : fields) {
    std::string value = (object.*(field->getter))();
    if (!qel::IsNumeric(value)) {
      return qel::QelError(qel::err::kTypeMismatch, source,
                           std::string(field->label) + " is not a number: '" + value + "'");
    }
    qel::Currency amount;
    try {
      amount = qel::ToCurrency(value);
    } catch (const std::exception&) {
      return qel::QelError(qel::err::kOverflow, source,
                           std::string(field->label) + " is too large: '" + value + "'");
    }
    // No entry of a Form W-4 or a pay record is below zero.
    if (amount < qel::Currency()) {
      return qel::QelError(qel::err::kInvalidProperty, source,
                           std::string(field->label) + " (\"" + field->key + "\" in section \"" +
                               field->section + "\") cannot be negative: '" + value + "'");
    }
  }
  int frequency = static_cast<int>(object.enumFrequency());
  if (frequency < ostrand::weekly || frequency > ostrand::annually) {
    return qel::QelError(
        qel::err::kInvalidProperty, source,
        "Payroll Frequency is not a frequency: '" + std::to_string(frequency) + "'");
  }
  return std::nullopt;
}

bool ChkData(App&) {
  return true;
}

std::int16_t GetCopies(App& app) {
  return Trap(
      [&]() -> std::int16_t {
        if (app.platform.reports == nullptr) return 0;
        int copies = app.platform.reports->AskCopies("Print Reports");
        if (copies < 0) return 0;
        return static_cast<std::int16_t>(copies > 9999 ? 9999 : copies);
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "GetCopies"); });
}

void GetReports(App& app, std::int16_t destination) {
  AppState& st = app.state;
  Trap(
      [&] {
        std::string caption =
            destination == kToScreen ? "Select Reports (View)" : "Select Reports (Print)";
        auto read = [&](const char* key) {
          return StoredFlag(detail::PrefRead(app, "User Preferences", key, "0"));
        };
        ReportFlags flags;
        for (std::size_t i = 0; i < kReportCount; ++i) {
          flags.reports[i] = read(kReports[i].preferenceKey);
        }
        for (const ExtraFlag& extra : kExtraFlags) flags.*(extra.flag) = read(extra.key);
        ReportChecks initial(flags.reports.begin(), flags.reports.end());
        ReportChoiceResult result;
        if (app.platform.reports != nullptr) {
          result = app.platform.reports->AskReports(caption, initial);
        }
        if (result.outcome == ReportChoiceOutcome::Cancelled) {
          // Nothing in this run; the remembered choice stays as it is.
          st.reportFlags = ReportFlags{};
          return;
        }
        if (result.outcome == ReportChoiceOutcome::Ok) {
          for (std::size_t i = 0; i < kReportCount && i < result.checks.size(); ++i) {
            flags.reports[i] = result.checks[i];
          }
        }
        st.reportFlags = flags;
        for (std::size_t i = 0; i < kReportCount; ++i) {
          detail::PrefWrite(app, "User Preferences", kReports[i].preferenceKey,
                            std::to_string(flags.reports[i]));
        }
        for (const ExtraFlag& extra : kExtraFlags) {
          detail::PrefWrite(app, "User Preferences", extra.key,
                            std::to_string(flags.*(extra.flag)));
        }
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "GetReports"); });
}

void RunReports(App& app, std::int16_t destination) {
  AppState& st = app.state;
  Trap(
      [&] {
        if (!ChkData(app)) return;
        st.ReportFailed = false;
        if (!st.IsSilentRun) GetReports(app, destination);
        const ReportFlags& f = st.reportFlags;
        if (std::none_of(f.reports.begin(), f.reports.end(), [](auto v) { return v == 1; })) {
          return;
        }
        ostrand::_WhBusObj& object = Obj(app);
        ostrand::eComputationType type = object.enumComputationType();
        if ((f.summary == 1 || f.detailed == 1) && !CheckComputationInputs(object, type)) {
          object.Calculate();
        }
        std::int16_t copies = 1;
        FontRecord saved;
        if (destination == kToPrinter) {
          copies = GetCopies(app);
          Preferences::SetNewFont(app, st.ReportFontName, st.ReportFontSize, st.ReportFontBold,
                                  saved);
        }
        MainWindowView* window = st.IsSilentRun ? nullptr : app.platform.window;
        if (window != nullptr) {
          window->SetBusy(true);
          window->ProcessEvents();
          window->ProcessEvents();
        }
        if (destination == kToFile) st.FileRunText.emplace();
        const std::vector<const ReportKind*> order = RunOrder(destination);
        while (copies >= 1) {
          for (const ReportKind* report : order) {
            if (f.reports[IndexOf(*report)] != 1) continue;
            if (report->computation != kNoComputation) {
              if (type != report->computation) {
                Dlg(app).MessageBox(
                    MismatchWarning(static_cast<ostrand::eComputationType>(report->computation)),
                    Buttons::OK, Icon::Exclamation, "WARNING");
                continue;
              }
              if (std::optional<qel::QelError> problem = CheckComputationInputs(object, type)) {
                Dlg(app).MessageBox(problem->description() + "\nThe report is not produced.",
                                    Buttons::OK, Icon::Exclamation, "WARNING");
                st.ReportFailed = true;
                continue;
              }
            }
            RunReport(app, *report, destination);
          }
          if (destination == kToPrinter) PrintManager::PrnManager2(app, -100, "", "", "");
          --copies;
        }
        if (destination == kToFile) {
          std::string text = std::move(*st.FileRunText);
          st.FileRunText.reset();
          if (!text.empty()) AppendAllOrNothing(st.OutputFile, text);
        }
        if (window != nullptr) window->SetBusy(false);
        if (destination == kToPrinter) Preferences::SetOldFont(app, saved);
      },
      [&](const qel::QelError& error) {
        st.FileRunText.reset();
        ReportFatalError(app, error, "RunReports");
      });
}

}  // namespace corvala::Reports

namespace corvala::WithholdingReports {

void ReportW2Proforma(App& app, std::int16_t destination) {
  Reports::RunReport(app, *Reports::ReportOf(ostrand::proforma), destination);
}

void ReportTargetedWH(App& app, std::int16_t destination) {
  Reports::RunReport(app, *Reports::ReportOf(ostrand::targeted), destination);
}

void ReportPercent(App& app, std::int16_t destination) {
  Reports::RunReport(app, *Reports::ReportOf(ostrand::Percent), destination);
}

}  // namespace corvala::WithholdingReports
