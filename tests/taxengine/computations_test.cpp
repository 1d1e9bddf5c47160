// The computation areas one by one: capital gains and carryforwards, adjustments and the IRA
// limit, deductions and exemptions, other taxes, credits, the minimum tax and the capital-gain
// worksheets. Expected amounts are worked out by hand in the comments.
#include "qel/error.h"
#include "test_util.h"

namespace {

using namespace fennick_test;

// ---- Capital gains --------------------------------------------------------------------------

struct GainCase {
  const char* what;
  int status;
  const char *wages, *stcg, *ltcg, *stCarryOver, *ltCarryOver, *gains1231, *losses1231, *dividends;
  double netST, netLT, capGains, adjNetCG, totalInc, stCarryforward, ltCarryforward;
};

class CapitalGains : public ::testing::TestWithParam<GainCase> {};

TEST_P(CapitalGains, NettingLimitAndCarryforwards) {
  const GainCase& c = GetParam();
  auto top = NewScenario(2005, c.status);
  Set(*top, {{"oInc.WageSp1", c.wages},
             {"oInc.STCG", c.stcg},
             {"oInc.LTCG", c.ltcg},
             {"oInc.STCLCarryOver", c.stCarryOver},
             {"oInc.LTCLCarryOver", c.ltCarryOver},
             {"oInc.Sec1231Gains", c.gains1231},
             {"oInc.Sec1231Losses", c.losses1231},
             {"oInc.Dividends", c.dividends}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oInc.NetSTCG"), c.netST) << c.what;
  EXPECT_EQ(Amount(*top, "oInc.NetLTCG"), c.netLT) << c.what;
  EXPECT_EQ(Amount(*top, "oInc.CapGains"), c.capGains) << c.what;
  EXPECT_EQ(Amount(*top, "oInc.AdjNetCG"), c.adjNetCG) << c.what;
  EXPECT_EQ(Amount(*top, "TotalInc"), c.totalInc) << c.what;
  EXPECT_EQ(Amount(*top, "oInc.STCLCarryforward"), c.stCarryforward) << c.what;
  EXPECT_EQ(Amount(*top, "oInc.LTCLCarryforward"), c.ltCarryforward) << c.what;
}

// Wages of 58,000 for a single filer make taxable income + exemptions = 58,000 - 3,000 - 5,000
// = 50,000 when 3,000 of loss is allowed.
INSTANTIATE_TEST_SUITE_P(
    Part, CapitalGains,
    ::testing::Values(
        // Allowed 3,000; short-term carryforward 10,000 - (3,000 + 2,000).
        GainCase{"short-term loss", 1, "58000", "-10000", "2000", "0", "0", "0", "0", "0", -10000,
                 2000, -3000, 0, 55000, 5000, 0},
        // Separate filers are allowed 1,500: 10,000 - (1,500 + 2,000).
        GainCase{"separate filer", 3, "58000", "-10000", "2000", "0", "0", "0", "0", "0", -10000,
                 2000, -1500, 0, 56500, 6500, 0},
        // Long-term loss 20,000 against a short-term gain of 3,000: 20,000 - (3,000 + 3,000).
        GainCase{"long-term loss", 1, "58000", "3000", "-20000", "0", "0", "0", "0", "0", 3000,
                 -20000, -3000, 0, 55000, 0, 14000},
        GainCase{"tiny loss not limited", 1, "50000", "-0.005", "0", "0", "0", "0", "0", "0", 0, 0,
                 0, 0, 50000, 0, 0},
        // A net section 1231 loss is ordinary; a net gain is long-term.
        GainCase{"1231 loss", 1, "50000", "0", "0", "0", "0", "1000", "4000", "0", 0, 0, 0, 0,
                 47000, 0, 0},
        GainCase{"1231 gain", 1, "50000", "0", "0", "0", "0", "5000", "1000", "0", 0, 4000, 4000,
                 4000, 54000, 0, 0},
        GainCase{"short gain, long loss", 1, "50000", "5000", "-1000", "0", "0", "0", "0", "700",
                 5000, -1000, 4000, 700, 54700, 0, 0},
        GainCase{"dividends only", 2, "50000", "0", "0", "0", "0", "0", "0", "2500", 0, 0, 0, 2500,
                 52500, 0, 0},
        GainCase{"carryovers", 1, "50000", "4000", "2000", "1000", "500", "0", "0", "0", 3000, 1500,
                 4500, 1500, 54500, 0, 0}));

// ---- Adjustments and the IRA limit ----------------------------------------------------------

struct IraCase {
  const char* what;
  int year, status;
  const char *wages, *contrib1, *contrib2;
  bool covered1, covered2;
  double deduction1, deduction2;
};

class IraDeduction : public ::testing::TestWithParam<IraCase> {};

TEST_P(IraDeduction, LimitForCoveredSpouses) {
  const IraCase& c = GetParam();
  auto top = NewScenario(c.year, c.status, 2);
  Set(*top, {{"oInc.WageSp1", c.wages},
             {"oAdj2Inc.IRAContribSP1", c.contrib1},
             {"oAdj2Inc.IRAContribSP2", c.contrib2},
             {"oAdj2Inc.IsSp1InRetPlan", c.covered1 ? "True" : "False"},
             {"oAdj2Inc.IsSp2InRetPlan", c.covered2 ? "True" : "False"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oAdj2Inc.IRADedSp1"), c.deduction1) << c.what;
  EXPECT_EQ(Amount(*top, "oAdj2Inc.IRADedSp2"), c.deduction2) << c.what;
  EXPECT_EQ(Amount(*top, "AGI"), std::stod(c.wages) - c.deduction1 - c.deduction2) << c.what;
  // The contributions are back as entered after the nested computation.
  EXPECT_EQ(Amount(*top, "oAdj2Inc.IRAContribSP1"), Shown(std::stod(c.contrib1))) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Part, IraDeduction,
    ::testing::Values(
        IraCase{"single, not covered", 2005, 1, "50000", "3000", "2000", false, false, 3000, 0},
        IraCase{"half a cent is no contribution", 2005, 1, "50000", "0.005", "0", false, false, 0,
                0},
        // Range end 80,000, room 5,000: 4,000 x 0.5. Spouse 2 is limited with the range ending
        // at 160,000: room 85,000, the full 4,000.
        IraCase{"joint, spouse 1 covered", 2005, 2, "75000", "4000", "4000", true, false, 2000,
                4000},
        // Room 10: 4, raised to 10, then to the floor of 200.
        IraCase{"floor of 200", 2005, 2, "79990", "4000", "0", true, false, 200, 0},
        // Only spouse 2 covered: spouse 1's range ends at 160,000; room 5,000 gives 2,000.
        IraCase{"joint, only spouse 2 covered", 2005, 2, "155000", "3000", "0", false, true, 2000,
                0},
        // Room 2,223: 889.20, raised to the next multiple of 10.
        IraCase{"raised to tens", 2005, 1, "57777", "4000", "0", true, false, 890, 0},
        IraCase{"2001 single covered", 2001, 1, "38000", "2000", "0", true, false, 1000, 0},
        IraCase{"above the range", 2005, 1, "60000", "4000", "0", true, false, 0, 0},
        // A qualifying widow(er) uses the joint range end of 80,000.
        IraCase{"widow(er) covered", 2005, 5, "75000", "4000", "0", true, false, 2000, 0}));

TEST(IraDeduction, NestedComputationEndsOutsideAnEdit) {
  auto top = NewScenario(2005, 2, 2);
  Set(*top, {{"oInc.WageSp1", "75000"},
             {"oAdj2Inc.IRAContribSP1", "4000"},
             {"oAdj2Inc.IsSp1InRetPlan", "True"}});
  top->CancelEdit();  // keeps the values, ends the edit
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oAdj2Inc.IRADedSp1"), 2000);
  EXPECT_EQ(Amount(*top, "AGI"), 73000);
}

TEST(Adjustments, SelfEmployedHealthInsuranceByYear) {
  struct {
    int year;
    double expected;
  } rows[] = {{1999, 0}, {2001, 600}, {2002, 700}, {2003, 1000}, {2007, 1000}};
  for (const auto& row : rows) {
    auto top = NewScenario(row.year, 1);
    Set(*top, {{"oAdj2Inc.SEMedInsPmts", "1000"}});
    top->Calculate();
    EXPECT_EQ(Amount(*top, "oAdj2Inc.SEMedInsDed"), row.expected) << row.year;
  }
}

TEST(Adjustments, HalfOfSelfEmploymentTaxRoundsHalvesToEven) {
  // 10,000 x 0.9235 = 9,235; x 15.3% = 1,412.955 -> 1,413; half 706.5 -> 706.
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oInc.SEIncSp1", "10000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oOtherTaxes.SETaxSp1"), 1413);
  EXPECT_EQ(Amount(*top, "oAdj2Inc.SETaxDed"), 706);
}

// ---- Deductions and exemptions --------------------------------------------------------------

struct DeductionCase {
  const char* what;
  int year, status, exemptions;
  Inputs inputs;
  const char* property;
  double expected;
};

class Deductions : public ::testing::TestWithParam<DeductionCase> {};

TEST_P(Deductions, Amount) {
  const DeductionCase& c = GetParam();
  auto top = NewScenario(c.year, c.status, c.exemptions);
  Set(*top, c.inputs);
  top->Calculate();
  EXPECT_EQ(Amount(*top, c.property), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Part, Deductions,
    ::testing::Values(
        DeductionCase{"medical at the floor",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "40000"}, {"oItem.MedPmts", "3000"}},
                      "oItem.MedDed",
                      0},
        DeductionCase{"medical a dollar over",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "40000"}, {"oItem.MedPmts", "3001"}},
                      "oItem.MedDed",
                      1},
        // AGI 40,000 after the 2,000 health insurance deduction; 5,100 - 2,000 - 3,000.
        DeductionCase{"health insurance left out",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "42000"},
                       {"oItem.MedPmts", "5100"},
                       {"oAdj2Inc.SEMedInsPmts", "2000"}},
                      "oItem.MedDed",
                      100},
        DeductionCase{"misc at 2%",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "40000"}, {"oItem.MiscDedPmts", "800"}},
                      "oItem.MiscDed",
                      0},
        DeductionCase{"misc over 2%",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "40000"}, {"oItem.MiscDedPmts", "900"}},
                      "oItem.MiscDed",
                      100},
        DeductionCase{"blind and over 65",
                      2005,
                      1,
                      1,
                      {{"IsSp1Blind", "True"}, {"IsSp1Over65", "True"}},
                      "oItem.StdDed",
                      7500},
        DeductionCase{"four boxes, joint",
                      2005,
                      2,
                      2,
                      {{"IsSp1Blind", "True"},
                       {"IsSp1Over65", "True"},
                       {"IsSp2Blind", "True"},
                       {"IsSp2Over65", "True"}},
                      "oItem.StdDed",
                      14000},
        DeductionCase{"spouse 2 boxes only count jointly",
                      2005,
                      5,
                      2,
                      {{"IsSp1Over65", "True"}, {"IsSp2Blind", "True"}},
                      "oItem.StdDed",
                      11000},
        DeductionCase{
            "2002 head of household", 2002, 4, 2, {{"IsSp1Over65", "True"}}, "oItem.StdDed", 8050},
        // AGI 110,725 is one 1,250 step over 109,475: 2% of 3,200. One dollar more: 2 steps.
        DeductionCase{"one phase-out step",
                      2005,
                      3,
                      1,
                      {{"oInc.WageSp1", "110725"}},
                      "oItem.ExemptionDedPhaseOut",
                      64},
        DeductionCase{"two phase-out steps",
                      2005,
                      3,
                      1,
                      {{"oInc.WageSp1", "110726"}},
                      "oItem.ExemptionDedPhaseOut",
                      128},
        DeductionCase{"phase-out capped",
                      2005,
                      1,
                      2,
                      {{"oInc.WageSp1", "500000"}},
                      "oItem.ExemptionDedPhaseOut",
                      6400},
        DeductionCase{
            "no exemption left", 2005, 1, 2, {{"oInc.WageSp1", "500000"}}, "ExemptionDed", 0},
        DeductionCase{"huge income does not overflow",
                      2005,
                      1,
                      2,
                      {{"oInc.WageSp1", "900000000000"}},
                      "ExemptionDed",
                      0},
        // 3% of (245,950 - 145,950) = 3,000, below 80% of 20,000.
        DeductionCase{"itemized reduction",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "245950"}, {"oItem.SITPd", "20000"}},
                      "oItem.TotNet",
                      17000},
        DeductionCase{"reduction at most 80%",
                      2005,
                      1,
                      1,
                      {{"oInc.WageSp1", "545950"}, {"oItem.SITPd", "10000"}},
                      "oItem.TotReduction",
                      8000},
        DeductionCase{"1999 has no standard deduction",
                      1999,
                      1,
                      1,
                      {{"oInc.WageSp1", "20000"}, {"oItem.SITPd", "1000"}},
                      "ItemOrStdDed",
                      1000},
        // 1999 uses the 2001 rates: 15% of 19,000.
        DeductionCase{"1999 uses the 2001 rates",
                      1999,
                      1,
                      1,
                      {{"oInc.WageSp1", "20000"}, {"oItem.SITPd", "1000"}},
                      "IncTax",
                      2850}));

