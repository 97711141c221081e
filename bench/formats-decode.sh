#!/usr/bin/env bash
# Decode CPU per second of audio, each format against its own reference decoder in the same run:
# `morvane-engine decode` (the engine's decoder to a WAV file) and the format's tool writing the
# same WAV. Each is timed (user + system, best of three) on LENGTH seconds and on 10 seconds of
# the same music, and the difference per second is given, so start-up costs drop out. Then the
# whole program's CPU playing 20 s of the same music as FLAC and as MP3 (null output, real time).
# Usage: bench/formats-decode.sh [BUILD] [LENGTH]
set -euo pipefail
BUILD=${1:-build}
LENGTH=${2:-60}
ENGINE=$(realpath "$BUILD/morvane-engine")
DIR=${TMPDIR:-/tmp}/morvane-bench/formats-$LENGTH
mkdir -p "$DIR"
cd "$DIR"
# name.ext for LENGTH seconds, short-name.ext for 10.
make_files() {
    local name=$1 seconds=$2
    [ -f "$name.mp3" ] && return
    sox -r 44100 -c 2 -n -b 16 "$name.wav" synth "$seconds" sine 100-8000 pinknoise vol 0.3
    sox -r 96000 -c 2 -n -b 24 "$name-24.wav" synth "$seconds" sine 100-8000 pinknoise vol 0.3
    sox -r 48000 -c 2 -n -b 16 "$name-48.wav" synth "$seconds" sine 100-8000 pinknoise vol 0.3
    flac -s -f "$name.wav" -o "$name.flac"
    flac -s -f "$name-24.wav" -o "$name-24.flac"
    oggenc -Q "$name.wav" -o "$name.ogg"
    opusenc --quiet "$name-48.wav" "$name.opus"
    ffmpeg -v error -y -i "$name.wav" -c:a aac -b:a 192k "$name-aac.m4a"
    ffmpeg -v error -y -i "$name.wav" -c:a alac "$name-alac.m4a"
    lame --quiet -b 192 "$name.wav" "$name.mp3"
}
make_files long "$LENGTH" 2>/dev/null
make_files short 10 2>/dev/null

# Best of three: the user + system seconds of the command.
cpu() {
    local best="" user sys t
    for _ in 1 2 3; do
        /usr/bin/time -f "%U %S" -o time.txt "$@" >/dev/null 2>&1
        read -r user sys <time.txt
        t=$(echo "$user + $sys" | bc)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}
# ms of CPU per second of audio: the command (with NAME in it) on long less on short.
per_second() {
    local long short
    long=$(cpu "${@//NAME/long}")
    short=$(cpu "${@//NAME/short}")
    echo "($long - $short) * 1000 / ($LENGTH - 10)" | bc -l
}

export MORVANE_AUDIO=null
printf "%-10s %12s %12s %7s\n" format "engine ms/s" "tool ms/s" ratio
row() {
    local name=$1 file=$2 ours theirs
    shift 2
    ours=$(per_second "$ENGINE" decode "$file" out.wav)
    theirs=$(per_second "$@")
    printf "%-10s %12.2f %12.2f %7.2f\n" "$name" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
}
row flac16 NAME.flac flac -s -d -f NAME.flac -o ref.wav
row flac24/96 NAME-24.flac flac -s -d -f NAME-24.flac -o ref.wav
row vorbis NAME.ogg oggdec -Q NAME.ogg -o ref.wav
row opus NAME.opus opusdec --quiet --rate 48000 --no-dither NAME.opus ref.wav
row aac NAME-aac.m4a ffmpeg -v error -y -i NAME-aac.m4a ref.wav
row alac NAME-alac.m4a ffmpeg -v error -y -i NAME-alac.m4a ref.wav
row mp3 NAME.mp3 mpg123 -q -w ref.wav NAME.mp3

PLAYED=20
for f in long.flac long.mp3; do
    /usr/bin/time -f "%U %S" -o time.txt "$ENGINE" play "$f" --seconds $PLAYED >/dev/null 2>&1
    read -r user sys <time.txt
    printf "play %-10s %8.2f ms CPU per s\n" "$f" "$(echo "($user + $sys) * 1000 / $PLAYED" | bc -l)"
done
