#!/usr/bin/env bash
# What the settings dialog saves is what the next full-screen start shows.
# Ticking "Custom picture" and pressing OK keeps the picture already stored
# (a path relative to the saver's folder), and the next /s draws it instead
# of the desktop. A picture chosen in the real file dialog, typed in as a
# person would, is saved with its full path and drawn the same way. A file
# dialog left with Cancel turns the custom picture off again and keeps the
# stored path. A standard user whose program folder is read-only saves into
# their own file and sees it next time; the stored picture kept comes from the
# administrator's file beside the saver.
#
# A policy in the user's registry (REG_EXPAND_SZ, its variable expanded)
# names another picture: /s and the dialog's preview show it over the user's
# own, the dialog disables the file button and says the setting is managed,
# and OK keeps the file's own value.
#
# The pictures are single colours that the test desktop does not have, so a
# screenshot tells at once which source the surface shows.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/settings_checks.sh"
e2e_init "$@"
[ -n "$WINDOW_PROBE" ] || e2e_abort "needs window_probe.exe"

open_title="Open"

lake_colour="160,32,240"
sea_colour="16,176,160"
# One of the test desktop's two board colours.
desktop_colour="255,208,64"

# make_picture FILE R,G,B: a 64 x 64 24-bit BMP of one colour.
make_picture() {
    convert -size 64x64 "xc:rgb($2)" -type TrueColor "BMP3:$1"
}

# near_colour_share FILE R,G,B: the per mille of pixels within a few steps of
# the colour (texture filtering may round a channel by one or two).
near_colour_share() {
    convert "$1" \( +clone -fill "rgb($2)" -colorize 100 \) -compose difference -composite \
        -colorspace gray -threshold 3% -format '%[fx:round((1 - mean) * 1000)]\n' info:
}

# install_lake_saver FLAG: a saver copy with lake.bmp beside it, stored in
# its settings as ".\lake.bmp" with UseCustomPic FLAG; prints the saver's path.
install_lake_saver() {
    local saver folder
    saver=$(e2e_install_saver) || return 1
    folder=$(dirname "$saver")
    make_picture "$folder/lake.bmp" "$lake_colour"
    e2e_write_settings "$folder" '.\lake.bmp' "$1"
    echo "$saver"
}

# tick_custom_picture NAME: ticks "Custom picture". False, with the saver
# ended and NAME_tick failed, when the box does not become ticked.
tick_custom_picture() {
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    if ! e2e_wait_probe 1 checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE"; then
        e2e_fail "${1}_tick" "the box did not become ticked"
        e2e_kill_job "$SETTINGS_JOB"
        return 1
    fi
}

# open_file_dialog NAME: "Change a picture..." brings up the file dialog.
# False, with the saver ended and NAME_file_dialog failed, when it does not.
open_file_dialog() {
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CHANGE_PICTURE" >/dev/null
    e2e_deadline 20
    if ! e2e_await "${1}_file_dialog" "no \"$open_title\" window" e2e_window_up "$open_title"; then
        e2e_kill_job "$SETTINGS_JOB"
        return 1
    fi
}

# press_ok NAME: OK, and the saver ends with exit code 0.
press_ok() {
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_OK" >/dev/null
    if e2e_wait_job "$SETTINGS_JOB" 10 && [ "$E2E_EXIT_CODE" = 0 ]; then
        e2e_pass "${1}_ok_ends"
    else
        e2e_fail "${1}_ok_ends" "exit code ${E2E_EXIT_CODE:-none (still running after 10 s)}"
        e2e_kill_job "$SETTINGS_JOB"
        return 1
    fi
}

# expect_saved NAME FOLDER PICTURE FLAG
expect_saved() {
    local file=$2/Vitrane.ini picture flag
    picture=$(settings_ini_value "$file" CustomPicture)
    flag=$(settings_ini_value "$file" UseCustomPic)
    if [ "$picture" = "$3" ] && [ "$flag" = "$4" ]; then
        e2e_pass "${1}_saved"
    else
        e2e_fail "${1}_saved" "CustomPicture \"$picture\", UseCustomPic \"$flag\"; expected \"$3\" and \"$4\""
    fi
}

