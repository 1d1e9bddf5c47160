#include "qel/safe_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "qel/error.h"
#include "qel/final_link.h"

namespace qel {

namespace {

// Temporary files are ".<name>.tmp-" and this many letters and digits, so that they are told
// apart from everything else, other files' temporaries included.
constexpr std::size_t kTempChars = 12;
constexpr std::string_view kTempAlphabet =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".tmp-";
}

bool IsTemporaryOf(std::string_view entry, const std::string& name) {
  const std::string prefix = TemporaryPrefix(name);
  if (entry.size() != prefix.size() + kTempChars || entry.substr(0, prefix.size()) != prefix)
    return false;
  return entry.substr(prefix.size()).find_first_not_of(kTempAlphabet) == std::string_view::npos;
}

bool IsDevice(const struct stat& st) {
  return S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `name` in the folder is still the file open as `fd`.
bool StillNamed(int folder, const std::string& name, int fd) {
  struct stat named {};
  struct stat open {};
  return ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstat(fd, &open) == 0 && SameFile(named, open);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

SafeWrite::Calls& SafeWrite::TestCalls() {
  static Calls calls;
  return calls;
}

void SafeWrite::Fail(long number, const std::string& description) const {
  throw QelError(number, options_.source, description);
}

std::string SafeWrite::Cannot() const {
  return "Cannot " + std::string(options_.verb) + " " + shown_ + ": ";
}

void SafeWrite::FailErrno(int error) const {
  Fail(err::kPathFileAccess, Cannot() + std::strerror(error));
}

SafeWrite::SafeWrite(const std::string& path, Options options) : options_(options), shown_(path) {
  if (path.empty()) Fail(err::kPathFileAccess, "No file name was given");
  const FinalTarget target = FollowFinalLinks(path);
  if (!target.ok()) Fail(err::kPathFileAccess, Cannot() + target.refusal + "; nothing was written");
  // A device or FIFO is opened by the name given, as the kernel finds it (also through the links
  // of /dev/stdout and /proc/self/fd, which name no file of a folder).
  struct stat found {};
  if (options_.special && ::stat(path.c_str(), &found) == 0 && IsDevice(found)) {
    direct_ = true;
    existed_ = true;
    target_ = found;
    return;
  }
  const std::filesystem::path targetPath(target.path);
  name_ = targetPath.filename().string();
  if (name_.empty() || name_ == "." || name_ == "..")
    Fail(err::kPathFileAccess, "The file " + shown_ + " is not a regular file");
  folderPath_ = targetPath.parent_path().string();
  if (folderPath_.empty()) folderPath_ = ".";

  folder_ = ::open(folderPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder the user may write but not list is still a place to write in.
  if (folder_ < 0 && errno == EACCES)
    folder_ = ::open(folderPath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    const int e = errno;
    if (e == ENOENT || e == ENOTDIR)
      Fail(76, "Path not found: the folder of " + shown_ + " does not exist");
    Fail(err::kPathFileAccess,
         Cannot() + "the folder " + folderPath_ + " cannot be opened (" + std::strerror(e) + ")");
  }
  try {
    if (::fstatat(folder_, name_.c_str(), &target_, AT_SYMLINK_NOFOLLOW) == 0) {
      existed_ = true;
      if (S_ISLNK(target_.st_mode))  // put there since the links were followed
        Fail(err::kPathFileAccess,
             Cannot() + "it changed into a symbolic link; nothing was written");
      if (!S_ISREG(target_.st_mode))
        Fail(err::kPathFileAccess,
             "The file " + shown_ + " is not a regular file; it was left unchanged");
    } else if (errno != ENOENT) {
      FailErrno(errno);
    }
    if (options_.lock) TakeLock();
  } catch (...) {
    Abandon();
    throw;
  }
}

SafeWrite::~SafeWrite() {
  if (!done_) Abandon();
}

void SafeWrite::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlinkat(folder_, temp_.c_str(), 0);
  temp_.clear();
  // A file made only to be locked goes again, unless another writer has put a file there since.
  if (placeholder_ && locked_ && StillNamed(folder_, name_, lock_))
    ::unlinkat(folder_, name_.c_str(), 0);
  placeholder_ = false;
  if (lock_ >= 0) ::close(lock_);
  lock_ = -1;
  locked_ = false;
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
}

// Locks the file itself: open it (or create it empty), wait a bounded time for its lock, and
// start again when another writer replaced it meanwhile, until the lock is on the file the name
// holds.
void SafeWrite::TakeLock() {
  const auto deadline = std::chrono::steady_clock::now() + TestCalls().lockWait;
  const std::string cannot = Cannot();
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    placeholder_ = false;
    lock_ = ::openat(folder_, name_.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (lock_ < 0 && errno == ENOENT) {
      lock_ = ::openat(folder_, name_.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0600);
      placeholder_ = lock_ >= 0;
      if (lock_ < 0 && errno == EEXIST) continue;  // another writer made it first
    }
    if (lock_ < 0) {
      const int e = errno;
      if (e == EACCES || e == EPERM || e == EROFS) {
        if (existed_)
          Fail(err::kPathFileAccess, "The file " + shown_ + " cannot be read (" + std::strerror(e) +
                                         "); it was left unchanged");
        Fail(err::kPathFileAccess, cannot + "the folder " + folderPath_ + " is read-only");
      }
      if (e == ELOOP)
        Fail(err::kPathFileAccess, cannot + "it changed into a symbolic link; nothing was written");
      FailErrno(e);
    }
    struct stat st {};
    if (::fstat(lock_, &st) != 0) FailErrno(errno);
    if (!S_ISREG(st.st_mode))
      Fail(err::kPathFileAccess,
           "The file " + shown_ + " is not a regular file; it was left unchanged");
    int rc;
    while ((rc = TestCalls().flock(lock_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0 && errno != EWOULDBLOCK) {
      const int e = errno;
      // No one can lock it either: a file made only to be locked goes again.
      if (placeholder_ && StillNamed(folder_, name_, lock_)) ::unlinkat(folder_, name_.c_str(), 0);
      placeholder_ = false;
      Fail(err::kPathFileAccess, cannot + "no lock can be taken in the folder " + folderPath_ +
                                     " (" + std::strerror(e) +
                                     "), and a save is never made without one");
    }
    if (rc != 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        const auto wait = TestCalls().lockWait.count();
        Fail(err::kPathFileAccess, cannot + "another program has kept it locked for " +
                                       (wait % 1000 == 0 ? std::to_string(wait / 1000) + " seconds"
                                                         : std::to_string(wait) + " milliseconds") +
                                       " in the folder " + folderPath_ +
                                       "; nothing was written, try again later");
      }
      std::this_thread::sleep_for(pause);
      pause = std::min(pause * 2, std::chrono::milliseconds(50));
      // Tried again from the start: the file may have been replaced meanwhile.
      ::close(lock_);
      lock_ = -1;
      continue;
    }
    locked_ = true;
    if (StillNamed(folder_, name_, lock_)) {
      existed_ = !placeholder_;
      if (existed_) target_ = st;
      return;
    }
    // Replaced (or removed) while we waited: lock what the name holds now.
    ::close(lock_);
    lock_ = -1;
    locked_ = false;
  }
}

// Removes what unfinished writes of the file left: every temporary of it whose lock can be had.
void SafeWrite::RemoveStaleTemporaries() const {
  const int fd = ::openat(folder_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // a folder that cannot be listed
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (!IsTemporaryOf(entry->d_name, name_)) continue;
    const int stale =
        ::openat(folder_, entry->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (stale < 0) continue;
    if (::flock(stale, LOCK_EX | LOCK_NB) == 0 && StillNamed(folder_, entry->d_name, stale))
      ::unlinkat(folder_, entry->d_name, 0);
    ::close(stale);
  }
  ::closedir(listing);
}

void SafeWrite::Begin() {
  const std::string cannot = Cannot();
  if (direct_) {
    fd_ = ::open(shown_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) FailErrno(errno);
    return;
  }
  // Permission to write the file, not its mode bits, decides (the superuser may write any).
  if (existed_ && ::faccessat(folder_, name_.c_str(), W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS))
    Fail(err::kPathFileAccess, "The file " + shown_ + " is read-only; it was left unchanged");
  RemoveStaleTemporaries();

  std::random_device seed;
  std::mt19937_64 random((std::uint64_t{seed()} << 32) ^ seed());
  std::uniform_int_distribution<std::size_t> pick(0, kTempAlphabet.size() - 1);
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = TemporaryPrefix(name_);
    for (std::size_t i = 0; i < kTempChars; ++i) temp_ += kTempAlphabet[pick(random)];
    fd_ =
        ::openat(folder_, temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0 && errno != EEXIST) break;
    // Ours from now on; one that another writer's clean-up took in the instant before the lock
    // is given up for a new one.
    if (fd_ >= 0 && (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || !StillNamed(folder_, temp_, fd_))) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  if (fd_ < 0) {
    const int e = errno;
    temp_.clear();
    if (e == EACCES || e == EPERM || e == EROFS)
      Fail(err::kPathFileAccess, cannot + "the folder " + folderPath_ + " is read-only");
    FailErrno(e);
  }
  // The replacement keeps the owner and group (a folder's set-group-id bit may have given the
  // temporary another group).
  if (existed_) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) FailErrno(errno);
    if ((st.st_uid != target_.st_uid || st.st_gid != target_.st_gid) &&
        ::fchown(fd_, target_.st_uid, target_.st_gid) != 0)
      Fail(err::kPathFileAccess,
           "The file " + shown_ +
               " belongs to another user or group, and a save would take it over; it was left "
               "unchanged");
  }
}

void SafeWrite::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) FailErrno(n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void SafeWrite::Commit() {
  Calls& calls = TestCalls();
  if (direct_) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) FailErrno(errno);
    done_ = true;
    Abandon();
    return;
  }
  const mode_t mode = existed_ ? target_.st_mode & 07777 : 0666 & ~CurrentUmask();
  if (::fchmod(fd_, mode) != 0) FailErrno(errno);
  if (calls.fsync(fd_) != 0) FailErrno(errno);
  if (calls.renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) FailErrno(errno);
  temp_.clear();
  placeholder_ = false;  // replaced by the file itself
  // The rename itself reaches the disk with the folder (not possible in a folder that cannot
  // be read; the file is in place all the same).
  calls.fsync(folder_);
  done_ = true;
  Abandon();  // closes everything; the lock goes with the descriptors
}

void SafeWrite::Replace(std::string_view bytes) {
  Begin();
  Write(bytes);
  Commit();
}

}  // namespace qel
