// The batch pipeline of the commands that run over a CSV file one row at a time: the reader hands
// out blocks of whole records, workers turn each block into output text (each worker with a row
// handler of its own), and the writer passes the blocks' text on in input order. Memory stays flat:
// only a few blocks per worker are in flight.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "qel/csv.h"
#include "qel/currency.h"
#include "qel/error.h"

namespace qel {

// What one worker does with a row. Used by one thread at a time.
class BatchRows {
 public:
  virtual ~BatchRows() = default;
  // Appends the row's output to `out` and, when the row is bad, a message to `problems`; returns
  // false for a bad row. Rows that are blank (IsBlankCsvRecord) are never handed over.
  virtual bool Row(const CsvRecord& row, std::string& out, std::string& problems) = 0;
};

struct BatchCounts {
  long rows = 0;
  long bad = 0;
};

// An amount as batch files write it: an optional minus, digits, an optional point and at most
// four decimals ("." whatever the locale; no thousands separators); empty text is 0. Returns
// nullptr, or why the text is none ("is not a number", "is too large").
const char* ParseBatchAmount(std::string_view text, Currency& value);
// Appends the amount with two decimals, halves away from zero, "." and no thousands separators.
void AppendBatchAmount(std::string& out, Currency value);

// A source for CsvReader that reads the open file descriptor `fd` (a read interrupted by a signal
// is retried; a failed one throws std::system_error naming `name`). When `copy` is open, every
// byte read is written to it as well.
CsvReader::Source ReadDescriptor(int fd, std::string name, std::FILE* copy = nullptr);

// An engine's error as a row handler meets it: "Out of memory" (7, the engines' form of
// std::bad_alloc) is thrown on as std::bad_alloc, since it ends the run rather than marking the row
// bad; any other error is for the row, and this returns.
void ThrowIfOutOfMemory(const QelError& error);

// Every core the machine reports, at least 1.
unsigned DefaultBatchJobs();
// The value of a --jobs option: a whole number from 1 to kMaxBatchJobs. False for anything else.
inline constexpr unsigned kMaxBatchJobs = 1024;
bool ParseBatchJobs(std::string_view text, unsigned& jobs);

// A seam for tests: called before each worker thread is started; what it throws stands for a
// failure to start the thread.
struct BatchTestCalls {
  void (*startingThread)() = nullptr;
};
BatchTestCalls& BatchTestSeam();

// Runs every row after the header (already read) through the handlers `makeRows` makes, one per
// worker, on `jobs` threads (1: on this thread, no other), and hands the output and the problems
// of consecutive rows to `write` in input order. An exception of the reader, of a handler or of
// `write` stops the run (every worker joined) and is thrown on. When the system refuses some of the
// threads (a limit on processes or memory), the run goes on with those it got, or on this thread.
BatchCounts RunBatch(
    CsvReader& reader, unsigned jobs, const std::function<std::unique_ptr<BatchRows>()>& makeRows,
    const std::function<void(std::string_view out, std::string_view problems)>& write);

}  // namespace qel
