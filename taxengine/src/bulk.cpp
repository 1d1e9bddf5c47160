// The bulk path: the household's numbers go straight into the objects' fields, the driver runs,
// and the results are read from the fields.
#include "fennick/bulk.h"

#include "calcs.h"

namespace fennick {

BulkCalculator::BulkCalculator() : top_(CreateTop()) {}
BulkCalculator::~BulkCalculator() = default;

int BulkCalculator::FirstYear() {
  const std::vector<int>& years = AvailableYears();
  return years.empty() ? 0 : years.front();
}

bool BulkCalculator::SupportsYear(int year) {
  return FirstYear() != 0 && year >= FirstYear();
}

void BulkCalculator::Calculate(const Household& h, HouseholdResults& r) {
  iTop& top = static_cast<iTop&>(*top_);
  // Every input and result starts afresh, as in a new scenario.
  *top.inc = iInc();
  *top.adj = fennick::Adj2Inc();
  *top.item = ItemDed();
  *top.other = iOtherTaxes();
  *top.cr = iTaxCr();
  *top.amtObj = iAMT();
  top.regAndAmtTax = top.balDue = top.totPmts = top.totTax = top.otherTax = top.taxLessCr =
      top.totCr = top.amt = top.incTax = top.taxInc = top.exemptionDed = top.itemOrStdDed =
          top.agi = top.adj2Inc = top.totalInc = Currency();
  top.isSp1Blind = top.isSp2Blind = false;
  top.inIraLimit = false;

  top.taxYear = static_cast<std::int16_t>(h.year);
  top.filingStatus = h.filingStatus;
  top.isDependent = h.isDependent;
  top.isSp1Over65 = h.sp1Over65;
  top.isSp2Over65 = h.sp2Over65;
  top.dependents = static_cast<std::int16_t>(h.exemptions);
  top.cr->numOfChildren = static_cast<std::int16_t>(h.childCreditChildren);
  iInc& inc = *top.inc;
  inc.wageSp1 = h.wageSp1;
  inc.wageSp2 = h.wageSp2;
  inc.seIncSp1 = h.seIncSp1;
  inc.seIncSp2 = h.seIncSp2;
  inc.dividends = h.dividends;
  inc.otherNonSEInc = h.otherNonSEInc;
  inc.stcg = h.stcg;
  inc.ltcg = h.ltcg;
  top.item->otherTaxes = h.taxesPaid;
  top.item->homeMortIntReg = h.mortgageInterest;

  top.Calculate();

  const ItemDed& item = *top.item;
  const iOtherTaxes& other = *top.other;
  r.totalInc = top.totalInc;
  r.agi = top.agi;
  r.itemizing = item.itemizing;
  r.stdDed = item.stdDed;
  r.itemizedAllowed = item.totNet;
  r.itemizedReduction = item.totReduction;
  r.deduction = top.itemOrStdDed;
  r.exemptionGross = item.exemptionDedGross;
  r.exemptionPhaseOut = item.exemptionDedPhaseOut;
  r.exemptionNet = top.exemptionDed;
  r.taxInc = top.taxInc;
  r.regularTax = top.incTax;
  r.amtIncome = top.amtObj->taxInc;
  r.tentativeAMT = top.amtObj->tentativeAMT;
  r.amt = top.amtObj->amt;
  r.regAndAmtTax = top.regAndAmtTax;
  r.childCr = top.cr->childCr;
  r.totCr = top.totCr;
  r.seTaxSp1 = other.seTaxSp1;
  r.seTaxSp2 = other.seTaxSp2;
  r.ficaSp1 = other.ficaSp1;
  r.ficaSp2 = other.ficaSp2;
  r.addlMedicare = other.addlMedicare;
  r.otherTax = top.otherTax;
  r.totTax = top.totTax;
}

}  // namespace fennick
