# shellcheck shell=bash
# Shared by the end-to-end scenario scripts: a private X display, the Wine
# environment, starting the saver and the helper programs, screenshots and
# their comparison, input as a person gives it, and uniform reporting.
#
# A scenario script does:
#   . "$(dirname "$0")/lib.sh"
#   e2e_init "$@"                 # saver, window_probe.exe, preview_host.exe
#   e2e_start_display 1024 768    # Xvfb with the test desktop painted on it
#   saver=$(e2e_install_saver)    # a private copy: no stray Vitrane.ini applies
#   e2e_start_saver NAME "$saver" /s || return   # started and showing
#   job=$E2E_SAVER
#   ...e2e_pass NAME / e2e_fail NAME WHY...
#   e2e_finish
#
# Starting and waiting (never sleep before judging what the screen shows):
#   e2e_start_saver NAME PROGRAM ARGS...
#       Starts PROGRAM under Wine (E2E_SAVER is its job) and waits for what
#       its mode shows first: for /s its window, then a frame that covers
#       every monitor (black corners) with the water lit on each, and the
#       picture done fading in (none to wait for with E2E_STILL_PICTURE=1,
#       for the desktop snapshot and the built-in picture, which are drawn
#       as they are from the first frame); for /c, /c:N
#       or no argument the settings dialog; for anything else nothing. All of
#       it against one deadline, E2E_START_SECONDS (default 45) from the
#       start, which a cold Wine start on a slow machine fits in. False, with
#       NAME failed and why, as soon as the program has ended, a probe broke,
#       or the deadline passed.
#   e2e_start_watched PROGRAM ARGS...
#       The same start without the waiting, for a program that runs the saver
#       itself (preview_host): later waits watch it.
#   e2e_await NAME WHAT COMMAND...
#       Polls COMMAND until it succeeds, under the same rules: it fails NAME
#       ("WHAT: why") at once when the watched program has ended or COMMAND
#       broke (an exit code above 1: a probe that could not run), or when the
#       deadline passed. e2e_deadline SECONDS gives later waits a fresh one.
#   e2e_wait_probe EXPECTED ARGS...
#       Until window_probe ARGS prints EXPECTED, with a fresh deadline of
#       E2E_WAIT_SECONDS (default 20) and the same rules; silent.
#
# Deadlines: the whole script has E2E_SCRIPT_SECONDS (default 300; the test
# runner's own limit, which kills without any cleanup, is set above it); when
# it is spent the script is ended as by SIGTERM, between two steps of a wait
# at the latest. However the script ends (its end, e2e_abort, SIGTERM, SIGINT
# or SIGHUP), everything it started is ended by process id, SIGTERM first and
# SIGKILL where that is not enough, and so is the Wine prefix's wineserver.
#
# Settings from the environment: E2E_ARTIFACTS (where screenshots go),
# E2E_WINEPREFIX (the tests' own Wine prefix), E2E_KEEP=1 (keep the work
# folder with the programs' output), E2E_BOX_TOLERANCE (pixels),
# E2E_END_DEADLINE (seconds, input.sh), E2E_START_SECONDS and E2E_WAIT_SECONDS
# (above).

set -u

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_REPO=$(cd "$E2E_LIB_DIR/../.." && pwd)

# The saver's window title and class name, from its string table; the
# scenario scripts look for it.
# shellcheck disable=SC2034
E2E_SAVER_TITLE="Orvel's screensaver :)"
# The settings dialog's title.
E2E_DIALOG_TITLE="Vitrane"

E2E_PASSED=0
E2E_FAILED=0
E2E_JOBS=()
E2E_JOB=""
E2E_EXIT_CODE=""
E2E_DISPLAY_PID=""
E2E_SCREEN_WIDTH=0
E2E_SCREEN_HEIGHT=0
# The monitors as "X,Y,WIDTH,HEIGHT", set with the display.
E2E_MONITORS=()
E2E_WORK=""
# "pid mountpoint" of each slow folder mounted and not yet unmounted.
E2E_MOUNTS=()
# Commands (quoted for eval) that undo what the script changed outside its
# work folder; run however it ends.
E2E_AT_EXIT=()
# The program the waits watch, and when they give up (ms since the epoch).
E2E_SAVER=""
E2E_DEADLINE_MS=0
E2E_DEADLINE_SECONDS=0
E2E_WHY=""
# The process that ends the script when its time is up.
E2E_WATCHDOG=""

# ---------------------------------------------------------------- reporting

e2e_pass() {
    echo "PASS $1"
    E2E_PASSED=$((E2E_PASSED + 1))
}

e2e_fail() {
    echo "FAIL $1: $2"
    E2E_FAILED=$((E2E_FAILED + 1))
}

# e2e_expect NAME WHY-IF-FALSE COMMAND...: PASS when the command succeeds.
e2e_expect() {
    local name=$1 why=$2
    shift 2
    if "$@"; then
        e2e_pass "$name"
    else
        e2e_fail "$name" "$why"
    fi
}

# A precondition failed: nothing after it can be judged.
e2e_abort() {
    e2e_fail "$E2E_NAME" "$1"
    e2e_finish
}

e2e_finish() {
    echo "$E2E_NAME: $E2E_PASSED passed, $E2E_FAILED failed"
    [ -n "${E2E_ARTIFACTS:-}" ] && echo "screenshots and logs: $E2E_ARTIFACTS"
    if [ "$E2E_FAILED" -gt 0 ]; then
        exit 1
    fi
    exit 0
}

