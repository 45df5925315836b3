#!/usr/bin/env python3
"""Writes the default colour tables of data/config/lut/.

A table is 100 x 256 pixels. Its column is the temperature read from the
thermal channel, -60 C at column 0 to +39 C at column 99; its row is the
visible brightness, bright at row 0 and dark at row 255. The views look up
each pixel's colour there.

  test_fcab.jpg, test_fc24.jpg  cold pixels are cloud, grey by brightness;
                                warm ones are ground by brightness: snow and
                                desert, then vegetation, then water. Between
                                the two a linear blend, over -30..+12 C for
                                video A/B and -25..+8 C for channels 2/4.
  test_fc24cold.jpg             below -29 C magenta, red, yellow by
                                temperature, darker with the brightness;
                                everything warmer plain grey.
  test_irlow.png                the full hue circle from red (cold) to blue
                                (warm), darker with the brightness.

Usage: scripts/make-luts.py [folder]   (default: data/config/lut beside this
script). Needs ImageMagick's convert for the JPEG and PNG encoding.
"""
import os
import subprocess
import sys

WIDTH, HEIGHT = 100, 256

CLOUD_TOP = (242, 246, 255)  # the brightest cloud, slightly blue
# Ground by row: snow, desert, vegetation, water.
GROUND = [
    (0, (255, 255, 255)),
    (32, (211, 205, 189)),
    (64, (184, 174, 139)),
    (96, (177, 159, 109)),
    (112, (179, 160, 101)),
    (192, (56, 97, 37)),
    (200, (41, 85, 70)),
    (216, (7, 43, 140)),
    (255, (0, 20, 70)),
]


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def along(points, x):
    """Linear interpolation in a list of (position, colour), sorted."""
    for (x0, c0), (x1, c1) in zip(points, points[1:]):
        if x <= x1:
            return mix(c0, c1, (x - x0) / (x1 - x0))
    return points[-1][1]


def scaled(colour, factor):
    return tuple(c * factor for c in colour)


def false_colour(blend_from, blend_to):
    def pixel(x, y):
        cloud = scaled(CLOUD_TOP, (255 - y) / 255)
        t = min(max((x - blend_from) / (blend_to - blend_from), 0.0), 1.0)
        return mix(cloud, along(GROUND, y), t)
    return pixel


def cold_tops(x, y):
    if x >= 31:
        return (255 - y,) * 3
    hues = [(0, (255, 0, 255)), (10, (255, 0, 0)), (30, (255, 255, 0))]
    return scaled(along(hues, x), 1 - 0.65 * y / 255)


def hue_circle(x, y):
    hues = [(0, (255, 0, 0)), (24.75, (255, 255, 0)), (49.5, (0, 255, 0)), (74.25, (0, 255, 255)),
            (99, (0, 0, 255))]
    return scaled(along(hues, x), 1 - 0.4 * y / 255)


def write(path, pixel):
    data = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            data += bytes(min(255, max(0, round(c))) for c in pixel(x, y))
    ppm = b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + bytes(data)
    # Full quality and no chroma subsampling: the colours are the table.
    options = ["-quality", "100", "-sampling-factor", "1x1"] if path.endswith(".jpg") else []
    subprocess.run(["convert", "ppm:-", *options, "-strip", path], input=ppm, check=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "config", "lut")
    tables = {
        "test_fcab.jpg": false_colour(30, 72),
        "test_fc24.jpg": false_colour(35, 68),
        "test_fc24cold.jpg": cold_tops,
        "test_irlow.png": hue_circle,
    }
    for name, pixel in tables.items():
        write(os.path.join(folder, name), pixel)


if __name__ == "__main__":
    main()
