#!/usr/bin/env python3
"""Draws the pictures of the sample dictionary.

Every picture is a 137 x 177 pixel Windows bitmap, 8 bits per pixel with a 256-colour
palette, uncompressed: a simple symbol (sun, moon, fish, key...) on a night-blue
background inside a golden frame. The drawing uses integer pixel centres and a fixed
palette and writes no time stamps, so running the script again rewrites the same bytes.

    python3 make_pictures.py [OUTPUT_DIR]     (default: pictures/ beside this script)

Only the Python standard library is used.
"""

import math
import os
import struct
import sys

WIDTH = 137
HEIGHT = 177

# ---------------------------------------------------------------------------------------
# Palette: 16 plain colours, a 6x6x6 colour cube and a 24-step night-blue ramp.

PLAIN = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
CUBE_BASE = 16
SKY_BASE = 232
SKY_STEPS = 24


def build_palette():
    palette = list(PLAIN)
    levels = [0, 51, 102, 153, 204, 255]
    for r in levels:
        for g in levels:
            for b in levels:
                palette.append((r, g, b))
    top, bottom = (10, 14, 46), (58, 74, 138)
    for i in range(SKY_STEPS):
        palette.append(tuple(top[k] + (bottom[k] - top[k]) * i // (SKY_STEPS - 1)
                             for k in range(3)))
    assert len(palette) == 256
    return palette


PALETTE = build_palette()


def cube(r, g, b):
    """Palette index of a cube colour, each component 0..5."""
    return CUBE_BASE + 36 * r + 6 * g + b


BLACK = 0
WHITE = 15
GOLD = cube(5, 4, 1)
DARK_GOLD = cube(4, 3, 0)
YELLOW = cube(5, 5, 1)
ORANGE = cube(5, 3, 0)
RED = cube(5, 0, 0)
DARK_RED = cube(3, 0, 0)
PINK = cube(5, 3, 4)
GREEN = cube(1, 4, 1)
DARK_GREEN = cube(0, 2, 0)
BROWN = cube(3, 2, 1)
DARK_BROWN = cube(2, 1, 0)
SILVER = 7
GREY = 8
PALE = cube(5, 5, 4)
SEA = cube(0, 2, 4)
LIGHT_SEA = cube(1, 3, 5)
SKY_BLUE = cube(2, 4, 5)
VIOLET = cube(3, 1, 4)
CREAM = cube(5, 5, 3)
WALL = cube(4, 3, 2)


# ---------------------------------------------------------------------------------------
# Canvas with simple filled shapes, tested at pixel centres.

class Canvas:
    def __init__(self):
        self.pixels = bytearray(WIDTH * HEIGHT)  # row 0 is the top row

    def put(self, x, y, colour):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            self.pixels[y * WIDTH + x] = colour

    def fill(self, inside, colour, box=(0, 0, WIDTH, HEIGHT)):
        x0, y0, x1, y1 = (max(0, int(box[0])), max(0, int(box[1])),
                          min(WIDTH, int(box[2]) + 1), min(HEIGHT, int(box[3]) + 1))
        for y in range(y0, y1):
            for x in range(x0, x1):
                if inside(x + 0.5, y + 0.5):
                    self.pixels[y * WIDTH + x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, colour):
        self.fill(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, colour,
                  (cx - rx, cy - ry, cx + rx, cy + ry))

    def circle(self, cx, cy, r, colour):
        self.ellipse(cx, cy, r, r, colour)

    def ring(self, cx, cy, r_out, r_in, colour):
        self.fill(lambda x, y: r_in ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out ** 2,
                  colour, (cx - r_out, cy - r_out, cx + r_out, cy + r_out))

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.fill(lambda x, y: inside_polygon(points, x, y), colour,
                  (min(xs), min(ys), max(xs), max(ys)))

    def line(self, x0, y0, x1, y1, width, colour):
        r = width / 2.0
        self.fill(lambda x, y: segment_distance(x, y, x0, y0, x1, y1) <= r, colour,
                  (min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r))

    def polyline(self, points, width, colour):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], width, colour)


