"""The jungle: the full-screen background and the title logo's backdrop.

The background has to stay dark and calm, because the puzzle's one-pixel
edges (white, and a light green) are drawn straight onto it: the leaf texture
in the middle is low in contrast and softly blurred, and only the top and the
bottom carry strong, near-black leaf silhouettes, where no edge ever goes.
"""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

W, H = 240, 321
SS = 3          # leaves are drawn this many times larger, then scaled down


def _leaf(draw, x, y, length, width, angle, fill, rib=None, scale=SS):
    """A pointed, lance-shaped leaf from its stalk at (x, y)."""
    pts = []
    ca, sa = math.cos(angle), math.sin(angle)
    steps = 14
    for side in (1, -1):
        rng = range(steps + 1) if side == 1 else range(steps, -1, -1)
        for i in rng:
            t = i / steps
            half = width * math.sin(math.pi * t) ** 0.8 * (1.0 - 0.25 * t)
            ax, ay = length * t, side * half
            pts.append(((x + ax * ca - ay * sa) * scale, (y + ax * sa + ay * ca) * scale))
    draw.polygon(pts, fill=fill)
    if rib is not None:
        draw.line([(x * scale, y * scale),
                   ((x + length * 0.9 * ca) * scale, (y + length * 0.9 * sa) * scale)],
                  fill=rib, width=max(1, scale // 2))


def _gradient(width, height, stops):
    img = Image.new("RGB", (width, height))
    px = img.load()
    for y in range(height):
        t = y / (height - 1)
        for k in range(len(stops) - 1):
            t0, c0 = stops[k]
            t1, c1 = stops[k + 1]
            if t0 <= t <= t1:
                u = (t - t0) / (t1 - t0)
                colour = tuple(int(c0[i] + (c1[i] - c0[i]) * u) for i in range(3))
                break
        for x in range(width):
            px[x, y] = colour
    return img


def background_rgb(seed=7):
    rng = random.Random(seed)
    base = _gradient(W * SS, H * SS, [(0.0, (10, 30, 14)), (0.18, (13, 38, 17)), (0.5, (16, 46, 21)),
                                     (0.82, (13, 38, 17)), (1.0, (10, 30, 14))])
    draw = ImageDraw.Draw(base)
    # Far layer: many dim leaves, all close to the ground colour.
    for _ in range(520):
        x = rng.uniform(-20, W + 20)
        y = rng.uniform(-10, H + 10)
        depth = rng.random()
        g = int(36 + 22 * depth + 8 * math.sin(y / 40.0))
        fill = (int(g * 0.36), g, int(g * 0.42))
        rib = (int(g * 0.30), int(g * 0.82), int(g * 0.36))
        _leaf(draw, x, y, rng.uniform(14, 34), rng.uniform(4, 9), rng.uniform(0, 2 * math.pi), fill, rib)
    for _ in range(160):
        x = rng.uniform(-20, W + 20)
        y = rng.uniform(-10, H + 10)
        g = rng.randint(24, 34)
        _leaf(draw, x, y, rng.uniform(18, 40), rng.uniform(5, 10), rng.uniform(0, 2 * math.pi),
              (int(g * 0.34), g, int(g * 0.4)))
    img = base.resize((W, H), Image.LANCZOS).filter(ImageFilter.GaussianBlur(0.7))
    # Vignette: darker towards the sides and the corners keeps the eye in the middle.
    shade = Image.new("L", (W, H))
    sp = shade.load()
    for y in range(H):
        for x in range(W):
            dx = (x - W / 2) / (W / 2)
            dy = (y - H / 2) / (H / 2)
            sp[x, y] = int(255 * max(0.55, 1.0 - 0.35 * (dx * dx * 0.8 + dy * dy * 0.6)))
    img = ImageChops.multiply(img, Image.merge("RGB", (shade, shade, shade)))
    _silhouettes(img, rng)
    return img


def _silhouettes(img, rng):
    """Near-black leaves hanging in from the top and growing up from the
    bottom. Each leaf gets a thin, slightly lighter rim and midrib, so that
    overlapping leaves still read as separate shapes."""
    big = Image.new("RGBA", (W * SS, H * SS), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)
    rim = (20, 50, 22, 255)
    core = (3, 12, 5, 255)
    rib = (12, 34, 15, 255)

    def leaf(x, y, length, width, angle):
        _leaf(draw, x, y, length, width, angle, rim)
        _leaf(draw, x + 0.9 * math.cos(angle), y + 0.9 * math.sin(angle),
              length * 0.95, width * 0.8, angle, core, rib)

    def spray(y0, direction, count, reach):
        for i in range(count):
            x = -14 + i * (W + 28) / (count - 1) + rng.uniform(-7, 7)
            for _ in range(3):
                angle = direction + rng.uniform(-1.0, 1.0)
                leaf(x + rng.uniform(-6, 6), y0, rng.uniform(0.6, 1.0) * reach, rng.uniform(7, 12), angle)

    spray(-8, math.pi / 2, 10, 52)
    spray(H + 8, -math.pi / 2, 11, 58)
    # A few long leaves reaching further in, from the corners.
    for x, y, angle in ((-6, -6, 1.0), (W + 6, -6, math.pi - 1.0), (-6, H + 6, -1.0), (W + 6, H + 6, math.pi + 1.0)):
        leaf(x, y, 74, 15, angle + rng.uniform(-0.15, 0.15))
    layer = big.resize((W, H), Image.LANCZOS)
    base = img.convert("RGBA")
    base.alpha_composite(layer)
    img.paste(base.convert("RGB"))


def to_palette(img, colours=256):
    """Quantises to a palette whose entries are exact RGB565 colours, so that
    the game's channel truncation shows exactly what the file holds."""
    q = img.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.FLOYDSTEINBERG)
    pal = q.getpalette()[:colours * 3]
    fixed = []
    for i, v in enumerate(pal):
        bits = 6 if i % 3 == 1 else 5
        top = (1 << bits) - 1
        level = min(top, int(round(v * top / 255.0)))
        fixed.append((level * 255 + top // 2) // top)
    q.putpalette(fixed)
    return q
