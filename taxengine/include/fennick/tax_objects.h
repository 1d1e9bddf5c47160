// The tax scenario objects of the Fennick library: one year's federal individual income-tax
// projection for one household.
//
// A scenario is a tree of seven objects: the top object (_iTop) owns six sub-objects, one per
// area of the return. Each interface declares its members in the interface order; a property is
// a pair of overloads, setter (let) first and getter (get) second, unless noted otherwise.
// Amounts cross the interfaces as text and read back formatted "##,###,##0". Inputs are taken
// only while the scenario is being edited (BeginEdit); results are set by Calculate. Errors are
// qel::QelError with a source trail.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__GNUC__)
#define FENNICK_API __attribute__((visibility("default")))
#else
#define FENNICK_API
#endif

namespace fennick {

enum eFilingStatus : std::int32_t {
  fl_single = 1,
  fl_joint = 2,
  fl_mar_sep = 3,
  fl_head_household = 4,
  fl_qual_widow = 5
};
enum eSpouse : std::int32_t { Sp1 = 0, Sp2 = 1 };

inline constexpr std::string_view kITopInterfaceId = "{EBFADAF7-4A7E-41AC-816B-D780E92DC5F3}";
inline constexpr std::string_view kIIncInterfaceId = "{09B5F9C7-9C91-4EDE-8043-F5BCADBD4BDC}";
inline constexpr std::string_view kITaxCrInterfaceId = "{DC81B232-4A95-4E80-A3BD-9A2197B70937}";
inline constexpr std::string_view kAdj2IncInterfaceId = "{0BD28CBE-E074-4EBC-B612-286A3E921858}";
inline constexpr std::string_view kItemDedInterfaceId = "{16EA6AA8-688C-4B44-A142-751ECFC30354}";
inline constexpr std::string_view kIOtherTaxesInterfaceId =
    "{C393AE91-604E-48EF-948D-C171068533D3}";
inline constexpr std::string_view kIAMTInterfaceId = "{CDD32B19-04AE-4B8F-A153-724F5C864A1C}";

// Income items and capital-gain results.
class FENNICK_API _iInc {
 public:
  virtual ~_iInc() = default;

  // Taxable income taxed at the lower capital-gain rate; used by the minimum tax.
  virtual void Sec_1_h_1_B_Amount(std::string_view value) = 0;
  virtual std::string Sec_1_h_1_B_Amount() = 0;
  // Adjusted net capital gain, dividends included (getter first). The setter acts at any time
  // and stores 0 for text that is not a number.
  virtual std::string AdjNetCG() = 0;
  virtual void AdjNetCG(std::string_view value) = 0;
  virtual void Dividends(std::string_view value) = 0;
  virtual std::string Dividends() = 0;
  virtual void LTCG(std::string_view value) = 0;
  virtual std::string LTCG() = 0;
  virtual void STCG(std::string_view value) = 0;
  virtual std::string STCG() = 0;
  virtual std::string STCLCarryforward() = 0;
  virtual std::string LTCLCarryforward() = 0;
  // Carryover from a previous year to the current year.
  virtual void STCLCarryOver(std::string_view value) = 0;
  virtual std::string STCLCarryOver() = 0;
  virtual void LTCLCarryOver(std::string_view value) = 0;
  virtual std::string LTCLCarryOver() = 0;
  virtual std::string Sec1231Netted() = 0;
  virtual void Sec1231Losses(std::string_view value) = 0;
  virtual std::string Sec1231Losses() = 0;
  virtual void Sec1231Gains(std::string_view value) = 0;
  virtual std::string Sec1231Gains() = 0;
  virtual std::string NetSTCG() = 0;
  virtual std::string NetLTCG() = 0;
  virtual std::string CapGains() = 0;
  virtual void OtherNonSEInc(std::string_view value) = 0;
  virtual std::string OtherNonSEInc() = 0;
  virtual void WageSp2(std::string_view value) = 0;
  virtual std::string WageSp2() = 0;
  virtual void WageSp1(std::string_view value) = 0;
  virtual std::string WageSp1() = 0;
  virtual void IsEditing(bool value) = 0;
  virtual bool IsCalculated() = 0;
  virtual void IsCalculated(bool value) = 0;
  virtual bool IsDirty() = 0;
  virtual void IsDirty(bool value) = 0;
  virtual std::string SEIncSp1() = 0;
  virtual void SEIncSp1(std::string_view value) = 0;
  virtual std::string SEIncSp2() = 0;
  virtual void SEIncSp2(std::string_view value) = 0;
};

// Credits.
class FENNICK_API _iTaxCr {
 public:
  virtual ~_iTaxCr() = default;

