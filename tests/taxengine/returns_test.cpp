// Complete returns, one per tax year and filing status, checked end to end. The expected figures
// are worked out here from the published rate schedules and year amounts, written out below
// independently of the library's table files and parameter records.
#include <algorithm>
#include <map>
#include <vector>

#include "test_util.h"

namespace {

using namespace fennick_test;

struct Row {
  double over, base, rate;
};

// Published rate schedules, by year and filing status (5 uses the joint schedule).
const std::map<std::pair<int, int>, std::vector<Row>>& Schedules() {
  static const std::map<std::pair<int, int>, std::vector<Row>> s = {
      {{2005, 1},
       {{0, 0, .10},
        {7300, 730, .15},
        {29700, 4090, .25},
        {71950, 14652.5, .28},
        {150150, 36548.5, .33},
        {326450, 94727.5, .35}}},
      {{2005, 2},
       {{0, 0, .10},
        {14600, 1460, .15},
        {59400, 8180, .25},
        {119950, 23317.5, .28},
        {182800, 40915.5, .33},
        {326450, 88320, .35}}},
      {{2005, 3},
       {{0, 0, .10},
        {7300, 730, .15},
        {29700, 4090, .25},
        {59975, 11658.75, .28},
        {91400, 20457.75, .33},
        {163225, 44160, .35}}},
      {{2005, 4},
       {{0, 0, .10},
        {10450, 1045, .15},
        {39800, 5447.5, .25},
        {102800, 21197.5, .28},
        {166450, 39019.5, .33},
        {326450, 91819.5, .35}}},
      {{2004, 1},
       {{0, 0, .10},
        {7150, 715, .15},
        {29050, 4000, .25},
        {70350, 14325, .28},
        {146750, 35717, .33},
        {319100, 92592.5, .35}}},
      {{2004, 2},
       {{0, 0, .10},
        {14300, 1430, .15},
        {58100, 8000, .25},
        {117250, 22787.5, .28},
        {178650, 39979.5, .33},
        {319100, 86328, .35}}},
      {{2004, 3},
       {{0, 0, .10},
        {7150, 715, .15},
        {29050, 4000, .25},
        {58625, 11393.75, .28},
        {89325, 19989.75, .33},
        {159550, 43164, .35}}},
      {{2004, 4},
       {{0, 0, .10},
        {10200, 1020, .15},
        {38900, 5325, .25},
        {100500, 20725, .28},
        {162700, 38141, .33},
        {319100, 89753, .35}}},
      {{2003, 1},
       {{0, 0, .10},
        {7000, 700, .15},
        {28400, 3910, .25},
        {68800, 14010, .28},
        {143500, 34926, .33},
        {311950, 90514.5, .35}}},
      {{2003, 2},
       {{0, 0, .10},
        {14000, 1400, .15},
        {56800, 7820, .25},
        {114650, 22282.5, .28},
        {174700, 39096.5, .33},
        {311950, 84389, .35}}},
      {{2003, 3},
       {{0, 0, .10},
        {7000, 700, .15},
        {28400, 3910, .25},
        {57325, 11141.25, .28},
        {87350, 19548.25, .33},
        {155975, 42194.5, .35}}},
      {{2003, 4},
       {{0, 0, .10},
        {10000, 1000, .15},
        {38050, 5207.5, .25},
        {98250, 20257.5, .28},
        {159100, 37295.5, .33},
        {311950, 87736, .35}}},
      {{2002, 1},
       {{0, 0, .10},
        {6000, 600, .15},
        {27950, 3892.5, .27},
        {67700, 14625, .30},
        {141250, 36690, .35},
        {307050, 94720, .386}}},
      {{2002, 2},
       {{0, 0, .10},
        {12000, 1200, .15},
        {46700, 6405, .27},
        {112850, 24265.5, .30},
        {171950, 41995.5, .35},
        {307050, 89280.5, .386}}},
      {{2002, 3},
       {{0, 0, .10},
        {6000, 600, .15},
        {23350, 3202.5, .27},
        {56425, 12132.75, .30},
        {85975, 20997.75, .35},
        {153525, 44640.25, .386}}},
      {{2002, 4},
       {{0, 0, .10},
        {10000, 1000, .15},
        {37450, 5117.5, .27},
        {96700, 21115, .30},
        {156600, 39085, .35},
        {307050, 91742.5, .386}}},
      {{2001, 1},
       {{0, 0, .15},
        {27050, 4057.5, .275},
        {65550, 14645, .305},
        {136750, 36361, .355},
        {297350, 93374, .391}}},
      {{2001, 2},
       {{0, 0, .15},
        {45200, 6780, .275},
        {109250, 24393.75, .305},
        {166500, 41855, .355},
        {297350, 88306.75, .391}}},
      {{2001, 3},
       {{0, 0, .15},
        {22600, 3390, .275},
        {54625, 12196.875, .305},
        {83250, 20927.5, .355},
        {148675, 44153.375, .391}}},
      {{2001, 4},
       {{0, 0, .15},
        {36250, 5437.5, .275},
        {93650, 21222.5, .305},
        {151650, 38912.5, .355},
        {297350, 90636, .391}}},
  };
  return s;
}

double ScheduleTax(int year, int status, double amount) {
  const auto& rows = Schedules().at({year, status == 5 ? 2 : status});
  double tax = 0;
  for (const Row& r : rows) {
    if (amount > r.over) tax = r.base + r.rate * (amount - r.over);
  }
  return tax;
}

double AmtTax(int status, double amount) {
  double second = status == 3 ? 87500 : 175000;
  if (amount <= 0) return 0;
  if (amount <= second) return 0.26 * amount;
  return 0.26 * second + 0.28 * (amount - second);
}

struct YearAmounts {
  double stdDed[5];
  double exemption;
  double ssBase;
  double amtExemption[5];
};

const std::map<int, YearAmounts> kYear = {
    {2001, {{4550, 7600, 3800, 6650, 7600}, 2900, 80400, {35750, 49000, 24500, 35750, 49000}}},
    {2002, {{4700, 7850, 3925, 6900, 7850}, 3000, 84900, {35750, 49000, 24500, 35750, 49000}}},
    {2003, {{4750, 9500, 4750, 7000, 9500}, 3050, 87000, {40250, 58000, 29000, 40250, 58000}}},
    {2004, {{4850, 9700, 4850, 7150, 9700}, 3100, 87900, {40250, 58000, 29000, 40250, 58000}}},
    {2005, {{5000, 10000, 5000, 7300, 10000}, 3200, 90000, {40250, 58000, 29000, 40250, 58000}}},
};

struct Return {
  int year, status;
  double wages1, wages2, seIncome1, payments;
  int exemptions;
};

// Half-even rounding to whole dollars, as the engine rounds inside the computation.
double RoundEven(double x) {
  return std::nearbyint(std::round(x * 10000) / 10000);
}

class CompleteReturn : public ::testing::TestWithParam<Return> {};

TEST_P(CompleteReturn, MatchesTheScheduleFigures) {
  const Return r = GetParam();
  const YearAmounts& y = kYear.at(r.year);
  auto top = NewScenario(r.year, r.status, r.exemptions);
  Set(*top, {{"oInc.WageSp1", std::to_string(r.wages1)},
             {"oInc.WageSp2", std::to_string(r.wages2)},
             {"oInc.SEIncSp1", std::to_string(r.seIncome1)},
             {"TotPmts", std::to_string(r.payments)}});
  top->Calculate();

  // Self-employment tax on 92.35% of the income, the social security part up to the wage base
  // left after wages; half of it is an adjustment.
  double net = r.seIncome1 * 0.9235;
  double seTax = 0;
  if (net >= 400) {
    double room = std::max(0.0, y.ssBase - r.wages1);
    seTax = RoundEven(std::min(net, room) * 0.124 + net * 0.029);
  }
  double total = r.wages1 + r.wages2 + r.seIncome1;
  double agi = total - RoundEven(seTax / 2);
  double deduction = y.stdDed[r.status - 1];
  double exemptions = r.exemptions * y.exemption;
  double taxable = agi - deduction - exemptions;
  double regular = ScheduleTax(r.year, r.status, taxable);
  double amtExemption = y.amtExemption[r.status - 1];  // incomes stay below the phase-out
  double tentative = AmtTax(r.status, agi - amtExemption);
  double governing = regular > tentative ? regular : tentative;
  double totalTax = governing + seTax;

  EXPECT_EQ(Amount(*top, "TotalInc"), Shown(total));
  EXPECT_EQ(Amount(*top, "AGI"), Shown(agi));
  EXPECT_EQ(Amount(*top, "ItemOrStdDed"), Shown(deduction));
  EXPECT_EQ(Amount(*top, "ExemptionDed"), Shown(exemptions));
  EXPECT_EQ(Amount(*top, "TaxInc"), Shown(taxable));
  EXPECT_EQ(Amount(*top, "IncTax"), Shown(regular));
  EXPECT_EQ(Amount(*top, "oAMT.TentativeAMT"), Shown(tentative));
  EXPECT_EQ(Amount(*top, "oAMT.AMT"), Shown(governing - regular));
  EXPECT_EQ(Amount(*top, "OtherTax"), Shown(seTax));
  EXPECT_EQ(Amount(*top, "TotTax"), Shown(totalTax));
  EXPECT_EQ(Amount(*top, "BalDue"), Shown(totalTax - r.payments));
}

// One return per year and filing status; incomes, exemptions and self-employment vary so that
// different brackets, the wage-base cap and, in a few rows, the minimum tax come into play.
INSTANTIATE_TEST_SUITE_P(
    EveryYearAndStatus, CompleteReturn,
    ::testing::Values(
        Return{2001, 1, 40000, 0, 0, 5000, 1}, Return{2001, 2, 60000, 30000, 10000, 12000, 4},
        Return{2001, 3, 52000, 0, 0, 9000, 1}, Return{2001, 4, 45000, 0, 5000, 7000, 3},
        Return{2001, 5, 70000, 0, 0, 9000, 2}, Return{2002, 1, 25000, 0, 3000, 2500, 1},
        Return{2002, 2, 82000, 15000, 0, 11000, 3}, Return{2002, 3, 70000, 0, 0, 16000, 1},
        Return{2002, 4, 38000, 0, 0, 3000, 2}, Return{2002, 5, 64000, 0, 12000, 8000, 3},
        Return{2003, 1, 80000, 0, 20000, 24000, 1}, Return{2003, 2, 45000, 45000, 0, 9000, 5},
        Return{2003, 3, 30000, 0, 0, 3500, 1}, Return{2003, 4, 60000, 0, 0, 6000, 10},
        Return{2003, 5, 140000, 0, 0, 25000, 2}, Return{2004, 1, 18000, 0, 0, 1500, 1},
        Return{2004, 2, 110000, 20000, 15000, 20000, 4}, Return{2004, 3, 65000, 0, 8000, 10000, 1},
        Return{2004, 4, 80000, 0, 0, 12000, 3}, Return{2004, 5, 50000, 0, 0, 2000, 2},
        Return{2005, 1, 72000, 0, 0, 12000, 1}, Return{2005, 2, 140000, 0, 0, 20000, 8},
        Return{2005, 3, 50000, 0, 20000, 11000, 1}, Return{2005, 4, 41000, 0, 0, 3000, 2},
        Return{2005, 5, 98000, 0, 0, 13000, 3}),
    [](const ::testing::TestParamInfo<Return>& info) {
      return "Year" + std::to_string(info.param.year) + "Status" +
             std::to_string(info.param.status);
    });

}  // namespace
