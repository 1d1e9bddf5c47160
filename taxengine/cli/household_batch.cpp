#include "household_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <system_error>
#include <vector>

#include "fennick/bulk.h"
#include "output.h"
#include "qel/batch.h"
#include "qel/error.h"
#include "qel/text.h"

namespace fennick_cli {
namespace {

using fennick::Household;
using fennick::HouseholdResults;
using qel::Currency;

// How a column enters the computation.
enum class Use {
  kId,           // echoed
  kWhole,        // a whole number
  kAmount,       // an amount, not negative
  kSigned,       // an amount that may be negative (gains, losses, self-employment)
  kIgnored,      // read, no federal effect here
  kNotModelled,  // must be 0
};

enum Column : std::size_t {
  kTaxsimId,
  kYear,
  kState,
  kMstat,
  kPage,
  kSage,
  kDepx,
  kAge1,
  kAge11 = kAge1 + 10,
  kDep17,
  kPwages,
  kSwages,
  kPsemp,
  kSsemp,
  kDividends,
  kIntrec,
  kOtherprop,
  kPensions,
  kStcg,
  kLtcg,
  kProptax,
  kOtheritem,
  kMortgage,
  kIdtl,
  kRentpaid,
  kTransfers,
  kChildcare,
  kGssi,
  kPui,
  kSui,
  kNonprop,
  kScorp,
  kPbusinc,
  kPprofinc,
  kSbusinc,
  kSprofinc,
  kColumnCount
};

struct ColumnSpec {
  std::string_view name;
  Use use;
};

constexpr std::array<ColumnSpec, kColumnCount> kColumns = {{
    {"taxsimid", Use::kId},          {"year", Use::kWhole},
    {"state", Use::kWhole},          {"mstat", Use::kWhole},
    {"page", Use::kWhole},           {"sage", Use::kWhole},
    {"depx", Use::kWhole},           {"age1", Use::kWhole},
    {"age2", Use::kWhole},           {"age3", Use::kWhole},
    {"age4", Use::kWhole},           {"age5", Use::kWhole},
    {"age6", Use::kWhole},           {"age7", Use::kWhole},
    {"age8", Use::kWhole},           {"age9", Use::kWhole},
    {"age10", Use::kWhole},          {"age11", Use::kWhole},
    {"dep17", Use::kWhole},          {"pwages", Use::kAmount},
    {"swages", Use::kAmount},        {"psemp", Use::kSigned},
    {"ssemp", Use::kSigned},         {"dividends", Use::kAmount},
    {"intrec", Use::kAmount},        {"otherprop", Use::kSigned},
    {"pensions", Use::kAmount},      {"stcg", Use::kSigned},
    {"ltcg", Use::kSigned},          {"proptax", Use::kAmount},
    {"otheritem", Use::kAmount},     {"mortgage", Use::kAmount},
    {"idtl", Use::kWhole},           {"rentpaid", Use::kIgnored},
    {"transfers", Use::kIgnored},    {"childcare", Use::kIgnored},
    {"gssi", Use::kNotModelled},     {"pui", Use::kNotModelled},
    {"sui", Use::kNotModelled},      {"nonprop", Use::kNotModelled},
    {"scorp", Use::kNotModelled},    {"pbusinc", Use::kNotModelled},
    {"pprofinc", Use::kNotModelled}, {"sbusinc", Use::kNotModelled},
    {"sprofinc", Use::kNotModelled},
}};

constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
constexpr int kMaxDependents = 99;

// Where the columns are, and how the fields are separated.
struct Layout {
  std::array<std::size_t, kColumnCount> index{};
  std::size_t width = 0;
  bool blankSeparated = false;  // the header holds no comma: fields are separated by blanks
  bool anyAge = false;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The fields of a record, trimmed; in a blank-separated file each field is split at blanks.
void FieldsOf(const qel::CsvRecord& record, bool blankSeparated,
              std::vector<std::string_view>& fields) {
  fields.clear();
  for (std::string_view field : record.fields) {
    if (!blankSeparated) {
      fields.push_back(qel::TrimBlanks(field));
      continue;
    }
    std::size_t i = 0;
    while (i < field.size()) {
      while (i < field.size() && IsBlank(field[i])) ++i;
      const std::size_t start = i;
      while (i < field.size() && !IsBlank(field[i])) ++i;
      if (i > start) fields.push_back(field.substr(start, i - start));
    }
  }
}

Layout ReadHeader(const qel::CsvRecord& header) {
  if (!header.error.empty())
    throw HouseholdHeaderError("line " + std::to_string(header.line) +
                               ": the header is malformed: " + header.error);
  Layout layout;
  layout.index.fill(kAbsent);
  layout.blankSeparated = header.fields.size() == 1;
  std::vector<std::string_view> names;
  FieldsOf(header, layout.blankSeparated, names);
  layout.width = names.size();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto spec = std::find_if(kColumns.begin(), kColumns.end(), [&](const ColumnSpec& c) {
      return qel::EqualsIgnoreCase(c.name, names[i]);
    });
    if (spec == kColumns.end()) {
      throw HouseholdHeaderError(names[i].empty() ? "column " + std::to_string(i + 1) +
                                                        " of the header has no name"
                                                  : "unknown column \"" + std::string(names[i]) +
                                                        "\" (see fennick --help for the columns)");
    }
    const auto c = static_cast<std::size_t>(spec - kColumns.begin());
    if (layout.index[c] != kAbsent)
      throw HouseholdHeaderError("the column \"" + std::string(spec->name) + "\" appears twice");
    layout.index[c] = i;
    if (c >= kAge1 && c <= kAge11) layout.anyAge = true;
  }
  return layout;
}

// Appends the amounts, each after a comma.
void AppendAmounts(std::string& out, std::initializer_list<Currency> amounts) {
  for (Currency a : amounts) {
    out += ',';
    qel::AppendBatchAmount(out, a);
  }
}

// The figures the output is made of, from one computation.
struct Figures {
  Currency fiitax, fica, tfica;
};
Figures FiguresOf(const HouseholdResults& r) {
  const Currency employee = r.ficaSp1 + r.ficaSp2;
  const Currency own = r.seTaxSp1 + r.seTaxSp2 + r.addlMedicare;
  return {r.regAndAmtTax - r.totCr, employee + employee + own, employee + own};
}

// A change of tax over the raise, in percent.
static_assert(kMarginalRaise % 100 == 0);
Currency Rate(Currency change) {
  return Currency::FromRaw(change.raw() / (kMarginalRaise / 100));
}

// The rows of one worker.
class Households : public qel::BatchRows {
 public:
  Households(const Layout& layout, bool detail) : layout_(layout), detail_(detail) {}

