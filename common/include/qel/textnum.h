// Text to number, the way a user types numbers.
//
// The decimal and thousands separators are those of the locale set with setlocale(LC_ALL, "").
// The C/POSIX locale defines no thousands separator; there the US conventions ("," thousands,
// "." decimal) are used, so text reads and prints the same in a batch run as on a desktop.
//
// Accepted: optional blanks around the number, an optional leading "-" or "+", digits with or
// without thousands separators (grouped by three, before the decimal separator only), and an
// optional decimal part: "52000", "52,000.00", " 1,000 ", "-12.5", ".5". Anything else is not
// numeric: empty text, "abc", "1,00", "1.000,5" (in a US locale), "--1", "1-", "1e5", "$5".
// Separators may be several bytes long; where the thousands separator is a no-break space, a
// plain blank typed in its place is accepted too. Any number of digits is numeric; a value too
// large for the target raises 6, and a value too small for a double reads as 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qel/currency.h"

namespace qel {

struct NumberSeparators {
  std::string decimal;    // "." in the US
  std::string thousands;  // "," in the US
};

// The separators of the current C locale (with the US fallback described above). Read anew on
// each call so a test can switch locales.
NumberSeparators CurrentSeparators();
// The same, without a copy: valid until the locale changes on this thread.
const NumberSeparators& CurrentSeparatorsRef();

bool IsNumeric(std::string_view text);

// Conversions raise error 13 (type mismatch) for text that is not numeric and 6 (overflow) for a
// value outside the target's range. Integer conversions round halves to even.
Currency ToCurrency(std::string_view text);
double ToDouble(std::string_view text);
std::int16_t ToInt16(std::string_view text);
std::int32_t ToInt32(std::string_view text);
// "True"/"False" in any letter case, or a number (non-zero is true); anything else raises 13.
bool ToBool(std::string_view text);

// Parses text written in the invariant syntax of table files and program constants ("." decimal,
// no thousands separators, optional sign); raises 13 when it is not such a number.
Currency InvariantCurrency(std::string_view text);

// Data files keep numbers in one syntax whatever the locale: "." as the decimal point and "," for
// thousands, as a US or C locale writes them. These translate a number between what a person
// sees and types (the current locale's separators) and that file syntax, keeping its digits,
// sign and grouping exactly; text that is not a number in the source syntax passes unchanged.
std::string LocaleToFileText(std::string_view text);
std::string FileToLocaleText(std::string_view text);

}  // namespace qel
