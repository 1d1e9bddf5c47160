#include "qel/currency.h"

#include <gtest/gtest.h>

#include "qel_testing/temp_folder.h"

#include <clocale>
#include <cstdint>
#include <limits>

#include "qel/error.h"

namespace qel {
namespace {

// The number of the error `body` raises; 0 when it raises none.
long ErrorOf(auto&& body) {
  return testing::ErrorOf(body).number();
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

class CurrencyTest : public ::testing::Test {
 protected:
  void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CurrencyTest, FromDoubleRoundsHalvesToEvenInDecimalTerms) {
  struct Row {
    double in;
    std::int64_t raw;
  } rows[] = {
      {0.00005, 0},              // tie, 0 is even
      {0.00015, 2},              // tie, up to even
      {0.00025, 2},              // tie, down to even
      {-0.00005, 0},             //
      {-0.00015, -2},            //
      {1.23456, 12346},          // above the half
      {1.23454, 12345},          //
      {2.5, 25000},              // exact
      {0.1 + 0.2, 3000},         // arithmetic noise reads as 0.3
      {1000.0 / 12, 833333},     // 83.3333...
      {-1234.56785, -12345678},  // tie: 8 is even
      {-1234.56775, -12345678},  // tie: 7 rounds up to 8
  };
  for (const Row& r : rows) EXPECT_EQ(Currency::FromDouble(r.in).raw(), r.raw) << r.in;
}

TEST_F(CurrencyTest, FromDoubleKeepsLargeAmounts) {
  // 15 significant digits would lose the last decimals here; the shortest digits keep them.
  EXPECT_EQ(Currency::FromDouble(123456789012.3456).raw(), 1234567890123456);
  EXPECT_EQ(ErrorOf([] { Currency::FromDouble(1e300); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Currency::FromDouble(std::numeric_limits<double>::infinity()); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Currency::FromDouble(922337203685478.0); }), err::kOverflow);
}

TEST_F(CurrencyTest, MultiplicationRoundsToFourDecimalsHalfEven) {
  struct Row {
    const char* a;
    const char* b;
    const char* product;
  } rows[] = {
      {"108.77", "52", "5656.04"},    {"61.54", "2", "123.08"},
      {"0.15", "288.92", "43.338"},   {"0.0001", "0.5", "0"},  // 0.00005 -> even 0
      {"0.0003", "0.5", "0.0002"},                             // 0.00015 -> even 0.0002
      {"0.0005", "0.5", "0.0002"},                             // 0.00025 -> even 0.0002
      {"-0.0003", "0.5", "-0.0002"},                           //
      {"-0.0001", "0.5", "0"},                                 //
      {"0.0001", "0.5001", "0.0001"},                          // 0.00005001 -> above half
      {"-3", "-4.25", "12.75"},
  };
  for (const Row& r : rows) EXPECT_EQ(Cur(r.a) * Cur(r.b), Cur(r.product)) << r.a << " * " << r.b;
}

TEST_F(CurrencyTest, MultiplicationUsesAWideIntermediate) {
  // raw 10^12 x raw 10^8 overflows 64 bits before the division by 10,000 but not after.
  Currency a = Cur("100000000");  // raw 10^12
  Currency b = Cur("10000");      // raw 10^8
  EXPECT_EQ((a * b).raw(), 1'000'000'000'000'0000);
  EXPECT_EQ(ErrorOf([&] { (void)(a * a); }), err::kOverflow);
}

TEST_F(CurrencyTest, OverflowAtTheLimitsRaises6) {
  Currency max = Currency::FromRaw(kMax);
  Currency min = Currency::FromRaw(kMin);
  Currency tick = Currency::FromRaw(1);
  EXPECT_EQ(ErrorOf([&] { (void)(max + tick); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { (void)(min - tick); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { (void)(-min); }), err::kOverflow);
  EXPECT_EQ((max - tick).raw(), kMax - 1);
  EXPECT_EQ((-max).raw(), -kMax);
  EXPECT_EQ(ErrorOf([] { Currency::FromUnits(922337203685478); }), err::kOverflow);
  EXPECT_EQ(Currency::FromUnits(-922337203685477).raw(), -9223372036854770000);
}

TEST_F(CurrencyTest, RoundedIsBankersRounding) {
  struct Row {
    const char* in;
    int decimals;
    const char* out;
  } rows[] = {
      {"0.5", 0, "0"},      {"1.5", 0, "2"},      {"2.5", 0, "2"},         {"-2.5", 0, "-2"},
      {"-3.5", 0, "-4"},    {"2.5001", 0, "3"},   {"-0.4999", 0, "0"},     {"1.005", 2, "1"},
      {"1.015", 2, "1.02"}, {"1.025", 2, "1.02"}, {"1.2345", 4, "1.2345"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Cur(r.in).Rounded(r.decimals), Cur(r.out)) << r.in << " to " << r.decimals;
  EXPECT_EQ(ErrorOf([] { Cur("1").Rounded(5); }), err::kInvalidCall);
  EXPECT_EQ(Cur("-7.9").Truncated(), Cur("-7"));
  EXPECT_EQ(Cur("7.9").Truncated(), Cur("7"));
}

TEST_F(CurrencyTest, PlainTextDropsTrailingZeros) {
  struct Row {
    std::int64_t raw;
    const char* text;
  } rows[] = {
      {0, "0"},
      {12345000, "1234.5"},
      {-1, "-0.0001"},
      {10000, "1"},
      {570380, "57.038"},
      {kMax, "922337203685477.5807"},
      {kMin, "-922337203685477.5808"},
  };
  for (const Row& r : rows) EXPECT_EQ(Currency::FromRaw(r.raw).ToPlainText(), r.text);
}

TEST_F(CurrencyTest, InvariantLiteralsRefuseLocaleText) {
  EXPECT_EQ(Cur("-12.5").raw(), -125000);
  EXPECT_EQ(Cur("+.5").raw(), 5000);
  EXPECT_EQ(ErrorOf([] { Cur("1,000"); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Cur(""); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Cur("922337203685477.5808"); }), err::kOverflow);
  EXPECT_EQ(Cur("-922337203685477.5808").raw(), kMin);
}

}  // namespace
}  // namespace qel
