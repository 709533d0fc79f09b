#!/usr/bin/env bash
# Whole-program benchmark of how the saver follows the display, under Wine on
# a virtual 1024 x 768 display: the benchmark build of the saver (which
# records every frame), full screen, three ways:
#   idle       nothing else running of ours;
#   loaded     with three busy processes on the machine, as a virus scan or
#              an update would be;
#   locked     after the session is locked (the saver gets the message the
#              system sends), when nobody can see it.
# For each: frames per second, frame-start intervals (median, 99th
# percentile, maximum), how they were paced, the wave speed (scene time given to the frames over
# the clock time at one unit per 16 ms; 1.00 keeps time), CPU seconds per
# second and wake-ups of its main thread per second. A baseline benchmark
# build (an earlier commit built with -DVITRANE_FRAME_RECORDER=ON) runs the
# same way in the same run.
#
#   scripts/bench-display.sh [seconds per run, default 15] [baseline Vitrane.scr] [runs, default "idle loaded locked"]
#
# The report goes to build/bench/display-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-15}
baseline=${2:+$(realpath "$2")}
runs=${3:-idle loaded locked}
warmup=3
busy_processes=3
saver_title="Orvel's screensaver :)"
bench_extra_packages=()
. scripts/bench-common.sh
report=build/bench/display-report.md
ticks=$(getconf CLK_TCK)
probe=build/bench/window_probe.exe
x86_64-w64-mingw32-g++ -O2 -static -DWIN32_LEAN_AND_MEAN -o "$probe" tests/e2e/window_probe.cpp -luser32 -lgdi32

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$1/status"; }

# Prints "fps median p99 max speed" from the frame record. The speed is the
# last frame's scene time over its clock time; a build that writes no frame
# lines counted one unit per frame, so there it is frames over clock time.
frame_figures() {
    local speed
    speed=$(awk '
        /^interval_ms/ { n++; sum += $2 }
        /^frame / { ms = $2; t = $3 }
        END { if (ms > 0) printf "%.3f", t * 16 / ms; else if (sum > 0) printf "%.3f", n * 16 / sum; else print "-" }' \
        "$frames_file")
    awk '/^interval_ms/ { print $2 }' "$frames_file" | sort -g | awk -v speed="$speed" '
        { v[++n] = $1; sum += $1 }
        END {
            if (n == 0) { print "0 0 0 0 -"; exit }
            p99 = int(n * 0.99)
            if (p99 < 1) p99 = 1
            printf "%.1f %.2f %.2f %.2f %s\n", 1000 * n / sum, v[int((n + 1) / 2)], v[p99], v[n], speed
        }'
}

# How the frames were paced, as the record says; "timer" for a build that
# knew no other way.
pacing() { awk '/^pacing/ { p = $2 } END { print (p != "" ? p : "timer") }' "$frames_file"; }

# measure_saver SAVER MODE: runs it full screen in that mode; prints "cpu_per_s
# switches_per_s fps median p99 max speed".
measure_saver() {
    local saver=$1 mode=$2 busy=() k
    frames_file="$(dirname "$saver")/Vitrane-frames.txt"
    rm -f "$frames_file"
    if [ "$mode" = loaded ]; then
        for k in $(seq "$busy_processes"); do
            (while :; do :; done) &
            busy+=($!)
        done
    fi
    wine "$saver" /s >/dev/null 2>&1 &
    local launcher=$! pid
    pid=$(saver_pid)
    sleep "$warmup"
    if [ "$mode" = locked ]; then
        wine "$probe" session "$saver_title" 7 >/dev/null 2>&1 || true
        sleep 1
    fi
    local c0 s0 c1 s1
    c0=$(cpu_ticks "$pid"); s0=$(switches "$pid")
    sleep "$seconds"
    c1=$(cpu_ticks "$pid"); s1=$(switches "$pid")
    [ "$mode" = locked ] && { wine "$probe" session "$saver_title" 8 >/dev/null 2>&1 || true; }
    [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null
    stop_saver "$launcher"
    awk -v c0="$c0" -v c1="$c1" -v s0="$s0" -v s1="$s1" -v t="$ticks" -v s="$seconds" -v f="$(frame_figures)" \
        'BEGIN { printf "%.3f %.0f %s\n", (c1 - c0) / t / s, (s1 - s0) / s, f }'
    pacing
}

row() {
    local cpu sw fps median p99 max speed paced
    { read -r cpu sw fps median p99 max speed; read -r paced; } <<<"$3"
    echo "| $1 | $2 | $paced | $fps | $median | $p99 | $max | $speed | $cpu | $sw |"
}

start_display 1024 768
convert -size 1024x768 plasma:fractal -seed 7 /tmp/vitrane-bench-root.png 2>/dev/null ||
    convert -size 1024x768 gradient:red-blue /tmp/vitrane-bench-root.png
display -window root /tmp/vitrane-bench-root.png &
wallpaper=$!
sleep 1
wineserver -k 2>/dev/null || true
{
    echo "## Following the display, $(date -u +%Y-%m-%d), 1024 x 768, $seconds s per run after $warmup s warm-up"
    echo
    echo "Load averages before: $(cut -d ' ' -f 1-3 /proc/loadavg)"
    echo
    echo "| build | run | pacing | frames per s | interval median ms | p99 ms | max ms | wave speed | CPU s per s | wake-ups per s |"
    echo "| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |"
} | tee "$report"
for mode in $runs; do
    row Vitrane "$mode" "$(measure_saver "$saver" "$mode")" | tee -a "$report"
    if [ -n "$baseline" ]; then
        row baseline "$mode" "$(measure_saver "$baseline" "$mode")" | tee -a "$report"
    fi
done
kill "$wallpaper" 2>/dev/null || true
wineserver -k 2>/dev/null || true
kill "$xvfb_pid" 2>/dev/null || true
echo | tee -a "$report"
echo "Load averages at the end: $(cut -d ' ' -f 1-3 /proc/loadavg)" | tee -a "$report"
