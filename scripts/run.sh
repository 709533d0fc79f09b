#!/usr/bin/env bash
# Builds Vitrane.scr and runs it full screen: on the current X display, or,
# where there is none, on a virtual one for a few seconds, leaving a screenshot.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}"

cmake --preset windows >/dev/null
cmake --build --preset windows --target Vitrane -j "$(nproc)"
saver=build/windows/Vitrane.scr
. scripts/wine-env.sh
ensure_wine_prefix

if [ -n "${DISPLAY:-}" ]; then
    echo "Running $saver full screen; a key press or a mouse move ends it."
    exec wine "$saver" /s
fi

screenshot="$PWD/build/vitrane-screenshot.png"
seconds=${VITRANE_RUN_SECONDS:-5}
echo "No X display: running $saver on a virtual 1024x768 display for $seconds s."
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wine "$1" /s &
    saver_pid=$!
    sleep "$2"
    import -window root "$3"
    kill "$saver_pid" 2>/dev/null
    wineserver -k
' run "$saver" "$seconds" "$screenshot"
echo "Screenshot: $screenshot"
