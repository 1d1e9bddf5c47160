// One whole Calculate for each computation type, as a report or the input form runs it.
#include <benchmark/benchmark.h>

#include "ostrand/wh_bus_obj.h"

namespace {

void SetUpCase(ostrand::_WhBusObj& o, ostrand::eComputationType type) {
  o.enumComputationType(type);
  o.enumFrequency(ostrand::weekly);
  o.sAllowancesIP("2");
  o.sAdditionalPayckWH("10");
  o.sWages4Yr("52000");
  o.sRemainingWages("26000");
  o.sRemainingPeriods("26");
  o.sTargetedWH4Yr("5000");
  o.sWagesPercent("1000");
}

void BM_Calculate(benchmark::State& state) {
  const auto object = ostrand::CreateObject(ostrand::kWhBusObjClassId);
  ostrand::_WhBusObj& o = *object;
  SetUpCase(o, static_cast<ostrand::eComputationType>(state.range(0)));
  for (auto _ : state) {
    o.Calculate();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Calculate)->Arg(ostrand::proforma)->Arg(ostrand::targeted)->Arg(ostrand::Percent);

}  // namespace
