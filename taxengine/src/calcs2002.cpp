// The 2002 capital-gain worksheet: 10% and 20% rates on the net capital gain, the rest at the
// regular rates, never more than the regular tax.
#include "calcs.h"

namespace fennick::Calcs2002 {

using namespace CommonTaxCalcs;

Currency GetSchedDTax2002(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "GetSchedDTax", true, [&] {
    const iInc& inc = *top.inc;
    const Currency zero;
    Currency taxable = top.taxInc;

    // The 28%-rate gain, the unrecaptured section 1250 gain and the qualified five-year gain are
    // taken as 0.
    Currency gain = MinOrMax(inc.netLTCG, inc.capGains, false);
    Currency a2 = SubtractNotZero(zero, gain);
    Currency a3 = SubtractNotZero(zero + zero, a2);
    Currency a4 = SubtractNotZero(a3, taxable);
    Currency h = MinOrMax(taxable, p.capGainBracketTop[StatusIndex(top)], false);
    Currency s = MinOrMax(a4, h, false);
    Currency r = MinOrMax(s, SubtractNotZero(a2, taxable), true);
    Currency taxOnR = TopComputations::GetIncTaxOn(top, r);

    Currency n = h - s;
    Currency eightBase = MinOrMax(n, zero, false);
    Currency eightPart = eightBase * K(0.08);
    Currency tenPart = (n - eightBase) * K(0.10);
    Currency w = SubtractNotZero(n, MinOrMax(taxable, a3, false));
    Currency twentyPart = w * K(0.20);
    Currency z = SubtractNotZero(taxable, a2 + r);
    Currency v = SubtractNotZero(z, MinOrMax(a2, zero, false));
    Currency twentyFivePart = v * K(0.25);
    Currency rest = taxable - (r + n + w + v);
    if (rest < zero) rest = zero;  // a negative taxable income gets no negative tax
    Currency twentyEightPart = rest * K(0.28);
    Currency worksheet =
        (taxOnR + eightPart + tenPart + twentyPart + twentyFivePart + twentyEightPart).Rounded();

    Currency regular = TopComputations::GetIncTaxOn(top, taxable);
    return MinOrMax(worksheet, regular, false);
  });
}

}  // namespace fennick::Calcs2002
