// The properties of a scenario, described once: the name hosts use, the accessors, what kind of
// text the value is, and the key and default in the scenario file. Access by name, the scenario
// file and the list of results all follow from this one table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "fennick/tax_objects.h"

namespace fennick {

enum class PropertyKind {
  kResult,  // an amount (or the year of the figures) Calculate sets; listed by ResultPropertyNames
  kAmount,  // an amount entered
  kCount,   // a whole number: exemptions, children, filing status, column
  kYear,    // the tax year; a scenario file without one holds a 2005 scenario
  kFlag,    // "True" or "False"
  kName,    // a name or description slot, kept as typed
  kText,    // other text: the version and texts derived from other properties
};

struct Property {
  std::string_view name;  // "TotalInc", "oInc.Dividends"
  std::string (*get)(_iTop&);
  void (*let)(_iTop&, std::string_view);  // nullptr: no public setter
  PropertyKind kind;
  std::string_view fileKey = {};      // key in the scenario file; empty: not stored
  std::string_view fileDefault = {};  // read when the file has no value
};

// Every property: the results first, in the order a report lists them; then the stored
// properties, in the order of the scenario file; then the others.
std::span<const Property> Properties();

// The property of that name, letter case ignored; raises 438 when there is none.
const Property& FindProperty(std::string_view name);

// Numbers are written to and read from files in one syntax whatever the locale.
inline bool IsNumber(PropertyKind kind) {
  return kind == PropertyKind::kResult || kind == PropertyKind::kAmount ||
         kind == PropertyKind::kCount || kind == PropertyKind::kYear;
}

}  // namespace fennick
