// One pay check through the year's tables, as a payroll run computes a million of them.
#include <benchmark/benchmark.h>

#include "ostrand/paycheck.h"

namespace {

void BM_Withhold(benchmark::State& state) {
  const auto year = ostrand::GetWithholdingYear(static_cast<int>(state.range(0)));
  ostrand::PaycheckInputs in;
  in.frequency = ostrand::biweekly;
  in.wages = qel::Currency::FromUnits(2500);
  in.allowances = qel::Currency::FromUnits(2);
  in.status = ostrand::W4Status::kHeadOfHousehold;
  ostrand::PaycheckWithholding result;
  for (auto _ : state) {
    year->Withhold(in, result);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_Withhold)->Arg(2005)->Arg(2026);

}  // namespace
