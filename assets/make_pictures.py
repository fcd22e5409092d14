#!/usr/bin/python3
"""Draws every picture of Quovadel DVD from code.

Run from anywhere:   /usr/bin/python3 assets/make_pictures.py

Writes assets/pictures/*, the indicator images of the "cappuccino" skin
(assets/temi/cappuccino/*.png) and the program's icon in the desktop's icon
theme sizes (assets/icons/hicolor/<n>x<n>/apps/quovadel-dvd.png).  Needs python3-pil, python3-numpy and the
fonts-dejavu-core package.  The output is committed, so the build never runs
this script.

Everything is drawn on a supersampled grid (8x8 samples per pixel) and box
filtered down, so edges that lie on whole pixel coordinates come out crisp
and slanted edges are antialiased.  Coordinates below are in final pixels:
pixel (i, j) covers [i, i+1) x [j, j+1).
"""

import os

import numpy as np
from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.join(HERE, "pictures")
SKIN = os.path.join(HERE, "temi", "cappuccino")
ICONS = os.path.join(HERE, "icons", "hicolor")

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_COND_BOLD = os.path.join(FONT_DIR, "DejaVuSansCondensed-Bold.ttf")
FONT_BOLD_OBLIQUE = os.path.join(FONT_DIR, "DejaVuSans-BoldOblique.ttf")


