#include "qel/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "decimal.h"
#include "qel/error.h"
#include "qel/textnum.h"

namespace qel {

using detail::Int128;
using detail::UInt128;

namespace {

// A numeric pattern: literal prefix, digit placeholders with optional grouping, decimals, suffix.
struct NumberPattern {
  std::string prefix;
  std::string suffix;
  bool grouping = false;
  bool percent = false;
  int minWhole = 0;     // '0' placeholders before the decimal point
  int minDecimals = 0;  // '0' placeholders after it
  int maxDecimals = 0;  // all placeholders after it
};

NumberPattern ParsePattern(std::string_view pattern) {
  NumberPattern p;
  std::size_t i = 0;
  while (i < pattern.size() && pattern[i] != '#' && pattern[i] != '0' && pattern[i] != '.')
    p.prefix += pattern[i++];
  bool afterPoint = false;
  for (; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '#' || c == '0') {
      if (afterPoint) {
        ++p.maxDecimals;
        if (c == '0') p.minDecimals = p.maxDecimals;
      } else if (c == '0') {
        ++p.minWhole;
      }
    } else if (c == ',' && !afterPoint) {
      p.grouping = true;
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
    } else {
      break;
    }
  }
  p.suffix = std::string(pattern.substr(i));
  p.percent = p.suffix.find('%') != std::string::npos;
  return p;
}

bool IsDatePattern(std::string_view pattern) {
  return pattern == "mm/dd/yyyy";
}

std::string FormatDecimal(detail::Decimal d, std::string_view pattern) {
  NumberPattern p = ParsePattern(pattern);
  if (p.percent) d = detail::Shifted(d, 2);
  detail::Decimal r = detail::RoundedAwayFromZero(d, p.maxDecimals);
  while (static_cast<int>(r.frac.size()) > p.minDecimals && r.frac.back() == '0') r.frac.pop_back();
  bool negative = r.negative && !r.IsZero();
  std::string whole = r.whole;
  if (static_cast<int>(whole.size()) < p.minWhole)
    whole.insert(0, static_cast<std::size_t>(p.minWhole) - whole.size(), '0');
  const NumberSeparators& seps = CurrentSeparatorsRef();
  std::string out = negative ? "-" : "";
  out += p.prefix;
  if (p.grouping) {
    for (std::size_t i = 0; i < whole.size(); ++i) {
      if (i > 0 && (whole.size() - i) % 3 == 0) out += seps.thousands;
      out += whole[i];
    }
  } else {
    out += whole;
  }
  if (!r.frac.empty()) out += seps.decimal + r.frac;
  out += p.suffix;
  return out;
}

// Days from 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

const std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);

unsigned DaysInMonth(std::int64_t y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads 1..maxLen digits; false when none.
bool ReadNumber(std::string_view& s, std::size_t minLen, std::size_t maxLen, unsigned& value) {
  std::size_t n = 0;
  value = 0;
  while (n < s.size() && n < maxLen && s[n] >= '0' && s[n] <= '9')
    value = value * 10 + static_cast<unsigned>(s[n++] - '0');
  if (n < minLen) return false;
  s.remove_prefix(n);
  return true;
}

bool Expect(std::string_view& s, char c) {
  if (s.empty() || s.front() != c) return false;
  s.remove_prefix(1);
  return true;
}

// Serial days 1 January 100 to 31 December 9999.
constexpr double kMinSerial = -657434.0;
constexpr double kMaxSerial = 2958465.0;

}  // namespace

std::string FormatText(std::string_view text, std::string_view pattern) {
  if (IsDatePattern(pattern)) {
    double serial = 0;
    if (ParseDate(text, serial)) return FormatDate(serial);
    if (IsNumeric(text)) {
      try {
        serial = ToDouble(text);
      } catch (const QelError&) {
        return std::string(text);
      }
      if (serial >= kMinSerial && serial < kMaxSerial + 1) return FormatDate(serial);
    }
    return std::string(text);
  }
  detail::Decimal d;
  if (!detail::ParseUserNumber(text, CurrentSeparatorsRef(), d)) return std::string(text);
  return FormatDecimal(std::move(d), pattern);
}

Currency FormattedValue(std::string_view text, int decimals) {
  detail::Decimal d;
  if (!detail::ParseUserNumber(text, CurrentSeparatorsRef(), d))
    throw QelError(err::kTypeMismatch, "");
  return Currency::FromRaw(detail::CurrencyRaw(detail::RoundedAwayFromZero(d, decimals)));
}

std::string FormatCurrency(Currency value, std::string_view pattern) {
  if (IsDatePattern(pattern)) return FormatDate(value.ToDouble());
  std::int64_t raw = value.raw();
  UInt128 m = raw < 0 ? static_cast<UInt128>(-static_cast<Int128>(raw)) : static_cast<UInt128>(raw);
  detail::Decimal d;
  d.negative = raw < 0;
  d.whole = std::to_string(static_cast<std::uint64_t>(m / Currency::kScale));
  std::string frac = std::to_string(static_cast<unsigned>(m % Currency::kScale));
  d.frac = std::string(4 - frac.size(), '0') + frac;
  return FormatDecimal(std::move(d), pattern);
}

std::string FormatDouble(double value, std::string_view pattern) {
  if (!std::isfinite(value)) throw QelError(err::kOverflow, "");
  if (IsDatePattern(pattern)) return FormatDate(value);
  return FormatDecimal(detail::DecimalFromDouble(value), pattern);
}

bool ParseDate(std::string_view text, double& serial) {
  std::string_view s = text;
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  unsigned y = 0, m = 0, d = 0;
  std::string_view iso = s;
  if (ReadNumber(iso, 4, 4, y) && Expect(iso, '-') && ReadNumber(iso, 1, 2, m) &&
      Expect(iso, '-') && ReadNumber(iso, 1, 2, d) && iso.empty()) {
    // yyyy-mm-dd
  } else if (ReadNumber(s, 1, 2, m) && Expect(s, '/') && ReadNumber(s, 1, 2, d) && Expect(s, '/') &&
             ReadNumber(s, 4, 4, y) && s.empty()) {
    // m/d/yyyy
  } else {
    return false;
  }
  if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  serial = static_cast<double>(DaysFromCivil(y, m, d) - kEpoch);
  return true;
}

std::string FormatDate(double serial) {
  if (!std::isfinite(serial) || serial < kMinSerial || serial >= kMaxSerial + 1)
    throw QelError(err::kInvalidCall, "", "Date out of range");
  std::int64_t y = 0;
  unsigned m = 0, d = 0;
  CivilFromDays(static_cast<std::int64_t>(std::trunc(serial)) + kEpoch, y, m, d);
  char buf[16];
  auto two = [](char* p, unsigned v) {
    p[0] = static_cast<char>('0' + v / 10);
    p[1] = static_cast<char>('0' + v % 10);
  };
  two(buf, m);
  buf[2] = '/';
  two(buf + 3, d);
  buf[5] = '/';
  std::string year = std::to_string(y);
  return std::string(buf, 6) + std::string(year.size() < 4 ? 4 - year.size() : 0, '0') + year;
}

}  // namespace qel
