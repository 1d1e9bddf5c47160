// Withholding for one pay check: the table file of each tax year, read once, and its method.
//
// A table file names its method in [Year] Method=. Every figure comes from the file; the code
// knows only the names of the sections and keys, listed once in the tables below.
#include "ostrand/paycheck.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <limits>
#include <map>
#include <mutex>
#include <utility>

#include "library_info.h"
#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/tax_table_store.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace ostrand {
namespace {

using qel::Currency;

// The pay frequencies, in the order of eFrequency: periods per year, and the key of the
// allowance method (section "1 allowance" and the tables "Single <key>", "Married <key>").
struct Frequency {
  eFrequency frequency;
  int periods;
  std::string_view key;
};
constexpr Frequency kFrequencies[] = {{weekly, 52, "wk"},
                                      {biweekly, 26, "biwk"},
                                      {semimonthly, 24, "smo"},
                                      {monthly, 12, "mo"},
                                      {annually, 1, "yr"}};
constexpr std::size_t kFrequencyCount = std::size(kFrequencies);

// The methods by the name a table file gives them.
struct MethodName {
  WithholdingMethod method;
  std::string_view name;
};
constexpr MethodName kMethods[] = {
    {WithholdingMethod::kAllowancePercentage, "Allowance percentage"},
    {WithholdingMethod::kWorksheet1A, "Worksheet 1A"}};

// Worksheet 1A: the tables "<status> <kind>", by W4Status (its value is the index) and by the
// Step 2 box (unchecked, checked); line 1g is "Line 1g <status>" in [Constants].
constexpr std::string_view kStatusNames[] = {"Single", "Married", "Head of household"};
constexpr std::string_view kTableKinds[] = {"STANDARD", "CHECKBOX"};
constexpr std::size_t kStatusCount = std::size(kStatusNames);
// The earlier Form W-4 uses the STANDARD table of Single or Married.
constexpr std::size_t kSingleIndex = 0;
constexpr std::size_t kMarriedIndex = 1;

constexpr std::string_view kYearSection = "Year";
constexpr std::string_view kMethodKey = "Method";
constexpr std::string_view kConstantsSection = "Constants";
constexpr std::string_view kAllowanceKey = "Allowance";
constexpr std::string_view kOneAllowanceSection = "1 allowance";

[[noreturn]] void Raise(long number, std::string description) {
  throw qel::QelError(number, std::string(detail::kErrorSource), std::move(description));
}

std::size_t FrequencyIndex(eFrequency frequency) {
  for (std::size_t i = 0; i < kFrequencyCount; ++i)
    if (kFrequencies[i].frequency == frequency) return i;
  Raise(qel::err::kInvalidCall, "The pay frequency " + std::to_string(frequency) +
                                    " is none of weekly (0) to annually (4)");
}

// `amount` / `divisor` to the cent, halves away from zero.
Currency CentsOf(Currency amount, std::int64_t divisor) {
  const auto unit = static_cast<std::uint64_t>(divisor * (Currency::kScale / 100));
  const bool negative = amount.raw() < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(amount.raw())
                                           : static_cast<std::uint64_t>(amount.raw());
  const std::uint64_t cents = magnitude / unit + (magnitude % unit * 2 >= unit ? 1 : 0);
  const auto raw = static_cast<std::int64_t>(cents) * (Currency::kScale / 100);
  return Currency::FromRaw(negative ? -raw : raw);
}

Currency NotBelowZero(Currency amount) {
  return amount < Currency() ? Currency() : amount;
}

// Clears every figure of `out` for a new computation, keeping the memory of its table name.
void Restart(PaycheckWithholding& out, WithholdingMethod method, const std::string& table) {
  std::string name = std::move(out.table);
  out = PaycheckWithholding{};
  name.assign(table);
  out.table = std::move(name);
  out.method = method;
}

// Reading one table file through the components; every complaint names the file.
class TableReader {
 public:
  explicit TableReader(std::string path) : path_(std::move(path)) { file_.SetFileName(path_); }

  const std::string& Path() const { return path_; }

  WithholdingMethod Method() const {
    const std::string name = file_.ReadValue(kYearSection, kMethodKey, "");
    for (const MethodName& m : kMethods)
      if (qel::EqualsIgnoreCase(qel::TrimBlanks(name), m.name)) return m.method;
    std::string known;
    for (const MethodName& m : kMethods)
      known += (known.empty() ? "" : " or ") + std::string(m.name);
    Raise(qel::err::kPathFileAccess, "The table file " + path_ + " names no method it knows ([" +
                                         std::string(kYearSection) + "] " +
                                         std::string(kMethodKey) + "=" + known + ")");
  }

  // An amount in the invariant syntax; `fallback` when the key is absent, an error when there is
  // no fallback.
  Currency Amount(std::string_view section, std::string_view key,
                  std::string_view fallback = {}) const {
    const std::string text = file_.ReadValue(section, key, fallback);
    if (text.empty())
      Raise(qel::err::kPathFileAccess, "The table file " + path_ + " lacks " + Where(section, key));
    try {
      return qel::InvariantCurrency(text);
    } catch (const qel::QelError&) {
      Raise(qel::err::kPathFileAccess, "The table file " + path_ + " has \"" + text + "\" for " +
                                           Where(section, key) + ", which is not a number");
    }
  }

