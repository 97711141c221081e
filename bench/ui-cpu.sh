#!/usr/bin/env bash
# CPU share of one core used by the running program under Xvfb with the null audio output, idle
# (no track, the shipped settings: star dust on) or playing the demo track (spectrum analyser
# and star dust, 20 ms tick); its own process and the X server, from /proc over DURATION
# seconds. For scale, each round also measures a bare Qt window of the same size repainting all
# of itself every 20 ms (bench/qt_window_baseline) the same way, and prints the ratio: on a
# virtual machine whose wake-ups are dear both figures rise together.
#
# SIGHT=hidden hides the main window to the tray (a tray host, trayer, runs; its hide button is
# clicked) and SIGHT=minimised minimises it (openbox runs); the bare window stays in sight, with
# the same desktop beside it. The program's UI thread is also given on its own.
#
# Usage: bench/ui-cpu.sh idle|playing [BUILD_DIR]   (a Release build; default build)
#        DURATION=seconds per measurement (30), ROUNDS=alternating rounds (3), WARMUP=s (3),
#        SIGHT=shown|hidden|minimised (shown)
set -euo pipefail
cd "$(dirname "$0")/.."

MODE=${1:?usage: bench/ui-cpu.sh idle|playing [BUILD_DIR]}
BUILD=${2:-build}
DURATION=${DURATION:-30}
ROUNDS=${ROUNDS:-3}
WARMUP=${WARMUP:-3}
SIGHT=${SIGHT:-shown}
BINARY="$BUILD/morvane"
BASELINE="$BUILD/bench/qt_window_baseline"
DEMO="$(pwd)/$BUILD/demo/デモ.mp3"

for f in "$BINARY" "$BASELINE"; do
    [ -x "$f" ] || { echo "ui-cpu: build first: cmake --build $BUILD (need $f)" >&2; exit 1; }
done
[ "$MODE" = idle ] || [ -f "$DEMO" ] || { echo "ui-cpu: no $DEMO" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "ui-cpu: Xvfb is not installed" >&2; exit 1; }
case "$SIGHT" in
shown) ;;
hidden) DESKTOP=(trayer --edge bottom --widthtype pixel --width 100 --height 24) ;;
minimised) DESKTOP=(openbox --sm-disable) ;;
*) echo "ui-cpu: SIGHT is shown, hidden or minimised" >&2; exit 1 ;;
esac
if [ "$SIGHT" != shown ]; then
    for tool in "${DESKTOP[0]}" xdotool; do
        command -v "$tool" >/dev/null || { echo "ui-cpu: $tool is not installed" >&2; exit 1; }
    done
fi

WORK=$(mktemp -d)
XVFB_PID=
APP_PID=
DESKTOP_PID=
stop() {
    if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
    if [ -n "$DESKTOP_PID" ]; then kill "$DESKTOP_PID" 2>/dev/null || true; wait "$DESKTOP_PID" 2>/dev/null || true; fi
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
    APP_PID=
    XVFB_PID=
    DESKTOP_PID=
    return 0
}
trap 'stop; rm -rf "$WORK"' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The main (UI) thread alone.
uiticks() { awk '{ print $14 + $15 }' "/proc/$1/task/$1/stat"; }

# Takes the program's main window out of sight as SIGHT says.
out_of_sight() {
    local window
    window=$(DISPLAY="$1" xdotool search --sync --onlyvisible --pid "$APP_PID" --name '^Morvane$' | head -1)
    case "$SIGHT" in
    # The hide button at the top right of the skin (268..283, 0..14).
    hidden) DISPLAY="$1" xdotool mousemove --window "$window" 275 7 click 1 ;;
    minimised) DISPLAY="$1" xdotool windowminimize --sync "$window" ;;
    esac
}

