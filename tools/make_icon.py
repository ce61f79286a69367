#!/usr/bin/env python3
"""Draws the launcher's icon, a disc with a play arrow, as res/tolvimer_launch.ico.

One 32x32 image in 32-bit colour (BMP inside the ICO, with its AND mask).
Run it again after changing the drawing; the .ico is committed.
"""
import math
import os
import struct

SIZE = 32


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    r = math.hypot(x - cx, y - cy)
    if r > 15.5:
        return (0, 0, 0, 0)
    if r < 2.5:
        return (0, 0, 0, 0)  # the hole of the disc
    # The play arrow: a triangle pointing right.
    if 10 <= x <= 22 and abs(y - cy) <= (x - 10) * -0.5 + 6.5 and x - 10 >= 0:
        return (255, 255, 255, 255)
    shade = int(140 + 80 * (1 - r / 15.5))
    return (40, shade // 2, shade, 255)  # blue-violet disc (RGBA)


def main():
    rows = []
    for y in range(SIZE - 1, -1, -1):  # BMP rows go bottom-up
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            rows.append(struct.pack("<BBBB", b, g, r, a))
    xor = b"".join(rows)
    and_mask = b"\x00" * (SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask),
                         0, 0, 0, 0)
    image = header + xor + and_mask
    icon = struct.pack("<HHH", 0, 1, 1)
    icon += struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    out = os.path.join(os.path.dirname(__file__), "..", "res", "tolvimer_launch.ico")
    with open(out, "wb") as f:
        f.write(icon + image)


if __name__ == "__main__":
    main()
