# Sourced by the sound-server benchmarks: a PulseAudio daemon of their own with a null sink, on a
# runtime folder of their own, and unless KEEPER=0 a silent keeper stream (without it each new
# stream stalls on the sink's idle timer; with it the sink wakes every 10 ms or so, which is most
# of the server's CPU). Sets PULSE_DIR, PULSE_SERVER, PULSE_PID, KEEPER_PID; pulse_stop ends both
# by their ids.
PULSE_DIR=$(mktemp -d /tmp/morvane-pulse.XXXXXX)
export PULSE_SERVER="unix:$PULSE_DIR/native"
XDG_RUNTIME_DIR="$PULSE_DIR" HOME="$PULSE_DIR" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no -L "module-native-protocol-unix socket=$PULSE_DIR/native auth-anonymous=1" \
    -L "module-null-sink sink_name=nullsink rate=44100" -L module-always-sink \
    >"$PULSE_DIR/daemon.log" 2>&1 &
PULSE_PID=$!
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || { echo "no PulseAudio server started:" >&2; cat "$PULSE_DIR/daemon.log" >&2; exit 1; }
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
    kill "$PULSE_PID" 2>/dev/null || true
    wait "$PULSE_PID" 2>/dev/null || true
    rm -rf "$PULSE_DIR"
}
