// The tests' own copy of the published figures behind the annual withholding tables from 2020 on
// (standard deductions and rate brackets), and the worksheet worked out from them in whole
// hundredths of a cent, independently of the library and of the table files.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "qel/currency.h"

namespace qel {
// Amounts in failure messages as numbers, not bytes.
inline void PrintTo(Currency value, std::ostream* out) {
  *out << value.ToPlainText();
}
}  // namespace qel

namespace ostrand_test {

// Filing statuses in the order of ostrand::W4Status, with their table names.
inline constexpr std::array<const char*, 3> kStatusNames = {"Single", "Married",
                                                            "Head of household"};
inline constexpr std::array<std::int64_t, 7> kRatePercents = {10, 12, 22, 24, 32, 35, 37};
// Line 1g by status when the Step 2 box is not checked, and one allowance of an earlier form.
inline constexpr std::array<std::int64_t, 3> kLine1gDollars = {8600, 12900, 8600};
inline constexpr std::int64_t kAllowanceDollars = 4300;

struct YearFigures {
  int year;
  std::array<std::int64_t, 3> standardDeduction;    // by status
  std::array<std::array<std::int64_t, 6>, 3> tops;  // bracket tops by status, dollars
};

inline const std::vector<YearFigures>& Years2020On() {
  static const std::vector<YearFigures> years = {
      {2020,
       {12400, 24800, 18650},
       {{{9875, 40125, 85525, 163300, 207350, 518400},
         {19750, 80250, 171050, 326600, 414700, 622050},
         {14100, 53700, 85500, 163300, 207350, 518400}}}},
      {2021,
       {12550, 25100, 18800},
       {{{9950, 40525, 86375, 164925, 209425, 523600},
         {19900, 81050, 172750, 329850, 418850, 628300},
         {14200, 54200, 86350, 164900, 209400, 523600}}}},
      {2022,
       {12950, 25900, 19400},
       {{{10275, 41775, 89075, 170050, 215950, 539900},
         {20550, 83550, 178150, 340100, 431900, 647850},
         {14650, 55900, 89050, 170050, 215950, 539900}}}},
      {2023,
       {13850, 27700, 20800},
       {{{11000, 44725, 95375, 182100, 231250, 578125},
         {22000, 89450, 190750, 364200, 462500, 693750},
         {15700, 59850, 95350, 182100, 231250, 578100}}}},
      {2024,
       {14600, 29200, 21900},
       {{{11600, 47150, 100525, 191950, 243725, 609350},
         {23200, 94300, 201050, 383900, 487450, 731200},
         {16550, 63100, 100500, 191950, 243700, 609350}}}},
      {2025,
       {15000, 30000, 22500},
       {{{11925, 48475, 103350, 197300, 250525, 626350},
         {23850, 96950, 206700, 394600, 501050, 751600},
         {17000, 64850, 103350, 197300, 250500, 626350}}}},
      {2026,
       {16100, 32200, 24150},
       {{{12400, 50400, 105700, 201775, 256225, 640600},
         {24800, 100800, 211400, 403550, 512450, 768700},
         {17700, 67450, 105700, 201750, 256200, 640600}}}},
  };
  return years;
}

struct Row {
  std::int64_t overDollars;
  std::int64_t baseCents;
  std::int64_t percent;
};

// The seven rows of a table: STANDARD (checkbox false) or CHECKBOX, built the IRS's way.
inline std::vector<Row> Rows(const YearFigures& y, int status, bool checkbox) {
  std::vector<Row> rows;
  std::int64_t taxCents = 0;  // on the brackets below
  for (std::size_t k = 0; k < kRatePercents.size(); ++k) {
    const std::int64_t below = k == 0 ? 0 : y.tops[status][k - 1];
    if (k > 0) taxCents += kRatePercents[k - 1] * (below - (k == 1 ? 0 : y.tops[status][k - 2]));
    const std::int64_t sd = y.standardDeduction[status];
    if (checkbox)
      rows.push_back({(sd + below + 1) / 2, (taxCents + 1) / 2, kRatePercents[k]});
    else
      rows.push_back({sd - kLine1gDollars[status] + below, taxCents, kRatePercents[k]});
  }
  return rows;
}

// A pay check in whole cents.
struct Check {
  int periods;
  std::int64_t wagesCents;
  bool newForm = true;
  int status = 0;  // 2020-or-later form; the earlier form: 0 single, 1 married
  bool step2 = false;
  std::int64_t step3Cents = 0, step4aCents = 0, step4bCents = 0;
  std::int64_t allowances = 0;
  std::int64_t extraCents = 0;
};

struct Worked {
  std::string table;
  std::int64_t adjustedCents;      // line 2a
  std::int64_t tentativeRaw;       // line 2g, in ten-thousandths of a dollar
  std::int64_t perPeriodCents;     // line 2h
  std::int64_t afterCreditsCents;  // line 3c
  std::int64_t withholdingCents;   // line 4b
};

// Halves up, for the non-negative amounts of these checks.
inline std::int64_t DivideHalfUp(std::int64_t n, std::int64_t d) {
  return (2 * n + d) / (2 * d);
}

inline Worked Work(const YearFigures& y, const Check& c) {
  const bool checkbox = c.newForm && c.step2;
  const int status = c.status;
  std::int64_t annual = c.wagesCents * c.periods;
  if (c.newForm)
    annual += c.step4aCents - c.step4bCents - (c.step2 ? 0 : kLine1gDollars[status] * 100);
  else
    annual -= c.allowances * kAllowanceDollars * 100;
  if (annual < 0) annual = 0;
  Worked w;
  w.table = std::string(kStatusNames[status]) + (checkbox ? " CHECKBOX" : " STANDARD");
  w.adjustedCents = annual;
  w.tentativeRaw = 0;
  for (const Row& r : Rows(y, status, checkbox)) {
    if (annual >= r.overDollars * 100)
      w.tentativeRaw = r.baseCents * 100 + (annual - r.overDollars * 100) * r.percent;
  }
  w.perPeriodCents = DivideHalfUp(w.tentativeRaw, 100 * c.periods);
  const std::int64_t credits = c.newForm ? DivideHalfUp(c.step3Cents, c.periods) : 0;
  w.afterCreditsCents = w.perPeriodCents > credits ? w.perPeriodCents - credits : 0;
  w.withholdingCents = w.afterCreditsCents + c.extraCents;
  return w;
}

}  // namespace ostrand_test
