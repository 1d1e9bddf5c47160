// The bulk path of the Fennick engine: many households, one after another, each filled in and read
// back as numbers. No text properties, no edit cycle, no files per household; the rate files are
// read once per run. A calculator is used by one thread at a time; make one per thread.
//
// The one-scenario path (iTop and its sub-objects) is unchanged by this and computes the same
// figures: a household here is a scenario with these inputs and every other input 0 or false.
#pragma once

#include <cstdint>
#include <memory>

#include "fennick/tax_objects.h"
#include "qel/currency.h"

namespace fennick {

// The inputs of one household, by the scenario property each one stands for.
struct Household {
  int year = 2005;                            // TaxYear
  eFilingStatus filingStatus = fl_single;     // FilingStatus
  bool isDependent = false;                   // IsDependent
  bool sp1Over65 = false, sp2Over65 = false;  // IsSp1Over65, IsSp2Over65
  int exemptions = 1;                         // Dependents: the exemptions claimed
  int childCreditChildren = 0;                // oTaxCr.NumOfChildCrChildren
  qel::Currency wageSp1, wageSp2;             // oInc.WageSp1, WageSp2
  qel::Currency seIncSp1, seIncSp2;           // oInc.SEIncSp1, SEIncSp2
  qel::Currency dividends;                    // oInc.Dividends
  qel::Currency otherNonSEInc;                // oInc.OtherNonSEInc
  qel::Currency stcg, ltcg;                   // oInc.STCG, LTCG
  qel::Currency taxesPaid;                    // oItem.OtherTaxes
  qel::Currency mortgageInterest;             // oItem.HomeMortIntReg
};

// The results of one household, by the result property each one is.
struct HouseholdResults {
  qel::Currency totalInc;            // TotalInc
  qel::Currency agi;                 // AGI
  bool itemizing = false;            // itemized deductions used
  qel::Currency stdDed;              // oItem.StdDed
  qel::Currency itemizedAllowed;     // oItem.TotNet
  qel::Currency itemizedReduction;   // oItem.TotReduction
  qel::Currency deduction;           // ItemOrStdDed
  qel::Currency exemptionGross;      // oItem.ExemptionDedGross
  qel::Currency exemptionPhaseOut;   // oItem.ExemptionDedPhaseOut
  qel::Currency exemptionNet;        // ExemptionDed
  qel::Currency taxInc;              // TaxInc (not floored)
  qel::Currency regularTax;          // IncTax, with the capital-gain rates
  qel::Currency amtIncome;           // oAMT.TaxInc: minimum-tax income before the exemption
  qel::Currency tentativeAMT;        // oAMT.TentativeAMT
  qel::Currency amt;                 // oAMT.AMT
  qel::Currency regAndAmtTax;        // RegAndAmtTax
  qel::Currency childCr;             // oTaxCr.ChildCr
  qel::Currency totCr;               // TotCr
  qel::Currency seTaxSp1, seTaxSp2;  // oOtherTaxes.SETaxSp1, SETaxSp2
  qel::Currency ficaSp1, ficaSp2;    // oOtherTaxes.FicaSp1, FicaSp2: employee shares
  qel::Currency addlMedicare;        // additional Medicare tax (0 where the year has none)
  qel::Currency otherTax;            // OtherTax
  qel::Currency totTax;              // TotTax
};

class FENNICK_API BulkCalculator {
 public:
  BulkCalculator();
  ~BulkCalculator();
  BulkCalculator(const BulkCalculator&) = delete;
  BulkCalculator& operator=(const BulkCalculator&) = delete;

  // Computes the household. Raises the engine's errors (qel::QelError): a filing status outside
  // 1 to 5, a missing rate file, an overflow.
  void Calculate(const Household& household, HouseholdResults& results);

  // Whether the engine has figures for the tax year: false before the first year whose table file
  // is present; a year after the last is computed with the last year's figures.
  static bool SupportsYear(int year);
  // The first tax year whose table file is present (0 when none is).
  static int FirstYear();

 private:
  std::unique_ptr<_iTop> top_;
};

}  // namespace fennick
