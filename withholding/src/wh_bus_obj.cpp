// WhBusObj: inputs and results as text, getter formats, the edit cycle and the state record.
#include <cmath>
#include <limits>
#include <string>

#include "library_info.h"
#include "properties.h"
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

[[noreturn]] void RaiseNeedsNumber() {
  throw qel::QelError(qel::err::kNeedsNumber, std::string(detail::kErrorSource),
                      "This item needs to be a number.");
}

[[noreturn]] void RaiseOverflow() {
  throw qel::QelError(qel::err::kOverflow, std::string(detail::kErrorSource), "Overflow");
}

}  // namespace

// The row of a property in the property table, and the getter format it gives.
#define OSTRAND_ROW(name) detail::PropertyNamed(#name)
#define OSTRAND_FORMAT(name) OSTRAND_ROW(name).format

using detail::Trap;

WhBusObj::WhBusObj()
    : sYear_(" " + std::to_string(detail::kDefaultTaxYear)),
      sTaxYear_(detail::kDefaultTaxYearText) {}
WhBusObj::~WhBusObj() = default;

void WhBusObj::Touch(const detail::Property& property) {
  switch (property.dirty) {
    case detail::DirtyRule::kNever:
      return;
    case detail::DirtyRule::kWhileEditing:
      if (editing_) dirty_ = true;
      return;
    case detail::DirtyRule::kAlways:
      dirty_ = true;
      return;
  }
}

void WhBusObj::LetPlain(const detail::Property& property, std::string_view value) {
  this->*property.stored = value;
  Touch(property);
}

std::string WhBusObj::GetPlain(const detail::Property& property) {
  const std::string& stored = this->*property.stored;
  return property.format.empty() ? stored : qel::FormatText(stored, property.format);
}

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
    const int periods = PeriodsPerYear(enumFrequency_);
    return periods == 0 ? "INVALID FREQUENCY" : std::to_string(periods);
  });
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
  Touch(OSTRAND_ROW(enumFrequency));
}
eFrequency WhBusObj::enumFrequency() {
  if (enumFrequency_ == static_cast<eFrequency>(-1)) enumFrequency_ = weekly;
  return enumFrequency_;
}

// ----- text properties stored as given, formatted when read -----

#define OSTRAND_PLAIN_TEXT(name)                \
  void WhBusObj::name(std::string_view value) { \
    LetPlain(OSTRAND_ROW(name), value);         \
  }                                             \
  std::string WhBusObj::name() {                \
    return GetPlain(OSTRAND_ROW(name));         \
  }

OSTRAND_PLAIN_TEXT(sAllowanceDeductionPercent)
OSTRAND_PLAIN_TEXT(sWHPercentMethod)
OSTRAND_PLAIN_TEXT(sSubject2WH)
OSTRAND_PLAIN_TEXT(sAllowanceAmt)
OSTRAND_PLAIN_TEXT(sWagesPercent)
OSTRAND_PLAIN_TEXT(sPerYrWHProforma)
OSTRAND_PLAIN_TEXT(sPeriodsPerYrProforma)
OSTRAND_PLAIN_TEXT(sTotPayckWHProforma)
OSTRAND_PLAIN_TEXT(sWagesPerPayckProforma)
OSTRAND_PLAIN_TEXT(sWages4Yr)
OSTRAND_PLAIN_TEXT(sShortage4Yr)
OSTRAND_PLAIN_TEXT(sComputedWH4Yr)
OSTRAND_PLAIN_TEXT(sTargetedWH4Yr)
OSTRAND_PLAIN_TEXT(sTotPayckWHTargeted)
OSTRAND_PLAIN_TEXT(sWagesPerPayckTargeted)
OSTRAND_PLAIN_TEXT(sFromAllowancesWHPerPayck)
OSTRAND_PLAIN_TEXT(sRemainingPeriods)
OSTRAND_PLAIN_TEXT(sRemainingWages)
OSTRAND_PLAIN_TEXT(sTable)
OSTRAND_PLAIN_TEXT(sAdditionalPayckWH)
OSTRAND_PLAIN_TEXT(sAllowancesIP)
OSTRAND_PLAIN_TEXT(sYear)
OSTRAND_PLAIN_TEXT(sTaxpayer)
OSTRAND_PLAIN_TEXT(sTaxYear)
OSTRAND_PLAIN_TEXT(sStep3Credits)
OSTRAND_PLAIN_TEXT(sStep4aOtherIncome)
OSTRAND_PLAIN_TEXT(sStep4bDeductions)

#undef OSTRAND_PLAIN_TEXT

// ----- enumerations and flags stored as given (the setters check no value; a computation
// refuses one outside its enumeration) -----

#define OSTRAND_STORED(type, name)  \
  void WhBusObj::name(type value) { \
    name##_ = value;                \
    Touch(OSTRAND_ROW(name));       \
  }                                 \
  type WhBusObj::name() {           \
    return name##_;                 \
  }

