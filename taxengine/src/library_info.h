// Facts about this library used across its sources: version, file description, error traps.
#pragma once

#include <string>
#include <string_view>

#include "qel/error.h"

#ifndef FENNICK_VERSION_MAJOR
#error "FENNICK_VERSION_MAJOR must be defined by the build"
#endif
#ifndef FENNICK_VERSION_MINOR
#error "FENNICK_VERSION_MINOR must be defined by the build"
#endif

namespace fennick {

#define FENNICK_STR2(x) #x
#define FENNICK_STR(x) FENNICK_STR2(x)

// "2005.0": major version, a point, minor version; what the Version getter returns and the
// scenario file stores.
inline constexpr std::string_view kVersionText =
    FENNICK_STR(FENNICK_VERSION_MAJOR) "." FENNICK_STR(FENNICK_VERSION_MINOR);

// The library's file description; several traps put it in place of the error's description.
inline constexpr std::string_view kFileDescription = "Fennick individual income-tax engine";

// Source of the errors this library raises itself (before any trap adds to the trail).
inline constexpr std::string_view kErrorSource = "Fennick";

// Separators of the two re-raise forms: a line break and a blank line, or a carriage return.
inline constexpr std::string_view kKeepSep = "\r\n\r\n";
inline constexpr std::string_view kDescribeSep = "\r";

// Raises the error in flight again with the same number and `label` in front of its source; the
// separator joins the label to the inner trail only where there is one, so a trail never ends in
// an empty line. With `describe` the description becomes the library's file description.
[[noreturn]] void RaiseAgain(std::string_view label, std::string_view separator, bool describe);

// Runs `body` as the trapped operation `label`; see RaiseAgain.
template <typename F>
decltype(auto) Trap(std::string_view label, std::string_view separator, bool describe, F&& body) {
  try {
    return body();
  } catch (...) {
    RaiseAgain(label, separator, describe);
  }
}

// The two forms of the computation modules and property procedures: a line break and a blank
// line, description kept; or a carriage return, description replaced.
template <typename F>
decltype(auto) Keep(std::string_view label, F&& body) {
  return Trap(label, kKeepSep, false, std::forward<F>(body));
}
template <typename F>
decltype(auto) Describe(std::string_view label, F&& body) {
  return Trap(label, kDescribeSep, true, std::forward<F>(body));
}

// A year-module procedure: the label ("Calcs2005.StdDed2005") is built only when an error
// passes.
template <typename F>
decltype(auto) YearTrap(int year, std::string_view procedure, bool describe, F&& body) {
  try {
    return body();
  } catch (...) {
    std::string label =
        "Calcs" + std::to_string(year) + "." + std::string(procedure) + std::to_string(year);
    RaiseAgain(label, describe ? kDescribeSep : kKeepSep, describe);
  }
}

}  // namespace fennick
