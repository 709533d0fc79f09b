#!/usr/bin/env bash
# The full-screen saver (/s): it covers the whole screen, keeps moving, stays
# until it is touched, and draws the water surface exactly where the fixed
# camera puts it, at two screen sizes of different shapes.
#
# How the surface is found in a screenshot: the X desktop is painted with a
# picture that has no black pixel (lib.sh), and the saver clears to black. The
# surface shows either the desktop snapshot (no black in it) or, where no
# picture is loaded, plain white; so in every case the non-black pixels are
# exactly the surface, and the screen's corners, which the surface never
# reaches, are black only once the saver's output covers the desktop.
# (A picture with black parts, the built-in one, would make this box
# smaller; the scenario runs the saver from a folder with no settings file,
# so the desktop snapshot is what it shows.)
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

check_full_screen() {
    local w=$1 h=$2
    local tag=${w}x${h}
    e2e_start_display "$w" "$h"
    e2e_move_mouse $((w / 2)) $((h / 2))
    local saver job
    saver=$(e2e_install_saver)
    e2e_start_saver "fullscreen_${tag}_shown" "$saver" /s || return
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
        e2e_check_surface_rings "fullscreen_${tag}_surface_rings_$shot" "$file" "$w" "$h"
    done

    # Without settings the surface shows the desktop as it was at the start.
    local share
    share=$(e2e_desktop_share "$first")
    if [ "$share" -ge 50 ]; then
        e2e_pass "fullscreen_${tag}_shows_desktop"
    else
        e2e_fail "fullscreen_${tag}_shows_desktop" "only ${share}% of the surface has the desktop's colours"
    fi

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
# flat sheet's wider x spacing, twice the height range) fits no moment of the
# rings, whatever frame the screenshot catches.
check_crossed() {
    local w=$E2E_SCREEN_WIDTH h=$E2E_SCREEN_HEIGHT saver file box fit
    saver=$(e2e_install_saver)
    printf '[Vitrane settings]\r\nWaveStyle=1\r\n' >"$(dirname "$saver")/Vitrane.ini"
    picture_start_saver fullscreen_crossed "$saver" || return
    file=$(e2e_screenshot fullscreen-crossed)
    picture_stop_saver
    # Only a surface that is there can fail to fit.
    box=$(e2e_bbox "$file")
    if [ "$box" = none ] || [ "$(e2e_desktop_share "$file")" -lt 50 ]; then
        e2e_fail fullscreen_crossed_drawn "no water over the desktop in $(basename "$file")"
        return
    fi
    fit=$(e2e_fit_surface_phase "$w" "$h" "$box")
    e2e_expect fullscreen_crossed_not_rings "the outline fits the rings ($fit: phase, pixels off)" \
        awk -v f="$fit" 'BEGIN { split(f, p, " "); exit !(p[2] > 8) }'
}

check_full_screen 1024 768
check_full_screen 1280 720
check_crossed
e2e_finish
