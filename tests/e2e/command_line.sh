#!/usr/bin/env bash
# Command lines that start no saver. An invalid one (an unknown switch, a
# lone letter without its slash) shows the "Wrong parameter!" box with the
# command line as its text and an OK button, waits for it, and ends with exit
# code 0 once it is confirmed. The password switch and a preview without a
# usable window handle end at once with exit code 0. An empty command line
# (the shell's Configure) opens the settings, and so does /c:HWND (the
# screen-saver page), owned by that window when it is one.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/settings_checks.sh"
e2e_init "$@"
if [ -z "$WINDOW_PROBE" ] || [ -z "$PREVIEW_HOST" ]; then
    e2e_abort "needs window_probe.exe and preview_host.exe"
fi

box_title="Wrong parameter!"
# The static control that holds a message box's text.
box_text_id=0xFFFF

# check_wrong_parameter NAME ARGS...: the saver started with ARGS (as
# separate words; none gives an empty command line).
check_wrong_parameter() {
    local name=cmdline_$1
    shift
    local expected="$*" saver job
    saver=$(e2e_install_saver)
    e2e_start_wine "$saver" "$@"
    job=$E2E_JOB

    if ! e2e_probe --timeout 15000 wait "$box_title" >/dev/null; then
        e2e_fail "${name}_box" "no \"$box_title\" window within 15 s (saver exit code $(cat "$job/rc" 2>/dev/null || echo 'none, still running'))"
        return
    fi
    e2e_pass "${name}_box"
    e2e_screenshot "${name}-box" >/dev/null

    local text buttons
    text=$(e2e_probe text "$box_title" "$box_text_id")
    if [ "$text" = "$expected" ]; then
        e2e_pass "${name}_box_text"
    else
        e2e_fail "${name}_box_text" "box text \"$text\", expected \"$expected\""
    fi

    # The buttons of the box, as "id text".
    buttons=$(e2e_probe list "$box_title" | awk -F'"' '$2 == "Button" { split($1, f, " "); print f[1], $4 }')
    if [ "$buttons" = "1 OK" ]; then
        e2e_pass "${name}_box_has_only_ok"
    else
        e2e_fail "${name}_box_has_only_ok" "buttons: $(echo "$buttons" | tr '\n' ';')"
    fi

    if e2e_job_running "$job"; then
        e2e_pass "${name}_waits_for_ok"
    else
        e2e_fail "${name}_waits_for_ok" "ended with exit code $(cat "$job/rc") while its box was shown"
        return
    fi

    # MB_OK's button is IDOK.
    e2e_probe click "$box_title" 1 >/dev/null
    if ! e2e_wait_job "$job" 5; then
        e2e_fail "${name}_ends_after_ok" "still running 5 s after OK was pressed"
    elif [ "$E2E_EXIT_CODE" != 0 ]; then
        e2e_fail "${name}_ends_after_ok" "exit code $E2E_EXIT_CODE"
    else
        e2e_pass "${name}_ends_after_ok"
    fi
}

# check_ends_at_once NAME ARGS...
check_ends_at_once() {
    local name=cmdline_$1
    shift
    local saver start elapsed code
    saver=$(e2e_install_saver)
    start=$(e2e_now_ms)
    e2e_run_wine 10 "$saver" "$@" >/dev/null
    code=$?
    elapsed=$(awk -v ms=$(($(e2e_now_ms) - start)) 'BEGIN { printf "%.1f", ms / 1000 }')
    if [ "$code" = 124 ]; then
        e2e_fail "$name" "\"$*\" still running after 10 s"
    elif [ "$code" != 0 ]; then
        e2e_fail "$name" "\"$*\" ended with exit code $code"
    elif awk -v e="$elapsed" 'BEGIN { exit !(e > 5) }'; then
        e2e_fail "$name" "\"$*\" took $elapsed s to end"
    else
        e2e_pass "$name"
    fi
}

# check_settings NAME JOB [OWNER]: JOB shows the settings dialog, owned by
# OWNER ("HWND ENABLED") when given, and once it is closed ends with exit
# code 0: its own, or the saver's as preview_host reports it.
check_settings() {
    local name=cmdline_$1 job=$2 owner
    if ! e2e_probe --timeout 20000 wait "$SETTINGS_DIALOG_TITLE" >/dev/null; then
        e2e_fail "${name}_dialog" "no settings dialog within 20 s"
        return
    fi
    owner=$(e2e_probe owner "$SETTINGS_DIALOG_TITLE")
    e2e_expect "${name}_dialog" "owner and its state \"$owner\", wanted \"${3:-}\"" test "${3:-$owner}" = "$owner"
    e2e_probe close "$SETTINGS_DIALOG_TITLE" >/dev/null
    e2e_wait_job "$job" 10
    e2e_expect "${name}_ends" "exit code ${E2E_EXIT_CODE:-none} $(e2e_job_output "$job")" \
        eval '[ "$E2E_EXIT_CODE" = 0 ] || e2e_job_output "$job" | grep -q "exit code 0$"'
}

e2e_start_display 1024 768
check_wrong_parameter unknown_switch /x
check_wrong_parameter letter_without_slash s
e2e_start_wine "$(e2e_install_saver)"
check_settings empty "$E2E_JOB"
e2e_start_wine "$(e2e_install_saver)" /c:12345
check_settings owner_no_window "$E2E_JOB"
# The screen-saver page's way: preview_host's box plays its window and starts
# the saver with "/c:" and the box's handle. The dialog disables its owner.
e2e_start_wine "$PREVIEW_HOST" 96 64 360 240 "$(e2e_winpath "$(e2e_install_saver)")" --switch /c: \
    --close-when "$E2E_WORK/never"
e2e_wait_until 10 grep -q '^parent' "$E2E_JOB/out"
check_settings owner_window "$E2E_JOB" "$(e2e_job_output "$E2E_JOB" | awk '/^parent/ { print $2 }') 0"
check_ends_at_once password /a
check_ends_at_once preview_no_number /p abc
check_ends_at_once preview_handle_0 /p 0
check_ends_at_once preview_no_such_window /p 12345
e2e_finish
