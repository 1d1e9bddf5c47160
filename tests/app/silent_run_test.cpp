// The Corvala program as a process: silent runs against the report files worked out by hand,
// exit statuses, the error log, and nothing that waits for input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Outcome {
  int status = -1;  // exit status; -1 when killed or timed out
  std::string err;  // standard error
  std::string out;  // standard output
};

// Runs `program` with `args` in `cwd`, standard input closed, with a 20 s limit.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const fs::path& cwd, const std::vector<std::string>& env = {}) {
  fs::path errFile = cwd / ".stderr", outFile = cwd / ".stdout";
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(120);
    ::close(0);
    int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int o = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(e, 2);
    ::dup2(o, 1);
    for (const std::string& v : env) ::putenv(const_cast<char*>(v.c_str()));
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  Outcome result;
  int wstatus = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    pid_t done = ::waitpid(pid, &wstatus, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &wstatus, 0);
      ADD_FAILURE() << "the run did not end within 20 seconds";
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  result.err = ReadFile(errFile);
  result.out = ReadFile(outFile);
  return result;
}

class SilentRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("corvala-silent-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // A program folder of the test's own, so its error log is the test's: the program file is
    // copied; the libraries and tables are found where they were built.
    program_ = (dir_ / "Corvala").string();
    fs::copy_file(CORVALA_PROGRAM, program_);
    for (const char* name : {"proforma", "targeted", "percent", "unnamed", "annual"}) {
      fs::copy_file(fs::path(CORVALA_EXAMPLES) / (std::string(name) + ".zov"),
                    dir_ / (std::string(name) + ".zov"));
    }
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  Outcome Corvala(const std::vector<std::string>& args) { return RunProgram(program_, args, dir_); }
  std::string Log() { return ReadFile(dir_ / "ZOV_err.log"); }

  fs::path dir_;
  std::string program_;
};

TEST_F(SilentRun, ExampleCasesGiveTheHandWorkedReportsByteForByte) {
  for (const char* name : {"proforma", "targeted", "percent", "unnamed", "annual"}) {
    SCOPED_TRACE(name);
    std::string stem = name;
    Outcome r = Corvala({"/silent", "/input", stem + ".zov", "/output", stem + ".txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string expected = ReadFile(fs::path(CORVALA_FIXTURES) / (stem + ".txt"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadFile(dir_ / (stem + ".txt")), expected);
  }
}

TEST_F(SilentRun, ReportsAreAppendedAndTheRuleIsByte151) {
  ASSERT_EQ(Corvala({"/silent", "/input", "percent.zov", "/output", "out.txt"}).status, 0);
  ASSERT_EQ(Corvala({"/silent", "/input", "percent.zov", "/output", "out.txt"}).status, 0);
  std::string once = ReadFile(fs::path(CORVALA_FIXTURES) / "percent.txt");
  EXPECT_EQ(ReadFile(dir_ / "out.txt"), once + once);
  EXPECT_NE(once.find(std::string(60, '\x97')), std::string::npos);
  EXPECT_EQ(once.find("\xE2\x80\x94"), std::string::npos);  // no UTF-8 em dash in the file
}

TEST_F(SilentRun, SwitchesInAnyCaseAndOrderNamesKeepTheirCase) {
  fs::create_directories(dir_ / "My Cases");
  fs::copy_file(dir_ / "targeted.zov", dir_ / "My Cases" / "Mixed Case.ZOV");
  Outcome r =
      Corvala({"/OUTPUT", "Out Folder Report.TXT", "/Input", "My Cases/Mixed Case.ZOV", "/SILENT"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string report = ReadFile(dir_ / "Out Folder Report.TXT");
  EXPECT_NE(report.find("Filename: My Cases/Mixed Case.ZOV\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "out folder report.txt"));
}

TEST_F(SilentRun, MissingInputFileFailsWithoutAReport) {
  Outcome r = Corvala({"/silent", "/input", "Nowhere.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Nowhere.zov does not exist."), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
  EXPECT_NE(Log().find("Nowhere.zov does not exist."), std::string::npos) << Log();
}

TEST_F(SilentRun, MalformedInputFileIsRefusedNamingIt) {
  std::ofstream(dir_ / "broken.zov") << "[Common\nTP=x\n";
  Outcome r = Corvala({"/silent", "/input", "broken.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("broken.zov"), std::string::npos) << r.err;
  EXPECT_NE(Log().find("OpenFile"), std::string::npos) << Log();
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
}

TEST_F(SilentRun, InputThatIsNotANumberNamesTheField) {
  std::string text = ReadFile(dir_ / "proforma.zov");
  text.replace(text.find("58,500.00"), 9, "abc");
  std::ofstream(dir_ / "bad.zov") << text;
  Outcome r = Corvala({"/silent", "/input", "bad.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Annual Wages (sWages4Yr) is not a number: 'abc'"), std::string::npos)
      << r.err;
  EXPECT_NE(Log().find("Annual Wages (sWages4Yr) is not a number: 'abc'"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
}

TEST_F(SilentRun, OutputThatCannotBeWrittenFails) {
  Outcome r = Corvala({"/silent", "/input", "percent.zov", "/output", "no/such/dir/out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no/such/dir/out.txt"), std::string::npos) << r.err;
  EXPECT_NE(Log().find("WithholdingReports.ReportPercent"), std::string::npos) << Log();
}

TEST_F(SilentRun, CommandLinesItCannotUseEndWithStatus2) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"/silent", "/output", "out.txt"}, "needs \"/input\""},
      {{"/silent", "/input", "percent", "/output", "out.txt"}, "no file name ending in \".zov\""},
      {{"/silent", "/input", "percent.zov"}, "needs \"/output\""},
      // The first ".txt" stands before the name after "/output": a negative length.
      {{"/silent", "a.txt", "/input", "percent.zov", "/output", "b.txt"}, "/output"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Outcome r = Corvala(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Usage: Corvala"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "b.txt"));
  }
}

TEST_F(SilentRun, HelpAndVersionNeedNoWindow) {
  Outcome help = Corvala({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("/silent"), std::string::npos);
  Outcome version = Corvala({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "ZOV2005.10.143\n");
}

TEST_F(SilentRun, InteractiveRunWithoutTheModuleSaysSoAndFails) {
  // The copied program's folder holds no interactive module.
  Outcome r = Corvala({});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("libCorvalaQt.so"), std::string::npos) << r.err;
}

}  // namespace
