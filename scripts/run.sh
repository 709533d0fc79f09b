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
# The saver shows the desktop under its water, and a virtual display's desktop
# is black: give it a colourful picture first.
wallpaper="$PWD/build/vitrane-wallpaper.png"
convert -size 1024x768 -seed 7 plasma:fractal "$wallpaper"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    display -window root "$4" &
    wallpaper_pid=$!
    sleep 1
    wine "$1" /s &
    saver_pid=$!
    sleep "$2"
    import -window root "$3"
    kill "$saver_pid" 2>/dev/null
    wineserver -k
    kill "$wallpaper_pid" 2>/dev/null
    true
' run "$saver" "$seconds" "$screenshot" "$wallpaper"
echo "Screenshot: $screenshot"
