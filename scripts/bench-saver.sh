#!/usr/bin/env bash
# Whole-program benchmark: Vitrane.scr under Wine on a virtual display, side by
# side with two peers a user might pick instead (flipscreen3d and ripples,
# run with -root), on the same display in the same run. For each program:
# CPU seconds per second of running (user + system), context switches per
# second of its main thread (wake-ups), resident memory, frames per second and
# wake-ups per frame; for Vitrane also the Wine server's CPU on its behalf, the
# frame-start intervals and the time from process start to the first frame
# shown. Vitrane and flipscreen3d take turns for the given number of rounds
# and each one's best round is reported: the one with the most frames per
# second, least held back by whatever else loads the machine; ripples, which
# draws no GL frames, runs once. A second benchmark build of the saver (for
# instance of an earlier commit, built with -DVITRANE_FRAME_RECORDER=ON) may be
# given as a baseline: it takes its turn in the same rounds.
#
#   scripts/bench-saver.sh [seconds per program, default 20] [rounds, default 2] [baseline Vitrane.scr]
#
# The report goes to build/bench/saver-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-20}
rounds=${2:-2}
baseline=${3:+$(realpath "$3")}
warmup=3
hacks=/usr/libexec/xscreensaver
bench_extra_packages=(xscreensaver-gl-extra xscreensaver-data-extra gcc libc6-dev)
. scripts/bench-common.sh
report=build/bench/saver-report.md
ticks=$(getconf CLK_TCK)

swap_counter=build/bench/swap_counter.so
gcc -O2 -shared -fPIC -o "$swap_counter" bench/swap_counter.c -ldl
swap_count_file=/tmp/vitrane-bench-swaps-$$
trap 'rm -f "$swap_count_file"' EXIT

# Of the main thread only: the process's status counts the thread group leader.
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$1/status"; }
swaps() { od -An -t u8 "$swap_count_file" 2>/dev/null | tr -d ' ' || echo 0; }


# Measures the process with the given pid over $seconds after $warmup, the
# Wine server alongside when its pid is given, and the peer's frames when
# counting swaps; prints "cpu_per_s switches_per_s rss_mib server_cpu_per_s
# frames_per_s", with - for what was not measured.
measure() {
    local pid=$1 server=${2:-} count_swaps=${3:-}
    sleep "$warmup"
    local c0 s0 c1 s1 w0=0 w1=0 f0=0 f1=0
    c0=$(cpu_ticks "$pid"); s0=$(switches "$pid")
    [ -n "$server" ] && w0=$(cpu_ticks "$server")
    [ -n "$count_swaps" ] && f0=$(swaps)
    sleep "$seconds"
    c1=$(cpu_ticks "$pid"); s1=$(switches "$pid")
    [ -n "$server" ] && w1=$(cpu_ticks "$server")
    [ -n "$count_swaps" ] && f1=$(swaps)
    echo "$(per_second "$c0" "$c1" "$ticks")" "$(per_second "$s0" "$s1" 1 %.0f)" "$(rss_mib "$pid")" \
         "$([ -n "$server" ] && per_second "$w0" "$w1" "$ticks" || echo -)" \
         "$([ -n "$count_swaps" ] && per_second "$f0" "$f1" 1 %.1f || echo -)"
}

# Runs the given saver full screen and measures it; prints what measure
# prints, the frames per second taken from its frame record, then "frames
# median_ms p99_ms first_frame_ms".
measure_saver() {
    frames_file="$(dirname "$1")/Vitrane-frames.txt"
    rm -f "$frames_file"
    wine "$1" /s >/dev/null 2>&1 &
    local launcher=$!
    local pid
    pid=$(saver_pid)
    local figures
    figures=$(measure "$pid" "$(wine_server_pid)")
    stop_saver "$launcher"
    local frames median p99 fps
    read -r frames median p99 fps <<<"$(interval_stats)"
    echo "${figures% *} $fps $frames $median $p99 $(awk '/^first_frame_ms/ { printf "%.0f", $2 }' "$frames_file")"
}

measure_peer() {
    rm -f "$swap_count_file"
    SWAP_COUNTER_FILE=$swap_count_file LD_PRELOAD="$PWD/$swap_counter" "$hacks/$1" -root >/dev/null 2>&1 &
    local peer_pid=$!
    measure "$peer_pid" "" count
    kill "$peer_pid" 2>/dev/null; wait "$peer_pid" 2>/dev/null || true
}


# Of several lines of figures, the one with the most frames per second (fifth field).
best_round() { sort -g -r -k5,5 | head -n 1; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "-" }'; }
per_frame() { awk -v w="$1" -v f="$2" -v k="${3:-1}" 'BEGIN { if (f + 0 > 0) printf "%.1f", k * w / f; else print "-" }'; }

saver_row() {
    local cpu sw rss server fps
    read -r cpu sw rss server fps _ <<<"$2"
    echo "| $1 | $cpu | $sw | $fps | $(per_frame "$sw" "$fps") | $(per_frame "$cpu" "$fps" 1000) | $rss | $server |"
}

