// KeyedDataFile: text values kept in a file of named sections of named keys.
//
// One syntax serves the data files (.zov cases, tax scenarios) and the table files:
//
//   ; a comment line starts with a semicolon
//   [Section name]
//   Key name=value
//
// Blanks around "=" and around names are accepted when reading and none are written; section and
// key names are matched without regard to letter case; CR LF and LF line ends are both accepted
// (a file keeps the line ends it has; a new file gets LF). Values are single-line text and come
// back exactly as written.
//
// Every use creates an instance, calls SetFileName first, then only reads or only writes.
#pragma once

#include <string>
#include <string_view>

namespace qel {

class KeyedDataFile {
 public:
  static constexpr std::string_view kClassId = "{33C2227B-0653-11D4-B1D0-006008925D09}";

  // Records the full path; touches no file.
  void SetFileName(std::string_view path);
  const std::string& FileName() const { return path_; }

  // The value last written under section/key, or `defaultValue` when the file, the section or
  // the key does not exist. A file that exists but is not a text file of sections and keys is
  // refused with error 75 naming the file and the offending line.
  std::string ReadValue(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;

  // Creates the file, section and key as needed, replaces an earlier value, and leaves all other
  // sections and keys as they were. The file is replaced atomically (a temporary file in the same
  // folder, flushed, then renamed), so a failure at any point leaves the original intact.
  // A section or key name containing "]", "=" or a line break, a name that is empty or begins
  // with ";" or "[", or a value containing a line break, is refused with error 5.
  void WriteValue(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::string path_;
};

}  // namespace qel
