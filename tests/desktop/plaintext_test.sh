# A file name that looks like HTML is shown as written wherever the track's name shows: resting
# the pointer on the title, the tray icon or the playlist row never makes the program open the
# file the name points at (here a FIFO, which would freeze it for good).
source "$(dirname "$0")/lib.sh"

fifo=$work/trap.fifo
mkfifo "$fifo"
name="<img src=\"$(sed 's|/|\&#47;|g' <<<"$fifo")\"><b>x.mp3"
a=$work/$name
make_mp3 "$a" 60
write_backup "$a"

# Opening the FIFO for writing completes only when someone opens it to read.
opened=$work/opened
(exec 3>"$fifo" && : >"$opened") &
started+=($!)

start_morvane
check "the program starts with the list" wait_started
win=$(main_window)

# rest_on WINDOW X Y: the pointer stays there long enough for a tooltip.
rest_on() {
    xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 mousemove_relative 1 0 sleep 1.5
}
still_safe() { [ ! -e "$opened" ] && wait_until 30 mpris_ready; }

rest_on "$win" 140 106
check "a tooltip shows on the title" wait_until 20 sh -c \
    "xdotool search --onlyvisible --pid $morvane_pid --classname tooltip >/dev/null"
check "the title's tooltip does not open the file its name points at" still_safe

if wait_until 100 tray_icon; then
    rest_on "$(tray_icon)" 8 8
    check "the tray's tip does not open it" still_safe
else
    check "the tray icon is there" false
fi

# The playlist (the menu's first page, second entry) and its one row.
xdotool mousemove --window "$win" 240 42 click 1
list=
find_list() { list=$(xdotool search --all --onlyvisible --pid "$morvane_pid" --name '^PlayList' | head -1); [ -n "$list" ]; }
check "the playlist opens" wait_until 50 find_list
if [ -n "$list" ]; then
    # Below the tool bar and the header, the first row: each column in turn.
    for x in 250 300 420; do
        rest_on "$list" "$x" 80
    done
    check "the row's tooltip does not open it" still_safe
fi
finish
