#!/usr/bin/env python3
"""Draws the KML icons (own artwork): 36 boat arrows "ar0.png" .. "ar350.png", one per 10 degrees
of heading (clockwise from north, the arrow's bow pointing that way), and a buoy "buoi.png".
32 x 32 pixels on a transparent background, drawn 4x larger and scaled down for smooth edges.

Usage: /usr/bin/python3 tools/make_kml_icons.py [OUT_DIR]   (default: demo/ya beside this tool)
Needs Pillow (Debian: python3-pil).
"""
import math
import os
import sys

from PIL import Image, ImageDraw

SIZE = 32
SCALE = 4
BIG = SIZE * SCALE

# Hull seen from above, bow up, in units of half the icon: a pointed bow, a broad middle and a
# square transom, with a notch so that the direction reads even at 16 pixels.
HULL = [(0.0, -0.92), (0.30, -0.30), (0.36, 0.25), (0.28, 0.80), (0.0, 0.62),
        (-0.28, 0.80), (-0.36, 0.25), (-0.30, -0.30)]
FILL = (255, 220, 0, 255)      # yellow reads on sea and on land imagery
OUTLINE = (20, 20, 20, 255)
MAST = (200, 30, 30, 255)


def rotate(points, degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    half = BIG / 2
    # Screen y grows downwards, so a clockwise turn on the map is this rotation.
    return [(half + (x * c - y * s) * half, half + (x * s + y * c) * half) for x, y in points]


def arrow(heading):
    img = Image.new('RGBA', (BIG, BIG), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.polygon(rotate(HULL, heading), fill=FILL, outline=OUTLINE, width=SCALE * 2)
    # The mast a little ahead of the middle, where a sailor expects it.
    (mx, my), = rotate([(0.0, -0.12)], heading)
    r = SCALE * 2.2
    d.ellipse((mx - r, my - r, mx + r, my + r), fill=MAST)
    return img.resize((SIZE, SIZE), Image.LANCZOS)


def buoy():
    img = Image.new('RGBA', (BIG, BIG), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    h = BIG / 2
    # A round orange buoy with a white band and a dark rim.
    r = BIG * 0.40
    d.ellipse((h - r, h - r, h + r, h + r), fill=(255, 110, 0, 255), outline=OUTLINE,
              width=SCALE * 2)
    band = BIG * 0.09
    d.rectangle((h - r * 0.92, h - band, h + r * 0.92, h + band), fill=(255, 255, 255, 255))
    d.ellipse((h - r, h - r, h + r, h + r), outline=OUTLINE, width=SCALE * 2)
    return img.resize((SIZE, SIZE), Image.LANCZOS)


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for heading in range(0, 360, 10):
        arrow(heading).save(os.path.join(out_dir, 'ar%d.png' % heading), optimize=True)
    buoy().save(os.path.join(out_dir, 'buoi.png'), optimize=True)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'demo', 'ya'))
