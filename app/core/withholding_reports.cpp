#include "core/withholding_reports.h"

#include "core/app.h"
#include "core/internal.h"
#include "qel/cp1252.h"
#include "qel/text.h"
#include "qel/utf8.h"

namespace corvala::detail {
namespace {

constexpr const char* kIndent = "     ";
const std::string kYear = std::to_string(kTaxYear);

std::string Frequency(ostrand::_WhBusObj& o) {
  return o.GetFrequency(o.enumFrequency());
}

// A name or file name as the report prints it: UTF-8 as it stands; text that is not UTF-8 (a case
// written on Windows) is Windows-1252, one character a byte.
std::string Printable(const std::string& text) {
  constexpr char32_t kNotUtf8 = 0x110000;
  std::u32string decoded = qel::DecodeUtf8(text, kNotUtf8);
  if (decoded.find(kNotUtf8) == std::u32string::npos) return text;
  std::string out;
  for (char c : text) qel::AppendUtf8(out, qel::Cp1252ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

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
    Text("Payroll Frequency: " + Frequency(o));
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

// The headings of a report; its window caption is the report's own, and for a computation report
// " - " and the case's name.
ReportText Headed(App& app, int computation, std::string title) {
  ostrand::_WhBusObj& o = Obj(app);
  ReportText r;
  r.windowCaption = Reports::ReportOf(computation)->windowCaption;
  if (computation != Reports::kNoComputation) r.windowCaption += " - " + app.state.CurrentFile;
  r.heading1 = Printable(o.sTaxpayer());
  r.heading2 = Printable(o.Line2());
  r.heading3 = std::move(title);
  return r;
}

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
  ReportText r =
      detail::Headed(app, ostrand::proforma, "W-2 Withholding Proforma Report - " + kYear);
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
  ReportText r = detail::Headed(app, ostrand::targeted, "Targeted Withholding Report - " + kYear);
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
  ReportText r =
      detail::Headed(app, ostrand::Percent, "Percentage Method Report - " + kYear + " Tables");
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
  second.Text("Filename: " + detail::Printable(app.state.CurrentFile))
      .Text("Employee: " + r.heading1)
      .Text("Report Line 2: " + r.heading2)
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
