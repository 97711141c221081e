# The main window low on a 1024 x 768 screen, then in its middle: every tool window opens whole on
# the screen, and the playlist's first opening leaves the main window's buttons uncovered.
source "$(dirname "$0")/lib.sh"

a=$work/a.mp3
make_mp3 "$a" 60 Alpha Artist Album

click() {  # click X Y: a window pixel of the main window
    xdotool mousemove --window "$win" "$1" "$2" sleep 0.1 click 1 sleep 0.3
}
shown_id() { xdotool search --all --onlyvisible --pid "$morvane_pid" --name "$1" 2>/dev/null | head -1; }
# frame ID: "LEFT TOP RIGHT BOTTOM" of the window with the window manager's frame (right and
# bottom one past the last pixel).
frame() {
    local x y w h extents l=0 r=0 t=0 b=0
    read -r x y w h <<<"$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 }
        /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print x, y, w, h }')"
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ,)
    [ -n "$extents" ] && read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
}
on_screen() {  # on_screen ID
    local l t r b
    read -r l t r b <<<"$(frame "$1")"
    ((l >= 0 && t >= 0 && r <= 1024 && b <= 768))
}
# clear_of_main ID: the window's frame does not reach into the main window.
clear_of_main() {
    local l t r b ml mt mr mb
    read -r l t r b <<<"$(frame "$1")"
    read -r ml mt mr mb <<<"$(frame "$win")"
    ((r <= ml || l >= mr || b <= mt || t >= mb))
}
# open_whole CAPTION X Y: the menu entry at (X, Y) opens the window, which settles whole on the
# screen; the window's id is left in $tool.
open_whole() {
    click "$2" "$3"
    tool=""
    if ! wait_until 50 shown_id "$1"; then
        check "$1 opens" false
        return
    fi
    tool=$(shown_id "$1")
    sleep 0.6 # the window manager frames it, the program may place it again
    check "$1 lies whole on the screen ($(frame "$tool"))" on_screen "$tool"
}
turn_forward() { click 240 78; sleep 1.2; }

start_low() {  # start_low LEFT TOP: the program starts with its main window there
    export MORVANE_HOME=$work/home-$1-$2
    mkdir -p "$MORVANE_HOME"
    printf '[Window]\r\nMainLeft=%s\r\nMainTop=%s\r\n' "$1" "$2" >"$MORVANE_HOME/Property.ini"
    write_backup "$a"
    start_morvane
    check "the program starts" wait_started
    win=$(main_window)
}

start_low 0 618
check "the main window is at (0, 618) ($(frame "$win"))" [ "$(frame "$win" | cut -d' ' -f1,2)" = "0 618" ]
click 16 87 # plays the track, for the tag window
check "the track plays" wait_until 50 sh -c '[ "$(playerctl -p morvane status)" = Playing ]'
open_whole '^Graphic EQ$' 248 66
turn_forward
turn_forward
open_whole '^Tag Infomation$' 248 66
turn_forward
turn_forward
open_whole '^Document$' 248 42
open_whole '^Sound$' 248 66
# Back to the first page (one step past the last page wraps round).
turn_forward
open_whole '^PlayList' 248 42
[ -n "$tool" ] && check "the playlist leaves the main window uncovered" clear_of_main "$tool"
kill "$morvane_pid"
ended "$morvane_pid" 50 || true

# In the middle of the screen no side has room for the playlist's first size.
start_low 362 309
open_whole '^PlayList' 248 42
[ -n "$tool" ] && check "in the middle too the playlist leaves the main window uncovered" clear_of_main "$tool"
finish
