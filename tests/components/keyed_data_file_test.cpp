#include "qel/keyed_data_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "qel/error.h"
#include "qel/safe_write.h"
#include "qel_testing/disk_calls.h"
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
    // What the file holds is not quoted: it may be anything, someone else's secret included.
    EXPECT_EQ(e.description().find("not a key"), std::string::npos) << e.description();
    // A write neither repairs nor damages it.
    e = ErrorOf([&] { Write(file, "Common", "A", "2"); });
    EXPECT_EQ(e.number(), err::kPathFileAccess);
    EXPECT_EQ(ReadBytes(file), r.bytes);
  }
}

// What is not a regular file of at most 1 MiB is refused at once, by reads and by saves, with a
// message naming it; nothing is left behind and nothing blocks.
TEST_F(KeyedDataFileTest, SpecialAndOversizedFilesAreRefusedByName) {
  std::string fifo = dir.File("pipe.zov");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string big = dir.File("big.zov");
  const std::string bigBytes = "[Common]\nA=" + std::string(1 << 20, 'x') + "\n";
  WriteBytes(big, bigBytes);
  std::string folder = dir.File("folder.zov");
  std::filesystem::create_directory(folder);
  struct Row {
    std::string path;
    const char* says;
    bool save;  // devices are only read: a fault must never replace them
  } rows[] = {
      {fifo, "is not a regular file", true},         {folder, "is not a regular file", true},
      {big, "is larger than 1 MiB", true},           {"/dev/zero", "is not a regular file", false},
      {"/dev/null", "is not a regular file", false},
  };
  for (const Row& r : rows) {
    std::vector<QelError> errors{ErrorOf([&] { Read(r.path, "Common", "A"); })};
    if (r.save) errors.push_back(ErrorOf([&] { Write(r.path, "Common", "A", "1"); }));
    for (const QelError& e : errors) {
      EXPECT_EQ(e.number(), err::kPathFileAccess) << r.path;
      EXPECT_NE(e.description().find("The file " + r.path + " " + r.says), std::string::npos)
          << e.description();
    }
  }
  EXPECT_EQ(ReadBytes(big), bigBytes);
  EXPECT_EQ(EntryCount(dir.path()), 3u);  // no temporary left beside them

  // A save that would grow a file past the limit is refused too, leaving it as it was.
  Write(file, "Common", "A", std::string(600'000, 'a'));
  std::string before = ReadBytes(file);
  QelError e = ErrorOf([&] { Write(file, "Common", "B", std::string(600'000, 'b')); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find("larger than 1 MiB"), std::string::npos) << e.description();
  EXPECT_EQ(ReadBytes(file), before);
}

// One instance, one reading: its values all come from the file as it was at its first read.
TEST_F(KeyedDataFileTest, ALoadAnswersFromOneReading) {
  WriteBytes(file, "[Common]\nTP=Ann\n[Percent]\nWages=100\n");
  KeyedDataFile load;
  load.SetFileName(file);
  EXPECT_EQ(load.ReadValue("Common", "TP", ""), "Ann");
  Write(file, "Common", "TP", "Bob");
  Write(file, "Percent", "Wages", "200");
  EXPECT_EQ(load.ReadValue("Percent", "Wages", ""), "100");
  EXPECT_EQ(load.ReadValue("Common", "TP", ""), "Ann");
  // A new instance, or a new file name, is a new load.
  EXPECT_EQ(Read(file, "Percent", "Wages"), "200");
  load.SetFileName(file);
  EXPECT_EQ(load.ReadValue("Common", "TP", ""), "Bob");
  // A missing file stays missing for the load that found it so.
  std::filesystem::remove(file);
  KeyedDataFile later;
  later.SetFileName(file);
  EXPECT_EQ(later.ReadValue("Common", "TP", "none"), "none");
  Write(file, "Common", "TP", "Cy");
  EXPECT_EQ(later.ReadValue("Common", "TP", "none"), "none");
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
  // A dangling link, relative to its own folder: the file it names is created, the link stays.
  std::filesystem::create_directory(dir / "cases");
  std::string dangling = dir.File("dangling.zov");
  std::filesystem::create_symlink("cases/new.zov", dangling);
  Write(dangling, "Common", "A", "4");
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_EQ(ReadBytes(dir.File("cases/new.zov")), "[Common]\nA=4\n");
  EXPECT_EQ(Read(dangling, "Common", "A"), "4");
}

// Every load reads what the path names now, however it came to change.
TEST_F(KeyedDataFileTest, ChangesOnDiskAreSeenByTheNextLoad) {
  // Files older than any time-stamp tick, which a cache would trust.
  auto aged = [](const std::filesystem::path& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
  };
  std::filesystem::create_directories(dir / "top/mid");
  std::string deep = (dir / "top/mid/case.zov").string();
  WriteBytes(deep, "[S]\nA=first\n");
  aged(deep);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(Read(deep, "S", "A"), "first");
  // A folder higher up renamed away and another put in its place.
  std::filesystem::rename(dir / "top", dir / "top-old");
  std::filesystem::create_directories(dir / "top/mid");
  WriteBytes(deep, "[S]\nA=second\n");
  aged(deep);
  EXPECT_EQ(Read(deep, "S", "A"), "second");

  // A folder reached through a symbolic link that is pointed elsewhere.
  std::filesystem::create_directory(dir / "x");
  std::filesystem::create_directory(dir / "y");
  WriteBytes(dir.File("x/case.zov"), "[S]\nA=from x\n");
  WriteBytes(dir.File("y/case.zov"), "[S]\nA=from y\n");
  aged(dir / "x/case.zov");
  aged(dir / "y/case.zov");
  std::filesystem::create_directory_symlink("x", dir / "current");
  std::string linked = dir.File("current/case.zov");
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(Read(linked, "S", "A"), "from x");
  std::filesystem::create_directory_symlink("y", dir / "next");
  std::filesystem::rename(dir / "next", dir / "current");
  EXPECT_EQ(Read(linked, "S", "A"), "from y");

  // Rewritten in place, same size and inode, within one time-stamp tick.
  for (char c : std::string("abcdefgh")) {
    WriteBytes(file, std::string("[S]\nA=") + c + "\n");
    EXPECT_EQ(Read(file, "S", "A"), std::string(1, c));
  }
  std::filesystem::remove(file);
  EXPECT_EQ(Read(file, "S", "A", "gone"), "gone");
  // Another file renamed over it, as editors save.
  std::string side = dir.File("side.tmp");
  WriteBytes(side, "[S]\nA=6\n");
  std::filesystem::rename(side, file);
  EXPECT_EQ(Read(file, "S", "A"), "6");
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

TEST_F(KeyedDataFileTest, ANewFileGetsTheUsualModeLessTheUmask) {
  struct Row {
    mode_t umask, mode;
  } rows[] = {{022, 0644}, {027, 0640}, {002, 0664}, {077, 0600}};
  for (const Row& r : rows) {
    const std::string path = dir.File("new-" + std::to_string(r.umask) + ".zov");
    const mode_t old = ::umask(r.umask);
    Write(path, "Common", "A", "1");
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, r.mode) << "umask " << r.umask;
  }
}

// Of a section that appears twice, the first counts: a key only in the second is not read, and a
// save writes into the first.
TEST_F(KeyedDataFileTest, TheFirstOfARepeatedSectionCounts) {
  WriteBytes(file, "[Common]\nA=1\n[Percent]\nW=5\n[common]\nA=2\nB=3\n");
  EXPECT_EQ(Read(file, "Common", "A"), "1");
  EXPECT_EQ(Read(file, "Common", "B"), "<default>");
  Write(file, "Common", "B", "4");
  EXPECT_EQ(ReadBytes(file), "[Common]\nA=1\nB=4\n[Percent]\nW=5\n[common]\nA=2\nB=3\n");
  EXPECT_EQ(Read(file, "Common", "B"), "4");
}

// Table files are kept for the run once read; one that was missing is looked for again.
TEST_F(KeyedDataFileTest, ATableFileCreatedLaterIsFoundByTheNextLoad) {
  const std::string table = dir.File("late.tbl");
  EXPECT_EQ(Read(table, "1 allowance", "wk"), "<default>");
  WriteBytes(table, "[1 allowance]\nwk=61.54\n");
  EXPECT_EQ(Read(table, "1 allowance", "wk"), "61.54");
}

// A save's bytes reach the disk before they take the old file's place, and the rename with the
// folder after it.
TEST_F(KeyedDataFileTest, TheTemporaryIsFlushedBeforeTheRename) {
  Write(file, "Common", "A", "1");
  qel::testing::DiskCallLog log;
  Write(file, "Common", "A", "2");
  EXPECT_EQ(log.calls(), (std::vector<std::string>{"fsync file", "rename", "fsync folder"}));
  EXPECT_EQ(Read(file, "Common", "A"), "2");
}

// Where no lock can be had (a file system without locks), a save is refused naming the folder,
// never made unlocked.
TEST_F(KeyedDataFileTest, ASaveWithoutALockIsRefused) {
  Write(file, "Common", "A", "1");
  const std::string before = ReadBytes(file);
  const SafeWrite::Calls saved = SafeWrite::TestCalls();
  SafeWrite::TestCalls().flock = [](int, int) {
    errno = ENOLCK;
    return -1;
  };
  QelError e = ErrorOf([&] { Write(file, "Common", "A", "2"); });
  QelError created = ErrorOf([&] { Write(dir.File("new.zov"), "Common", "A", "2"); });
  SafeWrite::TestCalls() = saved;
  for (const QelError& error : {e, created}) {
    EXPECT_EQ(error.number(), err::kPathFileAccess);
    EXPECT_NE(error.description().find("no lock can be taken in the folder " + dir.path().string()),
              std::string::npos)
        << error.description();
  }
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_EQ(EntryCount(dir.path()), 1u);  // neither a temporary nor the new file
}

}  // namespace
}  // namespace qel