# ---------------------------------------------------------------- set-up

# Tool, then the Debian package that brings it.
E2E_TOOLS=(
    "Xvfb xvfb"
    "Xephyr xserver-xephyr"
    "xdotool xdotool"
    "import imagemagick"
    "compare imagemagick"
    "identify imagemagick"
    "display imagemagick"
    "wine wine"
    "cc gcc"
    "wineserver wine"
    "awk mawk"
    "xwininfo x11-utils"
    "xev x11-utils"
    "timeout coreutils"
    "realpath coreutils"
    "fusermount fuse3"
    "msiinfo msitools"
    "tesseract tesseract-ocr"
)

e2e_require_tools() {
    local entry tool package missing=""
    for entry in "${E2E_TOOLS[@]}"; do
        tool=${entry% *}
        package=${entry#* }
        if ! command -v "$tool" >/dev/null 2>&1; then
            missing+=" $tool (package $package)"
        fi
    done
    if [ -n "$missing" ]; then
        e2e_abort "missing tools:$missing"
    fi
}

# e2e_init SAVER [WINDOW_PROBE [PREVIEW_HOST]]: the programs under test, as
# ctest passes them; the environment variables of the same names also serve
# when the script is run by hand.
e2e_init() {
    E2E_NAME=$(basename "$0" .sh)
    VITRANE_SCR=${1:-${VITRANE_SCR:-}}
    WINDOW_PROBE=${2:-${WINDOW_PROBE:-}}
    PREVIEW_HOST=${3:-${PREVIEW_HOST:-}}
    E2E_ARTIFACTS=${E2E_ARTIFACTS:-${TMPDIR:-/tmp}/vitrane-e2e/$E2E_NAME}
    rm -rf "$E2E_ARTIFACTS"
    mkdir -p "$E2E_ARTIFACTS"
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/vitrane-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    trap e2e_interrupted INT TERM HUP
    e2e_start_watchdog "${E2E_SCRIPT_SECONDS:-300}"

    e2e_require_tools
    local program
    for program in VITRANE_SCR WINDOW_PROBE PREVIEW_HOST; do
        if [ -n "${!program}" ] && [ ! -f "${!program}" ]; then
            e2e_abort "$program: no file ${!program}"
        fi
    done
    [ -n "$VITRANE_SCR" ] || e2e_abort "usage: $0 Vitrane.scr [window_probe.exe [preview_host.exe]]"

    # A prefix of the end-to-end tests' own: Wine keeps one screen size per
    # running wineserver, so sharing a prefix with programs on another display
    # of another size would give the saver the wrong screen.
    export VITRANE_WINEPREFIX=${E2E_WINEPREFIX:-$E2E_REPO/build/e2e-wineprefix}
    # shellcheck source=../../scripts/wine-env.sh
    . "$E2E_REPO/scripts/wine-env.sh"
    ensure_wine_prefix || e2e_abort "could not set the Wine prefix $WINEPREFIX up"
    e2e_unmanage_helpers || e2e_abort "could not set the helpers' windows unmanaged in $WINEPREFIX"
    # A session left running by an earlier run would hand its screen size on.
    e2e_end_wineserver || e2e_abort "the Wine prefix $WINEPREFIX is still in use"
}

# With no window manager on the test displays, Wine waits two seconds for
# one whenever a managed window closes. The helpers' own windows (the preview
# box, the probe's foreground window) are made unmanaged, once per prefix; the
# saver's windows stay managed, as on a desktop.
E2E_UNMANAGED_HELPERS=(preview_host.exe window_probe.exe)
e2e_unmanage_helpers() {
    local helper key changed=""
    for helper in "${E2E_UNMANAGED_HELPERS[@]}"; do
        # As user.reg spells it, each backslash doubled.
        # shellcheck disable=SC1003
        key='[Software\\Wine\\AppDefaults\\'"$helper"'\\X11 Driver]'
        KEY=$key awk '
            index($0, ENVIRON["KEY"]) == 1 { inside = 1; next }
            /^\[/ { inside = 0 }
            inside && $0 == "\"Managed\"=\"N\"" { found = 1 }
            END { exit !found }' "$WINEPREFIX/user.reg" && continue
        timeout -k 10 30 wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$helper\\X11 Driver" \
            /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || return 1
        changed=1
    done
    # Before any display: the session must not hand a screen size on.
    [ -z "$changed" ] || e2e_close_wine_session
}

# e2e_start_watchdog SECONDS: the script is ended (SIGTERM) that long from now.
e2e_start_watchdog() {
    local script=$$ marker=$E2E_WORK/time-up end=$(($(e2e_now_ms) + $(e2e_seconds_to_ms "$1")))
    # Short sleeps, so that nothing of it is left a moment after it is ended;
    # away from the output, which the test runner reads to its end.
    (
        while [ "$(e2e_now_ms)" -lt "$end" ]; do
            sleep 1
        done
        : >"$marker"
        kill -TERM "$script"
    ) </dev/null >/dev/null 2>&1 &
    E2E_WATCHDOG=$!
}

e2e_interrupted() {
    [ ! -f "$E2E_WORK/time-up" ] || e2e_fail "$E2E_NAME" "not finished within ${E2E_SCRIPT_SECONDS:-300} s"
    exit 130
}

e2e_cleanup() {
    local mount
    [ -z "$E2E_WATCHDOG" ] || kill "$E2E_WATCHDOG" 2>/dev/null
    # First, so that no program is left waiting for a folder that never answers.
    for mount in "${E2E_MOUNTS[@]}"; do
        kill -9 "${mount%% *}" 2>/dev/null
        fusermount -uz "${mount#* }" 2>/dev/null
    done
    # Every job, those started from command substitutions too.
    [ -z "$E2E_WORK" ] || e2e_kill_job "$E2E_WORK"/job.*
    local command
    for command in "${E2E_AT_EXIT[@]}"; do
        eval "$command" >/dev/null 2>&1
    done
    e2e_stop_display
    if [ -n "$E2E_WORK" ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$E2E_WORK"
    fi
}

# e2e_at_exit COMMAND...: the command runs when the script ends, however it
# ends (after its programs, before the display and the Wine session go): for
# what a scenario changes outside its work folder, such as the prefix's
# registry.
e2e_at_exit() {
    E2E_AT_EXIT+=("$(printf '%q ' "$@")")
}

# Waits for the Wine prefix's wineserver to end, as it does once no program
# runs in the prefix, and ends it with its programs where it does not: a
# session left behind would hand its screen size on. False when it stays.
e2e_end_wineserver() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    timeout 20 wineserver -w >/dev/null 2>&1 && return 0
    echo "the wineserver of $WINEPREFIX did not end within 20 s: ending it" >&2
    wineserver -k >/dev/null 2>&1
    timeout 10 wineserver -w >/dev/null 2>&1
}

# Ends the Wine session once none of the script's programs runs any more:
# left alone, the wineserver lingers a few seconds for a next program before
# it ends. SIGTERM makes it save the registry first.
e2e_close_wine_session() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    wineserver -k15 >/dev/null 2>&1
    e2e_end_wineserver
}

# e2e_end_pids PID...: SIGTERM, then SIGKILL to those still there 5 s later.
e2e_end_pids() {
    [ $# -gt 0 ] || return 0
    kill "$@" 2>/dev/null
    e2e_wait_until 5 e2e_all_gone "$@" && return 0
    kill -KILL "$@" 2>/dev/null
    e2e_wait_until 5 e2e_all_gone "$@"
}

e2e_all_gone() {
    local pid
    for pid in "$@"; do
        kill -0 "$pid" 2>/dev/null && return 1
    done
    return 0
}

e2e_now_ms() {
    date +%s%3N
}

# e2e_wait_until SECONDS COMMAND...: polls the command every 50 ms.
e2e_wait_until() {
    local deadline=$(($(e2e_now_ms) + $(e2e_seconds_to_ms "$1")))
    shift
    until "$@"; do
        if [ "$(e2e_now_ms)" -ge "$deadline" ]; then
            return 1
        fi
        sleep 0.05
    done
}

e2e_seconds_to_ms() {
    awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'
}

# ---------------------------------------------------------------- display

# e2e_start_display WIDTH HEIGHT: a new Xvfb on a free display number, made
# the current DISPLAY and painted with the test desktop. A display started
# before by this script is stopped first.
e2e_start_display() {
    local width=$1 height=$2
    e2e_stop_display
    local number_file=$E2E_WORK/display-number
    rm -f "$number_file"
    # -displayfd lets the server take the first free number itself, which
    # leaves no race with other servers starting at the same time.
    # -noreset: the server would otherwise reset, and lose the painted
    # desktop, whenever its last client leaves.
    Xvfb -displayfd 5 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset 5>"$number_file" \
        >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_DISPLAY_PID=$!
    if ! e2e_wait_until 10 test -s "$number_file"; then
        e2e_abort "Xvfb did not start: $(tail -3 "$E2E_WORK/xvfb.log")"
    fi
    DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
    export DISPLAY
    e2e_start_wm_state
    E2E_SCREEN_WIDTH=$width
    E2E_SCREEN_HEIGHT=$height
    E2E_MONITORS=("0,0,$width,$height")
    e2e_paint_desktop
}

# e2e_start_wm_state: wm_state.c watches the current display (and ends with
# it), so that Wine hides closing dialogs without waiting for a window manager.
e2e_start_wm_state() {
    local program=$E2E_WORK/wm_state ready=$E2E_WORK/wm_state.$$.$RANDOM
    if [ ! -x "$program" ]; then
        cc -O2 -o "$program" "$E2E_LIB_DIR/wm_state.c" -lX11 2>"$E2E_WORK/wm_state.log" ||
            e2e_abort "could not build wm_state.c (packages gcc, libx11-dev): $(tail -3 "$E2E_WORK/wm_state.log")"
    fi
    "$program" >"$ready" 2>>"$E2E_WORK/wm_state.log" &
    E2E_DISPLAY_PID="$! $E2E_DISPLAY_PID"
    e2e_wait_until 10 grep -qx ready "$ready" || e2e_abort "wm_state did not start: $(tail -3 "$E2E_WORK/wm_state.log")"
}

# e2e_start_two_monitors: two monitors side by side for Wine, 800 x 600 (the
# primary) at 0,0 and 640 x 480 at 800,0: Xvfb alone gives Wine one monitor,
# a nested Xephyr with two Xinerama heads and RandR off gives it two. DISPLAY
# becomes the Xephyr's, whose root (1440 x 600) the scenario paints itself.
e2e_start_two_monitors() {
    e2e_start_display 1600 700
    local number_file=$E2E_WORK/nested-display-number
    Xephyr -displayfd 5 -extension RANDR +xinerama -screen 800x600 -screen 640x480 -nolisten tcp -noreset \
        5>"$number_file" >"$E2E_WORK/xephyr.log" 2>&1 &
    E2E_DISPLAY_PID="$! $E2E_DISPLAY_PID"
    e2e_wait_until 10 test -s "$number_file" || e2e_abort "Xephyr did not start: $(tail -3 "$E2E_WORK/xephyr.log")"
    DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
    e2e_start_wm_state
    E2E_SCREEN_WIDTH=1440
    E2E_SCREEN_HEIGHT=600
    E2E_MONITORS=("0,0,800,600" "800,0,640,480")
}

# Ends the display after every Windows program on it, and the wineserver:
# the next session must read the next display's size.
e2e_stop_display() {
    [ -n "$E2E_DISPLAY_PID" ] || return 0
    e2e_kill_job "${E2E_JOBS[@]}"
    e2e_close_wine_session
    # Both servers when the display is nested.
    # shellcheck disable=SC2086
    e2e_end_pids $E2E_DISPLAY_PID
    wait $E2E_DISPLAY_PID 2>/dev/null
    E2E_DISPLAY_PID=""
}

# The test desktop: a checkerboard of two bright colours, 32 pixels a square,
# with a red block in the top-left corner and a green one in the bottom-right.
# No pixel is black, so wherever the saver shows the desktop snapshot its
# surface stands out from the black background; the board makes the ripples
# visible, and the blocks show which way up the snapshot is drawn.
e2e_paint_desktop() {
    local w=$E2E_SCREEN_WIDTH h=$E2E_SCREEN_HEIGHT
    local image=$E2E_WORK/desktop.png
    convert -size 64x64 xc:'#ffd040' \
        -fill '#2080ff' -draw 'rectangle 0,0 31,31' -draw 'rectangle 32,32 63,63' \
        -write mpr:tile +delete -size "${w}x${h}" tile:mpr:tile \
        -fill '#e02020' -draw "rectangle 0,0 $((w / 4)),$((h / 4))" \
        -fill '#20c040' -draw "rectangle $((w * 3 / 4)),$((h * 3 / 4)) $((w - 1)),$((h - 1))" \
        "$image" || e2e_abort "could not make the desktop picture"
    # display exits non-zero after setting the root's background; judge by
    # what the screen shows instead.
    timeout 10 display -window root "$image" >/dev/null 2>&1
    local corner
    corner=$(e2e_pixel "$(e2e_screenshot desktop)" 1 1)
    [ "$corner" = "224,32,32" ] || e2e_abort "the test desktop was not painted (top-left pixel $corner)"
}

# ---------------------------------------------------------------- programs

# e2e_install_saver: copies the saver into a fresh folder of its own and
# prints its path. The saver reads Vitrane.ini beside itself, so a private
# copy starts from the default settings unless the scenario writes one there.
e2e_install_saver() {
    local folder
    folder=$(mktemp -d "$E2E_WORK/saver.XXXX")
    cp "$VITRANE_SCR" "$folder/Vitrane.scr" || return 1
    echo "$folder/Vitrane.scr"
}

# e2e_write_settings FOLDER PICTURE FLAG: a Vitrane.ini in FOLDER as the
# settings dialog writes it, naming PICTURE with UseCustomPic FLAG.
e2e_write_settings() {
    printf '[Vitrane settings]\r\nCustomPicture=%s\r\nUseCustomPic=%s\r\n' "$2" "$3" >"$1/Vitrane.ini"
}

# The Windows name of a file: Wine maps the Unix root to drive Z.
e2e_winpath() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s\n' "${path//\//\\}"
}

# e2e_colour_pictures FOLDER [WIDTHxHEIGHT] "NAME R,G,B"...: a BMP of one
# colour (96 x 72 unless given), FOLDER/NAME.bmp, for each entry (NAME may
# hold a subfolder that exists).
e2e_colour_pictures() {
    local folder=$1 size=96x72 entry name colour
    shift
    if [[ ${1:-} =~ ^[0-9]+x[0-9]+$ ]]; then
        size=$1
        shift
    fi
    for entry in "$@"; do
        read -r name colour <<<"$entry"
        convert -size "$size" "xc:rgb($colour)" -type TrueColor "BMP3:$folder/$name.bmp"
    done
}

# e2e_mount_slow_folder SOURCE MOUNTPOINT DELAY [READ_DELAY]: SOURCE seen at
# MOUNTPOINT through slow_folder.py, each directory read DELAY seconds late
# (each read of a file's bytes READ_DELAY seconds); a folder named stalled*
# answers only once SOURCE.release exists. SOURCE.stalled and SOURCE.reading
# exist while such reads are under way. Unmounted when the
# script ends, or by e2e_unmount_slow_folder. False, with why in E2E_WHY,
# when it could not be mounted.
e2e_mount_slow_folder() {
    E2E_WHY=""
    # Debian's own Python, which has Debian's python3-fusepy.
    if [ ! -c /dev/fuse ]; then
        E2E_WHY="no /dev/fuse: the machine (or container) offers no FUSE"
    elif ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
        E2E_WHY="/usr/bin/python3 has no fusepy (package python3-fusepy)"
    fi
    [ -z "$E2E_WHY" ] || return 1
    mkdir -p "$2"
    /usr/bin/python3 "$E2E_LIB_DIR/slow_folder.py" "$@" 2>"$E2E_WORK/slow_folder.log" &
    E2E_MOUNTS+=("$! $2")
    e2e_wait_until 10 grep -qs " $(realpath "$2") fuse" /proc/mounts && return 0
    E2E_WHY="$2 was not mounted within 10 s: $(tail -1 "$E2E_WORK/slow_folder.log")"
    return 1
}

# e2e_unmount_slow_folder MOUNTPOINT: the share goes away: its daemon ends
# and the folder is unmounted. Its process id is forgotten, so that nothing
# that may take that id later is killed at the end.
e2e_unmount_slow_folder() {
    local mount kept=()
    for mount in "${E2E_MOUNTS[@]}"; do
        if [ "${mount#* }" = "$1" ]; then
            e2e_end_pids "${mount%% *}"
            fusermount -uz "$1" 2>/dev/null
        else
            kept+=("$mount")
        fi
    done
    E2E_MOUNTS=(${kept[@]+"${kept[@]}"})
}

# e2e_start_wine PROGRAM ARGS...: starts the program under Wine in the
# background and sets E2E_JOB to a folder holding its process id ("pid"), its
# output ("out") and, once it has ended, its exit code ("rc"). Wine passes the
# Windows exit code through.
e2e_start_wine() {
    local program=$1
    shift
    # A fresh folder even when called from a command substitution, whose
    # changes to this shell's variables are lost.
    E2E_JOB=$(mktemp -d "$E2E_WORK/job.XXXX")
    echo "wine $program $*" >"$E2E_JOB/command"
    (
        # The process id must be Wine's own, which becomes the program: the
        # function wine would run in a subshell of its own, and su starts the
        # program in a session of its own, as the user, whose shell writes
        # its process id before the program takes it over.
        if [ -n "$E2E_USER" ]; then
            E2E_REPORT_PID=1 e2e_user_do wine "$program" "$@" </dev/null >"$E2E_JOB/out" 2>"$E2E_JOB/err" \
                3>"$E2E_JOB/pid" &
        else
            command wine "$program" "$@" </dev/null >"$E2E_JOB/out" 2>"$E2E_JOB/err" &
            echo $! >"$E2E_JOB/pid"
        fi
        wait $!
        echo $? >"$E2E_JOB/rc.tmp"
        mv "$E2E_JOB/rc.tmp" "$E2E_JOB/rc"
    ) &
    E2E_JOBS+=("$E2E_JOB")
    e2e_wait_until 5 test -s "$E2E_JOB/pid"
}

e2e_job_running() {
    [ ! -f "$1/rc" ]
}

# The job's standard output without the carriage returns of the Windows
# runtime.
e2e_job_output() {
    tr -d '\r' <"$1/out" 2>/dev/null
}

# e2e_wait_job JOB SECONDS: true when the job ends within the time; its exit
# code is then in E2E_EXIT_CODE.
e2e_wait_job() {
    E2E_EXIT_CODE=""
    if ! e2e_wait_until "$2" test -f "$1/rc"; then
        return 1
    fi
    E2E_EXIT_CODE=$(cat "$1/rc")
}

# e2e_kill_job JOB...: ends the jobs still running, SIGKILL where SIGTERM is
# not enough.
e2e_kill_job() {
    local job pids=()
    for job in "$@"; do
        e2e_job_running "$job" && [ -s "$job/pid" ] && pids+=("$(cat "$job/pid")")
    done
    e2e_end_pids ${pids[@]+"${pids[@]}"}
}

# e2e_run_wine SECONDS PROGRAM ARGS...: runs a program to its end and prints
# its output; the result is its exit code, or 124 when it took too long.
e2e_run_wine() {
    local seconds=$1
    shift
    e2e_start_wine "$@"
    local job=$E2E_JOB
    if ! e2e_wait_job "$job" "$seconds"; then
        e2e_kill_job "$job"
        return 124
    fi
    e2e_job_output "$job"
    return "$E2E_EXIT_CODE"
}

# e2e_probe ARGS...: window_probe with its arguments (see window_probe.cpp).
e2e_probe() {
    e2e_run_wine 30 "$WINDOW_PROBE" "$@"
}

# e2e_probe_prints EXPECTED ARGS...: true when window_probe ARGS prints
# EXPECTED; 1 when it prints something else or finds no such window; the
# probe's own exit code when it could not run (usage, hang).
e2e_probe_prints() {
    local expected=$1 output code
    shift
    output=$(e2e_probe "$@" 2>/dev/null)
    code=$?
    [ "$code" -le 1 ] || return "$code"
    [ "$code" = 0 ] && [ "$(printf '%s' "$output" | tr -d '\r')" = "$expected" ]
}

e2e_wait_probe() {
    e2e_deadline "${E2E_WAIT_SECONDS:-20}"
    e2e_poll e2e_probe_prints "$@"
}

# e2e_window_up TITLE: a visible top-level Windows window with that title,
# as window_probe sees it (dialogs and message boxes too); 1 when there is
# none, the probe's exit code when it could not run.
e2e_window_up() {
    e2e_probe --timeout 500 wait "$1" >/dev/null 2>&1
}

# ---------------------------------------------------------------- start and wait

# e2e_deadline SECONDS: the waits that follow give up SECONDS from now.
e2e_deadline() {
    E2E_DEADLINE_MS=$(($(e2e_now_ms) + $(e2e_seconds_to_ms "$1")))
    E2E_DEADLINE_SECONDS=$1
}

# e2e_await without the report; why it gave up is in E2E_WHY.
e2e_poll() {
    local code program
    E2E_WHY=""
    while :; do
        "$@" >/dev/null
        code=$?
        if [ "$code" = 0 ]; then
            return 0
        elif [ "$code" -gt 1 ]; then
            E2E_WHY="$1 could not run (exit code $code)"
        elif [ -n "$E2E_SAVER" ] && ! e2e_job_running "$E2E_SAVER"; then
            read -r _ program _ <"$E2E_SAVER/command"
            E2E_WHY="${program##*/} ended with exit code $(cat "$E2E_SAVER/rc")"
        elif [ "$(e2e_now_ms)" -ge "$E2E_DEADLINE_MS" ]; then
            E2E_WHY="not within $E2E_DEADLINE_SECONDS s"
        else
            sleep 0.05
            continue
        fi
        return 1
    done
}

e2e_await() {
    local name=$1 what=$2
    shift 2
    e2e_poll "$@" && return 0
    e2e_fail "$name" "$what: $E2E_WHY"
    return 1
}

e2e_start_watched() {
    E2E_SETTLE_FIRST=""
    e2e_deadline "${E2E_START_SECONDS:-45}"
    e2e_start_wine "$@"
    E2E_SAVER=$E2E_JOB
}

e2e_start_saver() {
    local name=$1 program=$2
    shift 2
    e2e_start_watched "$program" "$@"
    case ${1:-} in
    /s | /S | -s | -S)
        e2e_await "$name" "no window \"$E2E_SAVER_TITLE\"" e2e_window_shown "$E2E_SAVER_TITLE" &&
            e2e_await "$name" "no frame covering every monitor with the water on it (see frame.png)" e2e_frame_shown &&
            { [ -n "${E2E_STILL_PICTURE:-}" ] ||
                e2e_await "$name" "the picture never stopped fading in (see settle-*.png)" e2e_frame_settled; }
        ;;
    "" | /c | /C | -c | -C | /c:* | /C:*)
        e2e_await "$name" "no settings dialog \"$E2E_DIALOG_TITLE\"" e2e_window_up "$E2E_DIALOG_TITLE"
        ;;
    esac
}

