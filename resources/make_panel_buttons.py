#!/usr/bin/env python3
"""Draws the six side-panel button images, 11x33 24-bit .bmp files: a dark grey vertical tab, rounded on
its left side, with a small light triangle in its middle pointing left (the panel is shown: hide it) or
right (the panel is hidden: show it). The corners are in the key colour (the top-left pixel), which the
button makes see-through; no pixel of the tab is black, as black is cut out too.

Each image is drawn again for the display scales 125, 150, 175 and 200 % (name_150.bmp, ...): the tab's
size scaled, the triangle's edges stepped pixel by pixel rather than enlarged, the light edge a whole pixel
wide. panel_buttons.rc lists those under the 100 % image's id plus 1000 for each 25 % above 100 %, where
the button looks for them.

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


SCALES = [100, 125, 150, 175, 200]
SCALED_ID_STEP = 1000


def in_corner(x, y, scale):
    """The rounded left corners: a step of three pixels and one of one (at 100 %), their shape scaled."""
    height = int(HEIGHT * scale + 0.5)
    row = int(min(y, height - 1 - y) / scale)
    column = int(x / scale)
    return (row == 0 and column < 3) or (row == 1 and column < 1)


def in_triangle(x, y, direction, offset, scale):
    """A triangle four pixels wide and seven high at 100 %, its middle on the tab's middle row."""
    if scale == 1:
        dx = x - (3 + offset)
        dy = abs(y - (HEIGHT // 2 + offset))
        if not 0 <= dx <= 3:
            return False
        reach = dx if direction == "left" else 3 - dx
        return dy <= reach
    # The same triangle in continuous coordinates, tested at each pixel's centre.
    left = (3 + offset) * scale
    u = (x + 0.5 - left) / scale
    v = abs(y + 0.5 - (HEIGHT // 2 + offset + 0.5) * scale) / scale
    if not 0 <= u <= 4:
        return False
    reach = u if direction == "left" else 4 - u
    return v <= reach


def pixel(x, y, direction, tab, mark, offset, scale=1):
    if in_corner(x, y, scale):
        return KEY
    if in_triangle(x, y, direction, offset, scale):
        return mark
    # A lighter edge on the left and the top gives the tab some depth.
    edge = max(1, round(scale))
    if x < edge or y < edge or (x < 3 * scale and y < 2 * scale):
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
    lines = ["// The side-panel button's images drawn for each display scale above 100 %."]
    for resource_id, name, direction, tab, mark, offset in LOOKS:
        for percent in SCALES:
            scale = percent / 100
            file_name = name if percent == 100 else name.replace(".bmp", "_%d.bmp" % percent)
            # Rounded half up, as the program's scaling (MulDiv) rounds.
            width, height = (WIDTH * percent + 50) // 100, (HEIGHT * percent + 50) // 100
            with open(os.path.join(folder, file_name), "wb") as out:
                out.write(bmp_bytes(width, height, lambda x, y: pixel(x, y, direction, tab, mark, offset, scale)))
            if percent != 100:
                scaled_id = resource_id + SCALED_ID_STEP * (percent - 100) // 25
                lines.append('%d BITMAP "%s"' % (scaled_id, file_name))
    with open(os.path.join(folder, "panel_buttons.rc"), "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
