// Tax years as data: the years are the table files present, a later year uses the latest file,
// and a new year's file is used with no change to the code.
#include <sys/wait.h>

#include <array>
#include <fstream>
#include <regex>
#include <sstream>

#include "test_util.h"

namespace {

using namespace fennick_test;
namespace fs = std::filesystem;

// The latest year whose table file the program folder holds.
int LatestYear(const fs::path& folder) {
  int latest = 0;
  std::regex name(R"(Ind(\d{4})\.tbl)");
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::smatch m;
    std::string file = entry.path().filename().string();
    if (std::regex_match(file, m, name)) latest = std::max(latest, std::stoi(m[1]));
  }
  return latest;
}

std::string Output(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::string out;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  EXPECT_EQ(pclose(pipe), 0) << command << "\n" << out;
  return out;
}

std::string Key(const std::string& json, const std::string& key) {
  std::smatch m;
  std::regex pattern("\"" + key + "\": \"([^\"]*)\"");
  return std::regex_search(json, m, pattern) ? m[1].str() : "(absent)";
}

// A copy of the program folder gets the file of the year after the latest one, made from the
// latest with another standard deduction, wage base and top rate; the command run there uses it
// for that year and the year after, and the installed folder is left alone.
TEST(TaxYears, ANewYearFileIsUsedWithNoChangeToTheCode) {
  const fs::path program = fs::path(FENNICK_CLI).parent_path();
  const int latest = LatestYear(program);
  ASSERT_GE(latest, 2005);
  const int next = latest + 1;
  TempDir dir;
  const fs::path copy = dir.File("bin");
  fs::create_directory(copy);
  for (const auto& entry : fs::directory_iterator(program)) {
    std::string file = entry.path().filename().string();
    if (file.ends_with(".tbl") || file == "fennick" || file.starts_with("libFennick.so")) {
      fs::copy_file(entry.path(), copy / file);  // a link is copied as the file it names
    }
  }
  std::ifstream in(program / ("Ind" + std::to_string(latest) + ".tbl"));
  std::ofstream out(copy / ("Ind" + std::to_string(next) + ".tbl"));
  std::string line;
  std::string section;
  while (std::getline(in, line)) {
    if (line.starts_with("[")) section = line;
    if (line.starts_with("StdDed=")) line = "StdDed=20000 40000 20000 30000 40000";
    if (line.starts_with("SocialSecurityWageBase=")) line = "SocialSecurityWageBase=30000";
    if (section == "[Schedule X]" && line.starts_with("Bracket")) {
      if (!line.starts_with("Bracket1=")) continue;
      line = "Bracket1=0 0 20";
    }
    out << line << "\n";
  }
  out.close();
  std::ofstream(dir.File("s.scn"))
      << "[Scenario1]\nYear=" << next << "\nFiling Status=1\nDependents=0\n"
      << "Wages Spouse 1=100,000\n[Scenario2]\nYear=" << next + 1
      << "\nFiling Status=1\nDependents=0\nWages Spouse 1=100,000\n";
  std::string command =
      "LD_LIBRARY_PATH='" + copy.string() + "' timeout 20 '" + (copy / "fennick").string() + "' ";
  for (int column : {1, 2}) {
    std::string json =
        Output(command + "--json '" + dir.File("s.scn") + "' " + std::to_string(column));
    EXPECT_EQ(Key(json, "TablesYear"), std::to_string(next)) << json;
    EXPECT_EQ(Key(json, "TaxInc"), "80,000") << json;              // 100,000 - 20,000
    EXPECT_EQ(Key(json, "IncTax"), "16,000") << json;              // 20% of 80,000
    EXPECT_EQ(Key(json, "oOtherTaxes.FicaSp1"), "3,310") << json;  // 6.2% of 30,000 + 1,450
  }
  std::string report = Output(command + "'" + dir.File("s.scn") + "' 2");
  EXPECT_NE(report.find("Figures of " + std::to_string(next) + " used for tax year " +
                        std::to_string(next + 1) + "\n"),
            std::string::npos)
      << report;
  // The installed folder has no such year: there the latest one serves.
  auto top = NewScenario(next, 1);
  top->Calculate();
  EXPECT_EQ(top->TablesYear(), std::to_string(latest));
}

}  // namespace
