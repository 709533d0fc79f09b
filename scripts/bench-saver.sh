#!/usr/bin/env bash
# Whole-program benchmark: Vitrane.scr under Wine on a virtual display, side by
# side with two peers a user might pick instead (flipscreen3d and ripples,
# run with -root), on the same display in the same run. For each program:
# CPU seconds per second of running (user + system), context switches per
# second (wake-ups), resident memory; for Vitrane also the frame-start
# intervals and the time from process start to the first frame shown.
#
#   scripts/bench-saver.sh [seconds per program, default 20]
#
# The report goes to build/bench/saver-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-20}
warmup=3
hacks=/usr/libexec/xscreensaver
bench_extra_packages=(xscreensaver-gl-extra xscreensaver-data-extra)
. scripts/bench-common.sh
report=build/bench/saver-report.md
ticks=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$1/status"; }
rss_mib() { awk -v k="$(rss_kib "$1")" 'BEGIN { printf "%.1f", k / 1024 }'; }

# Measures the process with the given pid over $seconds after $warmup, and
# the Wine server alongside when a second pid is given; prints
# "cpu_per_s switches_per_s rss_mib [server_cpu_per_s]".
measure() {
    local pid=$1 server=${2:-}
    sleep "$warmup"
    local c0 s0 c1 s1 w0=0 w1=0
    c0=$(cpu_ticks "$pid"); s0=$(switches "$pid")
    [ -n "$server" ] && w0=$(cpu_ticks "$server")
    sleep "$seconds"
    c1=$(cpu_ticks "$pid"); s1=$(switches "$pid")
    [ -n "$server" ] && w1=$(cpu_ticks "$server")
    echo "$(per_second "$c0" "$c1" "$ticks")" "$(per_second "$s0" "$s1" 1 %.0f)" "$(rss_mib "$pid")" \
         ${server:+"$(per_second "$w0" "$w1" "$ticks")"}
}

# (b - a) / unit / seconds, printed with the given format.
per_second() {
    awk -v a="$1" -v b="$2" -v u="$3" -v s="$seconds" -v f="${4:-%.3f}" 'BEGIN { printf f, (b - a) / u / s }'
}

# Runs the saver full screen and measures it; prints what measure prints.
measure_saver() {
    rm -f "$frames_file"
    wine "$saver" /s >/dev/null 2>&1 &
    local launcher=$!
    local pid
    pid=$(saver_pid)
    measure "$pid" "$(pgrep -n wineserver)"
    stop_saver "$launcher"
}

interval_stats() {
    awk '/^interval_ms/ { print $2 }' "$frames_file" | sort -n | awk '
        { v[NR] = $1; sum += $1 }
        END {
            if (NR == 0) { print "0 0 0 0"; exit }
            p99 = v[int(NR * 0.99) > 0 ? int(NR * 0.99) : 1]
            printf "%d %.2f %.2f %.2f\n", NR + 1, v[int((NR + 1) / 2)], p99, 1000 * NR / sum
        }'
}

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

    local vitrane_figures
    vitrane_figures=$(measure_saver)
    local first_frame
    first_frame=$(awk '/^first_frame_ms/ { print $2 }' "$frames_file")
    local stats
    stats=$(interval_stats)

    local peer peer_figures=()
    for peer in flipscreen3d ripples; do
        "$hacks/$peer" -root >/dev/null 2>&1 &
        local peer_pid=$!
        peer_figures+=("$(measure "$peer_pid")")
        kill "$peer_pid" 2>/dev/null; wait "$peer_pid" 2>/dev/null || true
    done

    kill "$wallpaper" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true

    read -r v_cpu v_sw v_rss v_server <<<"$vitrane_figures"
    read -r f_cpu f_sw f_rss <<<"${peer_figures[0]}"
    read -r r_cpu r_sw r_rss <<<"${peer_figures[1]}"
    read -r frames median p99 fps <<<"$stats"
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
    {
        echo "### ${width} x ${height}"
        echo
        echo "| program | CPU s per s | wake-ups per s | RSS MiB |"
        echo "| --- | --- | --- | --- |"
        echo "| Vitrane | $v_cpu | $v_sw | $v_rss |"
        echo "| flipscreen3d | $f_cpu | $f_sw | $f_rss |"
        echo "| ripples | $r_cpu | $r_sw | $r_rss |"
        echo
        echo "The Wine server used $v_server CPU s per s on the saver's behalf (not counted above)."
        echo
        echo "Vitrane / flipscreen3d: CPU $(ratio "$v_cpu" "$f_cpu"), wake-ups $(ratio "$v_sw" "$f_sw"), RSS $(ratio "$v_rss" "$f_rss")."
        echo "Vitrane / ripples: CPU $(ratio "$v_cpu" "$r_cpu"), wake-ups $(ratio "$v_sw" "$r_sw"), RSS $(ratio "$v_rss" "$r_rss")."
        echo
        echo "Vitrane frames: $frames in the run, $fps per second; frame-start interval median $median ms, 99th percentile $p99 ms; first frame ${first_frame} ms after process start (desktop snapshot taken)."
        echo
    } | tee -a "$report"
}

{
    echo "## Whole-program figures, $(date -u +%Y-%m-%d), $seconds s per program after $warmup s warm-up"
    echo
} | tee "$report"
# The loop's own cost: on a tiny screen drawing costs next to nothing, and
# what remains is the idle passes (1 ms sleeps, message polling, input reads).
run_loop_cost() {
    start_display 160 120
    wineserver -k 2>/dev/null || true
    local figures
    figures=$(measure_saver)
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    read -r cpu wakeups rss server <<<"$figures"
    read -r frames median p99 fps <<<"$(interval_stats)"
    {
        echo "### The loop's own cost: 160 x 120 screen"
        echo
        echo "Vitrane: $cpu CPU s per s, $wakeups wake-ups per s, Wine server $server CPU s per s; $fps frames per second."
        echo
    } | tee -a "$report"
}

run_size 1024 768
run_size 1920 1080
run_loop_cost