def hexc(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


# --------------------------------------------------------------------------
# Supersampled canvas
# --------------------------------------------------------------------------

class Canvas:
    def __init__(self, w, h, s=8, background=None):
        self.w, self.h, self.s = w, h, s
        xs = (np.arange(w * s) + 0.5) / s
        ys = (np.arange(h * s) + 0.5) / s
        self.X, self.Y = np.meshgrid(xs, ys)
        self.buf = np.zeros((h * s, w * s, 4))   # premultiplied RGBA, 0..1
        if background is not None:
            self.paint(self.full(), background)

    # ---- shapes: each returns a boolean (or 0..1 float) coverage mask ----
    def full(self):
        return np.ones(self.X.shape, bool)

    def rect(self, x0, y0, x1, y1, r=0.0):
        X, Y = self.X, self.Y
        m = (X >= x0) & (X < x1) & (Y >= y0) & (Y < y1)
        if r > 0:
            cx = np.clip(X, x0 + r, x1 - r)
            cy = np.clip(Y, y0 + r, y1 - r)
            m &= (X - cx) ** 2 + (Y - cy) ** 2 <= r * r
        return m

    def frame(self, x0, y0, x1, y1, t=1.0, r=0.0):
        return self.rect(x0, y0, x1, y1, r) & ~self.rect(
            x0 + t, y0 + t, x1 - t, y1 - t, max(r - t, 0.0))

    def poly(self, pts):
        X, Y = self.X, self.Y
        inside = np.zeros(X.shape, bool)
        n = len(pts)
        for i in range(n):
            x0, y0 = pts[i]
            x1, y1 = pts[(i + 1) % n]
            if y0 == y1:
                continue
            crosses = (y0 > Y) != (y1 > Y)
            xi = x0 + (Y - y0) * (x1 - x0) / (y1 - y0)
            inside ^= crosses & (X < xi)
        return inside

    def circle(self, cx, cy, r):
        return (self.X - cx) ** 2 + (self.Y - cy) ** 2 <= r * r

    def ring(self, cx, cy, r_out, r_in):
        return self.circle(cx, cy, r_out) & ~self.circle(cx, cy, r_in)

    def segment(self, x0, y0, x1, y1, width, round_caps=True):
        X, Y = self.X, self.Y
        dx, dy = x1 - x0, y1 - y0
        L2 = dx * dx + dy * dy
        t = ((X - x0) * dx + (Y - y0) * dy) / L2
        if round_caps:
            t = np.clip(t, 0.0, 1.0)
            d2 = (X - (x0 + t * dx)) ** 2 + (Y - (y0 + t * dy)) ** 2
            return d2 <= (width / 2) ** 2
        d2 = (X - (x0 + t * dx)) ** 2 + (Y - (y0 + t * dy)) ** 2
        return (t >= 0) & (t <= 1) & (d2 <= (width / 2) ** 2)

    def polyline(self, pts, width):
        m = np.zeros(self.X.shape, bool)
        for a, b in zip(pts, pts[1:]):
            m |= self.segment(a[0], a[1], b[0], b[1], width)
        return m

    def angle(self, cx, cy):
        """Angle in degrees, 0 = east, growing clockwise (screen y is down)."""
        return np.degrees(np.arctan2(self.Y - cy, self.X - cx)) % 360.0

    def radius(self, cx, cy):
        return np.hypot(self.X - cx, self.Y - cy)

    def grow(self, mask, px=1.0):
        """Dilates a mask by a disc of px pixels (the outline of a glyph)."""
        m = mask.astype(bool)
        r = int(round(px * self.s))
        out = m.copy()
        H, W = m.shape
        for dy in range(-r, r + 1):
            for dx in range(-r, r + 1):
                if dx * dx + dy * dy > r * r:
                    continue
                sh = np.zeros_like(m)
                ys = slice(max(dy, 0), H + min(dy, 0))
                yd = slice(max(-dy, 0), H + min(-dy, 0))
                xs = slice(max(dx, 0), W + min(dx, 0))
                xd = slice(max(-dx, 0), W + min(-dx, 0))
                sh[ys, xs] = m[yd, xd]
                out |= sh
        return out

    def shift(self, mask, dx, dy):
        """Moves a mask by whole pixels (for embossed shadows)."""
        m = np.roll(mask, (int(dy * self.s), int(dx * self.s)), axis=(0, 1))
        return m

    def text(self, x, y, string, font_path, size, anchor="ls", spacing=0.0,
             hinted=False):
        """Coverage mask of a text; (x, y) is the anchor point in pixels."""
        s = self.s
        if hinted:
            # Rendered at 1x with the font's hinting, then blown up so the
            # box filter gives back exactly these pixels.  Crisper at tiny sizes.
            img = Image.new("L", (self.w, self.h), 0)
            d = ImageDraw.Draw(img)
            font = ImageFont.truetype(font_path, size)
            self._draw_spaced(d, x, y, string, font, anchor, spacing, snap=True)
            img = img.resize((self.w * s, self.h * s), Image.NEAREST)
        else:
            img = Image.new("L", (self.w * s, self.h * s), 0)
            d = ImageDraw.Draw(img)
            font = ImageFont.truetype(font_path, size * s)
            self._draw_spaced(d, x * s, y * s, string, font, anchor, spacing * s)
        return np.asarray(img, dtype=float) / 255.0

    @staticmethod
    def _draw_spaced(d, x, y, string, font, anchor, spacing, snap=False):
        if not spacing:
            d.text((x, y), string, fill=255, font=font, anchor=anchor)
            return
        widths = [font.getlength(c) for c in string]
        total = sum(widths) + spacing * (len(string) - 1)
        if anchor[0] == "m":
            x -= total / 2
        elif anchor[0] == "r":
            x -= total
        a = "l" + anchor[1]
        for c, w in zip(string, widths):
            d.text((round(x) if snap else x, y), c, fill=255, font=font, anchor=a)
            x += w + spacing

    # ---- colour fields ----
    def vgrad(self, c0, c1, y0, y1):
        t = np.clip((self.Y - y0) / float(y1 - y0), 0.0, 1.0)[..., None]
        a = np.array(c0, float) / 255.0
        b = np.array(c1, float) / 255.0
        return a * (1 - t) + b * t

    # ---- painting ----
    def paint(self, mask, colour, alpha=1.0):
        m = mask.astype(float) * alpha
        a = m[..., None]
        if isinstance(colour, np.ndarray):
            col = colour
        else:
            col = np.array(colour[:3], float) / 255.0
            if len(colour) == 4:
                a = a * (colour[3] / 255.0)
        self.buf[..., :3] = col * a + self.buf[..., :3] * (1 - a)
        self.buf[..., 3:] = a + self.buf[..., 3:] * (1 - a)

    def erase(self, mask):
        """Punches a hole (makes the area transparent again)."""
        keep = 1.0 - mask.astype(float)[..., None]
        self.buf *= keep

    def glyph(self, mask, top, bottom, outline, y0=None, y1=None, width=1.0):
        """A shape filled with a vertical gradient and ringed by an outline."""
        if y0 is None:
            ys = self.Y[mask.astype(bool)]
            y0, y1 = float(ys.min()), float(ys.max())
        self.paint(self.grow(mask, width), outline)
        self.paint(mask, self.vgrad(top, bottom, y0, y1))

    def image(self):
        s = self.s
        small = self.buf.reshape(self.h, s, self.w, s, 4).mean(axis=(1, 3))
        a = small[..., 3:]
        rgb = np.where(a > 1e-6, small[..., :3] / np.maximum(a, 1e-6), 0.0)
        out = np.concatenate([rgb, a], axis=2)
        out = np.clip(np.round(out * 255.0), 0, 255).astype(np.uint8)
        return Image.fromarray(out, "RGBA")


def save_png(img, *parts):
    path = os.path.join(*parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "PNG", optimize=True)
    return path


def mirror(pts, w):
    return [(w - x, y) for x, y in pts]


# --------------------------------------------------------------------------
# Control panel buttons: grey face with a dark engraved symbol
# --------------------------------------------------------------------------

INK = hexc("1e1e1e")


def button_face(c):
    w, h = c.w, c.h
    c.paint(c.rect(0, 0, w, h, 3), hexc("6b6b6b"))
    c.paint(c.rect(1, 1, w - 1, h - 1, 2),
            c.vgrad(hexc("f6f6f6"), hexc("bebebe"), 1, h - 1))
    # soft top highlight
    c.paint(c.rect(2, 1, w - 2, 2), (255, 255, 255), 0.7)


def button(w, h, symbol):
    c = Canvas(w, h)
    button_face(c)
    m = symbol(c)
    c.paint(c.shift(m, 0, 1) & ~m, (255, 255, 255), 0.55)   # engraved look
    c.paint(m, INK)
    return c.image()


# 35x17 symbols; vertical extent 4..13 around the centre line y = 8.5
def sym_play(c):
    return c.poly([(14, 4), (14, 13), (22, 8.5)])


def sym_pause(c):
    return c.rect(13, 4, 16, 13) | c.rect(19, 4, 22, 13)


def sym_stop(c):
    return c.rect(13, 4, 22, 13)


def sym_rewind(c):
    return (c.poly([(11, 8.5), (17, 4), (17, 13)]) |
            c.poly([(17, 8.5), (23, 4), (23, 13)]))


def sym_fast_forward(c):
    return (c.poly(mirror([(11, 8.5), (17, 4), (17, 13)], 35)) |
            c.poly(mirror([(17, 8.5), (23, 4), (23, 13)], 35)))


def sym_prev_chapter(c):
    return c.rect(12, 4, 14, 13) | c.poly([(15, 8.5), (22, 4), (22, 13)])


def sym_next_chapter(c):
    return c.rect(21, 4, 23, 13) | c.poly(mirror([(15, 8.5), (22, 4), (22, 13)], 35))


def sym_eject(c):
    return c.poly([(17.5, 3), (24, 9.5), (11, 9.5)]) | c.rect(11, 11, 24, 13)


# 35x14 symbols; vertical extent about 2..12 around y = 7
def sym_fullscreen(c):
    return c.frame(11, 3, 24, 11) | c.rect(11, 3, 24, 5)


def sym_root_menu(c):
    m = c.frame(11, 2, 24, 12)
    for y in (4, 6, 8):
        m |= c.rect(13, y, 15, y + 1) | c.rect(16, y, 22, y + 1)
    return m


def sym_frame_step(c):
    return (c.ring(15.5, 6.0, 3.9, 2.5) |
            c.segment(18.3, 8.8, 21.6, 12.1, 2.2))


def sym_reduce(c):
    return (c.poly([(17.5, 1.5), (21.5, 5.5), (13.5, 5.5)]) |
            c.poly([(17.5, 12.5), (21.5, 8.5), (13.5, 8.5)]) |
            c.rect(16.5, 5, 18.5, 9))


BUTTONS_17 = [
    ("prev_chapter", sym_prev_chapter),
    ("rewind", sym_rewind),
    ("fast_forward", sym_fast_forward),
    ("next_chapter", sym_next_chapter),
    ("play", sym_play),
    ("pause", sym_pause),
    ("stop", sym_stop),
    ("eject", sym_eject),
]

BUTTONS_14 = [
    ("fullscreen", sym_fullscreen),
    ("root_menu", sym_root_menu),
    ("frame_step", sym_frame_step),
    ("reduce", sym_reduce),
]


# --------------------------------------------------------------------------
# 16x16 menu pictures
# --------------------------------------------------------------------------

GREEN = (hexc("8fe07c"), hexc("2f9129"), hexc("1b5418"))
BLUE = (hexc("9cc4f2"), hexc("2d5fae"), hexc("17315e"))
RED = (hexc("f6978a"), hexc("c3312a"), hexc("65140f"))
SILVER = (hexc("f2f4f7"), hexc("8a94a2"), hexc("394150"))
GOLD = (hexc("ffe08a"), hexc("d69b25"), hexc("6e4a0c"))
BROWN = (hexc("d49a62"), hexc("7c4a22"), hexc("3d220c"))
RIBBON = (hexc("f27a6a"), hexc("b3261f"), hexc("5a0f0b"))


def glyph(c, mask, colours):
    top, bottom, outline = colours
    c.glyph(mask, top, bottom, outline)


def m16():
    return Canvas(16, 16)


def menu_play():
    c = m16()
    glyph(c, c.poly([(5, 3), (5, 13), (12.5, 8)]), GREEN)
    return c.image()


def menu_pause():
    c = m16()
    glyph(c, c.rect(4, 3, 6, 13) | c.rect(10, 3, 12, 13), BLUE)
    return c.image()


def menu_stop():
    c = m16()
    glyph(c, c.rect(4, 4, 12, 12), RED)
    return c.image()


def menu_next_chapter():
    c = m16()
    glyph(c, c.poly([(3, 3.5), (3, 12.5), (9.5, 8)]) | c.rect(11, 3.5, 13, 12.5), BLUE)
    return c.image()


def menu_prev_chapter():
    c = m16()
    glyph(c, c.poly(mirror([(3, 3.5), (3, 12.5), (9.5, 8)], 16)) |
          c.rect(3, 3.5, 5, 12.5), BLUE)
    return c.image()


def menu_fast_forward():
    c = m16()
    glyph(c, c.poly([(2, 4), (2, 12), (8, 8)]) | c.poly([(8, 4), (8, 12), (14, 8)]), BLUE)
    return c.image()


def menu_rewind():
    c = m16()
    glyph(c, c.poly(mirror([(2, 4), (2, 12), (8, 8)], 16)) |
          c.poly(mirror([(8, 4), (8, 12), (14, 8)], 16)), BLUE)
    return c.image()


def menu_eject():
    c = m16()
    glyph(c, c.poly([(8, 2.5), (13.5, 8.5), (2.5, 8.5)]) | c.rect(3, 10.5, 13, 13), SILVER)
    return c.image()


def menu_open():
    c = m16()
    back = c.rect(1.5, 2.5, 7, 5, 1) | c.rect(1.5, 3.5, 13.5, 13.5, 0.5)
    glyph(c, back, (hexc("e9c46a"), hexc("b98524"), hexc("6a4a10")))
    front = c.poly([(4, 6.5), (15, 6.5), (13, 13.5), (1.5, 13.5)])
    glyph(c, front, (hexc("fff0b0"), hexc("e2ad3c"), hexc("6a4a10")))
    return c.image()


def menu_exit():
    c = m16()
    # door frame with a dark doorway, an arrow leaving through it
    glyph(c, c.rect(2, 1.5, 9.5, 14.5), BROWN)
    c.paint(c.rect(3.5, 3, 8, 13.5), hexc("2a1708"))
    door = c.poly([(3.5, 3), (6.5, 4.5), (6.5, 14.5), (3.5, 13.5)])
    c.paint(door, c.vgrad(hexc("c98a50"), hexc("8a5428"), 3, 14))
    c.paint(c.rect(5.2, 8.5, 6.0, 9.5), hexc("ffd86a"))
    arrow = c.rect(7.5, 7, 11.5, 9) | c.poly([(11, 4), (15, 8), (11, 12)])
    glyph(c, arrow, GREEN)
    return c.image()


def magnifier(c, cx, cy, r, handle_to):
    glass = c.circle(cx, cy, r - 1.0)
    c.paint(glass, c.vgrad(hexc("e8f3ff"), hexc("9cc1e8"), cy - r, cy + r), 0.9)
    c.paint(c.circle(cx - 1.2, cy - 1.2, 1.1), (255, 255, 255), 0.9)
    ring = c.ring(cx, cy, r + 0.25, r - 1.0)
    c.paint(ring, hexc("3b4250"))
    c.paint(c.ring(cx, cy, r - 0.3, r - 1.0), hexc("8a94a2"))
    hx, hy = handle_to
    d = (r + 0.2) / np.sqrt(2)
    c.paint(c.segment(cx + d, cy + d, hx, hy, 3.0), hexc("2a1708"))
    c.paint(c.segment(cx + d + 0.6, cy + d + 0.6, hx - 0.3, hy - 0.3, 1.4), hexc("a8703a"))


def menu_frame_step():
    c = m16()
    # a film frame behind the magnifier
    glyph(c, c.rect(1.5, 1.5, 11, 9.5, 0.5), SILVER)
    for x in (2.5, 5, 7.5):
        c.paint(c.rect(x + 0.5, 2.5, x + 2, 3.5), hexc("394150"))
        c.paint(c.rect(x + 0.5, 7.5, x + 2, 8.5), hexc("394150"))
    magnifier(c, 9, 8, 4.2, (14.2, 13.8))
    return c.image()


def paper(c, x0=2, y0=1, x1=14, y1=15):
    c.paint(c.rect(x0, y0, x1, y1, 1), hexc("5b6470"))
    c.paint(c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1),
            c.vgrad(hexc("ffffff"), hexc("dfe6ee"), y0, y1))


