// paystave: the federal income-tax withholding of every pay check of a payroll run.
//
//   paystave [--output FILE] [--jobs N] [INPUT]
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

#include "output.h"
#include "payroll.h"
#include "qel/batch.h"
#include "qel/csv.h"
#include "qel/final_link.h"
#include "qel/process.h"
#include "qel/text.h"

#ifndef PAYSTAVE_VERSION
#error "PAYSTAVE_VERSION must be defined by the build"
#endif

namespace {

void PrintUsage(std::ostream& out) {
  out << "Usage: paystave [--output FILE] [--jobs N] [INPUT]\n"
         "Works out the federal income-tax withholding of each pay check of a payroll run.\n"
         "Reads CSV (RFC 4180) from INPUT, or from standard input when INPUT is absent or \"-\",\n"
         "with a header line naming the columns (any order, any letter case; other columns are\n"
         "ignored; an optional column that is absent or empty counts as 0 or its default):\n"
      << paystave::ColumnHelp()
      << "Amounts are written with \".\" as the decimal point and no thousands separators;\n"
         "blank lines are skipped. Lines end in LF, CR LF or CR. A quoted field holds at most\n"
         "64 KiB and a record at most 1 MiB: past that, or with a quote never closed, the run\n"
         "stops (exit 2) naming the line where the quote or record began.\n"
         "Writes CSV to standard output: one row per input row, in input order, with the columns\n"
         "  "
      << paystave::kOutputColumns
      << "\n"
         "(the last two, the worksheet's lines 2a and 2g, are empty for 2005's method). A bad\n"
         "row is reported on standard error with its line and id, and its withholding is empty.\n"
         "  -o, --output FILE   write to FILE instead, whole or not at all\n"
         "  -j, --jobs N        compute on N threads (default: one per core); the output\n"
         "                      keeps the input order\n"
         "  --help              print this text\n"
         "  --version           print the version\n"
         "Exit status: 0 every row computed, 1 some rows bad (also when every row is), 2 nothing\n"
         "usable (command line, input or output).\n";
}

struct Options {
  std::string input;  // empty: standard input
  std::string output;
  unsigned jobs = qel::DefaultBatchJobs();
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
    } else if (!optionsEnd && (arg == "--jobs" || arg == "-j" || arg.starts_with("--jobs="))) {
      const std::string_view n = arg.starts_with("--jobs=") ? arg.substr(7)
                                 : i + 1 < argc             ? std::string_view(argv[++i])
                                                            : std::string_view();
      if (!qel::ParseBatchJobs(n, options.jobs)) {
        std::cerr << "paystave: --jobs needs a whole number from 1 to 1024, not \"" << n << "\"\n";
        return 2;
      }
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
  if (!options.output.empty() && paystave::OutputIsInput(fd, options.output))
    return Fail("the output " + options.output + " is the input " + inputName +
                ", which it would replace; both were left untouched");
  qel::CsvReader reader(qel::ReadDescriptor(fd, inputName));
  try {
    paystave::Output output =
        options.output.empty() ? paystave::Output() : paystave::Output(options.output);
    const long bad = paystave::RunPayroll(reader, output, std::cerr, options.jobs);
    output.Commit();
    return bad == 0 ? 0 : 1;
  } catch (const qel::CsvLimitError& e) {
    return Fail(inputName + ": " + e.what());
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
