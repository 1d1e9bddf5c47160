#include "qel/final_link.h"

#include <unistd.h>

#include <filesystem>

namespace qel {

bool MayFollowLink(const struct stat& folder, const struct stat& link, uid_t follower) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == follower || link.st_uid == folder.st_uid;
}

FinalTarget FollowFinalLinks(const std::string& path) {
  // As many hops as the kernel allows before it calls the chain a loop.
  constexpr int kMaxHops = 40;
  std::filesystem::path current(path);
  for (int hops = 0; hops < kMaxHops; ++hops) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
      return {current.string(), {}};
    std::filesystem::path folder = current.parent_path();
    if (folder.empty()) folder = ".";
    struct stat folderStatus {};
    if (::stat(folder.c_str(), &folderStatus) != 0) return {current.string(), {}};
    if (!MayFollowLink(folderStatus, link, ::geteuid()))
      return {current.string(), "the symbolic link " + current.string() +
                                    " belongs to another user in the shared folder " +
                                    folder.string() + ", so it is not followed"};
    std::error_code ec;
    std::filesystem::path next = std::filesystem::read_symlink(current, ec);
    if (ec) return {current.string(), {}};
    current = next.is_relative() ? current.parent_path() / next : next;
  }
  return {path, "the symbolic links of " + path + " form a loop"};
}

}  // namespace qel
