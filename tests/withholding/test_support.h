// Helpers shared by the withholding tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "qel/error.h"
#include "qel_testing/temp_folder.h"

namespace ostrand_test {

using TempFolder = qel::testing::TempFolder;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Runs `body`, expects a QelError and returns it (a default error when none was raised).
inline qel::QelError CatchError(const std::function<void()>& body) {
  try {
    body();
  } catch (const qel::QelError& e) {
    return e;
  }
  ADD_FAILURE() << "no error was raised";
  return qel::QelError(0, "");
}

// Cents as display text with thousands separators and two decimals ("1,234.56", "-0.50").
inline std::string CentsText(std::int64_t cents) {
  const bool negative = cents < 0;
  if (negative) cents = -cents;
  std::string whole = std::to_string(cents / 100);
  for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, ",");
  const std::int64_t fraction = cents % 100;
  return (negative ? "-" : "") + whole + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

}  // namespace ostrand_test
