// KeyedDataFile between processes and users: loads during saves, concurrent saves, interrupted
// saves, and files of other users.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/safe_write.h"
#include "qel_testing/temp_folder.h"

namespace qel {
namespace {

using qel::testing::Child;
using qel::testing::ErrorOf;
using qel::testing::ReadBytes;
using qel::testing::TempFolder;
using qel::testing::WriteBytes;

// The sections and keys of a withholding case.
const std::pair<const char*, const char*> kKeys[] = {
    {"Common", "Version"},
    {"Common", "TP"},
    {"Common", "Freq"},
    {"Common", "Allow"},
    {"Common", "Unmarried"},
    {"Common", "Comp Type"},
    {"Common", "Addl WH"},
    {"Common", "L2"},
    {"Proforma", "Wage 4 yr"},
    {"Targeted", "Remain Wages"},
    {"Targeted", "Remain Periods"},
    {"Targeted", "Targ WH"},
    {"Percent", "Wages"},
};

// A save of a whole case whose every value is `value`.
void SaveCase(const std::string& path, const std::string& value) {
  KeyedDataFile f;
  f.SetFileName(path);
  f.BeginUpdate();
  for (const auto& [section, key] : kKeys) f.WriteValue(section, key, value);
  f.CommitUpdate();
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class SharingTest : public ::testing::Test {
 protected:
  TempFolder dir;
  std::string file = dir.File("case.zov");
};

TEST_F(SharingTest, LoadsDuringSavesOfAnotherProcessNeverMix) {
  SaveCase(file, "save 0");
  Child saver([&] {
    for (int round = 1; round <= 150; ++round) SaveCase(file, "save " + std::to_string(round));
    return std::string("done");
  });
  int loads = 0, mixed = 0;
  std::string first, last;
  while (saver.Running()) {
    KeyedDataFile load;
    load.SetFileName(file);
    std::string one = load.ReadValue("Common", "Version", "");
    for (const auto& [section, key] : kKeys)
      if (load.ReadValue(section, key, "") != one) ++mixed;
    if (first.empty()) first = one;
    last = one;
    ++loads;
  }
  EXPECT_EQ(saver.Wait(), "done");
  EXPECT_EQ(mixed, 0) << "in " << loads << " loads";
  EXPECT_NE(first, last) << "the loads saw no save: nothing was tested";
}

// Two processes saving one file take turns, also as a user who may write in the folder but not
// list it (where the folder itself cannot be locked), and also for a file that neither finds.
TEST_F(SharingTest, ProcessesSavingOtherSectionsLoseNoSave) {
  constexpr int kSaves = 80;
  struct Row {
    const char* what;
    bool asNobody;
    mode_t folderMode;
  } rows[] = {
      {"an ordinary folder", false, 0700},
      {"a folder that may be written but not listed", true, 0733},
  };
  for (const Row& r : rows) {
    if (r.asNobody && ::geteuid() != 0) {
      std::cout << "skipped \"" << r.what << "\": becoming the user nobody needs the superuser\n";
      continue;
    }
    const std::filesystem::path folder = dir / r.what;
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), r.folderMode), 0);
    const std::string path = (folder / "case.zov").string();
    auto saver = [&](const std::string& section) {
      return [path, section] {
        for (int i = 0; i < kSaves; ++i) {
          KeyedDataFile f;
          f.SetFileName(path);
          f.WriteValue(section, "Save " + std::to_string(i), std::to_string(i));
        }
        return std::string("done");
      };
    };
    Child a(saver("Scenario1"), r.asNobody), b(saver("Scenario2"), r.asNobody);
    const std::string resultA = a.Wait(), resultB = b.Wait();
    if (resultA == testing::kCannotDrop) {
      std::cout << "skipped \"" << r.what << "\": cannot become the user nobody\n";
      continue;
    }
    ASSERT_EQ(resultA, "done") << r.what;
    ASSERT_EQ(resultB, "done") << r.what;
    KeyedDataFile load;
    load.SetFileName(path);
    int lost = 0;
    for (const char* section : {"Scenario1", "Scenario2"})
      for (int i = 0; i < kSaves; ++i)
        if (load.ReadValue(section, "Save " + std::to_string(i), "lost") == "lost") ++lost;
    EXPECT_EQ(lost, 0) << r.what;
  }
}

