"""Minimal PNG writer and header checker for the game's embedded pictures.

Written by hand rather than through Pillow's encoder so that the chunk list is
exactly what the game's decoder expects: IHDR, PLTE (palette pictures only),
IDAT and IEND, with no transparency chunk and no timestamp, so that running
the generator twice gives the same bytes.
"""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filter_rows(raw, stride, bpp, adaptive):
    """Filters every scanline. Adaptive filtering picks, per row, the filter with
    the smallest sum of absolute differences; it keeps the embedded files small."""
    out = bytearray()
    prev = bytes(stride)
    for y in range(len(raw) // stride):
        row = raw[y * stride:(y + 1) * stride]
        if not adaptive:
            out.append(0)
            out += row
            prev = row
            continue
        candidates = []
        f0 = bytes(row)
        f1 = bytes((row[i] - (row[i - bpp] if i >= bpp else 0)) & 0xFF for i in range(stride))
        f2 = bytes((row[i] - prev[i]) & 0xFF for i in range(stride))
        f3 = bytes((row[i] - (((row[i - bpp] if i >= bpp else 0) + prev[i]) >> 1)) & 0xFF
                   for i in range(stride))
        f4 = bytes((row[i] - _paeth(row[i - bpp] if i >= bpp else 0, prev[i],
                                    prev[i - bpp] if i >= bpp else 0)) & 0xFF
                   for i in range(stride))
        for kind, data in enumerate((f0, f1, f2, f3, f4)):
            cost = sum(v if v < 128 else 256 - v for v in data)
            candidates.append((cost, kind, data))
        cost, kind, data = min(candidates)
        out.append(kind)
        out += data
        prev = row
    return bytes(out)


def _assemble(width, height, colour_type, raw, stride, bpp, palette=None):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    data = _filter_rows(raw, stride, bpp, adaptive=(colour_type == 6))
    parts = [SIGNATURE, _chunk(b"IHDR", ihdr)]
    if palette is not None:
        parts.append(_chunk(b"PLTE", bytes(palette)))
    parts.append(_chunk(b"IDAT", zlib.compress(data, 9)))
    parts.append(_chunk(b"IEND", b""))
    return b"".join(parts)


def encode_rgba(image):
    """A Pillow RGBA image as PNG bytes: colour type 6, 8 bits, not interlaced.
    Pixels the game would see as fully transparent (alpha below 4 becomes 0 on
    its 0..32 scale) are stored as 0,0,0,0, so no hidden colour leaks into the
    file and glyph widths are measured on what is visible."""
    assert image.mode == "RGBA"
    width, height = image.size
    raw = bytearray(image.tobytes())
    for i in range(0, len(raw), 4):
        if raw[i + 3] < 4:
            raw[i] = raw[i + 1] = raw[i + 2] = raw[i + 3] = 0
    return _assemble(width, height, 6, bytes(raw), width * 4, 4)


def encode_palette(image):
    """A Pillow P image as PNG bytes: colour type 3, 8 bits, PLTE sized to the
    colours in use, no tRNS (the game reads palette pictures as fully opaque)."""
    assert image.mode == "P"
    width, height = image.size
    pixels = image.tobytes()
    used = max(pixels) + 1
    palette = image.getpalette()[:used * 3]
    palette += [0] * (used * 3 - len(palette))
    return _assemble(width, height, 3, pixels, width, 1, palette)


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
    kinds = [kind for kind, _ in chunks]
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
