// Comma-separated values (RFC 4180), read strictly and fast, and written with quotes where needed.
//
// Reading: records end at LF or CR LF outside quotes; a field that starts with a double quote is
// quoted and may hold commas, line breaks and doubled quotes (one quote each); a UTF-8 byte order
// mark at the start is skipped; the last record need not end with a line break. Records whose
// fields are all empty (blank lines, ",,,") are skipped. A quote inside an unquoted field, text
// after a closing quote, or a quoted field still open at the end of the input makes that record
// malformed: it is returned with an error and reading goes on with the next line.
//
// The input is read in chunks into one buffer, which grows only for a record longer than it;
// fields are views into that buffer (quoted fields are unquoted in place), valid until the next
// call. Nothing is allocated per record once the buffer and the field list have their size.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace paystave {

struct CsvRecord {
  std::vector<std::string_view> fields;
  long line = 0;      // the line the record starts on, from 1
  std::string error;  // why the record is malformed; empty when it is sound
};

class CsvReader {
 public:
  // Fills up to `size` bytes at `into`; returns the count, 0 at the end of the input. Throws on
  // a read error.
  using Source = std::function<std::size_t(char* into, std::size_t size)>;

  explicit CsvReader(Source source, std::size_t bufferSize = std::size_t{1} << 20);

  // The next record that is not blank; false at the end of the input.
  bool Next(CsvRecord& record);

 private:
  bool Fill();  // reads more after the data held; false at the end of the input
  // The end of the record starting at begin_: its line feed, or nullptr when the data held ends
  // first. `plain` tells whether the record holds no quote.
  char* FindEnd(bool& plain);
  static void Split(char* begin, char* end, bool plain, CsvRecord& record);

  Source source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // the unread data is buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool eof_ = false;
  bool started_ = false;
  long line_ = 1;
};

// Appends `field` to `out`, in double quotes (inner quotes doubled) when it holds a comma, a
// quote, a line break or a blank at either end.
void AppendCsvField(std::string& out, std::string_view field);

}  // namespace paystave
