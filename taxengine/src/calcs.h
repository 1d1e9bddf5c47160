// The computation modules: plain procedures over the top object.
//
// Every procedure receives the top object, reads inputs and earlier results from it and its
// sub-objects, returns its result and stores results through the objects' fields. Year amounts
// live in one parameter record per year (YearParams, read from the year's table file); the
// procedures that depend on the year take the record picked by the year dispatch.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library_info.h"
#include "objects.h"

namespace fennick {

struct YearParams;
// A capital-gain worksheet: the tax computed with the capital-gain rates.
using CapGainWorksheet = Currency (*)(const YearParams&, iTop&);

using PerStatus = std::array<Currency, 5>;  // one amount per filing status, [status - 1]

// How the deduction for exemptions is phased out: not at all, by the whole 2% a step, or by a
// share of it (the phase-out divided by a divisor, with a fixed net amount per exemption once
// every step is taken).
enum class ExemptionPhaseOut { kNone, kFull, kReduced };
// The overall limitation of itemized deductions: none, 3% of AGI over a start (at most 80% of
// the deductions, possibly divided by a divisor), or 2/37 of the deductions over the start of
// the top bracket.
enum class ItemLimitation { kNone, kThreePercent, kTwoThirtySevenths };

// Every figure and setting that tells one tax year from another, read from the year's table file
// "Ind" + year + ".tbl" (section [Year], with the rate schedules and minimum-tax rates in their
// own sections of the same file). Shares are held as fractions (7.5% as 0.075). A rule that a
// year lacks is "none" in its file: its has... flag is false or its amount 0 here. Status 5
// (qualifying widow(er)) has its own column in every per-status figure.
struct YearParams {
  int year;
  // The year whose module named the child-credit and minimum-tax exemption procedures in error
  // trails (an older module served some years).
  int childCreditLabelYear;
  int amtExemptionLabelYear;

  PerStatus stdDedBase;
  Currency stdDedAddSingle;  // per box, status 1 and 4
  Currency stdDedAddOther;   // per box, other statuses

  Currency exemptionAmount;
  ExemptionPhaseOut exemptionPhaseOut;
  PerStatus exemptionPhaseOutStart;
  Currency exemptionPhaseOutDivisor;  // reduced phase-out: 1.5 or 3
  Currency exemptionNetPastEnd;       // reduced phase-out: net amount per exemption after it

  ItemLimitation itemLimitation;
  PerStatus itemLimitationStart;
  Currency itemLimitationDivisor;  // 1 for the whole 3% reduction

  Currency medicalFloor;        // share of AGI
  Currency medicalFloorOver65;  // 0: the same floor for everyone
  Currency amtMedicalFloor;
  bool miscDeductions;  // miscellaneous deductions over 2% of AGI allowed
  bool hasTaxCap;       // state and local taxes capped
  PerStatus taxCap;
  bool hasTaxCapPhaseDown;  // the cap falls with AGI over a start, down to a floor
  PerStatus taxCapPhaseDownStart;
  Currency taxCapPhaseDownRate;
  PerStatus taxCapFloor;
  Currency charityFloor;  // share of AGI; 0: none

  Currency seniorDeduction;  // per spouse 65 or older; 0: none
  PerStatus seniorDeductionStart;
  Currency seniorDeductionRate;

  CapGainWorksheet capGainWorksheet;
  // Whether dividends are taxed at the capital-gain rates (from 2003): the worksheet then runs on
  // the adjusted net capital gain and the minimum tax splits the amount after exemption into gain
  // and ordinary parts itself (CalcAMTCapGainTax); else the year's own worksheet runs on the net
  // capital gain and the minimum tax taxes that gain as the year's rates did (CalcAMTCapGainSplit).
  bool dividendsAtCapGainRates;
  Currency capGainLowerRate;
  PerStatus capGainBracketTop;  // the top of the lower rate
  bool hasCapGainTopRate;       // a 20% tier
  PerStatus capGainTopRateFrom;

