// One whole Calculate for each computation type, as a report or the input form runs it, for a
// case of 2005 (allowance method) and of 2026 (Worksheet 1A, 2020-or-later form).
#include <benchmark/benchmark.h>

#include <string>

#include "ostrand/wh_bus_obj.h"

namespace {

void SetUpCase(ostrand::_WhBusObj& o, ostrand::eComputationType type, int year) {
  o.sTaxYear(std::to_string(year));
  o.enumComputationType(type);
  o.enumFrequency(ostrand::weekly);
  o.sAllowancesIP("2");
  o.sAdditionalPayckWH("10");
  o.sWages4Yr("52000");
  o.sRemainingWages("26000");
  o.sRemainingPeriods("26");
  o.sTargetedWH4Yr("5000");
  o.sWagesPercent("1000");
  o.enumW4Status(ostrand::W4Status::kJoint);
  o.sStep3Credits("2000");
  o.sStep4aOtherIncome("1500");
}

void BM_Calculate(benchmark::State& state) {
  const auto object = ostrand::CreateObject(ostrand::kWhBusObjClassId);
  ostrand::_WhBusObj& o = *object;
  SetUpCase(o, static_cast<ostrand::eComputationType>(state.range(0)),
            static_cast<int>(state.range(1)));
  for (auto _ : state) {
    o.Calculate();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Calculate)
    ->ArgsProduct({{ostrand::proforma, ostrand::targeted, ostrand::Percent}, {2005, 2026}});

}  // namespace
