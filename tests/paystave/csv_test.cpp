// The CSV reader and field writer of the batch commands, with buffers and reads small enough that
// records, quotes and line ends fall across chunk boundaries; records read one at a time and in
// blocks.
#include "qel/csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "qel_testing/csv_reading.h"

namespace {

using qel::CsvReader;
using qel::CsvRecord;

struct Expected {
  long line;
  std::vector<std::string> fields;  // empty with `malformed`
  bool malformed = false;
};

void ExpectRecords(const std::string& input, const std::vector<Expected>& expected,
                   long stoppedAt) {
  for (std::size_t chunk : {1, 3, 64, 1 << 16}) {
    for (std::size_t buffer : {4, 7, 1 << 20}) {
      for (std::size_t block : {0, 1, 10}) {
        const qel::testing::CsvReading got = qel::testing::ReadCsv(input, chunk, buffer, block);
        const std::string where = "chunk " + std::to_string(chunk) + ", buffer " +
                                  std::to_string(buffer) + ", block " + std::to_string(block);
        EXPECT_EQ(got.stoppedAt, stoppedAt) << where;
        ASSERT_EQ(got.records.size(), expected.size()) << where;
        for (std::size_t i = 0; i < got.records.size(); ++i) {
          EXPECT_EQ(got.records[i].line, expected[i].line) << "record " << i << ", " << where;
          EXPECT_EQ(!got.records[i].error.empty(), expected[i].malformed) << "record " << i;
          if (!expected[i].malformed) {
            EXPECT_EQ(got.records[i].fields, expected[i].fields) << "record " << i;
          }
        }
      }
    }
  }
}

TEST(CsvReader, Records) {
  struct Case {
    const char* behaviour;
    std::string input;
    std::vector<Expected> records;
    long stoppedAt = 0;  // the line a stopped reading names
  } cases[] = {
      {"plain", "a,b\n1,2\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"CR LF line ends", "a,b\r\n1,2\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"no final line end", "a,b\n1,2", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"byte order mark",
       "\xEF\xBB\xBF"
       "id,x\n",
       {{1, {"id", "x"}}}},
      {"empty fields", "a,,\n,b,\n", {{1, {"a", "", ""}}, {2, {"", "b", ""}}}},
      {"quoted comma", "\"x,y\",z\n", {{1, {"x,y", "z"}}}},
      {"doubled quotes", "\"say \"\"hi\"\"\",\"\"\"\"\n", {{1, {"say \"hi\"", "\""}}}},
      {"quoted line breaks count as lines",
       "\"l1\nl2\",x\r\n\"a\r\nb\",c\nnext,y\n",
       {{1, {"l1\nl2", "x"}}, {3, {"a\r\nb", "c"}}, {5, {"next", "y"}}}},
      {"quoted field in the middle, empty quoted field", "1,\"2\",\"\"\n", {{1, {"1", "2", ""}}}},
      {"blank lines and rows of empty fields are skipped",
       "a,b\n\n\r\n,\n\"\",\"\"\n1,2\n",
       {{1, {"a", "b"}}, {6, {"1", "2"}}}},
      {"a quote inside an unquoted field", "ab\"c,d\nok,1\n", {{1, {}, true}, {2, {"ok", "1"}}}},
      {"text after a closing quote", "\"ab\"c,d\nok,1\n", {{1, {}, true}, {2, {"ok", "1"}}}},
      {"a quote left open at the end stops the reading at its line",
       "a,b\n\"open,x\ny\n",
       {{1, {"a", "b"}}},
       2},
      {"bare CR line ends", "a,b\r1,2\r", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"LF, CR LF and CR mixed, CR last",
       "a\nb\r\nc\rd\r",
       {{1, {"a"}}, {2, {"b"}}, {3, {"c"}}, {4, {"d"}}}},
      {"a CR in quotes is a line of the field",
       "\"x\ry\",z\rn,m",
       {{1, {"x\ry", "z"}}, {3, {"n", "m"}}}},
      {"a line break quoted in a later column",
       "x,\"l1\nl2\"\nnext,1\n",
       {{1, {"x", "l1\nl2"}}, {3, {"next", "1"}}}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    ExpectRecords(c.input, c.records, c.stoppedAt);
  }
}

TEST(CsvReader, WhatIsWrittenReadsBackTheSame) {
  struct Case {
    std::string field;
    std::string written;
  } cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"Smith, J", "\"Smith, J\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"cr\r", "\"cr\r\""},
      {" padded ", "\" padded \""},
  };
  for (const Case& c : cases) {
    std::string line;
    qel::AppendCsvField(line, c.field);
    EXPECT_EQ(line, c.written);
    line += ",end\n";
    const auto got = qel::testing::ReadCsv(line, 5, 4).records;
    ASSERT_EQ(got.size(), 1u) << c.written;
    EXPECT_EQ(got[0].fields, (std::vector<std::string>{c.field, "end"})) << c.written;
  }
}

// A stray quote or an endless line stops the reading at the line it began on, having read little
// more than the limit (memory stays flat); a long record is scanned once however the reads split
// it (one byte per read would take hours if each read rescanned the record).
TEST(CsvReader, LimitsStopALongRecordEarly) {
  const std::string rows = "id,wages\nA1,1000\n";
  const std::string row = "B2,2000\n";
  std::string strayQuote = rows + "C3,\"1000\n";
  while (strayQuote.size() < 4 * CsvReader::kMaxRecord) strayQuote += row;
  const std::string endless(4 * CsvReader::kMaxRecord, 'x');
  const std::string overLimit = std::string(CsvReader::kMaxRecord + 100, 'y') + "\nnext\n";
  std::string longButClosed = "\"" + std::string(CsvReader::kMaxQuotedField - 10, 'q') + "\"\n";
  longButClosed += "\"" + std::string(60000, '\n') + "\",end\n";
  struct Case {
    const char* behaviour;
    const std::string& input;
    std::size_t chunk;
    long stoppedAt;
    std::size_t records;
  } cases[] = {
      {"a quote never closed within the field limit", strayQuote, 1 << 16, 3, 2},
      {"no line end at all", endless, 1 << 16, 1, 0},
      {"a record a little over the limit, read whole", overLimit, CsvReader::kMaxRecord * 2, 1, 0},
      {"long quoted fields within the limit, one byte per read", longButClosed, 1, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    std::size_t at = 0;
    CsvReader reader(qel::testing::CsvChunks(c.input, c.chunk, at), c.chunk);
    CsvRecord record;
    std::size_t records = 0;
    long stoppedAt = 0;
    try {
      while (reader.Next(record)) ++records;
    } catch (const qel::CsvLimitError& e) {
      stoppedAt = e.line();
      EXPECT_NE(std::string(e.what()).find("line " + std::to_string(c.stoppedAt)),
                std::string::npos)
          << e.what();
    }
    EXPECT_EQ(stoppedAt, c.stoppedAt);
    EXPECT_EQ(records, c.records);
    if (c.stoppedAt != 0) {
      EXPECT_LE(at, 2 * CsvReader::kMaxRecord + (1 << 16));
    }
  }
}

}  // namespace
