#!/usr/bin/env bash
# The installer, run silently by an ordinary user, puts the saver in the
# user's programs folder, makes it the chosen screensaver and lists it among
# the user's apps; the installed saver runs; the silent uninstaller takes all
# of it away but the settings, and puts back the screensaver chosen before.
# VITRANE_INSTALLER names the installer (Vitrane-<version>-setup.exe).
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
installer=${VITRANE_INSTALLER:-}
[ -f "$installer" ] || e2e_abort "no installer: VITRANE_INSTALLER=\"$installer\""
version=$(basename "$installer" -setup.exe | sed 's/^Vitrane-//')

e2e_start_display 800 600
e2e_run_as_user vitrane-e2e
chmod 711 "$E2E_WORK" && cp "$installer" "$E2E_WORK/setup.exe" && chmod 444 "$E2E_WORK/setup.exe"
folder="C:\\users\\$E2E_USER\\AppData\\Local\\Programs\\Vitrane"
app_data=$E2E_USER_PREFIX/drive_c/users/$E2E_USER/AppData
unix_folder=$app_data/Local/Programs/Vitrane
shortcut="$app_data/Roaming/Microsoft/Windows/Start Menu/Programs/Vitrane settings.lnk"
desktop='HKCU\Control Panel\Desktop'
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vitrane'
previous='C:\windows\system32\previous.scr'

# A screensaver of the user's own choice, off, and no trace of an earlier run.
printf 'REGEDIT4\r\n\r\n[%s]\r\n"SCRNSAVE.EXE"="%s"\r\n"ScreenSaveActive"="0"\r\n\r\n[-%s]\r\n' \
    "${desktop/HKCU/HKEY_CURRENT_USER}" "${previous//\\/\\\\}" "${uninstall/HKCU/HKEY_CURRENT_USER}" >"$E2E_WORK/before.reg"
chmod 444 "$E2E_WORK/before.reg" && rm -rf "$unix_folder"
e2e_run_wine 30 regedit /s "$(e2e_winpath "$E2E_WORK/before.reg")" >/dev/null || e2e_abort "could not set the registry up"

# expect_values NAME KEY "VALUE DATA"...: each value of KEY holds that data;
# the key's listing stays in $listing.
expect_values() {
    local name=$1 key=$2 pair value wanted got
    shift 2
    listing=$(e2e_run_wine 30 reg query "$key" | tr -d '\r')
    for pair in "$@"; do
        value=${pair%% *} wanted=${pair#* }
        got=$(awk -v v="$value" '$1 == v { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print; f = 1 } END { exit !f }' <<<"$listing") ||
            got="(no value)"
        e2e_expect "${name}_$value" "\"$got\", wanted \"$wanted\"" test "$got" = "$wanted"
    done
}

# key_absent KEY: reg answers that KEY is not there; a reg that fails or
# hangs gives no such answer.
key_absent() {
    local answer
    answer=$(e2e_run_wine 30 reg query "$1")
    [ $? = 1 ] && grep -qi "unable to find the specified registry key" <<<"$answer"
}

e2e_run_wine 30 "$(e2e_winpath "$E2E_WORK/setup.exe")" /S >/dev/null
code=$?
e2e_expect install_exit_code "exit code $code" test "$code" = 0
e2e_expect installed_program "not the built Vitrane.scr in $unix_folder" cmp -s "$VITRANE_SCR" "$unix_folder/Vitrane.scr"
e2e_expect installed_shortcut "no $shortcut" test -f "$shortcut"
expect_values installed "$desktop" "SCRNSAVE.EXE $folder\\Vitrane.scr" "ScreenSaveActive 1"
expect_values uninstall_key "$uninstall" "DisplayName Vitrane screensaver" "DisplayVersion $version" \
    "DisplayIcon $folder\\Vitrane.scr,0" "InstallLocation $folder" \
    "UninstallString \"$folder\\Uninstall.exe\"" "QuietUninstallString \"$folder\\Uninstall.exe\" /S" \
    "NoModify 0x1" "NoRepair 0x1"
estimated=$(awk '$1 == "EstimatedSize" { print $3 }' <<<"$listing")
e2e_expect uninstall_key_EstimatedSize "\"$estimated\" KB" \
    test "$((${estimated:-0}))" -ge "$(($(stat -c %s "$unix_folder/Vitrane.scr") / 1024))"

if e2e_start_saver installed_saver_shows "$folder\\Vitrane.scr" /s; then
    e2e_key a
    e2e_wait_job "$E2E_SAVER" 10
    e2e_expect installed_saver_ends "exit code ${E2E_EXIT_CODE:-none} after a key" test "$E2E_EXIT_CODE" = 0
fi

e2e_run_wine 30 "$folder\\Uninstall.exe" /S >/dev/null
# It returns at once and finishes from a copy of itself.
e2e_wait_until 15 test ! -e "$unix_folder"
e2e_expect uninstalled_files "$(ls "$unix_folder" 2>&1)" test ! -e "$unix_folder"
e2e_expect uninstalled_shortcut "$shortcut is left" test ! -e "$shortcut"
e2e_expect uninstalled_key "the uninstall key is left, or reg could not tell" key_absent "$uninstall"
expect_values restored "$desktop" "SCRNSAVE.EXE $previous" "ScreenSaveActive 0"
e2e_expect settings_kept "no Vitrane.ini" test -f "$app_data/Roaming/Vitrane/Vitrane.ini"
e2e_finish
