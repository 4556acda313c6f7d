#!/usr/bin/env python3
"""Writes the bundled sample story "灯台の鍵" (The lighthouse key) into story/.

Everything in the story folder is made here from scratch: the pictures are drawn pixel by pixel,
the tunes are written out note by note, the sound effects are synthesised, and the scenario text
is kept below as UTF-8 with symbolic labels that become line numbers.

    python3 devtools/make_story.py [OUTPUT_FOLDER]

The output folder defaults to story/ beside devtools/. Running the script again rewrites the same
bytes: there are no timestamps, and the only randomness comes from a seeded generator of our own.
Only the standard library is used.
"""

import math
import os
import re
import struct
import sys

# --------------------------------------------------------------------------------------------
# Small helpers
# --------------------------------------------------------------------------------------------


class Rng:
    """xorshift32: a tiny random generator whose sequence never changes between Python versions."""

    def __init__(self, seed):
        self.state = (seed & 0xFFFFFFFF) or 0x9E3779B9

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def random(self):
        return self.next() / 4294967296.0

    def uniform(self, a, b):
        return a + (b - a) * self.random()

    def randint(self, a, b):
        return a + self.next() % (b - a + 1)


def clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


def mix(c1, c2, t):
    return tuple(c1[i] + (c2[i] - c1[i]) * t for i in range(3))


def to_rgb(c):
    return tuple(int(clamp(math.floor(v + 0.5), 0, 255)) for v in c)


