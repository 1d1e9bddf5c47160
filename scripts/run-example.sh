#!/usr/bin/env bash
# Runs Corvala silently on examples/proforma.zov and prints the report it writes.
#   scripts/run-example.sh [build-folder]     (default: build/release, built when needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
program=$build/bin/Corvala
if [ ! -x "$program" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target Corvala qel_tables
fi
out=$(mktemp --suffix=.txt)
trap 'rm -f "$out"' EXIT
rm -f "$out"
(cd "$root/examples" && "$program" /silent /input proforma.zov /output "$out" </dev/null)
# The report file is Windows-1252 with CR LF line ends; show it as UTF-8 text.
iconv -f WINDOWS-1252 -t UTF-8 "$out" | tr -d '\r'
