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
    local expected="$*" job
    e2e_start_saver "${name}_box" "$(e2e_install_saver)" "$@"
    job=$E2E_SAVER
    e2e_await "${name}_box" "no \"$box_title\" window" e2e_window_up "$box_title" || return
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

# check_settings NAME OWNER_TITLE [OWNER_HANDLE]: the settings dialog, just
# started, is owned by the window of that title (and handle), which it
# disables while it is open; once closed, the program ends with exit code 0:
# the saver itself, or preview_host reporting the saver's.
check_settings() {
    local name=cmdline_$1 handle enabled title
    read -r handle enabled title <<<"$(e2e_probe owner "$SETTINGS_DIALOG_TITLE")"
    e2e_expect "${name}_dialog_owner" "owner $handle (enabled $enabled) titled $title" \
        test "$title $enabled ${3:-$handle}" = "\"$2\" 0 $handle"
    e2e_probe close "$SETTINGS_DIALOG_TITLE" >/dev/null
    e2e_wait_job "$E2E_SAVER" 10
    e2e_expect "${name}_ends" "exit code ${E2E_EXIT_CODE:-none} $(e2e_job_output "$E2E_SAVER")" \
        eval '[ "$E2E_EXIT_CODE" = 0 ] || e2e_job_output "$E2E_SAVER" | grep -q "exit code 0$"'
}

e2e_start_display 1024 768
check_wrong_parameter unknown_switch /x
check_wrong_parameter letter_without_slash s
# Without a window to own it, the dialog belongs to the saver's own hidden one.
e2e_start_saver cmdline_empty_dialog "$(e2e_install_saver)" && check_settings empty "$E2E_SAVER_TITLE"
e2e_start_saver cmdline_owner_no_window_dialog "$(e2e_install_saver)" /c:12345 &&
    check_settings owner_no_window "$E2E_SAVER_TITLE"
# The screen-saver page's way: preview_host's box plays its window and starts
# the saver with "/c:" and the box's handle.
e2e_start_watched "$PREVIEW_HOST" 96 64 360 240 "$(e2e_winpath "$(e2e_install_saver)")" --switch /c: \
    --close-when "$E2E_WORK/never"
e2e_await cmdline_owner_window_dialog "no settings dialog" e2e_window_up "$SETTINGS_DIALOG_TITLE" &&
    check_settings owner_window "Vitrane preview host" "$(e2e_job_output "$E2E_SAVER" | awk '/^parent/ { print $2 }')"
check_ends_at_once password /a
check_ends_at_once preview_no_number /p abc
check_ends_at_once preview_handle_0 /p 0
check_ends_at_once preview_no_such_window /p 12345
e2e_finish
