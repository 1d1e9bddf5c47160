// Calculate of a 2005 joint return with wages, dividends, gains, IRA contributions of a covered
// spouse (so the nested computation of the IRA limit runs), itemized deductions and
// self-employment income.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>

#include "fennick/tax_objects.h"

namespace {

void BM_CalculateJoint2005(benchmark::State& state) {
  auto top = fennick::CreateTop();
  top->BeginEdit();
  top->TaxYear("2005");
  top->FilingStatus(fennick::fl_joint);
  top->Dependents("4");
  const std::pair<const char*, const char*> inputs[] = {
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
  };
  for (const auto& [name, value] : inputs) fennick::LetProperty(*top, name, value);
  for (auto _ : state) {
    top->Calculate();
    benchmark::DoNotOptimize(top.get());
  }
  state.counters["TotTax"] = std::stod(fennick::GetProperty(*top, "TotTax").erase(1, 1));
}
BENCHMARK(BM_CalculateJoint2005)->Unit(benchmark::kMicrosecond);

}  // namespace
