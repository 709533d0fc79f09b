#!/usr/bin/env bash
# Soak run: the benchmark build of Vitrane.scr full screen under Wine for a
# while (10 minutes unless told otherwise). Resident memory and the process's
# open handles (file descriptors under Wine) are sampled through the run; the
# saver itself reports its GDI and USER object counts at its first frame and
# at its end. Memory or handles that grow show a leak.
#
#   scripts/soak.sh [seconds, default 600]
#
# The report goes to build/bench/soak-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-600}
sample_every=$(( seconds >= 100 ? seconds / 10 : 10 ))
. scripts/bench-common.sh
report=build/bench/soak-report.md

start_display 1024 768
trap 'wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null' EXIT
wineserver -k 2>/dev/null || true

rm -f "$frames_file"
wine "$saver" /s >/dev/null 2>&1 &
launcher=$!
pid=$(saver_pid)
[ -n "$pid" ] || { echo "the saver did not start"; exit 1; }

open_handles() { find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l; }
memory_samples=()
handle_samples=()
sleep 10
first_rss=$(rss_kib "$pid")
first_handles=$(open_handles)
elapsed=0
while [ "$elapsed" -lt "$seconds" ]; do
    sleep "$sample_every"
    elapsed=$((elapsed + sample_every))
    memory_samples+=("$(rss_kib "$pid")")
    handle_samples+=("$(open_handles)")
done
last_rss=$(rss_kib "$pid")
last_handles=$(open_handles)

stop_saver "$launcher"
value() { awk -v key="$1" '$1 == key { print $2 }' "$frames_file"; }
frames=$(grep -c '^interval_ms' "$frames_file" || true)

{
    echo "## Soak, $(date -u +%Y-%m-%d): $seconds s full screen at 1024 x 768"
    echo
    echo "| measure | at start | at end |"
    echo "| --- | --- | --- |"
    echo "| resident memory, KiB (start: 10 s in) | $first_rss | $last_rss |"
    echo "| open file descriptors (start: 10 s in) | $first_handles | $last_handles |"
    echo "| GDI objects (first frame / exit) | $(value gdi_objects_first_frame) | $(value gdi_objects_end) |"
    echo "| USER objects (first frame / exit) | $(value user_objects_first_frame) | $(value user_objects_end) |"
    echo
    echo "Every $sample_every s: resident memory (KiB) ${memory_samples[*]}; descriptors ${handle_samples[*]}."
    echo
    echo "Frames drawn: $((frames + 1))."
    echo
} | tee "$report"
