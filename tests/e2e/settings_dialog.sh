#!/usr/bin/env bash
# The settings mode (/c), driven from outside the saver as a person would: the
# dialog "Vitrane", the check box steering "Change a picture...", the live
# preview following the choice, OK saving into
# Vitrane.ini beside the saver, Cancel and the close box saving nothing, and
# a save that cannot be written reported in a box while the dialog stays open.
#
# A write that really fails: the tests run as root, for whom Wine writes even
# into a read-only folder or over a read-only file. A folder named
# Vitrane.ini where the file belongs cannot be written by anyone, nor can a
# per-user folder that is a file; the box names the per-user file, tried last.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/settings_checks.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"
[ -n "$WINDOW_PROBE" ] || e2e_abort "needs window_probe.exe"

error_title="Error"
# The static control that holds a message box's text.
box_text_id=0xFFFF

# expect_end NAME JOB: the saver ends, with exit code 0, once its dialog closed.
expect_end() {
    if ! e2e_wait_job "$2" 10; then
        e2e_fail "$1" "still running 10 s after the dialog was closed"
        e2e_kill_job "$2"
    elif [ "$E2E_EXIT_CODE" != 0 ]; then
        e2e_fail "$1" "exit code $E2E_EXIT_CODE"
    else
        e2e_pass "$1"
    fi
}

# expect_choice NAME TICKED ENABLED: the check box and the button show these.
expect_choice() {
    local name=$1 ticked=$2 enabled=$3
    if e2e_wait_probe "$ticked" checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" &&
        e2e_wait_probe "$enabled" enabled "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CHANGE_PICTURE"; then
        e2e_pass "$name"
    else
        e2e_fail "$name" "box checked $(e2e_probe checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE"), button enabled $(e2e_probe enabled "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CHANGE_PICTURE"); expected $ticked and $enabled"
    fi
}

check_dialog_and_ok() {
    local saver folder job
    saver=$(e2e_install_saver)
    folder=$(dirname "$saver")
    settings_start_dialog settings_shown "$saver" || return
    job=$SETTINGS_JOB
    e2e_pass settings_shown_dialog
    e2e_screenshot settings-dialog >/dev/null

    expect_choice settings_shown_unticked_without_file 0 0

    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    expect_choice settings_tick_enables_change 1 1
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    expect_choice settings_clear_disables_change 0 0
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    expect_choice settings_tick_again 1 1

    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_OK" >/dev/null
    expect_end settings_ok_ends "$job"
    if [ -f "$folder/Vitrane.ini" ] &&
        [ "$(settings_ini_value "$folder/Vitrane.ini" UseCustomPic)" = 1 ] &&
        [ "$(settings_ini_value "$folder/Vitrane.ini" CustomPicture)" = "" ]; then
        e2e_pass settings_ok_saves
    else
        e2e_fail settings_ok_saves "Vitrane.ini: $(tr '\r\n' '  ' <"$folder/Vitrane.ini" 2>/dev/null || echo missing)"
    fi

    # The next start shows what was saved.
    settings_start_dialog settings_reopened "$saver" || return
    job=$SETTINGS_JOB
    expect_choice settings_reopened_ticked 1 1
    e2e_probe close "$SETTINGS_DIALOG_TITLE" >/dev/null
    expect_end settings_reopened_close_box_ends "$job"
}

# check_leave_unsaved NAME HOW: tick the box, then leave by HOW (cancel or
# close); the settings file keeps its bytes.
check_leave_unsaved() {
    local name=$1 how=$2 saver folder job before
    saver=$(e2e_install_saver)
    folder=$(dirname "$saver")
    e2e_write_settings "$folder" 'D:\Pictures\lake.jpg' 0
    before=$(md5sum <"$folder/Vitrane.ini")
    settings_start_dialog "$name" "$saver" || return
    job=$SETTINGS_JOB
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    expect_choice "${name}_ticked" 1 1
    if [ "$how" = cancel ]; then
        e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CANCEL" >/dev/null
    else
        e2e_probe close "$SETTINGS_DIALOG_TITLE" >/dev/null
    fi
    expect_end "${name}_ends" "$job"
    e2e_expect "${name}_writes_nothing" "Vitrane.ini changed: $(tr '\r\n' '  ' <"$folder/Vitrane.ini")" \
        test "$(md5sum <"$folder/Vitrane.ini")" = "$before"
}

