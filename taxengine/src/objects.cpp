// The scenario objects: properties, validation and the edit cycle.
#include "objects.h"

#include <chrono>

#include "calcs.h"
#include "qel/error.h"
#include "qel/format.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace fennick {
namespace {

using qel::QelError;

constexpr std::size_t kNameSlot = 50;

[[noreturn]] void NotANumber() {
  throw QelError(qel::err::kNeedsNumber, "10002", "This item needs to be a number.");
}

Currency ParseAmount(std::string_view text) {
  if (!qel::IsNumeric(text)) NotANumber();
  return qel::ToCurrency(text);
}

std::int16_t ParseCount(std::string_view text) {
  if (!qel::IsNumeric(text)) NotANumber();
  return qel::ToInt16(text);
}

// An input setter: acts only while editing; marks the object dirty and not calculated.
template <typename T, typename Parse>
void LetInput(EditFlags& flags, T& field, std::string_view text, std::string_view label,
              Parse parse) {
  if (!flags.editing) return;
  Keep(label, [&] {
    field = parse(text);
    flags.dirty = true;
    flags.calculated = false;
  });
}

void LetAmount(EditFlags& flags, Currency& field, std::string_view text, std::string_view label) {
  LetInput(flags, field, text, label, ParseAmount);
}

void LetFlag(EditFlags& flags, bool& field, bool value) {
  if (!flags.editing) return;
  field = value;
  flags.dirty = true;
  flags.calculated = false;
}

// A name setter: at most 50 characters, kept left-aligned and blank-padded.
void LetName(EditFlags& flags, std::string& slot, std::string_view text, std::string_view label) {
  if (!flags.editing) return;
  Keep(label, [&] {
    std::size_t chars = qel::Utf8Length(text);
    if (chars > kNameSlot) {
      throw QelError(qel::err::kTooManyChars, "10001", "Too many characters entered.");
    }
    slot.assign(text);
    slot.append(kNameSlot - chars, ' ');
    flags.dirty = true;
    flags.calculated = false;
  });
}

// A slot never assigned reads as blanks.
std::string NameSlot(const std::string& slot) {
  return slot.empty() ? std::string(kNameSlot, ' ') : slot;
}

std::int16_t CurrentYear() {
  using namespace std::chrono;
  year_month_day today{floor<days>(system_clock::now())};
  return static_cast<std::int16_t>(static_cast<int>(today.year()));
}

// The methods of the top object report failures under their own name in front of the trail
// and keep the inner description, which names the file or the value at fault.
template <typename F>
void TopMethod(std::string_view label, F&& body) {
  Trap(label, kDescribeSep, false, std::forward<F>(body));
}

template <typename Impl, typename Iface>
Impl* OwnImplementation(const std::shared_ptr<Iface>& value, std::string_view label) {
  auto* impl = dynamic_cast<Impl*>(value.get());
  if (impl == nullptr) {
    throw QelError(qel::err::kInvalidCall, std::string(label),
                   "Only a sub-object created by this library can be set.");
  }
  return impl;
}

}  // namespace

std::string FormatAmount(Currency value) {
  return qel::FormatCurrency(value, "##,###,##0");
}

