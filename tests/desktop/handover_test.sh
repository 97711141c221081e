# A second start hands its files to the running instance: a file opened from a file manager
# while Morvane plays is added and played, a start without files raises the window, and only
# an instance that does not answer makes the start refuse.
source "$(dirname "$0")/lib.sh"

mkdir -p "$work/music/sub"
a=$work/music/a.mp3
b=$work/music/sub/b.mp3
c=$work/music/sub/c.mp3
make_mp3 "$a" 30
make_mp3 "$b" 30
make_mp3 "$c" 30
write_backup "$a"

start_morvane
check "the first start shows its window and joins the session bus" wait_started
win=$(main_window)
mpris play
check "the restored row plays" wait_until 100 sh -c '[ "$(playerctl -p morvane status)" = Playing ]'

# As a file manager would: relative names against the folder it starts the program in.
second_status=0
(cd "$work/music/sub" && timeout 20 "$MORVANE_BIN" b.mp3 ./c.mp3) >"$work/second.log" 2>&1 ||
    second_status=$?
check "the second start with files ends at once with status 0" [ "$second_status" -eq 0 ]
check "the second start says nothing" [ ! -s "$work/second.log" ]
check "the first handed file plays" wait_until 100 sh -c \
    "[ \"\$(playerctl -p morvane metadata xesam:url)\" = 'file://$b' ] &&
     [ \"\$(playerctl -p morvane status)\" = Playing ]"

xdotool windowminimize --sync "$win"
check "the main window is minimised" wait_until 50 sh -c "xprop -id $win WM_STATE | grep -q Iconic"
second_status=0
timeout 20 "$MORVANE_BIN" >"$work/second.log" 2>&1 || second_status=$?
check "a second start without files ends with status 0" [ "$second_status" -eq 0 ]
check "it brings the main window back" wait_until 50 window_viewable "$win"
check "the main window is the active one" wait_until 50 sh -c \
    "[ \"\$(xdotool getactivewindow)\" = $win ]"

# A frozen instance cannot take the files: then, and only then, the start is refused.
kill -STOP "$morvane_pid"
second_status=0
MORVANE_MESSAGES=stderr timeout 30 "$MORVANE_BIN" "$a" >"$work/second.log" 2>&1 || second_status=$?
kill -CONT "$morvane_pid"
check "a start that gets no answer is refused with the message" \
    grep -q "Morvaneの二重起動は出来ません！" "$work/second.log"
check "and ends with status 0" [ "$second_status" -eq 0 ]

# Local messages from anyone are bounded before they are believed: a list count of 4 billion
# in an 8-byte message, and a seek by the largest offset D-Bus carries.
runtime=${XDG_RUNTIME_DIR:-/tmp}
[ -d "$runtime" ] || runtime=/tmp
socket=$runtime/morvane-$(printf %s "$(cd "$MORVANE_HOME" && pwd)" | sha1sum | cut -c1-16)
check "the hand-over socket is there" [ -S "$socket" ]
python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])
s.sendall(bytes.fromhex("00000008fffffff0")); time.sleep(1); s.close()' "$socket"
dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.morvane \
    /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player.Seek int64:9223372036854775807
check "the instance still answers after both" wait_until 50 sh -c \
    '[ "$(playerctl -p morvane status)" = Playing ]'
check "and holds no more memory than a player needs" sh -c \
    "[ \$(awk '/VmHWM/ {print \$2}' /proc/$morvane_pid/status) -lt 2000000 ]"

kill -TERM "$morvane_pid"
check "the instance ends on SIGTERM" ended "$morvane_pid" 200
check "the backup keeps the old row and holds the handed files in order" backup_has "$a" "$b" "$c"
# The refused start had given up and closed its end before the instance woke to answer it.
check "the instance said nothing of its sockets on stderr" sh -c \
    "! grep -q 'QIODevice::\|QLocalSocket::\|QAbstractSocket::' '$work/morvane.log'"
finish