# e2e_frame_shown: the saver's output covers every monitor, black at its
# corners, with the water lit on each; the screenshot is frame.png.
e2e_frame_shown() {
    local file rect x y w h
    file=$(e2e_screenshot frame)
    e2e_corners_black "$file" || return 1
    for rect in "${E2E_MONITORS[@]}"; do
        IFS=, read -r x y w h <<<"$rect"
        [ "$(e2e_bbox "$(e2e_crop "$file" "${w}x${h}+$x+$y" frame-monitor)")" != none ] || return 1
    done
}

# e2e_frame_settled, polled: the screen, not black, has kept its mean colour
# over screenshots spanning more than a crossfade (1.5 s): a picture fades in
# once it is decoded, and two screenshots of a shorter span could both fall
# within the fade. The moving water alone shifts each channel's mean by up to
# 5 % of the mean brightness; a change of more than 10 % starts the span
# afresh. e2e_start_watched starts it afresh too.
E2E_SETTLE_FIRST=""
E2E_SETTLE_SINCE_MS=0
e2e_frame_settled() {
    local file taken now
    # Before the screenshot, and the first one's time after it: the span
    # between the two captures is never overstated.
    now=$(e2e_now_ms)
    file=$(e2e_screenshot settle)
    taken=$(convert "$file" -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:) || return 2
    if [ -n "$E2E_SETTLE_FIRST" ] && awk -v a="$E2E_SETTLE_FIRST" -v b="$taken" 'BEGIN {
        split(a, x, " "); split(b, y, " "); bound = 0.1 * (x[1] + x[2] + x[3]) / 3
        for (k = 1; k <= 3; k++) if ((y[k] - x[k]) ^ 2 >= bound ^ 2) exit 1
    }'; then
        [ $((now - E2E_SETTLE_SINCE_MS)) -gt 1700 ]
        return
    fi
    awk -v a="$taken" 'BEGIN { split(a, x, " "); exit !(x[1] + x[2] + x[3] > 0.003) }' || return 1
    E2E_SETTLE_FIRST=$taken
    E2E_SETTLE_SINCE_MS=$(e2e_now_ms)
    cp "$file" "$E2E_ARTIFACTS/settle-first.png"
    return 1
}

