"""Writes the same small picture in every variant of the Windows bitmap format that the Linux build
reads: 1, 4, 8, 16, 24 and 32 bits a pixel, run-length 8 and 4, bit fields, rows from the top, and
the old OS/2 header. The picture is 40 x 40 in four quadrants: red, green / blue, white (1 bit a
pixel: red and blue only, by rows).

  bitmaps.py FOLDER      writes FOLDER/PicNN.bmp and prints "NN variant" for each
"""
import struct
import sys

W = H = 40
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)
PALETTE = [RED, GREEN, BLUE, WHITE]


def quadrant(x, y, colours=4):
    if colours == 2:
        return 0 if y < H // 2 else 2
    return (1 if x >= W // 2 else 0) + (2 if y >= H // 2 else 0)


def rows_bottom_up(top_down=False):
    ys = range(H) if top_down else range(H - 1, -1, -1)
    return list(ys)


def pad(row):
    return row + b"\0" * (-len(row) % 4)


def indexed_rows(bits, colours):
    out = b""
    for y in rows_bottom_up():
        values = [quadrant(x, y, colours) for x in range(W)]
        if bits == 8:
            row = bytes(values)
        elif bits == 4:
            row = bytes((values[i] << 4) | values[i + 1] for i in range(0, W, 2))
        else:  # 1 bit: red is 0, blue is 1
            bitsrow = [0 if v == 0 else 1 for v in values] + [0] * 8
            row = bytes(sum(bitsrow[i + k] << (7 - k) for k in range(8)) for i in range(0, W, 8))
        out += pad(row)
    return out


def rle8():
    out = b""
    for y in rows_bottom_up():
        out += bytes([W // 2, quadrant(0, y), W // 2, quadrant(W - 1, y)])
        out += b"\0\0"  # end of line
    return out + b"\0\1"  # end of picture


def rle4():
    out = b""
    for y in rows_bottom_up():
        for x0 in (0, W // 2):
            v = quadrant(x0, y)
            out += bytes([W // 2, (v << 4) | v])
        out += b"\0\0"
    return out + b"\0\1"


def file(header, palette, pixels):
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + palette + pixels


def info(bits, compression=0, height=H, size=0, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, W, height, 1, bits, compression, size, 2835, 2835, colours, 0)


def palette_bytes(colours, quad=True):
    entries = PALETTE if colours == 4 else [RED, BLUE]
    return b"".join(bytes([b, g, r]) + (b"\0" if quad else b"") for r, g, b in entries)


def direct_rows(bits, top_down=False, masks=None):
    out = b""
    for y in rows_bottom_up(top_down):
        row = b""
        for x in range(W):
            r, g, b = PALETTE[quadrant(x, y)]
            if bits == 24:
                row += bytes([b, g, r])
            elif bits == 32:
                row += bytes([b, g, r, 0])
            elif masks == "565":
                row += struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3))
            else:  # 5-5-5
                row += struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3))
        out += pad(row)
    return out


def variants():
    yield "1-bit", file(info(1, colours=2), palette_bytes(2), indexed_rows(1, 2))
    yield "4-bit", file(info(4, colours=4), palette_bytes(4), indexed_rows(4, 4))
    yield "8-bit", file(info(8, colours=4), palette_bytes(4), indexed_rows(8, 4))
    data = rle8()
    yield "8-bit-rle", file(info(8, 1, size=len(data), colours=4), palette_bytes(4), data)
    data = rle4()
    yield "4-bit-rle", file(info(4, 2, size=len(data), colours=4), palette_bytes(4), data)
    yield "16-bit-555", file(info(16), b"", direct_rows(16))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    yield "16-bit-565-fields", file(info(16, 3), masks, direct_rows(16, masks="565"))
    yield "24-bit", file(info(24), b"", direct_rows(24))
    yield "24-bit-top-down", file(info(24, height=-H), b"", direct_rows(24, top_down=True))
    yield "32-bit", file(info(32), b"", direct_rows(32))
    masks = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
    yield "32-bit-fields", file(info(32, 3), masks, direct_rows(32))
    core = struct.pack("<IHHHH", 12, W, H, 1, 24)
    yield "24-bit-os2", file(core, b"", direct_rows(24))


def main():
    folder = sys.argv[1]
    for number, (name, data) in enumerate(variants(), 1):
        with open(f"{folder}/Pic{number:02d}.bmp", "wb") as f:
            f.write(data)
        print(f"{number:02d} {name}")


main()
