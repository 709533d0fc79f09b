#!/usr/bin/env bash
# The full-screen saver ends when it is touched: a key press, a mouse click,
# and a mouse movement of one pixel each end it with exit code 0 within a
# second, and until then it keeps running untouched.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

# How long the saver may take to go, from the start of the input to the end
# of its process.
deadline=${E2E_END_DEADLINE:-1.0}

press_key() { e2e_key a; }
click_mouse() { e2e_click 1; }
move_mouse_one_pixel() { e2e_nudge_mouse 1 0; }

check_ends_on() {
    local name=$1 action=$2
    e2e_move_mouse 512 384
    local saver job
    saver=$(e2e_install_saver)
    e2e_start_wine "$saver" /s
    job=$E2E_JOB
    if ! e2e_wait_for_window "$E2E_SAVER_TITLE" 20; then
        e2e_fail "input_${name}" "no window \"$E2E_SAVER_TITLE\" appeared within 20 s"
        return
    fi
    # A person touches the saver a while after it has come up.
    sleep 2
    if ! e2e_job_running "$job"; then
        e2e_fail "input_${name}" "the saver ended untouched with exit code $(cat "$job/rc")"
        return
    fi
    local start elapsed
    start=$(e2e_now_ms)
    "$action"
    if ! e2e_wait_job "$job" 5; then
        e2e_screenshot "input-${name}-still-running" >/dev/null
        e2e_fail "input_${name}" "still running 5 s after the input"
        return
    fi
    elapsed=$(awk -v ms=$(($(e2e_now_ms) - start)) 'BEGIN { printf "%.2f", ms / 1000 }')
    if [ "$E2E_EXIT_CODE" != 0 ]; then
        e2e_fail "input_${name}" "exit code $E2E_EXIT_CODE"
    elif awk -v e="$elapsed" -v d="$deadline" 'BEGIN { exit !(e > d) }'; then
        e2e_fail "input_${name}" "ended only ${elapsed} s after the input (limit ${deadline} s)"
    else
        e2e_pass "input_${name}"
        echo "    ended ${elapsed} s after the input"
    fi
}

e2e_start_display 1024 768
check_ends_on key_press press_key
check_ends_on mouse_click click_mouse
check_ends_on mouse_move_one_pixel move_mouse_one_pixel
e2e_finish
