"""The desktop icon: our creature, at the sizes a desktop menu asks for.

At 16 and 32 pixels the creature's own 14 x 14 pixel drawing (looking up and
to the right) is used as it is, doubled for 32, because any smoother drawing
turns to mush that small. From 48 pixels up the icon is a little scene: a
tile of the game's dark jungle green on which a large creature, drawn smooth
and lit from the top left like the sprite, is joined by light green lines to
two smaller ones, a tangle already solved. These icons are for the desktop
only; the game does not embed them.
"""

import math

from PIL import Image, ImageDraw

from . import creature

SIZES = (16, 32, 48, 64, 128, 256)
SS = 4                      # drawn this many times larger, then scaled down

TILE_TOP = (18, 52, 24)
TILE_BOTTOM = (9, 28, 13)
TILE_RIM = (4, 14, 6)
LINE = (182, 232, 72)
LINE_DARK = (16, 34, 10)

# Positions on a 1 x 1 tile, radius as a share of the tile, facing in radians
# (counter-clockwise from the right, as the game turns its creatures).
BIG = (0.37, 0.60, 0.225, math.pi / 4)
SMALL = [(0.78, 0.22, 0.095, math.pi / 2 + 0.5), (0.80, 0.79, 0.09, math.pi - 0.3)]


def _pixel_creature(scale):
    """The sprite's up-right pose, every pixel scaled by a whole number."""
    pixels = creature.frame_pixels(0, 1)
    cell = creature.CELL * scale
    img = Image.new("RGBA", (cell, cell), (0, 0, 0, 0))
    px = img.load()
    for r, row in enumerate(pixels):
        for c, colour in enumerate(row):
            if colour is None:
                continue
            for dy in range(scale):
                for dx in range(scale):
                    px[c * scale + dx, r * scale + dy] = colour + (255,)
    return img


def _mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def _creature_smooth(img, cx, cy, radius, facing):
    """A smooth creature on an RGBA picture (already SS times larger): dark
    rim, a round body shaded from the top left with a shine, a two-tone beak
    and two eyes whose pupils look where the beak points."""
    lit, mid, shade, shine, beak_lit, beak_shade = creature.COATS[0]
    fx, fy = math.cos(facing), -math.sin(facing)      # screen y grows down
    rim = max(1.5 * SS, radius * 0.13)

    def beak(grow):
        side = 0.62
        base = radius * 0.78
        tip = radius * 1.48 + grow
        left = (cx + base * math.cos(facing + side) - grow * fy, cy - base * math.sin(facing + side) + grow * fx)
        right = (cx + base * math.cos(facing - side) + grow * fy, cy - base * math.sin(facing - side) - grow * fx)
        return [left, (cx + tip * fx, cy + tip * fy), right]

    draw = ImageDraw.Draw(img)
    ink = creature.OUTLINE + (255,)
    draw.ellipse((cx - radius - rim, cy - radius - rim, cx + radius + rim, cy + radius + rim), fill=ink)
    draw.polygon(beak(rim * 0.7), fill=ink)

    # The beak in two tones, split along its length: the lit half faces the light.
    left, point, right = beak(0)
    mid_base = ((left[0] + right[0]) / 2, (left[1] + right[1]) / 2)
    halves = [[left, point, mid_base], [mid_base, point, right]]
    lit_first = (left[0] + left[1]) < (right[0] + right[1])
    draw.polygon(halves[0], fill=(beak_lit if lit_first else beak_shade) + (255,))
    draw.polygon(halves[1], fill=(beak_shade if lit_first else beak_lit) + (255,))

    px = img.load()
    x0, x1 = int(cx - radius) - 1, int(cx + radius) + 2
    y0, y1 = int(cy - radius) - 1, int(cy + radius) + 2
    sx, sy = cx - radius * 0.42, cy - radius * 0.42
    for y in range(max(0, y0), min(img.height, y1)):
        for x in range(max(0, x0), min(img.width, x1)):
            dx, dy = (x + 0.5 - cx) / radius, (y + 0.5 - cy) / radius
            if dx * dx + dy * dy > 1.0:
                continue
            t = (dx + dy) / math.sqrt(2)                     # -1 lit .. 1 shaded
            colour = _mix(lit, mid, (t + 1) / 1.0) if t < 0 else _mix(mid, shade, min(1.0, t * 1.15))
            s = math.hypot(x + 0.5 - sx, y + 0.5 - sy) / (radius * 0.24)
            if s < 1.0:
                colour = _mix(colour, shine, (1.0 - s) ** 0.7)
            px[x, y] = colour + (255,)

    for side in (1, -1):
        angle = facing + side * 0.95
        ex, ey = cx + radius * 0.5 * math.cos(angle), cy - radius * 0.5 * math.sin(angle)
        white = radius * 0.23
        pupil = radius * 0.13
        draw.ellipse((ex - white - rim * 0.5, ey - white - rim * 0.5, ex + white + rim * 0.5, ey + white + rim * 0.5),
                     fill=ink)
        draw.ellipse((ex - white, ey - white, ex + white, ey + white), fill=creature.EYE + (255,))
        px_, py_ = ex + fx * white * 0.42, ey + fy * white * 0.42
        draw.ellipse((px_ - pupil, py_ - pupil, px_ + pupil, py_ + pupil), fill=creature.PUPIL + (255,))


