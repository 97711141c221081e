#!/usr/bin/env bash
# CPU share of one core used by the running program under Xvfb with the null audio output, idle
# (no track, the shipped settings: star dust on) or playing the demo track (spectrum analyser
# and star dust, 20 ms tick); its own process and the display server, from /proc over DURATION
# seconds. For scale, each round also measures a bare Qt window of the same size repainting all
# of itself every 20 ms (bench/qt_window_baseline) the same way, and prints the ratio: on a
# virtual machine whose wake-ups are dear both figures rise together.
#
# Usage: bench/ui-cpu.sh idle|playing [BUILD_DIR]   (a Release build; default build)
#        DURATION=seconds per measurement (30), ROUNDS=alternating rounds (3), WARMUP=s (3)
#        SERVER=weston: under Debian's weston (headless backend, pixman renderer) on Qt's
#        wayland platform instead of Xvfb; BINARY=path of the program (an unpacked package's)
set -euo pipefail
cd "$(dirname "$0")/.."

MODE=${1:?usage: bench/ui-cpu.sh idle|playing [BUILD_DIR]}
BUILD=${2:-build}
DURATION=${DURATION:-30}
ROUNDS=${ROUNDS:-3}
WARMUP=${WARMUP:-3}
SERVER=${SERVER:-xvfb}
BINARY=${BINARY:-$BUILD/morvane}
BASELINE="$BUILD/bench/qt_window_baseline"
DEMO="$(pwd)/$BUILD/demo/デモ.mp3"

for f in "$BINARY" "$BASELINE"; do
    [ -x "$f" ] || { echo "ui-cpu: build first: cmake --build $BUILD (need $f)" >&2; exit 1; }
done
[ "$MODE" = idle ] || [ -f "$DEMO" ] || { echo "ui-cpu: no $DEMO" >&2; exit 1; }
case "$SERVER" in
xvfb) command -v Xvfb >/dev/null || { echo "ui-cpu: Xvfb is not installed" >&2; exit 1; } ;;
weston) command -v weston >/dev/null || { echo "ui-cpu: weston is not installed" >&2; exit 1; } ;;
*) echo "ui-cpu: SERVER is xvfb or weston" >&2; exit 1 ;;
esac

WORK=$(mktemp -d)
XVFB_PID=
APP_PID=
stop() {
    if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
    APP_PID=
    XVFB_PID=
    return 0
}
trap 'stop; rm -rf "$WORK"' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# start_server: a fresh display server; sets XVFB_PID (its process) and CLIENT_ENV.
start_server() {
    if [ "$SERVER" = weston ]; then
        rm -rf "$WORK/run"
        mkdir -m 700 "$WORK/run"
        XDG_RUNTIME_DIR="$WORK/run" weston --backend=headless-backend.so --use-pixman \
            --width=1280 --height=1024 --idle-time=0 --socket=wayland-bench \
            >"$WORK/server.log" 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 50); do
            [ -S "$WORK/run/wayland-bench" ] && break
            sleep 0.1
        done
        CLIENT_ENV=(-u DISPLAY WAYLAND_DISPLAY=wayland-bench QT_QPA_PLATFORM=wayland
            XDG_RUNTIME_DIR="$WORK/run")
        return
    fi
    local display=90
    while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/server.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    CLIENT_ENV=(-u WAYLAND_DISPLAY DISPLAY=":$display" XDG_RUNTIME_DIR="$WORK")
}

# measure COMMAND...: prints "program% server%" for one run under a fresh display server.
measure() {
    start_server
    rm -rf "$WORK/home"
    mkdir -p "$WORK/home"
    : >"$WORK/home/listbu.bak"
    sed -e 's/^DrawBestCondition=.*/DrawBestCondition=0/' -e 's/^ExpressType=.*/ExpressType=1/' \
        -e 's/^SpeAnaType=.*/SpeAnaType=0/' -e 's/^StarDust=.*/StarDust=1/' \
        data/files/Property.ini >"$WORK/home/Property.ini"
    env "${CLIENT_ENV[@]}" MORVANE_HOME="$WORK/home" MORVANE_AUDIO=null \
        "$@" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    sleep "$WARMUP"
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        echo "ui-cpu: $1 ended early:" >&2
        cat "$WORK/app.log" >&2
        exit 1
    fi
    local hz a0 x0 t0 a1 x1 t1
    hz=$(getconf CLK_TCK)
    a0=$(ticks "$APP_PID"); x0=$(ticks "$XVFB_PID"); t0=$(date +%s.%N)
    sleep "$DURATION"
    a1=$(ticks "$APP_PID"); x1=$(ticks "$XVFB_PID"); t1=$(date +%s.%N)
    stop
    awk -v a="$((a1 - a0))" -v x="$((x1 - x0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
        'BEGIN { s = t1 - t0; printf "%.3f %.3f\n", 100 * a / hz / s, 100 * x / hz / s }'
}

args=()
[ "$MODE" = playing ] && args=("$DEMO")
: >"$WORK/program"
: >"$WORK/bare"
for round in $(seq "$ROUNDS"); do
    measure "$BINARY" "${args[@]}" >>"$WORK/program"
    measure "$BASELINE" >>"$WORK/bare"
    echo "round $round: morvane $(tail -1 "$WORK/program" | awk -v s="$SERVER" '{printf "%.2f %% + %s %.2f %%", $1, s, $2}'); bare window $(tail -1 "$WORK/bare" | awk -v s="$SERVER" '{printf "%.2f %% + %s %.2f %%", $1, s, $2}')"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
p=$(awk '{print $1}' "$WORK/program" | median); px=$(awk '{print $1 + $2}' "$WORK/program" | median)
b=$(awk '{print $1}' "$WORK/bare" | median); bx=$(awk '{print $1 + $2}' "$WORK/bare" | median)
# Ratios round by round: the two runs of a round see the same state of the machine.
paste -d' ' "$WORK/program" "$WORK/bare" >"$WORK/pairs"
r=$(awk '{print $1 / $3}' "$WORK/pairs" | median); rx=$(awk '{print ($1 + $2) / ($3 + $4)}' "$WORK/pairs" | median)
awk -v mode="$MODE" -v p="$p" -v px="$px" -v b="$b" -v bx="$bx" -v r="$r" -v rx="$rx" \
    -v s="$DURATION" -v n="$ROUNDS" -v server="$SERVER" 'BEGIN {
    printf "%s under %s, median of %d runs of %d s, %% of one core:\n", mode, server, n, s
    printf "  morvane      %.2f   with the display server %.2f\n", p, px
    printf "  bare window  %.2f   with the display server %.2f\n", b, bx
    printf "  ratio        %.2f   with the display server %.2f   (median of the rounds)\n", r, rx
}'
