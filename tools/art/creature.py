"""The vertex creature: a round little bird-like beast, 14 x 14, in 24 frames.

Frames 0-7 are its resting grey-khaki coat, 8-15 orange (being dragged) and
16-23 red (a neighbour of the dragged one). Within a coat, frame f looks f
eighths of a turn counter-clockwise from the right, as the game turns its
creatures by setting the frame to their facing. The beak points that way and
the pupils sit on the forward side of the eyes, so the direction reads at 1x.

Two poses are drawn by hand, looking right and looking up-right; the other
six are quarter turns of them. Light is applied after turning, always from
the top left, so every pose is lit alike. The strip is keyed on magenta, so
every pixel is either wholly creature or wholly background.
"""

CELL = 14
FRAMES_PER_COAT = 8
MAGENTA = (255, 0, 255)
OUTLINE = (34, 26, 16)
EYE = (250, 250, 240)
PUPIL = (14, 12, 10)

# Body lit, mid, shaded, highlight; beak lit, shaded.
COATS = [
    ((186, 180, 136), (152, 146, 106), (112, 106, 76), (222, 218, 186), (238, 190, 84), (182, 124, 44)),
    ((255, 178, 80), (236, 136, 36), (178, 88, 20), (255, 224, 160), (255, 240, 140), (214, 164, 52)),
    ((246, 96, 76), (214, 44, 34), (148, 24, 20), (255, 170, 150), (255, 216, 100), (206, 148, 40)),
]

# B body, K beak, W white of the eye, P pupil.
LOOK_RIGHT = """
..............
..............
....BBBB......
..BBBBBBBB....
..BBBBBWPB....
.BBBBBBWPBKK..
.BBBBBBBBBKKK.
.BBBBBBBBBKKK.
.BBBBBBWPBKK..
..BBBBBWPB....
..BBBBBBBB....
....BBBB......
..............
..............
"""

LOOK_UP_RIGHT = """
..............
..............
..........KK..
....BBBBBKKK..
..BBBWPBKKK...
..BBBWWBBB....
.BBBBBBBWP....
.BBBBBBBWWB...
.BBBBBBBBBB...
.BBBBBBBBBB...
..BBBBBBBB....
..BBBBBBBB....
....BBBB......
..............
"""


def _parse(text):
    rows = [line for line in text.strip("\n").split("\n")]
    assert len(rows) == CELL and all(len(r) == CELL for r in rows)
    return [list(r) for r in rows]


def _turn(grid):
    """A quarter turn counter-clockwise: what looked right now looks up."""
    return [[grid[c][CELL - 1 - r] for c in range(CELL)] for r in range(CELL)]


def _poses():
    poses = [None] * FRAMES_PER_COAT
    right, diagonal = _parse(LOOK_RIGHT), _parse(LOOK_UP_RIGHT)
    for quarter in range(4):
        poses[2 * quarter] = right
        poses[2 * quarter + 1] = diagonal
        right, diagonal = _turn(right), _turn(diagonal)
    return poses


def _paint(grid, coat):
    """Colours one pose; None for the background."""
    lit, mid, shade, shine, beak_lit, beak_shade = COATS[coat]
    body = [(r, c) for r in range(CELL) for c in range(CELL) if grid[r][c] in "BWP"]
    cy = sum(r for r, _ in body) / len(body)
    cx = sum(c for _, c in body) / len(body)
    beak = [(r, c) for r in range(CELL) for c in range(CELL) if grid[r][c] == "K"]
    beak_mid = sum(r + c for r, c in beak) / len(beak)
    out = [[None] * CELL for _ in range(CELL)]
    for r in range(CELL):
        for c in range(CELL):
            kind = grid[r][c]
            if kind == ".":
                continue
            if kind == "W":
                out[r][c] = EYE
            elif kind == "P":
                out[r][c] = PUPIL
            elif kind == "K":
                out[r][c] = beak_lit if r + c <= beak_mid else beak_shade
            else:
                d = (c - cx) + (r - cy)
                if abs(c - (cx - 2.5)) < 0.8 and abs(r - (cy - 2.5)) < 0.8:
                    out[r][c] = shine
                elif d < -3.5:
                    out[r][c] = lit
                elif d > 3.0:
                    out[r][c] = shade
                else:
                    out[r][c] = mid
    # A one-pixel dark rim keeps the creature readable on any ground.
    rim = [row[:] for row in out]
    for r in range(CELL):
        for c in range(CELL):
            if out[r][c] is not None:
                continue
            for dr in (-1, 0, 1):
                for dc in (-1, 0, 1):
                    rr, cc = r + dr, c + dc
                    if 0 <= rr < CELL and 0 <= cc < CELL and out[rr][cc] is not None:
                        rim[r][c] = OUTLINE
    return rim


def frame_pixels(coat, f):
    """14 rows of 14 (r, g, b) colours or None, for frame f of a coat."""
    return _paint(_poses()[f], coat)


def strip():
    """(palette of 256 colours, index bytes of the 14 x 336 strip). Index 0 is
    the magenta background; unused entries are black."""
    palette = [MAGENTA]
    lookup = {MAGENTA: 0}
    indices = bytearray()
    for coat in range(len(COATS)):
        for f in range(FRAMES_PER_COAT):
            for row in frame_pixels(coat, f):
                for colour in row:
                    colour = MAGENTA if colour is None else colour
                    if colour not in lookup:
                        lookup[colour] = len(palette)
                        palette.append(colour)
                    indices.append(lookup[colour])
    assert len(palette) <= 256
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, bytes(indices)
