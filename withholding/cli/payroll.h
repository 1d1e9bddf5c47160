// A payroll run: one pay check per CSV row in, one row with its withholding out.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "output.h"
#include "qel/csv.h"

namespace paystave {

// The input cannot be used at all (no header, a required column missing): nothing is computed.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The header of the output.
inline constexpr std::string_view kOutputColumns =
    "id,withholding,table,adjusted_annual_wages,tentative_annual_withholding";

// The lines of --help that describe the input columns.
std::string ColumnHelp();

using qel::CsvReader;
using qel::CsvRecord;

// Reads the header and every row, computes the rows on `jobs` threads, writes the results to
// `output` in input order (without committing it) and reports each bad row on `problems`. Returns
// the number of bad rows; throws InputError, and qel::CsvLimitError when the input cannot be read
// on.
long RunPayroll(CsvReader& input, Output& output, std::ostream& problems, unsigned jobs);

}  // namespace paystave
