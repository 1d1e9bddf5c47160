// WhPersist: the data file of a withholding case, through the keyed data file component.
#include "wh_persist.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "library_info.h"
#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/textnum.h"
#include "state_record.h"

namespace ostrand {
namespace {

struct Entry {
  std::string_view section;
  std::string_view key;
  std::string value;
};

}  // namespace

using detail::TrapFile;

void WhPersist::Save(WhBusObj& source) {
  TrapFile("PSVPersist.Save", [&] {
    const std::array<Entry, 13> entries{{
        {"Common", "Version", source.Version()},
        {"Common", "TP", source.sTaxpayer()},
        {"Common", "Freq", std::to_string(static_cast<std::int32_t>(source.enumFrequency()))},
        {"Common", "Allow", source.sAllowancesIP()},
        {"Common", "Unmarried", source.IsSingle() ? "True" : "False"},
        {"Common", "Comp Type",
         std::to_string(static_cast<std::int32_t>(source.enumComputationType()))},
        {"Common", "Addl WH", source.sAdditionalPayckWH()},
        {"Common", "L2", source.Line2()},
        {"Proforma", "Wage 4 yr", source.sWages4Yr()},
        {"Targeted", "Remain Wages", source.sRemainingWages()},
        {"Targeted", "Remain Periods", source.sRemainingPeriods()},
        {"Targeted", "Targ WH", source.sTargetedWH4Yr()},
        {"Percent", "Wages", source.sWagesPercent()},
    }};
    qel::KeyedDataFile file;
    file.SetFileName(fileName_);
    // One atomic replacement of the file: a save is all or nothing.
    file.BeginUpdate();
    for (const Entry& entry : entries) file.WriteValue(entry.section, entry.key, entry.value);
    file.CommitUpdate();
  });
}

std::u16string WhPersist::Fetch(WhBusObj& target) {
  return TrapFile("PSVPersist.Fetch", [&] {
    if (fileName_.empty()) {
      throw qel::QelError(qel::err::kNeedsFilename, std::string(detail::kErrorSource),
                          "Need to specify a filename.");
    }
    // A missing file would otherwise read as a case of defaults, indistinguishable from an
    // empty one.
    std::error_code ec;
    const bool exists = std::filesystem::exists(std::filesystem::path(fileName_), ec);
    if (ec) {
      throw qel::QelError(qel::err::kPathFileAccess, std::string(detail::kErrorSource),
                          "Cannot reach " + fileName_ + ": " + ec.message());
    }
    if (!exists) {
      throw qel::QelError(qel::err::kFileNotFound, std::string(detail::kErrorSource),
                          "File not found: " + fileName_);
    }
    qel::KeyedDataFile file;
    file.SetFileName(fileName_);

    target.Version(detail::kVersionNumber);
    target.Version(file.ReadValue("Common", "Version", target.Version()));

    target.sTaxpayer(file.ReadValue("Common", "TP", ""));
    target.Line2(file.ReadValue("Common", "L2", ""));
    target.enumFrequency(
        static_cast<eFrequency>(qel::ToInt32(file.ReadValue("Common", "Freq", "0"))));
    target.sAllowancesIP(file.ReadValue("Common", "Allow", "0"));
    target.IsSingle(qel::ToBool(file.ReadValue("Common", "Unmarried", "false")));
    target.enumComputationType(
        static_cast<eComputationType>(qel::ToInt32(file.ReadValue("Common", "Comp Type", "2"))));
    target.sAdditionalPayckWH(file.ReadValue("Common", "Addl WH", "0"));
    target.sWages4Yr(file.ReadValue("Proforma", "Wage 4 yr", "0"));
    target.sRemainingWages(file.ReadValue("Targeted", "Remain Wages", "0"));
    target.sRemainingPeriods(file.ReadValue("Targeted", "Remain Periods", "0"));
    target.sTargetedWH4Yr(file.ReadValue("Targeted", "Targ WH", "0"));
    target.sWagesPercent(file.ReadValue("Percent", "Wages", "0"));
    return detail::RecordToUnits(state_);
  });
}

std::u16string WhPersist::GetState() {
  return detail::Trap("PSVPersist.GetState", [&] { return detail::RecordToUnits(state_); });
}

void WhPersist::SetState(std::u16string_view state) {
  detail::Trap("PSVPersist.SetState", [&] { detail::UnitsToRecord(state, state_); });
}

}  // namespace ostrand
