#!/usr/bin/env bash
# Peak resident memory of `morvane-engine play` on a 60-minute MP3 (null output, 10 s of play,
# a seek near the end included by the decoder's length scan). Usage: bench/engine-memory.sh [BUILD]
set -euo pipefail
BUILD=${1:-build}
ENGINE="$BUILD/morvane-engine"
DIR=${TMPDIR:-/tmp}/morvane-bench
mkdir -p "$DIR"
FILE="$DIR/music-3600.mp3"
if [ ! -f "$FILE" ]; then
    echo "making a 60-minute fixture (about a minute)..." >&2
    sox -n -r 44100 -c 2 -b 16 -t wav - synth 3600 sine 100-8000 pinknoise vol 0.3 2>/dev/null \
        | lame --quiet -b 192 - "$FILE.part"
    mv "$FILE.part" "$FILE"
fi
MORVANE_AUDIO=null /usr/bin/time -f "%M" -o "$DIR/rss.txt" "$ENGINE" play "$FILE" --seconds 10 >/dev/null
echo "peak resident memory: $(( $(cat "$DIR/rss.txt") / 1024 )) MB ($(cat "$DIR/rss.txt") kB)"
