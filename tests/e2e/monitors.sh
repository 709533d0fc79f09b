#!/usr/bin/env bash
# The full-screen saver on two monitors side by side (800 x 600, the primary,
# and 640 x 480 at 800,0). Each monitor shows its own piece of the desktop,
# upright, under a water surface of its own placed where the camera puts it on
# a screen of that monitor's size, with black around it; with a picture file,
# each shows the whole picture. The saver is topmost, stays while untouched,
# gives way (exit code 0) when another program comes to the front, and ends
# on a one-pixel move on the second monitor.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

# "name x y width height colours" per monitor; each monitor's area of the
# desktop shows a quadrant picture of its own.
MONITORS=(
    "primary 0 0 800 600 $PICTURE_QUADRANTS"
    "second 800 0 640 480 $PICTURE_QUADRANTS_SECOND"
)

paint_monitors() {
    local desktop=$E2E_WORK/monitors-desktop.png entry name x y w h colours
    convert -size "${E2E_SCREEN_WIDTH}x${E2E_SCREEN_HEIGHT}" xc:white "$desktop"
    for entry in "${MONITORS[@]}"; do
        read -r name x y w h colours <<<"$entry"
        picture_make_quadrants "$E2E_WORK/$name.png" "$w" "$h" "$colours"
        convert "$desktop" "$E2E_WORK/$name.png" -geometry "+$x+$y" -composite "$desktop"
    done
    timeout 10 display -window root "$desktop" >/dev/null 2>&1
}

monitors_corners_black() {
    local file entry name x y w h
    file=$(e2e_screenshot corners)
    for entry in "${MONITORS[@]}"; do
        read -r name x y w h _ <<<"$entry"
        e2e_area_corners_black "$file" "$x" "$y" "$w" "$h" || return 1
    done
}

# start_saver TAG SAVER: /s, until every monitor's corners are black; sets job.
start_saver() {
    e2e_start_wine "$2" /s
    job=$E2E_JOB
    started=$(e2e_now_ms)
    e2e_wait_for_window "$E2E_SAVER_TITLE" 20 ||
        e2e_abort "no saver window within 20 s (exit code $(cat "$job/rc" 2>/dev/null || echo 'none, still running'))"
    e2e_wait_until 10 monitors_corners_black ||
        e2e_abort "a monitor's corners are not black (see corners.png)"
    e2e_pass "${1}_corners_black"
    sleep 0.5
}

# check_monitors TAG [COLOURS]: per monitor, the surface is where the camera
# puts it and shows the monitor's own piece, or the COLOURS quadrants.
check_monitors() {
    local tag=$1 shot entry name x y w h colours piece
    shot=$(e2e_screenshot "$tag")
    for entry in "${MONITORS[@]}"; do
        read -r name x y w h colours <<<"$entry"
        piece=$(e2e_crop "$shot" "${w}x${h}+${x}+${y}" "$tag-$name")
        picture_check_upright "${tag}_${name}_upright" "$piece" "${2:-$colours}"
        e2e_check_surface_box "${tag}_${name}_surface_box" "$piece" "$w" "$h"
        e2e_check_surface_rings "${tag}_${name}_surface_rings" "$piece" "$w" "$h"
    done
}

# expect_end NAME: the saver ends within 5 s with exit code 0.
expect_end() {
    if e2e_wait_job "$job" 5 && [ "$E2E_EXIT_CODE" = 0 ]; then
        e2e_pass "$1"
    else
        e2e_fail "$1" "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}"
    fi
}

e2e_start_two_monitors
paint_monitors

e2e_move_mouse 400 300
start_saver monitors_desktop "$(e2e_install_saver)"
check_monitors monitors_desktop
e2e_expect monitors_topmost "the saver's window is not topmost" \
    test "$(e2e_probe topmost "$E2E_SAVER_TITLE" | tr -d '\r')" = 1
# No window manager here: nothing of the start-up, taking the foreground
# included, may count as another program coming to the front.
sleep "$(awk -v ms=$((started + 4000 - $(e2e_now_ms))) 'BEGIN { print (ms > 0 ? ms / 1000 : 0) }')"
e2e_expect monitors_stays_untouched "ended on its own with exit code $(cat "$job/rc" 2>/dev/null)" \
    e2e_job_running "$job"
e2e_probe --timeout 1000 front "another program" >/dev/null
expect_end monitors_gives_way_to_another_program

picture=$E2E_WORK/quadrants.bmp
picture_make_quadrants "BMP3:$picture" 256 192 || e2e_abort "could not make the BMP"
saver=$(e2e_install_saver)
e2e_write_settings "$(dirname "$saver")" "$(e2e_winpath "$picture")" 1
e2e_move_mouse 1100 200
start_saver monitors_picture "$saver"
check_monitors monitors_picture "$PICTURE_QUADRANTS"
e2e_nudge_mouse 1 0
expect_end monitors_ends_on_move_on_second_monitor
e2e_finish
