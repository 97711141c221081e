# The sound server goes away while a track plays (a restart, a crash): the user is told, time runs
# on silently, and the next track plays through the server again once it is back.
source "$(dirname "$0")/lib.sh"
export MORVANE_MESSAGES=stderr

a=$work/a.mp3
b=$work/b.mp3
make_mp3 "$a" 40
make_mp3 "$b" 40
write_backup "$a" "$b"

position() { playerctl -p morvane position 2>/dev/null | cut -d. -f1; }
streaming() { [ -n "$(pactl list short sink-inputs 2>/dev/null)" ]; }
past() {  # the position has reached $1 seconds
    local now
    now=$(position)
    [ -n "$now" ] && ((now >= $1))
}
advances() {  # the position moves on by at least a second in two
    local before after
    before=$(position)
    sleep 2
    after=$(position)
    [ -n "$before" ] && [ -n "$after" ] && ((after >= before + 1))
}

start_morvane
check "the program starts and joins the session bus" wait_until 100 sh -c 'playerctl -p morvane status'
playerctl -p morvane play
check "it plays through the sound server" wait_until 50 streaming

"$MORVANE_SESSION_SOUND" stop
check "the user is told the sound server went away" wait_until 50 \
    grep -q "サウンドサーバーとの接続が切れました" "$work/morvane.log"
check "time runs on without the server" advances
check "still playing" sh -c '[ "$(playerctl -p morvane status)" = Playing ]'

"$MORVANE_SESSION_SOUND" start
playerctl -p morvane next
check "the next track plays through the server again" wait_until 50 streaming
check "and its time runs" wait_until 80 past 3
check "the program is still running" kill -0 "$morvane_pid"
finish