def menu_root_menu():
    c = m16()
    paper(c)
    for y in (4, 7, 10):
        c.paint(c.rect(4, y, 6, y + 2), hexc("2d5fae"))
        c.paint(c.rect(7, y, 12, y + 1), hexc("5b6470"))
        c.paint(c.rect(7, y + 1, 10, y + 2), hexc("9aa3ae"))
    return c.image()


def menu_title_menu():
    c = m16()
    paper(c)
    c.paint(c.rect(3, 2, 13, 5), c.vgrad(hexc("e9a24a"), hexc("b3661a"), 2, 5))
    c.paint(c.rect(5, 3, 11, 4), (255, 255, 255), 0.9)
    c.paint(c.rect(4, 7, 12, 9), hexc("9cc4f2"))
    c.paint(c.rect(5, 7.5, 11, 8.5), hexc("17315e"))
    for y in (10.5, 12.5):
        c.paint(c.rect(5, y, 11, y + 1), hexc("5b6470"))
    return c.image()


def menu_fullscreen():
    c = m16()
    c.paint(c.rect(0.5, 1.5, 15.5, 12.5, 1), hexc("394150"))
    c.paint(c.rect(1.5, 2.5, 14.5, 11.5), c.vgrad(hexc("7fb2ec"), hexc("1f4e96"), 2.5, 11.5))
    c.paint(c.rect(6, 12.5, 10, 13.5), hexc("5b6470"))
    c.paint(c.rect(3.5, 13.5, 12.5, 15, 0.5), hexc("394150"))
    white = (255, 255, 255)
    corner = (c.poly([(3, 4), (6, 4), (3, 7)]) |
              c.poly([(13, 4), (10, 4), (13, 7)]) |
              c.poly([(3, 10), (6, 10), (3, 7)]) |
              c.poly([(13, 10), (10, 10), (13, 7)]))
    c.paint(corner, white)
    return c.image()


