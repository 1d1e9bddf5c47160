// Checks the shipped withholding table file itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "qel/keyed_data_file.h"
#include "qel/module_path.h"
#include "qel/tax_table_store.h"

namespace qel {
namespace {

std::string TablePath() {
  static int here = 0;
  return (ModuleFolder(&here) / "wh2005.tbl").string();
}

const char* const kSections[] = {"Single wk",  "Single biwk", "Single smo",   "Single mo",
                                 "Single yr",  "Married wk",  "Married biwk", "Married smo",
                                 "Married mo", "Married yr"};

TEST(Wh2005TableTest, EveryBaseContinuesThePreviousBracket) {
  for (const char* section : kSections) {
    TaxTableStore s;
    s.SetTableFile(TablePath());
    s.SelectSection(section);
    ASSERT_NO_THROW(s.LoadSection()) << section;
    const auto& b = s.Brackets();
    ASSERT_EQ(b.size(), 6u) << section;
    EXPECT_EQ(b[0].base, Currency()) << section;
    EXPECT_EQ(b[0].rate, Cur("0.10")) << section;
    const char* rates[] = {"0.10", "0.15", "0.25", "0.28", "0.33", "0.35"};
    for (std::size_t i = 1; i < b.size(); ++i) {
      EXPECT_EQ(b[i].rate, Cur(rates[i])) << section << " bracket " << i + 1;
      // Independent arithmetic in doubles: base = previous base + previous rate x width.
      double expected =
          b[i - 1].base.ToDouble() +
          b[i - 1].rate.ToDouble() * (b[i].over.ToDouble() - b[i - 1].over.ToDouble());
      EXPECT_NEAR(b[i].base.ToDouble(), expected, 0.01) << section << " bracket " << i + 1;
      // The table's own lookup at each floor gives that base.
      EXPECT_NEAR(s.LookupTax(b[i].over).ToDouble(), expected, 0.01) << section;
    }
  }
}

TEST(Wh2005TableTest, HandWorkedLookups) {
  struct Row {
    const char* section;
    const char* amount;
    const char* tax;
  } rows[] = {
      {"Single wk", "476.92", "57.038"},  // 13.70 + 15% x (476.92 - 188)
      {"Single wk", "51", "0"},           // at the first floor
      {"Single wk", "50", "0"},           {"Single wk", "52", "0.1"},  // 10% of 1
      {"Married wk", "876.92", "94.388"},                              // 28.10 + 15% x 441.92
      {"Married yr", "100000", "16450"},                               // 8000 + 25% x 33800
      {"Single yr", "400000", "119840"},                               // 94727.50 + 35% x 71750
      {"Single mo", "3000", "424.55"},                                 // 330.80 + 25% x 375
      {"Married biwk", "-10", "0"},
  };
  for (const Row& r : rows) {
    TaxTableStore s;
    s.SetTableFile(TablePath());
    s.SelectSection(r.section);
    s.SetAmount(Cur(r.amount));
    s.LoadSection();
    EXPECT_EQ(s.LookupTax(Cur(r.amount)), Cur(r.tax)) << r.section << " " << r.amount;
  }
}

TEST(Wh2005TableTest, OneAllowanceAmounts) {
  struct Row {
    const char* key;
    const char* amount;
    int periods;
  } rows[] = {{"wk", "61.54", 52},
              {"biwk", "123.08", 26},
              {"smo", "133.33", 24},
              {"mo", "266.67", 12},
              {"yr", "3200.00", 1}};
  KeyedDataFile f;
  f.SetFileName(TablePath());
  for (const Row& r : rows) {
    std::string text = f.ReadValue("1 allowance", r.key, "0");
    EXPECT_EQ(text, r.amount) << r.key;
    EXPECT_NEAR(Cur(text.c_str()).ToDouble(), 3200.0 / r.periods, 0.005) << r.key;
  }
  EXPECT_EQ(f.ReadValue("1 allowance", "", "0"), "0");
}

}  // namespace
}  // namespace qel
