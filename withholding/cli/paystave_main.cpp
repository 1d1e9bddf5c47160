// paystave: the federal income-tax withholding of every pay check of a payroll run.
//
//   paystave [--output FILE] [INPUT]
//
// Exit status: 0 every row computed, 1 some or all rows bad (reported, withholding left empty),
// 2 nothing usable (command line, input, output, or out of memory).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <system_error>

#include "csv.h"
#include "output.h"
#include "payroll.h"
#include "qel/final_link.h"
#include "qel/process.h"
#include "qel/text.h"

#ifndef PAYSTAVE_VERSION
#error "PAYSTAVE_VERSION must be defined by the build"
#endif

namespace {

void PrintUsage(std::ostream& out) {
  out << "Usage: paystave [--output FILE] [INPUT]\n"
         "Works out the federal income-tax withholding of each pay check of a payroll run.\n"
         "Reads CSV (RFC 4180) from INPUT, or from standard input when INPUT is absent or \"-\",\n"
         "with a header line naming the columns (any order, any letter case; other columns are\n"
         "ignored; an optional column that is absent or empty counts as 0 or its default):\n"
      << paystave::ColumnHelp()
      << "Amounts are written with \".\" as the decimal point and no thousands separators;\n"
         "blank lines are skipped.\n"
         "Writes CSV to standard output: one row per input row, in input order, with the columns\n"
         "  "
      << paystave::kOutputColumns
      << "\n"
         "(the last two, the worksheet's lines 2a and 2g, are empty for 2005's method). A bad\n"
         "row is reported on standard error with its line and id, and its withholding is empty.\n"
         "  -o, --output FILE   write to FILE instead, whole or not at all\n"
         "  --help              print this text\n"
         "  --version           print the version\n"
         "Exit status: 0 every row computed, 1 some rows bad (also when every row is), 2 nothing\n"
         "usable (command line, input or output).\n";
}

struct Options {
  std::string input;  // empty: standard input
  std::string output;
};

// Parses the arguments; returns the exit status to end with, or -1 to go on.
int ParseArguments(int argc, char** argv, Options& options) {
  bool optionsEnd = false;
  bool haveInput = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!optionsEnd && (arg == "--help" || arg == "-h")) {
      PrintUsage(std::cout);
      return 0;
    }
    if (!optionsEnd && arg == "--version") {
      std::cout << "paystave " << PAYSTAVE_VERSION << "\n";
      return 0;
    }
    if (!optionsEnd && (arg == "--output" || arg == "-o")) {
      if (i + 1 == argc) {
        std::cerr << "paystave: " << arg << " needs a file name\n";
        return 2;
      }
      options.output = argv[++i];
    } else if (!optionsEnd && arg.starts_with("--output=")) {
      options.output = arg.substr(9);
    } else if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      std::cerr << "paystave: unknown option " << arg << "\n";
      PrintUsage(std::cerr);
      return 2;
    } else if (haveInput) {
      std::cerr << "paystave: one input at most, not also " << arg << "\n";
      return 2;
    } else {
      haveInput = true;
      if (arg != "-") options.input = arg;
    }
  }
  return -1;
}

int Fail(const std::string& message) {
  std::cerr << "paystave: " << qel::EscapedControls(message) << "\n";
  return 2;
}

// Whether the output file is the input file itself, under whatever name (another spelling, a
// link, a hard link, standard input redirected from it): writing it would replace the payroll.
bool OutputIsInput(int input, const std::string& output) {
  struct stat in {};
  struct stat out {};
  if (::fstat(input, &in) != 0 || !S_ISREG(in.st_mode)) return false;
  const qel::FinalTarget target = qel::FollowFinalLinks(output);
  return ::stat(target.path.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
         in.st_ino == out.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
  qel::TreatFileSizeLimitAsWriteError();
  Options options;
  const int status = ParseArguments(argc, argv, options);
  if (status >= 0) return status;

  int fd = 0;
  if (!options.input.empty()) {
    fd = ::open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail("cannot read " + options.input + ": " + std::strerror(errno));
  }
  const std::string inputName = options.input.empty() ? "the standard input" : options.input;
  if (!options.output.empty() && OutputIsInput(fd, options.output))
    return Fail("the output " + options.output + " is the input " + inputName +
                ", which it would replace; both were left untouched");
  paystave::CsvReader reader([&](char* into, std::size_t size) -> std::size_t {
    for (;;) {
      const ssize_t n = ::read(fd, into, size);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) throw std::system_error(errno, std::generic_category(), inputName);
    }
  });
  try {
    paystave::Output output =
        options.output.empty() ? paystave::Output() : paystave::Output(options.output);
    const long bad = paystave::RunPayroll(reader, output, std::cerr);
    output.Commit();
    return bad == 0 ? 0 : 1;
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  } catch (const paystave::InputError& e) {
    return Fail(inputName + ": " + e.what());
  } catch (const std::system_error& e) {
    return Fail("cannot read " + std::string(e.what()));
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
