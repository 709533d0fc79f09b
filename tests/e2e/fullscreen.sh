#!/usr/bin/env bash
# The full-screen saver (/s): it covers the whole screen, keeps moving, stays
# until it is touched, and draws the water surface where the rings' surface
# lies (lib.sh), over the desktop as it was when the saver started, upright
# and not mirrored, at two screen sizes of different shapes whose snapshots
# are stretched and shrunk differently (1024 x 768 into 1024 x 1024,
# 1280 x 720 into 1024 x 512).
#
# How the surface is found in a screenshot: the X desktop is painted with the
# quadrant picture (picture_checks.sh), which has no black pixel, and the
# saver clears to black. The surface shows the desktop snapshot, so the
# non-black pixels are exactly the surface, and the screen's corners, which
# the surface never reaches, are black only once the saver's output covers
# the desktop. (The built-in picture, with black parts, would make this box
# smaller; the scenario runs the saver from a folder with no settings file,
# so the desktop snapshot is what it shows.)
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

check_full_screen() {
    local w=$1 h=$2
    local tag=${w}x${h}
    e2e_start_display "$w" "$h"
    picture_paint_desktop
    e2e_move_mouse $((w / 2)) $((h / 2))
    local saver job
    saver=$(e2e_install_saver)
    # The desktop snapshot: nothing fades in.
    E2E_STILL_PICTURE=1 e2e_start_saver "fullscreen_${tag}_shown" "$saver" /s || return
    job=$E2E_SAVER
    e2e_pass "fullscreen_${tag}_shown"

    # About 15 frames apart: the rings have moved a quarter of their period.
    local first second changed
    first=$(e2e_screenshot "fullscreen-${tag}-1")
    sleep 0.25
    second=$(e2e_screenshot "fullscreen-${tag}-2")
    local shot
    for shot in 1 2; do
        local file=$first
        [ "$shot" = 2 ] && file=$second
        e2e_check_surface_box "fullscreen_${tag}_surface_box_$shot" "$file" "$w" "$h"
    done

    # Without settings the surface shows the desktop as it was at the start.
    picture_check_upright "fullscreen_${tag}_shows_desktop_upright" "$first"

    changed=$(e2e_diff_pixels "$first" "$second")
    if [ "$changed" -gt 100 ]; then
        e2e_pass "fullscreen_${tag}_animates"
    else
        e2e_fail "fullscreen_${tag}_animates" "only $changed pixels changed in 0.25 s"
    fi

    if e2e_job_running "$job"; then
        e2e_pass "fullscreen_${tag}_keeps_running"
    else
        e2e_fail "fullscreen_${tag}_keeps_running" "ended untouched with exit code $(cat "$job/rc")"
        return
    fi

    e2e_key space
    if e2e_wait_job "$job" 5 && [ "$E2E_EXIT_CODE" = 0 ]; then
        e2e_pass "fullscreen_${tag}_ends_on_key"
    else
        e2e_fail "fullscreen_${tag}_ends_on_key" "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}"
    fi
}

# With WaveStyle 1 the crossed waves ripple instead: their outline (the
# flat sheet's wider x spacing, twice the height range) lies outside the
# rings', whatever frame the screenshot catches.
check_crossed() {
    local w=$E2E_SCREEN_WIDTH h=$E2E_SCREEN_HEIGHT saver file verdict
    saver=$(e2e_install_saver)
    printf '[Vitrane settings]\r\nWaveStyle=1\r\n' >"$(dirname "$saver")/Vitrane.ini"
    E2E_STILL_PICTURE=1 picture_start_saver fullscreen_crossed "$saver" || return
    file=$(e2e_screenshot fullscreen-crossed)
    picture_stop_saver
    verdict=$(e2e_surface_box_verdict "$file" "$w" "$h")
    # Only a surface that is there can be out of place.
    if [ "$(e2e_bbox "$file")" = none ]; then
        e2e_fail fullscreen_crossed_drawn "no water in $(basename "$file")"
        return
    fi
    e2e_expect fullscreen_crossed_not_rings "the outline is the rings' ($verdict)" test "$verdict" != ok
}

check_full_screen 1024 768
check_full_screen 1280 720
check_crossed
e2e_finish
