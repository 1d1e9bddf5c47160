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

#include "ostrand/wh_bus_obj.h"

namespace ostrand {

namespace detail {
struct Property;
struct PropertyTable;
}  // namespace detail

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

  // The state record as 299 UTF-16 code units, byte for byte (little-endian units).
  std::u16string GetState();
  // Pads `state` with blanks or cuts it to 299 units and copies its bytes into the record.
  void SetState(std::u16string_view state);

  // The table section for the stored marital status and frequency ("Single wk", ...); empty for
  // a frequency outside 0 to 4.
  std::string GetWHTableSection();

  bool IsEditing() const { return editing_; }

 private:
  friend struct detail::PropertyTable;  // the table reaches the text a property stores

  // Sets the dirty flag as the property's dirty rule says.
  void Touch(const detail::Property& property);
  // The accessors of a property that stores its text as given and formats it when read.
  void LetPlain(const detail::Property& property, std::string_view value);
  std::string GetPlain(const detail::Property& property);

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
};

}  // namespace ostrand
