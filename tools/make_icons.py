#!/usr/bin/python3
"""Draws the web page's icons (favicon, home-screen icons) from the game's own
creature strip, assets/vertex_strip.gif: one creature, its pixels enlarged
without smoothing, on the dark green of the game's background.

    /usr/bin/python3 tools/make_icons.py

Writes web/icons/icon-32.png, icon-192.png and icon-512.png. The icons are
committed; the build only copies them.
"""

import os

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STRIP = os.path.join(ROOT, "assets", "vertex_strip.gif")
OUT = os.path.join(ROOT, "web", "icons")
FRAME = 14                 # the orange creature looking at the viewer
BACKGROUND = (0, 12, 8)    # the darkest green of the game's background
SIZES = (32, 192, 512)


def creature(strip):
    """The frame as RGBA; palette index 0 is the strip's transparent colour."""
    side = strip.width
    frame = strip.crop((0, FRAME * side, side, FRAME * side + side))
    rgba = Image.new("RGBA", frame.size, (0, 0, 0, 0))
    palette = strip.getpalette()
    for y in range(side):
        for x in range(side):
            index = frame.getpixel((x, y))
            if index != 0:
                r, g, b = palette[3 * index:3 * index + 3]
                rgba.putpixel((x, y), (r, g, b, 255))
    return rgba


def main():
    strip = Image.open(STRIP)
    strip.seek(0)
    face = creature(strip)
    os.makedirs(OUT, exist_ok=True)
    for size in SIZES:
        icon = Image.new("RGBA", (size, size), BACKGROUND + (255,))
        # Whole pixels only, with a margin so a round mask keeps the creature.
        scale = max(1, (size * 3 // 4) // face.width)
        big = face.resize((face.width * scale, face.height * scale), Image.NEAREST)
        at = ((size - big.width) // 2, (size - big.height) // 2)
        icon.alpha_composite(big, at)
        icon.convert("RGB").save(os.path.join(OUT, "icon-%d.png" % size), optimize=True)


if __name__ == "__main__":
    main()
