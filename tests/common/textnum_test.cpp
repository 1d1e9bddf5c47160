#include "qel/textnum.h"

#include <gtest/gtest.h>

#include "qel_testing/temp_folder.h"

#include <clocale>
#include <string>

#include "qel/error.h"

namespace qel {
namespace {

// The number of the error `body` raises; 0 when it raises none.
long ErrorOf(auto&& body) {
  return testing::ErrorOf(body).number();
}

class TextNumTest : public ::testing::Test {
 protected:
  void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(TextNumTest, WhatAUserTypesIsNumeric) {
  struct Row {
    const char* text;
    bool numeric;
  } rows[] = {
      {"52000", true},      {"52,000.00", true}, {" 1,000 ", true},
      {"-12.5", true},      {".5", true},        {"+7", true},
      {"5.", true},         {"\t3\t", true},     {"1,234,567.891", true},
      {"007", true},        {"", false},         {" ", false},
      {"abc", false},       {"1,00", false},     {"1.000,5", false},
      {"--1", false},       {"1-", false},       {"-", false},
      {".", false},         {",000", false},     {"1,0000", false},
      {"1234,567", false},  {"1,000,00", false}, {"1.5.5", false},
      {"1.000,000", false}, {"1 000", false},    {"- 1", false},
      {"1e5", false},       {"$5", false},       {"12a", false},
      {"1,,000", false},    {"1,000,", false},
  };
  for (const Row& r : rows) EXPECT_EQ(IsNumeric(r.text), r.numeric) << '"' << r.text << '"';
}

TEST_F(TextNumTest, CurrencyConversionRoundsExtraDecimalsHalfEven) {
  struct Row {
    const char* text;
    std::int64_t raw;
  } rows[] = {
      {"52,000.00", 520000000},
      {"0.00005", 0},
      {"0.00015", 2},
      {"0.000150000000001", 2},
      {"0.000250000000001", 3},
      {"-0.00025", -2},
      {"1.99999", 20000},
      {"922,337,203,685,477.5807", 9223372036854775807},
      {"-922337203685477.5808", -9223372036854775807 - 1},
      {"922337203685477.58074", 9223372036854775807},
  };
  for (const Row& r : rows) EXPECT_EQ(ToCurrency(r.text).raw(), r.raw) << r.text;
}

TEST_F(TextNumTest, ConversionsRaiseMismatchOrOverflow) {
  struct Row {
    const char* text;
    long error;
  } rows[] = {
      {"abc", err::kTypeMismatch},
      {"1,00", err::kTypeMismatch},
      {"922337203685477.5808", err::kOverflow},
      {"922337203685477.58075", err::kOverflow},  // rounds up past the limit
      {"99999999999999999999999999999999999999999999999999", err::kOverflow},
  };
  for (const Row& r : rows) EXPECT_EQ(ErrorOf([&] { ToCurrency(r.text); }), r.error) << r.text;
  std::string hugeDigits(5000, '9');
  EXPECT_EQ(ErrorOf([&] { ToCurrency(hugeDigits); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { ToInt32(hugeDigits); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { ToDouble(std::string(400, '9')); }), err::kOverflow);
  EXPECT_EQ(ToDouble("0." + std::string(400, '0') + "1"), 0.0);
}

TEST_F(TextNumTest, IntegersRoundHalfToEvenAndCheckTheirRange) {
  struct Row {
    const char* text;
    long value;  // meaningful when error == 0
    long error;
  } rows16[] = {
      {"32767", 32767, 0},
      {"32768", 0, err::kOverflow},
      {"-32768", -32768, 0},
      {"-32769", 0, err::kOverflow},
      {"32767.5", 0, err::kOverflow},  // rounds to 32768
      {"32766.5", 32766, 0},
      {"-32768.5", -32768, 0},  // even
      {"0.5", 0, 0},
      {"1.5", 2, 0},
      {"2.5", 2, 0},
      {"-2.5", -2, 0},
      {"2.5000001", 3, 0},
      {"1,234", 1234, 0},
      {"x", 0, err::kTypeMismatch},
  };
  for (const Row& r : rows16) {
    if (r.error == 0)
      EXPECT_EQ(ToInt16(r.text), r.value) << r.text;
    else
      EXPECT_EQ(ErrorOf([&] { ToInt16(r.text); }), r.error) << r.text;
  }
  EXPECT_EQ(ToInt32("2,147,483,647"), 2147483647);
  EXPECT_EQ(ToInt32("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ErrorOf([] { ToInt32("2147483647.5"); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { ToInt32("-2147483649"); }), err::kOverflow);
}

TEST_F(TextNumTest, DoublesAndBooleans) {
  EXPECT_DOUBLE_EQ(ToDouble(" 52,000.25 "), 52000.25);
  EXPECT_DOUBLE_EQ(ToDouble("-.125"), -0.125);
  EXPECT_EQ(ErrorOf([] { ToDouble("1e3"); }), err::kTypeMismatch);
  EXPECT_TRUE(ToBool("True"));
  EXPECT_TRUE(ToBool(" tRUE "));
  EXPECT_FALSE(ToBool("FALSE"));
  EXPECT_TRUE(ToBool("-1"));
  EXPECT_TRUE(ToBool("0.001"));
  EXPECT_FALSE(ToBool("0.000"));
  EXPECT_TRUE(ToBool(std::string(500, '9')));
  EXPECT_EQ(ErrorOf([] { ToBool("yes"); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { ToBool(""); }), err::kTypeMismatch);
}

TEST_F(TextNumTest, CLocaleUsesUsSeparators) {
  NumberSeparators s = CurrentSeparators();
  EXPECT_EQ(s.decimal, ".");
  EXPECT_EQ(s.thousands, ",");
}

// Another locale's own separators: "." for thousands and "," for decimals.
TEST(TextNumLocaleTest, GermanSeparators) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 not installed";
  NumberSeparators s = CurrentSeparators();
  EXPECT_EQ(s.decimal, ",");
  EXPECT_EQ(s.thousands, ".");
  EXPECT_EQ(ToCurrency("52.000,25").raw(), 520002500);
  EXPECT_EQ(ToCurrency("-12,5").raw(), -125000);
  EXPECT_FALSE(IsNumeric("52,000.00"));
  EXPECT_FALSE(IsNumeric("1.00"));
  EXPECT_EQ(ToInt16("2,5"), 2);
  EXPECT_EQ(Currency::FromRaw(12345000).ToPlainText(), "1234,5");
  EXPECT_EQ(InvariantCurrency("1234.5").raw(), 12345000);  // table files ignore the locale
  std::setlocale(LC_ALL, "C");
}

// A locale whose thousands separator is several bytes (a no-break space in UTF-8).
TEST(TextNumLocaleTest, MultiByteThousandsSeparator) {
  const char* names[] = {"fr_FR.UTF-8", "ru_RU.UTF-8", "pl_PL.UTF-8"};
  const char* found = nullptr;
  for (const char* n : names) {
    if (std::setlocale(LC_ALL, n) && CurrentSeparators().thousands.size() > 1) {
      found = n;
      break;
    }
  }
  if (!found) {
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no locale with a multi-byte thousands separator installed";
  }
  NumberSeparators s = CurrentSeparators();
  std::string text = "1" + s.thousands + "234" + s.decimal + "5";
  EXPECT_EQ(ToCurrency(text).raw(), 12345000) << found;
  EXPECT_FALSE(IsNumeric("1" + s.thousands + "23"));
  std::setlocale(LC_ALL, "C");
}

// Data files keep "52,000.00" whatever the locale; a person in Germany sees and types "52.000,00".
TEST(TextNumLocaleTest, TranslatesBetweenTheLocaleAndTheFileSyntax) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 not installed";
  const struct {
    const char* locale;
    const char* file;
  } rows[] = {
      {"52.000,00", "52,000.00"},
      {"-1.234.567,5", "-1,234,567.5"},
      {"62000", "62000"},
      {",5", ".5"},
      {"7,", "7."},
      {"0012", "0012"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(LocaleToFileText(r.locale), r.file) << r.locale;
    EXPECT_EQ(FileToLocaleText(r.file), r.locale) << r.file;
  }
  // Text that is no number in the source syntax passes unchanged, names included.
  EXPECT_EQ(LocaleToFileText("52,000.00"), "52,000.00");
  EXPECT_EQ(FileToLocaleText("1.000,5"), "1.000,5");
  EXPECT_EQ(FileToLocaleText("Ann Lee"), "Ann Lee");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(LocaleToFileText("52,000.00"), "52,000.00");  // a US or C locale writes as before
}

}  // namespace
}  // namespace qel
