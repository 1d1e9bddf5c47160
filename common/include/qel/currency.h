// The currency type: a signed 64-bit integer holding an amount times 10,000.
//
// All money arithmetic of both engine libraries is done in it. Addition and subtraction are
// exact; multiplication is rounded to four decimals, halves to even; conversion from double is
// rounded to four decimals, halves to even. Results outside the 64-bit range raise error 6.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace qel {

class Currency {
 public:
  static constexpr std::int64_t kScale = 10000;

  constexpr Currency() = default;

  static constexpr Currency FromRaw(std::int64_t raw) { return Currency(raw); }
  // Whole units (dollars); raises 6 when out of range.
  static Currency FromUnits(std::int64_t units);
  // Rounded to four decimals, halves to even; raises 6 when out of range or not finite.
  // The double is taken as the decimal number its 15 significant digits spell (the precision a
  // double carries; its shortest exact digits from 10^11 up), so 0.00005 is a half and rounds to
  // 0, and arithmetic noise such as 0.1 + 0.2 reads as 0.3.
  static Currency FromDouble(double value);

  constexpr std::int64_t raw() const { return raw_; }
  double ToDouble() const { return static_cast<double>(raw_) / kScale; }

  // Rounded to `decimals` (0 to 4) places, halves to even: the runtime's Round.
  Currency Rounded(int decimals = 0) const;
  // Toward zero to a whole number of units (the integer part).
  Currency Truncated() const;
  bool HasFraction() const { return raw_ % kScale != 0; }

  // The plain text of the value: no thousands separators, up to four decimals with trailing
  // zeros removed, the decimal separator of the user's locale ("1234.5", "-0.0001", "0").
  std::string ToPlainText() const;

  Currency operator-() const;
  Currency operator+(Currency other) const;
  Currency operator-(Currency other) const;
  // Product rounded to four decimals, halves to even.
  Currency operator*(Currency other) const;
  Currency& operator+=(Currency other) { return *this = *this + other; }
  Currency& operator-=(Currency other) { return *this = *this - other; }

  friend constexpr bool operator==(Currency, Currency) = default;
  friend constexpr auto operator<=>(Currency, Currency) = default;

 private:
  constexpr explicit Currency(std::int64_t raw) : raw_(raw) {}
  std::int64_t raw_ = 0;
};

// Shorthand for literals in code and tests: Cur("1234.5") (invariant syntax, '.' decimal).
Currency Cur(const char* invariantText);

}  // namespace qel
