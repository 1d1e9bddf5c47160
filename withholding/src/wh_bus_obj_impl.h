// WhBusObj: the implementation of _WhBusObj.
//
// Holds the inputs of one employee's withholding case as text, the results of the last
// computation, the edit flags and a 598-byte state record. Hosts use it through _WhBusObj; the
// class itself is private to the library, visible to its tests (GetState/SetState). Each property
// is described once, in the property table (properties.h), whose name, format and dirty rule the
// accessors follow.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ostrand/paycheck.h"
#include "ostrand/wh_bus_obj.h"

namespace ostrand {

namespace detail {
struct Property;
struct PropertyTable;
}  // namespace detail

// The lines of Worksheet 1A shown as read-only properties sWksLine<line>: each line's figure
// is PaycheckWithholding::line<line>, read with the named getter format of properties.h.
// clang-format off
#define OSTRAND_WORKSHEET_LINES(LINE)                                                          \
  LINE(1a, kMoney) LINE(1b, kCount) LINE(1c, kMoney) LINE(1d, kMoney) LINE(1e, kMoney)         \
  LINE(1f, kMoney) LINE(1g, kMoney) LINE(1h, kMoney) LINE(1i, kMoney) LINE(1j, kCount)         \
  LINE(1k, kMoney) LINE(1l, kMoney) LINE(2a, kMoney) LINE(2b, kMoney) LINE(2c, kMoney)         \
  LINE(2d, kPercent) LINE(2e, kMoney) LINE(2f, kMoney) LINE(2g, kMoney) LINE(2h, kMoney)       \
  LINE(3a, kMoney) LINE(3b, kMoney) LINE(3c, kMoney) LINE(4a, kMoney) LINE(4b, kMoney)
// clang-format on

// The fixed-layout state record: 598 bytes, read and written as 299 UTF-16 code units.
inline constexpr std::size_t kStateBytes = 598;
inline constexpr std::size_t kStateUnits = kStateBytes / 2;
using StateRecord = std::array<std::uint8_t, kStateBytes>;

class OSTRAND_API WhBusObj : public _WhBusObj {
 public:
  WhBusObj();
  ~WhBusObj() override;

  void CalcWH4Paycheck() override;
  std::string GetCompType() override;
  std::string sGetPeriods4FullYr() override;
  void enumComputationType(eComputationType value) override;
  eComputationType enumComputationType() override;
  std::string sMaritalStatus() override;
  void sAllowanceDeductionPercent(std::string_view value) override;
  std::string sAllowanceDeductionPercent() override;
  std::string GetFrequency(eFrequency ePRFrequency) override;
  void enumFrequency(eFrequency value) override;
  eFrequency enumFrequency() override;
  void sWHPercentMethod(std::string_view value) override;
  std::string sWHPercentMethod() override;
  void sSubject2WH(std::string_view value) override;
  std::string sSubject2WH() override;
  void sAllowanceAmt(std::string_view value) override;
  std::string sAllowanceAmt() override;
  void sWagesPercent(std::string_view value) override;
  std::string sWagesPercent() override;
  void sPerYrWHProforma(std::string_view value) override;
  std::string sPerYrWHProforma() override;
  void sPeriodsPerYrProforma(std::string_view value) override;
  std::string sPeriodsPerYrProforma() override;
  void sTotPayckWHProforma(std::string_view value) override;
  std::string sTotPayckWHProforma() override;
  void sWagesPerPayckProforma(std::string_view value) override;
  std::string sWagesPerPayckProforma() override;
  void sWages4Yr(std::string_view value) override;
  std::string sWages4Yr() override;
  void sShortage4Yr(std::string_view value) override;
  std::string sShortage4Yr() override;
  void sComputedWH4Yr(std::string_view value) override;
  std::string sComputedWH4Yr() override;
  void sTargetedWH4Yr(std::string_view value) override;
  std::string sTargetedWH4Yr() override;
  void sTotPayckWHTargeted(std::string_view value) override;
  std::string sTotPayckWHTargeted() override;
  void sWagesPerPayckTargeted(std::string_view value) override;
  std::string sWagesPerPayckTargeted() override;
  void sFromAllowancesWHPerPayck(std::string_view value) override;
  std::string sFromAllowancesWHPerPayck() override;
  void sRemainingPeriods(std::string_view value) override;
  std::string sRemainingPeriods() override;
  void sRemainingWages(std::string_view value) override;
  std::string sRemainingWages() override;
  void sTable(std::string_view value) override;
  std::string sTable() override;
  void sAdditionalPayckWH(std::string_view value) override;
  std::string sAdditionalPayckWH() override;
  void sAllowancesIP(std::string_view value) override;
  std::string sAllowancesIP() override;
  void IsSingle(bool value) override;
  bool IsSingle() override;
  void IsCalculated(std::string_view value) override;
  std::string IsCalculated() override;
  void sYear(std::string_view value) override;
  std::string sYear() override;
  void sTaxpayer(std::string_view value) override;
  std::string sTaxpayer() override;
  void DiscountRate(std::string_view value) override;
  std::string DiscountRate() override;
  void sName(std::string_view value) override;
  std::string sName() override;
  void Version(std::string_view value) override;
  std::string Version() override;
  void Line2(std::string_view value) override;
  std::string Line2() override;
  void CurYr(std::string_view value) override;
  std::string CurYr() override;
  void CurCost(std::string_view value) override;
  std::string CurCost() override;
  void Birthdate(std::string_view value) override;
  std::string Birthdate() override;
  void BeginEdit() override;
  void ApplyEdit(std::string_view vsFname) override;
  bool IsNew() override;
  bool IsDirty() override;
  std::string EmptyProp() override;
  void EmptyProp(std::string_view value) override;
  void Calculate() override;
  void Load(std::string_view vsFname) override;
  void CalcProforma() override;
  void CalcTargeted() override;
  void sTaxYear(std::string_view value) override;
  std::string sTaxYear() override;
  void enumW4Form(W4Form value) override;
  W4Form enumW4Form() override;
  void enumW4Status(W4Status value) override;
  W4Status enumW4Status() override;
  void IsStep2Checked(bool value) override;
  bool IsStep2Checked() override;
  void sStep3Credits(std::string_view value) override;
  std::string sStep3Credits() override;
  void sStep4aOtherIncome(std::string_view value) override;
  std::string sStep4aOtherIncome() override;
  void sStep4bDeductions(std::string_view value) override;
  std::string sStep4bDeductions() override;
  std::string sTableUsed() override;
  std::string sWksLine1a() override;
  std::string sWksLine1b() override;
  std::string sWksLine1c() override;
  std::string sWksLine1d() override;
  std::string sWksLine1e() override;
  std::string sWksLine1f() override;
  std::string sWksLine1g() override;
  std::string sWksLine1h() override;
  std::string sWksLine1i() override;
  std::string sWksLine1j() override;
  std::string sWksLine1k() override;
  std::string sWksLine1l() override;
  std::string sWksLine2a() override;
  std::string sWksLine2b() override;
  std::string sWksLine2c() override;
  std::string sWksLine2d() override;
  std::string sWksLine2e() override;
  std::string sWksLine2f() override;
  std::string sWksLine2g() override;
  std::string sWksLine2h() override;
  std::string sWksLine3a() override;
  std::string sWksLine3b() override;
  std::string sWksLine3c() override;
  std::string sWksLine4a() override;
  std::string sWksLine4b() override;

