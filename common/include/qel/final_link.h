// Following the symbolic link at the end of a path only where the kernel itself would follow it
// in a shared folder, so that a link another user planted in /tmp cannot steer a save or an
// output file into a file of that user's choosing.
//
// The final-link rule (the kernel's protected_symlinks): a symbolic link may be followed unless
// it lies in a folder that is both sticky and writable by everyone, and the link belongs neither
// to the person following it nor to the folder's owner. The rule is applied whatever the
// kernel's own setting, to every link at the end of a path, hop by hop.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace qel {

// The rule itself: whether `follower` may follow a link whose own status is `link` (from lstat)
// and whose folder's status is `folder`.
bool MayFollowLink(const struct stat& folder, const struct stat& link, uid_t follower);

// The outcome of following the links at the end of a path.
struct FinalTarget {
  std::string path;     // the file finally named (the path itself when it is not a link);
                        // a dangling link gives the name it points to
  std::string refusal;  // empty, or why the path cannot be followed: a link the rule forbids
                        // (naming the link and its folder) or a loop of links
  bool ok() const { return refusal.empty(); }
};

// Follows the symbolic links at the end of `path` (a relative link from the link's own folder),
// each one only where MayFollowLink allows it for the effective user. Folders on the way are
// left to the system. Touches no file; a path that does not exist is returned as it is.
FinalTarget FollowFinalLinks(const std::string& path);

}  // namespace qel
