// The shipped table files of the years from 2020 on: every row recomputed from the year's
// standard deduction and brackets, the rows the IRS published, and one file per year.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrand/paycheck.h"
#include "qel/keyed_data_file.h"
#include "qel/module_path.h"
#include "qel/tax_table_store.h"
#include "withholding_figures.h"

namespace {

using ostrand_test::Row;
using ostrand_test::YearFigures;

std::string TableFile(int year) {
  static const char anchor = 0;
  return (qel::ModuleFolder(&anchor) / ("wh" + std::to_string(year) + ".tbl")).string();
}

std::vector<qel::TaxBracket> FileRows(int year, const std::string& section) {
  qel::TaxTableStore store;
  store.SetTableFile(TableFile(year));
  store.SelectSection(section);
  store.LoadSection();
  return store.Brackets();
}

qel::Currency Dollars(std::int64_t dollars) {
  return qel::Currency::FromRaw(dollars * qel::Currency::kScale);
}
qel::Currency Cents(std::int64_t cents) {
  return qel::Currency::FromRaw(cents * (qel::Currency::kScale / 100));
}

TEST(YearTables, OneFilePerPublishedYear) {
  // 2005 has the allowance tables; the years from 2020 on are those whose figures are above.
  std::vector<int> expected = {2005};
  for (const YearFigures& y : ostrand_test::Years2020On()) expected.push_back(y.year);
  EXPECT_EQ(ostrand::AvailableYears(), expected);
}

TEST(YearTables, EveryRowFollowsFromTheStandardDeductionAndBrackets) {
  for (const YearFigures& y : ostrand_test::Years2020On()) {
    for (int status = 0; status < 3; ++status) {
      for (bool checkbox : {false, true}) {
        const std::string section = std::string(ostrand_test::kStatusNames[status]) +
                                    (checkbox ? " CHECKBOX" : " STANDARD");
        SCOPED_TRACE(std::to_string(y.year) + " " + section);
        const std::vector<Row> rows = ostrand_test::Rows(y, status, checkbox);
        std::vector<qel::TaxBracket> file;
        ASSERT_NO_THROW(file = FileRows(y.year, section));
        ASSERT_EQ(file.size(), rows.size());
        for (std::size_t k = 0; k < rows.size(); ++k) {
          EXPECT_EQ(file[k].over, Dollars(rows[k].overDollars)) << "row " << k + 1;
          EXPECT_EQ(file[k].base, Cents(rows[k].baseCents)) << "row " << k + 1;
          EXPECT_EQ(file[k].rate, qel::Currency::FromRaw(rows[k].percent * 100)) << "row " << k + 1;
        }
      }
    }
  }
}

TEST(YearTables, MethodAndConstants) {
  for (const YearFigures& y : ostrand_test::Years2020On()) {
    SCOPED_TRACE(y.year);
    qel::KeyedDataFile file;
    file.SetFileName(TableFile(y.year));
    EXPECT_EQ(file.ReadValue("Year", "Method", ""), "Worksheet 1A");
    for (int status = 0; status < 3; ++status)
      EXPECT_EQ(file.ReadValue("Constants",
                               std::string("Line 1g ") + ostrand_test::kStatusNames[status], ""),
                std::to_string(ostrand_test::kLine1gDollars[status]));
    EXPECT_EQ(file.ReadValue("Constants", "Allowance", ""),
              std::to_string(ostrand_test::kAllowanceDollars));
  }
}

TEST(YearTables, PublishedRows) {
  // Published "over" amounts with the base of each row after the first (whose base is 0).
  struct Published {
    int year;
    const char* section;
    std::vector<std::int64_t> overDollars;
    std::vector<std::int64_t> baseCents;  // rows 2 to 7
  } rows[] = {
      {2020,
       "Married STANDARD",
       {11900, 31650, 92150, 182950, 338500, 426600, 633950},
       {197500, 923500, 2921100, 6654300, 9473500, 16730750}},
      {2020,
       "Single STANDARD",
       {3800, 13675, 43925, 89325, 167100, 211150, 522200},
       {98750, 461750, 1460550, 3327150, 4736750, 15623500}},
      {2020,
       "Head of household STANDARD",
       {10050, 24150, 63750, 95550, 173350, 217400, 528450},
       {141000, 616200, 1315800, 3183000, 4592600, 15479350}},
      {2020,
       "Married CHECKBOX",
       {12400, 22275, 52525, 97925, 175700, 219750, 323425},
       {98750, 461750, 1460550, 3327150, 4736750, 8365375}},
      {2024,
       "Single CHECKBOX",
       {7300, 13100, 30875, 57563, 103275, 129163, 311975},
       {58000, 271300, 858425, 1955525, 2783925, 9182363}},
      {2026,
       "Married STANDARD",
       {19300, 44100, 120100, 230700, 422850, 531750, 788000},
       {248000, 1160000, 3593200, 8204800, 11689600, 20658350}},
      // Misprinted in a copy as 31,735 and 15,500; the next rows' bases confirm these.
      {2025, "Single CHECKBOX", {7500, 13463, 31738}, {59625, 278925}},
      {2026, "Head of household STANDARD", {15550, 33250}, {177000}},
  };
  for (const Published& p : rows) {
    SCOPED_TRACE(std::to_string(p.year) + " " + p.section);
    std::vector<qel::TaxBracket> file;
    ASSERT_NO_THROW(file = FileRows(p.year, p.section));
    ASSERT_GE(file.size(), p.overDollars.size());
    for (std::size_t k = 0; k < p.overDollars.size(); ++k) {
      EXPECT_EQ(file[k].over, Dollars(p.overDollars[k])) << "row " << k + 1;
      EXPECT_EQ(file[k].base, k == 0 ? qel::Currency() : Cents(p.baseCents[k - 1]))
          << "row " << k + 1;
    }
  }
}

}  // namespace
