#!/usr/bin/env python3
"""Draws the skins QuiloPlayer ships and writes one folder per skin: Main.ini (player window),
Append.ini (side panel and About box) and the 24-bit BMP images they name.

Usage: make_skins.py OUTPUT_DIR

Every image is drawn again for the display scales 125, 150, 175 and 200 % into a subfolder named by the
percentage: each figure of the 100 % drawing is scaled as the program scales it (MulDiv(n, dpi, 96)), lines
stay whole pixels, and the key colour stays exact. The description files keep the 100 % figures.

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
# Display scales in percent and their DPI.
SCALES = {100: 96, 125: 120, 150: 144, 175: 168, 200: 192}


def muldiv(n, dpi):
    """MulDiv(n, dpi, 96): rounded to the nearest, halves away from zero."""
    q = (2 * abs(n) * dpi + 96) // 192
    return q if n >= 0 else -q


class Scale:
    """One display scale: S(n) scales a 100 % figure, k is the factor for continuous shapes."""

    def __init__(self, dpi):
        self.dpi = dpi
        self.k = dpi / 96

    def __call__(self, n):
        return muldiv(n, self.dpi)

    def inside(self, x, y, cx, cy, left, top, right, bottom):
        """Whether pixel (x, y) lies in the cells [left, right) x [top, bottom) around (cx, cy) at 100 %."""
        return cx + self(left) <= x < cx + self(right) and cy + self(top) <= y < cy + self(bottom)


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

    def __init__(self, caption, left, right, bottom, scale):
        self.S = scale
        self.t = scale(1)
        self.th, self.lw, self.rw, self.bh = scale(caption), scale(left), scale(right), scale(bottom)

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


def rounded_corner(x, y, w, radius, rim=1.3):
    """0 inside, 1 on the rim, 2 outside the rounded top corners."""
    for cx in (radius, w - radius):
        if (x < radius and cx == radius) or (x >= w - radius and cx == w - radius):
            if y >= radius:
                return 0
            d = math.hypot(x + 0.5 - cx, y + 0.5 - radius)
            if d > radius:
                return 2
            if d > radius - rim:
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

    def __init__(self, scale):
        super().__init__(caption=30, left=4, right=4, bottom=4, scale=scale)

    def frame_pixel(self, x, y, w, h, active):
        p = self.ACTIVE if active else self.INACTIVE
        t = self.t
        corner = rounded_corner(x, y, w, self.S(self.RADIUS), 1.3 * self.S.k)
        if corner == 2:
            return KEY
        if corner == 1 or x < t or x >= w - t or y < t or y >= h - t:
            return p["outline"]
        if y < self.th:
            if y >= self.th - t:
                return p["inner"]
            if y < 2 * t:
                return p["shine"]
            return mix(p["top"], p["bottom"], (y - 2 * t) / (self.th - 4 * t))
        if self.lw - t <= x < self.lw or w - self.rw <= x < w - self.rw + t or h - self.bh <= y < h - self.bh + t:
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

    def __init__(self, scale):
        super().__init__(caption=24, left=5, right=5, bottom=5, scale=scale)

    def frame_pixel(self, x, y, w, h, active):
        p = self.ACTIVE if active else self.INACTIVE
        t = self.t
        # Raised outer edge: light and white at the top and left, black and grey at the bottom and right.
        if x >= w - t or y >= h - t:
            return self.DARK
        if x < t or y < t:
            return self.LIGHT
        if x >= w - 2 * t or y >= h - 2 * t:
            return self.SHADOW
        if x < 2 * t or y < 2 * t:
            return self.WHITE
        if 3 * t <= y < self.th - t and 3 * t <= x < w - 3 * t:
            return p["line"] if y < 4 * t else p["caption"]
        return self.FACE


# -- caption buttons ---------------------------------------------------------------------------
# Each glyph is given in 100 % cells around the button's centre (cx, cy); S scales every edge to whole
# pixels, so that lines stay sharp at every scale.
def glyph_close(x, y, cx, cy, S):
    dx, dy = (x - cx + 0.5) / S.k, (y - cy + 0.5) / S.k
    return max(abs(dx), abs(dy)) <= 4.6 and (abs(dx - dy) <= 1.0 or abs(dx + dy) <= 1.0)


def glyph_minimize(x, y, cx, cy, S):
    return S.inside(x, y, cx, cy, -5, 3, 5, 5)


def box(x, y, cx, cy, S, left, top, right, bottom, thick_top=2):
    """The outline of the cells [left, right) x [top, bottom), its top edge thick_top cells thick."""
    if not S.inside(x, y, cx, cy, left, top, right, bottom):
        return False
    return (not S.inside(x, y, cx, cy, left + 1, top + thick_top, right - 1, bottom - 1))


def glyph_maximize(x, y, cx, cy, S):
    return box(x, y, cx, cy, S, -5, -5, 5, 5)


def glyph_restore(x, y, cx, cy, S):
    if S.inside(x, y, cx, cy, -5, -2, 3, 5):
        return box(x, y, cx, cy, S, -5, -2, 3, 5)
    return box(x, y, cx, cy, S, -2, -5, 5, 2)


def glyph_pin(x, y, cx, cy, S):
    """A pushpin lying on its side: not on top."""
    head = S.inside(x, y, cx, cy, -5, -4, -3, 4)
    body = S.inside(x, y, cx, cy, -3, -2, 2, 2) and not S.inside(x, y, cx, cy, -2, -1, 1, 0)
    needle = S.inside(x, y, cx, cy, 2, -1, 6, 1)
    return head or body or needle


def glyph_pinned(x, y, cx, cy, S):
    """A pushpin standing in the board: on top."""
    head = S.inside(x, y, cx, cy, -4, -5, 4, -3)
    body = S.inside(x, y, cx, cy, -2, -3, 2, 2)
    base = S.inside(x, y, cx, cy, -4, 1, 4, 2)
    needle = S.inside(x, y, cx, cy, -1, 2, 1, 6)
    return head or body or base or needle


def glyph_menu(x, y, cx, cy, S):
    if S.inside(x, y, cx, cy, -5, -5, 5, -3):
        return True
    return any(S.inside(x, y, cx, cy, -5 + row, -1 + row, 5 - row, row) for row in range(5))


def modern_button(glyph, S, close=False):
    """Three state pictures (normal, pressed, hover) of 28 x 22 with transparent background."""
    w, h = S(28), S(22)
    fills = {1: (160, 30, 25) if close else (18, 44, 92), 2: (214, 52, 44) if close else (96, 146, 214)}

    def pixel(x, y):
        state, bx = divmod(x, w)
        shift = S(1) if state == 1 else 0
        if glyph(bx - shift, y - shift, w // 2, h // 2, S):
            return (255, 255, 255)
        if state in fills:
            # Rounded fill, the corners left to the caption.
            corner_x = min(bx, w - 1 - bx)
            corner_y = min(y, h - 1 - y)
            if corner_x + corner_y >= S(2):
                return fills[state]
        return KEY

    return 3 * w, h, pixel


def classic_button(glyph, S):
    """Three raised grey state pictures (normal, pressed, hover) of 18 x 16."""
    w, h, t = S(18), S(16), S(1)
    face = {0: Classic.FACE, 1: Classic.FACE, 2: (214, 214, 214)}

    def pixel(x, y):
        state, bx = divmod(x, w)
        pressed = state == 1
        shift = t if pressed else 0
        outer_light, outer_dark = (Classic.DARK, Classic.WHITE) if pressed else (Classic.WHITE, Classic.DARK)
        inner_light, inner_dark = (Classic.SHADOW, Classic.LIGHT) if pressed else (Classic.LIGHT, Classic.SHADOW)
        if bx >= w - t or y >= h - t:
            return outer_dark
        if bx < t or y < t:
            return outer_light
        if bx >= w - 2 * t or y >= h - 2 * t:
            return inner_dark
        if bx < 2 * t or y < 2 * t:
            return inner_light
        if glyph(bx - shift, y - shift, w // 2, h // 2, S):
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


def scale_caps(near, tile, far, S):
    """The caps of an image at this scale as the program computes them: both caps scaled, the middle
    tile what remains of the scaled length."""
    return S(near), S(near + tile + far) - S(near) - S(far), S(far)


def make_skin(folder, skin_class, caps, buttons, main_text, append_text, colours, uses_tran):
    personality = {"Top": "Top.bmp", "Left": "Left.bmp", "Right": "Right.bmp", "Bottom": "Bottom.bmp"}
    for percent, dpi in SCALES.items():
        S = Scale(dpi)
        skin = skin_class(S)
        out = folder if percent == 100 else os.path.join(folder, str(percent))
        os.makedirs(out, exist_ok=True)
        for name, (w, h, pixel, keys) in (
                ("Top", skin.top_image(*scale_caps(*caps["top"], S))),
                ("Left", skin.side_image(False, *scale_caps(*caps["side"], S))),
                ("Right", skin.side_image(True, *scale_caps(*caps["side"], S))),
                ("Bottom", skin.bottom_image(*scale_caps(*caps["bottom"], S)))):
            write_bmp(os.path.join(out, name + ".bmp"), w, h, pixel)
            # The description holds the 100 % figures.
            if percent == 100:
                personality.update(keys)
        for image, draw in {b[0]: b[4] for b in buttons}.items():
            w, h, pixel = draw(S)
            write_bmp(os.path.join(out, image), w, h, pixel)
    personality["UsesTran"] = uses_tran
    main_buttons = [b[:4] for b in buttons]
    append_buttons = [b[:4] for b in buttons if b[1] == 0]
    write_ini(os.path.join(folder, "Main.ini"), dict(personality, **main_text), main_buttons, colours)
    write_ini(os.path.join(folder, "Append.ini"), dict(personality, **append_text), append_buttons, colours)


def main():
    out = sys.argv[1]

    step = 29
    make_skin(
        os.path.join(out, "现代"), Modern,
        # The caption's right cap reaches under the buttons, so that the title stops short of them.
        caps={"top": (36, 64, 154), "side": (34, 64, 6), "bottom": (4, 64, 5)},
        buttons=[
            ("Close.bmp", 0, 34, 4, lambda S: modern_button(glyph_close, S, close=True)),
            ("Max.bmp", 1, 34 + step, 4, lambda S: modern_button(glyph_maximize, S)),
            ("Restore.bmp", 1, 34 + step, 4, lambda S: modern_button(glyph_restore, S)),
            ("Min.bmp", 2, 34 + 2 * step, 4, lambda S: modern_button(glyph_minimize, S)),
            ("Pin.bmp", 4, 34 + 3 * step, 4, lambda S: modern_button(glyph_pin, S)),
            ("Pinned.bmp", 4, 34 + 3 * step, 4, lambda S: modern_button(glyph_pinned, S)),
            ("Menu.bmp", 5, 34 + 4 * step, 4, lambda S: modern_button(glyph_menu, S)),
        ],
        main_text={"TextShift": 26, "TextShiftVert": 0},
        append_text={"TextShift": 12, "TextShiftVert": 0},
        colours={"TitleText": (255, 255, 255), "InactiveTitleText": (232, 235, 240), "TransColor": KEY,
                 "BarColor": (36, 78, 146), "MenuColor": (242, 245, 250), "ButtonFace": (225, 232, 242),
                 "ButtonText": (20, 40, 80), "ButtonHilight": (190, 210, 238), "ButtonFocus": (96, 146, 214)},
        uses_tran=1)

    make_skin(
        os.path.join(out, "经典"), Classic,
        caps={"top": (30, 64, 106), "side": (28, 64, 6), "bottom": (6, 64, 7)},
        buttons=[
            ("Close.bmp", 0, 25, 4, lambda S: classic_button(glyph_close, S)),
            ("Max.bmp", 1, 45, 4, lambda S: classic_button(glyph_maximize, S)),
            ("Restore.bmp", 1, 45, 4, lambda S: classic_button(glyph_restore, S)),
            ("Min.bmp", 2, 63, 4, lambda S: classic_button(glyph_minimize, S)),
            ("Pin.bmp", 4, 85, 4, lambda S: classic_button(glyph_pin, S)),
            ("Pinned.bmp", 4, 85, 4, lambda S: classic_button(glyph_pinned, S)),
            ("Menu.bmp", 5, 103, 4, lambda S: classic_button(glyph_menu, S)),
        ],
        main_text={"TextShift": 26, "TextShiftVert": 0},
        append_text={"TextShift": 8, "TextShiftVert": 0},
        colours={"TitleText": (255, 255, 255), "InactiveTitleText": (212, 208, 200),
                 "BarColor": (192, 192, 192), "MenuColor": (255, 255, 255), "ButtonFace": (192, 192, 192),
                 "ButtonText": (0, 0, 0), "ButtonHilight": (255, 255, 255), "ButtonFocus": (0, 0, 128)},
        uses_tran=0)


if __name__ == "__main__":
    main()
