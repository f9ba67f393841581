"""The instructions page: a translucent dark panel over the background that
announces the four timed and untimed ways to play, each heading marked with
one of the creatures."""

from PIL import Image, ImageDraw

from . import caption, creature
from .widgets import GREEN_DARK, _finish

W, H = 240, 320

MODES = [
    ("CLASSIC PLAY", ["CLASSIC RULES.", "TAKE YOUR TIME TO FINISH."], (0, 0)),
    ("TIME ATTACK", ["FINISH EVERY LEVEL", "IN A LIMITED TIME."], (1, 1)),
    ("SUDDEN DEATH", ["ARCADE MODE: GAIN 20 EXTRA", "SECONDS PER LEVEL.", "HURRY UP!"], (2, 7)),
    ("FUNKY SHAPES", ["THE SAME PUZZLE,", "WITH OTHER SHAPES."], (0, 3)),
]


def page(seed):
    s = 4
    big = Image.new("RGBA", (W * s, H * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.rounded_rectangle((5 * s, 5 * s, (W - 5) * s - 1, (H - 5) * s - 1), radius=12 * s,
                        fill=caption.INK + (255,))
    d.rounded_rectangle((6 * s, 6 * s, (W - 6) * s - 1, (H - 6) * s - 1), radius=11 * s,
                        fill=GREEN_DARK + (255,))
    d.rounded_rectangle((7 * s, 7 * s, (W - 7) * s - 1, (H - 7) * s - 1), radius=10 * s,
                        fill=(4, 16, 8, 214))
    img = _finish(big, (W, H))

    title = caption.Caption(W, H, seed, outline=1, drips=1.0)
    title.line("GAME MODES", (10, 12, W - 10, 44))
    img.alpha_composite(title.render())

    headings = caption.Caption(W, H, seed + 1, drips=0.6)
    body = caption.Caption(W, H, seed + 2, colours=caption.PALE, scale=1)
    y = 47
    heading_size = caption.fit_size(caption.BOLD, [m[0] for m in MODES], 160, 14)
    for name, lines, (coat, facing) in MODES:
        headings.line(name, (32, y, W - 10, y + 20), size=heading_size, align="left")
        for k, text in enumerate(lines):
            body.line(text, (32, y + 20 + 14 * k, W - 10, y + 34 + 14 * k), path=caption.CONDENSED,
                      size=12, align="left")
        _creature(img, coat, facing, 15, y + 3)
        # The same gap after every section, however many lines it has.
        y += 20 + 14 * len(lines) + 16
    img.alpha_composite(headings.render())
    img.alpha_composite(body.render())
    return img


def _creature(img, coat, facing, x, y):
    pixels = creature.frame_pixels(coat, facing)
    px = img.load()
    for r, row in enumerate(pixels):
        for c, colour in enumerate(row):
            if colour is not None:
                px[x + c, y + r] = colour + (255,)
