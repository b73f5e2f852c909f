#!/usr/bin/env python3
"""Draws the button pictures of the dream dictionary window as 16-colour XPM files.

    python3 make_glyphs.py [OUTDIR]

Five 32 x 32 toolbar pictures, the two 14 x 14 pictures of the list and search buttons, and
the eight record-command pictures in an enabled (black) and a disabled (grey outline) form.
The files are committed; run this again only to change a picture.
"""

import math
import os
import sys

# The sixteen colours of the pictures, with the key each has in the files; None is the
# transparent background.
PALETTE = {
    ' ': None,
    'k': '#000000', 'm': '#800000', 'g': '#008000', 'o': '#808000',
    'n': '#000080', 'p': '#800080', 't': '#008080', 'a': '#808080',
    's': '#C0C0C0', 'r': '#FF0000', 'l': '#00FF00', 'y': '#FFFF00',
    'b': '#0000FF', 'f': '#FF00FF', 'c': '#00FFFF', 'w': '#FFFFFF',
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[' '] * w for _ in range(h)]

    def set(self, x, y, c):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, inside, c):
        """Colours every pixel whose centre satisfies inside(x, y)."""
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.line(x0, y0, x1, y0, c)
        self.line(x0, y1, x1, y1, c)
        self.line(x0, y0, x0, y1, c)
        self.line(x1, y0, x1, y1, c)

    def line(self, x0, y0, x1, y1, c):
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) or 1
        for i in range(steps + 1):
            self.set(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, c)

    def disc(self, cx, cy, r, c):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def ring(self, cx, cy, r, c):
        for i in range(int(8 * r) + 8):
            a = 2 * math.pi * i / (int(8 * r) + 8)
            self.set(cx + r * math.cos(a) - 0.5, cy + r * math.sin(a) - 0.5, c)

    def polygon(self, points, c):
        self.fill(lambda x, y: inside_polygon(points, x, y), c)

    def outline(self, c, of):
        """Draws c on the pixels of colour `of` that touch a pixel of another colour."""
        marks = []
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x] != of:
                    continue
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < self.w and 0 <= ny < self.h) or self.px[ny][nx] != of:
                        marks.append((x, y))
                        break
        for x, y in marks:
            self.px[y][x] = c

    def xpm(self, name):
        used = sorted({c for row in self.px for c in row})
        lines = ['/* XPM */', 'static const char *const %s[] = {' % name,
                 '"%d %d %d 1",' % (self.w, self.h, len(used))]
        for key in used:
            lines.append('"%s c %s",' % (key, PALETTE[key] or 'None'))
        rows = ['"%s"' % ''.join(row) for row in self.px]
        lines.append(',\n'.join(rows))
        lines.append('};')
        return '\n'.join(lines) + '\n'


