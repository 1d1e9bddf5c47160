// The three withholding computations: percentage method, W-2 proforma and targeted.
//
// Figures are held as text and converted to currency for arithmetic. Inputs are read through
// their getters, so the computations use money rounded to cents and counts rounded to whole
// numbers. The one division of each year-level computation is done in double precision and
// converted back to currency (four decimals, halves to even). Stored results are the unrounded
// currency values as plain text.
#include <string>
#include <string_view>

#include "library_info.h"
#include "ostrand/wh_bus_obj_impl.h"
#include "qel/currency.h"
#include "qel/keyed_data_file.h"
#include "qel/tax_table_store.h"
#include "qel/textnum.h"

namespace ostrand {
namespace {

// Key of the frequency in the table file's section "1 allowance"; empty for an unknown one.
std::string_view AllowanceKey(eFrequency frequency) {
  switch (frequency) {
    case weekly:
      return "wk";
    case biweekly:
      return "biwk";
    case semimonthly:
      return "smo";
    case monthly:
      return "mo";
    case annually:
      return "yr";
  }
  return {};
}

}  // namespace

using detail::Trap;

std::string WhBusObj::GetWHTableSection() {
  return Trap("WhBusObj.GetWHTableSection", [&]() -> std::string {
    const std::string_view key = AllowanceKey(enumFrequency_);
    if (key.empty()) return {};
    return std::string(IsSingle_ ? "Single " : "Married ") + std::string(key);
  });
}

void WhBusObj::Calculate() {
  Trap("WhBusObj.Calculate", [&] {
    switch (enumComputationType_) {
      case proforma:
        CalcProforma();
        break;
      case targeted:
        CalcTargeted();
        break;
      case Percent:
        CalcWH4Paycheck();
        break;
    }
    calculated_ = true;
  });
}

void WhBusObj::CalcWH4Paycheck() {
  Trap("WhBusObj.CalcWH4Paycheck", [&] {
    static const std::string tablePath =
        (detail::LibraryFolder() / detail::kTableFileName).string();
    sTable_ = tablePath;

    // The one-allowance amount; table files are written in invariant syntax.
    {
      qel::KeyedDataFile table;
      table.SetFileName(sTable_);
      sAllowanceAmt_ = table.ReadValue("1 allowance", AllowanceKey(enumFrequency_), "0");
    }
    const qel::Currency allowance = qel::InvariantCurrency(sAllowanceAmt_);

    const qel::Currency allowances = qel::ToCurrency(sAllowancesIP());
    const qel::Currency deduction = allowance * allowances;
    sAllowanceDeductionPercent_ = deduction.ToPlainText();

    const qel::Currency wages = qel::ToCurrency(sWagesPercent());
    qel::Currency subject = wages - deduction;
    if (subject < qel::Currency()) subject = qel::Currency();
    sSubject2WH_ = subject.ToPlainText();

    const std::string section = GetWHTableSection();
    qel::TaxTableStore store;
    store.SetTableFile(sTable_);
    store.SelectSection(section);
    store.SetAmount(subject);
    store.LoadSection();
    sWHPercentMethod_ = store.LookupTax(subject).ToPlainText();
  });
}

void WhBusObj::CalcProforma() {
  Trap("WhBusObj.CalcProforma", [&] {
    sPeriodsPerYrProforma_ = sGetPeriods4FullYr();
    const qel::Currency periods = qel::ToCurrency(sPeriodsPerYrProforma());

    const qel::Currency wages4Yr = qel::ToCurrency(sWages4Yr());
    sWagesPerPayckProforma_ =
        qel::Currency::FromDouble(wages4Yr.ToDouble() / periods.ToDouble()).ToPlainText();

    sWagesPercent(sWagesPerPayckProforma());
    CalcWH4Paycheck();

    const qel::Currency withholding = qel::ToCurrency(sWHPercentMethod());
    const qel::Currency total = withholding + qel::ToCurrency(sAdditionalPayckWH());
    sTotPayckWHProforma_ = total.ToPlainText();
    sPerYrWHProforma_ = (total * periods).ToPlainText();
  });
}

void WhBusObj::CalcTargeted() {
  Trap("WhBusObj.CalcTargeted", [&] {
    const qel::Currency remainingWages = qel::ToCurrency(sRemainingWages());
    const qel::Currency remainingPeriods = qel::ToCurrency(sRemainingPeriods());

    // With no period left there is nothing to divide by; the wages per paycheck stay as they were.
    if (remainingPeriods > qel::Cur("0.5")) {
      sWagesPerPayckTargeted_ =
          qel::Currency::FromDouble(remainingWages.ToDouble() / remainingPeriods.ToDouble())
              .ToPlainText();
    }

    sWagesPercent(sWagesPerPayckTargeted());
    CalcWH4Paycheck();

    const qel::Currency withholding = qel::ToCurrency(sWHPercentMethod());
    sFromAllowancesWHPerPayck_ = withholding.ToPlainText();
    const qel::Currency total = withholding + qel::ToCurrency(sAdditionalPayckWH());
    sTotPayckWHTargeted_ = total.ToPlainText();
    const qel::Currency computed = total * remainingPeriods;
    sComputedWH4Yr_ = computed.ToPlainText();
    sShortage4Yr_ = (qel::ToCurrency(sTargetedWH4Yr()) - computed).ToPlainText();
  });
}

}  // namespace ostrand
