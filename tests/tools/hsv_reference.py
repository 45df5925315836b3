#!/usr/bin/env python3
"""Reference colours for the look-up-table editor's HSV conversions.

Python's colorsys is the reference: rgb_to_hsv for colour -> hue (degrees),
saturation, value; hsv_to_rgb for the way back, each channel x 255 rounded
half to even (Python's round) and held to 0..255.

Run:  python3 tests/tools/hsv_reference.py > tests/imaging/ui/HSVReference.h
"""
import colorsys
import random

random.seed(20261210)

colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (0, 255, 255), (255, 0, 255),
           (0, 0, 0), (128, 128, 128), (255, 255, 255), (1, 2, 3), (250, 10, 128), (12, 200, 199)]
colours += [tuple(random.randrange(256) for _ in range(3)) for _ in range(20)]

hsvs = [(0, 1, 1), (360, 1, 1), (60, 1, 1), (120, 0.5, 0.75), (180, 1, 0.5), (240, 0.25, 1),
        (300, 1, 1), (359.5, 1, 1), (0, 0, 0.5), (200, 0, 0.3), (30, 1, 0), (90, 0.01, 0.99)]
hsvs += [(round(random.uniform(0, 360), 3), round(random.random(), 3), round(random.random(), 3))
         for _ in range(20)]


def channel(x):
    return min(255, max(0, round(x * 255)))


print("#pragma once")
print("// Made by tests/tools/hsv_reference.py from Python's colorsys; do not edit.")
print("struct RgbToHsvCase { int r, g, b; double hue, saturation, value; bool hasHue; };")
print("inline const RgbToHsvCase kRgbToHsv[] = {")
for r, g, b in colours:
    h, s, v = colorsys.rgb_to_hsv(r / 255, g / 255, b / 255)
    print(f"    {{{r}, {g}, {b}, {h * 360!r}, {s!r}, {v!r}, {'true' if s > 0 else 'false'}}},")
print("};")
print("struct HsvToRgbCase { double hue, saturation, value; int r, g, b; };")
print("inline const HsvToRgbCase kHsvToRgb[] = {")
for h, s, v in hsvs:
    r, g, b = colorsys.hsv_to_rgb(h / 360, s, v)
    print(f"    {{{h!r}, {s!r}, {v!r}, {channel(r)}, {channel(g)}, {channel(b)}}},")
print("};")
