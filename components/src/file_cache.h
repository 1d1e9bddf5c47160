// A bounded cache of parsed files of sections and keys, shared by KeyedDataFile and
// TaxTableStore, keyed by the file's path, so that a file changed on disk is read afresh by the
// next lookup:
//  - a file given by full path on a local file system is watched with change notifications
//    (inotify) set up before it is read; a lookup drains the pending notifications (one
//    non-blocking read) and re-reads only files that changed;
//  - any other file (relative path, network file system, no watch available) is checked with one
//    stat per lookup against the device, inode, size, modification and change times
//    (nanoseconds) it had when read; a file modified within the last tenth of a second is not
//    trusted (a change in the same clock tick could keep size and time stamps) and is read again
//    until it has aged.
// At most kMaxFiles files are held; the least recently used goes first. Thread-safe.
// Internal to qel_components.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "qel/tax_table_store.h"

namespace qel::cache {

struct Section {
  std::string name;                                     // as spelled in the file
  std::unordered_map<std::string, std::string> values;  // folded key -> value (first wins)
};

// A rate table parsed from a section, or the reason it could not be.
struct RateTable {
  std::vector<TaxBracket> brackets;
  long error = 0;  // 0 when the table is sound
  std::string description;
};

class ParsedFile {
 public:
  // Empty when the file is sound; otherwise the description of the error 75 it gives.
  std::string problem;
  std::unordered_map<std::string, Section> sections;  // folded section name -> section

  const Section* Find(std::string_view section) const;

  // The rate table of a section, parsed once per file version.
  std::shared_ptr<const RateTable> Table(const std::string& path, std::string_view section) const;

 private:
  mutable std::mutex tablesMutex_;
  mutable std::unordered_map<std::string, std::shared_ptr<const RateTable>> tables_;
};

enum class Status { kFound, kMissing, kUnreadable };

struct Lookup {
  Status status = Status::kMissing;
  std::shared_ptr<const ParsedFile> file;  // set when found
  std::string problem;                     // when unreadable: why (errno text)
};

// The parsed file at `path`; kMissing when it (or its folder) does not exist.
Lookup Get(const std::string& path);

// Forgets the file at `path` (after a write).
void Invalidate(const std::string& path);

// Change notifications keep watched entries current without a stat per lookup; turned off, every
// lookup checks the file's identity instead (as for files on network file systems). Clears the
// cache. For tests.
void SetWatching(bool enabled);

// Number of files held (for tests of the bound).
std::size_t CachedFileCount();
inline constexpr std::size_t kMaxFiles = 64;

}  // namespace qel::cache
