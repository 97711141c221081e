#!/usr/bin/env bash
# What playing costs the sound server. A PulseAudio null sink started here (bench/pulse-server.sh)
# plays a 60 s, 192 kbit/s file, in alternating rounds, by the whole program under Xvfb (its
# default output) and by `mpg123 -o pulse`; each round gives the CPU share of one core of the
# player, of the X server and of the sound server, and the ratio of the sound server's shares.
#
# No keeper stream runs (it would wake the sink every 10 ms for both players alike and hide
# the difference); WARMUP covers each stream's start on the idle sink.
#
# Usage: bench/sound-server-cpu.sh [BUILD_DIR]   (default build)
#        DURATION=seconds measured per run (50), ROUNDS (3), WARMUP=s (5)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
DURATION=${DURATION:-50}
ROUNDS=${ROUNDS:-3}
WARMUP=${WARMUP:-5}
BINARY="$BUILD/morvane"
[ -x "$BINARY" ] || { echo "sound-server-cpu: build first (need $BINARY)" >&2; exit 1; }
for tool in Xvfb pulseaudio pacat pactl mpg123 sox lame; do
    command -v "$tool" >/dev/null || { echo "sound-server-cpu: $tool is not installed" >&2; exit 1; }
done

WORK=$(mktemp -d)
XVFB_PID=
PLAYER_PID=
KEEPER=0 . bench/pulse-server.sh
stop_player() {
    if [ -n "$PLAYER_PID" ]; then kill "$PLAYER_PID" 2>/dev/null || true; wait "$PLAYER_PID" 2>/dev/null || true; fi
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
    PLAYER_PID=
    XVFB_PID=
    return 0
}
trap 'stop_player; pulse_stop; rm -rf "$WORK"' EXIT

# A minute of music-like sound: a chord with a slow tremolo and some noise.
TRACK="$WORK/track.mp3"
sox -n -r 44100 -c 2 "$WORK/track.wav" synth 60 sine 220 sine 277 sine 330 pinknoise \
    tremolo 3 40 vol 0.4 2>/dev/null
lame --quiet -b 192 "$WORK/track.wav" "$TRACK"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# measure morvane|mpg123: prints "player% xserver% server%" for one run.
measure() {
    local display=30
    while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    if [ "$1" = morvane ]; then
        rm -rf "$WORK/home"
        mkdir -p "$WORK/home"
        : >"$WORK/home/listbu.bak"
        DISPLAY=":$display" MORVANE_HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK" \
            "$BINARY" "$TRACK" >"$WORK/player.log" 2>&1 &
    else
        mpg123 -q -o pulse "$TRACK" >"$WORK/player.log" 2>&1 &
    fi
    PLAYER_PID=$!
    sleep "$WARMUP"
    kill -0 "$PLAYER_PID" 2>/dev/null || { echo "sound-server-cpu: $1 ended early:" >&2; cat "$WORK/player.log" >&2; exit 1; }
    local hz p0 x0 s0 t0 p1 x1 s1 t1
    hz=$(getconf CLK_TCK)
    p0=$(ticks "$PLAYER_PID"); x0=$(ticks "$XVFB_PID"); s0=$(ticks "$PULSE_PID"); t0=$(date +%s.%N)
    sleep "$DURATION"
    p1=$(ticks "$PLAYER_PID"); x1=$(ticks "$XVFB_PID"); s1=$(ticks "$PULSE_PID"); t1=$(date +%s.%N)
    stop_player
    awk -v p="$((p1 - p0))" -v x="$((x1 - x0))" -v s="$((s1 - s0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
        'BEGIN { d = t1 - t0; printf "%.3f %.3f %.3f\n", 100 * p / hz / d, 100 * x / hz / d, 100 * s / hz / d }'
}

: >"$WORK/morvane"
: >"$WORK/mpg123"
for round in $(seq "$ROUNDS"); do
    measure morvane >>"$WORK/morvane"
    measure mpg123 >>"$WORK/mpg123"
    echo "round $round: morvane $(tail -1 "$WORK/morvane" | awk '{printf "%.2f %% X %.2f %% server %.2f %%", $1, $2, $3}');" \
         "mpg123 $(tail -1 "$WORK/mpg123" | awk '{printf "%.2f %% X %.2f %% server %.2f %%", $1, $2, $3}')"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
col() { awk -v c="$2" '{print $c}' "$WORK/$1" | median; }
paste -d' ' "$WORK/morvane" "$WORK/mpg123" >"$WORK/pairs"
ratio=$(awk '{ print ($6 > 0) ? $3 / $6 : 0 }' "$WORK/pairs" | median)
printf 'median of %d rounds of %d s, %% of one core:\n' "$ROUNDS" "$DURATION"
printf '  morvane  %6.2f   X server %5.2f   sound server %5.2f\n' "$(col morvane 1)" "$(col morvane 2)" "$(col morvane 3)"
printf '  mpg123   %6.2f   X server %5.2f   sound server %5.2f\n' "$(col mpg123 1)" "$(col mpg123 2)" "$(col mpg123 3)"
printf '  sound server, morvane / mpg123: %.2f (median of the ratios of the rounds; target <= 1.5)\n' "$ratio"
