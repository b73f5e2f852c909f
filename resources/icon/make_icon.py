#!/usr/bin/env python3
"""Draws the program's icon: a crescent moon with stars over a night sky and dark hills.

The scene is described once, on a 256 x 256 canvas, as a list of shapes with their paint;
the script writes it as a scalable SVG ("icon.svg") and rasterises the same shapes itself
into PNG files ("icon-16.png" ... "icon-256.png", RGBA, 8 bits per channel). Each shape has
a smallest size at which it is still drawn, so the little icons keep only what a handful of
pixels can show (the sky, the hills and the moon), while the SVG holds everything.

Edges are smoothed from signed distances (exact for circles, rounded rectangles and
polygons), colours are blended in sRGB as SVG renderers do. There are no random numbers
and no time stamps: running the script again rewrites the same bytes.

    python3 make_icon.py [OUTPUT_DIR]     (default: this script's folder)

Only the Python standard library is used.
"""

import math
import os
import struct
import sys
import zlib

CANVAS = 256
SIZES = (16, 24, 32, 48, 64, 128, 256)

# ---------------------------------------------------------------------------------------
# Geometry: signed distances (negative inside), in canvas units.


def circle_distance(cx, cy, r):
    def d(x, y):
        return math.hypot(x - cx, y - cy) - r
    return d


