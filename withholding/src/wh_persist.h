// WhPersist: writes the inputs of a WhBusObj to a data file and reads them back.
//
// Created for one save or load and released right after. The data file has the sections
// "Common", "Proforma", "Targeted" and "Percent"; only inputs are stored, as text.
#pragma once

#include <string>
#include <string_view>

#include "wh_bus_obj_impl.h"

namespace ostrand {

class OSTRAND_API WhPersist {
 public:
  static constexpr std::string_view kClassId = "{4BF4043B-D184-43C6-8215-920424E48167}";

  void FileName(std::string_view value) { fileName_ = value; }
  const std::string& FileName() const { return fileName_; }

  // Loads the file into `target` through its setters and returns this object's state string.
  // Raises 10003 for an empty file name and 53 for a file that does not exist.
  std::u16string Fetch(WhBusObj& target);
  // Writes the inputs of `source` to the file (other sections and keys stay as they are).
  void Save(WhBusObj& source);

  std::u16string GetState();
  void SetState(std::u16string_view state);

 private:
  std::string fileName_;
  StateRecord state_{};
};

}  // namespace ostrand
