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
// One instance is one operation: every use creates an instance, calls SetFileName first, then
// only reads or only writes.
//   - A load is a snapshot: the instance's first ReadValue reads the whole file once, and every
//     later ReadValue of that instance answers from that reading, so all values of a load come
//     from one save even while another process saves. Data files are never served from a cache.
//   - Table files (a name ending in ".tbl") are the exception: read on first use and kept for the
//     rest of the run, shared with TaxTableStore, so the tables a run starts with stay fixed (a
//     save through this process replaces the kept copy).
//   - A save is a read-modify-write under an exclusive advisory lock (flock) on the file itself
//     (qel/safe_write.h), held from reading the file to replacing it: concurrent savers of the
//     file, in this or other processes, take turns, so no save is lost; a crashed saver's lock
//     goes with it. A lock someone else keeps is waited for at most 10 seconds, then the save is
//     refused naming the folder; where no lock can be had the save is refused, never made
//     unlocked. A file that does not exist yet is created empty to be locked (a load in that
//     instant finds it empty). Readers take no lock and never wait.
// Only regular files of at most 1 MiB are read or saved; anything else (a folder, FIFO or device,
// a larger file) is refused with error 75 naming the file, without blocking on it.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

namespace files {
class ParsedFile;
}

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
  // sections and keys as they were. The file is replaced atomically (a temporary file
  // ".<name>.tmp-<12 letters and digits>" in the same folder, flushed, then renamed), so a failure
  // at any point leaves the original intact; temporaries that interrupted saves of the same file
  // left behind are removed by the next save.
  // A section or key name containing "]", "=", a line break or NUL, a name that is empty or begins
  // with ";" or "[", or a value containing a line break or NUL, is refused with error 5. A file
  // that is not a file of sections and keys is refused with 75 and left unchanged; a missing
  // folder raises 76, any other failure to write 75 (each naming the file; a folder that allows
  // no new file is named too). A file the user may not write is refused (75, "read-only"), as is
  // a save that would make the result larger than 1 MiB.
  // The replacement keeps the file's mode, owner and group; the temporary file never has more
  // permissions than the file it replaces (0600 until the mode is applied, before any value is
  // written). A file that the replacement could not give back its owner or group (a file of
  // another user, saved by someone who may write it but is not the superuser) is refused with 75
  // and left unchanged, never taken over. A symbolic link is written through, not replaced: the
  // file it names is saved, and created when the link dangles (in the folder the link names);
  // a link that another user put in a shared sticky folder is refused with 75 naming the link
  // (qel/final_link.h). The replacing is qel::SafeWrite's, under the file's lock.
  void WriteValue(std::string_view section, std::string_view key, std::string_view value);

  // As WriteValue, but only when the file, as the save finds it under its lock, holds a value
  // that is not empty under whenSection/whenKey; otherwise the key is left as it is (absent, for
  // a file that lacks it).
  void WriteValueIfFileHas(std::string_view section, std::string_view key, std::string_view value,
                           std::string_view whenSection, std::string_view whenKey);

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
    std::string whenSection, whenKey;  // empty: always
  };
  void Record(Change change);
  void Apply(std::span<const Change> changes);
  void TakeSnapshot() const;

  std::string path_;
  bool updating_ = false;
  std::vector<Change> pending_;
  // The one reading every ReadValue of this instance answers from, taken by the first.
  mutable bool read_ = false;
  mutable std::shared_ptr<const files::ParsedFile> snapshot_;  // null: missing or failed
  mutable std::string problem_;                                // why the reading failed
};

}  // namespace qel