# measure COMMAND...: prints "program% xserver% uithread%" for one run under a fresh Xvfb.
measure() {
    local display=90
    while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    if [ "$SIGHT" != shown ]; then
        DISPLAY=":$display" "${DESKTOP[@]}" >"$WORK/desktop.log" 2>&1 &
        DESKTOP_PID=$!
        sleep 1
    fi
    rm -rf "$WORK/home"
    mkdir -p "$WORK/home"
    : >"$WORK/home/listbu.bak"
    sed -e 's/^DrawBestCondition=.*/DrawBestCondition=0/' -e 's/^ExpressType=.*/ExpressType=1/' \
        -e 's/^SpeAnaType=.*/SpeAnaType=0/' -e 's/^StarDust=.*/StarDust=1/' \
        data/files/Property.ini >"$WORK/home/Property.ini"
    DISPLAY=":$display" MORVANE_HOME="$WORK/home" MORVANE_AUDIO=null XDG_RUNTIME_DIR="$WORK" \
        "$@" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    sleep "$WARMUP"
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        echo "ui-cpu: $1 ended early:" >&2
        cat "$WORK/app.log" >&2
        exit 1
    fi
    if [ "$SIGHT" != shown ] && [ "$1" = "$BINARY" ]; then
        out_of_sight ":$display"
        sleep 1
    fi
    local hz a0 x0 u0 t0 a1 x1 u1 t1
    hz=$(getconf CLK_TCK)
    a0=$(ticks "$APP_PID"); x0=$(ticks "$XVFB_PID"); u0=$(uiticks "$APP_PID"); t0=$(date +%s.%N)
    sleep "$DURATION"
    a1=$(ticks "$APP_PID"); x1=$(ticks "$XVFB_PID"); u1=$(uiticks "$APP_PID"); t1=$(date +%s.%N)
    stop
    awk -v a="$((a1 - a0))" -v x="$((x1 - x0))" -v u="$((u1 - u0))" -v hz="$hz" -v t0="$t0" \
        -v t1="$t1" 'BEGIN { s = t1 - t0; f = 100 / hz / s; printf "%.3f %.3f %.3f\n", a * f, x * f, u * f }'
}

args=()
[ "$MODE" = playing ] && args=("$DEMO")
: >"$WORK/program"
: >"$WORK/bare"
for round in $(seq "$ROUNDS"); do
    measure "$BINARY" "${args[@]}" >>"$WORK/program"
    measure "$BASELINE" >>"$WORK/bare"
    echo "round $round: morvane $(tail -1 "$WORK/program" | awk '{printf "%.2f %% (UI thread %.2f %%) + Xvfb %.2f %%", $1, $3, $2}'); bare window $(tail -1 "$WORK/bare" | awk '{printf "%.2f %% + Xvfb %.2f %%", $1, $2}')"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
p=$(awk '{print $1}' "$WORK/program" | median); px=$(awk '{print $1 + $2}' "$WORK/program" | median)
pu=$(awk '{print $3}' "$WORK/program" | median); pxs=$(awk '{print $2}' "$WORK/program" | median)
b=$(awk '{print $1}' "$WORK/bare" | median); bx=$(awk '{print $1 + $2}' "$WORK/bare" | median)
# Ratios round by round: the two runs of a round see the same state of the machine.
paste -d' ' "$WORK/program" "$WORK/bare" >"$WORK/pairs"
r=$(awk '{print $1 / $4}' "$WORK/pairs" | median); rx=$(awk '{print ($1 + $2) / ($4 + $5)}' "$WORK/pairs" | median)
awk -v mode="$MODE" -v sight="$SIGHT" -v p="$p" -v px="$px" -v pu="$pu" -v pxs="$pxs" -v b="$b" \
    -v bx="$bx" -v r="$r" -v rx="$rx" -v s="$DURATION" -v n="$ROUNDS" 'BEGIN {
    printf "%s, main window %s, median of %d runs of %d s, %% of one core:\n", mode, sight, n, s
    printf "  morvane      %.2f   with the X server %.2f   (UI thread %.3f, X server %.3f)\n", p, px, pu, pxs
    printf "  bare window  %.2f   with the X server %.2f\n", b, bx
    printf "  ratio        %.2f   with the X server %.2f   (median of the rounds)\n", r, rx
}'
