// The engine's bulk path against the one-scenario path: households of every year, status and
// kind of income, one after another through one calculator (so that nothing of one household may
// stay behind for the next), each against a fresh scenario with the same inputs.
#include <random>

#include "fennick/bulk.h"
#include "test_util.h"

namespace {

using namespace fennick_test;
using qel::Currency;

double Dollars(Currency value) {
  return static_cast<double>(value.raw()) / Currency::kScale;
}

TEST(BulkCalculator, EveryHouseholdAsTheSameScenario) {
  std::mt19937 random(2026);
  const auto upTo = [&](int most) { return static_cast<int>(random() % (most + 1)); };
  const fennick::eFilingStatus statuses[] = {fennick::fl_single, fennick::fl_joint,
                                             fennick::fl_mar_sep, fennick::fl_head_household,
                                             fennick::fl_qual_widow};
  fennick::BulkCalculator calculator;
  for (int i = 0; i < 600; ++i) {
    fennick::Household h;
    h.year = 2001 + i % 27;  // 2027: a year after the last with figures
    h.filingStatus = statuses[upTo(4)];
    h.isDependent = upTo(9) == 0;
    h.sp1Over65 = upTo(4) == 0;
    h.sp2Over65 = upTo(4) == 0;
    h.exemptions = 1 + upTo(4);
    h.childCreditChildren = upTo(h.exemptions - 1);
    // Large amounts often, so that phase-outs and the minimum tax come into play.
    const auto amount = [&](int most) {
      return Currency::FromUnits(upTo(3) == 0 ? 0 : upTo(most));
    };
    h.wageSp1 = amount(400000);
    h.wageSp2 = amount(150000);
    h.seIncSp1 = amount(90000);
    h.seIncSp2 = amount(30000);
    h.dividends = amount(60000);
    h.otherNonSEInc = amount(20000);
    h.stcg = amount(30000) - Currency::FromUnits(10000);
    h.ltcg = amount(200000);
    h.taxesPaid = amount(60000);
    h.mortgageInterest = amount(40000);
    fennick::HouseholdResults r;
    calculator.Calculate(h, r);

    auto top = NewScenario(h.year, h.filingStatus, h.exemptions);
    top->IsDependent(h.isDependent);
    top->IsSp1Over65(h.sp1Over65);
    top->IsSp2Over65(h.sp2Over65);
    const auto text = [](Currency value) { return std::to_string(value.raw() / Currency::kScale); };
    Set(*top, {{"oTaxCr.NumOfChildCrChildren", std::to_string(h.childCreditChildren)},
               {"oInc.WageSp1", text(h.wageSp1)},
               {"oInc.WageSp2", text(h.wageSp2)},
               {"oInc.SEIncSp1", text(h.seIncSp1)},
               {"oInc.SEIncSp2", text(h.seIncSp2)},
               {"oInc.Dividends", text(h.dividends)},
               {"oInc.OtherNonSEInc", text(h.otherNonSEInc)},
               {"oInc.STCG", text(h.stcg)},
               {"oInc.LTCG", text(h.ltcg)},
               {"oItem.OtherTaxes", text(h.taxesPaid)},
               {"oItem.HomeMortIntReg", text(h.mortgageInterest)}});
    top->Calculate();
    SCOPED_TRACE("household " + std::to_string(i) + ", year " + std::to_string(h.year));
    const struct {
      const char* property;
      Currency bulk;
    } results[] = {
        {"TotalInc", r.totalInc},
        {"AGI", r.agi},
        {"ItemOrStdDed", r.deduction},
        {"oItem.StdDed", r.stdDed},
        {"oItem.TotNet", r.itemizedAllowed},
        {"oItem.TotReduction", r.itemizedReduction},
        {"oItem.ExemptionDedGross", r.exemptionGross},
        {"oItem.ExemptionDedPhaseOut", r.exemptionPhaseOut},
        {"ExemptionDed", r.exemptionNet},
        {"TaxInc", r.taxInc},
        {"IncTax", r.regularTax},
        {"oAMT.TaxInc", r.amtIncome},
        {"oAMT.TentativeAMT", r.tentativeAMT},
        {"oAMT.AMT", r.amt},
        {"RegAndAmtTax", r.regAndAmtTax},
        {"oTaxCr.ChildCr", r.childCr},
        {"TotCr", r.totCr},
        {"oOtherTaxes.SETaxSp1", r.seTaxSp1},
        {"oOtherTaxes.SETaxSp2", r.seTaxSp2},
        {"oOtherTaxes.FicaSp1", r.ficaSp1},
        {"oOtherTaxes.FicaSp2", r.ficaSp2},
        {"oOtherTaxes.AddlMedicare", r.addlMedicare},
        {"OtherTax", r.otherTax},
        {"TotTax", r.totTax},
    };
    for (const auto& result : results)
      ASSERT_EQ(Shown(Dollars(result.bulk)), Amount(*top, result.property)) << result.property;
  }
}

}  // namespace
