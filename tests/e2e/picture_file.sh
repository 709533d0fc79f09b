#!/usr/bin/env bash
# The custom picture, as only the whole program shows it (the decoders, each
# format, EXIF orientations and files of a giant size are the Windows unit
# tests'): a BMP whose path is 258 characters long, in a folder named in three
# scripts, named in a UTF-16 settings file beside the saver, shows on the
# water surface upright and not mirrored; a file that cannot be decoded shows
# the built-in picture, the yellow face, and neither the file's nor the
# desktop's colours. A folder of two pictures (and a file that is no picture),
# named in three scripts in a UTF-8 settings file, shows the other picture at
# the next start.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/picture_checks.sh"
e2e_init "$@"

e2e_start_display 1024 768

# install_saver_with_picture FILE [utf16]: a saver copy whose settings file
# turns the custom picture on with FILE (in UTF-16 with a byte-order mark when
# asked); prints the saver's path.
install_saver_with_picture() {
    local saver ini
    saver=$(e2e_install_saver) || return 1
    ini=$(dirname "$saver")/Vitrane.ini
    e2e_write_settings "$(dirname "$saver")" "$(e2e_winpath "$1")" 1
    if [ "${2:-}" = utf16 ]; then
        { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$ini"; } >"$ini.new" && mv "$ini.new" "$ini"
    fi
    echo "$saver"
}

# long_unicode_picture: a copy of the BMP whose Windows path is 258 UTF-16
# units long, in a folder named in three scripts; prints its path.
long_unicode_picture() {
    local folder="$pictures/Фото 🌴 写真" bytes pad sub file
    bytes=$(printf '%s\\' "$(e2e_winpath "$folder")" | iconv -f UTF-8 -t UTF-16LE | wc -c)
    pad=$((258 - bytes / 2 - 4))
    sub="$folder/$(head -c $((pad / 2)) /dev/zero | tr '\0' f)"
    file="$sub/$(head -c $((pad - pad / 2 - 1)) /dev/zero | tr '\0' p).bmp"
    mkdir -p "$sub" && cp "$pictures/quadrants.bmp" "$file" && echo "$file"
}

check_picture_file() {
    local name=picture_file_$1 file=$2
    local saver
    saver=$(install_saver_with_picture "$file" "${3:-}")
    picture_start_saver "$name" "$saver" || return
    e2e_pass "${name}_saver_shown"
    picture_check_upright "${name}_upright" "$(e2e_screenshot "$name")"
    picture_stop_saver
}

check_broken_file() {
    local name=picture_file_$1 file=$2
    local saver shot
    saver=$(install_saver_with_picture "$file")
    picture_start_saver "$name" "$saver" || return
    e2e_pass "${name}_saver_shown"
    shot=$(e2e_screenshot "$name")
    local face red blue
    face=$(picture_count_near "$shot" "$PICTURE_FACE_YELLOW")
    red=$(picture_count_near "$shot" "$PICTURE_RED")
    # The blue of lib.sh's test desktop, in case the snapshot showed instead.
    blue=$(picture_count_near "$shot" "32,128,255")
    if [ "$face" -gt 5000 ] && [ "$red" -lt 100 ] && [ "$blue" -lt 100 ]; then
        e2e_pass "${name}_shows_the_face"
    else
        e2e_fail "${name}_shows_the_face" "$face face-yellow, $red red and $blue desktop-blue pixels in $(basename "$shot")"
    fi
    picture_stop_saver
}

# folder_start_colour NAME SAVER: sets FOLDER_COLOUR to the folder picture,
# red or blue, that fills the surface at this start ("none" when neither does).
folder_start_colour() {
    FOLDER_COLOUR=none
    # The picture fades in over black water once it is decoded.
    picture_start_saver "$1" "$2" && e2e_poll folder_colour_shown "$1"
    picture_stop_saver
}

# folder_colour_shown SHOT: sets FOLDER_COLOUR when one picture fills the surface.
folder_colour_shown() {
    local shot red blue
    shot=$(e2e_screenshot "$1")
    red=$(picture_count_near "$shot" "$PICTURE_RED")
    blue=$(picture_count_near "$shot" "$PICTURE_BLUE")
    if [ "$red" -gt 50000 ] && [ "$blue" -lt 100 ]; then FOLDER_COLOUR=red; fi
    if [ "$blue" -gt 50000 ] && [ "$red" -lt 100 ]; then FOLDER_COLOUR=blue; fi
    [ "$FOLDER_COLOUR" != none ]
}

check_picture_folder() {
    local folder="$E2E_WORK/Фото 🌴 写真" saver first
    mkdir -p "$folder" && echo "no picture" >"$folder/notes.txt"
    convert -size 64x64 "xc:rgb($PICTURE_RED)" -type TrueColor "BMP3:$folder/red.bmp"
    convert -size 64x64 "xc:rgb($PICTURE_BLUE)" -type TrueColor "BMP3:$folder/blue.bmp"
    saver=$(e2e_install_saver)
    printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\n' "$(e2e_winpath "$folder")" \
        >"$(dirname "$saver")/Vitrane.ini"
    folder_start_colour picture_folder_first "$saver"
    first=$FOLDER_COLOUR
    folder_start_colour picture_folder_second "$saver"
    e2e_expect picture_folder_changes_each_start "first start showed $first, second $FOLDER_COLOUR" \
        test "$first" != none -a "$FOLDER_COLOUR" != none -a "$first" != "$FOLDER_COLOUR"
    # Remembered, so that the second start differs not by chance.
    e2e_expect picture_folder_remembers_pick "no LastFolderPicture naming $FOLDER_COLOUR.bmp" \
        grep -qiF "LastFolderPicture=$(e2e_winpath "$folder/$FOLDER_COLOUR.bmp")" "$(dirname "$saver")/Vitrane.ini"
}

pictures=$E2E_WORK/pictures
mkdir -p "$pictures"
picture_make_quadrants "BMP3:$pictures/quadrants.bmp" 256 192 || e2e_abort "could not make the BMP"
picture_make_quadrants "$pictures/quadrants.jpg" 320 240 || e2e_abort "could not make the JPEG"
# The JPEG's first half: its headers hold, its scan ends early.
head -c $(($(stat -c %s "$pictures/quadrants.jpg") / 2)) "$pictures/quadrants.jpg" >"$pictures/broken.jpg"

check_picture_file bmp_unicode_258_characters_utf16_ini "$(long_unicode_picture)" utf16
check_broken_file broken "$pictures/broken.jpg"
check_picture_folder
e2e_finish
