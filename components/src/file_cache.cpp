#include "file_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "ini_document.h"
#include "qel/error.h"
#include "qel/textnum.h"

namespace qel::cache {

namespace {

struct Identity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  long long ctimeNs = 0;

  bool operator==(const Identity&) const = default;
};

Identity IdentityOf(const struct stat& st) {
  Identity id;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  id.ctimeNs = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
  return id;
}

struct Entry {
  Identity id;
  // Modified so recently that a further change could keep the same time stamp (file systems
  // stamp with a coarse clock): such an entry is not trusted and the file is read again.
  bool racy = false;
  std::shared_ptr<const ParsedFile> file;
  unsigned long long lastUse = 0;
};

std::mutex gMutex;
std::unordered_map<std::string, Entry> gEntries;
unsigned long long gClock = 0;

std::shared_ptr<ParsedFile> Build(const std::string& bytes) {
  auto file = std::make_shared<ParsedFile>();
  ini::Document doc;
  std::size_t badLine = 0;
  std::string reason;
  if (!ini::Parse(bytes, doc, badLine, reason)) {
    file->problem = "line " + std::to_string(badLine) + ": " + reason;
    return file;
  }
  Section* current = nullptr;
  bool currentIsFirst = false;
  for (const ini::Line& line : doc.lines) {
    if (line.kind == ini::Line::kSection) {
      auto [it, inserted] = file->sections.try_emplace(ini::Folded(line.name));
      if (inserted) it->second.name = line.name;
      current = &it->second;
      currentIsFirst = inserted;
    } else if (line.kind == ini::Line::kKey && current != nullptr && currentIsFirst) {
      current->values.try_emplace(ini::Folded(line.name), line.value);
    }
  }
  return file;
}

std::string ErrnoText(int e) {
  return std::strerror(e);
}

constexpr long long kRacyWindowNs = 100'000'000;  // well above any time-stamp granularity

bool IsRacy(const Identity& id) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  long long nowNs = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
  long long newest = id.mtimeNs > id.ctimeNs ? id.mtimeNs : id.ctimeNs;
  return nowNs - newest < kRacyWindowNs;
}

}  // namespace

const Section* ParsedFile::Find(std::string_view section) const {
  auto it = sections.find(ini::Folded(ini::TrimBlanks(section)));
  return it == sections.end() ? nullptr : &it->second;
}

namespace {

std::shared_ptr<const RateTable> ParseTable(const std::string& path, const ParsedFile& file,
                                            std::string_view sectionName) {
  auto table = std::make_shared<RateTable>();
  std::string where = "table file " + path + ", section [" + std::string(sectionName) + "]";
  auto fail = [&](std::string what) {
    table->error = err::kInvalidCall;
    table->description = what + " in " + where;
    table->brackets.clear();
    return table;
  };
  const Section* section = file.Find(sectionName);
  if (section == nullptr || ini::TrimBlanks(sectionName).empty())
    return fail("The section does not exist");
  for (std::size_t n = 1;; ++n) {
    std::string key = "bracket" + std::to_string(n);
    auto it = section->values.find(key);
    if (it == section->values.end()) break;
    std::string_view row = it->second;
    std::string_view fields[3];
    std::size_t count = 0;
    while (true) {
      row = ini::TrimBlanks(row);
      if (row.empty()) break;
      std::size_t end = row.find_first_of(" \t");
      if (count == 3) return fail("Bracket" + std::to_string(n) + " has more than three numbers");
      fields[count++] = row.substr(0, end);
      row.remove_prefix(end == std::string_view::npos ? row.size() : end);
    }
    if (count != 3)
      return fail("Bracket" + std::to_string(n) + " is not three numbers (over, base, percent)");
    TaxBracket b;
    Currency percent;
    try {
      b.over = InvariantCurrency(fields[0]);
      b.base = InvariantCurrency(fields[1]);
      percent = InvariantCurrency(fields[2]);
    } catch (const QelError&) {
      return fail("Bracket" + std::to_string(n) + " holds text that is not a number");
    }
    if (percent.raw() % 100 != 0 || percent.raw() < 0)
      return fail("Bracket" + std::to_string(n) +
                  " has a percent that is negative or has more than two decimals");
    b.rate = Currency::FromRaw(percent.raw() / 100);
    if (!table->brackets.empty() && !(table->brackets.back().over < b.over))
      return fail("Bracket" + std::to_string(n) + " does not start above the bracket before it");
    table->brackets.push_back(b);
  }
  // Any bracket key beyond the run found (a gap such as Bracket1, Bracket3) is an error.
  for (const auto& [key, value] : section->values) {
    if (key.size() > 7 && key.compare(0, 7, "bracket") == 0) {
      std::string digits = key.substr(7);
      if (digits.find_first_not_of("0123456789") == std::string::npos &&
          (digits.size() > 6 || std::stoul(digits) > table->brackets.size() ||
           digits.front() == '0'))
        return fail("Bracket rows are not numbered 1, 2, 3, ... without gaps");
    }
  }
  if (table->brackets.empty()) return fail("The section holds no bracket");
  return table;
}

}  // namespace

