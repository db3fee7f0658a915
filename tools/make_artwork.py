#!/usr/bin/env python3
"""Draws the program's own artwork: the preview window textures 101-108 (321 x 118),
the set backup drag handle 201 (16 x 16), the program icon compiled into the program
(64 x 64, also as the .ico the Windows program carries) and the icon sizes installed for
the desktop's menus (resources/icons/).
Standard library only; run it again to regenerate resources/ after a change."""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")


def write_png(path, width, height, pixel, alpha=False):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            p = pixel(x, y)
            rows.extend(p if alpha else p[:3])
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def write_ico(path, png_path, size):
    # One image, kept as PNG: Windows Vista and later read PNG entries in icon files.
    with open(png_path, "rb") as f:
        png = f.read()
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(png), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + png)


def clamp(v):
    return max(0, min(255, int(v)))


# Each variation: base colour at the top, base colour at the bottom, pattern kind.
VARIATIONS = [
    ((20, 34, 92), (8, 14, 48), "plain"),
    ((24, 40, 104), (10, 16, 56), "weave"),
    ((16, 44, 88), (6, 20, 44), "waves"),
    ((30, 30, 96), (12, 10, 52), "dots"),
    ((18, 36, 110), (6, 12, 60), "diagonal"),
    ((26, 48, 96), (10, 22, 50), "grain"),
    ((14, 30, 80), (4, 10, 40), "checks"),
    ((34, 38, 100), (14, 14, 58), "rings"),
]


def texture(top, bottom, kind):
    w, h = 321, 118
    def pixel(x, y):
        t = y / (h - 1)
        base = [top[i] * (1 - t) + bottom[i] * t for i in range(3)]
        if kind == "weave":
            d = 6 if (x // 4 + y // 4) % 2 else -4
        elif kind == "waves":
            d = 8 * math.sin(x / 11.0 + 3 * math.sin(y / 17.0))
        elif kind == "dots":
            d = 10 if (x % 8 < 2 and y % 8 < 2) else 0
        elif kind == "diagonal":
            d = 7 if (x + y) % 12 < 3 else 0
        elif kind == "grain":
            d = ((x * 7919 + y * 104729) % 13) - 6
        elif kind == "checks":
            d = 6 if ((x // 16) + (y // 16)) % 2 else 0
        elif kind == "rings":
            d = 8 * math.cos(math.hypot(x - 160, y - 59) / 6.0)
        else:
            d = ((x * 31 + y * 17) % 5) - 2
        c = [clamp(v + d) for v in base]
        # A light double border, as a chat window frame.
        edge = min(x, y, w - 1 - x, h - 1 - y)
        if edge == 0:
            c = [150, 170, 220]
        elif edge == 1:
            c = [220, 230, 255]
        elif edge == 2:
            c = [90, 110, 170]
        return bytes(c) + b"\xff"
    return w, h, pixel


def drag_handle(x, y):
    # A small sheet of paper with an arrow: "drag me out".
    bg = (236, 236, 236)
    c = bg
    if 3 <= x <= 12 and 1 <= y <= 14:
        c = (255, 255, 255)
        if x in (3, 12) or y in (1, 14):
            c = (70, 80, 120)
        elif y in (4, 6, 8) and 5 <= x <= 10:
            c = (120, 130, 170)
    if 9 <= y <= 11 and 6 <= x <= 13:
        c = (40, 90, 200)
    if (x, y) in ((12, 8), (12, 12), (11, 7), (11, 13)):
        c = (40, 90, 200)
    return bytes(c) + b"\xff"


def icon_shape(x, y):
    """The icon drawn on a 64 x 64 grid; x and y may fall between pixels."""
    s = 64
    r = 12
    cx = min(max(x, r), s - 1 - r)
    cy = min(max(y, r), s - 1 - r)
    if math.hypot(x - cx, y - cy) > r:
        return None
    t = y / (s - 1)
    c = [30 * (1 - t) + 10 * t, 50 * (1 - t) + 20 * t, 130 * (1 - t) + 70 * t]
    # A quill: a curved vane along the diagonal and a thin shaft.
    u = (x - y) / math.sqrt(2)
    v = (x + y) / math.sqrt(2) - 44
    if -26 < v < 14 and abs(u - 3 * math.sin((v + 26) / 40 * math.pi)) < 7 * math.sin((v + 26) / 40 * math.pi):
        c = [235, 240, 255]
    if 10 <= v <= 26 and abs(u) < 1.3:
        c = [250, 220, 120]
    return c


ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def icon(size):
    # Each pixel averages a 4 x 4 grid of samples, so the small sizes keep the quill's
    # outline instead of breaking into stairs.
    k = 4
    scale = 64 / size
    def pixel(x, y):
        alpha = 0
        rgb = [0.0, 0.0, 0.0]
        for j in range(k):
            for i in range(k):
                c = icon_shape((x + (i + 0.5) / k) * scale - 0.5, (y + (j + 0.5) / k) * scale - 0.5)
                if c is not None:
                    alpha += 1
                    for n in range(3):
                        rgb[n] += c[n]
        if alpha == 0:
            return b"\x00\x00\x00\x00"
        return bytes([clamp(round(v / alpha)) for v in rgb] + [clamp(round(255 * alpha / (k * k)))])
    return pixel


def main():
    os.makedirs(os.path.join(OUT, "textures"), exist_ok=True)
    for n, (top, bottom, kind) in enumerate(VARIATIONS):
        w, h, pixel = texture(top, bottom, kind)
        write_png(os.path.join(OUT, "textures", "%d.png" % (101 + n)), w, h, pixel)
    write_png(os.path.join(OUT, "201.png"), 16, 16, drag_handle)
    write_png(os.path.join(OUT, "icon.png"), 64, 64, icon(64), alpha=True)
    os.makedirs(os.path.join(OUT, "icons"), exist_ok=True)
    for size in ICON_SIZES:
        write_png(os.path.join(OUT, "icons", "quillmor-%d.png" % size), size, size, icon(size),
                  alpha=True)
    write_ico(os.path.join(OUT, "icon.ico"), os.path.join(OUT, "icon.png"), 64)


if __name__ == "__main__":
    main()