# expect_full_screen_shows NAME SAVER R,G,B: the next /s start draws the
# surface in that colour, and nothing of the desktop.
expect_full_screen_shows() {
    local name=$1 saver=$2 colour=$3 job shot share desktop
    e2e_move_mouse 512 384
    if ! e2e_start_saver "${name}_full_screen" "$saver" /s; then
        e2e_kill_job "$E2E_SAVER"
        return
    fi
    job=$E2E_SAVER
    shot=$(e2e_screenshot "$name-full-screen")
    share=$(near_colour_share "$shot" "$colour")
    desktop=$(near_colour_share "$shot" "$desktop_colour")
    # The surface covers well over a fifth of the screen.
    if [ "$share" -ge 200 ] && [ "$desktop" -le 1 ]; then
        e2e_pass "${name}_full_screen_shows_picture"
    else
        e2e_fail "${name}_full_screen_shows_picture" "picture colour $share per mille, desktop colour $desktop per mille (see $(basename "$shot"))"
    fi
    e2e_key space
    e2e_wait_job "$job" 5 || e2e_kill_job "$job"
}

check_tick_keeps_stored_picture() {
    local name=settings_tick_and_ok saver folder
    saver=$(install_lake_saver 0)
    folder=$(dirname "$saver")
    settings_start_dialog "$name" "$saver" || return
    tick_custom_picture "$name" || return
    press_ok "$name" || return
    expect_saved "$name" "$folder" '.\lake.bmp' 1
    expect_full_screen_shows "$name" "$saver" "$lake_colour"
}

# The file-name box has the focus when the file dialog opens; X sends the
# keys to the window under the pointer.
type_into_file_dialog() {
    local text=$1 x y width height
    read -r x y width height < <(e2e_probe rect "$open_title" | tr -d '\r')
    e2e_move_mouse $((x + width / 2)) $((y + height / 2))
    xdotool type --delay 20 "$text"
}

check_chosen_picture() {
    local name=settings_chosen saver folder sea
    saver=$(e2e_install_saver)
    folder=$(dirname "$saver")
    sea=$E2E_WORK/pictures/sea.bmp
    mkdir -p "$(dirname "$sea")"
    make_picture "$sea" "$sea_colour"
    settings_start_dialog "$name" "$saver" || return
    tick_custom_picture "$name" || return
    open_file_dialog "$name" || return
    e2e_pass "${name}_file_dialog"
    local filter
    filter=$(e2e_probe list "$open_title" | tr -d '\r' | awk -F'"' '$2 == "ComboBox" && $4 ~ /^All pictures/ { print $4 }')
    e2e_expect "${name}_file_dialog_filter" "no \"All pictures \" filter shown" test "$filter" = "All pictures "

    local path
    path=$(e2e_winpath "$sea")
    type_into_file_dialog "$path"
    e2e_screenshot "$name-file-dialog" >/dev/null
    xdotool key Return
    if ! e2e_probe --timeout 5000 gone "$open_title" >/dev/null; then
        e2e_fail "${name}_file_dialog_closes" "the file dialog stayed open (see $name-file-dialog.png)"
        e2e_kill_job "$SETTINGS_JOB"
        return
    fi
    e2e_expect "${name}_keeps_box_ticked" "the box was cleared after a file was chosen" \
        e2e_wait_probe 1 checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE"
    press_ok "$name" || return
    expect_saved "$name" "$folder" "$path" 1
    expect_full_screen_shows "$name" "$saver" "$sea_colour"
}

check_file_dialog_cancelled() {
    local name=settings_file_dialog_cancel saver folder
    saver=$(install_lake_saver 1)
    folder=$(dirname "$saver")
    settings_start_dialog "$name" "$saver" || return
    open_file_dialog "$name" || return
    # The dialog is handed the stored path; Wine's opens in its folder (the
    # current one, for a relative path) with the file's name in the box.
    local shown
    shown=$(e2e_probe list "$open_title" | tr -d '\r' | awk -F'"' '$2 == "Edit" { print $4; exit }')
    case $shown in
    lake.bmp | '.\lake.bmp') e2e_pass "${name}_starts_from_stored" ;;
    *) e2e_fail "${name}_starts_from_stored" "file-name box holds \"$shown\"" ;;
    esac
    e2e_probe click "$open_title" "$SETTINGS_ID_CANCEL" >/dev/null
    e2e_probe --timeout 5000 gone "$open_title" >/dev/null
    if e2e_wait_probe 0 checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" &&
        e2e_wait_probe 0 enabled "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CHANGE_PICTURE"; then
        e2e_pass "${name}_turns_off"
    else
        e2e_fail "${name}_turns_off" "the box stayed ticked or the button enabled"
    fi
    press_ok "$name" || return
    expect_saved "$name" "$folder" '.\lake.bmp' 0
}

