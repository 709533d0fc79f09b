#!/usr/bin/env bash
# The full-screen saver on two monitors side by side (800 x 600, the primary,
# and 640 x 480 at 800,0): each monitor shows its own piece of the desktop,
# upright, under a water surface of its own placed where the camera puts it on
# a screen of that monitor's size, with black around it. The saver is topmost,
# stays while untouched, and gives way (exit code 0) when another program
# comes to the front.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

# "name x y width height colours" per monitor.
MONITORS=(
    "primary 0 0 800 600 $PICTURE_QUADRANTS"
    "second 800 0 640 480 $PICTURE_QUADRANTS_SECOND"
)

# Each monitor's area of the root shows a quadrant picture of its own.
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

e2e_start_two_monitors
paint_monitors
saver=$(e2e_install_saver)
e2e_move_mouse 400 300
e2e_start_wine "$saver" /s
job=$E2E_JOB
started=$(e2e_now_ms)
if ! e2e_wait_for_window "$E2E_SAVER_TITLE" 20; then
    e2e_abort "no saver window within 20 s (exit code $(cat "$job/rc" 2>/dev/null || echo 'none, still running'))"
fi
if e2e_wait_until 10 monitors_corners_black; then
    e2e_pass "monitors_corners_black"
else
    e2e_fail "monitors_corners_black" "a monitor's corners are not black (see corners.png)"
fi
sleep 0.5
shot=$(e2e_screenshot monitors)
for entry in "${MONITORS[@]}"; do
    read -r name x y w h colours <<<"$entry"
    piece=$(e2e_crop "$shot" "${w}x${h}+${x}+${y}" "monitor-$name")
    picture_check_upright "monitors_${name}_shows_its_piece_upright" "$piece" "$colours"
    e2e_check_surface_box "monitors_${name}_surface_box" "$piece" "$w" "$h"
    e2e_check_surface_rings "monitors_${name}_surface_rings" "$piece" "$w" "$h"
done

e2e_expect monitors_topmost "the saver's window is not topmost" \
    test "$(e2e_probe topmost "$E2E_SAVER_TITLE" | tr -d '\r')" = 1

# No window manager here: nothing of the start-up, taking the foreground
# included, may count as another program coming to the front.
sleep "$(awk -v ms=$((started + 4000 - $(e2e_now_ms))) 'BEGIN { print (ms > 0 ? ms / 1000 : 0) }')"
if e2e_job_running "$job"; then
    e2e_pass "monitors_stays_untouched"
else
    e2e_fail "monitors_stays_untouched" "ended on its own with exit code $(cat "$job/rc")"
    e2e_finish
fi

e2e_probe --timeout 1000 front "another program" >/dev/null
if e2e_wait_job "$job" 5 && [ "$E2E_EXIT_CODE" = 0 ]; then
    e2e_pass "monitors_gives_way_to_another_program"
else
    e2e_fail "monitors_gives_way_to_another_program" "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}"
fi
e2e_finish
