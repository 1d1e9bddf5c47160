// Preferences at start-up, the report font on the printer, and the main window's position.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/internal.h"
#include "core/preferences.h"
#include "test_app.h"

namespace corvala {
namespace {

using testing::TestApp;
namespace P = Preferences;

TEST(GetIni, FreshInstallationGivesTheDefaults) {
  TestApp t;
  P::GetIni(t.app);
  const AppState& st = t.app.state;
  EXPECT_EQ(st.ReportFontName, "Courier New");
  EXPECT_EQ(st.ReportFontSize, 10.0f);
  EXPECT_FALSE(st.HideErrorMsg);
  // Cases start in the user's documents folder; the preferences are the user's own file.
  EXPECT_EQ(st.DataFilePath, t.dialogs.documentsFolder);
  EXPECT_EQ(t.prefs.Read("Data Files", "Data File Path", "?"), t.dialogs.documentsFolder);
  EXPECT_EQ(st.IniFile, t.folder / "config/qel-paystave/Corvala.ini");
  EXPECT_EQ(st.SavedPrinterFont.name, "Arial");
  EXPECT_EQ(st.RecentFiles[0], "");
  EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST(GetIni, StoredValuesAreRead) {
  TestApp t;
  t.prefs.Write("User Preferences", "Font Name", "");
  t.prefs.Write("User Preferences", "Font Size", "12.5");
  t.prefs.Write("Hide Error Msg", "380", "1");
  t.prefs.Write("Data Files", "Data File Path", t.folder.path().string());
  t.prefs.Write("User Preferences", "File 1", "/srv/cases/a.zov");
  P::GetIni(t.app);
  EXPECT_EQ(t.app.state.ReportFontName, "");  // an empty value is not the default
  EXPECT_EQ(t.app.state.ReportFontSize, 12.5f);
  EXPECT_TRUE(t.app.state.HideErrorMsg);
  EXPECT_EQ(t.app.state.DataFilePath, t.folder.path().string());
  EXPECT_EQ(t.app.state.RecentFiles[0], "/srv/cases/a.zov");
}

TEST(GetIni, AValueThatIsNotANumberFallsBackWithAWarning) {
  TestApp t;
  t.prefs.Write("User Preferences", "Font Size", "abc");
  P::GetIni(t.app);  // does not end the program
  EXPECT_EQ(t.app.state.ReportFontSize, 10.0f);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_NE(t.dialogs.boxes[0].text.find("'abc' of \"Font Size\""), std::string::npos);
  EXPECT_EQ(t.dialogs.boxes[0].icon, Icon::Exclamation);
}

TEST(GetIni, OpensThePreferencesFileItselfWhenNoStoreIsGiven) {
  TestApp t;
  t.app.platform.preferences = nullptr;
  testing::WriteFile(t.path("Corvala.ini"), "[User Preferences]\nFont Size=9\n");
  P::GetIni(t.app);
  // The file beside the program was taken over as the user's; writes go to the user's file.
  EXPECT_EQ(t.app.state.ReportFontSize, 9.0f);
  std::string ini = testing::ReadFile(t.app.state.IniFile);
  EXPECT_NE(ini.find("[Data Files]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Data File Path=" + t.dialogs.documentsFolder), std::string::npos);
}

TEST(GetIni, MalformedPreferencesFileWarnsOnceAndTheDefaultsServe) {
  TestApp t;
  t.app.platform.preferences = nullptr;
  testing::WriteFile(t.path("Corvala.ini"), "[User Preferences\nFont Size=9\n");
  P::GetIni(t.app);  // does not end the program
  EXPECT_EQ(t.app.state.ReportFontSize, 10.0f);
  EXPECT_EQ(t.app.state.ReportFontName, "Courier New");
  ASSERT_FALSE(t.dialogs.boxes.empty());
  EXPECT_NE(t.dialogs.boxes[0].text.find(t.app.state.IniFile), std::string::npos);
  int readWarnings = 0;
  for (const auto& box : t.dialogs.boxes) {
    if (box.text.find("cannot be read") != std::string::npos) ++readWarnings;
  }
  EXPECT_EQ(readWarnings, 1);
}

// The preferences are the user's, whether the program folder can be written or not, and the
// manual says where they are.
TEST(GetIni, PreferencesAreKeptInTheUserFolderAsTheManualSays) {
  testing::TempFolder config;
  testing::TempFolder writable;
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  for (const std::filesystem::path& folder :
       {std::filesystem::path("/nonexistent/lib/qel-paystave"), writable.path()}) {
    SCOPED_TRACE(folder.string());
    App app;
    app.programFolder = folder;
    EXPECT_EQ(P::PreferencesFilePath(app), config / "qel-paystave/Corvala.ini");
  }
  ::unsetenv("XDG_CONFIG_HOME");
  // The manual's paragraph on the preferences file: from its first mention to the paragraph's end
  // (the error log, elsewhere in the manual, may well be kept beside the program).
  const std::string manual = testing::ReadFile(CORVALA_MANUAL);
  const std::size_t at = manual.find("<code>~/.config/qel-paystave/Corvala.ini</code>");
  ASSERT_NE(at, std::string::npos);
  const std::size_t start = manual.rfind("<p>", at);
  const std::string paragraph = manual.substr(start, manual.find("</p>", at) - start);
  EXPECT_EQ(paragraph.find("beside the program when"), std::string::npos)
      << "the manual must not place them in the program folder";
}

// The preferences of an older installation, beside the program, are taken over once, whole.
TEST(GetIni, PreferencesBesideTheProgramAreTakenOverOnce) {
  testing::TempFolder config, program;
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  App app;
  app.programFolder = program.path();
  app.programFileStem = "Corvala";
  const std::string old = "[User Preferences]\r\nFile 1=/home/ann/a.zov\r\n";
  qel::testing::WriteBytes(program.File("Corvala.ini"), old);
  const std::filesystem::path path = P::PreferencesFilePath(app);
  qel::testing::WriteBytes(program.File("Corvala.ini"), "[User Preferences]\r\nFile 1=later\r\n");
  EXPECT_EQ(P::PreferencesFilePath(app), path);
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(path, config / "qel-paystave/Corvala.ini");
  EXPECT_EQ(qel::testing::ReadBytes(path.string()), old);
  EXPECT_EQ(qel::testing::EntryCount(path.parent_path()), 1u);
}

// The program's folders of the user are the user's alone: created 0700 whatever the umask, and
// one that an older version left open to others is closed to them.
TEST(UserFolder, IsCreatedForTheUserAlone) {
  const struct {
    const char* variable;
    const char* belowHome;
    int madeBefore;  // the mode an older version left the folder with; 0: no folder yet
  } rows[] = {{"XDG_CONFIG_HOME", ".config", 0},
              {"XDG_DATA_HOME", ".local/share", 0},
              {"XDG_CONFIG_HOME", ".config", 0755}};
  for (const auto& row : rows) {
    testing::TempFolder base;
    ::setenv(row.variable, (base / "xdg").c_str(), 1);
    if (row.madeBefore != 0) {
      std::filesystem::create_directories(base / "xdg" / "qel-paystave");
      ::chmod((base / "xdg" / "qel-paystave").c_str(), row.madeBefore);
    }
    const mode_t umask = ::umask(022);
    const std::filesystem::path folder = detail::UserFolder(row.variable, row.belowHome);
    ::umask(umask);
    ::unsetenv(row.variable);
    EXPECT_EQ(folder, base / "xdg" / "qel-paystave");
    EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all)
        << row.variable;
  }
}

// The preferences file: plain INI in CR LF lines, the same file in silent and interactive runs.
TEST(PreferencesFile, ValuesRoundTripInPlainIniWithCrLf) {
  testing::TempFolder folder;
  const std::pair<const char*, const char*> values[] = {
      {"Font Name", "Courier New"},
      {"Font Size", "10.5"},
      {"File 1", "/home/ann/pay, roll/smith.zov"},
      {"File 2", "C:\\data\\old.zov"},
      {"File 3", ""},
  };
  const std::string path = folder.File("Corvala.ini");
  {
    headless::KeyedFileSettings store(path);
    for (const auto& [key, value] : values) store.Write("User Preferences", key, value);
    store.Write("Data Files", "Data File Path", "/srv/data");
  }
  headless::KeyedFileSettings store(path);
  for (const auto& [key, value] : values) {
    SCOPED_TRACE(key);
    EXPECT_EQ(store.Read("User Preferences", key, "<default>"), value);
  }
  EXPECT_EQ(store.Read("Data Files", "Data File Path", ""), "/srv/data");
  EXPECT_EQ(store.Read("Data Files", "Missing", "<default>"), "<default>");
  EXPECT_EQ(testing::ReadFile(path),
            "[User Preferences]\r\nFont Name=Courier New\r\nFont Size=10.5\r\n"
            "File 1=/home/ann/pay, roll/smith.zov\r\nFile 2=C:\\data\\old.zov\r\nFile 3=\r\n"
            "[Data Files]\r\nData File Path=/srv/data\r\n");
}

TEST(PreferencesFile, ReadsAFileWrittenByHand) {
  testing::TempFolder folder;
  const std::string path = folder.File("hand.ini");
  testing::WriteFile(path,
                     "[User Preferences]\nFont Size=abc\nFont Name=\nFile 1=/tmp/a,b.zov\n"
                     "[Hide Error Msg]\n380=1\n");
  headless::KeyedFileSettings store(path);
  EXPECT_EQ(store.Read("User Preferences", "Font Size", "10"), "abc");
  EXPECT_EQ(store.Read("User Preferences", "Font Name", "Courier New"), "")
      << "an empty value is not the default";
  EXPECT_EQ(store.Read("User Preferences", "File 1", ""), "/tmp/a,b.zov");
  EXPECT_EQ(store.Read("Hide Error Msg", "380", "0"), "1");
}

TEST(GetFonts, WarnsThenKeepsTheChoiceWithinLimits) {
  struct Row {
    std::optional<FontChoice> answer;
    const char* name;
    float size;
  };
  const Row rows[] = {
      {FontChoice{"Courier", 12}, "Courier", 12},
      {FontChoice{"", 12}, "Courier New", 12},
      {FontChoice{"Courier", 4}, "Courier", 10},
      {std::nullopt, "Lucida", 11},  // cancelled: what the dialog was given
  };
  for (const Row& r : rows) {
    TestApp t;
    t.app.state.ReportFontName = "Lucida";
    t.app.state.ReportFontSize = 11;
    t.ui.fontAnswers = {r.answer};
    P::GetFonts(t.app);
    EXPECT_EQ(t.app.state.ReportFontName, r.name);
    EXPECT_EQ(t.app.state.ReportFontSize, r.size);
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "WARNING!");
    // The user is told what may happen, not an error number.
    EXPECT_EQ(t.dialogs.boxes[0].text.find("380"), std::string::npos) << t.dialogs.boxes[0].text;
    ASSERT_EQ(t.ui.fontRequests.size(), 1u);
    EXPECT_TRUE(t.ui.fontRequests[0].bold);
    EXPECT_EQ(t.ui.fontRequests[0].name, "Lucida");
  }
}

TEST(SetNewFont, UnusableFontWarnsAndAsksAsOftenAsItTakes) {
  TestApp t;
  t.ui.printer.unusableFonts = {"Fancy", "Fancier"};
  t.ui.fontAnswers = {FontChoice{"Fancier", 9}, FontChoice{"Courier", 10}};
  FontRecord saved;
  P::SetNewFont(t.app, "Fancy", 10.5f, kFalse, saved);
  EXPECT_EQ(saved.name, "Arial");  // the printer's own font
  EXPECT_EQ(t.ui.printer.font.name, "Courier");
  ASSERT_EQ(t.dialogs.warnings.size(), 2u);
  EXPECT_EQ(t.dialogs.warnings[0],
            "This program requires the Fancy (10.5 point) font, which is not available on this "
            "system. Please install this font. The program will use the default font for this "
            "system. Report formatting may be affected. As an alternative, the program will let "
            "you select a font.");
  EXPECT_NE(t.dialogs.warnings[1].find("the Fancier (9 point) font"), std::string::npos);
  EXPECT_EQ(t.ui.fontRequests.size(), 2u);
}

TEST(SetNewFont, DontShowHidesFurtherWarningsButNotTheDialog) {
  TestApp t;
  t.ui.printer.unusableFonts = {"Fancy"};
  t.dialogs.warningAnswers = {1};
  t.ui.fontAnswers = {FontChoice{"Fancy", 10}, FontChoice{"Courier", 10}};
  FontRecord saved;
  P::SetNewFont(t.app, "Fancy", 10, kFalse, saved);
  EXPECT_TRUE(t.app.state.HideErrorMsg);
  EXPECT_EQ(t.dialogs.warnings.size(), 1u);
  EXPECT_EQ(t.ui.fontRequests.size(), 2u);
  EXPECT_EQ(t.ui.printer.font.name, "Courier");
}

TEST(SetNewFont, CancelledDialogKeepsThePrintersFont) {
  TestApp t;
  t.ui.printer.unusableFonts = {"Fancy"};
  FontRecord saved;
  P::SetNewFont(t.app, "Fancy", 10, kFalse, saved);  // returns: no endless asking
  EXPECT_EQ(t.ui.printer.font.name, "Arial");
  EXPECT_EQ(t.ui.fontRequests.size(), 1u);
}

TEST(SetOldFont, UnusableFontWarnsAndGoesOn) {
  TestApp t;
  t.ui.printer.unusableFonts = {"Gone"};
  P::SetOldFont(t.app, FontRecord{"Gone", 8, 0});
  ASSERT_EQ(t.dialogs.warnings.size(), 1u);
  EXPECT_EQ(t.dialogs.warnings[0],
            "The Gone (8 point) font, could not be located. The program will use the default "
            "font. Report formatting may be affected.");
  t.app.state.HideErrorMsg = true;
  P::SetOldFont(t.app, FontRecord{"Gone", 8, 0});
  EXPECT_EQ(t.dialogs.warnings.size(), 1u);
}

TEST(WindowPosition, DefaultsStoredValuesAndMinimized) {
  TestApp t;
  P::WindowRect r = P::LoadMainWindowPosition(t.app);
  EXPECT_EQ(r.left, 1000);
  EXPECT_EQ(r.width, 6500);
  P::SaveMainWindowPosition(t.app, P::WindowRect{1500, 1200, 9000, 7000.5}, false);
  P::SaveMainWindowPosition(t.app, P::WindowRect{0, 0, 100, 100}, true);  // minimized: ignored
  r = P::LoadMainWindowPosition(t.app);
  EXPECT_EQ(r.left, 1500);
  EXPECT_EQ(r.top, 1200);
  EXPECT_EQ(r.width, 9000);
  EXPECT_EQ(r.height, 7000.5);
  t.user.Write("Settings", "MainTop", "high");
  EXPECT_EQ(P::LoadMainWindowPosition(t.app).top, 1000);
}

}  // namespace
}  // namespace corvala
