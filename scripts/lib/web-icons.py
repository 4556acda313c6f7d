"""Writes the page's icons for the home screen (icon-192.png, icon-512.png) into OUT: the picture
area above and the story's dark-blue box below, with its page mark, as icon.svg draws them.

  web-icons.py OUT
"""
import os
import struct
import sys
import zlib


def png(size):
    unit = size / 16

    def colour(x, y):
        u, v = x / unit, y / unit
        if 1 <= u < 15 and 1 <= v < 9:
            return (0x33, 0x33, 0x55)
        if 1 <= u < 15 and 10 <= v < 15:
            edge = u < 1.3 or u >= 14.7 or v < 10.3 or v >= 14.7
            # The page mark: a small triangle, point up, near the box's lower right corner.
            mark = 12.2 <= v < 13.8 and abs(u - 12.5) <= (v - 12.2) * 0.625
            return (255, 255, 255) if edge or mark else (0, 0, 0x80)
        return (0, 0, 0)

    rows = b"".join(b"\0" + bytes(c for x in range(size) for c in colour(x, y)) for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


for size in (192, 512):
    with open(os.path.join(sys.argv[1], f"icon-{size}.png"), "wb") as f:
        f.write(png(size))
