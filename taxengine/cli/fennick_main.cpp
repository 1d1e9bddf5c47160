// fennick: loads one scenario of a scenario file, calculates it and prints the projection.
//
//   fennick [--json] FILE [COLUMN]
//   fennick --batch FILE|- [--output FILE] [--jobs N]
//
// Exit status: 0 done, 1 the file or the scenario could not be used, 2 bad arguments.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fennick/tax_objects.h"
#include "household_batch.h"
#include "library_info.h"
#include "qel/cp1252.h"
#include "qel/error.h"
#include "qel/process.h"
#include "qel/text.h"

namespace {

std::string Usage() {
  const std::vector<int>& years = fennick::AvailableYears();
  std::string installed = years.empty()
                              ? "No tax year is installed"
                              : "Tax years " + qel::YearRuns(years, " to ") + " are installed";
  return "Usage: fennick [--json] FILE [COLUMN]\n"
         "Loads scenario COLUMN (default 1) of the scenario file FILE, calculates the tax\n"
         "projection and prints it as a one-page report, or with --json as one JSON object whose\n"
         "keys are the result property names.\n" +
         installed +
         " (one table file Ind<year>.tbl each).\n"
         "A later year is computed with the figures of the latest year installed, and the\n"
         "report says so.\n"
         "  --json   print JSON instead of the report (before or after FILE)\n"
         "  --help   print this text\n"
         "Exit status: 0 done, 1 the file or scenario could not be used, 2 bad arguments.\n"
         "\n"
         "Usage: fennick --batch FILE|- [--output FILE] [--jobs N]\n"
         "Computes many households at once, one per line of FILE (- for standard input): a header\n"
         "line of column names, then the households, separated by commas (or by blanks when the\n"
         "header holds no comma). Columns by name, in any order; a missing column is 0; an "
         "unknown\n"
         "column stops the run. The columns:\n";
}

constexpr const char* kBatchOutput =
    "Writes CSV: taxsimid,year,state,fiitax,siitax,fica,frate,srate,ficar,tfica, and v10 to v29\n"
    "when a row asks idtl 2 (empty for the rows that do not). fiitax is the income tax after\n"
    "the nonrefundable credits (refundable credits are not modelled); fica the social security\n"
    "and Medicare tax on wages, both shares, with the self-employment and additional Medicare\n"
    "taxes; tfica the household's own share of that; frate and ficar the change of fiitax and\n"
    "fica, in percent, when the primary wages rise by 1,000. One row per household, in input\n"
    "order. A bad row is reported on standard error with its line and taxsimid and its figures\n"
    "are empty.\n"
    "  --output FILE   write to FILE, whole or not at all, instead of standard output\n"
    "  --jobs N        compute on N threads (default: one per core)\n"
    "Exit status: 0 every row computed, 1 some rows bad, 2 an unusable command line, header or\n"
    "output.\n";

void PrintUsage(std::ostream& out) {
  out << Usage() << fennick_cli::HouseholdColumnHelp() << kBatchOutput;
}

struct Options {
  bool json = false;
  std::string file;
  int column = 1;
};

// Parses the arguments; returns the exit status to end with, or -1 to go on.
int ParseArguments(int argc, char** argv, Options& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage(std::cout);
      return 0;
    }
    if (arg == "--json") {
      options.json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "fennick: unknown option " << arg << "\n";
      PrintUsage(std::cerr);
      return 2;
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.empty() || positional.size() > 2) {
    std::cerr << "fennick: expected a scenario file and at most one column number\n";
    PrintUsage(std::cerr);
    return 2;
  }
  options.file = positional[0];
  if (positional.size() == 2) {
    const std::string& text = positional[1];
    bool digits = !text.empty() && text.size() <= 9 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(text) < 1) {
      std::cerr << "fennick: the column must be a whole number from 1 up, not \"" << text << "\"\n";
      return 2;
    }
    options.column = std::stoi(text);
  }
  return -1;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : qel::AsUtf8(text)) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

