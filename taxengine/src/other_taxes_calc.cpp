// Other taxes: the self-employment tax of each spouse and the additional Medicare tax, plus other
// taxes entered as one amount;
// as a by-product, each spouse's employee social security and Medicare tax on wages.
#include "calcs.h"
#include "qel/textnum.h"

namespace fennick::OtherTaxesCalc {

Currency CalcOtherTaxes(iTop& top) {
  return Keep("OtherTaxesCalc.CalcOtherTaxes", [&] {
    iOtherTaxes& other = *top.other;
    const iInc& inc = *top.inc;
    other.seTaxSp1 = CalcSETax(top, 0);
    // Only a joint return has a second spouse's self-employment tax; a stale amount from an
    // earlier computation must not stay behind.
    other.seTaxSp2 = top.filingStatus == fl_joint ? CalcSETax(top, 1) : Currency();
    const YearParams* p = ParamsFor(YearOf(top));
    other.addlMedicare = p ? YearCalcs::CalcAddlMedicare(*p, top) : Currency();
    Currency result = other.seTaxSp1 + other.seTaxSp2 + other.addlMedicare + other.otherTaxes;
    other.ficaSp1 = p ? YearCalcs::CalcFica(*p, inc.wageSp1) : Currency();
    other.ficaSp2 = p ? YearCalcs::CalcFica(*p, inc.wageSp2) : Currency();
    return result;
  });
}

Currency CalcSETax(iTop& top, int spouse) {
  return Keep("OtherTaxesCalc.CalcSETax", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    return p ? YearCalcs::CalcSETax(*p, top, spouse) : Currency();
  });
}

Currency CalcFica(std::string_view wages, int year) {
  return Keep("OtherTaxesCalc.CalcFica", [&] {
    const YearParams* p = ParamsFor(year);
    if (p == nullptr) return Currency();
    Currency amount = qel::IsNumeric(wages) ? qel::ToCurrency(wages) : Currency();
    return YearCalcs::CalcFica(*p, amount);
  });
}

}  // namespace fennick::OtherTaxesCalc