def inside_polygon(points, x, y):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def segment_distance(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / length2))
    ex, ey = x0 + t * dx - px, y0 + t * dy - py
    return math.sqrt(ex * ex + ey * ey)


def polar(cx, cy, r, degrees):
    """A point on a circle, rounded so that the drawing does not hang on the last bit."""
    a = math.radians(degrees)
    return (round(cx + r * math.cos(a), 6), round(cy + r * math.sin(a), 6))


# ---------------------------------------------------------------------------------------
# Background and frame, shared by every picture.

def background(c):
    for y in range(HEIGHT):
        colour = SKY_BASE + y * SKY_STEPS // HEIGHT
        for x in range(WIDTH):
            c.pixels[y * WIDTH + x] = colour
    # A few faint stars, always in the same places.
    seed = 12345
    for _ in range(28):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        x = 6 + seed % (WIDTH - 12)
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        y = 6 + seed % (HEIGHT - 12)
        c.put(x, y, SILVER)


def frame(c):
    for i, colour in enumerate((DARK_GOLD, GOLD, GOLD, DARK_GOLD)):
        for x in range(i, WIDTH - i):
            c.put(x, i, colour)
            c.put(x, HEIGHT - 1 - i, colour)
        for y in range(i, HEIGHT - i):
            c.put(i, y, colour)
            c.put(WIDTH - 1 - i, y, colour)


CX = WIDTH / 2.0
CY = HEIGHT / 2.0


# ---------------------------------------------------------------------------------------
# The symbols.

def draw_sol(c):
    for k in range(12):
        a = k * 30
        p0 = polar(CX, CY, 34, a)
        p1 = polar(CX, CY, 58 if k % 2 == 0 else 50, a)
        c.line(p0[0], p0[1], p1[0], p1[1], 6, ORANGE)
    c.circle(CX, CY, 32, YELLOW)
    c.circle(CX - 10, CY - 6, 3.5, DARK_BROWN)
    c.circle(CX + 10, CY - 6, 3.5, DARK_BROWN)
    c.fill(lambda x, y: 15 <= math.hypot(x - CX, y - CY - 2) <= 19 and y > CY + 6,
           DARK_BROWN, (CX - 20, CY, CX + 20, CY + 22))


def draw_luna(c):
    cx, cy, r = CX + 6, CY, 46
    c.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r
           and (x - cx - 22) ** 2 + (y - cy + 10) ** 2 > 40 * 40, PALE,
           (cx - r, cy - r, cx + r, cy + r))
    for (x, y, s) in ((CX + 30, CY - 45, 5), (CX + 38, CY + 28, 3), (CX + 20, CY + 60, 4)):
        c.polygon(star_points(x, y, s, s / 2.5), YELLOW)


def draw_pez(c):
    c.polygon([(CX + 22, CY), (CX + 52, CY - 24), (CX + 52, CY + 24)], ORANGE)
    c.ellipse(CX - 8, CY, 40, 23, ORANGE)
    c.polygon([(CX - 14, CY - 20), (CX + 6, CY - 36), (CX + 16, CY - 19)], RED)
    c.circle(CX - 30, CY - 6, 5, WHITE)
    c.circle(CX - 31, CY - 6, 2.5, BLACK)
    for k in range(3):
        x = CX - 12 + k * 12
        c.fill(lambda px, py, x=x: 13 <= math.hypot(px - x + 14, py - CY) <= 15.5
               and px > x - 4, RED, (x - 6, CY - 16, x + 4, CY + 16))
    for k, (bx, by) in enumerate(((CX - 48, CY - 30), (CX - 40, CY - 48), (CX - 50, CY - 62))):
        c.ring(bx, by, 4 + k, 2.5 + k, SKY_BLUE)


def draw_llave(c):
    c.ring(CX, CY - 46, 24, 12, GOLD)
    c.rect(CX - 5, CY - 24, CX + 5, CY + 62, GOLD)
    c.rect(CX + 5, CY + 34, CX + 22, CY + 42, GOLD)
    c.rect(CX + 5, CY + 50, CX + 18, CY + 58, GOLD)
    c.rect(CX - 2, CY - 22, CX + 1, CY + 60, DARK_GOLD)


