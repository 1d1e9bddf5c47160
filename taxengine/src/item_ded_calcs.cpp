// Itemized deductions with their floors, caps and overall reduction, the standard deduction, and
// the deduction for exemptions (or the senior deduction) with its phase-out.
#include "calcs.h"

namespace fennick::ItemDedCalcs {

Currency ItemDedCalc(iTop& top) {
  return Describe("ItemDedCalcs.ItemDedCalc", [&] {
    ItemDed& item = *top.item;
    const YearParams* p = ParamsFor(YearOf(top));
    // The exemptions (or the senior deduction) depend on AGI alone; the 2/37 limitation needs
    // them.
    item.exemptionDedGross = CalcExemptionDedGross(top);
    Currency phaseOut = CalcExemptionDedPhaseOut(top);
    if (phaseOut > item.exemptionDedGross) phaseOut = item.exemptionDedGross;
    item.exemptionDedPhaseOut = phaseOut;
    item.exemptionDedNet = item.exemptionDedGross - phaseOut;

    Currency medical = CalcMedDed(top);
    item.taxDed = item.sitPd + item.otherTaxes;
    if (p && p->hasTaxCap) {
      std::size_t s = StatusIndex(top);
      Currency cap = p->taxCap[s];
      if (p->hasTaxCapPhaseDown && top.agi > p->taxCapPhaseDownStart[s]) {
        cap -= ((top.agi - p->taxCapPhaseDownStart[s]) * p->taxCapPhaseDownRate).Rounded();
        if (cap < p->taxCapFloor[s]) cap = p->taxCapFloor[s];
      }
      if (item.taxDed > cap) item.taxDed = cap;
    }
    item.intDed = item.homeMortIntReg + item.homeMortIntAmt + item.invIntDed + item.otherIntDed;
    Currency misc = CalcMiscItemDed(top);
    item.charDedAllowed = item.charDed;
    if (p && p->charityFloor > Currency()) {
      Currency floor = top.agi * p->charityFloor;
      item.charDedAllowed = item.charDed > floor ? (item.charDed - floor).Rounded() : Currency();
    }
    item.totGross =
        medical + item.taxDed + item.intDed + item.charDedAllowed + item.casualtyDed + misc;
    Currency reduction = ItemDedPhaseOut(top);
    item.totNet = item.totGross - reduction;
    return item.totNet;
  });
}

Currency CalcMedDed(iTop& top) {
  return Describe("ItemDedCalcs.CalcMedDed", [&] {
    ItemDed& item = *top.item;
    Currency medical = item.medPmts - Adj2IncCalcs::CalcSEMedInsDed(top);
    const YearParams* p = ParamsFor(YearOf(top));
    Currency share = p ? p->medicalFloor : K(0.075);
    bool over65 = top.isSp1Over65 || (top.filingStatus == fl_joint && top.isSp2Over65);
    if (p && over65 && p->medicalFloorOver65 > Currency()) share = p->medicalFloorOver65;
    Currency floor = top.agi * share;
    Currency deduction = medical <= floor ? Currency() : (medical - floor).Rounded();
    item.medDed = deduction;
    return deduction;
  });
}

Currency CalcMiscItemDed(iTop& top) {
  return Describe("ItemDedCalcs.CalcMiscItemDed", [&] {
    ItemDed& item = *top.item;
    const YearParams* p = ParamsFor(YearOf(top));
    if (p && !p->miscDeductions) {
      item.miscDed = Currency();
      return Currency();
    }
    Currency floor = top.agi * K(0.02);
    Currency deduction =
        item.miscDedPmts > floor ? (item.miscDedPmts - floor).Rounded() : Currency();
    item.miscDed = deduction;
    return deduction;
  });
}

Currency ItemDedPhaseOut(iTop& top) {
  return Describe("ItemDedCalcs.ItemDedPhaseOut", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    Currency reduction = p ? YearCalcs::ItemDedPhaseOut(*p, top) : Currency();
    top.item->totReduction = reduction;
    return reduction;
  });
}

Currency CalcStdDedSub(iTop& top) {
  return Describe("ItemDedCalcs.CalcStdDedSub", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    Currency standard = p ? YearCalcs::StdDed(*p, top) : Currency();
    top.item->stdDed = standard;
    return standard;
  });
}

Currency CalcExemptionDedGross(iTop& top) {
  return Describe("ItemDedCalcs.CalcExemptionDedGross", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    return p ? YearCalcs::CalcExemptionDedGross(*p, top) : Currency();
  });
}

Currency CalcExemptionDedPhaseOut(iTop& top) {
  return Describe("ItemDedCalcs.CalcExemptionDedPhaseOut", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    return p ? YearCalcs::CalcExemptionDedPhaseOut(*p, top) : Currency();
  });
}

}  // namespace fennick::ItemDedCalcs