  // The state record as 299 UTF-16 code units, byte for byte (little-endian units).
  std::u16string GetState();
  // Pads `state` with blanks or cuts it to 299 units and copies its bytes into the record.
  void SetState(std::u16string_view state);

  // The table section for the stored marital status and frequency ("Single wk", ...); empty for
  // a frequency outside 0 to 4.
  std::string GetWHTableSection();

  bool IsEditing() const { return editing_; }
  // The case is of the default tax year (2005), whose case file carries no year keys.
  bool IsDefaultTaxYear();

 private:
  friend struct detail::PropertyTable;  // the table reaches the text a property stores

  // Sets the dirty flag as the property's dirty rule says.
  void Touch(const detail::Property& property);
  // The accessors of a property that stores its text as given and formats it when read.
  void LetPlain(const detail::Property& property, std::string_view value);
  std::string GetPlain(const detail::Property& property);
  // The pay-check routine's inputs, converted from the properties that `method` and the form
  // kind use, each through its getter's rounding.
  PaycheckInputs PaycheckInputsFor(WithholdingMethod method);

  std::string sTaxpayer_;
  std::string sYear_;
  bool new_ = true;
  bool dirty_ = false;
  bool editing_ = false;
  bool calculated_ = false;
  bool IsSingle_ = false;
  std::string emptyProp_;
  std::string Line2_;
  std::string sAllowancesIP_ = "0";
  std::string sAdditionalPayckWH_ = "0";
  std::string sTable_;
  std::string sRemainingWages_ = "0";
  std::string sRemainingPeriods_ = "0";
  std::string sFromAllowancesWHPerPayck_ = "0";
  std::string sWagesPerPayckTargeted_ = "0";
  std::string sTotPayckWHTargeted_ = "0";
  std::string sTargetedWH4Yr_ = "0";
  std::string sComputedWH4Yr_ = "0";
  std::string sShortage4Yr_ = "0";
  std::string sWages4Yr_ = "0";
  std::string sWagesPerPayckProforma_ = "0";
  std::string sTotPayckWHProforma_ = "0";
  std::string sPeriodsPerYrProforma_ = "0";
  std::string sPerYrWHProforma_ = "0";
  std::string sWagesPercent_ = "0";
  std::string sAllowanceAmt_ = "0";
  std::string sSubject2WH_ = "0";
  std::string sWHPercentMethod_ = "0";
  eFrequency enumFrequency_ = weekly;
  std::string sAllowanceDeductionPercent_ = "0";
  eComputationType enumComputationType_ = proforma;
  StateRecord state_{};
  StateRecord snapshot_{};
  std::string sTaxYear_;
  W4Form enumW4Form_ = W4Form::k2020OrLater;
  W4Status enumW4Status_ = W4Status::kSingleOrSeparate;
  bool IsStep2Checked_ = false;
  std::string sStep3Credits_ = "0";
  std::string sStep4aOtherIncome_ = "0";
  std::string sStep4bDeductions_ = "0";
  // Every figure of the last pay-check computation, kept so that reports can show the working.
  PaycheckWithholding paycheck_;
};

}  // namespace ostrand
