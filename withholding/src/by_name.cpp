// Creating the object by class identifier, and late-bound access to its properties by name.
#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <string>
#include <string_view>

#include "library_info.h"
#include "qel/error.h"
#include "qel/text.h"
#include "qel/textnum.h"
#include "wh_bus_obj_impl.h"

namespace ostrand {
namespace {

using Getter = std::string (*)(_WhBusObj&);
using Letter = void (*)(_WhBusObj&, std::string_view);

struct Member {
  std::string_view name;
  Getter get;
  Letter let;  // null for read-only members
};

#define OSTRAND_TEXT(name)                                                               \
  Member {                                                                               \
#name, [](_WhBusObj & o) { return o.name(); }, [](_WhBusObj & o,                     \
                                                      std::string_view v) { o.name(v); } \
  }
#define OSTRAND_READ_ONLY(name, expr)                               \
  Member {                                                          \
#name, [](_WhBusObj & o) { return std::string(expr); }, nullptr \
  }

const std::array kMembers{
    OSTRAND_READ_ONLY(GetCompType, o.GetCompType()),
    OSTRAND_READ_ONLY(sGetPeriods4FullYr, o.sGetPeriods4FullYr()),
    Member{"enumComputationType",
           [](_WhBusObj& o) { return std::to_string(static_cast<int>(o.enumComputationType())); },
           [](_WhBusObj& o, std::string_view v) {
             o.enumComputationType(static_cast<eComputationType>(qel::ToInt32(v)));
           }},
    OSTRAND_READ_ONLY(sMaritalStatus, o.sMaritalStatus()),
    OSTRAND_TEXT(sAllowanceDeductionPercent),
    Member{"enumFrequency",
           [](_WhBusObj& o) { return std::to_string(static_cast<int>(o.enumFrequency())); },
           [](_WhBusObj& o, std::string_view v) {
             o.enumFrequency(static_cast<eFrequency>(qel::ToInt32(v)));
           }},
    OSTRAND_TEXT(sWHPercentMethod),
    OSTRAND_TEXT(sSubject2WH),
    OSTRAND_TEXT(sAllowanceAmt),
    OSTRAND_TEXT(sWagesPercent),
    OSTRAND_TEXT(sPerYrWHProforma),
    OSTRAND_TEXT(sPeriodsPerYrProforma),
    OSTRAND_TEXT(sTotPayckWHProforma),
    OSTRAND_TEXT(sWagesPerPayckProforma),
    OSTRAND_TEXT(sWages4Yr),
    OSTRAND_TEXT(sShortage4Yr),
    OSTRAND_TEXT(sComputedWH4Yr),
    OSTRAND_TEXT(sTargetedWH4Yr),
    OSTRAND_TEXT(sTotPayckWHTargeted),
    OSTRAND_TEXT(sWagesPerPayckTargeted),
    OSTRAND_TEXT(sFromAllowancesWHPerPayck),
    OSTRAND_TEXT(sRemainingPeriods),
    OSTRAND_TEXT(sRemainingWages),
    OSTRAND_TEXT(sTable),
    OSTRAND_TEXT(sAdditionalPayckWH),
    OSTRAND_TEXT(sAllowancesIP),
    Member{"IsSingle", [](_WhBusObj& o) { return qel::BoolText(o.IsSingle()); },
           [](_WhBusObj& o, std::string_view v) { o.IsSingle(qel::ToBool(v)); }},
    OSTRAND_TEXT(IsCalculated),
    OSTRAND_TEXT(sYear),
    OSTRAND_TEXT(sTaxpayer),
    OSTRAND_TEXT(DiscountRate),
    OSTRAND_TEXT(sName),
    OSTRAND_TEXT(Version),
    OSTRAND_TEXT(Line2),
    OSTRAND_TEXT(CurYr),
    OSTRAND_TEXT(CurCost),
    OSTRAND_TEXT(Birthdate),
    OSTRAND_READ_ONLY(IsNew, qel::BoolText(o.IsNew())),
    OSTRAND_READ_ONLY(IsDirty, qel::BoolText(o.IsDirty())),
    OSTRAND_TEXT(EmptyProp),
};

#undef OSTRAND_TEXT
#undef OSTRAND_READ_ONLY

[[noreturn]] void RaiseNoSuchMember(std::string_view name, bool letting) {
  throw qel::QelError(
      qel::err::kNoSuchMember, std::string(detail::kErrorSource),
      std::string(letting ? "No property to assign by the name \"" : "No property by the name \"") +
          std::string(name) + "\"");
}

const Member* Find(std::string_view name) {
  for (const Member& member : kMembers) {
    if (qel::EqualsIgnoreCase(member.name, name)) return &member;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<_WhBusObj> CreateObject(std::string_view classId) {
  if (!qel::EqualsIgnoreCase(classId, kWhBusObjClassId)) {
    throw qel::QelError(
        qel::err::kCannotCreateObject, std::string(detail::kErrorSource),
        "No class is registered under the identifier \"" + std::string(classId) + "\"");
  }
  return std::make_unique<WhBusObj>();
}

std::string GetProperty(_WhBusObj& object, std::string_view name) {
  const Member* member = Find(name);
  if (member == nullptr) RaiseNoSuchMember(name, false);
  return member->get(object);
}

void LetProperty(_WhBusObj& object, std::string_view name, std::string_view value) {
  const Member* member = Find(name);
  if (member == nullptr || member->let == nullptr) RaiseNoSuchMember(name, true);
  member->let(object, value);
}

}  // namespace ostrand
