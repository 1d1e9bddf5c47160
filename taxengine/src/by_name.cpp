// Late-bound access to the properties of a scenario by name ("TotalInc", "oInc.Dividends").
#include "fennick/tax_objects.h"
#include "library_info.h"
#include "properties.h"

namespace fennick {

std::string GetProperty(_iTop& object, std::string_view name) {
  return FindProperty(name).get(object);
}

void LetProperty(_iTop& object, std::string_view name, std::string_view value) {
  const Property& p = FindProperty(name);
  if (!p.let) {
    throw qel::QelError(qel::err::kNoSuchMember, std::string(kErrorSource),
                        "The property \"" + std::string(p.name) + "\" cannot be set.");
  }
  p.let(object, value);
}

const std::vector<std::string>& ResultPropertyNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const Property& p : Properties()) {
      if (p.kind == PropertyKind::kResult) list.emplace_back(p.name);
    }
    return list;
  }();
  return names;
}

}  // namespace fennick
