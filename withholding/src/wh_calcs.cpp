// The three withholding computations: percentage method, W-2 proforma and targeted.
//
// The percentage method is the withholding for one pay check by the method of the case's tax
// year (the allowance method of 2005, Worksheet 1A from 2020 on), through the one pay-check
// routine and the year's tables, read once per run. The year-level computations are built on it.
// Figures are held as text and converted to currency for arithmetic. Inputs are read through
// their getters, so the computations use money rounded to cents and counts rounded to whole
// numbers. The one division of each year-level computation is done in double precision and
// converted back to currency (four decimals, halves to even). Stored results are the unrounded
// currency values as plain text.
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "library_info.h"
#include "ostrand/paycheck.h"
#include "qel/currency.h"
#include "qel/error.h"
#include "qel/format.h"
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

// The tables of the tax year whose text the case stores, read as its getter shows it.
std::shared_ptr<const WithholdingYear> YearTables(const std::string& taxYear) {
  qel::Currency year;
  try {
    year = Count(taxYear);
  } catch (const qel::QelError&) {
    throw qel::QelError(qel::err::kTypeMismatch, std::string(detail::kErrorSource),
                        "The tax year \"" + taxYear + "\" is not a year.");
  }
  return GetWithholdingYear(year.ToDouble(), taxYear);
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

PaycheckInputs WhBusObj::PaycheckInputsFor(WithholdingMethod method) {
  const bool worksheet = method == WithholdingMethod::kWorksheet1A;
  const bool newForm = worksheet && enumW4Form_ == W4Form::k2020OrLater;
  PaycheckInputs in;
  in.frequency = enumFrequency_;
  in.single = IsSingle_;
  if (!newForm) in.allowances = Count(sAllowancesIP_);
  in.wages = Money(sWagesPercent_);
  if (worksheet) {
    in.form = enumW4Form_;
    in.extra = Money(sAdditionalPayckWH_);
  }
  if (newForm) {
    in.status = enumW4Status_;
    in.step2 = IsStep2Checked_;
    in.step3 = Money(sStep3Credits_);
    in.step4a = Money(sStep4aOtherIncome_);
    in.step4b = Money(sStep4bDeductions_);
  }
  return in;
}

// The figures of the allowance method keep their names; from 2020 on they are zero and the
// worksheet lines carry the working. sWHPercentMethod is the withholding before the extra amount,
// which the year-level computations add.
void WhBusObj::CalcWH4Paycheck() {
  Trap("WhBusObj.CalcWH4Paycheck", [&] {
    const std::shared_ptr<const WithholdingYear> year = YearTables(sTaxYear_);
    sTable_ = year->TableFile();
    year->Withhold(PaycheckInputsFor(year->Method()), paycheck_);
    sAllowanceAmt_ = paycheck_.allowanceAmount.ToPlainText();
    sAllowanceDeductionPercent_ = paycheck_.allowanceDeduction.ToPlainText();
    sSubject2WH_ = paycheck_.subjectToWithholding.ToPlainText();
    sWHPercentMethod_ = paycheck_.beforeExtra.ToPlainText();
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
