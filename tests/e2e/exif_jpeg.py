#!/usr/bin/env python3
"""Copies a JPEG with an EXIF block (little-endian) holding a DateTimeOriginal
and, when given, a GPS position: exif_jpeg.py IN OUT "2019:08:12 10:00:00"
[LATITUDE LONGITUDE] (signed degrees)."""
import struct
import sys


def rationals(degrees):
    value = abs(degrees)
    whole = int(value)
    minutes = int((value - whole) * 60)
    seconds = round(((value - whole) * 60 - minutes) * 60 * 100)
    return struct.pack('<6I', whole, 1, minutes, 1, seconds, 100)


def tiff(date, position):
    # The first directory points to the EXIF one and, with a position, to
    # the GPS one; long values follow the directories.
    entry = lambda tag, kind, count, value: struct.pack('<HHI', tag, kind, count) + value
    first_count = 2 if position else 1
    exif_at = 8 + 2 + 12 * first_count + 4
    gps_at = exif_at + 2 + 12 + 4
    values_at = gps_at + (2 + 12 * 4 + 4 if position else 0)
    text = date.encode() + b'\0'
    values = text
    first = [entry(0x8769, 4, 1, struct.pack('<I', exif_at))]
    gps = b''
    if position:
        first.append(entry(0x8825, 4, 1, struct.pack('<I', gps_at)))
        latitude, longitude = position
        lat_at = values_at + len(values)
        values += rationals(latitude)
        lon_at = values_at + len(values)
        values += rationals(longitude)
        gps = (struct.pack('<H', 4) + entry(1, 2, 2, (b'N' if latitude >= 0 else b'S') + b'\0\0\0') +
               entry(2, 5, 3, struct.pack('<I', lat_at)) +
               entry(3, 2, 2, (b'E' if longitude >= 0 else b'W') + b'\0\0\0') +
               entry(4, 5, 3, struct.pack('<I', lon_at)) + b'\0' * 4)
    exif = struct.pack('<H', 1) + entry(0x9003, 2, len(text), struct.pack('<I', values_at)) + b'\0' * 4
    return b'II*\0' + struct.pack('<I', 8) + struct.pack('<H', len(first)) + b''.join(first) + b'\0' * 4 + exif + gps + values


def main():
    source, target, date = sys.argv[1:4]
    position = (float(sys.argv[4]), float(sys.argv[5])) if len(sys.argv) > 5 else None
    jpeg = open(source, 'rb').read()
    body = b'Exif\0\0' + tiff(date, position)
    app1 = b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body
    open(target, 'wb').write(jpeg[:2] + app1 + jpeg[2:])


main()
