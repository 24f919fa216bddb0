#!/usr/bin/env python3
"""Draws the background images the background picker offers
(skin/common/*.png): dark vertical gradients with a soft glow near the top.
Standard library only."""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 1000, 640

# name: (top colour, bottom colour, glow colour)
BACKGROUNDS = {
    "background": ((0x17, 0x1A, 0x21), (0x0F, 0x11, 0x15), (0x1C, 0x24, 0x36)),
    "bg_midnight": ((0x14, 0x1C, 0x2E), (0x0A, 0x0E, 0x17), (0x1D, 0x2E, 0x52)),
    "bg_aurora": ((0x10, 0x22, 0x1F), (0x0B, 0x11, 0x14), (0x15, 0x46, 0x3C)),
    "bg_ember": ((0x26, 0x16, 0x15), (0x10, 0x0B, 0x0B), (0x4A, 0x22, 0x16)),
}


def pixel(x, y, top, bottom, glow):
    t = y / (HEIGHT - 1)
    base = [top[i] + (bottom[i] - top[i]) * t for i in range(3)]
    d = math.hypot((x - WIDTH * 0.7) / (WIDTH * 0.55), (y - HEIGHT * 0.05) / (HEIGHT * 0.7))
    g = max(0.0, 1.0 - d) ** 2
    return bytes(min(255, int(base[i] + glow[i] * g)) for i in range(3))


def png(path, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skin", "common")
    os.makedirs(out, exist_ok=True)
    for name, (top, bottom, glow) in BACKGROUNDS.items():
        rows = [b"".join(pixel(x, y, top, bottom, glow) for x in range(WIDTH)) for y in range(HEIGHT)]
        png(os.path.join(out, name + ".png"), rows)


if __name__ == "__main__":
    main()
