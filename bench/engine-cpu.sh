#!/usr/bin/env bash
# CPU time of `morvane-engine play` for 20 s of real-time playback to the null output: the whole
# run as a share of one core, then the steady cost per thread in ms per second of audio (main:
# asleep after opening; decode; output: the null output's pacing thread, standing for a device's).
# Usage: bench/engine-cpu.sh [BUILD] [FILE]
set -euo pipefail
BUILD=${1:-build}
FILE=${2:-${TMPDIR:-/tmp}/morvane-bench/music-600.mp3}
PLAYED=20
[ -f "$FILE" ] || { echo "no $FILE (run the engine benchmark once to make it)" >&2; exit 1; }
MORVANE_AUDIO=null /usr/bin/time -f "%U %S" -o /tmp/morvane-cpu.txt \
    "$BUILD/morvane-engine" play "$FILE" --seconds $PLAYED >/dev/null &
TIMER=$!
PID=""
for _ in $(seq 50); do
    PID=$(pgrep -P $TIMER || true)
    [ -n "$PID" ] && break
    sleep 0.1
done
# Each thread's time on a CPU (schedstat, ns) from 2 s after the start, once the track is open and
# the queue full, until shortly before the program ends: the steady cost of playing.
snapshot() {
    local out="" task ns rest
    for task in $(ls /proc/"$PID"/task 2>/dev/null | sort -n); do
        read -r ns rest < /proc/"$PID"/task/"$task"/schedstat || continue
        out="$out $ns"
    done
    echo "$out"
}
WINDOW=$((PLAYED - 3))
sleep 2
FIRST=$( [ -n "$PID" ] && snapshot || true)
sleep $WINDOW
LAST=$( [ -n "$PID" ] && snapshot || true)
wait $TIMER
read -r user sys </tmp/morvane-cpu.txt
echo "CPU over $PLAYED s of playback: user ${user}s sys ${sys}s = $(echo "scale=2; ($user+$sys)*100/$PLAYED" | bc)% of a core"
names=(main decode output)
read -r -a first <<<"$FIRST"
read -r -a last <<<"$LAST"
for i in "${!last[@]}"; do
    ns=$(( last[i] - ${first[i]:-0} ))
    echo "  ${names[$i]:-thread $i}: $(echo "scale=3; $ns/1000000/$WINDOW" | bc) ms per audio second"
done