def ribbon(c, x0=3, x1=11, y0=2, y1=14):
    mid = (x0 + x1) / 2.0
    return c.poly([(x0, y0), (x1, y0), (x1, y1), (mid, y1 - 3.2), (x0, y1)])


def menu_save_bookmark():
    c = m16()
    glyph(c, ribbon(c), RIBBON)
    c.paint(c.rect(4.5, 2.5, 5.5, 10), (255, 255, 255), 0.35)
    plus = c.rect(9, 11, 15, 13) | c.rect(11, 9, 13, 15)
    glyph(c, plus, GREEN)
    return c.image()


def menu_restore_bookmark():
    c = m16()
    glyph(c, ribbon(c), RIBBON)
    c.paint(c.rect(4.5, 2.5, 5.5, 10), (255, 255, 255), 0.35)
    # an arrow pointing back: return to the marked place
    arrow = c.rect(10, 11, 15, 13) | c.poly([(7, 12), (11, 8.5), (11, 15.5)])
    glyph(c, arrow, BLUE)
    return c.image()


def menu_toolbar():
    c = m16()
    c.paint(c.rect(0.5, 1.5, 15.5, 14.5, 1), hexc("394150"))
    c.paint(c.rect(1.5, 2.5, 14.5, 13.5), c.vgrad(hexc("ffffff"), hexc("dfe6ee"), 2, 14))
    c.paint(c.rect(1.5, 2.5, 14.5, 4.5), c.vgrad(hexc("6fa3e6"), hexc("2d5fae"), 2.5, 4.5))
    c.paint(c.rect(1.5, 5, 14.5, 9), c.vgrad(hexc("eef0f3"), hexc("b9c0ca"), 5, 9))
    for x, col in ((2.5, "2f9129"), (6, "c3312a"), (9.5, "d69b25")):
        c.paint(c.rect(x, 5.5, x + 3, 8.5, 0.5), hexc(col))
    c.paint(c.rect(1.5, 9, 14.5, 10), hexc("8a94a2"))
    return c.image()


