#include "qel/currency.h"

#include <charconv>

#include <cmath>
#include <limits>

#include "decimal.h"
#include "qel/error.h"
#include "qel/textnum.h"

namespace qel {

using detail::Int128;
using detail::UInt128;

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

[[noreturn]] void Overflow() {
  throw QelError(err::kOverflow, "");
}

// q = n / d rounded half to even (d > 0).
Int128 DivideHalfEven(Int128 n, Int128 d) {
  Int128 q = n / d;
  Int128 r = n % d;
  if (r < 0) r = -r;
  Int128 twice = 2 * r;
  if (twice > d || (twice == d && (q % 2 != 0))) q += n < 0 ? -1 : 1;
  return q;
}

std::int64_t Checked(Int128 v) {
  if (v > kMax || v < kMin) Overflow();
  return static_cast<std::int64_t>(v);
}

}  // namespace

Currency Currency::FromUnits(std::int64_t units) {
  return Currency(Checked(static_cast<Int128>(units) * kScale));
}

Currency Currency::FromDouble(double value) {
  if (!std::isfinite(value)) Overflow();
  if (std::fabs(value) >= 1e15) Overflow();  // 922,337,203,685,477.5807 is the largest amount
  return Currency(detail::CurrencyRaw(detail::DecimalFromDouble(value)));
}

Currency Currency::Rounded(int decimals) const {
  if (decimals < 0 || decimals > 4)
    throw QelError(err::kInvalidCall, "", "Currency can be rounded to 0 to 4 decimals");
  Int128 unit = 1;
  for (int i = decimals; i < 4; ++i) unit *= 10;
  return Currency(Checked(DivideHalfEven(raw_, unit) * unit));
}

Currency Currency::Truncated() const {
  return Currency(raw_ - raw_ % kScale);
}

std::string Currency::ToPlainText() const {
  UInt128 m =
      raw_ < 0 ? static_cast<UInt128>(-static_cast<Int128>(raw_)) : static_cast<UInt128>(raw_);
  auto whole = static_cast<std::uint64_t>(m / kScale);
  auto frac = static_cast<unsigned>(m % kScale);
  char buf[24];
  char* end = std::to_chars(buf, buf + sizeof buf, whole).ptr;
  std::string text;
  text.reserve(32);
  if (raw_ < 0) text += '-';
  text.append(buf, end);
  if (frac != 0) {
    char digits[4];
    for (int i = 3; i >= 0; --i, frac /= 10) digits[i] = static_cast<char>('0' + frac % 10);
    int n = 4;
    while (digits[n - 1] == '0') --n;
    text += CurrentSeparatorsRef().decimal;
    text.append(digits, static_cast<std::size_t>(n));
  }
  return text;
}

Currency Currency::operator-() const {
  if (raw_ == kMin) Overflow();
  return Currency(-raw_);
}

Currency Currency::operator+(Currency other) const {
  std::int64_t r = 0;
  if (__builtin_add_overflow(raw_, other.raw_, &r)) Overflow();
  return Currency(r);
}

Currency Currency::operator-(Currency other) const {
  std::int64_t r = 0;
  if (__builtin_sub_overflow(raw_, other.raw_, &r)) Overflow();
  return Currency(r);
}

Currency Currency::operator*(Currency other) const {
  Int128 product = static_cast<Int128>(raw_) * other.raw_;
  return Currency(Checked(DivideHalfEven(product, kScale)));
}

Currency Cur(const char* invariantText) {
  return InvariantCurrency(invariantText);
}

}  // namespace qel
