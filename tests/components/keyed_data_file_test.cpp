#include "qel/keyed_data_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>

#include "../../components/src/file_cache.h"
#include "qel/error.h"
#include "qel_testing/temp_folder.h"

namespace qel {
namespace {

using qel::testing::ErrorOf;

using qel::testing::EntryCount;
using qel::testing::ReadBytes;
using qel::testing::TempFolder;
using qel::testing::WriteBytes;

std::string Read(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view def = "<default>") {
  KeyedDataFile f;
  f.SetFileName(path);
  return f.ReadValue(section, key, def);
}

void Write(const std::string& path, std::string_view section, std::string_view key,
           std::string_view value) {
  KeyedDataFile f;
  f.SetFileName(path);
  f.WriteValue(section, key, value);
}

class KeyedDataFileTest : public ::testing::Test {
 protected:
  TempFolder dir;
  std::string file = dir.File("case.zov");
};

TEST_F(KeyedDataFileTest, ValuesRoundTripExactly) {
  const std::string values[] = {"1,234.50",
                                "True",
                                "",
                                "  Ann  ",
                                "\"x\"",
                                "\"",
                                "\"\"",
                                "a=b",
                                "[not a section]",
                                "; not a comment",
                                "\t tab\t",
                                "x\"",
                                "\"x",
                                "ünïcødé",
                                std::string(50, ' '),
                                std::string("Ann") + std::string(47, ' '),
                                " \"quoted with blanks\" "};
  int n = 0;
  for (const std::string& v : values) Write(file, "Common", "K" + std::to_string(n++), v);
  n = 0;
  for (const std::string& v : values) EXPECT_EQ(Read(file, "Common", "K" + std::to_string(n++)), v);
}

TEST_F(KeyedDataFileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(Read(file, "Common", "Version", "0"), "0");
  EXPECT_EQ(Read(dir.File("no/such/folder/x.zov"), "Common", "Version", "d"), "d");
  Write(file, "Common", "Version", "2005");
  EXPECT_EQ(Read(file, "Common", "Other", "d"), "d");
  EXPECT_EQ(Read(file, "Proforma", "Version", "d"), "d");
  EXPECT_EQ(Read(file, "Common", "Version", "d"), "2005");
  EXPECT_EQ(Read("", "Common", "Version", "d"), "d");
}

TEST_F(KeyedDataFileTest, WritingReplacesOneValueAndLeavesTheRest) {
  WriteBytes(file,
             "; saved by hand\n"
             "[Common]\n"
             "Version = 2005\n"
             "TP=Ann\n"
             "\n"
             "[Percent]\n"
             "Wages=600\n");
  Write(file, "common", "TP", "Bob");
  Write(file, "Common", "Freq", "0");
  Write(file, "Targeted", "Remain Periods", "12");
  EXPECT_EQ(ReadBytes(file),
            "; saved by hand\n"
            "[Common]\n"
            "Version = 2005\n"
            "TP=Bob\n"
            "Freq=0\n"
            "\n"
            "[Percent]\n"
            "Wages=600\n"
            "[Targeted]\n"
            "Remain Periods=12\n");
  // Writing the value it already has leaves the file as it is, time stamp included.
  auto stamp = std::filesystem::last_write_time(file);
  std::filesystem::last_write_time(file, stamp - std::chrono::hours(1));
  Write(file, "Common", "tp", "Bob");
  EXPECT_EQ(std::filesystem::last_write_time(file), stamp - std::chrono::hours(1));
}

TEST_F(KeyedDataFileTest, HandWrittenFilesAreReadLeniently) {
  WriteBytes(file,
             "\xEF\xBB\xBF; comment\r\n"
             "  [ Common ]  \r\n"
             "\t Version \t=\t 2005 \r\n"
             "   ; indented comment\r\n"
             "TP=\"  Ann  \"\r\n"
             "Empty=\r\n"
             "Eq=a=b\r\n"
             "[Common]\r\n"
             "Version=shadowed\r\n");
  EXPECT_EQ(Read(file, "common", "VERSION"), "2005");
  EXPECT_EQ(Read(file, "COMMON", "tp"), "  Ann  ");
  EXPECT_EQ(Read(file, "Common", "Empty"), "");
  EXPECT_EQ(Read(file, "Common", "Eq"), "a=b");
  EXPECT_EQ(Read(file, " Common ", " Version "), "2005");
}

TEST_F(KeyedDataFileTest, RewritingKeepsCrLfAndTheByteOrderMark) {
  WriteBytes(file, "\xEF\xBB\xBF[Common]\r\nA=1\r\n");
  Write(file, "Common", "B", "2");
  Write(file, "Other", "C", "3");
  EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF[Common]\r\nA=1\r\nB=2\r\n[Other]\r\nC=3\r\n");
  std::string fresh = dir.File("new.zov");
  Write(fresh, "Common", "A", "1");
  EXPECT_EQ(ReadBytes(fresh), "[Common]\nA=1\n");
}

TEST_F(KeyedDataFileTest, NamesAndValuesTheSyntaxCannotHoldAreRefused) {
  Write(file, "Common", "A", "1");
  std::string before = ReadBytes(file);
  struct Row {
    std::string section, key, value;
  } rows[] = {
      {"Common", "A", "line\nbreak"},
      {"Common", "A", "cr\rhere"},
      {"Common", "A", std::string("nul\0x", 5)},
      {"Com]mon", "A", "1"},
      {"Common", "A=B", "1"},
      {"Com\nmon", "A", "1"},
      {"Common", "A\r", "1"},
      {"", "A", "1"},
      {"Common", "", "1"},
      {"  ", "A", "1"},
      {"Common", ";A", "1"},
      {"Common", "[A]", "1"},
      {"Common", "X\nY=2\n[Injected", "1"},
  };
  for (const Row& r : rows) {
    QelError e = ErrorOf([&] { Write(file, r.section, r.key, r.value); });
    EXPECT_EQ(e.number(), err::kInvalidCall) << r.section << "/" << r.key << "/" << r.value;
    EXPECT_EQ(e.source(), "KeyedDataFile.WriteValue");
  }
  EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(KeyedDataFileTest, MalformedFilesAreRefusedByName) {
  struct Row {
    std::string bytes;
    std::string line;
  } rows[] = {
      {"[Common]\nA=1\nnot a key\n", "line 3"},
      {"A=1\n[Common]\n", "line 1"},
      {"[Common\nA=1\n", "line 1"},
      {std::string("[Common]\nA=1\nB=\0x\n", 16), "line 3"},
      {"[]\n", "line 1"},
      {"[Common]\n=1\n", "line 2"},
      {"[Common]\nA=1\rB=2\n", "line 2"},
      {std::string("\xFF\xFE[\0C\0]\0", 8), "line 1"},  // UTF-16 text
  };
  for (const Row& r : rows) {
    WriteBytes(file, r.bytes);
    QelError e = ErrorOf([&] { Read(file, "Common", "A"); });
    EXPECT_EQ(e.number(), err::kPathFileAccess) << r.bytes;
    EXPECT_NE(e.description().find(file), std::string::npos) << e.description();
    EXPECT_NE(e.description().find(r.line), std::string::npos) << e.description();
    // A write neither repairs nor damages it.
    e = ErrorOf([&] { Write(file, "Common", "A", "2"); });
    EXPECT_EQ(e.number(), err::kPathFileAccess);
    EXPECT_EQ(ReadBytes(file), r.bytes);
  }
}

TEST_F(KeyedDataFileTest, ReadingAFolderOrUnreadableFileRaises75) {
  QelError e = ErrorOf([&] { Read(dir.path().string(), "Common", "A"); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find(dir.path().string()), std::string::npos);
}

TEST_F(KeyedDataFileTest, FailedReplaceLeavesTheOriginalAndNoTemporary) {
  Write(file, "Common", "A", "1");
  std::string before = ReadBytes(file);
  if (::geteuid() != 0) {
    // A read-only folder: no temporary file can be created.
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    QelError e = ErrorOf([&] { Write(file, "Common", "A", "2"); });
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(e.number(), err::kPathFileAccess);
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(EntryCount(dir.path()), 1u);
  }
  // A file size limit makes writing the temporary fail part-way (also for root).
  {
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QelError e = ErrorOf([&] { Write(file, "Common", "A", std::string(500, 'x')); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
    EXPECT_EQ(e.number(), err::kPathFileAccess);
    EXPECT_NE(e.description().find(file), std::string::npos) << e.description();
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(EntryCount(dir.path()), 1u);
  }
  // A target that is a folder: refused, naming it, and nothing is left behind.
  std::string folderTarget = dir.File("target.zov");
  std::filesystem::create_directory(folderTarget);
  WriteBytes(folderTarget + "/inside", "keep");
  QelError e = ErrorOf([&] { Write(folderTarget, "Common", "A", "2"); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find(folderTarget), std::string::npos);
  EXPECT_EQ(ReadBytes(folderTarget + "/inside"), "keep");
  EXPECT_EQ(EntryCount(dir.path()), 2u);  // case.zov and target.zov: no temporary left
  EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(KeyedDataFileTest, MissingFolderRaisesPathNotFound) {
  std::string lost = dir.File("missing/case.zov");
  QelError e = ErrorOf([&] { Write(lost, "Common", "A", "1"); });
  EXPECT_TRUE(e.number() == 76 || e.number() == err::kPathFileAccess) << e.number();
  EXPECT_NE(e.description().find(lost), std::string::npos) << e.description();
}

TEST_F(KeyedDataFileTest, ReplaceKeepsPermissionsAndSymbolicLinks) {
  Write(file, "Common", "A", "1");
  ::chmod(file.c_str(), 0640);
  Write(file, "Common", "A", "2");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  std::string link = dir.File("link.zov");
  std::filesystem::create_symlink(file, link);
  Write(link, "Common", "A", "3");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Read(file, "Common", "A"), "3");
}

// Both ways of keeping the cache current: change notifications, and a stat per lookup.
class CacheFreshnessTest : public KeyedDataFileTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { cache::SetWatching(GetParam()); }
  void TearDown() override { cache::SetWatching(true); }
};

INSTANTIATE_TEST_SUITE_P(Modes, CacheFreshnessTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Watched" : "Stat"; });

TEST_P(CacheFreshnessTest, ChangesOnDiskAreSeenByTheNextRead) {
  WriteBytes(file, "[S]\nA=1\n");
  EXPECT_EQ(Read(file, "S", "A"), "1");
  // Same size, same inode, different content: only the modification time tells.
  auto stamp = std::filesystem::last_write_time(file);
  {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(6);
    f.put('2');
  }
  std::filesystem::last_write_time(file, stamp + std::chrono::seconds(1));
  EXPECT_EQ(Read(file, "S", "A"), "2");
  // Rewritten in place at once, same size, same inode, very likely within one time-stamp tick.
  for (char c : std::string("abcdefgh")) {
    WriteBytes(file, std::string("[S]\nA=") + c + "\n");
    EXPECT_EQ(Read(file, "S", "A"), std::string(1, c));
  }
  WriteBytes(file, "[S]\nA=three\n");
  EXPECT_EQ(Read(file, "S", "A"), "three");
  std::filesystem::remove(file);
  EXPECT_EQ(Read(file, "S", "A", "gone"), "gone");
  // A write is seen at once, also by a reader using another spelling of the path.
  Write(file, "S", "A", "4");
  std::string other = (dir.path() / "." / "case.zov").string();
  EXPECT_EQ(Read(other, "S", "A"), "4");
  Write(file, "S", "A", "5");
  EXPECT_EQ(Read(other, "S", "A"), "5");
  // Another file renamed over it, as editors save.
  std::string side = dir.File("side.tmp");
  WriteBytes(side, "[S]\nA=6\n");
  std::filesystem::rename(side, file);
  EXPECT_EQ(Read(file, "S", "A"), "6");
  // A symbolic link pointed elsewhere.
  std::string a = dir.File("a.zov"), b = dir.File("b.zov"), link = dir.File("link.zov");
  WriteBytes(a, "[S]\nA=from a\n");
  WriteBytes(b, "[S]\nA=from b\n");
  std::filesystem::create_symlink(a, link);
  EXPECT_EQ(Read(link, "S", "A"), "from a");
  std::filesystem::remove(link);
  std::filesystem::create_symlink(b, link);
  EXPECT_EQ(Read(link, "S", "A"), "from b");
  WriteBytes(b, "[S]\nA=b again\n");
  EXPECT_EQ(Read(link, "S", "A"), "b again");
}

TEST_F(KeyedDataFileTest, ReadingNeverCrashesOnArbitraryBytes) {
  std::string bytes;
  unsigned seed = 12345;
  for (int round = 0; round < 200; ++round) {
    bytes.clear();
    for (int i = 0; i < 64; ++i) {
      seed = seed * 1103515245u + 12345u;
      const char pool[] = "[]=;\r\n \t\"aB1\xC3\xA9\xFF";
      bytes += pool[(seed >> 16) % (sizeof pool - 1)];
    }
    WriteBytes(file, bytes);
    try {
      Read(file, "a", "B");
    } catch (const QelError& e) {
      EXPECT_EQ(e.number(), err::kPathFileAccess);
    }
  }
}

}  // namespace
}  // namespace qel

namespace qel {
namespace {

TEST_F(KeyedDataFileTest, AnUpdateWritesEverythingAtOnceOrNothing) {
  Write(file, "Common", "TP", "Old name");
  const std::string before = ReadBytes(file);
  {
    KeyedDataFile f;
    f.SetFileName(file);
    f.BeginUpdate();
    f.WriteValue("Common", "TP", "Ann");
    f.WriteValue("Proforma", "Wage 4 yr", "52,000.00");
    f.WriteValue("Proforma", "Allow", "2");
    // Nothing reaches the file before the commit.
    EXPECT_EQ(ReadBytes(file), before);
    f.CommitUpdate();
  }
  EXPECT_EQ(Read(file, "common", "tp"), "Ann");
  EXPECT_EQ(Read(file, "Proforma", "Wage 4 yr"), "52,000.00");
  EXPECT_EQ(Read(file, "Proforma", "Allow"), "2");
  // A section added within the update appears once, with both keys under it.
  EXPECT_EQ(ReadBytes(file), "[Common]\nTP=Ann\n[Proforma]\nWage 4 yr=52,000.00\nAllow=2\n");

  const std::string saved = ReadBytes(file);
  {
    KeyedDataFile f;
    f.SetFileName(file);
    f.BeginUpdate();
    f.WriteValue("Common", "TP", "Bob");
    // A value the file cannot hold stops the save before anything is written.
    QelError e = ErrorOf([&] { f.WriteValue("Common", "L2", "two\nlines"); });
    EXPECT_EQ(e.number(), err::kInvalidCall);
    EXPECT_NE(e.description().find("\"L2\""), std::string::npos) << e.description();
    EXPECT_NE(e.description().find(file), std::string::npos) << e.description();
  }
  // Released without a commit: the file is as it was.
  EXPECT_EQ(ReadBytes(file), saved);
}

}  // namespace
}  // namespace qel
