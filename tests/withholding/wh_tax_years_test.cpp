// Cases of tax years from 2020 on through the business object: the three computations by
// Worksheet 1A, the case file's year keys, and years without tables. Expected figures are worked
// by hand from the published 2026 figures (standard deductions and brackets).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <string>
#include <utility>
#include <vector>

#include "qel/keyed_data_file.h"
#include "test_support.h"
#include "wh_bus_obj_impl.h"
#include "withholding_figures.h"

namespace {

using ostrand::WhBusObj;
using ostrand_test::CatchError;
using ostrand_test::TempFolder;

using Values = std::vector<std::pair<const char*, const char*>>;

void Let(WhBusObj& o, const Values& values) {
  for (const auto& [name, value] : values) ostrand::LetProperty(o, name, value);
}

TEST(TaxYear2026, ThreeComputationsByWorksheet1A) {
  const struct {
    const char* behaviour;
    Values inputs;
    Values expected;
  } rows[] = {
      {"percentage method: weekly, single, 1,000.00 on a 2020-or-later form, nothing else",
       {{"sTaxYear", "2026"}, {"enumComputationType", "2"}, {"sWagesPercent", "1000"}},
       // 52,000 - 8,600 = 43,400; 1,240 + 12% of (43,400 - 19,900) = 4,060; / 52 = 78.0769.
       {{"sWksLine1c", "52,000.00"},
        {"sWksLine1g", "8,600.00"},
        {"sWksLine2a", "43,400.00"},
        {"sWksLine2b", "19,900.00"},
        {"sWksLine2d", "12.00%"},
        {"sWksLine2g", "4,060.00"},
        {"sWksLine4b", "78.08"},
        {"sWHPercentMethod", "78.08"},
        {"sSubject2WH", "0.00"},
        {"sTableUsed", "Single STANDARD"}}},
      {"W-2 proforma: weekly, joint, credits, other income and extra withholding",
       {{"sTaxYear", "2026"},
        {"enumComputationType", "0"},
        {"enumW4Status", "1"},
        {"IsSingle", "True"},  // a 2019-or-earlier form's status: not used
        {"sWages4Yr", "78000"},
        {"sStep3Credits", "2000"},
        {"sStep4aOtherIncome", "5200"},
        {"sAdditionalPayckWH", "10"}},
       // 1,500 x 52 + 5,200 - 12,900 = 70,300; 2,480 + 12% of 26,200 = 5,624; / 52 = 108.15;
       // credits 2,000 / 52 = 38.46; 69.69 + 10 = 79.69 a pay check, x 52 = 4,143.88.
       {{"sWagesPercent", "1,500.00"},
        {"sWksLine1e", "83,200.00"},
        {"sWksLine1h", "12,900.00"},
        {"sWksLine2a", "70,300.00"},
        {"sWksLine2h", "108.15"},
        {"sWksLine3b", "38.46"},
        {"sWksLine3c", "69.69"},
        {"sWksLine4a", "10.00"},
        {"sWHPercentMethod", "69.69"},
        {"sTotPayckWHProforma", "79.69"},
        {"sPerYrWHProforma", "4,143.88"},
        {"sTableUsed", "Married STANDARD"}}},
      {"targeted: biweekly, 2019-or-earlier form, single, two allowances",
       {{"sTaxYear", "2026"},
        {"enumComputationType", "1"},
        {"enumW4Form", "1"},
        {"enumFrequency", "1"},
        {"IsSingle", "True"},
        {"sAllowancesIP", "2"},
        {"enumW4Status", "2"},      // a 2020-or-later form's entries: not used
        {"sStep3Credits", "9999"},  //
        {"sRemainingWages", "26000"},
        {"sRemainingPeriods", "13"},
        {"sTargetedWH4Yr", "3000"},
        {"sAdditionalPayckWH", "5"}},
       // 2,000 x 26 - 2 x 4,300 = 43,400; 4,060 / 26 = 156.15; + 5 = 161.15; x 13 = 2,094.95.
       {{"sWagesPerPayckTargeted", "2,000.00"},
        {"sWksLine1j", "2"},
        {"sWksLine1k", "8,600.00"},
        {"sWksLine1l", "43,400.00"},
        {"sWksLine3b", "0.00"},
        {"sFromAllowancesWHPerPayck", "156.15"},
        {"sTotPayckWHTargeted", "161.15"},
        {"sComputedWH4Yr", "2,094.95"},
        {"sShortage4Yr", "905.05"},
        {"sTableUsed", "Single STANDARD"}}},
      {"percentage method: semimonthly, head of household, Step 2 box, deductions",
       {{"sTaxYear", "2026"},
        {"enumComputationType", "2"},
        {"enumFrequency", "2"},
        {"enumW4Status", "2"},
        {"IsStep2Checked", "True"},
        {"sAllowancesIP", "lots"},  // an earlier form's entry: not used
        {"sWagesPercent", "3000"},
        {"sStep4bDeductions", "2400"}},
       // 3,000 x 24 - 2,400 = 69,600, no line 1g with the box; CHECKBOX row 12,075 + 52,850 =
       // 64,925, base half of 16,155; 8,077.50 + 24% of 4,675 = 9,199.50; / 24 = 383.3125.
       {{"sWksLine1g", "0.00"},
        {"sWksLine2a", "69,600.00"},
        {"sWksLine2b", "64,925.00"},
        {"sWksLine2c", "8,077.50"},
        {"sWksLine2d", "24.00%"},
        {"sWksLine2g", "9,199.50"},
        {"sWHPercentMethod", "383.31"},
        {"sTableUsed", "Head of household CHECKBOX"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.behaviour);
    WhBusObj o;
    Let(o, row.inputs);
    o.Calculate();
    for (const auto& [name, value] : row.expected) {
      EXPECT_EQ(ostrand::GetProperty(o, name), value) << name;
    }
    EXPECT_EQ(std::filesystem::path(o.sTable()).filename(), "wh2026.tbl");
    EXPECT_EQ(o.IsCalculated(), "True");
  }
}

TEST(TaxYear2026, YearsWithoutTablesAreRefusedByName) {
  const auto& years = ostrand_test::Years2020On();
  const std::string available =
      "2005, " + std::to_string(years.front().year) + "-" + std::to_string(years.back().year);
  const struct {
    const char* year;
    long number;
    std::string description;
  } rows[] = {
      {"2019", qel::err::kInvalidCall,
       "No withholding tables for 2019: tables are available for " + available + "."},
      {"2,027", qel::err::kInvalidCall,
       "No withholding tables for 2027: tables are available for " + available + "."},
      {"next", qel::err::kTypeMismatch, "The tax year \"next\" is not a year."},
  };
  for (const auto& row : rows) {
    WhBusObj o;
    o.sTaxYear(row.year);
    o.sWages4Yr("52000");
    const qel::QelError e = CatchError([&] { o.Calculate(); });
    EXPECT_EQ(e.number(), row.number) << row.year;
    EXPECT_EQ(e.description(), row.description);
    EXPECT_EQ(
        e.source().rfind("WhBusObj.Calculate\rWhBusObj.CalcProforma\rWhBusObj.CalcWH4Paycheck", 0),
        0u)
        << e.source();
    EXPECT_EQ(o.IsCalculated(), "False");
    EXPECT_EQ(o.sWHPercentMethod(), "0.00") << "nothing computed by another year's tables";
  }
}

// The case-file keys of the tax year and the 2020-or-later form, with what a case of 2026 below
// stores under each.
const struct {
  const char* property;
  const char* key;
  const char* value;
} kYearKeys[] = {
    {"sTaxYear", "Tax Year", "2026"},           {"enumW4Form", "W4 Form", "1"},
    {"enumW4Status", "W4 Status", "2"},         {"IsStep2Checked", "Step 2", "True"},
    {"sStep3Credits", "Step 3", "2,000.00"},    {"sStep4aOtherIncome", "Step 4a", "1,234.50"},
    {"sStep4bDeductions", "Step 4b", "300.00"},
};

void FillCase(WhBusObj& o, const char* year) {
  for (const auto& k : kYearKeys) ostrand::LetProperty(o, k.property, k.value);
  o.sTaxYear(year);
  o.sTaxpayer("Jo Smith");
  o.sAllowancesIP("3");
  o.sWagesPercent("1500");
}

TEST(TaxYear2026, CaseFileKeepsTheYearKeysOnlyForOtherYears) {
  const struct {
    const char* behaviour;
    const char* earlierSave;  // the year of a case saved into the file first, or none
    const char* year;
    bool yearKeys;
  } rows[] = {
      {"a 2026 case", nullptr, "2026", true},
      {"a 2005 case: the file it always had", nullptr, "2005", false},
      {"a 2026 case changed back to 2005 in the same file", "2026", "2005", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.behaviour);
    TempFolder folder;
    const std::string path = folder.File("case.zov");
    if (row.earlierSave != nullptr) {
      WhBusObj earlier;
      FillCase(earlier, row.earlierSave);
      earlier.ApplyEdit(path);
    }
    WhBusObj saved;
    FillCase(saved, row.year);
    saved.ApplyEdit(path);

    qel::KeyedDataFile file;
    file.SetFileName(path);
    for (const auto& k : kYearKeys) {
      const std::string expected = std::string(k.key) == "Tax Year" ? row.year : k.value;
      EXPECT_EQ(file.ReadValue("Common", k.key, "<none>"), row.yearKeys ? expected : "<none>")
          << k.key;
    }
    WhBusObj loaded;
    loaded.Load(path);
    WhBusObj fresh;
    for (const auto& k : kYearKeys) {
      WhBusObj& source = row.yearKeys ? saved : fresh;
      EXPECT_EQ(ostrand::GetProperty(loaded, k.property), ostrand::GetProperty(source, k.property))
          << k.property;
    }
    EXPECT_EQ(loaded.sTaxYear(), row.year);
    EXPECT_EQ(loaded.sWagesPercent(), "1,500.00");
  }
}

// Whether the file carries a tax year is decided as the save finds the file under its lock: a
// 2026 case saved by someone else while this 2005 save waits for the lock must not leave its
// year behind.
TEST(TaxYear2026, TheYearKeysAreDecidedUnderTheSavesLock) {
  TempFolder folder;
  const std::string path = folder.File("case.zov");
  WhBusObj first;
  FillCase(first, "2005");
  first.ApplyEdit(path);
  ASSERT_EQ(ostrand_test::ReadFile(path).find("Tax Year"), std::string::npos);

  // Another saver holds the lock, and puts a 2026 case there before it lets go.
  const int held = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  WhBusObj saved;
  FillCase(saved, "2005");
  saved.sTaxpayer("Ann Other");
  std::thread save([&] { saved.ApplyEdit(path); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  {
    TempFolder other;
    WhBusObj later;
    FillCase(later, "2026");
    later.ApplyEdit(other.File("case.zov"));
    std::filesystem::copy_file(other.File("case.zov"), path,
                               std::filesystem::copy_options::overwrite_existing);
  }
  ::flock(held, LOCK_UN);
  ::close(held);
  save.join();

  WhBusObj loaded;
  loaded.Load(path);
  EXPECT_EQ(loaded.sTaxYear(), "2005");
  EXPECT_EQ(loaded.sTaxpayer(), "Ann Other");
}

}  // namespace