def gradient(stops, t):
    """Colour at t along stops [(t0, colour0), (t1, colour1), ...] with t0 < t1 < ..."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


# --------------------------------------------------------------------------------------------
# Pictures
# --------------------------------------------------------------------------------------------


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.w, self.h = width, height
        self.px = [to_rgb(colour)] * (width * height)

    def get(self, x, y):
        return self.px[y * self.w + x]

    def put(self, x, y, c, alpha=1.0):
        if 0 <= x < self.w and 0 <= y < self.h and alpha > 0:
            if alpha >= 1:
                self.px[y * self.w + x] = to_rgb(c)
            else:
                self.px[y * self.w + x] = to_rgb(mix(self.px[y * self.w + x], c, alpha))

    def rect(self, x0, y0, x1, y1, c, alpha=1.0):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.put(x, y, c, alpha)

    def rows(self, y0, y1, colour_of_row):
        for y in range(max(0, y0), min(self.h, y1)):
            c = to_rgb(colour_of_row(y))
            for x in range(self.w):
                self.px[y * self.w + x] = c

    def disc(self, cx, cy, r, c, alpha=1.0, soft=False):
        for y in range(int(cy - r - 2), int(cy + r + 3)):
            for x in range(int(cx - r - 2), int(cx + r + 3)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                a = clamp(r + 0.5 - d, 0.0, 1.0) if soft else (1.0 if d <= r else 0.0)
                self.put(x, y, c, a * alpha)

    def glow(self, cx, cy, r, c, strength):
        """A soft halo whose opacity falls from strength at the centre to nothing at radius r."""
        for y in range(int(cy - r), int(cy + r + 1)):
            for x in range(int(cx - r), int(cx + r + 1)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / r
                if d < 1:
                    self.put(x, y, c, strength * (1 - d) ** 2)

    def polygon(self, points, c, alpha=1.0):
        """Fills the pixels whose centres lie inside the polygon (even-odd rule)."""
        ys = [p[1] for p in points]
        n = len(points)
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(max(0, math.ceil(a - 0.5)), min(self.w, math.floor(b - 0.5) + 1)):
                    self.put(x, y, c, alpha)

    def line(self, x0, y0, x1, y1, c, alpha=1.0):
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(steps + 1):
            t = i / steps
            self.put(int(round(x0 + (x1 - x0) * t)), int(round(y0 + (y1 - y0) * t)), c, alpha)

    def cloud(self, cx, cy, rx, ry, body, rim, alpha=0.9):
        """A soft, flat-bottomed cloud: a few overlapping blobs, lit from below."""
        blobs = [(-0.55, 0.15, 0.5, 0.8), (-0.15, -0.25, 0.55, 1.0), (0.3, -0.05, 0.5, 0.9),
                 (0.65, 0.2, 0.4, 0.7), (0.05, 0.25, 0.9, 0.7)]
        for y in range(int(cy - ry * 1.6), int(cy + ry * 1.2)):
            for x in range(int(cx - rx * 1.2), int(cx + rx * 1.2)):
                u, v = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
                cover = 0.0
                for bx, by, brx, bry in blobs:
                    d = ((u - bx) / brx) ** 2 + ((v - by) / bry) ** 2
                    cover = max(cover, clamp((1 - d) * 3, 0, 1))
                if cover > 0:
                    lit = clamp((v + 0.2) / 0.9, 0, 1)
                    self.put(x, y, mix(body, rim, lit * lit), cover * alpha)

    def check_flat(self, x, y, radius=3):
        c = self.get(x, y)
        for yy in range(y - radius, y + radius + 1):
            for xx in range(x - radius, x + radius + 1):
                if self.get(xx, yy) != c:
                    raise SystemExit(f"pixel ({x}, {y}) is not flat: {c} vs {self.get(xx, yy)} "
                                     f"at ({xx}, {yy})")
        return c


def bmp24(canvas):
    """A bottom-up 24-bit BMP with a BITMAPINFOHEADER; rows padded to 4 bytes."""
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = canvas.get(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    return bmp_headers(w, h, 24, 0, len(data)) + data


def bmp8(canvas, full_palette):
    """A bottom-up 8-bit palettized BMP. With full_palette the colour table has 256 entries
    (unused ones black); otherwise only the colours used, with their count in biClrUsed."""
    w, h = canvas.w, canvas.h
    colours = sorted(set(canvas.px))
    if len(colours) > 256:
        raise SystemExit(f"{len(colours)} colours do not fit an 8-bit palette")
    index = {c: i for i, c in enumerate(colours)}
    entries = 256 if full_palette else len(colours)
    table = bytearray()
    for i in range(entries):
        r, g, b = colours[i] if i < len(colours) else (0, 0, 0)
        table += bytes((b, g, r, 0))
    stride = (w + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(index[canvas.get(x, y)] for x in range(w))
        row += bytes(stride - len(row))
        data += row
    return bmp_headers(w, h, 8, entries, len(data), table) + data


def bmp_headers(w, h, bits, colours_used, image_size, table=b""):
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 2835, 2835,
                       colours_used, 0)
    return file_header + info + table


# Pixels that identify each picture: (x, y) in the upper 200 rows, each in a patch of flat colour
# at least 7 x 7 pixels wide, so a screenshot can tell which picture is showing. The colours are
# checked against the drawing when the pictures are made and written to expected-pixels.txt.
KNOWN_PIXELS = {
    "Pic01": {(205, 134): (255, 238, 184), (96, 182): (255, 206, 112), (150, 190): (38, 26, 58)},
    "Pic02": {(70, 96): (255, 246, 214), (250, 108): (48, 52, 82), (20, 184): (224, 196, 150)},
    "Pic03": {(190, 70): (250, 240, 200), (20, 100): (58, 48, 72), (110, 177): (120, 88, 58)},
    "Pic04": {(104, 46): (40, 52, 72), (110, 120): (226, 224, 212), (30, 186): (26, 28, 38),
              (260, 40): (236, 232, 206)},
    "Pic05": {(104, 46): (255, 242, 168), (110, 120): (226, 224, 212), (30, 186): (26, 28, 38),
              (260, 40): (236, 232, 206)},
    "Pic06": {(150, 50): (255, 252, 236), (250, 108): (84, 118, 112), (20, 184): (240, 220, 170),
              (200, 172): (150, 146, 136)},
    "Pic07": {(30, 60): (206, 188, 152), (112, 78): (248, 186, 128), (262, 150): (132, 92, 58)},
    "Pic08": {(24, 40): (196, 172, 134), (225, 60): (169, 124, 145), (70, 120): (112, 78, 50)},
    "Pic09": {(190, 70): (130, 88, 121), (20, 100): (112, 86, 88), (110, 177): (120, 88, 58)},
}


def town_at_dusk():
    """Pic01: the hillside town at dusk: violet sky, pink clouds, the sun going down behind the
    hills, roofs with lit windows, and a telegraph pole with its wires."""
    c = Canvas(300, 300)
    sky = [(0.0, (48, 38, 96)), (0.4, (128, 72, 138)), (0.72, (232, 120, 112)),
           (1.0, (255, 196, 128))]
    c.rows(0, 300, lambda y: gradient(sky, y / 168))
    c.glow(205, 140, 90, (255, 200, 140), 0.55)
    c.disc(205, 140, 17, KNOWN_PIXELS["Pic01"][(205, 134)], soft=True)
    for cx, cy, rx, ry in [(70, 38, 70, 11), (236, 24, 52, 8), (140, 82, 84, 10),
                           (262, 98, 50, 8), (34, 118, 44, 7)]:
        c.cloud(cx, cy, rx, ry, (118, 70, 128), (255, 168, 150))
    # Far hills: a soft purple ridge.
    ridge = [(x, 158 - 9 * math.sin(x / 37.0) - 5 * math.sin(x / 13.0 + 1)) for x in range(0, 301, 4)]
    c.polygon(ridge + [(300, 300), (0, 300)], (104, 64, 116))
    # Birds.
    for bx, by in [(110, 58), (122, 52), (131, 61)]:
        c.line(bx - 4, by - 2, bx, by, (60, 40, 80))
        c.line(bx, by, bx + 4, by - 2, (60, 40, 80))
    # Houses: dark silhouettes with gabled roofs and warm windows.
    house = KNOWN_PIXELS["Pic01"][(150, 190)]
    window = KNOWN_PIXELS["Pic01"][(96, 182)]
    roofs = [(-10, 60, 176), (44, 92, 168), (84, 128, 162), (124, 190, 172), (180, 228, 166),
             (222, 262, 178), (256, 310, 170)]
    for x0, x1, top in roofs:
        c.rect(x0, top, x1, 300, house)
        c.polygon([(x0 - 4, top + 1), ((x0 + x1) / 2, top - 12), (x1 + 4, top + 1)], house)
    for wx, wy in [(91, 177), (14, 186), (238, 188), (200, 182), (272, 184)]:
        c.rect(wx, wy, wx + 11, wy + 11, window)
    c.glow(96, 182, 20, window, 0.15)
    c.rect(91, 177, 102, 188, window)
    # Telegraph pole and its sagging wires.
    c.rect(38, 86, 42, 300, (30, 22, 44))
    c.rect(28, 96, 52, 99, (30, 22, 44))
    for start, sag in [(29, 16), (51, 12)]:
        for x in range(start, 300):
            t = (x - start) / (300 - start)
            c.put(x, int(97 + sag * 4 * t * (1 - t) + 6 * t), (40, 28, 56))
    return c


def sea(morning):
    """Pic02 (evening) and Pic06 (morning): the sea from the shore, with the cape and its small
    lighthouse on the right, the sun over the water and its path of sparkles."""
    name = "Pic06" if morning else "Pic02"
    known = KNOWN_PIXELS[name]
    c = Canvas(299, 300)
    horizon = 118
    if morning:
        sky = [(0.0, (96, 150, 222)), (0.6, (168, 204, 236)), (1.0, (246, 234, 212))]
        water = [(0.0, (70, 130, 176)), (1.0, (28, 84, 140))]
        sun, glitter, cape = (150, 50), (255, 255, 240), known[(250, 108)]
        sand = known[(20, 184)]
    else:
        sky = [(0.0, (64, 92, 160)), (0.55, (176, 150, 190)), (1.0, (252, 196, 146))]
        water = [(0.0, (92, 96, 140)), (1.0, (30, 44, 86))]
        sun, glitter, cape = (70, 96), (255, 222, 150), known[(250, 108)]
        sand = known[(20, 184)]
    c.rows(0, horizon, lambda y: gradient(sky, y / horizon))
    c.rows(horizon, 300, lambda y: gradient(water, (y - horizon) / 100))
    c.glow(sun[0], sun[1], 70, (255, 236, 200), 0.6)
    c.disc(sun[0], sun[1], 15, known[sun], soft=True)
    clouds = [(210, 30, 46, 7), (40, 46, 38, 6), (150, 80, 60, 6)] if morning else \
        [(200, 40, 58, 8), (120, 66, 50, 6), (260, 78, 36, 5)]
    rim = (255, 255, 255) if morning else (255, 180, 150)
    body = (214, 226, 244) if morning else (140, 110, 160)
    for cx, cy, rx, ry in clouds:
        c.cloud(cx, cy, rx, ry, body, rim, 0.85)
    # The cape on the right, with the lighthouse at its tip.
    c.polygon([(185, horizon + 1), (205, 108), (226, 102), (262, 94), (299, 88), (299, horizon + 1)],
              cape)
    c.rect(208, 84, 213, 106, (236, 236, 228))
    c.rect(207, 81, 214, 84, (200, 60, 52))
    # Waves: thin lighter streaks, and sparkles along the sun's path.
    rng = Rng(0x5EA if morning else 0xD05C)
    for _ in range(260):
        y = rng.randint(horizon + 2, 299)
        depth = (y - horizon) / (300 - horizon)
        x = rng.randint(0, 298)
        length = int(4 + 26 * depth * rng.random())
        c.rect(x, y, x + length, y + 1, (200, 220, 240), 0.18 + 0.2 * depth)
    for _ in range(190):
        y = rng.randint(horizon + 1, 299)
        spread = 8 + (y - horizon) * 0.55
        x = int(sun[0] + rng.uniform(-spread, spread))
        length = rng.randint(1, 3 + (y - horizon) // 25)
        c.rect(x, y, x + length, y + 1, glitter, rng.uniform(0.5, 1.0))
        if rng.random() < 0.12:
            c.put(x + length // 2, y - 1, glitter, 0.7)
            c.put(x + length // 2, y + 1, glitter, 0.7)
    # The shore: sand in the lower left, a darker band of wet sand and a line of foam.
    def shore(x):
        return 170 + 0.0016 * x * x + 0.06 * x + 1.5 * math.sin(x / 7)
    outline = [(x, shore(x)) for x in range(0, 300, 3)]
    c.polygon(outline + [(299, 300), (0, 300)], sand)
    wet = mix(sand, water[-1][1], 0.3)
    for x in range(299):
        y = shore(x)
        for dy in range(0, 4):
            c.put(x, int(y) + dy, wet, 0.8 - 0.2 * dy)
        c.put(x, int(y) - 1, (250, 250, 245), 0.85)
        c.put(x, int(y) - 2, (250, 250, 245), 0.35)
    if morning:
        harbour(c)
    return c


def harbour(c):
    """The morning harbour: a stone quay across the water on the right, and the fishing boats
    moored side by side along it, all of them home."""
    quay_top = 170
    c.polygon([(128, quay_top), (299, quay_top - 6), (299, quay_top + 6), (128, quay_top + 9)],
              KNOWN_PIXELS["Pic06"][(200, 172)])
    c.polygon([(128, quay_top + 9), (299, quay_top + 6), (299, quay_top + 10), (128, quay_top + 13)],
              (96, 96, 96))
    for x in range(140, 299, 26):
        top = quay_top - 6 * (x - 128) / 171
        c.rect(x, int(top) - 3, x + 3, int(top) + 1, (70, 66, 60))
    hulls = [(0.0, (236, 236, 228)), (1.0, (60, 96, 160))]
    for i, x in enumerate(range(138, 290, 30)):
        waterline = int(quay_top - 6 * (x + 12 - 128) / 171) - 2
        hull = (200, 60, 52) if i % 2 else hulls[i % 3 == 2][1]
        c.polygon([(x, waterline - 7), (x + 24, waterline - 7), (x + 20, waterline), (x + 3, waterline)],
                  hull)
        c.rect(x + 1, waterline - 8, x + 24, waterline - 7, (240, 240, 232))
        c.rect(x + 12, waterline - 14, x + 20, waterline - 7, (236, 232, 220))
        c.rect(x + 13, waterline - 12, x + 15, waterline - 10, (60, 80, 110))
        c.rect(x + 7, waterline - 26, x + 8, waterline - 7, (70, 66, 60))
        c.line(x + 8, waterline - 25, x + 22, waterline - 14, (90, 86, 80))


def room_at_night():
    """Pic03: a small room at night: a wooden window with the full moon and stars, curtains,
    a desk with a lamp, moonlight on the tatami. Flat colours only, for an 8-bit palette."""
    return upstairs_room(dusk=False)


def upstairs_room(dusk):
    """Pic03 (night) and Pic09 (the same room at dusk, the sky through the window still red and
    the lamp not yet lit)."""
    known = KNOWN_PIXELS["Pic09" if dusk else "Pic03"]
    wall, wood = known[(20, 100)], known[(110, 177)]
    c = Canvas(298, 300, wall)
    # Faint vertical boards on the wall.
    for x in range(40, 298, 48):
        c.rect(x, 0, x + 1, 206, (98, 74, 78) if dusk else (52, 43, 65))
    x0, y0, x1, y1 = 70, 26, 230, 172
    if dusk:
        # The evening sky in bands, violet above and red towards the roofs, the sun going down.
        for i, y in enumerate(range(y0, y1, 8)):
            c.rect(x0, y, x1, min(y + 8, y1), to_rgb(mix((86, 64, 128), (246, 150, 104), i / 18)))
        c.disc(120, 146, 13, (255, 214, 150))
        for rx0, rx1, top in [(70, 118, 150), (112, 170, 158), (160, 204, 146), (198, 230, 156)]:
            c.rect(rx0, top, rx1, y1, (64, 40, 70))
            c.polygon([(rx0 - 2, top + 1), ((rx0 + rx1) / 2, top - 8), (rx1 + 2, top + 1)], (64, 40, 70))
        for wx, wy in [(128, 162), (176, 156), (214, 164)]:
            c.rect(wx, wy, wx + 5, wy + 5, (250, 214, 120))
        frame_and_room(c, x0, y0, x1, y1, wood, dusk)
        return c
    moon = known[(190, 70)]
    # Night sky seen through the glass, in bands.
    for i, y in enumerate(range(y0, y1, 8)):
        c.rect(x0, y, x1, min(y + 8, y1), to_rgb(mix((10, 14, 44), (40, 52, 104), i / 18)))
    c.disc(190, 70, 31, (52, 62, 118))
    c.disc(190, 70, 25, (72, 82, 134))
    c.disc(190, 70, 20, moon)
    for mx, my, mr in [(183, 63, 3.5), (197, 78, 2.5), (194, 62, 1.5)]:
        c.disc(mx, my, mr, (228, 216, 180))
    rng = Rng(0x57A2)
    for _ in range(40):
        sx, sy = rng.randint(x0 + 2, x1 - 3), rng.randint(y0 + 2, y1 - 40)
        if math.hypot(sx - 190, sy - 70) > 34:
            c.put(sx, sy, (236, 236, 255))
            if rng.random() < 0.25:
                for dx, dy in [(1, 0), (-1, 0), (0, 1), (0, -1)]:
                    c.put(sx + dx, sy + dy, (130, 140, 200))
    # Roof tops of the town below the window.
    for rx0, rx1, top in [(70, 118, 150), (112, 170, 158), (160, 204, 146), (198, 230, 156)]:
        c.rect(rx0, top, rx1, y1, (18, 18, 34))
        c.polygon([(rx0 - 2, top + 1), ((rx0 + rx1) / 2, top - 8), (rx1 + 2, top + 1)], (18, 18, 34))
    c.rect(128, 162, 133, 167, (250, 214, 120))
    frame_and_room(c, x0, y0, x1, y1, wood, dusk)
    return c


def frame_and_room(c, x0, y0, x1, y1, wood, dusk):
    """The upstairs room around its window: the frame, the curtains, the floor and the desk."""
    # The window frame: outer frame 8 px, a cross of mullions.
    c.rect(x0 - 8, y0 - 8, x1 + 8, y0, wood)
    c.rect(x0 - 8, y1, x1 + 8, y1 + 10, wood)
    c.rect(x0 - 8, y0, x0, y1, wood)
    c.rect(x1, y0, x1 + 8, y1, wood)
    c.rect(147, y0, 153, y1, wood)
    c.rect(x0, 96, x1, 100, wood)
    c.rect(x0 - 10, y1 + 10, x1 + 10, y1 + 13, (90, 64, 42))
    # Curtains with folds, tied back.
    for cx0, cx1 in [(40, 66), (234, 260)]:
        for x in range(cx0, cx1):
            fold = (x - cx0) % 9
            colour = (150, 62, 72) if fold < 5 else (122, 46, 58)
            c.rect(x, 10, x + 1, 196, colour)
        c.rect(cx0, 120, cx1, 126, (210, 170, 90))
    c.rect(30, 6, 270, 11, (90, 64, 42))
    # Moonlight falling across the floor; at dusk, the last red light.
    c.rect(0, 206, 298, 300, (142, 132, 86))
    for y in range(214, 300, 16):
        c.rect(0, y, 298, y + 1, (112, 104, 66))
    c.polygon([(70, 206), (230, 206), (280, 300), (120, 300)], (190, 150, 110) if dusk else (176, 170, 130))
    # A low desk with a lamp on the left, its shade lit at night.
    c.rect(4, 170, 60, 176, (74, 50, 34))
    c.rect(8, 176, 13, 206, (60, 40, 28))
    c.rect(51, 176, 56, 206, (60, 40, 28))
    c.polygon([(16, 150), (36, 150), (40, 164), (12, 164)], (150, 130, 110) if dusk else (238, 210, 150))
    c.rect(25, 164, 27, 170, (50, 40, 30))
    c.rect(18, 168, 34, 170, (50, 40, 30))
    if dusk:
        # The bag, half unpacked, and the old notebook beside it on the desk.
        c.rect(180, 196, 236, 206, (70, 86, 120))
        c.rect(184, 188, 232, 196, (84, 102, 140))
        c.rect(38, 164, 56, 170, (150, 60, 52))


def entrance_at_dusk():
    """Pic07: the grandmother's entrance hall: the sliding front door, its glass panes lit by the
    evening outside, the wind bell hanging by it, the shoe cupboard and the stone floor."""
    known = KNOWN_PIXELS["Pic07"]
    wall, pane, wood = known[(30, 60)], known[(112, 78)], known[(262, 150)]
    c = Canvas(300, 300, wall)
    c.rect(0, 0, 300, 14, (120, 84, 56))
    c.rect(0, 14, 300, 18, (84, 58, 38))
    for px in (60, 196):
        c.rect(px, 18, px + 12, 200, (110, 76, 48))
    # The door: two leaves of glass panes between wooden bars, warmer towards the bottom.
    c.rect(72, 26, 196, 190, (96, 66, 42))
    panes = [(34, 62), (66, 94), (98, 126), (130, 158), (162, 186)]
    for leaf in (76, 136):
        for row, (top, bottom) in enumerate(panes):
            colour = to_rgb(mix((236, 150, 128), (252, 206, 140), row / 4)) if row != 1 else pane
            for column in range(4):
                left = leaf + 1 + column * 14
                c.rect(left, top, left + 12, bottom, colour)
    # The wind bell on its string, with its paper strip.
    c.line(182, 18, 182, 38, (170, 40, 40))
    c.disc(182, 43, 6, (176, 214, 232))
    c.rect(176, 43, 189, 49, (176, 214, 232))
    c.rect(178, 45, 187, 47, (200, 70, 70))
    c.line(182, 49, 182, 53, (170, 40, 40))
    c.rect(179, 53, 186, 76, (246, 240, 222))
    # The stone floor before the door, and a pair of sandals on it.
    c.rect(0, 190, 300, 300, (120, 114, 106))
    for gx, gy in [(96, 196), (118, 198)]:
        c.rect(gx, gy, gx + 14, gy + 5, (70, 54, 40))
        c.rect(gx + 5, gy - 1, gx + 9, gy + 1, (170, 40, 40))
    # The shoe cupboard on the right, a vase of flowers on it.
    c.rect(222, 122, 292, 198, (100, 68, 42))
    c.rect(226, 128, 255, 194, wood)
    c.rect(258, 128, 288, 194, wood)
    c.rect(251, 156, 253, 166, (60, 40, 28))
    c.rect(260, 156, 262, 166, (60, 40, 28))
    c.polygon([(246, 122), (250, 100), (258, 100), (262, 122)], (70, 110, 150))
    for fx, fy, colour in [(248, 90, (240, 120, 140)), (256, 86, (250, 240, 240)), (262, 92, (240, 120, 140))]:
        c.line(254, 100, fx, fy + 3, (60, 110, 60))
        c.disc(fx, fy, 3, colour)
    # A calendar on the left wall.
    c.rect(14, 96, 46, 140, (244, 240, 228))
    c.rect(14, 96, 46, 106, (190, 60, 60))
    for ry in range(112, 138, 6):
        c.rect(18, ry, 42, ry + 2, (150, 146, 140))
    return c


def living_room_at_dusk():
    """Pic08: the living room at dusk: the shelf with the old photograph of the grandfather at
    the lighthouse, the lamp over the low table, and the evening sky over the sea in the window."""
    known = KNOWN_PIXELS["Pic08"]
    wall, shelf = known[(24, 40)], known[(70, 120)]
    c = Canvas(300, 300, wall)
    c.rect(0, 0, 300, 10, (120, 84, 56))
    c.rect(0, 168, 300, 176, (110, 76, 48))
    # The window: evening sky in bands over a strip of sea, a wooden frame and one mullion.
    x0, y0, x1, y1 = 180, 24, 286, 140
    for i, y in enumerate(range(y0, 110, 10)):
        c.rect(x0, y, x1, min(y + 10, 110), to_rgb(mix((120, 96, 160), (250, 170, 120), i / 8)))
    c.rect(x0, 110, x1, y1, (80, 84, 130))
    for i in range(6):
        c.rect(236 + 3 * i, 114 + 4 * i, 256 - 2 * i, 115 + 4 * i, (255, 200, 140))
    c.rect(262, 100, 266, 110, (236, 236, 228))
    c.rect(x0 - 6, y0 - 6, x1 + 6, y0, (110, 76, 48))
    c.rect(x0 - 6, y1, x1 + 6, y1 + 8, (110, 76, 48))
    c.rect(x0 - 6, y0, x0, y1, (110, 76, 48))
    c.rect(x1, y0, x1 + 6, y1, (110, 76, 48))
    c.rect(231, y0, 235, y1, (110, 76, 48))
    # The shelf, and on it the photograph in its frame and a small clock.
    c.rect(16, 114, 156, 126, shelf)
    c.rect(16, 126, 156, 130, (84, 58, 38))
    for bx in (24, 144):
        c.rect(bx, 130, bx + 4, 140, (84, 58, 38))
    c.rect(52, 64, 100, 114, (60, 40, 28))
    c.rect(56, 68, 96, 110, (214, 200, 168))
    c.rect(56, 92, 96, 110, (170, 158, 130))
    c.polygon([(64, 94), (66, 74), (72, 74), (74, 94)], (246, 240, 226))
    c.rect(64, 72, 74, 75, (120, 100, 90))
    c.disc(85, 90, 4, (90, 78, 66))
    c.rect(81, 94, 90, 108, (90, 78, 66))
    c.rect(118, 96, 140, 114, (150, 110, 70))
    c.disc(129, 104, 7, (246, 240, 226))
    c.line(129, 104, 129, 99, (40, 30, 30))
    c.line(129, 104, 133, 104, (40, 30, 30))
    # The lamp over the table, lit.
    c.line(100, 10, 100, 150, (50, 40, 30))
    c.polygon([(84, 150), (116, 150), (124, 162), (76, 162)], (250, 226, 170))
    c.glow(100, 166, 30, (255, 230, 170), 0.35)
    # The tatami, and the low table.
    c.rect(0, 176, 300, 300, (176, 166, 108))
    for y in range(184, 300, 22):
        c.rect(0, y, 300, y + 1, (150, 140, 90))
    c.polygon([(40, 190), (160, 190), (176, 200), (24, 200)], (120, 80, 50))
    c.rect(24, 200, 176, 206, (90, 60, 38))
    return c


def lighthouse(lit):
    """Pic04 (dark) and Pic05 (lit): the lighthouse on the cape under a starry sky. Lit, its
    lamp throws two beams across the sky and a boat's light answers on the sea."""
    known = KNOWN_PIXELS["Pic05" if lit else "Pic04"]
    white, rock, lamp = known[(110, 120)], known[(30, 186)], known[(104, 46)]
    c = Canvas(300, 300)
    rng_waves = Rng(0x3A7E)
    horizon = 164
    for i, y in enumerate(range(0, horizon, 12)):
        c.rect(0, y, 300, y + 12, to_rgb(mix((6, 10, 34), (46, 54, 104), i / 13)))
    for i, y in enumerate(range(horizon, 300, 10)):
        c.rect(0, y, 300, y + 10, to_rgb(mix((30, 38, 78), (10, 16, 40), i / 13)))
    for _ in range(60):
        wx, wy = rng_waves.randint(150, 290), rng_waves.randint(horizon + 3, 299)
        c.rect(wx, wy, wx + rng_waves.randint(3, 12), wy + 1, (70, 84, 140))
    rng = Rng(0x11647)
    for _ in range(90):
        sx, sy = rng.randint(0, 299), rng.randint(0, horizon - 30)
        c.put(sx, sy, (220, 226, 255) if rng.random() < 0.7 else (255, 236, 190))
        if rng.random() < 0.15:
            for dx, dy in [(1, 0), (-1, 0), (0, 1), (0, -1)]:
                c.put(sx + dx, sy + dy, (120, 130, 190))
    # The full moon, as the room's window shows it the same night; its face stands in front of
    # the beams.
    c.disc(262, 36, 15, (34, 40, 86))
    if lit:
        beam = (255, 242, 180)
        c.polygon([(110, 42), (300, 10), (300, 74), (110, 50)], beam, 0.28)
        c.polygon([(110, 42), (0, 18), (0, 62), (110, 50)], beam, 0.18)
        c.disc(110, 46, 24, beam, 0.18)
        c.disc(110, 46, 15, beam, 0.3)
        for i in range(4):
            c.rect(244 + i * 2, horizon + 12 + 4 * i, 254 - i * 2, horizon + 13 + 4 * i,
                   (255, 214, 130), 0.5)
        c.rect(247, horizon + 3, 251, horizon + 7, (255, 222, 140))
        c.rect(240, horizon + 7, 260, horizon + 10, (40, 40, 60))
        c.rect(249, horizon - 6, 250, horizon + 7, (40, 40, 60))
    c.disc(262, 36, 11, known[(260, 40)])
    for mx, my, mr in [(258, 32, 2), (264, 30, 1.5), (267, 37, 1.5)]:
        c.disc(mx, my, mr, (214, 206, 176))
    # The cape: a dark mass rising from the left, the tower standing on its top.
    c.polygon([(0, 150), (40, 146), (80, 142), (150, 144), (172, 156), (186, 176), (200, 196),
               (214, 230), (226, 300), (0, 300)], rock)
    c.polygon([(150, 144), (172, 156), (186, 176), (200, 196), (214, 230), (206, 232),
               (190, 196), (176, 174), (160, 154)], (40, 42, 54))
    # Grass tufts along the rim.
    for gx in range(2, 150, 7):
        c.line(gx, 148, gx + 2, 143 - (gx % 3), (34, 48, 44))
    # Tower: tapering white body with two red bands.
    c.polygon([(94, 150), (98, 62), (122, 62), (126, 150)], white)
    for band_top in (78, 104):
        c.polygon([(0, band_top), (300, band_top), (300, band_top + 10), (0, band_top + 10)],
                  (0, 0, 0), 0)
        for y in range(band_top, band_top + 10):
            for x in range(90, 131):
                if c.get(x, y) == white:
                    c.put(x, y, (176, 52, 50))
    c.rect(104, 130, 116, 150, (70, 60, 56))
    c.rect(108, 90, 112, 96, (70, 60, 56))
    # Gallery, lamp room and roof.
    c.rect(92, 58, 128, 62, (34, 34, 44))
    for x in range(93, 128, 5):
        c.rect(x, 54, x + 1, 58, (34, 34, 44))
    c.rect(92, 54, 128, 55, (34, 34, 44))
    c.rect(100, 36, 120, 54, lamp)
    c.rect(109, 36, 111, 54, (34, 34, 44) if not lit else (255, 228, 140))
    c.polygon([(96, 37), (110, 24), (124, 37)], (110, 34, 36))
    c.rect(109, 18, 111, 25, (34, 34, 44))
    return c


