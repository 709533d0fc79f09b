#!/usr/bin/env python3
"""Draws Vitrane's icons and bitmaps into res/.

Run from anywhere:  python3 scripts/make_artwork.py
The output is deterministic, so the files in res/ are kept in the repository
as build inputs and only regenerated when the drawing below changes.

Writes:
  res/vitrane.ico           class icon: a four-pane window over rippling water
  res/vitrane_small.ico     small icon: one pane with ripples, simpler at 16 px
  res/builtin_picture.bmp   128 x 128, 24 bit: the fallback texture
  res/settings_picture.bmp  100 x 100, 8 bit with palette: the dialog's illustration

Standard library only. Shapes are tested per sub-sample and averaged, which
gives anti-aliased edges without an imaging library.
"""

import math
import os
import struct

RES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "res")

# Colours are (r, g, b) tuples with components 0..255.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
YELLOW = (255, 214, 10)
FACE_EDGE = (196, 128, 0)
FEATURE = (70, 38, 0)
FRAME = (24, 52, 88)
SKY_TOP = (206, 236, 255)
SKY_BOTTOM = (140, 200, 244)
WATER_TOP = (46, 140, 214)
WATER_BOTTOM = (14, 70, 140)
RIPPLE = (235, 248, 255)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def render(size, paint, samples):
    """Returns size*size (r, g, b, a) rows, top row first, a in 0..1.

    paint(x, y) works in a 16 x 16 design space (y down) and returns a colour
    and an opacity; sampling on that grid keeps every whole design unit on a
    pixel edge at 16, 32 and 48 px, so straight edges stay crisp.
    """
    scale = 16.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour, alpha = paint(x, y)
                    for i in range(3):
                        acc[i] += colour[i] * alpha
                    acc[3] += alpha
            n = samples * samples
            a = acc[3] / n
            if a > 0:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x < right and top <= y < bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def ripple_distance(x, y, base, amplitude, phase):
    return abs(y - (base + amplitude * math.sin(x * 0.9 + phase)))


def pane_interior(x, y, water_line, ripples):
    """Sky above water_line, water below it with light ripple lines."""
    if y < water_line:
        return mix(SKY_TOP, SKY_BOTTOM, y / water_line)
    colour = mix(WATER_TOP, WATER_BOTTOM, (y - water_line) / (15.0 - water_line))
    for base, amplitude, phase in ripples:
        if ripple_distance(x, y, base, amplitude, phase) < 0.5:
            return RIPPLE
    return colour


def paint_window_icon(x, y):
    # The pane is 15 units wide, which centres a one-unit mullion on whole
    # pixels; the 16th row and column carry a soft drop shadow instead.
    if in_rounded_rect(x, y, 0, 0, 15, 15, 2.5):
        if not in_rounded_rect(x, y, 1, 1, 14, 14, 1.5):
            return FRAME, 1.0
        if 7 <= x < 8 or 7 <= y < 8:
            return FRAME, 1.0
        return pane_interior(x, y, 8.0, [(11.0, 0.7, 1.0)]), 1.0
    if in_rounded_rect(x, y, 1, 1, 16, 16, 2.5):
        return BLACK, 0.3
    return BLACK, 0.0


def paint_small_icon(x, y):
    if in_rounded_rect(x, y, 0, 0, 15, 15, 2.5):
        if not in_rounded_rect(x, y, 1, 1, 14, 14, 1.5):
            return FRAME, 1.0
        return pane_interior(x, y, 6.0, [(8.5, 0.7, 1.0), (11.5, 0.7, 1.0)]), 1.0
    if in_rounded_rect(x, y, 1, 1, 16, 16, 2.5):
        return BLACK, 0.3
    return BLACK, 0.0


