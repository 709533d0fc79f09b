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
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}" xscreensaver-gl-extra xscreensaver-data-extra procps

seconds=${1:-20}
warmup=3
hacks=/usr/libexec/xscreensaver
build=build/bench-windows
cmake --preset windows -B "$build" -DVITRANE_FRAME_RECORDER=ON -DVITRANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target Vitrane -j "$(nproc)" >/dev/null
saver="$PWD/$build/Vitrane.scr"
frames_file="$PWD/$build/Vitrane-frames.txt"
. scripts/wine-env.sh
ensure_wine_prefix

mkdir -p build/bench
report=build/bench/saver-report.md
ticks=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$1/status"; }
rss_mib() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# Measures the process with the given pid over $seconds after $warmup;
# prints "cpu_per_s switches_per_s rss_mib".
measure() {
    local pid=$1
    sleep "$warmup"
    local c0 s0 c1 s1
    c0=$(cpu_ticks "$pid"); s0=$(switches "$pid")
    sleep "$seconds"
    c1=$(cpu_ticks "$pid"); s1=$(switches "$pid")
    echo "$(awk -v a="$c0" -v b="$c1" -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.3f", (b - a) / t / s }')" \
         "$(awk -v a="$s0" -v b="$s1" -v s="$seconds" 'BEGIN { printf "%.0f", (b - a) / s }')" \
         "$(rss_mib "$pid")"
}

# Wine starts the saver through a loader; wait for the process whose command
# line is the saver itself.
saver_pid() {
    local pid=""
    for _ in $(seq 100); do
        pid=$(pgrep -f -n 'Vitrane\.scr' || true)
        [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] && break
        sleep 0.1
    done
    echo "$pid"
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
    local display_number=$((90 + RANDOM % 100))
    Xvfb ":$display_number" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    export DISPLAY=":$display_number"
    sleep 1
    # A busy desktop to snapshot and to grab.
    convert -size "${width}x${height}" plasma:fractal -seed 7 /tmp/vitrane-bench-root.png 2>/dev/null ||
        convert -size "${width}x${height}" gradient:red-blue /tmp/vitrane-bench-root.png
    display -window root /tmp/vitrane-bench-root.png &
    local wallpaper=$!
    sleep 1
    wineserver -k 2>/dev/null || true

    rm -f "$frames_file"
    wine "$saver" /s >/dev/null 2>&1 &
    local launcher=$!
    local pid
    pid=$(saver_pid)
    local vitrane_figures
    vitrane_figures=$(measure "$pid")
    xdotool keydown space; sleep 0.1; xdotool keyup space
    wait "$launcher" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$frames_file" ] && break; sleep 0.1; done
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
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true

    read -r v_cpu v_sw v_rss <<<"$vitrane_figures"
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
run_size 1024 768
run_size 1920 1080
