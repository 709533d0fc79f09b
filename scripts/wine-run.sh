#!/usr/bin/env bash
# Runs a Windows program under Wine: ctest's emulator for the cross build.
# Without an X display it borrows a virtual one for the run.
set -u
. "$(dirname "$0")/wine-env.sh"
ensure_wine_prefix || exit 1
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
