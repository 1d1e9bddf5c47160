// The property table of WhBusObj: each property described once.
//
// A row gives the property's name, its kind, the getter's format, the rule by which its setter
// marks the object dirty, where the data file keeps it, and how to reach it. By-name access
// (GetProperty/LetProperty) looks rows up by name; the data file (WhPersist) writes and reads the
// rows that have a file key, in the table's order; the object's own accessors take their format
// and dirty rule from their row.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "library_info.h"
#include "qel/text.h"
#include "qel/textnum.h"
#include "wh_bus_obj_impl.h"

namespace ostrand::detail {

inline constexpr std::string_view kMoney = "###,##0.00";
inline constexpr std::string_view kCount = "##0";
inline constexpr std::string_view kPercent = "0.00%";

enum class PropertyKind {
  kText,         // text both ways; a numeric getter format makes it an amount or a count
  kEnumeration,  // crosses by name and into the data file as the enumeration's number
  kBoolean,      // crosses as "True"/"False"; let from those words or a number
  kFunction,     // read only: computed when read
};

// When the setter marks the object dirty.
enum class DirtyRule { kNever, kWhileEditing, kAlways };

// Where the data file keeps the property; an empty section: not kept.
struct FileKey {
  std::string_view section;
  std::string_view key;
  std::string_view whenMissing;  // what a file without the key reads as
  // Written only for a case of a tax year other than the default, or into a file that already
  // has the case's year (so a case changed back to the default year does not keep a stale one).
  bool otherYearsOnly = false;
};

struct Property {
  std::string_view name;
  PropertyKind kind;
  std::string_view format;  // the getter's format pattern; empty: no pattern
  DirtyRule dirty;
  FileKey file;
  // The text a plain text property stores as given and formats when read; null for a property
  // whose accessors are written out (state record members, enumerations, computed values).
  std::string WhBusObj::*stored;
  // The property as text, through the object's own interface; let is null when read only.
  std::string (*get)(_WhBusObj&);
  void (*let)(_WhBusObj&, std::string_view);

