// The procedures of the year modules, written once over a year's parameters. Each reports itself
// under the name it has in its year's module ("Calcs2004.StdDed2004").
#include "calcs.h"
#include "qel/tax_table_store.h"

namespace fennick::YearCalcs {

using namespace CommonTaxCalcs;

namespace {

constexpr Currency Dollars(std::int64_t d) {
  return Currency::FromRaw(d * Currency::kScale);
}
const Currency kZero;

Currency Times(Currency amount, std::int64_t count) {
  return amount * Currency::FromUnits(count);
}

}  // namespace

Currency LimitIRADed4Spouse(const YearParams& p, bool secondSpouse, iTop& top) {
  return YearTrap(p.year, "LimitIRADed4Spouse", true, [&] {
    Adj2Inc& adj = *top.adj;
    int status = top.filingStatus;
    bool flag = status == fl_joint ? (secondSpouse ? adj.isSp2InRetPlan : adj.isSp1InRetPlan)
                                   : adj.isSp1InRetPlan;
    Currency end;
    if (status == fl_joint || status == fl_qual_widow) {
      end = flag ? p.iraEndJointCovered : p.iraEndJointOtherCovered;
    } else if (status == fl_mar_sep) {
      end = p.iraEndSeparate;
    } else {
      end = p.iraEndOther;
    }

    // Modified AGI: total income less the adjustments of the same scenario computed again
    // without IRA contributions. The nested run sees both contributions as zero and cannot
    // reach this procedure again; contributions and deductions are put back afterwards, also
    // when the nested run fails. It runs the steps up to the adjustments: every later result
    // it could write is written again by the computation that called it.
    Currency rememberedTotal = top.totalInc;
    Currency adjustmentsWithoutIra;
    {
      struct Restore {
        iTop& top;
        Adj2Inc& adj;
        Currency contrib1, contrib2, ded1, ded2;
        ~Restore() {
          adj.iraContribSp1 = contrib1;
          adj.iraContribSp2 = contrib2;
          adj.iraDedSp1 = ded1;
          adj.iraDedSp2 = ded2;
          top.inIraLimit = false;
        }
      } restore{top, adj, adj.iraContribSp1, adj.iraContribSp2, adj.iraDedSp1, adj.iraDedSp2};
      adj.iraContribSp1 = kZero;
      adj.iraContribSp2 = kZero;
      top.inIraLimit = true;
      TotIncCalcs::CalcTotInc(top);
      adjustmentsWithoutIra = Adj2IncCalcs::Adj2IncCalc(top);
    }
    Currency modifiedAgi = rememberedTotal - adjustmentsWithoutIra;

    Currency limit;
    if (modifiedAgi < end) {
      Currency room = end - modifiedAgi;
      if (room >= Dollars(10000)) {
        limit = p.iraMaxContribution;
      } else {
        // maximum x room / 10,000, raised to the next multiple of 10 dollars, at least 200.
        std::int64_t raw = p.iraMaxContribution.raw() * room.raw() / (10000 * Currency::kScale);
        limit = Currency::FromRaw(raw);
        if (raw % (10 * Currency::kScale) != 0) {
          std::int64_t cents = limit.Rounded(2).raw() / 100;
          limit = Dollars((cents / 1000 + 1) * 10);
        }
        if (limit < Dollars(200)) limit = Dollars(200);
      }
    }
    Currency contribution = secondSpouse ? adj.iraContribSp2 : adj.iraContribSp1;
    return MinOrMax(limit, contribution, false).Rounded();
  });
}

Currency ItemDedPhaseOut(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "ItemDedPhaseOut", true, [&] {
    ItemDed& item = *top.item;
    // At most 80% of the deductions the reduction applies to: medical, investment interest
    // and casualty losses are reduced by nothing.
    Currency base = item.totGross - item.medDed - item.invIntDed - item.casualtyDed;
    Currency ceiling = base > kZero ? (base * K(0.8)).Rounded() : kZero;
    Currency threshold =
        top.filingStatus == fl_mar_sep ? p.itemPhaseOutThresholdSep : p.itemPhaseOutThreshold;
    Currency reduction;
    if (top.agi > threshold) {
      reduction = ((top.agi - threshold) * K(0.03)).Rounded();
      if (reduction > ceiling) reduction = ceiling;
    }
    item.totReduction = reduction;
    return reduction.Rounded();
  });
}

