#!/usr/bin/env bash
# CPU share of one core used by the running program while idle (no track), under Xvfb.
# Usage: bench/app-idle-cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
home=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$home"' EXIT
: >"$home/listbu.bak"

export MORVANE_HOME=$home MORVANE_AUDIO=null
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/morvane" &
wrapper=$!
# The player is the xvfb-run wrapper's grandchild; wait for it.
for _ in $(seq 50); do
    pid=$(pgrep -n -f "^$build/morvane" || true)
    [ -n "$pid" ] && break
    sleep 0.1
done
[ -n "${pid:-}" ] || { echo "morvane did not start" >&2; exit 1; }
sleep 3  # start-up finished

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks "$pid")
sleep "$seconds"
after=$(ticks "$pid")
awk -v a="$after" -v b="$before" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "idle cpu: %.2f %% of one core over %d s\n", (a - b) / hz / s * 100, s }'
kill "$pid" 2>/dev/null || true
wait "$wrapper" 2>/dev/null || true
