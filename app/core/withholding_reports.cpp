#include "core/withholding_reports.h"

#include <algorithm>
#include <span>

#include "core/app.h"
#include "core/internal.h"
#include "ostrand/paycheck.h"
#include "qel/cp1252.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace corvala::detail {
namespace {

using O = ostrand::_WhBusObj;
using ostrand::W4Form;

constexpr const char* kIndent = "     ";
const std::string kYear = std::to_string(kTaxYear);

std::string Frequency(O& o) {
  return o.GetFrequency(o.enumFrequency());
}

// How a case's reports read: the year they print and how its withholding is worked out.
struct CaseYear {
  std::string year;        // "2005" for a case of the allowance method, else the case's year
  bool worksheet = false;  // Worksheet 1A and the Form W-4 entries (2020 on)
  unsigned form = 0;       // the case's kind of Form W-4, as a FormMask
};

// Which Form W-4 a line of a worksheet year belongs to.
enum FormMask : unsigned { kNewForm = 1, kOldForm = 2, kEitherForm = kNewForm | kOldForm };

CaseYear YearOf(O& o) {
  CaseYear y;
  const std::string text = o.sTaxYear();
  // The year's tables say its method; a year without tables (its computation refuses it) still
  // reads as the year the case names.
  y.worksheet = text != kYear;
  try {
    y.worksheet = ostrand::GetWithholdingYear(qel::ToInt32(text))->Method() ==
                  ostrand::WithholdingMethod::kWorksheet1A;
  } catch (const std::exception&) {
  }
  y.year = y.worksheet ? text : kYear;
  // A 2005 case's allowances and marital status are those of a 2019-or-earlier form.
  y.form = !y.worksheet || o.enumW4Form() == W4Form::k2019OrEarlier ? kOldForm : kNewForm;
  return y;
}

// ----- The lines of the worksheet years, described once -----

enum class Kind { kBlank, kText, kTerm, kAmount, kSingleRule, kDoubleRule };

// A line: its kind, its label, the member (or text) that gives its value, the forms it is for.
// kText prints the label followed by the value (if any); kTerm the label in a 19-column field and
// the value; kAmount an amount line.
using Value = std::string (*)(O&);
struct Item {
  Kind kind;
  const char* label = "";
  Value value = nullptr;
  unsigned forms = kEitherForm;
};

template <std::string (O::*Getter)()>
std::string Get(O& o) {
  return (o.*Getter)();
}

std::string FormText(O& o) {
  return o.enumW4Form() == W4Form::k2019OrEarlier ? "2019 or Earlier" : "2020 or Later";
}
std::string StatusText(O& o) {
  switch (o.enumW4Status()) {
    case ostrand::W4Status::kSingleOrSeparate:
      return "Single or Married Filing Separately";
    case ostrand::W4Status::kJoint:
      return "Married Filing Jointly";
    case ostrand::W4Status::kHeadOfHousehold:
      return "Head of Household";
  }
  return std::to_string(static_cast<int>(o.enumW4Status()));
}
std::string Step2Text(O& o) {
  return o.IsStep2Checked() ? "Checked" : "Not Checked";
}

constexpr Item Blank(unsigned forms = kEitherForm) {
  return {Kind::kBlank, "", nullptr, forms};
}
constexpr Item Single(unsigned forms = kEitherForm) {
  return {Kind::kSingleRule, "", nullptr, forms};
}
constexpr Item Double() {
  return {Kind::kDoubleRule};
}

// The Form W-4 entries of a case from 2020 on, where a 2005 report shows the marital status and
// the allowances.
constexpr Item kFormTerms[] = {
    {Kind::kTerm, "Form W-4:", &FormText},
    {Kind::kTerm, "Filing Status:", &StatusText, kNewForm},
    {Kind::kTerm, "Step 2 Box:", &Step2Text, kNewForm},
    {Kind::kAmount, "Step 3 Credits:", &Get<&O::sStep3Credits>, kNewForm},
    {Kind::kAmount, "Step 4(a) Other Income:", &Get<&O::sStep4aOtherIncome>, kNewForm},
    {Kind::kAmount, "Step 4(b) Deductions:", &Get<&O::sStep4bDeductions>, kNewForm},
    {Kind::kAmount, "Step 4(c) Extra Withholding:", &Get<&O::sAdditionalPayckWH>, kNewForm},
    {Kind::kTerm, "Marital Status:", &Get<&O::sMaritalStatus>, kOldForm},
    {Kind::kAmount, "Withholding Allowances:", &Get<&O::sAllowancesIP>, kOldForm},
    {Kind::kAmount, "Additional Withholding Per Pay Check:", &Get<&O::sAdditionalPayckWH>,
     kOldForm},
};

// Worksheet 1A in the Percentage Method report, one chunk per array after the report's head.
constexpr Item kWorksheetStep1[] = {
    {Kind::kText, "Step 1. Figure The Adjusted Annual Wage Amount:"},
    {Kind::kAmount, "1a Wages This Pay Period", &Get<&O::sWksLine1a>},
    {Kind::kAmount, "1b Pay Periods Per Year", &Get<&O::sWksLine1b>},
    Single(),
    {Kind::kAmount, "1c Multiply Line 1a By Line 1b", &Get<&O::sWksLine1c>},
    {Kind::kAmount, "1d Step 4(a) Other Income", &Get<&O::sWksLine1d>, kNewForm},
    Single(kNewForm),
    {Kind::kAmount, "1e Add Lines 1c And 1d", &Get<&O::sWksLine1e>, kNewForm},
    Blank(),
    {Kind::kAmount, "1f Step 4(b) Deductions", &Get<&O::sWksLine1f>, kNewForm},
    {Kind::kAmount, "1g Step 2 Box Amount", &Get<&O::sWksLine1g>, kNewForm},
    Single(kNewForm),
    {Kind::kAmount, "1h Add Lines 1f And 1g", &Get<&O::sWksLine1h>, kNewForm},
    Blank(kNewForm),
    {Kind::kAmount, "1i Adjusted Annual Wage Amount", &Get<&O::sWksLine1i>, kNewForm},
    {Kind::kAmount, "1j Allowances On Form W-4", &Get<&O::sWksLine1j>, kOldForm},
    {Kind::kAmount, "1k Multiply Line 1j By 4,300", &Get<&O::sWksLine1k>, kOldForm},
    Single(kOldForm),
    {Kind::kAmount, "1l Adjusted Annual Wage Amount", &Get<&O::sWksLine1l>, kOldForm},
    Double(),
    Blank(),
};
constexpr Item kWorksheetStep2[] = {
    {Kind::kText, "Step 2. Figure The Tentative Withholding Amount:"},
    {Kind::kText, "Annual Table: ", &Get<&O::sTableUsed>},
    {Kind::kAmount, "2a Adjusted Annual Wage Amount", &Get<&O::sWksLine2a>},
    {Kind::kAmount, "2b Amount From Column A", &Get<&O::sWksLine2b>},
    {Kind::kAmount, "2c Amount From Column C", &Get<&O::sWksLine2c>},
    {Kind::kAmount, "2d Percentage From Column D", &Get<&O::sWksLine2d>},
    {Kind::kAmount, "2e Subtract Line 2b From Line 2a", &Get<&O::sWksLine2e>},
    {Kind::kAmount, "2f Multiply Line 2e By Line 2d", &Get<&O::sWksLine2f>},
    {Kind::kAmount, "2g Add Lines 2c And 2f", &Get<&O::sWksLine2g>},
    {Kind::kAmount, "2h Tentative Withholding Amount", &Get<&O::sWksLine2h>},
    Double(),
    Blank(),
};
constexpr Item kWorksheetSteps3And4[] = {
    {Kind::kText, "Step 3. Account For Tax Credits:"},
    {Kind::kAmount, "3a Step 3 Credits", &Get<&O::sWksLine3a>, kNewForm},
    {Kind::kAmount, "3b Divide Line 3a By Line 1b", &Get<&O::sWksLine3b>, kNewForm},
    Single(kNewForm),
    {Kind::kAmount, "3c Subtract Line 3b From Line 2h", &Get<&O::sWksLine3c>},
    Blank(),
    {Kind::kText, "Step 4. Figure The Final Amount To Withhold:"},
    {Kind::kAmount, "4a Additional Amount To Withhold", &Get<&O::sWksLine4a>},
    Single(),
    {Kind::kAmount, "4b Withholding This Pay Period", &Get<&O::sWksLine4b>},
    Double(),
};

// The third chunk of the Inputs report, by computation: its title, the computation's own inputs
// (listed before the payroll frequency) and whether a 2005 case lists the additional withholding.
struct InputsOf {
  ostrand::eComputationType computation;
  const char* title;
  std::span<const Item> own;
  bool additional;
};
constexpr Item kProformaInputs[] = {{Kind::kText, "Annual Wages:", &Get<&O::sWages4Yr>}};
constexpr Item kTargetedInputs[] = {
    {Kind::kText, "Wages For Remainder Of Year:", &Get<&O::sRemainingWages>},
    {Kind::kText, "Remaining Payroll Periods In Year:", &Get<&O::sRemainingPeriods>},
    {Kind::kText, "Desired Federal Withholding For Year:", &Get<&O::sTargetedWH4Yr>},
};
constexpr Item kPercentInputs[] = {
    {Kind::kText, "Gross Wages For Pay Period:", &Get<&O::sWagesPercent>}};
constexpr InputsOf kInputsOf[] = {
    {ostrand::proforma, "INPUTS FOR PROJECTED ANNUAL W-2 WITHHOLDING", kProformaInputs, true},
    {ostrand::targeted, "INPUTS FOR TARGETED WITHHOLDING", kTargetedInputs, true},
    {ostrand::Percent, "INPUTS FOR PERCENTAGE METHOD WITHHOLDING", kPercentInputs, false},
};

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
  // The payroll terms the three computation reports print alike: frequency and the employee's
  // Form W-4 (2005: marital status, allowances and, where the computation uses it, the
  // additional withholding).
  Chunk& PayrollTerms(O& o, const CaseYear& y, bool withAdditional) {
    Text("Payroll Frequency: " + Frequency(o));
    if (y.worksheet) return Items(kFormTerms, o, y.form);
    Text("Marital Status:    " + o.sMaritalStatus());
    Amount("Withholding Allowances:", o.sAllowancesIP());
    if (withAdditional) Amount("Additional Withholding Per Pay Check:", o.sAdditionalPayckWH());
    return *this;
  }
  // The lines of `items` that belong to `form`.
  Chunk& Items(std::span<const Item> items, O& o, unsigned form) {
    for (const Item& item : items) {
      if ((item.forms & form) == 0) continue;
      std::string value = item.value != nullptr ? item.value(o) : std::string();
      switch (item.kind) {
        case Kind::kBlank:
          Blank();
          break;
        case Kind::kText:
          Text(item.label + value);
          break;
        case Kind::kTerm: {
          std::string label = item.label;
          label.resize(std::max<std::size_t>(label.size() + 1, 19), ' ');
          Text(label + value);
          break;
        }
        case Kind::kAmount:
          Amount(item.label, value);
          break;
        case Kind::kSingleRule:
          SingleRule();
          break;
        case Kind::kDoubleRule:
          DoubleRule();
          break;
      }
    }
    return *this;
  }
  // The same lines as the Inputs report lists them: label, a blank, value.
  Chunk& Listed(std::span<const Item> items, O& o, unsigned form) {
    for (const Item& item : items) {
      if ((item.forms & form) != 0) Text(std::string(item.label) + " " + item.value(o));
    }
    return *this;
  }
  Chunk& Raw(const std::string& line) {
    chunk_.text += qel::ControlsToBlanks(line);
    chunk_.text += kCrLf;
    ++chunk_.lines;
    return *this;
  }
  ReportChunk Done() { return std::move(chunk_); }

