#!/usr/bin/env bash
# Runs Corvala silently on bundled example cases and prints the reports it writes: a W-2 proforma
# for 2005 and this year's kind of case, a 2026 weekly pay check on a 2020-or-later Form W-4.
# Then projects a household's 2026 income tax with fennick: both columns of family2026.scn (a
# joint return with children, gains and itemized deductions; a single filer over 65).
#   scripts/run-example.sh [build-folder] [case.zov ...]
#   (default: build/release, built when needed; proforma.zov and weekly2026.zov in examples/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
shift || true
cases=("$@")
((${#cases[@]})) || cases=(proforma.zov weekly2026.zov)
program=$build/bin/Corvala
fennick=$build/bin/fennick
if [ ! -x "$program" ] || [ ! -x "$fennick" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target Corvala fennick qel_tables
fi
out=$(mktemp --suffix=.txt)
trap 'rm -f "$out"' EXIT
for case in "${cases[@]}"; do
  rm -f "$out"
  echo "== Corvala /silent /input $case"
  (cd "$root/examples" && "$program" /silent /input "$case" /output "$out" </dev/null)
  # The report file is Windows-1252 with CR LF line ends; show it as UTF-8 text.
  iconv -f WINDOWS-1252 -t UTF-8 "$out" | tr -d '\r'
done
for column in 1 2; do
  echo "== fennick family2026.scn $column"
  (cd "$root/examples" && "$fennick" family2026.scn "$column" </dev/null)
done
