// Exact decimal numbers as digit strings: the common ground of text parsing, currency conversion
// and format patterns. Internal to qel_common.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qel/textnum.h"

namespace qel::detail {

// 128-bit intermediates for products and digit accumulation (a compiler extension).
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// sign, integer digits and fraction digits of a number as written (no separators).
struct Decimal {
  bool negative = false;
  std::string whole;  // may be empty (".5") and may have leading zeros
  std::string frac;   // may have trailing zeros
  // How the text wrote it (set by ParseUserNumber): with thousands separators, with a decimal
  // separator.
  bool grouped = false;
  bool point = false;

  bool IsZero() const;
  // Drops leading zeros of the whole part and trailing zeros of the fraction.
  void Normalize();
};

// Text as a user types it, with the given separators (blanks around the number, optional sign,
// thousands separators grouped by three before the decimal separator). False when not a number.
bool ParseUserNumber(std::string_view text, const NumberSeparators& seps, Decimal& out);

// "-123.45" style: optional blanks around, optional sign, '.' decimal, no separators.
bool ParseInvariantNumber(std::string_view text, Decimal& out);

// The decimal reading of a finite double: its 15 significant digits (the precision a double
// carries), or its shortest round-trip digits when 15 digits cannot hold four decimals.
Decimal DecimalFromDouble(double value);

// Rounds |d| x 10^decimals to an integer, halves to even. Returns false when the magnitude
// exceeds `limit`.
bool ScaledHalfEven(const Decimal& d, int decimals, UInt128 limit, UInt128& magnitude);

// Rounds to `decimals` places, halves away from zero, exactly on the digits. The result has
// exactly `decimals` fraction digits and no leading zeros in the whole part (possibly empty).
Decimal RoundedAwayFromZero(const Decimal& d, int decimals);

// Multiplies by 10^places (moves the decimal point right).
Decimal Shifted(const Decimal& d, int places);

// Currency raw value (amount x 10,000) of a decimal, halves to even; raises 6 when out of range.
std::int64_t CurrencyRaw(const Decimal& d);

}  // namespace qel::detail
