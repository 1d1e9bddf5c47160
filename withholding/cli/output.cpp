#include "output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "qel/error.h"
#include "qel/final_link.h"
#include "qel/safe_write.h"

namespace paystave {

namespace {

[[noreturn]] void Rethrow(const qel::QelError& e) {
  throw OutputError(e.description());
}

}  // namespace

Output::Output() {
  text_.reserve(kChunk + 4096);
}

Output::Output(const std::string& path) : Output() {
  try {
    file_ = std::make_unique<qel::SafeWrite>(
        path, qel::SafeWrite::Options{.source = "paystave", .verb = "write", .special = true});
    file_->Begin();
  } catch (const qel::QelError& e) {
    Rethrow(e);
  }
}

Output::~Output() = default;

void Output::Write() {
  if (file_ != nullptr) {
    try {
      file_->Write(text_);
    } catch (const qel::QelError& e) {
      Rethrow(e);
    }
    text_.clear();
    return;
  }
  const char* p = text_.data();
  std::size_t left = text_.size();
  while (left > 0) {
    const ssize_t n = ::write(1, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw OutputError(std::string("cannot write the standard output: ") +
                        std::strerror(n < 0 ? errno : EIO));
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  text_.clear();
}

void Output::Commit() {
  Write();
  if (file_ == nullptr) return;
  try {
    file_->Commit();
  } catch (const qel::QelError& e) {
    Rethrow(e);
  }
}

bool OutputIsInput(int input, const std::string& output) {
  struct stat in {};
  struct stat out {};
  if (::fstat(input, &in) != 0 || !S_ISREG(in.st_mode)) return false;
  const qel::FinalTarget target = qel::FollowFinalLinks(output);
  return ::stat(target.path.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
         in.st_ino == out.st_ino;
}

}  // namespace paystave
