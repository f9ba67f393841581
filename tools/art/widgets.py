"""Small interface pictures: the glow square behind each creature, the close
icon and the pause button. Shapes are drawn large and scaled down, so that
their edges are smooth at 1x; colours follow the captions' yellow-green."""

import math

from PIL import Image, ImageDraw

from .caption import INK

SS = 8
GREEN_LIGHT = (226, 252, 150)
GREEN = (182, 232, 72)
GREEN_DARK = (120, 176, 36)
GLOW_MIDDLE = (204, 242, 104)
GLOW_EDGE = (146, 206, 44)


def _finish(big, size):
    """Scales an RGBA drawing down with premultiplied alpha (no dark fringes)."""
    w, h = size
    px = big.load()
    bw, bh = big.size
    pre = Image.new("RGBA", big.size)
    pp = pre.load()
    for y in range(bh):
        for x in range(bw):
            r, g, b, a = px[x, y]
            pp[x, y] = (r * a // 255, g * a // 255, b * a // 255, a)
    small = pre.resize((w, h), Image.BOX)
    sp = small.load()
    for y in range(h):
        for x in range(w):
            r, g, b, a = sp[x, y]
            if a == 0:
                sp[x, y] = (0, 0, 0, 0)
            else:
                sp[x, y] = (min(255, r * 255 // a), min(255, g * 255 // a), min(255, b * 255 // a), a)
    return small


def glow_square():
    """20 x 20: opaque in the middle, alpha falling off over the outer three
    pixels, corners rounded; a little lighter towards the centre."""
    size = 20
    img = Image.new("RGBA", (size, size))
    px = img.load()
    inner = 6.5            # half size of the fully opaque core
    corner = 3.0
    for y in range(size):
        for x in range(size):
            dx = max(0.0, abs(x + 0.5 - 10) - (inner - corner))
            dy = max(0.0, abs(y + 0.5 - 10) - (inner - corner))
            d = math.hypot(dx, dy) - corner      # <= 0 inside the core
            a = 1.0 if d <= 0 else max(0.0, 1.0 - d / 3.5) ** 1.6
            r = math.hypot(x + 0.5 - 10, y + 0.5 - 10) / 10
            t = min(1.0, r)
            # Softer than the buttons' green, so the creature on top stands out.
            colour = tuple(int(GLOW_MIDDLE[i] + (GLOW_EDGE[i] - GLOW_MIDDLE[i]) * t) for i in range(3))
            alpha = int(round(255 * a))
            px[x, y] = colour + (alpha,) if alpha else (0, 0, 0, 0)
    return img


def close_icon():
    """16 x 16: a dark cross on a rounded yellow-green square with a dark rim."""
    s = SS
    big = Image.new("RGBA", (16 * s, 16 * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.rounded_rectangle((0, 0, 16 * s - 1, 16 * s - 1), radius=4 * s, fill=INK + (255,))
    d.rounded_rectangle((1 * s, 1 * s, 15 * s - 1, 15 * s - 1), radius=3 * s, fill=GREEN + (255,))
    d.rounded_rectangle((1 * s, 1 * s, 15 * s - 1, 8 * s), radius=3 * s, fill=GREEN_LIGHT + (255,))
    d.rectangle((1 * s, 6 * s, 15 * s - 1, 9 * s), fill=GREEN + (255,))
    w = int(2.2 * s)
    a, b = 4.5 * s, 11.5 * s
    d.line((a, a, b, b), fill=INK + (255,), width=w)
    d.line((a, b, b, a), fill=INK + (255,), width=w)
    for x, y in ((a, a), (b, b), (a, b), (b, a)):
        d.ellipse((x - w / 2, y - w / 2, x + w / 2, y + w / 2), fill=INK + (255,))
    return _finish(big, (16, 16))


def pause_button():
    """44 x 44: a round yellow-green button with two dark bars. The game puts
    its centre 14 pixels from the screen's right and bottom edges, so the
    button is kept within a radius of 13 to be seen whole."""
    s = SS
    big = Image.new("RGBA", (44 * s, 44 * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    c = 22 * s
    r = 13 * s
    d.ellipse((c - r, c - r, c + r, c + r), fill=INK + (255,))
    r2 = r - int(1.4 * s)
    d.ellipse((c - r2, c - r2, c + r2, c + r2), fill=GREEN_DARK + (255,))
    r3 = r2 - s
    d.ellipse((c - r3 - s, c - r3 - s, c + r3 - s // 2, c + r3 - s // 2), fill=GREEN + (255,))
    r4 = r3 * 0.55
    hx, hy = c - 4 * s, c - 4 * s
    d.ellipse((hx - r4, hy - r4, hx + r4, hy + r4 * 0.8), fill=GREEN_LIGHT + (255,))
    for bx in (c - 4 * s, c + 2 * s):
        d.rounded_rectangle((bx - s, c - 6 * s, bx + 2 * s, c + 6 * s), radius=s, fill=INK + (255,))
    return _finish(big, (44, 44))
