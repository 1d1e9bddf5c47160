// The 2001 capital-gain worksheet: 10% and 20% rates on the net capital gain.
#include "calcs.h"

namespace fennick::Calcs2001 {

using namespace CommonTaxCalcs;

Currency GetSchedDTax2001(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "GetSchedDTax", true, [&] {
    const iInc& inc = *top.inc;
    const Currency zero;
    const Currency cent = Currency::FromRaw(100);
    Currency taxable = top.taxInc;

    // The 28%-rate gain is taken as 0.
    Currency gain = MinOrMax(inc.netLTCG, inc.capGains, false);
    if (gain < cent) gain = zero;
    Currency ordinary = SubtractNotZero(gain, taxable);
    Currency ordinaryTax = TopComputations::GetIncTaxOn(top, ordinary);

    Currency lowTop = MinOrMax(taxable, p.capGainBracketTop[StatusIndex(top)], false);
    Currency eightPart, tenPart, twentyPart;
    Currency atLowRates;
    bool allAtLowRates = false;
    if (lowTop > ordinary) {
      atLowRates = lowTop - ordinary;
      if (atLowRates > cent) {
        Currency qualifiedFiveYear = MinOrMax(atLowRates, zero, false);  // taken as 0
        eightPart = qualifiedFiveYear * K(0.08);
        tenPart = (atLowRates - qualifiedFiveYear) * K(0.10);
        allAtLowRates = atLowRates == gain;
      }
    }
    if (!allAtLowRates) {
      Currency rest = MinOrMax(taxable, gain, false) - atLowRates;
      if (rest < zero) rest = zero;  // a negative taxable income gets no negative tax
      twentyPart = rest * K(0.20);
    }
    Currency worksheet = ordinaryTax + eightPart + tenPart + twentyPart;
    return MinOrMax(worksheet, top.incTax, false).Rounded();
  });
}

}  // namespace fennick::Calcs2001