  qel::TaxTableStore Table(const std::string& section) const {
    qel::TaxTableStore store;
    store.SetTableFile(path_);
    store.SelectSection(section);
    store.LoadSection();
    return store;
  }

 private:
  static std::string Where(std::string_view section, std::string_view key) {
    return "[" + std::string(section) + "] " + std::string(key);
  }

  std::string path_;
  qel::KeyedDataFile file_;
};

class YearBase : public WithholdingYear {
 public:
  YearBase(int year, std::string path) : year_(year), path_(std::move(path)) {}
  int Year() const override { return year_; }
  const std::string& TableFile() const override { return path_; }
  using WithholdingYear::Withhold;

 private:
  int year_;
  std::string path_;
};

// The allowance percentage method: the period's wages less the allowances, through the period's
// table of the single or married rate, evaluated by the table store's own lookup.
class AllowanceYear final : public YearBase {
 public:
  AllowanceYear(int year, const TableReader& file) : YearBase(year, file.Path()) {
    for (std::size_t i = 0; i < kFrequencyCount; ++i) {
      const std::string key(kFrequencies[i].key);
      // A period without an allowance amount has allowances worth nothing.
      allowance_[i] = file.Amount(kOneAllowanceSection, key, "0");
      for (bool single : {false, true}) {
        Table& t = tables_[i][single];
        t.name = (single ? "Single " : "Married ") + key;
        t.store = file.Table(t.name);
      }
    }
  }

  WithholdingMethod Method() const override { return WithholdingMethod::kAllowancePercentage; }

  void Withhold(const PaycheckInputs& in, PaycheckWithholding& out) const override {
    detail::TrapFile("WithholdingYear.Withhold", [&] {
      const std::size_t f = FrequencyIndex(in.frequency);
      const Table& table = tables_[f][in.single];
      Restart(out, WithholdingMethod::kAllowancePercentage, table.name);
      out.allowanceAmount = allowance_[f];
      out.allowanceDeduction = allowance_[f] * in.allowances;
      out.subjectToWithholding = NotBelowZero(in.wages - out.allowanceDeduction);
      out.beforeExtra = table.store.LookupTax(out.subjectToWithholding);
      out.withholding = CentsOf(out.beforeExtra, 1) + in.extra;
    });
  }

 private:
  struct Table {
    std::string name;
    qel::TaxTableStore store;
  };
  Currency allowance_[kFrequencyCount];
  Table tables_[kFrequencyCount][2];  // [frequency][single]
};

// Worksheet 1A of the annual percentage method, line by line.
class Worksheet1AYear final : public YearBase {
 public:
  Worksheet1AYear(int year, const TableReader& file) : YearBase(year, file.Path()) {
    for (std::size_t s = 0; s < kStatusCount; ++s) {
      line1g_[s] = file.Amount(kConstantsSection, "Line 1g " + std::string(kStatusNames[s]));
      for (std::size_t k = 0; k < std::size(kTableKinds); ++k) {
        Table& t = tables_[s][k];
        t.name = std::string(kStatusNames[s]) + " " + std::string(kTableKinds[k]);
        t.rows = file.Table(t.name).Brackets();
      }
    }
    allowance_ = file.Amount(kConstantsSection, kAllowanceKey);
  }

  WithholdingMethod Method() const override { return WithholdingMethod::kWorksheet1A; }

  void Withhold(const PaycheckInputs& in, PaycheckWithholding& out) const override {
    detail::TrapFile("WithholdingYear.Withhold", [&] {
      const int periods = kFrequencies[FrequencyIndex(in.frequency)].periods;
      const bool newForm = in.form == W4Form::k2020OrLater;
      if (!newForm && in.form != W4Form::k2019OrEarlier)
        Raise(qel::err::kInvalidCall, "The Form W-4 kind " +
                                          std::to_string(static_cast<int>(in.form)) +
                                          " is neither 2020 or later (0) nor 2019 or earlier (1)");
      const auto status = static_cast<std::size_t>(in.status);
      if (newForm && status >= kStatusCount)
        Raise(qel::err::kInvalidCall,
              "The filing status " + std::to_string(status) +
                  " is none of single (0), joint (1), head of household (2)");
      const Table& table = newForm ? tables_[status][in.step2 ? 1 : 0]
                                   : tables_[in.single ? kSingleIndex : kMarriedIndex][0];
      Restart(out, WithholdingMethod::kWorksheet1A, table.name);

      // Step 1: the adjusted annual wage amount.
      out.line1a = in.wages;
      out.line1b = Currency::FromUnits(periods);
      out.line1c = out.line1a * out.line1b;
      if (newForm) {
        out.line1d = in.step4a;
        out.line1e = out.line1c + out.line1d;
        out.line1f = in.step4b;
        out.line1g = in.step2 ? Currency() : line1g_[status];
        out.line1h = out.line1f + out.line1g;
        out.line1i = NotBelowZero(out.line1e - out.line1h);
        out.line2a = out.line1i;
      } else {
        out.line1j = in.allowances;
        out.line1k = out.line1j * allowance_;
        out.line1l = NotBelowZero(out.line1c - out.line1k);
        out.line2a = out.line1l;
      }

      // Step 2: the tentative withholding, from the row whose amount the wages reach.
      const qel::TaxBracket* row = nullptr;
      for (const qel::TaxBracket& r : table.rows) {
        if (r.over > out.line2a) break;
        row = &r;
      }
      if (row != nullptr) {
        out.line2b = row->over;
        out.line2c = row->base;
        out.line2d = row->rate;
      }
      out.line2e = out.line2a - out.line2b;
      out.line2f = out.line2e * out.line2d;
      out.line2g = out.line2c + out.line2f;
      out.line2h = CentsOf(out.line2g, periods);

      // Step 3: tax credits (2020-or-later form only).
      if (newForm) {
        out.line3a = in.step3;
        out.line3b = CentsOf(out.line3a, periods);
      }
      out.line3c = NotBelowZero(out.line2h - out.line3b);

      // Step 4: the extra withholding.
      out.line4a = in.extra;
      out.line4b = out.line3c + out.line4a;
      out.beforeExtra = out.line3c;
      out.withholding = out.line4b;
    });
  }

