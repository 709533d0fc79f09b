#!/usr/bin/env bash
# The installer, run silently by an ordinary user, puts the saver in the
# user's programs folder, makes it the chosen screensaver and lists it among
# the user's apps; the installed saver runs. An upgrade keeps the screensaver
# the user chose since, and one that cannot write its files, or cannot put
# its uninstaller in place after its program, leaves the old version whole; the Start menu's entry makes Vitrane the screensaver again.
# The silent uninstaller takes all of it away but the settings, and puts back
# the screensaver that Vitrane replaced, even where the chosen path is spelt
# short. Then the MSI, as the administrator: installed into the system
# folder, run from there and removed, touching nobody's choice.
# VITRANE_INSTALLER names the installer (Vitrane-<version>-setup.exe),
# VITRANE_MSI the MSI.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
installer=${VITRANE_INSTALLER:-}
[ -f "$installer" ] || e2e_abort "no installer: VITRANE_INSTALLER=\"$installer\""
msi=${VITRANE_MSI:-}
[ -f "$msi" ] || e2e_abort "no MSI: VITRANE_MSI=\"$msi\""
version=$(basename "$installer" -setup.exe | sed 's/^Vitrane-//')

e2e_start_display 800 600
e2e_run_as_user vitrane-e2e
chmod 711 "$E2E_WORK" && cp "$installer" "$E2E_WORK/setup.exe" && chmod 444 "$E2E_WORK/setup.exe"
folder="C:\\users\\$E2E_USER\\AppData\\Local\\Programs\\Vitrane"
app_data=$E2E_USER_PREFIX/drive_c/users/$E2E_USER/AppData
unix_folder=$app_data/Local/Programs/Vitrane
start_menu="$app_data/Roaming/Microsoft/Windows/Start Menu/Programs"
shortcut="$start_menu/Vitrane settings.lnk"
choose_shortcut="$start_menu/Make Vitrane your screensaver.lnk"
desktop='HKCU\Control Panel\Desktop'
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vitrane'
previous='C:\windows\system32\previous.scr'
other='C:\windows\system32\other.scr'

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

# choose_saver PATH ACTIVE: the user's own choice, as the settings make it.
choose_saver() {
    e2e_run_wine 30 reg add "$desktop" /v SCRNSAVE.EXE /d "$1" /f >/dev/null &&
        e2e_run_wine 30 reg add "$desktop" /v ScreenSaveActive /d "$2" /f >/dev/null ||
        e2e_fail choose_saver "reg add failed"
}

# run_saver NAME PATH: PATH /s shows the saver, and a key ends it.
run_saver() {
    e2e_start_saver "$1_shows" "$2" /s || return
    e2e_key a
    e2e_wait_job "$E2E_SAVER" 10
    e2e_expect "$1_ends" "exit code ${E2E_EXIT_CODE:-none} after a key" test "$E2E_EXIT_CODE" = 0
}

e2e_run_wine 30 "$(e2e_winpath "$E2E_WORK/setup.exe")" /S >/dev/null
code=$?
e2e_expect install_exit_code "exit code $code" test "$code" = 0
e2e_expect installed_program "not the built Vitrane.scr in $unix_folder" cmp -s "$VITRANE_SCR" "$unix_folder/Vitrane.scr"
e2e_expect installed_shortcuts "no $shortcut or $choose_shortcut" test -f "$shortcut" -a -f "$choose_shortcut"
expect_values installed "$desktop" "SCRNSAVE.EXE $folder\\Vitrane.scr" "ScreenSaveActive 1"
expect_values uninstall_key "$uninstall" "DisplayName Vitrane screensaver" "DisplayVersion $version" \
    "DisplayIcon $folder\\Vitrane.scr,0" "InstallLocation $folder" \
    "UninstallString \"$folder\\Uninstall.exe\"" "QuietUninstallString \"$folder\\Uninstall.exe\" /S" \
    "NoModify 0x1" "NoRepair 0x1"
estimated=$(awk '$1 == "EstimatedSize" { print $3 }' <<<"$listing")
e2e_expect uninstall_key_EstimatedSize "\"$estimated\" KB" \
    test "$((${estimated:-0}))" -ge "$(($(stat -c %s "$unix_folder/Vitrane.scr") / 1024))"

run_saver installed_saver "$folder\\Vitrane.scr"

# An upgrade over an older copy (marked here) after the user chose another
# saver, off. Where the folder cannot be written it stops, changing nothing.
choose_saver "$other" 0
printf old >>"$unix_folder/Vitrane.scr"
cp "$unix_folder/Vitrane.scr" "$E2E_WORK/old.scr"
listing_before=$(ls -l "$unix_folder")
chmod 555 "$unix_folder"
e2e_run_wine 30 "$(e2e_winpath "$E2E_WORK/setup.exe")" /S >/dev/null
code=$?
chmod 755 "$unix_folder"
e2e_expect blocked_upgrade_stops "exit code $code, not 2 (stopped by the installer)" test "$code" = 2
e2e_expect blocked_upgrade_leaves_old "$(ls -l "$unix_folder")" \
    eval 'cmp -s "$E2E_WORK/old.scr" "$unix_folder/Vitrane.scr" && test "$(ls -l "$unix_folder")" = "$listing_before"'