// ---- Other taxes ----------------------------------------------------------------------------

TEST(OtherTaxes, SelfEmploymentTaxEdges) {
  struct {
    const char* income;
    int status;
    const char* wages;
    double spouse1, spouse2;
  } rows[] = {
      {"430", 1, "0", 0, 0},       // 397.105 is below 400
      {"-5000", 1, "0", 0, 0},     // a loss is not scaled and gives no tax
      {"20000", 1, "0", 2826, 0},  // 18,470 x 15.3% = 2,825.91; spouse 2 only when joint
      {"20000", 2, "0", 2826, 2826},
      // Wages over the base leave only Medicare: 18,470 x 2.9% = 535.63.
      {"20000", 2, "95000", 536, 2826},
  };
  for (const auto& row : rows) {
    auto top = NewScenario(2005, row.status, 2);
    Set(*top,
        {{"oInc.SEIncSp1", row.income}, {"oInc.SEIncSp2", "20000"}, {"oInc.WageSp1", row.wages}});
    top->Calculate();
    EXPECT_EQ(Amount(*top, "oOtherTaxes.SETaxSp1"), row.spouse1) << row.income;
    EXPECT_EQ(Amount(*top, "oOtherTaxes.SETaxSp2"), row.spouse2) << row.income;
    EXPECT_EQ(Amount(*top, "OtherTax"), row.spouse1 + row.spouse2) << row.income;
  }
}

