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

// The kind of Form W-4 the employee gave: the form used from 2020 on, or an earlier one
// (allowances and single/married), which employers still honour.
enum class W4Form : std::int32_t { k2020OrLater = 0, k2019OrEarlier = 1 };

// Filing status on a 2020-or-later Form W-4.
enum class W4Status : std::int32_t {
  kSingleOrSeparate = 0,  // single or married filing separately
  kJoint = 1,             // married filing jointly (or qualifying surviving spouse)
  kHeadOfHousehold = 2,
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

  // ----- The tax year and the Form W-4 from 2020 on -----
  // Inputs follow the conventions above: text stored as given and formatted when read, the
  // dirty flag set while editing, by-name access under the member's name. The case file keeps
  // them in section "Common" under the key named below, only for a tax year other than 2005 (a
  // 2005 case's file is what it always was) or when the file already has them.
  //
  // Tax year of the case: "##0", key "Tax Year", "2005" for a new case and a file without the
  // key. The computations take the year's tables and method; a year without tables is an error
  // naming the years available. (sYear is a different, older member and keeps " 2005".)
  virtual void sTaxYear(std::string_view value) = 0;
  virtual std::string sTaxYear() = 0;
  // The kind of Form W-4 (years from 2020 on): key "W4 Form", by number, 0 when absent. A
  // 2019-or-earlier form uses sAllowancesIP and IsSingle; a 2020-or-later form the members below.
  virtual void enumW4Form(W4Form value) = 0;
  virtual W4Form enumW4Form() = 0;
  // Step 1(c), the filing status: key "W4 Status", by number, 0 when absent.
  virtual void enumW4Status(W4Status value) = 0;
  virtual W4Status enumW4Status() = 0;
  // The box of Step 2 (two jobs, or both spouses working): key "Step 2", "True"/"False".
  virtual void IsStep2Checked(bool value) = 0;
  virtual bool IsStep2Checked() = 0;
  // Step 3, credits for the year: "###,##0.00", key "Step 3".
  virtual void sStep3Credits(std::string_view value) = 0;
  virtual std::string sStep3Credits() = 0;
  // Step 4(a), other income for the year: "###,##0.00", key "Step 4a".
  virtual void sStep4aOtherIncome(std::string_view value) = 0;
  virtual std::string sStep4aOtherIncome() = 0;
  // Step 4(b), deductions for the year: "###,##0.00", key "Step 4b".
  virtual void sStep4bDeductions(std::string_view value) = 0;
  virtual std::string sStep4bDeductions() = 0;
  // Step 4(c), extra withholding per pay check, is sAdditionalPayckWH.

  // ----- Results of the last computation, read only (not in the case file) -----
  // The table the last computation used: "Single wk" ... (2005), "Married STANDARD", "Head of
  // household CHECKBOX" ... (2020 on); empty before any computation.
  virtual std::string sTableUsed() = 0;
  // The lines of Worksheet 1A of the last computation, for a tax year from 2020 on; all zero
  // for 2005 and before any computation. Amounts read "###,##0.00", 1b and 1j "##0", 2d "0.00%".
  // A 2020-or-later form fills 1d to 1i and 3a, 3b; a 2019-or-earlier form 1j to 1l.
  virtual std::string sWksLine1a() = 0;  // wages this pay period
  virtual std::string sWksLine1b() = 0;  // pay periods per year
  virtual std::string sWksLine1c() = 0;  // 1a x 1b
  virtual std::string sWksLine1d() = 0;  // Step 4(a)
  virtual std::string sWksLine1e() = 0;  // 1c + 1d
  virtual std::string sWksLine1f() = 0;  // Step 4(b)
  virtual std::string sWksLine1g() = 0;  // 12,900 joint, 8,600 otherwise; 0 with the Step 2 box
  virtual std::string sWksLine1h() = 0;  // 1f + 1g
  virtual std::string sWksLine1i() = 0;  // 1e - 1h, not below 0: adjusted annual wage amount
  virtual std::string sWksLine1j() = 0;  // allowances on a 2019-or-earlier form
  virtual std::string sWksLine1k() = 0;  // 1j x 4,300
  virtual std::string sWksLine1l() = 0;  // 1c - 1k, not below 0: adjusted annual wage amount
  virtual std::string sWksLine2a() = 0;  // 1i or 1l
  virtual std::string sWksLine2b() = 0;  // the table row's amount (column A)
  virtual std::string sWksLine2c() = 0;  // the row's tentative amount (column C)
  virtual std::string sWksLine2d() = 0;  // the row's percentage (column D)
  virtual std::string sWksLine2e() = 0;  // 2a - 2b
  virtual std::string sWksLine2f() = 0;  // 2e x 2d
  virtual std::string sWksLine2g() = 0;  // 2c + 2f: tentative annual withholding
  virtual std::string sWksLine2h() = 0;  // 2g / 1b: tentative withholding this period
  virtual std::string sWksLine3a() = 0;  // Step 3
  virtual std::string sWksLine3b() = 0;  // 3a / 1b
  virtual std::string sWksLine3c() = 0;  // 2h - 3b, not below 0 (also sWHPercentMethod)
  virtual std::string sWksLine4a() = 0;  // Step 4(c), sAdditionalPayckWH
  virtual std::string sWksLine4b() = 0;  // 3c + 4a: withholding this pay period
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