std::shared_ptr<const RateTable> ParsedFile::Table(const std::string& path,
                                                   std::string_view section) const {
  std::string key = ini::Folded(ini::TrimBlanks(section));
  {
    std::lock_guard<std::mutex> lock(tablesMutex_);
    auto it = tables_.find(key);
    if (it != tables_.end()) return it->second;
  }
  auto table = ParseTable(path, *this, section);
  std::lock_guard<std::mutex> lock(tablesMutex_);
  return tables_.try_emplace(key, std::move(table)).first->second;
}

Lookup Get(const std::string& path) {
  Lookup result;
  if (path.empty()) return result;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return result;
    result.status = Status::kUnreadable;
    result.problem = ErrnoText(errno);
    return result;
  }
  if (S_ISDIR(st.st_mode)) {
    result.status = Status::kUnreadable;
    result.problem = "it is a folder";
    return result;
  }
  Identity id = IdentityOf(st);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = gEntries.find(path);
    if (it != gEntries.end() && it->second.id == id && !it->second.racy) {
      it->second.lastUse = ++gClock;
      result.status = Status::kFound;
      result.file = it->second.file;
      return result;
    }
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return result;
    result.status = Status::kUnreadable;
    result.problem = ErrnoText(errno);
    return result;
  }
  std::string bytes;
  struct stat fst {};
  bool ok = ::fstat(fd, &fst) == 0 && !S_ISDIR(fst.st_mode);
  int readErrno = ok ? 0 : (errno != 0 ? errno : EISDIR);
  if (ok) {
    char buf[65536];
    while (true) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false;
        readErrno = errno;
        break;
      }
      if (n == 0) break;
      bytes.append(buf, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (!ok) {
    result.status = Status::kUnreadable;
    result.problem = ErrnoText(readErrno);
    return result;
  }
  std::shared_ptr<const ParsedFile> file = Build(bytes);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gEntries.size() >= kMaxFiles && gEntries.find(path) == gEntries.end()) {
      auto oldest = gEntries.begin();
      for (auto it = gEntries.begin(); it != gEntries.end(); ++it)
        if (it->second.lastUse < oldest->second.lastUse) oldest = it;
      gEntries.erase(oldest);
    }
    Entry& entry = gEntries[path];
    entry.id = IdentityOf(fst);
    entry.racy = IsRacy(entry.id);
    entry.file = file;
    entry.lastUse = ++gClock;
  }
  result.status = Status::kFound;
  result.file = std::move(file);
  return result;
}

void Invalidate(const std::string& path) {
  std::lock_guard<std::mutex> lock(gMutex);
  gEntries.erase(path);
}

std::size_t CachedFileCount() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gEntries.size();
}

}  // namespace qel::cache
