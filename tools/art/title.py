"""The title logo: ZEMBROL / FINK over a patch of jungle where a few small
purple creatures hide among the leaves, and a version mark.

The logo is opaque and sits over the middle of the background (its top row
on screen row 92), so its backdrop starts from that very strip of the
background and every decoration fades out towards the top and bottom rows:
the seams disappear.
"""

import math
import random

from PIL import Image, ImageDraw, ImageFilter

from . import caption
from .scenery import SS, _leaf

W, H = 240, 125
SCREEN_TOP = 92          # the logo's sprite is centred at (120, 154)
FADE = 10                # rows over which decorations fade out at the edges

PURPLE = ((200, 150, 240), (150, 80, 200), (88, 40, 130))


def _edge_fade():
    ramp = Image.new("L", (W, H))
    px = ramp.load()
    for y in range(H):
        v = min(1.0, y / FADE, (H - 1 - y) / FADE)
        for x in range(W):
            px[x, y] = int(255 * max(0.0, v))
    return ramp


def _critter(draw, x, y, r, look, blink=False):
    """A small purple blob with big eyes, drawn at SS scale; look is -1..1."""
    s = SS
    light, mid, dark = PURPLE
    draw.ellipse(((x - r - 1) * s, (y - r - 1) * s, (x + r + 1) * s, (y + r + 1) * s), fill=(24, 10, 34, 255))
    draw.ellipse(((x - r) * s, (y - r) * s, (x + r) * s, (y + r) * s), fill=mid + (255,))
    draw.ellipse(((x + r * 0.05) * s, (y + r * 0.05) * s, (x + r * 0.95) * s, (y + r * 0.95) * s), fill=dark + (255,))
    draw.ellipse(((x - r) * s, (y - r) * s, (x + r * 0.7) * s, (y + r * 0.7) * s), fill=mid + (255,))
    draw.ellipse(((x - r * 0.7) * s, (y - r * 0.75) * s, (x - r * 0.2) * s, (y - r * 0.3) * s), fill=light + (255,))
    # Two ears.
    for side in (-1, 1):
        ex = x + side * r * 0.6
        draw.polygon([((ex - r * 0.3) * s, (y - r * 0.7) * s), ((ex + side * r * 0.15) * s, (y - r * 1.45) * s),
                      ((ex + r * 0.3) * s, (y - r * 0.8) * s)], fill=mid + (255,))
    for side in (-1, 1):
        ex, ey = x + side * r * 0.38, y - r * 0.05
        er = r * 0.34
        draw.ellipse(((ex - er) * s, (ey - er) * s, (ex + er) * s, (ey + er) * s), fill=(250, 250, 236, 255))
        if blink:
            draw.line(((ex - er) * s, ey * s, (ex + er) * s, ey * s), fill=(20, 10, 30, 255), width=s)
        else:
            pr = er * 0.55
            px = ex + look * er * 0.4
            draw.ellipse(((px - pr) * s, (ey - pr) * s, (px + pr) * s, (ey + pr) * s), fill=(16, 8, 24, 255))


def logo_rgb(background, seed=11):
    """background: the finished background picture (RGB, 240 x 321)."""
    rng = random.Random(seed)
    img = background.crop((0, SCREEN_TOP, W, SCREEN_TOP + H)).convert("RGBA")

    deco = Image.new("RGBA", (W * SS, H * SS), (0, 0, 0, 0))
    draw = ImageDraw.Draw(deco)
    fade = _edge_fade()
    # A pale glow behind the name: a clearing in the canopy.
    glow = Image.new("L", (W, H), 0)
    ImageDraw.Draw(glow).ellipse((14, 14, 226, 110), fill=150)
    glow = glow.filter(ImageFilter.GaussianBlur(16))
    glow = Image.composite(glow, Image.new("L", (W, H), 0), fade)
    img.paste(Image.new("RGBA", (W, H), (50, 110, 56, 255)), (0, 0), glow)

    rim = (30, 76, 34, 255)
    core = (6, 24, 10, 255)
    rib = (22, 60, 26, 255)

    def leaf(x, y, length, width, angle):
        _leaf(draw, x, y, length, width, angle, rim)
        _leaf(draw, x + math.cos(angle), y + math.sin(angle), length * 0.94, width * 0.78, angle, core, rib)

    # Broad leaves framing the name from both sides.
    for x, y, angle in ((-4, 30, 0.25), (-6, 70, -0.35), (-2, 92, 0.1), (244, 28, math.pi - 0.25),
                        (246, 66, math.pi + 0.3), (242, 94, math.pi - 0.1)):
        leaf(x, y, rng.uniform(30, 40), rng.uniform(8, 11), angle + rng.uniform(-0.1, 0.1))

    critters = [(20, 99, 6.5, 0.8, False), (44, 106, 5.0, 1.0, True), (86, 108, 4.5, 0.5, False),
                (150, 108, 4.0, -0.4, True), (184, 101, 6.0, -0.9, False), (222, 90, 4.5, -1.0, False)]
    back = [(c[0] + rng.uniform(-10, 10), c[1]) for c in critters]
    # A bank of leaves along the bottom: some behind the creatures, some in front.
    for x, y in back:
        leaf(x, H - 2, rng.uniform(22, 30), rng.uniform(6, 8), -math.pi / 2 + rng.uniform(-0.8, 0.8))
    for x, y, r, look, blink in critters:
        _critter(draw, x, y, r, look, blink)
    for i in range(16):
        x = -8 + i * 16.5 + rng.uniform(-4, 4)
        leaf(x, H + 6, rng.uniform(14, 20), rng.uniform(5, 7), -math.pi / 2 + rng.uniform(-1.1, 1.1))

    deco = deco.resize((W, H), Image.LANCZOS)
    alpha = deco.getchannel("A")
    deco.putalpha(Image.composite(alpha, Image.new("L", (W, H), 0), fade))
    img.alpha_composite(deco)

    name = caption.Caption(W, H, seed=seed + 1, outline=2, drips=1.3)
    name.line("ZEMBROL", (2, 4, 238, 56), path=caption.BOLD)
    name.line("FINK", (30, 50, 210, 102), path=caption.BOLD)
    img.alpha_composite(name.render())

    mark = caption.Caption(W, H, seed=seed + 2, colours=caption.PALE, drips=0, rough=0)
    mark.line("v1.0", (200, 104, 238, 120), path=caption.CONDENSED, size=10)
    img.alpha_composite(mark.render())
    return img.convert("RGB")
