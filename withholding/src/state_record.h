// Byte-level access to the 598-byte state record and UTF-8/UTF-16 text conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "wh_bus_obj_impl.h"

namespace ostrand::detail {

// Byte offsets and widths (in UTF-16 units for text slots) of the record's fields.
inline constexpr std::size_t kVersionOffset = 0;
inline constexpr std::size_t kVersionUnits = 20;
inline constexpr std::size_t kNameOffset = 40;
inline constexpr std::size_t kNameUnits = 50;
inline constexpr std::size_t kBirthdateOffset = 240;
inline constexpr std::size_t kCurCostOffset = 328;
inline constexpr std::size_t kDiscountRateOffset = 352;
inline constexpr std::size_t kCurYrOffset = 372;
inline constexpr std::size_t kEmptyPropOffset = 384;
inline constexpr std::size_t kEmptyPropUnits = 40;

// The whole record as 299 code units (little-endian byte pairs).
std::u16string RecordToUnits(const StateRecord& record);
// `units` padded with blanks or cut to 299 units, stored as little-endian byte pairs.
void UnitsToRecord(std::u16string_view units, StateRecord& record);

// A text slot: stored left-aligned, cut to `width` units (never inside a surrogate pair) and
// padded with blanks. Read back with trailing blanks (and never-written zero units) removed.
void PutText(StateRecord& record, std::size_t offset, std::size_t width, std::string_view utf8);
std::string GetText(const StateRecord& record, std::size_t offset, std::size_t width);

void PutDouble(StateRecord& record, std::size_t offset, double value);
double GetDouble(const StateRecord& record, std::size_t offset);
void PutInt64(StateRecord& record, std::size_t offset, std::int64_t value);
std::int64_t GetInt64(const StateRecord& record, std::size_t offset);
void PutFloat(StateRecord& record, std::size_t offset, float value);
float GetFloat(const StateRecord& record, std::size_t offset);
void PutInt16(StateRecord& record, std::size_t offset, std::int16_t value);
std::int16_t GetInt16(const StateRecord& record, std::size_t offset);

// Invalid UTF-8 sequences and lone surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace ostrand::detail