  bool Row(const qel::CsvRecord& row, std::string& out, std::string& problems) override {
    FieldsOf(row, layout_.blankSeparated, fields_);
    problem_.clear();
    const bool ok = row.error.empty() ? Compute() : Fail(row.error);
    // Echoed as written, in quotes where a bad row's text needs them.
    qel::AppendCsvField(out, Field(kTaxsimId));
    out += ',';
    qel::AppendCsvField(out, Field(kYear));
    if (ok) {
      const Figures& f = figures_;
      out += ",0";
      AppendAmounts(out, {f.fiitax, Currency(), f.fica, frate_, Currency(), ficar_, f.tfica});
      if (detail_ && wantsDetail_) {
        const HouseholdResults& r = results_;
        const Currency zero;
        AppendAmounts(out, {r.agi,
                            zero,
                            zero,
                            r.itemizing ? zero : r.deduction,
                            r.exemptionGross,
                            r.exemptionPhaseOut,
                            r.itemizedReduction,
                            r.itemizing ? r.deduction : zero,
                            std::max(r.taxInc, zero),
                            r.regularTax,
                            zero,
                            zero,
                            r.childCr,
                            zero,
                            zero,
                            zero,
                            r.amtIncome,
                            r.amt,
                            r.regAndAmtTax,
                            f.fica});
      } else if (detail_) {
        out.append(20, ',');
      }
    } else {
      out.append(detail_ ? 28 : 8, ',');
      problems += "fennick: line " + std::to_string(row.line);
      if (!Field(kTaxsimId).empty())
        problems += " (taxsimid " + qel::EscapedControls(Field(kTaxsimId)) + ")";
      problems += ": " + qel::EscapedControls(problem_) + "\n";
    }
    out += '\n';
    return ok;
  }

