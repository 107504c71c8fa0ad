#!/usr/bin/env python3
"""Writes the program's icons at 16x16 and 32x32, 256 colours.

korvane_vantor.ico: a blue disc with a white arrow leaving it, orders going
out to the service; the program's own icon and the tray's look while relaying.
korvane_vantor_idle.ico: the same, greyed, while nobody is logged in.
korvane_vantor_attention.ico: an amber disc with an exclamation mark, when
the service has long been silent or the order log is missing.
Run it again after changing the drawing; the .ico files it writes are committed.
"""
import os
import struct

TRANSPARENT, RIM, DISC, MARK = 0, 1, 2, 3
PALETTES = {
    "korvane_vantor.ico": [(0, 0, 0), (22, 48, 96), (40, 110, 200), (255, 255, 255)],
    "korvane_vantor_idle.ico": [(0, 0, 0), (80, 80, 80), (150, 150, 150), (235, 235, 235)],
    "korvane_vantor_attention.ico": [(0, 0, 0), (120, 60, 0), (235, 140, 0), (255, 255, 255)],
}


def arrow(u, v):
    # Pointing up and to the right: a shaft and a triangular head.
    a, b = (u + v) / 2 ** 0.5, (v - u) / 2 ** 0.5  # along and across the diagonal
    return (-0.55 < a < 0.15 and abs(b) < 0.13) or (0.1 <= a < 0.62 and abs(b) < (0.62 - a) * 0.9)


def exclamation(u, v):
    return (abs(u) < 0.14 and -0.1 < v < 0.62) or (abs(u) < 0.14 and -0.58 < v < -0.32)


def pixel(x, y, size, mark):
    # Sample the pixel centre in coordinates from -1 to 1, y pointing up.
    u = (x + 0.5) / size * 2 - 1
    v = 1 - (y + 0.5) / size * 2
    r = (u * u + v * v) ** 0.5
    if r > 0.94:
        return TRANSPARENT
    if mark(u, v):
        return MARK
    return RIM if r > 0.82 else DISC


def image(size, palette, mark):
    rows = [[pixel(x, y, size, mark) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    colours += b"\0" * (4 * (256 - len(palette)))
    colour = b"".join(bytes(row) for row in reversed(rows))  # bottom-up, rows already 4-byte multiples
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, index in enumerate(row):
            if index == TRANSPARENT:
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask += bits.to_bytes(mask_stride, "big")
    return header + colours + colour + mask


def write_icon(name, palette, mark):
    sizes = (16, 32)
    images = [image(s, palette, mark) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    with open(path, "wb") as f:
        f.write(out)


def main():
    for name, palette in PALETTES.items():
        write_icon(name, palette, exclamation if "attention" in name else arrow)


if __name__ == "__main__":
    main()