TEST(OtherTaxes, SpouseTwoTaxClearedWhenNoLongerJoint) {
  auto top = NewScenario(2005, 2, 2);
  Set(*top, {{"oInc.SEIncSp2", "20000"}});
  top->Calculate();
  ASSERT_EQ(Amount(*top, "oOtherTaxes.SETaxSp2"), 2826);
  top->FilingStatus(fennick::fl_single);
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oOtherTaxes.SETaxSp2"), 0);
  EXPECT_EQ(Amount(*top, "oAdj2Inc.SETaxDed"), 0);
}

TEST(OtherTaxes, FicaUtilityByYear) {
  auto top = fennick::CreateTop();
  auto other = top->oOtherTaxes();
  struct {
    const char* wages;
    std::int16_t year;
    const char* expected;
  } rows[] = {
      {"50000", 2005, "3825"},                             // 3,100 + 725
      {"abc", 2005, "0"},       {"100000", 2005, "7030"},  // 90,000 x 6.2% + 100,000 x 1.45%
      {"100000", 2006, "7290"},                            // 94,200 x 6.2% + 1,450
      {"100000", 2011, "5650"},                            // 4.2% + 1.45%, below the base
      {"100000", 2030, "7650"},                            // 2026: 6.2% + 1.45% below the base
      {"100000", 2003, "6844"},                            // 87,000 x 6.2% + 1,450
      {"100000", 2002, "6714"},                            // 84,900 x 6.2% = 5,263.80 + 1,450
      {"100000", 2001, "6435"},                            // 80,400 x 6.2% = 4,984.80 + 1,450
      {"100000", 1999, "0"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(other->CalcFicaMethod(row.wages, row.year), row.expected)
        << row.wages << " " << row.year;
  }
  EXPECT_EQ(other->FicaSp1(), "0");  // the utility changes nothing
}

TEST(OtherTaxes, FicaOfEachSpouseStored) {
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oInc.WageSp1", "50000"}, {"oInc.WageSp2", "100000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oOtherTaxes.FicaSp1"), 3825);
  EXPECT_EQ(Amount(*top, "oOtherTaxes.FicaSp2"), 7030);
}

// ---- Credits --------------------------------------------------------------------------------

TEST(Credits, ChildCredit) {
  struct {
    const char* what;
    int year, status;
    const char *wages, *children;
    double expected;
  } rows[] = {
      {"full credit", 2005, 2, "100000", "2", 2000},
      // Taxable 30,000 - 10,000 - 12,800 = 7,200: tax 720 limits the credit.
      {"limited to the tax", 2005, 2, "30000", "2", 720},
      {"one step over", 2005, 1, "75001", "1", 950},
      {"very high income", 2005, 1, "1000000000", "3", 0},
      {"600 a child in 2002", 2002, 2, "100000", "2", 1200},
      {"1,000 a child in 2003", 2003, 2, "100000", "3", 3000},
      {"1,000 a child in 2004", 2004, 2, "100000", "3", 3000},
      {"none before 2001", 2000, 2, "100000", "2", 0},
  };
  for (const auto& row : rows) {
    auto top = NewScenario(row.year, row.status, 4);
    Set(*top, {{"oInc.WageSp1", row.wages},
               {"oTaxCr.NumOfChildCrChildren", row.children},
               {"oTaxCr.OtherCr", "300"}});
    top->Calculate();
    EXPECT_EQ(Amount(*top, "oTaxCr.ChildCr"), row.expected) << row.what;
    EXPECT_EQ(Amount(*top, "TotCr"), row.expected + 300) << row.what;
  }
}

TEST(Credits, OtherCreditsCanMakeTheTotalNegative) {
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oOtherTaxes.OtherTaxes", "3000"}, {"oTaxCr.OtherCr", "5000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "TotTax"), -2000);
  EXPECT_EQ(Amount(*top, "BalDue"), -2000);
}