check_standard_user() {
    local name=settings_user saver folder probe=$WINDOW_PROBE
    saver=$(install_lake_saver 0)
    folder=$(dirname "$saver")
    cp "$WINDOW_PROBE" "$folder/" && WINDOW_PROBE=$folder/$(basename "$WINDOW_PROBE")
    chmod 711 "$E2E_WORK" && chmod 444 "$folder"/* && chmod 555 "$folder"
    e2e_run_as_user vitrane-e2e
    local own=$E2E_USER_PREFIX/drive_c/users/$E2E_USER/AppData/Roaming/Vitrane
    rm -rf "$own"
    if settings_start_dialog "$name" "$saver" && tick_custom_picture "$name" && press_ok "$name"; then
        expect_saved "$name" "$own" '.\lake.bmp' 1
        e2e_expect "${name}_program_folder_untouched" "$(ls "$folder")" test "$(ls "$folder" | wc -l)" = 4 -a \
            "$(settings_ini_value "$folder/Vitrane.ini" UseCustomPic)" = 0
        expect_full_screen_shows "$name" "$saver" "$lake_colour"
    fi
    e2e_run_as_user ""
    WINDOW_PROBE=$probe
}

# shows_in_dialog R,G,B: a screenshot (dialog.png) shows the colour over at
# least two per cent of the screen, a fifth of the preview.
shows_in_dialog() {
    [ "$(near_colour_share "$(e2e_screenshot dialog)" "$1")" -ge 20 ]
}

check_policy() {
    local name=settings_policy saver folder pictures key='HKCU\Software\Policies\Vitrane' note
    saver=$(install_lake_saver 1)
    folder=$(dirname "$saver")
    pictures=$E2E_WORK/policy
    mkdir -p "$pictures"
    make_picture "$pictures/sea.bmp" "$sea_colour"
    VITRANE_E2E_POLICY=$(e2e_winpath "$pictures")
    export VITRANE_E2E_POLICY
    # The prefix is shared by every scenario: no policy of an earlier, broken
    # run may stay behind, nor this one's however the script ends.
    wine reg delete "$key" /f >/dev/null 2>&1
    e2e_at_exit e2e_run_wine 30 reg delete "$key" /f
    wine reg add "$key" /v CustomPicture /t REG_EXPAND_SZ /d '%VITRANE_E2E_POLICY%\sea.bmp' /f >/dev/null 2>&1 ||
        e2e_fail "${name}_reg_add" "reg add failed"
    expect_full_screen_shows "$name" "$saver" "$sea_colour"
    if settings_start_dialog "$name" "$saver"; then
        e2e_expect "${name}_button_disabled" "\"Change a picture...\" is enabled" \
            e2e_wait_probe 0 enabled "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CHANGE_PICTURE"
        e2e_expect "${name}_folder_button_disabled" "\"Choose a folder...\" is enabled" \
            e2e_wait_probe 0 enabled "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CHOOSE_FOLDER"
        e2e_expect "${name}_box_enabled" "\"Custom picture\" is disabled" \
            e2e_wait_probe 1 enabled "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE"
        note=$(e2e_probe list "$SETTINGS_DIALOG_TITLE" | tr -d '\r' | awk -v id="$SETTINGS_ID_POLICY_NOTE" '$1 == id { print $2 }')
        e2e_expect "${name}_note_shown" "the policy note is not shown (visible: \"$note\")" test "$note" = 1
        e2e_deadline 20
        e2e_await "${name}_preview_shows_policy" "no sea colour in the preview (see dialog.png)" \
            shows_in_dialog "$sea_colour" && e2e_pass "${name}_preview_shows_policy"
        press_ok "$name" && expect_saved "$name" "$folder" '.\lake.bmp' 1
    fi
    wine reg delete "$key" /f >/dev/null 2>&1 || e2e_fail "${name}_reg_delete" "reg delete failed"
}

e2e_start_display 1024 768
check_standard_user
check_tick_keeps_stored_picture
check_chosen_picture
check_file_dialog_cancelled
check_policy
e2e_finish