def _downscale(big, size):
    """Box-filters with premultiplied alpha, so edges get no dark fringe."""
    w, h = big.size
    pre = Image.new("RGBA", big.size)
    src, dst = big.load(), pre.load()
    for y in range(h):
        for x in range(w):
            r, g, b, a = src[x, y]
            dst[x, y] = (r * a // 255, g * a // 255, b * a // 255, a)
    small = pre.resize((size, size), Image.BOX)
    sp = small.load()
    for y in range(size):
        for x in range(size):
            r, g, b, a = sp[x, y]
            sp[x, y] = (0, 0, 0, 0) if a == 0 else (min(255, r * 255 // a), min(255, g * 255 // a),
                                                    min(255, b * 255 // a), a)
    return small


def _scene(size):
    n = size * SS
    big = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    # The tile: a rounded square with a dark rim.
    inset = n * 0.03
    corner = n * 0.2
    mask = Image.new("L", (n, n), 0)
    ImageDraw.Draw(mask).rounded_rectangle((inset, inset, n - 1 - inset, n - 1 - inset), radius=corner, fill=255)
    ground = Image.new("RGBA", (n, n))
    gp = ground.load()
    for y in range(n):
        colour = _mix(TILE_TOP, TILE_BOTTOM, y / (n - 1)) + (255,)
        for x in range(n):
            gp[x, y] = colour
    big.paste(ground, (0, 0), mask)
    draw = ImageDraw.Draw(big)
    rim = max(SS, n * 0.012)
    draw.rounded_rectangle((inset, inset, n - 1 - inset, n - 1 - inset), radius=corner,
                           outline=TILE_RIM + (255,), width=int(round(rim)))

    # The solved tangle: every line free, so every line light green.
    beasts = [BIG] + SMALL
    centres = [(x * n, y * n) for x, y, _, _ in beasts]
    width = max(SS * 1.0, n * 0.022)
    pairs = [(0, 1), (0, 2), (1, 2)]
    for a, b in pairs:
        draw.line((centres[a], centres[b]), fill=LINE_DARK + (255,), width=int(round(width * 2.2)))
    for a, b in pairs:
        draw.line((centres[a], centres[b]), fill=LINE + (255,), width=int(round(width)))
    for x, y, r, facing in SMALL + [BIG]:
        _creature_smooth(big, x * n, y * n, r * n, facing)
    return _downscale(big, size)


def icon(size):
    """The RGBA icon of one size."""
    if size == 16:
        img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
        img.paste(_pixel_creature(1), (1, 1))
        return img
    if size == 32:
        img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
        img.paste(_pixel_creature(2), (2, 2))
        return img
    return _scene(size)