// ---- Alternative minimum tax ----------------------------------------------------------------

TEST(MinimumTax, OrdinaryRatesAndTables) {
  struct {
    const char* what;
    int status;
    Inputs inputs;
    double postExemption, tentative;
  } rows[] = {
      {"single", 1, {{"oInc.WageSp1", "100000"}}, 59750, 15535},
      {"below the exemption", 1, {{"oInc.WageSp1", "30000"}}, -10250, 0},
      // Exemption 29,000 - 25% of 75,000; Schedule Y-2: 22,750 + 28% of 52,250.
      {"separate filer", 3, {{"oInc.WageSp1", "150000"}}, 139750, 37380},
      {"widow(er)", 5, {{"oInc.WageSp1", "150000"}}, 92000, 23920},
      // Medical over 10% of AGI, home mortgage interest and charity; taxes do not count.
      {"allowed itemized deductions",
       1,
       {{"oInc.WageSp1", "100000"},
        {"oItem.MedPmts", "15000"},
        {"oItem.HomeMortIntReg", "8000"},
        {"oItem.HomeMortIntAmt", "3000"},
        {"oItem.SITPd", "9000"},
        {"oItem.CharDed", "2000"}},
       44750,
       11635},
  };
  for (const auto& row : rows) {
    auto top = NewScenario(2005, row.status, 2);
    Set(*top, row.inputs);
    top->Calculate();
    EXPECT_EQ(Amount(*top, "oAMT.TaxIncPostExemption"), row.postExemption) << row.what;
    EXPECT_EQ(Amount(*top, "oAMT.TentativeAMT"), row.tentative) << row.what;
    EXPECT_EQ(Amount(*top, "oAMT.TAMTAtOrdRates"), row.tentative) << row.what;
    EXPECT_EQ(Amount(*top, "oAMT.TAMTAtCGRates"), 0) << row.what;
  }
}