def inside_polygon(points, x, y):
    inside = False
    n = len(points)
    for i in range(n):
        x0, y0 = points[i]
        x1, y1 = points[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
    return inside


# Toolbar pictures, 32 x 32.

def prologue():
    """A mountain landscape with the sun, clouds and a bird."""
    c = Canvas(32, 32)
    c.rect(1, 1, 30, 30, 'c')
    c.disc(23.5, 8.5, 4.5, 'y')
    c.ring(23.5, 8.5, 5, 'o')
    for cx, cy, r in ((6, 7, 2.6), (9, 6, 3.2), (12, 7.5, 2.4), (15, 9, 2)):
        c.disc(cx, cy, r, 'w')
    c.polygon([(1, 26), (10, 12), (17, 21), (22, 15), (31, 26)], 'a')
    c.polygon([(10, 12), (7.5, 16), (9.5, 15.5), (11, 17), (12.5, 15)], 'w')
    c.polygon([(22, 15), (20, 18), (22, 17.5), (24, 18.5)], 'w')
    c.rect(1, 24, 30, 30, 'g')
    c.line(1, 24, 30, 24, 'o')
    for x in (4, 9, 15, 21, 27):
        c.line(x, 27, x + 1, 26, 'l')
    # the bird
    for x, y in ((14, 13), (15, 14), (16, 13), (13, 12), (17, 12)):
        c.set(x, y, 'k')
    c.frame(0, 0, 31, 31, 'k')
    return c


def about():
    """A compact disc in a top hat, and a magic wand."""
    c = Canvas(32, 32)
    # the disc, half inside the hat
    c.disc(13.5, 11.5, 8.5, 's')
    c.disc(11.5, 9.5, 3, 'w')
    c.ring(13.5, 11.5, 8.5, 'a')
    c.disc(13.5, 11.5, 2.2, 'c')
    c.disc(13.5, 11.5, 1.1, ' ')
    # the hat
    c.rect(5, 16, 22, 27, 'k')
    c.rect(5, 19, 22, 21, 'r')
    c.rect(1, 27, 26, 29, 'k')
    c.line(2, 28, 25, 28, 'a')
    # the wand with a star at its tip
    c.line(20, 25, 28, 7, 'k')
    c.line(21, 25, 29, 7, 'k')
    c.line(28, 7, 29, 5, 'w')
    for x, y in ((28, 2), (28, 3), (27, 4), (29, 4), (26, 4), (30, 4), (28, 5), (28, 6)):
        c.set(x, y, 'y')
    for x, y in ((23, 3), (31, 9), (24, 9)):
        c.set(x, y, 'y')
    return c


def exit_door():
    """A running man at an open exit door, with an arrow."""
    c = Canvas(32, 32)
    # the door frame and the open door
    c.rect(17, 2, 30, 30, 'm')
    c.rect(19, 4, 28, 30, 'k')
    c.polygon([(19, 4), (24, 7), (24, 31), (19, 30)], 'o')
    c.set(22, 18, 'y')
    # the arrow pointing to the door
    c.rect(2, 4, 11, 6, 'r')
    c.polygon([(11, 1.5), (16, 5.5), (11, 9.5)], 'r')
    # the running man
    c.disc(8.5, 12.5, 2.1, 'g')
    c.line(8, 15, 6, 22, 'g')
    c.line(9, 15, 7, 22, 'g')
    c.line(8, 16, 13, 18, 'g')
    c.line(8, 16, 4, 19, 'g')
    c.line(6, 22, 11, 25, 'g')
    c.line(11, 25, 12, 29, 'g')
    c.line(7, 22, 3, 27, 'g')
    c.line(3, 27, 1, 26, 'g')
    c.line(1, 31, 31, 31, 'k')
    return c


def help_mark():
    """A yellow question mark."""
    c = Canvas(32, 32)
    hook = lambda x, y: 36 <= (x - 16) ** 2 + (y - 10) ** 2 <= 100 and not (x < 13 and y > 10)
    c.fill(hook, 'y')
    c.polygon([(15, 15), (20, 16), (18.5, 23), (14, 23)], 'y')
    c.disc(16.5, 27.5, 2.6, 'y')
    c.outline('k', 'y')
    return c


def printer():
    """A printer with a sheet of paper."""
    c = Canvas(32, 32)
    c.rect(9, 2, 23, 13, 'w')
    c.frame(9, 2, 23, 13, 'k')
    for y in (5, 7, 9):
        c.line(11, y, 21, y, 'a')
    c.polygon([(2, 13), (30, 13), (30, 25), (2, 25)], 's')
    c.frame(2, 13, 30, 25, 'k')
    c.line(3, 14, 29, 14, 'w')
    c.rect(3, 22, 29, 24, 'a')
    c.rect(7, 17, 25, 18, 'k')
    c.set(27, 16, 'l')
    c.set(26, 16, 'g')
    c.rect(8, 25, 24, 29, 'w')
    c.frame(8, 25, 24, 29, 'k')
    c.line(10, 27, 22, 27, 'a')
    return c


# The list and search buttons, 14 x 14.

def page():
    """A written page with a folded corner."""
    c = Canvas(14, 14)
    c.polygon([(2, 0), (9, 0), (12, 3), (12, 14), (2, 14)], 'w')
    c.outline('k', 'w')
    c.line(9, 0, 9, 3, 'k')
    c.line(9, 3, 12, 3, 'k')
    for y in (5, 7, 9, 11):
        c.line(4, y, 9 if y == 11 else 10, y, 'n')
    c.line(4, 3, 7, 3, 'n')
    return c


def folder():
    """An open yellow folder."""
    c = Canvas(14, 14)
    c.polygon([(0, 2), (5, 2), (6, 3), (12, 3), (12, 12), (0, 12)], 'o')
    c.polygon([(2, 6), (14, 6), (12, 13), (0, 13)], 'y')
    c.outline('k', 'y')
    c.line(0, 2, 0, 12, 'k')
    c.line(0, 2, 5, 2, 'k')
    c.line(5, 2, 6, 3, 'k')
    c.line(6, 3, 11, 3, 'k')
    c.line(11, 3, 11, 5, 'k')
    return c


# Record-command pictures, 16 x 16; each is a black shape, drawn again as a grey outline
# for the disabled form.

def shape_first(c):
    c.rect(3, 3, 4, 12, 'k')
    c.polygon([(12, 2.5), (12, 13.5), (5.5, 8)], 'k')


def shape_prior(c):
    c.polygon([(11, 2.5), (11, 13.5), (4.5, 8)], 'k')


def shape_next(c):
    c.polygon([(5, 2.5), (5, 13.5), (11.5, 8)], 'k')


def shape_insert(c):
    c.rect(7, 3, 8, 12, 'k')
    c.rect(3, 7, 12, 8, 'k')


def shape_delete(c):
    c.rect(3, 7, 12, 8, 'k')


def shape_post(c):
    c.polygon([(2, 8), (4, 6), (6.5, 8.5), (12, 3), (14, 5), (6.5, 12.5)], 'k')


def shape_cancel(c):
    c.fill(lambda x, y: 3 <= x <= 13 and 3 <= y <= 13 and
           (abs((x - 8) - (y - 8)) <= 1.3 or abs((x - 8) + (y - 8)) <= 1.3), 'k')


def shape_refresh(c):
    c.fill(lambda x, y: 14 <= (x - 8) ** 2 + (y - 8.5) ** 2 <= 30 and not (x > 8 and y < 8.5),
           'k')
    c.polygon([(8, 1), (12.5, 4), (8, 7)], 'k')


NAVIGATORS = {
    'nav_first': shape_first, 'nav_prior': shape_prior, 'nav_next': shape_next,
    'nav_insert': shape_insert, 'nav_delete': shape_delete, 'nav_post': shape_post,
    'nav_cancel': shape_cancel, 'nav_refresh': shape_refresh,
}


def navigator(shape, enabled):
    c = Canvas(16, 16)
    shape(c)
    if enabled:
        return c
    # The disabled form: the shape's outline in grey over a white copy one pixel lower
    # right, the grey text look of a disabled control.
    c.outline('a', 'k')
    shadow = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            if c.get(x, y) == 'a' and x + 1 < 16 and y + 1 < 16:
                shadow.set(x + 1, y + 1, 'w')
    for y in range(16):
        for x in range(16):
            if c.get(x, y) == 'k':
                c.set(x, y, ' ')
            if c.get(x, y) == ' ' and shadow.get(x, y) == 'w':
                c.set(x, y, 'w')
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    pictures = {
        'tool_prologue': prologue(), 'tool_about': about(), 'tool_exit': exit_door(),
        'tool_help': help_mark(), 'tool_print': printer(),
        'list_page': page(), 'search_folder': folder(),
    }
    for name, shape in NAVIGATORS.items():
        pictures[name] = navigator(shape, True)
        pictures[name + '_off'] = navigator(shape, False)
    for name, canvas in pictures.items():
        with open(os.path.join(out, name + '.xpm'), 'w') as f:
            f.write(canvas.xpm(name))
    with open(os.path.join(out, 'glyphs.qrc'), 'w') as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/glyphs">\n')
        for name in sorted(pictures):
            f.write('    <file>%s.xpm</file>\n' % name)
        f.write('</qresource>\n</RCC>\n')


if __name__ == '__main__':
    main()
