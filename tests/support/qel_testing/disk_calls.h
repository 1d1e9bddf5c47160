// Watching the calls that put a file in place (qel::SafeWrite's seam): which were made, in what
// order, and on what.
#pragma once

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "qel/safe_write.h"

namespace qel::testing {

// While one lives, fsync and renameat are recorded ("fsync file", "fsync folder", "rename")
// and then made as usual.
class DiskCallLog {
 public:
  DiskCallLog() {
    Log().clear();
    saved_ = SafeWrite::TestCalls();
    SafeWrite::TestCalls().fsync = [](int fd) {
      struct stat st {};
      ::fstat(fd, &st);
      Log().push_back(S_ISDIR(st.st_mode) ? "fsync folder" : "fsync file");
      return ::fsync(fd);
    };
    SafeWrite::TestCalls().renameat = [](int a, const char* from, int b, const char* to) {
      Log().push_back("rename");
      return ::renameat(a, from, b, to);
    };
  }
  ~DiskCallLog() { SafeWrite::TestCalls() = saved_; }
  DiskCallLog(const DiskCallLog&) = delete;
  DiskCallLog& operator=(const DiskCallLog&) = delete;

  const std::vector<std::string>& calls() const { return Log(); }

 private:
  static std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
  }
  SafeWrite::Calls saved_;
};

}  // namespace qel::testing
