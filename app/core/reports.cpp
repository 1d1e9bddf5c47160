#include "core/reports.h"

#include <cmath>
#include <fstream>

#include "core/errors.h"
#include "core/internal.h"
#include "core/preferences.h"
#include "qel/cp1252.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace corvala {

std::string ToWindows1252(std::string_view utf8) {
  return qel::Utf8ToCp1252(utf8);
}

}  // namespace corvala

namespace corvala::detail {
namespace {

constexpr const char* kIndent = "     ";
const std::string kYear = std::to_string(kTaxYear);

// Builds one chunk line by line; the chunk's line count is the number of lines put in.
class Chunk {
 public:
  Chunk& Blank() { return Raw(""); }
  Chunk& Text(const std::string& text) { return Raw(kIndent + text); }
  Chunk& TextAt8(const std::string& text) { return Raw("       " + text); }
  Chunk& Amount(const std::string& label, const std::string& value) {
    return Raw(WithholdingReports::Line1Col(label, value));
  }
  Chunk& DoubleRule() { return Raw(std::string(kIndent) + std::string(43, ' ') + "=========="); }
  Chunk& SingleRule() { return Raw(std::string(kIndent) + std::string(43, ' ') + "----------"); }
  Chunk& SectionRule(int blanks) {
    return Raw(std::string(static_cast<std::size_t>(blanks), ' ') + Reports::GetPrintLine(60));
  }
  // The payroll terms the three computation reports print alike: frequency, marital status,
  // allowances and, where the computation uses it, the additional withholding.
  Chunk& PayrollTerms(ostrand::_WhBusObj& o, bool withAdditional) {
    Text("Payroll Frequency: " + o.GetFrequency(o.enumFrequency()));
    Text("Marital Status:    " + o.sMaritalStatus());
    Amount("Withholding Allowances:", o.sAllowancesIP());
    if (withAdditional) Amount("Additional Withholding Per Pay Check:", o.sAdditionalPayckWH());
    return *this;
  }
  Chunk& Raw(const std::string& line) {
    chunk_.text += line;
    chunk_.text += kCrLf;
    ++chunk_.lines;
    return *this;
  }
  ReportChunk Done() { return std::move(chunk_); }

 private:
  ReportChunk chunk_;
};

ReportText Headed(App& app, std::string caption, std::string title) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r;
  r.windowCaption = std::move(caption);
  r.heading1 = o.sTaxpayer();
  r.heading2 = o.Line2();
  r.heading3 = std::move(title);
  return r;
}

std::string Frequency(ostrand::_WhBusObj& o) {
  return o.GetFrequency(o.enumFrequency());
}

// Appends the pending text and one more CR LF to the output file, as Windows-1252 bytes.
void AppendToOutputFile(App& app, const std::string& pending) {
  const std::string& path = app.state.OutputFile;
  std::string bytes = ToWindows1252(pending + kCrLf);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) {
    throw qel::QelError(
        qel::err::kPathFileAccess, "",
        "The report file " + (path.empty() ? std::string("(none)") : path) + " cannot be written.");
  }
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
      window->SetText("");
    }
  } else if (applyFont && app.platform.reports != nullptr) {
    Preferences::SetNewFont(app, st.ReportFontName, st.ReportFontSize, st.ReportFontBold, saved);
    fontApplied = true;
  }
  if (destination == kToScreen && window != nullptr) {
    window->SetText(kIndent + report.heading1 + kCrLf + kIndent + report.heading2 + kCrLf +
                    kIndent + report.heading3 + kCrLf);
  }
  std::string pending;
  for (const ReportChunk& chunk : report.chunks) {
    pending = Reports::PrintOrDisplay(app, window, destination, pending + chunk.text, chunk.lines,
                                      report.heading1, report.heading2, report.heading3);
  }
  if (destination == kToScreen) {
    if (window != nullptr) window->Show();
  } else if (destination == kToPrinter) {
    PrintManager::PrnManager2(app, -200, report.heading1, report.heading2, report.heading3);
  } else if (destination == kToFile) {
    AppendToOutputFile(app, pending);
  }
  if (fontApplied) Preferences::SetOldFont(app, saved);
}

