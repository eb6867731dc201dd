#!/usr/bin/env python3
"""Writes the program's icon (MAINICON): 32 by 32, 16 colours.

Usage: make_mainicon.py OUTFILE

The picture: a white sheet with a shadow, holding four small pictures in a
two-by-two grid (a red square, a green disc, a blue diagonal, a yellow
triangle), as the program's window shows the icons of a file.
"""
import struct
import sys

SIZE = 32

# The standard 16-colour palette as (r, g, b).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREY, SILVER, WHITE = 0, 8, 7, 15
RED, GREEN, YELLOW, BLUE, NAVY = 9, 2, 11, 12, 4


def picture():
    """Palette index per pixel, None where transparent; rows from the top."""
    px = [[None] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c

    # Shadow, sheet and its outline.
    fill(4, 4, 30, 30, DARK_GREY)
    fill(1, 1, 27, 27, BLACK)
    fill(2, 2, 26, 26, WHITE)
    # Tiles with a silver frame each.
    tiles = [(4, 4), (15, 4), (4, 15), (15, 15)]
    for tx, ty in tiles:
        fill(tx, ty, tx + 9, ty + 9, SILVER)
        fill(tx + 1, ty + 1, tx + 8, ty + 8, WHITE)
    # Red square.
    fill(6, 6, 11, 11, RED)
    # Green disc.
    cx, cy = 19.5, 8.5
    for y in range(5, 13):
        for x in range(16, 24):
            if (x - cx) ** 2 + (y - cy) ** 2 <= 3.6 ** 2:
                px[y][x] = GREEN
    # Blue diagonal.
    for i in range(8):
        for w in (0, 1):
            x, y = 5 + i + w, 16 + i
            if x <= 12:
                px[y][x] = BLUE
    # Yellow triangle with a navy base.
    for row in range(6):
        half = 0.6 * (row + 1)
        for x in range(16, 24):
            if abs(x - 19.5) <= half:
                px[17 + row][x] = YELLOW
    fill(16, 23, 23, 23, NAVY)
    return px


def ico(px):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        row = bytearray(16)
        mrow = bytearray(4)
        for x in range(SIZE):
            c = px[y][x]
            if c is None:
                mrow[x // 8] |= 0x80 >> (x % 8)
                c = 0
            row[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += row
        mask += mrow
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], 'wb') as f:
        f.write(ico(picture()))


if __name__ == '__main__':
    main()
