// Reading files of sections and keys, for both components. Internal to qel_components.
//
// A reading is one snapshot: the file is opened once (never blocking, so a FIFO cannot hang it),
// checked to be a regular file of at most kMaxFileBytes, read whole and parsed, and every value
// is then taken from that one reading.
//
// Table files (a name ending in ".tbl", letter case ignored) are read on first use and kept for
// the rest of the run: the tables a run starts with stay fixed, whatever happens on disk, until a
// save through this process replaces one. Every other file (cases, scenarios, preferences) is
// read afresh by each reading and never kept.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qel::files {

// No case, scenario or table file comes near this; anything larger is refused unread.
inline constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;
inline constexpr std::string_view kMaxFileText = "1 MiB";

// The bytes of a file read whole, or why not.
struct RawFile {
  enum Status { kRead, kMissing, kNotRegular, kTooLarge, kFailed };
  Status status = kMissing;
  int error = 0;  // kFailed: the errno
  struct stat st {};
  std::string bytes;
};

// Opens `name` relative to the folder `dirFd` (AT_FDCWD for a path) without blocking, refuses
// anything but a regular file, and reads at most kMaxFileBytes. A missing file or folder is
// kMissing.
RawFile ReadBounded(int dirFd, const std::string& name);

// What is wrong with a file that could not be read, phrased to follow its name
// ("is not a regular file", "is larger than 1 MiB", "cannot be read (Permission denied)").
std::string Problem(const RawFile& raw);

struct Section {
  std::string name;                                     // as spelled in the file
  std::unordered_map<std::string, std::string> values;  // folded key -> value (first wins)
  std::vector<std::string> keys;                        // each key once, as first spelled
};

class ParsedFile {
 public:
  std::unordered_map<std::string, Section> sections;  // folded section name -> section

  const Section* Find(std::string_view section) const;
};

// One reading of a file.
struct Reading {
  enum Status { kFound, kMissing, kFailed };
  Status status = kMissing;
  std::shared_ptr<const ParsedFile> file;  // kFound
  std::string problem;                     // kFailed: as Problem(), or "is not a file of ..."
};

bool IsTableFile(std::string_view path);

// A reading of `path`: the kept one for a table file, a fresh one for any other file.
Reading Read(const std::string& path);

// Drops the kept table files, so the next reading of each is fresh (after a save of one).
void ForgetTableFiles();

// Table files kept (for tests of the bound): at most kMaxKeptFiles; beyond that, further table
// files are read afresh on every use.
std::size_t KeptFileCount();
inline constexpr std::size_t kMaxKeptFiles = 64;

}  // namespace qel::files
