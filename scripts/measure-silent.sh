#!/usr/bin/env bash
# Wall time and peak resident memory of one silent run of Corvala (the median of 9 runs, from
# /usr/bin/time -v), next to /bin/true measured the same way.
#   scripts/measure-silent.sh [build-folder]     (default: build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
program=$build/bin/Corvala
[ -x "$program" ] || { echo "no $program; build it first (scripts/run-example.sh builds it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/proforma.zov" "$work/"

# Prints "<seconds> <kilobytes>" for one run of the given command.
measure() {
  /usr/bin/time -v "$@" </dev/null >/dev/null 2>"$work/time.txt" || true
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; wall = s }
    /Maximum resident set size/ { rss = $2 }
    END { printf "%.4f %d\n", wall, rss }' "$work/time.txt"
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
  local wall rss
  wall=$(cut -d' ' -f1 "$work/runs.txt" | median)
  rss=$(cut -d' ' -f2 "$work/runs.txt" | median)
  printf '%-10s wall %6.1f ms   peak RSS %6.1f MB   (median of 9)\n' "$name" \
    "$(awk -v w="$wall" 'BEGIN { print w * 1000 }')" "$(awk -v r="$rss" 'BEGIN { print r / 1024 }')"
}

report /bin/true /bin/true
report Corvala "$program" /silent /input proforma.zov /output out.txt
