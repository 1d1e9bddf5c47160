#include "qel/utf8.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(Utf8Test, DecodesValidTextAndMarksEachBadByte) {
  struct Row {
    std::string text;
    std::u32string codePoints;
  } rows[] = {
      {"Ann", U"Ann"},
      {"\xE2\x80\x94", U"\u2014"},              // em dash, three bytes
      {"\xC3\xA9t\xC3\xA9", U"\u00E9t\u00E9"},  // two-byte letters
      {"\xF0\x9F\x98\x80", U"\U0001F600"},      // four bytes
      {"\x97", U"?"},                           // a lone continuation byte (a 1252 em dash)
      {"\xE2\x80", U"??"},                      // truncated: each byte on its own
      {"\xC0\xAF", U"??"},                      // overlong "/"
      {"\xED\xA0\x80", U"???"},                 // a surrogate is no character
      {"\xF4\x90\x80\x80", U"????"},            // past U+10FFFF
      {"a\xFFz", U"a?z"},
  };
  for (const Row& r : rows) EXPECT_EQ(DecodeUtf8(r.text, U'?'), r.codePoints) << r.text;
}

TEST(Utf8Test, EncodesEveryLengthBackToTheSameBytes) {
  for (char32_t cp : {U'A', U'\u00E9', U'\u2014', U'\U0001F600'}) {
    std::string bytes;
    AppendUtf8(bytes, cp);
    EXPECT_EQ(DecodeUtf8(bytes), std::u32string(1, cp));
  }
}

}  // namespace
}  // namespace qel

#include "qel/cp1252.h"

namespace qel {
namespace {

TEST(Cp1252Test, ReportCharactersMapBothWays) {
  struct Row {
    char32_t character;
    unsigned char byte;
  } rows[] = {{U'A', 'A'}, {U'\u2014', 151}, {U'\u20AC', 128}, {U'\u00E9', 0xE9}, {U'\u0178', 159}};
  for (const Row& r : rows) {
    EXPECT_EQ(static_cast<unsigned char>(CodePointToCp1252(r.character)), r.byte);
    EXPECT_EQ(Cp1252ToCodePoint(r.byte), r.character);
  }
  EXPECT_EQ(Cp1252ToCodePoint(0x81), U'\u0081');  // undefined byte: its control character
  EXPECT_EQ(CodePointToCp1252(U'\u0081'), '?');
  EXPECT_EQ(Utf8ToCp1252("Jos\xC3\xA9 \xE2\x80\x94 \xE2\x82\xAC"
                         "5 \xE4\xB8\xAD \xFF"),
            "Jos\xE9 \x97 \x80"
            "5 ? ?");
}

// What a locale writes between digits reaches a report as a character of the code page.
TEST(Cp1252Test, SeparatorsOfEveryLocaleHaveACharacter) {
  struct Row {
    const char* utf8;
    const char* cp1252;
  } rows[] = {
      {"58\u202F500,00",
       "58\xA0"
       "500,00"},  // fr_FR
      {"58\u00A0500,00",
       "58\xA0"
       "500,00"},
      {"58\u2009500,00",
       "58\xA0"
       "500,00"},
      {"58\u066C500\u066B00", "58,500.00"},  // ps_AF
      {"58\u2019500.00",
       "58\x92"
       "500.00"},  // de_CH
  };
  for (const Row& r : rows) EXPECT_EQ(Utf8ToCp1252(r.utf8), r.cp1252) << r.utf8;
}

}  // namespace
}  // namespace qel