  virtual void NumOfChildCrChildren(std::string_view value) = 0;
  virtual std::string NumOfChildCrChildren() = 0;  // "#0"
  virtual void OtherCr(std::string_view value) = 0;
  virtual std::string OtherCr() = 0;
  virtual std::string ChildCr() = 0;
  virtual void IsEditing(bool value) = 0;
  virtual bool IsCalculated() = 0;
  virtual void IsCalculated(bool value) = 0;
  virtual bool IsDirty() = 0;
  virtual void IsDirty(bool value) = 0;
};

// Adjustments to income.
class FENNICK_API _Adj2Inc {
 public:
  virtual ~_Adj2Inc() = default;

  virtual void OtherAdj2Inc(std::string_view value) = 0;
  virtual std::string OtherAdj2Inc() = 0;
  // Covered by an employer retirement plan.
  virtual void IsSp2InRetPlan(bool value) = 0;
  virtual bool IsSp2InRetPlan() = 0;
  virtual void IsSp1InRetPlan(bool value) = 0;
  virtual bool IsSp1InRetPlan() = 0;
  virtual std::string SEMedInsDed() = 0;
  virtual void SEMedInsPmts(std::string_view value) = 0;
  virtual std::string SEMedInsPmts() = 0;
  virtual std::string SETaxDed() = 0;
  virtual std::string IRADedSp2() = 0;
  virtual std::string IRADedSp1() = 0;
  virtual void IRAContribSP2(std::string_view value) = 0;
  virtual std::string IRAContribSP2() = 0;
  virtual void IRAContribSP1(std::string_view value) = 0;
  virtual std::string IRAContribSP1() = 0;
  virtual void IsEditing(bool value) = 0;
  virtual bool IsCalculated() = 0;
  virtual void IsCalculated(bool value) = 0;
  virtual bool IsDirty() = 0;
  virtual void IsDirty(bool value) = 0;
};

// Deductions and exemptions.
class FENNICK_API _ItemDed {
 public:
  virtual ~_ItemDed() = default;

  virtual std::string ExemptionDedNet() = 0;
  virtual std::string ExemptionDedPhaseOut() = 0;
  virtual std::string ExemptionDedGross() = 0;
  virtual std::string StdDed() = 0;
  virtual std::string TotNet() = 0;
  virtual std::string TotReduction() = 0;
  virtual std::string TotGross() = 0;
  virtual std::string MiscDed() = 0;
  virtual void MiscDedPmts(std::string_view value) = 0;
  virtual std::string MiscDedPmts() = 0;
  virtual void CasualtyDed(std::string_view value) = 0;
  virtual std::string CasualtyDed() = 0;
  virtual void CharDed(std::string_view value) = 0;
  virtual std::string CharDed() = 0;
  virtual std::string IntDed() = 0;
  virtual void OtherIntDed(std::string_view value) = 0;
  virtual std::string OtherIntDed() = 0;
  virtual void InvIntDed(std::string_view value) = 0;
  virtual std::string InvIntDed() = 0;
  virtual void InvIntExp(std::string_view value) = 0;
  virtual std::string InvIntExp() = 0;
  virtual void HomeMortIntAmt(std::string_view value) = 0;
  virtual std::string HomeMortIntAmt() = 0;
  virtual void HomeMortIntReg(std::string_view value) = 0;
  virtual std::string HomeMortIntReg() = 0;
  virtual std::string TaxDed() = 0;
  virtual void OtherTaxes(std::string_view value) = 0;
  virtual std::string OtherTaxes() = 0;
  virtual void SITPd(std::string_view value) = 0;
  virtual std::string SITPd() = 0;
  virtual std::string MedDed() = 0;
  virtual void MedPmts(std::string_view value) = 0;
  virtual std::string MedPmts() = 0;
  virtual void IsEditing(bool value) = 0;
  virtual bool IsCalculated() = 0;
  virtual void IsCalculated(bool value) = 0;
  virtual bool IsDirty() = 0;
  virtual void IsDirty(bool value) = 0;
  // Charitable contributions allowed: those over the year's floor (a share of AGI), all of them
  // in a year without one.
  virtual std::string CharDedAllowed() = 0;
};

// Social-security and self-employment taxes, other taxes.
class FENNICK_API _iOtherTaxes {
 public:
  virtual ~_iOtherTaxes() = default;