# A title as an anchored pattern for xdotool, which takes regular expressions.
e2e_title_pattern() {
    printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')"
}

# e2e_window_shown TITLE: the X id of a mapped window with that exact title.
e2e_window_shown() {
    xdotool search --onlyvisible --name "$(e2e_title_pattern "$1")" 2>/dev/null | head -1 | grep .
}

# e2e_record_maps: from now on, logs every top-level X window created or
# mapped, however briefly. xev ends with the display.
e2e_record_maps() {
    xev -root -event substructure >"$E2E_WORK/maps.log" 2>&1 &
}

# e2e_framed_maps_besides "(X,Y), width W, height H": "id geometry" of each
# framed (not override-redirect) top-level window mapped since, but those
# created with that geometry.
e2e_framed_maps_besides() {
    awk -v keep="$1" '
        /^(Create|Map)Notify/ { kind = $1; next }
        kind && match($0, /window 0x[0-9a-f]+/) {
            id = substr($0, RSTART + 7, RLENGTH - 7)
            if (kind == "CreateNotify") { at[id] = substr($0, index($0, "(")) }
            else if (/override NO/ && at[id] != keep) { print id, at[id] }
        }
        { kind = "" }' "$E2E_WORK/maps.log"
}

# ---------------------------------------------------------------- input

