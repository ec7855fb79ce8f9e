#!/usr/bin/env python3
"""Draws the bitmaps of the UI tests: a button image with key-coloured, black and coloured pixels, and a
toolbar strip of two 16x15 images on the light grey that becomes the button face.

Usage: make_test_images.py OUTPUT_FOLDER
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources"))
from make_panel_buttons import bmp_bytes  # noqa: E402

KEY = (255, 0, 255)


def button_pixel(x, y):
    if y == 0 and x < 4:
        return KEY
    if 8 <= x <= 9 and 8 <= y <= 9:
        return (0, 0, 0)
    if x == 5 and y == 5:
        return (200, 0, 0)
    return (0, 128, 0)


def toolbar_pixel(x, y):
    inside = 3 <= x % 16 <= 12 and 3 <= y <= 11
    if not inside:
        return (192, 192, 192)
    return (0, 0, 160) if x < 16 else (160, 0, 0)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "button_test.bmp"), "wb") as out:
        out.write(bmp_bytes(12, 12, button_pixel))
    with open(os.path.join(folder, "toolbar_test.bmp"), "wb") as out:
        out.write(bmp_bytes(32, 15, toolbar_pixel))


if __name__ == "__main__":
    main()
