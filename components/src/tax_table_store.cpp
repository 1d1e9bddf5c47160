#include "qel/tax_table_store.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "data_file.h"
#include "qel/error.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace qel {

namespace {

constexpr const char* kLoadSource = "TaxTableStore.LoadSection";

// A rate table parsed from a section, or the reason it could not be.
struct RateTable {
  std::vector<TaxBracket> brackets;
  std::string problem;  // empty when the table is sound
};

// The rate rows of a section: "BracketN=over base percent", N = 1, 2, ... without gaps, floors
// rising, percents with at most two decimals.
std::shared_ptr<const RateTable> ParseTable(const std::string& path, const files::ParsedFile& file,
                                            std::string_view sectionName) {
  auto table = std::make_shared<RateTable>();
  std::string where = "table file " + path + ", section [" + std::string(sectionName) + "]";
  auto fail = [&](const std::string& what) {
    table->problem = what + " in " + where;
    table->brackets.clear();
    return table;
  };
  const files::Section* section = file.Find(sectionName);
  if (section == nullptr || qel::TrimBlanks(sectionName).empty())
    return fail("The section does not exist");
  for (std::size_t n = 1;; ++n) {
    std::string bracket = "Bracket" + std::to_string(n);
    auto it = section->values.find("bracket" + std::to_string(n));
    if (it == section->values.end()) break;
    std::string_view row = it->second;
    std::string_view fields[3];
    std::size_t count = 0;
    while (true) {
      row = qel::TrimBlanks(row);
      if (row.empty()) break;
      std::size_t end = row.find_first_of(" \t");
      if (count == 3) return fail(bracket + " has more than three numbers");
      fields[count++] = row.substr(0, end);
      row.remove_prefix(end == std::string_view::npos ? row.size() : end);
    }
    if (count != 3) return fail(bracket + " is not three numbers (over, base, percent)");
    TaxBracket b;
    Currency percent;
    try {
      b.over = InvariantCurrency(fields[0]);
      b.base = InvariantCurrency(fields[1]);
      percent = InvariantCurrency(fields[2]);
    } catch (const QelError&) {
      return fail(bracket + " holds text that is not a number");
    }
    if (percent.raw() % 100 != 0 || percent.raw() < 0)
      return fail(bracket + " has a percent that is negative or has more than two decimals");
    b.rate = Currency::FromRaw(percent.raw() / 100);
    if (!table->brackets.empty() && !(table->brackets.back().over < b.over))
      return fail(bracket + " does not start above the bracket before it");
    table->brackets.push_back(b);
  }
  // Any bracket key beyond the run found (a gap such as Bracket1, Bracket3) is an error.
  for (const auto& [key, value] : section->values) {
    if (key.size() > 7 && key.compare(0, 7, "bracket") == 0) {
      std::string digits = key.substr(7);
      if (digits.find_first_not_of("0123456789") == std::string::npos &&
          (digits.size() > 6 || std::stoul(digits) > table->brackets.size() ||
           digits.front() == '0'))
        return fail("Bracket rows are not numbered 1, 2, 3, ... without gaps");
    }
  }
  if (table->brackets.empty()) return fail("The section holds no bracket");
  return table;
}

// Tables parsed from a reading of a file are kept as long as that reading is: a table file, kept
// for the run, is parsed once per section.
struct Memo {
  std::weak_ptr<const files::ParsedFile> file;
  std::shared_ptr<const RateTable> table;
};
std::mutex gMemoMutex;
std::unordered_map<std::string, Memo> gMemo;  // path NUL folded section -> table
constexpr std::size_t kMaxMemo = 256;

std::shared_ptr<const RateTable> Table(const std::string& path,
                                       const std::shared_ptr<const files::ParsedFile>& file,
                                       std::string_view section) {
  std::string key = path;
  key += '\0';
  key += qel::FoldedAscii(qel::TrimBlanks(section));
  {
    std::lock_guard<std::mutex> lock(gMemoMutex);
    auto it = gMemo.find(key);
    if (it != gMemo.end() && it->second.file.lock() == file) return it->second.table;
  }
  std::shared_ptr<const RateTable> table = ParseTable(path, *file, section);
  std::lock_guard<std::mutex> lock(gMemoMutex);
  if (gMemo.size() >= kMaxMemo) gMemo.clear();
  gMemo[key] = Memo{file, table};
  return table;
}

}  // namespace

void TaxTableStore::SetTableFile(std::string_view path) {
  path_ = std::string(path);
  loaded_ = false;
}

void TaxTableStore::SelectSection(std::string_view section) {
  section_ = std::string(section);
  loaded_ = false;
}

void TaxTableStore::SetAmount(Currency amount) {
  amount_ = amount;
}

void TaxTableStore::LoadSection() {
  loaded_ = false;
  brackets_.clear();
  files::Reading reading = files::Read(path_);
  if (reading.status == files::Reading::kMissing)
    throw QelError(err::kFileNotFound, kLoadSource, "File not found: table file " + path_);
  if (reading.status == files::Reading::kFailed)
    throw QelError(err::kPathFileAccess, kLoadSource,
                   "The table file " + path_ + " " + reading.problem);
  std::shared_ptr<const RateTable> table = Table(path_, reading.file, section_);
  if (!table->problem.empty()) throw QelError(err::kInvalidCall, kLoadSource, table->problem);
  brackets_ = table->brackets;
  loaded_ = true;
}

Currency TaxTableStore::LookupTax(Currency amount) const {
  if (!loaded_)
    throw QelError(err::kInvalidCall, "TaxTableStore.LookupTax",
                   "No table is loaded: call LoadSection first");
  // The last bracket whose floor lies below the amount.
  const TaxBracket* bracket = nullptr;
  for (const TaxBracket& b : brackets_) {
    if (b.over < amount)
      bracket = &b;
    else
      break;
  }
  if (bracket == nullptr) return Currency();
  try {
    return bracket->base + bracket->rate * (amount - bracket->over);
  } catch (const QelError& e) {
    throw QelError(e.number(), "TaxTableStore.LookupTax", e.description());
  }
}

}  // namespace qel