e2e_key() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
}

e2e_click() {
    local button=${1:-1}
    xdotool mousedown "$button"
    sleep 0.1
    xdotool mouseup "$button"
}

e2e_nudge_mouse() {
    xdotool mousemove_relative -- "${1:-1}" "${2:-0}"
}

e2e_move_mouse() {
    xdotool mousemove "$1" "$2"
}

# ---------------------------------------------------------------- pictures

# e2e_screenshot NAME: the whole screen into the artifacts folder; prints the
# file's path.
e2e_screenshot() {
    local file=$E2E_ARTIFACTS/$1.png
    import -window root "$file" 2>>"$E2E_WORK/import.log"
    echo "$file"
}

# e2e_pixel FILE X Y: "r,g,b" of one pixel, 8 bits a channel.
e2e_pixel() {
    convert "$1" -format "%[fx:round(255*u.p{$2,$3}.r)],%[fx:round(255*u.p{$2,$3}.g)],%[fx:round(255*u.p{$2,$3}.b)]" info:
}

# e2e_corners_black FILE: all four corners of every monitor black in the
# screenshot: the saver's black background, not the desktop and not a white
# window, covers them.
e2e_corners_black() {
    local file=$1 rect x y w h
    for rect in "${E2E_MONITORS[@]}"; do
        IFS=, read -r x y w h <<<"$rect"
        [ "$(e2e_pixel "$file" "$x" "$y")" = "0,0,0" ] && [ "$(e2e_pixel "$file" $((x + w - 1)) "$y")" = "0,0,0" ] &&
            [ "$(e2e_pixel "$file" "$x" $((y + h - 1)))" = "0,0,0" ] &&
            [ "$(e2e_pixel "$file" $((x + w - 1)) $((y + h - 1)))" = "0,0,0" ] || return 1
    done
}

