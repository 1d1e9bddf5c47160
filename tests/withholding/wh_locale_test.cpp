// A user whose locale writes 1.234,56 still gets the table's one-allowance amount right, sees and
// enters amounts in the locale's own syntax, and reads and writes case files in the one syntax
// they always have ("." decimal point, "," thousands).
#include <gtest/gtest.h>

#include <clocale>
#include <initializer_list>
#include <string>

#include "qel/keyed_data_file.h"
#include "test_support.h"
#include "wh_bus_obj_impl.h"

namespace {

using ostrand_test::ReadFile;
using ostrand_test::TempFolder;
using ostrand_test::WriteFile;

bool UseLocale(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (std::setlocale(LC_ALL, name) != nullptr) return true;
  }
  return false;
}

// Every test leaves the C locale behind, however it ends.
class InLocale : public ::testing::Test {
 protected:
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

class GermanLocale : public InLocale {
 protected:
  void SetUp() override {
    if (!UseLocale({"de_DE.UTF-8", "de_DE.utf8", "de_DE"})) {
      GTEST_SKIP() << "no German locale installed";
    }
  }
};

TEST_F(GermanLocale, AllowanceFromTheTableFileAndAmountsInLocaleSyntax) {
  ostrand::WhBusObj o;
  o.IsSingle(true);
  o.sAllowancesIP("2");
  o.sWagesPercent("600");
  o.CalcWH4Paycheck();
  // The table file writes 61.54; it shows as an amount of the locale.
  EXPECT_EQ(o.sAllowanceAmt(), "61,54");
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

// The example case: proforma, biweekly, married, 3 allowances, 25.00 extra, 58,500.00 a year.
TEST_F(InLocale, ExampleCaseLoadsComputesAndSavesInFileSyntax) {
  const struct {
    const char* locale[2];  // names the locale goes by
    const char* wages4Yr;
    const char* additional;
    const char* wagesPerPayck;
    const char* perYear;
  } rows[] = {
      {{"de_DE.UTF-8", "de_DE.utf8"}, "58.500,00", "25,00", "2.250,00", "6.054,36"},
      // Thousands are separated by a narrow no-break space.
      {{"fr_FR.UTF-8", "fr_FR.utf8"}, "58\u202f500,00", "25,00", "2\u202f250,00", "6\u202f054,36"},
      {{"C", "C"}, "58,500.00", "25.00", "2,250.00", "6,054.36"},
  };
  const std::string example = ReadFile(OSTRAND_EXAMPLES "/proforma.zov");
  ASSERT_NE(example.find("Wage 4 yr=58,500.00"), std::string::npos);
  int ran = 0;
  for (const auto& row : rows) {
    if (!UseLocale({row.locale[0], row.locale[1]})) continue;
    ++ran;
    const char* name = row.locale[0];
    TempFolder folder;
    const std::string path = folder.File("proforma.zov");
    WriteFile(path, example);

    ostrand::WhBusObj o;
    o.Load(path);
    EXPECT_EQ(o.sWages4Yr(), row.wages4Yr) << name;
    EXPECT_EQ(o.sAdditionalPayckWH(), row.additional) << name;
    o.BeginEdit();
    o.ApplyEdit(path);
    EXPECT_EQ(ReadFile(path), example) << name << ": saved unchanged";

    o.BeginEdit();
    o.Calculate();
    EXPECT_EQ(o.sWagesPercent(), row.wagesPerPayck) << name;
    EXPECT_EQ(o.sPerYrWHProforma(), row.perYear) << name;
    o.ApplyEdit(path);
    qel::KeyedDataFile file;
    file.SetFileName(path);
    EXPECT_EQ(file.ReadValue("Percent", "Wages", ""), "2,250.00") << name;
    EXPECT_EQ(file.ReadValue("Proforma", "Wage 4 yr", ""), "58,500.00") << name;
  }
  if (ran < 2) GTEST_SKIP() << "no locale other than C installed";
}

}  // namespace
