// Withholding for one pay check through the year's tables: Worksheet 1A for the years from 2020
// on, worked out here from the published figures, and the 2005 allowance method, which must give
// what the business object gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrand/paycheck.h"
#include "qel/format.h"
#include "test_support.h"
#include "wh_bus_obj_impl.h"
#include "withholding_figures.h"

namespace {

using ostrand::PaycheckInputs;
using ostrand::PaycheckWithholding;
using ostrand::W4Form;
using ostrand::W4Status;
using ostrand_test::CatchError;
using ostrand_test::Check;
using qel::Cur;
using qel::Currency;

Currency Cents(std::int64_t cents) {
  return Currency::FromRaw(cents * (Currency::kScale / 100));
}

ostrand::eFrequency FrequencyOf(int periods) {
  switch (periods) {
    case 52:
      return ostrand::weekly;
    case 26:
      return ostrand::biweekly;
    case 24:
      return ostrand::semimonthly;
    case 12:
      return ostrand::monthly;
  }
  return ostrand::annually;
}

// The library's inputs for a check. The fields of the other form are filled with values that
// would change the result if they were used.
PaycheckInputs InputsOf(const Check& c) {
  PaycheckInputs in;
  in.frequency = FrequencyOf(c.periods);
  in.wages = Cents(c.wagesCents);
  in.extra = Cents(c.extraCents);
  if (c.newForm) {
    in.form = W4Form::k2020OrLater;
    in.status = static_cast<W4Status>(c.status);
    in.step2 = c.step2;
    in.step3 = Cents(c.step3Cents);
    in.step4a = Cents(c.step4aCents);
    in.step4b = Cents(c.step4bCents);
    in.single = c.status != 0;
    in.allowances = Cur("5");
  } else {
    in.form = W4Form::k2019OrEarlier;
    in.single = c.status == 0;
    in.allowances = Currency::FromUnits(c.allowances);
    in.status = W4Status::kHeadOfHousehold;
    in.step2 = true;
    in.step3 = Cur("4000");
    in.step4b = Cur("9000");
  }
  return in;
}

// A 2020-or-later form, single, with nothing but wages.
PaycheckInputs Wages(const char* wages, ostrand::eFrequency frequency = ostrand::weekly,
                     bool step2 = false) {
  PaycheckInputs in;
  in.frequency = frequency;
  in.wages = Cur(wages);
  in.step2 = step2;
  return in;
}

TEST(Worksheet1A, EveryYearEveryStatusBothForms) {
  struct Case {
    const char* behaviour;
    Check check;
  } cases[] = {
      {"single, nothing else", {52, 100000}},
      {"joint, other income and deductions", {26, 350000, true, 1, false, 0, 500000, 200000}},
      {"head of household", {24, 260000, true, 2}},
      {"single, Step 2 box", {12, 600000, true, 0, true}},
      {"joint, Step 2 box", {52, 140000, true, 1, true}},
      {"head of household, Step 2 box, top rows", {1, 80000000, true, 2, true}},
      {"credits above the tentative withholding", {52, 60000, true, 0, false, 400000}},
      {"credits and Step 4(c)", {12, 800000, true, 1, false, 200000, 0, 0, 0, 2500}},
      {"wages below the first row", {52, 10000}},
      {"deductions above the wages", {26, 100000, true, 0, false, 0, 0, 5000000}},
      {"2019 form, single, allowances and additional",
       {52, 90000, false, 0, false, 0, 0, 0, 2, 1000}},
      {"2019 form, married, allowances", {26, 200000, false, 1, false, 0, 0, 0, 3}},
      {"2019 form, allowances above the wages", {12, 150000, false, 1, false, 0, 0, 0, 9}},
  };
  for (const ostrand_test::YearFigures& y : ostrand_test::Years2020On()) {
    const auto year = ostrand::GetWithholdingYear(y.year);
    ASSERT_EQ(year->Method(), ostrand::WithholdingMethod::kWorksheet1A) << y.year;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(y.year) + ": " + c.behaviour);
      const ostrand_test::Worked w = ostrand_test::Work(y, c.check);
      const PaycheckWithholding r = year->Withhold(InputsOf(c.check));
      EXPECT_EQ(r.method, ostrand::WithholdingMethod::kWorksheet1A);
      EXPECT_EQ(r.table, w.table);
      EXPECT_EQ(r.line1b, Currency::FromUnits(c.check.periods));
      EXPECT_EQ(r.line2a, Cents(w.adjustedCents));
      EXPECT_EQ(c.check.newForm ? r.line1i : r.line1l, r.line2a);
      EXPECT_EQ(r.line2g, Currency::FromRaw(w.tentativeRaw));
      EXPECT_EQ(r.line2h, Cents(w.perPeriodCents));
      EXPECT_EQ(r.line3c, Cents(w.afterCreditsCents));
      EXPECT_EQ(r.beforeExtra, r.line3c);
      EXPECT_EQ(r.withholding, Cents(w.withholdingCents));
      EXPECT_EQ(r.line4b, r.withholding);
    }
    // The credits case covers what it claims: something tentative, nothing after the credits.
    const ostrand_test::Worked credits = ostrand_test::Work(y, cases[6].check);
    EXPECT_GT(credits.perPeriodCents, 0);
    EXPECT_EQ(credits.afterCreditsCents, 0);
  }
}

