#include "properties.h"

#include "library_info.h"
#include "qel/error.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace fennick {
namespace {

using enum PropertyKind;

// The accessors of a property of the top object ("TotalInc") or of a sub-object
// ("oInc.Dividends"): read-only, read-write, or a read-write flag.
// clang-format off
#define RO(Name) \
  #Name, [](_iTop& t) -> std::string { return t.Name(); }, nullptr
#define RW(Name) \
  #Name, [](_iTop& t) -> std::string { return t.Name(); }, \
  [](_iTop& t, std::string_view v) { t.Name(v); }
#define FLAG(Name) \
  #Name, [](_iTop& t) { return qel::BoolText(t.Name()); }, \
  [](_iTop& t, std::string_view v) { t.Name(qel::ToBool(v)); }
#define SUB_RO(Sub, Name) \
  #Sub "." #Name, [](_iTop& t) -> std::string { return t.Sub()->Name(); }, nullptr
#define SUB_RW(Sub, Name) \
  #Sub "." #Name, [](_iTop& t) -> std::string { return t.Sub()->Name(); }, \
  [](_iTop& t, std::string_view v) { t.Sub()->Name(v); }
#define SUB_FLAG(Sub, Name) \
  #Sub "." #Name, [](_iTop& t) { return qel::BoolText(t.Sub()->Name()); }, \
  [](_iTop& t, std::string_view v) { t.Sub()->Name(qel::ToBool(v)); }
// clang-format on

constexpr Property kProperties[] = {
    // The results, in report order.
    {RO(TotalInc), kResult},
    {RO(Adj2Inc), kResult},
    {RO(AGI), kResult},
    {RO(ItemOrStdDed), kResult},
    {RO(ExemptionDed), kResult},
    {RO(TaxInc), kResult},
    {RO(IncTax), kResult},
    {RO(AMT), kResult},
    {RO(RegAndAmtTax), kResult},
    {RO(OtherTax), kResult},
    {RO(TotCr), kResult},
    {RO(TaxLessCr), kResult},
    {RO(TotTax), kResult},
    {RO(BalDue), kResult},
    {RO(TablesYear), kResult},
    {SUB_RO(oInc, NetSTCG), kResult},
    {SUB_RO(oInc, NetLTCG), kResult},
    {SUB_RO(oInc, CapGains), kResult},
    {SUB_RW(oInc, AdjNetCG), kResult},
    {SUB_RO(oInc, Sec1231Netted), kResult},
    {SUB_RO(oInc, STCLCarryforward), kResult},
    {SUB_RO(oInc, LTCLCarryforward), kResult},
    {SUB_RW(oInc, Sec_1_h_1_B_Amount), kResult},
    {SUB_RO(oAdj2Inc, IRADedSp1), kResult},
    {SUB_RO(oAdj2Inc, IRADedSp2), kResult},
    {SUB_RO(oAdj2Inc, SEMedInsDed), kResult},
    {SUB_RO(oAdj2Inc, SETaxDed), kResult},
    {SUB_RO(oItem, MedDed), kResult},
    {SUB_RO(oItem, TaxDed), kResult},
    {SUB_RO(oItem, IntDed), kResult},
    {SUB_RO(oItem, MiscDed), kResult},
    {SUB_RO(oItem, TotGross), kResult},
    {SUB_RO(oItem, TotReduction), kResult},
    {SUB_RO(oItem, TotNet), kResult},
    {SUB_RO(oItem, StdDed), kResult},
    {SUB_RO(oItem, ExemptionDedGross), kResult},
    {SUB_RO(oItem, ExemptionDedPhaseOut), kResult},
    {SUB_RO(oItem, ExemptionDedNet), kResult},
    {SUB_RO(oItem, CharDedAllowed), kResult},
    {SUB_RO(oOtherTaxes, SETaxSp1), kResult},
    {SUB_RO(oOtherTaxes, SETaxSp2), kResult},
    {SUB_RW(oOtherTaxes, FicaSp1), kResult},
    {SUB_RW(oOtherTaxes, FicaSp2), kResult},
    {SUB_RO(oOtherTaxes, AddlMedicare), kResult},
    {SUB_RO(oTaxCr, ChildCr), kResult},
    {SUB_RO(oAMT, AGI), kResult},
    {SUB_RO(oAMT, MedDed), kResult},
    {SUB_RO(oAMT, MortgIntDed), kResult},
    {SUB_RO(oAMT, CasualtyDed), kResult},
    {SUB_RO(oAMT, CharDed), kResult},
    {SUB_RO(oAMT, ItemDed), kResult},
    {SUB_RO(oAMT, TaxInc), kResult},
    {SUB_RO(oAMT, Exemption), kResult},
    {SUB_RO(oAMT, TaxIncPostExemption), kResult},
    {SUB_RO(oAMT, RegularTax), kResult},
    {SUB_RO(oAMT, TAMTAtOrdRates), kResult},
    {SUB_RO(oAMT, TAMTAtCGRates), kResult},
    {SUB_RO(oAMT, TentativeAMT), kResult},
    {SUB_RO(oAMT, AMT), kResult},
    {SUB_RO(oAMT, MFSAddBack), kResult},

    // The stored properties, in file order. The version is written but not read back.
    {RO(Version), kText, "Version"},
    {RW(Spouse1), kName, "Spouse 1"},
    {RW(Spouse2), kName, "Spouse 2"},
    {RW(ScenarioDesc), kName, "Scenario Description"},
    {RW(TaxYear), kYear, "Year"},
    {FLAG(IsSp1Over65), kFlag, "Spouse 1 Over 65", "False"},
    {FLAG(IsSp1Blind), kFlag, "Spouse 1 Blind", "False"},
    {FLAG(IsSp2Over65), kFlag, "Spouse 2 Over 65", "False"},
    {FLAG(IsSp2Blind), kFlag, "Spouse 2 Blind", "False"},
    {RW(Dependents), kCount, "Dependents", "1"},
    {FLAG(IsDependent), kFlag, "Is Dependent", "False"},
    {"FilingStatus", [](_iTop& t) { return std::to_string(static_cast<int>(t.FilingStatus())); },
     [](_iTop& t, std::string_view v) {
       t.FilingStatus(static_cast<eFilingStatus>(qel::ToInt32(v)));
     },
     kCount, "Filing Status", "2"},
    {RW(TotPmts), kAmount, "Total Payments", "0"},
    {SUB_RW(oInc, LTCG), kAmount, "Long Term Cap Gain", "0"},
    {SUB_RW(oInc, LTCLCarryOver), kAmount, "Long Term Cap Loss Carryover", "0"},
    {SUB_RW(oInc, Dividends), kAmount, "Dividends", "0"},
    {SUB_RW(oInc, STCG), kAmount, "Short Term Cap Gain", "0"},
    {SUB_RW(oInc, STCLCarryOver), kAmount, "Short Term Cap Carryover", "0"},
    {SUB_RW(oInc, OtherNonSEInc), kAmount, "Other Non SE Inc", "0"},
    {SUB_RW(oInc, Sec1231Gains), kAmount, "Sec 1231 Gains", "0"},
    {SUB_RW(oInc, Sec1231Losses), kAmount, "Sec 1231 Losses", "0"},
    {SUB_RW(oInc, SEIncSp1), kAmount, "SE Inc Spouse 1", "0"},
    {SUB_RW(oInc, SEIncSp2), kAmount, "SE Inc Spouse 2", "0"},
    {SUB_RW(oInc, WageSp1), kAmount, "Wages Spouse 1", "0"},
    {SUB_RW(oInc, WageSp2), kAmount, "Wages Spouse 2", "0"},
    {SUB_RW(oAdj2Inc, IRAContribSP1), kAmount, "IRA Contrib Spouse 1", "0"},
    {SUB_FLAG(oAdj2Inc, IsSp1InRetPlan), kFlag, "In Retirement Plan Spouse 1", "False"},
    {SUB_RW(oAdj2Inc, IRAContribSP2), kAmount, "IRA Contrib Spouse 2", "0"},
    {SUB_FLAG(oAdj2Inc, IsSp2InRetPlan), kFlag, "In Retirement Plan Spouse 2", "False"},
    {SUB_RW(oAdj2Inc, OtherAdj2Inc), kAmount, "Other Adj To Income", "0"},
    {SUB_RW(oAdj2Inc, SEMedInsPmts), kAmount, "SE Med Ins Pmts", "0"},
    {SUB_RW(oItem, CasualtyDed), kAmount, "Casualty Loss Ded", "0"},
    {SUB_RW(oItem, CharDed), kAmount, "Charitable Ded", "0"},
    {SUB_RW(oItem, HomeMortIntAmt), kAmount, "Mort Amt Ded", "0"},
    {SUB_RW(oItem, HomeMortIntReg), kAmount, "Mort Non Amt Ded", "0"},
    {SUB_RW(oItem, InvIntDed), kAmount, "Investment Interest Ded", "0"},
    {SUB_RW(oItem, MedPmts), kAmount, "Med Pmts", "0"},
    {SUB_RW(oItem, MiscDedPmts), kAmount, "Misc Ded Pmts", "0"},
    {SUB_RW(oItem, OtherIntDed), kAmount, "Other Int Deductions", "0"},
    {SUB_RW(oItem, OtherTaxes), kAmount, "Other Taxes Pd", "0"},
    {SUB_RW(oItem, SITPd), kAmount, "SIT Pd", "0"},
    {SUB_RW(oOtherTaxes, OtherTaxes), kAmount, "Other Taxes", "0"},
    {SUB_RW(oTaxCr, NumOfChildCrChildren), kCount, "Number of children", "0"},
    {SUB_RW(oTaxCr, OtherCr), kAmount, "Other credits", "0"},

    // Not stored.
    {RO(Taxpayer), kText},
    {RO(sFilingStatus), kText},
    {SUB_RW(oItem, InvIntExp), kAmount},
    {"ColumnIdx", [](_iTop& t) { return std::to_string(t.ColumnIdx()); },
     [](_iTop& t, std::string_view v) { t.ColumnIdx(qel::ToInt32(v)); }, kCount},
    {"IsDirty", [](_iTop& t) { return qel::BoolText(t.IsDirty()); }, nullptr, kFlag},
    {"IsCalculated", [](_iTop& t) { return qel::BoolText(t.IsCalculated()); }, nullptr, kFlag},
};

}  // namespace

std::span<const Property> Properties() {
  return kProperties;
}

const Property& FindProperty(std::string_view name) {
  for (const Property& p : kProperties) {
    if (qel::EqualsIgnoreCase(p.name, name)) return p;
  }
  throw qel::QelError(qel::err::kNoSuchMember, std::string(kErrorSource),
                      "The scenario has no property named \"" + std::string(name) + "\".");
}

}  // namespace fennick