MENU_PICTURES = [
    ("open", menu_open),
    ("exit", menu_exit),
    ("play", menu_play),
    ("pause", menu_pause),
    ("stop", menu_stop),
    ("frame_step", menu_frame_step),
    ("next_chapter", menu_next_chapter),
    ("prev_chapter", menu_prev_chapter),
    ("fast_forward", menu_fast_forward),
    ("rewind", menu_rewind),
    ("root_menu", menu_root_menu),
    ("title_menu", menu_title_menu),
    ("fullscreen", menu_fullscreen),
    ("save_bookmark", menu_save_bookmark),
    ("restore_bookmark", menu_restore_bookmark),
    ("toolbar", menu_toolbar),
    ("eject", menu_eject),
]


# --------------------------------------------------------------------------
# Discs
# --------------------------------------------------------------------------

def hsv_to_rgb_array(h, s, v):
    h = (h % 1.0) * 6.0
    i = np.floor(h).astype(int) % 6
    f = h - np.floor(h)
    p = v * (1 - s)
    q = v * (1 - s * f)
    t = v * (1 - s * (1 - f))
    r = np.choose(i, [v, q, p, p, t, v])
    g = np.choose(i, [t, v, v, q, p, p])
    b = np.choose(i, [p, p, t, v, v, q])
    return np.stack([r, g, b], axis=-1)


