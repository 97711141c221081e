# Media keys and desktop media widgets drive the player through MPRIS2: every playerctl
# command is checked against the program's state and the signals the desktop listens to.
source "$(dirname "$0")/lib.sh"

a=$work/a.mp3
b=$work/b.mp3
c=$work/c.mp3
make_mp3 "$a" 40 "Alpha Song" "Ada Artist" "First Album"
make_mp3 "$b" 40.5
make_mp3 "$c" 40 "Gamma" "Gil" "Third"
write_backup "$a" "$b" "$c"

signals=$work/signals.log
dbus-monitor --session "type='signal',path='/org/mpris/MediaPlayer2'" >"$signals" 2>&1 &
started+=($!)

start_morvane
check "the program starts and joins the session bus" wait_started
win=$(main_window)
sleep 0.3

status_is() { [ "$(mpris status)" = "$1" ]; }
signalled() { grep -A3 "\"$1\"" "$signals" | grep -q -- "$2"; }
seeked_signalled() { grep -q "member=Seeked" "$signals"; }
meta() { mpris metadata "$1"; }

check "stopped after start-up" status_is Stopped
supports_every_format() {
    local types
    types=$(dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.morvane \
        /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
        string:org.mpris.MediaPlayer2 string:SupportedMimeTypes) || return 1
    for t in audio/mpeg audio/flac audio/x-vorbis+ogg audio/x-opus+ogg audio/mp4 audio/x-wav \
        audio/x-aiff audio/x-mpegurl; do
        grep -qF "\"$t\"" <<<"$types" || return 1
    done
}
check "SupportedMimeTypes names every format played and the playlist" supports_every_format
check "row one's tag is the metadata" sh -c \
    "[ \"\$(playerctl -p morvane metadata xesam:title)\" = 'Alpha Song' ] &&
     [ \"\$(playerctl -p morvane metadata xesam:artist)\" = 'Ada Artist' ] &&
     [ \"\$(playerctl -p morvane metadata xesam:album)\" = 'First Album' ] &&
     [ \"\$(playerctl -p morvane metadata xesam:url)\" = 'file://$a' ] &&
     [ \"\$(playerctl -p morvane metadata mpris:length)\" = 40000000 ]"

mpris play-pause
check "play-pause plays" wait_until 50 status_is Playing
check "PropertiesChanged says Playing" wait_until 30 signalled PlaybackStatus Playing
mpris play-pause
check "play-pause pauses" wait_until 50 status_is Paused
check "PropertiesChanged says Paused" wait_until 30 signalled PlaybackStatus Paused
mpris play-pause
check "play-pause resumes" wait_until 50 status_is Playing

mpris next
check "next plays row two, titled by its row text without a tag" wait_until 50 sh -c \
    "[ \"\$(playerctl -p morvane metadata xesam:url)\" = 'file://$b' ] &&
     [ \"\$(playerctl -p morvane metadata xesam:title)\" = 'b.mp3' ] &&
     [ \"\$(playerctl -p morvane status)\" = Playing ]"
check "its length is told in microseconds" sh -c \
    '[ "$(playerctl -p morvane metadata mpris:length)" = 40500000 ]'
check "PropertiesChanged carries the new metadata" wait_until 30 \
    grep -q "file://$b" "$signals"
mpris previous
check "previous goes back to row one" wait_until 50 sh -c \
    "[ \"\$(playerctl -p morvane metadata xesam:url)\" = 'file://$a' ]"

mpris position 20
check "position moves the engine's clock" wait_until 50 sh -c \
    'p=$(playerctl -p morvane position); [ "${p%.*}" -ge 19 ] && [ "${p%.*}" -le 23 ]'
check "Seeked is signalled" wait_until 30 seeked_signalled
mpris pause
check "paused for a precise position" wait_until 50 status_is Paused
mpris position 30.25
check "the position keeps its milliseconds" wait_until 30 sh -c \
    'awk -v p="$(playerctl -p morvane position)" "BEGIN { exit !(p >= 30.2 && p < 30.3) }"'

mpris volume 0.35
check "volume sets the program's volume" wait_until 30 sh -c \
    '[ "$(playerctl -p morvane volume)" = 0.350000 ]'
check "PropertiesChanged says the volume" wait_until 30 signalled Volume "double 0.35"
# The main window's mute (right click on the volume digits) is seen too.
xdotool mousemove --window "$win" 195 19 click 3
check "the window's mute shows as volume 0" wait_until 30 sh -c \
    '[ "$(playerctl -p morvane volume)" = 0.000000 ]'
xdotool mousemove --window "$win" 195 19 click 3
check "and unmute as the volume before" wait_until 30 sh -c \
    '[ "$(playerctl -p morvane volume)" = 0.350000 ]'

mpris loop Track
check "loop Track is single repeat" wait_until 30 sh -c '[ "$(playerctl -p morvane loop)" = Track ]'
check "PropertiesChanged says Track" wait_until 30 signalled LoopStatus Track
mpris loop None
check "loop None is normal play" wait_until 30 sh -c '[ "$(playerctl -p morvane loop)" = None ]'
mpris shuffle On
check "shuffle On is random play" wait_until 30 sh -c '[ "$(playerctl -p morvane shuffle)" = On ]'
check "PropertiesChanged says Shuffle" wait_until 30 signalled Shuffle "boolean true"
mpris shuffle Off
check "shuffle Off goes back to the loop mode" sh -c \
    '[ "$(playerctl -p morvane shuffle)" = Off ] && [ "$(playerctl -p morvane loop)" = None ]'

mpris stop
check "stop stops" wait_until 50 status_is Stopped

# Quit from the desktop asks nothing and keeps the list.
rm -f "$MORVANE_HOME/listbu.bak"
dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.morvane \
    /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit
check "Quit ends the program without a question" ended "$morvane_pid" 200
check "Quit wrote the backup" backup_has "$a" "$b" "$c"
finish
