#!/usr/bin/env python3
"""Draws the two pictures of the intro screen.

Both are 637 x 477 pixel Windows bitmaps, 8 bits per pixel with a 256-colour palette,
uncompressed. "noche.bmp" is a night over a lake: a crescent moon, stars, drifting clouds,
dark hills with one lit house, a lake that mirrors the moon and a path of floating stones
that climbs from the shore towards the sky. "sueno.bmp" is its dream twin: the moon is full
and has moved, the sky turns violet, a comet crosses it, golden fish swim between the
clouds and the stones reach the moon. The drawing uses a fixed palette, a fixed random seed
and no time stamps, so running the script again rewrites the same bytes.

    python3 make_intro.py [OUTPUT_DIR]     (default: this script's folder)

Only the Python standard library is used.
"""

import math
import os
import random
import struct
import sys

WIDTH = 637
HEIGHT = 477
HORIZON = 318  # where the hills meet the lake
LEVELS = 32

# ---------------------------------------------------------------------------------------
# Palette: eight ramps of 32 levels each. A pixel is ramp * 32 + level.

RAMPS = [
    ((4, 6, 28), (46, 40, 118)),      # 0 sky: deep night to indigo
    ((46, 40, 118), (170, 92, 150)),  # 1 dusk: indigo to rose, near the horizon
    ((26, 24, 78), (255, 248, 206)),  # 2 glow: moon halo to moonlight
    ((1, 2, 8), (38, 58, 84)),        # 3 hills
    ((3, 8, 30), (130, 150, 210)),    # 4 water
    ((38, 34, 82), (226, 216, 248)),  # 5 cloud
    ((80, 84, 140), (255, 255, 255)), # 6 star
    ((54, 18, 8), (255, 214, 96)),    # 7 gold
]
SKY, DUSK, GLOW, HILL, WATER, CLOUD, STAR, GOLD = range(8)


def build_palette():
    palette = []
    for low, high in RAMPS:
        for i in range(LEVELS):
            palette.append(tuple(low[k] + (high[k] - low[k]) * i // (LEVELS - 1)
                                 for k in range(3)))
    assert len(palette) == 256
    return palette


BAYER = [
    [0, 32, 8, 40, 2, 34, 10, 42],
    [48, 16, 56, 24, 50, 18, 58, 26],
    [12, 44, 4, 36, 14, 46, 6, 38],
    [60, 28, 52, 20, 62, 30, 54, 22],
    [3, 35, 11, 43, 1, 33, 9, 41],
    [51, 19, 59, 27, 49, 17, 57, 25],
    [15, 47, 7, 39, 13, 45, 5, 37],
    [63, 31, 55, 23, 61, 29, 53, 21],
]


def shade(ramp, value, x, y):
    """Palette index for a brightness 0..1 on a ramp, with ordered dithering."""
    value = min(max(value, 0.0), 1.0) * (LEVELS - 1)
    level = int(value + (BAYER[y & 7][x & 7] + 0.5) / 64.0)
    return ramp * LEVELS + min(level, LEVELS - 1)


def ramp_of(index):
    return index // LEVELS


# ---------------------------------------------------------------------------------------
# The scene.

