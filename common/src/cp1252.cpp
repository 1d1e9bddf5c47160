#include "qel/cp1252.h"

#include "qel/utf8.h"

namespace qel {
namespace {

// The characters of the bytes 0x80 to 0x9F; 0 where the code page defines none.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Separators that locales put between the digits of a number and the code page lacks, each with
// the character of the code page that reads the same: a report of any locale shows its figures,
// never "58?500,00".
struct StandIn {
  char32_t character;
  char byte;
};
constexpr StandIn kSeparatorStandIns[] = {
    {0x202F, '\xA0'},  // narrow no-break space (fr_FR and others): the no-break space
    {0x2007, '\xA0'},  // figure space
    {0x2008, '\xA0'},  // punctuation space
    {0x2009, '\xA0'},  // thin space
    {0x200A, '\xA0'},  // hair space
    {0x066C, ','},     // Arabic thousands separator
    {0x066B, '.'},     // Arabic decimal separator
};

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
  if (byte < 0x80 || byte > 0x9F) return byte;
  return kHigh[byte - 0x80] != 0 ? kHigh[byte - 0x80] : byte;
}

char CodePointToCp1252(char32_t c, char missing) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] != 0 && kHigh[i] == c) return static_cast<char>(0x80 + i);
  }
  for (const StandIn& standIn : kSeparatorStandIns) {
    if (standIn.character == c) return standIn.byte;
  }
  return missing;
}

std::string Utf8ToCp1252(std::string_view utf8, char missing) {
  std::string out;
  out.reserve(utf8.size());
  for (char32_t c : DecodeUtf8(utf8, U'\uFFFD')) out += CodePointToCp1252(c, missing);
  return out;
}

std::string AsUtf8(std::string_view text) {
  constexpr char32_t kNotUtf8 = 0x110000;  // beyond every code point
  if (DecodeUtf8(text, kNotUtf8).find(kNotUtf8) == std::u32string::npos) return std::string(text);
  std::string out;
  for (unsigned char byte : text) AppendUtf8(out, Cp1252ToCodePoint(byte));
  return out;
}

}  // namespace qel
