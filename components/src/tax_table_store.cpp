#include "qel/tax_table_store.h"

#include "file_cache.h"
#include "qel/error.h"

namespace qel {

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
  constexpr const char* kSource = "TaxTableStore.LoadSection";
  loaded_ = false;
  brackets_.clear();
  cache::Lookup found = cache::Get(path_);
  if (found.status == cache::Status::kMissing)
    throw QelError(err::kFileNotFound, kSource, "File not found: table file " + path_);
  if (found.status == cache::Status::kUnreadable)
    throw QelError(err::kPathFileAccess, kSource,
                   "Cannot read table file " + path_ + ": " + found.problem);
  if (!found.file->problem.empty())
    throw QelError(err::kPathFileAccess, kSource,
                   "The table file " + path_ + " is not a file of sections and keys (" +
                       found.file->problem + ")");
  std::shared_ptr<const cache::RateTable> table = found.file->Table(path_, section_);
  if (table->error != 0) throw QelError(table->error, kSource, table->description);
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
