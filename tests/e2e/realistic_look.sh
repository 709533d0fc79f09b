#!/usr/bin/env bash
# The realistic look (Look=1) over the test desktop: the desktop shows where
# it is (pixel for pixel while the water is still at the start, its blocks
# where they were once the waves have risen), the water moves, and its light
# (glints and caustics) brightens and darkens it here and there. Where the
# OpenGL at hand lacks GLSL (Mesa made to act an OpenGL 1.1 without the shader
# extensions), the same settings show the classic look instead, and the
# settings dialog says that the realistic look needs a newer OpenGL.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

W=1024
H=768
e2e_start_display $W $H
desktop=$(e2e_screenshot desktop)
saver=$(e2e_install_saver)
printf '[Vitrane settings]\r\nLook=1\r\n' >"$(dirname "$saver")/Vitrane.ini"

# realistic_drawn: a screenshot (realistic-start.png) that is not black.
realistic_drawn() {
    local file
    file=$(e2e_screenshot realistic-start)
    convert "$file" -format '%[fx:mean]' info: | awk '{ exit !($1 > 0.2) }'
}

# realistic_block_kept FILE X Y CHANNEL: the 41 x 41 pixels around (X, Y),
# well inside one of the desktop's one-coloured blocks, are still of that
# block's colour, however the light brightens or darkens them: CHANNEL (1 red,
# 2 green) leads the other two by 60 or more on average. Had the block moved
# away, the checkerboard's yellow and blue would show there.
realistic_block_kept() {
    local mean
    mean=$(convert "$1" -crop "41x41+$(($2 - 20))+$(($3 - 20))" +repage -scale '1x1!' \
        -format '%[fx:round(255*r)],%[fx:round(255*g)],%[fx:round(255*b)]' info:)
    awk -v c="$4" -v a="$mean" 'BEGIN {
        split(a, y, ",")
        for (k = 1; k <= 3; k++) if (k != c && y[c] - y[k] < 60) exit 1
    }'
}

# realistic_light FILE: "bright spread": the share (per thousand) of pixels
# brighter than any colour of the desktop (glints, the caustics' brightest
# bands), and the spread of brightness (per thousand) inside the red block,
# which is one colour on the desktop.
realistic_light() {
    local bright spread
    bright=$(convert "$1" -colorspace gray -threshold 93% -format '%[fx:round(1000*mean)]' info:)
    spread=$(convert "$1" -crop "$((W / 4 - 80))x$((H / 4 - 80))+40+40" +repage -colorspace gray \
        -format '%[fx:round(1000*standard_deviation)]' info:)
    echo "$bright $spread"
}

e2e_move_mouse $((W / 2)) $((H / 2))
e2e_start_watched "$saver" /s
job=$E2E_SAVER
if e2e_await realistic_shown "no window \"$E2E_SAVER_TITLE\"" e2e_window_shown "$E2E_SAVER_TITLE"; then
    e2e_pass realistic_shown
    # The first frames: the desktop before the waves rise (a second and a
    # half from the first frame). Screenshots as fast as they come from the
    # first one that is not the saver's black, judged afterwards.
    e2e_deadline 30
    shots=()
    if e2e_poll realistic_drawn; then
        shots=("$E2E_ARTIFACTS/realistic-start.png")
        for n in 1 2 3; do
            shots+=("$(e2e_screenshot "realistic-start-$n")")
        done
    fi
    least=$((W * H))
    for shot in "${shots[@]}"; do
        # Within 2 % a channel: the light's first faint change as the
        # waves begin to rise is no displacement.
        differing=$(compare -metric AE -fuzz 2% "$shot" "$desktop" null: 2>&1 | awk '{ printf "%d", $1 }')
        [ "$differing" -lt "$least" ] 2>/dev/null && least=$differing
    done
    e2e_expect realistic_still_at_start \
        "each of ${#shots[@]} first screenshots differs from the desktop in $least pixels or more" \
        test "$least" -lt $((W * H / 50))
    rm -f "${shots[@]:1}"
    sleep 3
    first=$(e2e_screenshot realistic-1)
    sleep 0.5
    second=$(e2e_screenshot realistic-2)
    # In place: the red block at the top left and the green one at the
    # bottom right, and no black bands.
    e2e_expect realistic_in_place "the blocks moved or changed colour (see realistic-1.png)" \
        realistic_block_kept "$first" $((W / 8)) $((H / 8)) 1
    e2e_expect realistic_in_place_bottom "the green block moved or changed colour (see realistic-1.png)" \
        realistic_block_kept "$first" $((W * 7 / 8)) $((H * 7 / 8)) 2
    e2e_expect realistic_fills_monitor "black corners: the picture does not fill the monitor (realistic-1.png)" \
        test "$(e2e_pixel "$first" 0 0)" != 0,0,0 -a "$(e2e_pixel "$first" $((W - 1)) $((H - 1)))" != 0,0,0
    moved=$(e2e_diff_pixels "$first" "$second")
    e2e_expect realistic_moving "only $moved pixels changed in half a second" test "$moved" -gt $((W * H / 100)) 2>/dev/null
    read -r bright spread <<<"$(realistic_light "$first")"
    e2e_expect realistic_lit "$bright per thousand pixels brighter than the desktop, brightness spread $spread per thousand in the red block (realistic-1.png)" \
        test "$bright" -ge 2 -a "$spread" -ge 20
fi
e2e_key space
e2e_wait_job "$job" 10 || e2e_fail realistic_ends "a key did not end the saver"

# The tier below: no GLSL. The classic look's trapezoid, not black.
export MESA_GL_VERSION_OVERRIDE=1.1
export MESA_EXTENSION_OVERRIDE="-GL_ARB_shader_objects -GL_ARB_shading_language_100 -GL_ARB_vertex_shader -GL_ARB_fragment_shader -GL_ARB_texture_non_power_of_two"
E2E_STILL_PICTURE=1 e2e_start_saver realistic_fallback_shown "$saver" /s && e2e_pass realistic_fallback_shown
fallback=$(e2e_screenshot fallback)
e2e_check_surface_box realistic_fallback_classic "$fallback" $W $H
share=$(e2e_desktop_share "$fallback")
e2e_expect realistic_fallback_desktop "only $share % of the surface shows the desktop (fallback.png)" test "$share" -ge 60
e2e_key space
e2e_wait_job "$E2E_SAVER" 10 || e2e_fail realistic_fallback_ends "a key did not end the saver"
# The dialog's line under its preview (IDC_PREVIEW_NAME) says why.
e2e_start_saver realistic_dialog_shown "$saver" /c
if e2e_wait_probe "The realistic look needs a newer OpenGL" text "$E2E_DIALOG_TITLE" 1010; then
    e2e_pass realistic_dialog_says_why
else
    e2e_fail realistic_dialog_says_why "the line under the preview: $(e2e_probe text "$E2E_DIALOG_TITLE" 1010)"
fi
e2e_kill_job "$E2E_SAVER"
unset MESA_GL_VERSION_OVERRIDE MESA_EXTENSION_OVERRIDE
e2e_finish