def icon_image(paint, size):
    """One BMP-in-ICO image: 32-bit BGRA colour bitmap plus 1-bit AND mask."""
    rows = render(size, paint, samples=6)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):  # both bitmaps are stored bottom-up
        mask_row = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            alpha = int(round(a * 255))
            if alpha == 0:
                colour += b"\0\0\0\0"
                mask_row[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bytes((int(round(b)), int(round(g)), int(round(r)), alpha))
        mask += mask_row
    return header + bytes(colour) + bytes(mask)


def write_icon(path, paint, sizes):
    images = [icon_image(paint, size) for size in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(path, "wb") as f:
        f.write(out)


def paint_face(x, y, ground):
    """Smiling face in a unit square (y down): eyes high, smile low."""
    dx, dy = x - 0.5, y - 0.5
    r = math.hypot(dx, dy)
    if r > 0.45:
        return ground
    if r > 0.425:
        return FACE_EDGE
    for eye_x in (0.36, 0.64):
        if ((x - eye_x) / 0.055) ** 2 + ((y - 0.37) / 0.09) ** 2 <= 1.0:
            return FEATURE
    if smile_distance(x, y) < 0.03:
        return FEATURE
    return YELLOW


def smile_distance(x, y):
    """Distance to the smile: the lower part of a circle around (0.5, 0.47),
    so its middle hangs below its corners, which end round."""
    centre_x, centre_y, radius = 0.5, 0.47, 0.26
    first, last = math.radians(25), math.radians(155)  # angles grow downwards
    angle = math.atan2(y - centre_y, x - centre_x)
    if first <= angle <= last:
        return abs(math.hypot(x - centre_x, y - centre_y) - radius)
    ends = [(centre_x + radius * math.cos(a), centre_y + radius * math.sin(a)) for a in (first, last)]
    return min(math.hypot(x - ex, y - ey) for ex, ey in ends)


def render_face(size, ground, samples=4):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    c = paint_face((px + (sx + 0.5) / samples) / size,
                                   (py + (sy + 0.5) / samples) / size, ground)
                    for i in range(3):
                        acc[i] += c[i]
            n = samples * samples
            row.append(tuple(int(round(v / n)) for v in acc))
        rows.append(row)
    return rows


def bmp_file(width, height, bit_count, palette, pixel_rows):
    """A BI_RGB DIB file; pixel_rows are top row first and stored bottom-up."""
    stride = ((width * bit_count + 31) // 32) * 4
    data = bytearray()
    for row in reversed(pixel_rows):
        line = bytes(row)
        data += line + bytes(stride - len(line))
    colours = len(palette)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0,
                       len(data), 2835, 2835, colours, 0)
    offset = 14 + len(info) + len(table)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + info + table + bytes(data)


def write_builtin_picture(path):
    rows = render_face(128, BLACK)
    pixel_rows = [[channel for (r, g, b) in row for channel in (b, g, r)] for row in rows]
    with open(path, "wb") as f:
        f.write(bmp_file(128, 128, 24, [], pixel_rows))


def face_palette():
    """256 colours: the blends that the anti-aliased edges of the face need."""
    ramps = [(WHITE, FACE_EDGE), (FACE_EDGE, YELLOW), (YELLOW, FEATURE), (WHITE, YELLOW)]
    palette = []
    for start, end in ramps:
        for i in range(64):
            c = mix(start, end, i / 63.0)
            palette.append(tuple(int(round(v)) for v in c))
    return palette


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def write_settings_picture(path):
    palette = face_palette()
    rows = render_face(100, WHITE)
    cache = {}
    index_rows = []
    for row in rows:
        indices = []
        for colour in row:
            if colour not in cache:
                cache[colour] = nearest(palette, colour)
            indices.append(cache[colour])
        index_rows.append(indices)
    with open(path, "wb") as f:
        f.write(bmp_file(100, 100, 8, palette, index_rows))


def main():
    os.makedirs(RES_DIR, exist_ok=True)
    sizes = [16, 32, 48]
    write_icon(os.path.join(RES_DIR, "vitrane.ico"), paint_window_icon, sizes)
    write_icon(os.path.join(RES_DIR, "vitrane_small.ico"), paint_small_icon, sizes)
    write_builtin_picture(os.path.join(RES_DIR, "builtin_picture.bmp"))
    write_settings_picture(os.path.join(RES_DIR, "settings_picture.bmp"))


if __name__ == "__main__":
    main()
