# On a desktop whose tray speaks D-Bus, the tray's balloon is a notification, and the server
# may read markup in its body: a track's name there is text, never markup.
source "$(dirname "$0")/lib.sh"

bodies=$work/bodies.txt
: >"$bodies"
/usr/bin/python3 "$(dirname "$0")/notifications" "$bodies" &
started+=($!)
wait_until 50 sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetNameOwner string:org.kde.StatusNotifierWatcher'

a="$work/<b>bold<i>x.mp3"
make_mp3 "$a" 2
write_backup "$a"
start_morvane
check "the program starts" wait_started
win=$(main_window)
click() { xdotool mousemove --window "$win" "$1" "$2" sleep 0.1 click 1 sleep 0.3; }
click 16 87 # play, then stop: the track is open and stopped
check "the track plays" wait_until 50 sh -c '[ "$(playerctl -p morvane status)" = Playing ]'
click 41 97
check "and stops" wait_until 50 sh -c '[ "$(playerctl -p morvane status)" = Stopped ]'
click 240 78 # the second page of the menu: its second entry converts to WAV
sleep 1.2
click 248 54
decoding=""
wait_until 50 sh -c "xdotool search --all --onlyvisible --pid $morvane_pid --name '^Decoding\$'" &&
    decoding=$(dialog_window '^Decoding$')
check "the conversion window opens" test -n "$decoding"
xdotool windowactivate --sync "$decoding" >/dev/null 2>&1 || true
xdotool key --clearmodifiers space # its first button converts
check "the conversion ends with a notification" wait_until 150 test -s "$bodies"
check "whose body has the name as text ($(cat "$bodies"))" \
    grep -qF '&lt;b&gt;bold&lt;i&gt;x.wav' "$bodies"
check "and no markup from the name" sh -c "! grep -q '<b>' '$bodies'"
finish
