#!/usr/bin/env bash
# CPU time of two or more builds of the program, visible and idle (no track, the shipped
# settings: star dust on), and of the bare Qt window (bench/qt_window_baseline), taken in turn
# round after round, each under a fresh Xvfb: the program's and the X server's task clock from
# `perf stat` (exact, where /proc's ticks are 10 ms), as % of one core. Alternating the builds
# in one run is what makes two builds comparable on a virtual machine whose costs drift.
#
# Usage: bench/ui-cpu-ab.sh LABEL=BINARY [LABEL=BINARY ...]
#        BUILD=dir with share/morvane and bench/qt_window_baseline (build)
#        DURATION=seconds per measurement (20), ROUNDS (5), SCALE=QT_SCALE_FACTOR of all (1)
# Prints one line per measurement (label, program, X server, both) and, per label, the medians
# and the median of its rounds' ratios to the bare window (with the X server).
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -ge 1 ] || { echo "usage: bench/ui-cpu-ab.sh LABEL=BINARY [LABEL=BINARY ...]" >&2; exit 2; }
BUILD=${BUILD:-build}
DURATION=${DURATION:-20}
ROUNDS=${ROUNDS:-5}
SCALE=${SCALE:-1}
BARE="$BUILD/bench/qt_window_baseline"
for tool in Xvfb perf; do
    command -v "$tool" >/dev/null || { echo "ui-cpu-ab: $tool is not installed" >&2; exit 1; }
done
[ -x "$BARE" ] || { echo "ui-cpu-ab: build first (need $BARE)" >&2; exit 1; }

WORK=$(mktemp -d)
APP_PID=
SERVER_PID=
stop() {
    for pid in $APP_PID $SERVER_PID; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    APP_PID=
    SERVER_PID=
}
trap 'stop; rm -rf "$WORK"' EXIT

# measure LABEL BINARY: one line "LABEL program server both".
measure() {
    local display=95
    while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    rm -rf "$WORK/home"
    mkdir -p "$WORK/home"
    : >"$WORK/home/listbu.bak"
    cp data/files/Property.ini "$WORK/home/Property.ini"
    env -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
        XDG_RUNTIME_DIR="$WORK" MORVANE_HOME="$WORK/home" MORVANE_AUDIO=null QT_SCALE_FACTOR="$SCALE" \
        MORVANE_DATA="$BUILD/share/morvane" "$2" >/dev/null 2>&1 &
    APP_PID=$!
    sleep 3
    kill -0 "$APP_PID" 2>/dev/null || { echo "ui-cpu-ab: $1 ended early" >&2; exit 1; }
    perf stat -x, -e task-clock -p "$APP_PID" -o "$WORK/app" -- sleep "$DURATION" &
    local a=$!
    perf stat -x, -e task-clock -p "$SERVER_PID" -o "$WORK/server" -- sleep "$DURATION" &
    local s=$!
    wait "$a" "$s"
    stop
    local app server
    app=$(grep task-clock "$WORK/app" | cut -d, -f1)
    server=$(grep task-clock "$WORK/server" | cut -d, -f1)
    awk -v l="$1" -v a="$app" -v s="$server" -v d="$DURATION" \
        'BEGIN { printf "%s %.3f %.3f %.3f\n", l, a / 10 / d, s / 10 / d, (a + s) / 10 / d }'
}

for round in $(seq "$ROUNDS"); do
    for pair in "$@"; do measure "${pair%%=*}" "${pair#*=}"; done
    measure bare "$BARE"
done | tee "$WORK/all"

awk -v n="$ROUNDS" -v scale="$SCALE" '
    function median(list, count,   sorted, i, j, t) {
        for (i = 1; i <= count; i++) sorted[i] = list[i]
        for (i = 1; i <= count; i++) for (j = i + 1; j <= count; j++)
            if (sorted[j] < sorted[i]) { t = sorted[i]; sorted[i] = sorted[j]; sorted[j] = t }
        return count % 2 ? sorted[(count + 1) / 2] : (sorted[count / 2] + sorted[count / 2 + 1]) / 2
    }
    { k = ++seen[$1]; app[$1, k] = $2; server[$1, k] = $3; both[$1, k] = $4; if (!($1 in order)) { order[$1] = ++labels; name[labels] = $1 } }
    END {
        printf "idle, shown, scale %s, under Xvfb, %d rounds, %% of one core (median):\n", scale, n
        for (i = 1; i <= labels; i++) {
            l = name[i]
            for (k = 1; k <= n; k++) { a[k] = app[l, k]; s[k] = server[l, k]; r[k] = both[l, k] / both["bare", k] }
            printf "  %-12s program %.2f  X server %.2f", l, median(a, n), median(s, n)
            if (l != "bare") printf "  ratio to the bare window with the X server %.2f", median(r, n)
            printf "\n"
        }
    }' "$WORK/all"