TEST(MinimumTax, GovernsAndThenNoLonger) {
  // Taxable 140,000 - 10,000 - 25,600 = 104,400: 8,180 + 25% of 45,000 = 19,430.
  // Minimum tax: 26% of (140,000 - 58,000) = 21,320.
  auto top = NewScenario(2005, 2, 8);
  Set(*top, {{"oInc.WageSp1", "140000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "IncTax"), 19430);
  EXPECT_EQ(Amount(*top, "oAMT.AMT"), 1890);
  EXPECT_EQ(Amount(*top, "RegAndAmtTax"), 21320);
  top->Dependents("2");
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oAMT.AMT"), 0);
  EXPECT_EQ(Amount(*top, "RegAndAmtTax"), Amount(*top, "IncTax"));
}

TEST(MinimumTax, QualifiedDividendsOfARetiree) {
  // Taxable 91,800, all of it dividends: 5% of 29,700 + 15% of 62,100 = 10,800. Minimum tax:
  // after the 40,250 exemption 59,750, 5% of 29,700 + 15% of 30,050 = 1,485 + 4,508.
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oInc.Dividends", "100000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "IncTax"), 10800);
  EXPECT_EQ(Amount(*top, "oInc.Sec_1_h_1_B_Amount"), 29700);
  EXPECT_EQ(Amount(*top, "oAMT.TAMTAtOrdRates"), 0);
  EXPECT_EQ(Amount(*top, "oAMT.TAMTAtCGRates"), 5993);
  EXPECT_EQ(Amount(*top, "oAMT.AMT"), 0);
  EXPECT_EQ(Amount(*top, "TotTax"), 10800);
}

TEST(MinimumTax, CapitalGainRatesBefore2003) {
  // 2001 joint, wages 60,000, long-term gain 40,000. After the 49,000 exemption 51,000: the
  // ordinary 11,000 at 26% = 2,860; 10% of 34,200 (up to 45,200) + 20% of 5,800 = 4,580.
  // Regular tax by the worksheet: 15% of 46,600 ... = 7,165 + 20% of 40,000 = 15,165.
  auto top = NewScenario(2001, 2, 2);
  Set(*top, {{"oInc.WageSp1", "60000"}, {"oInc.LTCG", "40000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "TaxInc"), 86600);
  EXPECT_EQ(Amount(*top, "IncTax"), 15165);
  EXPECT_EQ(Amount(*top, "oAMT.TAMTAtOrdRates"), 2860);
  EXPECT_EQ(Amount(*top, "oAMT.TAMTAtCGRates"), 4580);
  EXPECT_EQ(Amount(*top, "oAMT.TentativeAMT"), 7440);
  EXPECT_EQ(Amount(*top, "RegAndAmtTax"), 15165);
}

TEST(MinimumTax, DividendsAreOrdinaryBefore2003) {
  // 2002 single, dividends 60,000: no capital gain, so the full 26% rate applies after the
  // 35,750 exemption.
  auto top = NewScenario(2002, 1);
  Set(*top, {{"oInc.Dividends", "60000"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "oAMT.TentativeAMT"), 6305);
  EXPECT_EQ(Amount(*top, "oAMT.TAMTAtCGRates"), 0);
}

// ---- Regular tax and the capital-gain worksheets --------------------------------------------

struct WorksheetCase {
  const char* what;
  int year, status, exemptions;
  Inputs inputs;
  double taxable, regularTax;
};

class RegularTax : public ::testing::TestWithParam<WorksheetCase> {};

TEST_P(RegularTax, WorksheetOrSchedule) {
  const WorksheetCase& c = GetParam();
  auto top = NewScenario(c.year, c.status, c.exemptions);
  Set(*top, c.inputs);
  top->Calculate();
  EXPECT_EQ(Amount(*top, "TaxInc"), c.taxable) << c.what;
  EXPECT_EQ(Amount(*top, "IncTax"), c.regularTax) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Part, RegularTax,
    ::testing::Values(
        // Dividends are ordinary in 2001: 4,057.50 + 27.5% of 16,500.
        WorksheetCase{"2001 dividends",
                      2001,
                      1,
                      1,
                      {{"oInc.WageSp1", "50000"}, {"oInc.Dividends", "1000"}},
                      43550,
                      8595},
        // A gain of a cent runs no worksheet: 3,892.50 + 27% of 14,350.01.
        WorksheetCase{"2002 gain of a cent",
                      2002,
                      1,
                      1,
                      {{"oInc.WageSp1", "50000"}, {"oInc.LTCG", "0.01"}},
                      42300,
                      7767},
        // 15% of 12,550 + 10% of 5,000 = 2,382.50, halves to even.
        WorksheetCase{"2001 gain at 10%",
                      2001,
                      1,
                      1,
                      {{"oInc.WageSp1", "20000"}, {"oInc.LTCG", "5000"}},
                      17550,
                      2382},
        // Tax on 32,300 = 5,067 + 20% of 10,000.
        WorksheetCase{"2002 gain at 20%",
                      2002,
                      1,
                      1,
                      {{"oInc.WageSp1", "40000"}, {"oInc.LTCG", "10000"}},
                      42300,
                      7067},
        // Tax on 64,400 = 9,720 + 15% of 20,000.
        WorksheetCase{"2003 dividends at 15%",
                      2003,
                      2,
                      2,
                      {{"oInc.WageSp1", "80000"}, {"oInc.Dividends", "20000"}},
                      84400,
                      12720},
        // Gain larger than taxable income: 5% of 11,800, nothing at 15%.
        WorksheetCase{
            "2005 gain above taxable", 2005, 1, 1, {{"oInc.Dividends", "20000"}}, 11800, 590},
        // 2007 has its own amounts: 20,000 - 5,350 - 3,400; 5% of 11,250, halves to even.
        WorksheetCase{
            "2007 uses its own amounts", 2007, 1, 1, {{"oInc.Dividends", "20000"}}, 11250, 562},
        // Joint bracket top 59,400 for a widow(er): Y-1 tax on 23,600 = 2,810 + 5% of 10,000.
        WorksheetCase{"widow(er) bracket top",
                      2005,
                      5,
                      2,
                      {{"oInc.WageSp1", "40000"}, {"oInc.Dividends", "10000"}},
                      33600,
                      3310},
        WorksheetCase{
            "negative taxable income", 2005, 1, 1, {{"oInc.Dividends", "3000"}}, -5200, 0},
        WorksheetCase{
            "2002 negative taxable income", 2002, 1, 1, {{"oInc.LTCG", "3000"}}, -4700, 0},
        WorksheetCase{
            "2001 negative taxable income", 2001, 1, 1, {{"oInc.LTCG", "3000"}}, -4450, 0}));

TEST(RegularTax, FilingStatusOutsideTheRangeIsRefused) {
  for (int status : {0, 6}) {
    auto top = NewScenario(2005, status);
    try {
      top->Calculate();
      ADD_FAILURE() << "status " << status << " was calculated";
    } catch (const qel::QelError& e) {
      EXPECT_EQ(e.number(), 380);
      EXPECT_EQ(e.source().rfind("clsITaxTop.Calculate", 0), 0u) << e.source();
    }
    EXPECT_FALSE(top->IsCalculated());
  }
}

TEST(RegularTax, PaymentsAboveTheTaxGiveARefund) {
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oInc.WageSp1", "5000"}, {"TotPmts", "500"}});
  top->Calculate();
  EXPECT_EQ(Amount(*top, "TaxInc"), -3200);
  EXPECT_EQ(Amount(*top, "IncTax"), 0);
  EXPECT_EQ(Amount(*top, "BalDue"), -500);
}

// A year after the supported ones computes as the latest supported year, result for result.
TEST(TaxYears, LaterYearsComputeAsTheLatest) {
  const Inputs inputs = {{"oInc.WageSp1", "150000"},
                         {"oInc.SEIncSp2", "20000"},
                         {"oInc.Dividends", "30000"},
                         {"oInc.LTCG", "40000"},
                         {"oAdj2Inc.IRAContribSP1", "3000"},
                         {"oAdj2Inc.IsSp1InRetPlan", "True"},
                         {"oItem.SITPd", "9000"},
                         {"oTaxCr.NumOfChildCrChildren", "2"}};
  auto later = NewScenario(2030, 2, 3);
  auto latest = NewScenario(2026, 2, 3);
  Set(*later, inputs);
  Set(*latest, inputs);
  later->Calculate();
  latest->Calculate();
  for (const auto& name : fennick::ResultPropertyNames()) {
    EXPECT_EQ(fennick::GetProperty(*later, name), fennick::GetProperty(*latest, name)) << name;
  }
}

}  // namespace
