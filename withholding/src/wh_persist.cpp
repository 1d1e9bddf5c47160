// WhPersist: the data file of a withholding case, through the keyed data file component.
#include "wh_persist.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "library_info.h"
#include "properties.h"
#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/textnum.h"
#include "state_record.h"

namespace ostrand {

using detail::TrapFile;

// Numbers are kept in the file in one syntax ("." decimal point, "," thousands) whatever the
// locale; the locale applies only to what a person sees and types.
void WhPersist::Save(WhBusObj& source) {
  TrapFile("PSVPersist.Save", [&] {
    // A case of the default tax year is written as it always was, without the keys of later
    // years, unless the file has them from a case of another year, whose year must not outlive
    // it. The file decides as the save finds it, under the save's lock.
    constexpr const detail::FileKey& kTaxYear = detail::PropertyNamed("sTaxYear").file;
    const bool yearKeys = !source.IsDefaultTaxYear();
    qel::KeyedDataFile file;
    file.SetFileName(fileName_);
    // One atomic replacement of the file: a save is all or nothing.
    file.BeginUpdate();
    for (const detail::Property& property : detail::Properties()) {
      if (!property.InFile()) continue;
      std::string value = property.get(source);
      if (property.IsNumber()) value = qel::LocaleToFileText(value);
      if (property.file.otherYearsOnly && !yearKeys)
        file.WriteValueIfFileHas(property.file.section, property.file.key, value, kTaxYear.section,
                                 kTaxYear.key);
      else
        file.WriteValue(property.file.section, property.file.key, value);
    }
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
    // Each value goes through the target's setter, which marks it dirty by its rule; a value
    // that does not convert stops the load, and those assigned before it stay assigned.
    for (const detail::Property& property : detail::Properties()) {
      if (!property.InFile()) continue;
      const std::string value =
          file.ReadValue(property.file.section, property.file.key, property.file.whenMissing);
      property.let(target, property.IsNumber() ? qel::FileToLocaleText(value) : value);
    }
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
