#!/usr/bin/env bash
# The silence heard between two tracks played in list order: two 3 s tones (440 Hz, then 660 Hz)
# encoded by lame go through the capture output, and the longest run of silent frames between the
# first and the last sound is printed: all silent runs longer than 1 ms, their sum in frames and ms.
#   bench/gapless-gap.sh BUILD engine    morvane-engine play A B
#   bench/gapless-gap.sh BUILD program   the whole program under Xvfb on an .m3u of A and B
#                                        (repeat mode, the default); DISPLAY_NUMBER picks the display
#   bench/gapless-gap.sh BUILD pulse     morvane-engine play A B through the sound server: a
#                                        PulseAudio null sink of its own, recorded from its monitor
#                                        (OUTPUT=sdl goes through SDL2 instead of libpulse)
# RATE_B=48000 encodes the second tone at another sample rate.
set -euo pipefail
BUILD=${1:?usage: gapless-gap.sh BUILD engine|program}
MODE=${2:-engine}
RATE_B=${RATE_B:-44100}
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
sox -n -r 44100 -c 2 -b 16 "$DIR/a.wav" synth 3 sine 440 vol 0.5
sox -n -r "$RATE_B" -c 2 -b 16 "$DIR/b.wav" synth 3 sine 660 vol 0.5
lame --quiet -b 192 "$DIR/a.wav" "$DIR/a.mp3"
lame --quiet -b 192 "$DIR/b.wav" "$DIR/b.mp3"
HEARD="$DIR/heard.wav"
if [ "$MODE" = engine ]; then
    MORVANE_AUDIO="capture:$HEARD" "$BUILD/morvane-engine" play "$DIR/a.mp3" "$DIR/b.mp3" >/dev/null
elif [ "$MODE" = pulse ]; then
    export XDG_RUNTIME_DIR="$DIR" HOME="$DIR" PULSE_SERVER="unix:$DIR/native"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-native-protocol-unix socket=$DIR/native auth-anonymous=1" \
        -L "module-null-sink sink_name=nullsink rate=44100" -L module-always-sink \
        >/dev/null 2>&1 &
    SERVER=$!
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    # A silent keeper stream, so that no stream waits for the idle sink to wake.
    pacat --playback --raw --latency-msec=20 -d nullsink </dev/zero &
    KEEPER=$!
    parecord -d nullsink.monitor --rate=44100 --channels=2 --format=s16le --file-format=wav \
        "$HEARD" &
    RECORDER=$!
    sleep 0.5
    MORVANE_AUDIO=${OUTPUT:-pulse} SDL_AUDIODRIVER=pulseaudio "$BUILD/morvane-engine" play \
        "$DIR/a.mp3" "$DIR/b.mp3" >/dev/null
    sleep 0.5
    kill -INT "$RECORDER"
    wait "$RECORDER" || true
    kill "$KEEPER" "$SERVER"
    wait "$KEEPER" "$SERVER" 2>/dev/null || true
else
    printf '%s\r\n%s\r\n' "$DIR/a.mp3" "$DIR/b.mp3" >"$DIR/list.m3u"
    DISPLAY_NUMBER=${DISPLAY_NUMBER:-41}
    Xvfb ":$DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB=$!
    sleep 1
    DISPLAY=":$DISPLAY_NUMBER" MORVANE_HOME="$DIR" MORVANE_AUDIO="capture:$HEARD" \
        "$BUILD/morvane" "$DIR/list.m3u" >/dev/null 2>&1 &
    PLAYER=$!
    sleep 8
    kill -TERM "$PLAYER"
    wait "$PLAYER" || true
    kill "$XVFB"
    wait "$XVFB" 2>/dev/null || true
fi
python3 - "$HEARD" <<'PY'
import sys, wave, array
w = wave.open(sys.argv[1])
rate = w.getframerate()
s = array.array('h', w.readframes(w.getnframes()))
frames = len(s) // 2
loud = [max(abs(s[2 * i]), abs(s[2 * i + 1])) >= 64 for i in range(frames)]
first = loud.index(True)
last = frames - 1 - loud[::-1].index(True)
# Silent runs longer than 1 ms (a sine passes zero within a frame or two).
runs, run = [], 0
for i in range(first, last + 2):
    if i <= last and not loud[i]:
        run += 1
        continue
    if run > rate // 1000:
        runs.append(run)
    run = 0
ms = lambda n: f"{1000 * n / rate:.1f}"
print(f"gap_frames={sum(runs)} gap_ms={ms(sum(runs))} runs_ms={','.join(map(ms, runs)) or '-'} "
      f"heard_s={(last - first + 1) / rate:.3f}")
PY
