// The tentative minimum tax: minimum taxable income, exemption, tax at the minimum-tax rates and,
// with capital gains, the part taxed at the lower rates.
#include "calcs.h"

namespace fennick::AltMinTaxCalcs {

using CommonTaxCalcs::SubtractNotZero;

namespace {

// A separate filer adds to the minimum taxable income the phase-out rate of the income beyond the
// point where the exemption is gone, up to the exemption itself, so that a couple's two separate
// returns lose as much exemption as their joint return would.
Currency SeparateReturnAddBack(const YearParams& p, const iTop& top, Currency income) {
  if (top.filingStatus != fl_mar_sep || p.amtPhaseOutRate <= Currency()) return Currency();
  std::size_t s = StatusIndex(top);
  Currency exemption = p.amtExemption[s];
  Currency exemptionGone =
      p.amtPhaseOutStart[s] +
      Currency::FromDouble(exemption.ToDouble() / p.amtPhaseOutRate.ToDouble());
  if (income <= exemptionGone) return Currency();
  Currency addBack = ((income - exemptionGone) * p.amtPhaseOutRate).Rounded();
  return addBack < exemption ? addBack : exemption;
}

}  // namespace

Currency CalcAMT(iTop& top) {
  return Keep("AltMinTaxCalcs.CalcAMT", [&] {
    iAMT& amt = *top.amtObj;
    const ItemDed& item = *top.item;
    const iInc& inc = *top.inc;
    AmtRecord r;

    const YearParams* p = ParamsFor(YearOf(top));
    amt.agi = top.agi;
    r.agi = amt.agi;
    // A filer who takes the standard deduction has no itemized deductions for the minimum tax
    // either.
    if (item.itemizing) {
      Currency floorShare = p ? p->amtMedicalFloor : K(0.1);
      r.medDed = SubtractNotZero((r.agi * floorShare).Rounded(), item.medPmts).Rounded();
      r.mortgInt = item.homeMortIntReg;
      r.casualty = item.casualtyDed;
      r.charity = item.charDedAllowed;
    }
    amt.medDed = r.medDed;
    amt.mortgIntDed = r.mortgInt;
    amt.casualtyDed = r.casualty;
    amt.charDed = r.charity;
    r.itemTotal = r.medDed + r.mortgInt + r.casualty + r.charity;
    amt.itemDed = r.itemTotal;
    r.taxInc = r.agi - r.itemTotal;

    amt.mfsAddBack = p ? SeparateReturnAddBack(*p, top, r.taxInc) : Currency();
    r.taxInc += amt.mfsAddBack;
    amt.taxInc = r.taxInc;
    if (p) r.exemption = YearCalcs::CalcAMTExemption(*p, top, r);
    amt.exemption = r.exemption;
    r.taxIncPostExemption = r.taxInc - r.exemption;
    amt.taxIncPostExemption = r.taxIncPostExemption;

    Currency fullTax = GetAmtTax(top, r.taxIncPostExemption);
    amt.regularTax = top.incTax;

    if (p && !p->dividendsAtCapGainRates) {
      // Dividends are ordinary income: only the net capital gain gets lower rates.
      if (auto split = YearCalcs::CalcAMTCapGainSplit(*p, top, r)) {
        amt.tamtAtOrdRates = split->ordinaryTax;
        amt.tamtAtCGRates = split->capGainTax;
        return split->ordinaryTax + split->capGainTax;
      }
    } else if (inc.adjNetCG > Currency()) {
      if (p == nullptr) {
        // A year before the first supported one has no capital-gain rates.
        Currency ordinaryTax = GetAmtTax(top, SubtractNotZero(inc.adjNetCG, r.taxIncPostExemption));
        amt.tamtAtOrdRates = ordinaryTax;
        amt.tamtAtCGRates = Currency();
        return ordinaryTax;
      }
      YearCalcs::AmtSplit split = YearCalcs::CalcAMTCapGainTax(*p, top, r);
      amt.tamtAtOrdRates = split.ordinaryTax;
      amt.tamtAtCGRates = split.capGainTax;
      Currency withGainRates = split.ordinaryTax + split.capGainTax;
      return withGainRates < fullTax ? withGainRates : fullTax;
    }
    amt.tamtAtOrdRates = fullTax;
    amt.tamtAtCGRates = Currency();
    return fullTax;
  });
}

Currency GetAmtTax(iTop& top, Currency amount) {
  return Keep("AltMinTaxCalcs.GetAmtTax", [&] {
    const char* section = top.filingStatus == fl_mar_sep ? "Minimum Tax Y-2" : "Minimum Tax";
    return CommonTaxCalcs::LookupTable(CommonTaxCalcs::GetRateFile(RateFileYear(YearOf(top))),
                                       section, amount);
  });
}

}  // namespace fennick::AltMinTaxCalcs