def disc(c, cx, cy, R, spin=0.0, marker=False, background=None):
    """A shiny silver disc with a rainbow sheen and a see-through hub."""
    ang = c.angle(cx, cy)
    rad = c.radius(cx, cy)
    th = np.radians(ang - spin)

    silver = np.array([0.80, 0.82, 0.86])
    rainbow = hsv_to_rgb_array(th / np.pi + rad / (2.2 * R), 0.55, 1.0)
    sheen = 0.5 + 0.5 * np.cos(2 * (th + 0.5))
    base = silver * (1 - 0.45 * sheen[..., None]) + rainbow * (0.45 * sheen[..., None])
    shade = 0.78 + 0.22 * np.cos(th + 2.4)          # lighter to the upper left
    col = base * shade[..., None]
    shine = np.clip(np.cos(th + 2.3), 0, 1) ** 14 * np.clip((rad - 0.3 * R) / (0.3 * R), 0, 1)
    col = col * (1 - shine[..., None]) + shine[..., None]

    data = c.circle(cx, cy, R) & ~c.circle(cx, cy, 0.40 * R)
    c.paint(c.circle(cx, cy, R), hexc("5a606a"))                 # rim
    c.paint(c.circle(cx, cy, R - max(0.7, R / 22.0)) & data, np.clip(col, 0, 1))
    if marker:
        # a printed tick on the surface so the spinning is easy to see
        sector = (((ang - spin) % 360.0) < 28) & c.ring(cx, cy, 0.88 * R, 0.50 * R)
        c.paint(sector, hexc("2d5fae"), 0.85)
    # hub: clear plastic with two rings
    hub = c.circle(cx, cy, 0.40 * R) & ~c.circle(cx, cy, 0.15 * R)
    c.paint(hub, (225, 230, 236), 0.55)
    c.paint(c.ring(cx, cy, 0.40 * R, 0.40 * R - max(0.6, R / 25.0)), hexc("8a94a2"), 0.9)
    c.paint(c.ring(cx, cy, 0.27 * R, 0.27 * R - 0.5), hexc("aab2bd"), 0.7)
    c.paint(c.ring(cx, cy, 0.15 * R + 0.6, 0.15 * R), hexc("5a606a"), 0.9)
    if background is None:
        c.erase(c.circle(cx, cy, 0.15 * R))
    else:
        c.paint(c.circle(cx, cy, 0.15 * R), background)


