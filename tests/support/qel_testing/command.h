// Runs a command line as a child process through the shell, with a given standard input, and
// collects its exit status, standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "qel_testing/temp_folder.h"

namespace qel::testing {

struct CommandOutcome {
  int status;  // the exit status; -1 when the command did not exit (a signal)
  std::string out;
  std::string err;
};

// Runs `command` (quoted for the shell) with `input` on its standard input; the streams pass
// through files in `folder`. A command still running after a minute is stopped.
inline CommandOutcome RunCommand(const TempFolder& folder, const std::string& command,
                                 const std::string& input = "") {
  const std::string in = folder.File("stdin"), out = folder.File("stdout"),
                    err = folder.File("stderr");
  WriteBytes(in, input);
  const std::string line =
      "timeout 60 " + command + " <'" + in + "' >'" + out + "' 2>'" + err + "'";
  const int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

}  // namespace qel::testing
