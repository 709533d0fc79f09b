#!/usr/bin/env bash
# A standard user whose program folder is read-only, as under Program Files:
# the settings an administrator left beside the saver are read, OK saves into
# the user's own Vitrane.ini under %APPDATA%, the folder beside stays as it
# was, and the next full-screen start shows what the user saved.
#
# Under Wine, root writes even where file permissions forbid it, so the
# saver, and every probe that looks at its windows (they share the Wine
# session), run as an ordinary user with a Wine prefix of their own.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/settings_checks.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"
[ -n "$WINDOW_PROBE" ] || e2e_abort "needs window_probe.exe"
for tool in useradd su; do
    command -v "$tool" >/dev/null || e2e_abort "missing tool $tool"
done

user=vitrane-e2e
lake_colour="160,32,240"

id "$user" >/dev/null 2>&1 || useradd -m "$user" || e2e_abort "could not add the user $user"
user_home=$(getent passwd "$user" | cut -d: -f6)
# Kept between runs: a new prefix takes about ten seconds to set up.
user_prefix=$user_home/vitrane-wineprefix

# as_user COMMAND...: runs the command as the user, in the user's Wine prefix
# and on this display.
as_user() {
    local command
    command=$(printf '%q ' env DISPLAY="$DISPLAY" WINEPREFIX="$user_prefix" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64 "$@")
    su "$user" -s /bin/bash -c "cd && exec $command"
}

# lib.sh starts every Windows program through "wine": here as the user.
wine() {
    as_user wine "$@"
}

# A folder the user can reach; the scenario's work folder is root's alone.
shared=$(mktemp -d /tmp/vitrane-e2e-user.XXXX)
chmod 755 "$shared"
user_cleanup() {
    [ -n "${DISPLAY:-}" ] && as_user wineserver -k >/dev/null 2>&1
    rm -rf "$shared"
    e2e_cleanup
}
trap user_cleanup EXIT

e2e_start_display 1024 768
if [ ! -f "$user_prefix/system.reg" ]; then
    as_user wineboot --init >/dev/null 2>&1 || e2e_abort "wineboot failed for $user"
fi
as_user wineserver -w

# The administrator's install: the saver, a picture and the settings for
# every user, in a folder nobody but root may change.
program=$shared/program
mkdir -p "$program" "$shared/tools"
cp "$VITRANE_SCR" "$program/Vitrane.scr"
cp "$WINDOW_PROBE" "$shared/tools/window_probe.exe"
WINDOW_PROBE=$shared/tools/window_probe.exe
convert -size 64x64 "xc:rgb($lake_colour)" -type TrueColor "BMP3:$program/lake.bmp"
e2e_write_settings "$program" '.\lake.bmp' 0
admin_settings=$(md5sum <"$program/Vitrane.ini")
chmod 444 "$program"/*
chmod 555 "$program"
user_ini_folder=$user_prefix/drive_c/users/$user/AppData/Roaming/Vitrane
rm -rf "$user_ini_folder"

check_saved_for_user() {
    local name=settings_per_user job
    settings_start_dialog "$name" "$program/Vitrane.scr" || return
    job=$SETTINGS_JOB
    e2e_expect "${name}_reads_admin_settings" "the box is ticked, though the file beside says 0" \
        e2e_wait_probe 5 0 checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE"
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE" >/dev/null
    e2e_wait_probe 5 1 checked "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_CUSTOM_PICTURE"
    e2e_probe click "$SETTINGS_DIALOG_TITLE" "$SETTINGS_ID_OK" >/dev/null
    if ! e2e_wait_job "$job" 10 || [ "$E2E_EXIT_CODE" != 0 ]; then
        e2e_screenshot "$name-ok" >/dev/null
        e2e_fail "${name}_ok_ends" "exit code ${E2E_EXIT_CODE:-none, still running 10 s after OK (see $name-ok.png)}"
        return
    fi
    e2e_pass "${name}_ok_ends"

    local file=$user_ini_folder/Vitrane.ini
    # The stored picture came from the administrator's file.
    if [ "$(settings_ini_value "$file" UseCustomPic)" = 1 ] &&
        [ "$(settings_ini_value "$file" CustomPicture)" = '.\lake.bmp' ]; then
        e2e_pass "${name}_saved_for_user"
    else
        e2e_fail "${name}_saved_for_user" "$file: $(tr '\r\n' '  ' <"$file" 2>/dev/null || echo missing)"
    fi
    e2e_expect "${name}_program_folder_untouched" "the folder beside the saver changed: $(ls "$program")" \
        test "$(md5sum <"$program/Vitrane.ini")" = "$admin_settings" -a "$(ls "$program" | wc -l)" = 3

    e2e_move_mouse 512 384
    e2e_start_wine "$program/Vitrane.scr" /s
    job=$E2E_JOB
    shown() { e2e_corners_black; }
    if ! e2e_wait_for_window "$E2E_SAVER_TITLE" 20 || ! e2e_wait_until 10 shown; then
        e2e_fail "${name}_full_screen" "the saver never covered the screen (see corners.png)"
        return
    fi
    sleep 0.5
    local shot lake
    shot=$(e2e_screenshot "$name-full-screen")
    lake=$(picture_count_near "$shot" "$lake_colour")
    e2e_expect "${name}_full_screen_shows_picture" "$lake pixels of the picture in $(basename "$shot")" \
        test "$lake" -gt 100000
    e2e_key space
    e2e_wait_job "$job" 5 || e2e_kill_job "$job"
}

check_saved_for_user
e2e_finish
