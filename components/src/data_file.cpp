#include "data_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "ini_document.h"
#include "qel/text.h"

namespace qel::files {

RawFile ReadBounded(int dirFd, const std::string& name) {
  RawFile raw;
  int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    raw.error = errno;
    raw.status = raw.error == ENOENT || raw.error == ENOTDIR ? RawFile::kMissing : RawFile::kFailed;
    return raw;
  }
  raw.status = RawFile::kRead;
  if (::fstat(fd, &raw.st) != 0) {
    raw.status = RawFile::kFailed;
    raw.error = errno;
  } else if (!S_ISREG(raw.st.st_mode)) {
    raw.status = RawFile::kNotRegular;
  } else if (static_cast<std::size_t>(raw.st.st_size) > kMaxFileBytes) {
    raw.status = RawFile::kTooLarge;
  } else {
    raw.bytes.resize(static_cast<std::size_t>(raw.st.st_size) + 1);
    std::size_t have = 0;
    // Read until the end, a byte past the limit (the file grew) being the end too.
    while (raw.status == RawFile::kRead) {
      if (have == raw.bytes.size()) raw.bytes.resize(std::min(have * 2, kMaxFileBytes + 1));
      ssize_t n = ::read(fd, raw.bytes.data() + have, raw.bytes.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        raw.status = RawFile::kFailed;
        raw.error = errno;
      } else if (n == 0) {
        break;
      } else if ((have += static_cast<std::size_t>(n)) > kMaxFileBytes) {
        raw.status = RawFile::kTooLarge;
      }
    }
    raw.bytes.resize(have);
  }
  ::close(fd);
  if (raw.status != RawFile::kRead) raw.bytes.clear();
  return raw;
}

std::string Problem(const RawFile& raw) {
  switch (raw.status) {
    case RawFile::kNotRegular:
      return "is not a regular file";
    case RawFile::kTooLarge:
      return "is larger than " + std::string(kMaxFileText);
    default:
      return "cannot be read (" + std::string(std::strerror(raw.error)) + ")";
  }
}

const Section* ParsedFile::Find(std::string_view section) const {
  auto it = sections.find(qel::FoldedAscii(qel::TrimBlanks(section)));
  return it == sections.end() ? nullptr : &it->second;
}

namespace {

// The sections and keys of a sound file; the first of a repeated section or key counts.
Reading Parse(const std::string& bytes) {
  Reading reading;
  ini::Document doc;
  std::size_t badLine = 0;
  std::string reason;
  if (!ini::Parse(bytes, doc, badLine, reason)) {
    reading.status = Reading::kFailed;
    reading.problem =
        "is not a file of sections and keys (line " + std::to_string(badLine) + ": " + reason + ")";
    return reading;
  }
  auto file = std::make_shared<ParsedFile>();
  Section* current = nullptr;
  bool currentIsFirst = false;
  for (const ini::Line& line : doc.lines) {
    if (line.kind == ini::Line::kSection) {
      auto [it, inserted] = file->sections.try_emplace(qel::FoldedAscii(line.name));
      if (inserted) it->second.name = line.name;
      current = &it->second;
      currentIsFirst = inserted;
    } else if (line.kind == ini::Line::kKey && current != nullptr && currentIsFirst) {
      if (current->values.try_emplace(qel::FoldedAscii(line.name), line.value).second) {
        current->keys.push_back(line.name);
      }
    }
  }
  reading.status = Reading::kFound;
  reading.file = std::move(file);
  return reading;
}

Reading ReadNow(const std::string& path) {
  if (path.empty()) return Reading();
  RawFile raw = ReadBounded(AT_FDCWD, path);
  if (raw.status == RawFile::kRead) return Parse(raw.bytes);
  Reading reading;
  if (raw.status != RawFile::kMissing) {
    reading.status = Reading::kFailed;
    reading.problem = Problem(raw);
  }
  return reading;
}

std::mutex gMutex;
std::unordered_map<std::string, std::shared_ptr<const ParsedFile>> gKept;  // path -> file

}  // namespace

bool IsTableFile(std::string_view path) {
  return path.size() > 4 && qel::EqualsIgnoreCase(path.substr(path.size() - 4), ".tbl");
}

Reading Read(const std::string& path) {
  if (!IsTableFile(path)) return ReadNow(path);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = gKept.find(path);
    if (it != gKept.end()) return Reading{Reading::kFound, it->second, {}};
  }
  // Only a sound file is kept: a missing or broken one is tried again on the next use.
  Reading reading = ReadNow(path);
  if (reading.status == Reading::kFound) {
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = gKept.find(path);
    if (it != gKept.end())
      reading.file = it->second;  // another thread was first: all see one version
    else if (gKept.size() < kMaxKeptFiles)
      gKept.emplace(path, reading.file);
  }
  return reading;
}

void ForgetTableFiles() {
  std::lock_guard<std::mutex> lock(gMutex);
  gKept.clear();
}

std::size_t KeptFileCount() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gKept.size();
}

}  // namespace qel::files
