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
// (a file keeps the line ends it has; a new file gets LF); a UTF-8 byte order mark is kept.
// Values are single-line text and come back exactly as written, by this rule:
//   - reading trims blanks and tabs around names and around the value; when the trimmed value is
//     at least two characters long and starts and ends with a double quote, one pair of
//     surrounding quotes is removed;
//   - writing puts "Key=value" with no blanks, and wraps the value in double quotes when it starts
//     or ends with a blank or tab, or starts and ends with a double quote ("  Ann  " is written
//     as Key="  Ann  ", "x" in quotes as Key=""x"").
// Bytes other than NUL are taken as they are (values are not checked to be UTF-8). When a section
// or key appears twice, the first one counts and is the one rewritten.
//
// Reading goes through a small cache shared with TaxTableStore, checked against the file's size,
// modification time and inode on every call, so a file changed on disk is seen by the next call.
//
// Every use creates an instance, calls SetFileName first, then only reads or only writes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

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
  // A section or key name containing "]", "=", a line break or NUL, a name that is empty or begins
  // with ";" or "[", or a value containing a line break or NUL, is refused with error 5. A file
  // that is not a file of sections and keys is refused with 75 and left unchanged; a missing
  // folder raises 76, any other failure to write 75 (each naming the file). The replaced file
  // keeps its permissions; a symbolic link is written through, not replaced.
  void WriteValue(std::string_view section, std::string_view key, std::string_view value);

  // Saving several values as one change: after BeginUpdate, WriteValue checks and records each
  // value; CommitUpdate then writes them all in one atomic replacement of the file, so a save is
  // all or nothing (and costs one file write instead of one per value). An instance released
  // without CommitUpdate writes nothing.
  void BeginUpdate();
  void CommitUpdate();

 private:
  struct Change {
    std::string section;
    std::string key;
    std::string value;
  };
  void Apply(std::span<const Change> changes);

  std::string path_;
  bool updating_ = false;
  std::vector<Change> pending_;
};

}  // namespace qel