template <typename Body>
void ThroughReporter(App& app, const char* location, Body&& body) {
  Trap(std::forward<Body>(body),
       [&](const qel::QelError& error) { ReportThroughReporter(app, error, location); });
}

struct Field {
  const char* label;
  const char* property;
  std::string (ostrand::_WhBusObj::*getter)();
};

}  // namespace
}  // namespace corvala::detail

namespace corvala::WithholdingReports {

using detail::Chunk;
using detail::kYear;
using detail::Obj;

std::string Line1Col(std::string_view label, std::string_view value) {
  long filler =
      53 - static_cast<long>(qel::Utf8Length(label)) - static_cast<long>(qel::Utf8Length(value));
  if (filler < 1) filler = 1;  // label and value never run together
  std::string line = "     ";
  line += label;
  line.append(static_cast<std::size_t>(filler), ' ');
  line += value;
  return line;
}

ReportText BuildW2ProformaReport(App& app) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r = detail::Headed(app, "W-2 Proforma Report - " + app.state.CurrentFile,
                                "W-2 Withholding Proforma Report - " + kYear);
  Chunk c;
  c.Blank()
      .SectionRule(10)
      .Text("PROJECTED W-2 FEDERAL WITHHOLDING BASED ON")
      .TextAt8("REVISED WITHHOLDING ALLOWANCES:")
      .Blank()
      .Text(kYear + " Wages Subject To")
      .Amount("  Federal Withholding", o.sWages4Yr())
      .DoubleRule()
      .Amount("PROJECTED " + kYear + " FEDERAL WITHHOLDING", o.sPerYrWHProforma())
      .DoubleRule()
      .Blank()
      .Blank()
      .Text("COMPUTATION OF PROJECTED")
      .TextAt8(kYear + " FEDERAL WITHHOLDING:")
      .Blank()
      .PayrollTerms(o, true)
      .Blank()
      .Text("Projected Annual Federal Withholding:")
      .Amount("Annual Wages", o.sWages4Yr())
      .Amount("Divided By Payroll Periods Per Year", o.sGetPeriods4FullYr())
      .SingleRule()
      .Amount("Wages Per Pay Check", o.sWagesPerPayckProforma())
      .DoubleRule()
      .Blank()
      .Amount("Withholding Per Pay Check", o.sTotPayckWHProforma())
      .Amount("Payroll Periods Per Year", o.sGetPeriods4FullYr())
      .SingleRule()
      .Blank()
      .Amount("Projected Annual Federal Withholding", o.sPerYrWHProforma())
      .DoubleRule();
  r.chunks.push_back(c.Done());
  return r;
}

ReportText BuildTargetedReport(App& app) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r = detail::Headed(app, "Targeted Withholding Report - " + app.state.CurrentFile,
                                "Targeted Withholding Report - " + kYear);
  Chunk first;
  first.Blank()
      .SectionRule(10)
      .Text("WITHHOLDING SHORTAGE OR EXCESS:")
      .Blank()
      .Text("Desired Federal Withholding")
      .Amount("  For Remainder Of " + kYear, o.sTargetedWH4Yr())
      .Blank()
      .Text("Withholding For Remainder")
      .Amount("  Of " + kYear, o.sComputedWH4Yr())
      .SingleRule()
      .Blank()
      .Amount("WITHHOLDING SHORTAGE(-EXCESS)", o.sShortage4Yr())
      .DoubleRule()
      .Blank()
      .Blank()
      .Text("COMPUTATION OF FEDERAL WITHHOLDING")
      .TextAt8("FOR THE REMAINDER OF " + kYear + ":")
      .Blank()
      .PayrollTerms(o, true)
      .Blank();
  Chunk second;
  second.Amount("Wages For Remainder Of " + kYear, o.sRemainingWages())
      .Amount("Divided By Payroll Periods Left In Year", o.sRemainingPeriods())
      .SingleRule()
      .Amount("Wages Per Pay Check", o.sWagesPerPayckTargeted())
      .DoubleRule()
      .Blank()
      .Text("Withholding Per Pay Check")
      .Amount("  Based On Allowances", o.sFromAllowancesWHPerPayck())
      .Text("Additional Withholding Per")
      .Amount("  Pay Check", o.sAdditionalPayckWH())
      .SingleRule()
      .Blank()
      .Amount("Withholding Per Pay Check", o.sTotPayckWHTargeted())
      .Amount("Remaining Payroll Periods In " + kYear, o.sRemainingPeriods())
      .SingleRule()
      .Amount("Withholding For Remainder of " + kYear, o.sComputedWH4Yr())
      .DoubleRule();
  r.chunks.push_back(first.Done());
  r.chunks.push_back(second.Done());
  return r;
}

