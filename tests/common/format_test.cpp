#include "qel/format.h"

#include <gtest/gtest.h>

#include <clocale>

#include "qel/error.h"

namespace qel {
namespace {

class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(FormatTest, PatternsRoundHalvesAwayFromZero) {
  struct Row {
    const char* text;
    const char* pattern;
    const char* out;
  } rows[] = {
      {"1234.5", "###,##0.00", "1,234.50"},
      {"1234567.125", "###,##0.00", "1,234,567.13"},
      {"-1234567.125", "###,##0.00", "-1,234,567.13"},
      {"0.005", "###,##0.00", "0.01"},
      {"-0.005", "###,##0.00", "-0.01"},
      {"-0.001", "###,##0.00", "0.00"},
      {"-0.004999", "###,##0.00", "0.00"},
      {"999.995", "###,##0.00", "1,000.00"},
      {"0", "###,##0.00", "0.00"},
      {".5", "##0", "1"},
      {"2.5", "##0", "3"},
      {"-2.5", "##0", "-3"},
      {"1234.4", "##0", "1234"},
      {"12345678.5", "##,###,##0", "12,345,679"},
      {"-0.4", "##,###,##0", "0"},
      {"7.5", "#0", "8"},
      {"0.05", "0.00%", "5.00%"},
      {"0.12345", "0.00%", "12.35%"},
      {"-0.00004", "0.00%", "0.00%"},
      {"1", "0.00%", "100.00%"},
      {"1234.5", "$###,##0", "$1,235"},
      {"-999.5", "$###,##0", "-$1,000"},
      {" 52,000.00 ", "###,##0.00", "52,000.00"},
      {"123456789012345678901234567890.005", "##0", "123456789012345678901234567890"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FormatText(r.text, r.pattern), r.out) << r.text << " with " << r.pattern;
}

TEST_F(FormatTest, TextThatIsNotNumericComesBackUnchanged) {
  const char* texts[] = {"", "abc", "1,00", "INVALID FREQUENCY", "12 34"};
  for (const char* t : texts) {
    EXPECT_EQ(FormatText(t, "###,##0.00"), t);
    EXPECT_EQ(FormatText(t, "0.00%"), t);
  }
}

TEST_F(FormatTest, CurrencyAndDoubleValues) {
  EXPECT_EQ(FormatCurrency(Cur("98.765"), "###,##0.00"), "98.77");
  EXPECT_EQ(FormatCurrency(Cur("57.038"), "###,##0.00"), "57.04");
  EXPECT_EQ(FormatCurrency(Cur("-0.0049"), "###,##0.00"), "0.00");
  EXPECT_EQ(FormatCurrency(Cur("-922337203685477.5808"), "###,##0.00"), "-922,337,203,685,477.58");
  EXPECT_EQ(FormatCurrency(Cur("5656.04"), "$###,##0"), "$5,656");
  // 1.005 is stored just below 1.005 in binary; its decimal reading still rounds away.
  EXPECT_EQ(FormatDouble(1.005, "###,##0.00"), "1.01");
  EXPECT_EQ(FormatDouble(0.05f, "0.00%"), "5.00%");
  EXPECT_EQ(FormatDouble(-2.5, "##0"), "-3");
}

TEST_F(FormatTest, DatesParseAndFormat) {
  struct Row {
    const char* text;
    double serial;
  } rows[] = {
      {"12/30/1899", 0},    {"12/31/1899", 1},       {"1/1/1900", 2},
      {"03/01/1900", 61},   {"1/1/2005", 38353},     {"2005-01-01", 38353},
      {"2/29/2004", 38046}, {"12/31/9999", 2958465}, {"1/1/100", 0},
  };
  for (const Row& r : rows) {
    double serial = -1;
    bool ok = ParseDate(r.text, serial);
    if (std::string(r.text) == "1/1/100") {
      EXPECT_FALSE(ok);  // a year must have four digits
      continue;
    }
    ASSERT_TRUE(ok) << r.text;
    EXPECT_EQ(serial, r.serial) << r.text;
  }
  const char* invalid[] = {"2/30/2005", "2/29/2005", "13/1/2005",  "0/1/2005",
                           "1/0/2005",  "1/32/2005", "2005-13-01", "1/1/05",
                           "abc",       "",          "1/1/2005x"};
  for (const char* t : invalid) {
    double serial = 0;
    EXPECT_FALSE(ParseDate(t, serial)) << t;
  }
  EXPECT_EQ(FormatDate(38353), "01/01/2005");
  EXPECT_EQ(FormatDate(38353.75), "01/01/2005");
  EXPECT_EQ(FormatDate(0), "12/30/1899");
  EXPECT_EQ(FormatDate(-1), "12/29/1899");
  EXPECT_EQ(FormatText("7/4/1976", "mm/dd/yyyy"), "07/04/1976");
  EXPECT_EQ(FormatText("2/30/2005", "mm/dd/yyyy"), "2/30/2005");
  EXPECT_THROW(FormatDate(1e12), QelError);
}

// Century years are leap years only when divisible by 400: 1900 and 2100 are not, 2000 is.
TEST_F(FormatTest, CenturyYearsInTheLeapYearRule) {
  struct Row {
    const char* date;
    bool valid;
    double serial;  // days after 30 December 1899
  } rows[] = {
      {"02/29/1900", false, 0},    {"02/28/1900", true, 60},    {"03/01/1900", true, 61},
      {"02/29/2000", true, 36585}, {"03/01/2000", true, 36586}, {"02/29/2100", false, 0},
      {"02/28/2100", true, 73109}, {"03/01/2100", true, 73110}, {"02/29/2400", true, 182682},
  };
  for (const Row& r : rows) {
    double serial = -1;
    EXPECT_EQ(ParseDate(r.date, serial), r.valid) << r.date;
    if (!r.valid) continue;
    EXPECT_EQ(serial, r.serial) << r.date;
    EXPECT_EQ(FormatDate(r.serial), r.date) << r.serial;
  }
}

TEST(FormatLocaleTest, GermanSeparatorsInOutput) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 not installed";
  EXPECT_EQ(FormatText("1.234,5", "###,##0.00"), "1.234,50");
  EXPECT_EQ(FormatCurrency(Cur("0.05"), "0.00%"), "5,00%");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace qel
