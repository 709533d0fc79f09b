#!/usr/bin/env bash
# The preview (/p HWND): the saver becomes a child of the window whose handle
# it is given, fills it, draws the water surface at that window's size,
# draws nothing outside it, is not ended by the mouse or the keyboard, and
# ends with exit code 0 when that window is destroyed, at whatever moment,
# even while it is still starting. No window of its own ever shows outside the
# box. preview_host.exe plays the display settings' preview box.
#
# Where the drawing is read from: on Windows the saver's GL output shows
# inside the preview box. Wine 8 renders the GL output of a child window whose
# parent belongs to another process into an off-screen X window of the
# child's size (Composite redirection) and never copies it into the parent,
# which keeps showing its own background. So when the box on screen holds
# none of the saver's black background, the drawing is read from that
# off-screen window, found by its size among the unnamed X windows.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
if [ -z "$PREVIEW_HOST" ] || [ -z "$WINDOW_PROBE" ]; then
    e2e_abort "needs window_probe.exe and preview_host.exe"
fi

# The box: not the screen's shape, so a drawing made at the screen's size or
# shape would miss the expected outline.
box_x=96 box_y=64 box_w=360 box_h=240
host_title="Vitrane preview host"

host_says() {
    e2e_job_output "$host" | grep -q "$1"
}

# What the saver drew, as a picture of the box's size in NAME.png; prints its path.
saver_drawing() {
    local name=$1 screen crop
    screen=$(e2e_screenshot "$name-screen")
    crop=$(e2e_crop "$screen" "${box_w}x${box_h}+${box_x}+${box_y}" "$name-box")
    if [ "$(e2e_count_colour "$crop" 0,0,0)" -gt 0 ]; then
        echo "$crop"
        return
    fi
    local window info left top file=$E2E_ARTIFACTS/$name.png
    window=$(xwininfo -root -tree | awk -v size="${box_w}x${box_h}+" \
        '/\(has no name\): \(\)/ && index($0, size) { print $1; exit }')
    [ -n "$window" ] || return 1
    echo "    $name: the box on screen shows no drawing; read the saver's off-screen window $window" >&2
    info=$(xwininfo -id "$window")
    left=$(awk '/Absolute upper-left X:/ { print ($NF < 0 ? -$NF : 0) }' <<<"$info")
    top=$(awk '/Absolute upper-left Y:/ { print ($NF < 0 ? -$NF : 0) }' <<<"$info")
    # Only the part on the screen can be read; the window sits at (-1, -1),
    # so pad the lost top row and left column back with black.
    import -window "$window" "$file" 2>>"$E2E_WORK/import.log" || return 1
    convert "$file" -background black -gravity southeast \
        -extent "$(($(identify -format %w "$file") + left))x$(($(identify -format %h "$file") + top))" "$file"
    echo "$file"
}

e2e_start_display 1024 768
e2e_move_mouse 700 600
before=$(e2e_screenshot preview-before)
e2e_record_maps
saver=$(e2e_install_saver)
close_file=$E2E_WORK/close-preview
e2e_start_watched "$PREVIEW_HOST" "$box_x" "$box_y" "$box_w" "$box_h" "$(e2e_winpath "$saver")" \
    --close-when "$(e2e_winpath "$close_file")" --exit-timeout 5
host=$E2E_SAVER
e2e_await preview_attaches "the box got no child window" host_says '^attached' || e2e_finish
e2e_pass preview_attaches

# The saver's window: a visible child of the box with the box's own rectangle.
child=$(e2e_probe list "$host_title" | grep -F "\"$E2E_SAVER_TITLE\"" | head -1)
read -r _ visible _ x y w h _ <<<"$child"
if [ "${visible:-0}" = 1 ] && [ "$x $y $w $h" = "$box_x $box_y $box_w $box_h" ]; then
    e2e_pass preview_child_fills_box
else
    e2e_fail preview_child_fills_box "child of the box: ${child:-none} (wanted visible at $box_x $box_y $box_w $box_h)"
fi

# The water drawn, then drawn again elsewhere: it moves.
drawn() {
    first=$(saver_drawing preview-1) && [ "$(e2e_bbox "$first")" != none ]
}
moved() {
    second=$(saver_drawing preview-2 2>/dev/null) && [ "$(e2e_diff_pixels "$first" "$second")" -gt 20 ]
}
if e2e_await preview_draws "neither the box on screen nor an off-screen window of its size shows water" drawn; then
    e2e_check_surface_box preview_surface_box "$first" "$box_w" "$box_h"
    e2e_await preview_animates "the drawing never changed" moved && e2e_pass preview_animates
fi

# Outside the box the screen is the desktop as it was before.
after=$(e2e_screenshot preview-after)
outside_before=$(e2e_mask_rect "$before" "$box_x" "$box_y" "$box_w" "$box_h" preview-before-outside)
outside_after=$(e2e_mask_rect "$after" "$box_x" "$box_y" "$box_w" "$box_h" preview-after-outside)
changed=$(e2e_diff_pixels "$outside_before" "$outside_after")
if [ "$changed" = 0 ]; then
    e2e_pass preview_nothing_outside_box
else
    e2e_fail preview_nothing_outside_box "$changed pixels outside the box changed (preview-after.png)"
fi

# Mouse movement over and around the box, and a key, must not end a preview.
e2e_move_mouse $((box_x + box_w / 2)) $((box_y + box_h / 2))
e2e_nudge_mouse 1 0
e2e_nudge_mouse 0 5
e2e_move_mouse 800 700
e2e_key shift
sleep 1
if e2e_job_running "$host" && ! host_says 'ended before'; then
    e2e_pass preview_ignores_mouse_and_keys
else
    e2e_fail preview_ignores_mouse_and_keys "the saver ended: $(e2e_job_output "$host" | tail -1)"
fi

touch "$close_file"
if ! e2e_wait_job "$host" 15; then
    e2e_fail preview_ends_with_box "preview_host still running 15 s after the box was to be destroyed"
elif [ "$E2E_EXIT_CODE" = 0 ] && host_says '^saver exit code 0$'; then
    e2e_pass preview_ends_with_box
else
    e2e_fail preview_ends_with_box "preview_host exit code $E2E_EXIT_CODE: $(e2e_job_output "$host" | tail -1)"
fi

# The display settings close a preview whenever the selection changes: before
# the saver looks at its parent, while it attaches, or later.
for delay in 0 0.05 0.1 0.2 0.3 0.5 1; do
    # The saver's whole Wine start falls inside its time to end.
    out=$(e2e_run_wine 60 "$PREVIEW_HOST" "$box_x" "$box_y" "$box_w" "$box_h" "$(e2e_winpath "$saver")" \
        --close-after "$delay" --exit-timeout "${E2E_START_SECONDS:-45}")
    e2e_expect "preview_ends_when_box_goes_after_${delay}s" "preview_host: $(echo "$out" | tr '\n' ' ')" \
        grep -qx 'saver exit code 0' <<<"$out"
done
box_geometry="($box_x,$box_y), width $box_w, height $box_h"
framed=$(e2e_framed_maps_besides "$box_geometry")
# The box's own window shows that the recording saw the windows come.
e2e_expect preview_shows_no_window_of_its_own "X windows mapped besides the box: ${framed:-none, nor the box}" \
    eval '[ -z "$framed" ] && grep -qF "$box_geometry" "$E2E_WORK/maps.log"'

e2e_finish
