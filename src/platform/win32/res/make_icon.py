#!/usr/bin/env python3
"""Writes korvane_vantor.ico: the program's icon at 16x16 and 32x32, 256 colours.

A blue disc with a white arrow leaving it: orders going out to the service.
Run it again after changing the drawing; the .ico it writes is committed.
"""
import os
import struct

TRANSPARENT, RIM, DISC, ARROW = 0, 1, 2, 3
PALETTE = [(0, 0, 0), (22, 48, 96), (40, 110, 200), (255, 255, 255)]


def pixel(x, y, size):
    # Sample the pixel centre in coordinates from -1 to 1, y pointing up.
    u = (x + 0.5) / size * 2 - 1
    v = 1 - (y + 0.5) / size * 2
    r = (u * u + v * v) ** 0.5
    if r > 0.94:
        return TRANSPARENT
    # Arrow pointing up and to the right: a shaft and a triangular head.
    a, b = (u + v) / 2 ** 0.5, (v - u) / 2 ** 0.5  # along and across the diagonal
    if -0.55 < a < 0.15 and abs(b) < 0.13:
        return ARROW
    if 0.1 <= a < 0.62 and abs(b) < (0.62 - a) * 0.9:
        return ARROW
    return RIM if r > 0.82 else DISC


def image(size):
    rows = [[pixel(x, y, size) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (4 * (256 - len(PALETTE)))
    colour = b"".join(bytes(row) for row in reversed(rows))  # bottom-up, rows already 4-byte multiples
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, index in enumerate(row):
            if index == TRANSPARENT:
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask += bits.to_bytes(mask_stride, "big")
    return header + palette + colour + mask


def main():
    sizes = (16, 32)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "korvane_vantor.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
