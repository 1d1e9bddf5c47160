// The components' share of one withholding computation: one value read through KeyedDataFile and
// one bracket looked up through TaxTableStore, each on a fresh instance, as the engine does.
#include <benchmark/benchmark.h>

#include <string>

#include "qel/currency.h"
#include "qel/keyed_data_file.h"
#include "qel/module_path.h"
#include "qel/tax_table_store.h"
#include "qel/textnum.h"

namespace {

std::string TablePath() {
  static int here = 0;
  return (qel::ModuleFolder(&here) / "wh2005.tbl").string();
}

void BM_ReadAllowance(benchmark::State& state) {
  const std::string table = TablePath();
  for (auto _ : state) {
    qel::KeyedDataFile f;
    f.SetFileName(table);
    benchmark::DoNotOptimize(f.ReadValue("1 allowance", "wk", "0"));
  }
}
BENCHMARK(BM_ReadAllowance);

void BM_LookupBracket(benchmark::State& state) {
  const std::string table = TablePath();
  const qel::Currency subject = qel::Cur("476.92");
  for (auto _ : state) {
    qel::TaxTableStore s;
    s.SetTableFile(table);
    s.SelectSection("Single wk");
    s.SetAmount(subject);
    s.LoadSection();
    benchmark::DoNotOptimize(s.LookupTax(subject));
  }
}
BENCHMARK(BM_LookupBracket);

void BM_PercentageMethodComponents(benchmark::State& state) {
  const std::string table = TablePath();
  const qel::Currency wages = qel::ToCurrency("600.00");
  for (auto _ : state) {
    qel::KeyedDataFile f;
    f.SetFileName(table);
    qel::Currency allowance = qel::ToCurrency(f.ReadValue("1 allowance", "wk", "0"));
    qel::Currency subject = wages - allowance * qel::Cur("2");
    qel::TaxTableStore s;
    s.SetTableFile(table);
    s.SelectSection("Single wk");
    s.SetAmount(subject);
    s.LoadSection();
    benchmark::DoNotOptimize(s.LookupTax(subject));
  }
}
BENCHMARK(BM_PercentageMethodComponents);

}  // namespace

BENCHMARK_MAIN();
