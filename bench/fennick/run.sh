#!/usr/bin/env bash
# fennick --batch on households of mixed years: households per second with one job and with every
# core, for 20,000 and 1,000,000 households (the wall time is the median of three runs; the
# 1,000,000 run once). Other work on the machine slows it; rerun when the load average is low.
#
#   bash bench/fennick/run.sh [BUILD_FOLDER] [FIRST_YEAR] [LAST_YEAR]
#       (defaults: build/release, 2001, the last year with a rate file Ind<year>.tbl)
set -euo pipefail
build=${1:-build/release}
fennick="$build/bin/fennick"
[[ -x $fennick ]] || { echo "no $fennick: build the fennick target first" >&2; exit 2; }
first=${2:-2001}
last=${3:-$(ls "$build/bin" | sed -n 's/^Ind\([0-9]\{4\}\)\.tbl$/\1/p' | sort -n | tail -1)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every filing status, dependents with ages, two earners, self-employment, dividends, interest,
# gains and losses, itemized deductions, a few rows with the detail columns; fixed random mix.
households() {
  awk -v rows="$1" -v first="$first" -v last="$last" 'BEGIN {
    srand(7)
    split("1 1 2 2 2 6 8", statuses, " ")
    print "taxsimid,year,mstat,page,sage,depx,age1,age2,age3,pwages,swages,psemp,ssemp," \
          "dividends,intrec,stcg,ltcg,proptax,otheritem,mortgage,idtl"
    for (i = 1; i <= rows; i++) {
      m = statuses[int(rand() * 7) + 1]
      d = m == 8 ? 0 : int(rand() * 4)
      joint = m == 2
      printf "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", i,
        first + int(rand() * (last - first + 1)), m, 20 + int(rand() * 60),
        joint ? 20 + int(rand() * 60) : 0, d, int(rand() * 20), int(rand() * 20), int(rand() * 20),
        int(rand() * 250000), joint ? int(rand() * 120000) : 0,
        rand() < 0.1 ? int(rand() * 80000) : 0, joint && rand() < 0.05 ? int(rand() * 50000) : 0,
        rand() < 0.3 ? int(rand() * 20000) : 0, int(rand() * 3000),
        rand() < 0.2 ? int(rand() * 20000) - 8000 : 0, rand() < 0.2 ? int(rand() * 90000) : 0,
        int(rand() * 9000), int(rand() * 6000), rand() < 0.4 ? int(rand() * 25000) : 0,
        rand() < 0.01 ? 2 : 0
    }
  }'
}

# The wall time and the processor time (user and system) of the run with the median wall time of
# three runs of the command, in seconds. The processor time shows the work done however busy the
# machine is; the wall time with every core falls to it divided by the cores only on an idle one.
median_of_three() {
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" > /dev/null
    cat "$work/time"
  done | sort -n | sed -n 2p
}

cores=$(nproc)
echo "years $first to $last; $cores cores; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for rows in 20000 1000000; do
  households "$rows" > "$work/households.csv"
  for jobs in 1 "$cores"; do
    if [[ $rows -le 20000 ]]; then
      read -r t u k < <(median_of_three "$fennick" --batch "$work/households.csv" --jobs "$jobs")
    else
      /usr/bin/time -f "%e %U %S" -o "$work/time" "$fennick" --batch "$work/households.csv" \
        --jobs "$jobs" > /dev/null
      read -r t u k < "$work/time"
    fi
    awk -v r="$rows" -v j="$jobs" -v t="$t" -v c="$(awk -v u="$u" -v k="$k" 'BEGIN { print u + k }')" \
      'BEGIN { printf "%8d households, %d job(s): %6.2f s wall, %9.0f households/s; %6.2f s of processor time\n", r, j, t, (t > 0 ? r / t : 0), c }'
  done
done
