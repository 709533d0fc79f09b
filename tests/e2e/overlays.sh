#!/usr/bin/env bash
# What the saver writes over the water, on two monitors side by side
# (lib.sh): with Clock=2 the main monitor shows the time and the date as the
# user's locale writes them (US English here), read off the screen by OCR;
# with Monitors=1 the other monitor stays black; with Captions=1 a photo
# whose EXIF says when it was taken shows that date and its name in the
# lower left corner. Each check is a function of its own that takes the
# screenshot's piece of its monitor.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

# Wine takes the user's locale from the environment.
export LANG=en_US.UTF-8 LC_ALL=

MAIN="0 0 800 600"
MAIN_LOWER_LEFT="0 420 400 180"
OTHER="800 0 640 480"

# ocr_text FILE: the light text of a screenshot piece as tesseract reads it,
# on one line: only what is nearly white stays (the text, not the picture).
ocr_text() {
    local prepared=${1%.png}-ocr.png
    convert "$1" -colorspace gray -threshold 80% -negate -scale 200% "$prepared" || return 2
    tesseract "$prepared" - --psm 11 2>/dev/null | tr '\n' ' ' | tr -s ' '
}

# check_clock NAME PIECE BEFORE AFTER: the piece shows the time and the date
# of BEFORE or of AFTER (epoch seconds around the screenshot, which may fall
# on either side of a change of minute), as en-US writes them: "h:mm AM" and
# "Weekday, Month d, yyyy".
check_clock() {
    local name=$1 piece=$2 text moment time date
    text=$(ocr_text "$piece")
    echo "$text" >"$E2E_ARTIFACTS/$name.txt"
    for moment in "$3" "$4"; do
        time=$(LC_ALL=C date -d "@$moment" '+%-I:%M %p')
        date=$(LC_ALL=C date -d "@$moment" '+%A, %B %-d, %Y')
        if [[ $text == *"$time"* && $text == *"$date"* ]]; then
            e2e_pass "$name"
            return
        fi
    done
    e2e_fail "$name" "read \"$text\", not \"$time\" and \"$date\" (see $(basename "$piece"))"
}

# check_caption NAME PIECE: the caption of calm.jpg, taken on 12 August 2019
# (a Monday), in the user's long date format.
check_caption() {
    local name=$1 text
    text=$(ocr_text "$2")
    echo "$text" >"$E2E_ARTIFACTS/$name.txt"
    e2e_expect "$name" "read \"$text\" (see $(basename "$2"))" \
        test -n "$(grep -F 'calm' <<<"$text" | grep -F 'Monday, August 12, 2019')"
}

# check_black NAME PIECE: not a pixel lit.
check_black() {
    e2e_expect "$1" "lit at $(e2e_bbox "$2") in $(basename "$2")" test "$(e2e_bbox "$2")" = none
}

# piece SHOT NAME "X Y W H": the monitor's part of a screenshot.
piece() {
    local x y w h
    read -r x y w h <<<"$3"
    e2e_crop "$1" "${w}x${h}+${x}+${y}" "$2"
}

check_overlays() {
    local shot=$1 before=$2 after=$3
    check_clock overlays_clock_on_main_monitor "$(piece "$shot" overlays-main "$MAIN")" "$before" "$after"
    check_caption overlays_caption_under_picture "$(piece "$shot" overlays-caption "$MAIN_LOWER_LEFT")"
    check_black overlays_other_monitor_black "$(piece "$shot" overlays-other "$OTHER")"
}

e2e_start_two_monitors
# A calm photo, darker than the text, with no black in it, and the day it
# was taken in its EXIF block.
picture=$E2E_WORK/calm.jpg
convert -size 256x192 gradient:'#305070-#6080a0' -quality 95 "$E2E_WORK/plain.jpg" &&
    python3 "$(dirname "$0")/exif_jpeg.py" "$E2E_WORK/plain.jpg" "$picture" "2019:08:12 10:00:00" ||
    e2e_abort "could not make the JPEG"
saver=$(e2e_install_saver)
folder=$(dirname "$saver")
e2e_write_settings "$folder" "$(e2e_winpath "$picture")" 1
printf 'Clock=2\r\nMonitors=1\r\nCaptions=1\r\n' >>"$folder/Vitrane.ini"

# Only the main monitor shows water, so only it is waited for.
all_monitors=("${E2E_MONITORS[@]}")
E2E_MONITORS=("${all_monitors[0]}")
e2e_move_mouse 400 300
e2e_start_saver overlays_start "$saver" /s || e2e_finish
E2E_MONITORS=("${all_monitors[@]}")
job=$E2E_SAVER
# Clear of the clock's fades, out over the last half second of a minute and
# in over the first after it moves.
sleep 1
until second=$(date +%-S) && [ "$second" -ge 2 ] && [ "$second" -le 57 ]; do
    sleep 0.5
done
before=$(date +%s)
shot=$(e2e_screenshot overlays)
after=$(date +%s)
e2e_expect overlays_covers_every_monitor "a corner is not black" e2e_corners_black "$shot"
check_overlays "$shot" "$before" "$after"

e2e_key Escape
e2e_wait_job "$job" 5
e2e_expect overlays_ends_on_key "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}" test "$E2E_EXIT_CODE" = 0
e2e_finish