void PrintJson(fennick::_iTop& top, std::ostream& out) {
  out << "{\n";
  out << "  " << JsonString("Taxpayer") << ": " << JsonString(top.Taxpayer()) << ",\n";
  out << "  " << JsonString("ScenarioDesc") << ": "
      << JsonString(std::string(qel::TrimTrailingBlanks(top.ScenarioDesc()))) << ",\n";
  out << "  " << JsonString("TaxYear") << ": " << JsonString(top.TaxYear()) << ",\n";
  out << "  " << JsonString("FilingStatus") << ": "
      << JsonString(std::to_string(static_cast<int>(top.FilingStatus())));
  for (const std::string& name : fennick::ResultPropertyNames()) {
    out << ",\n  " << JsonString(name) << ": " << JsonString(fennick::GetProperty(top, name));
  }
  out << "\n}\n";
}

// One report line: a caption and an amount right-aligned in a fixed column.
class Report {
 public:
  explicit Report(fennick::_iTop& top) : top_(top) {}

  void Heading(std::string_view text) { out_ << text << "\n"; }
  void Line(std::string_view caption, const std::string& property, int indent = 2) {
    Amount(caption, fennick::GetProperty(top_, property), indent);
  }
  void Amount(std::string_view caption, const std::string& amount, int indent = 2) {
    std::string left(static_cast<std::size_t>(indent), ' ');
    left += caption;
    std::size_t width = kWidth > left.size() + amount.size() ? kWidth - amount.size() : 1;
    left.resize(std::max(width, left.size() + 1), ' ');
    out_ << left << amount << "\n";
  }
  void Blank() { out_ << "\n"; }
  std::string Text() const { return out_.str(); }

 private:
  static constexpr std::size_t kWidth = 60;
  fennick::_iTop& top_;
  std::ostringstream out_;
};

void PrintReport(fennick::_iTop& top, int column, std::ostream& out) {
  Report r(top);
  std::string desc = qel::AsUtf8(qel::TrimTrailingBlanks(top.ScenarioDesc()));
  r.Heading("Federal income-tax projection for " + top.TaxYear() + " (scenario " +
            std::to_string(column) + ")");
  std::string tablesYear = top.TablesYear();
  if (tablesYear == "0") {
    r.Heading("No figures of tax year " + top.TaxYear() +
              ": its deductions, exemptions and credits count as 0");
  } else if (tablesYear != top.TaxYear()) {
    r.Heading("Figures of " + tablesYear + " used for tax year " + top.TaxYear());
  }
  r.Heading("Taxpayer:       " + qel::AsUtf8(top.Taxpayer()));
  if (!desc.empty()) r.Heading("Description:    " + desc);
  std::string status = top.sFilingStatus();
  if (status.empty()) status = "Qualifying widow(er)";
  r.Heading("Filing status:  " + status + "    Exemptions claimed: " + top.Dependents());
  r.Blank();
  r.Heading("Income");
  r.Line("Wages, spouse 1", "oInc.WageSp1");
  r.Line("Wages, spouse 2", "oInc.WageSp2");
  r.Line("Self-employment income, spouse 1", "oInc.SEIncSp1");
  r.Line("Self-employment income, spouse 2", "oInc.SEIncSp2");
  r.Line("Dividends", "oInc.Dividends");
  r.Line("Net short-term capital gain", "oInc.NetSTCG");
  r.Line("Net long-term capital gain", "oInc.NetLTCG");
  r.Line("Capital gain or allowed loss", "oInc.CapGains");
  r.Line("Other income", "oInc.OtherNonSEInc");
  r.Line("Total income", "TotalInc", 0);
  r.Line("IRA deduction, spouse 1", "oAdj2Inc.IRADedSp1");
  r.Line("IRA deduction, spouse 2", "oAdj2Inc.IRADedSp2");
  r.Line("Self-employed health insurance", "oAdj2Inc.SEMedInsDed");
  r.Line("One half of self-employment tax", "oAdj2Inc.SETaxDed");
  r.Line("Other adjustments", "oAdj2Inc.OtherAdj2Inc");
  r.Line("Adjustments to income", "Adj2Inc", 0);
  r.Line("Adjusted gross income", "AGI", 0);
  r.Blank();
  r.Heading("Deductions");
  if (top.oItem()->CharDedAllowed() != top.oItem()->CharDed()) {
    r.Line("Charitable contributions allowed", "oItem.CharDedAllowed");
  }
  r.Line("Itemized deductions after reduction", "oItem.TotNet");
  r.Line("Standard deduction", "oItem.StdDed");
  r.Line("Deduction used", "ItemOrStdDed", 0);
  // From 2025 there are no exemptions; the line holds the senior deduction.
  bool senior = std::stoi(top.TablesYear()) >= 2025;
  r.Line(senior ? "Senior deduction" : "Exemptions", "ExemptionDed", 0);
  r.Line("Taxable income", "TaxInc", 0);
  r.Blank();
  r.Heading("Tax");
  r.Line("Regular tax", "IncTax");
  if (top.FilingStatus() == fennick::fl_mar_sep) {
    r.Line("Minimum-tax add-back, separate return", "oAMT.MFSAddBack");
  }
  r.Line("Tentative minimum tax", "oAMT.TentativeAMT");
  r.Line("Alternative minimum tax", "oAMT.AMT");
  r.Line("Regular or minimum tax", "RegAndAmtTax", 0);
  r.Line("Self-employment tax, spouse 1", "oOtherTaxes.SETaxSp1");
  r.Line("Self-employment tax, spouse 2", "oOtherTaxes.SETaxSp2");
  if (top.oOtherTaxes()->AddlMedicare() != "0") {
    r.Line("Additional Medicare tax", "oOtherTaxes.AddlMedicare");
  }
  r.Line("Other taxes entered", "oOtherTaxes.OtherTaxes");
  r.Line("Other taxes", "OtherTax", 0);
  r.Line("Child tax credit", "oTaxCr.ChildCr");
  r.Line("Other credits", "oTaxCr.OtherCr");
  r.Line("Credits", "TotCr", 0);
  r.Line("Total tax", "TotTax", 0);
  r.Line("Payments", "TotPmts", 0);
  r.Line("Balance due (negative: refund)", "BalDue", 0);
  r.Blank();
  r.Heading("Carried to next year");
  r.Line("Short-term capital loss", "oInc.STCLCarryforward");
  r.Line("Long-term capital loss", "oInc.LTCLCarryforward");
  out << r.Text();
}

