#include "file_cache.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "ini_document.h"
#include "qel/error.h"
#include "qel/text.h"
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
  // Watched entries are kept current by change notifications (no stat per lookup); the others
  // are checked against the file's identity on every lookup.
  bool watched = false;
  bool stale = false;
  int fileWd = -1;
  int folderWd = -1;
  std::string name;  // the file's name within its folder
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
      auto [it, inserted] = file->sections.try_emplace(qel::FoldedAscii(line.name));
      if (inserted) it->second.name = line.name;
      current = &it->second;
      currentIsFirst = inserted;
    } else if (line.kind == ini::Line::kKey && current != nullptr && currentIsFirst) {
      current->values.try_emplace(qel::FoldedAscii(line.name), line.value);
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
  auto it = sections.find(qel::FoldedAscii(qel::TrimBlanks(section)));
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
  if (section == nullptr || qel::TrimBlanks(sectionName).empty())
    return fail("The section does not exist");
  for (std::size_t n = 1;; ++n) {
    std::string key = "bracket" + std::to_string(n);
    auto it = section->values.find(key);
    if (it == section->values.end()) break;
    std::string_view row = it->second;
    std::string_view fields[3];
    std::size_t count = 0;
    while (true) {
      row = qel::TrimBlanks(row);
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
  std::string key = qel::FoldedAscii(qel::TrimBlanks(section));
  {
    std::lock_guard<std::mutex> lock(tablesMutex_);
    auto it = tables_.find(key);
    if (it != tables_.end()) return it->second;
  }
  auto table = ParseTable(path, *this, section);
  std::lock_guard<std::mutex> lock(tablesMutex_);
  return tables_.try_emplace(key, std::move(table)).first->second;
}

namespace {

// Change notifications: one inotify instance for the process. Each watched entry has a watch on
// the file itself (content, time stamps, link count: also a rename over it) and one on its folder
// (the name replaced, removed or created). Events are queued by the kernel as the change happens,
// so draining the queue at the start of a lookup sees every change made before the lookup.
int gNotifyFd = -1;
bool gNotifyTried = false;
bool gWatchingEnabled = true;
std::unordered_map<int, int> gWatchRefs;  // watch descriptor -> entries using it

constexpr std::uint32_t kFileEvents =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MOVE_SELF | IN_DELETE_SELF;

void ReleaseWatch(int& wd) {
  if (wd < 0) return;
  auto it = gWatchRefs.find(wd);
  if (it != gWatchRefs.end() && --it->second == 0) {
    gWatchRefs.erase(it);
    ::inotify_rm_watch(gNotifyFd, wd);
  }
  wd = -1;
}

void ReleaseWatches(Entry& e) {
  ReleaseWatch(e.fileWd);
  ReleaseWatch(e.folderWd);
  e.watched = false;
}

void Erase(std::unordered_map<std::string, Entry>::iterator it) {
  ReleaseWatches(it->second);
  gEntries.erase(it);
}

// Network and user-space file systems do not report changes made elsewhere.
bool NotifiesReliably(const std::string& path) {
  struct statfs fs {};
  if (::statfs(path.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x65735546UL:  // FUSE
    case 0x00C36400UL:  // Ceph
    case 0x5346414FUL:  // AFS
    case 0x01021997UL:  // 9P
    case 0x47504653UL:  // GPFS
    case 0x0BD00BD0UL:  // Lustre
      return false;
    default:
      return true;
  }
}

int AddWatch(const std::string& path, std::uint32_t mask) {
  int wd = ::inotify_add_watch(gNotifyFd, path.c_str(), mask);
  if (wd >= 0) ++gWatchRefs[wd];
  return wd;
}

// Sets up the watches of an entry before its file is read, so no change can slip in between.
void Watch(const std::string& path, Entry& e) {
  if (!gWatchingEnabled || path.empty() || path.front() != '/') return;
  if (!gNotifyTried) {
    gNotifyTried = true;
    gNotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  }
  if (gNotifyFd < 0 || !NotifiesReliably(path)) return;
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  e.name = path.substr(slash + 1);
  e.folderWd = AddWatch(folder, kFolderEvents | IN_ONLYDIR);
  e.fileWd = AddWatch(path, kFileEvents);
  e.watched = e.folderWd >= 0 && e.fileWd >= 0;
  if (!e.watched) ReleaseWatches(e);
}

void MarkAllStale() {
  for (auto& [path, e] : gEntries)
    if (e.watched) e.stale = true;
}

void Drain() {
  if (gNotifyFd < 0) return;
  alignas(inotify_event) char buf[8192];
  while (true) {
    ssize_t n = ::read(gNotifyFd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // Nothing pending (EAGAIN) is the usual case; any other failure trusts nothing.
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) MarkAllStale();
      return;
    }
    for (char* p = buf; p < buf + n;) {
      auto* ev = reinterpret_cast<inotify_event*>(p);
      p += sizeof(inotify_event) + ev->len;
      if ((ev->mask & IN_Q_OVERFLOW) != 0) {
        MarkAllStale();
        continue;
      }
      std::string_view name = ev->len != 0 ? std::string_view(ev->name) : std::string_view();
      for (auto& [path, e] : gEntries) {
        if (!e.watched) continue;
        if (e.fileWd == ev->wd || (e.folderWd == ev->wd && (name.empty() || name == e.name)))
          e.stale = true;
      }
      if ((ev->mask & IN_IGNORED) != 0) {
        // The kernel dropped the watch (file gone): forget it without removing it again.
        if (gWatchRefs.erase(ev->wd) != 0) {
          for (auto& [path, e] : gEntries) {
            if (e.fileWd == ev->wd) e.fileWd = -1;
            if (e.folderWd == ev->wd) e.folderWd = -1;
          }
        }
      }
    }
  }
}

bool ReadWhole(const std::string& path, std::string& bytes, struct stat& st, int& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  bool ok = ::fstat(fd, &st) == 0;
  error = ok ? 0 : errno;
  if (ok && S_ISDIR(st.st_mode)) {
    ok = false;
    error = EISDIR;
  }
  char buf[65536];
  while (ok) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      error = errno;
    } else if (n == 0) {
      break;
    } else {
      bytes.append(buf, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return ok;
}

Lookup Found(Entry& e) {
  e.lastUse = ++gClock;
  Lookup result;
  result.status = Status::kFound;
  result.file = e.file;
  return result;
}

Lookup NotFound(int error) {
  Lookup result;
  if (error == ENOENT || error == ENOTDIR) return result;
  result.status = Status::kUnreadable;
  result.problem = error == EISDIR ? "it is a folder" : ErrnoText(error);
  return result;
}

}  // namespace

Lookup Get(const std::string& path) {
  if (path.empty()) return Lookup();
  std::lock_guard<std::mutex> lock(gMutex);
  Drain();
  auto it = gEntries.find(path);
  if (it != gEntries.end()) {
    Entry& e = it->second;
    if (e.watched && !e.stale) return Found(e);
    if (!e.watched && !e.racy) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && IdentityOf(st) == e.id)
        return Found(e);
    }
    Erase(it);
  }

  // Read afresh, with the watches in place first.
  if (gEntries.size() >= kMaxFiles) {
    auto oldest = gEntries.begin();
    for (auto i = gEntries.begin(); i != gEntries.end(); ++i)
      if (i->second.lastUse < oldest->second.lastUse) oldest = i;
    Erase(oldest);
  }
  Entry fresh;
  Watch(path, fresh);
  std::string bytes;
  struct stat st {};
  int error = 0;
  if (!ReadWhole(path, bytes, st, error)) {
    ReleaseWatches(fresh);
    return NotFound(error);
  }
  fresh.id = IdentityOf(st);
  fresh.racy = IsRacy(fresh.id);
  fresh.file = Build(bytes);
  Entry& entry = gEntries[path] = std::move(fresh);
  return Found(entry);
}

void Invalidate(const std::string& path) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto it = gEntries.find(path);
  if (it != gEntries.end()) Erase(it);
}

void SetWatching(bool enabled) {
  std::lock_guard<std::mutex> lock(gMutex);
  while (!gEntries.empty()) Erase(gEntries.begin());
  gWatchingEnabled = enabled;
}

std::size_t CachedFileCount() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gEntries.size();
}

}  // namespace qel::cache