TEST_F(SharingTest, KilledSavesLeaveNoReadableTemporaryAndTheNextSaveClearsThem) {
  const mode_t umask = ::umask(022);  // the usual one, under which new files are world-readable
  SaveCase(file, "start");
  ::chmod(file.c_str(), 0600);
  // Saves killed at varied moments, until a few were caught with their temporary file.
  int caught = 0;
  for (int round = 0; round < 300 && caught < 5; ++round) {
    Child saver([&] {
      for (int i = 0;; ++i) SaveCase(file, std::to_string(i));
      return std::string();
    });
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + 397 * round % 8000));
    saver.Kill();
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      if (entry.path() == file) continue;
      ++caught;
      EXPECT_EQ(ModeOf(entry.path().string()) & 077, 0u) << entry.path();
    }
  }
  EXPECT_GT(caught, 0) << "no save was interrupted: nothing was tested";
  ::umask(umask);
  // What no save of case.zov made is kept: other files, and names only alike.
  const std::string planted = dir.File(".case.zov.tmp-AbCdEf123456");
  const std::string others[] = {dir.File(".case.zov.tmp-short"), dir.File("notes.txt"),
                                dir.File(".other.zov.tmp-AbCdEf123456")};
  WriteBytes(planted, "left by a crash");
  for (const std::string& other : others) WriteBytes(other, "keep");
  EXPECT_EQ(ModeOf(file), 0600u);
  SaveCase(file, "after");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    left.push_back(entry.path().string());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected(std::begin(others), std::end(others));
  expected.push_back(file);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_EQ(ModeOf(file), 0600u);
  KeyedDataFile load;
  load.SetFileName(file);
  EXPECT_EQ(load.ReadValue("Percent", "Wages", ""), "after");
}

// Who may save what: a case saved by nobody, in a folder of nobody, each set up by the superuser.
TEST_F(SharingTest, SavesRespectPermissionsAndOwners) {
  if (::geteuid() != 0) GTEST_SKIP() << "setting up files of two users needs the superuser";
  ::chmod(dir.path().c_str(), 0755);
  struct Row {
    const char* what;
    uid_t fileOwner;
    mode_t fileMode;
    mode_t folderMode;
    const char* says;  // after the path named ("folder" for the folder's, "file" for the file's)
    bool namesFolder;
  } rows[] = {
      {"read-only case", testing::kNobody, 0444, 0755, " is read-only", false},
      {"read-only folder", testing::kNobody, 0644, 0555, " is read-only", true},
      {"another user's case", 0, 0666, 0755, " belongs to another user", false},
  };
  for (const Row& r : rows) {
    std::filesystem::path folder = dir / r.what;
    std::filesystem::create_directory(folder);
    std::string path = (folder / "case.zov").string();
    WriteBytes(path, "[Common]\nTP=Ann\n");
    ASSERT_EQ(::chown(path.c_str(), r.fileOwner, r.fileOwner), 0);
    ASSERT_EQ(::chmod(path.c_str(), r.fileMode), 0);
    ASSERT_EQ(::chown(folder.c_str(), testing::kNobody, testing::kNobody), 0);
    ASSERT_EQ(::chmod(folder.c_str(), r.folderMode), 0);
    Child save(
        [&] {
          KeyedDataFile f;
          f.SetFileName(path);
          f.WriteValue("Common", "TP", "Bob");
          return std::string("saved");
        },
        true);
    std::string result = save.Wait();
    if (result == testing::kCannotDrop) GTEST_SKIP() << "cannot become the user nobody";
    std::string named = r.namesFolder ? "the folder " + folder.string() : "The file " + path;
    EXPECT_EQ(result.rfind("error 75: ", 0), 0u) << r.what << ": " << result;
    EXPECT_NE(result.find(named + r.says), std::string::npos) << r.what << ": " << result;
    EXPECT_EQ(ReadBytes(path), "[Common]\nTP=Ann\n") << r.what;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, r.fileOwner) << r.what;
    EXPECT_EQ(qel::testing::EntryCount(folder), 1u) << r.what;
  }

  // The superuser's save keeps the owner, group and mode of the case it replaces.
  WriteBytes(file, "[Common]\nTP=Ann\n");
  ASSERT_EQ(::chown(file.c_str(), testing::kNobody, testing::kNobody), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  KeyedDataFile f;
  f.SetFileName(file);
  f.WriteValue("Common", "TP", "Bob");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, testing::kNobody);
  EXPECT_EQ(st.st_gid, testing::kNobody);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadBytes(file), "[Common]\nTP=Bob\n");

  // ... also its own case in a folder whose set-group-id bit gives new files another group.
  const std::filesystem::path groupFolder = dir / "group";
  std::filesystem::create_directory(groupFolder);
  ASSERT_EQ(::chown(groupFolder.c_str(), 0, testing::kNobody), 0);
  ASSERT_EQ(::chmod(groupFolder.c_str(), 02775), 0);
  const std::string own = (groupFolder / "case.zov").string();
  WriteBytes(own, "[Common]\nTP=Ann\n");
  ASSERT_EQ(::chown(own.c_str(), 0, 0), 0);
  f.SetFileName(own);
  f.WriteValue("Common", "TP", "Bob");
  ASSERT_EQ(::stat(own.c_str(), &st), 0);
  EXPECT_EQ(st.st_gid, 0u);
  EXPECT_EQ(ReadBytes(own), "[Common]\nTP=Bob\n");
}

