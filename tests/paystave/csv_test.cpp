// The CSV reader and field writer of paystave, with buffers and reads small enough that records,
// quotes and line ends fall across chunk boundaries.
#include "csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using paystave::CsvReader;
using paystave::CsvRecord;

struct Expected {
  long line;
  std::vector<std::string> fields;  // empty with `malformed`
  bool malformed = false;
};

// Reads `input` handing out at most `chunk` bytes per read, into a buffer of `bufferSize`.
std::vector<Expected> ReadAll(const std::string& input, std::size_t chunk, std::size_t bufferSize) {
  std::size_t at = 0;
  CsvReader reader(
      [&](char* into, std::size_t size) {
        const std::size_t n = std::min({size, chunk, input.size() - at});
        std::memcpy(into, input.data() + at, n);
        at += n;
        return n;
      },
      bufferSize);
  std::vector<Expected> records;
  CsvRecord record;
  while (reader.Next(record)) {
    Expected e{record.line, {}, !record.error.empty()};
    if (!e.malformed) e.fields.assign(record.fields.begin(), record.fields.end());
    records.push_back(e);
  }
  return records;
}

void ExpectRecords(const std::string& input, const std::vector<Expected>& expected) {
  for (std::size_t chunk : {1, 3, 64, 1 << 16}) {
    for (std::size_t buffer : {4, 7, 1 << 20}) {
      const std::vector<Expected> got = ReadAll(input, chunk, buffer);
      ASSERT_EQ(got.size(), expected.size()) << "chunk " << chunk << ", buffer " << buffer;
      for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].line, expected[i].line) << "record " << i;
        EXPECT_EQ(got[i].malformed, expected[i].malformed) << "record " << i;
        EXPECT_EQ(got[i].fields, expected[i].fields) << "record " << i;
      }
    }
  }
}

TEST(CsvReader, Records) {
  struct Case {
    const char* behaviour;
    std::string input;
    std::vector<Expected> records;
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
      {"a quote left open at the end", "a,b\n\"open,x\ny\n", {{1, {"a", "b"}}, {2, {}, true}}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    ExpectRecords(c.input, c.records);
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
    paystave::AppendCsvField(line, c.field);
    EXPECT_EQ(line, c.written);
    line += ",end\n";
    const std::vector<Expected> got = ReadAll(line, 5, 4);
    ASSERT_EQ(got.size(), 1u) << c.written;
    EXPECT_EQ(got[0].fields, (std::vector<std::string>{c.field, "end"})) << c.written;
  }
}

}  // namespace