int Fail(const std::string& message) {
  std::cerr << "fennick: " << message << "\n";
  return 1;
}

// A scenario file is a small regular file. What else the name may stand for is refused before
// the library reads it: a pipe or a device could block the read or never end, and a large file
// is no scenario file. Looked at with stat, which neither blocks nor opens anything. A name
// that cannot be looked at passes: the library names the missing or unreadable file.
constexpr off_t kMaxFileBytes = 1 << 20;

std::string WhyNotAScenarioFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  if (S_ISDIR(st.st_mode)) return "is a folder, not a scenario file";
  if (!S_ISREG(st.st_mode)) return "is a pipe, device or socket, not a scenario file";
  if (st.st_size > kMaxFileBytes) {
    return "is " + std::to_string(st.st_size) + " bytes long; a scenario file is at most 1 MiB";
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  qel::TreatFileSizeLimitAsWriteError();
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--batch") return fennick_cli::HouseholdBatchMain(argc, argv);
  Options options;
  int status = ParseArguments(argc, argv, options);
  if (status >= 0) return status;

  if (std::string why = WhyNotAScenarioFile(options.file); !why.empty()) {
    return Fail(options.file + " " + why);
  }
  try {
    std::unique_ptr<fennick::_iTop> top = fennick::CreateTop();
    top->ColumnIdx(options.column);
    top->Load(options.file);
    if (!fennick::ScenarioExists(options.file, options.column)) {
      return Fail(options.file + " holds no scenario " + std::to_string(options.column));
    }
    top->Calculate();
    if (options.json) {
      PrintJson(*top, std::cout);
    } else {
      PrintReport(*top, options.column, std::cout);
    }
    std::cout.flush();
    if (!std::cout) return Fail("could not write the output");
  } catch (const qel::QelError& e) {
    // The library gives its own name as the description of errors it has no words for.
    const std::string description =
        e.description().empty() || e.description() == fennick::kFileDescription
            ? qel::StandardDescription(e.number())
            : e.description();
    return Fail(options.file + ": " + description + " (error " + std::to_string(e.number()) + ")");
  } catch (const std::exception& e) {
    return Fail(options.file + ": " + e.what());
  }
  return 0;
}
