#!/usr/bin/env bash
# The two looks side by side: the benchmark build of Vitrane.scr full screen
# under Wine over the same busy desktop, in the classic look (Look=0) and the
# realistic one (Look=1), taking turns in each round, at 1024 x 768 and
# 1920 x 1080. For each: the frame-start interval's median and 99th
# percentile (from the saver's frame record), CPU seconds per second of
# running (user + system) and resident memory at the end. Each look's best
# round (most frames per second, least held back by whatever else loads the
# machine) is reported, every round below it.
#
#   scripts/bench-look.sh [seconds per run, default 15] [rounds, default 2] [wave style, default 0]
#
# The report goes to build/bench/look-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-15}
rounds=${2:-2}
wave_style=${3:-0}
warmup=3
. scripts/bench-common.sh
report=build/bench/look-report.md
ticks=$(getconf CLK_TCK)
settings_file="$(dirname "$saver")/Vitrane.ini"
trap 'rm -f "$settings_file"' EXIT

# Runs the saver in the given look; prints "cpu_per_s rss_mib fps frames
# median_ms p99_ms".
measure_look() {
    printf '[Vitrane settings]\r\nLook=%s\r\nWaveStyle=%s\r\n' "$1" "$wave_style" >"$settings_file"
    rm -f "$frames_file"
    wine "$saver" /s >/dev/null 2>&1 &
    local launcher=$! pid c0 c1 rss
    pid=$(saver_pid)
    sleep "$warmup"
    c0=$(cpu_ticks "$pid")
    sleep "$seconds"
    c1=$(cpu_ticks "$pid")
    rss=$(rss_mib "$pid")
    stop_saver "$launcher"
    local frames median p99 fps
    read -r frames median p99 fps <<<"$(interval_stats)"
    echo "$(per_second "$c0" "$c1" "$ticks") $rss $fps $frames $median $p99"
}

# Of several lines of figures, the one with the most frames per second.
best_round() { sort -g -r -k3,3 | head -n 1; }

look_row() {
    local cpu rss fps frames median p99
    read -r cpu rss fps frames median p99 <<<"$2"
    echo "| $1 | $median | $p99 | $fps | $cpu | $rss |"
}

run_size() {
    local width=$1 height=$2 load_before
    load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
    start_busy_desktop "$width" "$height"
    local classic="" realistic="" round
    for round in $(seq "$rounds"); do
        classic+="$(measure_look 0)"$'\n'
        realistic+="$(measure_look 1)"$'\n'
    done
    stop_busy_desktop
    local classic_best realistic_best
    classic_best=$(printf '%s' "$classic" | best_round)
    realistic_best=$(printf '%s' "$realistic" | best_round)
    {
        echo "### ${width} x ${height}"
        echo
        echo "Load averages before: $load_before; after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
        echo
        echo "| look | interval median ms | interval p99 ms | frames per s | CPU s per s | RSS MiB |"
        echo "| --- | --- | --- | --- | --- | --- |"
        look_row classic "$classic_best"
        look_row realistic "$realistic_best"
        echo
        echo "Realistic - classic: CPU $(awk -v a="${realistic_best%% *}" -v b="${classic_best%% *}" \
            'BEGIN { printf "%+.3f", a - b }') s per s, RSS $(awk -v a="$(echo "$realistic_best" | cut -d ' ' -f 2)" \
            -v b="$(echo "$classic_best" | cut -d ' ' -f 2)" 'BEGIN { printf "%+.1f", a - b }') MiB."
        echo
        echo "Every round (CPU, RSS, fps, frames, median, p99):"
        echo
        printf '%s' "$classic" | sed 's/^/    classic   /'
        printf '%s' "$realistic" | sed 's/^/    realistic /'
        echo
    } | tee -a "$report"
}

{
    echo "## Classic and realistic looks, $(date -u +%Y-%m-%d), wave style $wave_style, $seconds s per run after $warmup s warm-up, best of $rounds rounds"
    echo
} | tee "$report"
run_size 1024 768
run_size 1920 1080
