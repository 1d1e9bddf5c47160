// The computation driver: the order of the computation and the choice between the rate-table
// tax, the capital-gain worksheet tax and the alternative minimum tax.
#include "calcs.h"

namespace fennick::TopComputations {

using namespace CommonTaxCalcs;

void TopTaxCalc(iTop& top) {
  Keep("TopComputations.TopTaxCalc", [&] {
    iInc& inc = *top.inc;
    ItemDed& item = *top.item;
    iAMT& amt = *top.amtObj;
    const YearParams* params = ParamsFor(YearOf(top));
    top.tablesYear = params ? params->year : 0;

    // 1-3. Total income, adjustments, adjusted gross income.
    Currency totalInc = TotIncCalcs::CalcTotInc(top);
    Currency adjustments = Adj2IncCalcs::Adj2IncCalc(top);
    top.agi = totalInc - adjustments;

    // 4-8. The larger of itemized and standard deduction; exemptions.
    Currency itemized = ItemDedCalcs::ItemDedCalc(top);
    Currency standard = ItemDedCalcs::CalcStdDedSub(top);
    Currency deduction;
    if (itemized > standard) {
      deduction = itemized;
      item.itemizing = true;
    } else {
      deduction = standard;
      item.itemizing = false;
    }
    top.itemOrStdDed = deduction;
    top.exemptionDed = item.exemptionDedNet;

    // 9-10. Taxable income (not floored) and the capital-loss carryforwards.
    top.taxInc = top.agi - deduction - top.exemptionDed;
    TotIncCalcs::CalcCapLossCarryforward(top);

    // 11-13. Regular tax, lowered to the worksheet tax only when a worksheet ran.
    Currency regularTax = GetIncTax(top);
    top.incTax = regularTax;
    std::optional<Currency> worksheetTax = GetSchedDTax(top);
    if (worksheetTax && inc.adjNetCG > Currency() && regularTax > *worksheetTax) {
      regularTax = *worksheetTax;
    }
    top.incTax = regularTax;

    // 14-15. Alternative minimum tax; the governing tax.
    Currency tentative = AltMinTaxCalcs::CalcAMT(top);
    amt.tentativeAMT = tentative;
    Currency governing;
    if (regularTax > tentative) {
      governing = regularTax;
      amt.amt = Currency();
    } else if (tentative > Currency()) {
      governing = tentative;
      amt.amt = tentative - regularTax;
    } else {
      governing = Currency();
      amt.amt = Currency();
    }
    top.regAndAmtTax = governing;

    // 16-19. Other taxes, credits, total tax, balance due.
    top.otherTax = OtherTaxesCalc::CalcOtherTaxes(top);
    Currency credits = TaxCrCalcs::CalcTaxCr(top);
    top.totTax = governing + top.otherTax - credits;
    top.balDue = top.totTax - top.totPmts;
  });
}

Currency GetIncTax(iTop& top) {
  return Keep("TopComputations.GetIncTax", [&] {
    return LookupTable(GetRateFile(RateFileYear(YearOf(top))), GetRateTable(top.filingStatus),
                       top.taxInc);
  });
}

Currency GetIncTaxOn(iTop& top, Currency amount) {
  struct Restore {
    iTop& top;
    Currency kept;
    ~Restore() { top.taxInc = kept; }
  } restore{top, top.taxInc};
  top.taxInc = amount;
  return GetIncTax(top);
}

std::optional<Currency> GetSchedDTax(iTop& top) {
  return Describe("TopComputations.GetSchedDTax", [&]() -> std::optional<Currency> {
    const YearParams* p = ParamsFor(YearOf(top));
    if (p == nullptr) return std::nullopt;
    Currency gain = p->dividendsAtCapGainRates ? top.inc->adjNetCG : top.inc->capGains;
    if (gain > Currency::FromRaw(100)) return p->capGainWorksheet(*p, top);
    return std::nullopt;
  });
}

}  // namespace fennick::TopComputations
