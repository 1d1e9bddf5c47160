// fennick --batch: the household columns against the same household set up through the engine's
// own interface, a worked joint return, bad rows and exit statuses, blank-separated input and the
// input order with several jobs.
#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

#include "household_batch.h"
#include "qel/batch.h"
#include "qel_testing/command.h"
#include "test_util.h"

namespace {

using namespace fennick_test;
using qel::testing::RunCommand;
using qel::testing::TempFolder;

std::vector<std::string> SplitCommas(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

// The output of the households in `csv`, computed in this process: each row as a map from the
// output column to its text.
struct Output {
  std::vector<std::map<std::string, std::string>> rows;
  std::string problems;
  long bad = 0;
};
Output RunInProcess(const std::string& csv, bool detail, unsigned jobs = 1) {
  std::size_t at = 0;
  qel::CsvReader reader([&](char* into, std::size_t size) {
    const std::size_t n = std::min(size, csv.size() - at);
    std::memcpy(into, csv.data() + at, n);
    at += n;
    return n;
  });
  std::string text;
  std::ostringstream problems;
  Output output;
  output.bad = fennick_cli::RunHouseholds(
      reader, detail, jobs, [&](std::string_view out) { text.append(out); }, problems);
  output.problems = problems.str();
  std::stringstream lines(text);
  std::string line;
  std::getline(lines, line);
  const std::vector<std::string> names = SplitCommas(line);
  while (std::getline(lines, line)) {
    const std::vector<std::string> values = SplitCommas(line);
    EXPECT_EQ(values.size(), names.size()) << line;
    std::map<std::string, std::string> row;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) row[names[i]] = values[i];
    output.rows.push_back(row);
  }
  return output;
}

double Number(const std::string& text) {
  return std::stod(text);
}

// One household per rule of the column table; `engine` sets up the same household through the
// scenario objects, starting from a fresh scenario of `year`, `status` and `exemptions`.
TEST(HouseholdBatch, EachColumnRuleComputesAsTheSameScenarioDoes) {
  struct Case {
    const char* rule;
    std::string header;
    std::string row;
    int year, status, exemptions;
    Inputs engine;
  } cases[] = {
      {"mstat 1 without dependents: single",
       "year,mstat,pwages",
       "2005,1,52000",
       2005,
       1,
       1,
       {{"oInc.WageSp1", "52000"}}},
      {"mstat 1 with dependents: head of household; depx adds exemptions; ages 1 to 16 count",
       "year,mstat,depx,age1,age2,age3,pwages",
       "2004,1,3,1,16,17,41000",
       2004,
       4,
       4,
       {{"oInc.WageSp1", "41000"}, {"oTaxCr.NumOfChildCrChildren", "2"}}},
      {"ages beyond depx are not dependents; age 0 is no child",
       "year,mstat,depx,age1,age2,pwages",
       "2005,1,1,0,9,30000",
       2005,
       4,
       2,
       {{"oInc.WageSp1", "30000"}}},
      {"mstat 2: joint, two filers, both over 65",
       "year,mstat,page,sage,depx,pwages,swages",
       "2003,2,65,70,0,50000,20000",
       2003,
       2,
       2,
       {{"IsSp1Over65", "True"},
        {"IsSp2Over65", "True"},
        {"oInc.WageSp1", "50000"},
        {"oInc.WageSp2", "20000"}}},
      {"sage counts only on a joint return; page 64 is not over 65",
       "year,mstat,page,sage,pwages",
       "2005,1,64,80,25000",
       2005,
       1,
       1,
       {{"oInc.WageSp1", "25000"}}},
      {"mstat 6: married filing separately",
       "year,mstat,pwages,dividends",
       "2002,6,70000,3000",
       2002,
       3,
       1,
       {{"oInc.WageSp1", "70000"}, {"oInc.Dividends", "3000"}}},
      {"mstat 8: single and claimed as a dependent",
       "year,mstat,pwages,intrec",
       "2005,8,6000,800",
       2005,
       1,
       1,
       {{"IsDependent", "True"}, {"oInc.WageSp1", "6000"}, {"oInc.OtherNonSEInc", "800"}}},
      {"no age column: every dependent is a child",
       "year,mstat,depx,pwages",
       "2005,2,2,90000",
       2005,
       2,
       4,
       {{"oInc.WageSp1", "90000"}, {"oTaxCr.NumOfChildCrChildren", "2"}}},
      {"dep17 stands for the ages",
       "year,mstat,depx,dep17,pwages",
       "2004,2,3,1,60000",
       2004,
       2,
       5,
       {{"oInc.WageSp1", "60000"}, {"oTaxCr.NumOfChildCrChildren", "1"}}},
      {"intrec, otherprop and pensions add up to other income",
       "year,mstat,intrec,otherprop,pensions",
       "2005,1,1200,-300,15000",
       2005,
       1,
       1,
       {{"oInc.OtherNonSEInc", "15900"}}},
      {"self-employment, gains and losses",
       "year,mstat,psemp,ssemp,stcg,ltcg,pwages",
       "2005,2,40000,12000,-2500,30000,20000",
       2005,
       2,
       2,
       {{"oInc.SEIncSp1", "40000"},
        {"oInc.SEIncSp2", "12000"},
        {"oInc.STCG", "-2500"},
        {"oInc.LTCG", "30000"},
        {"oInc.WageSp1", "20000"}}},
      {"proptax and otheritem are taxes paid; mortgage the mortgage interest",
       "year,mstat,pwages,proptax,otheritem,mortgage",
       "2001,2,150000,6000,9000,14000",
       2001,
       2,
       2,
       {{"oInc.WageSp1", "150000"},
        {"oItem.OtherTaxes", "15000"},
        {"oItem.HomeMortIntReg", "14000"}}},
      {"a later year: a dependent of 17 is no child; wages over 250,000 owe additional Medicare "
       "tax",
       "year,mstat,depx,age1,age2,pwages,swages,ltcg",
       "2024,2,2,8,17,210000,90000,12000",
       2024,
       2,
       4,
       {{"oInc.WageSp1", "210000"},
        {"oInc.WageSp2", "90000"},
        {"oInc.LTCG", "12000"},
        {"oTaxCr.NumOfChildCrChildren", "1"}}},
      {"a year after the last with figures is computed with the last one's",
       "year,mstat,depx,pwages,psemp",
       "2031,1,1,38000,9000",
       2031,
       4,
       2,
       {{"oInc.WageSp1", "38000"},
        {"oInc.SEIncSp1", "9000"},
        {"oTaxCr.NumOfChildCrChildren", "1"}}},
      {"rentpaid, transfers and childcare change nothing; state 0 is no state",
       "taxsimid,year,state,mstat,pwages,rentpaid,transfers,childcare",
       "7,2005,0,1,40000,9000,2000,3000",
       2005,
       1,
       1,
       {{"oInc.WageSp1", "40000"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    const Output got = RunInProcess(c.header + ",idtl\n" + c.row + ",2\n", true);
    ASSERT_EQ(got.bad, 0) << got.problems;
    ASSERT_EQ(got.rows.size(), 1u);
    auto& row = got.rows[0];

    auto top = NewScenario(c.year, c.status, c.exemptions);
    Set(*top, c.engine);
    top->Calculate();
    const auto shown = [&](const std::string& column) { return Shown(Number(row.at(column))); };
    {
      EXPECT_EQ(shown("v10"), Amount(*top, "AGI"));
      EXPECT_EQ(shown("v13") + shown("v17"), Amount(*top, "ItemOrStdDed"));
      EXPECT_EQ(shown("v14"), Amount(*top, "oItem.ExemptionDedGross"));
      EXPECT_EQ(shown("v15"), Amount(*top, "oItem.ExemptionDedPhaseOut"));
      EXPECT_EQ(shown("v16"), Amount(*top, "oItem.TotReduction"));
      EXPECT_EQ(shown("v18"), std::max(0.0, Amount(*top, "TaxInc")));
      EXPECT_EQ(shown("v19"), Amount(*top, "IncTax"));
      EXPECT_EQ(shown("v22"), Amount(*top, "oTaxCr.ChildCr"));
      EXPECT_EQ(shown("v26"), Amount(*top, "oAMT.TaxInc"));
      EXPECT_EQ(shown("v27"), Amount(*top, "oAMT.AMT"));
      EXPECT_EQ(shown("v28"), Amount(*top, "RegAndAmtTax"));
      EXPECT_NEAR(Number(row.at("fiitax")), Number(row.at("v28")) - Number(row.at("v22")), 0.001);
    }
    const double employee =
        Amount(*top, "oOtherTaxes.FicaSp1") + Amount(*top, "oOtherTaxes.FicaSp2");
    const double own = Amount(*top, "oOtherTaxes.SETaxSp1") + Amount(*top, "oOtherTaxes.SETaxSp2") +
                       Amount(*top, "oOtherTaxes.AddlMedicare");
    EXPECT_EQ(Number(row.at("fica")), 2 * employee + own);
    EXPECT_EQ(Number(row.at("tfica")), employee + own);
    EXPECT_EQ(shown("fiitax"), Amount(*top, "RegAndAmtTax") - Amount(*top, "TotCr"));
  }
}

// Joint, 2005, two earners, dividends and a long-term gain, large taxes paid: the minimum tax
// governs. Worked by hand from the 2005 figures.
TEST(HouseholdBatch, JointReturnWithGainsAndTheMinimumTax) {
  const Output got = RunInProcess(
      "taxsimid,year,mstat,depx,age1,age2,pwages,swages,dividends,ltcg,proptax,otheritem,"
      "mortgage,idtl\n"
      "42,2005,2,2,10,12,180000,60000,10000,50000,30000,20000,20000,2\n",
      false);
  ASSERT_EQ(got.bad, 0) << got.problems;
  const Output detailed = RunInProcess(
      "taxsimid,year,mstat,depx,age1,age2,pwages,swages,dividends,ltcg,proptax,otheritem,"
      "mortgage,idtl\n"
      "42,2005,2,2,10,12,180000,60000,10000,50000,30000,20000,20000,2\n",
      true);
  ASSERT_EQ(detailed.rows.size(), 1u);
  EXPECT_EQ(got.rows[0].count("v10"), 0u);  // without detail, no detail columns
  const std::map<std::string, std::string> expected = {
      {"taxsimid", "42"},
      {"year", "2005"},
      {"state", "0"},
      {"siitax", "0.00"},
      {"srate", "0.00"},
      // AGI 180,000 + 60,000 + 10,000 + 50,000.
      {"v10", "300000.00"},
      {"v11", "0.00"},
      {"v12", "0.00"},
      // Itemized: taxes 50,000 + mortgage 20,000 = 70,000, less 3% of (300,000 - 145,950) =
      // 4,621.50, which the engine rounds to whole dollars (halves to even).
      {"v13", "0.00"},
      {"v16", "4622.00"},
      {"v17", "65378.00"},
      // Four exemptions of 3,200; AGI 81,050 over 218,950: 33 steps of 2% = 66%.
      {"v14", "12800.00"},
      {"v15", "8448.00"},
      {"v18", "230270.00"},
      // 170,270 of ordinary income by Schedule Y-1: 1,460 + 6,720 + 15,137.50 + 28% of
      // 50,320 = 37,407.10; + 60,000 at 15%.
      {"v19", "46407.10"},
      {"v22", "0.00"},  // the child credit is phased out above 110,000
      // Minimum-tax income 300,000 - 20,000; exemption 58,000 - 25% of 130,000 = 25,500;
      // 194,500 at 26% / 28% = 50,960 + 60,000 at 15% = 59,960.
      {"v26", "280000.00"},
      {"v27", "13552.90"},
      {"v28", "59960.00"},
      {"fiitax", "59960.00"},
      // 90,000 x 6.2% + 180,000 x 1.45% = 8,190 and 60,000 x 7.65% = 4,590, both shares.
      {"fica", "25560.00"},
      {"tfica", "12780.00"},
      {"v29", "25560.00"},
      // 1,000 more wages: 1,250 more minimum-tax base at 28% = 350.
      {"frate", "35.00"},
      // Above the wage base only Medicare: 14.50 rounds to 14 (halves to even), both shares.
      {"ficar", "2.80"},
  };
  for (const auto& [column, value] : expected) {
    EXPECT_EQ(detailed.rows[0].at(column), value) << column;
    if (got.rows[0].count(column) != 0) {
      EXPECT_EQ(got.rows[0].at(column), value) << column;
    }
  }
  for (const char* zero : {"v20", "v21", "v23", "v24", "v25"})
    EXPECT_EQ(detailed.rows[0].at(zero), "0.00") << zero;
}

const std::string kExamples = FENNICK_EXAMPLES;
const std::string kGood = "taxsimid,year,mstat,pwages\n1,2005,1,50000\n";
// 50,000 - 5,000 - 3,200 = 41,800: 730 + 15% of 22,400 + 25% of 12,100 = 7,115. The raise of
// 1,000 is taxed at 25%; FICA 7.65% of 1,000 = 76.50 rounds to 77 (halves to even), both shares.
const std::string kHeader = "taxsimid,year,state,fiitax,siitax,fica,frate,srate,ficar,tfica\n";
const std::string kGoodOut = kHeader + "1,2005,0,7115.00,0.00,7650.00,25.00,0.00,15.40,3825.00\n";

// The command as a process: bad rows, exit statuses, messages and the output file.
TEST(HouseholdBatch, BadRowsAndExitStatus) {
  TempFolder folder;
  const std::string fennick = std::string("'") + FENNICK_CLI + "'";
  struct {
    std::string arguments;
    std::string input;
    int status;
    std::string out;      // the whole standard output, when not empty
    std::string message;  // found in standard error
  } rows[] = {
      {"--batch -", kGood, 0, kGoodOut, ""},
      {"--batch - --jobs 0", kGood, 2, "", "--jobs needs a whole number from 1"},
      {"--batch", kGood, 2, "", "--batch needs one file name"},
      {"--batch - --json", kGood, 2, "", "--json cannot be used with --batch"},
      {"--batch '" + folder.File("absent.csv") + "'", "", 2, "", "absent.csv"},
      {"--batch -", "", 2, "", "needs a header line"},
      {"--batch -", "taxsimid,year,mstat,wages\n1,2005,1,50000\n", 2, "",
       "unknown column \"wages\""},
      {"--batch -", "year,YEAR\n", 2, "", "\"year\" appears twice"},
      {"--batch -", "taxsimid,year,pwages,mstat\n1,2005,9\"00,1\n2,2005,\"1\n", 2, "",
       "line 3: a quoted field opened here is never closed"},
      {"--batch -", "taxsimid,year,pwages\n1,2005,100\n", 1, kHeader + "1,2005,,,,,,,,\n",
       "line 2 (taxsimid 1): mstat is missing or empty: it must be 1 (single)"},
      {"--batch -", "taxsimid,mstat\n1,1\n", 1, kHeader + "1,,,,,,,,,\n",
       "line 2 (taxsimid 1): year is missing or empty: it must be 2001 or later"},
      {"--batch -", "taxsimid,year,mstat,pwages,swages\n1,2005,2,900000000000000,900000000000000\n",
       1, kHeader + "1,2005,,,,,,,,\n", "line 2 (taxsimid 1): the computation failed: "},
      {"--batch -",
       "taxsimid,year,mstat,pwages,gssi,state\n"
       "1,2005,1,50000,0,0\n"
       "2,2005,3,50000,0,0\n"
       "3,2000,1,50000,0,0\n"
       "4,2005,1,5O000,0,0\n"
       "5,2005,1,50000,1200,0\n"
       "6,2005,1,50000,0,36\n"
       "7,2005,1,50000,0,0,9\n"
       "8,2005,1,-5,0,0\n"
       "9,2005,1,50000.00001,0,0\n"
       "\"1,0\",2005,1,50000,0,0\n"
       "10,2005,1,50000,0,0\n",
       1,
       kHeader + "1,2005,0,7115.00,0.00,7650.00,25.00,0.00,15.40,3825.00\n"
                 "2,2005,,,,,,,,\n3,2000,,,,,,,,\n4,2005,,,,,,,,\n5,2005,,,,,,,,\n6,2005,,,,,,,,\n"
                 "7,2005,,,,,,,,\n8,2005,,,,,,,,\n9,2005,,,,,,,,\n\"1,0\",2005,,,,,,,,\n"
                 "10,2005,0,7115.00,0.00,7650.00,25.00,0.00,15.40,3825.00\n",
       "line 3 (taxsimid 2): mstat \"3\": it must be 1 (single), 2 (joint), 6 (separate) or 8"},
  };
  for (const auto& row : rows) {
    const auto run = RunCommand(folder, fennick + " " + row.arguments, row.input);
    EXPECT_EQ(run.status, row.status) << row.arguments << "\n" << run.err;
    if (!row.out.empty()) {
      EXPECT_EQ(run.out, row.out) << row.arguments;
    }
    EXPECT_NE(run.err.find(row.message), std::string::npos) << row.arguments << "\n" << run.err;
  }
  // Every bad row of the last run, each with its line, taxsimid and column.
  const auto run = RunCommand(folder, fennick + " --batch -", rows[std::size(rows) - 1].input);
  for (const char* message : {
           "line 4 (taxsimid 3): year 2000 is not a tax year: it must be 2001 or later",
           "line 5 (taxsimid 4): pwages 5O000 is not a number",
           "line 6 (taxsimid 5): gssi 1200: this income is not modelled",
           "line 7 (taxsimid 6): state 36: state tax is not modelled",
           "line 8 (taxsimid 7): the row has 7 fields where the header has 6",
           "line 9 (taxsimid 8): pwages -5 is negative",
           "line 10 (taxsimid 9): pwages 50000.00001 is not a number",
           "line 11 (taxsimid 1,0): taxsimid 1,0 is not a number",
       })
    EXPECT_NE(run.err.find(message), std::string::npos) << message << "\n" << run.err;

  // --output: written whole; a failed run leaves the file as it was.
  const std::string out = folder.File("out.csv");
  const auto done = RunCommand(folder, fennick + " --batch - --output '" + out + "'", kGood);
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(qel::testing::ReadBytes(out), kGoodOut);
  const auto failed = RunCommand(folder, fennick + " --batch - --output '" + out + "'", "yeer\n");
  EXPECT_EQ(failed.status, 2);
  EXPECT_EQ(qel::testing::ReadBytes(out), kGoodOut);
  // The input under another name is never the output; ids are echoed with controls escaped.
  const std::string in = folder.File("in.csv");
  qel::testing::WriteBytes(in, kGood);
  const auto same = RunCommand(
      folder, fennick + " --batch '" + in + "' --output '" + folder.File(".") + "/in.csv'");
  EXPECT_EQ(same.status, 2);
  EXPECT_NE(same.err.find("is the input " + in), std::string::npos) << same.err;
  EXPECT_EQ(qel::testing::ReadBytes(in), kGood);
  const auto escaped = RunCommand(folder, fennick + " --batch -", "taxsimid,year\n\x1B[2J,1999\n");
  EXPECT_NE(escaped.err.find("(taxsimid \\x1B[2J)"), std::string::npos) << escaped.err;
}

// Blank-separated input (blanks and tabs, runs of them, blanks around lines) reads as the same
// households as comma-separated input; the detail columns appear from the first pass over a pipe.
TEST(HouseholdBatch, BlankSeparatedInputAndDetailFromAPipe) {
  TempFolder folder;
  const std::string fennick = std::string("'") + FENNICK_CLI + "'";
  const std::string commas =
      "taxsimid,year,mstat,depx,pwages,ltcg,idtl\n1,2005,2,1,80000,5000,0\n2,2003,1,0,40000,0,2\n";
  const std::string blanks =
      "taxsimid year  mstat\tdepx pwages ltcg idtl\n"
      "  1 2005 2 1 80000 5000 0\n"
      "2\t2003\t1\t0\t40000\t0\t2  \n";
  const auto fromCommas = RunCommand(folder, fennick + " --batch -", commas);
  const auto fromBlanks = RunCommand(folder, "cat | " + fennick + " --batch -", blanks);
  EXPECT_EQ(fromCommas.status, 0) << fromCommas.err;
  EXPECT_EQ(fromBlanks.status, 0) << fromBlanks.err;
  EXPECT_EQ(fromBlanks.out, fromCommas.out);
  EXPECT_NE(fromBlanks.out.find("tfica,v10,"), std::string::npos) << fromBlanks.out;
  // Row 1 did not ask for the detail columns: they are empty.
  EXPECT_NE(fromBlanks.out.find("\n1,2005,0,"), std::string::npos);
  EXPECT_NE(fromBlanks.out.find(std::string(20, ',') + "\n2,2003,0,"), std::string::npos)
      << fromBlanks.out;
}

// Thousands of households over several blocks: four jobs write what one job writes.
TEST(HouseholdBatch, InputOrderIsKeptWithFourJobs) {
  std::string csv = "taxsimid,year,mstat,depx,pwages,swages,ltcg,proptax,idtl\n";
  for (int i = 1; i <= 6000; ++i) {
    csv += std::to_string(i) + "," + std::to_string(2001 + i % 5) + "," + (i % 3 ? "1" : "2") +
           "," + std::to_string(i % 4) + "," + std::to_string(1000 + i * 37 % 250000) + "," +
           (i % 3 ? "0" : std::to_string(i * 11 % 90000)) + "," + std::to_string(i % 7 * 4000) +
           "," + std::to_string(i % 5 * 2000) + "," + (i % 97 == 0 ? "2" : "0") + "\n";
  }
  csv += "6001,1999,1,0,0,0,0,0,0\n";  // a bad row last
  const Output one = RunInProcess(csv, true, 1);
  const Output four = RunInProcess(csv, true, 4);
  ASSERT_EQ(one.rows.size(), 6001u);
  EXPECT_EQ(four.rows, one.rows);
  EXPECT_EQ(four.bad, 1);
  EXPECT_EQ(four.problems, one.problems);
  for (std::size_t i = 0; i < four.rows.size(); ++i)
    ASSERT_EQ(four.rows[i].at("taxsimid"), std::to_string(i + 1));
}

}  // namespace

namespace {

// The figure of a result property in `fennick --json` output ("13,270" -> 13270).
double JsonAmount(const std::string& json, const std::string& name) {
  const std::string key = "\"" + name + "\": \"";
  const std::size_t at = json.find(key);
  if (at == std::string::npos) return -1;
  std::string digits;
  for (std::size_t i = at + key.size(); i < json.size() && json[i] != '"'; ++i)
    if (json[i] != ',') digits += json[i];
  return std::stod(digits);
}

// The example households, written by hand from the column table, give the fiitax of the same
// households written as scenario files and computed one at a time.
TEST(HouseholdBatch, ExampleHouseholdsAsScenarioFiles) {
  TempFolder folder;
  const std::string fennick = std::string("'") + FENNICK_CLI + "'";
  const auto batch = RunCommand(folder, fennick + " --batch '" + kExamples + "/households.csv'");
  ASSERT_EQ(batch.status, 0) << batch.err;
  std::stringstream lines(batch.out);
  std::string line;
  std::getline(lines, line);
  int column = 0;
  while (std::getline(lines, line)) {
    ++column;
    SCOPED_TRACE(line);
    const auto json = RunCommand(
        folder, fennick + " --json '" + kExamples + "/households.scn' " + std::to_string(column));
    ASSERT_EQ(json.status, 0) << json.err;
    const double fiitax = std::stod(SplitCommas(line).at(3));
    EXPECT_EQ(Shown(fiitax), JsonAmount(json.out, "RegAndAmtTax") - JsonAmount(json.out, "TotCr"));
  }
  EXPECT_EQ(column, 4);
}

}  // namespace
