"""The caption style shared by every piece of lettering in the game:
upper-case, light yellow-green letters with a dark outline, a rough, blotchy
fill and paint dripping off the bottoms of the strokes, on a transparent
background.

Letters are drawn large (SUPER times the final size), roughened and given
their drips there, and then scaled down, so that the drips and nicks end up
as soft one-pixel details instead of hard stair steps.
"""

import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
BOLD = FONT_DIR + "DejaVuSans-Bold.ttf"
CONDENSED = FONT_DIR + "DejaVuSansCondensed-Bold.ttf"

SUPER = 4

# Fill gradients (top of a letter, bottom of a letter) and the outline colour.
GREEN = ((238, 255, 168), (150, 216, 46))
RED = ((255, 170, 130), (214, 36, 24))
PALE = ((250, 255, 214), (196, 236, 120))
INK = (16, 34, 10)


def font(path, size):
    return ImageFont.truetype(path, size)


def fit_size(path, lines, width, height, largest=80):
    """Largest font size at which every line fits width x height (letters only,
    without outline or drips)."""
    for size in range(largest, 5, -1):
        f = ImageFont.truetype(path, size)
        if all(_extent(f, text)[0] <= width and _extent(f, text)[1] <= height for text in lines):
            return size
    return 6


def _extent(f, text):
    x0, y0, x1, y1 = f.getbbox(text)
    return x1 - x0, y1 - y0