def disc_logo_32():
    c = Canvas(32, 32)
    disc(c, 16, 16, 15.5)
    return c.image()


def tray_32():
    c = Canvas(32, 32)
    disc(c, 15, 15, 14.5)
    tri = c.poly([(20, 17), (20, 30), (30.5, 23.5)])
    c.paint(c.grow(tri, 2.0), (255, 255, 255))
    glyph(c, tri, GREEN)
    return c.image()


# The program's icon: the tray picture's disc and play triangle, drawn afresh at
# each size the icon theme keeps (never scaled from another size).
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def app_icon(n):
    k = n / 32.0
    c = Canvas(n, n, s=8 if n <= 64 else 4)
    disc(c, 15 * k, 15 * k, 14.5 * k)
    tri = c.poly([(20 * k, 17 * k), (20 * k, 30 * k), (30.5 * k, 23.5 * k)])
    c.paint(c.grow(tri, max(1.0, 2.0 * k)), (255, 255, 255))
    c.glyph(tri, GREEN[0], GREEN[1], GREEN[2], width=max(1.0, k))
    return c.image()


def tray_anim(k):
    c = Canvas(16, 16)
    disc(c, 8, 8, 7.6, spin=120.0 * k, marker=True)
    return c.image()


# --------------------------------------------------------------------------
# Word mark
# --------------------------------------------------------------------------

LETTER_TOP = hexc("fbf6ec")
LETTER_BOTTOM = hexc("cbbd9f")


def dvd_video_badge(c, x0, y0, x1, y1, r_disc, dvd_size, video_size):
    """Our own small "DVD VIDEO" mark: a framed badge with a tiny disc."""
    light = hexc("e9e1d0")
    c.paint(c.frame(x0, y0, x1, y1, 1, 3), light, 0.85)
    dcx = x0 + 2.5 + r_disc
    dcy = (y0 + y1) / 2.0
    disc(c, dcx, dcy, r_disc, background=(0, 0, 0))
    tcx = (dcx + r_disc + x1) / 2.0 + 0.5
    mid = y0 + (y1 - y0) * 0.58
    c.paint(c.text(tcx, mid - 2.5, "DVD", FONT_BOLD_OBLIQUE, dvd_size, anchor="ms"),
            c.vgrad(LETTER_TOP, LETTER_BOTTOM, y0 + 3, mid - 2.5))
    c.paint(c.rect(dcx + r_disc + 3, mid - 1, x1 - 3, mid), hexc("d69b25"))
    c.paint(c.text(tcx, y1 - 3, "VIDEO", FONT_COND_BOLD, video_size, anchor="ms",
                   spacing=0.8), light)


def logo():
    c = Canvas(200, 36, background=(0, 0, 0))
    c.paint(c.text(4, 23, "Quovadel DVD", FONT_BOLD, 16),
            c.vgrad(LETTER_TOP, LETTER_BOTTOM, 11, 23))
    c.paint(c.rect(4, 27, 134, 28), hexc("d69b25"), 0.85)
    dvd_video_badge(c, 140, 4, 197, 32, r_disc=9.0, dvd_size=12, video_size=7)
    return c.image().convert("RGB")


