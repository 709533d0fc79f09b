#!/usr/bin/env bash
# The custom picture: with a Vitrane.ini beside the saver that turns it on,
# the water surface shows the picture file, upright and not mirrored, for a
# BMP, a JPEG, a PNG, a GIF, a 24-megapixel JPEG, JPEGs stored turned with an
# EXIF orientation as cameras write them, and a TIFF with its own orientation
# tag; a file that cannot be decoded, or whose header claims a giant size,
# shows the built-in picture, the yellow face, and neither the file's nor the
# desktop's colours. A BMP whose path is 258 characters long, in a folder
# named in three scripts, named in a UTF-16 settings file, shows too. A folder
# of two pictures (and a file that is no picture), named in three scripts in
# a UTF-8 settings file, shows the other picture at the next start.
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

# jpeg_with_orientation FILE VALUE: the JPEG with an EXIF segment holding
# only the orientation tag (big-endian, as many cameras write it) right after
# its start marker.
jpeg_with_orientation() {
    head -c 2 "$1"
    printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08'
    printf "\\x00\\x01\\x01\\x12\\x00\\x03\\x00\\x00\\x00\\x01\\x00\\x0$2\\x00\\x00"
    printf '\x00\x00\x00\x00'
    tail -c +3 "$1"
}

# png_claiming_giant_size: a PNG signature and a well-formed IHDR chunk
# (CRC included) for 100000 x 100000 pixels of 8-bit RGB, then a cut IDAT.
png_claiming_giant_size() {
    local ihdr="IHDR\x00\x01\x86\xa0\x00\x01\x86\xa0\x08\x02\x00\x00\x00"
    local crc
    crc=$(printf "$ihdr" | gzip -c | tail -c 8 | head -c 4 | od -An -tx1 | tr -d ' \n')
    printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0d'
    printf "$ihdr"
    # gzip stores the CRC little-endian; PNG wants it big-endian.
    printf "\\x${crc:6:2}\\x${crc:4:2}\\x${crc:2:2}\\x${crc:0:2}"
    printf '\x00\x00\x10\x00IDAT\x78\x9c\x00\x00'
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
picture_make_quadrants "$pictures/quadrants.png" 320 240 || e2e_abort "could not make the PNG"
picture_make_quadrants "$pictures/quadrants.gif" 320 240 || e2e_abort "could not make the GIF"
picture_make_quadrants "$pictures/photo.jpg" 6000 4000 || e2e_abort "could not make the photo"
# Stored turned as a camera held sideways or upside down stores it; the
# orientation tag says how to turn it back.
picture_make_quadrants "$pictures/stored.jpg" 320 240 -rotate -90 &&
    jpeg_with_orientation "$pictures/stored.jpg" 6 >"$pictures/orientation6.jpg" &&
    picture_make_quadrants "$pictures/stored.jpg" 320 240 -rotate 180 &&
    jpeg_with_orientation "$pictures/stored.jpg" 3 >"$pictures/orientation3.jpg" &&
    picture_make_quadrants "$pictures/orientation8.tif" 320 240 -rotate 90 -orient LeftBottom ||
    e2e_abort "could not make the turned pictures"
# A PNG whose header claims 100000 x 100000 pixels, with a few bytes of data.
png_claiming_giant_size >"$pictures/giant.png" || e2e_abort "could not make the giant PNG"

check_picture_file bmp "$pictures/quadrants.bmp"
check_picture_file bmp_unicode_258_characters_utf16_ini "$(long_unicode_picture)" utf16
check_picture_file jpeg "$pictures/quadrants.jpg"
check_picture_file png "$pictures/quadrants.png"
check_picture_file gif "$pictures/quadrants.gif"
check_picture_file jpeg_24_megapixels "$pictures/photo.jpg"
check_picture_file jpeg_orientation_6 "$pictures/orientation6.jpg"
check_picture_file jpeg_orientation_3 "$pictures/orientation3.jpg"
check_picture_file tiff_orientation_8 "$pictures/orientation8.tif"
check_broken_file broken "$pictures/broken.jpg"
check_broken_file giant "$pictures/giant.png"
check_picture_folder
e2e_finish
