#include "payroll.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ostrand/paycheck.h"
#include "qel/batch.h"
#include "qel/error.h"
#include "qel/text.h"

namespace paystave {
namespace {

using qel::AppendCsvField;
using qel::Currency;

// The input columns, found by header name in any order.
enum Column : std::size_t {
  kId,
  kYear,
  kFrequency,
  kWages,
  kForm,
  kStatus,
  kStep2,
  kStep3,
  kStep4a,
  kStep4b,
  kExtra,
  kAllowances,
  kColumnCount
};
struct ColumnSpec {
  std::string_view name;
  bool required;
  std::string_view help;
};
constexpr ColumnSpec kColumns[kColumnCount] = {
    {"id", true, "the employee or pay check, copied to the output"},
    {"year", true, "the tax year of the pay date"},
    {"frequency", true, "weekly, biweekly, semimonthly, monthly or annually"},
    {"wages", true, "the wages of this pay period"},
    {"form", false, "the Form W-4: 2020 (2020 or later, the default) or 2019 (2019 or earlier)"},
    {"status", false, "single (the default), married or head (single on a 2019 form, in 2005)"},
    {"step2", false, "1 when the Step 2 box is checked, else 0"},
    {"step3", false, "Step 3, the year's credits"},
    {"step4a", false, "Step 4(a), the year's other income"},
    {"step4b", false, "Step 4(b), the year's deductions"},
    {"extra", false, "Step 4(c), or the additional withholding of a 2019 form, per pay period"},
    {"allowances", false, "the allowances of a 2019 form (and for 2005), a whole number"},
};

struct FrequencyName {
  std::string_view name;
  ostrand::eFrequency frequency;
};
constexpr FrequencyName kFrequencies[] = {{"weekly", ostrand::weekly},
                                          {"biweekly", ostrand::biweekly},
                                          {"semimonthly", ostrand::semimonthly},
                                          {"monthly", ostrand::monthly},
                                          {"annually", ostrand::annually}};

// A status names the filing status of a 2020-or-later form and the rate of an earlier form.
struct StatusName {
  std::string_view name;
  ostrand::W4Status status;
  bool single;
};
constexpr StatusName kStatuses[] = {{"single", ostrand::W4Status::kSingleOrSeparate, true},
                                    {"married", ostrand::W4Status::kJoint, false},
                                    {"head", ostrand::W4Status::kHeadOfHousehold, true}};

struct FormName {
  std::string_view name;
  ostrand::W4Form form;
};
constexpr FormName kForms[] = {{"2020", ostrand::W4Form::k2020OrLater},
                               {"2019", ostrand::W4Form::k2019OrEarlier}};

template <typename Names>
std::string NameList(const Names& names) {
  std::string list;
  for (const auto& n : names) list += (list.empty() ? "" : ", ") + std::string(n.name);
  return list;
}

// The entry of `names` spelled `text` (any letter case), or nullptr.
template <typename Names>
auto Named(const Names& names, std::string_view text) -> decltype(&names[0]) {
  for (const auto& n : names)
    if (n.name == text) return &n;  // as usually written
  for (const auto& n : names)
    if (qel::EqualsIgnoreCase(n.name, text)) return &n;
  return nullptr;
}

// An amount: digits with an optional point and up to four decimals, not negative. Empty text is
// zero.
bool ParseAmount(std::string_view text, Currency& value, std::string& problem,
                 std::string_view column) {
  const char* why = qel::ParseBatchAmount(text, value);
  if (why == nullptr && value < Currency()) why = "is negative";
  if (why == nullptr) return true;
  problem = std::string(column) + " " + std::string(text) + " " + why;
  return false;
}

// Each year's tables, or why there are none, looked up once per run.
class Years {
 public:
  const ostrand::WithholdingYear* Find(int year, std::string& problem) {
    auto found = years_.find(year);
    if (found == years_.end()) {
      Entry entry;
      try {
        entry.tables = ostrand::GetWithholdingYear(year);
      } catch (const qel::QelError& e) {
        qel::ThrowIfOutOfMemory(e);
        entry.problem = e.description();
      }
      found = years_.emplace(year, std::move(entry)).first;
    }
    if (!found->second.tables) problem = found->second.problem;
    return found->second.tables.get();
  }

 private:
  struct Entry {
    std::shared_ptr<const ostrand::WithholdingYear> tables;
    std::string problem;
  };
  std::unordered_map<int, Entry> years_;
};

// Where the columns are, from the header line.
struct Layout {
  static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
  std::array<std::size_t, kColumnCount> index{};
  std::size_t width = 0;
};

Layout ReadHeader(const CsvRecord& header) {
  if (!header.error.empty())
    throw InputError("line " + std::to_string(header.line) +
                     ": the header is malformed: " + header.error);
  Layout layout;
  layout.index.fill(Layout::kAbsent);
  layout.width = header.fields.size();
  for (std::size_t i = 0; i < layout.width; ++i) {
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      if (!qel::EqualsIgnoreCase(qel::TrimBlanks(header.fields[i]), kColumns[c].name)) continue;
      if (layout.index[c] != Layout::kAbsent)
        throw InputError("the column \"" + std::string(kColumns[c].name) + "\" appears twice");
      layout.index[c] = i;
    }
  }
  std::string missing;
  for (std::size_t c = 0; c < kColumnCount; ++c)
    if (kColumns[c].required && layout.index[c] == Layout::kAbsent)
      missing += (missing.empty() ? "" : ", ") + std::string(kColumns[c].name);
  if (!missing.empty()) throw InputError("the header lacks the required column(s) " + missing);
  return layout;
}

// The rows of one worker.
class Payroll : public qel::BatchRows {
 public:
  explicit Payroll(const Layout& layout) : layout_(layout) {}

