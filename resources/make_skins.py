#!/usr/bin/env python3
"""Draws the skins QuiloPlayer ships and writes one folder per skin: Main.ini (player window),
Append.ini (side panel and About box) and the 24-bit BMP images they name.

Usage: make_skins.py OUTPUT_DIR

Each skin is drawn as a whole window frame first (frame_pixel); the edge images are then cut out of
that drawing the way the frame tiles them back: the caption strip (Top) runs from the left border to
the right border, its last two columns lying under the right border; the bottom strip ends one pixel
short of the right border, which its middle tile fills.
"""
import math
import os
import struct
import sys

KEY = (255, 0, 255)


def write_bmp(path, width, height, pixel):
    """A 24-bit bottom-up BMP of pixel(x, y) -> (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


class Skin:
    """Geometry shared by the drawing and the description files."""

    def __init__(self, caption, left, right, bottom):
        self.th, self.lw, self.rw, self.bh = caption, left, right, bottom

    # -- the whole window -------------------------------------------------------------------
    def frame_pixel(self, x, y, w, h, active):
        raise NotImplementedError

    # -- edge images cut from it ------------------------------------------------------------
    def top_image(self, near_cap, tile, far_cap, ref_w=2000, ref_h=1000):
        """Top image and its keys: far_cap counts the two hidden columns."""
        width = near_cap + tile + far_cap
        far_start = width - far_cap

        def pixel(c, r):
            active = r < self.th
            y = r if active else r - self.th
            if c < near_cap:
                x = self.lw + c
            elif c < far_start:
                x = self.lw + near_cap + tile // 2
            else:
                # Source column width-3 lands just left of the right border.
                x = ref_w - self.rw - width + 2 + min(c, width - 3)
            return self.frame_pixel(x, y, ref_w, ref_h, active)

        return width, 2 * self.th, pixel, {"TopTopHeight": near_cap, "TopBotHeight": far_cap}

    def side_image(self, right_side, near_cap, tile, far_cap, ref_w=2000, ref_h=1000):
        thickness = self.rw if right_side else self.lw
        height = near_cap + tile + far_cap
        far_start = height - far_cap

        def pixel(c, r):
            active = c < thickness
            x = c if active else c - thickness
            if right_side:
                x += ref_w - self.rw
            if r < near_cap:
                y = r
            elif r < far_start:
                y = near_cap + tile // 2
            else:
                y = ref_h - (height - r)
            return self.frame_pixel(x, y, ref_w, ref_h, active)

        prefix = "Right" if right_side else "Left"
        return thickness * 2, height, pixel, {prefix + "TopHeight": near_cap, prefix + "BotHeight": far_cap}

    def bottom_image(self, near_cap, tile, far_cap, ref_w=2000, ref_h=1000):
        """far_cap counts the one unused column."""
        width = near_cap + tile + far_cap
        far_start = width - far_cap

        def pixel(c, r):
            active = r < self.bh
            y = ref_h - self.bh + (r if active else r - self.bh)
            if c < near_cap:
                x = self.lw + c
            elif c < far_start:
                x = self.lw + near_cap + tile // 2
            else:
                x = ref_w - self.rw - width + min(c, width - 2)
            return self.frame_pixel(x, y, ref_w, ref_h, active)

        return width, 2 * self.bh, pixel, {"BottomTopHeight": near_cap, "BottomBotHeight": far_cap}


def rounded_corner(x, y, w, radius):
    """0 inside, 1 on the rim, 2 outside the rounded top corners."""
    for cx in (radius, w - radius):
        if (x < radius and cx == radius) or (x >= w - radius and cx == w - radius):
            if y >= radius:
                return 0
            d = math.hypot(x + 0.5 - cx, y + 0.5 - radius)
            if d > radius:
                return 2
            if d > radius - 1.3:
                return 1
    return 0


# -- 现代: rounded blue caption cut out with a key colour --------------------------------------
class Modern(Skin):
    ACTIVE = {
        "outline": (18, 40, 82), "top": (74, 128, 196), "bottom": (28, 66, 128), "shine": (132, 176, 230),
        "border": (36, 78, 146), "inner": (20, 48, 98),
    }
    INACTIVE = {
        "outline": (84, 90, 100), "top": (150, 157, 168), "bottom": (112, 119, 130), "shine": (192, 198, 206),
        "border": (124, 131, 142), "inner": (92, 98, 108),
    }
    RADIUS = 7

    def __init__(self):
        super().__init__(caption=30, left=4, right=4, bottom=4)

    def frame_pixel(self, x, y, w, h, active):
        p = self.ACTIVE if active else self.INACTIVE
        corner = rounded_corner(x, y, w, self.RADIUS)
        if corner == 2:
            return KEY
        if corner == 1 or x == 0 or x == w - 1 or y == 0 or y == h - 1:
            return p["outline"]
        if y < self.th:
            if y == self.th - 1:
                return p["inner"]
            if y == 1:
                return p["shine"]
            return mix(p["top"], p["bottom"], (y - 2) / (self.th - 4))
        if x == self.lw - 1 or x == w - self.rw or y == h - self.bh:
            return p["inner"]
        return p["border"]


# -- 经典: square grey frame with raised buttons, no cut-outs -----------------------------------
class Classic(Skin):
    FACE = (192, 192, 192)
    LIGHT = (223, 223, 223)
    WHITE = (255, 255, 255)
    SHADOW = (128, 128, 128)
    DARK = (0, 0, 0)
    ACTIVE = {"caption": (0, 0, 128), "line": (24, 48, 168)}
    INACTIVE = {"caption": (128, 128, 128), "line": (150, 150, 150)}

    def __init__(self):
        super().__init__(caption=24, left=5, right=5, bottom=5)

    def frame_pixel(self, x, y, w, h, active):
        p = self.ACTIVE if active else self.INACTIVE
        # Raised outer edge: light and white at the top and left, black and grey at the bottom and right.
        if x == w - 1 or y == h - 1:
            return self.DARK
        if x == 0 or y == 0:
            return self.LIGHT
        if x == w - 2 or y == h - 2:
            return self.SHADOW
        if x == 1 or y == 1:
            return self.WHITE
        if 3 <= y < self.th - 1 and 3 <= x < w - 3:
            return p["line"] if y == 3 else p["caption"]
        return self.FACE


# -- caption buttons ---------------------------------------------------------------------------
def glyph_close(x, y, w, h):
    cx, cy = w // 2, h // 2
    dx, dy = x - cx + 0.5, y - cy + 0.5
    return max(abs(dx), abs(dy)) <= 4.6 and (abs(dx - dy) <= 1.0 or abs(dx + dy) <= 1.0)


def glyph_minimize(x, y, w, h):
    cx, cy = w // 2, h // 2
    return cx - 5 <= x <= cx + 4 and cy + 3 <= y <= cy + 4


def box(x, y, left, top, right, bottom, thick_top=2):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    return x in (left, right) or y == bottom or top <= y < top + thick_top


def glyph_maximize(x, y, w, h):
    cx, cy = w // 2, h // 2
    return box(x, y, cx - 5, cy - 5, cx + 4, cy + 4)


def glyph_restore(x, y, w, h):
    cx, cy = w // 2, h // 2
    front = (cx - 5, cy - 2, cx + 2, cy + 4)
    if front[0] <= x <= front[2] and front[1] <= y <= front[3]:
        return box(x, y, *front)
    return box(x, y, cx - 2, cy - 5, cx + 4, cy + 1)


def glyph_pin(x, y, w, h):
    """A pushpin lying on its side: not on top."""
    cx, cy = w // 2, h // 2
    head = cx - 5 <= x <= cx - 4 and cy - 4 <= y <= cy + 3
    body = cx - 3 <= x <= cx + 1 and cy - 2 <= y <= cy + 1 and not (x > cx - 3 and y == cy - 1 and x < cx + 1)
    needle = cx + 2 <= x <= cx + 5 and cy - 1 <= y <= cy
    return head or body or needle


def glyph_pinned(x, y, w, h):
    """A pushpin standing in the board: on top."""
    cx, cy = w // 2, h // 2
    head = cx - 4 <= x <= cx + 3 and cy - 5 <= y <= cy - 4
    body = cx - 2 <= x <= cx + 1 and cy - 3 <= y <= cy + 1
    base = cx - 4 <= x <= cx + 3 and y == cy + 1
    needle = cx - 1 <= x <= cx and cy + 2 <= y <= cy + 5
    return head or body or base or needle


def glyph_menu(x, y, w, h):
    cx, cy = w // 2, h // 2
    bar = cx - 5 <= x <= cx + 4 and cy - 5 <= y <= cy - 4
    row = y - (cy - 1)
    triangle = 0 <= row <= 4 and cx - 5 + row <= x <= cx + 4 - row
    return bar or triangle


def modern_button(glyph, close=False):
    """Three state pictures (normal, pressed, hover) of 28 x 22 with transparent background."""
    w, h = 28, 22
    fills = {1: (160, 30, 25) if close else (18, 44, 92), 2: (214, 52, 44) if close else (96, 146, 214)}

    def pixel(x, y):
        state, bx = divmod(x, w)
        shift = 1 if state == 1 else 0
        if glyph(bx - shift, y - shift, w, h):
            return (255, 255, 255)
        if state in fills:
            # Rounded fill, the corners left to the caption.
            corner_x = min(bx, w - 1 - bx)
            corner_y = min(y, h - 1 - y)
            if corner_x + corner_y >= 2:
                return fills[state]
        return KEY

    return 3 * w, h, pixel


def classic_button(glyph):
    """Three raised grey state pictures (normal, pressed, hover) of 18 x 16."""
    w, h = 18, 16
    face = {0: Classic.FACE, 1: Classic.FACE, 2: (214, 214, 214)}

    def pixel(x, y):
        state, bx = divmod(x, w)
        pressed = state == 1
        shift = 1 if pressed else 0
        outer_light, outer_dark = (Classic.DARK, Classic.WHITE) if pressed else (Classic.WHITE, Classic.DARK)
        inner_light, inner_dark = (Classic.SHADOW, Classic.LIGHT) if pressed else (Classic.LIGHT, Classic.SHADOW)
        if bx == w - 1 or y == h - 1:
            return outer_dark
        if bx == 0 or y == 0:
            return outer_light
        if bx == w - 2 or y == h - 2:
            return inner_dark
        if bx == 1 or y == 1:
            return inner_light
        if glyph(bx - shift, y - shift, w, h):
            return Classic.DARK
        return face[state]

    return 3 * w, h, pixel


# -- description files -------------------------------------------------------------------------
def write_ini(path, personality, buttons, colours):
    lines = ["[Personality]"]
    lines += ["%s=%s" % kv for kv in personality.items()]
    lines += ["ButtonCount=%d" % len(buttons), "ButtonImgCount=3", ""]
    for i, (image, action, x, y) in enumerate(buttons):
        lines += ["[Button%d]" % i, "ButtonImage=%s" % image, "Action=%d" % action,
                  "XCoord=%d" % x, "YCoord=%d" % y, ""]
    lines.append("[Colours]")
    lines += ["%s=%d %d %d" % ((k,) + v) for k, v in colours.items()]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def make_skin(folder, skin, caps, buttons, main_text, append_text, colours, uses_tran):
    os.makedirs(folder, exist_ok=True)
    personality = {"Top": "Top.bmp", "Left": "Left.bmp", "Right": "Right.bmp", "Bottom": "Bottom.bmp"}
    for name, (w, h, pixel, keys) in (
            ("Top", skin.top_image(*caps["top"])),
            ("Left", skin.side_image(False, *caps["side"])),
            ("Right", skin.side_image(True, *caps["side"])),
            ("Bottom", skin.bottom_image(*caps["bottom"]))):
        write_bmp(os.path.join(folder, name + ".bmp"), w, h, pixel)
        personality.update(keys)
    for image, (w, h, pixel) in {b[0]: b[4] for b in buttons}.items():
        write_bmp(os.path.join(folder, image), w, h, pixel)
    personality["UsesTran"] = uses_tran
    main_buttons = [b[:4] for b in buttons]
    append_buttons = [b[:4] for b in buttons if b[1] == 0]
    write_ini(os.path.join(folder, "Main.ini"), dict(personality, **main_text), main_buttons, colours)
    write_ini(os.path.join(folder, "Append.ini"), dict(personality, **append_text), append_buttons, colours)


def main():
    out = sys.argv[1]

    modern = Modern()
    step = 29
    make_skin(
        os.path.join(out, "现代"), modern,
        # The caption's right cap reaches under the buttons, so that the title stops short of them.
        caps={"top": (36, 64, 154), "side": (34, 64, 6), "bottom": (4, 64, 5)},
        buttons=[
            ("Close.bmp", 0, 34, 4, modern_button(glyph_close, close=True)),
            ("Max.bmp", 1, 34 + step, 4, modern_button(glyph_maximize)),
            ("Restore.bmp", 1, 34 + step, 4, modern_button(glyph_restore)),
            ("Min.bmp", 2, 34 + 2 * step, 4, modern_button(glyph_minimize)),
            ("Pin.bmp", 4, 34 + 3 * step, 4, modern_button(glyph_pin)),
            ("Pinned.bmp", 4, 34 + 3 * step, 4, modern_button(glyph_pinned)),
            ("Menu.bmp", 5, 34 + 4 * step, 4, modern_button(glyph_menu)),
        ],
        main_text={"TextShift": 26, "TextShiftVert": 0},
        append_text={"TextShift": 12, "TextShiftVert": 0},
        colours={"TitleText": (255, 255, 255), "InactiveTitleText": (232, 235, 240), "TransColor": KEY,
                 "BarColor": (36, 78, 146), "MenuColor": (242, 245, 250), "ButtonFace": (225, 232, 242),
                 "ButtonText": (20, 40, 80), "ButtonHilight": (190, 210, 238), "ButtonFocus": (96, 146, 214)},
        uses_tran=1)

    classic = Classic()
    make_skin(
        os.path.join(out, "经典"), classic,
        caps={"top": (30, 64, 106), "side": (28, 64, 6), "bottom": (6, 64, 7)},
        buttons=[
            ("Close.bmp", 0, 25, 4, classic_button(glyph_close)),
            ("Max.bmp", 1, 45, 4, classic_button(glyph_maximize)),
            ("Restore.bmp", 1, 45, 4, classic_button(glyph_restore)),
            ("Min.bmp", 2, 63, 4, classic_button(glyph_minimize)),
            ("Pin.bmp", 4, 85, 4, classic_button(glyph_pin)),
            ("Pinned.bmp", 4, 85, 4, classic_button(glyph_pinned)),
            ("Menu.bmp", 5, 103, 4, classic_button(glyph_menu)),
        ],
        main_text={"TextShift": 26, "TextShiftVert": 0},
        append_text={"TextShift": 8, "TextShiftVert": 0},
        colours={"TitleText": (255, 255, 255), "InactiveTitleText": (212, 208, 200),
                 "BarColor": (192, 192, 192), "MenuColor": (255, 255, 255), "ButtonFace": (192, 192, 192),
                 "ButtonText": (0, 0, 0), "ButtonHilight": (255, 255, 255), "ButtonFocus": (0, 0, 128)},
        uses_tran=0)


if __name__ == "__main__":
    main()
