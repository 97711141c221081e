# Sourced by the sound-server benchmarks: a PulseAudio daemon of their own with a null sink (the
# one tests/desktop/soundserver starts), on a runtime folder of their own, and unless KEEPER=0 a
# silent keeper stream (without it each new stream stalls on the sink's idle timer; with it the
# sink wakes every 10 ms or so, which is most of the server's CPU). Sets PULSE_DIR, PULSE_SERVER, PULSE_PID, KEEPER_PID; pulse_stop ends both
# by their ids.
SOUND_SERVER="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/desktop/soundserver"
PULSE_DIR=$(mktemp -d /tmp/morvane-pulse.XXXXXX)
export PULSE_SERVER="unix:$PULSE_DIR/pulse/native"
XDG_RUNTIME_DIR="$PULSE_DIR" "$SOUND_SERVER" start "$PULSE_DIR" ||
    { echo "no PulseAudio server started:" >&2; cat "$PULSE_DIR/pulse.log" >&2; exit 1; }
PULSE_PID=$(cat "$PULSE_DIR/pulse.pid")
KEEPER_PID=
if [ "${KEEPER:-1}" != 0 ]; then
    pacat --playback --raw --latency-msec=20 -d nullsink </dev/zero &
    KEEPER_PID=$!
fi
pulse_stop() {
    if [ -n "$KEEPER_PID" ]; then
        kill "$KEEPER_PID" 2>/dev/null || true
        wait "$KEEPER_PID" 2>/dev/null || true
    fi
    "$SOUND_SERVER" stop "$PULSE_DIR"
    rm -rf "$PULSE_DIR"
}
