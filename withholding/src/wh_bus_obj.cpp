// WhBusObj: inputs and results as text, getter formats, the edit cycle and the state record.
#include <cmath>
#include <string>

#include "library_info.h"
#include "qel/currency.h"
#include "qel/error.h"
#include "qel/format.h"
#include "qel/module_path.h"
#include "qel/text.h"
#include "qel/textnum.h"
#include "state_record.h"
#include "wh_bus_obj_impl.h"
#include "wh_persist.h"

namespace ostrand {
namespace detail {

namespace {
// Any object of this library serves as the anchor for finding the library's file.
const char kModuleAnchor = 0;
}  // namespace

// The library does not move while it is loaded, so its folder is looked up once.
std::filesystem::path LibraryFolder() {
  static const std::filesystem::path folder = qel::ModuleFolder(&kModuleAnchor);
  return folder;
}

}  // namespace detail

namespace {

constexpr std::string_view kMoney = "###,##0.00";
constexpr std::string_view kCount = "##0";

[[noreturn]] void RaiseNeedsNumber() {
  throw qel::QelError(qel::err::kNeedsNumber, std::string(detail::kErrorSource),
                      "This item needs to be a number.");
}

}  // namespace

using detail::Trap;

WhBusObj::WhBusObj() = default;
WhBusObj::~WhBusObj() = default;

// ----- plain members -----

std::string WhBusObj::GetCompType() {
  switch (enumComputationType_) {
    case proforma:
      return "W-2 Proforma";
    case targeted:
      return "Targeted Withholding";
    case Percent:
      return "Percentage Method";
  }
  return "INVALID COMPUTATION TYPE";
}

std::string WhBusObj::sGetPeriods4FullYr() {
  return Trap("WhBusObj.sGetPeriods4FullYr", [&]() -> std::string {
    switch (enumFrequency_) {
      case weekly:
        return "52";
      case biweekly:
        return "26";
      case semimonthly:
        return "24";
      case monthly:
        return "12";
      case annually:
        return "1";
    }
    return "INVALID FREQUENCY";
  });
}

void WhBusObj::enumComputationType(eComputationType value) {
  enumComputationType_ = value;
  MarkDirtyIfEditing();
}
eComputationType WhBusObj::enumComputationType() {
  return enumComputationType_;
}

std::string WhBusObj::sMaritalStatus() {
  return IsSingle_ ? "Unmarried" : "Married";
}

std::string WhBusObj::GetFrequency(eFrequency ePRFrequency) {
  switch (ePRFrequency) {
    case weekly:
      return "Weekly";
    case biweekly:
      return "Biweekly";
    case semimonthly:
      return "Semimonthly";
    case monthly:
      return "Monthly";
    case annually:
      return "Annually";
  }
  return "INVALID FREQUENCY";
}

// The data file stores the frequency, so a change during an edit must be saved by ApplyEdit.
void WhBusObj::enumFrequency(eFrequency value) {
  enumFrequency_ = value;
  MarkDirtyIfEditing();
}
eFrequency WhBusObj::enumFrequency() {
  if (enumFrequency_ == static_cast<eFrequency>(-1)) enumFrequency_ = weekly;
  return enumFrequency_;
}

// ----- text properties: results (never dirty) -----

#define OSTRAND_RESULT_PROPERTY(name, pattern)  \
  void WhBusObj::name(std::string_view value) { \
    name##_ = value;                            \
  }                                             \
  std::string WhBusObj::name() {                \
    return qel::FormatText(name##_, pattern);   \
  }

OSTRAND_RESULT_PROPERTY(sAllowanceDeductionPercent, kMoney)
OSTRAND_RESULT_PROPERTY(sWHPercentMethod, kMoney)
OSTRAND_RESULT_PROPERTY(sSubject2WH, kMoney)
OSTRAND_RESULT_PROPERTY(sAllowanceAmt, kMoney)
OSTRAND_RESULT_PROPERTY(sPerYrWHProforma, kMoney)
OSTRAND_RESULT_PROPERTY(sPeriodsPerYrProforma, kCount)
OSTRAND_RESULT_PROPERTY(sTotPayckWHProforma, kMoney)
OSTRAND_RESULT_PROPERTY(sWagesPerPayckProforma, kMoney)
OSTRAND_RESULT_PROPERTY(sShortage4Yr, kMoney)
OSTRAND_RESULT_PROPERTY(sComputedWH4Yr, kMoney)
OSTRAND_RESULT_PROPERTY(sTotPayckWHTargeted, kMoney)
OSTRAND_RESULT_PROPERTY(sWagesPerPayckTargeted, kMoney)
OSTRAND_RESULT_PROPERTY(sFromAllowancesWHPerPayck, kMoney)

#undef OSTRAND_RESULT_PROPERTY

// ----- text properties: inputs (dirty while editing) -----

#define OSTRAND_INPUT_PROPERTY(name, pattern)   \
  void WhBusObj::name(std::string_view value) { \
    name##_ = value;                            \
    MarkDirtyIfEditing();                       \
  }                                             \
  std::string WhBusObj::name() {                \
    return qel::FormatText(name##_, pattern);   \
  }

OSTRAND_INPUT_PROPERTY(sWagesPercent, kMoney)
OSTRAND_INPUT_PROPERTY(sWages4Yr, kMoney)
OSTRAND_INPUT_PROPERTY(sTargetedWH4Yr, kMoney)
OSTRAND_INPUT_PROPERTY(sRemainingPeriods, kCount)
OSTRAND_INPUT_PROPERTY(sRemainingWages, kMoney)
// Stored in the data file like every other input, so it counts as a change during an edit.
OSTRAND_INPUT_PROPERTY(sAdditionalPayckWH, kMoney)
OSTRAND_INPUT_PROPERTY(sAllowancesIP, kCount)

#undef OSTRAND_INPUT_PROPERTY

void WhBusObj::sTable(std::string_view value) {
  sTable_ = value;
}
std::string WhBusObj::sTable() {
  return sTable_;
}

void WhBusObj::IsSingle(bool value) {
  IsSingle_ = value;
  MarkDirtyIfEditing();
}
bool WhBusObj::IsSingle() {
  return IsSingle_;
}

void WhBusObj::IsCalculated(std::string_view value) {
  calculated_ = qel::ToBool(value);
}
std::string WhBusObj::IsCalculated() {
  return calculated_ ? "True" : "False";
}

void WhBusObj::sYear(std::string_view value) {
  sYear_ = value;
}
std::string WhBusObj::sYear() {
  return sYear_;
}

void WhBusObj::sTaxpayer(std::string_view value) {
  sTaxpayer_ = value;
  dirty_ = true;
}
std::string WhBusObj::sTaxpayer() {
  return sTaxpayer_;
}

void WhBusObj::Line2(std::string_view value) {
  Line2_ = value;
  dirty_ = true;
}
std::string WhBusObj::Line2() {
  return std::string(qel::TrimTrailingBlanks(Line2_));
}

// ----- members on the state record -----

void WhBusObj::DiscountRate(std::string_view value) {
  Trap("WhBusObj.DiscountRate", [&] {
    if (!editing_) return;
    std::string text(value);
    std::erase(text, '%');
    if (!qel::IsNumeric(text)) RaiseNeedsNumber();
    detail::PutFloat(state_, detail::kDiscountRateOffset,
                     static_cast<float>(qel::ToDouble(text) / 100.0));
    dirty_ = true;
  });
}
std::string WhBusObj::DiscountRate() {
  return qel::FormatDouble(detail::GetFloat(state_, detail::kDiscountRateOffset), "0.00%");
}

// The name slot is otherwise filled only through SetState; storing here keeps the getter and
// setter of the property consistent.
void WhBusObj::sName(std::string_view value) {
  detail::PutText(state_, detail::kNameOffset, detail::kNameUnits, value);
}
std::string WhBusObj::sName() {
  return detail::GetText(state_, detail::kNameOffset, detail::kNameUnits);
}

void WhBusObj::Version(std::string_view value) {
  if (!editing_) return;
  detail::PutText(state_, detail::kVersionOffset, detail::kVersionUnits,
                  qel::TrimTrailingBlanks(value));
  dirty_ = true;
}
std::string WhBusObj::Version() {
  return std::string(detail::kVersionText);
}

void WhBusObj::CurYr(std::string_view value) {
  Trap("WhBusObj.CurYr", [&] {
    if (!editing_) return;
    if (!qel::IsNumeric(value)) RaiseNeedsNumber();
    detail::PutInt16(state_, detail::kCurYrOffset, qel::ToInt16(value));
    dirty_ = true;
  });
}
std::string WhBusObj::CurYr() {
  return std::to_string(detail::GetInt16(state_, detail::kCurYrOffset));
}

void WhBusObj::CurCost(std::string_view value) {
  Trap("WhBusObj.CurCost", [&] {
    if (!editing_) return;
    if (!qel::IsNumeric(value)) RaiseNeedsNumber();
    detail::PutInt64(state_, detail::kCurCostOffset, qel::ToCurrency(value).raw());
    dirty_ = true;
  });
}
std::string WhBusObj::CurCost() {
  return qel::FormatCurrency(
      qel::Currency::FromRaw(detail::GetInt64(state_, detail::kCurCostOffset)), "$###,##0");
}

void WhBusObj::Birthdate(std::string_view value) {
  Trap("WhBusObj.Birthdate", [&] {
    if (!editing_) return;
    double serial = 0;
    if (qel::ParseDate(value, serial)) detail::PutDouble(state_, detail::kBirthdateOffset, serial);
    dirty_ = true;
  });
}
std::string WhBusObj::Birthdate() {
  return qel::FormatDate(detail::GetDouble(state_, detail::kBirthdateOffset));
}

// The getter reads the never-assigned empty-property text, so it always returns empty text;
// the setter fills the record's slot.
std::string WhBusObj::EmptyProp() {
  return qel::FormatText(emptyProp_, kMoney);
}
void WhBusObj::EmptyProp(std::string_view value) {
  if (!editing_) return;
  detail::PutText(state_, detail::kEmptyPropOffset, detail::kEmptyPropUnits, value);
  dirty_ = true;
}

std::u16string WhBusObj::GetState() {
  return Trap("WhBusObj.GetState", [&] { return detail::RecordToUnits(state_); });
}
void WhBusObj::SetState(std::u16string_view state) {
  detail::UnitsToRecord(state, state_);
}

// ----- edit cycle -----

void WhBusObj::BeginEdit() {
  Trap("WhBusObj.BeginEdit", [&] {
    snapshot_ = state_;
    editing_ = true;
    calculated_ = false;
  });
}

// A failed save is raised to the caller; the object then stays dirty and in the edit, so
// nothing the user entered is taken for saved.
void WhBusObj::ApplyEdit(std::string_view vsFname) {
  detail::TrapFile("WhBusObj.ApplyEdit", [&] {
    if (dirty_ || new_) {
      snapshot_ = state_;
      WhPersist persist;
      persist.FileName(vsFname);
      persist.SetState(GetState());
      persist.Save(*this);
      dirty_ = false;
      new_ = false;
    }
    dirty_ = false;
    editing_ = false;
  });
}

bool WhBusObj::IsNew() {
  return new_;
}
bool WhBusObj::IsDirty() {
  return dirty_;
}

void WhBusObj::Load(std::string_view vsFname) {
  detail::TrapFile("WhBusObj.Load", [&] {
    WhPersist persist;
    persist.FileName(vsFname);
    persist.Fetch(*this);
    new_ = false;
  });
}

}  // namespace ostrand
