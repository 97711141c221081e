#!/usr/bin/env bash
# CPU time of `morvane-engine play` for 20 s of real-time playback to the null output, as a
# share of one core. Usage: bench/engine-cpu.sh [BUILD] [FILE]
set -euo pipefail
BUILD=${1:-build}
FILE=${2:-${TMPDIR:-/tmp}/morvane-bench/music-600.mp3}
[ -f "$FILE" ] || { echo "no $FILE (run the engine benchmark once to make it)" >&2; exit 1; }
MORVANE_AUDIO=null /usr/bin/time -f "%U %S" -o /tmp/morvane-cpu.txt "$BUILD/morvane-engine" play "$FILE" --seconds 20 >/dev/null
read -r user sys </tmp/morvane-cpu.txt
echo "CPU over 20 s of playback: user ${user}s sys ${sys}s = $(echo "scale=2; ($user+$sys)*100/20" | bc)% of a core"
