// Where paystave's results go: standard output, or a file that is written whole or not at all
// (a temporary file beside it, flushed to disk and renamed over it at the end).
#pragma once

#include <stdexcept>
#include <string>

namespace paystave {

// A failure to write, with a message naming what could not be written.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Output {
 public:
  // Standard output.
  Output();
  // The file `path`; its temporary file is created now, so an unusable path fails at once. An
  // existing file keeps its permissions; a symbolic link is written through.
  explicit Output(const std::string& path);
  // Without Commit, a file's temporary file is removed and the file left as it was.
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Text to write is appended here; Flushed() writes it out once enough has gathered.
  std::string& Text() { return text_; }
  void Flushed() {
    if (text_.size() >= kChunk) Write();
  }
  // Writes what is left and, for a file, puts it in place.
  void Commit();

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;
  void Write();
  [[noreturn]] void Fail(int error) const;

  int fd_ = 1;
  std::string path_;  // empty for standard output
  std::string folder_;
  std::string temp_;
  std::string text_;
};

}  // namespace paystave
