#!/usr/bin/env python3
"""Draws Varnel's icon (an envelope with a launch arrow) and writes varnel.ico.

Run it from anywhere: python3 resources/make_icon.py. The .ico is committed; rerun only to
change the design. Each image is 32-bit BGRA with an AND mask, as Windows expects.
"""
import os
import struct

NAVY = (0x1F, 0x3A, 0x93, 255)
PAPER = (0xFF, 0xFF, 0xFF, 255)
FLAP = (0xD6, 0xE4, 0xFF, 255)
ORANGE = (0xF0, 0x7D, 0x00, 255)
CLEAR = (0, 0, 0, 0)


def draw(size):
    s = size / 32.0
    px = [[CLEAR] * size for _ in range(size)]

    def put(x, y, c):
        if 0 <= x < size and 0 <= y < size:
            px[y][x] = c

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                put(x, y, c)

    # Envelope body with a navy border.
    rect(1, 6, 27, 26, NAVY)
    x0, y0, x1, y1 = int(1 * s) + 1, int(6 * s) + 1, int(27 * s) - 1, int(26 * s) - 1
    for y in range(y0, y1):
        for x in range(x0, x1):
            put(x, y, PAPER)
    # The flap: a "V" from the top corners to the middle.
    left, right, top, mid = x0, x1 - 1, y0, int(17 * s)
    for y in range(top, mid + 1):
        t = (y - top) / max(1, mid - top)
        xl = int(left + t * (right - left) / 2)
        xr = int(right - t * (right - left) / 2)
        for x in range(xl, xr + 1):
            put(x, y, FLAP)
        put(xl, y, NAVY)
        put(xr, y, NAVY)
    # Launch arrow in the lower right: a shaft and a head pointing up and right.
    for i in range(int(8 * s)):
        for w in range(max(1, int(2 * s))):
            put(int(20 * s) + i + w, int(29 * s) - i, ORANGE)
            put(int(20 * s) + i, int(29 * s) - i - w, ORANGE)
    tip_x, tip_y = int(30 * s), int(19 * s)
    for d in range(int(6 * s)):
        for w in range(max(1, int(2 * s))):
            put(tip_x - d, tip_y + w, ORANGE)
            put(tip_x - w, tip_y + d, ORANGE)
    return px


def bmp_entry(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(
        struct.pack("BBBB", c[2], c[1], c[0], c[3]) for row in reversed(px) for c in row
    )
    stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(px):
        line = bytearray(stride)
        for x, c in enumerate(row):
            if c[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + xor + mask


def main():
    sizes = [16, 32]
    images = [bmp_entry(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "varnel.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