 private:
  std::string_view Field(Column c) const {
    const std::size_t i = layout_.index[c];
    return i < fields_.size() ? fields_[i] : std::string_view();
  }

  bool Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  bool Compute() {
    if (fields_.size() != layout_.width)
      return Fail("the row has " + std::to_string(fields_.size()) +
                  " fields where the header has " + std::to_string(layout_.width));
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      values_[c] = Currency();
      const std::string_view text = Field(static_cast<Column>(c));
      if (layout_.index[c] == kAbsent || text.empty()) continue;
      const ColumnSpec& spec = kColumns[c];
      if (const char* why = qel::ParseBatchAmount(text, values_[c]))
        return Fail(std::string(spec.name) + " " + std::string(text) + " " + why);
      if (spec.use != Use::kSigned && values_[c] < Currency())
        return Fail(std::string(spec.name) + " " + std::string(text) + " is negative");
      if (spec.use == Use::kWhole && values_[c].HasFraction())
        return Fail(std::string(spec.name) + " " + std::string(text) + " is not a whole number");
      if (spec.use == Use::kNotModelled && values_[c] != Currency())
        return Fail(std::string(spec.name) + " " + std::string(text) +
                    ": this income is not modelled; the column must be 0 or empty");
    }
    const auto whole = [&](Column c) { return values_[c].raw() / Currency::kScale; };
    const auto text = [&](Column c) { return std::string(Field(c)); };

    Household& h = household_;
    h = Household();
    const std::int64_t year = whole(kYear);
    if (year > 9999 || !fennick::BulkCalculator::SupportsYear(static_cast<int>(year)))
      return Fail((text(kYear).empty() ? std::string("year is missing or empty")
                                       : "year " + text(kYear) + " is not a tax year") +
                  ": it must be " + std::to_string(fennick::BulkCalculator::FirstYear()) +
                  " or later");
    h.year = static_cast<int>(year);
    if (whole(kState) != 0)
      return Fail("state " + text(kState) +
                  ": state tax is not modelled; state must be 0 or empty");
    const std::int64_t dependents = whole(kDepx);
    if (dependents > kMaxDependents)
      return Fail("depx " + text(kDepx) + " is more than " + std::to_string(kMaxDependents));
    const std::int64_t idtl = whole(kIdtl);
    if (idtl > 2) return Fail("idtl " + text(kIdtl) + " is not 0, 1 or 2");
    wantsDetail_ = idtl == 2;

    int filers = 1;
    switch (whole(kMstat)) {
      case 1:
        h.filingStatus = dependents > 0 ? fennick::fl_head_household : fennick::fl_single;
        break;
      case 2:
        h.filingStatus = fennick::fl_joint;
        filers = 2;
        break;
      case 6:
        h.filingStatus = fennick::fl_mar_sep;
        break;
      case 8:
        h.filingStatus = fennick::fl_single;
        h.isDependent = true;
        break;
      default:
        return Fail((text(kMstat).empty() ? std::string("mstat is missing or empty")
                                          : "mstat \"" + text(kMstat) + "\"") +
                    ": it must be 1 (single), 2 (joint), 6 (separate) or 8 (dependent)");
    }
    const bool joint = filers == 2;
    for (Column c : {kSwages, kSsemp})
      if (!joint && values_[c] != Currency())
        return Fail(std::string(kColumns[c].name) + " " + text(c) +
                    ": a second spouse's income needs a joint return (mstat 2)");
    h.exemptions = filers + static_cast<int>(dependents);
    h.sp1Over65 = whole(kPage) >= 65;
    h.sp2Over65 = joint && whole(kSage) >= 65;
    std::int64_t children = dependents;
    if (layout_.anyAge) {
      children = 0;
      for (std::size_t c = kAge1; c <= kAge11 && c < kAge1 + dependents; ++c) {
        const std::int64_t age = whole(static_cast<Column>(c));
        if (age >= 1 && age <= 16) ++children;
      }
    } else if (layout_.index[kDep17] != kAbsent) {
      children = std::min(whole(kDep17), dependents);
    }
    h.childCreditChildren = static_cast<int>(children);
    h.wageSp1 = values_[kPwages];
    h.wageSp2 = values_[kSwages];
    h.seIncSp1 = values_[kPsemp];
    h.seIncSp2 = values_[kSsemp];
    h.dividends = values_[kDividends];
    h.otherNonSEInc = values_[kIntrec] + values_[kOtherprop] + values_[kPensions];
    h.stcg = values_[kStcg];
    h.ltcg = values_[kLtcg];
    h.taxesPaid = values_[kProptax] + values_[kOtheritem];
    h.mortgageInterest = values_[kMortgage];
    try {
      calculator_.Calculate(h, results_);
      figures_ = FiguresOf(results_);
      h.wageSp1 = h.wageSp1 + Currency::FromUnits(kMarginalRaise);
      calculator_.Calculate(h, raised_);
      const Figures raised = FiguresOf(raised_);
      frate_ = Rate(raised.fiitax - figures_.fiitax);
      ficar_ = Rate(raised.fica - figures_.fica);
    } catch (const qel::QelError& e) {
      qel::ThrowIfOutOfMemory(e);
      return Fail("the computation failed: " + e.description() + " (error " +
                  std::to_string(e.number()) + ")");
    }
    return true;
  }

