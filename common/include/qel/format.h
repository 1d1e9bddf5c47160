// Format patterns for amounts, counts, percentages and dates.
//
// Patterns: "###,##0.00", "##0", "##,###,##0", "#0", "0.00%", "$###,##0", "mm/dd/yyyy".
// Numbers are rounded to the pattern's decimals with halves away from zero, using the exact
// decimal digits of the text (no detour through binary floating point), and printed with the
// separators of CurrentSeparators(). A negative number gets a leading "-" ("-1,234.50").
#pragma once

#include <string>
#include <string_view>

#include "qel/currency.h"

namespace qel {

// Formats `text` with `pattern` when the text is numeric (IsNumeric); otherwise returns the text
// unchanged (empty text included). For "mm/dd/yyyy" the text is a date (see ParseDate).
std::string FormatText(std::string_view text, std::string_view pattern);

// The value a numeric pattern with `decimals` decimals shows for `text`, as currency: the text
// rounded to that many places, halves away from zero, on its exact digits. The same as converting
// FormatText(text, pattern) back to currency, without building the text. Raises 13 when the text
// is not numeric and 6 when the value is out of range.
Currency FormattedValue(std::string_view text, int decimals);

// Formats a number with `pattern` (the numeric patterns above).
std::string FormatCurrency(Currency value, std::string_view pattern);
std::string FormatDouble(double value, std::string_view pattern);

// Dates are days since 30 December 1899 (so 1 January 1900 is 2), as a double.
// ParseDate accepts "m/d/yyyy" and "yyyy-mm-dd"; returns false when the text is no valid date.
bool ParseDate(std::string_view text, double& serial);
std::string FormatDate(double serial);  // "mm/dd/yyyy"

}  // namespace qel