# e2e_crop FILE GEOMETRY NAME: a part of a screenshot (WxH+X+Y) as a file of its own.
e2e_crop() {
    local file=$E2E_ARTIFACTS/$3.png
    convert "$1" -crop "$2" +repage "$file"
    echo "$file"
}

# e2e_bbox FILE: "left top right bottom" (inclusive pixel indices) of the
# pixels that are not black, or "none". Near-black is black here: the test
# pictures hold no dark colours.
e2e_bbox() {
    local geometry
    # The black border makes black the colour that trimming strips, whatever
    # the corner pixels are.
    geometry=$(convert "$1" -bordercolor black -border 1 -fuzz 3% -format '%@' info: 2>/dev/null)
    awk -v g="$geometry" 'BEGIN {
        if (split(g, p, /[x+]/) != 4 || p[1] == 0 || p[2] == 0) { print "none"; exit }
        left = p[3] - 1; top = p[4] - 1
        print left, top, left + p[1] - 1, top + p[2] - 1
    }'
}

# e2e_desktop_share FILE: the percentage of the non-black pixels that have
# one of the test desktop's colours; high where the surface shows the desktop
# snapshot (filtering blends only the squares' borders).
e2e_desktop_share() {
    local colour desktop=0 black total
    for colour in 255,208,64 32,128,255 224,32,32 32,192,64; do
        desktop=$((desktop + $(e2e_count_colour "$1" "$colour")))
    done
    black=$(e2e_count_colour "$1" 0,0,0)
    total=$(identify -format '%[fx:w*h]' "$1")
    awk -v d="$desktop" -v n=$((total - black)) 'BEGIN { printf "%d\n", (n > 0 ? 100 * d / n : 0) }'
}

