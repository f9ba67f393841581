#!/usr/bin/python3
"""Draws every picture the game embeds and writes them under assets/, and
the desktop icons, which the game does not embed, under packaging/icons/.

Run it with Debian's Python and Pillow (packages python3 and python3-pil):

    /usr/bin/python3 tools/make_art.py

Fonts come from the Debian package fonts-dejavu-core. The output is
deterministic: fixed random seeds and no timestamps, so a second run writes
the same bytes. The pictures are committed; the build only embeds them and
never runs this script. Pillow encodes the files (art/pngfile.py and
art/giffile.py hold what it is told); after writing, each file is read back
and its header checked (PNG colour type, bit depth, interlace and chunk list;
GIF version, colour table and blocks), along with the rules the game's
decoder relies on.
"""

import io
import os
import re
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image  # noqa: E402

from art import caption, creature, giffile, icon, instructions, numerals, pngfile, scenery, title, widgets  # noqa: E402
from art.caption import BOLD, CONDENSED, Caption, fit_size  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(ROOT, "assets")
# Outside assets/, whose pictures are all compiled into the program.
ICONS = os.path.join(ROOT, "packaging", "icons")


def lines_caption(width, height, lines, seed, path=BOLD, cells=None, outline=1, drips=1.0, same_size=True,
                  colours=caption.GREEN):
    """Lettering in one or more lines; cells gives each line's (top, bottom),
    by default an even split of the height."""
    if cells is None:
        step = height / len(lines)
        cells = [(int(round(i * step)), int(round((i + 1) * step))) for i in range(len(lines))]
    cap = Caption(width, height, seed, outline=outline, drips=drips, colours=colours)
    size = None
    if same_size:
        tallest = min(bottom - top for top, bottom in cells)
        size = fit_size(path, lines, width - 2 * outline - 1, tallest - 2 * outline - (2 if drips > 0 else 0))
    for text, (top, bottom) in zip(lines, cells):
        cap.line(text, (0, top, width, bottom), path=path, size=size)
    return cap.render()


def strip_caption(width, pitch, rows, seed, path=BOLD):
    """Captions stacked as the frame cells of one strip, all in one size."""
    return lines_caption(width, pitch * len(rows), rows, seed, path=path,
                         cells=[(i * pitch, (i + 1) * pitch) for i in range(len(rows))])


def build():
    """name -> (kind, bytes, width, height); kind is 'rgba', 'palette' or 'gif'."""
    out = {}

    def rgba(name, img):
        out[name] = ("rgba", pngfile.encode_rgba(img), img.width, img.height)

    background = scenery.to_palette(scenery.background_rgb())
    out["background"] = ("palette", pngfile.encode_palette(background), 240, 321)
    logo = scenery.to_palette(title.logo_rgb(background.convert("RGB")))
    out["title_logo"] = ("palette", pngfile.encode_palette(logo), 240, 125)

    rgba("menu_captions", strip_caption(217, 22, ["CLASSIC PLAY", "TIME ATTACK", "SUDDEN DEATH", "FUNKY SHAPES",
                                                  "BABY BRAINS", "INSTRUCTIONS", "HISCORES"], 101))
    rgba("instructions", instructions.page(102))
    rgba("tutorial_free_line", lines_caption(184, 64, ["A LINE THAT IS FREE", "TURNS GREEN.",
                                                        "TIME TO PLAY NOW!"], 103, path=CONDENSED,
                                             cells=[(0, 20), (20, 40), (42, 64)], drips=0.5))
    rgba("tutorial_cross", lines_caption(216, 65, ["AS LONG AS SOME LINES CROSS", "EACH OTHER YOU DO NOT WIN.",
                                                    "MOVE THE CREATURES TO FIX IT!"], 104, path=CONDENSED,
                                         drips=0.5))
    rgba("tutorial_demo", lines_caption(240, 67, ["THE LINES ARE ALL KNOTTED", "TOUCH THE SCREEN TO WATCH",
                                                   "THEM COME APART"], 105, path=CONDENSED, drips=0.5))
    rgba("select_shape", lines_caption(207, 23, ["SELECT SHAPE"], 106))
    rgba("load_question", lines_caption(238, 20, ["LOAD SAVED GAME ?"], 107))
    rgba("yes_no", strip_caption(54, 22, ["YES", "NO"], 108))
    rgba("pause_button", widgets.pause_button())
    rgba("pause_caption", lines_caption(174, 43, ["PAUSE"], 109, outline=2, drips=1.2))
    rgba("level_small", lines_caption(75, 19, ["LEVEL"], 110, drips=0.6))
    rgba("time_small", lines_caption(61, 19, ["TIME"], 111, drips=0.6))
    rgba("level_large", lines_caption(119, 28, ["LEVEL"], 112))
    rgba("times_up", lines_caption(209, 26, ["TIME'S UP !"], 113))
    rgba("game_over", lines_caption(155, 91, ["GAME", "OVER"], 114, outline=2, drips=1.2))
    rgba("new_record", lines_caption(224, 76, ["NEW", "RECORD !"], 115, outline=2, drips=1.2))
    rgba("scores_captions", strip_caption(181, 23, ["TOP SCORES", "YOUR SCORE"], 116))
    rgba("digits_large", numerals.digit_strip(25, 30, 117, [caption.GREEN, caption.RED]))
    rgba("digits_medium", numerals.digit_strip(20, 24, 118, [caption.GREEN, caption.RED]))
    rgba("digits_small", numerals.digit_strip(12, 14, 119, [caption.PALE], extra=":", scale=1, drips=0,
                                              path=CONDENSED))
    rgba("font_grid", numerals.font_sheet(120))
    rgba("square", widgets.glow_square())
    rgba("close_icon", widgets.close_icon())

    palette, indices = creature.strip()
    out["vertex_strip"] = ("gif", giffile.encode(14, 336, palette, indices, 0), 14, 336)
    return out


