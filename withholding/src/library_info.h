// Facts about this library used across its sources: version, file description, error traps.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "qel/error.h"

#ifndef OSTRAND_VERSION_MAJOR
#error "OSTRAND_VERSION_MAJOR must be defined by the build"
#endif
#ifndef OSTRAND_VERSION_MINOR
#error "OSTRAND_VERSION_MINOR must be defined by the build"
#endif

namespace ostrand::detail {

#define OSTRAND_STR2(x) #x
#define OSTRAND_STR(x) OSTRAND_STR2(x)

// What the Version getter returns and the data file stores: "ZOV", the library's major version,
// a point and its minor version.
inline constexpr std::string_view kVersionText =
    "ZOV" OSTRAND_STR(OSTRAND_VERSION_MAJOR) "." OSTRAND_STR(OSTRAND_VERSION_MINOR);

// The library's file description; re-raised errors carry it as their description.
inline constexpr std::string_view kFileDescription = "Qel Paystave withholding engine";

// Source of the errors this library raises itself (before any trap adds to the trail).
inline constexpr std::string_view kErrorSource = "Ostrand";

// The tax year of a new case, and of a case whose data file names none.
#define OSTRAND_DEFAULT_TAX_YEAR 2005
inline constexpr int kDefaultTaxYear = OSTRAND_DEFAULT_TAX_YEAR;
inline constexpr std::string_view kDefaultTaxYearText = OSTRAND_STR(OSTRAND_DEFAULT_TAX_YEAR);

// The folder this library was loaded from.
std::filesystem::path LibraryFolder();

// Runs `body` as the trapped operation `label` ("WhBusObj.Calculate"): an escaping error is
// raised again with the same number, `label` and a carriage return in front of its source, and
// the library's file description in place of the standard description of its number. An error
// that says what is wrong in its own words (a tax year without tables, the table file at fault)
// keeps them, so the person who reads it can mend the case.
template <typename F>
decltype(auto) Trap(std::string_view label, F&& body) {
  try {
    return body();
  } catch (...) {
    const qel::QelError error = qel::CurrentError();
    if (error.description() != qel::StandardDescription(error.number()))
      throw error.Reraised(label, "\r");
    throw error.ReraisedDescribed(label, "\r", std::string(kFileDescription));
  }
}

// As Trap, but keeps the error's description. Used on the data-file path, whose component
// errors name the file concerned; replacing that text would leave the user guessing which file.
template <typename F>
decltype(auto) TrapFile(std::string_view label, F&& body) {
  return qel::TrapKeep(label, "\r", std::forward<F>(body));
}

}  // namespace ostrand::detail
