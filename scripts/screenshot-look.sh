#!/usr/bin/env bash
# Builds Vitrane.scr, runs it full screen in the realistic look (Look=1) under
# Wine on a virtual display over a made-up desktop (a wallpaper, two windows,
# icons), and saves the screen as docs/realistic-look.png (or the file given
# as the first argument), for the README.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}"

output=$(realpath -m "${1:-docs/realistic-look.png}")
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vitrane -j "$(nproc)"
. scripts/wine-env.sh
ensure_wine_prefix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/windows/Vitrane.scr "$work/"
printf '[Vitrane settings]\r\nLook=1\r\nWaveStyle=%s\r\n' "${WAVE_STYLE:-0}" >"$work/Vitrane.ini"
# A desktop with straight edges, which show the water best.
convert -size 1024x768 gradient:'#1c5d8c-#7cc0d8' \
    -fill '#f4f4f0' -draw 'rectangle 180,120 700,520' -fill '#3a78c8' -draw 'rectangle 180,120 700,150' \
    -fill '#c8c8c4' -draw 'rectangle 200,180 680,196' -draw 'rectangle 200,216 600,232' \
    -draw 'rectangle 200,252 650,268' -draw 'rectangle 200,288 520,304' \
    -fill '#ffd040' -draw 'rectangle 200,340 420,500' -fill '#e05030' -draw 'circle 560,420 620,420' \
    -fill '#fafafa' -draw 'rectangle 560,300 940,620' -fill '#2a9d5c' -draw 'rectangle 560,300 940,330' \
    -fill '#d0d0d0' -draw 'rectangle 580,360 920,376' -draw 'rectangle 580,396 860,412' \
    -fill '#ffffff' -draw 'rectangle 30,40 90,100' -draw 'rectangle 30,140 90,200' -draw 'rectangle 30,240 90,300' \
    -fill '#202428' -draw 'rectangle 0,728 1023,767' -fill '#3a78c8' -draw 'rectangle 8,734 110,761' \
    "$work/desktop.png"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    display -window root "$2/desktop.png" &
    wallpaper_pid=$!
    sleep 1
    wine "$2/Vitrane.scr" /s &
    timeout 60 xdotool search --sync --onlyvisible --name "^Orvel.s screensaver :)\$" >/dev/null
    # Past the rise of the waves, and the first frames of a loaded machine.
    sleep "${LOOK_SECONDS:-8}"
    import -window root "$1"
    wineserver -k
    kill "$wallpaper_pid" 2>/dev/null
    true
' screenshot "$output" "$work"
echo "Screenshot: $output"
