#!/usr/bin/env bash
# What the saver writes over the water, on two monitors side by side
# (lib.sh): with Clock=2 the main monitor shows the time and the date as the
# user's locale (US English here) writes them, read off the screen by OCR;
# with Monitors=1 the other monitor stays black. Each check takes its
# monitor's piece of one screenshot: another overlay (a caption under the
# picture) adds its check and its line in check_overlays.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
# Wine takes the user's locale from the environment.
export LANG=en_US.UTF-8 LC_ALL=

MAIN="0 0 800 600"
OTHER="800 0 640 480"

# ocr_text FILE: what tesseract reads of the nearly white text of a piece
# (not of the darker picture), on one line.
ocr_text() {
    local prepared=${1%.png}-ocr.png
    convert "$1" -colorspace gray -threshold 80% -negate -scale 200% "$prepared" || return 2
    tesseract "$prepared" - --psm 11 2>/dev/null | tr '\n' ' ' | tr -s ' '
}

# check_clock NAME PIECE BEFORE AFTER: the piece shows the time and the date,
# as en-US writes them, of BEFORE or AFTER (epoch seconds around the
# screenshot, which may straddle a change of minute).
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

check_black() {
    e2e_expect "$1" "lit at $(e2e_bbox "$2") in $(basename "$2")" test "$(e2e_bbox "$2")" = none
}

# piece SHOT NAME "X Y W H": a monitor's part of the screenshot.
piece() {
    local x y w h
    read -r x y w h <<<"$3"
    e2e_crop "$1" "${w}x${h}+${x}+${y}" "$2"
}

check_overlays() {
    check_clock overlays_clock_on_main_monitor "$(piece "$1" overlays-main "$MAIN")" "$2" "$3"
    check_black overlays_other_monitor_black "$(piece "$1" overlays-other "$OTHER")"
}

e2e_start_two_monitors
# A calm picture with no black in it, darker than the text.
picture=$E2E_WORK/calm.bmp
convert -size 256x192 gradient:'#305070-#6080a0' -type TrueColor "BMP3:$picture" || e2e_abort "could not make the BMP"
saver=$(e2e_install_saver)
e2e_write_settings "$(dirname "$saver")" "$(e2e_winpath "$picture")" 1
printf 'Clock=2\r\nMonitors=1\r\n' >>"$(dirname "$saver")/Vitrane.ini"

# Only the main monitor shows water, so only it is waited for.
all_monitors=("${E2E_MONITORS[@]}")
E2E_MONITORS=("${all_monitors[0]}")
e2e_move_mouse 400 300
e2e_start_saver overlays_start "$saver" /s || e2e_finish
E2E_MONITORS=("${all_monitors[@]}")
# Clear of the clock's fades: in over its first half second, out over the
# last half second of each minute.
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
e2e_wait_job "$E2E_SAVER" 5
e2e_expect overlays_ends_on_key "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}" test "$E2E_EXIT_CODE" = 0
e2e_finish