def draw_casa(c):
    c.rect(CX - 40, CY - 6, CX + 40, CY + 52, WALL)
    c.polygon([(CX - 52, CY - 4), (CX, CY - 52), (CX + 52, CY - 4)], DARK_RED)
    c.rect(CX + 18, CY - 50, CX + 30, CY - 24, BROWN)
    c.rect(CX - 10, CY + 18, CX + 10, CY + 52, DARK_BROWN)
    c.circle(CX + 6, CY + 36, 1.8, GOLD)
    for x0 in (CX - 34, CX + 18):
        c.rect(x0, CY + 6, x0 + 16, CY + 22, YELLOW)
        c.rect(x0 + 7, CY + 6, x0 + 9, CY + 22, DARK_BROWN)
        c.rect(x0, CY + 13, x0 + 16, CY + 15, DARK_BROWN)
    c.rect(6, CY + 52, WIDTH - 6, HEIGHT - 6, DARK_GREEN)


def draw_arbol(c):
    c.rect(CX - 8, CY + 10, CX + 8, CY + 66, BROWN)
    c.polygon([(CX - 8, CY + 66), (CX - 18, CY + 72), (CX + 18, CY + 72), (CX + 8, CY + 66)],
              BROWN)
    for (x, y, r) in ((CX, CY - 40, 28), (CX - 26, CY - 12, 24), (CX + 26, CY - 12, 24),
                      (CX, CY - 6, 26)):
        c.circle(x, y, r, GREEN)
    for (x, y) in ((CX - 16, CY - 30), (CX + 14, CY - 44), (CX + 24, CY - 4),
                   (CX - 28, CY + 2), (CX + 2, CY - 14)):
        c.circle(x, y, 4, RED)


def star_points(cx, cy, r_out, r_in, points=5):
    result = []
    for k in range(points * 2):
        r = r_out if k % 2 == 0 else r_in
        result.append(polar(cx, cy, r, -90 + k * 180 / points))
    return result


def draw_estrella(c):
    c.polygon(star_points(CX, CY, 58, 23), YELLOW)
    c.polygon(star_points(CX, CY, 34, 13), GOLD)
    for (x, y) in ((20, 24), (WIDTH - 22, 30), (24, HEIGHT - 26), (WIDTH - 24, HEIGHT - 30)):
        c.polygon(star_points(x, y, 6, 2.5, 4), WHITE)


def draw_corazon(c):
    def heart(x, y, scale):
        u = (x - CX) / scale
        v = (CY - 4 - y) / scale
        return (u * u + v * v - 1) ** 3 - u * u * v * v * v <= 0

    c.fill(lambda x, y: heart(x, y, 46), RED, (CX - 60, CY - 60, CX + 60, CY + 60))
    c.fill(lambda x, y: heart(x + 8, y + 10, 18) and not heart(x + 6, y + 8, 18), PINK,
           (CX - 40, CY - 50, CX + 10, CY))


def draw_serpiente(c):
    points = []
    for k in range(0, 41):
        t = k / 40.0
        y = CY + 62 - t * 118
        x = CX + 30 * math.sin(t * 2.6 * math.pi)
        points.append((round(x, 6), round(y, 6)))
    c.polyline(points, 15, GREEN)
    c.polyline(points[::4], 4, DARK_GREEN)
    hx, hy = points[-1]
    c.ellipse(hx, hy - 6, 13, 10, GREEN)
    c.circle(hx - 5, hy - 9, 2.5, YELLOW)
    c.circle(hx + 5, hy - 9, 2.5, YELLOW)
    c.line(hx, hy - 16, hx, hy - 26, 2, RED)
    c.line(hx, hy - 26, hx - 4, hy - 31, 2, RED)
    c.line(hx, hy - 26, hx + 4, hy - 31, 2, RED)


