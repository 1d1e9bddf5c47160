// A payroll run: one pay check per CSV row in, one row with its withholding out.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "csv.h"
#include "output.h"

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

// Reads the header and every row, writes the results to `output` (without committing it) and
// reports each bad row on `problems`. Returns the number of bad rows; throws InputError.
long RunPayroll(CsvReader& input, Output& output, std::ostream& problems);

}  // namespace paystave
