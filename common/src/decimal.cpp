#include "decimal.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "qel/error.h"
#include "qel/text.h"

namespace qel::detail {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t DigitRun(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && IsDigit(s[n])) ++n;
  return n;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return !prefix.empty() && s.substr(0, prefix.size()) == prefix;
}

// Parses "d.ddde[+-]x" as written by to_chars in scientific form.
Decimal FromScientific(std::string_view s) {
  Decimal d;
  if (!s.empty() && s.front() == '-') {
    d.negative = true;
    s.remove_prefix(1);
  }
  std::size_t e = s.find('e');
  std::string_view mant = s.substr(0, e);
  int exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view ex = s.substr(e + 1);
    if (!ex.empty() && ex.front() == '+') ex.remove_prefix(1);
    std::from_chars(ex.data(), ex.data() + ex.size(), exponent);
  }
  std::string digits;
  for (char c : mant)
    if (IsDigit(c)) digits += c;
  // value = 0.digits... x 10^(exponent + 1) with the point after the first digit.
  int point = exponent + 1;  // digits before the decimal point
  if (point <= 0) {
    d.frac = std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    d.whole = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    d.whole = digits.substr(0, static_cast<std::size_t>(point));
    d.frac = digits.substr(static_cast<std::size_t>(point));
  }
  d.Normalize();
  return d;
}

}  // namespace

bool Decimal::IsZero() const {
  for (char c : whole)
    if (c != '0') return false;
  for (char c : frac)
    if (c != '0') return false;
  return true;
}

void Decimal::Normalize() {
  std::size_t lead = whole.find_first_not_of('0');
  whole.erase(0, lead == std::string::npos ? whole.size() : lead);
  std::size_t trail = frac.find_last_not_of('0');
  frac.erase(trail == std::string::npos ? 0 : trail + 1);
}

bool ParseUserNumber(std::string_view text, const NumberSeparators& seps, Decimal& out) {
  std::string_view s = TrimBlanks(text);
  Decimal d;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    d.negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // A no-break space as thousands separator: a plain blank typed in its place is accepted too.
  std::string_view altThousands;
  if (seps.thousands == "\xC2\xA0" || seps.thousands == "\xE2\x80\xAF") altThousands = " ";

  std::size_t run = DigitRun(s);
  d.whole.assign(s.substr(0, run));
  s.remove_prefix(run);
  bool grouped = false;
  bool groupsOk = run >= 1 && run <= 3;
  while (!s.empty()) {
    std::size_t sepLen = 0;
    if (StartsWith(s, seps.decimal)) break;
    if (StartsWith(s, seps.thousands))
      sepLen = seps.thousands.size();
    else if (StartsWith(s, altThousands))
      sepLen = altThousands.size();
    if (sepLen == 0 || d.whole.empty()) break;
    std::size_t group = DigitRun(s.substr(sepLen));
    if (group != 3) return false;
    grouped = true;
    d.whole.append(s.substr(sepLen, 3));
    s.remove_prefix(sepLen + 3);
  }
  if (grouped && !groupsOk) return false;
  d.grouped = grouped;
  if (StartsWith(s, seps.decimal)) {
    d.point = true;
    s.remove_prefix(seps.decimal.size());
    std::size_t fracRun = DigitRun(s);
    d.frac.assign(s.substr(0, fracRun));
    s.remove_prefix(fracRun);
  }
  if (!s.empty()) return false;
  if (d.whole.empty() && d.frac.empty()) return false;
  out = std::move(d);
  return true;
}

bool ParseInvariantNumber(std::string_view text, Decimal& out) {
  static const NumberSeparators kInvariant{".", ""};
  std::string_view s = TrimBlanks(text);
  // No thousands separators at all: the user parser with an empty separator never groups.
  return ParseUserNumber(s, kInvariant, out);
}

Decimal DecimalFromDouble(double value) {
  char buf[64];
  std::to_chars_result r;
  if (std::fabs(value) < 1e11) {
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  } else {
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  }
  return FromScientific(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

bool ScaledHalfEven(const Decimal& d, int decimals, UInt128 limit, UInt128& magnitude) {
  std::size_t lead = d.whole.find_first_not_of('0');
  std::string_view whole =
      lead == std::string::npos ? std::string_view() : std::string_view(d.whole).substr(lead);
  // 10^36 < 2^127: more digits than that can only be an overflow of any limit used here.
  if (whole.size() + static_cast<std::size_t>(decimals) > 36) return false;
  UInt128 v = 0;
  for (char c : whole) v = v * 10 + static_cast<unsigned>(c - '0');
  for (int i = 0; i < decimals; ++i) {
    std::size_t idx = static_cast<std::size_t>(i);
    v = v * 10 + (idx < d.frac.size() ? static_cast<unsigned>(d.frac[idx] - '0') : 0u);
  }
  std::size_t cut = static_cast<std::size_t>(decimals);
  if (cut < d.frac.size()) {
    char first = d.frac[cut];
    bool restNonZero = d.frac.find_first_not_of('0', cut + 1) != std::string::npos;
    if (first > '5' || (first == '5' && (restNonZero || (v & 1) != 0))) ++v;
  }
  if (v > limit) return false;
  magnitude = v;
  return true;
}

Decimal RoundedAwayFromZero(const Decimal& d, int decimals) {
  std::size_t n = static_cast<std::size_t>(decimals);
  Decimal r;
  r.negative = d.negative;
  std::string digits = d.whole;
  std::string frac = d.frac;
  bool up = frac.size() > n && frac[n] >= '5';
  frac.resize(n, '0');
  digits += frac;
  if (up) {
    std::size_t i = digits.size();
    while (i > 0) {
      --i;
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
      if (i == 0) {
        digits.insert(digits.begin(), '1');
        break;
      }
    }
    if (digits.empty()) digits = "1";  // only possible when decimals == 0 and whole empty
  }
  std::size_t wholeLen = digits.size() - n;
  r.whole = digits.substr(0, wholeLen);
  r.frac = digits.substr(wholeLen);
  std::size_t lead = r.whole.find_first_not_of('0');
  r.whole.erase(0, lead == std::string::npos ? r.whole.size() : lead);
  return r;
}

Decimal Shifted(const Decimal& d, int places) {
  Decimal r = d;
  std::size_t n = static_cast<std::size_t>(places);
  std::string frac = r.frac;
  if (frac.size() < n) frac.resize(n, '0');
  r.whole += frac.substr(0, n);
  r.frac = frac.substr(n);
  return r;
}

std::int64_t CurrencyRaw(const Decimal& d) {
  const UInt128 maxPositive = std::numeric_limits<std::int64_t>::max();
  UInt128 m = 0;
  if (!ScaledHalfEven(d, 4, maxPositive + 1, m) || (!d.negative && m > maxPositive))
    throw QelError(err::kOverflow, "");
  if (d.negative)
    return m == maxPositive + 1 ? std::numeric_limits<std::int64_t>::min()
                                : -static_cast<std::int64_t>(m);
  return static_cast<std::int64_t>(m);
}

}  // namespace qel::detail
