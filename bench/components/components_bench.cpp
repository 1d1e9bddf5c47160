// The components' share of one withholding computation: one value read through KeyedDataFile and
// one bracket looked up through TaxTableStore, each on a fresh instance, as the engine does; and
// the load and save of a case (the thirteen values of a withholding data file).
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "qel/currency.h"
#include "qel/keyed_data_file.h"
#include "qel/module_path.h"
#include "qel/tax_table_store.h"
#include "qel/textnum.h"
#include "qel_testing/temp_folder.h"

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

// The sections and keys of a withholding data file, with values of a typical case.
struct CaseValue {
  const char* section;
  const char* key;
  const char* value;
};
constexpr std::array<CaseValue, 13> kCase{{
    {"Common", "Version", "ZOV2005.1"},
    {"Common", "TP", "Ann Lee"},
    {"Common", "Freq", "1"},
    {"Common", "Allow", "2"},
    {"Common", "Unmarried", "True"},
    {"Common", "Comp Type", "0"},
    {"Common", "Addl WH", "10.00"},
    {"Common", "L2", "Second line"},
    {"Proforma", "Wage 4 yr", "52,000.00"},
    {"Targeted", "Remain Wages", "26,000.00"},
    {"Targeted", "Remain Periods", "13"},
    {"Targeted", "Targ WH", "4,000.00"},
    {"Percent", "Wages", "1,000.00"},
}};

void SaveCase(const std::string& path, const char* taxpayer) {
  qel::KeyedDataFile f;
  f.SetFileName(path);
  f.BeginUpdate();
  for (const CaseValue& v : kCase)
    f.WriteValue(v.section, v.key, std::string_view(v.key) == "TP" ? taxpayer : v.value);
  f.CommitUpdate();
}

void BM_LoadCase(benchmark::State& state) {
  qel::testing::TempFolder folder;
  const std::string path = folder.File("case.zov");
  SaveCase(path, "Ann Lee");
  for (auto _ : state) {
    qel::KeyedDataFile f;
    f.SetFileName(path);
    for (const CaseValue& v : kCase) benchmark::DoNotOptimize(f.ReadValue(v.section, v.key, ""));
  }
}
BENCHMARK(BM_LoadCase);

// Every save changes one value, so each one replaces the file (flushed to the disk).
void BM_SaveCase(benchmark::State& state) {
  qel::testing::TempFolder folder;
  const std::string path = folder.File("case.zov");
  bool odd = false;
  for (auto _ : state) {
    SaveCase(path, odd ? "Ann Lee" : "Bob Ray");
    odd = !odd;
  }
}
BENCHMARK(BM_SaveCase)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
