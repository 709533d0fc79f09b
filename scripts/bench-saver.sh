#!/usr/bin/env bash
# Whole-program benchmark: Vitrane.scr under Wine on a virtual display, side by
# side with two peers a user might pick instead (flipscreen3d and ripples,
# run with -root), on the same display in the same run. For each program:
# CPU seconds per second of running (user + system), context switches per
# second of its main thread (wake-ups), resident memory, frames per second and
# wake-ups per frame; for Vitrane also the Wine server's CPU on its behalf, the
# frame-start intervals and the time from process start to the first frame
# shown. Vitrane and flipscreen3d take turns for the given number of rounds
# and each one's best round (least CPU) is reported, since the machine's load
# varies; ripples runs once.
#
#   scripts/bench-saver.sh [seconds per program, default 20] [rounds, default 2]
#
# The report goes to build/bench/saver-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-20}
rounds=${2:-2}
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

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Of the main thread only: the process's status counts the thread group leader.
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$1/status"; }
rss_mib() { awk -v k="$(rss_kib "$1")" 'BEGIN { printf "%.1f", k / 1024 }'; }
swaps() { od -An -t u8 "$swap_count_file" 2>/dev/null | tr -d ' ' || echo 0; }

# (b - a) / unit / seconds, printed with the given format.
per_second() {
    awk -v a="$1" -v b="$2" -v u="$3" -v s="$seconds" -v f="${4:-%.3f}" 'BEGIN { printf f, (b - a) / u / s }'
}

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

# Runs the saver full screen and measures it; prints what measure prints,
# the frames per second taken from its frame record.
measure_saver() {
    rm -f "$frames_file"
    wine "$saver" /s >/dev/null 2>&1 &
    local launcher=$!
    local pid
    pid=$(saver_pid)
    local figures
    figures=$(measure "$pid" "$(wine_server_pid)")
    stop_saver "$launcher"
    read -r _ _ _ fps <<<"$(interval_stats)"
    echo "${figures% *} $fps"
}

measure_peer() {
    rm -f "$swap_count_file"
    SWAP_COUNTER_FILE=$swap_count_file LD_PRELOAD="$PWD/$swap_counter" "$hacks/$1" -root >/dev/null 2>&1 &
    local peer_pid=$!
    measure "$peer_pid" "" count
    kill "$peer_pid" 2>/dev/null; wait "$peer_pid" 2>/dev/null || true
}

# Prints "frames median p99 fps" from the saver's frame record.
interval_stats() {
    awk '/^interval_ms/ { print $2 }' "$frames_file" | sort -n | awk '
        { v[NR] = $1; sum += $1 }
        END {
            if (NR == 0) { print "0 0 0 0"; exit }
            p99 = v[int(NR * 0.99) > 0 ? int(NR * 0.99) : 1]
            printf "%d %.2f %.2f %.2f\n", NR + 1, v[int((NR + 1) / 2)], p99, 1000 * NR / sum
        }'
}

# Of several lines of figures, the one with the least CPU (first field).
least_cpu() { sort -g -k1,1 | head -n 1; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "-" }'; }
per_frame() { awk -v w="$1" -v f="$2" 'BEGIN { if (f + 0 > 0) printf "%.1f", w / f; else print "-" }'; }

run_size() {
    local width=$1 height=$2
    start_display "$width" "$height"
    # A busy desktop to snapshot and to grab.
    convert -size "${width}x${height}" plasma:fractal -seed 7 /tmp/vitrane-bench-root.png 2>/dev/null ||
        convert -size "${width}x${height}" gradient:red-blue /tmp/vitrane-bench-root.png
    display -window root /tmp/vitrane-bench-root.png &
    local wallpaper=$!
    sleep 1
    wineserver -k 2>/dev/null || true

    local vitrane_rounds="" flip_rounds="" round best_stats="" best_cpu="" first_frame=""
    for round in $(seq "$rounds"); do
        local figures
        figures=$(measure_saver)
        vitrane_rounds+="$figures"$'\n'
        # Keep the frame record of the best round so far.
        if [ -z "$best_cpu" ] || awk -v a="${figures%% *}" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
            best_cpu=${figures%% *}
            best_stats=$(interval_stats)
            first_frame=$(awk '/^first_frame_ms/ { print $2 }' "$frames_file")
        fi
        flip_rounds+="$(measure_peer flipscreen3d)"$'\n'
    done
    local ripples_figures
    ripples_figures=$(measure_peer ripples)

    kill "$wallpaper" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true

    read -r v_cpu v_sw v_rss v_server v_fps <<<"$(printf '%s' "$vitrane_rounds" | least_cpu)"
    read -r f_cpu f_sw f_rss _ f_fps <<<"$(printf '%s' "$flip_rounds" | least_cpu)"
    read -r r_cpu r_sw r_rss _ r_fps <<<"$ripples_figures"
    read -r frames median p99 fps <<<"$best_stats"
    {
        echo "### ${width} x ${height}"
        echo
        echo "Load averages before: $load_before"
        echo
        echo "| program | CPU s per s | wake-ups per s | frames per s | wake-ups per frame | RSS MiB |"
        echo "| --- | --- | --- | --- | --- | --- |"
        echo "| Vitrane | $v_cpu | $v_sw | $v_fps | $(per_frame "$v_sw" "$v_fps") | $v_rss |"
        echo "| flipscreen3d | $f_cpu | $f_sw | $f_fps | $(per_frame "$f_sw" "$f_fps") | $f_rss |"
        echo "| ripples | $r_cpu | $r_sw | $r_fps | $(per_frame "$r_sw" "$r_fps") | $r_rss |"
        echo
        echo "The Wine server used $v_server CPU s per s on the saver's behalf (not counted above)."
        echo
        echo "Vitrane / flipscreen3d: CPU $(ratio "$v_cpu" "$f_cpu"), wake-ups $(ratio "$v_sw" "$f_sw"), RSS $(ratio "$v_rss" "$f_rss")."
        echo "Vitrane / ripples: CPU $(ratio "$v_cpu" "$r_cpu"), wake-ups $(ratio "$v_sw" "$r_sw"), RSS $(ratio "$v_rss" "$r_rss")."
        echo
        echo "Vitrane frames: $frames in the best run, $fps per second; frame-start interval median $median ms, 99th percentile $p99 ms; first frame ${first_frame} ms after process start (desktop snapshot taken)."
        echo
        echo "Every round (CPU, wake-ups, RSS, server CPU, fps):"
        echo
        printf '%s' "$vitrane_rounds" | sed 's/^/    Vitrane      /'
        printf '%s' "$flip_rounds" | sed 's/^/    flipscreen3d /'
        echo
    } | tee -a "$report"
}

# The loop's own cost: on a tiny screen drawing costs next to nothing, and
# what remains is the loop's waiting, message polling and input reads.
run_loop_cost() {
    start_display 160 120
    wineserver -k 2>/dev/null || true
    local all="" round
    for round in $(seq "$rounds"); do
        all+="$(measure_saver)"$'\n'
    done
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    read -r cpu wakeups rss server fps <<<"$(printf '%s' "$all" | least_cpu)"
    {
        echo "### The loop's own cost: 160 x 120 screen"
        echo
        echo "Vitrane: $cpu CPU s per s, $wakeups wake-ups per s ($(per_frame "$wakeups" "$fps") per frame), Wine server $server CPU s per s; $fps frames per second."
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