#define AMOUNT_INPUT(Class, Source, Name, field)         \
  void Class::Name(std::string_view value) {             \
    LetAmount(flags, field, value, Source ".Let" #Name); \
  }                                                      \
  std::string Class::Name() {                            \
    return FormatAmount(field);                          \
  }
#define AMOUNT_RESULT(Class, Name, field) \
  std::string Class::Name() {             \
    return FormatAmount(field);           \
  }

// ---- iInc -----------------------------------------------------------------------------------

void iInc::Sec_1_h_1_B_Amount(std::string_view value) {
  Keep("clsInc.LetSec_1_h_1_B_Amount", [&] { sec1h1bAmount = ParseAmount(value); });
}
AMOUNT_RESULT(iInc, Sec_1_h_1_B_Amount, sec1h1bAmount)
AMOUNT_RESULT(iInc, AdjNetCG, adjNetCG)
void iInc::AdjNetCG(std::string_view value) {
  adjNetCG = qel::IsNumeric(value) ? qel::ToCurrency(value) : Currency();
}
AMOUNT_INPUT(iInc, "clsInc", Dividends, dividends)
AMOUNT_INPUT(iInc, "clsInc", LTCG, ltcg)
AMOUNT_INPUT(iInc, "clsInc", STCG, stcg)
AMOUNT_RESULT(iInc, STCLCarryforward, stclCarryforward)
AMOUNT_RESULT(iInc, LTCLCarryforward, ltclCarryforward)
AMOUNT_INPUT(iInc, "clsInc", STCLCarryOver, stclCarryOver)
AMOUNT_INPUT(iInc, "clsInc", LTCLCarryOver, ltclCarryOver)
AMOUNT_RESULT(iInc, Sec1231Netted, sec1231Netted)
AMOUNT_INPUT(iInc, "clsInc", Sec1231Losses, sec1231Losses)
AMOUNT_INPUT(iInc, "clsInc", Sec1231Gains, sec1231Gains)
AMOUNT_RESULT(iInc, NetSTCG, netSTCG)
AMOUNT_RESULT(iInc, NetLTCG, netLTCG)
AMOUNT_RESULT(iInc, CapGains, capGains)
AMOUNT_INPUT(iInc, "clsInc", OtherNonSEInc, otherNonSEInc)
AMOUNT_INPUT(iInc, "clsInc", WageSp2, wageSp2)
AMOUNT_INPUT(iInc, "clsInc", WageSp1, wageSp1)
AMOUNT_INPUT(iInc, "clsInc", SEIncSp1, seIncSp1)
AMOUNT_INPUT(iInc, "clsInc", SEIncSp2, seIncSp2)

// ---- iTaxCr ---------------------------------------------------------------------------------

void iTaxCr::NumOfChildCrChildren(std::string_view value) {
  LetInput(flags, numOfChildren, value, "clsTaxCr.LetNumOfChildCrChildren", ParseCount);
}
std::string iTaxCr::NumOfChildCrChildren() {
  return qel::FormatCurrency(Currency::FromUnits(numOfChildren), "#0");
}
AMOUNT_INPUT(iTaxCr, "clsTaxCr", OtherCr, otherCr)
AMOUNT_RESULT(iTaxCr, ChildCr, childCr)

// ---- Adj2Inc --------------------------------------------------------------------------------

AMOUNT_INPUT(Adj2Inc, "clsAdj2Inc", OtherAdj2Inc, otherAdj2Inc)
void Adj2Inc::IsSp2InRetPlan(bool value) {
  LetFlag(flags, isSp2InRetPlan, value);
}
void Adj2Inc::IsSp1InRetPlan(bool value) {
  LetFlag(flags, isSp1InRetPlan, value);
}
AMOUNT_RESULT(Adj2Inc, SEMedInsDed, seMedInsDed)
AMOUNT_INPUT(Adj2Inc, "clsAdj2Inc", SEMedInsPmts, seMedInsPmts)
AMOUNT_RESULT(Adj2Inc, SETaxDed, seTaxDed)
AMOUNT_RESULT(Adj2Inc, IRADedSp2, iraDedSp2)
AMOUNT_RESULT(Adj2Inc, IRADedSp1, iraDedSp1)
AMOUNT_INPUT(Adj2Inc, "clsAdj2Inc", IRAContribSP2, iraContribSp2)
AMOUNT_INPUT(Adj2Inc, "clsAdj2Inc", IRAContribSP1, iraContribSp1)

// ---- ItemDed --------------------------------------------------------------------------------

AMOUNT_RESULT(ItemDed, ExemptionDedNet, exemptionDedNet)
AMOUNT_RESULT(ItemDed, ExemptionDedPhaseOut, exemptionDedPhaseOut)
AMOUNT_RESULT(ItemDed, ExemptionDedGross, exemptionDedGross)
AMOUNT_RESULT(ItemDed, StdDed, stdDed)
AMOUNT_RESULT(ItemDed, TotNet, totNet)
AMOUNT_RESULT(ItemDed, TotReduction, totReduction)
AMOUNT_RESULT(ItemDed, TotGross, totGross)
AMOUNT_RESULT(ItemDed, MiscDed, miscDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", MiscDedPmts, miscDedPmts)
AMOUNT_INPUT(ItemDed, "clsItemDed", CasualtyDed, casualtyDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", CharDed, charDed)
AMOUNT_RESULT(ItemDed, IntDed, intDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", OtherIntDed, otherIntDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", InvIntDed, invIntDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", InvIntExp, invIntExp)
AMOUNT_INPUT(ItemDed, "clsItemDed", HomeMortIntAmt, homeMortIntAmt)
AMOUNT_INPUT(ItemDed, "clsItemDed", HomeMortIntReg, homeMortIntReg)
AMOUNT_RESULT(ItemDed, TaxDed, taxDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", OtherTaxes, otherTaxes)
AMOUNT_INPUT(ItemDed, "clsItemDed", SITPd, sitPd)
AMOUNT_RESULT(ItemDed, MedDed, medDed)
AMOUNT_INPUT(ItemDed, "clsItemDed", MedPmts, medPmts)
AMOUNT_RESULT(ItemDed, CharDedAllowed, charDedAllowed)

// ---- iOtherTaxes ----------------------------------------------------------------------------

std::string iOtherTaxes::CalcFicaMethod(std::string_view vsWages, std::int16_t vnYear) {
  return Keep("OtherTaxes.CalcFicaMethod",
              [&] { return OtherTaxesCalc::CalcFica(vsWages, vnYear).ToPlainText(); });
}
void iOtherTaxes::FicaSp2(std::string_view value) {
  Keep("OtherTaxes.LetFicaSp2", [&] { ficaSp2 = qel::ToCurrency(value); });
}
void iOtherTaxes::FicaSp1(std::string_view value) {
  Keep("OtherTaxes.LetFicaSp1", [&] { ficaSp1 = qel::ToCurrency(value); });
}
AMOUNT_RESULT(iOtherTaxes, FicaSp2, ficaSp2)
AMOUNT_RESULT(iOtherTaxes, FicaSp1, ficaSp1)
AMOUNT_RESULT(iOtherTaxes, SETaxSp1, seTaxSp1)
AMOUNT_RESULT(iOtherTaxes, SETaxSp2, seTaxSp2)
AMOUNT_INPUT(iOtherTaxes, "OtherTaxes", OtherTaxes, otherTaxes)
AMOUNT_RESULT(iOtherTaxes, AddlMedicare, addlMedicare)

// ---- iAMT -----------------------------------------------------------------------------------

AMOUNT_RESULT(iAMT, AMT, amt)
AMOUNT_RESULT(iAMT, RegularTax, regularTax)
AMOUNT_RESULT(iAMT, TentativeAMT, tentativeAMT)
AMOUNT_RESULT(iAMT, TAMTAtCGRates, tamtAtCGRates)
AMOUNT_RESULT(iAMT, TAMTAtOrdRates, tamtAtOrdRates)
AMOUNT_RESULT(iAMT, TaxIncPostExemption, taxIncPostExemption)
AMOUNT_RESULT(iAMT, Exemption, exemption)
AMOUNT_RESULT(iAMT, TaxInc, taxInc)
AMOUNT_RESULT(iAMT, ItemDed, itemDed)
AMOUNT_RESULT(iAMT, CharDed, charDed)
AMOUNT_RESULT(iAMT, CasualtyDed, casualtyDed)
AMOUNT_RESULT(iAMT, MortgIntDed, mortgIntDed)
AMOUNT_RESULT(iAMT, MedDed, medDed)
AMOUNT_RESULT(iAMT, AGI, agi)
AMOUNT_RESULT(iAMT, MFSAddBack, mfsAddBack)

// ---- iTop -----------------------------------------------------------------------------------

iTop::iTop() {
  auto incObj = std::make_shared<fennick::iInc>();
  auto adjObj = std::make_shared<fennick::Adj2Inc>();
  auto itemObj = std::make_shared<fennick::ItemDed>();
  auto otherObj = std::make_shared<fennick::iOtherTaxes>();
  auto crObj = std::make_shared<fennick::iTaxCr>();
  auto amtNew = std::make_shared<fennick::iAMT>();
  inc = incObj.get();
  adj = adjObj.get();
  item = itemObj.get();
  other = otherObj.get();
  cr = crObj.get();
  amtObj = amtNew.get();
  incRef = std::move(incObj);
  adjRef = std::move(adjObj);
  itemRef = std::move(itemObj);
  otherRef = std::move(otherObj);
  crRef = std::move(crObj);
  amtRef = std::move(amtNew);
}

std::string iTop::Taxpayer() {
  std::string result(qel::TrimTrailingBlanks(NameSlot(spouse1)));
  std::string second = NameSlot(spouse2);
  if (second[0] != ' ') result += " & " + std::string(qel::TrimTrailingBlanks(second));
  taxpayer = result;
  return result;
}

void iTop::oAMT(std::shared_ptr<_iAMT> value) {
  amtObj = OwnImplementation<fennick::iAMT>(value, "clsITaxTop.SetoAMT");
  amtRef = std::move(value);
}
std::string iTop::Version() {
  return std::string(kVersionText);
}
void iTop::oTaxCr(std::shared_ptr<_iTaxCr> value) {
  cr = OwnImplementation<fennick::iTaxCr>(value, "clsITaxTop.SetoTaxCr");
  crRef = std::move(value);
}
AMOUNT_RESULT(iTop, RegAndAmtTax, regAndAmtTax)
void iTop::oOtherTaxes(std::shared_ptr<_iOtherTaxes> value) {
  other = OwnImplementation<fennick::iOtherTaxes>(value, "clsITaxTop.SetoOtherTaxes");
  otherRef = std::move(value);
}
void iTop::oItem(std::shared_ptr<_ItemDed> value) {
  item = OwnImplementation<fennick::ItemDed>(value, "clsITaxTop.SetoItem");
  itemRef = std::move(value);
}
void iTop::oAdj2Inc(std::shared_ptr<_Adj2Inc> value) {
  adj = OwnImplementation<fennick::Adj2Inc>(value, "clsITaxTop.SetoAdj2Inc");
  adjRef = std::move(value);
}
void iTop::oInc(std::shared_ptr<_iInc> value) {
  inc = OwnImplementation<fennick::iInc>(value, "clsITaxTop.SetoInc");
  incRef = std::move(value);
}

void iTop::SetSubEditing(bool value) {
  inc->flags.editing = adj->flags.editing = item->flags.editing = value;
  other->flags.editing = cr->flags.editing = amtObj->flags.editing = value;
}
void iTop::SetSubDirty(bool value) {
  inc->flags.dirty = adj->flags.dirty = item->flags.dirty = value;
  other->flags.dirty = cr->flags.dirty = amtObj->flags.dirty = value;
}
void iTop::SetSubCalculated(bool value) {
  inc->flags.calculated = adj->flags.calculated = item->flags.calculated = value;
  other->flags.calculated = cr->flags.calculated = amtObj->flags.calculated = value;
}

void iTop::ApplyEdit(std::string_view vsFname) {
  TopMethod("clsITaxTop.ApplyEdit", [&] {
    // A clean scenario is written again only when it goes to another file or column.
    bool stored = storedPath == vsFname && storedColumn == columnIdx;
    if (IsDirty() || isNew || !stored) {
      Persist::Save(vsFname, *this);
      isNew = false;
      storedPath = vsFname;
      storedColumn = columnIdx;
    }
    flags.dirty = false;
    SetSubDirty(false);
    flags.editing = false;
    SetSubEditing(false);
  });
}

void iTop::BeginEdit() {
  flags.editing = true;
  SetSubEditing(true);
  flags.calculated = false;
  SetSubCalculated(false);
}

void iTop::CancelEdit() {
  if (!flags.editing) {
    throw QelError(qel::err::kNotSupported, "clsITaxTop.CancelEdit");
  }
  flags.editing = false;
  SetSubEditing(false);
  deleted = false;
  flags.dirty = false;
  SetSubDirty(false);
  flags.calculated = false;
  SetSubCalculated(false);
}

bool iTop::IsCalculated() {
  return flags.calculated && inc->flags.calculated && adj->flags.calculated &&
         item->flags.calculated && other->flags.calculated && cr->flags.calculated &&
         amtObj->flags.calculated;
}

bool iTop::IsDirty() {
  return flags.dirty || inc->flags.dirty || adj->flags.dirty || item->flags.dirty ||
         other->flags.dirty || cr->flags.dirty || amtObj->flags.dirty;
}

void iTop::Calculate() {
  TopMethod("clsITaxTop.Calculate", [&] {
    if (filingStatus < fl_single || filingStatus > fl_qual_widow) {
      throw QelError(qel::err::kInvalidProperty, "clsITaxTop.FilingStatus",
                     "Filing status " + std::to_string(filingStatus) +
                         " is not one of 1 (single) to 5 (qualifying widow(er)).");
    }
    TopComputations::TopTaxCalc(*this);
    flags.calculated = true;
    SetSubCalculated(true);
  });
}

void iTop::ScenarioDesc(std::string_view value) {
  LetName(flags, scenarioDesc, value, "clsITaxTop.LetScenarioDesc");
}
std::string iTop::ScenarioDesc() {
  return NameSlot(scenarioDesc);
}
AMOUNT_RESULT(iTop, BalDue, balDue)
AMOUNT_RESULT(iTop, TotPmts, totPmts)
AMOUNT_RESULT(iTop, TotTax, totTax)
AMOUNT_RESULT(iTop, OtherTax, otherTax)
AMOUNT_RESULT(iTop, TaxLessCr, taxLessCr)
AMOUNT_RESULT(iTop, TotCr, totCr)
AMOUNT_RESULT(iTop, AMT, amt)
AMOUNT_RESULT(iTop, IncTax, incTax)
AMOUNT_RESULT(iTop, TaxInc, taxInc)

void iTop::TaxYear(std::string_view value) {
  LetInput(flags, taxYear, value, "clsITaxTop.LetTaxYear",
           [](std::string_view text) { return text.empty() ? CurrentYear() : qel::ToInt16(text); });
}
std::string iTop::TaxYear() {
  return std::to_string(taxYear);
}
AMOUNT_RESULT(iTop, ExemptionDed, exemptionDed)
AMOUNT_RESULT(iTop, ItemOrStdDed, itemOrStdDed)
AMOUNT_RESULT(iTop, AGI, agi)
AMOUNT_RESULT(iTop, Adj2Inc, adj2Inc)
AMOUNT_RESULT(iTop, TotalInc, totalInc)
void iTop::IsSp2Over65(bool value) {
  LetFlag(flags, isSp2Over65, value);
}
void iTop::IsSp1Over65(bool value) {
  LetFlag(flags, isSp1Over65, value);
}
void iTop::IsSp2Blind(bool value) {
  LetFlag(flags, isSp2Blind, value);
}
void iTop::IsSp1Blind(bool value) {
  LetFlag(flags, isSp1Blind, value);
}
void iTop::Dependents(std::string_view value) {
  LetInput(flags, dependents, value, "clsITaxTop.LetDependents", ParseCount);
}
std::string iTop::Dependents() {
  return std::to_string(dependents);
}
void iTop::IsDependent(bool value) {
  LetFlag(flags, isDependent, value);
}
void iTop::FilingStatus(eFilingStatus value) {
  if (!flags.editing) return;
  filingStatus = value;
  flags.dirty = true;
  flags.calculated = false;
}
void iTop::Spouse2(std::string_view value) {
  LetName(flags, spouse2, value, "clsITaxTop.LetSpouse2");
}
std::string iTop::Spouse2() {
  return NameSlot(spouse2);
}
void iTop::Spouse1(std::string_view value) {
  LetName(flags, spouse1, value, "clsITaxTop.LetSpouse1");
}
std::string iTop::Spouse1() {
  return NameSlot(spouse1);
}

std::string iTop::sFilingStatus() {
  switch (filingStatus) {
    case fl_single:
      return "Single";
    case fl_joint:
      return "Joint";
    case fl_mar_sep:
      return "Married Sep.";
    case fl_head_household:
      return "Head of Hse.";
    default:
      return "";
  }
}

void iTop::TotPmts(std::string_view value) {
  LetAmount(flags, totPmts, value, "clsITaxTop.LetTotPmts");
}

void iTop::Load(std::string_view vsFilename) {
  TopMethod("clsITaxTop.Load", [&] {
    // Every object takes the file's values, whether or not an edit was begun; a failed load
    // leaves the edit state as it was.
    struct EditState {
      bool top, inc, adj, item, other, cr, amt;
    } before{flags.editing,        inc->flags.editing, adj->flags.editing,   item->flags.editing,
             other->flags.editing, cr->flags.editing,  amtObj->flags.editing};
    flags.editing = true;
    SetSubEditing(true);
    storedPath.clear();
    try {
      Persist::Fetch(vsFilename, *this);
    } catch (...) {
      flags.editing = before.top;
      inc->flags.editing = before.inc;
      adj->flags.editing = before.adj;
      item->flags.editing = before.item;
      other->flags.editing = before.other;
      cr->flags.editing = before.cr;
      amtObj->flags.editing = before.amt;
      throw;
    }
    flags.editing = false;
    SetSubEditing(false);
    flags.dirty = false;
    SetSubDirty(false);
    flags.calculated = false;
    SetSubCalculated(false);
    isNew = false;
    storedPath = vsFilename;
    storedColumn = columnIdx;
  });
}

// ---- Creation -------------------------------------------------------------------------------

std::unique_ptr<_iTop> CreateTop() {
  return std::make_unique<fennick::iTop>();
}
std::shared_ptr<_iInc> CreateInc() {
  return std::make_shared<fennick::iInc>();
}
std::shared_ptr<_Adj2Inc> CreateAdj2Inc() {
  return std::make_shared<fennick::Adj2Inc>();
}
std::shared_ptr<_ItemDed> CreateItemDed() {
  return std::make_shared<fennick::ItemDed>();
}
std::shared_ptr<_iOtherTaxes> CreateOtherTaxes() {
  return std::make_shared<fennick::iOtherTaxes>();
}
std::shared_ptr<_iTaxCr> CreateTaxCr() {
  return std::make_shared<fennick::iTaxCr>();
}
std::shared_ptr<_iAMT> CreateAMT() {
  return std::make_shared<fennick::iAMT>();
}

}  // namespace fennick
