// Calculate of a 2005 joint return with wages, dividends, gains, IRA contributions of a covered
// spouse (so the nested computation of the IRA limit runs), itemized deductions and
// self-employment income; and of a 2026 joint return with every input set, so every rule of
// its year runs (state and local tax cap, charity floor, senior deduction, 2/37 limitation,
// additional Medicare tax, credit for other dependents); and the bulk path, households per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fennick/bulk.h"
#include "fennick/tax_objects.h"

namespace {

using Inputs = std::vector<std::pair<const char*, const char*>>;

void Calculate(benchmark::State& state, const char* year, const Inputs& inputs) {
  auto top = fennick::CreateTop();
  top->BeginEdit();
  top->TaxYear(year);
  top->FilingStatus(fennick::fl_joint);
  for (const auto& [name, value] : inputs) fennick::LetProperty(*top, name, value);
  for (auto _ : state) {
    top->Calculate();
    benchmark::DoNotOptimize(top.get());
  }
  std::string total = fennick::GetProperty(*top, "TotTax");
  std::erase(total, ',');
  state.counters["TotTax"] = std::stod(total);
}

void BM_CalculateJoint2005(benchmark::State& state) {
  Calculate(state, "2005",
            {
                {"Dependents", "4"},
                {"oInc.WageSp1", "62000"},
                {"oInc.WageSp2", "9000"},
                {"oInc.SEIncSp2", "18000"},
                {"oInc.Dividends", "2500"},
                {"oInc.LTCG", "6000"},
                {"oInc.STCG", "-1000"},
                {"oAdj2Inc.IRAContribSP1", "4000"},
                {"oAdj2Inc.IsSp1InRetPlan", "True"},
                {"oAdj2Inc.IRAContribSP2", "4000"},
                {"oAdj2Inc.SEMedInsPmts", "3000"},
                {"oItem.HomeMortIntReg", "9500"},
                {"oItem.SITPd", "3900"},
                {"oItem.CharDed", "2400"},
                {"oItem.MedPmts", "1200"},
                {"oTaxCr.NumOfChildCrChildren", "2"},
                {"TotPmts", "14000"},
            });
}
BENCHMARK(BM_CalculateJoint2005)->Unit(benchmark::kMicrosecond);

void BM_CalculateJoint2026EveryInput(benchmark::State& state) {
  Calculate(state, "2026",
            {
                {"Dependents", "5"},
                {"IsSp1Over65", "True"},
                {"IsSp2Over65", "True"},
                {"IsSp1Blind", "True"},
                {"oInc.WageSp1", "410000"},
                {"oInc.WageSp2", "95000"},
                {"oInc.SEIncSp1", "40000"},
                {"oInc.SEIncSp2", "28000"},
                {"oInc.Dividends", "12000"},
                {"oInc.LTCG", "150000"},
                {"oInc.STCG", "-4000"},
                {"oInc.LTCLCarryOver", "2000"},
                {"oInc.STCLCarryOver", "1000"},
                {"oInc.Sec1231Gains", "9000"},
                {"oInc.Sec1231Losses", "3000"},
                {"oInc.OtherNonSEInc", "6000"},
                {"oAdj2Inc.IRAContribSP1", "7500"},
                {"oAdj2Inc.IsSp1InRetPlan", "True"},
                {"oAdj2Inc.IRAContribSP2", "7500"},
                {"oAdj2Inc.IsSp2InRetPlan", "True"},
                {"oAdj2Inc.SEMedInsPmts", "9000"},
                {"oAdj2Inc.OtherAdj2Inc", "1500"},
                {"oItem.MedPmts", "60000"},
                {"oItem.SITPd", "38000"},
                {"oItem.OtherTaxes", "9000"},
                {"oItem.HomeMortIntReg", "26000"},
                {"oItem.HomeMortIntAmt", "4000"},
                {"oItem.InvIntDed", "3000"},
                {"oItem.OtherIntDed", "800"},
                {"oItem.CharDed", "15000"},
                {"oItem.CasualtyDed", "2000"},
                {"oItem.MiscDedPmts", "5000"},
                {"oOtherTaxes.OtherTaxes", "700"},
                {"oTaxCr.NumOfChildCrChildren", "2"},
                {"oTaxCr.OtherCr", "300"},
                {"TotPmts", "160000"},
            });
}
BENCHMARK(BM_CalculateJoint2026EveryInput)->Unit(benchmark::kMicrosecond);

// The bulk path of fennick --batch: households of every year 2001 to 2026 and every filing
// status, with wages, self-employment, dividends, gains and itemized deductions, one after
// another through one calculator; households per second.
void BM_BulkHouseholds(benchmark::State& state) {
  std::vector<fennick::Household> households(1000);
  for (std::size_t i = 0; i < households.size(); ++i) {
    fennick::Household& h = households[i];
    const auto units = [&](std::size_t n, std::size_t most) {
      return qel::Currency::FromUnits(static_cast<std::int64_t>(i * n % most));
    };
    h.year = 2001 + static_cast<int>(i % 26);
    h.filingStatus = static_cast<fennick::eFilingStatus>(1 + i % 4);
    h.exemptions = 1 + static_cast<int>(i % 4);
    h.childCreditChildren = static_cast<int>(i % 3) % h.exemptions;
    h.wageSp1 = units(7919, 250000);
    h.wageSp2 = h.filingStatus == fennick::fl_joint ? units(104729, 120000) : qel::Currency();
    h.seIncSp1 = i % 10 == 0 ? units(3571, 80000) : qel::Currency();
    h.dividends = units(1299, 20000);
    h.ltcg = i % 5 == 0 ? units(15485, 90000) : qel::Currency();
    h.taxesPaid = units(6151, 15000);
    h.mortgageInterest = units(3023, 25000);
  }
  fennick::BulkCalculator calculator;
  fennick::HouseholdResults results;
  std::size_t next = 0;
  for (auto _ : state) {
    calculator.Calculate(households[next], results);
    benchmark::DoNotOptimize(results);
    next = (next + 1) % households.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BulkHouseholds)->Unit(benchmark::kMicrosecond);

}  // namespace
