#!/usr/bin/env bash
# Checks that a build's program folder holds what the README says it does, and that Corvala opens
# its window on a case under Xvfb (it loads its interactive module from the folder).
#   scripts/check-program-folder.sh [build-folder]   (default: build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
folder=$build/bin
missing=()
for name in Corvala libCorvalaQt.so libOstrand.so paystave fennick libFennick.so manZOV.pdf \
  wh2005.tbl wh2026.tbl Ind2005.tbl; do
  [ -e "$folder/$name" ] || missing+=("$name")
done
if ((${#missing[@]})); then
  echo "check-program-folder: $folder lacks ${missing[*]}" >&2
  exit 1
fi

# The windows: the About box first, then (Enter closes it) the input form on the case. Whatever
# platform the tests chose, this is on X.
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1400x1000x24" bash -c '
  "$1" "$2" >/dev/null 2>"$3" &
  pid=$!
  status=1
  about=$(timeout 30 xdotool search --sync --onlyvisible --name "^About Qel Paystave$" | head -n1)
  if [ -n "$about" ]; then
    xdotool windowfocus --sync "$about" key Return
    timeout 30 xdotool search --sync --onlyvisible --name "^Inputs$" >/dev/null && status=0
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit "$status"' _ "$folder/Corvala" "$root/examples/proforma.zov" "$build/check-window.err" || {
  echo "check-program-folder: $folder/Corvala did not open its windows under Xvfb:" >&2
  cat "$build/check-window.err" >&2
  exit 1
}
echo "check-program-folder: $folder is complete and Corvala opens its windows"
