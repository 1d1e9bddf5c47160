// Reading CSV text whole through qel::CsvReader, as the CSV tests and the CSV fuzz target do: from
// a source that hands out at most `chunk` bytes a read, record by record or in blocks of about
// `blockBytes` split afterwards, so that records, quotes and line ends fall across reads.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "qel/csv.h"

namespace qel::testing {

struct CsvReadRecord {
  long line;
  std::string error;  // empty for a sound record
  std::vector<std::string> fields;
  bool operator==(const CsvReadRecord&) const = default;
};

// The records of a reading, and the line a limit stopped it at (0: it did not stop).
struct CsvReading {
  std::vector<CsvReadRecord> records;
  long stoppedAt = 0;
  bool operator==(const CsvReading&) const = default;
};

// A source that hands out `input` at most `chunk` bytes per read, from `at` on.
inline CsvReader::Source CsvChunks(std::string_view input, std::size_t chunk, std::size_t& at) {
  return [input, chunk, &at](char* into, std::size_t size) {
    const std::size_t n = std::min({size, chunk, input.size() - at});
    std::memcpy(into, input.data() + at, n);
    at += n;
    return n;
  };
}

// Reads `input` record by record (`blockBytes` 0) or in blocks; blank records of a block are
// passed over, as the batch commands pass them over.
inline CsvReading ReadCsv(std::string_view input, std::size_t chunk, std::size_t bufferSize,
                          std::size_t blockBytes = 0) {
  std::size_t at = 0;
  CsvReader reader(CsvChunks(input, chunk, at), bufferSize);
  CsvReading reading;
  CsvRecord record;
  const auto add = [&reading](const CsvRecord& r) {
    reading.records.push_back({r.line, r.error, {r.fields.begin(), r.fields.end()}});
  };
  try {
    if (blockBytes == 0) {
      while (reader.Next(record)) add(record);
    } else {
      CsvBlock block;
      while (reader.NextBlock(block, blockBytes)) {
        for (std::size_t i = 0; i < block.records.size(); ++i) {
          block.Split(i, record);
          if (!IsBlankCsvRecord(record)) add(record);
        }
        block.Clear();
      }
    }
  } catch (const CsvLimitError& e) {
    reading.stoppedAt = e.line();
  }
  return reading;
}

}  // namespace qel::testing
