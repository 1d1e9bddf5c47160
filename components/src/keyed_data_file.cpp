#include "qel/keyed_data_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>

#include "data_file.h"
#include "ini_document.h"
#include "qel/error.h"
#include "qel/text.h"

namespace qel {

namespace {

constexpr const char* kReadSource = "KeyedDataFile.ReadValue";
constexpr const char* kWriteSource = "KeyedDataFile.WriteValue";

[[noreturn]] void Fail(long number, const char* source, std::string description) {
  throw QelError(number, source, std::move(description));
}

// Names may not hold what would end or change the meaning of their line.
void CheckName(std::string_view what, std::string_view name) {
  std::string_view t = qel::TrimBlanks(name);
  std::string quoted = "\"" + std::string(name) + "\"";
  if (t.empty())
    Fail(err::kInvalidCall, kWriteSource, "The " + std::string(what) + " name is empty");
  if (name.find_first_of(std::string_view("]=\r\n\0", 5)) != std::string_view::npos)
    Fail(err::kInvalidCall, kWriteSource,
         "The " + std::string(what) + " name " + quoted +
             " holds \"]\", \"=\", a line break or a NUL character, which a data file cannot hold");
  if (t.front() == ';' || t.front() == '[')
    Fail(err::kInvalidCall, kWriteSource,
         "The " + std::string(what) + " name " + quoted + " begins with \";\" or \"[\"");
}

void CheckValue(const std::string& path, std::string_view key, std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    Fail(err::kInvalidCall, kWriteSource,
         "The value of \"" + std::string(key) + "\" for " + path +
             " holds a line break or a NUL character, which a data file cannot hold");
}

std::string KeyLine(std::string_view key, std::string_view value) {
  return std::string(qel::TrimBlanks(key)) + "=" + ini::EncodeValue(value);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string ErrnoText(int e) {
  return std::strerror(e);
}

// The file a path names once symbolic links at its end are followed, dangling ones included (a
// relative link is taken from the link's own folder); folders on the way are left to the system.
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::error_code ec;
    std::filesystem::path next = std::filesystem::read_symlink(current, ec);
    if (ec) return current;
    if (next.is_relative()) next = std::filesystem::path(current).parent_path() / next;
    current = next.string();
  }
  Fail(err::kPathFileAccess, kWriteSource,
       "Cannot save " + path + ": " + ErrnoText(ELOOP) + " (a loop of symbolic links)");
}

// The folder of a file being saved, open and locked (flock) for the whole save, so that savers of
// files of the folder take turns. Closing it releases the lock, and so does the end of a crashed
// process. Where no lock can be had (a file system without locks, a folder the user may not list)
// the save goes ahead unlocked.
class SaveFolder {
 public:
  SaveFolder(const std::string& folder, const std::string& shown) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0 && errno == EACCES) fd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
      int e = errno;
      if (e == ENOENT || e == ENOTDIR)
        Fail(76, kWriteSource, "Path not found: the folder of " + shown + " does not exist");
      Fail(err::kPathFileAccess, kWriteSource,
           "Cannot save " + shown + ": the folder " + folder + " cannot be opened (" +
               ErrnoText(e) + ")");
    }
    int rc = 0;
    while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
    locked_ = rc == 0;
  }
  ~SaveFolder() { ::close(fd_); }
  SaveFolder(const SaveFolder&) = delete;
  SaveFolder& operator=(const SaveFolder&) = delete;

  int fd() const { return fd_; }
  bool locked() const { return locked_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

// Temporary files are ".<name>.tmp-" and this many letters and digits, so that they are told
// apart from everything else, other files' temporaries included.
constexpr std::size_t kTempChars = 12;
constexpr std::string_view kTempAlphabet =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".tmp-";
}

bool IsTemporaryOf(std::string_view entry, const std::string& name) {
  std::string prefix = TemporaryPrefix(name);
  if (entry.size() != prefix.size() + kTempChars || entry.substr(0, prefix.size()) != prefix)
    return false;
  return entry.substr(prefix.size()).find_first_not_of(kTempAlphabet) == std::string_view::npos;
}

// Removes what interrupted saves of `name` left. Only under the folder's lock: no other save of
// the folder can be under way, so every temporary of the file is stale.
void RemoveStaleTemporaries(const SaveFolder& folder, const std::string& name) {
  if (!folder.locked()) return;
  int fd = ::openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = ::readdir(listing))
    if (IsTemporaryOf(entry->d_name, name)) ::unlinkat(folder.fd(), entry->d_name, 0);
  ::closedir(listing);
}

