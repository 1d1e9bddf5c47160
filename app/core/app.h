// The running program: its state, its platform, and the facts about the program file.
// Every module of the program works on one App.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "core/errors.h"
#include "core/platform.h"
#include "ostrand/wh_bus_obj.h"

namespace corvala {

inline constexpr const char* kProgramTitle = "Qel Paystave";
inline constexpr int kVersionMajor = 2005;
inline constexpr int kVersionMinor = 10;
inline constexpr int kVersionRevision = 143;
inline constexpr int kTaxYear = 2005;  // the year the reports print

struct App {
  AppState state;
  Platform platform;
  std::filesystem::path programFolder;      // the folder that holds the program file
  std::string programFileStem = "Corvala";  // the program file's name without extension

  // Stores the program creates for itself when the platform brings none: GetIni opens the
  // preferences file here when platform.preferences is empty.
  std::unique_ptr<SettingsStore> ownedPreferences;
};

}  // namespace corvala