 private:
  struct Table {
    std::string name;
    std::vector<qel::TaxBracket> rows;
  };
  Currency line1g_[kStatusCount];
  Currency allowance_;
  Table tables_[kStatusCount][std::size(kTableKinds)];
};

std::shared_ptr<const WithholdingYear> Read(int year, const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    Raise(qel::err::kFileNotFound, "File not found: table file " + path.string());
  const TableReader file(path.string());
  switch (file.Method()) {
    case WithholdingMethod::kAllowancePercentage:
      return std::make_shared<AllowanceYear>(year, file);
    case WithholdingMethod::kWorksheet1A:
      return std::make_shared<Worksheet1AYear>(year, file);
  }
  Raise(qel::err::kInvalidCall, "No method for " + file.Path());
}

// "wh<four digits>.tbl"; the year, or 0 for any other name.
int YearOfFileName(std::string_view name) {
  constexpr std::string_view kPrefix = "wh", kSuffix = ".tbl";
  if (name.size() != kPrefix.size() + 4 + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix))
    return 0;
  int year = 0;
  for (char c : name.substr(kPrefix.size(), 4)) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    year = year * 10 + (c - '0');
  }
  return year;
}

std::filesystem::path FileOfYear(int year) {
  return detail::LibraryFolder() / ("wh" + std::to_string(year) + ".tbl");
}

}  // namespace

int PeriodsPerYear(eFrequency frequency) {
  for (const Frequency& f : kFrequencies)
    if (f.frequency == frequency) return f.periods;
  return 0;
}

std::vector<int> AvailableYears() {
  std::vector<int> years;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(detail::LibraryFolder(), ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const int year = YearOfFileName(it->path().filename().string());
    std::error_code typeError;
    if (year != 0 && it->is_regular_file(typeError)) years.push_back(year);
  }
  std::sort(years.begin(), years.end());
  return years;
}

namespace {

[[noreturn]] void NoTablesFor(std::string_view year, const std::vector<int>& years) {
  Raise(qel::err::kInvalidCall,
        "No withholding tables for " + std::string(year) + ": " +
            (years.empty() ? "the folder " + detail::LibraryFolder().string() +
                                 " holds no table file of a year (wh<year>.tbl)."
                           : "tables are available for " + qel::YearRuns(years, "-") + "."));
}

}  // namespace

std::shared_ptr<const WithholdingYear> GetWithholdingYear(int year) {
  return detail::TrapFile("GetWithholdingYear", [&] {
    static std::mutex mutex;
    static std::map<int, std::shared_ptr<const WithholdingYear>> kept;
    const std::lock_guard<std::mutex> lock(mutex);
    if (auto found = kept.find(year); found != kept.end()) return found->second;
    const std::vector<int> years = AvailableYears();
    if (!std::binary_search(years.begin(), years.end(), year)) {
      NoTablesFor(std::to_string(year), years);
    }
    return kept.emplace(year, Read(year, FileOfYear(year))).first->second;
  });
}

std::shared_ptr<const WithholdingYear> GetWithholdingYear(double year, std::string_view asWritten) {
  if (year >= double{std::numeric_limits<int>::min()} &&
      year <= double{std::numeric_limits<int>::max()}) {
    return GetWithholdingYear(static_cast<int>(year));
  }
  return detail::TrapFile("GetWithholdingYear", [&]() -> std::shared_ptr<const WithholdingYear> {
    NoTablesFor(qel::TrimBlanks(asWritten), AvailableYears());
  });
}

std::shared_ptr<const WithholdingYear> ReadWithholdingYear(int year,
                                                           const std::filesystem::path& file) {
  return detail::TrapFile("ReadWithholdingYear", [&] { return Read(year, file); });
}

}  // namespace ostrand
