# Shared by the picture scenarios (fullscreen.sh, picture_file.sh), after
# lib.sh: the quadrant test picture and the judging of what the water surface
# shows.
#
# The quadrant picture is red top left, green top right, blue bottom left and
# yellow bottom right, with no black pixel, so the surface is exactly the
# non-black part of a screenshot. Through the fixed camera one copy of the
# picture spans the surface, moved by a few percent and rippled by the waves;
# seen upright and not mirrored, each colour fills its own quarter of the
# surface, and points at 30 % and 70 % of the surface's box lie well inside
# the quarters however the waves bend their edges.

PICTURE_RED="224,32,32"
PICTURE_GREEN="32,192,64"
PICTURE_BLUE="32,96,255"
PICTURE_YELLOW="255,208,64"
# The built-in picture's face.
PICTURE_FACE_YELLOW="255,214,10"

# picture_make_quadrants FILE WIDTH HEIGHT [OPTIONS...]: the quadrant picture,
# in the format that FILE's prefix or extension names (BMP3:x.bmp, x.jpg,
# x.png), with ImageMagick's OPTIONS applied last (-rotate 90, for instance).
picture_make_quadrants() {
    local file=$1 w=$2 h=$3
    shift 3
    local hw=$((w / 2)) hh=$((h / 2))
    convert \
        \( -size "${hw}x${hh}" xc:"rgb($PICTURE_RED)" xc:"rgb($PICTURE_GREEN)" +append \) \
        \( -size "${hw}x${hh}" xc:"rgb($PICTURE_BLUE)" xc:"rgb($PICTURE_YELLOW)" +append \) \
        -append -quality 95 -sampling-factor 1x1 -strip "$@" "$file"
}

# picture_paint_desktop: the X root window shows the quadrant picture at the
# display's size, instead of lib.sh's test desktop.
picture_paint_desktop() {
    local image=$E2E_WORK/quadrant-desktop.png
    picture_make_quadrants "$image" "$E2E_SCREEN_WIDTH" "$E2E_SCREEN_HEIGHT" ||
        e2e_abort "could not make the quadrant desktop"
    # display exits non-zero after setting the root's background.
    timeout 10 display -window root "$image" >/dev/null 2>&1
    local corner
    corner=$(e2e_pixel "$(e2e_screenshot quadrant-desktop)" 1 1)
    [ "$corner" = "$PICTURE_RED" ] || e2e_abort "the quadrant desktop was not painted (top-left pixel $corner)"
}

# picture_start_saver NAME SAVER: starts the full-screen saver with the
# pointer in the middle and waits until it shows the water (a large picture
# is decoded first); sets PICTURE_JOB. False, with a FAIL reported, when it
# does not.
picture_start_saver() {
    e2e_move_mouse $((E2E_SCREEN_WIDTH / 2)) $((E2E_SCREEN_HEIGHT / 2))
    e2e_start_saver "${1}_saver_shown" "$2" /s
    local shown=$?
    PICTURE_JOB=$E2E_SAVER
    return "$shown"
}

# picture_stop_saver: a key press ends the saver.
picture_stop_saver() {
    e2e_key space
    e2e_wait_job "$PICTURE_JOB" 5 || e2e_kill_job "$PICTURE_JOB"
}

# picture_mean_colour FILE X Y: "r,g,b", the mean of the 21 x 21 pixels
# around (X, Y).
picture_mean_colour() {
    convert "$1" -crop "21x21+$(($2 - 10))+$(($3 - 10))" +repage -scale '1x1!' \
        -format '%[fx:round(255*r)],%[fx:round(255*g)],%[fx:round(255*b)]' info:
}

# picture_colour_near EXPECTED ACTUAL: every channel within 48.
picture_colour_near() {
    awk -v e="$1" -v a="$2" 'BEGIN {
        if (split(e, x, ",") != 3 || split(a, y, ",") != 3) exit 1
        for (k = 1; k <= 3; k++) { d = x[k] - y[k]; if (d < -48 || d > 48) exit 1 }
    }'
}

# picture_check_upright NAME FILE [COLOURS]: the surface in the screenshot FILE
# shows the quadrant picture (or one of these four colours, top left to bottom
# right) upright and not mirrored.
picture_check_upright() {
    local name=$1 file=$2 tl tr bl br
    read -r tl tr bl br <<<"${3:-$PICTURE_RED $PICTURE_GREEN $PICTURE_BLUE $PICTURE_YELLOW}"
    local box
    box=$(e2e_bbox "$file")
    if [ "$box" = none ]; then
        e2e_fail "$name" "nothing but black in $(basename "$file")"
        return
    fi
    local left top right bottom
    read -r left top right bottom <<<"$box"
    local x30=$((left + (right - left) * 3 / 10)) x70=$((left + (right - left) * 7 / 10))
    local y30=$((top + (bottom - top) * 3 / 10)) y70=$((top + (bottom - top) * 7 / 10))
    local wrong="" spot expected x y actual
    for spot in "top_left $tl $x30 $y30" "top_right $tr $x70 $y30" "bottom_left $bl $x30 $y70" \
        "bottom_right $br $x70 $y70"; do
        read -r spot expected x y <<<"$spot"
        actual=$(picture_mean_colour "$file" "$x" "$y")
        if ! picture_colour_near "$expected" "$actual"; then
            wrong+=" $spot at $x,$y is $actual, expected $expected;"
        fi
    done
    if [ -z "$wrong" ]; then
        e2e_pass "$name"
    else
        e2e_fail "$name" "surface ($box) in $(basename "$file"):$wrong"
    fi
}

# picture_count_near FILE R,G,B: how many pixels lie within a small distance
# of that colour.
picture_count_near() {
    convert "$1" -fuzz 8% -fill white -opaque "rgb($2)" -fill black +opaque white \
        -colorspace gray -format '%[fx:round(mean*w*h)]\n' info:
}
