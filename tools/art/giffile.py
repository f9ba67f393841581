"""GIF89a writer (with its own LZW encoder) and header checker.

The creature strip must be a GIF89a with a full 256-entry global colour table,
one image and no graphic control extension: the game removes its magenta
background by colour key, not by GIF transparency. Pillow's writer decides
those details itself, so the file is put together here byte by byte.
"""

import struct


def _lzw(indices, min_code_size=8):
    """Variable-width LZW as GIF uses it, packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}

    table = fresh_table()
    next_code = end + 1
    width = min_code_size + 1
    emit(clear, width)
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            # The decoder widens its codes one step behind the encoder's table.
            if next_code - 1 == (1 << width) and width < 12:
                width += 1
        else:
            # A full table: start again rather than carry on with stale entries.
            emit(clear, width)
            table = fresh_table()
            next_code = end + 1
            width = min_code_size + 1
        prefix = (index,)
    if prefix:
        emit(table[prefix], width)
    emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def encode(width, height, palette, indices, background_index):
    """palette: 256 (r, g, b) tuples; indices: width * height bytes."""
    assert len(palette) == 256 and len(indices) == width * height
    parts = [b"GIF89a",
             # Global colour table present, 8 bits of colour resolution, 256 entries.
             struct.pack("<HHBBB", width, height, 0xF7, background_index, 0)]
    parts.append(bytes(c for rgb in palette for c in rgb))
    parts.append(b"," + struct.pack("<HHHHB", 0, 0, width, height, 0))
    parts.append(bytes([8]))
    data = _lzw(indices)
    for pos in range(0, len(data), 255):
        block = data[pos:pos + 255]
        parts.append(bytes([len(block)]) + block)
    parts.append(b"\x00;")
    return b"".join(parts)


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
