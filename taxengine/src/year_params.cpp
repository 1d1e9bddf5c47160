// The amounts of each tax year, one record per year (rate schedules live in the table files).
#include <iterator>

#include "calcs.h"

namespace fennick {
namespace {

constexpr Currency D(std::int64_t dollars) {
  return Currency::FromRaw(dollars * Currency::kScale);
}
constexpr Currency Pct(std::int64_t percent) {
  return Currency::FromRaw(percent * 100);
}

// Per-status arrays, statuses 1 to 5.
constexpr std::array<Currency, 5> S(std::int64_t s1, std::int64_t s2, std::int64_t s3,
                                    std::int64_t s4, std::int64_t s5) {
  return {D(s1), D(s2), D(s3), D(s4), D(s5)};
}

// Minimum-tax thresholds and exemptions: status 4 as status 1, status 5 as status 2.
constexpr std::array<Currency, 5> kAmtThreshold = S(112500, 150000, 75000, 112500, 150000);
constexpr std::array<Currency, 5> kAmtExemption2001 = S(35750, 49000, 24500, 35750, 49000);
constexpr std::array<Currency, 5> kAmtExemption2003 = S(40250, 58000, 29000, 40250, 58000);

// One record per supported year, oldest first. Every year takes its minimum-tax rates from the
// one file of 2001.
constexpr YearParams kYears[] = {
    {
        .year = 2001,
        .stdDedBase = S(4550, 7600, 3800, 6650, 7600),
        .stdDedAddSingle = D(1100),
        .stdDedAddOther = D(900),
        .exemptionAmount = D(2900),
        .exemptionPhaseOutThreshold = S(132950, 199450, 99725, 166200, 199450),
        .itemPhaseOutThreshold = D(132950),
        .itemPhaseOutThresholdSep = D(66475),
        .iraEndOther = D(43000),
        .iraEndSeparate = D(10000),
        .iraEndJointCovered = D(63000),
        .iraEndJointOtherCovered = D(160000),
        .iraMaxContribution = D(2000),
        .capGainBracketTop = S(27050, 45200, 22600, 36250, 45200),
        .capGainLowerRate = Pct(10),
        .dividendsAtCapGainRates = false,
        .capGainWorksheet = Calcs2001::GetSchedDTax2001,
        .ssWageBase = D(80400),
        .childCreditPerChild = D(600),
        .childCreditLabelYear = 2001,
        .amtThreshold = kAmtThreshold,
        .amtExemption = kAmtExemption2001,
        .amtPhaseOutRate = Pct(25),
        .amtExemptionYear = 2001,
        .amtRatesYear = 2001,
        .seMedInsPercent = Pct(60),
    },
    {
        .year = 2002,
        .stdDedBase = S(4700, 7850, 3925, 6900, 7850),
        .stdDedAddSingle = D(1150),
        .stdDedAddOther = D(900),
        .exemptionAmount = D(3000),
        .exemptionPhaseOutThreshold = S(137300, 206000, 103000, 171650, 206000),
        .itemPhaseOutThreshold = D(137300),
        .itemPhaseOutThresholdSep = D(68650),
        .iraEndOther = D(44000),
        .iraEndSeparate = D(10000),
        .iraEndJointCovered = D(64000),
        .iraEndJointOtherCovered = D(160000),
        .iraMaxContribution = D(3000),
        .capGainBracketTop = S(27950, 46700, 23350, 37450, 46700),
        .capGainLowerRate = Pct(10),
        .dividendsAtCapGainRates = false,
        .capGainWorksheet = Calcs2002::GetSchedDTax2002,
        .ssWageBase = D(84900),
        .childCreditPerChild = D(600),
        .childCreditLabelYear = 2001,
        .amtThreshold = kAmtThreshold,
        .amtExemption = kAmtExemption2001,
        .amtPhaseOutRate = Pct(25),
        .amtExemptionYear = 2001,
        .amtRatesYear = 2001,
        .seMedInsPercent = Pct(70),
    },
    {
        .year = 2003,
        .stdDedBase = S(4750, 9500, 4750, 7000, 9500),
        .stdDedAddSingle = D(1150),
        .stdDedAddOther = D(950),
        .exemptionAmount = D(3050),
        .exemptionPhaseOutThreshold = S(139500, 209250, 104625, 174400, 209250),
        .itemPhaseOutThreshold = D(139500),
        .itemPhaseOutThresholdSep = D(69750),
        .iraEndOther = D(50000),
        .iraEndSeparate = D(10000),
        .iraEndJointCovered = D(70000),
        .iraEndJointOtherCovered = D(160000),
        .iraMaxContribution = D(3000),
        .capGainBracketTop = S(28400, 56800, 28400, 38050, 56800),
        .capGainLowerRate = Pct(5),
        .dividendsAtCapGainRates = true,
        .capGainWorksheet = YearCalcs::GetSchedDTax,
        .ssWageBase = D(87000),
        .childCreditPerChild = D(1000),
        .childCreditLabelYear = 2003,
        .amtThreshold = kAmtThreshold,
        .amtExemption = kAmtExemption2003,
        .amtPhaseOutRate = Pct(25),
        .amtExemptionYear = 2003,
        .amtRatesYear = 2001,
        .seMedInsPercent = Pct(100),
    },
    {
        .year = 2004,
        .stdDedBase = S(4850, 9700, 4850, 7150, 9700),
        .stdDedAddSingle = D(1200),
        .stdDedAddOther = D(950),
        .exemptionAmount = D(3100),
        .exemptionPhaseOutThreshold = S(142700, 214050, 107025, 178350, 214050),
        .itemPhaseOutThreshold = D(142700),
        .itemPhaseOutThresholdSep = D(71350),
        .iraEndOther = D(55000),
        .iraEndSeparate = D(10000),
        .iraEndJointCovered = D(75000),
        .iraEndJointOtherCovered = D(160000),
        .iraMaxContribution = D(3000),
        .capGainBracketTop = S(29050, 58100, 29050, 38900, 58100),
        .capGainLowerRate = Pct(5),
        .dividendsAtCapGainRates = true,
        .capGainWorksheet = YearCalcs::GetSchedDTax,
        .ssWageBase = D(87900),
        .childCreditPerChild = D(1000),
        .childCreditLabelYear = 2004,
        .amtThreshold = kAmtThreshold,
        .amtExemption = kAmtExemption2003,
        .amtPhaseOutRate = Pct(25),
        .amtExemptionYear = 2004,
        .amtRatesYear = 2001,
        .seMedInsPercent = Pct(100),
    },
    {
        .year = 2005,
        .stdDedBase = S(5000, 10000, 5000, 7300, 10000),
        .stdDedAddSingle = D(1250),
        .stdDedAddOther = D(1000),
        .exemptionAmount = D(3200),
        .exemptionPhaseOutThreshold = S(145950, 218950, 109475, 182450, 218950),
        .itemPhaseOutThreshold = D(145950),
        .itemPhaseOutThresholdSep = D(72975),
        .iraEndOther = D(60000),
        .iraEndSeparate = D(10000),
        .iraEndJointCovered = D(80000),
        .iraEndJointOtherCovered = D(160000),
        .iraMaxContribution = D(4000),
        .capGainBracketTop = S(29700, 59400, 29700, 39800, 59400),
        .capGainLowerRate = Pct(5),
        .dividendsAtCapGainRates = true,
        .capGainWorksheet = YearCalcs::GetSchedDTax,
        .ssWageBase = D(90000),
        .childCreditPerChild = D(1000),
        .childCreditLabelYear = 2005,
        .amtThreshold = kAmtThreshold,
        .amtExemption = kAmtExemption2003,
        .amtPhaseOutRate = Pct(25),
        .amtExemptionYear = 2005,
        .amtRatesYear = 2001,
        .seMedInsPercent = Pct(100),
    },
};

}  // namespace

std::span<const YearParams> SupportedYears() {
  return kYears;
}

const YearParams* ParamsFor(int year) {
  // The latest record not after the year; most scenarios are of the latest year.
  for (auto p = std::rbegin(kYears); p != std::rend(kYears); ++p) {
    if (p->year <= year) return &*p;
  }
  return nullptr;
}

const YearParams& TableYearFor(int year) {
  const YearParams* p = ParamsFor(year);
  return p ? *p : kYears[0];
}

}  // namespace fennick