ReportText BuildPercentReport(App& app) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r = detail::Headed(app, "Percentage Method Report - " + app.state.CurrentFile,
                                "Percentage Method Report - " + kYear + " Tables");
  Chunk c;
  c.Blank()
      .SectionRule(10)
      .Text("DETAILED PERCENTAGE METHOD COMPUTATION")
      .Blank()
      .PayrollTerms(o, false)
      .Blank()
      .Text("Projected Annual Federal Withholding:")
      .Amount("One Allowance Amount", o.sAllowanceAmt())
      .Amount("Allowances", o.sAllowancesIP())
      .SingleRule()
      .Amount("Allowance Amount", o.sAllowanceDeductionPercent())
      .DoubleRule()
      .Blank()
      .Blank()
      .Amount("Gross Wages", o.sWagesPercent())
      .Amount("Less, Allowance Amount", o.sAllowanceDeductionPercent())
      .SingleRule()
      .Blank()
      .Text("Amount Subject To")
      .Amount("   Withholding", o.sSubject2WH())
      .DoubleRule()
      .Blank()
      .Text("Withholding on " + o.sSubject2WH())
      .Text("   From " + kYear + " Percentage")
      .Amount("   Method Table", o.sWHPercentMethod())
      .DoubleRule();
  r.chunks.push_back(c.Done());
  return r;
}

namespace {

void ComputationReport(App& app, std::int16_t destination, const char* location,
                       ReportText (*build)(App&)) {
  detail::ThroughReporter(app, location, [&] {
    Obj(app).Calculate();
    detail::Produce(app, destination, build(app), !app.state.IsSilentRun);
  });
}

}  // namespace

void ReportW2Proforma(App& app, std::int16_t destination) {
  ComputationReport(app, destination, "WithholdingReports.ReportW2Proforma",
                    &BuildW2ProformaReport);
}

void ReportTargetedWH(App& app, std::int16_t destination) {
  ComputationReport(app, destination, "WithholdingReports.ReportTargetedWH", &BuildTargetedReport);
}

void ReportPercent(App& app, std::int16_t destination) {
  ComputationReport(app, destination, "WithholdingReports.ReportPercent", &BuildPercentReport);
}

}  // namespace corvala::WithholdingReports

