#!/usr/bin/python3
# Interpreter: Debian's /usr/bin/python3 with python3-pil (Pillow).
"""Draws the application's artwork into resources/Art.

Everything is built from simple shapes and system fonts, drawn at a
multiple of the final size and reduced with LANCZOS. The output is
deterministic: no randomness, no metadata chunks in the PNG files.

    /usr/bin/python3 tools/draw_art.py            # redraw and verify
    /usr/bin/python3 tools/draw_art.py --check    # verify only
    /usr/bin/python3 tools/draw_art.py --sheet /tmp/art_sheet.png
"""

import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ART_DIR = os.path.normpath(os.path.join(HERE, "..", "resources", "Art"))

SS = 4  # supersampling factor

CYAN = (198, 253, 254)
STEEL = (70, 130, 180)
WHITE = (255, 255, 255)
YELLOW = (250, 237, 1)
GREEN = (93, 187, 71)
PINK = (232, 30, 134)

WIN_W, WIN_H = 785, 480

FONT_DIRS = [
    "/usr/share/fonts/opentype/urw-base35",
    "/usr/share/fonts/truetype/dejavu",
    "/usr/share/fonts/truetype/liberation",
]


def find_font(*names):
    for name in names:
        for d in FONT_DIRS:
            path = os.path.join(d, name)
            if os.path.exists(path):
                return path
    raise SystemExit("no usable font found among: " + ", ".join(names))


FONT_MARK = find_font("URWGothic-Demi.otf", "DejaVuSans-Bold.ttf",
                      "LiberationSans-Bold.ttf")
