// Comma-separated values (RFC 4180), read strictly and fast, and written with quotes where needed.
//
// Reading: a record ends at a line end outside quotes: LF, CR LF or a bare CR. A field that starts
// with a double quote is quoted and may hold commas, line breaks and doubled quotes (one quote
// each); a UTF-8 byte order mark at the start is skipped; the last record need not end with a line
// break. Records whose fields are all empty (blank lines, ",,,") are skipped. A quote inside an
// unquoted field or text after a closing quote makes that record malformed: it is returned with an
// error and reading goes on with the next record.
//
// Limits keep a damaged file from taking the memory: a quoted field holds at most kMaxQuotedField
// bytes and a record at most kMaxRecord bytes. Past either, or with a quote still open at the end
// of the input, reading stops with CsvLimitError naming the line where the record (or the open
// quote) began: one stray quote would otherwise swallow the rest of the file.
//
// The input is read in chunks into one buffer, which grows only for a record longer than it (up
// to the record limit); fields are views into that buffer (quoted fields are unquoted in place),
// valid until the next call. A record is scanned once however the reads split it, so a long record
// from a pipe costs no more than from a file.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

struct CsvRecord {
  std::vector<std::string_view> fields;
  long line = 0;      // the line the record starts on, from 1
  std::string error;  // why the record is malformed; empty when it is sound
};

// Reading cannot go on: a record or a quoted field over its limit, or a quote never closed.
class CsvLimitError : public std::runtime_error {
 public:
  CsvLimitError(long line, const std::string& what) : std::runtime_error(what), line_(line) {}
  long line() const { return line_; }

 private:
  long line_;
};

// Whole records as read, for splitting elsewhere (another thread): their bytes one after the
// other, and where each begins and ends (without its line end) and on which line.
struct CsvBlock {
  struct Span {
    std::size_t begin, end;
    long line;
  };
  std::string text;
  std::vector<Span> records;
  void Clear() {
    text.clear();
    records.clear();
  }
  // Record `i` split into `record` (quoted fields unquoted in place in `text`).
  void Split(std::size_t i, CsvRecord& record);
};

class CsvReader {
 public:
  static constexpr std::size_t kMaxQuotedField = std::size_t{1} << 16;  // 64 KiB
  static constexpr std::size_t kMaxRecord = std::size_t{1} << 20;       // 1 MiB

  // Fills up to `size` bytes at `into`; returns the count, 0 at the end of the input. Throws on
  // a read error.
  using Source = std::function<std::size_t(char* into, std::size_t size)>;

  explicit CsvReader(Source source, std::size_t bufferSize = std::size_t{1} << 20);

  // The next record that is not blank; false at the end of the input. Throws CsvLimitError.
  bool Next(CsvRecord& record);
  // Appends whole records to `block` until it holds at least `bytes` of them or the input ends;
  // false when no record was left. Blank records are passed on (Split gives them no fields to
  // skip them by). Throws CsvLimitError.
  bool NextBlock(CsvBlock& block, std::size_t bytes);

 private:
  // Where the record starting at begin_ ends: false at the end of the input when no record is
  // left; else its content is [begin_, *contentEnd) and the next one starts at *next.
  bool FindRecord(std::size_t& contentEnd, std::size_t& next, long& lines);
  bool Fill();  // reads more after the data held; false at the end of the input
  [[noreturn]] void TooLong() const;
  void Start();

  Source source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // the unread data is buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool eof_ = false;
  bool started_ = false;
  long line_ = 1;
  // How far the record at begin_ has been scanned, so that more data resumes the scan.
  struct Scan {
    std::size_t at = 0;  // offset from begin_
    bool quoted = false;
    std::size_t quoteAt = 0;  // offset of the open quote
    long quoteLine = 0;
    long lines = 0;  // line ends inside the record so far
  } scan_;
};

// Splits one record's content (no line end) into `record.fields`; quoted fields are unquoted in
// place. Sets record.error for a malformed record.
void SplitCsvRecord(char* begin, char* end, CsvRecord& record);

// True when every field of the record is empty: a blank line or ",,,", skipped by readers.
bool IsBlankCsvRecord(const CsvRecord& record);

// Appends `field` to `out`, in double quotes (inner quotes doubled) when it holds a comma, a
// quote, a line break or a blank at either end.
void AppendCsvField(std::string& out, std::string_view field);

}  // namespace qel