class Scene:
    def __init__(self, dream):
        self.dream = dream
        self.rng = random.Random(1998 if not dream else 2001)
        self.pixels = bytearray(WIDTH * HEIGHT)
        if dream:
            self.moon = (170, 118, 64)   # centre x, centre y, radius
        else:
            self.moon = (468, 104, 50)

    def put(self, x, y, index):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            self.pixels[y * WIDTH + x] = index

    def get(self, x, y):
        return self.pixels[y * WIDTH + x]

    # -- sky, halo and clouds ----------------------------------------------------------

    def clouds(self):
        rng = random.Random(7 if not self.dream else 11)
        blobs = []
        for _ in range(6):
            cx = rng.uniform(0, WIDTH)
            cy = rng.uniform(60, 230)
            for _ in range(5):
                blobs.append((cx + rng.uniform(-60, 60), cy + rng.uniform(-10, 10),
                              rng.uniform(30, 70), rng.uniform(9, 16)))
        return blobs

    def sky(self):
        mx, my, mr = self.moon
        blobs = self.clouds()
        halo = mr * (3.4 if self.dream else 2.6)
        for y in range(HORIZON + 40):
            t = y / HORIZON
            for x in range(WIDTH):
                d = math.hypot(x - mx, y - my)
                density = 0.0
                for bx, by, rx, ry in blobs:
                    ex = (x - bx) / rx
                    ey = (y - by) / ry
                    e = ex * ex + ey * ey
                    if e < 1.0:
                        density += (1.0 - e) ** 2
                if density > 0.25:
                    lit = 0.25 + 0.55 * min(density, 1.0) - 0.35 * t
                    if d < halo * 1.6:
                        lit += 0.4 * (1.0 - d / (halo * 1.6))
                    self.put(x, y, shade(CLOUD, lit, x, y))
                    continue
                if d < halo:
                    glow = (1.0 - d / halo) ** 1.8
                    # the halo's rim is dithered into the sky around it
                    if (BAYER[y & 7][x & 7] + 0.5) / 64.0 < glow * 5.0:
                        self.put(x, y, shade(GLOW, 0.04 + 0.56 * glow, x, y))
                        continue
                wave = 0.04 * math.sin(x / 53.0 + y / 31.0)
                if self.dream:
                    dusk_start = 0.35
                else:
                    dusk_start = 0.72
                if t < dusk_start:
                    self.put(x, y, shade(SKY, t / dusk_start + wave, x, y))
                else:
                    self.put(x, y, shade(DUSK, (t - dusk_start) / (1.0 - dusk_start) * 0.8
                                         + wave, x, y))

    def stars(self):
        rng = self.rng
        for _ in range(340):
            x = rng.randrange(WIDTH)
            y = rng.randrange(HORIZON - 20)
            if ramp_of(self.get(x, y)) not in (SKY, DUSK):
                continue
            bright = rng.random()
            self.put(x, y, shade(STAR, 0.5 + 0.5 * bright, x, y))
            if bright > 0.86:
                for d in (1, 2):
                    level = 0.9 - 0.35 * d
                    for px, py in ((x + d, y), (x - d, y), (x, y + d), (x, y - d)):
                        if 0 <= px < WIDTH and 0 <= py < HEIGHT and \
                                ramp_of(self.get(px, py)) in (SKY, DUSK):
                            self.put(px, py, shade(STAR, level, px, py))

    def moon_disc(self):
        mx, my, mr = self.moon
        for y in range(my - mr, my + mr + 1):
            for x in range(mx - mr, mx + mr + 1):
                d = math.hypot(x - mx, y - my)
                if d > mr:
                    continue
                if not self.dream:
                    # a crescent: the disc minus a shifted disc
                    if math.hypot(x - mx + 22, y - my + 10) < mr * 0.92:
                        continue
                light = 0.78 + 0.22 * (1.0 - d / mr)
                # a few soft seas on the face
                for sx, sy, sr in ((-20, 4, 11), (6, -16, 14), (16, 18, 8), (-4, 24, 5)):
                    if math.hypot(x - mx - sx * mr / 50, y - my - sy * mr / 50) < sr * mr / 50:
                        light -= 0.12
                self.put(x, y, shade(GLOW, light, x, y))

    def comet(self):
        x0, y0 = 600, 40
        for i in range(180):
            x = x0 - i * 1.5
            y = y0 + i * 0.55
            width = 1 + i // 40
            for w in range(-width, width + 1):
                px, py = int(x), int(y + w)
                if 0 <= px < WIDTH and 0 <= py < HEIGHT:
                    level = max(0.0, 1.0 - i / 180.0) - abs(w) * 0.12
                    if level > 0.05:
                        self.put(px, py, shade(STAR, level, px, py))

    def fish(self, cx, cy, size, facing):
        for y in range(int(cy - size), int(cy + size) + 1):
            for x in range(int(cx - 2.2 * size), int(cx + 2.2 * size) + 1):
                u = (x - cx) * facing / size
                v = (y - cy) / size
                body = (u / 1.4) ** 2 + v * v < 0.55
                tail = -2.1 < u < -1.0 and abs(v) < (-1.0 - u) * 0.8
                if body or tail:
                    light = 0.55 + 0.4 * (0.6 - abs(v)) + (0.2 if u > 0.6 else 0.0)
                    if abs(u - 0.9) < 0.15 and abs(v + 0.15) < 0.15:
                        light = 0.0  # the eye
                    self.put(x, y, shade(GOLD, light, x, y))

    # -- land, water, stones -----------------------------------------------------------

    def hill_line(self, x, far):
        if far:
            return HORIZON - 46 - 26 * math.sin(x / 71.0 + 1.2) - 12 * math.sin(x / 23.0)
        return HORIZON - 14 - 38 * max(0.0, math.sin(x / 120.0 - 0.4)) - 6 * math.sin(x / 17.0)

    def hills(self):
        mx, _, _ = self.moon
        for far in (True, False):
            for x in range(WIDTH):
                top = int(self.hill_line(x, far))
                for y in range(max(top, 0), HORIZON):
                    light = (0.28 if far else 0.1) - 0.1 * (y - top) / 80.0
                    if y - top < 2:
                        light += 0.25 * max(0.0, 1.0 - abs(x - mx) / 260.0)  # moonlit rim
                    self.put(x, y, shade(HILL, light, x, y))

    def house(self):
        x0 = 360 if not self.dream else 420
        base = int(self.hill_line(x0 + 15, False)) + 6
        for y in range(base - 22, base):
            for x in range(x0, x0 + 30):
                self.put(x, y, shade(HILL, 0.02, x, y))
        for i in range(17):  # roof
            for x in range(x0 - 3 + i, x0 + 33 - i):
                self.put(x, base - 22 - i, shade(HILL, 0.04, x, base - 22 - i))
        for y in range(base - 16, base - 8):
            for x in range(x0 + 8, x0 + 16):
                self.put(x, y, shade(GOLD, 0.95 if not self.dream else 0.7, x, y))

    def lake(self):
        mx, _, mr = self.moon
        for y in range(HORIZON, HEIGHT):
            depth = (y - HORIZON) / (HEIGHT - HORIZON)
            for x in range(WIDTH):
                # the lake mirrors the sky above the hills, darker and broken by ripples
                ripple = math.sin(x / (9.0 + 20 * depth) + y * 0.9) * math.sin(y / 3.0)
                mirror = HORIZON - (y - HORIZON) * 1.4 - 50
                value = 0.18 + 0.22 * (1.0 - depth) + 0.05 * ripple
                if self.dream:
                    value += 0.08
                spread = mr * (0.8 + 2.2 * depth)
                if abs(x - mx) < spread and ripple > 0.1 - 0.5 * (1.0 - abs(x - mx) / spread):
                    self.put(x, y, shade(GLOW, 0.5 + 0.45 * (1.0 - abs(x - mx) / spread)
                                         - 0.3 * depth, x, y))
                    continue
                if mirror > 0 and ramp_of(self.get(x, int(mirror) % HORIZON)) == STAR \
                        and ripple > 0:
                    value += 0.25
                self.put(x, y, shade(WATER, value, x, y))

    def stones(self):
        mx, my, mr = self.moon
        count = 9 if not self.dream else 12
        start = (70, HEIGHT - 40)
        end = (mx - mr * 0.9, my + mr * 1.2) if self.dream else (300, 170)
        for i in range(count):
            f = i / (count - 1)
            cx = start[0] + (end[0] - start[0]) * f + 30 * math.sin(f * 5.0)
            cy = start[1] + (end[1] - start[1]) * f
            rx = 26 - 14 * f
            ry = 7 - 3 * f
            for y in range(int(cy - ry - 1), int(cy + 2 * ry + 2)):
                for x in range(int(cx - rx - 1), int(cx + rx + 2)):
                    u = (x - cx) / rx
                    v = (y - cy) / ry
                    if u * u + v * v < 1.0:  # top face, lit
                        self.put(x, y, shade(GOLD, 0.55 + 0.35 * (1.0 - v) / 2 - 0.2 * abs(u),
                                             x, y))
                    elif v > 0 and abs(u) < math.sqrt(max(0.0, 1.0 - (v - 1.0) ** 2 / 4.0)) \
                            and v < 2.2:  # the rough underside
                        self.put(x, y, shade(HILL, 0.2 - 0.05 * v, x, y))

    def draw(self):
        self.sky()
        self.stars()
        self.moon_disc()
        if self.dream:
            self.comet()
            self.fish(300, 150, 10, 1)
            self.fish(372, 196, 7, 1)
            self.fish(520, 84, 8, -1)
        self.hills()
        self.house()
        self.lake()
        self.stones()
        return self.pixels


# ---------------------------------------------------------------------------------------
# Writing the bitmap file: BITMAPFILEHEADER, BITMAPINFOHEADER, palette, bottom-up rows.

def write_bmp(path, pixels, palette):
    stride = (WIDTH + 3) & ~3
    image_size = stride * HEIGHT
    offset = 14 + 40 + 4 * 256
    header = struct.pack('<2sIHHI', b'BM', offset + image_size, 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 0, image_size, 3780, 3780,
                       256, 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    rows = []
    padding = bytes(stride - WIDTH)
    for y in range(HEIGHT - 1, -1, -1):
        rows.append(bytes(pixels[y * WIDTH:(y + 1) * WIDTH]) + padding)
    with open(path, 'wb') as out:
        out.write(header + info + table + b''.join(rows))


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    palette = build_palette()
    for name, dream in (('noche.bmp', False), ('sueno.bmp', True)):
        write_bmp(os.path.join(out_dir, name), Scene(dream).draw(), palette)


if __name__ == '__main__':
    main()
