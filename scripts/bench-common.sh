# Sourced by the whole-program benchmark scripts: builds the benchmark build
# of the saver (which records its frame times), sets up Wine, and offers the
# readings the scripts share. A script that needs more packages lists them in
# bench_extra_packages first.
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}" procps ${bench_extra_packages[@]+"${bench_extra_packages[@]}"}

bench_build=build/bench-windows
cmake --preset windows -B "$bench_build" -DVITRANE_FRAME_RECORDER=ON -DVITRANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$bench_build" --target Vitrane -j "$(nproc)" >/dev/null
saver="$PWD/$bench_build/Vitrane.scr"
frames_file="$PWD/$bench_build/Vitrane-frames.txt"
. scripts/wine-env.sh
ensure_wine_prefix
mkdir -p build/bench

# Starts Xvfb of the given size on a free display, exports DISPLAY and sets
# xvfb_pid.
start_display() {
    local display_number=$((90 + RANDOM % 100))
    while [ -e "/tmp/.X11-unix/X$display_number" ]; do
        display_number=$((display_number + 1))
    done
    Xvfb ":$display_number" -screen 0 "$1x$2x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$display_number"
    sleep 1
}

# A display of the given size showing a busy desktop to snapshot and to
# grab, with no Wine session on it yet; sets wallpaper_pid besides xvfb_pid.
start_busy_desktop() {
    start_display "$1" "$2"
    convert -size "$1x$2" plasma:fractal -seed 7 /tmp/vitrane-bench-root.png 2>/dev/null ||
        convert -size "$1x$2" gradient:red-blue /tmp/vitrane-bench-root.png
    display -window root /tmp/vitrane-bench-root.png &
    wallpaper_pid=$!
    sleep 1
    wineserver -k 2>/dev/null || true
}

stop_busy_desktop() {
    kill "$wallpaper_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}

# Other builds may run their own Wine programs on this machine at the same
# time; a process is ours when it runs in this prefix.
in_our_prefix() {
    tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"
}

# The newest process of ours whose command line matches the pattern.
our_pid() {
    local pid
    for pid in $(pgrep -f "$1" | sort -rn); do
        if in_our_prefix "$pid"; then
            echo "$pid"
            return
        fi
    done
}

# Wine starts the saver through a loader; prints the pid of the process whose
# command line is the saver itself (or matches the pattern given: a preview
# host's command line names the saver too).
saver_pid() {
    local pid=""
    for _ in $(seq 100); do
        pid=$(our_pid "${1:-Vitrane\.scr}")
        [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] && break
        sleep 0.1
    done
    echo "$pid"
}

wine_server_pid() {
    local pid=""
    for _ in $(seq 20); do
        pid=$(our_pid '^[^ ]*wineserver')
        [ -n "$pid" ] && break
        sleep 0.1
    done
    echo "$pid"
}

# Ends the full-screen saver as a person would and waits for its record.
stop_saver() {
    xdotool keydown space
    sleep 0.1
    xdotool keyup space
    wait "$1" 2>/dev/null || true
    for _ in $(seq 50); do
        [ -f "$frames_file" ] && break
        sleep 0.1
    done
}

rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }
rss_mib() { awk -v k="$(rss_kib "$1")" 'BEGIN { printf "%.1f", k / 1024 }'; }
# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# (b - a) / unit / seconds (the script's measuring time), printed with the
# given format.
per_second() {
    awk -v a="$1" -v b="$2" -v u="$3" -v s="$seconds" -v f="${4:-%.3f}" 'BEGIN { printf f, (b - a) / u / s }'
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
