// Where paystave's results go: standard output, or a file that is written whole or not at all
// (qel::SafeWrite: a temporary file beside it, flushed to disk and renamed over it at the end; a
// device or FIFO is written directly).
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace qel {
class SafeWrite;
}

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
  // existing file keeps its permissions; a symbolic link is written through where the
  // final-link rule allows it.
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

  std::unique_ptr<qel::SafeWrite> file_;  // null for standard output
  std::string text_;
};

// Whether the output file is the input (open as `input`) itself, under whatever name (another
// spelling, a link, a hard link, standard input redirected from it): writing it would replace
// the input.
bool OutputIsInput(int input, const std::string& output);

}  // namespace paystave