// What another user can do to the superuser's save: plant a link in a shared sticky folder, or
// hold a lock on the file or its folder. Links are followed only where the kernel would follow
// them; a lock is waited for a bounded time; a folder lock blocks nothing.
TEST_F(SharingTest, AnotherUserCanNeitherSteerNorStopASave) {
  if (::geteuid() != 0) GTEST_SKIP() << "links and locks of another user need the superuser";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::filesystem::path shared = dir / "shared";
  std::filesystem::create_directory(shared);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  const std::string secret = dir.File("secret.zov");
  const std::string kSecret = "[Common]\nTP=Root\n";
  auto link = [&](const std::string& name, const std::string& to, uid_t owner) {
    const std::string path = (shared / name).string();
    std::filesystem::create_symlink(to, path);
    EXPECT_EQ(::lchown(path.c_str(), owner, owner), 0);
    return path;
  };
  const std::string planted = link("planted.zov", "../secret.zov", testing::kNobody);
  const std::string mine = link("mine.zov", "../mine.zov", 0);
  enum Hold { kNothing, kTheFile, kTheFolder };
  struct Row {
    const char* what;
    std::string save;    // the path saved
    std::string target;  // the file finally written, or left as it was
    Hold hold;
    std::string says;  // a piece of the error; empty: saved
  } rows[] = {
      {"a link another user planted", planted, secret, kNothing,
       "error 75: Cannot save " + planted + ": the symbolic link " + planted},
      {"one's own link in the shared folder", mine, dir.File("mine.zov"), kNothing, ""},
      {"another user keeps the file locked", secret, secret, kTheFile,
       "locked for 300 milliseconds in the folder " + dir.path().string()},
      {"another user keeps the folder locked", secret, secret, kTheFolder, ""},
  };
  SafeWrite::Calls saved = SafeWrite::TestCalls();
  SafeWrite::TestCalls().lockWait = std::chrono::milliseconds(300);
  for (const Row& r : rows) {
    WriteBytes(secret, kSecret);
    ASSERT_EQ(::chmod(secret.c_str(), r.hold == kTheFile ? 0644 : 0600), 0);
    std::filesystem::remove(dir.File("mine.zov"));
    std::unique_ptr<Child> holder;
    if (r.hold != kNothing) {
      const std::string held = r.hold == kTheFile ? secret : dir.path().string();
      holder = std::make_unique<Child>(
          [held] {
            const int fd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) return std::string("no lock");
            ::pause();
            return std::string();
          },
          true);
      // Until the lock is held.
      const int probe = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
      for (int i = 0; i < 4000 && ::flock(probe, LOCK_EX | LOCK_NB) == 0; ++i) {
        ::flock(probe, LOCK_UN);
        if (!holder->Running()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      ::close(probe);
      if (!holder->Running()) {
        const std::string why = holder->Wait();
        SafeWrite::TestCalls() = saved;
        if (why == testing::kCannotDrop) GTEST_SKIP() << "cannot become the user nobody";
        FAIL() << r.what << ": " << why;
      }
    }
    Child save([&] {
      KeyedDataFile f;
      f.SetFileName(r.save);
      f.WriteValue("Common", "TP", "Saved");
      return std::string("saved");
    });
    const std::string result = save.Wait();
    if (holder) holder->Kill();
    if (r.says.empty()) {
      EXPECT_EQ(result, "saved") << r.what;
      EXPECT_EQ(ReadBytes(r.target), "[Common]\nTP=Saved\n") << r.what;
    } else {
      EXPECT_NE(result.find(r.says), std::string::npos) << r.what << ": " << result;
      EXPECT_EQ(ReadBytes(r.target), kSecret) << r.what;
    }
  }
  SafeWrite::TestCalls() = saved;
  // Nothing but the two links was made in the shared folder.
  EXPECT_EQ(testing::EntryCount(shared), 2u);
}

}  // namespace
}  // namespace qel