CATALOGUE = os.path.join(ASSETS, "catalogue.h")
KINDS = {"PICTURE_PALETTE": "palette", "PICTURE_RGBA": "rgba", "PICTURE_GIF": "gif"}


def read_catalogue(path=CATALOGUE):
    """Every picture of the game, file stem -> (kind, width, height), read from
    the catalogue header the game itself places its sprites by."""
    table = {}
    pattern = re.compile(r"^constexpr Picture PIC_(\w+) = \{(PICTURE_\w+), (\d+), (\d+), \d+, \d+, \d+\};$")
    with open(path) as f:
        for line in f:
            m = pattern.match(line.strip())
            if m:
                table[m.group(1).lower()] = (KINDS[m.group(2)], int(m.group(3)), int(m.group(4)))
    if not table:
        sys.exit("no pictures found in " + path)
    return table


PICTURE_TABLE = read_catalogue()


def rgb565(r, g, b):
    return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)


def check(name, data):
    """Reads a written file back the way the game will and lists what is wrong."""
    kind, width, height = PICTURE_TABLE[name]
    if kind == "gif":
        problems = giffile.check_gif(data, width, height)
        img = Image.open(io.BytesIO(data))
        pal = img.getpalette()
        keys = [i for i in range(256) if rgb565(*pal[3 * i:3 * i + 3]) == 0xF81F]
        if keys != [0] or tuple(pal[0:3]) != (255, 0, 255):
            problems.append("magenta must be palette entry 0 and no other")
        if data[11] != 0:
            problems.append("background colour is not the magenta entry")
        return problems
    problems = pngfile.check_png(data, width, height, palette=(kind == "palette"))
    img = Image.open(io.BytesIO(data))
    if name == "font_grid":
        problems += check_font(img)
    if kind == "palette":
        pal = img.getpalette()
        for i in range(len(pal) // 3):
            if rgb565(*pal[3 * i:3 * i + 3]) == 0xF81F:
                problems.append("palette entry %d is the colour key" % i)
        return problems
    for r, g, b, a in img.getdata():
        if a == 0 and (r or g or b):
            problems.append("transparent pixel with colour")
            break
        if a and rgb565(r, g, b) == 0xF81F:
            problems.append("visible pixel in the key colour")
            break
    return problems


def check_font(img):
    """The font is cut from the sheet by measuring glyphs from each cell's
    top-left corner: check that the digits start there and have sensible
    sizes, and that the '!' which lends the space its width is narrow."""
    problems = []
    alpha = img.getchannel("A").point(lambda a: 255 if a >= 4 else 0)

    def box(col, row):
        return alpha.crop((col * 16, row * 16, col * 16 + 16, row * 16 + 16)).getbbox()

    drawn = [(col, row) for row in range(8) for col in range(32) if box(col, row)]
    wanted = [(1, 1)] + [(col, 1) for col in range(16, 26)]
    if sorted(drawn) != sorted(wanted):
        problems.append("glyphs drawn in cells %s" % drawn)
        return problems
    height = max(box(col, row)[3] for col, row in drawn)
    if not 12 <= height <= 14:
        problems.append("glyph height %d" % height)
    for col in range(16, 26):
        x0, y0, x1, _ = box(col, 1)
        if x0 != 0 or not 8 <= x1 <= 12:
            problems.append("digit %d spans columns %d..%d" % (col - 16, x0, x1 - 1))
    if min(box(col, 1)[1] for col in range(16, 26)) != 0:
        problems.append("digits do not start at the cell's top row")
    if box(1, 1)[0] != 0 or not 4 <= box(1, 1)[2] <= 5:
        problems.append("'!' is %d wide" % box(1, 1)[2])
    return problems


def main():
    pictures = build()
    assert set(pictures) == set(PICTURE_TABLE), set(pictures) ^ set(PICTURE_TABLE)
    failed = False
    for name in sorted(pictures):
        kind, data, width, height = pictures[name]
        assert (kind, width, height) == PICTURE_TABLE[name], name
        path = os.path.join(ASSETS, name + (".gif" if kind == "gif" else ".png"))
        with open(path, "wb") as f:
            f.write(data)
        with open(path, "rb") as f:
            problems = check(name, f.read())
        status = "ok" if not problems else "; ".join(problems)
        failed = failed or bool(problems)
        print("%-24s %-8s %4d x %-4d %7d bytes  %s" % (os.path.basename(path), kind, width, height, len(data),
                                                      status))
    for size in icon.SIZES:
        data = pngfile.encode_rgba(icon.icon(size))
        path = os.path.join(ICONS, "zembrolfink-%d.png" % size)
        with open(path, "wb") as f:
            f.write(data)
        with open(path, "rb") as f:
            problems = pngfile.check_png(f.read(), size, size, palette=False)
        status = "ok" if not problems else "; ".join(problems)
        failed = failed or bool(problems)
        print("%-24s %-8s %4d x %-4d %7d bytes  %s" % (os.path.basename(path), "icon", size, size, len(data),
                                                      status))
    if failed:
        sys.exit(1)


if __name__ == "__main__":
    main()
