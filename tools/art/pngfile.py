"""PNG writer and header checker for the game's embedded pictures.

Pillow writes the files; what it is given is arranged so that the chunk list
is what the game's decoder expects: IHDR, PLTE (palette pictures only), IDAT
(Pillow splits it every 64 KiB) and IEND, with no transparency chunk, no
timestamp and no text, so that running the generator twice gives the same
bytes. The checker reads a written file back chunk by chunk, independently of
Pillow.
"""

import io
import struct
import zlib

from PIL import Image

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _save(image):
    # A fresh image carries no info (no transparency, gamma or dpi) into the
    # file; level 9 keeps the embedded files small.
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def encode_rgba(image):
    """A Pillow RGBA image as PNG bytes: colour type 6, 8 bits, not interlaced.
    Pixels the game would see as fully transparent (alpha below 4 becomes 0 on
    its 0..32 scale) are stored as 0,0,0,0, so no hidden colour leaks into the
    file and glyph widths are measured on what is visible."""
    assert image.mode == "RGBA"
    visible = image.getchannel("A").point(lambda a: 255 if a >= 4 else 0)
    clean = Image.composite(image, Image.new("RGBA", image.size, (0, 0, 0, 0)), visible)
    return _save(clean)


def encode_palette(image):
    """A Pillow P image as PNG bytes: colour type 3, 8 bits, PLTE sized to the
    colours in use, no tRNS (the game reads palette pictures as fully opaque)."""
    assert image.mode == "P"
    pixels = image.tobytes()
    used = max(pixels) + 1
    # Below 17 entries Pillow would pack the pixels into fewer bits; the
    # checker reports it if a picture ever gets that few colours.
    palette = image.getpalette()[:used * 3]
    palette += [0] * (used * 3 - len(palette))
    clean = Image.frombytes("P", image.size, pixels)
    clean.putpalette(palette)
    return _save(clean)


def read_chunks(data):
    """(kind, payload) for every chunk; raises ValueError on a broken file."""
    if data[:8] != SIGNATURE:
        raise ValueError("not a PNG file")
    chunks = []
    pos = 8
    while pos < len(data):
        length, = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        payload = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + payload) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in %r chunk" % kind)
        chunks.append((kind.decode("ascii"), payload))
        pos += 12 + length
    return chunks


def check_png(data, width, height, palette):
    """Checks the header bytes of one picture against what the game needs;
    returns a list of problems (empty when the file is right)."""
    problems = []
    try:
        chunks = read_chunks(data)
    except ValueError as error:
        return [str(error)]
    # One IDAT or several in a row are the same stream to the decoder.
    kinds = [kind for i, (kind, _) in enumerate(chunks) 
             if not (i and kind == "IDAT" and chunks[i - 1][0] == "IDAT")]
    expected = ["IHDR", "PLTE", "IDAT", "IEND"] if palette else ["IHDR", "IDAT", "IEND"]
    if kinds != expected:
        problems.append("chunks %s, expected %s" % (kinds, expected))
    w, h, depth, colour_type, compression, filtering, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (w, h) != (width, height):
        problems.append("size %dx%d, expected %dx%d" % (w, h, width, height))
    if depth != 8:
        problems.append("bit depth %d" % depth)
    if colour_type != (3 if palette else 6):
        problems.append("colour type %d" % colour_type)
    if compression or filtering:
        problems.append("unknown compression or filter method")
    if interlace:
        problems.append("interlaced")
    if palette:
        plte = dict(chunks)["PLTE"]
        if len(plte) % 3 or not 3 <= len(plte) <= 768:
            problems.append("PLTE of %d bytes" % len(plte))
    return problems
