"""GIF89a writer and header checker.

The creature strip must be a GIF89a with a full 256-entry global colour table,
one image and no graphic control extension: the game removes its magenta
background by colour key, not by GIF transparency. Pillow writes the file;
it is told the version and the background index, and is kept from trimming
the colour table, interlacing, or adding extensions (a fresh image carries no
transparency, duration or comment). The checker walks the written blocks
independently of Pillow.
"""

import io
import struct

from PIL import Image


def encode(width, height, palette, indices, background_index):
    """palette: 256 (r, g, b) tuples; indices: width * height bytes."""
    assert len(palette) == 256 and len(indices) == width * height
    image = Image.frombytes("P", (width, height), bytes(indices))
    image.putpalette([c for rgb in palette for c in rgb])
    # Pillow writes GIF87a unless asked for 89a or a feature needs it.
    image.info["version"] = b"89a"
    out = io.BytesIO()
    image.save(out, format="GIF", optimize=False, interlace=False, background=background_index)
    return out.getvalue()


def check_gif(data, width, height):
    """Walks the file's blocks; returns a list of problems (empty when right)."""
    problems = []
    if data[:6] != b"GIF89a":
        problems.append("version %r, expected GIF89a" % data[:6])
    w, h, flags, _, _ = struct.unpack("<HHBBB", data[6:13])
    if (w, h) != (width, height):
        problems.append("screen %dx%d, expected %dx%d" % (w, h, width, height))
    if not flags & 0x80 or (flags & 7) != 7:
        problems.append("global colour table missing or not 256 entries")
    pos = 13 + 3 * 256
    images = 0
    while pos < len(data):
        kind = data[pos]
        if kind == 0x3B:
            pos += 1
            break
        if kind == 0x21:
            label = data[pos + 1]
            if label == 0xF9:
                problems.append("graphic control extension present")
            pos += 2
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
        elif kind == 0x2C:
            left, top, iw, ih, iflags = struct.unpack("<HHHHB", data[pos + 1:pos + 10])
            if (left, top, iw, ih) != (0, 0, width, height):
                problems.append("image at %d,%d size %dx%d" % (left, top, iw, ih))
            if iflags & 0x80:
                problems.append("local colour table present")
            if iflags & 0x40:
                problems.append("interlaced image")
            images += 1
            pos += 11
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
        else:
            problems.append("unknown block 0x%02x" % kind)
            break
    if images != 1:
        problems.append("%d images, expected 1" % images)
    if pos != len(data):
        problems.append("%d bytes after the trailer" % (len(data) - pos))
    return problems
