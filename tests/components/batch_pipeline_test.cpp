// The batch pipeline: rows come out in input order whatever the number of jobs, blank rows are
// skipped, and a failure in a handler, in the writer or in the reader ends the run with that
// failure (every worker joined, nothing written after it) instead of hanging or losing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

#include "qel/batch.h"

namespace {

// Echoes the first field; fails at the row whose first field is `failAt`.
class Echo : public qel::BatchRows {
 public:
  explicit Echo(std::string failAt) : failAt_(std::move(failAt)) {}
  bool Row(const qel::CsvRecord& row, std::string& out, std::string& problems) override {
    if (row.fields[0] == failAt_) throw std::runtime_error("handler failed");
    out.append(row.fields[0]);
    out += '\n';
    const bool bad = row.fields[0].ends_with('7');
    if (bad) problems += std::to_string(row.line) + "\n";
    return !bad;
  }

 private:
  std::string failAt_;
};

TEST(BatchPipeline, OrderAndFailures) {
  std::string input;
  std::string expected;
  for (int i = 1; i <= 20000; ++i) {
    input += std::to_string(i) + ",x\n";
    if (i % 1000 == 0) input += ",\n";  // blank: skipped, not a row
    expected += std::to_string(i) + "\n";
  }
  input += "\"open,\n";  // a quote never closed: the reader stops there
  struct Case {
    const char* behaviour;
    std::string failAt;      // the row whose handler throws
    std::size_t writeLimit;  // the writer throws past this many bytes
    const char* error;
  } cases[] = {
      {"the reader's stop after every row is written", "", SIZE_MAX, "never closed"},
      {"a handler's failure", "15000", SIZE_MAX, "handler failed"},
      {"a writer's failure", "", 40000, "writer failed"},
  };
  for (const Case& c : cases) {
    for (unsigned jobs : {1u, 2u, 4u}) {
      SCOPED_TRACE(std::string(c.behaviour) + ", jobs " + std::to_string(jobs));
      std::size_t at = 0;
      qel::CsvReader reader([&](char* into, std::size_t size) {
        const std::size_t n = std::min({size, std::size_t{4096}, input.size() - at});
        std::memcpy(into, input.data() + at, n);
        at += n;
        return n;
      });
      std::string out, problems;
      std::string error;
      try {
        qel::RunBatch(
            reader, jobs, [&] { return std::make_unique<Echo>(c.failAt); },
            [&](std::string_view text, std::string_view trouble) {
              if (out.size() + text.size() > c.writeLimit)
                throw std::runtime_error("writer failed");
              out.append(text);
              problems.append(trouble);
            });
      } catch (const std::exception& e) {
        error = e.what();
      }
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      // What was written is the start of the rows, in order, up to the failure.
      ASSERT_LE(out.size(), expected.size());
      EXPECT_TRUE(out == expected.substr(0, out.size())) << out.size() << " bytes";
      if (c.failAt.empty() && c.writeLimit == SIZE_MAX) {
        EXPECT_TRUE(out == expected) << out.size() << " of " << expected.size() << " bytes";
        EXPECT_EQ(std::count(problems.begin(), problems.end(), '\n'), 2000);
      }
      if (!c.failAt.empty()) {
        EXPECT_EQ(out.find("\n" + c.failAt + "\n"), std::string::npos);
      }
    }
  }
}

}  // namespace

namespace {

// Threads that the system refuses: the run goes on with those it got, or on the calling thread,
// instead of failing (or ending the process with the threads already started still running).
TEST(BatchPipeline, ThreadsThatCannotStart) {
  static int refuseFrom = 0;
  static int started = 0;
  std::string input, expected;
  for (int i = 1; i <= 5000; ++i) {
    input += std::to_string(i) + "\n";
    expected += std::to_string(i) + "\n";
  }
  for (int refuse : {1, 3}) {
    SCOPED_TRACE("refused from thread " + std::to_string(refuse));
    refuseFrom = refuse;
    started = 0;
    qel::BatchTestSeam().startingThread = [] {
      if (++started >= refuseFrom) throw std::system_error(EAGAIN, std::generic_category());
    };
    std::size_t at = 0;
    qel::CsvReader reader([&](char* into, std::size_t size) {
      const std::size_t n = std::min(size, input.size() - at);
      std::memcpy(into, input.data() + at, n);
      at += n;
      return n;
    });
    std::string out;
    const qel::BatchCounts counts = qel::RunBatch(
        reader, 4, [] { return std::make_unique<Echo>(""); },
        [&](std::string_view text, std::string_view) { out.append(text); });
    qel::BatchTestSeam().startingThread = nullptr;
    EXPECT_EQ(counts.rows, 5000);
    EXPECT_TRUE(out == expected) << out.size() << " of " << expected.size() << " bytes";
  }
}

// Amounts as batch files write them, on both sides of the length where overflow becomes possible.
TEST(BatchAmount, ParseAndWrite) {
  struct {
    const char* text;
    const char* why;  // nullptr: a number
    std::int64_t raw;
    const char* written;
  } cases[] = {
      {"", nullptr, 0, "0.00"},
      {"1000", nullptr, 10000000, "1000.00"},
      {"-2.5", nullptr, -25000, "-2.50"},
      {"0.005", nullptr, 50, "0.01"},
      {"-0.004", nullptr, -40, "0.00"},
      {"12.3456", nullptr, 123456, "12.35"},
      {"12.34567", "is not a number", 0, nullptr},
      {".", "is not a number", 0, nullptr},
      {"-", "is not a number", 0, nullptr},
      {"1.2.3", "is not a number", 0, nullptr},
      {"1e5", "is not a number", 0, nullptr},
      {"99999999999999", nullptr, 999999999999990000, "99999999999999.00"},
      {"922337203685477", nullptr, 9223372036854770000, "922337203685477.00"},
      {"922337203685477.57", nullptr, 9223372036854775700, "922337203685477.57"},
      {"-922337203685477.57", nullptr, -9223372036854775700, "-922337203685477.57"},
      {"922337203685477.5808", "is too large", 0, nullptr},
      {"9223372036854775808", "is too large", 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    qel::Currency value = qel::Currency::FromRaw(7);
    const char* why = qel::ParseBatchAmount(c.text, value);
    EXPECT_STREQ(why, c.why);
    if (c.why != nullptr) continue;
    EXPECT_EQ(value.raw(), c.raw);
    std::string written;
    qel::AppendBatchAmount(written, value);
    EXPECT_EQ(written, c.written);
  }
}

}  // namespace
