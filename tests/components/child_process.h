// A piece of a test run in a child process (fork), optionally as the unprivileged user nobody, to
// exercise what takes two processes or another user. Test support for the component tests.
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "qel/error.h"

namespace qel::testing {

inline constexpr uid_t kNobody = 65534;
inline constexpr const char* kCannotDrop = "<cannot become nobody>";

class Child {
 public:
  // Starts `body` in a child, which returns its text (a QelError escaping it becomes
  // "error N: description"). `asNobody`: the child first becomes user and group 65534, and
  // returns kCannotDrop when it cannot.
  explicit Child(const std::function<std::string()>& body, bool asNobody = false) {
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ < 0) std::abort();
    if (pid_ == 0) {
      ::close(fds[0]);
      ::alarm(120);  // a child that hangs ends, and the test reports it
      std::string result;
      if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                       ::setuid(kNobody) != 0 || ::geteuid() != kNobody)) {
        result = kCannotDrop;
      } else {
        try {
          result = body();
        } catch (const QelError& e) {
          result = "error " + std::to_string(e.number()) + ": " + e.description();
        }
      }
      for (std::size_t at = 0; at < result.size();) {
        ssize_t n = ::write(fds[1], result.data() + at, result.size() - at);
        if (n <= 0) break;
        at += static_cast<std::size_t>(n);
      }
      ::_exit(0);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Child() {
    if (!reaped_) Kill();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Running() {
    if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
  }

  // What the child returned, or how it ended when it returned nothing.
  std::string Wait() {
    if (out_ >= 0) {
      char buf[4096];
      ssize_t n;
      while ((n = ::read(out_, buf, sizeof buf)) > 0)
        text_.append(buf, static_cast<std::size_t>(n));
      ::close(out_);
      out_ = -1;
    }
    if (!reaped_ && ::waitpid(pid_, &status_, 0) == pid_) reaped_ = true;
    if (text_.empty() && WIFSIGNALED(status_))
      text_ = "child ended by signal " + std::to_string(WTERMSIG(status_));
    return text_;
  }

  void Kill() {
    if (!reaped_) ::kill(pid_, SIGKILL);
    Wait();
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = 0;
  bool reaped_ = false;
  std::string text_;
};

}  // namespace qel::testing
