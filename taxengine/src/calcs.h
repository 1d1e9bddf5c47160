// The computation modules: plain procedures over the top object.
//
// Every procedure receives the top object, reads inputs and earlier results from it and its
// sub-objects, returns its result and stores results through the objects' fields. Year amounts
// live in one parameter record per year (YearParams); the procedures that depend on the year take
// the record picked by the year dispatch.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "library_info.h"
#include "objects.h"

namespace fennick {

struct YearParams;
// A capital-gain worksheet: the tax computed with the capital-gain rates.
using CapGainWorksheet = Currency (*)(const YearParams&, iTop&);

// Everything that tells one tax year from another apart from its rate schedules (those are in
// the table files "Ind" + year + ".tbl" and "indAmt" + amtRatesYear + ".tbl"). Amounts are
// indexed by filing status 1..5 at [status - 1] where they depend on it. Status 5 (qualifying
// widow(er)) carries the joint amounts wherever no amount of its own exists (capital-gain
// bracket tops, IRA phase-out range). Adding a tax year means adding its record and its rate
// file.
struct YearParams {
  int year;
  std::array<Currency, 5> stdDedBase;
  Currency stdDedAddSingle;  // per box, status 1 and 4
  Currency stdDedAddOther;   // per box, other statuses
  Currency exemptionAmount;
  std::array<Currency, 5> exemptionPhaseOutThreshold;
  Currency itemPhaseOutThreshold;     // every status but 3
  Currency itemPhaseOutThresholdSep;  // status 3
  Currency iraEndOther;               // status 1, 4
  Currency iraEndSeparate;            // status 3: the range starts at 0
  Currency iraEndJointCovered;        // status 2 and 5, the spouse limited is covered
  Currency iraEndJointOtherCovered;   // status 2, only the other spouse is covered
  Currency iraMaxContribution;
  std::array<Currency, 5> capGainBracketTop;  // top of the gains taxed at the lower rate
  Currency capGainLowerRate;
  // Whether dividends are taxed at the capital-gain rates (from 2003): the worksheet then runs on
  // the adjusted net capital gain and the minimum tax splits the amount after exemption into gain
  // and ordinary parts itself (CalcAMTCapGainTax); else the year's own worksheet runs on the net
  // capital gain and the minimum tax taxes that gain as the year's rates did (CalcAMTCapGainSplit).
  bool dividendsAtCapGainRates;
  CapGainWorksheet capGainWorksheet;
  Currency ssWageBase;
  Currency childCreditPerChild;
  int childCreditLabelYear;              // the 2002 module names its procedure after 2001
  std::array<Currency, 5> amtThreshold;  // where the exemption starts to phase out
  std::array<Currency, 5> amtExemption;
  Currency amtPhaseOutRate;  // of the minimum taxable income over the threshold
  int amtExemptionYear;      // 2002 uses the 2001 procedure
  int amtRatesYear;          // the year that names the minimum-tax rate file
  Currency seMedInsPercent;
};

// The supported tax years, one record each, oldest first.
std::span<const YearParams> SupportedYears();

// The year dispatch: the record of the year, the latest record for a later year, nullptr before
// the first supported year (every amount from the year modules is then 0).
const YearParams* ParamsFor(int year);

// The record whose rate files serve the year: the year's own, the first supported year's for an
// earlier year and the latest one's for a later year.
const YearParams& TableYearFor(int year);

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
std::string GetRateFile(int year);
std::string GetAmtRateFile(int year);
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
Currency CalcSETax(const YearParams& p, iTop& top, int spouse);
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
