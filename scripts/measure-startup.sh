#!/usr/bin/env bash
# Start-up time to the main window: the median of 9 runs under a virtual X server, the about
# box and the start-up choice answered by the developer tool corvala_tour, which starts the
# program exactly as the Corvala executable does. Each run is timed from the moment the process
# is started until it has shown the main window and ended.
# Usage: scripts/measure-startup.sh [build folder]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program="$build/bin/corvala_tour"
[ -x "$program" ] || { echo "no corvala_tour at $program: build it first" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cat > "$scratch/runs.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" HOME="$scratch"
export QT_QPA_PLATFORM=xcb
"$program" --startup-time >/dev/null 2>&1 || true   # a first run to warm the file cache, not counted
for i in \$(seq 9); do
  start=\$(date +%s%N)
  "$program" --startup-time > "$scratch/run.out" 2>&1
  end=\$(date +%s%N)
  grep -q "main window shown" "$scratch/run.out" || { cat "$scratch/run.out" >&2; exit 1; }
  echo \$(( (end - start) / 1000000 ))
done
INNER
chmod +x "$scratch/runs.sh"
times=$(xvfb-run -a -s "-screen 0 1280x900x24" "$scratch/runs.sh")
echo "runs (ms): $(echo $times | tr '\n' ' ')"
median=$(printf '%s\n' $times | sort -n | sed -n 5p)
echo "median start-up to the main window: ${median} ms (9 runs)"