  const Layout layout_;
  const bool detail_;
  std::vector<std::string_view> fields_;
  std::array<Currency, kColumnCount> values_{};
  Household household_;
  HouseholdResults results_, raised_;
  Figures figures_;
  Currency frate_, ficar_;
  fennick::BulkCalculator calculator_;
  bool wantsDetail_ = false;
  std::string problem_;
};

}  // namespace

std::string DetailColumns() {
  std::string columns;
  for (int v = 10; v <= 29; ++v) columns += ",v" + std::to_string(v);
  return columns;
}

std::string HouseholdColumnHelp() {
  return "  taxsimid      the row's id, a number, echoed\n"
         "  year          the tax year (2001 on)\n"
         "  state         0 or empty (no state tax)\n"
         "  mstat         1 single (head of household with depx > 0), 2 joint, 6 separate,\n"
         "                8 single and claimed as a dependent\n"
         "  page, sage    the ages of the primary taxpayer and the spouse (65 or more: over 65)\n"
         "  depx          the number of dependents\n"
         "  age1..age11   the dependents' ages (1 to 16: a child for the child credit); without\n"
         "                them dep17, the number of children under 17; without both every\n"
         "                dependent is a child\n"
         "  pwages, swages, psemp, ssemp, dividends, intrec, otherprop, pensions, stcg, ltcg,\n"
         "  proptax, otheritem, mortgage   the year's amounts\n"
         "  idtl          2: also the detail columns v10 to v29 for this row\n"
         "  rentpaid, transfers, childcare   read and ignored (no federal effect here)\n"
         "  gssi, pui, sui, nonprop, scorp, pbusinc, pprofinc, sbusinc, sprofinc   not modelled:\n"
         "                must be 0 or empty\n";
}

long RunHouseholds(qel::CsvReader& input, bool detail, unsigned jobs,
                   const std::function<void(std::string_view)>& write, std::ostream& problems) {
  qel::CsvRecord record;
  if (!input.Next(record)) throw HouseholdHeaderError("the input is empty: it needs a header line");
  const Layout layout = ReadHeader(record);
  std::string header(kBasicColumns);
  if (detail) header += DetailColumns();
  header += '\n';
  write(header);
  const qel::BatchCounts counts = qel::RunBatch(
      input, jobs, [&] { return std::make_unique<Households>(layout, detail); },
      [&](std::string_view out, std::string_view trouble) {
        write(out);
        problems << trouble;
      });
  return counts.bad;
}

bool AnyRowAsksDetail(qel::CsvReader& input) {
  qel::CsvRecord record;
  if (!input.Next(record)) return false;
  const Layout layout = ReadHeader(record);
  const std::size_t idtl = layout.index[kIdtl];
  if (idtl == kAbsent) return false;
  std::vector<std::string_view> fields;
  while (input.Next(record)) {
    FieldsOf(record, layout.blankSeparated, fields);
    Currency value;
    if (idtl < fields.size() && qel::ParseBatchAmount(fields[idtl], value) == nullptr &&
        value == Currency::FromUnits(2))
      return true;
  }
  return false;
}