# The preview runs the saver's scene with the choice as it stands: rings over
# the desktop snapshot, where the camera puts them in a window of the
# preview's size, moving; the built-in picture as soon as "Custom picture" is
# ticked (no file is stored), before OK.
check_preview() {
    local saver job geometry first second ticked share
    saver=$(e2e_install_saver)
    settings_start_dialog settings_preview "$saver" || return
    job=$SETTINGS_JOB
    # The preview covers the placeholder inside its one-pixel edge.
    set -- $(e2e_probe rect "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_PREVIEW" | tr -d '\r')
    local w=$(($3 - 2)) h=$(($4 - 2))
    geometry="${w}x${h}+$(($1 + 1))+$(($2 + 1))"
    preview() { e2e_crop "$(e2e_screenshot "settings-$1")" "$geometry" "$1"; }
    # Each wait ends on the first look that shows what is expected.
    shows_desktop() { first=$(preview preview-desktop-1) && [ "$(e2e_desktop_share "$first")" -ge 50 ]; }
    moved() { second=$(preview preview-desktop-2) && [ "$(e2e_diff_pixels "$first" "$second")" -gt 50 ]; }
    # Lit, and with the built-in picture's face in it.
    shows_builtin() {
        ticked=$(preview preview-builtin) && [ "$(e2e_desktop_share "$ticked")" -le 5 ] &&
            [ "$(picture_count_near "$ticked" "$PICTURE_FACE_YELLOW")" -gt $((w * h / 50)) ]
    }
    e2e_deadline 20
    if e2e_await settings_preview_shows_desktop "no water over the desktop in the preview" shows_desktop; then
        e2e_pass settings_preview_shows_desktop
        e2e_check_surface_box settings_preview_surface_box "$first" "$w" "$h"
        e2e_await settings_preview_animates "the preview never changed" moved && e2e_pass settings_preview_animates
    fi

    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    e2e_deadline 20
    e2e_await settings_preview_follows_choice "the preview never showed the built-in picture" shows_builtin &&
        e2e_pass settings_preview_follows_choice
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CANCEL" >/dev/null
    expect_end settings_preview_cancel_ends "$job"
}

check_save_failure() {
    local saver folder job
    saver=$(e2e_install_saver)
    folder=$(dirname "$saver")
    mkdir "$folder/Vitrane.ini"
    local user_folder
    user_folder=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Vitrane
    rm -rf "$user_folder" && touch "$user_folder"
    settings_start_dialog settings_save_failure "$saver" || return
    job=$SETTINGS_JOB
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    expect_choice settings_save_failure_ticked 1 1
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_OK" >/dev/null

    e2e_deadline 20
    if ! e2e_await settings_save_failure_reported "no \"$error_title\" box" e2e_window_up "$error_title"; then
        e2e_kill_job "$job"
        return
    fi
    e2e_screenshot settings-save-failure >/dev/null
    local text ini_path
    text=$(e2e_probe text "$error_title" "$box_text_id" | tr -d '\r')
    ini_path='C:\users\'"$(id -un)"'\AppData\Roaming\Vitrane\Vitrane.ini'
    # Wine names the drive's root in upper or lower case alike.
    if printf '%s' "$text" | tr -d '\n' | grep -qiF -- "$ini_path"; then
        e2e_pass settings_save_failure_names_file
    else
        e2e_fail settings_save_failure_names_file "box text \"$text\" does not name $ini_path"
    fi
    e2e_probe click "$error_title" 1 >/dev/null
    e2e_probe --timeout 5000 gone "$error_title" >/dev/null

    if e2e_job_running "$job" && e2e_probe --timeout 2000 wait "$SETTINGS_DIALOG_TITLE" >/dev/null; then
        e2e_pass settings_save_failure_keeps_dialog
    else
        e2e_fail settings_save_failure_keeps_dialog "the dialog closed after a save that failed"
        return
    fi
    expect_choice settings_save_failure_keeps_choice 1 1
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CANCEL" >/dev/null
    expect_end settings_save_failure_cancel_ends "$job"
    e2e_expect settings_save_failure_file_untouched "Vitrane.ini is no longer a folder" test -d "$folder/Vitrane.ini"
    rm -f "$user_folder"
}

e2e_start_display 1024 768
check_dialog_and_ok
check_preview
check_leave_unsaved settings_cancel cancel
check_leave_unsaved settings_close_box close
check_save_failure
e2e_finish