def logo_small():
    c = Canvas(60, 10, background=(0, 0, 0))
    disc(c, 3.5, 5, 3.5, background=(0, 0, 0))
    c.paint(c.text(9, 8, "Quovadel DVD", FONT_COND_BOLD, 7, hinted=True),
            hexc("f3ecdc"))
    return c.image().convert("RGB")


# --------------------------------------------------------------------------
# Skin "cappuccino": check box indicators (13x13)
# --------------------------------------------------------------------------

FOAM_TOP = hexc("fffaf1")
FOAM_BOTTOM = hexc("e8d5b7")
ROAST = hexc("3b2413")
CARAMEL = hexc("a8672e")


def check_box(state, hover=False, disabled=False):
    c = Canvas(13, 13)
    if disabled:
        border, top, bottom, ink = hexc("8d7f6c"), hexc("d9cfc0"), hexc("c6b9a6"), hexc("8d7f6c")
    elif hover:
        border, top, bottom, ink = CARAMEL, hexc("ffffff"), hexc("f1dfc2"), ROAST
    else:
        border, top, bottom, ink = ROAST, FOAM_TOP, FOAM_BOTTOM, ROAST
    c.paint(c.rect(0, 0, 13, 13, 2.5), border)
    c.paint(c.rect(1, 1, 12, 12, 1.5), c.vgrad(top, bottom, 1, 12))
    c.paint(c.rect(2, 1, 11, 2), (255, 255, 255), 0.6)
    if state == "on":
        c.paint(c.polyline([(3.2, 6.6), (5.5, 9.0), (9.9, 3.6)], 2.0), ink)
    elif state == "partial":
        c.paint(c.rect(3, 5, 10, 8, 0.5), ink)
    return c.image()


SKIN_PICTURES = [
    ("check_off.png", lambda: check_box("off")),
    ("check_off_hover.png", lambda: check_box("off", hover=True)),
    ("check_off_disabled.png", lambda: check_box("off", disabled=True)),
    ("check_on.png", lambda: check_box("on")),
    ("check_on_hover.png", lambda: check_box("on", hover=True)),
    ("check_on_disabled.png", lambda: check_box("on", disabled=True)),
    ("check_partial.png", lambda: check_box("partial")),
    ("check_partial_hover.png", lambda: check_box("partial", hover=True)),
]


# --------------------------------------------------------------------------

def main():
    made = []
    for name, sym in BUTTONS_17:
        made.append(save_png(button(35, 17, sym), PICTURES, name + ".png"))
    for name, sym in BUTTONS_14:
        made.append(save_png(button(35, 14, sym), PICTURES, name + ".png"))

    for name, fn in MENU_PICTURES:
        made.append(save_png(fn(), PICTURES, "menu_" + name + ".png"))
    listing = os.path.join(PICTURES, "menu_pictures.txt")
    with open(listing, "w", encoding="ascii", newline="\n") as f:
        for name, _ in MENU_PICTURES:
            f.write("menu_%s.png\n" % name)
    made.append(listing)

    made.append(save_png(disc_logo_32(), PICTURES, "disc_logo_32.png"))
    made.append(save_png(tray_32(), PICTURES, "tray_32.png"))
    for k in range(3):
        made.append(save_png(tray_anim(k), PICTURES, "tray_anim_%d.png" % k))
    for n in ICON_SIZES:
        made.append(save_png(app_icon(n), ICONS, "%dx%d" % (n, n), "apps",
                             "quovadel-dvd.png"))

    big = logo()
    logo_path = os.path.join(PICTURES, "logo.jpg")
    big.save(logo_path, "JPEG", quality=92, progressive=False, optimize=False,
             subsampling=0)
    made.append(logo_path)
    made.append(save_png(logo_small(), PICTURES, "logo_small.png"))

    with open(logo_path, "rb") as f:
        data = f.read()
    damaged = os.path.join(PICTURES, "damaged_logo.jpg")
    with open(damaged, "wb") as f:
        f.write(data[: len(data) * 40 // 100])
    made.append(damaged)

    for name, fn in SKIN_PICTURES:
        made.append(save_png(fn(), SKIN, name))

    for path in made:
        print(os.path.relpath(path, os.path.dirname(HERE)))


if __name__ == "__main__":
    main()
