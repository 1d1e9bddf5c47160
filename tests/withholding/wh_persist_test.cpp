// Saving and loading a case: the data file's keys, order and defaults, and failed saves/loads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "qel/keyed_data_file.h"
#include "test_support.h"
#include "wh_bus_obj_impl.h"
#include "wh_persist.h"

namespace {

using ostrand::WhBusObj;
using ostrand_test::CatchError;
using ostrand_test::ReadFile;
using ostrand_test::TempFolder;
using ostrand_test::WriteFile;

std::string Read(const std::string& path, const char* section, const char* key) {
  qel::KeyedDataFile file;
  file.SetFileName(path);
  return file.ReadValue(section, key, "<missing>");
}

void FillCase(WhBusObj& o) {
  o.sTaxpayer("Jo Smith");
  o.Line2("12 Elm Street   ");
  o.enumFrequency(ostrand::semimonthly);
  o.sAllowancesIP("3");
  o.IsSingle(true);
  o.enumComputationType(ostrand::targeted);
  o.sAdditionalPayckWH("12.5");
  o.sWages4Yr("52000");
  o.sRemainingWages("1234567.891");
  o.sRemainingPeriods("7");
  o.sTargetedWH4Yr("2500");
  o.sWagesPercent("n/a");
}

TEST(DataFile, FreshObjectWritesEveryKeyInOrder) {
  TempFolder folder;
  const std::string path = folder.File("fresh.zov");
  WhBusObj o;
  o.ApplyEdit(path);
  EXPECT_FALSE(o.IsNew());
  EXPECT_FALSE(o.IsDirty());

  const struct {
    const char* section;
    const char* key;
    const char* value;
  } rows[] = {
      {"Common", "Version", "ZOV2005.10"},
      {"Common", "TP", ""},
      {"Common", "Freq", "0"},
      {"Common", "Allow", "0"},
      {"Common", "Unmarried", "False"},
      {"Common", "Comp Type", "0"},
      {"Common", "Addl WH", "0.00"},
      {"Common", "L2", ""},
      {"Proforma", "Wage 4 yr", "0.00"},
      {"Targeted", "Remain Wages", "0.00"},
      {"Targeted", "Remain Periods", "0"},
      {"Targeted", "Targ WH", "0.00"},
      {"Percent", "Wages", "0.00"},
  };
  const std::string text = "\n" + ReadFile(path);
  std::size_t last = 0;
  for (const auto& row : rows) {
    EXPECT_EQ(Read(path, row.section, row.key), row.value) << row.key;
    const std::size_t pos = text.find(std::string("\n") + row.key + "=");
    ASSERT_NE(pos, std::string::npos) << row.key << " in" << text;
    EXPECT_GE(pos, last) << row.key << " out of order in\n" << text;
    last = pos;
  }
}

TEST(DataFile, SavedCaseReloadsToTheSameInputs) {
  TempFolder folder;
  const std::string path = folder.File("case.zov");
  WhBusObj saved;
  saved.BeginEdit();
  FillCase(saved);
  saved.ApplyEdit(path);
  EXPECT_FALSE(saved.IsEditing());
  EXPECT_EQ(Read(path, "Proforma", "Wage 4 yr"), "52,000.00");
  EXPECT_EQ(Read(path, "Common", "L2"), "12 Elm Street");

  WhBusObj loaded;
  loaded.Load(path);
  const char* inputs[] = {"sTaxpayer",          "Line2",          "enumFrequency",
                          "sAllowancesIP",      "IsSingle",       "enumComputationType",
                          "sAdditionalPayckWH", "sWages4Yr",      "sRemainingWages",
                          "sRemainingPeriods",  "sTargetedWH4Yr", "sWagesPercent"};
  for (const char* name : inputs) {
    EXPECT_EQ(ostrand::GetProperty(loaded, name), ostrand::GetProperty(saved, name)) << name;
  }
  EXPECT_EQ(loaded.sWages4Yr(), "52,000.00");
  EXPECT_EQ(loaded.sRemainingWages(), "1,234,567.89");
  EXPECT_EQ(loaded.sWagesPercent(), "n/a");
  EXPECT_EQ(loaded.sMaritalStatus(), "Unmarried");
  EXPECT_TRUE(loaded.IsDirty());
  EXPECT_FALSE(loaded.IsNew());
  EXPECT_FALSE(loaded.IsEditing());
  EXPECT_EQ(loaded.IsCalculated(), "False");
}

TEST(DataFile, HandWrittenFileLoads) {
  TempFolder folder;
  const std::string path = folder.File("hand.zov");
  WriteFile(path,
            "; written by hand\r\n"
            "[Common]\r\n"
            "Version = ZOV2004.3\r\n"
            "TP = Ann Lee\r\n"
            "Freq = 1\r\n"
            "\r\n"
            "Allow=2\r\n"
            "Unmarried = true\r\n"
            "; Comp Type left out: the percentage method\r\n"
            "[Percent]\r\n"
            "Wages = 1,500.00\r\n");
  WhBusObj o;
  o.Load(path);
  EXPECT_EQ(o.sTaxpayer(), "Ann Lee");
  EXPECT_EQ(o.enumFrequency(), ostrand::biweekly);
  EXPECT_EQ(o.sAllowancesIP(), "2");
  EXPECT_TRUE(o.IsSingle());
  EXPECT_EQ(o.enumComputationType(), ostrand::Percent);
  EXPECT_EQ(o.sWagesPercent(), "1,500.00");
  EXPECT_EQ(o.sAdditionalPayckWH(), "0.00");
  EXPECT_EQ(o.sWages4Yr(), "0.00");
  EXPECT_EQ(o.Line2(), "");
  EXPECT_EQ(o.Version(), "ZOV2005.10");
}

TEST(DataFile, EmptyFileLoadsThePercentageMethodDefaults) {
  TempFolder folder;
  const std::string path = folder.File("empty.zov");
  WriteFile(path, "");
  WhBusObj o;
  o.sWages4Yr("99");
  o.IsSingle(true);
  o.Load(path);
  EXPECT_EQ(o.enumComputationType(), ostrand::Percent);
  EXPECT_EQ(o.enumFrequency(), ostrand::weekly);
  EXPECT_FALSE(o.IsSingle());
  EXPECT_EQ(o.sWages4Yr(), "0.00");
}

TEST(DataFile, LoadWhileEditingStoresTheVersionInTheRecord) {
  TempFolder folder;
  const std::string path = folder.File("v.zov");
  WriteFile(path, "[Common]\nVersion=ZOV2004.3\n");
  WhBusObj o;
  o.BeginEdit();
  o.Load(path);
  EXPECT_EQ(o.GetState().substr(0, 20), u"ZOV2004.3           ");

  WriteFile(path, "[Common]\nTP=x\n");
  o.Load(path);  // no Version key: the default is the Version getter
  EXPECT_EQ(o.GetState().substr(0, 20), u"ZOV2005.10          ");
}

TEST(DataFile, LoadOfAMissingFileRaisesFileNotFound) {
  TempFolder folder;
  const std::string path = folder.File("missing.zov");
  WhBusObj o;
  const qel::QelError e = CatchError([&] { o.Load(path); });
  EXPECT_EQ(e.number(), 53);
  EXPECT_EQ(e.source().rfind("WhBusObj.Load\rPSVPersist.Fetch\r", 0), 0u) << e.source();
  EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
  EXPECT_TRUE(o.IsNew());
  EXPECT_FALSE(o.IsDirty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DataFile, LoadWithoutAFileNameRaises10003) {
  WhBusObj o;
  const qel::QelError e = CatchError([&] { o.Load(""); });
  EXPECT_EQ(e.number(), 10003);
  EXPECT_EQ(e.source().rfind("WhBusObj.Load\rPSVPersist.Fetch\r", 0), 0u) << e.source();
  EXPECT_TRUE(o.IsNew());
}

TEST(DataFile, UnconvertibleValuesFailTheLoadAfterTheEarlierKeys) {
  const struct {
    const char* text;
    const char* failingKey;
  } rows[] = {
      {"[Common]\nTP=Kept\nFreq=weekly\n", "Freq"},
      {"[Common]\nTP=Kept\nUnmarried=yes\n", "Unmarried"},
      {"[Common]\nTP=Kept\nComp Type=2.x\n", "Comp Type"},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    const std::string path = folder.File("bad.zov");
    WriteFile(path, row.text);
    WhBusObj o;
    const qel::QelError e = CatchError([&] { o.Load(path); });
    EXPECT_EQ(e.number(), 13) << row.failingKey;
    EXPECT_EQ(e.source(), "WhBusObj.Load\rPSVPersist.Fetch");
    EXPECT_EQ(o.sTaxpayer(), "Kept") << row.failingKey;
    EXPECT_TRUE(o.IsNew()) << row.failingKey;
  }
}

TEST(DataFile, ApplyEditWritesOnlyWhenNewOrDirty) {
  TempFolder folder;
  const std::string first = folder.File("first.zov");
  const std::string second = folder.File("second.zov");
  WhBusObj o;
  o.BeginEdit();
  o.ApplyEdit(first);  // new: written
  ASSERT_TRUE(std::filesystem::exists(first));
  o.BeginEdit();
  o.sWages4Yr("100");  // dirty
  o.ApplyEdit(second);
  EXPECT_TRUE(std::filesystem::exists(second));

  const std::string third = folder.File("third.zov");
  o.BeginEdit();
  o.ApplyEdit(third);  // neither new nor dirty
  EXPECT_FALSE(std::filesystem::exists(third));
  EXPECT_FALSE(o.IsEditing());
}

TEST(DataFile, FrequencyAndAdditionalChangedInAnEditAreSaved) {
  TempFolder folder;
  const std::string path = folder.File("freq.zov");
  WhBusObj o;
  o.ApplyEdit(path);
  o.BeginEdit();
  o.enumFrequency(ostrand::monthly);
  o.ApplyEdit(path);
  EXPECT_EQ(Read(path, "Common", "Freq"), "3");
  o.BeginEdit();
  o.sAdditionalPayckWH("25");
  o.ApplyEdit(path);
  EXPECT_EQ(Read(path, "Common", "Addl WH"), "25.00");
}

TEST(DataFile, SaveKeepsOtherSectionsOfTheFile) {
  TempFolder folder;
  const std::string path = folder.File("shared.zov");
  WriteFile(path, "[Notes]\nWho=payroll\n[Common]\nTP=old\n");
  WhBusObj o;
  o.sTaxpayer("new");
  o.ApplyEdit(path);
  EXPECT_EQ(Read(path, "Notes", "Who"), "payroll");
  EXPECT_EQ(Read(path, "Common", "TP"), "new");
}

TEST(DataFile, FailedSaveRaisesAndLeavesTheEditOpen) {
  TempFolder folder;
  const std::string paths[] = {
      (folder.path() / "no such folder" / "case.zov").string(),  // missing folder
      "",                                                        // no name at all
      folder.path().string(),                                    // a folder, not a file
      "/proc/ostrand-case.zov",  // a folder that refuses new files, even to the superuser
  };
  for (const std::string& path : paths) {
    WhBusObj o;
    o.BeginEdit();
    o.sWages4Yr("52000");
    const qel::QelError e = CatchError([&] { o.ApplyEdit(path); });
    EXPECT_NE(e.number(), 0) << path;
    EXPECT_EQ(e.source().rfind("WhBusObj.ApplyEdit\rPSVPersist.Save\r", 0), 0u) << e.source();
    EXPECT_TRUE(o.IsDirty()) << path;
    EXPECT_TRUE(o.IsEditing()) << path;
    EXPECT_TRUE(o.IsNew()) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(paths[0]));
  EXPECT_TRUE(std::filesystem::is_directory(paths[2]));
}

TEST(DataFile, SaveIntoAReadOnlyFolderRaises) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TempFolder folder;
  std::filesystem::permissions(
      folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  WhBusObj o;
  o.BeginEdit();
  o.sTaxpayer("Jo");
  const qel::QelError e = CatchError([&] { o.ApplyEdit(folder.File("case.zov")); });
  EXPECT_NE(e.number(), 0);
  EXPECT_TRUE(o.IsDirty());
  EXPECT_TRUE(o.IsEditing());
}

TEST(DataFile, LineBreakInAValueRefusesTheWholeSave) {
  TempFolder folder;
  const std::string path = folder.File("break.zov");
  WriteFile(path, "[Common]\nTP=Before\nFreq=2\n");
  const std::string before = ReadFile(path);
  WhBusObj o;
  o.BeginEdit();
  o.enumFrequency(ostrand::weekly);
  o.Line2("first\nsecond");
  const qel::QelError e = CatchError([&] { o.ApplyEdit(path); });
  EXPECT_EQ(e.number(), 5);
  EXPECT_EQ(e.source().rfind("WhBusObj.ApplyEdit\rPSVPersist.Save\r", 0), 0u) << e.source();
  EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
  EXPECT_EQ(ReadFile(path), before) << "nothing of the failed save reached the file";
  EXPECT_TRUE(o.IsDirty());
}

TEST(Persist, StateHandOverAndFetchResult) {
  TempFolder folder;
  const std::string path = folder.File("p.zov");
  WriteFile(path, "[Common]\nTP=x\n");
  ostrand::WhPersist persist;
  persist.SetState(u"state");
  EXPECT_EQ(persist.GetState(), u"state" + std::u16string(294, u' '));
  persist.FileName(path);
  WhBusObj target;
  EXPECT_EQ(persist.Fetch(target), persist.GetState());  // its own record, not the target's
  EXPECT_EQ(target.sTaxpayer(), "x");
}

}  // namespace
