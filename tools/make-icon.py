#!/usr/bin/env python3
"""Writes res/Shelfmap.ico: one 16x16 image, 32 bits per pixel with alpha.

The picture is a small window: a blue title strip above a white area, edged in blue, on a
transparent ground. Run it again after changing the picture and commit both files.
"""
import os
import struct
import sys

SIZE = 16
BLUE = (0x1E, 0x5A, 0xC8, 0xFF)        # R, G, B, A
LIGHT_BLUE = (0x4A, 0x86, 0xE8, 0xFF)  # the title strip, a shade lighter than the edge
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
CLEAR = (0, 0, 0, 0)

# The window occupies columns 1..14 and rows 2..13 (top-down); the title strip rows 3..4.
LEFT, RIGHT, TOP, BOTTOM = 1, 14, 2, 13
TITLE_ROWS = (3, 4)


def pixel(x, y):
    if not (LEFT <= x <= RIGHT and TOP <= y <= BOTTOM):
        return CLEAR
    if x in (LEFT, RIGHT) or y in (TOP, BOTTOM):
        return BLUE
    if y in TITLE_ROWS:
        return LIGHT_BLUE
    if y == TITLE_ROWS[-1] + 1:
        return BLUE  # the line under the title strip
    return WHITE


def icon_bytes():
    # Colour bits: BGRA, bottom-up.
    xor = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            xor += bytes((b, g, r, a))
    # AND mask: 1 bit per pixel, set where transparent; rows padded to 32 bits, bottom-up.
    mask = bytearray()
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\0\0"
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return icondir + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "Shelfmap.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes())


if __name__ == "__main__":
    main()
