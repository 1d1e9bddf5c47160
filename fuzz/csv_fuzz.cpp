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
#include "qel_testing/csv_reading.h"

namespace {

using qel::testing::CsvReading;
using qel::testing::CsvReadRecord;

// The whole reading, record by record or in blocks of about 100 bytes.
CsvReading Read(std::string_view input, std::size_t chunk, std::size_t buffer, bool blocks) {
  return qel::testing::ReadCsv(input, chunk, buffer, blocks ? 100 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks how the input is split into reads.
  const std::size_t chunk = 1 + data[0] % 17;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const CsvReading whole = Read(input, input.size() + 1, 1 << 16, false);
  if (Read(input, chunk, 4 + data[0] % 5, false) != whole) std::abort();
  if (Read(input, chunk, 8, true) != whole) std::abort();
  long line = 0;
  for (const CsvReadRecord& r : whole.records) {
    if (r.line <= line) std::abort();
    line = r.line;
    if (!r.error.empty()) continue;
    // After a first line, so that a field starting with a byte order mark is not taken for one.
    std::string written = "h\n";
    for (std::size_t i = 0; i < r.fields.size(); ++i) {
      if (i > 0) written += ',';
      qel::AppendCsvField(written, r.fields[i]);
    }
    const CsvReading again = Read(written, written.size() + 1, 16, false);
    const bool blank = std::all_of(r.fields.begin(), r.fields.end(),
                                   [](const std::string& f) { return f.empty(); });
    if (blank) continue;
    if (again.records.size() != 2 || again.records[1].fields != r.fields) std::abort();
  }
  return 0;
}
