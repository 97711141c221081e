#!/usr/bin/env bash
# Time from process start to the first shown frame with a 999-entry listbu.bak, under Xvfb.
# The program reports the figure itself when MORVANE_STARTUP_PROBE=1 and then quits.
# Usage: bench/app-startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/music"
sox -n -r 44100 -c 2 -t wav - synth 1 sine 440 2>/dev/null | lame --quiet -b 128 - "$home/music/t.mp3"
for i in $(seq 0 998); do
    cp "$home/music/t.mp3" "$home/music/track$i.mp3"
    printf '"%s"\r\n' "$home/music/track$i.mp3"
done >"$home/listbu.bak"

export MORVANE_HOME=$home MORVANE_AUDIO=null MORVANE_STARTUP_PROBE=1
for _ in $(seq "$runs"); do
    cp "$home/listbu.bak" "$home/listbu.keep"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/morvane" 2>&1 | grep -E '^first-frame-ms=' || true
    cp "$home/listbu.keep" "$home/listbu.bak"
done