def draw_pajaro(c):
    c.ellipse(CX - 2, CY + 8, 34, 20, WHITE)
    c.circle(CX + 30, CY - 10, 14, WHITE)
    c.polygon([(CX + 42, CY - 14), (CX + 58, CY - 8), (CX + 42, CY - 4)], ORANGE)
    c.circle(CX + 34, CY - 13, 2.5, BLACK)
    c.polygon([(CX - 30, CY + 4), (CX - 58, CY - 6), (CX - 52, CY + 22), (CX - 30, CY + 16)],
              WHITE)
    c.polygon([(CX - 14, CY + 2), (CX - 4, CY - 54), (CX + 14, CY - 42), (CX + 12, CY + 4)],
              SILVER)
    c.line(CX + 2, CY + 26, CX - 2, CY + 44, 3, ORANGE)
    c.line(CX + 12, CY + 26, CX + 10, CY + 44, 3, ORANGE)
    c.line(CX + 20, CY + 46, CX - 40, CY + 46, 4, BROWN)


def draw_barco(c):
    c.polygon([(CX - 54, CY + 22), (CX + 54, CY + 22), (CX + 38, CY + 44), (CX - 38, CY + 44)],
              BROWN)
    c.rect(CX - 3, CY - 64, CX + 3, CY + 22, DARK_BROWN)
    c.polygon([(CX + 4, CY - 60), (CX + 4, CY + 14), (CX + 46, CY + 14)], WHITE)
    c.polygon([(CX - 4, CY - 50), (CX - 4, CY + 14), (CX - 38, CY + 14)], CREAM)
    c.polygon([(CX + 3, CY - 64), (CX + 22, CY - 58), (CX + 3, CY - 52)], RED)
    c.rect(6, CY + 40, WIDTH - 6, HEIGHT - 6, SEA)
    for row in range(3):
        y = CY + 48 + row * 14
        for k in range(6):
            x = 10 + k * 24 + (row % 2) * 12
            c.fill(lambda px, py, x=x, y=y: 7 <= math.hypot(px - x, py - y - 6) <= 9.5
                   and py < y + 2, LIGHT_SEA, (x - 10, y - 4, x + 10, y + 3))


def draw_ojo(c):
    def lens(x, y):
        return (math.hypot(x - CX, y - CY + 52) <= 76 and math.hypot(x - CX, y - CY - 52) <= 76)

    c.fill(lambda x, y: lens(x, y) is False and math.hypot(x - CX, y - CY + 56) <= 84
           and math.hypot(x - CX, y - CY - 48) <= 84 and y < CY, DARK_BROWN,
           (CX - 62, CY - 40, CX + 62, CY))
    c.fill(lens, WHITE, (CX - 62, CY - 40, CX + 62, CY + 40))
    c.circle(CX, CY, 22, SEA)
    c.ring(CX, CY, 22, 18, cube(0, 1, 3))
    c.circle(CX, CY, 10, BLACK)
    c.circle(CX + 6, CY - 6, 4, WHITE)
    for k in range(7):
        x = CX - 36 + k * 12
        top = CY - 26 - (16 - abs(k - 3) * 3)
        c.line(x, CY - 22 - (10 - abs(k - 3) * 3), x + (k - 3) * 3, top - 8, 3, BLACK)


def draw_campana(c):
    def bell(x, y):
        top, bottom = CY - 44, CY + 34
        if y < top or y > bottom:
            return False
        t = (y - top) / (bottom - top)
        half = 18 + 36 * t ** 2.2
        return abs(x - CX) <= half

    c.ring(CX, CY - 52, 9, 4, DARK_GOLD)
    c.circle(CX, CY - 40, 20, GOLD)
    c.fill(bell, GOLD, (CX - 56, CY - 44, CX + 56, CY + 34))
    c.rect(CX - 56, CY + 30, CX + 56, CY + 38, DARK_GOLD)
    c.circle(CX, CY + 44, 9, DARK_GOLD)
    c.line(CX - 24, CY - 30, CX - 34, CY + 24, 4, YELLOW)
    for s, x in ((-1, CX - 60), (1, CX + 60)):
        for k in range(3):
            c.fill(lambda px, py, k=k, x=x, s=s: abs(math.hypot(px - x + s * 22, py - CY)
                                                     - (10 + k * 8)) <= 1.3
                   and s * (px - x + s * 22) > 0, WHITE, (x - 40, CY - 40, x + 40, CY + 40))


