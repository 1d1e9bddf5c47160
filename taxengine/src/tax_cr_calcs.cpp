// Credits: the child tax credit (limited to the regular or minimum tax, whichever governs) and
// other credits.
#include "calcs.h"

namespace fennick::TaxCrCalcs {

Currency CalcTaxCr(iTop& top) {
  return Keep("TaxCrCalcs.CalcTaxCr", [&] {
    iTaxCr& cr = *top.cr;
    cr.childCr = CalcChildCr(top);
    Currency total = cr.childCr + cr.otherCr;
    top.totCr = total;
    return total;
  });
}

Currency CalcChildCr(iTop& top) {
  return Keep("TaxCrCalcs.CalcChildCr", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    return p ? YearCalcs::CalcChildCr(*p, top) : Currency();
  });
}

}  // namespace fennick::TaxCrCalcs
