#!/bin/bash
# Regenerates the committed test pictures with ImageMagick's convert:
#   quadrants.jpg  128 x 96, red top left, green top right, blue bottom left,
#                  yellow bottom right; no chroma subsampling, so the colours
#                  hold right up to the quadrant edges.
#   photo-turned.jpg  the same colours at 4096 x 2048, stored turned a quarter
#                  (2048 x 4096) with the EXIF orientation 6 that says how to
#                  turn it back, as a camera held sideways writes it: a photo
#                  large enough to be decoded at a reduced size.
set -eu
cd "$(dirname "$0")"
quadrants() {
    convert \
        \( -size "$1" xc:'#ff0000' xc:'#00ff00' +append \) \
        \( -size "$1" xc:'#0000ff' xc:'#ffff00' +append \) \
        -append "${@:2}"
}
quadrants 64x48 -sampling-factor 1x1 -quality 95 -strip quadrants.jpg
quadrants 2048x1024 -rotate -90 -quality 60 -strip turned.jpg
# An APP1 segment holding only the orientation tag (big-endian, as many
# cameras write it) right after the start marker.
{
    head -c 2 turned.jpg
    printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08'
    printf '\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
    tail -c +3 turned.jpg
} >photo-turned.jpg
rm turned.jpg
