#!/usr/bin/env bash
# A display change while the full-screen saver runs: another program switches
# the screen from 800 x 600 to 1024 x 768 and back, as a resolution change or
# docking does. Each time the saver covers the whole new screen at once, black
# at every corner, the water where the camera puts it on a screen of that
# size, still showing the desktop it captured at start, and it keeps running
# until it is touched.
#
# Wine sends WM_DISPLAYCHANGE only for a change a Windows program makes
# itself (window_probe resolution), on an X screen whose size RandR can set:
# a nested Xephyr with RandR on.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

e2e_start_display 1200 900
number_file=$E2E_WORK/nested-display-number
Xephyr -displayfd 5 -screen 800x600 -nolisten tcp -noreset 5>"$number_file" >"$E2E_WORK/xephyr.log" 2>&1 &
E2E_DISPLAY_PID="$! $E2E_DISPLAY_PID"
e2e_wait_until 10 test -s "$number_file" || e2e_abort "Xephyr did not start: $(tail -3 "$E2E_WORK/xephyr.log")"
DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
e2e_start_wm_state
E2E_SCREEN_WIDTH=800
E2E_SCREEN_HEIGHT=600
E2E_MONITORS=("0,0,800,600")
e2e_paint_desktop

e2e_move_mouse 400 300
E2E_STILL_PICTURE=1 e2e_start_saver display_change_started "$(e2e_install_saver)" /s || e2e_finish
job=$E2E_SAVER

# change_to WIDTH HEIGHT: switches the screen and checks what the saver shows.
change_to() {
    local w=$1 h=$2 tag=display_change_${1}x${2} started shot
    e2e_probe resolution "${w}x${h}" >/dev/null || e2e_abort "$tag: the screen could not be switched"
    started=$(e2e_now_ms)
    E2E_SCREEN_WIDTH=$w
    E2E_SCREEN_HEIGHT=$h
    E2E_MONITORS=("0,0,$w,$h")
    e2e_deadline 5
    e2e_await "${tag}_covered" "the saver does not cover the ${w}x${h} screen (see frame.png)" e2e_frame_shown ||
        return
    e2e_pass "${tag}_covered"
    echo "$tag: covered $(($(e2e_now_ms) - started)) ms after the switch, screenshots included"
    e2e_expect "${tag}_window" "saver window at $(e2e_probe rect "$E2E_SAVER_TITLE" | tr -d '\r')" \
        e2e_wait_probe "0 0 $w $h" rect "$E2E_SAVER_TITLE"
    shot=$(e2e_screenshot "$tag")
    e2e_check_surface_box "${tag}_surface_box" "$shot" "$w" "$h"
    local share
    share=$(e2e_desktop_share "$shot")
    e2e_expect "${tag}_keeps_the_desktop" "only ${share}% of the surface has the desktop's colours" test "$share" -ge 50
}

change_to 1024 768
change_to 800 600
e2e_expect display_change_keeps_running "ended on its own" e2e_job_running "$job"
e2e_nudge_mouse 1 0
e2e_wait_job "$job" 5
e2e_expect display_change_ends_on_move "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}" \
    test "$E2E_EXIT_CODE" = 0
e2e_finish
