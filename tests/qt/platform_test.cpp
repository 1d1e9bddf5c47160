// The Qt platform pieces without windows: the file filter and the settings stores.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "qt/qt_platform.h"

namespace corvala {
namespace {

TEST(FileFilters, TranslatedToQtSyntax) {
  struct Row {
    const char* filter;
    QStringList expected;
  };
  const Row rows[] = {
      {"Data Files(*.ZOV)|*.ZOV|All Files(*.*)|*.*||",
       {"Data Files (*.ZOV *.zov)", "All Files (*)"}},
      {"Text(*.txt)|*.txt;*.TXT|", {"Text (*.txt *.TXT)"}},
      {"Reports|*.rpt", {"Reports (*.rpt *.RPT)"}},
      {"", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.filter);
    EXPECT_EQ(QtFileFilters(row.filter), row.expected);
  }
}

class IniStore : public ::testing::Test {
 protected:
  std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
  void WriteFile(const char* name, const char* text) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
  }
  QTemporaryDir dir;
};

TEST_F(IniStore, ValuesRoundTripAndSurviveReopening) {
  const std::pair<const char*, const char*> values[] = {
      {"Font Name", "Courier New"},
      {"Font Size", "10.5"},
      {"File 1", "/home/ann/pay, roll/smith.zov"},
      {"File 2", "C:\\data\\old.zov"},
      {"File 3", ""},
  };
  {
    auto store = QtSettingsStore::IniFile(Path("Corvala.ini"));
    for (const auto& [key, value] : values) store->Write("User Preferences", key, value);
    store->Write("Data Files", "Data File Path", "/srv/data");
  }
  auto store = QtSettingsStore::IniFile(Path("Corvala.ini"));
  for (const auto& [key, value] : values) {
    SCOPED_TRACE(key);
    EXPECT_EQ(store->Read("User Preferences", key, "<default>"), value);
  }
  EXPECT_EQ(store->Read("Data Files", "Data File Path", ""), "/srv/data");
  EXPECT_EQ(store->Read("Data Files", "Missing", "<default>"), "<default>");
}

TEST_F(IniStore, ReadsAFileWrittenByHand) {
  WriteFile("hand.ini",
            "[User Preferences]\nFont Size=abc\nFont Name=\nFile 1=/tmp/a,b.zov\n"
            "[Hide Error Msg]\n380=1\n");
  auto store = QtSettingsStore::IniFile(Path("hand.ini"));
  EXPECT_EQ(store->Read("User Preferences", "Font Size", "10"), "abc");
  EXPECT_EQ(store->Read("User Preferences", "Font Name", "Courier New"), "")
      << "an empty value is not the default";
  EXPECT_EQ(store->Read("User Preferences", "File 1", ""), "/tmp/a,b.zov");
  EXPECT_EQ(store->Read("Hide Error Msg", "380", "0"), "1");
}

TEST_F(IniStore, LazyStoreOpensTheFileThePathNamesWhenUsed) {
  std::string path = Path("first.ini");
  LazyIniStore store([&path] { return path; });
  store.Write("Data Files", "Data File Path", "/one");
  path = Path("second.ini");
  EXPECT_EQ(store.Read("Data Files", "Data File Path", "none"), "none");
  store.Write("Data Files", "Data File Path", "/two");
  store.Sync();
  EXPECT_EQ(QtSettingsStore::IniFile(Path("first.ini"))->Read("Data Files", "Data File Path", ""),
            "/one");
  EXPECT_EQ(QtSettingsStore::IniFile(Path("second.ini"))->Read("Data Files", "Data File Path", ""),
            "/two");
}

}  // namespace
}  // namespace corvala
