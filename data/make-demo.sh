#!/usr/bin/env bash
# Synthesises the demo track (a short tune with melody and bass), tags it, and copies its
# lyrics and document beside it. Usage: make-demo.sh OUT_DIR SOURCE_DIR
set -euo pipefail
out=$1
src=$2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

beat=0.375
# Four bars of melody, repeated with a variation; one note per beat.
melody=(E5 G5 A5 G5  E5 D5 C5 D5  E5 G5 A5 C6  B5 A5 G5 -
        A5 C6 D6 C6  A5 G5 E5 G5  A5 G5 E5 D5  C5 D5 C5 -)
bass=(C3 C3 A2 A2  F2 F2 G2 G2  C3 C3 A2 A2  F2 G2 C3 C3)

i=0
for round in 1 2 3 4; do
    for n in "${melody[@]}"; do
        f=$(printf '%s/m%04d.wav' "$work" "$i")
        if [ "$n" = "-" ]; then
            sox -n -r 44100 -c 1 -b 16 "$f" trim 0 $beat
        else
            sox -n -r 44100 -c 1 -b 16 "$f" synth $beat pluck "$n" fade 0 $beat 0.05 vol 0.6
        fi
        i=$((i + 1))
    done
done
j=0
for round in 1 2 3 4; do
    for n in "${bass[@]}"; do
        f=$(printf '%s/b%04d.wav' "$work" "$j")
        sox -n -r 44100 -c 1 -b 16 "$f" synth 0.75 sine "$n" fade 0.01 0.75 0.2 vol 0.35
        j=$((j + 1))
    done
done
sox "$work"/m*.wav "$work/melody.wav"
sox "$work"/b*.wav "$work/bass.wav"
# Melody a little to the left, bass a little to the right, a touch of reverb, fade out.
sox -M "$work/melody.wav" "$work/bass.wav" "$work/mix.wav" remix 1v0.8,2v0.4 1v0.5,2v0.8 \
    reverb 30 fade 0.2 -0 2.5 norm -2

lame --quiet -b 192 --cbr --add-id3v2 --id3v2-utf16 \
    --tt "デモ曲 ～星降る夜～" --ta "Morvane サウンド" --tl "はじめての Morvane" \
    --ty 2026 --tg Pop "$work/mix.wav" "$out/デモ.mp3"
cp "$src/demo/デモ.lrc" "$src/demo/デモ.txt" "$out/"
