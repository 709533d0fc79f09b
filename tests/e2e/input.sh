#!/usr/bin/env bash
# The full-screen saver ends when it is touched, and until then keeps running
# untouched: each input below ends it with exit code 0 within a second. The
# taps send press and release at once, as a touchpad's tap-to-click or a
# remote-control tool does, so both arrive in one batch of messages.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

# How long the saver may take to go, from the start of the input to the end
# of its process.
deadline=${E2E_END_DEADLINE:-1.0}

# "name command...", one input each.
INPUTS=("key_held e2e_key a"
    "key_tapped xdotool key a"
    "click_held e2e_click 1"
    "click_tapped xdotool click 1"
    "wheel_up xdotool click 4"
    "wheel_down xdotool click 5"
    "wheel_sideways xdotool click 6"
    "move_one_pixel e2e_nudge_mouse 1 0")

check_ends_on() {
    local name=input_$1
    shift
    e2e_move_mouse 512 384
    e2e_start_saver "$name" "$(e2e_install_saver)" /s || return
    local job=$E2E_SAVER
    # A person touches the saver a while after it has come up.
    sleep 1
    e2e_job_running "$job" || { e2e_fail "$name" "ended untouched with exit code $(cat "$job/rc")"; return; }
    local start elapsed
    start=$(e2e_now_ms)
    "$@"
    if ! e2e_wait_job "$job" 5; then
        e2e_screenshot "$name-still-running" >/dev/null
        e2e_fail "$name" "still running 5 s after \"$*\""
        return
    fi
    elapsed=$(awk -v ms=$(($(e2e_now_ms) - start)) 'BEGIN { printf "%.2f", ms / 1000 }')
    if [ "$E2E_EXIT_CODE" != 0 ]; then
        e2e_fail "$name" "exit code $E2E_EXIT_CODE"
    elif awk -v e="$elapsed" -v d="$deadline" 'BEGIN { exit !(e > d) }'; then
        e2e_fail "$name" "ended only ${elapsed} s after the input (limit ${deadline} s)"
    else
        e2e_pass "$name"
        echo "    ended ${elapsed} s after \"$*\""
    fi
}

e2e_start_display 1024 768
for input in "${INPUTS[@]}"; do
    # Word splitting gives the name and the command.
    # shellcheck disable=SC2086
    check_ends_on $input
done
e2e_finish