 private:
  ReportChunk chunk_;
};

// The headings of a report; its window caption is the report's own, and for a computation report
// " - " and the case's name.
ReportText Headed(App& app, int computation, std::string title) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r;
  r.windowCaption = Reports::ReportOf(computation)->windowCaption;
  if (computation != Reports::kNoComputation) {
    r.windowCaption += " - " + qel::ControlsToBlanks(app.state.CurrentFile);
  }
  r.heading1 = qel::ControlsToBlanks(qel::AsUtf8(o.sTaxpayer()));
  r.heading2 = qel::ControlsToBlanks(qel::AsUtf8(o.Line2()));
  r.heading3 = std::move(title);
  return r;
}

}  // namespace
}  // namespace corvala::detail

namespace corvala::WithholdingReports {

using detail::Chunk;
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
  const detail::CaseYear y = detail::YearOf(o);
  const std::string& year = y.year;
  ReportText r =
      detail::Headed(app, ostrand::proforma, "W-2 Withholding Proforma Report - " + year);
  Chunk c;
  c.Blank()
      .SectionRule(10)
      .Text("PROJECTED W-2 FEDERAL WITHHOLDING BASED ON")
      .TextAt8(y.form == detail::kNewForm ? "REVISED FORM W-4 ENTRIES:"
                                          : "REVISED WITHHOLDING ALLOWANCES:")
      .Blank()
      .Text(year + " Wages Subject To")
      .Amount("  Federal Withholding", o.sWages4Yr())
      .DoubleRule()
      .Amount("PROJECTED " + year + " FEDERAL WITHHOLDING", o.sPerYrWHProforma())
      .DoubleRule()
      .Blank()
      .Blank()
      .Text("COMPUTATION OF PROJECTED")
      .TextAt8(year + " FEDERAL WITHHOLDING:")
      .Blank()
      .PayrollTerms(o, y, true)
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
  const detail::CaseYear y = detail::YearOf(o);
  const std::string& year = y.year;
  ReportText r = detail::Headed(app, ostrand::targeted, "Targeted Withholding Report - " + year);
  Chunk first;
  first.Blank()
      .SectionRule(10)
      .Text("WITHHOLDING SHORTAGE OR EXCESS:")
      .Blank()
      .Text("Desired Federal Withholding")
      .Amount("  For Remainder Of " + year, o.sTargetedWH4Yr())
      .Blank()
      .Text("Withholding For Remainder")
      .Amount("  Of " + year, o.sComputedWH4Yr())
      .SingleRule()
      .Blank()
      .Amount("WITHHOLDING SHORTAGE(-EXCESS)", o.sShortage4Yr())
      .DoubleRule()
      .Blank()
      .Blank()
      .Text("COMPUTATION OF FEDERAL WITHHOLDING")
      .TextAt8("FOR THE REMAINDER OF " + year + ":")
      .Blank()
      .PayrollTerms(o, y, true)
      .Blank();
  Chunk second;
  second.Amount("Wages For Remainder Of " + year, o.sRemainingWages())
      .Amount("Divided By Payroll Periods Left In Year", o.sRemainingPeriods())
      .SingleRule()
      .Amount("Wages Per Pay Check", o.sWagesPerPayckTargeted())
      .DoubleRule()
      .Blank()
      .Text("Withholding Per Pay Check")
      .Amount(y.form == detail::kNewForm ? "  Based On Form W-4" : "  Based On Allowances",
              o.sFromAllowancesWHPerPayck())
      .Text("Additional Withholding Per")
      .Amount("  Pay Check", o.sAdditionalPayckWH())
      .SingleRule()
      .Blank()
      .Amount("Withholding Per Pay Check", o.sTotPayckWHTargeted())
      .Amount("Remaining Payroll Periods In " + year, o.sRemainingPeriods())
      .SingleRule()
      .Amount("Withholding For Remainder of " + year, o.sComputedWH4Yr())
      .DoubleRule();
  r.chunks.push_back(first.Done());
  r.chunks.push_back(second.Done());
  return r;
}