FONT_THIN = find_font("URWGothic-Book.otf", "DejaVuSans.ttf",
                      "LiberationSans-Regular.ttf")


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA drawing surface at SS times the final size.

    Coordinates passed to the helpers are in final pixels (floats allowed).
    """

    def __init__(self, w, h, ss=SS):
        self.w, self.h, self.ss = w, h, ss
        self.size = (w * ss, h * ss)
        self.im = Image.new("RGBA", self.size, (0, 0, 0, 0))

    def mask(self):
        return Image.new("L", self.size, 0)

    def paint(self, mask, paint, opacity=1.0):
        """Composite a colour or an RGBA image through a mask."""
        if isinstance(paint, Image.Image):
            layer = paint.copy()
            alpha = ImageChops.multiply(layer.getchannel("A"), mask)
        else:
            layer = Image.new("RGBA", self.size, tuple(paint[:3]) + (255,))
            alpha = mask
            if len(paint) > 3 and paint[3] != 255:
                alpha = scale_mask(alpha, paint[3] / 255.0)
        if opacity < 1.0:
            alpha = scale_mask(alpha, opacity)
        layer.putalpha(alpha)
        self.im.alpha_composite(layer)

    def glow(self, mask, colour, radius, opacity=1.0):
        blurred = mask.filter(ImageFilter.GaussianBlur(radius * self.ss))
        self.paint(blurred, colour, opacity)

    def result(self, opaque=False):
        im = self.im.resize((self.w, self.h), Image.LANCZOS)
        return im.convert("RGB") if opaque else im


def scale_mask(mask, k):
    lut = [min(255, int(round(v * k))) for v in range(256)]
    return mask.point(lut)


def m_and(a, b):
    return ImageChops.multiply(a, b)


def m_or(a, b):
    return ImageChops.lighter(a, b)


def m_sub(a, b):
    return ImageChops.subtract(a, b)


def _s(c, box):
    return [v * c.ss for v in box]


def rrect(c, box, r):
    m = c.mask()
    x0, y0, x1, y1 = _s(c, box)
    ImageDraw.Draw(m).rounded_rectangle(
        [x0, y0, x1 - 1, y1 - 1], radius=max(0, r * c.ss), fill=255)
    return m


def inset(box, d):
    return (box[0] + d, box[1] + d, box[2] - d, box[3] - d)


def rrect_ring(c, box, r, w):
    return m_sub(rrect(c, box, r), rrect(c, inset(box, w), max(0.0, r - w)))


def ellipse(c, box):
    m = c.mask()
    x0, y0, x1, y1 = _s(c, box)
    ImageDraw.Draw(m).ellipse([x0, y0, x1 - 1, y1 - 1], fill=255)
    return m


def disc(c, cx, cy, r):
    return ellipse(c, (cx - r, cy - r, cx + r, cy + r))


def ring(c, cx, cy, r, w):
    """Ring whose outer radius is r and thickness w."""
    return m_sub(disc(c, cx, cy, r), disc(c, cx, cy, r - w))


def poly(c, pts):
    m = c.mask()
    ImageDraw.Draw(m).polygon([(x * c.ss, y * c.ss) for x, y in pts], fill=255)
    return m


def stroke(c, pts, w, closed=False, caps=True, m=None):
    """Polyline with round joins and round caps."""
    m = m if m is not None else c.mask()
    d = ImageDraw.Draw(m)
    sp = [(x * c.ss, y * c.ss) for x, y in pts]
    if closed:
        sp = sp + [sp[0]]
    wid = max(1, int(round(w * c.ss)))
    d.line(sp, fill=255, width=wid, joint="curve")
    rad = w * c.ss / 2.0
    # round every joint; the line joint alone leaves notches at sharp turns
    if closed:
        dots = sp
    else:
        dots = sp[1:-1] + ([sp[0], sp[-1]] if caps else [])
    for x, y in dots:
        d.ellipse([x - rad, y - rad, x + rad, y + rad], fill=255)
    return m


def arc_points(cx, cy, r, a0, a1, n=64):
    """Points along an arc; angles in degrees, clockwise on screen."""
    pts = []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def text_mask(c, x, y, text, font_path, size, anchor="ls", tracking=0.0):
    """Text as a mask; tracking is extra space between letters in pixels."""
    m = c.mask()
    d = ImageDraw.Draw(m)
    font = ImageFont.truetype(font_path, int(round(size * c.ss)))
    width = text_width(text, font_path, size, tracking)
    if anchor[0] == "m":
        x -= width / 2.0
    elif anchor[0] == "r":
        x -= width
    cx = x * c.ss
    for ch in text:
        d.text((cx, y * c.ss), ch, font=font, fill=255, anchor="l" + anchor[1])
        cx += font.getlength(ch) + tracking * c.ss
    return m


def text_width(text, font_path, size, tracking=0.0):
    font = ImageFont.truetype(font_path, int(round(size * 16)))
    total = sum(font.getlength(ch) for ch in text) / 16.0
    return total + tracking * (len(text) - 1)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def rgba(col, a=255):
    return tuple(col[:3]) + (a,)


def _ramp(stops, t):
    if t <= stops[0][0]:
        return rgba(stops[0][1], stops[0][1][3] if len(stops[0][1]) > 3 else 255)
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            c0 = rgba(c0, c0[3] if len(c0) > 3 else 255)
            c1 = rgba(c1, c1[3] if len(c1) > 3 else 255)
            return lerp(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 1.0)
    last = stops[-1][1]
    return rgba(last, last[3] if len(last) > 3 else 255)


def vgrad(c, stops, y0=0.0, y1=None):
    """Vertical gradient image; stops are (t, colour) with t in 0..1 of y0..y1."""
    y1 = c.h if y1 is None else y1
    hgt = c.size[1]
    col = Image.new("RGBA", (1, hgt))
    col.putdata([_ramp(stops, ((y + 0.5) / c.ss - y0) / float(y1 - y0))
                 for y in range(hgt)])
    return col.resize(c.size, Image.NEAREST)


def hgrad(c, stops, x0=0.0, x1=None):
    x1 = c.w if x1 is None else x1
    wid = c.size[0]
    row = Image.new("RGBA", (wid, 1))
    row.putdata([_ramp(stops, ((x + 0.5) / c.ss - x0) / float(x1 - x0))
                 for x in range(wid)])
    return row.resize(c.size, Image.NEAREST)


def hfade_mask(c, x0, x1, y0, y1, edge=0.5):
    """Horizontal band whose alpha fades in and out at both ends."""
    band = rrect(c, (x0, y0, x1, y1), 0)
    g = hgrad(c, [(0.0, (0, 0, 0, 0)), (edge, (0, 0, 0, 255)),
                  (1.0 - edge, (0, 0, 0, 255)), (1.0, (0, 0, 0, 0))], x0, x1)
    return m_and(band, g.getchannel("A"))


def save_png(im, name):
    path = os.path.join(ART_DIR, name)
    im.save(path, "PNG", optimize=True)


# ---------------------------------------------------------------- emblems

def logo_mark(c, cx, cy, r, detail=True):
    """The Quorvelan mark: a ring with a waveform inside and a Q tail."""
    t = max(r * 0.17, 1.0 / c.ss)
    m = ring(c, cx, cy, r, t)
    # tail of the Q, leaving the ring towards the lower right
    a = math.radians(45)
    p0 = (cx + (r - t * 1.6) * math.cos(a), cy + (r - t * 1.6) * math.sin(a))
    p1 = (cx + (r + t * 1.7) * math.cos(a), cy + (r + t * 1.7) * math.sin(a))
    m = stroke(c, [p0, p1], t * 1.05, m=m)
    if detail:
        n = 120
        pts = []
        for i in range(n + 1):
            u = i / float(n)
            env = math.sin(math.pi * u) ** 1.4
            x = cx - 0.56 * r + 1.12 * r * u
            y = cy - 0.34 * r * env * math.sin(2 * math.pi * 2.25 * u)
            pts.append((x, y))
        m = stroke(c, pts, max(r * 0.085, 1.0 / c.ss), m=m)
    return m


def glyph_arrow(c, cx, cy, size, direction, w):
    """Arrow with a shaft; direction -1 points left, +1 right."""
    h = size / 2.0
    tip = cx + direction * h
    tail = cx - direction * h
    head = size * 0.42
    m = stroke(c, [(tail, cy), (tip, cy)], w)
    m = stroke(c, [(tip - direction * head, cy - head), (tip, cy),
                   (tip - direction * head, cy + head)], w, m=m)
    return m


def glyph_cross(c, cx, cy, size, w):
    h = size / 2.0
    m = stroke(c, [(cx - h, cy - h), (cx + h, cy + h)], w)
    return stroke(c, [(cx - h, cy + h), (cx + h, cy - h)], w, m=m)


def glyph_install(c, cx, cy, size, w):
    """Arrow down into an open tray."""
    s = size / 2.0
    tray_top = cy + s * 0.18
    tray_bot = cy + s
    m = stroke(c, [(cx - s, tray_top), (cx - s, tray_bot),
                   (cx + s, tray_bot), (cx + s, tray_top)], w)
    top = cy - s
    tip = cy + s * 0.42
    head = s * 0.48
    m = stroke(c, [(cx, top), (cx, tip)], w, m=m)
    m = stroke(c, [(cx - head, tip - head), (cx, tip), (cx + head, tip - head)],
               w, m=m)
    return m


def _arrow_head(c, cx, cy, r, ang, length, width, m):
    a = math.radians(ang)
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    dx, dy = -math.sin(a), math.cos(a)        # clockwise tangent
    nx, ny = math.cos(a), math.sin(a)
    tip = (ex + dx * length * 0.62, ey + dy * length * 0.62)
    b1 = (ex - dx * length * 0.38 + nx * width, ey - dy * length * 0.38 + ny * width)
    b2 = (ex - dx * length * 0.38 - nx * width, ey - dy * length * 0.38 - ny * width)
    return m_or(m, poly(c, [tip, b1, b2]))


def glyph_update(c, cx, cy, size, w):
    """Two arrows chasing each other round a circle."""
    r = size / 2.0 - w * 0.2
    m = stroke(c, arc_points(cx, cy, r, 200, 318), w)
    m = stroke(c, arc_points(cx, cy, r, 20, 138), w, m=m)
    head_len = w * 2.6
    head_w = w * 1.45
    m = _arrow_head(c, cx, cy, r, 322, head_len, head_w, m)
    m = _arrow_head(c, cx, cy, r, 142, head_len, head_w, m)
    return m


def glyph_trash(c, x0, y0, k, w, fill_body=False):
    """Trash can in a 43 unit box scaled by k, top-left at x0, y0."""
    def P(x, y):
        return (x0 + x * k, y0 + y * k)
    body = [P(12.2, 14.5), P(30.8, 14.5), P(28.8, 36.5), P(14.2, 36.5)]
    m = stroke(c, body, w, closed=True)
    if fill_body:
        m = m_or(m, scale_mask(poly(c, body), 0.35))
    m = stroke(c, [P(9.0, 10.6), P(34.0, 10.6)], w, m=m)
    m = stroke(c, [P(17.2, 10.0), P(18.0, 6.4), P(25.0, 6.4), P(25.8, 10.0)],
               w * 0.85, m=m)
    for x in (17.8, 21.5, 25.2):
        m = stroke(c, [P(x, 19.5), P(x + (x - 21.5) * 0.06, 31.5)], w * 0.62, m=m)
    return m


def glyph_gear(c, cx, cy, r_out, r_root, hole, teeth=8):
    pts = []
    steps = teeth * 4
    for i in range(steps):
        phase = i % 4
        a = 2 * math.pi * (i // 4) / teeth
        # tooth: rise, top, top, fall
        offs = (-0.36, -0.2, 0.2, 0.36)[phase] * (2 * math.pi / teeth)
        rad = r_root if phase in (0, 3) else r_out
        pts.append((cx + rad * math.cos(a + offs), cy + rad * math.sin(a + offs)))
    body = m_or(poly(c, pts), disc(c, cx, cy, r_root))
    return m_sub(body, disc(c, cx, cy, hole))


def glyph_person(c, cx, cy, r):
    head = disc(c, cx, cy - r * 0.30, r * 0.30)
    shoulders = ellipse(c, (cx - r * 0.62, cy + r * 0.08, cx + r * 0.62, cy + r * 1.25))
    gap = disc(c, cx, cy - r * 0.30, r * 0.42)
    return m_or(head, m_sub(shoulders, gap))


def glyph_box(c, cx, cy, r):
    """Isometric product box: returns (top, left, right) face masks."""
    a = r * 0.86
    h = r * 0.5
    top = [(cx, cy - r), (cx + a, cy - r + h), (cx, cy - r + 2 * h), (cx - a, cy - r + h)]
    left = [(cx - a, cy - r + h), (cx, cy - r + 2 * h), (cx, cy + r), (cx - a, cy + r - h)]
    right = [(cx + a, cy - r + h), (cx, cy - r + 2 * h), (cx, cy + r), (cx + a, cy + r - h)]
    return poly(c, top), poly(c, left), poly(c, right), (top, left, right)


# ---------------------------------------------------------------- icons

def icon_canvas(size=43):
    return Canvas(size, size, ss=8)


def nav_icon(kind):
    """Ringed round icon for the bottom bar: back, next or close."""
    c = icon_canvas()
    cx = cy = 21.5
    c.paint(disc(c, cx, cy, 19.0), vgrad(c, [(0.0, (40, 78, 112, 150)),
                                              (1.0, (6, 14, 22, 150))], 3, 40))
    c.paint(ring(c, cx, cy, 19.6, 2.6), CYAN)
    w = 3.6
    if kind == "back":
        g = glyph_arrow(c, cx - 0.4, cy, 17.0, -1, w)
    elif kind == "next":
        g = glyph_arrow(c, cx + 0.4, cy, 17.0, 1, w)
    else:
        g = glyph_cross(c, cx, cy, 12.5, w)
    c.paint(g, CYAN)
    return c.result()


def next_picture():
    """Solid variant of the next button: cyan disc, dark arrow."""
    c = icon_canvas()
    cx = cy = 21.5
    c.paint(disc(c, cx, cy, 19.6), vgrad(c, [(0.0, (226, 255, 255)),
                                              (1.0, (140, 214, 232))], 2, 41))
    c.paint(ring(c, cx, cy, 19.6, 1.2), STEEL, 0.8)
    c.paint(glyph_arrow(c, cx + 0.4, cy, 17.0, 1, 3.8), (8, 22, 34))
    return c.result()


def x_picture():
    c = icon_canvas()
    c.paint(glyph_cross(c, 21.5, 21.5, 22.0, 5.2), CYAN)
    return c.result()


def trash_icon():
    c = icon_canvas()
    c.paint(glyph_trash(c, 0, 0, 1.0, 3.0), CYAN)
    return c.result()


def trash_small():
    c = Canvas(26, 26, ss=12)
    c.paint(glyph_trash(c, 0, 0, 26 / 43.0, 1.9, fill_body=True), CYAN)
    return c.result()


def install_icon():
    c = icon_canvas()
    c.paint(glyph_install(c, 21.5, 21.5, 28.0, 3.6), CYAN)
    return c.result()


def update_icon():
    c = icon_canvas()
    c.paint(glyph_update(c, 21.5, 21.5, 31.0, 3.6), CYAN)
    return c.result()


def settings_icon():
    c = icon_canvas()
    c.paint(glyph_gear(c, 21.5, 21.5, 18.5, 14.2, 6.2), CYAN)
    c.paint(ring(c, 21.5, 21.5, 10.0, 1.2), (8, 22, 34), 0.55)
    return c.result()


# ---------------------------------------------------------------- bar buttons

BAR_W, BAR_H = 133, 29


BAR_BOX, BAR_R = (0.5, 0.5, BAR_W - 0.5, BAR_H - 0.5), 8.0


def bar_picture(kind):
    c = Canvas(BAR_W, BAR_H, ss=8)
    box, r = BAR_BOX, BAR_R
    body = rrect(c, box, r)
    c.paint(body, vgrad(c, [(0.0, (52, 98, 138)), (0.5, (26, 52, 76)),
                            (1.0, (12, 26, 40))]))
    # icon well on the left
    well = rrect(c, (2.5, 2.5, 29.0, BAR_H - 2.5), 6.5)
    c.paint(well, (4, 12, 20), 0.55)
    div = m_and(rrect(c, (29.5, 5, 30.5, BAR_H - 5), 0),
                vgrad(c, [(0.0, (0, 0, 0, 0)), (0.5, (0, 0, 0, 255)),
                          (1.0, (0, 0, 0, 0))], 5, BAR_H - 5).getchannel("A"))
    c.paint(div, CYAN, 0.45)
    cx, cy = 15.8, BAR_H / 2.0
    if kind == "install":
        g = glyph_install(c, cx, cy, 14.0, 2.1)
    elif kind == "update":
        g = glyph_update(c, cx, cy, 15.5, 2.0)
    else:
        g = glyph_trash(c, cx - 21.5 * 0.43, cy - 21.5 * 0.43, 0.43, 1.75)
    c.glow(g, CYAN, 1.6, 0.35)
    c.paint(g, CYAN)
    c.paint(rrect_ring(c, box, r, 1.0), CYAN, 0.75)
    c.paint(rrect_ring(c, inset(box, 1.0), r - 1.0, 0.8),
            vgrad(c, [(0.0, (255, 255, 255, 70)), (0.35, (255, 255, 255, 0))]))
    return c.result()


def shine_picture():
    c = Canvas(BAR_W, BAR_H, ss=8)
    box, r = BAR_BOX, BAR_R
    gloss = rrect(c, (1.5, 1.5, BAR_W - 1.5, BAR_H * 0.52), 7.0)
    c.paint(gloss, vgrad(c, [(0.0, (255, 255, 255, 92)), (1.0, (255, 255, 255, 10))],
                         1.5, BAR_H * 0.52))
    # a faint sweep of light across the left third
    sweep = m_and(rrect(c, box, r), poly(c, [(18, 0), (40, 0), (26, BAR_H), (4, BAR_H)]))
    c.paint(sweep.filter(ImageFilter.GaussianBlur(3 * c.ss)), WHITE, 0.10)
    return c.result()


# ---------------------------------------------------------------- welcome tiles

TILE = 204


def tile_picture(kind, state):
    """kind: download, existing, register; state 1 normal, 2 over, 3 down."""
    accent = {"download": YELLOW, "existing": GREEN, "register": PINK}[kind]
    c = Canvas(TILE, TILE)
    if state == 3:
        box, dy = (9.0, 9.0, TILE - 9.0, TILE - 9.0), 1.5
    else:
        box, dy = (6.0, 6.0, TILE - 6.0, TILE - 6.0), 0.0
    r = 18.0
    body = rrect(c, box, r)

    if state == 2:
        c.glow(body, CYAN, 2.0, 0.45)
        face = [(0.0, (34, 64, 92)), (0.36, (12, 24, 36)), (1.0, (5, 9, 14))]
    elif state == 3:
        face = [(0.0, (12, 22, 32)), (0.36, (5, 10, 15)), (1.0, (2, 4, 6))]
    else:
        face = [(0.0, (24, 44, 64)), (0.36, (9, 17, 26)), (1.0, (3, 6, 10))]
    c.paint(body, vgrad(c, face, box[1], box[3]))

    # upper gloss
    gloss = m_and(body, rrect(c, (box[0], box[1], box[2], 70 + dy), r))
    c.paint(gloss, vgrad(c, [(0.0, (255, 255, 255, 20)), (1.0, (255, 255, 255, 0))],
                         box[1], 70 + dy))

    # emblem badge
    cx, cy, br = TILE / 2.0, 44.0 + dy, 26.5
    halo = {1: 0.30, 2: 0.55, 3: 0.15}[state]
    c.paint(m_and(body, disc(c, cx, cy, 38).filter(
        ImageFilter.GaussianBlur(8 * c.ss))), accent, halo * 0.6)
    badge = disc(c, cx, cy, br)
    c.paint(badge, vgrad(c, [(0.0, (30, 58, 84)), (1.0, (6, 12, 18))],
                         cy - br, cy + br))
    glyph_col = CYAN if state != 3 else lerp(CYAN, (60, 90, 100), 0.35)
    inner = disc(c, cx, cy, br - 2.2)
    if kind == "download":
        g = glyph_install(c, cx, cy + 0.5, 24.0, 3.4)
    elif kind == "existing":
        g = m_and(glyph_person(c, cx, cy + 3.0, 19.0), inner)
    else:
        top, left, right, faces = glyph_box(c, cx, cy + 0.5, 15.0)
        c.paint(top, glyph_col, 0.95)
        c.paint(left, glyph_col, 0.55)
        c.paint(right, glyph_col, 0.32)
        g = c.mask()
        for f in faces:
            g = stroke(c, f, 1.4, closed=True, m=g)
        # tape across the lid
        a = 15.0 * 0.86
        g = stroke(c, [(cx - a / 2, cy + 0.5 - 15 + 15 * 0.25),
                       (cx + a / 2, cy + 0.5 - 15 + 15 * 0.75)], 1.6, m=g)
        g = m_and(g, inner)
    c.glow(g, accent if state != 3 else STEEL, 2.5, 0.35 if state != 3 else 0.2)
    c.paint(g, glyph_col)
    ring_col = accent if state == 2 else CYAN
    c.paint(ring(c, cx, cy, br, 2.0), ring_col, {1: 0.85, 2: 1.0, 3: 0.45}[state])

    # accent rule under the caption band
    rule = hfade_mask(c, cx - 34, cx + 34, 176.5 + dy, 178.5 + dy, edge=0.35)
    c.paint(rule, accent, {1: 0.75, 2: 1.0, 3: 0.35}[state])

    # frame
    if state == 2:
        c.paint(rrect_ring(c, box, r, 2.0), CYAN)
    elif state == 3:
        c.paint(rrect_ring(c, box, r, 1.5), STEEL, 0.9)
        # inner shadow: pressed in
        sh = m_sub(body, rrect(c, (box[0] + 2, box[1] + 4, box[2] - 2, box[3]), r))
        c.paint(sh.filter(ImageFilter.GaussianBlur(2 * c.ss)), (0, 0, 0), 0.8)
    else:
        c.paint(rrect_ring(c, box, r, 1.5), CYAN, 0.55)
    if state != 3:
        hl = m_and(rrect_ring(c, inset(box, 1.5), r - 1.5, 1.0),
                   vgrad(c, [(0.0, (0, 0, 0, 255)), (0.25, (0, 0, 0, 0))],
                         box[1], box[3]).getchannel("A"))
        c.paint(hl, WHITE, 0.18)
    return c.result()


# ---------------------------------------------------------------- full window

def backdrop(with_logo):
    c = Canvas(WIN_W, WIN_H, ss=2)
    full = rrect(c, (0, 0, WIN_W, WIN_H), 0)
    c.paint(full, vgrad(c, [(0.0, (12, 22, 34)), (0.38, (3, 7, 11)),
                            (1.0, (0, 0, 0))]))
    # cool light from above
    c.glow(ellipse(c, (140, -150, 645, 110)), STEEL, 70, 0.32)
    # faint light from the lower right corner
    c.glow(ellipse(c, (560, 300, 900, 560)), STEEL, 90, 0.10)

    if with_logo:
        # rule under the wordmark
        c.paint(hfade_mask(c, 60, WIN_W - 60, 116, 117, edge=0.5), CYAN, 0.22)

    # footer strip for the button row
    foot = rrect(c, (0, 425, WIN_W, WIN_H), 0)
    c.paint(foot, vgrad(c, [(0.0, (10, 18, 28)), (1.0, (1, 2, 4))], 425, WIN_H))
    c.paint(hfade_mask(c, 0, WIN_W, 425, 426, edge=0.45), CYAN, 0.45)
    c.glow(hfade_mask(c, 120, WIN_W - 120, 424, 427, edge=0.5), STEEL, 6, 0.5)

    if with_logo:
        draw_wordmark(c, WIN_W / 2.0, 62.0)
    return c.result(opaque=True)


def draw_wordmark(c, cx, base, size=40.0, mark_r=23.0, subtitle=True):
    word = "QUORVELAN"
    track = size * 0.16
    tw = text_width(word, FONT_MARK, size, track)
    gap = mark_r * 0.75
    total = mark_r * 2 + gap + tw
    x0 = cx - total / 2.0
    mcx = x0 + mark_r
    mcy = base - size * 0.36
    mark = logo_mark(c, mcx, mcy, mark_r)
    txt = text_mask(c, x0 + mark_r * 2 + gap, base, word, FONT_MARK, size,
                    anchor="ls", tracking=track)
    both = m_or(mark, txt)
    c.glow(both, STEEL, 9, 0.9)
    c.glow(both, CYAN, 2.5, 0.25)
    fill = vgrad(c, [(0.0, (236, 255, 255)), (0.55, CYAN), (1.0, (128, 196, 222))],
                 base - size * 0.78, base)
    c.paint(txt, fill)
    c.paint(mark, fill)
    if subtitle:
        sub = text_mask(c, x0 + mark_r * 2 + gap + tw / 2.0, base + 22, "PLUG-IN MANAGER",
                        FONT_THIN, 12.5, anchor="ms", tracking=6.2)
        c.paint(sub, (128, 176, 210))


def panel(c, box, r=16.0, fill_alpha=200, outline=0.45):
    body = rrect(c, box, r)
    c.glow(body, (0, 0, 0), 6, 0.6)
    c.paint(body, vgrad(c, [(0.0, (18, 34, 50, fill_alpha)), (0.4, (8, 16, 25, fill_alpha)),
                            (1.0, (3, 6, 10, fill_alpha))], box[1], box[3]))
    c.paint(rrect_ring(c, box, r, 1.0), CYAN, outline)
    hl = m_and(rrect_ring(c, inset(box, 1.0), r - 1.0, 1.0),
               vgrad(c, [(0.0, (0, 0, 0, 255)), (0.12, (0, 0, 0, 0))],
                     box[1], box[3]).getchannel("A"))
    c.paint(hl, WHITE, 0.12)
    return body


def overlay_canvas():
    return Canvas(WIN_W, WIN_H, ss=2)


def globe(c, cx, cy, r, w):
    m = ring(c, cx, cy, r, w)
    m = m_or(m, m_and(m_sub(ellipse(c, (cx - r * 0.45, cy - r, cx + r * 0.45, cy + r)),
                            ellipse(c, (cx - r * 0.45 + w, cy - r + w,
                                        cx + r * 0.45 - w, cy + r - w))),
                      disc(c, cx, cy, r)))
    m = stroke(c, [(cx - r + w, cy), (cx + r - w, cy)], w * 0.9, caps=False, m=m)
    m = stroke(c, [(cx, cy - r + w), (cx, cy + r - w)], w * 0.9, caps=False, m=m)
    for k in (-0.5, 0.5):
        yy = cy + k * r
        half = math.sqrt(max(0.0, r * r - (k * r) ** 2)) - w
        m = stroke(c, [(cx - half, yy), (cx + half, yy)], w * 0.8, caps=False, m=m)
    return m


def blue_box_languages():
    """Welcome page overlay; it is drawn 10 px lower than the window."""
    c = overlay_canvas()
    oy = -10.0  # window y to picture y
    # frame around the three large buttons
    tiles = (48, 132 + oy, WIN_W - 48, 374 + oy)
    body = rrect(c, tiles, 22)
    c.glow(body, STEEL, 14, 0.25)
    c.paint(body, vgrad(c, [(0.0, (20, 44, 68, 170)), (1.0, (4, 10, 16, 170))],
                        tiles[1], tiles[3]))
    c.paint(rrect_ring(c, tiles, 22, 1.0), CYAN, 0.35)
    # box around the language list
    box = (268, 395 + oy, 484, 436 + oy)
    b = rrect(c, box, 12)
    c.glow(b, STEEL, 8, 0.45)
    c.paint(b, vgrad(c, [(0.0, (30, 62, 92)), (1.0, (8, 18, 28))], box[1], box[3]))
    c.paint(rrect_ring(c, box, 12, 1.2), CYAN, 0.7)
    c.paint(globe(c, 290.5, 415.5 + oy, 10.0, 1.7), CYAN)
    return c.result()


def form_overlay(boxes):
    c = overlay_canvas()
    for box in boxes:
        panel(c, box)
    return c.result()


def forgotten_password_screen():
    c = overlay_canvas()
    panel(c, (128, 134, 644, 318))
    # padlock beside the form
    cx, cy = 210, 283
    body = rrect(c, (cx - 14, cy - 8, cx + 14, cy + 14), 4)
    shackle = stroke(c, arc_points(cx, cy - 9, 9, 180, 360), 3.2, caps=False)
    shackle = stroke(c, [(cx - 9, cy - 9), (cx - 9, cy - 6)], 3.2, caps=False, m=shackle)
    shackle = stroke(c, [(cx + 9, cy - 9), (cx + 9, cy - 6)], 3.2, caps=False, m=shackle)
    hole = m_or(disc(c, cx, cy + 1.5, 3.0), rrect(c, (cx - 1.2, cy + 2, cx + 1.2, cy + 8), 1))
    lock = m_sub(m_or(body, shackle), hole)
    c.glow(lock, STEEL, 5, 0.6)
    c.paint(lock, CYAN, 0.85)
    return c.result()


def status_screen_box_overlay():
    """Product box panel; only columns 525+ and rows 100+ are ever shown."""
    c = overlay_canvas()
    box = (535, 140, 773, 415)
    panel(c, box, r=16, fill_alpha=245, outline=0.65)
    cx = (box[0] + box[2]) / 2.0
    c.glow(disc(c, cx, 262, 70), STEEL, 28, 0.55)

    # floor reflection
    c.paint(ellipse(c, (cx - 80, 356, cx + 80, 374)).filter(
        ImageFilter.GaussianBlur(6 * c.ss)), STEEL, 0.45)

    # the box: front face, side face, lid
    fx0, fx1, fy0, fy1 = cx - 62, cx + 40, 190, 362
    d = 26.0   # depth offset to the right
    e = 16.0   # depth offset upwards
    front = [(fx0, fy0), (fx1, fy0), (fx1, fy1), (fx0, fy1)]
    side = [(fx1, fy0), (fx1 + d, fy0 - e), (fx1 + d, fy1 - e), (fx1, fy1)]
    top = [(fx0, fy0), (fx0 + d, fy0 - e), (fx1 + d, fy0 - e), (fx1, fy0)]
    fm, sm, tm = poly(c, front), poly(c, side), poly(c, top)
    c.glow(m_or(m_or(fm, sm), tm), (0, 0, 0), 6, 0.8)
    c.paint(fm, vgrad(c, [(0.0, (40, 80, 116)), (0.5, (16, 34, 52)),
                          (1.0, (6, 12, 20))], fy0, fy1))
    c.paint(sm, vgrad(c, [(0.0, (18, 36, 54)), (1.0, (3, 7, 12))], fy0 - e, fy1))
    c.paint(tm, hgrad(c, [(0.0, (70, 120, 156)), (1.0, (48, 92, 126))], fx0, fx1 + d))
    # diagonal sheen on the front
    sheen = m_and(fm, poly(c, [(fx0, fy0), (fx0 + 60, fy0), (fx0, fy0 + 90)]))
    c.paint(sheen.filter(ImageFilter.GaussianBlur(8 * c.ss)), WHITE, 0.10)
    # artwork on the front
    fcx = (fx0 + fx1) / 2.0
    mark = logo_mark(c, fcx, 238, 22)
    c.glow(mark, CYAN, 3, 0.45)
    c.paint(mark, CYAN)
    word = text_mask(c, fcx, 288, "QUORVELAN", FONT_MARK, 12.5, anchor="ms",
                     tracking=1.6)
    c.paint(word, CYAN)
    sub = text_mask(c, fcx, 302, "AUDIO PLUG-INS", FONT_THIN, 7.5, anchor="ms",
                    tracking=2.2)
    c.paint(sub, (128, 176, 210))
    # waveform band near the bottom
    pts = []
    for i in range(161):
        u = i / 160.0
        env = 0.35 + 0.65 * math.sin(math.pi * u) ** 2
        pts.append((fx0 + 10 + (fx1 - fx0 - 20) * u,
                    334 - 10 * env * math.sin(2 * math.pi * 5.5 * u) *
                    math.cos(2 * math.pi * 1.3 * u)))
    wave = stroke(c, pts, 1.3)
    c.glow(wave, CYAN, 2, 0.5)
    c.paint(wave, CYAN, 0.9)
    # spine text on the side
    spine = Image.new("L", (int(170 * c.ss), int(20 * c.ss)), 0)
    sd = ImageDraw.Draw(spine)
    sf = ImageFont.truetype(FONT_MARK, int(9 * c.ss))
    sd.text((spine.size[0] / 2, spine.size[1] / 2), "QUORVELAN", font=sf, fill=255,
            anchor="mm")
    spine = spine.rotate(90, expand=True, resample=Image.BICUBIC)
    # shear into the side face
    sw, sh = spine.size
    k = -e / d
    spine = spine.transform((sw, sh + int(abs(k) * sw) + 1), Image.AFFINE,
                            (1, 0, 0, -k, 1, 0), resample=Image.BICUBIC)
    sm_full = c.mask()
    px = int((fx1 + d / 2.0) * c.ss - sw / 2.0)
    py = int(((fy0 + fy1) / 2.0 - e) * c.ss - spine.size[1] / 2.0)
    sm_full.paste(spine, (px, py))
    c.paint(m_and(sm_full, sm), CYAN, 0.55)
    # edges
    edges = stroke(c, front, 1.1, closed=True)
    edges = stroke(c, [(fx1, fy0), (fx1 + d, fy0 - e), (fx1 + d, fy1 - e), (fx1, fy1)],
                   1.1, m=edges)
    edges = stroke(c, [(fx0, fy0), (fx0 + d, fy0 - e), (fx1 + d, fy0 - e)], 1.1, m=edges)
    c.paint(edges, CYAN, 0.65)
    c.paint(stroke(c, [(fx0, fy0), (fx1, fy0), (fx1 + d, fy0 - e)], 1.3), WHITE, 0.55)
    return c.result()


# ---------------------------------------------------------------- app icon

def app_icon_frame(size):
    ss = max(4, 1024 // size)
    c = Canvas(size, size, ss=ss)
    k = size / 256.0
    box = (8 * k, 8 * k, size - 8 * k, size - 8 * k) if size > 16 else (0.5, 0.5, 15.5, 15.5)
    r = 54 * k if size > 16 else 3.5
    body = rrect(c, box, r)
    c.paint(body, vgrad(c, [(0.0, (30, 60, 88)), (0.55, (8, 16, 26)), (1.0, (2, 4, 8))]))
    if size >= 48:
        c.paint(m_and(body, disc(c, size / 2.0, size * 0.46, size * 0.34).filter(
            ImageFilter.GaussianBlur(size * 0.12 * ss))), STEEL, 0.55)
    c.paint(rrect_ring(c, box, r, max(4.5 * k, 1.0)), CYAN, 0.9)
    mr = size * (0.30 if size > 16 else 0.31)
    mark = logo_mark(c, size * 0.485, size * 0.485, mr, detail=size >= 32)
    if size >= 48:
        c.glow(mark, CYAN, size * 0.02, 0.5)
    c.paint(mark, CYAN)
    return c.result()


def save_app_icon():
    frames = {s: app_icon_frame(s) for s in (16, 32, 48, 256)}
    path = os.path.join(ART_DIR, "app_icon.ico")
    frames[256].save(path, format="ICO", sizes=[(s, s) for s in (16, 32, 48, 256)],
                     append_images=[frames[s] for s in (16, 32, 48)])


# ---------------------------------------------------------------- contact sheet

def contact_sheet(path):
    names = sorted(n for n in os.listdir(ART_DIR) if n.endswith(".png"))
    cells = []
    font = ImageFont.truetype(find_font("DejaVuSans.ttf", "LiberationSans-Regular.ttf"), 12)
    for n in names:
        im = Image.open(os.path.join(ART_DIR, n)).convert("RGBA")
        cells.append((n, im))
    ico = Image.open(os.path.join(ART_DIR, "app_icon.ico"))
    for s in sorted(ico.info.get("sizes", [])):
        ico.size = s
        cells.append(("app_icon.ico", ico.convert("RGBA").copy()))
    # largest first so the full-window pictures pair up and the icons pack
    cells.sort(key=lambda nc: (-nc[1].size[1], -nc[1].size[0], nc[0]))
    col_w, max_w = 10, 1620
    x = y = col_w
    row_h = 0
    placed = []
    for n, im in cells:
        w, h = im.size[0] + 10, im.size[1] + 26
        w = max(w, 175)
        if x + w > max_w:
            x, y, row_h = col_w, y + row_h + 10, 0
        placed.append((x, y, n, im))
        x += w + 10
        row_h = max(row_h, h)
    sheet_h = y + row_h + 10
    sheet = Image.new("RGBA", (max_w, sheet_h), (90, 90, 90, 255))
    chk = Image.new("RGBA", (max_w, sheet_h), (120, 120, 120, 255))
    dd = ImageDraw.Draw(chk)
    for yy in range(0, sheet_h, 8):
        for xx in range(0, max_w, 8):
            if (xx // 8 + yy // 8) % 2:
                dd.rectangle([xx, yy, xx + 7, yy + 7], fill=(150, 150, 150, 255))
    d = ImageDraw.Draw(sheet)
    for x, y, n, im in placed:
        sheet.paste(chk.crop((x, y, x + im.size[0], y + im.size[1])), (x, y))
        sheet.alpha_composite(im, (x, y))
        d.text((x, y + im.size[1] + 4), "%s  %dx%d" % (n, im.size[0], im.size[1]),
               font=font, fill=(255, 255, 255, 255))
    sheet.convert("RGB").save(path)


# ---------------------------------------------------------------- main

def draw_all():
    os.makedirs(ART_DIR, exist_ok=True)
    save_png(backdrop(False), "backdrop_screen_blank.png")
    save_png(backdrop(True), "backdrop_screen_logo.png")
    save_png(blue_box_languages(), "blue_box_languages.png")
    save_png(status_screen_box_overlay(), "status_screen_box_overlay.png")
    save_png(form_overlay([(30, 204, 372, 418)]), "login_screen_boxes.png")
    save_png(form_overlay([(86, 150, 378, 416)]), "registration_screen_1_boxes.png")
    save_png(form_overlay([(86, 157, 378, 348), (405, 157, 706, 348)]),
             "registration_screen_2_boxes.png")
    save_png(forgotten_password_screen(), "forgotten_password_screen.png")
    for kind, stem in (("download", "download"), ("existing", "existing"),
                       ("register", "register_box")):
        for state in (1, 2, 3):
            save_png(tile_picture(kind, state), "%s_%d.png" % (stem, state))
    save_png(nav_icon("back"), "back_icon.png")
    save_png(nav_icon("next"), "next_icon.png")
    save_png(nav_icon("close"), "close_icon.png")
    save_png(next_picture(), "next.png")
    save_png(x_picture(), "x.png")
    save_png(trash_icon(), "trash_icon.png")
    save_png(trash_small(), "trash_small.png")
    save_png(install_icon(), "install_icon.png")
    save_png(update_icon(), "update_icon.png")
    save_png(settings_icon(), "settings_icon.png")
    save_png(bar_picture("install"), "install_all.png")
    save_png(bar_picture("update"), "update_all.png")
    save_png(bar_picture("remove"), "remove_all.png")
    save_png(shine_picture(), "shine_all.png")
    save_app_icon()


def main(argv):
    sys.path.insert(0, HERE)
    import check_art
    if "--check" in argv:
        return check_art.check(ART_DIR)
    if "--sheet" in argv:
        i = argv.index("--sheet")
        contact_sheet(argv[i + 1] if i + 1 < len(argv) else "/tmp/art_sheet.png")
        return 0
    draw_all()
    return check_art.check(ART_DIR)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
