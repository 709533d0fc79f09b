#!/usr/bin/env bash
# The full-screen saver on two monitors side by side (lib.sh). Each monitor
# shows its own piece of the desktop upright, or the whole picture file, under
# a surface of its own placed where the camera puts it on a screen of that
# size, with black corners. The saver is topmost, stays while untouched, gives
# way (exit code 0) when another program comes to the front, and ends on a
# one-pixel move on the second monitor.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

# "name x y width height" and the colours of the quadrants the desktop shows
# there: on the second monitor the quadrant picture turned a quarter, which no
# mirroring of the first monitor's piece gives.
MONITORS=("primary 0 0 800 600 $PICTURE_RED $PICTURE_GREEN $PICTURE_BLUE $PICTURE_YELLOW"
    "second 800 0 640 480 $PICTURE_GREEN $PICTURE_YELLOW $PICTURE_RED $PICTURE_BLUE")

# run_saver TAG SAVER [whole]: /s, then per monitor the surface where the
# camera puts it, showing that monitor's piece of the desktop, or with "whole"
# the whole quadrant picture.
run_saver() {
    local tag=$1 shot entry name x y w h colours piece still=1
    # Only a picture file fades in; the desktop snapshot is drawn as it is.
    [ "${3:-}" = whole ] && still=""
    E2E_STILL_PICTURE=$still e2e_start_saver "$tag" "$2" /s || e2e_finish
    job=$E2E_SAVER
    shot=$(e2e_screenshot "$tag")
    for entry in "${MONITORS[@]}"; do
        read -r name x y w h colours <<<"$entry"
        piece=$(e2e_crop "$shot" "${w}x${h}+${x}+${y}" "$tag-$name")
        [ "${3:-}" = whole ] && colours=""
        picture_check_upright "${tag}_${name}_upright" "$piece" "$colours"
        e2e_check_surface_box "${tag}_${name}_surface_box" "$piece" "$w" "$h"
    done
}

expect_end() {
    e2e_wait_job "$job" 5
    e2e_expect "$1" "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}" test "$E2E_EXIT_CODE" = 0
}

e2e_start_two_monitors
desktop=$E2E_WORK/monitors.png
picture_make_quadrants "$E2E_WORK/primary.png" 800 600
picture_make_quadrants "$E2E_WORK/second.png" 480 640
convert -size 1440x600 xc:white "$E2E_WORK/primary.png" -composite \( "$E2E_WORK/second.png" -rotate -90 \) \
    -geometry +800+0 -composite "$desktop"
timeout 10 display -window root "$desktop" >/dev/null 2>&1

e2e_move_mouse 400 300
run_saver monitors_desktop "$(e2e_install_saver)"
e2e_expect monitors_topmost "not topmost" test "$(e2e_probe topmost "$E2E_SAVER_TITLE" | tr -d '\r')" = 1
# With no window manager, nothing of the start-up (taking the foreground
# included) may pass for another program coming to the front.
sleep 3
e2e_expect monitors_stays_untouched "ended on its own" e2e_job_running "$job"
e2e_probe --timeout 1000 front "another program" >/dev/null
expect_end monitors_gives_way_to_another_program

picture=$E2E_WORK/quadrants.bmp
picture_make_quadrants "BMP3:$picture" 256 192 || e2e_abort "could not make the BMP"
saver=$(e2e_install_saver)
e2e_write_settings "$(dirname "$saver")" "$(e2e_winpath "$picture")" 1
e2e_move_mouse 1100 200
run_saver monitors_picture "$saver" whole
e2e_nudge_mouse 1 0
expect_end monitors_ends_on_move_on_second_monitor
e2e_finish
