# shellcheck shell=bash
# Shared by the settings scenarios (settings_dialog.sh, settings_picture.sh),
# after lib.sh: the settings dialog's title and control ids, starting the
# saver's settings mode, and reading the settings file it saves.
#
# The names below are for the scenarios that source this file.
# shellcheck disable=SC2034

SETTINGS_DIALOG_TITLE=$E2E_DIALOG_TITLE
# IDOK and IDCANCEL, the same in every dialog (the file dialog too).
SETTINGS_ID_OK=1
SETTINGS_ID_CANCEL=2
SETTINGS_ID_CHANGE_PICTURE=1001
SETTINGS_ID_CUSTOM_PICTURE=1004
SETTINGS_ID_CHOOSE_FOLDER=1005
# The placeholder under the live preview.
SETTINGS_ID_PREVIEW=1009
# "Some settings are managed by your organisation."
SETTINGS_ID_POLICY_NOTE=1012
SETTINGS_JOB=""

# settings_ini_value FILE KEY: the key's value in the section the saver
# keeps, or "(missing)".
settings_ini_value() {
    awk -v key="$2" '
        { sub(/\r$/, "") }
        /^\[/ { in_section = ($0 == "[Vitrane settings]"); next }
        in_section && index($0, key "=") == 1 { value = substr($0, length(key) + 2); found = 1 }
        END { print found ? value : "(missing)" }' "$1"
}

# settings_start_dialog NAME SAVER: runs "SAVER /c" and waits for its dialog;
# the saver's job is in SETTINGS_JOB (the probes start jobs of their own).
# False, with NAME_dialog failed, when no dialog came.
settings_start_dialog() {
    e2e_start_saver "${1}_dialog" "$2" /c
    local shown=$?
    SETTINGS_JOB=$E2E_SAVER
    [ "$shown" = 0 ] || e2e_kill_job "$SETTINGS_JOB"
    return "$shown"
}