  bool InFile() const { return !file.section.empty(); }
  // Its text is a number: the data file keeps it in the file syntax, whatever the locale.
  bool IsNumber() const { return kind != PropertyKind::kText || !format.empty(); }
};

// Rows are written with these; each builds one row from the property's name.
// clang-format off
#define OSTRAND_LET_GET_TEXT(name)                                                              \
  [](_WhBusObj& o) -> std::string { return o.name(); },                                        \
  [](_WhBusObj& o, std::string_view v) { o.name(v); }
// A text property stored as given and formatted by its row.
#define OSTRAND_PLAIN(name, format, dirty, file)                                                \
  Property{#name, PropertyKind::kText, format, dirty, file, &WhBusObj::name##_,                 \
           OSTRAND_LET_GET_TEXT(name)}
// A text property whose accessors are written out.
#define OSTRAND_OWN(name, format, dirty, file)                                                  \
  Property{#name, PropertyKind::kText, format, dirty, file, nullptr, OSTRAND_LET_GET_TEXT(name)}
#define OSTRAND_ENUMERATION(name, type, file)                                                   \
  Property{#name, PropertyKind::kEnumeration, {}, DirtyRule::kWhileEditing, file, nullptr,      \
           [](_WhBusObj& o) { return std::to_string(static_cast<std::int32_t>(o.name())); },    \
           [](_WhBusObj& o, std::string_view v) { o.name(static_cast<type>(qel::ToInt32(v))); }}
#define OSTRAND_BOOLEAN(name, file)                                                             \
  Property{#name, PropertyKind::kBoolean, {}, DirtyRule::kWhileEditing, file, nullptr,          \
           [](_WhBusObj& o) { return qel::BoolText(o.name()); },                                \
           [](_WhBusObj& o, std::string_view v) { o.name(qel::ToBool(v)); }}
// A read-only result of a computation, formatted by its row.
#define OSTRAND_RESULT(name, format)                                                            \
  Property{#name, PropertyKind::kText, format, DirtyRule::kNever, {}, nullptr,                  \
           [](_WhBusObj& o) -> std::string { return o.name(); }, nullptr}
// A read-only member; `expr` is its text, of the object `o`.
#define OSTRAND_FUNCTION(name, kind, expr)                                                      \
  Property{#name, kind, {}, DirtyRule::kNever, {}, nullptr,                                     \
           [](_WhBusObj& o) -> std::string { return expr; }, nullptr}
// clang-format on

struct PropertyTable {
  static constexpr FileKey kNotInFile{};
  static constexpr DirtyRule kNever = DirtyRule::kNever;
  static constexpr DirtyRule kWhileEditing = DirtyRule::kWhileEditing;
  static constexpr DirtyRule kAlways = DirtyRule::kAlways;

  // The data file's keys first, in the order the file has them; then the other members in the
  // order of the interface. One row a line (the worksheet's rows come from their list).
  // clang-format off
  static constexpr Property kRows[] = {
      OSTRAND_OWN(Version, {}, kWhileEditing, (FileKey{"Common", "Version", kVersionText})),
      OSTRAND_PLAIN(sTaxpayer, {}, kAlways, (FileKey{"Common", "TP", ""})),
      OSTRAND_ENUMERATION(enumFrequency, eFrequency, (FileKey{"Common", "Freq", "0"})),
      OSTRAND_PLAIN(sAllowancesIP, kCount, kWhileEditing, (FileKey{"Common", "Allow", "0"})),
      OSTRAND_BOOLEAN(IsSingle, (FileKey{"Common", "Unmarried", "false"})),
      OSTRAND_ENUMERATION(enumComputationType, eComputationType,
                          (FileKey{"Common", "Comp Type", "2"})),
      OSTRAND_PLAIN(sAdditionalPayckWH, kMoney, kWhileEditing, (FileKey{"Common", "Addl WH", "0"})),
      OSTRAND_OWN(Line2, {}, kAlways, (FileKey{"Common", "L2", ""})),
      OSTRAND_PLAIN(sWages4Yr, kMoney, kWhileEditing, (FileKey{"Proforma", "Wage 4 yr", "0"})),
      OSTRAND_PLAIN(sRemainingWages, kMoney, kWhileEditing,
                    (FileKey{"Targeted", "Remain Wages", "0"})),
      OSTRAND_PLAIN(sRemainingPeriods, kCount, kWhileEditing,
                    (FileKey{"Targeted", "Remain Periods", "0"})),
      OSTRAND_PLAIN(sTargetedWH4Yr, kMoney, kWhileEditing, (FileKey{"Targeted", "Targ WH", "0"})),
      OSTRAND_PLAIN(sWagesPercent, kMoney, kWhileEditing, (FileKey{"Percent", "Wages", "0"})),
      // The tax year and the 2020-or-later Form W-4: only for years other than the default.
      OSTRAND_PLAIN(sTaxYear, kCount, kWhileEditing,
                    (FileKey{"Common", "Tax Year", kDefaultTaxYearText, true})),
      OSTRAND_ENUMERATION(enumW4Form, W4Form, (FileKey{"Common", "W4 Form", "0", true})),
      OSTRAND_ENUMERATION(enumW4Status, W4Status, (FileKey{"Common", "W4 Status", "0", true})),
      OSTRAND_BOOLEAN(IsStep2Checked, (FileKey{"Common", "Step 2", "false", true})),
      OSTRAND_PLAIN(sStep3Credits, kMoney, kWhileEditing, (FileKey{"Common", "Step 3", "0", true})),
      OSTRAND_PLAIN(sStep4aOtherIncome, kMoney, kWhileEditing,
                    (FileKey{"Common", "Step 4a", "0", true})),
      OSTRAND_PLAIN(sStep4bDeductions, kMoney, kWhileEditing,
                    (FileKey{"Common", "Step 4b", "0", true})),

      OSTRAND_FUNCTION(GetCompType, PropertyKind::kFunction, o.GetCompType()),
      OSTRAND_FUNCTION(sGetPeriods4FullYr, PropertyKind::kFunction, o.sGetPeriods4FullYr()),
      OSTRAND_FUNCTION(sMaritalStatus, PropertyKind::kFunction, o.sMaritalStatus()),
      OSTRAND_PLAIN(sAllowanceDeductionPercent, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sWHPercentMethod, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sSubject2WH, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sAllowanceAmt, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sPerYrWHProforma, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sPeriodsPerYrProforma, kCount, kNever, kNotInFile),
      OSTRAND_PLAIN(sTotPayckWHProforma, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sWagesPerPayckProforma, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sShortage4Yr, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sComputedWH4Yr, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sTotPayckWHTargeted, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sWagesPerPayckTargeted, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sFromAllowancesWHPerPayck, kMoney, kNever, kNotInFile),
      OSTRAND_PLAIN(sTable, {}, kNever, kNotInFile),
      OSTRAND_OWN(IsCalculated, {}, kNever, kNotInFile),
      OSTRAND_PLAIN(sYear, {}, kNever, kNotInFile),
      OSTRAND_OWN(DiscountRate, "0.00%", kWhileEditing, kNotInFile),
      OSTRAND_OWN(sName, {}, kNever, kNotInFile),
      OSTRAND_OWN(CurYr, {}, kWhileEditing, kNotInFile),
      OSTRAND_OWN(CurCost, "$###,##0", kWhileEditing, kNotInFile),
      OSTRAND_OWN(Birthdate, "mm/dd/yyyy", kWhileEditing, kNotInFile),
      OSTRAND_FUNCTION(IsNew, PropertyKind::kBoolean, qel::BoolText(o.IsNew())),
      OSTRAND_FUNCTION(IsDirty, PropertyKind::kBoolean, qel::BoolText(o.IsDirty())),
      // The getter formats the never-assigned empty-property text; the setter fills the record.
      OSTRAND_OWN(EmptyProp, kMoney, kWhileEditing, kNotInFile),
      OSTRAND_RESULT(sTableUsed, {}),
      // The lines of Worksheet 1A, one row each.
#define OSTRAND_LINE_ROW(n, format) OSTRAND_RESULT(sWksLine##n, format),
      OSTRAND_WORKSHEET_LINES(OSTRAND_LINE_ROW)
#undef OSTRAND_LINE_ROW
  };
  // clang-format on
};

#undef OSTRAND_LET_GET_TEXT
#undef OSTRAND_PLAIN
#undef OSTRAND_OWN
#undef OSTRAND_ENUMERATION
#undef OSTRAND_BOOLEAN
#undef OSTRAND_FUNCTION
#undef OSTRAND_RESULT

inline std::span<const Property> Properties() {
  return PropertyTable::kRows;
}

// The row of `name`, found while compiling: a name without a row does not compile.
consteval const Property& PropertyNamed(std::string_view name) {
  for (const Property& property : PropertyTable::kRows) {
    if (property.name == name) return property;
  }
  throw "no property of that name";
}

}  // namespace ostrand::detail