  // Use as a utility to compute FICA: the employee social security and Medicare tax on the wages
  // for the year, as plain text. Wages that are not a number count as 0; a year before the
  // supported tax years gives 0, a year after them the latest year's rules. Changes nothing in
  // the object.
  virtual std::string CalcFicaMethod(std::string_view vsWages, std::int16_t vnYear) = 0;
  virtual void FicaSp2(std::string_view value) = 0;
  virtual void FicaSp1(std::string_view value) = 0;
  virtual std::string FicaSp2() = 0;
  virtual std::string FicaSp1() = 0;
  virtual void IsEditing(bool value) = 0;
  virtual bool IsCalculated() = 0;
  virtual void IsCalculated(bool value) = 0;
  virtual bool IsDirty() = 0;
  virtual void IsDirty(bool value) = 0;
  virtual std::string SETaxSp1() = 0;
  virtual std::string SETaxSp2() = 0;
  virtual std::string OtherTaxes() = 0;
  virtual void OtherTaxes(std::string_view value) = 0;
  // The additional Medicare tax on wages and self-employment earnings over the threshold
  // (part of the other taxes).
  virtual std::string AddlMedicare() = 0;
};

// Alternative minimum tax.
class FENNICK_API _iAMT {
 public:
  virtual ~_iAMT() = default;

  virtual std::string AMT() = 0;
  virtual std::string RegularTax() = 0;
  virtual std::string TentativeAMT() = 0;
  virtual std::string TAMTAtCGRates() = 0;
  virtual std::string TAMTAtOrdRates() = 0;
  virtual std::string TaxIncPostExemption() = 0;
  virtual std::string Exemption() = 0;
  virtual std::string TaxInc() = 0;
  virtual std::string ItemDed() = 0;
  virtual std::string CharDed() = 0;
  virtual std::string CasualtyDed() = 0;
  virtual std::string MortgIntDed() = 0;
  virtual std::string MedDed() = 0;
  virtual std::string AGI() = 0;
  virtual void IsEditing(bool value) = 0;
  virtual bool IsCalculated() = 0;
  virtual void IsCalculated(bool value) = 0;
  virtual bool IsDirty() = 0;
  virtual void IsDirty(bool value) = 0;
  // Added to the minimum taxable income of a separate return (0 for any other status).
  virtual std::string MFSAddBack() = 0;
};

// The top object: household data, the tax summary and the six sub-objects.
class FENNICK_API _iTop {
 public:
  virtual ~_iTop() = default;

