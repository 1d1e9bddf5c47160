#include "qel/keyed_data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "file_cache.h"
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

std::string ReadAll(int fd, bool& ok) {
  std::string bytes;
  char buf[65536];
  ok = true;
  while (true) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  return bytes;
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

// Replaces `target` by `bytes`: a temporary file in the same folder, flushed, then renamed over
// the original. On failure the original is untouched and the temporary removed.
void ReplaceFile(const std::string& target, std::string_view bytes, const struct stat* original) {
  std::filesystem::path targetPath(target);
  std::filesystem::path folder = targetPath.parent_path();
  if (folder.empty()) folder = ".";
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = (folder / ("." + targetPath.filename().string() + ".tmp" + std::to_string(::getpid()) +
                      "." + std::to_string(counter++) + "." + std::to_string(rd() % 100000)))
               .string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    int e = errno;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      Fail(76, kWriteSource, "Path not found: the folder of " + target + " does not exist");
    Fail(err::kPathFileAccess, kWriteSource,
         "Cannot write " + target + ": " + std::string(std::strerror(e)));
  }
  int e = 0;
  if (!WriteAll(fd, bytes)) e = errno ? errno : EIO;
  if (e == 0 && original != nullptr && ::fchmod(fd, original->st_mode & 07777) != 0) e = errno;
  if (e == 0 && ::fsync(fd) != 0) e = errno;
  if (::close(fd) != 0 && e == 0) e = errno;
  if (e == 0 && ::rename(temp.c_str(), target.c_str()) != 0) e = errno;
  if (e != 0) {
    ::unlink(temp.c_str());
    Fail(err::kPathFileAccess, kWriteSource,
         "Cannot write " + target + ": " + std::string(std::strerror(e)));
  }
  int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

}  // namespace

void KeyedDataFile::SetFileName(std::string_view path) {
  path_ = std::string(path);
}

std::string KeyedDataFile::ReadValue(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  cache::Lookup found = cache::Get(path_);
  if (found.status == cache::Status::kMissing) return std::string(defaultValue);
  if (found.status == cache::Status::kUnreadable)
    Fail(err::kPathFileAccess, kReadSource, "Cannot read " + path_ + ": " + found.problem);
  if (!found.file->problem.empty())
    Fail(err::kPathFileAccess, kReadSource,
         "The file " + path_ + " is not a file of sections and keys (" + found.file->problem + ")");
  const cache::Section* s = found.file->Find(section);
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
  // Write through a symbolic link to the file it names, so the link survives.
  std::string target = path_;
  struct stat lst {};
  if (::lstat(path_.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path_, ec);
    if (!ec) target = resolved.string();
  }

  ini::Document doc;
  struct stat st {};
  bool exists = false;
  std::string original;
  int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    int e = 0;
    if (::fstat(fd, &st) != 0)
      e = errno;
    else if (S_ISDIR(st.st_mode))
      e = EISDIR;
    bool ok = e == 0;
    std::string bytes;
    if (ok) {
      bytes = ReadAll(fd, ok);
      if (!ok) e = errno;
    }
    ::close(fd);
    if (!ok)
      Fail(err::kPathFileAccess, kWriteSource,
           "Cannot read " + path_ + ": " + std::string(std::strerror(e ? e : EIO)));
    std::size_t badLine = 0;
    std::string reason;
    if (!ini::Parse(bytes, doc, badLine, reason))
      Fail(err::kPathFileAccess, kWriteSource,
           "The file " + path_ + " is not a file of sections and keys (line " +
               std::to_string(badLine) + ": " + reason + "); it was left unchanged");
    exists = true;
    original = std::move(bytes);
  } else if (errno != ENOENT) {
    int e = errno;
    if (e == ENOTDIR)
      Fail(76, kWriteSource, "Path not found: the folder of " + path_ + " does not exist");
    Fail(err::kPathFileAccess, kWriteSource, "Cannot read " + path_ + ": " + std::strerror(e));
  }

  for (const Change& c : changes) SetInDocument(doc, c.section, c.key, c.value);

  cache::Invalidate(path_);
  cache::Invalidate(target);
  std::string updated = ini::Serialize(doc);
  // The same value again leaves the file (and its time stamp) alone.
  if (exists && updated == original) return;
  ReplaceFile(target, updated, exists ? &st : nullptr);
  cache::Invalidate(path_);
  cache::Invalidate(target);
}

}  // namespace qel