class Caption:
    """One RGBA picture holding one or more lines of lettering."""

    def __init__(self, width, height, seed, colours=GREEN, outline=1, drips=1.0, rough=1.0, scale=SUPER):
        """scale 1 draws small text straight at its final size, where the font's
        hinting keeps stems sharp; it leaves no room for drips or nicks."""
        self.scale = scale
        if scale == 1:
            drips = rough = 0
        self.width, self.height = width, height
        self.rng = random.Random(seed)
        self.colours = colours
        self.outline = outline
        self.drips = drips
        self.rough = rough
        self.big = Image.new("L", (width * scale, height * scale), 0)
        # Per pixel of the big mask: where the fill gradient of its line starts and ends.
        self.bands = []

    def line(self, text, box, path=BOLD, size=None, align="centre", colours=None, drips=None, measure=None):
        """Draws one line of text centred (or left-aligned) in box = (x0, y0, x1, y1),
        exclusive right and bottom, in final pixels. Returns the size used.
        measure, when given, is the text whose height places the line
        vertically: glyphs drawn one to a cell then share one baseline instead
        of each being centred on its own ink (a '1' is shorter than a '3')."""
        S = self.scale
        x0, y0, x1, y1 = box
        room_w = x1 - x0 - 2 * self.outline - 1
        drip_room = 0 if (drips if drips is not None else self.drips) <= 0 else 2
        room_h = y1 - y0 - 2 * self.outline - drip_room
        if size is None:
            size = fit_size(path, [text], room_w, room_h)
        f = ImageFont.truetype(path, size * S)
        bx0, by0, bx1, by1 = f.getbbox(text)
        if measure is not None:
            _, by0, _, by1 = f.getbbox(measure)
        tw, th = bx1 - bx0, by1 - by0
        if align == "centre":
            left = x0 * S + ((x1 - x0) * S - tw) // 2
        else:
            left = (x0 + self.outline + 1) * S
        top = y0 * S + ((y1 - y0 - drip_room) * S - th) // 2
        # Snap to whole final pixels so that stems land on pixel columns.
        left -= left % S
        top -= top % S
        layer = Image.new("L", self.big.size, 0)
        ImageDraw.Draw(layer).text((left - bx0, top - by0), text, font=f, fill=255)
        self._roughen(layer, size)
        strength = self.drips if drips is None else drips
        if strength > 0:
            self._drip(layer, size, strength, top + th)
        # Keep the line, its outline and its shadow inside its own box: boxes are
        # often the frame cells of a strip, and paint must not run into the next.
        keep = Image.new("L", layer.size, 0)
        o = self.outline
        ImageDraw.Draw(keep).rectangle(((x0 + o) * S, (y0 + o) * S,
                                        (x1 - o - 1) * S - 1, (y1 - o - 1) * S - 1), fill=255)
        layer = ImageChops.multiply(layer, keep)
        self.big = ImageChops.lighter(self.big, layer)
        self.bands.append((top // S, (top + th) // S, x0, x1, colours or self.colours))
        return size

    def _roughen(self, layer, size):
        """Nicks and bumps along the outline of the letters: rough, hand-painted edges."""
        if self.rough <= 0:
            return
        S = self.scale
        w, h = layer.size
        edge = ImageChops.difference(layer.filter(ImageFilter.MaxFilter(3)),
                                     layer.filter(ImageFilter.MinFilter(3)))
        data = edge.getdata()
        draw = ImageDraw.Draw(layer)
        radius = max(1.2, size * S / 40.0)
        chance = 0.018 * self.rough
        rng = self.rng
        for i, v in enumerate(data):
            if v > 128 and rng.random() < chance:
                x, y = i % w, i // w
                r = radius * (0.6 + 0.8 * rng.random())
                fill = 0 if rng.random() < 0.55 else 255
                draw.ellipse((x - r, y - r, x + r, y + r), fill=fill)

    def _drip(self, layer, size, strength, baseline):
        """Paint running down from the bottoms of strokes, mostly off the baseline."""
        S = self.scale
        w, h = layer.size
        px = layer.load()
        rng = self.rng
        draw = ImageDraw.Draw(layer)
        stroke = max(S * 0.9, size * S * 0.07)
        longest = max(2.0, size * 0.28) * strength
        last_x = -10 ** 6
        step = S
        for x in range(S // 2, w, step):
            if x - last_x < S * max(3, size // 4):
                continue
            for y in range(h - 2, 0, -1):
                if px[x, y] > 200 and px[x, min(h - 1, y + S)] < 40:
                    near_base = y >= baseline - S * 2
                    if rng.random() < (0.30 if near_base else 0.06) * strength:
                        length = S * (1.0 + rng.random() * (longest - 1.0))
                        half = stroke * (0.35 + 0.2 * rng.random())
                        draw.rectangle((x - half, y - S, x + half, y + length), fill=255)
                        tip = half * 1.35
                        draw.ellipse((x - tip, y + length - tip, x + tip, y + length + tip), fill=255)
                        last_x = x
                    break

    def render(self):
        """The finished RGBA picture."""
        w, h = self.width, self.height
        mask = self.big.resize((w, h), Image.BOX) if self.scale > 1 else self.big
        ring = mask
        for _ in range(self.outline):
            ring = ring.filter(ImageFilter.MaxFilter(3))
        # A soft shadow one pixel down and right lifts the letters off busy ground.
        shadow = ImageChops.offset(ring, 1, 1)
        m = mask.load()
        r = ring.load()
        s = shadow.load()
        noise = self._noise(w, h)
        out = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        o = out.load()
        band_of = self._band_lookup()
        for y in range(h):
            for x in range(w):
                cover = m[x, y] / 255.0
                edge = r[x, y]
                alpha = max(m[x, y], edge, (s[x, y] * 150) // 255 if x > 0 and y > 0 else 0)
                if alpha == 0:
                    continue
                top_c, bottom_c, t = band_of(x, y)
                shade = 0.86 + 0.14 * noise[y * w + x]
                fill = [min(255, int((a + (b - a) * t) * shade)) for a, b in zip(top_c, bottom_c)]
                if edge == 0 and m[x, y] == 0:
                    colour = INK
                else:
                    colour = [int(INK[i] + (fill[i] - INK[i]) * cover) for i in range(3)]
                o[x, y] = (colour[0], colour[1], colour[2], alpha)
        return out

    def _band_lookup(self):
        bands = self.bands

        def lookup(x, y):
            best = None
            for top, bottom, x0, x1, colours in bands:
                if x0 <= x < x1:
                    if top - 2 <= y <= bottom + 6:
                        best = (top, bottom, colours)
                        break
                    if best is None or abs(y - top) < abs(y - best[0]):
                        best = (top, bottom, colours)
            if best is None:
                top, bottom, colours = 0, self.height, self.colours
            else:
                top, bottom, colours = best
            t = (y - top) / max(1, bottom - top)
            return colours[0], colours[1], min(1.0, max(0.0, t))

        return lookup

    def _noise(self, w, h):
        """Blotchy values 0..1: the rough, sponged look of the paint."""
        rng = self.rng
        small = Image.new("L", ((w + 2) // 3 + 1, (h + 2) // 3 + 1))
        small.putdata([rng.randrange(256) for _ in range(small.width * small.height)])
        blotch = small.resize((w, h), Image.BILINEAR)
        grain = Image.new("L", (w, h))
        grain.putdata([rng.randrange(256) for _ in range(w * h)])
        mixed = Image.blend(blotch, grain, 0.35)
        return [v / 255.0 for v in mixed.getdata()]