  // Spouse 1's name, and " & " with spouse 2's name when spouse 2 has one.
  virtual std::string Taxpayer() = 0;
  // The sub-object setters accept only objects made by this library (Create...), else error 5.
  virtual void oAMT(std::shared_ptr<_iAMT> value) = 0;
  virtual std::shared_ptr<_iAMT> oAMT() = 0;
  virtual std::string Version() = 0;
  virtual void oTaxCr(std::shared_ptr<_iTaxCr> value) = 0;
  virtual std::shared_ptr<_iTaxCr> oTaxCr() = 0;
  virtual std::string RegAndAmtTax() = 0;
  virtual void oOtherTaxes(std::shared_ptr<_iOtherTaxes> value) = 0;
  virtual std::shared_ptr<_iOtherTaxes> oOtherTaxes() = 0;
  virtual void oItem(std::shared_ptr<_ItemDed> value) = 0;
  virtual std::shared_ptr<_ItemDed> oItem() = 0;
  virtual void oAdj2Inc(std::shared_ptr<_Adj2Inc> value) = 0;
  virtual std::shared_ptr<_Adj2Inc> oAdj2Inc() = 0;
  virtual void oInc(std::shared_ptr<_iInc> value) = 0;
  virtual std::shared_ptr<_iInc> oInc() = 0;
  // Saves the scenario to the file when anything changed (or it was never saved) and ends the
  // edit of all seven objects.
  virtual void ApplyEdit(std::string_view vsFname) = 0;
  virtual void BeginEdit() = 0;
  // Raises 445 outside an edit.
  virtual void CancelEdit() = 0;
  // The scenario number; names the file section ("Scenario1").
  virtual void ColumnIdx(std::int32_t value) = 0;
  virtual std::int32_t ColumnIdx() = 0;
  virtual bool IsCalculated() = 0;
  virtual bool IsDirty() = 0;
  // Runs the whole computation. Raises 380 for a filing status outside 1 to 5.
  virtual void Calculate() = 0;
  virtual void ScenarioDesc(std::string_view value) = 0;
  virtual std::string ScenarioDesc() = 0;
  virtual std::string BalDue() = 0;
  virtual std::string TotPmts() = 0;
  virtual std::string TotTax() = 0;
  virtual std::string OtherTax() = 0;
  virtual std::string TaxLessCr() = 0;
  virtual std::string TotCr() = 0;
  virtual std::string AMT() = 0;
  virtual std::string IncTax() = 0;
  virtual std::string TaxInc() = 0;
  // Empty text means the current calendar year.
  virtual void TaxYear(std::string_view value) = 0;
  virtual std::string TaxYear() = 0;
  virtual std::string ExemptionDed() = 0;
  virtual std::string ItemOrStdDed() = 0;
  virtual std::string AGI() = 0;
  virtual std::string Adj2Inc() = 0;
  virtual std::string TotalInc() = 0;
  virtual void IsSp2Over65(bool value) = 0;
  virtual bool IsSp2Over65() = 0;
  virtual void IsSp1Over65(bool value) = 0;
  virtual bool IsSp1Over65() = 0;
  virtual void IsSp2Blind(bool value) = 0;
  virtual bool IsSp2Blind() = 0;
  virtual void IsSp1Blind(bool value) = 0;
  virtual bool IsSp1Blind() = 0;
  // The number of exemptions claimed.
  virtual void Dependents(std::string_view value) = 0;
  virtual std::string Dependents() = 0;
  // Can be claimed as a dependent.
  virtual void IsDependent(bool value) = 0;
  virtual bool IsDependent() = 0;
  virtual void FilingStatus(eFilingStatus value) = 0;
  virtual eFilingStatus FilingStatus() = 0;
  virtual void Spouse2(std::string_view value) = 0;
  virtual std::string Spouse2() = 0;
  virtual void Spouse1(std::string_view value) = 0;
  virtual std::string Spouse1() = 0;
  // "Single", "Joint", "Married Sep.", "Head of Hse." for 1 to 4; empty text otherwise.
  virtual std::string sFilingStatus() = 0;
  virtual void EmptySub() = 0;
  virtual void TotPmts(std::string_view value) = 0;
  // Loads scenario ColumnIdx from the file: raises 10003 for an empty name and 53 when the file
  // does not exist; a missing section loads the defaults. Afterwards no object is editing,
  // dirty or calculated.
  virtual void Load(std::string_view vsFilename) = 0;
  // The tax year whose figures the last Calculate used: the scenario's year, the latest year
  // installed for a later one, "0" for a year before the first.
  virtual std::string TablesYear() = 0;
};

// Creates objects of this library: a top object with its six sub-objects, or a single sub-object
// (to hand to one of the top object's o... setters).
FENNICK_API std::unique_ptr<_iTop> CreateTop();
FENNICK_API std::shared_ptr<_iInc> CreateInc();
FENNICK_API std::shared_ptr<_Adj2Inc> CreateAdj2Inc();
FENNICK_API std::shared_ptr<_ItemDed> CreateItemDed();
FENNICK_API std::shared_ptr<_iOtherTaxes> CreateOtherTaxes();
FENNICK_API std::shared_ptr<_iTaxCr> CreateTaxCr();
FENNICK_API std::shared_ptr<_iAMT> CreateAMT();

// Late-bound access by property name, letter case ignored: top-object properties by their own
// name ("TotalInc"), sub-object properties through the sub-object's name ("oInc.Dividends").
// Booleans read "True"/"False" and are let from "True"/"False" or a number; FilingStatus and
// ColumnIdx read and are let as numbers. Lets follow the setters' rules (inputs only while
// editing). An unknown name, or a let of a property without a public setter, raises 438.
FENNICK_API std::string GetProperty(_iTop& object, std::string_view name);
FENNICK_API void LetProperty(_iTop& object, std::string_view name, std::string_view value);

// The names of every result property, in the order a report lists them ("TotalInc", ...,
// "oInc.NetSTCG", ..., "oAMT.AGI").
FENNICK_API const std::vector<std::string>& ResultPropertyNames();

// True when the file exists and holds at least one key of scenario `column`.
FENNICK_API bool ScenarioExists(std::string_view path, std::int32_t column);

}  // namespace fennick
