// Feeds arbitrary bytes to the CSV reader: it must never crash, must give the same records however
// the input is split into reads and whether it is read a record or a block at a time, and every
// sound record written back with AppendCsvField must read back the same.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/csv.h"

namespace {

struct Record {
  long line;
  std::string error;
  std::vector<std::string> fields;
  bool operator==(const Record&) const = default;
};

struct Reading {
  std::vector<Record> records;
  long stoppedAt = 0;
  bool operator==(const Reading&) const = default;
};

void Add(Reading& reading, const qel::CsvRecord& r) {
  reading.records.push_back({r.line, r.error, {r.fields.begin(), r.fields.end()}});
}

Reading Read(std::string_view input, std::size_t chunk, std::size_t buffer, bool blocks) {
  std::size_t at = 0;
  qel::CsvReader reader(
      [&](char* into, std::size_t size) {
        const std::size_t n = std::min({size, chunk, input.size() - at});
        std::memcpy(into, input.data() + at, n);
        at += n;
        return n;
      },
      buffer);
  Reading reading;
  qel::CsvRecord record;
  try {
    if (!blocks) {
      while (reader.Next(record)) Add(reading, record);
    } else {
      qel::CsvBlock block;
      while (reader.NextBlock(block, 100)) {
        for (std::size_t i = 0; i < block.records.size(); ++i) {
          block.Split(i, record);
          if (!qel::IsBlankCsvRecord(record)) Add(reading, record);
        }
        block.Clear();
      }
    }
  } catch (const qel::CsvLimitError& e) {
    reading.stoppedAt = e.line();
  }
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks how the input is split into reads.
  const std::size_t chunk = 1 + data[0] % 17;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const Reading whole = Read(input, input.size() + 1, 1 << 16, false);
  if (Read(input, chunk, 4 + data[0] % 5, false) != whole) std::abort();
  if (Read(input, chunk, 8, true) != whole) std::abort();
  long line = 0;
  for (const Record& r : whole.records) {
    if (r.line <= line) std::abort();
    line = r.line;
    if (!r.error.empty()) continue;
    // After a first line, so that a field starting with a byte order mark is not taken for one.
    std::string written = "h\n";
    for (std::size_t i = 0; i < r.fields.size(); ++i) {
      if (i > 0) written += ',';
      qel::AppendCsvField(written, r.fields[i]);
    }
    const Reading again = Read(written, written.size() + 1, 16, false);
    const bool blank = std::all_of(r.fields.begin(), r.fields.end(),
                                   [](const std::string& f) { return f.empty(); });
    if (blank) continue;
    if (again.records.size() != 2 || again.records[1].fields != r.fields) std::abort();
  }
  return 0;
}
