#!/usr/bin/env bash
# Pictures of the report side: the report choice dialog and a report window (PNG, taken under a
# virtual X server) and the first page of the printed reports (PDF rendered to PNG), written to
# <build>/screenshots/. Usage: scripts/print-screenshots.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$build/screenshots

command -v xvfb-run >/dev/null || { echo "xvfb-run is needed (package xvfb)" >&2; exit 1; }
command -v pdftoppm >/dev/null || { echo "pdftoppm is needed (package poppler-utils)" >&2; exit 1; }

cmake --build "$build" --target qtprint_snapshots
mkdir -p "$out"
rm -f "$out"/report-choices.png "$out"/report-window.png "$out"/reports*.pdf "$out"/pdf-page1.png
env -u QEL_PRINT_PDF -u QEL_PRINT_COPIES QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/qtprint_snapshots" "$out"
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$out/reports.pdf" "$out/pdf-page1"
ls -l "$out"/report-choices.png "$out"/report-window.png "$out"/pdf-page1.png
