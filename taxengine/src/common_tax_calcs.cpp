// Small shared procedures: differences not below zero, smaller or larger of two amounts, and the
// naming of the rate files and tables.
#include <map>
#include <memory>
#include <unordered_map>

#include "calcs.h"
#include "qel/module_path.h"
#include "qel/tax_table_store.h"

namespace fennick::CommonTaxCalcs {

const std::string& LibraryFolder() {
  static const std::string folder =
      qel::ModuleFolder(reinterpret_cast<const void*>(&GetRateFile)).string();
  return folder;
}

// A plain file name in the library's folder (joined as text: a path object per lookup costs more
// than the lookup).
std::string InLibraryFolder(std::string_view fileName) {
  const std::string& folder = LibraryFolder();
  std::string path;
  path.reserve(folder.size() + 1 + fileName.size());
  path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += fileName;
  return path;
}

Currency SubtractNotZero(Currency a, Currency b) {
  return Describe("CommonTaxCalcs.SubtractNotZero", [&] {
    Currency difference = b - a;
    return difference < Currency() ? Currency() : difference;
  });
}

Currency MinOrMax(Currency a, Currency b, bool wantMaximum) {
  if (wantMaximum) return a > b ? a : b;
  return a < b ? a : b;
}

std::string GetRateTable(std::int32_t filingStatus) {
  switch (filingStatus) {
    case fl_single:
      return "Schedule X";
    case fl_joint:
    case fl_qual_widow:
      return "Schedule Y-1";
    case fl_mar_sep:
      return "Schedule Y-2";
    case fl_head_household:
      return "Schedule Z";
    default:
      return "";
  }
}

const std::string& GetRateFile(int year) {
  return Keep("CommonTaxCalcs.GetRateFile", [&]() -> const std::string& {
    // The paths of the years present are made once: every computation looks up a rate table
    // several times.
    static const std::map<int, std::string> present = [] {
      std::map<int, std::string> paths;
      for (int y : AvailableYears()) paths[y] = InLibraryFolder("Ind" + std::to_string(y) + ".tbl");
      return paths;
    }();
    if (auto it = present.find(year); it != present.end()) return it->second;
    thread_local std::string other;
    other = InLibraryFolder("Ind" + std::to_string(year) + ".tbl");
    return other;
  });
}

Currency LookupTable(const std::string& file, const std::string& section, Currency amount) {
  // A table file stays as first read for the rest of the run (the table store keeps it), so each
  // thread keeps the tables it has loaded instead of loading them again for every lookup. Only a
  // table that loaded is kept: a failure is met again on the next lookup.
  thread_local std::unordered_map<std::string, std::unique_ptr<qel::TaxTableStore>> loaded;
  thread_local std::string key;
  key = file;
  key += '\0';
  key += section;
  auto it = loaded.find(key);
  if (it == loaded.end()) {
    auto store = std::make_unique<qel::TaxTableStore>();
    store->SetTableFile(file);
    store->SelectSection(section);
    store->SetAmount(amount);
    store->LoadSection();
    it = loaded.emplace(key, std::move(store)).first;
  }
  return it->second->LookupTax(amount);
}

}  // namespace fennick::CommonTaxCalcs
