#!/usr/bin/env python3
"""Draws the program's icon, a centrifugal pump on its base, as a 32 x 32, 16-colour .ico.

  python3 tools/make_icon.py app/pumpcalc.ico
"""
import struct
import sys

# The 16 standard colours; we use a few of them.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, GREY, SILVER, BLUE, CYAN, WHITE = 0, 4, 8, 7, 12, 14, 15
SIZE = 32


def draw():
    pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    # Base plate.
    fill(3, 27, 28, 29, GREY)
    fill(3, 30, 28, 30, BLACK)
    # Motor: a silver block with cooling fins, to the right.
    fill(18, 13, 28, 24, SILVER)
    for x in range(19, 28, 2):
        fill(x, 14, x, 23, GREY)
    fill(18, 25, 27, 26, BLACK)
    # Casing: a blue disc with a dark rim, to the left.
    cx, cy, r = 10, 18, 8
    for y in range(SIZE):
        for x in range(SIZE):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= r * r:
                pixels[y][x] = NAVY if d2 > (r - 1.5) ** 2 else BLUE
    # Impeller eye.
    fill(9, 17, 11, 19, CYAN)
    # Outlet pipe, straight up from the top of the casing, with a flange.
    fill(13, 3, 16, 11, NAVY)
    fill(14, 3, 15, 11, CYAN)
    fill(12, 2, 17, 3, BLACK)
    # Shaft between casing and motor.
    fill(17, 18, 18, 19, BLACK)
    return pixels


def ico(pixels):
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up
        row = bytearray()
        for x in range(0, SIZE, 2):
            a = pixels[y][x] or 0
            b = pixels[y][x + 1] or 0
            row.append(a << 4 | b)
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask = bytearray()
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if pixels[y][x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + bytes(mask)
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22) + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(ico(draw()))