# e2e_diff_pixels FILE FILE: how many pixels differ; compare's complaint
# instead when it cannot tell (pictures of different sizes), which no number
# test accepts.
e2e_diff_pixels() {
    compare -metric AE "$1" "$2" null: 2>&1 |
        awk '$1 ~ /^[0-9.e+]+$/ { printf "%d\n", $1; next } { print "compare failed:", $0 }'
}

# e2e_count_colour FILE R,G,B: how many pixels have exactly that colour.
e2e_count_colour() {
    # Difference from a plain picture of that colour: zero exactly there.
    convert "$1" \( +clone -fill "rgb($2)" -colorize 100 \) -compose difference -composite \
        -colorspace gray -threshold 0 -format '%[fx:round((1-mean)*w*h)]\n' info:
}

# e2e_mask_rect FILE X Y WIDTH HEIGHT NAME: a copy with that rectangle blacked out.
e2e_mask_rect() {
    local file=$E2E_ARTIFACTS/$6.png
    convert "$1" -fill black -draw "rectangle $2,$3 $(($2 + $4 - 1)),$(($3 + $5 - 1))" "$file"
    echo "$file"
}

# Where the water surface of the rings lies on the screen: each edge of its
# box as "lowest highest", in output heights from the output's centre, the
# range the passing rings move it over. Recorded from the program's rings;
# the camera keeps its vertical angle of view whatever the output's shape,
# so full screens of any size and the preview box share these figures.
E2E_RINGS_BOX=(left "-0.494 -0.484" top "-0.209 -0.194" right "0.605 0.617" bottom "0.407 0.416")

