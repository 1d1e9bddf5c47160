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
#include "qel/currency.h"
#include "qel/format.h"
#include "qel/keyed_data_file.h"
#include "qel/tax_table_store.h"
#include "qel/textnum.h"
#include "wh_bus_obj_impl.h"

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

// The currency value of what a getter shows: money rounded to cents, counts to whole numbers.
// Equal to converting the getter's text back to currency, without formatting it first.
qel::Currency Money(const std::string& stored) {
  return qel::FormattedValue(stored, 2);
}
qel::Currency Count(const std::string& stored) {
  return qel::FormattedValue(stored, 0);
}

constexpr qel::Currency kHalf = qel::Currency::FromRaw(qel::Currency::kScale / 2);

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
        detail::WithholdingTableFile(detail::kDefaultTaxYear).string();
    sTable_ = tablePath;

    // The one-allowance amount: table files are written in invariant syntax; it is kept as a
    // figure of the user's locale like every other amount.
    qel::Currency allowance;
    {
      qel::KeyedDataFile table;
      table.SetFileName(sTable_);
      allowance =
          qel::InvariantCurrency(table.ReadValue("1 allowance", AllowanceKey(enumFrequency_), "0"));
    }
    sAllowanceAmt_ = allowance.ToPlainText();

    const qel::Currency allowances = Count(sAllowancesIP_);
    const qel::Currency deduction = allowance * allowances;
    sAllowanceDeductionPercent_ = deduction.ToPlainText();

    const qel::Currency wages = Money(sWagesPercent_);
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
    const qel::Currency periods = Count(sPeriodsPerYrProforma_);

    const qel::Currency wages4Yr = Money(sWages4Yr_);
    sWagesPerPayckProforma_ =
        qel::Currency::FromDouble(wages4Yr.ToDouble() / periods.ToDouble()).ToPlainText();

    sWagesPercent(sWagesPerPayckProforma());
    CalcWH4Paycheck();

    const qel::Currency withholding = Money(sWHPercentMethod_);
    const qel::Currency total = withholding + Money(sAdditionalPayckWH_);
    sTotPayckWHProforma_ = total.ToPlainText();
    sPerYrWHProforma_ = (total * periods).ToPlainText();
  });
}

void WhBusObj::CalcTargeted() {
  Trap("WhBusObj.CalcTargeted", [&] {
    const qel::Currency remainingWages = Money(sRemainingWages_);
    const qel::Currency remainingPeriods = Count(sRemainingPeriods_);

    // With no period left there is nothing to divide by; the wages per paycheck stay as they were.
    if (remainingPeriods > kHalf) {
      sWagesPerPayckTargeted_ =
          qel::Currency::FromDouble(remainingWages.ToDouble() / remainingPeriods.ToDouble())
              .ToPlainText();
    }

    sWagesPercent(sWagesPerPayckTargeted());
    CalcWH4Paycheck();

    const qel::Currency withholding = Money(sWHPercentMethod_);
    sFromAllowancesWHPerPayck_ = withholding.ToPlainText();
    const qel::Currency total = withholding + Money(sAdditionalPayckWH_);
    sTotPayckWHTargeted_ = total.ToPlainText();
    const qel::Currency computed = total * remainingPeriods;
    sComputedWH4Yr_ = computed.ToPlainText();
    sShortage4Yr_ = (Money(sTargetedWH4Yr_) - computed).ToPlainText();
  });
}

}  // namespace ostrand