// Replaces `name` in the folder by `bytes`: a temporary file, given the original's owner, group
// and mode before anything is written to it, flushed, then renamed over the original. On failure
// the original is untouched and the temporary removed.
void ReplaceFile(const SaveFolder& folder, const std::string& folderPath, const std::string& name,
                 const std::string& shown, std::string_view bytes, const struct stat* original) {
  std::random_device seed;
  std::mt19937_64 random((std::uint64_t{seed()} << 32) ^ seed());
  std::uniform_int_distribution<std::size_t> pick(0, kTempAlphabet.size() - 1);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TemporaryPrefix(name);
    for (std::size_t i = 0; i < kTempChars; ++i) temp += kTempAlphabet[pick(random)];
    // A new file gets the usual mode (0666 less the umask); a replacement starts private.
    fd = ::openat(folder.fd(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                  original != nullptr ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    int e = errno;
    if (e == EACCES || e == EPERM || e == EROFS)
      Fail(err::kPathFileAccess, kWriteSource,
           "Cannot save " + shown + ": the folder " + folderPath + " is read-only");
    Fail(err::kPathFileAccess, kWriteSource, "Cannot save " + shown + ": " + ErrnoText(e));
  }
  auto abandon = [&](const std::string& why) {
    ::close(fd);
    ::unlinkat(folder.fd(), temp.c_str(), 0);
    Fail(err::kPathFileAccess, kWriteSource, why);
  };
  if (original != nullptr) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) abandon("Cannot save " + shown + ": " + ErrnoText(errno));
    if ((st.st_uid != original->st_uid || st.st_gid != original->st_gid) &&
        ::fchown(fd, original->st_uid, original->st_gid) != 0)
      abandon("The file " + shown +
              " belongs to another user or group, and a save would take it over; it was left "
              "unchanged");
    if (::fchmod(fd, original->st_mode & 07777) != 0)
      abandon("Cannot save " + shown + ": " + ErrnoText(errno));
  }
  int e = 0;
  if (!WriteAll(fd, bytes)) e = errno ? errno : EIO;
  if (e == 0 && ::fsync(fd) != 0) e = errno;
  if (::close(fd) != 0 && e == 0) e = errno;
  if (e == 0 && ::renameat(folder.fd(), temp.c_str(), folder.fd(), name.c_str()) != 0) e = errno;
  if (e != 0) {
    ::unlinkat(folder.fd(), temp.c_str(), 0);
    Fail(err::kPathFileAccess, kWriteSource, "Cannot save " + shown + ": " + ErrnoText(e));
  }
  ::fsync(folder.fd());
}

}  // namespace

void KeyedDataFile::SetFileName(std::string_view path) {
  path_ = std::string(path);
  read_ = false;
  snapshot_.reset();
  problem_.clear();
}

void KeyedDataFile::TakeSnapshot() const {
  files::Reading reading = files::Read(path_);
  snapshot_ = std::move(reading.file);
  problem_ = reading.status == files::Reading::kFailed ? "The file " + path_ + " " + reading.problem
                                                       : std::string();
  read_ = true;
}

std::vector<std::string> KeyedDataFile::KeyNames(std::string_view section) const {
  if (!read_) TakeSnapshot();
  if (!problem_.empty()) Fail(err::kPathFileAccess, kReadSource, problem_);
  if (snapshot_ == nullptr) return {};
  const files::Section* s = snapshot_->Find(section);
  return s == nullptr ? std::vector<std::string>() : s->keys;
}

std::string KeyedDataFile::ReadValue(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  if (!read_) TakeSnapshot();
  if (!problem_.empty()) Fail(err::kPathFileAccess, kReadSource, problem_);
  if (snapshot_ == nullptr) return std::string(defaultValue);
  const files::Section* s = snapshot_->Find(section);
  if (s == nullptr) return std::string(defaultValue);
  auto it = s->values.find(qel::FoldedAscii(qel::TrimBlanks(key)));
  return it == s->values.end() ? std::string(defaultValue) : it->second;
}

