# session: --screen 2048x1536
# The main window on a screen scaled by 2 and by 1.5: a click on every button and menu entry, a
# drag of the volume and of the position bar, and the window's drag each do what they do at 1x.
# The pointer is placed in the X server's device pixels, the window's pixel times the ratio.
source "$(dirname "$0")/lib.sh"

a=$work/a.mp3
b=$work/b.mp3
make_mp3 "$a" 60 Alpha Artist Album
make_mp3 "$b" 60 Beta Artist Album

# at X Y: the device pixel of the window's pixel (X, Y) at the current ratio.
at() { awk -v x="$1" -v y="$2" -v s="$scale" 'BEGIN { printf "%d %d", x * s + 0.5, y * s + 0.5 }'; }
click() {  # click X Y [BUTTON]
    # (a pause between clicks keeps two presses from reading as a double click)
    xdotool mousemove --window "$win" $(at "$1" "$2") sleep 0.1 click "${3:-1}" sleep 0.2
}
drag() {  # drag X1 Y1 X2 Y2: the left button held from one window pixel to the other
    xdotool mousemove --window "$win" $(at "$1" "$2") sleep 0.1 mousedown 1 sleep 0.2 \
        mousemove --window "$win" $(at "$3" "$4") sleep 0.3 mouseup 1 sleep 0.3
}
status_is() { [ "$(mpris status)" = "$1" ]; }
title_is() { [ "$(mpris metadata xesam:title)" = "$1" ]; }
# volume_is PERCENT
volume_is() { awk -v v="$(mpris volume)" -v want="$1" 'BEGIN { exit !(v != "" && int(v * 100 + 0.5) == want) }'; }
play_mode() { echo "$(mpris loop) $(mpris shuffle)"; }
not_play_mode() { [ "$(play_mode)" != "$1" ]; }
quit_caption="ﾌﾟﾛｸﾞﾗﾑの終了"
close_window() {  # close_window ID: as the window manager's Alt+F4 does
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    wait_until 50 sh -c "[ \"\$(xdotool getactivewindow)\" = $1 ]" || true
    xdotool key --clearmodifiers alt+F4
}
answer_question() {  # answer_question KEY: the key goes to the quit question
    local question
    question=$(dialog_window "$quit_caption")
    wait_until 50 sh -c "[ \"\$(xdotool getactivewindow)\" = $question ]" ||
        xdotool windowactivate --sync "$question" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers "$1"
}
# Playback position in whole seconds.
position() { mpris position | cut -d. -f1; }
position_near() { local p; p=$(position) && ((p >= $1 - 2 && p <= $1 + 2)); }
shown() { [ -n "$(xdotool search --all --onlyvisible --pid "$morvane_pid" --name "$1" 2>/dev/null)" ]; }
not_shown() { ! shown "$1"; }
# Where the main window's corner is on the screen, in device pixels.
place() { xwininfo -id "$win" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }'; }
place_is() { [ "$(place)" = "$1" ]; }
# move_window_to X Y: the window dragged by an empty spot until its corner is at (X, Y).
move_window_to() {
    local x y grab_x grab_y
    read -r x y <<<"$(place)"
    read -r grab_x grab_y <<<"$(at 150 60)"
    xdotool mousemove --window "$win" "$grab_x" "$grab_y" sleep 0.1 mousedown 1 sleep 0.2 \
        mousemove_relative -- $(($1 - x)) $(($2 - y)) sleep 0.3 mouseup 1 sleep 0.5
}

run_at() {  # run_at SCALE QUIT_X QUIT_Y
    scale=$1
    log "--- QT_SCALE_FACTOR=$scale"
    export MORVANE_HOME=$work/home$scale
    mkdir -p "$MORVANE_HOME"
    write_backup "$a" "$b"
    main_size="$(awk -v s="$scale" 'BEGIN { printf "%d %d", 300 * s, 150 * s }')"
    QT_SCALE_FACTOR=$scale start_morvane
    check "the program starts, its window $main_size device pixels" wait_started
    win=$(main_window)

    click 16 87
    check "play plays the first track" wait_until 50 title_is Alpha
    check "and it is playing" wait_until 50 status_is Playing
    click 233 103
    check "next goes to the second" wait_until 50 title_is Beta
    click 260 96
    check "previous goes back to the first" wait_until 50 title_is Alpha
    click 67 104
    check "pause pauses" wait_until 50 status_is Paused
    click 67 104
    check "pause again resumes" wait_until 50 status_is Playing
    click 41 97
    check "stop stops" wait_until 50 status_is Stopped
    click 16 87
    check "play plays again" wait_until 50 status_is Playing

    # The bar's 60 steps span the track: the cursor dragged up to step 30 seeks to 30 s.
    drag 81 75 81 50
    check "the position bar dragged to its middle seeks to 30 s ($(position) s)" \
        wait_until 30 position_near 30
    # Each window pixel of the drag is one step of volume, leftwards up.
    mpris volume 0.5
    drag 196 19 186 19
    check "the volume dragged 10 pixels left goes from 50 to 60" wait_until 20 volume_is 60
    drag 196 19 211 19
    check "and 15 pixels right to 45" wait_until 20 volume_is 45
    click 196 19 3
    check "a right click on the volume mutes" wait_until 20 volume_is 0
    click 196 19 3
    check "another brings it back" wait_until 20 volume_is 45

    # On this screen a window with its corner at device (1208, 360) is far from every edge.
    move_window_to 1208 360
    check "the window dragged into the middle stays where it was let go ($(place))" \
        wait_until 10 place_is "1208 360"
    sleep 0.5
    check "and stays there" place_is "1208 360"
    local y
    y=$(at 0 200 | cut -d' ' -f2)
    move_window_to "$(at 6 0 | cut -d' ' -f1)" "$y"
    check "let go 6 window pixels from the left edge it snaps to it ($(place))" \
        wait_until 10 place_is "0 $y"

    click 276 7
    check "the hide button hides the main window" wait_until 50 sh -c "! xwininfo -id $win | grep -q IsViewable"
    gdbus call --session --dest org.mpris.MediaPlayer2.morvane --object-path /org/mpris/MediaPlayer2 \
        --method org.mpris.MediaPlayer2.Raise >/dev/null
    check "raised, it is back" wait_until 50 window_viewable "$win"

    local mode
    mode=$(play_mode)
    click 248 54
    check "the play-mode entry changes the play mode (from $mode)" wait_until 20 not_play_mode "$mode"
    click 248 66
    check "the equaliser entry opens the equaliser" wait_until 50 shown '^Graphic EQ$'
    # A press while the page slides is ignored, so the entry below is pressed until it acts.
    click 240 78
    check "the page turns forward: its first entry opens the lyrics editor" \
        wait_until 50 eval 'click 248 42; shown "^Lyrics Editer$"'
    check "the playlist did not open" not_shown '^PlayList'
    # The editor covers the menu: it goes.
    close_window "$(xdotool search --all --onlyvisible --pid "$morvane_pid" --name '^Lyrics Editer$')"
    check "the lyrics editor closes" wait_until 50 not_shown '^Lyrics Editer$'
    click 244 30
    check "the page turns back: its first entry opens the playlist" \
        wait_until 50 eval 'click 248 42; shown "^PlayList"'

    click "$2" "$3"
    check "the quit button at ($2, $3) asks the quit question" wait_until 50 shown "$quit_caption"
    answer_question Return
    check "OK ends the program" ended "$morvane_pid" 100
}

run_at 2 292 9
run_at 1.5 285 86
finish
