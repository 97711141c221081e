# A tray that comes and goes: a panel started after Morvane (while stopped) gets the icon, the
# hide button then hides the windows and the icon's left click brings them back; the icon
# returns after the panel restarts.
source "$(dirname "$0")/lib.sh"

"$MORVANE_SESSION_TRAY" stop
a=$work/a.mp3
make_mp3 "$a" 30
write_backup "$a"
start_morvane
check "the program starts without a tray" wait_started
win=$(main_window)
check "it is stopped" sh -c '[ "$(playerctl -p morvane status)" = Stopped ]'

click_icon() {  # click_icon [REPEAT]
    # (--sync would wait for a pointer that is already there)
    xdotool mousemove --window "$(tray_icon)" 8 8 sleep 0.2 click --repeat "${1:-1}" --delay 80 1
}

sleep 5
"$MORVANE_SESSION_TRAY" start
check "the icon appears in a tray started 5 s later" wait_until 100 tray_icon

xdotool mousemove --window "$win" 275 7 sleep 0.2 click 1
check "the hide button hides the main window" wait_until 50 sh -c "! xwininfo -id $win | grep -q IsViewable"
click_icon
check "a left click on the icon brings the main window back" wait_until 50 window_viewable "$win"
sleep 0.6  # not a double click with the click before
click_icon
check "another left click hides it again" wait_until 50 sh -c "! xwininfo -id $win | grep -q IsViewable"
sleep 0.6  # not a double click with the click before
click_icon 2
check "a double click shows it" wait_until 50 window_viewable "$win"

"$MORVANE_SESSION_TRAY" stop
"$MORVANE_SESSION_TRAY" start
check "the icon returns after the panel restarts" wait_until 100 tray_icon
finish
