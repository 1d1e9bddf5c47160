// Late-bound access to the properties of a scenario by name ("TotalInc", "oInc.Dividends").
#include <algorithm>
#include <cctype>
#include <functional>

#include "fennick/tax_objects.h"
#include "qel/error.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace fennick {
namespace {

struct Property {
  std::string name;
  std::function<std::string(_iTop&)> get;
  std::function<void(_iTop&, std::string_view)> let;  // empty: no public setter
};

#define RO(Name)                                       \
  Property {                                           \
#Name, [](_iTop & t) { return t.Name(); }, nullptr \
  }
#define RW(Name)                                                                                \
  Property {                                                                                    \
#Name, [](_iTop & t) { return t.Name(); }, [](_iTop & t, std::string_view v) { t.Name(v); } \
  }
#define RW_BOOL(Name)                                                                              \
  Property {                                                                                       \
#Name,                                                                                         \
        [](_iTop &                                                                                 \
           t) { return qel::BoolText(t.Name()); },                                                 \
                                                [](_iTop & t,                                      \
                                                   std::string_view v) { t.Name(qel::ToBool(v)); } \
  }
#define SUB_RO(Sub, Name)                                              \
  Property {                                                           \
#Sub "." #Name, [](_iTop & t) { return t.Sub()->Name(); }, nullptr \
  }
#define SUB_RW(Sub, Name)                                                                       \
  Property {                                                                                    \
#Sub "." #Name,                                                                             \
        [](_iTop & t) { return t.Sub()->Name(); }, [](_iTop & t,                                \
                                                      std::string_view v) { t.Sub()->Name(v); } \
  }
#define SUB_RW_BOOL(Sub, Name)                                                                      \
  Property {                                                                                        \
#Sub "." #Name,                                                                                 \
        [](_iTop &                                                                                  \
           t) { return qel::BoolText(t.Sub()->Name()); },                                           \
                                                       [](_iTop & t,                                \
                                                          std::string_view                          \
                                                              v) { t.Sub()->Name(qel::ToBool(v)); } \
  }

// Results first, in report order; then the inputs and the other properties.
const std::vector<Property>& Properties() {
  static const std::vector<Property> properties = {
      RO(TotalInc),
      RO(Adj2Inc),
      RO(AGI),
      RO(ItemOrStdDed),
      RO(ExemptionDed),
      RO(TaxInc),
      RO(IncTax),
      RO(AMT),
      RO(RegAndAmtTax),
      RO(OtherTax),
      RO(TotCr),
      RO(TaxLessCr),
      RO(TotTax),
      RO(BalDue),
      SUB_RO(oInc, NetSTCG),
      SUB_RO(oInc, NetLTCG),
      SUB_RO(oInc, CapGains),
      SUB_RW(oInc, AdjNetCG),
      SUB_RO(oInc, Sec1231Netted),
      SUB_RO(oInc, STCLCarryforward),
      SUB_RO(oInc, LTCLCarryforward),
      SUB_RW(oInc, Sec_1_h_1_B_Amount),
      SUB_RO(oAdj2Inc, IRADedSp1),
      SUB_RO(oAdj2Inc, IRADedSp2),
      SUB_RO(oAdj2Inc, SEMedInsDed),
      SUB_RO(oAdj2Inc, SETaxDed),
      SUB_RO(oItem, MedDed),
      SUB_RO(oItem, TaxDed),
      SUB_RO(oItem, IntDed),
      SUB_RO(oItem, MiscDed),
      SUB_RO(oItem, TotGross),
      SUB_RO(oItem, TotReduction),
      SUB_RO(oItem, TotNet),
      SUB_RO(oItem, StdDed),
      SUB_RO(oItem, ExemptionDedGross),
      SUB_RO(oItem, ExemptionDedPhaseOut),
      SUB_RO(oItem, ExemptionDedNet),
      SUB_RO(oOtherTaxes, SETaxSp1),
      SUB_RO(oOtherTaxes, SETaxSp2),
      SUB_RW(oOtherTaxes, FicaSp1),
      SUB_RW(oOtherTaxes, FicaSp2),
      SUB_RO(oTaxCr, ChildCr),
      SUB_RO(oAMT, AGI),
      SUB_RO(oAMT, MedDed),
      SUB_RO(oAMT, MortgIntDed),
      SUB_RO(oAMT, CasualtyDed),
      SUB_RO(oAMT, CharDed),
      SUB_RO(oAMT, ItemDed),
      SUB_RO(oAMT, TaxInc),
      SUB_RO(oAMT, Exemption),
      SUB_RO(oAMT, TaxIncPostExemption),
      SUB_RO(oAMT, RegularTax),
      SUB_RO(oAMT, TAMTAtOrdRates),
      SUB_RO(oAMT, TAMTAtCGRates),
      SUB_RO(oAMT, TentativeAMT),
      SUB_RO(oAMT, AMT),
      // Household data and inputs.
      RO(Taxpayer),
      RO(Version),
      RO(sFilingStatus),
      RW(ScenarioDesc),
      RW(Spouse1),
      RW(Spouse2),
      RW(TaxYear),
      RW(Dependents),
      RW(TotPmts),
      RW_BOOL(IsDependent),
      RW_BOOL(IsSp1Blind),
      RW_BOOL(IsSp2Blind),
      RW_BOOL(IsSp1Over65),
      RW_BOOL(IsSp2Over65),
      Property{"FilingStatus",
               [](_iTop& t) { return std::to_string(static_cast<int>(t.FilingStatus())); },
               [](_iTop& t, std::string_view v) {
                 t.FilingStatus(static_cast<eFilingStatus>(qel::ToInt32(v)));
               }},
      Property{"ColumnIdx", [](_iTop& t) { return std::to_string(t.ColumnIdx()); },
               [](_iTop& t, std::string_view v) { t.ColumnIdx(qel::ToInt32(v)); }},
      Property{"IsDirty", [](_iTop& t) { return qel::BoolText(t.IsDirty()); }, nullptr},
      Property{"IsCalculated", [](_iTop& t) { return qel::BoolText(t.IsCalculated()); }, nullptr},
      SUB_RW(oInc, Dividends),
      SUB_RW(oInc, LTCG),
      SUB_RW(oInc, STCG),
      SUB_RW(oInc, STCLCarryOver),
      SUB_RW(oInc, LTCLCarryOver),
      SUB_RW(oInc, Sec1231Losses),
      SUB_RW(oInc, Sec1231Gains),
      SUB_RW(oInc, OtherNonSEInc),
      SUB_RW(oInc, WageSp1),
      SUB_RW(oInc, WageSp2),
      SUB_RW(oInc, SEIncSp1),
      SUB_RW(oInc, SEIncSp2),
      SUB_RW(oAdj2Inc, OtherAdj2Inc),
      SUB_RW_BOOL(oAdj2Inc, IsSp1InRetPlan),
      SUB_RW_BOOL(oAdj2Inc, IsSp2InRetPlan),
      SUB_RW(oAdj2Inc, SEMedInsPmts),
      SUB_RW(oAdj2Inc, IRAContribSP1),
      SUB_RW(oAdj2Inc, IRAContribSP2),
      SUB_RW(oItem, MiscDedPmts),
      SUB_RW(oItem, CasualtyDed),
      SUB_RW(oItem, CharDed),
      SUB_RW(oItem, OtherIntDed),
      SUB_RW(oItem, InvIntDed),
      SUB_RW(oItem, InvIntExp),
      SUB_RW(oItem, HomeMortIntAmt),
      SUB_RW(oItem, HomeMortIntReg),
      SUB_RW(oItem, OtherTaxes),
      SUB_RW(oItem, SITPd),
      SUB_RW(oItem, MedPmts),
      SUB_RW(oOtherTaxes, OtherTaxes),
      SUB_RW(oTaxCr, NumOfChildCrChildren),
      SUB_RW(oTaxCr, OtherCr),
  };
  return properties;
}

constexpr std::size_t kResultCount = 56;  // the results at the head of the list

const Property& Find(std::string_view name) {
  for (const Property& p : Properties()) {
    if (qel::EqualsIgnoreCase(p.name, name)) return p;
  }
  throw qel::QelError(qel::err::kNoSuchMember, "Fennick",
                      "The scenario has no property named \"" + std::string(name) + "\".");
}

}  // namespace

std::string GetProperty(_iTop& object, std::string_view name) {
  return Find(name).get(object);
}

void LetProperty(_iTop& object, std::string_view name, std::string_view value) {
  const Property& p = Find(name);
  if (!p.let) {
    throw qel::QelError(qel::err::kNoSuchMember, "Fennick",
                        "The property \"" + p.name + "\" cannot be set.");
  }
  p.let(object, value);
}

const std::vector<std::string>& ResultPropertyNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (std::size_t i = 0; i < kResultCount; ++i) list.push_back(Properties()[i].name);
    return list;
  }();
  return names;
}

}  // namespace fennick
