// The withholding business object of the Ostrand library.
//
// _WhBusObj is the object's interface: its members are declared in the interface order, a
// property as a pair of overloads, setter (let) first and getter (get) second (EmptyProp: getter
// first). Almost every value crosses the interface as text; amounts and counts are stored as the
// caller's text and formatted when read, in the user's locale; the case file keeps numbers in
// one syntax ("." decimal point, "," thousands) whatever the locale. Errors are qel::QelError
// with a source trail.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define OSTRAND_API __attribute__((visibility("default")))
#else
#define OSTRAND_API
#endif

namespace ostrand {

enum eComputationType : std::int32_t { proforma = 0, targeted = 1, Percent = 2 };
enum eFrequency : std::int32_t {
  weekly = 0,
  biweekly = 1,
  semimonthly = 2,
  monthly = 3,
  annually = 4
};

inline constexpr std::string_view kWhBusObjClassId = "{B8114578-02F6-4F9F-9024-6C278F082011}";
inline constexpr std::string_view kWhBusObjInterfaceId = "{8B5CBC58-E0DE-4A9A-958D-A30E0B8DED57}";

class OSTRAND_API _WhBusObj {
 public:
  virtual ~_WhBusObj() = default;

  virtual void CalcWH4Paycheck() = 0;
  virtual std::string GetCompType() = 0;
  virtual std::string sGetPeriods4FullYr() = 0;
  virtual void enumComputationType(eComputationType value) = 0;
  virtual eComputationType enumComputationType() = 0;
  virtual std::string sMaritalStatus() = 0;
  virtual void sAllowanceDeductionPercent(std::string_view value) = 0;
  virtual std::string sAllowanceDeductionPercent() = 0;
  virtual std::string GetFrequency(eFrequency ePRFrequency) = 0;
  virtual void enumFrequency(eFrequency value) = 0;
  virtual eFrequency enumFrequency() = 0;
  virtual void sWHPercentMethod(std::string_view value) = 0;
  virtual std::string sWHPercentMethod() = 0;
  virtual void sSubject2WH(std::string_view value) = 0;
  virtual std::string sSubject2WH() = 0;
  virtual void sAllowanceAmt(std::string_view value) = 0;
  virtual std::string sAllowanceAmt() = 0;
  virtual void sWagesPercent(std::string_view value) = 0;
  virtual std::string sWagesPercent() = 0;
  virtual void sPerYrWHProforma(std::string_view value) = 0;
  virtual std::string sPerYrWHProforma() = 0;
  virtual void sPeriodsPerYrProforma(std::string_view value) = 0;
  virtual std::string sPeriodsPerYrProforma() = 0;
  virtual void sTotPayckWHProforma(std::string_view value) = 0;
  virtual std::string sTotPayckWHProforma() = 0;
  virtual void sWagesPerPayckProforma(std::string_view value) = 0;
  virtual std::string sWagesPerPayckProforma() = 0;
  virtual void sWages4Yr(std::string_view value) = 0;
  virtual std::string sWages4Yr() = 0;
  virtual void sShortage4Yr(std::string_view value) = 0;
  virtual std::string sShortage4Yr() = 0;
  virtual void sComputedWH4Yr(std::string_view value) = 0;
  virtual std::string sComputedWH4Yr() = 0;
  virtual void sTargetedWH4Yr(std::string_view value) = 0;
  virtual std::string sTargetedWH4Yr() = 0;
  virtual void sTotPayckWHTargeted(std::string_view value) = 0;
  virtual std::string sTotPayckWHTargeted() = 0;
  virtual void sWagesPerPayckTargeted(std::string_view value) = 0;
  virtual std::string sWagesPerPayckTargeted() = 0;
  virtual void sFromAllowancesWHPerPayck(std::string_view value) = 0;
  virtual std::string sFromAllowancesWHPerPayck() = 0;
  virtual void sRemainingPeriods(std::string_view value) = 0;
  virtual std::string sRemainingPeriods() = 0;
  virtual void sRemainingWages(std::string_view value) = 0;
  virtual std::string sRemainingWages() = 0;
  virtual void sTable(std::string_view value) = 0;
  virtual std::string sTable() = 0;
  virtual void sAdditionalPayckWH(std::string_view value) = 0;
  virtual std::string sAdditionalPayckWH() = 0;
  virtual void sAllowancesIP(std::string_view value) = 0;
  virtual std::string sAllowancesIP() = 0;
  virtual void IsSingle(bool value) = 0;
  virtual bool IsSingle() = 0;
  virtual void IsCalculated(std::string_view value) = 0;
  virtual std::string IsCalculated() = 0;
  virtual void sYear(std::string_view value) = 0;
  virtual std::string sYear() = 0;
  virtual void sTaxpayer(std::string_view value) = 0;
  virtual std::string sTaxpayer() = 0;
  virtual void DiscountRate(std::string_view value) = 0;
  virtual std::string DiscountRate() = 0;
  virtual void sName(std::string_view value) = 0;
  virtual std::string sName() = 0;
  virtual void Version(std::string_view value) = 0;
  virtual std::string Version() = 0;
  virtual void Line2(std::string_view value) = 0;
  virtual std::string Line2() = 0;
  virtual void CurYr(std::string_view value) = 0;
  virtual std::string CurYr() = 0;
  virtual void CurCost(std::string_view value) = 0;
  virtual std::string CurCost() = 0;
  virtual void Birthdate(std::string_view value) = 0;
  virtual std::string Birthdate() = 0;
  virtual void BeginEdit() = 0;
  virtual void ApplyEdit(std::string_view vsFname) = 0;
  virtual bool IsNew() = 0;
  virtual bool IsDirty() = 0;
  virtual std::string EmptyProp() = 0;
  virtual void EmptyProp(std::string_view value) = 0;
  virtual void Calculate() = 0;
  virtual void Load(std::string_view vsFname) = 0;
  virtual void CalcProforma() = 0;
  virtual void CalcTargeted() = 0;
};

// Creates an object by its class identifier (kWhBusObjClassId, braces and letter case as
// written or in any case); raises qel::QelError 429 for an identifier it does not know.
OSTRAND_API std::unique_ptr<_WhBusObj> CreateObject(std::string_view classId);

// Late-bound access by property name (names as declared above, letter case ignored): the getter's
// text, and a let with text. Booleans read "True"/"False" and are let from "True"/"False" or a
// number; enumerations read and are let as their numbers. An unknown name raises 438.
OSTRAND_API std::string GetProperty(_WhBusObj& object, std::string_view name);
OSTRAND_API void LetProperty(_WhBusObj& object, std::string_view name, std::string_view value);

}  // namespace ostrand
