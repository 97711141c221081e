#!/usr/bin/env bash
# The equaliser's response as heard: four seconds of white noise played by `morvane-engine play
# --eq` on the capture output, for every preset and three random settings, measured at the ten
# band centres against the source. Prints the sliders (dB), the measured gains, the common offset
# (their mean difference) and the worst band's deviation from slider + offset.
# Usage: bench/eq-response.sh [BUILD]
set -euo pipefail
BUILD=${1:-build}
ENGINE=$BUILD/morvane-engine
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
sox -n -r 44100 -c 2 -b 16 "$DIR/noise.wav" synth 4 whitenoise vol 0.25
lame --quiet -b 320 "$DIR/noise.wav" "$DIR/noise.mp3"
"$ENGINE" decode "$DIR/noise.mp3" "$DIR/source.wav" 2>/dev/null

# Band gains in tenths of a dB (the negated slider positions).
SETTINGS=(
    "Normal:0,0,0,0,0,0,0,0,0,0"
    "Rock:60,40,20,0,-10,-10,0,20,40,60"
    "Pop:15,30,45,60,45,15,0,0,0,0"
    "Base Boost:40,60,30,10,0,0,0,0,0,0"
    "Treble Boost:0,0,0,0,10,25,40,60,60,60"
    "Total Boost:60,60,60,60,60,60,60,60,60,60"
    "Total Reduce:-60,-60,-60,-60,-60,-60,-60,-60,-60,-60"
)
RANDOM=13
for n in 1 2 3; do
    gains=""
    for _ in $(seq 10); do gains="$gains,$((RANDOM % 241 - 120))"; done
    SETTINGS+=("Random $n:${gains#,}")
done

for setting in "${SETTINGS[@]}"; do
    name=${setting%%:*}
    gains=${setting#*:}
    MORVANE_AUDIO=capture:$DIR/heard.wav "$ENGINE" play "$DIR/noise.mp3" --eq "$gains" >/dev/null
    "$ENGINE" response "$DIR/source.wav" "$DIR/heard.wav" | cut -d= -f2 | paste -sd, |
        awk -v name="$name" -v gains="$gains" -F, '{
            split(gains, g, ",")
            offset = 0
            for (i = 1; i <= 10; i++) offset += ($i - g[i] / 10) / 10
            worst = 0; lo = 1e9; hi = -1e9
            for (i = 1; i <= 10; i++) {
                d = $i - g[i] / 10 - offset
                if (d < 0) d = -d
                if (d > worst) worst = d
                if ($i < lo) lo = $i
                if ($i > hi) hi = $i
            }
            sliders = ""; heard = ""
            for (i = 1; i <= 10; i++) {
                sliders = sliders sprintf(" %+5.1f", g[i] / 10)
                heard = heard sprintf(" %+5.1f", $i)
            }
            printf "%-13s sliders%s\n%-13s heard  %s  (%+.1f..%+.1f)\n%-13s offset %+.1f dB, worst band %.1f dB from slider + offset\n",
                name, sliders, "", heard, lo, hi, "", offset, worst
        }'
done