namespace {

// Sets section/key to value in the document: replaces the key's line in the first section of that
// name, or adds the key at the end of that section, or adds the section at the end of the file.
void SetInDocument(ini::Document& doc, std::string_view section, std::string_view key,
                   std::string_view value) {
  std::string foldedSection = qel::FoldedAscii(qel::TrimBlanks(section));
  std::string foldedKey = qel::FoldedAscii(qel::TrimBlanks(key));
  std::string newLine = KeyLine(key, value);
  // The first section of that name holds the value; a later duplicate is never read.
  std::size_t sectionAt = doc.lines.size();
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    if (doc.lines[i].kind == ini::Line::kSection &&
        qel::FoldedAscii(doc.lines[i].name) == foldedSection) {
      sectionAt = i;
      break;
    }
  }
  ini::Line keyLine;
  keyLine.kind = ini::Line::kKey;
  keyLine.text = newLine;
  keyLine.name = std::string(qel::TrimBlanks(key));
  keyLine.value = std::string(value);
  if (sectionAt == doc.lines.size()) {
    ini::Line header;
    header.kind = ini::Line::kSection;
    header.name = std::string(qel::TrimBlanks(section));
    header.text = "[" + header.name + "]";
    doc.lines.push_back(header);
    doc.lines.push_back(keyLine);
  } else {
    std::size_t insertAt = sectionAt + 1;
    bool replaced = false;
    for (std::size_t i = sectionAt + 1; i < doc.lines.size(); ++i) {
      const ini::Line& l = doc.lines[i];
      if (l.kind == ini::Line::kSection) break;
      if (l.kind != ini::Line::kKey) continue;
      if (qel::FoldedAscii(l.name) == foldedKey) {
        // The key keeps the spelling it has in the file.
        std::string text = KeyLine(l.name, value);
        std::string name = l.name;
        doc.lines[i] = keyLine;
        doc.lines[i].text = std::move(text);
        doc.lines[i].name = std::move(name);
        replaced = true;
        break;
      }
      insertAt = i + 1;
    }
    if (!replaced)
      doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
  }
}

}  // namespace

void KeyedDataFile::WriteValue(std::string_view section, std::string_view key,
                               std::string_view value) {
  CheckName("section", section);
  CheckName("key", key);
  CheckValue(path_, key, value);
  Change change{std::string(section), std::string(key), std::string(value)};
  if (updating_) {
    pending_.push_back(std::move(change));
    return;
  }
  Apply({&change, 1});
}

void KeyedDataFile::BeginUpdate() {
  updating_ = true;
  pending_.clear();
}

void KeyedDataFile::CommitUpdate() {
  updating_ = false;
  std::vector<Change> changes = std::move(pending_);
  pending_.clear();
  Apply(changes);
}

void KeyedDataFile::Apply(std::span<const Change> changes) {
  if (changes.empty()) return;
  if (path_.empty()) Fail(err::kPathFileAccess, kWriteSource, "No file name was given");
  const std::string target = FollowLinks(path_);
  const std::filesystem::path targetPath(target);
  const std::string name = targetPath.filename().string();
  if (name.empty() || name == "." || name == "..")
    Fail(err::kPathFileAccess, kWriteSource, "The file " + path_ + " is not a regular file");
  std::string folderPath = targetPath.parent_path().string();
  if (folderPath.empty()) folderPath = ".";

  // From reading the file to replacing it, no other save of the folder runs.
  SaveFolder folder(folderPath, path_);
  files::RawFile raw = files::ReadBounded(folder.fd(), name);
  const bool exists = raw.status == files::RawFile::kRead;
  if (!exists && raw.status != files::RawFile::kMissing)
    Fail(err::kPathFileAccess, kWriteSource,
         "The file " + path_ + " " + files::Problem(raw) + "; it was left unchanged");
  ini::Document doc;
  std::size_t badLine = 0;
  std::string reason;
  if (exists && !ini::Parse(raw.bytes, doc, badLine, reason))
    Fail(err::kPathFileAccess, kWriteSource,
         "The file " + path_ + " is not a file of sections and keys (line " +
             std::to_string(badLine) + ": " + reason + "); it was left unchanged");

  for (const Change& c : changes) SetInDocument(doc, c.section, c.key, c.value);
  std::string updated = ini::Serialize(doc);
  // The same value again leaves the file (and its time stamp) alone.
  if (exists && updated == raw.bytes) return;
  if (updated.size() > files::kMaxFileBytes)
    Fail(err::kPathFileAccess, kWriteSource,
         "Cannot save " + path_ + ": the file would be larger than " +
             std::string(files::kMaxFileText) + "; it was left unchanged");
  // Permission to write the file, not its mode bits, decides (the superuser may write any).
  if (exists && ::faccessat(folder.fd(), name.c_str(), W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS))
    Fail(err::kPathFileAccess, kWriteSource,
         "The file " + path_ + " is read-only; it was left unchanged");

  RemoveStaleTemporaries(folder, name);
  ReplaceFile(folder, folderPath, name, path_, updated, exists ? &raw.st : nullptr);
  if (files::IsTableFile(path_) || files::IsTableFile(target)) files::ForgetTableFiles();
  read_ = false;
  snapshot_.reset();
  problem_.clear();
}

}  // namespace qel
