#!/bin/sh
# Regenerates the committed test pictures with ImageMagick's convert:
#   quadrants.jpg  128 x 96, red top left, green top right, blue bottom left,
#                  yellow bottom right; no chroma subsampling, so the colours
#                  hold right up to the quadrant edges.
set -eu
cd "$(dirname "$0")"
convert \
    \( -size 64x48 xc:'#ff0000' xc:'#00ff00' +append \) \
    \( -size 64x48 xc:'#0000ff' xc:'#ffff00' +append \) \
    -append -sampling-factor 1x1 -quality 95 -strip quadrants.jpg
