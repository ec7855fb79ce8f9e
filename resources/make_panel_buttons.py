#!/usr/bin/env python3
"""Draws the six side-panel button images, 11x33 24-bit .bmp files: a dark grey vertical tab, rounded on
its left side, with a small light triangle in its middle pointing left (the panel is shown: hide it) or
right (the panel is hidden: show it). The corners are in the key colour (the top-left pixel), which the
button makes see-through; no pixel of the tab is black, as black is cut out too.

Usage: make_panel_buttons.py OUTPUT_FOLDER
"""
import os
import struct
import sys

WIDTH = 11
HEIGHT = 33
KEY = (255, 0, 255)

# Resource id, file name, triangle direction, tab colour, triangle colour, offset of the triangle.
LOOKS = [
    (186, "panel_hide.bmp", "left", (72, 72, 76), (200, 200, 204), 0),
    (191, "panel_hide_hover.bmp", "left", (104, 104, 110), (255, 255, 255), 0),
    (192, "panel_hide_pressed.bmp", "left", (48, 48, 52), (176, 176, 180), 1),
    (177, "panel_show.bmp", "right", (72, 72, 76), (200, 200, 204), 0),
    (173, "panel_show_hover.bmp", "right", (104, 104, 110), (255, 255, 255), 0),
    (188, "panel_show_pressed.bmp", "right", (48, 48, 52), (176, 176, 180), 1),
]


def in_corner(x, y):
    """The rounded left corners: a step of three pixels and one of one."""
    row = min(y, HEIGHT - 1 - y)
    return (row == 0 and x < 3) or (row == 1 and x < 1)


def in_triangle(x, y, direction, offset):
    """A triangle four pixels wide and seven high, its middle on the tab's middle row."""
    dx = x - (3 + offset)
    dy = abs(y - (HEIGHT // 2 + offset))
    if not 0 <= dx <= 3:
        return False
    reach = dx if direction == "left" else 3 - dx
    return dy <= reach


def pixel(x, y, direction, tab, mark, offset):
    if in_corner(x, y):
        return KEY
    if in_triangle(x, y, direction, offset):
        return mark
    # A lighter edge on the left and the top gives the tab some depth.
    if x == 0 or y == 0 or (x < 3 and y == 1):
        return tuple(min(255, c + 24) for c in tab)
    return tab


def bmp_bytes(width, height, pixel_at):
    """A 24-bit .bmp file of width x height whose pixel at x, y (from the top) is pixel_at(x, y), RGB."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):  # rows run bottom-up
        row = b"".join(bytes(reversed(pixel_at(x, y))) for x in range(width))
        rows.append(row + b"\0" * (stride - len(row)))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return header + info + bits


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for _, name, direction, tab, mark, offset in LOOKS:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bmp_bytes(WIDTH, HEIGHT, lambda x, y: pixel(x, y, direction, tab, mark, offset)))


if __name__ == "__main__":
    main()
