// Withholding for one pay check, by the method of the tax year.
//
// Each tax year is one table file "wh<year>.tbl" in the library's folder; the file says which
// method the year uses and carries its figures. The years available are the table files present,
// so a new tax year is a new table file and nothing else.
//   - Allowance percentage method (2005): the allowances times the one-allowance amount of the
//     period are taken from the wages, and the period's table gives the withholding.
//   - Worksheet 1A (2020 on): the period's wages are annualised, adjusted by the Form W-4 entries,
//     taxed by the year's annual table of the filing status and brought back to the period.
// WhBusObj's three computations and the paystave batch command both come here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ostrand/wh_bus_obj.h"
#include "qel/currency.h"

namespace ostrand {

enum class WithholdingMethod { kAllowancePercentage, kWorksheet1A };

// W4Form and W4Status, the Form W-4 kinds and filing statuses, come with the business object
// (ostrand/wh_bus_obj.h), whose properties hold them.

// Pay periods in a year: 52, 26, 24, 12, 1; 0 for a frequency outside the enumeration.
OSTRAND_API int PeriodsPerYear(eFrequency frequency);

struct PaycheckInputs {
  eFrequency frequency = weekly;
  qel::Currency wages;  // this pay period
  W4Form form = W4Form::k2020OrLater;
  // 2020-or-later form.
  W4Status status = W4Status::kSingleOrSeparate;
  bool step2 = false;    // the two-jobs box of Step 2
  qel::Currency step3;   // credits, a year's amount
  qel::Currency step4a;  // other income, a year's amount
  qel::Currency step4b;  // deductions, a year's amount
  // 2019-or-earlier form, and the 2005 method.
  bool single = false;       // withhold at the single rate
  qel::Currency allowances;  // a whole number
  // Step 4(c), or the additional withholding of an earlier form: per pay period.
  qel::Currency extra;
};

// Every figure of the computation, so that reports can show the working. Lines a method does
// not use stay zero.
struct PaycheckWithholding {
  WithholdingMethod method = WithholdingMethod::kAllowancePercentage;
  std::string table;  // the section of the table file used ("Single wk", "Single STANDARD")

  // Allowance percentage method.
  qel::Currency allowanceAmount;       // one allowance for the period, from the table file
  qel::Currency allowanceDeduction;    // allowances x allowanceAmount
  qel::Currency subjectToWithholding;  // wages - deduction, not below zero

  // Worksheet 1A, by its line numbers.
  qel::Currency line1a;  // wages this period
  qel::Currency line1b;  // periods per year
  qel::Currency line1c;  // 1a x 1b
  qel::Currency line1d;  // Step 4(a)
  qel::Currency line1e;  // 1c + 1d
  qel::Currency line1f;  // Step 4(b)
  qel::Currency line1g;  // 12,900 joint / 8,600 otherwise; 0 with the Step 2 box
  qel::Currency line1h;  // 1f + 1g
  qel::Currency line1i;  // 1e - 1h, not below zero: adjusted annual wages (2020-or-later form)
  qel::Currency line1j;  // allowances (2019-or-earlier form)
  qel::Currency line1k;  // 1j x 4,300
  qel::Currency line1l;  // 1c - 1k, not below zero: adjusted annual wages (earlier form)
  qel::Currency line2a;  // 1i or 1l
  qel::Currency line2b;  // the row's "over" amount (column A)
  qel::Currency line2c;  // the row's base (column C)
  qel::Currency line2d;  // the row's rate, a fraction (column D)
  qel::Currency line2e;  // 2a - 2b
  qel::Currency line2f;  // 2e x 2d
  qel::Currency line2g;  // 2c + 2f: tentative annual withholding
  qel::Currency line2h;  // 2g / 1b, to the cent (halves up)
  qel::Currency line3a;  // Step 3
  qel::Currency line3b;  // 3a / 1b, to the cent (halves up)
  qel::Currency line3c;  // 2h - 3b, not below zero
  qel::Currency line4a;  // Step 4(c) or the additional withholding
  qel::Currency line4b;  // 3c + 4a

  // Both methods: the withholding before the extra amount (the table result of the allowance
  // method, line 3c of the worksheet) and with it. The allowance method's total takes the table
  // result to the cent (halves away from zero), as the reports show it, before adding the extra.
  qel::Currency beforeExtra;
  qel::Currency withholding;
};

// One tax year's tables, read once from its table file.
class OSTRAND_API WithholdingYear {
 public:
  virtual ~WithholdingYear() = default;
  virtual int Year() const = 0;
  virtual WithholdingMethod Method() const = 0;
  virtual const std::string& TableFile() const = 0;  // full path
  // Raises a numbered error (with the source trail convention) for inputs the year's method
  // cannot take, such as a frequency outside the enumeration.
  PaycheckWithholding Withhold(const PaycheckInputs& inputs) const {
    PaycheckWithholding result;
    Withhold(inputs, result);
    return result;
  }
  // The same into `result`, every field overwritten: a caller computing many pay checks reuses
  // one result and so allocates nothing per call.
  virtual void Withhold(const PaycheckInputs& inputs, PaycheckWithholding& result) const = 0;
};

// The tax years whose table files lie in the library's folder, in ascending order.
OSTRAND_API std::vector<int> AvailableYears();

// The tables of `year`, read on first use and kept for the run. A year without a table file is
// an error that names the year and the years available; a malformed file is an error naming it.
OSTRAND_API std::shared_ptr<const WithholdingYear> GetWithholdingYear(int year);
// The same for a year as a case gives it: `year` is the whole number its text stands for, and a
// year beyond the range of int (no table file can carry one) is named as `asWritten`.
OSTRAND_API std::shared_ptr<const WithholdingYear> GetWithholdingYear(double year,
                                                                      std::string_view asWritten);

// The tables of `year` read from `file` now, not kept: for a table file outside the library's
// folder (tests, a tool checking a new year's file). Errors as GetWithholdingYear.
OSTRAND_API std::shared_ptr<const WithholdingYear> ReadWithholdingYear(
    int year, const std::filesystem::path& file);

}  // namespace ostrand
