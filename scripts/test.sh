#!/usr/bin/env bash
# Builds and runs every test: the portable code natively under AddressSanitizer
# and UndefinedBehaviorSanitizer, a few seconds of fuzzing of the file parsers,
# then the Windows build under Wine (unit tests and whole-program runs on a
# virtual display).
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}"

jobs=$(nproc)

echo "== native build and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
native_status=0
ctest --preset native -j "$jobs" || native_status=$?

echo "== fuzzing the parsers of file contents"
fuzz_status=0
bash scripts/fuzz.sh || fuzz_status=$?

echo "== Windows build, tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
windows_status=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset windows || windows_status=$?

[ "$native_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ] && [ "$windows_status" -eq 0 ]
