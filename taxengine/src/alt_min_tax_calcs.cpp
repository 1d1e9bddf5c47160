// The tentative minimum tax: minimum taxable income, exemption, tax at the minimum-tax rates and,
// with capital gains, the part taxed at the lower rates.
#include "calcs.h"

namespace fennick::AltMinTaxCalcs {

using CommonTaxCalcs::SubtractNotZero;

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
      Currency ordinaryPart = SubtractNotZero(inc.adjNetCG, r.taxIncPostExemption);
      Currency ordinaryTax = GetAmtTax(top, ordinaryPart);
      amt.tamtAtOrdRates = ordinaryTax;
      Currency capGainTax = p ? YearCalcs::CalcAMTCapGainTax(*p, top, r) : Currency();
      amt.tamtAtCGRates = capGainTax;
      return capGainTax + ordinaryTax;
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
