#include "qel/final_link.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "qel_testing/temp_folder.h"

namespace qel {
namespace {

constexpr uid_t kRoot = 0;
constexpr uid_t kAnn = 1000;
constexpr uid_t kNobody = 65534;

TEST(FinalLinkTest, FollowsALinkOnlyWhereTheKernelWould) {
  struct Row {
    const char* what;
    mode_t folderMode;
    uid_t folderOwner, linkOwner, follower;
    bool follows;
  };
  const Row rows[] = {
      {"someone else's link in a shared sticky folder", 01777, kRoot, kNobody, kAnn, false},
      {"... also when root follows it", 01777, kRoot, kNobody, kRoot, false},
      {"one's own link in a shared sticky folder", 01777, kRoot, kAnn, kAnn, true},
      {"a link of the sticky folder's owner", 01777, kNobody, kNobody, kAnn, true},
      {"sticky but not writable by everyone", 01775, kRoot, kNobody, kAnn, true},
      {"writable by everyone but not sticky", 00777, kRoot, kNobody, kAnn, true},
      {"an ordinary folder", 00755, kAnn, kNobody, kAnn, true},
  };
  for (const Row& row : rows) {
    struct stat folder {};
    folder.st_mode = S_IFDIR | row.folderMode;
    folder.st_uid = row.folderOwner;
    struct stat link {};
    link.st_mode = S_IFLNK | 0777;
    link.st_uid = row.linkOwner;
    EXPECT_EQ(MayFollowLink(folder, link, row.follower), row.follows) << row.what;
  }
}

// Real links in a sticky folder writable by everyone, some handed to another user. Handing a
// link to another user takes the superuser.
TEST(FinalLinkTest, FollowsRealLinksHopByHop) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs the superuser";
  qel::testing::TempFolder dir;
  const std::filesystem::path shared = dir / "shared";
  std::filesystem::create_directory(shared);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  auto link = [&](const std::string& name, const std::string& to, uid_t owner) {
    const std::string path = (shared / name).string();
    std::filesystem::create_symlink(to, path);
    EXPECT_EQ(::lchown(path.c_str(), owner, owner), 0);
    return path;
  };
  const std::string target = dir.File("target.txt");
  link("mine", target, ::geteuid());
  link("planted", target, kNobody);
  link("to-planted", "planted", ::geteuid());
  link("dangling", "new.txt", ::geteuid());
  link("loop-a", "loop-b", ::geteuid());
  link("loop-b", "loop-a", ::geteuid());

  struct Row {
    std::string name;
    std::string path;     // expected target
    std::string refusal;  // a piece of the expected refusal; empty: followed
  };
  const Row rows[] = {
      {"mine", target, ""},
      {"planted", (shared / "planted").string(), "symbolic link " + (shared / "planted").string()},
      {"to-planted", (shared / "planted").string(), "shared folder " + shared.string()},
      {"dangling", (shared / "new.txt").string(), ""},
      {"loop-a", (shared / "loop-a").string(), "loop"},
      {"not-there", (shared / "not-there").string(), ""},
  };
  for (const Row& row : rows) {
    const FinalTarget got = FollowFinalLinks((shared / row.name).string());
    EXPECT_EQ(got.path, row.path) << row.name;
    if (row.refusal.empty())
      EXPECT_TRUE(got.ok()) << row.name << ": " << got.refusal;
    else
      EXPECT_NE(got.refusal.find(row.refusal), std::string::npos)
          << row.name << ": " << got.refusal;
  }
}

}  // namespace
}  // namespace qel