ReportText BuildPercentReport(App& app) {
  ostrand::_WhBusObj& o = Obj(app);
  const detail::CaseYear y = detail::YearOf(o);
  ReportText r =
      detail::Headed(app, ostrand::Percent, "Percentage Method Report - " + y.year + " Tables");
  Chunk c;
  c.Blank().SectionRule(10).Text("DETAILED PERCENTAGE METHOD COMPUTATION");
  if (y.worksheet) {
    // From 2020 on: the case's Form W-4, then Worksheet 1A step by step.
    c.TextAt8("BY WORKSHEET 1A, " + y.year + " TABLES:").Blank().PayrollTerms(o, y, true).Blank();
    r.chunks.push_back(c.Done());
    r.chunks.push_back(Chunk().Items(detail::kWorksheetStep1, o, y.form).Done());
    r.chunks.push_back(Chunk().Items(detail::kWorksheetStep2, o, y.form).Done());
    r.chunks.push_back(Chunk().Items(detail::kWorksheetSteps3And4, o, y.form).Done());
    return r;
  }
  c.Blank()
      .PayrollTerms(o, y, false)
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
      .Text("   From " + y.year + " Percentage")
      .Amount("   Method Table", o.sWHPercentMethod())
      .DoubleRule();
  r.chunks.push_back(c.Done());
  return r;
}

}  // namespace corvala::WithholdingReports

