// The paystave command run as a process: a payroll of several years, bad rows, exit statuses and
// the output file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "qel_testing/temp_folder.h"

namespace {

using qel::testing::ReadBytes;
using qel::testing::TempFolder;
using qel::testing::WriteBytes;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs paystave with `arguments` (quoted for the shell) and `input` on its standard input.
Outcome Paystave(const TempFolder& folder, const std::string& arguments,
                 const std::string& input = "") {
  const std::string in = folder.File("stdin"), out = folder.File("stdout"),
                    err = folder.File("stderr");
  WriteBytes(in, input);
  const std::string command = std::string("'") + PAYSTAVE + "' " + arguments + " <'" + in + "' >'" +
                              out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

const std::string kHeader =
    "id,withholding,table,adjusted_annual_wages,tentative_annual_withholding\n";

TEST(Paystave, PayrollOfSeveralYears) {
  // Columns in another order, an unknown column, optional columns empty.
  const std::string input =
      "name,wages,id,year,frequency,status,form,step2,step3,step4a,step4b,extra,allowances\r\n"
      "Ann,1000,A1,2026,weekly,single,2020,0,0,0,0,0,0\r\n"
      "Bob,600,P15,2005,weekly,single,,,,,,,2\r\n"
      "Cy,3500.00,\"Smith, J\",2020,biweekly,married,2019,,,,,10,3\r\n"
      "Di,2500,D4,2023,semimonthly,head,2020,1,2000,1200,0,15,\r\n"
      "Ed,8000,E5,2021,monthly,Married,,0,4000,0,6000,,\r\n"
      "Gi,52000,G7,2022,annually,head,2019,,,,,,1\r\n"
      "Hu,900,H8,2025,weekly,married,2020,0,3000,0,0,5,\r\n";
  const std::string expected =
      kHeader +
      // 52,000 - 8,600 = 43,400: 1,240 + 12% of 23,500 = 4,060; / 52 = 78.08.
      "A1,78.08,Single STANDARD,43400.00,4060.00\n"
      // 600 - 2 x 61.54 = 476.92: 13.70 + 15% of 288.92 = 57.038.
      "P15,57.04,Single wk,,\n"
      // 91,000 - 3 x 4,300 = 78,100: 1,975 + 12% of 46,450 = 7,549; / 26 = 290.35; + 10.
      "\"Smith, J\",300.35,Married STANDARD,78100.00,7549.00\n"
      // 60,000 + 1,200 = 61,200: 7,339 + 24% of 3,125 = 8,089; / 24 = 337.04; - 83.33; + 15.
      "D4,268.71,Head of household CHECKBOX,61200.00,8089.00\n"
      // 96,000 - 6,000 - 12,900 = 77,100: 1,990 + 12% of 45,000 = 7,390; / 12 = 615.83;
      // - 333.33.
      "E5,282.50,Married STANDARD,77100.00,7390.00\n"
      // Head on a 2019 form takes the Single table: 52,000 - 4,300 = 47,700.
      "G7,5154.00,Single STANDARD,47700.00,5154.00\n"
      // 1,680 / 52 = 32.31, less 3,000 / 52 = 57.69: nothing, + 5.
      "H8,5.00,Married STANDARD,33900.00,1680.00\n";
  TempFolder folder;
  const Outcome fromStdin = Paystave(folder, "", input);
  EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
  EXPECT_EQ(fromStdin.out, expected);
  EXPECT_EQ(fromStdin.err, "");

  WriteBytes(folder.File("payroll.csv"), input);
  const Outcome toFile = Paystave(
      folder, "--output '" + folder.File("out.csv") + "' '" + folder.File("payroll.csv") + "'");
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadBytes(folder.File("out.csv")), expected);
}

TEST(Paystave, BadRowsAreReportedAndTheOthersComputed) {
  const std::string input =
      "id,year,frequency,wages,status,allowances\n"
      "\"two\nlines\",2026,weekly,1000,,\n"
      "U1,2019,weekly,1000,,\n"
      "N1,2026,weekly,1O00,,\n"
      "W1,2026,weekly,-5,,\n"
      "F1,2026,fortnightly,100,,\n"
      "S1,2026,weekly,100,widowed,\n"
      "A1,2005,weekly,100,,1.5\n"
      "R1,2026,weekly\n"
      "Q1,2026,weekly,1\"00,,\n"
      "\n"
      "OK,2026,weekly,1000,,\n";
  TempFolder folder;
  const Outcome run = Paystave(folder, "", input);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kHeader +
                         "\"two\nlines\",78.08,Single STANDARD,43400.00,4060.00\n"
                         "U1,,,,\nN1,,,,\nW1,,,,\nF1,,,,\nS1,,,,\nA1,,,,\nR1,,,,\nQ1,,,,\n"
                         "OK,78.08,Single STANDARD,43400.00,4060.00\n");
  for (const char* message : {
           "line 4 (id U1): No withholding tables for 2019: tables are available for 2005,",
           "line 5 (id N1): wages 1O00 is not a number",
           "line 6 (id W1): wages -5 is negative",
           "line 7 (id F1): unknown frequency \"fortnightly\"",
           "line 8 (id S1): unknown status \"widowed\"",
           "line 9 (id A1): allowances 1.5 is not a whole number",
           "line 10 (id R1): the row has 3 fields where the header has 6",
           "line 11 (id Q1): a quote inside field 4",
       })
    EXPECT_NE(run.err.find(message), std::string::npos) << message << "\n" << run.err;
}

