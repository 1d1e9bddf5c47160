// The Corvala program as a process: silent runs against the report files worked out by hand,
// exit statuses, the error log, and nothing that waits for input.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
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

// How a run is started besides its arguments.
struct Launch {
  std::vector<std::string> env;    // NAME=value to set
  std::vector<std::string> unset;  // names to remove
  bool asNobody = false;           // as the unprivileged user 65534 (the caller must be root)
  long fileSizeLimit = -1;         // bytes a file may grow to; -1 no limit
};

// Runs `program` with `args` in `cwd`, standard input closed, with a 20 s limit.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const fs::path& cwd, const Launch& launch = {}) {
  fs::path errFile = cwd / ".stderr", outFile = cwd / ".stdout";
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(120);
    ::close(0);
    int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int o = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(e, 2);
    ::dup2(o, 1);
    for (const std::string& v : launch.env) ::putenv(const_cast<char*>(v.c_str()));
    for (const std::string& v : launch.unset) ::unsetenv(v.c_str());
    // As from a shell: a write past the file-size limit signals SIGXFSZ unless the program
    // itself ignores it.
    ::signal(SIGXFSZ, SIG_DFL);
    if (launch.fileSizeLimit >= 0) {
      rlimit limit{static_cast<rlim_t>(launch.fileSizeLimit),
                   static_cast<rlim_t>(launch.fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (launch.asNobody &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(121);
    }
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

// The example cases, each with its hand-worked report file in the fixtures folder.
constexpr const char* kExamples[] = {"proforma",     "targeted",     "percent",
                                     "unnamed",      "annual",       "weekly2026",
                                     "proforma2026", "targeted2026", "monthly2020"};

class SilentRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("corvala-silent-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // A program folder of the test's own, so its error log is the test's: the program file is
    // copied and its libraries linked in (the program looks for them in its own folder only);
    // the engine finds its tables beside the library it was loaded from. Without the interactive
    // module, an interactive launch fails.
    program_ = (dir_ / "Corvala").string();
    fs::copy_file(CORVALA_PROGRAM, program_);
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(CORVALA_PROGRAM).parent_path())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("lib", 0) == 0 && name.find(".so") != std::string::npos &&
          name.rfind("libCorvalaQt", 0) != 0) {
        fs::create_symlink(entry.path(), dir_ / name);
      }
    }
    for (const char* name : kExamples) {
      fs::copy_file(fs::path(CORVALA_EXAMPLES) / (std::string(name) + ".zov"),
                    dir_ / (std::string(name) + ".zov"));
    }
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  Outcome Corvala(const std::vector<std::string>& args, const Launch& launch = {}) {
    return RunProgram(program_, args, dir_, launch);
  }
  std::string Log() { return ReadFile(dir_ / "ZOV_err.log"); }

  fs::path dir_;
  std::string program_;
};