namespace corvala::Reports {

using detail::Chunk;
using detail::Dlg;
using detail::Obj;

std::string GetPrintLine(std::int16_t n) {
  std::string rule;
  for (int i = 0; i < n; ++i) rule += "\u2014";
  return rule;
}

ReportText BuildInputsReport(App& app) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r = detail::Headed(app, "Inputs Report", "Inputs - Paystave");
  Chunk first;
  first.Blank().SectionRule(5).Text("INPUTS:").Raw("     ");
  Chunk second;
  second.Text("Filename: " + app.state.CurrentFile)
      .Text("Employee: " + o.sTaxpayer())
      .Text("Report Line 2: " + o.Line2())
      .Blank();
  r.chunks.push_back(first.Done());
  r.chunks.push_back(second.Done());
  Chunk third;
  switch (o.enumComputationType()) {
    case ostrand::proforma:
      third.Text("INPUTS FOR PROJECTED ANNUAL W-2 WITHHOLDING")
          .Blank()
          .Text("Annual Wages: " + o.sWages4Yr())
          .Text("Payroll Frequency: " + detail::Frequency(o))
          .Text("Allowances: " + o.sAllowancesIP())
          .Text("Additional Withholding Per Pay Check: " + o.sAdditionalPayckWH())
          .Text("Marital Status: " + o.sMaritalStatus())
          .Blank()
          .Blank();
      break;
    case ostrand::targeted:
      third.Text("INPUTS FOR TARGETED WITHHOLDING")
          .Blank()
          .Text("Wages For Remainder Of Year: " + o.sRemainingWages())
          .Text("Remaining Payroll Periods In Year: " + o.sRemainingPeriods())
          .Text("Desired Federal Withholding For Year: " + o.sTargetedWH4Yr())
          .Text("Payroll Frequency: " + detail::Frequency(o))
          .Text("Allowances: " + o.sAllowancesIP())
          .Text("Additional Withholding Per Pay Check: " + o.sAdditionalPayckWH())
          .Text("Marital Status: " + o.sMaritalStatus())
          .Blank()
          .Blank();
      break;
    case ostrand::Percent:
      third.Text("INPUTS FOR PERCENTAGE METHOD WITHHOLDING")
          .Blank()
          .Text("Gross Wages For Pay Period: " + o.sWagesPercent())
          .Text("Payroll Frequency: " + detail::Frequency(o))
          .Text("Allowances: " + o.sAllowancesIP())
          .Text("Marital Status: " + o.sMaritalStatus())
          .Blank()
          .Blank();
      break;
    default:
      return r;
  }
  r.chunks.push_back(third.Done());
  return r;
}

void RunIPReport(App& app, std::int16_t destination) {
  Trap(
      [&] {
        // A silent run has no printer: the report font is applied for the printer only.
        detail::Produce(app, destination, BuildInputsReport(app), !app.state.IsSilentRun);
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "RunIPReport"); });
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
          PrintManager::PrnManager2(app, lines, heading1, heading2, heading3);
          if (app.platform.reports != nullptr) app.platform.reports->ThePrinter().Print(text);
          return {};
        }
        return text;
      },
      [&](const qel::QelError& error) {
        ReportThroughReporter(app, error, "Reports.PrintOrDisplay");
      });
}

std::string MismatchWarning(ostrand::eComputationType report) {
  std::string name, choice, tab;
  switch (report) {
    case ostrand::targeted:
      name = choice = tab = "Targeted Withholding";
      break;
    case ostrand::proforma:
      name = choice = tab = "W-2 Proforma";
      break;
    default:
      name = tab = "Percentage Method";
      choice = "Percentage Method Withholding";
      break;
  }
  return "You have selected to run the " + name + " Report, but you have not selected " + name +
         " as the calculation that you want the program to run.\r\n\r\n" +
         "If you want to run the " + name + " Report:\r\n" +
         "(1) On the input form select the General Information tab.\r\n" +
         "(2) At the Choose Desired Computation list box choose " + choice + ".\r\n" +
         "(3) Click the " + tab + " tab and fill in the inputs.";
}

