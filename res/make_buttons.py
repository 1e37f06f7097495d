#!/usr/bin/env python3
"""Draws the faces of the tone buttons and the level markers and writes them
as 16-colour .bmp files under buttons/ beside this script.

Every button picture exists twice: the up face (even resource id) with a
raised frame, and the pressed face (odd id) with a sunken frame and the
picture moved one pixel down and to the right.  buttons.rc lists the files
by resource id.

  630/631  flip           the word Flip over an arrow to the right
  632/633  flip_mirrored  the same picture mirrored
  640/641  invert         the word INVERT over eight colour bars
  642/643  invert_inverted  the same picture in complementary colours
  650/651  brightness     a disc, black on the left and white on the right
  660/661  curve_smooth   a dotted grid with an S-shaped curve
  662/663  curve_reset    a dotted grid with the straight diagonal
  664/665  curve_segments a dotted grid with a zig-zag line
  666/667  curve_gamma    a dotted grid with a bowed curve
  670/671  levels         a dotted grid over a histogram
  680/681  balance        a red, a green and a blue dot
  690/691  huesat         a hexagon of six colour sectors
  672 673 674  level_highlight, level_midtone, level_shadow: 8 x 8
               triangles (white, grey, black) pointing up at a level

The build uses the committed .bmp files; run this script only after changing
a picture here.  Python 3 standard library only.
"""

import math
import os
import struct
import sys

FACE = 32          # button faces are FACE x FACE pixels
AREA = 26          # picture area inside the frame
MARKER = 8         # level markers are MARKER x MARKER pixels

# The 16 colours of the standard palette, by index.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
K, SILVER, GREY = 0, 7, 8
RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = 9, 10, 11, 12, 13, 14, 15

# Colour whose RGB is 255 minus the other's (for the colours pictures use).
COMPLEMENT = {K: WHITE, WHITE: K, SILVER: GREY, GREY: SILVER, RED: CYAN,
              CYAN: RED, GREEN: MAGENTA, MAGENTA: GREEN, BLUE: YELLOW,
              YELLOW: BLUE}

# Letters, '#' set; rows below the fifth hang below the line.
GLYPHS = {
    'F': ['###', '#..', '##.', '#..', '#..'],
    'l': ['#', '#', '#', '#', '#'],
    'i': ['#', '.', '#', '#', '#'],
    'p': ['...', '##.', '#.#', '#.#', '##.', '#..'],
    'I': ['###', '.#.', '.#.', '.#.', '###'],
    'N': ['#..#', '##.#', '#.##', '#..#', '#..#'],
    'V': ['#.#', '#.#', '#.#', '#.#', '.#.'],
    'E': ['###', '#..', '##.', '#..', '###'],
    'R': ['##.', '#.#', '##.', '#.#', '#.#'],
    'T': ['###', '.#.', '.#.', '.#.', '.#.'],
}


def blank(size, colour):
    return [[colour] * size for _ in range(size)]


def put(pic, x, y, colour):
    if 0 <= y < len(pic) and 0 <= x < len(pic[0]):
        pic[y][x] = colour


def text_width(word, scale):
    return sum((len(GLYPHS[c][0]) + 1) * scale for c in word) - scale


def draw_text(pic, word, x, y, scale, colour):
    for c in word:
        glyph = GLYPHS[c]
        for gy, row in enumerate(glyph):
            for gx, ch in enumerate(row):
                if ch == '#':
                    for sy in range(scale):
                        for sx in range(scale):
                            put(pic, x + gx * scale + sx, y + gy * scale + sy, colour)
        x += (len(glyph[0]) + 1) * scale


