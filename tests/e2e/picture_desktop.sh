#!/usr/bin/env bash
# The desktop snapshot (/s without a custom picture): the water surface shows
# the desktop as it was when the saver started, upright and not mirrored, at
# two screen sizes whose snapshots are stretched and shrunk differently
# (1024 x 768 into 1024 x 1024, 1280 x 720 into 1024 x 512).
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

check_desktop() {
    local w=$1 h=$2
    local tag=picture_desktop_${w}x${h}
    e2e_start_display "$w" "$h"
    picture_paint_desktop
    local saver
    saver=$(e2e_install_saver)
    picture_start_saver "$tag" "$saver" || return
    e2e_pass "${tag}_saver_shown"
    picture_check_upright "${tag}_upright" "$(e2e_screenshot "$tag")"
    picture_stop_saver
}

check_desktop 1024 768
check_desktop 1280 720
e2e_finish
