#!/usr/bin/env bash
# The screen comes back at once: over a folder of very large pictures, a
# key, a click or a move while one of them decodes takes the saver's window
# off the X display within E2E_GONE_DEADLINE seconds of the input (generous
# for a loaded machine; waiting for the decode takes seconds), ends the
# process within 2 s with exit code 0, and leaves the picture it showed
# remembered in Vitrane.ini.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
gone_deadline=${E2E_GONE_DEADLINE:-0.5}

# 8000 x 6000 at 16 bits a channel with alpha, interlaced: seconds to decode
# under Wine. One colour is the cheapest to make; copies serve as the others.
folder=$E2E_WORK/Panoramas
mkdir -p "$folder"
convert -size 8000x6000 xc:'rgba(200,60,40,0.9)' -interlace PNG -define png:bit-depth=16 \
    -define png:color-type=6 -define png:compression-level=1 "$folder/a.png" ||
    e2e_abort "could not make the large picture"
cp "$folder/a.png" "$folder/b.png"
cp "$folder/a.png" "$folder/c.png"

# "name since seconds input...": the input comes that long after the window
# shows (the first picture decoding) or after the first picture has shown
# (the next one decoding).
CASES=("key_first_decode window 0.3 e2e_key a"
    "click_first_decode window 1.5 xdotool click 1"
    "move_next_decode picture 0 e2e_nudge_mouse 5 0")

check_hands_back() {
    local name=handover_$1 since=$2 seconds=$3 saver ini gone ended code
    shift 3
    saver=$(e2e_install_saver)
    ini=$(dirname "$saver")/Vitrane.ini
    printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\n' \
        "$(e2e_winpath "$folder")" >"$ini"
    e2e_move_mouse 512 384
    if [ "$since" = window ]; then
        e2e_start_watched "$saver" /s
        e2e_await "$name" "no window \"$E2E_SAVER_TITLE\"" e2e_window_shown "$E2E_SAVER_TITLE" || return
    else
        e2e_start_saver "$name" "$saver" /s || return
    fi
    sleep "$seconds"
    read -r gone ended code <<<"$(e2e_hand_back "$E2E_SAVER" "$@")"
    echo "    \"$*\": window gone after $gone ms, process ended after $ended ms"
    e2e_expect "${name}_screen_back" "the window was still on the screen $gone ms after the input" \
        awk -v g="$gone" -v d="$gone_deadline" 'BEGIN { exit !(g != "-" && g <= d * 1000) }'
    e2e_expect "${name}_process_ends" "exit code $code after $ended ms" \
        awk -v e="$ended" -v c="$code" 'BEGIN { exit !(e != "-" && e <= 2000 && c == "0") }'
    # Only a picture that has shown is remembered.
    [ "$since" = picture ] || return
    e2e_expect "${name}_remembers_picture" "no LastFolderPicture in $(tr -d '\r' <"$ini" | tr '\n' ' ')" \
        grep -qiE "^LastFolderPicture=$(e2e_winpath "$folder" | sed 's/\\/\\\\/g')\\\\[abc]\\.png" "$ini"
}

e2e_start_display 1024 768
for entry in "${CASES[@]}"; do
    # Word splitting gives the name, the moment and the input.
    # shellcheck disable=SC2086
    check_hands_back $entry
done
e2e_finish
