#!/usr/bin/env python3
"""Draws the program icon, a television showing a play triangle, as a 32x32 32-bit .ico file.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32


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


def main():
    rows = []
    for y in reversed(range(SIZE)):  # DIB rows run bottom-up
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    mask_row = b"\0" * 4  # 32 bits per row, already a multiple of 4 bytes
    and_mask = mask_row * SIZE
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(sys.argv[1], "wb") as out:
        out.write(icondir + entry + image)


if __name__ == "__main__":
    main()
