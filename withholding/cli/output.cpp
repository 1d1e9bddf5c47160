#include "output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace paystave {

Output::Output() {
  text_.reserve(kChunk + 4096);
}

Output::Output(const std::string& path) : Output() {
  // Through a symbolic link to the file it names, so the link stays a link.
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::is_symlink(path, ec)
                                           ? std::filesystem::weakly_canonical(path, ec)
                                           : std::filesystem::path(path);
  path_ = ec ? path : target.string();
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  folder_ = folder.string();
  temp_ = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) {
    temp_.clear();
    Fail(errno);
  }
  struct stat existing {};
  const mode_t umask = ::umask(0);
  ::umask(umask);
  const mode_t mode =
      ::stat(path_.c_str(), &existing) == 0 ? existing.st_mode & 07777 : 0666 & ~umask;
  if (::fchmod(fd_, mode) != 0) Fail(errno);
}

Output::~Output() {
  if (!temp_.empty()) {
    ::close(fd_);
    ::unlink(temp_.c_str());
  }
}

void Output::Write() {
  const char* p = text_.data();
  std::size_t left = text_.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(n < 0 ? errno : EIO);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  text_.clear();
}

void Output::Commit() {
  Write();
  if (temp_.empty()) return;
  if (::fsync(fd_) != 0) Fail(errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) Fail(errno);
  if (::rename(temp_.c_str(), path_.c_str()) != 0) Fail(errno);
  temp_.clear();
  // The rename itself reaches the disk with the folder.
  const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

void Output::Fail(int error) const {
  throw OutputError("cannot write " + (path_.empty() ? std::string("the standard output") : path_) +
                    ": " + std::strerror(error));
}

}  // namespace paystave
