#!/usr/bin/env bash
# The full-screen saver ends when it is touched, and until then keeps running
# untouched: each input below takes its window off the X display (what the
# user sees) within E2E_GONE_DEADLINE seconds (default 0.5) and ends it with
# exit code 0, over the desktop within E2E_END_DEADLINE seconds (default 1),
# and within 2 s while a picture decodes: a decode under way is not cut short
# and the program waits a second for it. The taps send press and release at
# once, as a touchpad's tap-to-click or a remote-control tool does, so both
# arrive in one batch of messages.
#
# The pictures lie on a slow share (lib.sh) whose every read of a file's
# bytes takes a quarter of a second, seconds for a whole picture: the input
# comes only while such a read is under way, the first picture's (nothing
# shown yet) or the next one's (a picture already shown, which is then
# remembered in Vitrane.ini).
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
gone_deadline=${E2E_GONE_DEADLINE:-0.5}
end_deadline=${E2E_END_DEADLINE:-1.0}

# "name shows input...": what the saver shows when the input comes (the
# desktop a second after it has come up; the pictures, while the first one
# or the next one decodes).
INPUTS=("key_held desktop e2e_key a"
    "key_tapped first_decode xdotool key a"
    "click_held desktop e2e_click 1"
    "click_tapped first_decode xdotool click 1"
    "wheel_up desktop xdotool click 4"
    "wheel_down desktop xdotool click 5"
    "wheel_sideways desktop xdotool click 6"
    "move_one_pixel next_decode e2e_nudge_mouse 1 0")

colour=200,60,40
source=$E2E_WORK/Panoramas
share=$E2E_WORK/share
mkdir -p "$source"
convert -size 1024x768 "xc:rgb($colour)" -type TrueColor "BMP3:$source/a.bmp" || e2e_abort "could not make the picture"
cp "$source/a.bmp" "$source/b.bmp"
cp "$source/a.bmp" "$source/c.bmp"
e2e_mount_slow_folder "$source" "$share" 0 0.25 || e2e_abort "no slow folder: $E2E_WHY"

decoding() { [ -e "$source.reading" ]; }
picture_shown() {
    awk -v p="$(e2e_pixel "$(e2e_screenshot input-picture)" 512 420)" -v c="$colour" 'BEGIN {
        split(p, a, ","); split(c, b, ",")
        for (k = 1; k <= 3; k++) if ((a[k] - b[k]) ^ 2 >= 256) exit 1 }'
}
first_decode() { decoding && ! picture_shown && decoding; }
next_decode() { decoding && picture_shown && decoding; }

# start_saver NAME SHOWS: the saver started and showing what the row needs.
start_saver() {
    local saver
    saver=$(e2e_install_saver)
    e2e_move_mouse 512 384
    if [ "$2" = desktop ]; then
        E2E_STILL_PICTURE=1 e2e_start_saver "$1" "$saver" /s || return
        # A person touches the saver a while after it has come up.
        sleep 1
        e2e_job_running "$E2E_SAVER" || { e2e_fail "$1" "ended untouched with exit code $(cat "$E2E_SAVER/rc")"; return 1; }
        return
    fi
    # No cache: a copy from an earlier row would show before any decode.
    printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\nCacheMegabytes=0\r\n' \
        "$(e2e_winpath "$share")" >"$(dirname "$saver")/Vitrane.ini"
    e2e_start_watched "$saver" /s
    e2e_await "$1" "no window \"$E2E_SAVER_TITLE\"" e2e_window_shown "$E2E_SAVER_TITLE" &&
        e2e_await "$1" "no moment with the $2 of a picture under way" "$2"
}

check_ends_on() {
    local name=input_$1 shows=$2 limit=$end_deadline gone ended code ini
    shift 2
    start_saver "$name" "$shows" || return
    ini=$(dirname "$(awk '{ print $2 }' "$E2E_SAVER/command")")/Vitrane.ini
    read -r gone ended code <<<"$(e2e_hand_back "$E2E_SAVER" "$@")"
    echo "    \"$*\": window gone after $gone ms, process ended after $ended ms"
    [ "$shows" = desktop ] || limit=2
    e2e_expect "${name}_screen_back" "the window was still on the screen $gone ms after the input" \
        awk -v g="$gone" -v d="$gone_deadline" 'BEGIN { exit !(g != "-" && g <= d * 1000) }'
    e2e_expect "${name}_ends" "exit code $code after $ended ms (limit $limit s)" \
        awk -v e="$ended" -v c="$code" -v d="$limit" 'BEGIN { exit !(e != "-" && e <= d * 1000 && c == "0") }'
    # Only a picture that has shown is remembered.
    [ "$shows" = next_decode ] || return 0
    e2e_expect "${name}_remembers_picture" "no LastFolderPicture in $(tr -d '\r' <"$ini" | tr '\n' ' ')" \
        grep -qiE "^LastFolderPicture=$(e2e_winpath "$share" | sed 's/\\/\\\\/g')\\\\[abc]\\.bmp" "$ini"
}

e2e_start_display 1024 768
for input in "${INPUTS[@]}"; do
    # Word splitting gives the name, what shows and the input.
    # shellcheck disable=SC2086
    check_ends_on $input
done
e2e_finish
