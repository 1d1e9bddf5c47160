// A user whose locale writes 1.234,56 still gets the table's one-allowance amount right, and
// sees and enters amounts in the locale's own syntax.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "wh_bus_obj_impl.h"

namespace {

class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) return;
    }
    GTEST_SKIP() << "no German locale installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(GermanLocale, AllowanceFromTheTableFileAndAmountsInLocaleSyntax) {
  ostrand::WhBusObj o;
  o.IsSingle(true);
  o.sAllowancesIP("2");
  o.sWagesPercent("600");
  o.CalcWH4Paycheck();
  // sAllowanceAmt keeps the table's text as written ("61.54"); the deduction shows that it was
  // read as 61.54, not as 6154 or refused.
  EXPECT_EQ(o.sAllowanceDeductionPercent(), "123,08");
  EXPECT_EQ(o.sSubject2WH(), "476,92");
  EXPECT_EQ(o.sWHPercentMethod(), "57,04");

  o.enumComputationType(ostrand::proforma);
  o.IsSingle(false);
  o.sWages4Yr("52.000,00");
  o.sAdditionalPayckWH("10");
  o.Calculate();
  EXPECT_EQ(o.sWagesPercent(), "1.000,00");
  EXPECT_EQ(o.sPerYrWHProforma(), "5.428,28");
}

}  // namespace
