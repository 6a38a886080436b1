#!/usr/bin/env python3
"""Makes resources/images/ZRScreenBackground.png, the desktop picture of the settings' miniature
screens: a soft sky over a low horizon and the ground below it, 640 x 400 pixels.

Run it from the repository's root after changing the colours; the picture is kept in the repository
so that a build needs no Python."""

import math
import struct
import sys
import zlib

WIDTH, HEIGHT = 640, 400
HORIZON = 0.68  # of the height, from the top
# Colours from the top of the sky to the horizon, and from the horizon to the bottom of the ground.
SKY_TOP = (46, 104, 181)
SKY_HORIZON = (178, 211, 236)
GROUND_HORIZON = (139, 170, 112)
GROUND_BOTTOM = (62, 98, 58)
# The haze softens the horizon over this part of the height on either side.
HAZE = 0.035


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smooth(t):
    t = min(max(t, 0.0), 1.0)
    return t * t * (3 - 2 * t)


def colour(x, y):
    v = y / (HEIGHT - 1)
    sky = mix(SKY_TOP, SKY_HORIZON, smooth(v / HORIZON) ** 0.8)
    ground = mix(GROUND_HORIZON, GROUND_BOTTOM, smooth((v - HORIZON) / (1 - HORIZON)))
    c = mix(sky, ground, smooth((v - HORIZON + HAZE) / (2 * HAZE)))
    # A light that falls from the upper left, so the picture does not read as flat stripes.
    u = x / (WIDTH - 1)
    light = 1 + 0.06 * math.cos(math.pi * (u * 0.8 + v * 0.4))
    return tuple(min(255, max(0, round(channel * light))) for channel in c)


def png(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "resources/images/ZRScreenBackground.png"
    with open(path, "wb") as file:
        file.write(png(WIDTH, HEIGHT, colour))


if __name__ == "__main__":
    main()
