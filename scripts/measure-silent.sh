#!/usr/bin/env bash
# Wall time and peak resident memory of one silent run of Corvala (the median of 9 runs, from
# /usr/bin/time -v), next to /bin/true measured the same way. The processor time (user + system,
# in hundredths) is shown too: on a busy machine the wall time mostly measures the wait.
#   scripts/measure-silent.sh [build-folder]     (default: build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
program=$build/bin/Corvala
[ -x "$program" ] || { echo "no $program; build it first (scripts/run-example.sh builds it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/proforma.zov" "$work/"

# Prints "<seconds> <kilobytes>" for one run of the given command: peak memory from
# /usr/bin/time -v; wall time from the clock around it, as time -v reports only hundredths
# (the few hundred microseconds time itself takes are included, for both commands alike).
measure() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -v "$@" </dev/null >/dev/null 2>"$work/time.txt" || true
  end=$(date +%s%N)
  awk -F': ' -v ns=$((end - start)) '
    /Maximum resident set size/ { rss = $2 }
    /User time \(seconds\)/ { cpu += $2 }
    /System time \(seconds\)/ { cpu += $2 }
    END { printf "%.6f %d %.3f\n", ns / 1e9, rss, cpu }' "$work/time.txt"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

report() {
  local name=$1
  shift
  : >"$work/runs.txt"
  for _ in 1 2 3 4 5 6 7 8 9; do
    rm -f "$work/out.txt"
    (cd "$work" && measure "$@") >>"$work/runs.txt"
  done
  local wall rss cpu
  wall=$(cut -d' ' -f1 "$work/runs.txt" | median)
  rss=$(cut -d' ' -f2 "$work/runs.txt" | median)
  cpu=$(cut -d' ' -f3 "$work/runs.txt" | median)
  printf '%-10s wall %6.1f ms   cpu %5.1f ms   peak RSS %5.1f MB   (median of 9)\n' "$name" \
    "$(awk -v w="$wall" 'BEGIN { print w * 1000 }')" "$(awk -v c="$cpu" 'BEGIN { print c * 1000 }')" \
    "$(awk -v r="$rss" 'BEGIN { print r / 1024 }')"
}

report /bin/true /bin/true
report Corvala "$program" /silent /input proforma.zov /output out.txt
