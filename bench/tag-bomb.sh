#!/usr/bin/env bash
# Peak memory and time of reading a track whose ID3v2 tag holds 1,000,000 tiny frames (13 MB),
# against the same audio with a plain tag, in alternating rounds: `morvane-engine info` opens the
# track as the player does (tag, stream information, length).
# Prints peak resident memory, wall time and CPU time (user + system) of each run.
# Usage: bench/tag-bomb.sh [BUILD] [ROUNDS]
set -euo pipefail
BUILD=${1:-build}
ROUNDS=${2:-5}
ENGINE="$BUILD/morvane-engine"
DIR=${TMPDIR:-/tmp}/morvane-bench
mkdir -p "$DIR"
AUDIO="$DIR/bomb-audio.mp3"
[ -f "$AUDIO" ] || sox -n -r 44100 -c 2 -b 16 -t wav - synth 6 sine 440 vol 0.5 2>/dev/null \
    | lame --quiet -b 128 - "$AUDIO"
# ID3v2.3: a TIT2 frame, then a million 3-byte TXXX frames; sizes big-endian, tag size sync-safe.
python3 - "$AUDIO" "$DIR/bomb.mp3" "$DIR/plain.mp3" <<'PY'
import struct, sys
audio = open(sys.argv[1], 'rb').read()
def frame(fid, body): return fid + struct.pack('>I', len(body)) + b'\0\0' + body
def tag(frames):
    body = b''.join(frames)
    n = len(body)
    size = bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
    return b'ID3\x03\x00\x00' + size + body
title = frame(b'TIT2', b'\0bomb')
open(sys.argv[2], 'wb').write(tag([title] + [frame(b'TXXX', b'\0a\0')] * 1000000) + audio)
open(sys.argv[3], 'wb').write(tag([title]) + audio)
PY
echo "bomb: $(( $(stat -c %s "$DIR/bomb.mp3") / 1024 / 1024 )) MB"
for round in $(seq "$ROUNDS"); do
    for kind in plain bomb; do
        /usr/bin/time -f "%M %e %U %S" -o "$DIR/$kind.time" "$ENGINE" info "$DIR/$kind.mp3" >/dev/null
        read -r kb seconds user system < "$DIR/$kind.time"
        echo "round $round $kind: peak ${kb} kB, ${seconds} s $(echo "$user + $system" | bc) cpu"
    done
done | tee "$DIR/tag-bomb.log"
# Wall time suffers from a shared machine's load; CPU time (user + system) is the steadier figure.
awk '/plain/ {pk+=$5; ps+=$7; pc+=$9; n++} /bomb/ {bk+=$5; bs+=$7; bc+=$9}
     END {printf "mean peak: plain %d kB, bomb %d kB (x%.2f); mean wall: plain %.2f s, bomb %.2f s; " \
                 "mean cpu: plain %.2f s, bomb %.2f s (x%.2f)\n",
          pk/n, bk/n, bk/pk, ps/n, bs/n, pc/n, bc/n, bc/pc}' "$DIR/tag-bomb.log"
