// paystave's output file and messages, run as a process: an output that is the input, devices,
// FIFOs and links as the output, outputs another user may not write, temporaries of killed runs,
// and what reaches the terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "output.h"
#include "qel_testing/disk_calls.h"
#include "qel_testing/temp_folder.h"

extern char** environ;

namespace {

using qel::testing::ReadBytes;
using qel::testing::TempFolder;
using qel::testing::WriteBytes;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressLimitWorks = false;  // the sanitizer reserves far more than any limit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressLimitWorks = false;
#else
constexpr bool kAddressLimitWorks = true;
#endif
#else
constexpr bool kAddressLimitWorks = true;
#endif

const std::string kPayroll = "id,year,frequency,wages\nA1,2026,weekly,1000\n";
const std::string kResult =
    "id,withholding,table,adjusted_annual_wages,tentative_annual_withholding\n"
    "A1,78.08,Single STANDARD,43400.00,4060.00\n";

bool CanBecomeNobody() {
  return ::geteuid() == 0 && std::system("setpriv --reuid=65534 true 2>/dev/null") == 0;
}

TEST(PaystaveOutputFile, CommandLinesAndWhatTheyLeave) {
  // Each row runs in a fresh folder holding pay.csv (a copy of ../input.csv) and, in the folder
  // above it, result.csv; $P is paystave. `after` runs in the folder when paystave is done.
  struct Row {
    const char* what;
    std::string setup;
    std::string run;
    int status;
    std::string message;  // a piece of standard error; empty: none at all
    std::string after;
    std::string shows;
    bool root = false;    // needs the superuser (links or files of another user)
    bool memory = false;  // needs a working address-space limit
  };
  const std::string kept = "ls -AF | tr '\\n' ' '; cmp -s pay.csv ../input.csv && echo kept";
  const Row rows[] = {
      {"the output is the input under another spelling", "", "\"$P\" pay.csv --output ./pay.csv", 2,
       "is the input pay.csv", kept, "pay.csv kept\n"},
      {"... under its full path", "", "\"$P\" pay.csv --output \"$PWD/pay.csv\"", 2, "is the input",
       kept, "pay.csv kept\n"},
      {"... through a symbolic link", "ln -s pay.csv link.csv", "\"$P\" pay.csv -o link.csv", 2,
       "is the input", kept, "link.csv@ pay.csv kept\n"},
      {"... through a hard link", "ln pay.csv hard.csv", "\"$P\" pay.csv -o hard.csv", 2,
       "is the input", kept, "hard.csv pay.csv kept\n"},
      {"... read from standard input", "", "\"$P\" - -o pay.csv < pay.csv", 2,
       "is the input the standard input", kept, "pay.csv kept\n"},
      {"a device is written, not replaced", "mknod null c 1 3 2>/dev/null || ln -s /dev/null null",
       "\"$P\" pay.csv -o null", 0, "", "test -c null && echo device", "device\n"},
      {"a FIFO is written, not replaced", "mkfifo fifo",
       "timeout 60 cat fifo > got & \"$P\" pay.csv -o fifo; s=$?; wait; exit $s", 0, "",
       "ls -AF | tr '\\n' ' '; cmp -s got ../result.csv && echo written",
       "fifo| got pay.csv written\n"},
      {"standard output named as a file, into a pipe", "",
       "{ \"$P\" pay.csv -o /dev/stdout; echo $? > ../rc; } | cat > got; exit $(cat ../rc)", 0, "",
       "cmp -s got ../result.csv && echo piped", "piped\n"},
      {"a dangling link creates the file it names", "mkdir d; ln -s d/made.csv new.csv",
       "\"$P\" pay.csv -o new.csv", 0, "",
       "ls -AF | tr '\\n' ' '; cmp -s d/made.csv ../result.csv && echo made",
       "d/ new.csv@ pay.csv made\n"},
      {"a stale temporary of a killed run is removed",
       "printf half > .out.csv.tmp-AbCdEf123456; printf keep > .out.csv.tmp-short",
       "\"$P\" pay.csv -o out.csv", 0, "", "ls -A | tr '\\n' ' '",
       ".out.csv.tmp-short out.csv pay.csv "},
      {"an output the user may not write is refused",
       "printf old > out.csv; chmod 444 out.csv; chown 65534 out.csv; chmod 777 .",
       "setpriv --reuid=65534 --regid=65534 --clear-groups \"$P\" pay.csv -o out.csv", 2,
       "out.csv is read-only", "ls -A | tr '\\n' ' '; cat out.csv", "out.csv pay.csv old", true},
      {"another user's link in a shared sticky folder is not followed",
       "printf secret > secret; chmod 600 secret; mkdir shared; chmod 1777 shared; "
       "ln -s ../secret shared/link; chown -h 65534:65534 shared/link",
       "\"$P\" pay.csv -o shared/link", 2, "symbolic link shared/link", "cat secret", "secret",
       true},
      {"ids and fields are echoed with control characters escaped; every row bad gives 1",
       "printf 'id,year,frequency,wages\\n\\033[2J,2026,weekly,1\\033]0\\n' > bad.csv",
       "\"$P\" bad.csv", 1, "line 2 (id \\x1B[2J): wages 1\\x1B]0 is not a number", "", ""},
      {"out of memory is said so",
       // Lower and lower address-space limits, until the first run that fails.
       "",
       "for v in $(seq 24576 -256 1024); do (ulimit -v $v; exec \"$P\" pay.csv >/dev/null) "
       "|| exit $?; done",
       2, "paystave: out of memory\n", "", "", false, true},
  };
  const bool nobody = CanBecomeNobody();
  int skipped = 0;
  for (const Row& row : rows) {
    if ((row.root && !nobody) || (row.memory && !kAddressLimitWorks)) {
      ++skipped;
      continue;
    }
    TempFolder top;
    const std::filesystem::path dir = top / "run";
    std::filesystem::create_directory(dir);
    WriteBytes((top / "input.csv").string(), kPayroll);
    WriteBytes((top / "result.csv").string(), kResult);
    WriteBytes((dir / "pay.csv").string(), kPayroll);
    ::chmod(top.path().c_str(), 0755);
    const std::string err = (top / "stderr").string(), after = (top / "after").string();
    const std::string script = (top / "script.sh").string();
    WriteBytes(script, "cd '" + dir.string() + "' || exit 99\nP='" + PAYSTAVE + "'\n" + row.setup +
                           "\n( " + row.run + "\n) 2>'" + err + "' >/dev/null\nstatus=$?\n{\n" +
                           (row.after.empty() ? ":" : row.after) + "\n} >'" + after +
                           "'\nexit $status\n");
    const int raw = std::system(("sh '" + script + "'").c_str());
    const std::string said = ReadBytes(err);
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status) << row.what << "\n" << said;
    if (row.message.empty())
      EXPECT_EQ(said, "") << row.what;
    else
      EXPECT_NE(said.find(row.message), std::string::npos) << row.what << "\n" << said;
    EXPECT_EQ(said.find_first_of(std::string("\0\x1b\r\x7f", 4)), std::string::npos)
        << row.what << "\n"
        << said;
    EXPECT_EQ(ReadBytes(after), row.shows) << row.what;
  }
  if (skipped > 0)
    GTEST_SKIP() << skipped << " row(s) not run: they need the superuser and the user nobody "
                 << "(setpriv), or an address-space limit the build's sanitizer leaves working";
}