# name -> (drawing, how it is stored)
PICTURES = {
    "Pic01": (town_at_dusk, "24"),
    "Pic02": (lambda: sea(morning=False), "24"),
    "Pic03": (room_at_night, "8-used"),
    "Pic04": (lambda: lighthouse(lit=False), "8-full"),
    "Pic05": (lambda: lighthouse(lit=True), "8-full"),
    "Pic06": (lambda: sea(morning=True), "24"),
    "Pic07": (entrance_at_dusk, "24"),
    "Pic08": (living_room_at_dusk, "24"),
    "Pic09": (lambda: upstairs_room(dusk=True), "24"),
}


def make_pictures():
    """Returns {relative path: bytes} for the pictures and the table of known pixels."""
    files, table = {}, []
    for name, (draw, kind) in PICTURES.items():
        canvas = draw()
        for (x, y), colour in KNOWN_PIXELS[name].items():
            found = canvas.check_flat(x, y)
            if found != colour:
                raise SystemExit(f"{name} ({x}, {y}) is {found}, not {colour}")
            table.append(f"{name} {x} {y} {colour[0]} {colour[1]} {colour[2]}")
        data = bmp24(canvas) if kind == "24" else bmp8(canvas, full_palette=(kind == "8-full"))
        files[f"Picture/{name}.bmp"] = data
    files["expected-pixels.txt"] = "".join(line + "\n" for line in table).encode("ascii")
    return files