# Where the program has taken its place and the uninstaller then cannot (a
# file of another owner, in a folder where only owners may rename), the old
# program comes back and nothing is left behind.
chown root "$unix_folder" "$unix_folder/Uninstall.exe" && chmod 1777 "$unix_folder"
e2e_run_wine 30 "$(e2e_winpath "$E2E_WORK/setup.exe")" /S >/dev/null
code=$?
chown "$E2E_USER" "$unix_folder" "$unix_folder/Uninstall.exe" && chmod 755 "$unix_folder"
e2e_expect half_upgrade_stops "exit code $code, not 2 (stopped by the installer)" test "$code" = 2
e2e_expect half_upgrade_puts_old_back "$(ls -l "$unix_folder")" \
    eval 'cmp -s "$E2E_WORK/old.scr" "$unix_folder/Vitrane.scr" && test "$(ls -l "$unix_folder")" = "$listing_before"'
e2e_run_wine 30 "$(e2e_winpath "$E2E_WORK/setup.exe")" /S >/dev/null
code=$?
e2e_expect upgrade_exit_code "exit code $code" test "$code" = 0
e2e_expect upgraded_program "the old Vitrane.scr is left" cmp -s "$VITRANE_SCR" "$unix_folder/Vitrane.scr"
expect_values upgrade_keeps_choice "$desktop" "SCRNSAVE.EXE $other" "ScreenSaveActive 0"

# The Start menu's entry makes it the screensaver again, turned on.
e2e_run_wine 30 start /wait /unix "$choose_shortcut" >/dev/null
code=$?
e2e_expect choose_again_exit_code "exit code $code" test "$code" = 0
# start returns before the shortcut's program ends; turning the saver on is
# its last step.
e2e_wait_until 20 eval 'e2e_run_wine 30 reg query "$desktop" /v ScreenSaveActive | grep -Eq "REG_SZ +1$"'
expect_values chosen_again "$desktop" "SCRNSAVE.EXE $folder\\Vitrane.scr" "ScreenSaveActive 1"

# The same file chosen under its short name, in capitals.
short=$(e2e_short_path "$folder\\Vitrane.scr")
e2e_expect short_path "\"$short\" is no short form of $folder\\Vitrane.scr" \
    eval 'test "${short: -12}" = "\\Vitrane.scr" -a "${short,,}" != "${folder,,}\\vitrane.scr"'
choose_saver "${short^^}" 1

e2e_run_wine 30 "$folder\\Uninstall.exe" /S >/dev/null
# It returns at once and finishes from a copy of itself.
e2e_wait_until 15 test ! -e "$unix_folder"
e2e_expect uninstalled_files "$(ls "$unix_folder" 2>&1)" test ! -e "$unix_folder"
e2e_expect uninstalled_shortcut "$shortcut is left" test ! -e "$shortcut"
e2e_expect uninstalled_key "the uninstall key is left, or reg could not tell" key_absent "$uninstall"
e2e_expect uninstalled_choose_shortcut "$choose_shortcut is left" test ! -e "$choose_shortcut"
# What the Start menu's entry replaced.
expect_values restored "$desktop" "SCRNSAVE.EXE $other" "ScreenSaveActive 0"
e2e_expect settings_kept "no Vitrane.ini" test -f "$app_data/Roaming/Vitrane/Vitrane.ini"

# The MSI, as the prefix's administrator.
e2e_run_as_user ""
system_saver=$WINEPREFIX/drive_c/windows/system32/Vitrane.scr
product=$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
apps="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
choice_before=$(e2e_run_wine 30 reg query "$desktop")
e2e_run_wine 60 msiexec /i "$(e2e_winpath "$msi")" /qn >/dev/null
code=$?
e2e_expect msi_install_exit_code "exit code $code" test "$code" = 0
e2e_expect msi_installed_program "not the built Vitrane.scr in $system_saver" cmp -s "$VITRANE_SCR" "$system_saver"
expect_values msi_apps "$apps" "DisplayName Vitrane screensaver (all users)" "DisplayVersion $version"
run_saver msi_saver 'C:\windows\system32\Vitrane.scr'
choice_after=$(e2e_run_wine 30 reg query "$desktop")
e2e_expect msi_keeps_choice "$choice_after" test "$choice_after" = "$choice_before"
e2e_run_wine 60 msiexec /x "$(e2e_winpath "$msi")" /qn >/dev/null
code=$?
e2e_expect msi_uninstall_exit_code "exit code $code" test "$code" = 0
e2e_expect msi_uninstalled_program "$system_saver is left" test ! -e "$system_saver"
e2e_expect msi_uninstalled_apps "$apps is left, or reg could not tell" key_absent "$apps"
e2e_finish
