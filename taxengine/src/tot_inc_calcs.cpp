// Total income and capital gains: netting of short- and long-term gains with last year's loss
// carryovers, section 1231 netting, the capital-loss limit, the adjusted net capital gain and
// the loss carryforwards to the next year.
#include "calcs.h"

namespace fennick::TotIncCalcs {

using CommonTaxCalcs::MinOrMax;
using CommonTaxCalcs::SubtractNotZero;

namespace {
Currency Abs(Currency c) {
  return c < Currency() ? -c : c;
}
}  // namespace

Currency CalcTotInc(iTop& top) {
  return Describe("TotIncCalcs.CalcTotInc", [&] {
    iInc& inc = *top.inc;
    inc.sec1231Netted = inc.sec1231Gains - inc.sec1231Losses;
    Currency ordinary1231Loss = inc.sec1231Netted <= Currency() ? inc.sec1231Netted : Currency();
    inc.capGains = CalcCapGains(top);
    Currency total = inc.wageSp1 + inc.wageSp2 + inc.capGains + inc.otherNonSEInc + inc.seIncSp1 +
                     inc.seIncSp2 + ordinary1231Loss + inc.dividends;
    top.totalInc = total;
    return total;
  });
}

Currency CalcCapGains(iTop& top) {
  return Keep("TotIncCalcs.CalcCapGains", [&] {
    iInc& inc = *top.inc;
    inc.netSTCG = inc.stcg - inc.stclCarryOver;
    Currency sec1231Gain = inc.sec1231Netted > Currency() ? inc.sec1231Netted : Currency();
    inc.netLTCG = inc.ltcg + sec1231Gain - inc.ltclCarryOver;
    Currency net = inc.netSTCG + inc.netLTCG;

    // The gain part of the adjusted net capital gain: the smaller of the net long-term gain and
    // the net gain, not below 0. Dividends count in every year.
    Currency gainPart;
    if (inc.netLTCG < Currency()) {
      gainPart = Currency();
    } else if (inc.netSTCG > Currency()) {
      gainPart = inc.netLTCG;
    } else {
      gainPart = net > Currency() ? net : Currency();
    }
    Currency adjNetCG = inc.dividends + gainPart;

    if (net < -Currency::FromRaw(100)) {
      Currency floor = top.filingStatus == fl_mar_sep ? K(-1500) : K(-3000);
      if (net < floor) net = floor;
    }
    inc.capGains = net;
    inc.adjNetCG = adjNetCG;
    return net;
  });
}

void CalcCapLossCarryforward(iTop& top) {
  Keep("TotIncCalcs.CalcCapLossCarryforward", [&] {
    iInc& inc = *top.inc;
    Currency net = inc.netSTCG + inc.netLTCG;
    Currency shortTerm, longTerm;
    if (net < Currency()) {
      Currency allowed = -inc.capGains;
      Currency base = top.taxInc + top.exemptionDed;
      bool wholeLossAllowed =
          inc.capGains >= Currency() || (base >= Currency() && Abs(inc.capGains) >= Abs(net));
      if (!wholeLossAllowed) {
        Currency c = SubtractNotZero(Currency(), base + allowed);
        Currency d = MinOrMax(allowed, c, false);
        Currency s1;
        if (inc.netSTCG < Currency()) {
          s1 = Abs(inc.netSTCG);
          Currency s2 = inc.netLTCG > Currency() ? inc.netLTCG : Currency();
          shortTerm = SubtractNotZero(d + s2, s1);
        }
        Currency l1 = inc.netLTCG <= Currency() ? Abs(inc.netLTCG) : Currency();
        Currency l2 = inc.netSTCG >= Currency() ? inc.netSTCG : Currency();
        Currency l3 = SubtractNotZero(s1, d);
        longTerm = SubtractNotZero(l2 + l3, l1);
      }
    }
    inc.stclCarryforward = shortTerm;
    inc.ltclCarryforward = longTerm;
  });
}

}  // namespace fennick::TotIncCalcs
