// TaxTableStore: evaluates a rate table of a table file.
//
// A table is a section of a table file (the KeyedDataFile syntax). Each bracket is one key
// "Bracket1", "Bracket2", ... in ascending order, whose value is three invariant numbers
// separated by blanks: the amount the bracket starts over, the base tax at that amount, and the
// rate in percent on the excess:
//
//   [Single wk]
//   Bracket1=51 0.00 10
//   Bracket2=188 13.70 15
//
// The percent has at most two decimals (so the rate is exact in currency); brackets must be
// numbered without gaps and their floors must rise. A table file (a name ending in ".tbl") is
// read on first use and kept, with its parsed tables, for the rest of the run: the tables stay
// fixed until the program runs again (or a save through this process replaces the file). A file
// of another name is read afresh by every LoadSection.
//
// LookupTax(x) is the base tax of x's bracket plus the rate times (x - the bracket's floor),
// where x's bracket is the last one whose floor is below x; 0 for an amount at or below the first
// floor (negative amounts included). The product is rounded to four decimals, halves to even.
//
// Call orders used: SetTableFile, SelectSection, SetAmount(x), LoadSection, LookupTax(x); or
// SetTableFile, SelectSection, LoadSection, SetAmount(x), LookupTax(x).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qel/currency.h"

namespace qel {

struct TaxBracket {
  Currency over;  // the bracket applies to amounts above this
  Currency base;  // tax at `over`
  Currency rate;  // fraction, 0.15 for 15%
};

class TaxTableStore {
 public:
  static constexpr std::string_view kClassId = "{AE3BC0D4-2FA1-11D6-B1D1-006008925D09}";

  void SetTableFile(std::string_view path);
  void SelectSection(std::string_view section);
  void SetAmount(Currency amount);
  // Reads the selected section. Raises 53 when the file does not exist, 75 when it cannot be read,
  // is not a regular file, is larger than 1 MiB or is malformed, 5 when the section is missing,
  // holds no bracket, or a bracket row is not three numbers in ascending order (every message names
  // the file and section). LookupTax before a successful LoadSection raises 5; an amount whose tax
  // overflows raises 6.
  void LoadSection();
  Currency LookupTax(Currency amount) const;

  const std::vector<TaxBracket>& Brackets() const { return brackets_; }

 private:
  std::string path_;
  std::string section_;
  Currency amount_;
  std::vector<TaxBracket> brackets_;
  bool loaded_ = false;
};

}  // namespace qel
