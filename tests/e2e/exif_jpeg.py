#!/usr/bin/env python3
"""Copies a JPEG with an EXIF block giving the day it was taken:
exif_jpeg.py IN OUT "2019:08:12 10:00:00"."""
import struct
import sys

source, target, date = sys.argv[1:4]
text = date.encode() + b'\0'
# Little-endian TIFF: the first directory (at 8) points to the EXIF one (at
# 26), whose DateTimeOriginal's text follows it (at 44).
entry = lambda tag, kind, count, value: struct.pack('<HHII', tag, kind, count, value)
tiff = (b'II*\0' + struct.pack('<I', 8) + struct.pack('<H', 1) + entry(0x8769, 4, 1, 26) + b'\0' * 4 +
        struct.pack('<H', 1) + entry(0x9003, 2, len(text), 44) + b'\0' * 4 + text)
body = b'Exif\0\0' + tiff
jpeg = open(source, 'rb').read()
open(target, 'wb').write(jpeg[:2] + b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body + jpeg[2:])
