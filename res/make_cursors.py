#!/usr/bin/env python3
"""Draws the three pointer shapes of the preview pane and writes them as
32 x 32 monochrome .cur files beside this script.

  610  cross_draw.cur    over the pane outside the selection: a new selection
                         is drawn from here (cross hair)
  611  hand_open.cur     over the selection: it can be picked up (open hand)
  612  hand_closed.cur   while the selection is being moved (closed hand)

The build uses the committed .cur files; run this script only after changing
a picture here.  Python 3 standard library only.

Picture characters: 'X' black, '.' white, ' ' transparent, '~' inverted
screen.  A picture is placed at the top left of the 32 x 32 cell.
"""

import os
import struct
import sys

SIZE = 32


def cross_hair():
    """Thin black cross with a white rim and an open centre pixel."""
    grid = [[' '] * SIZE for _ in range(SIZE)]
    c = 15
    arm = 12                      # pixels from the centre to the arm's end
    for d in range(2, arm + 1):   # leave a small gap around the hot spot
        for x, y in ((c - d, c), (c + d, c), (c, c - d), (c, c + d)):
            grid[y][x] = 'X'
    grid[c][c] = 'X'
    outline(grid)
    return grid, (c, c)


OPEN_HAND = """
          XX
      XX X..X
     X..XX..X XX
     X..XX..XX..X
     X..XX..XX..X XX
     X..XX..XX..XX..X
     X..XX..XX..XX..X
 XX  X..XX..XX..XX..X
X..X X..............X
X...XX..............X
 X...X..............X
  X.................X
   X...............X
    X..............X
     X............X
      X..........X
      X..........X
"""

CLOSED_HAND = """
       XX XX XX
      X..X..X..XXX
      X.........X.X
    XXX...........X
   X..X...........X
   X..............X
    X.............X
     X...........X
      X..........X
      X..........X
"""


def from_picture(text, offset, hot):
    """Turns a picture into a 32 x 32 grid, moved by offset (dx, dy)."""
    grid = [[' '] * SIZE for _ in range(SIZE)]
    rows = text.strip('\n').split('\n')
    dx, dy = offset
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch not in 'X. ~':
                raise ValueError('bad picture character %r' % ch)
            if ch != ' ':
                grid[y + dy][x + dx] = ch
    fill_inside(grid)
    return grid, hot


def fill_inside(grid):
    """Makes every transparent pixel enclosed by the black outline white, so
    the pictures only need their outline and a few inner strokes drawn."""
    outside = set()
    todo = [(x, y) for x in range(SIZE) for y in (0, SIZE - 1)]
    todo += [(x, y) for y in range(SIZE) for x in (0, SIZE - 1)]
    while todo:
        x, y = todo.pop()
        if (x, y) in outside or not (0 <= x < SIZE and 0 <= y < SIZE):
            continue
        if grid[y][x] != ' ':
            continue
        outside.add((x, y))
        todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    for y in range(SIZE):
        for x in range(SIZE):
            if grid[y][x] == ' ' and (x, y) not in outside:
                grid[y][x] = '.'


def outline(grid):
    """Puts a white rim around every black pixel (8-neighbourhood), so the
    shape stays visible on black and on white."""
    black = [(x, y) for y in range(SIZE) for x in range(SIZE)
             if grid[y][x] == 'X']
    for x, y in black:
        for ny in range(y - 1, y + 2):
            for nx in range(x - 1, x + 2):
                if 0 <= nx < SIZE and 0 <= ny < SIZE and grid[ny][nx] == ' ':
                    grid[ny][nx] = '.'


def cur_bytes(grid, hot):
    """Encodes one 32 x 32 1-bit image as a .cur file: directory, bitmap
    header, two-colour palette, colour mask and transparency mask, both masks
    bottom row first with rows of 4 bytes."""
    xor_rows, and_rows = [], []
    for row in reversed(grid):
        xor_bits = and_bits = 0
        for x, ch in enumerate(row):
            bit = 1 << (31 - x)
            if ch == '.':
                xor_bits |= bit
            elif ch == ' ':
                and_bits |= bit
            elif ch == '~':
                xor_bits |= bit
                and_bits |= bit
        xor_rows.append(struct.pack('>I', xor_bits))
        and_rows.append(struct.pack('>I', and_bits))
    masks = b''.join(xor_rows) + b''.join(and_rows)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0,
                         len(masks), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = header + palette + masks
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hot[0], hot[1],
                        len(image), 6 + 16)
    return directory + entry + image


def shapes():
    return [
        ('cross_draw.cur', cross_hair()),
        ('hand_open.cur', from_picture(OPEN_HAND, (5, 7), (16, 18))),
        ('hand_closed.cur', from_picture(CLOSED_HAND, (5, 12), (16, 17))),
    ]


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    for name, (grid, hot) in shapes():
        if grid[hot[1]][hot[0]] == ' ':
            raise ValueError('%s: hot spot on a transparent pixel' % name)
        with open(os.path.join(here, name), 'wb') as f:
            f.write(cur_bytes(grid, hot))
        if '--show' in argv:
            print(name, 'hot spot', hot)
            for y, row in enumerate(grid):
                print(''.join('+' if (x, y) == hot else ch
                              for x, ch in enumerate(row)).rstrip())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
