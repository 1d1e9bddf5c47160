// paystave's reading of a payroll as a process: line ends, quotes over lines, rows of the wrong
// width, amounts with too many decimals, rounding, a stray quote, and the order with four jobs.
#include <gtest/gtest.h>

#include <string>

#include "qel/csv.h"
#include "qel_testing/command.h"

namespace {

using qel::testing::RunCommand;
using qel::testing::TempFolder;

const std::string kHeader =
    "id,withholding,table,adjusted_annual_wages,tentative_annual_withholding\n";
const std::string kA1 = "A1,78.08,Single STANDARD,43400.00,4060.00\n";

TEST(PaystaveRows, ReadingAndRounding) {
  std::string strayQuote = "id,year,frequency,wages\nA1,2026,weekly,1000\nB2,2026,weekly,\"1000\n";
  while (strayQuote.size() < 2 * qel::CsvReader::kMaxQuotedField)
    strayQuote += "C3,2026,weekly,1000\n";
  struct {
    const char* behaviour;
    std::string arguments;
    std::string input;
    int status;
    std::string out;      // the whole standard output
    std::string message;  // found in standard error
  } rows[] = {
      {"bare CR line ends", "", "id,year,frequency,wages\rA1,2026,weekly,1000.00\r", 0,
       kHeader + kA1, ""},
      {"CR LF and LF mixed", "",
       "id,year,frequency,wages\r\nA1,2026,weekly,1000\nA1,2026,weekly,1000", 0,
       kHeader + kA1 + kA1, ""},
      {"a quoted line break in a later column is one record", "",
       "id,note,year,frequency,wages\nA1,\"l1\nl2\",2026,weekly,1000\n", 0, kHeader + kA1, ""},
      {"one field more than the header is a bad row", "",
       "id,year,frequency,wages\nA1,2026,weekly,1000,5\nA1,2026,weekly,1000\n", 1,
       kHeader + "A1,,,,\n" + kA1, "line 2 (id A1): the row has 5 fields where the header has 4"},
      {"wages with five decimals are not a number", "",
       "id,year,frequency,wages\nW5,2026,weekly,1000.00001\n", 1, kHeader + "W5,,,,\n",
       "line 2 (id W5): wages 1000.00001 is not a number"},
      {"a withholding on a half cent is rounded up", "",
       "id,year,frequency,wages,extra\nH1,2026,weekly,1000.00,0.005\n", 0,
       kHeader + "H1,78.09,Single STANDARD,43400.00,4060.00\n", ""},
      {"a quote never closed stops the run at its line", "",
       "id,year,frequency,wages\nA1,2026,weekly,1000\nB2,2026,weekly,\"1000\nC3,2026,weekly,1000\n",
       2, "", "line 3: a quoted field opened here is never closed"},
      {"a stray quote past the field limit stops the run at its line", "", strayQuote, 2, "",
       "line 3: a quoted field opened here runs on past 65536 bytes"},
      {"--jobs takes a whole number from 1", "--jobs 0", "id,year,frequency,wages\n", 2, "",
       "--jobs needs a whole number"},
  };
  TempFolder folder;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.behaviour);
    const auto run =
        RunCommand(folder, std::string("'") + PAYSTAVE + "' " + row.arguments, row.input);
    EXPECT_EQ(run.status, row.status) << run.err;
    if (row.status != 2) {
      EXPECT_EQ(run.out, row.out);
    }
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    EXPECT_LT(run.err.size(), 400u);  // the rest of the file is not echoed
  }
}

// A payroll over several blocks, a bad row among them: four jobs write what one job writes.
TEST(PaystaveRows, InputOrderIsKeptWithFourJobs) {
  std::string input = "id,year,frequency,wages,status,extra\n";
  for (int i = 1; i <= 8000; ++i)
    input += "E" + std::to_string(i) + "," + (i % 2 ? "2026" : "2005") + ",weekly," +
             std::to_string(200 + i % 3000) + "." + std::to_string(i % 100) + "," +
             (i % 3 ? "single" : "married") + "," + (i == 4000 ? "x" : "0") + "\n";
  TempFolder folder;
  const auto one = RunCommand(folder, std::string("'") + PAYSTAVE + "' --jobs 1", input);
  const auto four = RunCommand(folder, std::string("'") + PAYSTAVE + "' --jobs 4", input);
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(four.status, 1);
  EXPECT_EQ(four.out, one.out);
  EXPECT_EQ(four.err, one.err);
  EXPECT_NE(four.err.find("line 4001 (id E4000): extra x is not a number"), std::string::npos)
      << four.err;
  EXPECT_NE(four.out.find("\nE7999,"), std::string::npos);
  EXPECT_LT(four.out.find("\nE7999,"), four.out.find("\nE8000,"));
}

}  // namespace
