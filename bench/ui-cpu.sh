#!/usr/bin/env bash
# CPU share of one core used by the running program under Xvfb with the null audio output, idle
# (no track, the shipped settings: star dust on) or playing the demo track (spectrum analyser
# and star dust, 20 ms tick): its own process, its UI (main) thread and the display server,
# over DURATION seconds. For scale, each round also measures a bare Qt window of the same size
# repainting all of itself every 20 ms (bench/qt_window_baseline) the same way, and prints the
# ratio: on a virtual machine whose wake-ups are dear both figures rise together. With perf
# installed the times are perf's task clock (exact); without it, /proc's ticks of 10 ms.
#
# SIGHT=minimised minimises the main window by the window manager; SIGHT=hidden hides it to the
# tray by its own hide button. Both run each measurement, the bare window's too, inside the
# desktop session of the end-to-end tests (tests/desktop/session: Xvfb, openbox, trayer, a
# session bus); the bare window stays in sight.
#
# Usage: bench/ui-cpu.sh idle|playing [BUILD_DIR]   (a Release build; default build)
#        DURATION=seconds per measurement (30), ROUNDS=alternating rounds (3), WARMUP=s (3)
#        SIGHT=shown|minimised|hidden (shown)
#        SERVER=weston: under Debian's weston (headless backend, pixman renderer) on Qt's
#        wayland platform instead of Xvfb (SIGHT=shown only); BINARY=path of the program (an
#        unpacked package's)
#        SCALE=2 (or 1.5): both windows on a screen scaled by QT_SCALE_FACTOR
#        AUDIO=pulse: the program plays to a PulseAudio null sink started here (bench/pulse-server.sh)
#        instead of the null output
set -euo pipefail
cd "$(dirname "$0")/.."

MODE=${1:?usage: bench/ui-cpu.sh idle|playing [BUILD_DIR]}
BUILD=${2:-build}
DURATION=${DURATION:-30}
ROUNDS=${ROUNDS:-3}
WARMUP=${WARMUP:-3}
SERVER=${SERVER:-xvfb}
SIGHT=${SIGHT:-shown}
SCALE=${SCALE:-1}
AUDIO=${AUDIO:-null}
BINARY=${BINARY:-$BUILD/morvane}
BASELINE="$BUILD/bench/qt_window_baseline"
DEMO="$(pwd)/$BUILD/demo/デモ.mp3"

APP_PID=
SERVER_PID=
stop_app() {
    if [ -n "$APP_PID" ]; then kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
    APP_PID=
    return 0
}
stop() {
    stop_app
    if [ -n "$SERVER_PID" ]; then kill "$SERVER_PID" 2>/dev/null || true; wait "$SERVER_PID" 2>/dev/null || true; fi
    SERVER_PID=
    return 0
}

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The main (UI) thread alone: its task has the process's id.
uiticks() { awk '{ print $14 + $15 }' "/proc/$1/task/$1/stat"; }

# free_display: the first X display number from 90 up with no server.
free_display() {
    local display=90
    while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
    echo "$display"
}

# start_server: a fresh display server; sets SERVER_PID (its process) and CLIENT_ENV.
start_server() {
    if [ "$SERVER" = weston ]; then
        rm -rf "$WORK/run"
        mkdir -m 700 "$WORK/run"
        XDG_RUNTIME_DIR="$WORK/run" weston --backend=headless-backend.so --use-pixman \
            --width=1280 --height=1024 --idle-time=0 --socket=wayland-bench \
            >"$WORK/server.log" 2>&1 &
        SERVER_PID=$!
        for _ in $(seq 50); do
            [ -S "$WORK/run/wayland-bench" ] && break
            sleep 0.1
        done
        CLIENT_ENV=(-u DISPLAY WAYLAND_DISPLAY=wayland-bench QT_QPA_PLATFORM=wayland
            XDG_RUNTIME_DIR="$WORK/run")
        return
    fi
    local display
    display=$(free_display)
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/server.log" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    CLIENT_ENV=(-u WAYLAND_DISPLAY DISPLAY=":$display" XDG_RUNTIME_DIR="$WORK")
}

