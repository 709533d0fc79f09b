#!/usr/bin/env bash
# Soak run: the benchmark build of Vitrane.scr full screen under Wine for a
# while (10 minutes unless told otherwise), with resident memory sampled
# through the run and the process's GDI and USER object counts at its first
# frame and at its end. Memory or handles that grow show a leak.
#
#   scripts/soak.sh [seconds, default 600]
#
# The report goes to build/bench/soak-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}" procps

seconds=${1:-600}
sample_every=$(( seconds >= 60 ? seconds / 10 : 5 ))
build=build/bench-windows
cmake --preset windows -B "$build" -DVITRANE_FRAME_RECORDER=ON -DVITRANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target Vitrane -j "$(nproc)" >/dev/null
saver="$PWD/$build/Vitrane.scr"
frames_file="$PWD/$build/Vitrane-frames.txt"
. scripts/wine-env.sh
ensure_wine_prefix
mkdir -p build/bench
report=build/bench/soak-report.md

display_number=$((90 + RANDOM % 100))
Xvfb ":$display_number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
export DISPLAY=":$display_number"
sleep 1
wineserver -k 2>/dev/null || true

rm -f "$frames_file"
wine "$saver" /s >/dev/null 2>&1 &
launcher=$!
pid=""
for _ in $(seq 100); do
    pid=$(pgrep -f -n 'Vitrane\.scr' || true)
    [ -n "$pid" ] && break
    sleep 0.1
done
[ -n "$pid" ] || { echo "the saver did not start"; exit 1; }

rss_kib() { awk '/VmRSS/ { print $2 }' "/proc/$pid/status"; }
samples=()
elapsed=0
sleep 10
first_rss=$(rss_kib)
while [ "$elapsed" -lt "$seconds" ]; do
    sleep "$sample_every"
    elapsed=$((elapsed + sample_every))
    samples+=("$(rss_kib)")
done
last_rss=$(rss_kib)

xdotool keydown space; sleep 0.1; xdotool keyup space
wait "$launcher" 2>/dev/null || true
for _ in $(seq 50); do [ -f "$frames_file" ] && break; sleep 0.1; done
value() { awk -v key="$1" '$1 == key { print $2 }' "$frames_file"; }
frames=$(grep -c '^interval_ms' "$frames_file" || true)

{
    echo "## Soak, $(date -u +%Y-%m-%d): $seconds s full screen at 1024 x 768"
    echo
    echo "| measure | at start | at end |"
    echo "| --- | --- | --- |"
    echo "| resident memory (KiB; start = 10 s in) | $first_rss | $last_rss |"
    echo "| GDI objects (first frame / exit) | $(value gdi_objects_first_frame) | $(value gdi_objects_end) |"
    echo "| USER objects (first frame / exit) | $(value user_objects_first_frame) | $(value user_objects_end) |"
    echo
    echo "Resident memory every $sample_every s (KiB): ${samples[*]}"
    echo
    echo "Frames drawn: $((frames + 1))."
    echo
} | tee "$report"
