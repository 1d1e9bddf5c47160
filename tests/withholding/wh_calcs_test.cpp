// The three computations against the real table file in the program folder. Expected figures
// are worked out here, from the test's own copy of the published 2005 tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"
#include "wh_bus_obj_impl.h"

namespace {

using ostrand::WhBusObj;
using ostrand_test::CatchError;
using ostrand_test::CentsText;

struct Bracket {
  std::int64_t overCents;
  std::int64_t baseCents;
  std::int64_t percent;
};

struct PublishedTable {
  ostrand::eFrequency frequency;
  bool single;
  std::int64_t allowanceCents;
  std::vector<Bracket> brackets;
};

// The 2005 percentage-method tables: over, base, percent of the excess.
const std::vector<PublishedTable>& Published() {
  static const std::vector<PublishedTable> tables = {
      {ostrand::weekly,
       true,
       6154,
       {{5100, 0, 10},
        {18800, 1370, 15},
        {60600, 7640, 25},
        {134100, 26015, 28},
        {292200, 70283, 33},
        {631300, 182186, 35}}},
      {ostrand::biweekly,
       true,
       12308,
       {{10200, 0, 10},
        {37700, 2750, 15},
        {121200, 15275, 25},
        {268300, 52050, 28},
        {584400, 140558, 33},
        {1262500, 364331, 35}}},
      {ostrand::semimonthly,
       true,
       13333,
       {{11000, 0, 10},
        {40800, 2980, 15},
        {131300, 16555, 25},
        {290600, 56380, 28},
        {633100, 152280, 33},
        {1367700, 394698, 35}}},
      {ostrand::monthly,
       true,
       26667,
       {{22100, 0, 10},
        {81700, 5960, 15},
        {262500, 33080, 25},
        {581300, 112780, 28},
        {1266300, 304580, 33},
        {2735400, 789383, 35}}},
      {ostrand::annually,
       true,
       320000,
       {{265000, 0, 10},
        {980000, 71500, 15},
        {3150000, 397000, 25},
        {6975000, 1353250, 28},
        {15195000, 3654850, 33},
        {32825000, 9472750, 35}}},
      {ostrand::weekly,
       false,
       6154,
       {{15400, 0, 10},
        {43500, 2810, 15},
        {127300, 15380, 25},
        {232200, 41605, 28},
        {364600, 78677, 33},
        {640900, 169856, 35}}},
      {ostrand::biweekly,
       false,
       12308,
       {{30800, 0, 10},
        {86900, 5610, 15},
        {254600, 30765, 25},
        {464400, 83215, 28},
        {729200, 157359, 33},
        {1281700, 339684, 35}}},
      {ostrand::semimonthly,
       false,
       13333,
       {{33300, 0, 10},
        {94200, 6090, 15},
        {275800, 33330, 25},
        {503100, 90155, 28},
        {790000, 170487, 33},
        {1388500, 367992, 35}}},
      {ostrand::monthly,
       false,
       26667,
       {{66700, 0, 10},
        {188300, 12160, 15},
        {551700, 66670, 25},
        {1006300, 180320, 28},
        {1580000, 340956, 33},
        {2777100, 735999, 35}}},
      {ostrand::annually,
       false,
       320000,
       {{800000, 0, 10},
        {2260000, 146000, 15},
        {6620000, 800000, 25},
        {12075000, 2163750, 28},
        {18960000, 4091550, 33},
        {33325000, 8832000, 35}}},
  };
  return tables;
}

// The withholding on `subjectCents` in ten-thousandths of a dollar, exactly.
std::int64_t TaxTenThousandths(const PublishedTable& table, std::int64_t subjectCents) {
  const Bracket* hit = nullptr;
  for (const Bracket& b : table.brackets) {
    if (subjectCents > b.overCents) hit = &b;
  }
  if (hit == nullptr) return 0;
  return hit->baseCents * 100 + (subjectCents - hit->overCents) * hit->percent;
}

// Ten-thousandths to cents, halves away from zero (as the getters display).
std::int64_t DisplayCents(std::int64_t tenThousandths) {
  return (tenThousandths + (tenThousandths >= 0 ? 50 : -50)) / 100;
}

std::string Plain(std::int64_t cents) {
  return std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") +
         std::to_string(cents % 100);
}

TEST(PercentageMethod, OneCaseInsideEveryBracketOfEveryTable) {
  for (const PublishedTable& table : Published()) {
    std::vector<std::int64_t> subjects;
    subjects.push_back(table.brackets.front().overCents - 1);  // below the first bracket
    subjects.push_back(table.brackets.front().overCents);      // at the first floor
    for (std::size_t i = 0; i < table.brackets.size(); ++i) {
      const std::int64_t over = table.brackets[i].overCents;
      const std::int64_t next =
          i + 1 < table.brackets.size() ? table.brackets[i + 1].overCents : over * 2;
      subjects.push_back((over + next) / 2 + 37);
    }
    for (int allowances : {0, 3}) {
      for (std::int64_t subject : subjects) {
        const std::int64_t wages = subject + allowances * table.allowanceCents;
        SCOPED_TRACE(std::string(table.single ? "Single " : "Married ") + "frequency " +
                     std::to_string(table.frequency) + ", allowances " +
                     std::to_string(allowances) + ", wages " + Plain(wages));
        WhBusObj o;
        o.enumComputationType(ostrand::Percent);
        o.enumFrequency(table.frequency);
        o.IsSingle(table.single);
        o.sAllowancesIP(std::to_string(allowances));
        o.sWagesPercent(Plain(wages));
        o.Calculate();

        EXPECT_EQ(o.sAllowanceAmt(), CentsText(table.allowanceCents));
        EXPECT_EQ(o.sAllowanceDeductionPercent(), CentsText(allowances * table.allowanceCents));
        EXPECT_EQ(o.sSubject2WH(), CentsText(subject));
        EXPECT_EQ(o.sWHPercentMethod(), CentsText(DisplayCents(TaxTenThousandths(table, subject))));
        EXPECT_EQ(o.IsCalculated(), "True");
      }
    }
  }
}

TEST(PercentageMethod, PublishedWeeklyExample) {
  // Unmarried, $600 weekly, 2 allowances: 600 - 123.08 = 476.92; 13.70 + 15% of 288.92 = 57.038.
  WhBusObj o;
  o.enumComputationType(ostrand::Percent);
  o.IsSingle(true);
  o.sAllowancesIP("2");
  o.sWagesPercent("600");
  o.CalcWH4Paycheck();
  EXPECT_EQ(o.sAllowanceAmt(), "61.54");
  EXPECT_EQ(o.sAllowanceDeductionPercent(), "123.08");
  EXPECT_EQ(o.sSubject2WH(), "476.92");
  EXPECT_EQ(o.sWHPercentMethod(), "57.04");
  const std::filesystem::path table = o.sTable();
  EXPECT_TRUE(table.is_absolute()) << table;
  EXPECT_EQ(table.filename(), "wh2005.tbl");
  EXPECT_TRUE(std::filesystem::exists(table));
  EXPECT_EQ(o.IsCalculated(), "False") << "only Calculate marks the results current";
}

TEST(PercentageMethod, InputsAreRoundedByTheirGettersFirst) {
  // 2.5 allowances count as 3; wages 600.005 count as 600.01.
  WhBusObj o;
  o.IsSingle(true);
  o.sAllowancesIP("2.5");
  o.sWagesPercent("600.005");
  o.CalcWH4Paycheck();
  EXPECT_EQ(o.sAllowanceDeductionPercent(), "184.62");
  EXPECT_EQ(o.sSubject2WH(), "415.39");
  // 13.70 + 15% of 227.39 = 47.8085
  EXPECT_EQ(o.sWHPercentMethod(), "47.81");
}

TEST(PercentageMethod, AllowancesAboveTheWagesLeaveNothingSubject) {
  WhBusObj o;
  o.sAllowancesIP("20");
  o.sWagesPercent("1000");
  o.CalcWH4Paycheck();
  EXPECT_EQ(o.sAllowanceDeductionPercent(), "1,230.80");
  EXPECT_EQ(o.sSubject2WH(), "0.00");
  EXPECT_EQ(o.sWHPercentMethod(), "0.00");
}

TEST(PercentageMethod, DoesNotMarkDirty) {
  WhBusObj o;
  o.BeginEdit();
  o.CalcWH4Paycheck();
  EXPECT_FALSE(o.IsDirty());
}

TEST(Proforma, WorkedExampleWithTheRealTable) {
  // Weekly, married, 52,000 a year, 2 allowances, 10 additional: 1,000 a paycheck,
  // D = 123.08, S = 876.92, 28.10 + 15% of 441.92 = 94.388, T = 104.39, 104.39 x 52 = 5,428.28.
  WhBusObj o;
  o.enumComputationType(ostrand::proforma);
  o.sWages4Yr("52000");
  o.sAllowancesIP("2");
  o.sAdditionalPayckWH("10");
  o.Calculate();
  EXPECT_EQ(o.sPeriodsPerYrProforma(), "52");
  EXPECT_EQ(o.sWagesPerPayckProforma(), "1,000.00");
  EXPECT_EQ(o.sWagesPercent(), "1,000.00");
  EXPECT_EQ(o.sSubject2WH(), "876.92");
  EXPECT_EQ(o.sWHPercentMethod(), "94.39");
  EXPECT_EQ(o.sTotPayckWHProforma(), "104.39");
  EXPECT_EQ(o.sPerYrWHProforma(), "5,428.28");
  EXPECT_EQ(o.IsCalculated(), "True");
}

TEST(Proforma, PerYearMultipliesTheRoundedPaycheckTotal) {
  // The published weekly case over a year: 57.038 a paycheck reads 57.04, and the year is
  // 57.04 x 52 = 2,966.08, not 57.038 x 52 = 2,965.98.
  WhBusObj o;
  o.IsSingle(true);
  o.sWages4Yr("31,200");
  o.sAllowancesIP("2");
  o.CalcProforma();
  EXPECT_EQ(o.sTotPayckWHProforma(), "57.04");
  EXPECT_EQ(o.sPerYrWHProforma(), "2,966.08");
}

TEST(Proforma, MonthlyWagesAreDividedToFourDecimalsThenRoundedForThePaycheck) {
  WhBusObj o;
  o.enumFrequency(ostrand::monthly);
  o.sWages4Yr("1000");
  o.CalcProforma();
  EXPECT_EQ(o.sPeriodsPerYrProforma(), "12");
  EXPECT_EQ(o.sWagesPerPayckProforma(), "83.33");
  EXPECT_EQ(o.sWagesPercent(), "83.33");
  EXPECT_EQ(o.sSubject2WH(), "83.33");
  EXPECT_EQ(o.sWHPercentMethod(), "0.00");

  // 100,000 a year monthly, married: 8,333.33 a paycheck; 666.70 + 25% of 2,816.33 = 1,370.7825.
  o.sWages4Yr("100000");
  o.CalcProforma();
  EXPECT_EQ(o.sWagesPercent(), "8,333.33");
  EXPECT_EQ(o.sWHPercentMethod(), "1,370.78");
  EXPECT_EQ(o.sPerYrWHProforma(), "16,449.36");  // 1,370.78 x 12
}

TEST(Proforma, ReplacesTheWagesEnteredForThePercentageMethodAndMarksDirtyInAnEdit) {
  WhBusObj o;
  o.sWagesPercent("777");
  o.BeginEdit();
  o.sWages4Yr("2600");
  EXPECT_TRUE(o.IsDirty());
  WhBusObj calc;
  calc.BeginEdit();
  calc.CalcProforma();
  EXPECT_TRUE(calc.IsDirty());
  o.CalcProforma();
  EXPECT_EQ(o.sWagesPercent(), "50.00");
}

TEST(Targeted, WorkedByHand) {
  // Biweekly, single, 26,000 over 20 periods = 1,300; 1 allowance: S = 1,176.92;
  // 27.50 + 15% of 799.92 = 147.488 -> 147.49; +5 = 152.49; x 20 = 3,049.80; 3,500 - 3,049.80.
  WhBusObj o;
  o.enumComputationType(ostrand::targeted);
  o.enumFrequency(ostrand::biweekly);
  o.IsSingle(true);
  o.sAllowancesIP("1");
  o.sAdditionalPayckWH("5");
  o.sRemainingWages("26,000.00");
  o.sRemainingPeriods("20");
  o.sTargetedWH4Yr("3500");
  o.Calculate();
  EXPECT_EQ(o.sWagesPerPayckTargeted(), "1,300.00");
  EXPECT_EQ(o.sWagesPercent(), "1,300.00");
  EXPECT_EQ(o.sSubject2WH(), "1,176.92");
  EXPECT_EQ(o.sFromAllowancesWHPerPayck(), "147.49");
  EXPECT_EQ(o.sTotPayckWHTargeted(), "152.49");
  EXPECT_EQ(o.sComputedWH4Yr(), "3,049.80");
  EXPECT_EQ(o.sShortage4Yr(), "450.20");

  // A target below the computed withholding gives a negative shortage.
  o.sTargetedWH4Yr("3000");
  o.Calculate();
  EXPECT_EQ(o.sShortage4Yr(), "-49.80");
}

TEST(Targeted, NoPeriodsLeftKeepsTheLastWagesPerPaycheck) {
  WhBusObj o;
  o.sWagesPerPayckTargeted("600");
  o.sRemainingWages("9000");
  o.sRemainingPeriods("0.4");  // reads as 0
  o.sTargetedWH4Yr("1234.5");
  o.IsSingle(true);
  o.sAllowancesIP("2");
  o.CalcTargeted();
  EXPECT_EQ(o.sWagesPerPayckTargeted(), "600.00");
  EXPECT_EQ(o.sFromAllowancesWHPerPayck(), "57.04");
  EXPECT_EQ(o.sComputedWH4Yr(), "0.00");
  EXPECT_EQ(o.sShortage4Yr(), "1,234.50");
}

TEST(Calculate, UnknownComputationTypeComputesNothingButMarksCalculated) {
  WhBusObj o;
  o.enumComputationType(static_cast<ostrand::eComputationType>(5));
  o.sWagesPercent("600");
  o.Calculate();
  EXPECT_EQ(o.IsCalculated(), "True");
  EXPECT_EQ(o.sTable(), "");
  EXPECT_EQ(o.sWHPercentMethod(), "0.00");
}

TEST(Calculate, FailuresCarryTheTrailAndLeaveTheFlagAlone) {
  const struct {
    ostrand::eComputationType type;
    const char* property;
    const char* value;
    long number;
    const char* trail;
  } rows[] = {
      {ostrand::proforma, "sAllowancesIP", "two", 13,
       "WhBusObj.Calculate\rWhBusObj.CalcProforma\rWhBusObj.CalcWH4Paycheck"},
      {ostrand::targeted, "sAllowancesIP", "", 13,
       "WhBusObj.Calculate\rWhBusObj.CalcTargeted\rWhBusObj.CalcWH4Paycheck"},
      {ostrand::Percent, "sWagesPercent", "n/a", 13,
       "WhBusObj.Calculate\rWhBusObj.CalcWH4Paycheck"},
      {ostrand::proforma, "sWages4Yr", "lots", 13, "WhBusObj.Calculate\rWhBusObj.CalcProforma"},
      {ostrand::proforma, "enumFrequency", "9", 13, "WhBusObj.Calculate\rWhBusObj.CalcProforma"},
      {ostrand::targeted, "sTargetedWH4Yr", "?", 13, "WhBusObj.Calculate\rWhBusObj.CalcTargeted"},
  };
  for (const auto& row : rows) {
    WhBusObj o;
    o.enumComputationType(row.type);
    ostrand::LetProperty(o, row.property, row.value);
    const qel::QelError e = CatchError([&] { o.Calculate(); });
    EXPECT_EQ(e.number(), row.number) << row.property;
    EXPECT_EQ(e.source(), row.trail) << row.property;
    EXPECT_EQ(e.description(), "Qel Paystave withholding engine");
    EXPECT_EQ(o.IsCalculated(), "False") << row.property;
  }
}

TEST(Calculate, InvalidFrequencyShowsInThePeriods) {
  WhBusObj o;
  o.enumFrequency(static_cast<ostrand::eFrequency>(9));
  o.sWages4Yr("52000");
  EXPECT_EQ(CatchError([&] { o.CalcProforma(); }).number(), 13);
  EXPECT_EQ(o.sPeriodsPerYrProforma(), "INVALID FREQUENCY");
  EXPECT_EQ(o.GetWHTableSection(), "");
}

TEST(Calculate, SectionNamesFollowStatusAndFrequency) {
  const char* expected[2][5] = {
      {"Married wk", "Married biwk", "Married smo", "Married mo", "Married yr"},
      {"Single wk", "Single biwk", "Single smo", "Single mo", "Single yr"}};
  WhBusObj o;
  for (int single = 0; single < 2; ++single) {
    for (int f = 0; f < 5; ++f) {
      o.IsSingle(single == 1);
      o.enumFrequency(static_cast<ostrand::eFrequency>(f));
      EXPECT_EQ(o.GetWHTableSection(), expected[single][f]);
    }
  }
}

}  // namespace
