#!/usr/bin/env bash
# CPU used by the whole program playing the demo track with the spectrum analyser and the star
# field at the 20 ms tick, under Xvfb with the null audio output: the program's process plus
# the X server, measured from /proc over DURATION seconds (default 60).
#
# Usage: bench/player-cpu.sh [BUILD_DIR]   (a Release build holding morvane and demo/デモ.mp3;
#        default build). Needs Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${1:-build}
DURATION=${DURATION:-60}
WARMUP=${WARMUP:-3}
BINARY="$BUILD/morvane"
DEMO="$(pwd)/$BUILD/demo/デモ.mp3"

if [ ! -x "$BINARY" ] || [ ! -f "$DEMO" ]; then
    echo "player-cpu: build first: cmake --build $BUILD (need $BINARY and $DEMO)" >&2
    exit 1
fi
command -v Xvfb >/dev/null || { echo "player-cpu: Xvfb is not installed" >&2; exit 1; }

WORK=$(mktemp -d)
XVFB_PID=
APP_PID=
cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# A settings file of its own: spectrum (combined decibel), star dust, the 20 ms tick.
mkdir -p "$WORK/home"
sed -e 's/^DrawBestCondition=.*/DrawBestCondition=0/' -e 's/^ExpressType=.*/ExpressType=1/' \
    -e 's/^SpeAnaType=.*/SpeAnaType=0/' -e 's/^StarDust=.*/StarDust=1/' \
    data/files/Property.ini >"$WORK/home/Property.ini"

# A free display number.
DISPLAY_NUMBER=90
while [ -e "/tmp/.X${DISPLAY_NUMBER}-lock" ]; do DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1)); done
Xvfb ":$DISPLAY_NUMBER" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] && break
    sleep 0.1
done

DISPLAY=":$DISPLAY_NUMBER" MORVANE_HOME="$WORK/home" MORVANE_AUDIO=null \
    XDG_RUNTIME_DIR="$WORK" "$BINARY" "$DEMO" >"$WORK/app.log" 2>&1 &
APP_PID=$!
sleep "$WARMUP"
if ! kill -0 "$APP_PID" 2>/dev/null; then
    echo "player-cpu: the program ended early:" >&2
    cat "$WORK/app.log" >&2
    exit 1
fi

# utime + stime of a process in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

HZ=$(getconf CLK_TCK)
app0=$(ticks "$APP_PID"); x0=$(ticks "$XVFB_PID"); t0=$(date +%s.%N)
sleep "$DURATION"
app1=$(ticks "$APP_PID"); x1=$(ticks "$XVFB_PID"); t1=$(date +%s.%N)

awk -v a="$((app1 - app0))" -v x="$((x1 - x0))" -v hz="$HZ" -v t0="$t0" -v t1="$t1" 'BEGIN {
    s = t1 - t0
    pa = 100 * a / hz / s; px = 100 * x / hz / s
    printf "over %.1f s: morvane %.2f %%, Xvfb %.2f %%, together %.2f %% of one core\n", s, pa, px, pa + px
    exit (pa + px < 2.0) ? 0 : 3
}'