TEST(Worksheet1A, HandWorkedFigures) {
  struct Row {
    const char* behaviour;
    int year;
    PaycheckInputs inputs;
    const char* withholding;
  } rows[] = {
      // 1,000 x 52 = 52,000 - 8,600 = 43,400; Single STANDARD 2026 row 19,900: 1,240 + 12% of
      // 23,500 = 4,060; / 52 = 78.0769.
      {"2026 weekly single", 2026, Wages("1000"), "78.08"},
      // Exactly at the 57,563 row of the 2024 Single CHECKBOX table: that row's base 8,584.25,
      // not the row below carried on (2,713 + 22% of 26,688 = 8,584.36).
      {"2024 wages on a row's amount", 2024, Wages("57563", ostrand::annually, true), "8584.25"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ostrand::GetWithholdingYear(r.year)->Withhold(r.inputs).withholding,
              Cur(r.withholding))
        << r.behaviour;
  }
}

TEST(AllowanceMethod, PublishedWeeklyExample) {
  // Unmarried, 600 weekly, 2 allowances: 600 - 2 x 61.54 = 476.92; 13.70 + 15% of 288.92.
  PaycheckInputs in;
  in.wages = Cur("600");
  in.single = true;
  in.allowances = Cur("2");
  const PaycheckWithholding r = ostrand::GetWithholdingYear(2005)->Withhold(in);
  EXPECT_EQ(r.method, ostrand::WithholdingMethod::kAllowancePercentage);
  EXPECT_EQ(r.table, "Single wk");
  EXPECT_EQ(r.allowanceDeduction, Cur("123.08"));
  EXPECT_EQ(r.subjectToWithholding, Cur("476.92"));
  EXPECT_EQ(r.beforeExtra, Cur("57.038"));
  EXPECT_EQ(r.withholding, Cur("57.04"));
}

TEST(AllowanceMethod, SameFiguresAsTheBusinessObject) {
  const auto year = ostrand::GetWithholdingYear(2005);
  const auto money = [](Currency c) { return qel::FormatCurrency(c, "###,##0.00"); };
  for (auto frequency : {ostrand::weekly, ostrand::biweekly, ostrand::semimonthly, ostrand::monthly,
                         ostrand::annually}) {
    for (bool single : {true, false}) {
      for (const char* allowances : {"0", "1", "4"}) {
        for (const char* wages : {"0", "123.45", "987.65", "5432.1", "25000", "400000"}) {
          SCOPED_TRACE(std::to_string(frequency) + (single ? " single " : " married ") +
                       allowances + " " + wages);
          ostrand::WhBusObj o;
          o.enumFrequency(frequency);
          o.IsSingle(single);
          o.sAllowancesIP(allowances);
          o.sWagesPercent(wages);
          o.CalcWH4Paycheck();
          PaycheckInputs in;
          in.frequency = frequency;
          in.single = single;
          in.allowances = Cur(allowances);
          in.wages = Cur(wages);
          in.extra = Cur("7.5");
          const PaycheckWithholding r = year->Withhold(in);
          EXPECT_EQ(money(r.allowanceAmount), o.sAllowanceAmt());
          EXPECT_EQ(money(r.allowanceDeduction), o.sAllowanceDeductionPercent());
          EXPECT_EQ(money(r.subjectToWithholding), o.sSubject2WH());
          EXPECT_EQ(money(r.beforeExtra), o.sWHPercentMethod());
          EXPECT_EQ(r.withholding, qel::FormattedValue(o.sWHPercentMethod(), 2) + in.extra);
        }
      }
    }
  }
}