# out_of_sight: takes the program's main window out of sight as SIGHT says, and fails unless
# the X server then has it unmapped.
out_of_sight() {
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$APP_PID" --classname morvane | head -1)
    case "$SIGHT" in
    # The hide button at the top right of the skin (268..283, 0..14), in device pixels.
    hidden) xdotool mousemove --window "$window" \
        $(awk -v s="$SCALE" 'BEGIN { printf "%d %d", 275 * s, 7 * s }') click 1 ;;
    minimised) xdotool windowminimize --sync "$window" ;;
    esac
    sleep 1
    if xwininfo -id "$window" | grep -q IsViewable; then
        echo "ui-cpu: the main window is still in sight (SIGHT=$SIGHT)" >&2
        return 1
    fi
}

# count COMMAND...: runs COMMAND on the display of CLIENT_ENV (the program with the shipped
# settings and star dust on) and prints "program% server% uithread%" over DURATION seconds.
count() {
    rm -rf "$WORK/home"
    mkdir -p "$WORK/home"
    : >"$WORK/home/listbu.bak"
    sed -e 's/^DrawBestCondition=.*/DrawBestCondition=0/' -e 's/^ExpressType=.*/ExpressType=1/' \
        -e 's/^SpeAnaType=.*/SpeAnaType=0/' -e 's/^StarDust=.*/StarDust=1/' \
        data/files/Property.ini >"$WORK/home/Property.ini"
    local audio=null
    [ "$AUDIO" = pulse ] && audio=
    env "${CLIENT_ENV[@]}" MORVANE_HOME="$WORK/home" MORVANE_AUDIO=$audio QT_SCALE_FACTOR="$SCALE" \
        "$@" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    sleep "$WARMUP"
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        echo "ui-cpu: $1 ended early:" >&2
        cat "$WORK/app.log" >&2
        return 1
    fi
    if [ "$SIGHT" != shown ] && [ "$1" = "$BINARY" ]; then
        out_of_sight
    fi
    if command -v perf >/dev/null; then
        # perf's task clock is exact; /proc's 10-ms ticks cannot tell 0.05 % from 0.1 % in 30 s.
        local pids=() what name flag pid
        for what in "app -p $APP_PID" "server -p $SERVER_PID" "ui -t $APP_PID"; do
            read -r name flag pid <<<"$what"
            perf stat -x, -e task-clock "$flag" "$pid" -o "$WORK/$name.perf" -- sleep "$DURATION" &
            pids+=($!)
        done
        wait "${pids[@]}"
        stop_app
        # A task that did not run at all is "<not counted>".
        for what in app server ui; do
            awk -F, '/task-clock/ { v = $1 + 0 } END { print v + 0 }' "$WORK/$what.perf"
        done | paste -sd' ' | awk -v d="$DURATION" '{ printf "%.3f %.3f %.3f\n", $1 / 10 / d, $2 / 10 / d, $3 / 10 / d }'
        return
    fi
    local hz a0 x0 u0 t0 a1 x1 u1 t1
    hz=$(getconf CLK_TCK)
    a0=$(ticks "$APP_PID"); x0=$(ticks "$SERVER_PID"); u0=$(uiticks "$APP_PID"); t0=$(date +%s.%N)
    sleep "$DURATION"
    a1=$(ticks "$APP_PID"); x1=$(ticks "$SERVER_PID"); u1=$(uiticks "$APP_PID"); t1=$(date +%s.%N)
    stop_app
    awk -v a="$((a1 - a0))" -v x="$((x1 - x0))" -v u="$((u1 - u0))" -v hz="$hz" -v t0="$t0" \
        -v t1="$t1" 'BEGIN { s = t1 - t0; f = 100 / hz / s; printf "%.3f %.3f %.3f\n", a * f, x * f, u * f }'
}

# One measurement inside the desktop session, run by measure below: the session's X server,
# whose process id is in its lock file, is counted as the server.
if [ "$MODE" = --inside ]; then
    shift
    trap stop_app EXIT
    SERVER_PID=$(tr -d ' ' <"/tmp/.X${DISPLAY#:}-lock")
    CLIENT_ENV=()
    count "$@"
    exit
fi

for f in "$BINARY" "$BASELINE"; do
    [ -x "$f" ] || { echo "ui-cpu: build first: cmake --build $BUILD (need $f)" >&2; exit 1; }
