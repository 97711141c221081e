# Helpers for the desktop tests (sourced; runs inside tests/desktop/session).
# MORVANE_BIN names the program under test. Every process a test starts is ended by its id.
set -euo pipefail

: "${MORVANE_BIN:?MORVANE_BIN names the morvane executable}"
: "${MORVANE_SESSION_DIR:?run inside tests/desktop/session}"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
unset MORVANE_MESSAGES MORVANE_AUDIO

work=$(mktemp -d "$MORVANE_SESSION_DIR/test.XXXXXX")
export MORVANE_HOME=$work/home
mkdir -p "$MORVANE_HOME"
started=()
failures=0
passes=0

cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill -CONT "$pid" 2>/dev/null || true
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

log() { echo "[$(date +%T)] $*"; }

check() {  # check "what" command...
    local what=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
        log "ok: $what"
    else
        failures=$((failures + 1))
        log "FAILED: $what"
    fi
}

finish() {
    # The program under test is the checked build: a failed assertion (a still tick that drew
    # another frame than the whole one, say) or a sanitizer's report fails the test.
    local faults='ASSERT|runtime error:|ERROR: AddressSanitizer'
    if [ -f "$work/morvane.log" ] && grep -qE "$faults" "$work/morvane.log"; then
        failures=$((failures + 1))
        log "FAILED: the program reported a fault:"
        grep -E "$faults" "$work/morvane.log" | head -5
    fi
    echo "$passes passed, $failures failed"
    ((failures == 0))
}

# wait_until TENTHS command... : true once the command succeeds within the time.
wait_until() {
    local tries=$1
    shift
    for ((n = 0; n < tries; n++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

# make_mp3 PATH SECONDS [TITLE ARTIST ALBUM]: a quiet tone with an ID3 tag when asked.
make_mp3() {
    local path=$1 seconds=$2
    local wav=$work/tone.$$.wav
    sox -q -n -r 44100 -c 2 -b 16 "$wav" synth "$seconds" sine 440 vol 0.2
    if (($# >= 5)); then
        lame --quiet -b 128 --id3v2-only --tt "$3" --ta "$4" --tl "$5" "$wav" "$path"
    else
        lame --quiet -b 128 "$wav" "$path"
    fi
    rm -f "$wav"
}

# write_backup PATH...: listbu.bak as the program writes it.
write_backup() {
    : >"$MORVANE_HOME/listbu.bak"
    local p
    for p in "$@"; do printf '"%s"\r\n' "$p" >>"$MORVANE_HOME/listbu.bak"; done
}

# start_morvane [ARG...]: the program in the background; sets $morvane_pid.
start_morvane() {
    "$MORVANE_BIN" "$@" >>"$work/morvane.log" 2>&1 &
    morvane_pid=$!
    started+=("$morvane_pid")
}

# main_window: the id of the program's main window (shown or not), 300 x 150 device pixels unless
# main_size says otherwise (on a scaled screen).
main_size="300 150"
main_window() {
    local w width height
    read -r width height <<<"$main_size"
    for w in $(xdotool search --pid "$morvane_pid" 2>/dev/null); do
        if xwininfo -id "$w" 2>/dev/null | grep -q "Width: $width\$" &&
            xwininfo -id "$w" | grep -q "Height: $height\$"; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# window_viewable ID: mapped and not iconic.
window_viewable() {
    xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable" &&
        ! xprop -id "$1" WM_STATE 2>/dev/null | grep -q "Iconic"
}

mpris() { playerctl -p morvane "$@" 2>/dev/null; }
mpris_ready() { [ -n "$(mpris status)" ]; }

# wait_started: the main window is shown and the player is on the session bus.
wait_started() {
    wait_until 600 main_window && wait_until 300 window_viewable "$(main_window)" &&
        wait_until 300 mpris_ready
}

# ended PID TENTHS: the process ends within the time.
ended() {
    local pid=$1 tries=$2
    for ((n = 0; n < tries; n++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null || true
            return 0
        fi
        sleep 0.1
    done
    return 1
}

backup_has() {  # backup_has PATH...: listbu.bak holds exactly these rows
    local expected=$work/expected.bak p
    : >"$expected"
    for p in "$@"; do printf '"%s"\r\n' "$p" >>"$expected"; done
    cmp -s "$expected" "$MORVANE_HOME/listbu.bak"
}

# A dialog of the program by its caption.
dialog_window() { xdotool search --all --onlyvisible --pid "$morvane_pid" --name "$1" 2>/dev/null | head -1; }

# tray_icon: the program's window docked in the tray's panel.
tray_icon() {
    local panel tree w
    panel=$(xdotool search --classname '^panel$' 2>/dev/null | head -1)
    [ -n "$panel" ] || return 1
    tree=$(xwininfo -tree -id "$panel" 2>/dev/null)
    for w in $(xdotool search --pid "$morvane_pid" 2>/dev/null); do
        if grep -q "$(printf '0x%x ' "$w")" <<<"$tree"; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
