"""Digit strips and the glyph sheet of the game's one text font.

Strips hold one glyph per cell, stacked downwards at the pitch the game cuts
them by. The font sheet is cut by its own rules: every glyph starts at its
cell's top-left corner, its width is measured up to its last non-empty column,
and the space borrows the width of the '!' glyph, so a small '!' is drawn for
that purpose alone.
"""

from PIL import Image

from . import caption

DIGITS = "0123456789"


def digit_strip(width, pitch, seed, colour_sets, extra="", scale=caption.SUPER, drips=0.5, path=caption.BOLD):
    """One glyph per cell of width x pitch: the digits once for each colour set,
    all on one baseline, then the extra characters (centred) in the first
    set's colours."""
    glyphs = [(ch, colours) for colours in colour_sets for ch in DIGITS]
    glyphs += [(ch, colour_sets[0]) for ch in extra]
    cap = caption.Caption(width, pitch * len(glyphs), seed, drips=drips, scale=scale,
                          rough=0.6 if scale > 1 else 0)
    size = caption.fit_size(path, DIGITS, width - 3, pitch - 3 - (2 if drips > 0 and scale > 1 else 0))
    for i, (ch, colours) in enumerate(glyphs):
        cap.line(ch, (0, i * pitch, width, (i + 1) * pitch), path=path, size=size, colours=colours,
                 drips=drips if ch in DIGITS else 0, measure=DIGITS if ch in DIGITS else None)
    return cap.render()


def _bbox(img, threshold=4):
    """Bounding box of the pixels the game counts as non-empty (alpha >= 4)."""
    return img.getchannel("A").point(lambda a: 255 if a >= threshold else 0).getbbox()


def font_sheet(seed):
    """512 x 128, 32 x 8 cells of 16: the digits in row 1, columns 16-25, and
    a narrow '!' in row 1, column 1 to give the space its width."""
    sheet = Image.new("RGBA", (512, 128), (0, 0, 0, 0))
    cells = []
    for ch in DIGITS:
        cap = caption.Caption(16, 16, seed + ord(ch), drips=0, scale=1)
        cap.line(ch, (0, 0, 16, 16), path=caption.CONDENSED, size=13, measure=DIGITS)
        cells.append(cap.render())
    top = min(_bbox(c)[1] for c in cells)
    for i, cell in enumerate(cells):
        left = _bbox(cell)[0]
        glyph = cell.crop((left, top, 16, 16))
        sheet.paste(glyph, ((16 + i) * 16, 16))
    height = max(_bbox(c)[3] for c in cells) - top
    sheet.paste(_bang(height), (1 * 16, 16))
    return sheet


def _bang(height):
    """A '!' four pixels wide (a two-pixel stroke in a one-pixel rim), no
    taller than the digits."""
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    px = img.load()
    fill = set()
    for y in range(1, height - 5):
        fill.add((1, y))
        fill.add((2, y))
    for y in (height - 3, height - 2):
        fill.add((1, y))
        fill.add((2, y))
    top_c, bottom_c = caption.GREEN
    for y in range(height):
        for x in range(4):
            if (x, y) in fill:
                t = y / max(1, height - 1)
                px[x, y] = tuple(int(top_c[i] + (bottom_c[i] - top_c[i]) * t) for i in range(3)) + (255,)
            elif any((x + dx, y + dy) in fill for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                px[x, y] = caption.INK + (255,)
    return img