def draw_line(pic, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        put(pic, round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)


# ---- pictures, drawn on an AREA x AREA silver square ----

def flip():
    pic = blank(AREA, SILVER)
    draw_text(pic, 'Flip', (AREA - text_width('Flip', 2)) // 2, 1, 2, K)
    for y in (19, 20):
        draw_line(pic, 3, y, 18, y, K)
    for d in range(5):                       # arrow head pointing right
        draw_line(pic, 18 + d, 15 + d, 18 + d, 24 - d, K)
    return pic


def mirrored(pic):
    return [list(reversed(row)) for row in pic]


def invert():
    pic = blank(AREA, SILVER)
    draw_text(pic, 'INVERT', (AREA - text_width('INVERT', 1)) // 2, 2, 1, K)
    bars = [WHITE, YELLOW, CYAN, GREEN, MAGENTA, RED, BLUE, K]
    for i, colour in enumerate(bars):
        for x in range(1 + 3 * i, 4 + 3 * i):
            for y in range(10, 24):
                put(pic, x, y, colour)
    return pic


def complemented(pic):
    return [[COMPLEMENT[c] for c in row] for row in pic]


def brightness():
    pic = blank(AREA, SILVER)
    c, r = (AREA - 1) / 2, 10.5
    for y in range(AREA):
        for x in range(AREA):
            d = math.hypot(x - c, y - c)
            if d <= r:
                pic[y][x] = K if d > r - 1.2 or x < c else WHITE
    return pic


def grid():
    """White graph square from 2 to 23 with grey dots on its grid lines."""
    pic = blank(AREA, SILVER)
    for y in range(2, 24):
        for x in range(2, 24):
            on_line = (x - 2) % 7 == 0 or (y - 2) % 7 == 0
            pic[y][x] = GREY if on_line and (x + y) % 2 == 0 else WHITE
    return pic


def plot(pic, curve):
    """Draws output = curve(input), both 0..1, into the graph square."""
    points = []
    for i in range(22):
        v = min(max(curve(i / 21), 0.0), 1.0)
        points.append((2 + i, 23 - round(v * 21)))
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        draw_line(pic, x0, y0, x1, y1, K)
    return pic


def polyline(pic, points):
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        draw_line(pic, 2 + x0, 23 - y0, 2 + x1, 23 - y1, K)
    return pic


def curve_smooth():
    return plot(grid(), lambda t: 0.5 - 0.5 * math.cos(math.pi * t))


def curve_reset():
    return plot(grid(), lambda t: t)


def curve_segments():
    return polyline(grid(), [(0, 0), (7, 15), (14, 6), (21, 21)])


def curve_gamma():
    return plot(grid(), lambda t: t ** 0.45)


def levels():
    pic = blank(AREA, SILVER)
    for y in range(2, 24):
        for x in range(2, 24):
            pic[y][x] = WHITE
    for x in range(2, 24):                   # a hill-shaped histogram
        height = round(17 * math.exp(-((x - 11) / 6.0) ** 2)) + 2
        for y in range(24 - height, 24):
            pic[y][x] = GREY
    for y in range(2, 24):                   # the dots lie over the bars
        for x in range(2, 24):
            if ((x - 2) % 7 == 0 or (y - 2) % 7 == 0) and (x + y) % 2 == 0:
                pic[y][x] = K
    return pic


def balance():
    pic = blank(AREA, SILVER)
    for (cx, cy), colour in (((12.5, 7.5), RED), ((7.0, 17.0), GREEN), ((18.0, 17.0), BLUE)):
        for y in range(AREA):
            for x in range(AREA):
                if math.hypot(x - cx, y - cy) <= 5.2:
                    pic[y][x] = colour
    return pic


def huesat():
    pic = blank(AREA, SILVER)
    c, r = (AREA - 1) / 2, 11.5
    sectors = [RED, YELLOW, GREEN, CYAN, BLUE, MAGENTA]
    for y in range(AREA):
        for x in range(AREA):
            dx, dy = x - c, c - y
            if abs(dy) <= r * math.sqrt(3) / 2 and math.sqrt(3) * abs(dx) + abs(dy) <= math.sqrt(3) * r:
                angle = math.degrees(math.atan2(dy, dx)) % 360
                pic[y][x] = sectors[int(angle // 60)]
    return pic


# ---- faces and markers ----

def face(picture, pressed):
    """Frames a picture as a raised (up) or sunken (pressed) button."""
    out = blank(FACE, SILVER)
    last = FACE - 1
    if pressed:
        for i in range(FACE):
            out[0][i] = out[i][0] = K
            out[1][i] = out[i][1] = GREY
            out[last][i] = out[i][last] = WHITE
        origin = 4
    else:
        for i in range(FACE):
            out[0][i] = out[i][0] = WHITE
            out[last][i] = out[i][last] = K
            out[last - 1][i] = out[i][last - 1] = GREY
        out[last - 1][0] = out[0][last - 1] = WHITE
        origin = 3
    for y in range(AREA):
        for x in range(AREA):
            out[origin + y][origin + x] = picture[y][x]
    return out


def marker(fill):
    """A triangle pointing up, black outline, on white."""
    pic = blank(MARKER, WHITE)
    spans = [(3 - y // 2, 4 + y // 2) for y in range(MARKER)]
    for y, (x0, x1) in enumerate(spans):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y == MARKER - 1 or y == 0
            pic[y][x] = K if edge else fill
    return pic


def bmp_bytes(pic):
    """A 16-colour bottom-up .bmp file: file header, info header, palette,
    two pixels a byte (left one in the high half), rows padded to 4 bytes."""
    height, width = len(pic), len(pic[0])
    row_size = ((width * 4 + 31) // 32) * 4
    rows = []
    for row in reversed(pic):
        packed = bytearray(row_size)
        for x, colour in enumerate(row):
            packed[x // 2] |= colour << (0 if x % 2 else 4)
        rows.append(bytes(packed))
    pixels = b''.join(rows)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels),
                       2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def pictures():
    flip_picture, invert_picture = flip(), invert()
    return [
        ('flip', flip_picture),
        ('flip_mirrored', mirrored(flip_picture)),
        ('invert', invert_picture),
        ('invert_inverted', complemented(invert_picture)),
        ('brightness', brightness()),
        ('curve_smooth', curve_smooth()),
        ('curve_reset', curve_reset()),
        ('curve_segments', curve_segments()),
        ('curve_gamma', curve_gamma()),
        ('levels', levels()),
        ('balance', balance()),
        ('huesat', huesat()),
    ]


def images():
    out = []
    for name, picture in pictures():
        out.append((name + '.bmp', face(picture, False)))
        out.append((name + '_pressed.bmp', face(picture, True)))
    out.append(('level_highlight.bmp', marker(WHITE)))
    out.append(('level_midtone.bmp', marker(GREY)))
    out.append(('level_shadow.bmp', marker(K)))
    return out


def main(argv):
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'buttons')
    os.makedirs(folder, exist_ok=True)
    for name, pic in images():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(bmp_bytes(pic))
        if '--show' in argv:
            print(name)
            for row in pic:
                print(''.join('%x' % c for c in row))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
