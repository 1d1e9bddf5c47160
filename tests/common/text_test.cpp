#include "qel/text.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(TextTest, TrimsBlanksAndFoldsOnlyAsciiLetters) {
  EXPECT_EQ(TrimBlanks(" \tWage 4 yr \t"), "Wage 4 yr");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimTrailingBlanks("  Ann Lee  "), "  Ann Lee");
  EXPECT_EQ(TrimTrailingBlanks("Ann\t"), "Ann\t");  // fixed-width slots are padded with spaces
  EXPECT_EQ(FoldedAscii("Comp Type \xC3\x89"), "comp type \xC3\x89");
  EXPECT_TRUE(EqualsIgnoreCase("/SILENT", "/silent"));
  EXPECT_FALSE(EqualsIgnoreCase("/silent", "/silent "));
  EXPECT_FALSE(EqualsIgnoreCase("[", "{"));  // 0x5B and 0x7B differ by the case bit
}

TEST(TextTest, CountsCharactersOfUtf8Text) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("Ren\xC3\xA9"), 4u);
  EXPECT_EQ(Utf8Length("\xE2\x80\x94\xF0\x9F\x98\x80"), 2u);
  EXPECT_EQ(BoolText(true), "True");
  EXPECT_EQ(BoolText(false), "False");
}

TEST(TextTest, EscapesWhatWouldCommandATerminal) {
  const struct {
    std::string text, shown;
  } rows[] = {
      {"A1 Smith, J", "A1 Smith, J"},
      {"Ren\xC3\xA9 \xE2\x82\xAC", "Ren\xC3\xA9 \xE2\x82\xAC"},  // UTF-8 letters stay
      {"\x1B[2J", "\\x1B[2J"},                                   // clears the screen
      {"two\nlines\r\t", "two\\nlines\\r\\t"},
      {std::string("nul\0del\x7F", 8), "nul\\x00del\\x7F"},
      {"\xC2\x9B"
       "31m",
       "\\u009B31m"},  // C1 control introducer, as UTF-8
      {"\x9B"
       "31m \xFF",
       "\\x9B31m \\xFF"},  // bytes that are not UTF-8
  };
  for (const auto& row : rows) EXPECT_EQ(EscapedControls(row.text), row.shown) << row.shown;
}

}  // namespace
}  // namespace qel
