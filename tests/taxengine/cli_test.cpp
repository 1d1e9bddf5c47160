// The fennick command-line host, run as a child process.
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <fstream>
#include <sstream>

#include "qel/utf8.h"
#include "test_util.h"

namespace {

using namespace fennick_test;

struct Outcome {
  int status;
  std::string out;
};

// Runs fennick with the arguments (already quoted for the shell); stderr joins stdout when
// `withErrors` is set. A run that does not end within seconds is stopped (status 124).
Outcome Fennick(const std::string& arguments, bool withErrors = false) {
  std::string command = std::string("timeout 20 '") + FENNICK_CLI + "' " + arguments +
                        (withErrors ? " 2>&1" : " 2>/dev/null");
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::string out;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::string kData = FENNICK_TEST_DATA;
const std::string kExamples = FENNICK_EXAMPLES;

TEST(CommandLine, ReportMatchesTheWorkedOutText) {
  Outcome run = Fennick("'" + kData + "/single2005.scn'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ReadFile(kData + "/single2005.txt"));
}

TEST(CommandLine, JsonBeforeOrAfterTheFile) {
  for (const std::string& args :
       {"--json '" + kData + "/single2005.scn'", "'" + kData + "/single2005.scn' 1 --json"}) {
    Outcome run = Fennick(args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_NE(run.out.find("\"Taxpayer\": \"Ann \\\"Sam\\\" Lee\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"TaxInc\": \"41,800\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"BalDue\": \"1,115\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"oAMT.TentativeAMT\": \"2,535\""), std::string::npos) << run.out;
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
  }
}

TEST(CommandLine, ColumnsOfTheExampleFile) {
  // Column 2 adds a long-term gain of 25,000 to wages of 71,000 (2004, head of household,
  // 3 exemptions): taxable 96,000 - 7,150 - 9,300 = 79,550.
  Outcome run = Fennick("--json '" + kExamples + "/compare.scn' 2");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\"TaxInc\": \"79,550\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"oInc.AdjNetCG\": \"25,000\""), std::string::npos) << run.out;
}

TEST(CommandLine, SeparateReturnShowsTheMinimumTaxAddBack) {
  TempDir dir;
  std::string path = dir.File("separate.scn");
  std::ofstream(path) << "[Scenario1]\nYear=2005\nDependents=1\nFiling Status=3\n"
                         "Wages Spouse 1=250,000\nSIT Pd=30,000\n";
  Outcome json = Fennick("--json '" + path + "'");
  EXPECT_EQ(json.status, 0);
  // The new result comes last, after the existing keys of the minimum-tax object.
  EXPECT_NE(json.out.find("\"oAMT.AMT\": \"6,490\",\n  \"oAMT.MFSAddBack\": \"14,750\"\n}"),
            std::string::npos)
      << json.out;
  Outcome report = Fennick("'" + path + "'");
  EXPECT_NE(report.out.find("  Minimum-tax add-back, separate return"), std::string::npos)
      << report.out;
  EXPECT_NE(report.out.find(" 14,750\n  Tentative minimum tax"), std::string::npos) << report.out;
}

// The 2026 example worked out by hand: column 1 itemizes (taxes 18,500, interest 16,000, charity
// 4,000 less 0.5% of 229,000) and pays 15% on gains of 26,000 over ordinary income of 165,645;
// column 2 takes the standard deduction with the box for 65 and the senior deduction, and its
// gains of 12,000 fall in the 0% band.
TEST(CommandLine, The2026ExampleAsWorkedOutByHand) {
  struct {
    int column;
    const char* key;
    const char* value;
  } rows[] = {
      {1, "ItemOrStdDed", "37,355"},  {1, "TaxInc", "191,645"},
      {1, "IncTax", "29,766"},        {1, "oAMT.TentativeAMT", "15,326"},
      {1, "oTaxCr.ChildCr", "4,400"}, {1, "TotTax", "25,366"},
      {1, "BalDue", "3,366"},         {2, "ItemOrStdDed", "18,150"},
      {2, "ExemptionDed", "6,000"},   {2, "TaxInc", "45,850"},
      {2, "IncTax", "3,814"},         {2, "BalDue", "-186"},
  };
  std::string out[3];
  for (int column : {1, 2}) {
    Outcome run = Fennick("--json '" + kExamples + "/family2026.scn' " + std::to_string(column));
    EXPECT_EQ(run.status, 0);
    out[column] = run.out;
  }
  for (const auto& row : rows) {
    std::string pair = std::string("\"") + row.key + "\": \"" + row.value + "\"";
    EXPECT_NE(out[row.column].find(pair), std::string::npos) << pair << "\n" << out[row.column];
  }
}

TEST(CommandLine, ExitStatusAndMessages) {
  struct {
    std::string args;
    int status;
    const char* message;
  } rows[] = {
      {"--help", 0, "Usage: fennick"},
      {"--help", 0, "Tax years 2001 to 2026"},
      {"", 2, "Usage: fennick"},
      {"--verbose x.scn", 2, "unknown option --verbose"},
      {"'" + kData + "/single2005.scn' x", 2, "whole number"},
      {"'" + kData + "/single2005.scn' 0", 2, "whole number"},
      {"a.scn 1 2", 2, "at most one column"},
      {"'" + kData + "/absent.scn'", 1, "absent.scn"},
      {"'" + kData + "/single2005.scn' 4", 1, "holds no scenario 4"},
  };
  for (const auto& row : rows) {
    Outcome run = Fennick(row.args, true);
    EXPECT_EQ(run.status, row.status) << row.args;
    EXPECT_NE(run.out.find(row.message), std::string::npos) << row.args << "\n" << run.out;
  }
}

TEST(CommandLine, MalformedFileIsRefusedByName) {
  TempDir dir;
  std::string path = dir.File("broken.scn");
  std::ofstream(path) << "[Scenario1]\nWages Spouse 1=plenty\n";
  Outcome run = Fennick("'" + path + "'", true);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("broken.scn"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("10002"), std::string::npos) << run.out;
}

TEST(CommandLine, RefusesWhatIsNoScenarioFile) {
  TempDir dir;
  std::string pipe = dir.File("pipe.scn");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string folder = dir.File("folder.scn");
  std::filesystem::create_directory(folder);
  std::string big = dir.File("big.scn");
  std::ofstream(big) << "[Scenario1]\nYear=2005\n;" << std::string(1 << 20, 'x') << "\n";
  for (const std::string& path : {pipe, std::string("/dev/zero"), folder, big}) {
    Outcome run = Fennick("'" + path + "'", true);
    EXPECT_EQ(run.status, 1) << path;
    EXPECT_NE(run.out.find(path), std::string::npos) << path << "\n" << run.out.substr(0, 200);
  }
}

TEST(CommandLine, OutputIsUtf8WhateverTheNamesWereStoredIn) {
  struct {
    const char* stored;
    const char* shown;
  } rows[] = {
      {"Jos\xE9 M\xFCller", "Jos\u00E9 M\u00FCller"},            // Windows-1252
      {"\x93Quoted\x94 \x80", "\u201CQuoted\u201D \u20AC"},      // Windows-1252
      {"Jos\u00E9 \u201CJo\u201D", "Jos\u00E9 \u201CJo\u201D"},  // UTF-8 as it is
  };
  for (const auto& row : rows) {
    TempDir dir;
    std::string path = dir.File("names.scn");
    std::ofstream(path, std::ios::binary) << "[Scenario1]\nSpouse 1=" << row.stored << "\n";
    Outcome json = Fennick("--json '" + path + "'");
    Outcome report = Fennick("'" + path + "'");
    EXPECT_NE(json.out.find(std::string("\"Taxpayer\": \"") + row.shown + "\""), std::string::npos)
        << json.out.substr(0, 80);
    EXPECT_NE(report.out.find(std::string("Taxpayer:       ") + row.shown + "\n"),
              std::string::npos)
        << report.out.substr(0, 160);
    for (const Outcome& run : {json, report}) {
      EXPECT_EQ(run.status, 0) << row.shown;
      constexpr char32_t kInvalid = 0x110000;
      EXPECT_EQ(qel::DecodeUtf8(run.out, kInvalid).find(kInvalid), std::u32string::npos)
          << run.out.substr(0, 80);
    }
  }
}

}  // namespace
