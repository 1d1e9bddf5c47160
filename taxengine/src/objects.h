// The library's implementation of the scenario objects.
//
// Inputs and results are held as currency values; the computation modules read and write the
// fields directly (the internal setters), the host goes through the interfaces. A result is
// stored whatever the edit state and never marks an object dirty.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fennick/tax_objects.h"
#include "qel/currency.h"

namespace fennick {

using qel::Currency;

// The flags every sub-object holds.
struct EditFlags {
  bool editing = false;
  bool dirty = false;
  bool calculated = false;
};

class iInc final : public _iInc {
 public:
  // Inputs.
  Currency dividends, ltcg, stcg, stclCarryOver, ltclCarryOver, sec1231Losses, sec1231Gains,
      otherNonSEInc, wageSp2, wageSp1, seIncSp1, seIncSp2;
  // Results.
  Currency sec1h1bAmount, adjNetCG, stclCarryforward, ltclCarryforward, sec1231Netted, netSTCG,
      netLTCG, capGains;
  EditFlags flags;

  void Sec_1_h_1_B_Amount(std::string_view value) override;
  std::string Sec_1_h_1_B_Amount() override;
  std::string AdjNetCG() override;
  void AdjNetCG(std::string_view value) override;
  void Dividends(std::string_view value) override;
  std::string Dividends() override;
  void LTCG(std::string_view value) override;
  std::string LTCG() override;
  void STCG(std::string_view value) override;
  std::string STCG() override;
  std::string STCLCarryforward() override;
  std::string LTCLCarryforward() override;
  void STCLCarryOver(std::string_view value) override;
  std::string STCLCarryOver() override;
  void LTCLCarryOver(std::string_view value) override;
  std::string LTCLCarryOver() override;
  std::string Sec1231Netted() override;
  void Sec1231Losses(std::string_view value) override;
  std::string Sec1231Losses() override;
  void Sec1231Gains(std::string_view value) override;
  std::string Sec1231Gains() override;
  std::string NetSTCG() override;
  std::string NetLTCG() override;
  std::string CapGains() override;
  void OtherNonSEInc(std::string_view value) override;
  std::string OtherNonSEInc() override;
  void WageSp2(std::string_view value) override;
  std::string WageSp2() override;
  void WageSp1(std::string_view value) override;
  std::string WageSp1() override;
  void IsEditing(bool value) override { flags.editing = value; }
  bool IsCalculated() override { return flags.calculated; }
  void IsCalculated(bool value) override { flags.calculated = value; }
  bool IsDirty() override { return flags.dirty; }
  void IsDirty(bool value) override { flags.dirty = value; }
  std::string SEIncSp1() override;
  void SEIncSp1(std::string_view value) override;
  std::string SEIncSp2() override;
  void SEIncSp2(std::string_view value) override;
};

class iTaxCr final : public _iTaxCr {
 public:
  std::int16_t numOfChildren = 0;
  Currency otherCr;
  Currency childCr;  // result
  EditFlags flags;

  void NumOfChildCrChildren(std::string_view value) override;
  std::string NumOfChildCrChildren() override;
  void OtherCr(std::string_view value) override;
  std::string OtherCr() override;
  std::string ChildCr() override;
  void IsEditing(bool value) override { flags.editing = value; }
  bool IsCalculated() override { return flags.calculated; }
  void IsCalculated(bool value) override { flags.calculated = value; }
  bool IsDirty() override { return flags.dirty; }
  void IsDirty(bool value) override { flags.dirty = value; }
};

class Adj2Inc final : public _Adj2Inc {
 public:
  Currency otherAdj2Inc, seMedInsPmts, iraContribSp2, iraContribSp1;
  bool isSp2InRetPlan = false, isSp1InRetPlan = false;
  Currency seMedInsDed, seTaxDed, iraDedSp2, iraDedSp1;  // results
  EditFlags flags;

  void OtherAdj2Inc(std::string_view value) override;
  std::string OtherAdj2Inc() override;
  void IsSp2InRetPlan(bool value) override;
  bool IsSp2InRetPlan() override { return isSp2InRetPlan; }
  void IsSp1InRetPlan(bool value) override;
  bool IsSp1InRetPlan() override { return isSp1InRetPlan; }
  std::string SEMedInsDed() override;
  void SEMedInsPmts(std::string_view value) override;
  std::string SEMedInsPmts() override;
  std::string SETaxDed() override;
  std::string IRADedSp2() override;
  std::string IRADedSp1() override;
  void IRAContribSP2(std::string_view value) override;
  std::string IRAContribSP2() override;
  void IRAContribSP1(std::string_view value) override;
  std::string IRAContribSP1() override;
  void IsEditing(bool value) override { flags.editing = value; }
  bool IsCalculated() override { return flags.calculated; }
  void IsCalculated(bool value) override { flags.calculated = value; }
  bool IsDirty() override { return flags.dirty; }
  void IsDirty(bool value) override { flags.dirty = value; }
};

class ItemDed final : public _ItemDed {
 public:
  // Inputs.
  Currency miscDedPmts, casualtyDed, charDed, otherIntDed, invIntDed, invIntExp, homeMortIntAmt,
      homeMortIntReg, otherTaxes, sitPd, medPmts;
  // Results.
  Currency exemptionDedNet, exemptionDedPhaseOut, exemptionDedGross, stdDed, totNet, totReduction,
      totGross, miscDed, intDed, taxDed, medDed;
  Currency charDedAllowed;  // result
  bool itemizing =
      false;  // set by the driver; the minimum tax allows itemized deductions only then
  EditFlags flags;

