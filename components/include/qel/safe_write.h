// SafeWrite: putting a whole new file in place of an old one, so that a failure or a killed run at
// any point leaves the old file as it was. The data files' saves and paystave's output go through
// it.
//
//   - The path is taken through the symbolic links at its end only where the final-link rule
//     allows (qel/final_link.h); a dangling link creates the file it names. A link that another
//     user planted in a shared sticky folder is refused, naming the link.
//   - A regular file (or a new one) is written to a temporary file in the same folder,
//     ".<name>.tmp-" and 12 letters and digits, mode 0600 while it is written; it is given the
//     owner and group of the file it replaces before anything is written, then the mode of that
//     file (a new file: 0666 less the umask), flushed to disk (fsync), renamed over the file,
//     and the folder flushed. On any failure the temporary is removed and the file left alone.
//   - A writer holds a lock on its temporary file until it is done, so a temporary whose lock
//     can be had belongs to a run that ended without finishing; the next write in that folder of
//     the same file removes it.
//   - A device or FIFO (an output of /dev/null, a terminal, a pipe) is written directly where the
//     caller allows it, never renamed over; a data file must be a regular file.
//   - With `lock`, the write is one turn of a read-modify-write: the file itself is locked
//     (flock; a file that does not exist yet is created empty to be locked, and removed again
//     when the write fails), so writers of the same file, in any process and of any user who may
//     write it, take turns, whatever they may do with its folder. A lock held by someone else is
//     waited for at most kLockWait, then the write is refused naming the folder; a file system
//     without locks is refused too. A write is never made unlocked.
//
// Failures raise QelError: 76 when the folder does not exist, 75 otherwise, with a message that
// names the file (and the folder or link where they are the cause). Not for several threads at
// once (the umask is read by setting it).
#pragma once

#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace qel {

class SafeWrite {
 public:
  static constexpr std::chrono::seconds kLockWait{10};

  struct Options {
    const char* source = "SafeWrite";  // the error source of failures
    const char* verb = "save";         // "Cannot <verb> <file>: ..."
    bool lock = false;                 // take the file's lock for a read-modify-write
    bool special = false;              // write a device or FIFO directly instead of refusing it
  };

  // Follows the links, opens the folder and, with `lock`, takes the lock. Nothing is written yet.
  SafeWrite(const std::string& path, Options options);
  // Without Commit, the temporary (and a file created only to be locked) is removed.
  ~SafeWrite();
  SafeWrite(const SafeWrite&) = delete;
  SafeWrite& operator=(const SafeWrite&) = delete;

  // The folder (an open descriptor) and the name in it of the file finally written.
  int FolderFd() const { return folder_; }
  const std::string& Name() const { return name_; }
  // The file that will be replaced: false for a new file (also one created only to be locked).
  bool Existed() const { return existed_; }
  // The status of the target as found (meaningful when Existed()).
  const struct stat& Target() const { return target_; }

  // Starts the writing: a file the user may not write is refused, stale temporaries of the file
  // are removed and the temporary created (or the device or FIFO opened).
  void Begin();
  // Appends to what Begin started.
  void Write(std::string_view bytes);
  // Puts the file in place (or ends writing to the device).
  void Commit();
  // Begin, Write and Commit.
  void Replace(std::string_view bytes);

  // The calls that decide what reaches the disk and when, and the lock of a save, replaceable
  // by tests to see their order or make them fail; and the longest wait for a lock.
  struct Calls {
    int (*fsync)(int fd) = ::fsync;
    int (*renameat)(int fromFolder, const char* from, int toFolder, const char* to) = ::renameat;
    int (*flock)(int fd, int operation) = ::flock;
    std::chrono::milliseconds lockWait = kLockWait;
  };
  static Calls& TestCalls();

 private:
  [[noreturn]] void Fail(long number, const std::string& description) const;
  [[noreturn]] void FailErrno(int error) const;
  std::string Cannot() const;  // "Cannot save <file>: "
  void TakeLock();
  void RemoveStaleTemporaries() const;
  void Abandon();

  Options options_;
  std::string shown_;  // the path as the caller gave it, for messages
  std::string folderPath_;
  std::string name_;
  int folder_ = -1;
  int lock_ = -1;  // the file to lock
  bool locked_ = false;
  bool existed_ = false;
  bool placeholder_ = false;  // the file was created empty to be locked
  bool direct_ = false;       // a device or FIFO
  struct stat target_ {};
  int fd_ = -1;  // being written
  std::string temp_;
  bool done_ = false;
};

}  // namespace qel