def rounded_rect_distance(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return d


def polygon_distance(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def d(x, y):
        best = float('inf')
        inside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = min(max((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


def polygon_bounds(points, margin=2):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - margin, min(ys) - margin, max(xs) + margin, max(ys) + margin)


# ---------------------------------------------------------------------------------------
# Paint: a colour for a point of the canvas, as (r, g, b, a) in 0..1.


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) / 255 for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


class Linear:
    """A linear gradient from (x1, y1) to (x2, y2) through stops (offset, colour, alpha)."""

    def __init__(self, name, x1, y1, x2, y2, stops):
        self.name, self.start, self.end, self.stops = name, (x1, y1), (x2, y2), stops

    def colour(self, x, y):
        (x1, y1), (x2, y2) = self.start, self.end
        dx, dy = x2 - x1, y2 - y1
        return self.at(((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy))

    def at(self, t):
        stops = self.stops
        if t <= stops[0][0]:
            return hex_colour(stops[0][1]) + (stops[0][2],)
        for (o0, c0, a0), (o1, c1, a1) in zip(stops, stops[1:]):
            if t <= o1:
                f = (t - o0) / (o1 - o0)
                return mix(hex_colour(c0) + (a0,), hex_colour(c1) + (a1,), f)
        return hex_colour(stops[-1][1]) + (stops[-1][2],)

    def svg_stops(self):
        return ''.join('<stop offset="%g" stop-color="%s"%s/>'
                       % (o, c, '' if a == 1 else ' stop-opacity="%g"' % a)
                       for o, c, a in self.stops)

    def svg(self):
        return ('<linearGradient id="%s" gradientUnits="userSpaceOnUse" x1="%g" y1="%g" '
                'x2="%g" y2="%g">%s</linearGradient>'
                % ((self.name,) + self.start + self.end + (self.svg_stops(),)))


class Radial(Linear):
    """A radial gradient around (cx, cy) out to radius r."""

    def __init__(self, name, cx, cy, r, stops):
        super().__init__(name, cx, cy, cx + r, cy, stops)
        self.radius = r

    def colour(self, x, y):
        cx, cy = self.start
        return self.at(math.hypot(x - cx, y - cy) / self.radius)

    def svg(self):
        return ('<radialGradient id="%s" gradientUnits="userSpaceOnUse" cx="%g" cy="%g" '
                'r="%g">%s</radialGradient>'
                % (self.name, self.start[0], self.start[1], self.radius, self.svg_stops()))


class Solid:
    def __init__(self, colour):
        self.value = hex_colour(colour) + (1.0,)
        self.text = colour

    def colour(self, x, y):
        return self.value


def fill_of(paint):
    return paint.text if isinstance(paint, Solid) else 'url(#%s)' % paint.name


# ---------------------------------------------------------------------------------------
# The scene.

TILE = (8, 8, 248, 248, 44)       # the rounded square the picture lies on
MOON = (142, 112, 74)             # the lit disc: centre x, centre y, radius
SHADOW = (176, 88, 64)            # the disc that cuts the crescent out of it
HILL_TOP = 196                    # mean height of the hills' ridge


class Shape:
    """One shape: its distance function, its paint, its SVG element, its smallest size."""

    def __init__(self, distance, bounds, paint, svg, min_size=0, clip_to_tile=False):
        self.distance, self.bounds, self.paint = distance, bounds, paint
        self.svg, self.min_size, self.clip_to_tile = svg, min_size, clip_to_tile


def tile_shape():
    x0, y0, x1, y1, r = TILE
    sky = Linear('sky', 0, y0, 0, y1, [(0, '#060a26', 1), (0.55, '#1b1d55', 1),
                                        (1, '#3d2f78', 1)])
    svg = ('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="url(#sky)"/>'
           % (x0, y0, x1 - x0, y1 - y0, r))
    return Shape(rounded_rect_distance(*TILE), (x0, y0, x1, y1), sky, svg)


def glow_shape():
    cx, cy, r = MOON
    reach = r * 1.75
    glow = Radial('glow', cx, cy, reach, [(0, '#c8c2ff', 0.3), (0.45, '#a9a2f0', 0.13),
                                          (1, '#a9a2f0', 0)])
    svg = '<circle cx="%g" cy="%g" r="%g" fill="url(#glow)"/>' % (cx, cy, reach)
    return Shape(circle_distance(cx, cy, reach), (cx - reach, cy - reach, cx + reach,
                                                  cy + reach), glow, svg, 32, True)


def crescent_points():
    """Where the rims of the lit disc and of the shadow disc meet."""
    (ax, ay, ar), (bx, by, br) = MOON, SHADOW
    d = math.hypot(bx - ax, by - ay)
    along = (d * d + ar * ar - br * br) / (2 * d)
    across = math.sqrt(ar * ar - along * along)
    ux, uy = (bx - ax) / d, (by - ay) / d
    mx, my = ax + ux * along, ay + uy * along
    return (mx - uy * across, my + ux * across), (mx + uy * across, my - ux * across)


def moon_shape():
    (ax, ay, ar), (bx, by, br) = MOON, SHADOW
    lit, shadow = circle_distance(ax, ay, ar), circle_distance(bx, by, br)
    paint = Linear('moon', ax - ar, ay + ar, ax + ar * 0.4, ay - ar * 0.6,
                   [(0, '#f4b73c', 1), (0.55, '#fbe08a', 1), (1, '#fff8dc', 1)])
    (p1x, p1y), (p2x, p2y) = crescent_points()
    # Along the lit rim the long way round, back along the shadow's rim the short way.
    svg = ('<path d="M %.3f %.3f A %g %g 0 1 1 %.3f %.3f A %g %g 0 0 0 %.3f %.3f Z" '
           'fill="url(#moon)"/>' % (p1x, p1y, ar, ar, p2x, p2y, br, br, p1x, p1y))
    return Shape(lambda x, y: max(lit(x, y), -shadow(x, y)),
                 (ax - ar, ay - ar, ax + ar, ay + ar), paint, svg)


def sparkle_points(cx, cy, r):
    """A four-pointed star: long rays up, down and sideways, a narrow waist."""
    waist = r * 0.22
    points = []
    for k in range(8):
        angle = math.pi / 4 * k - math.pi / 2
        reach = r if k % 2 == 0 else waist
        points.append((cx + reach * math.cos(angle), cy + reach * math.sin(angle)))
    return points


def star_shapes():
    white = Solid('#fffbe8')
    shapes = []
    # (x, y, size, smallest icon that shows it): four-pointed stars, then round ones.
    for x, y, r, min_size in ((56, 64, 20, 32), (96, 150, 11, 48), (212, 170, 13, 48)):
        points = sparkle_points(x, y, r)
        svg = '<polygon points="%s" fill="%s"/>' % (
            ' '.join('%.3f,%.3f' % p for p in points), white.text)
        shapes.append(Shape(polygon_distance(points), polygon_bounds(points), white, svg,
                            min_size))
    for x, y, r, min_size in ((40, 118, 3.2, 64), (108, 42, 2.8, 64), (210, 40, 3.4, 48),
                              (180, 134, 2.6, 64), (224, 112, 2.4, 128), (70, 104, 2.2, 128),
                              (150, 30, 2.0, 128)):
        svg = '<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (x, y, r, white.text)
        shapes.append(Shape(circle_distance(x, y, r), (x - r - 2, y - r - 2, x + r + 2,
                                                       y + r + 2), white, svg, min_size))
    return shapes


def ridge(x):
    """Height of the hills' ridge: two slow swells and a gentle ripple."""
    return (HILL_TOP - 22 * math.cos((x - 60) / 256 * 2 * math.pi)
            + 10 * math.sin(x / 256 * 5 * math.pi) - 4 * math.cos(x / 256 * 11 * math.pi))


def hill_shape():
    bottom = TILE[3] + 4
    points = [(x, ridge(x)) for x in range(TILE[0] - 4, TILE[2] + 5, 6)]
    points += [(points[-1][0], bottom), (points[0][0], bottom)]
    paint = Linear('hill', 0, HILL_TOP - 30, 0, bottom, [(0, '#141233', 1), (1, '#04050f', 1)])
    svg = '<path d="M %s Z" fill="url(#hill)" clip-path="url(#tile)"/>' % ' L '.join(
        '%.2f %.2f' % p for p in points)
    return Shape(polygon_distance(points), polygon_bounds(points), paint, svg, 0, True)


def scene():
    return [tile_shape(), glow_shape(), *star_shapes(), moon_shape(), hill_shape()]


# ---------------------------------------------------------------------------------------
# SVG.


def write_svg(path, shapes):
    x0, y0, x1, y1, r = TILE
    gradients = [s.paint.svg() for s in shapes if not isinstance(s.paint, Solid)]
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (CANVAS, CANVAS, CANVAS, CANVAS),
        '<title>Noctámbula</title>',
        '<defs>',
        *gradients,
        '<clipPath id="tile"><rect x="%g" y="%g" width="%g" height="%g" rx="%g"/></clipPath>'
        % (x0, y0, x1 - x0, y1 - y0, r),
        '</defs>',
    ]
    for s in shapes:
        if s.clip_to_tile and 'clip-path' not in s.svg:
            lines.append('<g clip-path="url(#tile)">%s</g>' % s.svg)
        else:
            lines.append(s.svg)
    lines.append('</svg>')
    with open(path, 'w', encoding='utf-8', newline='\n') as out:
        out.write('\n'.join(lines) + '\n')


# ---------------------------------------------------------------------------------------
# Rasterising: coverage from the signed distance at each pixel centre, blended over.


def render(shapes, size):
    scale = CANVAS / size                  # canvas units per pixel
    pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]  # premultiplied
    tile = rounded_rect_distance(*TILE)
    for shape in shapes:
        if size < shape.min_size:
            continue
        bx0, by0, bx1, by1 = shape.bounds
        px0, py0 = max(int(bx0 / scale) - 1, 0), max(int(by0 / scale) - 1, 0)
        px1, py1 = min(int(bx1 / scale) + 2, size), min(int(by1 / scale) + 2, size)
        for py in range(py0, py1):
            y = (py + 0.5) * scale
            for px in range(px0, px1):
                x = (px + 0.5) * scale
                d = shape.distance(x, y)
                if shape.clip_to_tile:
                    d = max(d, tile(x, y))
                coverage = min(max(0.5 - d / scale, 0.0), 1.0)
                if coverage <= 0.0:
                    continue
                r, g, b, a = shape.paint.colour(x, y)
                a *= coverage
                dst = pixels[py * size + px]
                keep = 1.0 - a
                dst[0] = r * a + dst[0] * keep
                dst[1] = g * a + dst[1] * keep
                dst[2] = b * a + dst[2] * keep
                dst[3] = a + dst[3] * keep
    return pixels


def write_png(path, pixels, size):
    rows = bytearray()
    for py in range(size):
        rows.append(0)  # no filter
        for r, g, b, a in pixels[py * size:(py + 1) * size]:
            if a <= 0.0:
                rows += b'\0\0\0\0'
                continue
            rows += bytes(min(255, round(c / a * 255)) for c in (r, g, b))
            rows.append(min(255, round(a * 255)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
                  + chunk(b'IDAT', zlib.compress(bytes(rows), 9)) + chunk(b'IEND', b''))


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    shapes = scene()
    write_svg(os.path.join(out_dir, 'icon.svg'), shapes)
    for size in SIZES:
        write_png(os.path.join(out_dir, 'icon-%d.png' % size), render(shapes, size), size)


if __name__ == '__main__':
    main()