namespace {

constexpr const char* kBatchUsage =
    "Usage: fennick --batch FILE|- [--output FILE] [--jobs N]\n"
    "Computes every household of FILE (- for standard input): a header line of column names,\n"
    "then one household per line, separated by commas (or by blanks when the header holds no\n"
    "comma). Columns by name in any order and any letter case; a missing column is 0; an\n"
    "unknown column stops the run.\n";

int Fail(const std::string& message) {
  std::cerr << "fennick: " << qel::EscapedControls(message) << "\n";
  return 2;
}

}  // namespace

int HouseholdBatchMain(int argc, char** argv) {
  std::string input, output;
  bool haveInput = false;
  unsigned jobs = qel::DefaultBatchJobs();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--batch") {
      const char* name = value();
      if (name == nullptr || haveInput)
        return Fail("--batch needs one file name, or - for the standard input");
      input = name;
      haveInput = true;
    } else if (arg == "--output" || arg == "-o") {
      const char* name = value();
      if (name == nullptr) return Fail(std::string(arg) + " needs a file name");
      output = name;
    } else if (arg == "--jobs" || arg == "-j") {
      const char* n = value();
      if (n == nullptr || !qel::ParseBatchJobs(n, jobs))
        return Fail("--jobs needs a whole number from 1 to " + std::to_string(qel::kMaxBatchJobs));
    } else {
      std::cerr << "fennick: " << arg << " cannot be used with --batch\n" << kBatchUsage;
      return 2;
    }
  }
  const bool fromStdin = input == "-";
  const std::string inputName = fromStdin ? "the standard input" : input;

  int fd = 0;
  if (!fromStdin) {
    fd = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail("cannot read " + input + ": " + std::strerror(errno));
  }
  if (!output.empty() && paystave::OutputIsInput(fd, output))
    return Fail("the output " + output + " is the input " + inputName +
                ", which it would replace; both were left untouched");
  try {
    // Whether the detail columns are written depends on the rows: a first pass looks, up to the
    // first row that asks for them. Input that cannot be read twice is copied as that pass reads
    // it, and the second pass reads the copy and then the rest.
    struct stat st {};
    const bool rereadable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const off_t start = rereadable ? ::lseek(fd, 0, SEEK_CUR) : 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> spool(nullptr, &std::fclose);
    if (!rereadable) {
      spool.reset(std::tmpfile());
      if (!spool)
        return Fail("cannot make a temporary copy of " + inputName + ": " + std::strerror(errno));
    }
    bool detail = false;
    {
      qel::CsvReader first(qel::ReadDescriptor(fd, inputName, spool.get()));
      detail = AnyRowAsksDetail(first);
    }
    qel::CsvReader::Source source;
    if (spool) {
      const int copy = ::fileno(spool.get());
      if (std::fflush(spool.get()) != 0 || ::lseek(copy, 0, SEEK_SET) != 0)
        throw std::system_error(errno, std::generic_category(), "a temporary copy of " + inputName);
      source = [copied = qel::ReadDescriptor(copy, inputName, nullptr),
                rest = qel::ReadDescriptor(fd, inputName, nullptr),
                inCopy = true](char* into, std::size_t size) mutable -> std::size_t {
        if (inCopy) {
          if (const std::size_t n = copied(into, size); n > 0) return n;
          inCopy = false;
        }
        return rest(into, size);
      };
    } else {
      if (::lseek(fd, start, SEEK_SET) != start)
        throw std::system_error(errno, std::generic_category(), inputName);
      source = qel::ReadDescriptor(fd, inputName, nullptr);
    }
    qel::CsvReader reader(std::move(source));
    paystave::Output out = output.empty() ? paystave::Output() : paystave::Output(output);
    const long bad = RunHouseholds(
        reader, detail, jobs,
        [&](std::string_view text) {
          out.Text().append(text);
          out.Flushed();
        },
        std::cerr);
    out.Commit();
    return bad == 0 ? 0 : 1;
  } catch (const HouseholdHeaderError& e) {
    return Fail(inputName + ": " + e.what());
  } catch (const qel::CsvLimitError& e) {
    return Fail(inputName + ": " + e.what());
  } catch (const std::system_error& e) {
    return Fail("cannot read " + std::string(e.what()));
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}

}  // namespace fennick_cli
