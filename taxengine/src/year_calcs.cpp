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

// a / d held at four decimals, halves to even (d above 0).
Currency DividedBy(Currency a, Currency d) {
  std::int64_t scaled;
  if (__builtin_mul_overflow(a.raw(), Currency::kScale, &scaled)) {
    return Currency::FromDouble(a.ToDouble() / d.ToDouble());  // beyond any tax amount
  }
  std::int64_t q = scaled / d.raw(), r = scaled % d.raw();
  std::int64_t twice = 2 * (r < 0 ? -r : r);
  if (twice > d.raw() || (twice == d.raw() && q % 2 != 0)) q += scaled < 0 ? -1 : 1;
  return Currency::FromRaw(q);
}

// Whole steps of `step` dollars in `over`, a part step counting as one.
std::int64_t StepsOf(Currency over, std::int64_t step) {
  std::int64_t dollars = over.Rounded().raw() / Currency::kScale;
  return dollars / step + (dollars % step != 0 ? 1 : 0);
}

}  // namespace

Currency LimitIRADed4Spouse(const YearParams& p, bool secondSpouse, iTop& top) {
  return YearTrap(p.year, "LimitIRADed4Spouse", true, [&] {
    Adj2Inc& adj = *top.adj;
    int status = top.filingStatus;
    bool flag = status == fl_joint ? (secondSpouse ? adj.isSp2InRetPlan : adj.isSp1InRetPlan)
                                   : adj.isSp1InRetPlan;
    Currency end;
    Currency width = Dollars(10000);
    if (status == fl_joint || status == fl_qual_widow) {
      end = flag ? p.iraEndJointCovered : p.iraEndJointOtherCovered;
      if (flag) width = p.iraWidthJointCovered;
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
      if (room >= width) {
        limit = p.iraMaxContribution;
      } else {
        // maximum x room / width, raised to the next multiple of 10 dollars, at least 200.
        std::int64_t raw = p.iraMaxContribution.raw() * room.raw() / width.raw();
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
    if (p.itemLimitation == ItemLimitation::kNone) {
      item.totReduction = kZero;
      return kZero;
    }
    Currency threshold = p.itemLimitationStart[StatusIndex(top)];
    Currency reduction;
    if (p.itemLimitation == ItemLimitation::kTwoThirtySevenths) {
      // 2/37 of the deductions, or of the income over the start of the top bracket when that is
      // less; the income is after the senior deduction, figured before.
      Currency over = SubtractNotZero(threshold, top.agi - item.exemptionDedNet);
      Currency reduced = MinOrMax(item.totGross, over, false);
      if (reduced < kZero) reduced = kZero;
      reduction = DividedBy(reduced * Dollars(2), Dollars(37)).Rounded();
      item.totReduction = reduction;
      return reduction;
    }
    // At most 80% of the deductions the reduction applies to: medical, investment interest
    // and casualty losses are reduced by nothing.
    Currency base = item.totGross - item.medDed - item.invIntDed - item.casualtyDed;
    Currency ceiling = base > kZero ? (base * K(0.8)).Rounded() : kZero;
    if (top.agi > threshold) {
      reduction = ((top.agi - threshold) * K(0.03)).Rounded();
      if (reduction > ceiling) reduction = ceiling;
      reduction = DividedBy(reduction, p.itemLimitationDivisor).Rounded();
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

namespace {

// The spouses 65 or older who get the senior deduction: none on a separate return.
int SeniorSpouses(const YearParams& p, const iTop& top) {
  if (p.seniorDeduction == kZero || top.filingStatus == fl_mar_sep) return 0;
  return int{top.isSp1Over65} + (top.filingStatus == fl_joint ? int{top.isSp2Over65} : 0);
}

}  // namespace

Currency CalcExemptionDedGross(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "CalcExemptionDedGross", true, [&] {
    return (Times(p.exemptionAmount, top.dependents) +
            Times(p.seniorDeduction, SeniorSpouses(p, top)))
        .Rounded();
  });
}

Currency CalcExemptionDedPhaseOut(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "CalcExemptionDedPhaseOut", true, [&] {
    // The senior deduction of each spouse falls by a share of AGI over its start.
    Currency senior;
    if (int spouses = SeniorSpouses(p, top); spouses > 0) {
      Currency over = SubtractNotZero(p.seniorDeductionStart[StatusIndex(top)], top.agi);
      senior = Times((over * p.seniorDeductionRate).Rounded(), spouses);
    }
    if (p.exemptionPhaseOut == ExemptionPhaseOut::kNone) return senior;
    Currency threshold = p.exemptionPhaseOutStart[StatusIndex(top)];
    if (top.agi <= threshold) return senior;
    Currency gross = Times(p.exemptionAmount, top.dependents).Rounded();
    double stepSize = top.filingStatus == fl_mar_sep ? 1250.0 : 2500.0;
    Currency steps = Currency::FromDouble((top.agi - threshold).ToDouble() / stepSize);
    if (steps.HasFraction()) steps = steps.Truncated() + Dollars(1);
    // Fifty steps take the whole phase-out; more would only risk an overflow. A reduced
    // phase-out then leaves a fixed amount per exemption.
    if (steps >= Dollars(50)) {
      if (p.exemptionPhaseOut == ExemptionPhaseOut::kReduced) {
        return senior + gross - Times(p.exemptionNetPastEnd, top.dependents).Rounded();
      }
      steps = Dollars(50);
    }
    Currency phaseOut = gross * steps * K(0.02);
    if (p.exemptionPhaseOut == ExemptionPhaseOut::kReduced) {
      phaseOut = DividedBy(phaseOut, p.exemptionPhaseOutDivisor);
    }
    return senior + phaseOut.Rounded();
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
    // The gain above the lower rate is taxed at 15%, and from the 20% breakpoint at 20%.
    Currency upper = SubtractNotZero(lower, gainTaxed);
    Currency atFifteen = upper;
    if (p.hasCapGainTopRate) {
      Currency below = SubtractNotZero(
          ordinary + lower, MinOrMax(p.capGainTopRateFrom[StatusIndex(top)], taxable, false));
      atFifteen = MinOrMax(below, upper, false);
    }
    Currency upperTax = (atFifteen * K(0.15)).Rounded() + ((upper - atFifteen) * K(0.20)).Rounded();
    return ordinaryTax + lowerTax + upperTax;
  });
}

SeParts SETaxParts(const YearParams& p, const iTop& top, int spouse) {
  const iInc& inc = *top.inc;
  Currency wages, seIncome;
  if (spouse == 0) {
    wages = inc.wageSp1;
    seIncome = inc.seIncSp1;
  } else if (spouse == 1) {
    wages = inc.wageSp2;
    seIncome = inc.seIncSp2;
  }
  if (p.seHealthCutsSeEarnings) {
    // The health insurance deduction comes off spouse 1's earnings first, the rest off spouse
    // 2's.
    Currency health = top.adj->seMedInsDed;
    Currency first = inc.seIncSp1 > kZero ? MinOrMax(health, inc.seIncSp1, false) : kZero;
    if (spouse == 0 && seIncome > kZero) seIncome -= first;
    if (spouse == 1 && seIncome > kZero) seIncome -= MinOrMax(health - first, seIncome, false);
  }
  SeParts parts;
  Currency net = seIncome;
  if (net > kZero) net = net * K(0.9235);
  if (net < Dollars(400)) return parts;
  parts.net = net;
  Currency room = SubtractNotZero(wages, p.ssWageBase);
  parts.socialSecurity = room != kZero ? MinOrMax(net, room, false) * p.seOasdiRate : kZero;
  parts.medicare = net * p.seMedicareRate;
  return parts;
}

Currency CalcSETax(const YearParams& p, iTop& top, int spouse) {
  return YearTrap(p.year, "CalcSETax", false, [&] {
    SeParts parts = SETaxParts(p, top, spouse);
    return (parts.socialSecurity + parts.medicare).Rounded();
  });
}

Currency SETaxDeduction(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "SETaxDeduction", false, [&] {
    const iOtherTaxes& other = *top.other;
    if (p.seTaxDedMedicareShare == kZero) {
      return ((other.seTaxSp1 + other.seTaxSp2) * p.seTaxDedOasdiShare).Rounded();
    }
    // Shares of the two parts of each spouse's tax before rounding.
    Currency deduction;
    for (int spouse : {0, 1}) {
      if (spouse == 1 && top.filingStatus != fl_joint) break;
      SeParts parts = SETaxParts(p, top, spouse);
      deduction += parts.socialSecurity * p.seTaxDedOasdiShare;
      deduction += parts.medicare * p.seTaxDedMedicareShare;
    }
    return deduction.Rounded();
  });
}

Currency CalcAddlMedicare(const YearParams& p, iTop& top) {
  return YearTrap(p.year, "CalcAddlMedicare", false, [&] {
    if (p.addlMedicareRate == kZero) return kZero;
    const iInc& inc = *top.inc;
    Currency threshold = p.addlMedicareThreshold[StatusIndex(top)];
    Currency wages = inc.wageSp1 + inc.wageSp2;
    Currency earnings = SETaxParts(p, top, 0).net;
    if (top.filingStatus == fl_joint) earnings += SETaxParts(p, top, 1).net;
    Currency onWages = SubtractNotZero(threshold, wages) * p.addlMedicareRate;
    Currency onEarnings =
        SubtractNotZero(SubtractNotZero(wages, threshold), earnings) * p.addlMedicareRate;
    return (onWages + onEarnings).Rounded();
  });
}

Currency CalcChildCr(const YearParams& p, iTop& top) {
  return YearTrap(p.childCreditLabelYear, "CalcChildCr", false, [&] {
    int children = top.cr->numOfChildren;
    Currency credit = Times(p.childCreditPerChild, children);
    std::size_t s = StatusIndex(top);
    if (p.childCreditIncrease > kZero && children > 0) {
      // The increase per child is phased out first, from its own start.
      Currency reduction;
      if (top.agi > p.childCreditIncreaseStart[s]) {
        reduction = Dollars(50 * StepsOf(top.agi - p.childCreditIncreaseStart[s], 1000));
      }
      reduction = MinOrMax(reduction, Times(p.childCreditIncrease, children), false);
      reduction = MinOrMax(reduction, p.childCreditIncreaseMaxReduction[s], false);
      credit -= reduction;
    }
    if (p.creditPerOtherDependent > kZero) {
      // Exemptions claimed that are neither a filer nor a child.
      int filers = top.filingStatus == fl_joint ? 2 : 1;
      int others = std::max(0, top.dependents - filers - children);
      credit += Times(p.creditPerOtherDependent, others);
    }
    Currency threshold = p.childCreditStart[s];
    Currency reduction;
    if (top.agi > threshold) {
      // Whole thousands over the threshold, a part thousand counting as one, $50 each. Counted
      // in 64 bits: any AGI gives a reduction, never an overflow.
      reduction = Dollars(StepsOf(top.agi - threshold, 1000) * 50);
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
    Currency socialSecurity = Currency::FromDouble(capped.ToDouble() * p.ficaOasdiRate.ToDouble());
    Currency medicare = Currency::FromDouble(wages.ToDouble() * p.ficaMedicareRate.ToDouble());
    return (socialSecurity + medicare).Rounded();
  });
}

Currency CalcAMTExemption(const YearParams& p, iTop& top, AmtRecord& record) {
  return YearTrap(p.amtExemptionLabelYear, "CalcAMTExemption", false, [&] {
    std::size_t s = StatusIndex(top);
    Currency threshold = p.amtPhaseOutStart[s];
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
    // From the 20% breakpoint the gain is taxed at 20%, as on the regular return.
    Currency upper = gainTaxed - lower;
    Currency atFifteen = upper;
    if (p.hasCapGainTopRate) {
      Currency room =
          SubtractNotZero(lowerRoom + ordinaryIncome, p.capGainTopRateFrom[StatusIndex(top)]);
      atFifteen = MinOrMax(upper, room, false);
    }
    split.capGainTax = (lower * p.capGainLowerRate).Rounded() + (atFifteen * K(0.15)).Rounded() +
                       ((upper - atFifteen) * K(0.20)).Rounded();
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
