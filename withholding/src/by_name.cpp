// Creating the object by class identifier, and late-bound access to its properties by name.
#include <memory>
#include <string>
#include <string_view>

#include "library_info.h"
#include "properties.h"
#include "qel/error.h"
#include "qel/text.h"
#include "wh_bus_obj_impl.h"

namespace ostrand {
namespace {

[[noreturn]] void RaiseNoSuchMember(std::string_view name, bool letting) {
  throw qel::QelError(
      qel::err::kNoSuchMember, std::string(detail::kErrorSource),
      std::string(letting ? "No property to assign by the name \"" : "No property by the name \"") +
          std::string(name) + "\"");
}

const detail::Property* Find(std::string_view name) {
  for (const detail::Property& property : detail::Properties()) {
    if (qel::EqualsIgnoreCase(property.name, name)) return &property;
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
  const detail::Property* property = Find(name);
  if (property == nullptr) RaiseNoSuchMember(name, false);
  return property->get(object);
}

void LetProperty(_WhBusObj& object, std::string_view name, std::string_view value) {
  const detail::Property* property = Find(name);
  if (property == nullptr || property->let == nullptr) RaiseNoSuchMember(name, true);
  property->let(object, value);
}

}  // namespace ostrand