  // One output row for the input row; false when the row is bad.
  bool Row(const CsvRecord& row, std::string& text, std::string& problems) override {
    problem_.clear();
    const bool ok = Compute(row);
    AppendCsvField(text, Raw(row, kId));
    text += ',';
    if (ok) {
      qel::AppendBatchAmount(text, result_.withholding);
      text += ',';
      AppendCsvField(text, result_.table);
      text += ',';
      if (result_.method == ostrand::WithholdingMethod::kWorksheet1A) {
        qel::AppendBatchAmount(text, result_.line2a);
        text += ',';
        qel::AppendBatchAmount(text, result_.line2g);
      } else {
        text += ',';
      }
    } else {
      text += ",,,";
      const std::string_view id = Raw(row, kId);
      problems += "paystave: line " + std::to_string(row.line);
      if (!id.empty()) problems += " (id " + qel::EscapedControls(id) + ")";
      problems += ": " + qel::EscapedControls(problem_) + "\n";
    }
    text += '\n';
    return ok;
  }

 private:
  // The field as it is (the id), or without blanks around it (every value read).
  std::string_view Raw(const CsvRecord& row, Column c) const {
    const std::size_t i = layout_.index[c];
    return i < row.fields.size() ? row.fields[i] : std::string_view();
  }
  std::string_view Field(const CsvRecord& row, Column c) const {
    const std::string_view raw = Raw(row, c);
    const auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
    // Most fields have no blank around them.
    if (raw.empty() || (!blank(raw.front()) && !blank(raw.back()))) return raw;
    return qel::TrimBlanks(raw);
  }

  bool Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  bool Compute(const CsvRecord& row) {
    if (!row.error.empty()) return Fail(row.error);
    if (row.fields.size() != layout_.width)
      return Fail("the row has " + std::to_string(row.fields.size()) +
                  " fields where the header has " + std::to_string(layout_.width));
    for (std::size_t c = 0; c < kColumnCount; ++c)
      if (kColumns[c].required && Field(row, static_cast<Column>(c)).empty())
        return Fail(std::string(kColumns[c].name) + " is empty");

    const std::string_view yearText = Field(row, kYear);
    int year = 0;
    const auto [end, error] = std::from_chars(yearText.begin(), yearText.end(), year);
    if (error != std::errc() || end != yearText.end() || yearText.front() == '-')
      return Fail("year \"" + std::string(yearText) + "\" is not a year");

    ostrand::PaycheckInputs& in = inputs_;
    in = ostrand::PaycheckInputs();
    const FrequencyName* frequency = Named(kFrequencies, Field(row, kFrequency));
    if (frequency == nullptr)
      return Fail("unknown frequency \"" + std::string(Field(row, kFrequency)) + "\" (" +
                  NameList(kFrequencies) + ")");
    in.frequency = frequency->frequency;

    const std::string_view statusText = Field(row, kStatus);
    const StatusName* status = statusText.empty() ? &kStatuses[0] : Named(kStatuses, statusText);
    if (status == nullptr)
      return Fail("unknown status \"" + std::string(statusText) + "\" (" + NameList(kStatuses) +
                  ")");
    in.status = status->status;
    in.single = status->single;

    const std::string_view formText = Field(row, kForm);
    const FormName* form = formText.empty() ? &kForms[0] : Named(kForms, formText);
    if (form == nullptr)
      return Fail("form \"" + std::string(formText) + "\" is not one of " + NameList(kForms));
    in.form = form->form;

    const std::string_view step2 = Field(row, kStep2);
    if (step2 != "" && step2 != "0" && step2 != "1")
      return Fail("step2 \"" + std::string(step2) + "\" is neither 0 nor 1");
    in.step2 = step2 == "1";

    const struct {
      Column column;
      Currency* value;
    } amounts[] = {{kWages, &in.wages},   {kStep3, &in.step3}, {kStep4a, &in.step4a},
                   {kStep4b, &in.step4b}, {kExtra, &in.extra}, {kAllowances, &in.allowances}};
    for (const auto& a : amounts)
      if (!ParseAmount(Field(row, a.column), *a.value, problem_, kColumns[a.column].name))
        return false;
    if (in.allowances.HasFraction())
      return Fail("allowances " + std::string(Field(row, kAllowances)) + " is not a whole number");

    const ostrand::WithholdingYear* tables = years_.Find(year, problem_);
    if (tables == nullptr) return false;
    try {
      tables->Withhold(in, result_);
    } catch (const qel::QelError& e) {
      qel::ThrowIfOutOfMemory(e);
      return Fail(e.description());
    }
    return true;
  }

  const Layout layout_;
  Years years_;
  ostrand::PaycheckInputs inputs_;
  ostrand::PaycheckWithholding result_;
  std::string problem_;
};

}  // namespace

std::string ColumnHelp() {
  std::string help;
  for (const ColumnSpec& c : kColumns) {
    std::string line = "  " + std::string(c.name);
    line.resize(14, ' ');
    help += line + std::string(c.help) + (c.required ? " (required)" : "") + "\n";
  }
  return help;
}

long RunPayroll(CsvReader& input, Output& output, std::ostream& problems, unsigned jobs) {
  CsvRecord record;
  if (!input.Next(record)) throw InputError("the input is empty: it needs a header line");
  const Layout layout = ReadHeader(record);
  output.Text().append(kOutputColumns);
  output.Text() += '\n';
  const qel::BatchCounts counts = qel::RunBatch(
      input, jobs, [&] { return std::make_unique<Payroll>(layout); },
      [&](std::string_view out, std::string_view trouble) {
        output.Text().append(out);
        output.Flushed();
        problems << trouble;
      });
  return counts.bad;
}

}  // namespace paystave