def draw_anillo(c):
    c.ellipse(CX, CY + 16, 42, 38, GOLD)
    c.ellipse(CX, CY + 16, 32, 28, SKY_BASE + 13)
    c.polygon([(CX - 20, CY - 30), (CX + 20, CY - 30), (CX + 12, CY - 14), (CX - 12, CY - 14)],
              DARK_GOLD)
    c.polygon([(CX - 18, CY - 46), (CX + 18, CY - 46), (CX + 26, CY - 36), (CX, CY - 8),
               (CX - 26, CY - 36)], LIGHT_SEA)
    c.polygon([(CX - 18, CY - 46), (CX + 18, CY - 46), (CX + 26, CY - 36), (CX - 26, CY - 36)],
              SKY_BLUE)
    c.polygon([(CX - 6, CY - 44), (CX + 2, CY - 44), (CX - 4, CY - 38)], WHITE)


def draw_flor(c):
    c.line(CX, CY + 4, CX + 4, CY + 72, 5, DARK_GREEN)
    c.ellipse(CX - 16, CY + 46, 16, 7, GREEN)
    c.ellipse(CX + 20, CY + 34, 16, 7, GREEN)
    for k in range(8):
        px, py = polar(CX, CY - 18, 26, k * 45)
        c.circle(px, py, 15, PINK if k % 2 == 0 else cube(5, 2, 3))
    c.circle(CX, CY - 18, 15, YELLOW)
    c.circle(CX - 4, CY - 22, 4, ORANGE)


def draw_vela(c):
    c.fill(lambda x, y: ((x - CX) / 15) ** 2 + ((y - CY + 44) / 26) ** 2 <= 1
           and (y > CY - 56 or abs(x - CX) < (y - CY + 78) / 2), ORANGE,
           (CX - 16, CY - 78, CX + 16, CY - 16))
    c.ellipse(CX, CY - 38, 7, 14, YELLOW)
    c.line(CX, CY - 28, CX, CY - 16, 2, BLACK)
    c.rect(CX - 16, CY - 16, CX + 16, CY + 56, CREAM)
    c.rect(CX + 8, CY - 16, CX + 16, CY + 56, cube(4, 4, 3))
    c.ellipse(CX - 6, CY - 10, 5, 12, CREAM)
    c.ellipse(CX, CY + 62, 36, 10, SILVER)
    c.rect(CX - 36, CY + 56, CX + 36, CY + 62, SILVER)
    c.ellipse(CX, CY + 56, 36, 8, GREY)


SYMBOLS = [
    ("sol", draw_sol), ("luna", draw_luna), ("pescado", draw_pez), ("llave", draw_llave),
    ("casa", draw_casa), ("arbol", draw_arbol), ("estrella", draw_estrella),
    ("corazon", draw_corazon), ("serpiente", draw_serpiente), ("pajaro", draw_pajaro),
    ("barco", draw_barco), ("ojo", draw_ojo), ("campana", draw_campana),
    ("anillo", draw_anillo), ("flor", draw_flor), ("vela", draw_vela),
]


# ---------------------------------------------------------------------------------------
# Writing the bitmap file.

def bitmap_file(canvas):
    stride = (WIDTH + 3) & ~3
    pixels = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up rows
        pixels += canvas.pixels[y * WIDTH:(y + 1) * WIDTH]
        pixels += bytes(stride - WIDTH)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels), 3780, 3780,
                       256, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "pictures")
    os.makedirs(out, exist_ok=True)
    for name, draw in SYMBOLS:
        canvas = Canvas()
        background(canvas)
        draw(canvas)
        frame(canvas)
        with open(os.path.join(out, name + ".bmp"), "wb") as f:
            f.write(bitmap_file(canvas))


if __name__ == "__main__":
    main()
