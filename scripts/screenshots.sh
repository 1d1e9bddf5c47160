#!/usr/bin/env bash
# Pictures of the program's windows under a virtual X server: the about box, the start-up
# choice, the main window, the input form on each of its four tabs and the closing screen.
# Usage: scripts/screenshots.sh [build folder]   (default: build)
# The PNG files go to <build folder>/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program="$build/bin/Corvala"
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
out="$build/screenshots"
mkdir -p "$out"
rm -f "$out"/frm*.png   # only this script's pictures; the folder is shared

# Settings go to a scratch home so the run leaves the user's own untouched.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" HOME="$scratch"
export CORVALA_SCREENSHOT_DIR="$out"
export QT_QPA_PLATFORM=xcb

xvfb-run -a -s "-screen 0 1280x900x24" timeout 60 "$program"
ls -1 "$out"/frm*.png