frames_line() {
    local frames median p99 fps first
    read -r _ _ _ _ fps frames median p99 first <<<"$2"
    echo "$1 frames: $frames in its best round, $fps per second; frame-start interval median $median ms, 99th percentile $p99 ms; first frame $first ms after process start."
}

run_size() {
    local width=$1 height=$2
    start_busy_desktop "$width" "$height"

    local vitrane_rounds="" baseline_rounds="" flip_rounds="" round
    for round in $(seq "$rounds"); do
        vitrane_rounds+="$(measure_saver "$saver")"$'\n'
        if [ -n "$baseline" ]; then
            baseline_rounds+="$(measure_saver "$baseline")"$'\n'
        fi
        flip_rounds+="$(measure_peer flipscreen3d)"$'\n'
    done
    local ripples_figures
    ripples_figures=$(measure_peer ripples)

    stop_busy_desktop

    local vitrane_best baseline_best f_cpu f_sw f_rss f_fps r_cpu r_sw r_rss v_cpu v_sw v_rss
    vitrane_best=$(printf '%s' "$vitrane_rounds" | best_round)
    baseline_best=$(printf '%s' "$baseline_rounds" | best_round)
    read -r v_cpu v_sw v_rss _ <<<"$vitrane_best"
    read -r f_cpu f_sw f_rss _ f_fps <<<"$(printf '%s' "$flip_rounds" | best_round)"
    read -r r_cpu r_sw r_rss _ <<<"$ripples_figures"
    {
        echo "### ${width} x ${height}"
        echo
        echo "Load averages before: $load_before"
        echo
        echo "| program | CPU s per s | wake-ups per s | frames per s | wake-ups per frame | CPU ms per frame | RSS MiB | Wine server CPU s per s |"
        echo "| --- | --- | --- | --- | --- | --- | --- | --- |"
        saver_row Vitrane "$vitrane_best"
        [ -n "$baseline" ] && saver_row "Vitrane baseline" "$baseline_best"
        echo "| flipscreen3d | $f_cpu | $f_sw | $f_fps | $(per_frame "$f_sw" "$f_fps") | $(per_frame "$f_cpu" "$f_fps" 1000) | $f_rss | - |"
        echo "| ripples | $r_cpu | $r_sw | - | - | - | $r_rss | - |"
        echo
        echo "Vitrane / flipscreen3d: CPU $(ratio "$v_cpu" "$f_cpu"), wake-ups $(ratio "$v_sw" "$f_sw"), RSS $(ratio "$v_rss" "$f_rss")."
        echo "Vitrane / ripples: CPU $(ratio "$v_cpu" "$r_cpu"), wake-ups $(ratio "$v_sw" "$r_sw"), RSS $(ratio "$v_rss" "$r_rss")."
        [ -n "$baseline" ] && echo "Vitrane baseline / flipscreen3d: CPU $(ratio "${baseline_best%% *}" "$f_cpu")."
        echo
        frames_line Vitrane "$vitrane_best"
        [ -n "$baseline" ] && frames_line "Vitrane baseline" "$baseline_best"
        echo
        echo "Every round (CPU, wake-ups, RSS, Wine server CPU, fps, frames, median, p99, first frame):"
        echo
        printf '%s' "$vitrane_rounds" | sed 's/^/    Vitrane          /'
        printf '%s' "$baseline_rounds" | sed 's/^/    Vitrane baseline /'
        printf '%s' "$flip_rounds" | sed 's/^/    flipscreen3d     /'
        echo
    } | tee -a "$report"
}

# The loop's own cost: on a tiny screen drawing costs next to nothing, and
# what remains is the loop's waiting, message polling and input reads.
run_loop_cost() {
    start_display 160 120
    wineserver -k 2>/dev/null || true
    local all="" all_baseline="" round
    for round in $(seq "$rounds"); do
        all+="$(measure_saver "$saver")"$'\n'
        if [ -n "$baseline" ]; then
            all_baseline+="$(measure_saver "$baseline")"$'\n'
        fi
    done
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    {
        echo "### The loop's own cost: 160 x 120 screen"
        echo
        echo "| program | CPU s per s | wake-ups per s | frames per s | wake-ups per frame | CPU ms per frame | RSS MiB | Wine server CPU s per s |"
        echo "| --- | --- | --- | --- | --- | --- | --- | --- |"
        saver_row Vitrane "$(printf '%s' "$all" | best_round)"
        [ -n "$baseline" ] && saver_row "Vitrane baseline" "$(printf '%s' "$all_baseline" | best_round)"
        echo
    } | tee -a "$report"
}

load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
{
    echo "## Whole-program figures, $(date -u +%Y-%m-%d), $seconds s per program after $warmup s warm-up, best of $rounds rounds"
    echo
} | tee "$report"
run_size 1024 768
load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
run_size 1920 1080
run_loop_cost
echo "Load averages at the end: $(cut -d ' ' -f 1-3 /proc/loadavg)" | tee -a "$report"
