#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a few seconds (FUZZ_SECONDS,
# 10 by default). Inputs that found something are kept in build/fuzz.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages "${vitrane_fuzz_packages[@]}"

seconds=${FUZZ_SECONDS:-10}
out=build/fuzz
mkdir -p "$out"
flags=(-std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

build() {
    local name=$1
    shift
    clang++ "${flags[@]}" "tests/fuzz/$name.cpp" "$@" -o "$out/$name"
}
build ini_bytes_fuzz settings/ini_text.cpp text/ascii_case.cpp text/utf8.cpp
build exif_orientation_fuzz picture/exif_tiff.cpp picture/exif_orientation.cpp picture/exif_facts.cpp

status=0
# Each target starts from what earlier runs found and from its seeds, if any.
for target in ini_bytes_fuzz exif_orientation_fuzz; do
    echo "== fuzzing $target for ${seconds}s"
    mkdir -p "$out/$target-corpus"
    seeds=()
    [ -d "tests/fuzz/${target%_fuzz}_seeds" ] && seeds=("$PWD/tests/fuzz/${target%_fuzz}_seeds")
    (cd "$out" && "./$target" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
        "$target-corpus" "${seeds[@]}" 2>"$target.log") || { tail -40 "$out/$target.log"; status=1; }
done
exit $status
