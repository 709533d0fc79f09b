#!/usr/bin/env bash
# Builds Vitrane.scr, opens its settings dialog (/c) under Wine on a virtual
# display and saves the dialog's picture as docs/settings-dialog.png (or the
# file given as the first argument), for the README.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_missing_packages "${vitrane_packages[@]}"

output=$(realpath -m "${1:-docs/settings-dialog.png}")
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vitrane -j "$(nproc)"
# The virtual display has no window manager, so the picture has no title bar.
# (Wine can draw one itself, with Managed=N, but then it no longer shows the
# preview's OpenGL window over an unmanaged dialog.)
. scripts/wine-env.sh
ensure_wine_prefix

# A copy of its own, so that no settings file beside the build changes what
# the dialog shows: the desktop under the water, rings, today's speed.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/windows/Vitrane.scr "$work/"
# The preview shows the desktop, and a virtual display's desktop is black.
convert -size 1024x768 -seed 7 plasma:fractal "$work/wallpaper.png"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    display -window root "$2/wallpaper.png" &
    wallpaper_pid=$!
    sleep 1
    wine "$2/Vitrane.scr" /c &
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Vitrane\$" | head -1)
    # Let the preview draw a few dozen frames of water.
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
    wineserver -k
    kill "$wallpaper_pid" 2>/dev/null
    true
' screenshot "$output" "$work"
echo "Screenshot: $output"