  std::string ExemptionDedNet() override;
  std::string ExemptionDedPhaseOut() override;
  std::string ExemptionDedGross() override;
  std::string StdDed() override;
  std::string TotNet() override;
  std::string TotReduction() override;
  std::string TotGross() override;
  std::string MiscDed() override;
  void MiscDedPmts(std::string_view value) override;
  std::string MiscDedPmts() override;
  void CasualtyDed(std::string_view value) override;
  std::string CasualtyDed() override;
  void CharDed(std::string_view value) override;
  std::string CharDed() override;
  std::string IntDed() override;
  void OtherIntDed(std::string_view value) override;
  std::string OtherIntDed() override;
  void InvIntDed(std::string_view value) override;
  std::string InvIntDed() override;
  void InvIntExp(std::string_view value) override;
  std::string InvIntExp() override;
  void HomeMortIntAmt(std::string_view value) override;
  std::string HomeMortIntAmt() override;
  void HomeMortIntReg(std::string_view value) override;
  std::string HomeMortIntReg() override;
  std::string TaxDed() override;
  void OtherTaxes(std::string_view value) override;
  std::string OtherTaxes() override;
  void SITPd(std::string_view value) override;
  std::string SITPd() override;
  std::string MedDed() override;
  void MedPmts(std::string_view value) override;
  std::string MedPmts() override;
  void IsEditing(bool value) override { flags.editing = value; }
  bool IsCalculated() override { return flags.calculated; }
  void IsCalculated(bool value) override { flags.calculated = value; }
  bool IsDirty() override { return flags.dirty; }
  void IsDirty(bool value) override { flags.dirty = value; }
  std::string CharDedAllowed() override;
};

class iOtherTaxes final : public _iOtherTaxes {
 public:
  Currency otherTaxes;                                          // input
  Currency ficaSp1, ficaSp2, seTaxSp1, seTaxSp2, addlMedicare;  // results
  EditFlags flags;

  std::string CalcFicaMethod(std::string_view vsWages, std::int16_t vnYear) override;
  void FicaSp2(std::string_view value) override;
  void FicaSp1(std::string_view value) override;
  std::string FicaSp2() override;
  std::string FicaSp1() override;
  void IsEditing(bool value) override { flags.editing = value; }
  bool IsCalculated() override { return flags.calculated; }
  void IsCalculated(bool value) override { flags.calculated = value; }
  bool IsDirty() override { return flags.dirty; }
  void IsDirty(bool value) override { flags.dirty = value; }
  std::string SETaxSp1() override;
  std::string SETaxSp2() override;
  std::string OtherTaxes() override;
  void OtherTaxes(std::string_view value) override;
  std::string AddlMedicare() override;
};

class iAMT final : public _iAMT {
 public:
  Currency amt, regularTax, tentativeAMT, tamtAtCGRates, tamtAtOrdRates, taxIncPostExemption,
      exemption, taxInc, itemDed, charDed, casualtyDed, mortgIntDed, medDed, agi, mfsAddBack;
  EditFlags flags;

  std::string AMT() override;
  std::string RegularTax() override;
  std::string TentativeAMT() override;
  std::string TAMTAtCGRates() override;
  std::string TAMTAtOrdRates() override;
  std::string TaxIncPostExemption() override;
  std::string Exemption() override;
  std::string TaxInc() override;
  std::string ItemDed() override;
  std::string CharDed() override;
  std::string CasualtyDed() override;
  std::string MortgIntDed() override;
  std::string MedDed() override;
  std::string AGI() override;
  void IsEditing(bool value) override { flags.editing = value; }
  bool IsCalculated() override { return flags.calculated; }
  void IsCalculated(bool value) override { flags.calculated = value; }
  bool IsDirty() override { return flags.dirty; }
  void IsDirty(bool value) override { flags.dirty = value; }
  std::string MFSAddBack() override;
};

class iTop final : public _iTop {
 public:
  iTop();

  // The household record.
  std::string scenarioDesc, spouse1, spouse2;  // empty until first assigned, else 50 characters
  std::string taxpayer;
  std::int16_t taxYear = 0;
  std::int16_t dependents = 0;
  std::int32_t filingStatus = 0;
  bool isDependent = false, isSp1Blind = false, isSp2Blind = false, isSp1Over65 = false,
       isSp2Over65 = false;
  // The summary.
  int tablesYear = 0;
  Currency regAndAmtTax, balDue, totPmts, totTax, otherTax, taxLessCr, totCr, amt, incTax, taxInc,
      exemptionDed, itemOrStdDed, agi, adj2Inc, totalInc;

