// Adjustments to income: IRA deductions (limited for spouses covered by a retirement plan), the
// self-employed health insurance deduction, half of the self-employment tax, other adjustments.
#include "calcs.h"

namespace fennick::Adj2IncCalcs {

Currency Adj2IncCalc(iTop& top) {
  return Keep("Adj2IncCalcs.Adj2IncCalc", [&] {
    Adj2Inc& adj = *top.adj;
    adj.iraDedSp1 = CalcIRADed(top, 0);
    adj.iraDedSp2 = CalcIRADed(top, 1);
    adj.seMedInsDed = CalcSEMedInsDed(top);
    OtherTaxesCalc::CalcOtherTaxes(top);  // for the self-employment taxes it stores
    const YearParams* p = ParamsFor(YearOf(top));
    adj.seTaxDed = p ? YearCalcs::SETaxDeduction(*p, top) : Currency();
    Currency total =
        adj.iraDedSp1 + adj.iraDedSp2 + adj.seMedInsDed + adj.seTaxDed + adj.otherAdj2Inc;
    top.adj2Inc = total;
    return total;
  });
}

Currency CalcIRADed(iTop& top, int spouse) {
  return Keep("Adj2IncCalcs.CalcIRADed", [&] {
    const Adj2Inc& adj = *top.adj;
    bool joint = top.filingStatus == fl_joint;
    if (spouse != 0 && !joint) return Currency();
    // The nested computation of the IRA limit sees no contributions; it never limits again.
    if (top.inIraLimit) return Currency();
    bool covered = joint ? (adj.isSp1InRetPlan || adj.isSp2InRetPlan) : adj.isSp1InRetPlan;
    Currency contribution = spouse == 0 ? adj.iraContribSp1 : adj.iraContribSp2;
    if (contribution < Currency::FromRaw(100)) return Currency();
    return covered ? LimitIRADed4Spouse(contribution, spouse, top) : contribution;
  });
}

Currency CalcSEMedInsDed(iTop& top) {
  return Keep("Adj2IncCalcs.CalcSEMedInsDed", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    if (p == nullptr) return Currency();
    return (top.adj->seMedInsPmts * p->seMedInsPercent).Rounded();
  });
}

Currency LimitIRADed4Spouse(Currency /*contribution*/, int spouse, iTop& top) {
  return Describe("Adj2IncCalcs.LimitIRADed4Spouse", [&] {
    const YearParams* p = ParamsFor(YearOf(top));
    if (p == nullptr) return Currency();
    return YearCalcs::LimitIRADed4Spouse(*p, spouse == 1, top);
  });
}

}  // namespace fennick::Adj2IncCalcs