Currency StdDed(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "StdDed", true, [&] {
    int status = top.filingStatus;
    int boxes = int{top.isSp1Blind} + int{top.isSp1Over65};
    if (status == fl_joint) boxes += int{top.isSp2Over65} + int{top.isSp2Blind};
    Currency additional =
        (status == fl_single || status == fl_head_household) ? p.stdDedAddSingle : p.stdDedAddOther;
    return (p.stdDedBase[StatusIndex(top)] + Times(additional, boxes)).Rounded();
  });
}

Currency CalcExemptionDedGross(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "CalcExemptionDedGross", true,
                  [&] { return Times(p.exemptionAmount, top.dependents).Rounded(); });
}

Currency CalcExemptionDedPhaseOut(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "CalcExemptionDedPhaseOut", true, [&] {
    Currency threshold = p.exemptionPhaseOutThreshold[StatusIndex(top)];
    if (top.agi <= threshold) return kZero;
    Currency gross = ItemDedCalcs::CalcExemptionDedGross(top);
    double stepSize = top.filingStatus == fl_mar_sep ? 1250.0 : 2500.0;
    Currency steps = Currency::FromDouble((top.agi - threshold).ToDouble() / stepSize);
    if (steps.HasFraction()) steps = steps.Truncated() + Dollars(1);
    // Fifty steps phase out every exemption; more would only risk an overflow.
    if (steps > Dollars(50)) steps = Dollars(50);
    return (gross * steps * K(0.02)).Rounded();
  });
}

Currency GetSchedDTax(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "GetSchedDTax", true, [&] {
    iInc& inc = *top.inc;
    Currency taxable = top.taxInc;
    Currency gain = inc.adjNetCG;

    qel::TaxTableStore store;
    store.SetTableFile(GetRateFile(p.year));
    store.SelectSection(GetRateTable(top.filingStatus));
    store.LoadSection();

    Currency ordinary = SubtractNotZero(gain, taxable);
    Currency bracketTop = p.capGainBracketTop[StatusIndex(top)];
    store.SetAmount(ordinary);
    Currency ordinaryTax = store.LookupTax(ordinary);
    // The gain taxed is at most the taxable income, and none when that is negative.
    Currency gainTaxed = MinOrMax(gain, taxable, false);
    if (gainTaxed < kZero) gainTaxed = kZero;
    Currency lower =
        MinOrMax(SubtractNotZero(ordinary, MinOrMax(bracketTop, taxable, false)), gain, false);
    inc.sec1h1bAmount = lower;
    Currency lowerTax = (lower * p.capGainLowerRate).Rounded();
    Currency upperTax = ((gainTaxed - lower) * K(0.15)).Rounded();
    return ordinaryTax + lowerTax + upperTax;
  });
}

Currency CalcSETax(const YearParams& p, iTop& top, int spouse) {
  return YearTrap(p.year, "CalcSETax", false, [&] {
    const iInc& inc = *top.inc;
    Currency wages, seIncome;
    if (spouse == 0) {
      wages = inc.wageSp1;
      seIncome = inc.seIncSp1;
    } else if (spouse == 1) {
      wages = inc.wageSp2;
      seIncome = inc.seIncSp2;
    }
    Currency net = seIncome;
    if (net > kZero) net = net * K(0.9235);
    if (net < Dollars(400)) return kZero;
    Currency room = SubtractNotZero(wages, p.ssWageBase);
    Currency socialSecurity = room != kZero ? MinOrMax(net, room, false) * K(0.124) : kZero;
    Currency medicare = net * K(0.029);
    return (socialSecurity + medicare).Rounded();
  });
}