# e2e_surface_box_verdict FILE WIDTH HEIGHT: "ok" when the non-black part of
# FILE, an output of that size, lies where the rings' surface does, give or
# take E2E_BOX_TOLERANCE pixels (rasterisation); otherwise what is wrong.
e2e_surface_box_verdict() {
    local measured
    measured=$(e2e_bbox "$1")
    if [ "$measured" = none ]; then
        echo "nothing but black in $(basename "$1")"
        return
    fi
    awk -v m="$measured" -v W="$2" -v H="$3" -v t="${E2E_BOX_TOLERANCE:-3}" -v bands="${E2E_RINGS_BOX[*]}" 'BEGIN {
        split(m, b, " "); split(bands, e, " ")
        # Pixel edges: the right and bottom edges lie one past the last lit pixel.
        edge[1] = b[1]; edge[2] = b[2]; edge[3] = b[3] + 1; edge[4] = b[4] + 1
        for (k = 1; k <= 4; k++) {
            centre = (k % 2 == 1 ? W : H) / 2
            lo = centre + e[3 * k - 1] * H - t; hi = centre + e[3 * k] * H + t
            if (edge[k] < lo || edge[k] > hi)
                bad = bad sprintf(" %s edge at %d, expected %.1f..%.1f;", e[3 * k - 2], edge[k], lo, hi)
        }
        print bad == "" ? "ok" : "surface box (" m "):" bad
    }'
}

# e2e_check_surface_box NAME FILE WIDTH HEIGHT: the surface in FILE lies
# where the rings' does. The surface must show a picture without black in
# it, such as the test desktop.
e2e_check_surface_box() {
    local verdict
    verdict=$(e2e_surface_box_verdict "$2" "$3" "$4")
    if [ "$verdict" = ok ]; then
        e2e_pass "$1"
    else
        e2e_fail "$1" "$(basename "$2"): $verdict"
    fi
}

# ---------------------------------------------------------------- users

# e2e_run_as_user USER: from here on every Windows program the script starts
# runs as that ordinary user (added when missing), in the user's Wine prefix;
# e2e_run_as_user "" goes back to root. Under Wine root writes even where file
# permissions forbid it. The user's programs must be able to read the files
# they are given. The prefix is kept between runs (a new one takes about ten
# seconds and 700 MB) and shared by every build folder: a run from another
# one waits its turn, since one Wine session serves one display.
E2E_USER=""
E2E_USER_PREFIX=""
E2E_USER_LOCK=""
e2e_run_as_user() {
    if [ -n "$E2E_USER" ]; then
        e2e_user_do wineserver -k
        exec {E2E_USER_LOCK}>&-
    fi
    E2E_USER=$1
    [ -n "$E2E_USER" ] || return 0
    id "$E2E_USER" >/dev/null 2>&1 || useradd -m "$E2E_USER" || e2e_abort "could not add the user $E2E_USER"
    E2E_USER_PREFIX=$(getent passwd "$E2E_USER" | cut -d: -f6)/vitrane-wineprefix
    exec {E2E_USER_LOCK}>"$E2E_USER_PREFIX.lock"
    flock -w 60 "$E2E_USER_LOCK" || e2e_abort "$E2E_USER_PREFIX stayed in use for 60 s"
    trap '[ -z "$E2E_USER" ] || e2e_user_do wineserver -k; e2e_cleanup' EXIT
    if [ ! -f "$E2E_USER_PREFIX/system.reg" ]; then
        e2e_run_wine 180 wineboot --init >/dev/null 2>&1 || e2e_abort "wineboot --init of $E2E_USER_PREFIX failed or took over 180 s"
    fi
}

# e2e_user_do COMMAND...: the command as E2E_USER, with that user's Wine
# setting. With E2E_REPORT_PID set, the command's process id goes to
# descriptor 3 first.
e2e_user_do() {
    local report=""
    [ -z "${E2E_REPORT_PID:-}" ] || report='echo $$ >&3; '
    su "$E2E_USER" -s /bin/bash -c "cd && ${report}exec $(printf '%q ' env DISPLAY="${DISPLAY:-}" \
        WINEPREFIX="$E2E_USER_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$@")"
}

wine() {
    if [ -n "$E2E_USER" ]; then
        e2e_user_do wine "$@"
    else
        command wine "$@"
    fi
}

# ---------------------------------------------------------------- handing back

# e2e_hand_back JOB INPUT...: gives the full-screen saver JOB the input and
# prints "GONE ENDED CODE": milliseconds from the start of the input until no
# window with the saver's title is mapped on the X display (what the user
# sees) and until the process has ended, then its exit code; "-" for what
# did not happen within about 5 s.
e2e_hand_back() {
    local job=$1 start input gone=- ended=-
    shift
    start=$(e2e_now_ms)
    "$@" &
    input=$!
    while [ $(($(e2e_now_ms) - start)) -lt 5000 ]; do
        if ! e2e_window_shown "$E2E_SAVER_TITLE" >/dev/null; then
            gone=$(($(e2e_now_ms) - start))
            break
        fi
    done
    wait "$input"
    if e2e_wait_job "$job" 5; then
        ended=$(($(e2e_now_ms) - start))
    fi
    echo "$gone $ended ${E2E_EXIT_CODE:--}"
}

# e2e_short_path WINDOWS-PATH: the path's short (8.3) form, as Windows gives
# it for a file that exists.
e2e_short_path() {
    local script=$E2E_WORK/short-path.bat
    printf '@echo %%~s1\r\n' >"$script" && chmod 444 "$script"
    e2e_run_wine 30 cmd /c "$(e2e_winpath "$script")" "$1"
}