# --------------------------------------------------------------------------------------------
# Music: standard MIDI files, format 1, one track per instrument
# --------------------------------------------------------------------------------------------

TICKS = 480  # per quarter note
PITCH_CLASS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def note_number(name):
    """'C4' is middle C (60); a '#' or 'b' after the letter raises or lowers it."""
    pc = PITCH_CLASS[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        pc += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pc


def parse_line(text, beats_per_bar):
    """'E5:1.5 D5:.5 C5 G4 | ...' -> [(start_beat, length, note or None)]; bars are checked."""
    notes, beat = [], 0.0
    for bar_no, bar in enumerate(text.split("|")):
        start = beat
        for token in bar.split():
            name, _, length = token.partition(":")
            length = float(length) if length else 1.0
            notes.append((beat, length, None if name == "r" else note_number(name)))
            beat += length
        if abs(beat - start - beats_per_bar) > 1e-9:
            raise SystemExit(f"bar {bar_no + 1} of '{text[:30]}…' holds {beat - start} beats")
    return notes


# Chord tones as pitch classes, root first.
CHORDS = {"C": "C E G", "Am": "A C E", "F": "F A C", "G": "G B D", "G7": "G B D F",
          "Em": "E G B", "Dm": "D F A", "Dm7": "D F A C", "E": "E G# B", "Fmaj7": "F A C E",
          "Cmaj7": "C E G B", "Bb": "Bb D F", "Gsus": "G C D"}


def chord_notes(symbol, low, high):
    """Chord tones of symbol spread upwards from the root's first note at or above low."""
    classes = [note_number(n + "0") % 12 for n in CHORDS[symbol].split()]
    root = low + (classes[0] - low) % 12
    out, n = [], root
    while n <= high:
        if n % 12 in classes:
            out.append(n)
        n += 1
    return out


class Tune:
    def __init__(self, name, bpm, beats_per_bar, bars):
        self.name, self.bpm, self.beats_per_bar, self.bars = name, bpm, beats_per_bar, bars
        self.tracks = []  # (name, channel, program, volume, pan, [(start_beat, length, note, vel)])

    @property
    def beats(self):
        return self.bars * self.beats_per_bar

    @property
    def seconds(self):
        return self.beats * 60.0 / self.bpm

    def add(self, name, channel, program, volume, pan, notes):
        for start, length, note, _ in notes:
            if start + length > self.beats + 1e-9:
                raise SystemExit(f"{self.name}/{name}: a note runs past the end of the tune")
        self.tracks.append((name, channel, program, volume, pan, notes))

    def midi(self):
        def vlq(n):
            out = [n & 0x7F]
            n >>= 7
            while n:
                out.append(0x80 | (n & 0x7F))
                n >>= 7
            return bytes(reversed(out))

        def chunk(kind, body):
            return kind + struct.pack(">I", len(body)) + body

        def track(events, end):
            # events: (tick, order, bytes); note-offs (order 0) come before note-ons at one tick.
            body, now = bytearray(), 0
            for tick, _, data in sorted(events, key=lambda e: (e[0], e[1], e[2])):
                body += vlq(tick - now) + data
                now = tick
            body += vlq(end - now) + b"\xFF\x2F\x00"
            return chunk(b"MTrk", bytes(body))

        end = int(round(self.beats * TICKS))
        tempo = int(round(60_000_000 / self.bpm))
        denominator = 2  # quarter notes
        conductor = [(0, 0, b"\xFF\x03" + vlq(len(self.name)) + self.name.encode("ascii")),
                     (0, 1, b"\xFF\x51\x03" + tempo.to_bytes(3, "big")),
                     (0, 2, b"\xFF\x58\x04" + bytes((self.beats_per_bar, denominator, 24, 8)))]
        out = [track(conductor, end)]
        for name, channel, program, volume, pan, notes in self.tracks:
            events = [(0, 0, b"\xFF\x03" + vlq(len(name)) + name.encode("ascii")),
                      (0, 1, bytes((0xB0 | channel, 7, volume))),
                      (0, 2, bytes((0xB0 | channel, 10, pan))),
                      (0, 3, bytes((0xB0 | channel, 91, 48)))]
            if channel != 9:
                events.append((0, 4, bytes((0xC0 | channel, program))))
            for start, length, note, velocity in notes:
                on = int(round(start * TICKS))
                off = int(round((start + length) * TICKS)) - 10  # a breath before the next note
                events.append((on + 1, 6, bytes((0x90 | channel, note, velocity))))
                events.append((max(off, on + 2), 5, bytes((0x80 | channel, note, 0))))
            out.append(track(events, end))
        header = chunk(b"MThd", struct.pack(">HHH", 1, len(out), TICKS))
        return header + b"".join(out)


def melody(text, beats_per_bar, velocity, accent=8):
    out = []
    for start, length, note in parse_line(text, beats_per_bar):
        if note is not None:
            strong = abs(start % beats_per_bar) < 1e-9
            out.append((start, length, note, velocity + (accent if strong else 0)))
    return out


def pads(chords, beats_per_bar, low, high, velocity):
    """Sustained chords, one per bar (or two, for 'F/G'-style halves written 'F G')."""
    out = []
    for bar, symbols in enumerate(chords):
        parts = symbols.split()
        length = beats_per_bar / len(parts)
        for i, symbol in enumerate(parts):
            for n in chord_notes(symbol, low, high)[:4]:
                out.append((bar * beats_per_bar + i * length, length, n, velocity))
    return out


def arpeggio(chords, beats_per_bar, pattern, step, low, velocity):
    """Broken chords: pattern holds indexes into the chord's notes from low upwards."""
    out = []
    for bar, symbols in enumerate(chords):
        parts = symbols.split()
        per_part = len(pattern) // len(parts)
        for i, index in enumerate(pattern):
            tones = chord_notes(parts[min(i // per_part, len(parts) - 1)], low, low + 30)
            start = bar * beats_per_bar + i * step
            out.append((start, step * 1.5 if i < len(pattern) - 1 else step, tones[index],
                        velocity - (0 if i % 2 == 0 else 10)))
    return out


def bass(chords, beats_per_bar, rhythm, low, velocity):
    """The root (and the fifth, where rhythm says 5) on the beats given by rhythm."""
    out = []
    for bar, symbols in enumerate(chords):
        parts = symbols.split()
        for start, length, degree in rhythm:
            symbol = parts[min(int(start * len(parts) / beats_per_bar), len(parts) - 1)]
            tones = chord_notes(symbol, low, low + 24)
            note = tones[0] if degree == 1 else tones[2 if len(tones) > 2 else 0]
            out.append((bar * beats_per_bar + start, length, note, velocity))
    return out


def evening_song():
    """Bgm01 "夕なぎ": C major, 4/4, 80 beats a minute, 16 bars. Flute over broken chords on
    the piano, strings and a soft bass. It ends on G7, which leads back into the first C."""
    t = Tune("Yunagi", 80, 4, 16)
    chords = ["C", "Am", "F", "G", "C", "Em", "F", "G",
              "F", "G", "Em", "Am", "Dm7", "G", "C", "G7"]
    tune = ("E5:1.5 D5:.5 C5 G4 | A4:1.5 C5:.5 E5:2 | F5 E5 D5 C5 | D5:3 r | "
            "E5:1.5 D5:.5 C5 E5 | G5:1.5 E5:.5 B4:2 | A4 C5 F5 E5 | D5:4 | "
            "A5:1.5 G5:.5 F5 C5 | G5:1.5 F5:.5 D5:2 | E5 G5 B5 G5 | A5:3 r | "
            "F5:1.5 E5:.5 D5 A4 | B4 D5 G5:2 | E5 D5 C5 E5 | D5:2 r:2")
    t.add("Flute", 0, 73, 92, 70, melody(tune, 4, 72))
    t.add("Piano", 1, 0, 86, 52, arpeggio(chords, 4, [0, 2, 3, 4, 5, 4, 3, 2], 0.5, 48, 58))
    t.add("Strings", 2, 48, 70, 40, pads(chords, 4, 55, 72, 46))
    t.add("Bass", 3, 32, 90, 64, bass(chords, 4, [(0, 1.5, 1), (1.5, 0.5, 5), (2, 2, 1)], 36, 70))
    return t


def night_waltz():
    """Bgm02 "月の窓": A minor, 3/4, 90 beats a minute, 24 bars. A clarinet sings over the
    harp, with slow strings, a cello and, in the middle part, a soft brush of percussion. It
    ends on E, the way back into A minor."""
    t = Tune("Tsuki no mado", 90, 3, 24)
    chords = ["Am", "F", "C", "G", "Am", "F", "Dm", "E",
              "F", "G", "Em", "Am", "Dm", "G", "C", "E",
              "Am", "F", "C", "G", "F", "G", "Am", "E"]
    tune = ("A4 C5 E5 | F5:2 E5 | E5 D5 C5 | D5:3 | A4 C5 E5 | A5:2 G5 | F5 E5 D5 | E5:3 | "
            "C5:1.5 D5:.5 E5 | D5:1.5 C5:.5 B4 | G4 B4 E5 | A4:3 | D5 F5 A5 | G5:2 F5 | "
            "E5:2 C5 | B4:3 | "
            "A4 C5 E5 | F5:2 E5 | E5 D5 C5 | D5:3 | A5:1.5 G5:.5 F5 | D5 B4 D5 | C5 B4 A4 | "
            "G#4:2 r")
    t.add("Clarinet", 0, 71, 88, 72, melody(tune, 3, 70))
    t.add("Harp", 1, 46, 92, 50, arpeggio(chords, 3, [0, 2, 4, 5, 4, 2], 0.5, 45, 62))
    t.add("Strings", 2, 49, 72, 36, pads(chords, 3, 55, 72, 44))
    t.add("Cello", 3, 42, 84, 80, bass(chords, 3, [(0, 3, 1)], 36, 62))
    brush = []
    for bar in range(8, 16):
        brush.append((bar * 3, 0.5, 35, 38))                  # soft bass drum on the first beat
        for beat in (1, 2):
            brush.append((bar * 3 + beat, 0.5, 69, 34))       # cabasa on the other two
    t.add("Brush", 9, 0, 70, 64, brush)
    return t


TUNES = {"Bgm01": evening_song, "Bgm02": night_waltz}


def make_music():
    return {f"Bgm/{name}.mid": make().midi() for name, make in TUNES.items()}


# --------------------------------------------------------------------------------------------
# Sound effects: 16-bit PCM, mono, 22050 samples a second
# --------------------------------------------------------------------------------------------

RATE = 22050


def wav(samples):
    """A RIFF/WAVE file of 16-bit mono PCM; samples are floats in -1..1."""
    data = b"".join(struct.pack("<h", int(round(clamp(s, -1.0, 1.0) * 32767))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + \
        struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def finish(samples, peak=0.7, fade=0.03):
    """Scales to the given peak and fades the last few milliseconds, so nothing clicks."""
    top = max(abs(s) for s in samples) or 1.0
    n, tail = len(samples), int(fade * RATE)
    return [s * peak / top * (min(1.0, (n - 1 - i) / tail) if i >= n - tail else 1.0)
            for i, s in enumerate(samples)]


def lowpass(samples, amount):
    """One-pole low-pass; amount 0..1, smaller is darker."""
    out, y = [], 0.0
    for s in samples:
        y += amount * (s - y)
        out.append(y)
    return out


def wind_bell():
    """Wave01: a glass wind bell struck twice, ちりん."""
    n = int(1.4 * RATE)
    out = [0.0] * n
    partials = [(1.0, 1.0, 2.6), (2.32, 0.45, 4.0), (4.25, 0.22, 6.5), (6.63, 0.1, 9.0)]
    for strike, level, base in [(0.0, 1.0, 1318.5), (0.2, 0.55, 1323.0)]:
        first = int(strike * RATE)
        for ratio, amp, decay in partials:
            f = base * ratio
            if f >= RATE / 2:
                continue
            for i in range(first, n):
                t = (i - first) / RATE
                attack = min(1.0, t / 0.002)
                out[i] += level * amp * attack * math.exp(-decay * t) * \
                    math.sin(2 * math.pi * f * t) * (1 + 0.08 * math.sin(2 * math.pi * 5.5 * t))
    return finish(out, 0.6)


def door():
    """Wave02: an old wooden door creaking open and settling with a soft knock."""
    rng = Rng(0xD00E)
    n = int(1.2 * RATE)
    out = [0.0] * n
    # The creak: a train of tiny stick-slip clicks whose rate wanders, each ringing the wood.
    t, end = 0.02, 0.78
    while t < end:
        rate = 70 + 55 * math.sin(t * 7.0) + 30 * math.sin(t * 19.0 + 1)
        loud = math.sin(math.pi * (t - 0.02) / (end - 0.02)) ** 0.6
        start = int(t * RATE)
        for ring, amp, decay in [(620.0, 1.0, 180.0), (1130.0, 0.6, 260.0), (2450.0, 0.25, 420.0)]:
            for i in range(start, min(n, start + int(0.02 * RATE))):
                dt = (i - start) / RATE
                out[i] += loud * amp * math.exp(-decay * dt) * math.sin(2 * math.pi * ring * dt)
        t += 1.0 / max(rate, 25) * rng.uniform(0.85, 1.15)
    # The knock as it meets the frame: a low thump and a short burst of darkened noise.
    start = int(0.86 * RATE)
    noise = lowpass([rng.uniform(-1, 1) for _ in range(n - start)], 0.25)
    for i in range(start, n):
        dt = (i - start) / RATE
        out[i] += 1.6 * math.exp(-22 * dt) * math.sin(2 * math.pi * 88 * dt) + \
            1.2 * math.exp(-60 * dt) * noise[i - start]
    return finish(out, 0.7)


def footsteps():
    """Wave03: three unhurried steps on a gravel path."""
    rng = Rng(0xF007)
    n = int(1.15 * RATE)
    out = [0.0] * n
    for step, level in [(0.0, 1.0), (0.38, 0.85), (0.76, 0.92)]:
        for part, delay, amp in [("heel", 0.0, 1.0), ("toe", 0.055, 0.6)]:
            start = int((step + delay) * RATE)
            length = int(0.16 * RATE)
            grit = lowpass([rng.uniform(-1, 1) for _ in range(length)], 0.45)
            for i in range(length):
                dt = i / RATE
                if start + i >= n:
                    break
                env = min(1.0, dt / 0.003) * math.exp(-38 * dt)
                crunch = grit[i] * (1 + 0.8 * (rng.random() < 0.04))
                thud = math.exp(-55 * dt) * math.sin(2 * math.pi * 105 * dt)
                out[start + i] += level * amp * env * (0.9 * crunch + 0.7 * thud)
    return finish(out, 0.65)


def waves():
    """Wave04: a small wave washing up the sand and drawing back."""
    rng = Rng(0x5EA5)
    n = int(1.5 * RATE)
    raw = [rng.uniform(-1, 1) for _ in range(n)]
    out, y1, y2 = [], 0.0, 0.0
    for i, s in enumerate(raw):
        t = i / n
        swell = math.sin(math.pi * min(1.0, t / 0.35) / 2) ** 2 * (1 - t) ** 1.3
        amount = 0.05 + 0.3 * swell       # the hiss brightens as the wave breaks
        y1 += amount * (s - y1)
        y2 += amount * (y1 - y2)
        out.append(y2 * swell)
    return finish(out, 0.6, fade=0.08)


SOUNDS = {"Wave01": wind_bell, "Wave02": door, "Wave03": footsteps, "Wave04": waves}


def make_sounds():
    return {f"Wave/{name}.wav": wav(make()) for name, make in SOUNDS.items()}


# --------------------------------------------------------------------------------------------
# The scenario
# --------------------------------------------------------------------------------------------
#
# Each file is a list of script lines. An entry "@name" is not a line: it names the line that
# follows it, and "J{name}" in any line of the same file becomes "J" + that line's 0-based
# number in three digits. A line is one row of the message box; every page starts with "C" and
# ends with "P". A flag-dependent row is written with three lines (see variant()).
#
# Flags: 01 is set when the player went to the sea before dinner (and met the fisherman), and
# reset when they stayed in and read the grandfather's log. FF holds the last answer.


def variant(flag, when_set, when_clear, name):
    """One row of text that depends on a flag. The row of the first line shows when_set (then a
    line that only jumps skips the other text) or jumps to the line holding when_clear; either
    way the story goes on one row further down."""
    return [f"F{flag}bJ{{{name}_clear}}a{when_set}",
            f"J{{{name}_done}}",
            f"@{name}_clear", when_clear,
            f"@{name}_done"]


DATA00 = [
    "L01B01XT800　　　　　　　　『灯台の鍵』P",
    "C夏の終わり、祖母の住む海辺の町へ来た。",
    "バスを降りると、空はもう茜色だった。",
    "潮の香りに、どこかの家の夕飯の匂いがまじる。",
    "坂の上の祖母の家まで、ゆっくり歩いた。P",
    "CL07W01玄関の風鈴が、ちりん、と鳴った。",
    "「よく来たねえ。遠かったろう」",
    "祖母は目を細めて、私の肩をぽんとたたいた。P",
    "CL08居間の棚に、古い写真が一枚かざってある。",
    "岬の灯台の前で笑う、若いころの祖父だ。",
    "祖父は長いあいだ、あの灯台の灯台守だった。P",
    "C「あの灯りも、おじいさんと一緒に」",
    "「眠ってしまったみたいでねえ」P",
    "C祖母は引き出しから、小さな鍵を取りだした。",
    "「これを、あんたに渡してくれって」",
    "真ちゅうの鍵は、手のひらで少しあたたかい。P",
    "Q夕ごはんまで、まだ少し時間がある。",
    "海を見に行く",
    "二階の部屋で荷物をほどく",
    "FFFaS01J{sea}bR01J{room}",
    "@sea",
    "CL02W04石段を下りると、目の前に海が広がった。",
    "沈みかけた日が、波の上に金色の道をつくる。",
    "岬の先に、白い灯台が小さく見えた。",
    "あれが、祖父の灯台だ。P",
    "C堤防で、年老いた漁師が網をつくろっていた。",
    "「あんた、灯台守の孫だろう。目が似てる」",
    "「あの灯りはな、帰ってくる船の目印だった」",
    "「わしも何度も、あの灯りに助けられたよ」P",
    "CW04日が沈むまで、私は波の音を聞いていた。",
    "ポケットの中で、鍵がかすかに鳴った。PD01",
    "@room",
    "CL09二階の部屋で、かばんの荷物をほどいた。",
    "窓の外で、空の色がゆっくり変わっていく。",
    "机の引き出しに、古いノートが一冊あった。",
    "表紙に、祖父の名前が書いてある。P",
    "C灯台の日誌だった。几帳面な字が並んでいる。",
    "『今夜も灯をともす。帰ってくる人のために』",
    "『灯りが見えれば、人は迷わずに帰れる』",
    "私はそっとノートを閉じて、鍵をにぎった。P",
    "CL03T500気がつくと、窓の外に月がのぼっていた。PD01",
]

DATA01 = [
    "CL03B02X夕ごはんのあと、祖母は早くに休んだ。",
    "月の光が、部屋の畳を白く照らしている。",
    *variant("01", "漁師の言葉が、耳の奥に残っている。",
             "祖父の日誌の言葉が、頭から離れない。", "memory"),
    "帰ってくる人のための、灯り。P",
    "CW03そのとき、外で足音がした。",
    "ざく、ざく、と坂を下りていく。",
    "窓から見下ろしても、誰もいない。",
    "岬へ続く道だけが、月に白く光っていた。P",
    "Q今夜、灯台へ行ってみようか。",
    "鍵を持って、灯台へ行く",
    "今夜はもう眠ることにする",
    "FFFaD02bJ{sleep}",
    "@sleep",
    "CZ私は布団にもぐって、目を閉じた。",
    "足音のことも、鍵のことも、T600明日にしよう。",
    "W04遠くで、波の音がしていた。P",
    "CL06翌朝、港はなんだか騒がしかった。",
    "「ゆうべの霧で、船が一艘、沖で迷ったそうだ」",
    "「明け方になって、やっと帰ってきたらしいよ」",
    *variant("01", "あの漁師の船だったと、あとで聞いた。P",
             "灯りがあれば、と祖父なら言っただろう。P", "boat"),
    "C岬の灯台は、今日も黙って立っている。",
    "私は、ポケットの鍵をにぎりしめた。",
    "いつか、あの扉を開けてみよう。P",
    "C　　　　この夏の話は、ここまで。",
    "　　もうひとつの夜は、はじめから。PG",
]

DATA02 = [
    "CL04W02そっと玄関の戸を開けて、外へ出た。",
    "虫の声と、遠い波の音だけが聞こえる。",
    "T900W03月明かりをたよりに、岬への坂をのぼる。P",
    "C灯台は、夜空に白く、黙って立っていた。",
    "重い扉の鍵穴に、真ちゅうの鍵を差しこむ。",
    "かちり。T600W02扉が、きしみながら開いた。P",
    "Cらせん階段を、一段ずつのぼっていく。",
    "てっぺんで、大きなレンズが眠っていた。",
    *variant("01", "『あの灯りは、帰ってくる船の目印だった』",
             "『灯りが見えれば、人は迷わずに帰れる』", "words"),
    "私は、古いスイッチに手をのばした。P",
    "CZT999T500L05W01B01X光が、夜の海をまっすぐに渡っていく。",
    "ひとつ、ふたつ。岬の上で、灯りが回る。",
    "沖のほうで、小さな船の灯りがまたたいた。",
    "ゆっくりと、こちらへ近づいてくる。P",
    "C「おかえりなさい」と、私は小さく言った。",
    "どこかで、祖父の声が重なった気がした。P",
    "CL06次の朝、港には船がそろって並んでいた。",
    "祖母は岬を見上げて、目を細めた。",
    "「ゆうべ、灯台がともったんだってねえ」",
    "夏の終わりの海が、きらきらと光っていた。P",
    "C　　　　　　　　　　おわりP",
]

SCENARIOS = {"Data00": DATA00, "Data01": DATA01, "Data02": DATA02}

# Argument lengths of the command letters; "Q" takes the rest of its line and the next two.
ARGUMENTS = {"C": 0, "P": 0, "X": 0, "Z": 0, "G": 0, "e": 0, "T": 3, "J": 3, "W": 2, "D": 2,
             "L": 2, "B": 2, "S": 2, "R": 2, "F": 2}
ROW_UNITS = 46         # 280 px of row: 23 full-width glyphs of 12 px, or 46 half-width ones
PAGE_END_UNITS = 42    # a row ending in "P" leaves room for the blinking cursor inside the box
ANSWER_UNITS = 44      # answers are drawn 15 px further right


def width_units(text):
    return sum(1 if ord(ch) < 0x80 or 0xFF61 <= ord(ch) <= 0xFF9F else 2 for ch in text)


def resolve(name, entries):
    """Turns the entries of one file into its script lines: labels become line numbers, and
    every line is checked for stray letters, arguments, widths and questions."""
    labels, lines = {}, []
    for entry in entries:
        if entry.startswith("@"):
            if entry[1:] in labels:
                raise SystemExit(f"{name}: label {entry} defined twice")
            labels[entry[1:]] = len(lines)
        else:
            lines.append(entry)

    def target(match):
        label = match.group(1)
        if label not in labels:
            raise SystemExit(f"{name}: no label {label}")
        return f"J{labels[label]:03d}"

    lines = [re.sub(r"J\{(\w+)\}", target, line) for line in lines]
    answers_left = 0
    for number, line in enumerate(lines):
        where = f"{name} line {number}: {line}"
        if answers_left:
            answers_left -= 1
            if width_units(line) > ANSWER_UNITS:
                raise SystemExit(f"{where}: answer too wide")
            continue
        text, i, branch = "", 0, False
        while i < len(line):
            ch = line[i]
            if ch == "Q":
                if width_units(text + line[i + 1:]) > ROW_UNITS:
                    raise SystemExit(f"{where}: question too wide")
                answers_left = 2
                break
            if ch in ARGUMENTS:
                argument = line[i + 1:i + 1 + ARGUMENTS[ch]]
                pattern = {"T": r"\d{3}", "J": r"\d{3}", "S": "[0-9A-F]{2}", "R": "[0-9A-F]{2}",
                           "F": "[0-9A-F]{2}"}.get(ch, r"\d\d" if ARGUMENTS[ch] else "")
                if not re.fullmatch(pattern, argument):
                    raise SystemExit(f"{where}: bad argument after {ch}")
                if ch == "F":
                    if "a" not in line[i:] or "b" not in line[i:]:
                        raise SystemExit(f"{where}: a branch needs both labels")
                    branch = True
                if ch == "e":
                    raise SystemExit(f"{where}: 'e' would end the story here")
                if ch == "P" and width_units(text) > PAGE_END_UNITS:
                    raise SystemExit(f"{where}: no room for the cursor")
                i += 1 + ARGUMENTS[ch]
                continue
            if ch in "ab" and branch:
                text = ""  # each branch's text stands on the row by itself
            elif ord(ch) < 0x80:
                raise SystemExit(f"{where}: stray character {ch!r}")
            else:
                text += ch
            if width_units(text) > ROW_UNITS:
                raise SystemExit(f"{where}: row too wide")
            i += 1
        line.encode("cp932")
    if answers_left:
        raise SystemExit(f"{name}: a question needs two answer lines")
    if len(lines) > 500:
        raise SystemExit(f"{name}: more than 500 lines")
    return lines


def make_scenarios():
    return {f"Data/{name}.Dat": "".join(line + "\r\n" for line in resolve(name, entries))
            .encode("cp932") for name, entries in SCENARIOS.items()}


# --------------------------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "story")
    # Keep git from touching the line ends of the scenario files, or anything else here.
    files = {".gitattributes": b"* -text\n"}
    for make in (make_scenarios, make_pictures, make_music, make_sounds):
        files.update(make())
    for relative, data in sorted(files.items()):
        path = os.path.join(out, *relative.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    print(f"wrote {len(files)} files to {os.path.normpath(out)}")


if __name__ == "__main__":
    main()
