#include "state_record.h"

#include <bit>

#include "qel/utf8.h"

namespace ostrand::detail {
namespace {

template <typename U>
void PutLittle(StateRecord& record, std::size_t offset, U value) {
  for (std::size_t i = 0; i < sizeof(U); ++i) {
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

template <typename U>
U GetLittle(const StateRecord& record, std::size_t offset) {
  U value = 0;
  for (std::size_t i = 0; i < sizeof(U); ++i) {
    value = static_cast<U>(value | static_cast<U>(static_cast<U>(record[offset + i]) << (8 * i)));
  }
  return value;
}

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

}  // namespace

std::u16string RecordToUnits(const StateRecord& record) {
  std::u16string units(kStateUnits, u'\0');
  for (std::size_t i = 0; i < kStateUnits; ++i) {
    units[i] = GetLittle<char16_t>(record, 2 * i);
  }
  return units;
}

void UnitsToRecord(std::u16string_view units, StateRecord& record) {
  for (std::size_t i = 0; i < kStateUnits; ++i) {
    PutLittle<char16_t>(record, 2 * i, i < units.size() ? units[i] : u' ');
  }
}

void PutText(StateRecord& record, std::size_t offset, std::size_t width, std::string_view utf8) {
  std::u16string units = Utf8ToUtf16(utf8);
  if (units.size() > width) {
    std::size_t cut = width;
    // Do not keep the first half of a pair whose second half falls outside the slot.
    if (cut > 0 && IsHighSurrogate(units[cut - 1])) --cut;
    units.resize(cut);
  }
  units.resize(width, u' ');
  for (std::size_t i = 0; i < width; ++i) {
    PutLittle<char16_t>(record, offset + 2 * i, units[i]);
  }
}

std::string GetText(const StateRecord& record, std::size_t offset, std::size_t width) {
  std::u16string units(width, u'\0');
  for (std::size_t i = 0; i < width; ++i) {
    units[i] = GetLittle<char16_t>(record, offset + 2 * i);
  }
  std::size_t end = units.find_last_not_of(std::u16string_view(u" \0", 2));
  units.resize(end == std::u16string::npos ? 0 : end + 1);
  return Utf16ToUtf8(units);
}

void PutDouble(StateRecord& record, std::size_t offset, double value) {
  PutLittle(record, offset, std::bit_cast<std::uint64_t>(value));
}
double GetDouble(const StateRecord& record, std::size_t offset) {
  return std::bit_cast<double>(GetLittle<std::uint64_t>(record, offset));
}
void PutInt64(StateRecord& record, std::size_t offset, std::int64_t value) {
  PutLittle(record, offset, static_cast<std::uint64_t>(value));
}
std::int64_t GetInt64(const StateRecord& record, std::size_t offset) {
  return static_cast<std::int64_t>(GetLittle<std::uint64_t>(record, offset));
}
void PutFloat(StateRecord& record, std::size_t offset, float value) {
  PutLittle(record, offset, std::bit_cast<std::uint32_t>(value));
}
float GetFloat(const StateRecord& record, std::size_t offset) {
  return std::bit_cast<float>(GetLittle<std::uint32_t>(record, offset));
}
void PutInt16(StateRecord& record, std::size_t offset, std::int16_t value) {
  PutLittle(record, offset, static_cast<std::uint16_t>(value));
}
std::int16_t GetInt16(const StateRecord& record, std::size_t offset) {
  return static_cast<std::int16_t>(GetLittle<std::uint16_t>(record, offset));
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char32_t cp : qel::DecodeUtf8(text, kReplacement)) AppendUtf16(out, cp);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      qel::AppendUtf8(out, cp);
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      qel::AppendUtf8(out, kReplacement);
    } else {
      qel::AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace ostrand::detail
