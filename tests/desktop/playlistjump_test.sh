# A playlist of 5,000 rows searched by typing in the jump box, in Japanese and in Latin
# letters: hiragana typed finds a katakana title and a half-width file name, Enter plays the
# chosen row. MORVANE_SHOTS names a folder to keep the screenshots in.
source "$(dirname "$0")/lib.sh"

music=$work/music
mkdir -p "$music"
plain=$music/plain.mp3
make_mp3 "$plain" 1
make_mp3 "$music/sakura.mp3" 20 "サクラ" "春の楽団" "Spring"
make_mp3 "$music/night.mp3" 20 "Night Drive" "Midnight Crew" "Roads"
rows=()
for ((i = 1; i <= 5000; i++)); do
    name="$music/$(printf '%04d' "$i") track.mp3"
    ln "$plain" "$name"
    rows+=("$name")
done
# The wanted rows sit deep in the list; a half-width file name stands beside the title.
ln "$plain" "$music/ｻｸﾗ ﾗｲﾌﾞ.mp3"
rows[2999]=$music/sakura.mp3
rows[3999]=$music/night.mp3
rows[4499]="$music/ｻｸﾗ ﾗｲﾌﾞ.mp3"
write_backup "${rows[@]}"

shot() {
    [ -n "${MORVANE_SHOTS:-}" ] || return 0
    mkdir -p "$MORVANE_SHOTS"
    import -window root "$MORVANE_SHOTS/$1.png" 2>/dev/null || true
}
# xesam:url carries the path's bytes percent-encoded.
file_url() { python3 -c 'import sys, urllib.parse; print("file://" + urllib.parse.quote(sys.argv[1]))' "$1"; }
playing_url() { [ "$(mpris metadata xesam:url)" = "$(file_url "$1")" ] && [ "$(mpris status)" = Playing ]; }
jump_box() { dialog_window "曲へジャンプ"; }
list_window() { dialog_window "PlayList\\(曲数5000\\)"; }

start_morvane
check "the program starts with 5,000 rows" wait_started
win=$(main_window)
# Page 0, entry 1 of the menu panel shows the playlist window.
xdotool mousemove --window "$win" 240 41 click 1
check "the playlist window shows 5,000 rows" wait_until 100 sh -c '[ -n "$(xdotool search --all --onlyvisible --name "PlayList\(曲数5000\)" 2>/dev/null)" ]'
list=$(list_window)
xdotool windowactivate --sync "$list" >/dev/null 2>&1 || true
sleep 0.3
shot 1-playlist

open_box() {
    xdotool windowactivate --sync "$(list_window)" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers ctrl+j
    wait_until 50 sh -c '[ -n "$(xdotool search --all --onlyvisible --name "曲へジャンプ" 2>/dev/null)" ]'
}

# Types text into the jump box one character at a time and waits for the caption; xdotool
# remaps a spare key for each kana, and a busy X server can drop one typed in a burst, so the
# query is typed afresh (at most three times) until the caption counts what is wanted.
type_query() {  # type_query TEXT CAPTION
    local text=$1 caption=$2 try i
    for ((try = 0; try < 3; try++)); do
        xdotool windowactivate --sync "$(jump_box)" >/dev/null 2>&1 || true
        xdotool key --clearmodifiers ctrl+a BackSpace
        for ((i = 0; i < ${#text}; i++)); do
            xdotool type --delay 150 "${text:i:1}"
            sleep 0.2
        done
        if wait_until 300 sh -c "[ -n \"\$(xdotool search --all --onlyvisible --name '$caption' 2>/dev/null)\" ]"; then
            return 0
        fi
    done
    return 1
}

check "Ctrl+J opens the jump box" open_box
# The titles are read in the background; the caption counts the matches as they come.
check "hiragana matches the katakana title and the half-width file name" \
    type_query "さくら" "曲へジャンプ - 2/5000曲"
shot 2-typed-sakura
xdotool key --clearmodifiers Down
sleep 0.3
shot 3-second-match
xdotool key --clearmodifiers Return
check "hiragana found the half-width file name as second match and Enter played it" \
    wait_until 100 playing_url "$music/ｻｸﾗ ﾗｲﾌﾞ.mp3"
check "Enter closed the box" wait_until 30 sh -c '[ -z "$(xdotool search --all --onlyvisible --name "曲へジャンプ" 2>/dev/null)" ]'

check "Ctrl+J opens it again" open_box
xdotool windowactivate --sync "$(jump_box)" >/dev/null 2>&1 || true
type_query "さくら" "曲へジャンプ - 2/5000曲"
# The row chosen last time stays chosen while it matches; Up walks back to the first match.
xdotool key --clearmodifiers Up
sleep 0.3
xdotool key --clearmodifiers Return
check "the first match is the katakana title" wait_until 100 playing_url "$music/sakura.mp3"

check "J opens the box" sh -c 'xdotool windowactivate --sync "$(xdotool search --all --onlyvisible --name "PlayList\(曲数5000\)" | head -1)" >/dev/null 2>&1; xdotool key --clearmodifiers j; sleep 1; [ -n "$(xdotool search --all --onlyvisible --name "曲へジャンプ" 2>/dev/null)" ]'
check "Latin letters match one row" type_query "MIDNIGHT dri" "曲へジャンプ - 1/5000曲"
shot 4-typed-latin
xdotool key --clearmodifiers Return
check "Latin letters find the artist and title whatever their case" \
    wait_until 100 playing_url "$music/night.mp3"

check "Ctrl+J opens the box once more" open_box
xdotool windowactivate --sync "$(jump_box)" >/dev/null 2>&1 || true
xdotool type --delay 120 "zzz"
xdotool key --clearmodifiers Escape
check "Esc closes it" wait_until 30 sh -c '[ -z "$(xdotool search --all --onlyvisible --name "曲へジャンプ" 2>/dev/null)" ]'
sleep 0.5
check "and the track goes on" playing_url "$music/night.mp3"
finish
