#!/usr/bin/env bash
# Native benchmark of one frame's water work: the classic animation and texture-coordinate
# pass on grids from 20 x 30 to 160 x 240 (time per frame and per vertex), and the
# realistic look's wave field and light map on a 1920 x 1080 monitor's 480 x 270 grid.
#
#   scripts/bench-water.sh [Google Benchmark options]
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages cmake ninja-build g++ libbenchmark-dev

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVITRANE_BUILD_BENCH=ON \
    -DVITRANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target water_bench >/dev/null
exec build/bench/bench/water_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
