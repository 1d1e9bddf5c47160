// Scenario files: several scenarios in one file, round trips, defaults and refused files.
#include <sys/stat.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/text.h"
#include "qel/textnum.h"
#include "test_util.h"

namespace {

using namespace fennick_test;

long LoadError(fennick::_iTop& top, const std::string& path, std::string* description = nullptr) {
  try {
    top.Load(path);
  } catch (const qel::QelError& e) {
    if (description) *description = e.description();
    return e.number();
  }
  return 0;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Three different households, one per column.
std::unique_ptr<fennick::_iTop> Household(int column) {
  std::unique_ptr<fennick::_iTop> top;
  switch (column) {
    case 1:
      top = NewScenario(2005, 2, 4);
      Set(*top, {{"Spouse1", "Dana"},
                 {"Spouse2", "Lee"},
                 {"ScenarioDesc", "joint"},
                 {"oInc.WageSp1", "62000"},
                 {"oInc.SEIncSp2", "18000"},
                 {"oInc.Dividends", "2500"},
                 {"oInc.LTCG", "6000"},
                 {"oInc.STCG", "-1000"},
                 {"oAdj2Inc.IRAContribSP1", "4000"},
                 {"oAdj2Inc.IsSp1InRetPlan", "True"},
                 {"oAdj2Inc.IRAContribSP2", "4000"},
                 {"oAdj2Inc.SEMedInsPmts", "3000"},
                 {"oItem.HomeMortIntReg", "9500"},
                 {"oItem.SITPd", "3900"},
                 {"oItem.CharDed", "2400"},
                 {"oTaxCr.NumOfChildCrChildren", "2"},
                 {"oOtherTaxes.OtherTaxes", "150"},
                 {"TotPmts", "14000"}});
      break;
    case 2:
      top = NewScenario(2003, 1, 1);
      Set(*top, {{"Spouse1", "Avery"},
                 {"oInc.WageSp1", "48500"},
                 {"oInc.STCLCarryOver", "1500"},
                 {"oInc.STCG", "-2000"},
                 {"IsSp1Over65", "True"},
                 {"oItem.MedPmts", "7000"},
                 {"TotPmts", "7200"}});
      break;
    default:
      top = NewScenario(2001, 4, 3);
      Set(*top, {{"Spouse1", "Morgan"},
                 {"oInc.WageSp1", "71000"},
                 {"oInc.LTCG", "25000"},
                 {"oInc.Sec1231Losses", "700"},
                 {"oTaxCr.OtherCr", "300"},
                 {"oAdj2Inc.OtherAdj2Inc", "1200"},
                 {"TotPmts", "9000"}});
  }
  top->ColumnIdx(column);
  return top;
}

TEST(ScenarioFile, ThreeColumnsRoundTripIntoFreshObjects) {
  TempDir dir;
  std::string path = dir.File("three.scn");
  std::vector<std::unique_ptr<fennick::_iTop>> saved;
  for (int column = 1; column <= 3; ++column) {
    saved.push_back(Household(column));
    saved.back()->Calculate();
    saved.back()->ApplyEdit(path);
  }
  for (int column = 1; column <= 3; ++column) {
    auto loaded = fennick::CreateTop();
    loaded->ColumnIdx(column);
    loaded->Load(path);
    EXPECT_FALSE(loaded->IsDirty());
    EXPECT_FALSE(loaded->IsCalculated());
    loaded->Calculate();
    fennick::_iTop& original = *saved[static_cast<std::size_t>(column - 1)];
    EXPECT_EQ(loaded->Taxpayer(), original.Taxpayer());
    EXPECT_EQ(loaded->TaxYear(), original.TaxYear());
    EXPECT_EQ(loaded->FilingStatus(), original.FilingStatus());
    for (const auto& name : fennick::ResultPropertyNames()) {
      EXPECT_EQ(fennick::GetProperty(*loaded, name), fennick::GetProperty(original, name))
          << "column " << column << " " << name;
    }
  }
}

TEST(ScenarioFile, LoadedObjectsAreNotEditing) {
  TempDir dir;
  std::string path = dir.File("one.scn");
  Household(1)->ApplyEdit(path);
  auto loaded = fennick::CreateTop();
  loaded->Load(path);
  EXPECT_EQ(loaded->oInc()->Dividends(), "2,500");
  loaded->oInc()->Dividends("1");  // not editing: ignored
  EXPECT_EQ(loaded->oInc()->Dividends(), "2,500");
  EXPECT_FALSE(loaded->IsDirty());
}

TEST(ScenarioFile, OtherSectionsUntouchedAndAmountsWholeDollars) {
  TempDir dir;
  std::string path = dir.File("cols.scn");
  WriteText(path, "[Scenario1]\nWages Spouse 1=1\n[Other]\nKeep=me\n");
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oInc.WageSp1", "50000.75"}});
  top->ColumnIdx(3);
  top->ApplyEdit(path);
  qel::KeyedDataFile file;
  file.SetFileName(path);
  EXPECT_EQ(file.ReadValue("Scenario3", "Wages Spouse 1", "?"), "50,001");
  EXPECT_EQ(file.ReadValue("Scenario1", "Wages Spouse 1", "?"), "1");
  EXPECT_EQ(file.ReadValue("Other", "Keep", "?"), "me");
  EXPECT_EQ(file.ReadValue("Scenario3", "Filing Status", "?"), "1");
  EXPECT_EQ(file.ReadValue("Scenario3", "Spouse 1 Blind", "?"), "False");
}

TEST(ScenarioFile, MissingSectionLoadsDefaults) {
  TempDir dir;
  std::string path = dir.File("d.scn");
  WriteText(path, "[Scenario1]\nYear=2003\n");
  auto top = fennick::CreateTop();
  top->ColumnIdx(2);
  top->Load(path);
  EXPECT_EQ(top->TaxYear(), "2005");
  EXPECT_EQ(top->FilingStatus(), fennick::fl_joint);
  EXPECT_EQ(top->Dependents(), "1");
  EXPECT_FALSE(top->IsSp1Blind());
  EXPECT_EQ(top->oInc()->WageSp1(), "0");
  EXPECT_FALSE(fennick::ScenarioExists(path, 2));
  EXPECT_TRUE(fennick::ScenarioExists(path, 1));
}

TEST(ScenarioFile, OnlyChangedChildrenAreSaved) {
  TempDir dir;
  std::string path = dir.File("c.scn");
  auto top = NewScenario(2005, 1);
  top->ApplyEdit(path);
  top->BeginEdit();
  top->oTaxCr()->NumOfChildCrChildren("2");
  top->ApplyEdit(path);
  EXPECT_FALSE(top->IsDirty());
  auto loaded = fennick::CreateTop();
  loaded->Load(path);
  EXPECT_EQ(loaded->oTaxCr()->NumOfChildCrChildren(), "2");
}

TEST(ScenarioFile, RefusedFiles) {
  TempDir dir;
  auto top = fennick::CreateTop();
  std::string description;
  EXPECT_EQ(LoadError(*top, ""), 10003);
  EXPECT_EQ(LoadError(*top, dir.File("absent.scn"), &description), 53);
  EXPECT_NE(description.find("absent.scn"), std::string::npos) << description;

  std::string pipe = dir.File("pipe.scn");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {dir.path().string(), pipe, std::string("/dev/zero")}) {
    EXPECT_EQ(LoadError(*top, path, &description), 75) << path;
    EXPECT_NE(description.find(path), std::string::npos) << description;
  }

  std::string bad = dir.File("bad.scn");
  WriteText(bad, "[Scenario1]\nYear=2004\nDividends=lots\n");
  EXPECT_EQ(LoadError(*top, bad), 10002);
  EXPECT_EQ(top->TaxYear(), "2004");  // values before the failure stay
  WriteText(bad, "[Scenario1]\nSpouse 1 Blind=perhaps\n");
  EXPECT_EQ(LoadError(*top, bad), 13);
  WriteText(bad, "[Scenario1]\nFiling Status=two\n");
  EXPECT_EQ(LoadError(*top, bad), 13);

  auto editing = NewScenario(2005, 1);
  editing->oInc()->WageSp1("5");
  try {
    editing->ApplyEdit("");
    ADD_FAILURE() << "saved without a name";
  } catch (const qel::QelError& e) {
    EXPECT_EQ(e.number(), 10003);
  }
  EXPECT_TRUE(editing->IsDirty());  // nothing lost
}

TEST(ScenarioFile, SavingALoadedScenarioElsewhereWritesIt) {
  // Loaded from column 1 of one file, unchanged, then saved to another column or another file.
  struct {
    const char* what;
    int column;
    const char* target;
  } rows[] = {{"another column", 2, "one.scn"}, {"another file", 1, "two.scn"}};
  for (const auto& row : rows) {
    TempDir dir;
    std::string source = dir.File("one.scn");
    Household(1)->ApplyEdit(source);
    auto top = fennick::CreateTop();
    top->Load(source);
    top->ColumnIdx(row.column);
    top->ApplyEdit(dir.File(row.target));
    EXPECT_TRUE(fennick::ScenarioExists(dir.File(row.target), row.column)) << row.what;
    auto loaded = fennick::CreateTop();
    loaded->ColumnIdx(row.column);
    loaded->Load(dir.File(row.target));
    EXPECT_EQ(loaded->oInc()->WageSp1(), "62,000") << row.what;
    EXPECT_EQ(loaded->Taxpayer(), "Dana & Lee") << row.what;
  }
}

// Scenario files keep one number syntax whatever the user's locale; the locale shapes only what
// the properties show and take.
class LocaleFiles : public ::testing::TestWithParam<std::pair<const char*, const char*>> {
 protected:
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(LocaleFiles, ExampleRoundTripKeepsTheFileSyntax) {
  auto [locale, typedWages] = GetParam();
  TempDir dir;
  std::string path = dir.File("joint.scn");
  std::filesystem::copy_file(std::string(FENNICK_EXAMPLES) + "/joint2005.scn", path);

  std::map<std::string, std::string> expected;  // the results as a US host shows them
  auto us = fennick::CreateTop();
  us->Load(path);
  us->Calculate();
  for (const auto& name : fennick::ResultPropertyNames()) {
    expected[name] = fennick::GetProperty(*us, name);
  }
  ASSERT_EQ(expected["TotTax"], "6,612");

  if (std::setlocale(LC_ALL, locale) == nullptr) GTEST_SKIP() << locale << " is not installed";
  auto top = fennick::CreateTop();
  top->Load(path);
  top->Calculate();
  for (const auto& name : fennick::ResultPropertyNames()) {
    EXPECT_EQ(qel::LocaleToFileText(fennick::GetProperty(*top, name)), expected[name]) << name;
  }
  EXPECT_EQ(top->oInc()->WageSp1(), qel::FileToLocaleText("62,000"));

  top->BeginEdit();
  top->oInc()->WageSp1(typedWages);
  top->ScenarioDesc("1.500");  // a name, kept as typed
  top->ApplyEdit(path);
  std::setlocale(LC_ALL, "C");
  qel::KeyedDataFile file;
  file.SetFileName(path);
  const std::pair<const char*, const char*> stored[] = {
      {"Wages Spouse 1", "63,500"},      {"Short Term Cap Gain", "-1,000"},
      {"Total Payments", "14,000"},      {"Year", "2005"},
      {"Scenario Description", "1.500"},
  };
  for (const auto& [key, text] : stored) {
    EXPECT_EQ(qel::TrimTrailingBlanks(file.ReadValue("Scenario1", key, "?")), text) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleFiles,
                         ::testing::Values(std::pair{"de_DE.UTF-8", "63.500"},
                                           std::pair{"fr_FR.UTF-8", "63\u202F500"}));

}  // namespace