std::optional<std::string> CheckComputationInputs(ostrand::_WhBusObj& object,
                                                  ostrand::eComputationType type) {
  using O = ostrand::_WhBusObj;
  static const detail::Field kWages{"Annual Wages", "sWages4Yr", &O::sWages4Yr};
  static const detail::Field kAllowances{"Withholding Allowances", "sAllowancesIP",
                                         &O::sAllowancesIP};
  static const detail::Field kAdditional{"Additional Withholding Per Pay Check",
                                         "sAdditionalPayckWH", &O::sAdditionalPayckWH};
  static const detail::Field kRemainingWages{"Wages For Rest Of The Year", "sRemainingWages",
                                             &O::sRemainingWages};
  static const detail::Field kRemainingPeriods{"Pay Periods For Rest Of Year", "sRemainingPeriods",
                                               &O::sRemainingPeriods};
  static const detail::Field kTargeted{"Desired Withholding For Rest Of Year", "sTargetedWH4Yr",
                                       &O::sTargetedWH4Yr};
  static const detail::Field kWagesPercent{"Gross Wages For Pay Period", "sWagesPercent",
                                           &O::sWagesPercent};
  std::vector<const detail::Field*> fields;
  switch (type) {
    case ostrand::proforma:
      fields = {&kWages, &kAllowances, &kAdditional};
      break;
    case ostrand::targeted:
      fields = {&kRemainingWages, &kRemainingPeriods, &kTargeted, &kAllowances, &kAdditional};
      break;
    case ostrand::Percent:
      fields = {&kWagesPercent, &kAllowances};
      break;
    default:
      return std::nullopt;
  }
  for (const detail::Field* field : fields) {
    std::string value = (object.*(field->getter))();
    std::string name = std::string(field->label) + " (" + field->property + ")";
    if (!qel::IsNumeric(value)) return name + " is not a number: '" + value + "'";
    try {
      (void)qel::ToCurrency(value);
    } catch (const std::exception&) {
      return name + " is too large: '" + value + "'";
    }
  }
  int frequency = static_cast<int>(object.enumFrequency());
  if (frequency < ostrand::weekly || frequency > ostrand::annually) {
    return "Payroll Frequency (enumFrequency) is not a frequency: '" + std::to_string(frequency) +
           "'";
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

namespace {

struct FlagKey {
  const char* key;
  std::int16_t ReportFlags::*flag;
};
constexpr FlagKey kFlagKeys[] = {
    {"Input Report", &ReportFlags::input},
    {"Summary Report", &ReportFlags::summary},
    {"Detailed Report", &ReportFlags::detailed},
    {"W-2 Proforma Report", &ReportFlags::w2Proforma},
    {"Targeted Withholding Report", &ReportFlags::targeted},
    {"Percentage Method Report", &ReportFlags::percentage},
};

std::int16_t StoredFlag(const std::string& text) {
  try {
    if (qel::IsNumeric(text)) return qel::ToInt16(text);
  } catch (const std::exception&) {
  }
  return 0;
}

}  // namespace

void GetReports(App& app, std::int16_t destination) {
  AppState& st = app.state;
  Trap(
      [&] {
        std::string caption =
            destination == kToScreen ? "Select Reports (View)" : "Select Reports (Print)";
        ReportFlags flags;
        for (const FlagKey& k : kFlagKeys) {
          flags.*(k.flag) = StoredFlag(detail::PrefRead(app, "User Preferences", k.key, "0"));
        }
        ReportChecks initial{flags.input, flags.w2Proforma, flags.targeted, flags.percentage};
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
          flags.input = result.checks.input;
          flags.w2Proforma = result.checks.w2Proforma;
          flags.targeted = result.checks.targeted;
          flags.percentage = result.checks.percentage;
        }
        st.reportFlags = flags;
        for (const FlagKey& k : kFlagKeys) {
          detail::PrefWrite(app, "User Preferences", k.key, std::to_string(flags.*(k.flag)));
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
        if (f.input != 1 && f.targeted != 1 && f.percentage != 1 && f.w2Proforma != 1) return;
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
        auto computation = [&](std::int16_t flag, ostrand::eComputationType report,
                               void (*run)(App&, std::int16_t)) {
          if (flag != 1) return;
          if (type != report) {
            Dlg(app).MessageBox(MismatchWarning(report), Buttons::OK, Icon::Exclamation, "WARNING");
            return;
          }
          if (std::optional<std::string> problem = CheckComputationInputs(object, report)) {
            Dlg(app).MessageBox(*problem + "\nThe report is not produced.", Buttons::OK,
                                Icon::Exclamation, "WARNING");
            st.ReportFailed = true;
            return;
          }
          run(app, destination);
        };
        while (copies >= 1) {
          if (destination == kToPrinter) {
            if (f.input == 1) RunIPReport(app, destination);
            computation(f.targeted, ostrand::targeted, &WithholdingReports::ReportTargetedWH);
            computation(f.w2Proforma, ostrand::proforma, &WithholdingReports::ReportW2Proforma);
            computation(f.percentage, ostrand::Percent, &WithholdingReports::ReportPercent);
            PrintManager::PrnManager2(app, -100, "", "", "");
          } else {
            computation(f.targeted, ostrand::targeted, &WithholdingReports::ReportTargetedWH);
            computation(f.w2Proforma, ostrand::proforma, &WithholdingReports::ReportW2Proforma);
            computation(f.percentage, ostrand::Percent, &WithholdingReports::ReportPercent);
            if (f.input == 1) RunIPReport(app, destination);
          }
          --copies;
        }
        if (window != nullptr) window->SetBusy(false);
        if (destination == kToPrinter) Preferences::SetOldFont(app, saved);
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "RunReports"); });
}

}  // namespace corvala::Reports

