#include "qel/textnum.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "decimal.h"
#include "qel/error.h"
#include "qel/text.h"

namespace qel {

using detail::Int128;
using detail::UInt128;

namespace {

detail::Decimal ParseOrMismatch(std::string_view text) {
  detail::Decimal d;
  if (!detail::ParseUserNumber(text, CurrentSeparatorsRef(), d))
    throw QelError(err::kTypeMismatch, "");
  return d;
}

template <typename Int>
Int ToInteger(std::string_view text) {
  detail::Decimal d = ParseOrMismatch(text);
  const auto maxPositive = static_cast<UInt128>(std::numeric_limits<Int>::max());
  UInt128 m = 0;
  if (!detail::ScaledHalfEven(d, 0, maxPositive + 1, m) || (!d.negative && m > maxPositive))
    throw QelError(err::kOverflow, "");
  auto v = static_cast<std::int64_t>(m);
  return static_cast<Int>(d.negative ? -v : v);
}

const NumberSeparators kFileSeparators{".", ","};

// The number `text` written with `from` separators, rewritten with `to` separators.
std::string Translated(std::string_view text, const NumberSeparators& from,
                       const NumberSeparators& to) {
  detail::Decimal d;
  if (!detail::ParseUserNumber(text, from, d)) return std::string(text);
  std::string out;
  if (d.negative) out += '-';
  for (std::size_t i = 0; i < d.whole.size(); ++i) {
    if (d.grouped && i > 0 && (d.whole.size() - i) % 3 == 0) out += to.thousands;
    out += d.whole[i];
  }
  if (d.point) out += to.decimal + d.frac;
  return out;
}

}  // namespace

std::string LocaleToFileText(std::string_view text) {
  return Translated(text, CurrentSeparatorsRef(), kFileSeparators);
}

std::string FileToLocaleText(std::string_view text) {
  return Translated(text, kFileSeparators, CurrentSeparatorsRef());
}

const NumberSeparators& CurrentSeparatorsRef() {
  // localeconv() is costly next to the parsing it serves; the separators change only when the
  // numeric locale does, which the locale's name tells cheaply.
  struct Cache {
    std::string locale;
    NumberSeparators separators;
    bool valid = false;
  };
  thread_local Cache cache;
  const char* name = std::setlocale(LC_NUMERIC, nullptr);
  if (cache.valid && name && cache.locale == name) return cache.separators;

  NumberSeparators seps;
  const std::lconv* lc = std::localeconv();
  seps.decimal = lc && lc->decimal_point && *lc->decimal_point ? lc->decimal_point : ".";
  seps.thousands = lc && lc->thousands_sep ? lc->thousands_sep : "";
  if (seps.thousands.empty() || seps.thousands == seps.decimal)
    seps.thousands = seps.decimal == "," ? "." : ",";
  cache.separators = std::move(seps);
  cache.locale = name ? name : "";
  cache.valid = name != nullptr;
  return cache.separators;
}

NumberSeparators CurrentSeparators() {
  return CurrentSeparatorsRef();
}

bool IsNumeric(std::string_view text) {
  detail::Decimal d;
  return detail::ParseUserNumber(text, CurrentSeparatorsRef(), d);
}

Currency ToCurrency(std::string_view text) {
  return Currency::FromRaw(detail::CurrencyRaw(ParseOrMismatch(text)));
}

double ToDouble(std::string_view text) {
  detail::Decimal d = ParseOrMismatch(text);
  d.Normalize();
  if (d.IsZero()) return d.negative ? -0.0 : 0.0;
  std::string s = d.whole.empty() ? "0" : d.whole;
  if (!d.frac.empty()) s += "." + d.frac;
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Too small to represent is zero; too large is an overflow.
    if (!d.whole.empty()) throw QelError(err::kOverflow, "");
    v = 0;
  } else if (r.ec != std::errc() || !std::isfinite(v)) {
    throw QelError(err::kOverflow, "");
  }
  return d.negative ? -v : v;
}

std::int16_t ToInt16(std::string_view text) {
  return ToInteger<std::int16_t>(text);
}
std::int32_t ToInt32(std::string_view text) {
  return ToInteger<std::int32_t>(text);
}

bool ToBool(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (EqualsIgnoreCase(t, "true")) return true;
  if (EqualsIgnoreCase(t, "false")) return false;
  return !ParseOrMismatch(text).IsZero();
}

Currency InvariantCurrency(std::string_view text) {
  detail::Decimal d;
  if (!detail::ParseInvariantNumber(text, d)) throw QelError(err::kTypeMismatch, "");
  return Currency::FromRaw(detail::CurrencyRaw(d));
}

}  // namespace qel