  PerStatus amtExemption;
  PerStatus amtPhaseOutStart;
  Currency amtPhaseOutRate;

  Currency ssWageBase;
  Currency seOasdiRate, seMedicareRate;      // self-employment tax
  Currency ficaOasdiRate, ficaMedicareRate;  // employee
  Currency seTaxDedOasdiShare, seTaxDedMedicareShare;
  bool seHealthCutsSeEarnings;
  Currency seMedInsPercent;   // share of the payments deductible
  Currency addlMedicareRate;  // 0: none
  PerStatus addlMedicareThreshold;

  Currency childCreditPerChild;
  Currency creditPerOtherDependent;  // 0: no credit for other dependents
  PerStatus childCreditStart;
  Currency childCreditIncrease;  // per child, phased out first from its own start; 0: none
  PerStatus childCreditIncreaseStart;
  PerStatus childCreditIncreaseMaxReduction;

  Currency iraMaxContribution;
  Currency iraEndOther;              // status 1, 4
  Currency iraEndSeparate;           // status 3: the range starts at 0
  Currency iraEndJointCovered;       // status 2 and 5, the spouse limited is covered
  Currency iraEndJointOtherCovered;  // status 2, only the other spouse is covered
  Currency iraWidthJointCovered;     // width of the range that ends at iraEndJointCovered
};

// The tax years whose table files are present in the library folder, oldest first; read once.
const std::vector<int>& AvailableYears();

// The year dispatch: the figures of the year, the latest year's for a later year, nullptr before
// the first year present (every amount from the year modules is then 0). A year's file is read
// on its first use and kept for the rest of the run.
const YearParams* ParamsFor(int year);

// The year whose rate schedules serve the year: the year's own, the first year's for an earlier
// year and the latest one's for a later year (2005 when no year is present).
int RateFileYear(int year);

// A constant written as a decimal literal, K(0.9235), fixed at compile time.
consteval Currency K(double value) {
  return Currency::FromRaw(
      static_cast<std::int64_t>(value * Currency::kScale + (value < 0 ? -0.5 : 0.5)));
}

// Tax year of the top object.
inline int YearOf(const iTop& top) {
  return top.taxYear;
}
// Index into the per-status arrays; the driver refuses statuses outside 1..5 before it runs.
inline std::size_t StatusIndex(const iTop& top) {
  int s = top.filingStatus;
  return static_cast<std::size_t>((s >= 1 && s <= 5 ? s : 1) - 1);
}

namespace CommonTaxCalcs {
Currency SubtractNotZero(Currency a, Currency b);  // b - a, not below 0
Currency MinOrMax(Currency a, Currency b, bool wantMaximum);
std::string GetRateTable(std::int32_t filingStatus);
// The path of the table file of the year (kept for the years present).
const std::string& GetRateFile(int year);
// The folder this library was loaded from; table files are found there.
const std::string& LibraryFolder();
std::string InLibraryFolder(std::string_view fileName);
// Looks up `amount` in a section of a table file through a fresh table store.
Currency LookupTable(const std::string& file, const std::string& section, Currency amount);
}  // namespace CommonTaxCalcs

namespace TopComputations {
void TopTaxCalc(iTop& top);
Currency GetIncTax(iTop& top);
// GetIncTax on another amount: taxable income is set to `amount` for the lookup and restored
// afterwards, also when the lookup fails.
Currency GetIncTaxOn(iTop& top, Currency amount);
// The capital-gain worksheet tax, or nothing when no worksheet runs for the scenario.
std::optional<Currency> GetSchedDTax(iTop& top);
}  // namespace TopComputations

namespace TotIncCalcs {
Currency CalcTotInc(iTop& top);
Currency CalcCapGains(iTop& top);
void CalcCapLossCarryforward(iTop& top);
}  // namespace TotIncCalcs

namespace Adj2IncCalcs {
Currency Adj2IncCalc(iTop& top);
Currency CalcIRADed(iTop& top, int spouse);
Currency CalcSEMedInsDed(iTop& top);
Currency LimitIRADed4Spouse(Currency contribution, int spouse, iTop& top);
}  // namespace Adj2IncCalcs

namespace ItemDedCalcs {
Currency ItemDedCalc(iTop& top);
Currency CalcMedDed(iTop& top);
Currency CalcMiscItemDed(iTop& top);
Currency ItemDedPhaseOut(iTop& top);
Currency CalcStdDedSub(iTop& top);
Currency CalcExemptionDedGross(iTop& top);
Currency CalcExemptionDedPhaseOut(iTop& top);
}  // namespace ItemDedCalcs

namespace OtherTaxesCalc {
Currency CalcOtherTaxes(iTop& top);
Currency CalcSETax(iTop& top, int spouse);
// Employee social security and Medicare tax on the wages text (0 when not a number).
Currency CalcFica(std::string_view wages, int year);
}  // namespace OtherTaxesCalc

namespace TaxCrCalcs {
Currency CalcTaxCr(iTop& top);
Currency CalcChildCr(iTop& top);
}  // namespace TaxCrCalcs

// The minimum-tax working record.
struct AmtRecord {
  Currency agi, medDed, mortgInt, casualty, charity, itemTotal, taxInc, exemption,
      taxIncPostExemption;
};

namespace AltMinTaxCalcs {
Currency CalcAMT(iTop& top);
Currency GetAmtTax(iTop& top, Currency amount);
}  // namespace AltMinTaxCalcs

// The procedures every year module holds, written once over the year's parameters. Each reports
// itself under its year's name ("Calcs2004.StdDed2004").
namespace YearCalcs {
Currency LimitIRADed4Spouse(const YearParams& p, bool secondSpouse, iTop& top);
Currency ItemDedPhaseOut(const YearParams& p, iTop& top);
Currency StdDed(const YearParams& p, iTop& top);
Currency CalcExemptionDedGross(const YearParams& p, iTop& top);
Currency CalcExemptionDedPhaseOut(const YearParams& p, iTop& top);
// The capital-gain worksheet of the years whose dividends are taxed at the capital-gain rates.
Currency GetSchedDTax(const YearParams& p, iTop& top);
// The self-employment tax of a spouse before rounding: net earnings (0 below 400) and the social
// security and Medicare parts.
struct SeParts {
  Currency net, socialSecurity, medicare;
};
SeParts SETaxParts(const YearParams& p, const iTop& top, int spouse);
Currency CalcSETax(const YearParams& p, iTop& top, int spouse);
// The deduction for one half (or the year's share) of the self-employment taxes.
Currency SETaxDeduction(const YearParams& p, iTop& top);
// The additional Medicare tax on wages and self-employment earnings over the threshold.
Currency CalcAddlMedicare(const YearParams& p, iTop& top);
Currency CalcChildCr(const YearParams& p, iTop& top);
Currency CalcFica(const YearParams& p, Currency wages);
Currency CalcAMTExemption(const YearParams& p, iTop& top, AmtRecord& record);
// The minimum tax in two parts: at the minimum-tax rates and at the capital-gain rates.
struct AmtSplit {
  Currency ordinaryTax, capGainTax;
};
// Minimum tax with an adjusted net capital gain, when dividends are taxed at the capital-gain
// rates. The tentative minimum tax is the smaller of the two parts together and the table tax on
// the whole amount after exemption.
AmtSplit CalcAMTCapGainTax(const YearParams& p, iTop& top, const AmtRecord& record);
// Minimum tax on the net capital gain, when dividends are ordinary income: fills the two parts,
// whose sum is the tentative minimum tax, or nothing when there is no gain.
std::optional<AmtSplit> CalcAMTCapGainSplit(const YearParams& p, iTop& top,
                                            const AmtRecord& record);
}  // namespace YearCalcs

// The capital-gain worksheets whose structure differs by year.
namespace Calcs2001 {
Currency GetSchedDTax2001(const YearParams& p, iTop& top);
}
namespace Calcs2002 {
Currency GetSchedDTax2002(const YearParams& p, iTop& top);
}

}  // namespace fennick