done
[ "$MODE" = idle ] || [ -f "$DEMO" ] || { echo "ui-cpu: no $DEMO" >&2; exit 1; }
case "$SERVER" in
xvfb) command -v Xvfb >/dev/null || { echo "ui-cpu: Xvfb is not installed" >&2; exit 1; } ;;
weston) command -v weston >/dev/null || { echo "ui-cpu: weston is not installed" >&2; exit 1; } ;;
*) echo "ui-cpu: SERVER is xvfb or weston" >&2; exit 1 ;;
esac
case "$SIGHT" in
shown) ;;
minimised | hidden)
    [ "$SERVER" = xvfb ] || { echo "ui-cpu: SIGHT=$SIGHT needs SERVER=xvfb" >&2; exit 1; }
    for tool in openbox trayer xdotool xwininfo dbus-daemon pulseaudio; do
        command -v "$tool" >/dev/null || { echo "ui-cpu: $tool is not installed" >&2; exit 1; }
    done
    ;;
*) echo "ui-cpu: SIGHT is shown, minimised or hidden" >&2; exit 1 ;;
esac

case "$AUDIO" in
null) ;;
pulse) command -v pulseaudio >/dev/null || { echo "ui-cpu: pulseaudio is not installed" >&2; exit 1; } ;;
*) echo "ui-cpu: AUDIO is null or pulse" >&2; exit 1 ;;
esac

WORK=$(mktemp -d)
trap 'stop; rm -rf "$WORK"' EXIT
if [ "$AUDIO" = pulse ]; then
    . bench/pulse-server.sh
    trap 'stop; pulse_stop; rm -rf "$WORK"' EXIT
fi

# measure COMMAND...: prints "program% server% uithread%" for one run under a fresh display
# server, or a fresh desktop session when the main window is to be out of sight.
measure() {
    if [ "$SIGHT" = shown ]; then
        start_server
        count "$@"
        stop
        return
    fi
    WORK=$WORK DURATION=$DURATION WARMUP=$WARMUP SIGHT=$SIGHT BINARY=$BINARY SCALE=$SCALE AUDIO=$AUDIO \
        tests/desktop/session --display "$(free_display)" -- "$(pwd)/bench/ui-cpu.sh" --inside "$@"
}

args=()
[ "$MODE" = playing ] && args=("$DEMO")
: >"$WORK/program"
: >"$WORK/bare"
for round in $(seq "$ROUNDS"); do
    measure "$BINARY" "${args[@]}" >>"$WORK/program"
    measure "$BASELINE" >>"$WORK/bare"
    echo "round $round: morvane $(tail -1 "$WORK/program" | awk -v s="$SERVER" '{printf "%.2f %% (UI thread %.2f %%) + %s %.2f %%", $1, $3, s, $2}'); bare window $(tail -1 "$WORK/bare" | awk -v s="$SERVER" '{printf "%.2f %% + %s %.2f %%", $1, s, $2}')"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
p=$(awk '{print $1}' "$WORK/program" | median); px=$(awk '{print $1 + $2}' "$WORK/program" | median)
pu=$(awk '{print $3}' "$WORK/program" | median); ps=$(awk '{print $2}' "$WORK/program" | median)
b=$(awk '{print $1}' "$WORK/bare" | median); bx=$(awk '{print $1 + $2}' "$WORK/bare" | median)
# Ratios round by round: the two runs of a round see the same state of the machine.
paste -d' ' "$WORK/program" "$WORK/bare" >"$WORK/pairs"
r=$(awk '{print $1 / $4}' "$WORK/pairs" | median); rx=$(awk '{print ($1 + $2) / ($4 + $5)}' "$WORK/pairs" | median)
awk -v mode="$MODE" -v sight="$SIGHT" -v p="$p" -v px="$px" -v pu="$pu" -v ps="$ps" -v b="$b" \
    -v bx="$bx" -v r="$r" -v rx="$rx" -v s="$DURATION" -v n="$ROUNDS" -v server="$SERVER" \
    -v scale="$SCALE" -v audio="$AUDIO" 'BEGIN {
    printf "%s, main window %s, scale %s, audio %s, under %s, median of %d runs of %d s, %% of one core:\n", mode, sight, scale, audio, server, n, s
    printf "  morvane      %.2f   with the display server %.2f   (UI thread %.2f, server %.2f)\n", p, px, pu, ps
    printf "  bare window  %.2f   with the display server %.2f\n", b, bx
    printf "  ratio        %.2f   with the display server %.2f   (median of the rounds)\n", r, rx
}'