namespace corvala::PrintManager {

namespace {

Printer& ThePrinter(App& app) {
  if (app.platform.reports == nullptr) {
    throw qel::QelError(91, "", "There is no printer.");
  }
  return app.platform.reports->ThePrinter();
}

template <typename Body>
auto Fatal(App& app, const char* location, Body&& body) {
  return Trap(std::forward<Body>(body),
              [&](const qel::QelError& error) { ReportFatalError(app, error, location); });
}

}  // namespace

std::int16_t nLinesPerPage(App& app) {
  Printer& printer = ThePrinter(app);
  long pageHeight = std::lrint(printer.PageHeight());
  try {
    printer.SetFontName(app.state.ReportFontName);
    printer.SetFontSize(app.state.ReportFontSize);
  } catch (const std::exception&) {
    // A font the printer cannot use: measure the font it has.
    if (qel::CurrentError().number() != qel::err::kInvalidProperty) throw;
  }
  long textHeight = std::lrint(printer.TextHeight("nLinesPerPage"));
  if (textHeight == 0) throw qel::QelError(qel::err::kDivisionByZero, "PrintManager.nLinesPerPage");
  long lines = pageHeight / textHeight;
  if (lines > 32767 || lines < -32768) throw qel::QelError(qel::err::kOverflow, "nLinesPerPage");
  return static_cast<std::int16_t>(lines);
}

void PrintHeadings(App& app, const std::string& heading1, const std::string& heading2,
                   const std::string& heading3) {
  Fatal(app, "PrintHeadings", [&] {
    Printer& printer = ThePrinter(app);
    for (int i = 0; i < 6; ++i) printer.Print(detail::kCrLf);
    printer.PrintLineAt(10, heading1);
    printer.PrintLineAt(10, heading2);
    printer.PrintLineAt(10, heading3);
    printer.Print(detail::kCrLf);
  });
}

void PrnPgNo(App& app, std::int16_t& counter) {
  Fatal(app, "PrnPgNo()", [&] {
    Printer& printer = ThePrinter(app);
    std::int16_t lines = nLinesPerPage(app);
    while (counter < lines - 6) {
      printer.Print(detail::kCrLf);
      ++counter;
    }
    // The page number prints with a blank in place of its sign.
    printer.PrintLineAt(3, "Page  " + std::to_string(printer.Page()));
    printer.NewPage();
  });
}

void PrnManager2(App& app, std::int16_t n, const std::string& heading1, const std::string& heading2,
                 const std::string& heading3) {
  Fatal(app, "PrnManager2()", [&] {
    std::int16_t lines = nLinesPerPage(app);
    std::int16_t& counter = app.state.PageLineCount;
    if (n == -200) {
      PrnPgNo(app, counter);
      counter = 0;
    } else if (n == -100) {
      if (counter != 0) {
        PrnPgNo(app, counter);
        counter = 0;
      }
      ThePrinter(app).EndDoc();
    } else if (n >= 1 && n <= 40) {
      if (counter == 0) {
        PrintHeadings(app, heading1, heading2, heading3);
        counter = 13;
      }
      if (counter + n >= lines - 6) {
        PrnPgNo(app, counter);
        PrintHeadings(app, heading1, heading2, heading3);
        counter = 13;
      }
      counter = static_cast<std::int16_t>(counter + n);
    } else {
      detail::Dlg(app).MessageBox(std::to_string(n) + " lines passed to PrnManager2()." +
                                      " Please use between 1 and " + "40",
                                  Buttons::OK, Icon::Critical, "Error!");
    }
  });
}

}  // namespace corvala::PrintManager