TEST(Paystave, ExitStatusAndMessages) {
  TempFolder folder;
  const std::string good = "id,year,frequency,wages\nA,2026,weekly,1000\n";
  struct {
    std::string arguments;
    std::string input;
    int status;
    const char* message;
  } rows[] = {
      {"--help", "", 0, "Usage: paystave"},
      {"--version", "", 0, "paystave 2005.10"},
      {"", good, 0, ""},
      {"-", good, 0, ""},
      {"--verbose", good, 2, "unknown option --verbose"},
      {"'" + folder.File("absent.csv") + "'", "", 2, "absent.csv"},
      {"a.csv b.csv", "", 2, "one input at most"},
      {"--output", good, 2, "needs a file name"},
      {"", "", 2, "needs a header line"},
      {"", "id,year,frequency\nA,2026,weekly\n", 2, "lacks the required column(s) wages"},
      {"", "id,year,Year,frequency,wages\n", 2, "\"year\" appears twice"},
      {"--output '" + folder.File("none/out.csv") + "'", good, 2, "none/out.csv"},
  };
  for (const auto& row : rows) {
    const Outcome run = Paystave(folder, row.arguments, row.input);
    EXPECT_EQ(run.status, row.status) << row.arguments << "\n" << run.err;
    EXPECT_NE((run.out + run.err).find(row.message), std::string::npos) << row.arguments << "\n"
                                                                        << run.out << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("none")));
}

TEST(Paystave, AFailedRunLeavesTheOutputFileAsItWas) {
  TempFolder folder;
  const std::string out = folder.File("out.csv");
  WriteBytes(out, "last run\n");
  std::filesystem::permissions(out, std::filesystem::perms(0640));
  const Outcome failed = Paystave(folder, "-o '" + out + "'", "id,year\nA,2026\n");
  EXPECT_EQ(failed.status, 2);
  EXPECT_EQ(ReadBytes(out), "last run\n");

  const Outcome done =
      Paystave(folder, "-o '" + out + "'", "id,year,frequency,wages\nA,2026,weekly,1000\n");
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(ReadBytes(out), kHeader + "A,78.08,Single STANDARD,43400.00,4060.00\n");
  EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms(0640));
  // out.csv and the three files of the runs; no temporary file is left behind.
  EXPECT_EQ(qel::testing::EntryCount(folder.path()), 4u);
}

}  // namespace