Currency CalcChildCr(const YearParams& p, iTop& top) {
  return YearTrap(p.childCreditLabelYear, "CalcChildCr", false, [&] {
    Currency credit = Times(p.childCreditPerChild, top.cr->numOfChildren);
    Currency threshold = top.filingStatus == fl_joint     ? Dollars(110000)
                         : top.filingStatus == fl_mar_sep ? Dollars(55000)
                                                          : Dollars(75000);
    Currency reduction;
    if (top.agi > threshold) {
      // Whole thousands over the threshold, a part thousand counting as one, $50 each. Counted
      // in 64 bits: any AGI gives a reduction, never an overflow.
      std::int64_t over = (top.agi - threshold).Rounded().raw() / Currency::kScale;
      std::int64_t steps = over / 1000 + (over % 1000 != 0 ? 1 : 0);
      reduction = Dollars(steps * 50);
    }
    if (reduction >= credit) return kZero;
    // At most the tax it is credited against: the regular tax or the minimum tax, whichever
    // governs.
    return MinOrMax(credit - reduction, top.regAndAmtTax, false).Rounded();
  });
}

Currency CalcFica(const YearParams& p, Currency wages) {
  return YearTrap(p.year, "CalcFica", false, [&] {
    Currency capped = MinOrMax(wages, p.ssWageBase, false);
    Currency socialSecurity = Currency::FromDouble(capped.ToDouble() * (0.124 / 2));
    Currency medicare = Currency::FromDouble(wages.ToDouble() * (0.029 / 2));
    return (socialSecurity + medicare).Rounded();
  });
}

Currency CalcAMTExemption(const YearParams& p, iTop& top, AmtRecord& record) {
  return YearTrap(p.amtExemptionYear, "CalcAMTExemption", false, [&] {
    std::size_t s = StatusIndex(top);
    Currency threshold = p.amtThreshold[s];
    Currency exemption = p.amtExemption[s];
    if (record.taxInc >= threshold) {
      Currency reduction = ((record.taxInc - threshold) * p.amtPhaseOutRate).Rounded();
      exemption = SubtractNotZero(reduction, exemption);
    }
    record.exemption = exemption.Rounded();
    return record.exemption;
  });
}

AmtSplit CalcAMTCapGainTax(const YearParams& p, iTop& top, const AmtRecord& record) {
  return YearTrap(p.year, "CalcAMTCapGainTax", false, [&] {
    Currency amount = record.taxIncPostExemption;
    AmtSplit split;
    if (amount <= kZero) {
      split.ordinaryTax = AltMinTaxCalcs::GetAmtTax(top, amount);
      return split;
    }
    // The gain within the amount after exemption is taxed at the capital-gain rates, the rest at
    // the minimum-tax rates. The lower rate reaches up to the bracket top less the ordinary part
    // of the regular taxable income, however small that taxable income is.
    Currency gain = top.inc->adjNetCG;
    Currency gainTaxed = MinOrMax(amount, gain, false);
    split.ordinaryTax = AltMinTaxCalcs::GetAmtTax(top, amount - gainTaxed);
    Currency ordinaryIncome = SubtractNotZero(gain, top.taxInc);
    Currency lowerRoom = SubtractNotZero(ordinaryIncome, p.capGainBracketTop[StatusIndex(top)]);
    Currency lower = MinOrMax(lowerRoom, gainTaxed, false);
    split.capGainTax =
        (lower * p.capGainLowerRate).Rounded() + ((gainTaxed - lower) * K(0.15)).Rounded();
    return split;
  });
}

std::optional<AmtSplit> CalcAMTCapGainSplit(const YearParams& p, iTop& top,
                                            const AmtRecord& record) {
  return YearTrap(p.year, "CalcAMTCapGainTax", false, [&]() -> std::optional<AmtSplit> {
    const iInc& inc = *top.inc;
    Currency taxable = record.taxIncPostExemption;
    Currency gain = MinOrMax(inc.netLTCG, inc.capGains, false);
    gain = MinOrMax(gain, taxable, false);
    if (gain <= kZero) return std::nullopt;
    Currency ordinaryPart = taxable - gain;
    AmtSplit split;
    split.ordinaryTax = AltMinTaxCalcs::GetAmtTax(top, ordinaryPart);
    Currency room = SubtractNotZero(ordinaryPart, p.capGainBracketTop[StatusIndex(top)]);
    Currency atTen = MinOrMax(gain, room, false);
    split.capGainTax =
        (atTen * p.capGainLowerRate).Rounded() + ((gain - atTen) * K(0.20)).Rounded();
    return split;
  });
}

}  // namespace fennick::YearCalcs
