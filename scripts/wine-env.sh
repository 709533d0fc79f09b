# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own, quiet, and never asking to install extra runtimes.
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${VITRANE_WINEPREFIX:-$repo_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# A new prefix takes about ten seconds to set up; do it once, up front, so that
# no test's timing pays for it. False, with the prefix's wineserver ended,
# when it takes over three minutes.
ensure_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        # With no window manager on the virtual display, Wine waits about two
        # seconds for one each time a managed window closes; the unit tests
        # open and close many dialogs.
        if ! timeout -k 10 150 wineboot --init >/dev/null 2>&1 ||
            ! timeout -k 10 30 wine reg add 'HKCU\Software\Wine\AppDefaults\win32_tests.exe\X11 Driver' \
                /v Managed /t REG_SZ /d N /f >/dev/null 2>&1; then
            echo "setting up the Wine prefix $WINEPREFIX failed or took too long" >&2
            wineserver -k >/dev/null 2>&1
            # Set up again next time.
            rm -f "$WINEPREFIX/system.reg"
            return 1
        fi
        timeout 30 wineserver --wait || true
    fi
}
