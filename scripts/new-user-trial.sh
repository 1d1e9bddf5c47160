#!/usr/bin/env bash
# Tries the program as a new user would, under a virtual X server, as the unprivileged user
# nobody with a fresh home folder, driving the windows with xdotool:
#   1. a case given on the command line is opened; OK on the input form keeps its inputs;
#   2. File > Open of a shopping list renamed .zov says what is wrong and the program goes on,
#      without opening the input form;
#   3. Save As into a folder without write permission says why and offers Save As again;
# then exits. Each step leaves a picture in <build folder>/trial/ (with ImageMagick's import, when
# installed), and the script checks that no case changed that the user did not save and that the
# preferences are a plain INI file in the user's config folder.
# Usage: scripts/new-user-trial.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program="$build/bin/Corvala"
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "run as root: the trial runs the program as nobody" >&2; exit 1; }
out="$build/trial"
mkdir -p "$out"
rm -f "$out"/*.png

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
home="$scratch/home"
locked="$scratch/locked"  # a folder the user may read but not write
mkdir -p "$home" "$locked"
cp "$root/examples/targeted.zov" "$home/case.zov"
printf 'Milk\nBread\nEggs\n' >"$home/shopping.zov"
chown -R 65534:65534 "$home"
cp "$home/case.zov" "$scratch/case.before"
cp "$home/shopping.zov" "$scratch/shopping.before"

cat >"$scratch/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -uo pipefail
out=$1 home=$2 locked=$3 program=$4
shot() { import -window root "$out/$1.png" 2>/dev/null || true; }
# Waits for a visible window whose title matches, focuses it and prints its id.
window() {
  local id
  id=$(timeout 15 xdotool search --sync --onlyvisible --name "$1" | tail -1) || {
    echo "no window \"$1\"" >&2
    return 1
  }
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  sleep 0.4
  echo "$id"
}
keys() { xdotool key --delay 80 "$@"; sleep 0.5; }

cd "$home"
HOME="$home" setpriv --reuid=65534 --regid=65534 --clear-groups \
  env -u XDG_CONFIG_HOME -u XDG_DATA_HOME QT_QPA_PLATFORM=xcb "$program" case.zov \
  >"$out/stdout.txt" 2>"$out/stderr.txt" &
pid=$!

window "^About" >/dev/null && shot 1-about && keys Return
window "^Inputs$" >/dev/null && shot 2-inputs-of-the-given-case && keys alt+o
window "^Qel Paystave" >/dev/null && shot 3-main-window

# File > Open of the shopping list.
keys ctrl+o
window "^Open$" >/dev/null && xdotool type --delay 40 "$home/shopping.zov" && keys Return
window "^WARNING$" >/dev/null && shot 4-not-a-case && keys Return
# A failed Open stays failed: no input form on the case the user had.
sleep 1
if xdotool search --onlyvisible --name "^Inputs$" >/dev/null; then
  echo "the input form opened after the refusal" >&2
  keys Escape
fi
window "^Qel Paystave" >/dev/null && shot 5-main-window-after-the-refusal

# Save As into a folder without write permission.
keys F12
window "^Save As$" >/dev/null && keys ctrl+a && xdotool type --delay 40 "$locked/new.zov" && keys Return
window "^Save$" >/dev/null && shot 6-save-refused && keys n
window "^Qel Paystave" >/dev/null && shot 7-still-running

kill -0 "$pid" 2>/dev/null && echo "the program still runs after the three steps"
# Exit: File menu, Exit, then the closing screen.
keys alt+f x
sleep 1
window "" >/dev/null; shot 8-closing && keys Return
sleep 1
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null
DRIVE
chmod +x "$scratch/drive.sh"

xvfb-run -a -s "-screen 0 1280x900x24 -ac" "$scratch/drive.sh" "$out" "$home" "$locked" "$program"

status=0
cmp -s "$home/shopping.zov" "$scratch/shopping.before" || { echo "the shopping list changed"; status=1; }
grep -q "^TP=" "$home/case.zov" || { echo "case.zov lost its inputs"; status=1; }
diff <(grep -v '^Version=' "$scratch/case.before") <(grep -v '^Version=' "$home/case.zov") \
  >/dev/null || { echo "case.zov has other inputs than before"; status=1; }
[ ! -e "$locked/new.zov" ] || { echo "a file appeared in the locked folder"; status=1; }
[ ! -e /tmp/.local/share/qel-paystave ] || echo "note: /tmp/.local/share/qel-paystave exists"
prefs="$home/.config/qel-paystave/Corvala.ini"
if [ -f "$prefs" ] && head -1 "$prefs" | grep -q $'^\[.*\]\r$'; then
  echo "the preferences are plain INI with CR LF in $prefs:"
  tr -d '\r' <"$prefs" | sed 's/^/  /'
else
  echo "no CR LF preferences file in $prefs"
  status=1
fi
ls -1 "$out"/*.png 2>/dev/null || echo "no pictures (ImageMagick's import is not installed)"
echo "standard error of the run:"; cat "$out/stderr.txt"
[ "$status" -eq 0 ] && echo "no case changed that the user did not save"
exit "$status"