// A run killed while it writes leaves only a temporary that no one else may read, and the next
// run in that folder removes it.
TEST(PaystaveOutputFile, AKilledRunsTemporaryIsPrivateAndRemovedByTheNext) {
  TempFolder dir;
  const std::string out = dir.File("out.csv");
  int input[2];
  ASSERT_EQ(::pipe(input), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_addclose(&actions, input[1]);
  std::string program = PAYSTAVE, option = "--output";
  char* argv[] = {program.data(), option.data(), const_cast<char*>(out.c_str()), nullptr};
  const mode_t umask = ::umask(022);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, PAYSTAVE, &actions, nullptr, argv, environ), 0);
  ::umask(umask);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  // The run has its temporary and waits for input that never comes.
  std::string temporary;
  for (int i = 0; i < 2000 && temporary.empty(); ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      temporary = entry.path().string();
    if (temporary.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ::close(input[1]);
  ASSERT_FALSE(temporary.empty()) << "the run made no temporary";
  struct stat st {};
  ASSERT_EQ(::stat(temporary.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u) << temporary;

  const std::string in = dir.File("pay.csv");
  WriteBytes(in, kPayroll);
  const std::string command = std::string("'") + PAYSTAVE + "' -o '" + out + "' '" + in + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(temporary));
  EXPECT_EQ(ReadBytes(out), kResult);
  EXPECT_EQ(qel::testing::EntryCount(dir.path()), 2u);
}

// The results reach the disk before they take the old file's place.
TEST(PaystaveOutputFile, TheTemporaryIsFlushedBeforeTheRename) {
  TempFolder dir;
  const std::string out = dir.File("out.csv");
  WriteBytes(out, "last run\n");
  qel::testing::DiskCallLog log;
  {
    paystave::Output output(out);
    output.Text() = kResult;
    output.Commit();
  }
  EXPECT_EQ(log.calls(), (std::vector<std::string>{"fsync file", "rename", "fsync folder"}));
  EXPECT_EQ(ReadBytes(out), kResult);
}

}  // namespace
