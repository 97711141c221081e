# Behind the quit question the main window goes on drawing its clock and MPRIS goes on telling
# the desktop what the player does: the tick does not wait for the question's own loop.
source "$(dirname "$0")/lib.sh"

a=$work/a.mp3
make_mp3 "$a" 60
start_morvane "$a"
check "the program starts and plays the file" wait_started
check "it plays" wait_until 100 sh -c '[ "$(playerctl -p morvane status)" = Playing ]'
win=$(main_window)
caption="ﾌﾟﾛｸﾞﾗﾑの終了"

signals=$work/signals.log
dbus-monitor --session "type='signal',path='/org/mpris/MediaPlayer2'" >"$signals" 2>&1 &
started+=($!)

# The quit button, top right.
xdotool mousemove --window "$win" 291 9 sleep 0.1 click 1
check "the quit question opens" wait_until 100 sh -c \
    "[ -n \"\$(xdotool search --all --onlyvisible --pid $morvane_pid --name '$caption')\" ]"

# clock_shot FILE: the main window's picture (the elapsed time and the position bar).
clock_shot() { import -window "$win" "$1" 2>/dev/null; }
clock_shot "$work/first.png"
sleep 2.5
clock_shot "$work/second.png"
[ -n "${MORVANE_SHOTS:-}" ] && cp "$work/first.png" "$work/second.png" "$MORVANE_SHOTS/" 2>/dev/null
check "the window drew something new in 2.5 s behind the question" sh -c \
    "[ \"\$(compare -metric AE '$work/first.png' '$work/second.png' null: 2>&1)\" != 0 ]"

mpris pause
check "a pause from MPRIS is told as PropertiesChanged while the question is open" \
    wait_until 30 sh -c "grep -A3 '\"PlaybackStatus\"' '$signals' | grep -q Paused"
question=$(dialog_window "$caption")
check "the question is still open" test -n "$question"
xdotool windowactivate --sync "$question" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
check "Cancel closes the question" wait_until 100 sh -c \
    "[ -z \"\$(xdotool search --all --onlyvisible --pid $morvane_pid --name '$caption')\" ]"
check "the program runs on" kill -0 "$morvane_pid"
finish
