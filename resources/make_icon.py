#!/usr/bin/env python3
"""Draws the program icon, a television showing a play triangle, as a 32-bit .ico file holding it at the
small-icon sizes of every display scale (16, 20, 24, 28, 32 for 100 to 200 %) and the large ones (40, 48).
The drawing is made on a 32 x 32 grid; each size averages the grid over its pixels' areas.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32
SIZES = (16, 20, 24, 28, 32, 40, 48)
# Samples per pixel along each axis when a size is drawn from the grid.
SAMPLES = 8


def pixel(x, y):
    """BGRA colour of the pixel at x, y (y counted from the top)."""
    # Antenna: two lines meeting above the screen.
    for k in range(1, 6):
        if y == 7 - k and x in (16 - k, 16 + k):
            return (60, 60, 60, 255)
    # Cabinet with rounded corners.
    if 2 <= x <= 29 and 7 <= y <= 27:
        corner = (x in (2, 29)) and (y in (7, 27))
        if corner:
            return (0, 0, 0, 0)
        # Screen.
        if 5 <= x <= 23 and 10 <= y <= 24:
            # Play triangle, pointing right.
            dx = x - 11
            dy = abs(y - 17)
            if 0 <= dx <= 7 and dy <= 7 - dx:
                return (255, 255, 255, 255)
            return (200, 120, 30, 255)
        # Knobs on the right.
        if 25 <= x <= 27 and y in (12, 13, 16, 17):
            return (40, 200, 240, 255)
        return (50, 50, 70, 255)
    # Feet.
    if y in (28, 29) and x in (7, 8, 23, 24):
        return (50, 50, 70, 255)
    return (0, 0, 0, 0)


def sized_pixel(x, y, size):
    """BGRA of pixel (x, y) of the icon drawn size pixels square: the grid's colours averaged over the
    pixel's area, weighted by their opacity."""
    if size == SIZE:
        return pixel(x, y)
    total = [0, 0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            gx = int((x + (sx + 0.5) / SAMPLES) * SIZE / size)
            gy = int((y + (sy + 0.5) / SAMPLES) * SIZE / size)
            b, g, r, a = pixel(gx, gy)
            total[0] += b * a
            total[1] += g * a
            total[2] += r * a
            total[3] += a
    alpha = total[3]
    if alpha == 0:
        return (0, 0, 0, 0)
    return tuple(round(c / alpha) for c in total[:3]) + (round(alpha / SAMPLES ** 2),)


def icon_image(size):
    rows = []
    for y in reversed(range(size)):  # DIB rows run bottom-up
        rows.append(b"".join(bytes(sized_pixel(x, y, size)) for x in range(size)))
    xor = b"".join(rows)
    # The mask has a bit per pixel, its rows padded to 4 bytes; alpha does the work, so it stays clear.
    and_mask = b"\0" * ((size + 31) // 32 * 4) * size
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    images = [icon_image(size) for size in SIZES]
    icondir = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as out:
        out.write(icondir + entries + b"".join(images))


if __name__ == "__main__":
    main()