namespace corvala::Reports {

using detail::Chunk;
using detail::Obj;

std::string GetPrintLine(std::int16_t n) {
  std::string rule;
  for (int i = 0; i < n; ++i) rule += "\u2014";
  return rule;
}

ReportText BuildInputsReport(App& app) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r = detail::Headed(app, Reports::kNoComputation, "Inputs - Paystave");
  Chunk first;
  first.Blank().SectionRule(5).Text("INPUTS:").Raw("     ");
  Chunk second;
  second.Text("Filename: " + qel::AsUtf8(app.state.CurrentFile))
      .Text("Employee: " + r.heading1)
      .Text("Report Line 2: " + r.heading2)
      .Blank();
  r.chunks.push_back(first.Done());
  r.chunks.push_back(second.Done());
  const detail::InputsOf* inputs = nullptr;
  for (const detail::InputsOf& each : detail::kInputsOf) {
    if (each.computation == o.enumComputationType()) inputs = &each;
  }
  if (inputs == nullptr) return r;
  const detail::CaseYear y = detail::YearOf(o);
  Chunk third;
  third.Text(inputs->title).Blank();
  if (y.worksheet) third.Text("Tax Year: " + y.year);
  third.Listed(inputs->own, o, detail::kEitherForm)
      .Text("Payroll Frequency: " + detail::Frequency(o));
  if (y.worksheet) {
    third.Listed(detail::kFormTerms, o, y.form);
  } else {
    third.Text("Allowances: " + o.sAllowancesIP());
    if (inputs->additional) {
      third.Text("Additional Withholding Per Pay Check: " + o.sAdditionalPayckWH());
    }
    third.Text("Marital Status: " + o.sMaritalStatus());
  }
  r.chunks.push_back(third.Blank().Blank().Done());
  return r;
}

const ReportKind* ReportOf(int computation) {
  for (const ReportKind& report : kReports) {
    if (report.computation == computation) return &report;
  }
  return nullptr;
}

const ReportKind* ReportOfCaption(std::string_view caption) {
  for (const ReportKind& report : kReports) {
    std::string_view own = report.windowCaption;
    if (caption.substr(0, own.size()) == own &&
        (caption.size() == own.size() || caption.substr(own.size(), 3) == " - ")) {
      return &report;
    }
  }
  return nullptr;
}

std::size_t IndexOf(const ReportKind& report) {
  return static_cast<std::size_t>(&report - kReports);
}

}  // namespace corvala::Reports