  EditFlags flags;
  bool isNew = true, deleted = false;
  std::int32_t columnIdx = 1;
  // The file and column whose section holds what the objects hold, since the last Load or save;
  // no file before the first.
  std::string storedPath;
  std::int32_t storedColumn = 0;
  // True while the nested computation of the IRA limit runs.
  bool inIraLimit = false;

  // The sub-objects, as the host sees them and as the computation reaches them.
  std::shared_ptr<_iInc> incRef;
  std::shared_ptr<_Adj2Inc> adjRef;
  std::shared_ptr<_ItemDed> itemRef;
  std::shared_ptr<_iOtherTaxes> otherRef;
  std::shared_ptr<_iTaxCr> crRef;
  std::shared_ptr<_iAMT> amtRef;
  fennick::iInc* inc = nullptr;
  fennick::Adj2Inc* adj = nullptr;
  fennick::ItemDed* item = nullptr;
  fennick::iOtherTaxes* other = nullptr;
  fennick::iTaxCr* cr = nullptr;
  fennick::iAMT* amtObj = nullptr;

  std::string Taxpayer() override;
  void oAMT(std::shared_ptr<_iAMT> value) override;
  std::shared_ptr<_iAMT> oAMT() override { return amtRef; }
  std::string Version() override;
  void oTaxCr(std::shared_ptr<_iTaxCr> value) override;
  std::shared_ptr<_iTaxCr> oTaxCr() override { return crRef; }
  std::string RegAndAmtTax() override;
  void oOtherTaxes(std::shared_ptr<_iOtherTaxes> value) override;
  std::shared_ptr<_iOtherTaxes> oOtherTaxes() override { return otherRef; }
  void oItem(std::shared_ptr<_ItemDed> value) override;
  std::shared_ptr<_ItemDed> oItem() override { return itemRef; }
  void oAdj2Inc(std::shared_ptr<_Adj2Inc> value) override;
  std::shared_ptr<_Adj2Inc> oAdj2Inc() override { return adjRef; }
  void oInc(std::shared_ptr<_iInc> value) override;
  std::shared_ptr<_iInc> oInc() override { return incRef; }
  void ApplyEdit(std::string_view vsFname) override;
  void BeginEdit() override;
  void CancelEdit() override;
  void ColumnIdx(std::int32_t value) override { columnIdx = value; }
  std::int32_t ColumnIdx() override { return columnIdx; }
  bool IsCalculated() override;
  bool IsDirty() override;
  void Calculate() override;
  void ScenarioDesc(std::string_view value) override;
  std::string ScenarioDesc() override;
  std::string BalDue() override;
  std::string TotPmts() override;
  std::string TotTax() override;
  std::string OtherTax() override;
  std::string TaxLessCr() override;
  std::string TotCr() override;
  std::string AMT() override;
  std::string IncTax() override;
  std::string TaxInc() override;
  void TaxYear(std::string_view value) override;
  std::string TaxYear() override;
  std::string ExemptionDed() override;
  std::string ItemOrStdDed() override;
  std::string AGI() override;
  std::string Adj2Inc() override;
  std::string TotalInc() override;
  void IsSp2Over65(bool value) override;
  bool IsSp2Over65() override { return isSp2Over65; }
  void IsSp1Over65(bool value) override;
  bool IsSp1Over65() override { return isSp1Over65; }
  void IsSp2Blind(bool value) override;
  bool IsSp2Blind() override { return isSp2Blind; }
  void IsSp1Blind(bool value) override;
  bool IsSp1Blind() override { return isSp1Blind; }
  void Dependents(std::string_view value) override;
  std::string Dependents() override;
  void IsDependent(bool value) override;
  bool IsDependent() override { return isDependent; }
  void FilingStatus(eFilingStatus value) override;
  eFilingStatus FilingStatus() override { return static_cast<eFilingStatus>(filingStatus); }
  void Spouse2(std::string_view value) override;
  std::string Spouse2() override;
  void Spouse1(std::string_view value) override;
  std::string Spouse1() override;
  std::string sFilingStatus() override;
  void EmptySub() override {}
  void TotPmts(std::string_view value) override;
  void Load(std::string_view vsFilename) override;
  std::string TablesYear() override { return std::to_string(tablesYear); }

  // Sets or clears a flag on all six sub-objects.
  void SetSubEditing(bool value);
  void SetSubDirty(bool value);
  void SetSubCalculated(bool value);
};

// The amount format of every getter.
std::string FormatAmount(Currency value);

// Persistence of one scenario (section "Scenario" + ColumnIdx) through the keyed data file.
namespace Persist {
void Save(std::string_view path, iTop& top);
void Fetch(std::string_view path, iTop& top);
}  // namespace Persist

}  // namespace fennick
