// Helpers shared by the tax engine tests: building a scenario by property name and reading
// formatted amounts back as numbers.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qel_testing/temp_folder.h"

#include "fennick/tax_objects.h"

namespace fennick_test {

using Inputs = std::vector<std::pair<std::string, std::string>>;

// A fresh scenario in an edit with the year, filing status and exemptions set.
inline std::unique_ptr<fennick::_iTop> NewScenario(int year, int status, int exemptions = 1) {
  auto top = fennick::CreateTop();
  top->BeginEdit();
  top->TaxYear(std::to_string(year));
  top->FilingStatus(static_cast<fennick::eFilingStatus>(status));
  top->Dependents(std::to_string(exemptions));
  return top;
}

inline void Set(fennick::_iTop& top, const Inputs& inputs) {
  for (const auto& [name, value] : inputs) fennick::LetProperty(top, name, value);
}

// The getter's text as a number ("12,345" -> 12345).
inline double Amount(fennick::_iTop& top, const std::string& name) {
  std::string text = fennick::GetProperty(top, name);
  std::string digits;
  for (char c : text) {
    if (c != ',') digits += c;
  }
  return std::stod(digits);
}

// What a getter shows for an exact amount: whole dollars, halves away from zero.
inline double Shown(double exact) {
  double fixed = std::round(exact * 10000.0) / 10000.0;  // drop binary noise below 4 decimals
  return std::round(fixed);
}

using TempDir = qel::testing::TempFolder;

}  // namespace fennick_test
