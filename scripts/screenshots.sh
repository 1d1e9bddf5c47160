#!/usr/bin/env bash
# Pictures of the program's windows under a virtual X server, taken by the developer tool
# corvala_tour as it drives the real program: the about box, the start-up choice, the main
# window, the input form on each of its four tabs (and with a number too large in each
# computation tab), the font advice and font dialog, the help-file message, the fatal-error box
# and the closing screen.
# Usage: scripts/screenshots.sh [build folder]   (default: build)
# The PNG files go to <build folder>/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
tour="$build/bin/corvala_tour"
[ -x "$tour" ] || { echo "no corvala_tour at $tour: build it first" >&2; exit 1; }
out="$build/screenshots"
mkdir -p "$out"
rm -f "$out"/frm*.png "$out"/msg*.png "$out"/dlgFonts.png   # only this script's pictures

# Settings go to a scratch home so the run leaves the user's own untouched.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" HOME="$scratch"
export QT_QPA_PLATFORM=xcb

xvfb-run -a -s "-screen 0 1280x900x24" timeout 90 "$tour" --screenshots "$out"
ls -1 "$out"/frm*.png "$out"/msg*.png "$out"/dlgFonts.png