TEST_F(SilentRun, ExampleCasesGiveTheHandWorkedReportsByteForByte) {
  for (const char* name : kExamples) {
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
  EXPECT_NE(r.err.find("Annual Wages is not a number: 'abc'"), std::string::npos) << r.err;
  EXPECT_NE(Log().find("Annual Wages is not a number: 'abc'"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
}

// No entry of a Form W-4 or a pay record is below zero: the run refuses the case naming the
// key and writes no report.
TEST_F(SilentRun, ANegativeEntryIsRefusedNamingTheKey) {
  struct Row {
    const char* example;
    const char* entry;  // as the example has it
    const char* negative;
    const char* message;
  };
  const Row rows[] = {
      {"proforma", "Wage 4 yr=58,500.00", "Wage 4 yr=-58,500.00",
       "Annual Wages (\"Wage 4 yr\" in section \"Proforma\") cannot be negative: '-58,500.00'"},
      {"proforma", "Allow=3", "Allow=-3",
       "Withholding Allowances (\"Allow\" in section \"Common\") cannot be negative: '-3'"},
      {"targeted2026", "Targ WH=4,000.00", "Targ WH=-1",
       "(\"Targ WH\" in section \"Targeted\") cannot be negative: '-1.00'"},
      {"weekly2026", "Addl WH=0.00", "Addl WH=-100",
       "(\"Addl WH\" in section \"Common\") cannot be negative: '-100.00'"},
      {"weekly2026", "Step 4a=0.00", "Step 4a=-5",
       "Step 4(a) Other Income (\"Step 4a\" in section \"Common\") cannot be negative"},
      {"percent", "\nWages=", "\nWages=-", "Gross Wages For Pay Period (\"Wages\" in section"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.negative);
    std::string text = ReadFile(dir_ / (std::string(row.example) + ".zov"));
    const std::size_t at = text.find(row.entry);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::strlen(row.entry), row.negative);
    std::ofstream(dir_ / "minus.zov", std::ios::binary) << text;
    Outcome r = Corvala({"/silent", "/input", "minus.zov", "/output", "out.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
  }
}

TEST_F(SilentRun, OutputThatCannotBeWrittenFails) {
  Outcome r = Corvala({"/silent", "/input", "percent.zov", "/output", "no/such/dir/out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no/such/dir/out.txt"), std::string::npos) << r.err;
  // The run writes its reports in one go at its end.
  EXPECT_NE(Log().find("RunReports"), std::string::npos) << Log();
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

// Switches are whole words and a name runs to the next switch: folders called "input" or
// "silent" and names with ".zov" inside are paths.
TEST_F(SilentRun, SwitchesAreWholeWordsAndNamesRunToTheNextSwitch) {
  fs::create_directories(dir_ / "input");
  fs::create_directories(dir_ / "silent");
  fs::create_directories(dir_ / "x.zov.bak");
  fs::copy_file(dir_ / "percent.zov", dir_ / "input" / "percent.zov");
  fs::copy_file(dir_ / "percent.zov", dir_ / "x.zov.bak" / "x.zov");
  const std::string expected = ReadFile(fs::path(CORVALA_FIXTURES) / "percent.txt");
  struct Row {
    std::vector<std::string> args;
    const char* report;
  };
  const Row rows[] = {
      {{"/silent", "/input", (dir_ / "input/percent.zov").string(), "/output",
        (dir_ / "silent/a.txt").string()},
       "silent/a.txt"},
      {{"--SILENT", "--input", "x.zov.bak/x.zov", "--output=b.txt"}, "b.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.report);
    Outcome r = Corvala(row.args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string report = ReadFile(dir_ / row.report);
    // The same report as the example's, but for the file name it names.
    EXPECT_EQ(report.size() - report.find("Employee:"),
              expected.size() - expected.find("Employee:"));
  }
  EXPECT_NE(ReadFile(dir_ / "b.txt").find("Filename: x.zov.bak/x.zov\r\n"), std::string::npos);
  // "/silent" inside a path does not make a run silent: without a display it needs windows.
  Outcome r = Corvala({"/input", "/srv/silent/a.zov"}, {{}, {"DISPLAY", "WAYLAND_DISPLAY"}});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("libCorvalaQt.so"), std::string::npos) << r.err;
}

// Names and second lines stored in Windows-1252 reach the report file as those characters.
TEST_F(SilentRun, Windows1252NamesReachTheReportFileAsThemselves) {
  std::string text = ReadFile(dir_ / "percent.zov");
  std::size_t tp = text.find("TP=");
  text.replace(tp, text.find('\r', tp) - tp, "TP=J\xFCrgen M\xFCller \x96 Caf\xE9");
  std::ofstream(dir_ / "cp1252.zov", std::ios::binary) << text;
  Outcome r = Corvala({"/silent", "/input", "cp1252.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string report = ReadFile(dir_ / "out.txt");
  EXPECT_NE(report.find("Employee: J\xFCrgen M\xFCller \x96 Caf\xE9\r\n"), std::string::npos)
      << report;
  EXPECT_NE(report.find(std::string(60, '\x97')), std::string::npos);
}

// A computation type outside 0-2 is an error that names the key, never an empty success.
TEST_F(SilentRun, ComputationTypeOutsideTheThreeIsAnError) {
  std::string text = ReadFile(dir_ / "percent.zov");
  std::size_t at = text.find("Comp Type=");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, text.find('\r', at) - at, "Comp Type=7");
  std::ofstream(dir_ / "type7.zov", std::ios::binary) << text;
  Outcome r = Corvala({"/silent", "/input", "type7.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("\"Comp Type\" 7"), std::string::npos) << r.err;
  EXPECT_NE(Log().find("\"Comp Type\" 7"), std::string::npos) << Log();
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
}

// A tax year the program has no tables for, or no year at all, is refused naming the case and
// the year, with the years there are; no report is written.
TEST_F(SilentRun, ATaxYearWithoutTablesIsRefusedNamingTheYearsAvailable) {
  struct Row {
    const char* year;
    const char* message;
  };
  const Row rows[] = {
      {"2019", "y.zov: No withholding tables for 2019: tables are available for 2005, 2020-2026."},
      {"abc", "y.zov: Tax Year is not a number: 'abc'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.year);
    std::string text = ReadFile(dir_ / "weekly2026.zov");
    text.replace(text.find("Tax Year=2026"), 13, std::string("Tax Year=") + row.year);
    std::ofstream(dir_ / "y.zov", std::ios::binary) << text;
    fs::remove(dir_ / "ZOV_err.log");
    Outcome r = Corvala({"/silent", "/input", "y.zov", "/output", "out.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("Corvala: WARNING: ") + row.message + "\n");
    EXPECT_NE(Log().find(row.message), std::string::npos) << Log();
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
  }
}

// A report file that cannot be written says why, and a failed append leaves the file as it was.
TEST_F(SilentRun, ReportFileFailuresSayWhyAndLeaveTheFileAsItWas) {
  fs::create_directories(dir_ / "folder.txt");
  fs::create_symlink("/dev/full", dir_ / "full.txt");
  struct Row {
    const char* output;
    const char* why;
    Launch launch;
  };
  const std::string before = "an earlier run's report\r\n";
  std::ofstream(dir_ / "earlier.txt", std::ios::binary) << before;
  const Row rows[] = {
      {"folder.txt", "Is a directory", {}},
      {"full.txt", "No space left on device", {}},
      // The file may grow by 700 bytes only (less than the reports; standard error and the log
      // fit): the append fails part way.
      {"earlier.txt", "File too large", {{}, {}, false, static_cast<long>(before.size()) + 700}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.output);
    Outcome r = Corvala({"/silent", "/input", "percent.zov", "/output", row.output}, row.launch);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(row.why), std::string::npos) << r.err;
    EXPECT_NE(Log().find(row.why), std::string::npos) << Log();
    // Nobody is there to answer the question about saving.
    EXPECT_EQ(r.err.find("Do you want to save"), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFile(dir_ / "earlier.txt"), before);
}

// One table of silent runs: what each case, report file and environment give (exit status, the
// message on standard error and in the log, the report). Refused: files that are no case, a link
// loop, a year too large for a whole number, a pipe that no program reads (the run must not wait
// for one), a write past the file-size limit. A report holds text only: a locale's separator
// that the code page lacks shows as the no-break space, never "?", and control characters in
// names become blanks.
TEST_F(SilentRun, WhatEachCaseFileAndEnvironmentGive) {
  std::string weekly = ReadFile(dir_ / "weekly2026.zov");
  weekly.replace(weekly.find("Tax Year=2026"), 13, "Tax Year=99999999999");
  std::ofstream(dir_ / "year.zov", std::ios::binary) << weekly;
  std::ofstream(dir_ / "empty.zov").close();
  std::ofstream(dir_ / "comments.zov", std::ios::binary) << "; a case\r\n; to come\r\n";
  std::ofstream(dir_ / "other.zov", std::ios::binary) << "[Scenario1]\r\nYear=2005\r\n";
  fs::create_symlink("loop.zov", dir_ / "loop.zov");
  ASSERT_EQ(::mkfifo((dir_ / "pipe.txt").c_str(), 0600), 0);
  std::string text = ReadFile(dir_ / "percent.zov");
  std::size_t tp = text.find("TP=");
  text.replace(tp, text.find('\n', tp) - tp, "TP=Ann\x1b[2J\x1b]0;x\x07Lee");
  std::size_t l2 = text.find("L2=");
  text.replace(l2, text.find('\n', l2) - l2,
               "L2=Pay\x0b\x0c\xc2\x9b"
               "6nable");
  std::ofstream(dir_ / "controls.zov", std::ios::binary) << text;
  struct Row {
    const char* input;
    const char* output;
    Launch launch;
    int status;
    const char* message;  // on standard error and in the log; "" for none
    const char* report;   // in the report file; nullptr when there must be none
  };
  const char* noCase = "is not a case file: it holds none of the sections [Common]";
  const Launch plain;
  const Row rows[] = {
      {"empty.zov", "out.txt", plain, 1, noCase, nullptr},
      {"comments.zov", "out.txt", plain, 1, noCase, nullptr},
      {"other.zov", "out.txt", plain, 1, noCase, nullptr},
      {"loop.zov", "out.txt", plain, 1, "loop.zov is a symbolic link that leads round in a loop",
       nullptr},
      {"year.zov", "out.txt", plain, 1, "No withholding tables for 99999999999: tables are",
       nullptr},
      {"percent.zov", "pipe.txt", plain, 1,
       "pipe.txt cannot be written: it is a pipe that no program is reading", nullptr},
      {"percent.zov", "out.txt", {{}, {}, false, 400}, 1, "File too large", nullptr},
      {"percent.zov",
       "out.txt",
       {{"LC_ALL=fr_FR.UTF-8"}, {}, false, -1},
       0,
       "",
       "Gross Wages                                  5\xA0"
       "000,00\r\n"},
      {"controls.zov",
       "out.txt",
       {{"LC_ALL=C.UTF-8"}, {}, false, -1},
       0,
       "",
       "Employee: Ann [2J ]0;x Lee\r\n     Report Line 2: Pay   6nable\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.input) + " " + row.message);
    fs::remove(dir_ / "ZOV_err.log");
    fs::remove(dir_ / "out.txt");
    Outcome r = Corvala({"/silent", "/input", row.input, "/output", row.output}, row.launch);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    if (row.message[0] != '\0') {
      EXPECT_NE(Log().find(row.message), std::string::npos) << Log();
    }
    if (row.report == nullptr) {
      EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
      continue;
    }
    const std::string report = ReadFile(dir_ / "out.txt");
    EXPECT_NE(report.find(row.report), std::string::npos) << report;
    EXPECT_EQ(report.find('?'), std::string::npos) << report;
    EXPECT_TRUE(std::all_of(report.begin(), report.end(), [](char c) {
      return c == '\r' || c == '\n' || static_cast<unsigned char>(c) >= 0x20;
    })) << report;
  }
}

// The other programs too turn a write past the file-size limit into an ordinary write error: a
// message, a failing exit status and their roll-back, never the end by SIGXFSZ.
TEST_F(SilentRun, AFileSizeLimitIsAWriteErrorInTheOtherProgramsToo) {
  std::string payroll = "id,year,frequency,wages\n";
  for (int i = 0; i < 200; ++i) payroll += "A" + std::to_string(i) + ",2026,weekly,1000.00\n";
  std::ofstream(dir_ / "pay.csv", std::ios::binary) << payroll;
  std::ofstream(dir_ / "old.csv", std::ios::binary) << "an older output\n";
  struct Row {
    std::string program;
    std::vector<std::string> args;
    int status;
    const char* message;  // on standard error
  };
  const Row rows[] = {
      {PAYSTAVE_PROGRAM, {"pay.csv", "--output", "old.csv"}, 2, "File too large"},
      // The report goes to standard output, a file under the same limit.
      {FENNICK_PROGRAM, {(fs::path(CORVALA_EXAMPLES) / "joint2005.scn").string()}, 1, "output"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.program);
    Outcome r = RunProgram(row.program, row.args, dir_, {{}, {}, false, 400});
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFile(dir_ / "old.csv"), "an older output\n");
}

// The error log keeps the error's source trail and description, and the right number; messages
// name fields by their labels.
TEST_F(SilentRun, ErrorLogKeepsTheTrailTheDescriptionAndTheNumber) {
  std::ofstream(dir_ / "list.zov") << "Milk\nBread\n";
  Outcome r = Corvala({"/silent", "/input", "list.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("list.zov cannot be opened as a case"), std::string::npos) << r.err;
  EXPECT_NE(Log().find("WhBusObj.Load"), std::string::npos) << Log();
  EXPECT_NE(Log().find("line 1"), std::string::npos) << Log();

  std::string text = ReadFile(dir_ / "proforma.zov");
  text.replace(text.find("58,500.00"), 9, "99999999999999999999");
  std::ofstream(dir_ / "large.zov") << text;
  fs::remove(dir_ / "ZOV_err.log");
  r = Corvala({"/silent", "/input", "large.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Annual Wages is too large"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("sWages4Yr"), std::string::npos) << r.err;
  EXPECT_NE(Log().find("Error 6: "), std::string::npos) << Log();
  EXPECT_EQ(r.err.find("Do you want to save"), std::string::npos) << r.err;
}

// The error log is never written through a link, and a name it quotes cannot add a line to it or
// reach the terminal as a command.
TEST_F(SilentRun, TheErrorLogTakesNoLinkAndNoForgedLine) {
  const std::string forged = "x\n2026-01-01 00:00:00  Qel Paystave forged\x1b[2J.zov";
  std::ofstream(dir_ / "victim", std::ios::binary) << "someone's file\n";
  fs::create_symlink("victim", dir_ / "ZOV_err.log");
  Outcome r = Corvala({"/silent", "/input", "missing.zov", "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir_ / "victim"), "someone's file\n");
  EXPECT_NE(r.err.find("error log"), std::string::npos) << r.err;

  fs::remove(dir_ / "ZOV_err.log");
  r = Corvala({"/silent", "/input", forged, "/output", "out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
  const std::string log = Log();
  EXPECT_NE(log.find("x\\n2026-01-01 00:00:00  Qel Paystave forged\\x1B[2J.zov"), std::string::npos)
      << log;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.empty() || line.rfind("  ", 0) == 0 ||
                line.find("forged") == std::string::npos)
        << line;
  }
  EXPECT_EQ(fs::status(dir_ / "ZOV_err.log").permissions() & fs::perms::others_read,
            fs::perms::none);
}

// Creates the symbolic link `link` -> `target` as the user 65534; false when that user cannot.
bool LinkAsNobody(const fs::path& target, const fs::path& link) {
  pid_t pid = ::fork();
  if (pid == 0) {
    bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
              ::symlink(target.c_str(), link.c_str()) == 0;
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A report file named through a link is written where the link leads only where the kernel would
// follow it: a link another user planted in a shared sticky folder is refused, naming it; the
// runner's own links, and links in folders that are not shared, are followed.
TEST_F(SilentRun, ALinkPlantedByAnotherUserIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant a link as the user nobody";
  const fs::path shared = dir_ / "shared", own = dir_ / "open";
  fs::create_directories(shared);
  fs::create_directories(own);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  fs::permissions(own, fs::perms::all);  // open to all, but not sticky: links are followed
  const std::string before = "root's own file\n";
  std::ofstream(dir_ / "victim.txt", std::ios::binary) << before;
  if (!LinkAsNobody(dir_ / "victim.txt", shared / "planted.txt") ||
      !LinkAsNobody(dir_ / "victim.txt", own / "nobodys.txt")) {
    GTEST_SKIP() << "the user nobody cannot create a link in " << dir_;
  }
  fs::create_symlink(dir_ / "victim.txt", shared / "mine.txt");
  struct Row {
    fs::path output;
    int status;
    const char* message;
    bool appended;  // the reports reach victim.txt
  };
  const Row rows[] = {
      {shared / "planted.txt", 1, "belongs to another user in the shared folder", false},
      {shared / "mine.txt", 0, "", true},
      {own / "nobodys.txt", 0, "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.output);
    const std::string was = ReadFile(dir_ / "victim.txt");
    Outcome r = Corvala({"/silent", "/input", "percent.zov", "/output", row.output.string()});
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir_ / "victim.txt").size() > was.size(), row.appended);
    EXPECT_TRUE(fs::is_symlink(row.output));
  }
  EXPECT_EQ(ReadFile(dir_ / "victim.txt").substr(0, before.size()), before);
}

// Runs as a user without write permission: the report file refuses with the reason, and with
// HOME unset no per-user file lands in a folder shared with other users.
TEST_F(SilentRun, AnUnprivilegedUserWithoutHome) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a step as the user nobody";
  Launch nobody{{}, {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}, true, -1};
  if (Corvala({"--version"}, nobody).status != 0) {
    GTEST_SKIP() << "the user nobody cannot run the program from this build folder";
  }
  const fs::path shared = "/tmp/.local/share/qel-paystave";
  std::error_code ec;
  fs::remove_all(shared, ec);
  Outcome r = Corvala({"/silent", "/input", "percent.zov", "/output", "out.txt"}, nobody);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
  r = Corvala({"/silent", "/input", "missing.zov", "/output", "out.txt"}, nobody);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.zov does not exist."), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(shared)) << "a per-user folder under /tmp";
}

// An interactive launch whose command line cannot be used says so on standard error (and, with a
// display, in a message box) and ends with status 2 instead of starting without the case.
TEST_F(SilentRun, AnUnusableInteractiveCommandLineGoesToStandardError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--bogus"}, std::vector<std::string>{"/input", "notes.txt"}}) {
    SCOPED_TRACE(args[0]);
    Outcome r = Corvala(args, {{}, {"DISPLAY", "WAYLAND_DISPLAY"}});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("The command line cannot be used"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("libCorvalaQt.so"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// A file manager opens case files with the program: the desktop entry takes a file and names the
// MIME type that the shared-mime-info file gives to "*.zov".
TEST(DesktopEntry, OpensCaseFiles) {
  const std::string entry = ReadFile(fs::path(CORVALA_DESKTOP) / "qel-paystave.desktop");
  const std::string mime = ReadFile(fs::path(CORVALA_DESKTOP) / "qel-paystave-case.xml");
  EXPECT_NE(entry.find("\nExec=Corvala %f\n"), std::string::npos) << entry;
  const std::string type = "application/x-qel-paystave-case";
  EXPECT_NE(entry.find("\nMimeType=" + type + ";\n"), std::string::npos) << entry;
  EXPECT_NE(mime.find("<mime-type type=\"" + type + "\">"), std::string::npos) << mime;
  EXPECT_NE(mime.find("<glob pattern=\"*.zov\"/>"), std::string::npos) << mime;
}

}  // namespace
