// fennick --batch: households in, one per CSV row, by the interchange column names researchers
// use; the federal income tax, FICA and marginal rates of each out, in input order.
#pragma once

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "qel/csv.h"

namespace fennick_cli {

// The header cannot be used (an unknown or repeated column, no header): nothing is computed.
class HouseholdHeaderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The marginal rates compare the household with one whose primary wages are this much higher.
inline constexpr long kMarginalRaise = 1000;

// The basic output columns and the detail columns.
inline constexpr std::string_view kBasicColumns =
    "taxsimid,year,state,fiitax,siitax,fica,frate,srate,ficar,tfica";
std::string DetailColumns();  // ",v10,...,v29"

// The lines of --help that describe the input columns.
std::string HouseholdColumnHelp();

// Reads the header and every household row of `input`, computes them on `jobs` threads and hands
// the output text (header first) to `write` in input order; each bad row is reported on `problems`
// and gets a row with empty figures. With `detail` the detail columns follow the basic ones.
// Returns the number of bad rows; throws HouseholdHeaderError, and qel::CsvLimitError when the
// input cannot be read on.
long RunHouseholds(qel::CsvReader& input, bool detail, unsigned jobs,
                   const std::function<void(std::string_view)>& write, std::ostream& problems);

// Whether any row of `input` asks for the detail columns (idtl 2). Throws as RunHouseholds does.
bool AnyRowAsksDetail(qel::CsvReader& input);

// The whole command after "--batch": parses `arguments`, runs and returns the exit status: 0 every
// row computed, 1 some rows bad, 2 an unusable command line, header or output.
int HouseholdBatchMain(int argc, char** argv);

}  // namespace fennick_cli