TEST(PaycheckRoutine, AResultReusedForAnotherMethodKeepsNothingOfTheFirst) {
  PaycheckWithholding r;
  PaycheckInputs in;
  in.wages = Cur("1000");
  in.status = W4Status::kHeadOfHousehold;
  ostrand::GetWithholdingYear(2026)->Withhold(in, r);
  ASSERT_GT(r.line2a, Currency());
  ostrand::GetWithholdingYear(2005)->Withhold(in, r);
  EXPECT_EQ(r.table, "Married wk");
  EXPECT_EQ(r.line1c, Currency());
  EXPECT_EQ(r.line2a, Currency());
  EXPECT_EQ(r.line2h, Currency());
  ostrand::GetWithholdingYear(2026)->Withhold(in, r);
  EXPECT_EQ(r.table, "Head of household STANDARD");
  EXPECT_EQ(r.subjectToWithholding, Currency());
}

TEST(PaycheckRoutine, TablesAreReadOncePerRun) {
  EXPECT_EQ(ostrand::GetWithholdingYear(2023), ostrand::GetWithholdingYear(2023));
}

TEST(PaycheckRoutine, Errors) {
  const auto& years = ostrand_test::Years2020On();
  const std::string available =
      "2005, " + std::to_string(years.front().year) + "-" + std::to_string(years.back().year);
  qel::QelError unknown = CatchError([] { ostrand::GetWithholdingYear(2019); });
  EXPECT_EQ(unknown.number(), qel::err::kInvalidCall);
  EXPECT_EQ(unknown.description(),
            "No withholding tables for 2019: tables are available for " + available + ".");

  PaycheckInputs in;
  in.frequency = static_cast<ostrand::eFrequency>(7);
  for (int year : {2005, 2026}) {
    qel::QelError e = CatchError([&] { ostrand::GetWithholdingYear(year)->Withhold(in); });
    EXPECT_EQ(e.number(), qel::err::kInvalidCall) << year;
    EXPECT_NE(e.description().find("frequency 7"), std::string::npos) << e.description();
  }
}

TEST(PaycheckRoutine, MalformedTableFilesAreRefusedByName) {
  const std::string worksheet =
      ostrand_test::ReadFile(ostrand::GetWithholdingYear(2026)->TableFile());
  struct Row {
    const char* behaviour;
    std::string content;
    long number;
  } rows[] = {
      {"no method", "[Constants]\nAllowance=4300\n", qel::err::kPathFileAccess},
      {"a method it does not know", "[Year]\nMethod=Guesswork\n", qel::err::kPathFileAccess},
      {"a constant missing", "[Year]\nMethod=Worksheet 1A\n", qel::err::kPathFileAccess},
      {"a constant not a number",
       std::string(worksheet).replace(worksheet.find("Allowance=4300"), 14, "Allowance=lots"),
       qel::err::kPathFileAccess},
      {"a row not three numbers",
       std::string(worksheet).replace(worksheet.find("Bracket3="), 9, "Bracket3=x"),
       qel::err::kInvalidCall},
      {"not sections and keys", "[Year\nMethod=Worksheet 1A\n", qel::err::kPathFileAccess},
  };
  ostrand_test::TempFolder folder;
  int n = 0;
  for (const Row& r : rows) {
    const std::string path = folder.File("wh" + std::to_string(3000 + n++) + ".tbl");
    ostrand_test::WriteFile(path, r.content);
    qel::QelError e = CatchError([&] { ostrand::ReadWithholdingYear(2026, path); });
    EXPECT_EQ(e.number(), r.number) << r.behaviour;
    EXPECT_NE(e.description().find(path), std::string::npos)
        << r.behaviour << ": " << e.description();
  }
  qel::QelError missing =
      CatchError([&] { ostrand::ReadWithholdingYear(2026, folder / "none.tbl"); });
  EXPECT_EQ(missing.number(), qel::err::kFileNotFound);
  // The same content read from a sound copy works, so the rows above fail for their fault.
  const std::string sound = folder.File("sound.tbl");
  ostrand_test::WriteFile(sound, worksheet);
  EXPECT_EQ(ostrand::ReadWithholdingYear(2026, sound)->Withhold(Wages("1000")).withholding,
            Cur("78.08"));
}

}  // namespace