OSTRAND_STORED(eComputationType, enumComputationType)
OSTRAND_STORED(bool, IsSingle)
OSTRAND_STORED(W4Form, enumW4Form)
OSTRAND_STORED(W4Status, enumW4Status)
OSTRAND_STORED(bool, IsStep2Checked)

#undef OSTRAND_STORED

bool WhBusObj::IsDefaultTaxYear() {
  return sTaxYear() == detail::kDefaultTaxYearText;
}

// ----- results of the last computation, read only -----

std::string WhBusObj::sTableUsed() {
  return paycheck_.table;
}

#define OSTRAND_LINE_GETTER(n, format)                                          \
  std::string WhBusObj::sWksLine##n() {                                         \
    return qel::FormatCurrency(paycheck_.line##n, OSTRAND_FORMAT(sWksLine##n)); \
  }
OSTRAND_WORKSHEET_LINES(OSTRAND_LINE_GETTER)
#undef OSTRAND_LINE_GETTER

void WhBusObj::IsCalculated(std::string_view value) {
  calculated_ = qel::ToBool(value);
}
std::string WhBusObj::IsCalculated() {
  return calculated_ ? "True" : "False";
}

void WhBusObj::Line2(std::string_view value) {
  Line2_ = value;
  Touch(OSTRAND_ROW(Line2));
}
std::string WhBusObj::Line2() {
  return std::string(qel::TrimTrailingBlanks(Line2_));
}

// ----- members on the state record: each acts only while editing -----

// The fraction must fit the record's single-precision slot.
void WhBusObj::DiscountRate(std::string_view value) {
  Trap("WhBusObj.DiscountRate", [&] {
    if (!editing_) return;
    std::string text(value);
    std::erase(text, '%');
    if (!qel::IsNumeric(text)) RaiseNeedsNumber();
    const double fraction = qel::ToDouble(text) / 100.0;
    if (std::abs(fraction) > std::numeric_limits<float>::max()) RaiseOverflow();
    detail::PutFloat(state_, detail::kDiscountRateOffset, static_cast<float>(fraction));
    Touch(OSTRAND_ROW(DiscountRate));
  });
}
std::string WhBusObj::DiscountRate() {
  return qel::FormatDouble(detail::GetFloat(state_, detail::kDiscountRateOffset),
                           OSTRAND_FORMAT(DiscountRate));
}

// The name slot is otherwise filled only through SetState; storing here keeps the getter and
// setter of the property consistent.
void WhBusObj::sName(std::string_view value) {
  detail::PutText(state_, detail::kNameOffset, detail::kNameUnits, value);
  Touch(OSTRAND_ROW(sName));
}
std::string WhBusObj::sName() {
  return detail::GetText(state_, detail::kNameOffset, detail::kNameUnits);
}

void WhBusObj::Version(std::string_view value) {
  if (!editing_) return;
  detail::PutText(state_, detail::kVersionOffset, detail::kVersionUnits,
                  qel::TrimTrailingBlanks(value));
  Touch(OSTRAND_ROW(Version));
}
std::string WhBusObj::Version() {
  return std::string(detail::kVersionText);
}

void WhBusObj::CurYr(std::string_view value) {
  Trap("WhBusObj.CurYr", [&] {
    if (!editing_) return;
    if (!qel::IsNumeric(value)) RaiseNeedsNumber();
    detail::PutInt16(state_, detail::kCurYrOffset, qel::ToInt16(value));
    Touch(OSTRAND_ROW(CurYr));
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
    Touch(OSTRAND_ROW(CurCost));
  });
}
std::string WhBusObj::CurCost() {
  return qel::FormatCurrency(
      qel::Currency::FromRaw(detail::GetInt64(state_, detail::kCurCostOffset)),
      OSTRAND_FORMAT(CurCost));
}

// Text that is no valid date keeps the stored date, yet counts as a change.
void WhBusObj::Birthdate(std::string_view value) {
  Trap("WhBusObj.Birthdate", [&] {
    if (!editing_) return;
    double serial = 0;
    if (qel::ParseDate(value, serial)) detail::PutDouble(state_, detail::kBirthdateOffset, serial);
    Touch(OSTRAND_ROW(Birthdate));
  });
}
std::string WhBusObj::Birthdate() {
  return qel::FormatDouble(detail::GetDouble(state_, detail::kBirthdateOffset),
                           OSTRAND_FORMAT(Birthdate));
}

// The getter reads the never-assigned empty-property text, so it always returns empty text;
// the setter fills the record's slot.
std::string WhBusObj::EmptyProp() {
  return qel::FormatText(emptyProp_, OSTRAND_FORMAT(EmptyProp));
}
void WhBusObj::EmptyProp(std::string_view value) {
  if (!editing_) return;
  detail::PutText(state_, detail::kEmptyPropOffset, detail::kEmptyPropUnits, value);
  Touch(OSTRAND_ROW(EmptyProp));
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

#undef OSTRAND_ROW
#undef OSTRAND_FORMAT

}  // namespace ostrand
