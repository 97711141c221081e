# What MPRIS says follows what the player does, not what the list holds: a track that plays on
# from an emptied list can be paused and stopped, nothing stopped and gone keeps Metadata or
# CanSeek, Seeked tells only of a position that moved, and xesam:url holds the name's own bytes
# (a Shift-JIS name, as old archives unpack them).
source "$(dirname "$0")/lib.sh"

sjis=$work/$(printf '\x83\x65\x83\x58\x83\x67').mp3
make_mp3 "$sjis" 60
write_backup "$sjis"

signals=$work/signals.log
dbus-monitor --session "type='signal',path='/org/mpris/MediaPlayer2'" >"$signals" 2>&1 &
started+=($!)

start_morvane
check "the program starts and joins the session bus" wait_started
win=$(main_window)

prop() {  # prop NAME: the player interface's property as gdbus prints it
    gdbus call --session --dest org.mpris.MediaPlayer2.morvane --object-path /org/mpris/MediaPlayer2 \
        --method org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$1" 2>/dev/null
}
prop_is() { [ "$(prop "$1")" = "$2" ]; }
status_is() { [ "$(mpris status)" = "$1" ]; }

url=$(mpris metadata xesam:url)
check "xesam:url names the file by its bytes" python3 -c '
import os, sys, urllib.parse
url = sys.argv[1]
assert url.startswith("file://"), url
assert "%83e%83X%83g" in url, url
assert os.path.exists(urllib.parse.unquote_to_bytes(url[7:])), url' "$url"

# SetPosition while stopped: any Seeked said must be where Position then is.
track=$(mpris metadata mpris:trackid)
gdbus call --session --dest org.mpris.MediaPlayer2.morvane --object-path /org/mpris/MediaPlayer2 \
    --method org.mpris.MediaPlayer2.Player.SetPosition "$track" 20000000 >/dev/null
sleep 0.5
position=$(prop Position | grep -o '[0-9]\+' | tail -1)
seeked_agree() {
    local value
    for value in $(grep -A1 "member=Seeked" "$signals" | grep -o 'int64 [0-9]\+' | cut -d' ' -f2); do
        ((value / 1000000 == position / 1000000)) || return 1
    done
}
check "a Seeked while stopped says the Position the player then gives ($position)" seeked_agree

mpris play
check "plays" wait_until 50 status_is Playing

# The list emptied while the track plays on: the playlist's row selected and deleted.
xdotool mousemove --window "$win" 240 42 click 1
list=
find_list() { list=$(xdotool search --all --onlyvisible --pid "$morvane_pid" --name '^PlayList' | head -1); [ -n "$list" ]; }
check "the playlist opens" wait_until 50 find_list
xdotool mousemove --window "$list" 300 80 click 1
sleep 0.5
[ -n "${MORVANE_SHOTS:-}" ] && import -window root "$MORVANE_SHOTS/mpris-list.png" 2>/dev/null
xdotool windowactivate --sync "$list" 2>/dev/null
xdotool key --clearmodifiers Delete
check "the list is empty" wait_until 50 prop_is CanGoNext "(<false>,)"
check "it still plays" status_is Playing
check "CanPause holds while it plays" wait_until 20 prop_is CanPause '(<true>,)'
mpris pause
check "a media key pauses it" wait_until 50 status_is Paused
mpris play
check "and resumes it" wait_until 50 status_is Playing
mpris stop
check "and stops it" wait_until 50 status_is Stopped
check "stopped with an empty list, no Metadata" wait_until 20 prop_is Metadata '(<@a{sv} {}>,)'
check "and no CanSeek" prop_is CanSeek '(<false>,)'
finish
