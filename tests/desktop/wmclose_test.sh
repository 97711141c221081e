# Closing the main window from the window manager (Alt+F4) is a quit: the question, Cancel
# keeps playing, OK writes the backup and ends the program.
source "$(dirname "$0")/lib.sh"

a=$work/a.mp3
make_mp3 "$a" 30
start_morvane "$a"
check "the program starts and plays the file" wait_started
check "it plays" wait_until 100 sh -c '[ "$(playerctl -p morvane status)" = Playing ]'
win=$(main_window)
caption="ﾌﾟﾛｸﾞﾗﾑの終了"

close_by_window_manager() {
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
    # On a busy machine the window manager may hand over the focus late: the key goes to the
    # main window only once it is the active one.
    wait_until 50 sh -c "[ \"\$(xdotool getactivewindow)\" = $win ]" || true
    xdotool key --clearmodifiers alt+F4
}

# The question has the keyboard: the key answers it.
answer_question() {
    local question
    question=$(dialog_window "$caption")
    wait_until 50 sh -c "[ \"\$(xdotool getactivewindow)\" = $question ]" ||
        xdotool windowactivate --sync "$question" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers "$1"
}

close_by_window_manager
check "Alt+F4 asks the quit question" wait_until 100 sh -c "[ -n \"\$(xdotool search --all --onlyvisible --pid $morvane_pid --name '$caption')\" ]"
answer_question Escape
check "Cancel closes the question" wait_until 100 sh -c "[ -z \"\$(xdotool search --all --onlyvisible --pid $morvane_pid --name '$caption')\" ]"
sleep 0.5
check "after Cancel the program still runs" kill -0 "$morvane_pid"
check "after Cancel the main window is still shown" window_viewable "$win"
check "after Cancel the music still plays" sh -c '[ "$(playerctl -p morvane status)" = Playing ]'

rm -f "$MORVANE_HOME/listbu.bak"
close_by_window_manager
check "Alt+F4 asks again" wait_until 100 sh -c "[ -n \"\$(xdotool search --all --onlyvisible --pid $morvane_pid --name '$caption')\" ]"
answer_question Return
check "OK ends the program" ended "$morvane_pid" 200
check "OK wrote the backup" backup_has "$a"
check "the player left the session bus" wait_until 50 sh -c '! playerctl -l 2>/dev/null | grep -q morvane'
finish
