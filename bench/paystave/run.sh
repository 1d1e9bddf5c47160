#!/usr/bin/env bash
# paystave on a payroll of a million rows, with one job and with every core, timed beside awk
# summing one column of the same file: the wall time of each, median of five runs. Other work on
# the machine slows both; compare the figures of one run, and rerun when the load average is low.
#
#   bash bench/paystave/run.sh [BUILD_FOLDER] [ROWS]      (defaults: build/release, 1000000)
set -euo pipefail
build=${1:-build/release}
rows=${2:-1000000}
paystave="$build/bin/paystave"
[[ -x $paystave ]] || { echo "no $paystave: build the paystave target first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every kind of row in a fixed random mix: the 2005 method and each year from 2020, both forms,
# every frequency and status, the Step 2 box, credits, other income, deductions and extras.
awk -v rows="$rows" 'BEGIN {
  srand(1)
  split("2005 2020 2021 2022 2023 2024 2025 2026", years, " ")
  split("weekly biweekly semimonthly monthly annually", frequencies, " ")
  split("52 26 24 12 1", periods, " ")
  split("single married head", statuses, " ")
  print "id,year,frequency,wages,form,status,step2,step3,step4a,step4b,extra,allowances"
  for (i = 1; i <= rows; i++) {
    f = int(rand() * 5) + 1
    wages = sprintf("%.2f", (15000 + rand() * 185000) / periods[f])
    form = rand() < 0.8 ? 2020 : 2019
    printf "E%07d,%s,%s,%s,%s,%s,%d,%d,%d,%d,%.2f,%d\n", i, years[int(rand() * 8) + 1],
      frequencies[f], wages, form, statuses[int(rand() * 3) + 1], rand() < 0.2,
      int(rand() * 3) * 2000, int(rand() * 2) * 5000, int(rand() * 2) * 3000,
      int(rand() * 3) * 12.5, int(rand() * 4)
  }
}' > "$work/payroll.csv"

# The median wall time of five runs of the command, in seconds.
median_of_five() {
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f %e -o "$work/time" "$@" > /dev/null
    cat "$work/time"
  done | sort -n | sed -n 3p
}

cores=$(nproc)
p1=$(median_of_five "$paystave" --jobs 1 "$work/payroll.csv")
pn=$(median_of_five "$paystave" --jobs "$cores" "$work/payroll.csv")
a=$(median_of_five awk -F, '{s+=$4} END {print s}' "$work/payroll.csv")
echo "input: $rows rows, $(du -h "$work/payroll.csv" | cut -f1); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "paystave, 1 job:       ${p1} s (median of 5)"
echo "paystave, $cores jobs:      ${pn} s (median of 5)"
echo "awk (sums one column): ${a} s (median of 5)"
awk -v p="$p1" -v a="$a" 'BEGIN { printf "paystave 1 job / awk:   %.2f\n", (a > 0 ? p / a : 0) }'
awk -v p="$pn" -v a="$a" -v c="$cores" \
  'BEGIN { printf "paystave %d jobs / awk: %.2f (goal: at most 1)\n", c, (a > 0 ? p / a : 0) }'
