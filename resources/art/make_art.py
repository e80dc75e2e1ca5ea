#!/usr/bin/env python3
"""Rebuilds Vorbel's pictures from their vector drawings: python3 resources/art/make_art.py
The outputs are committed beside this script; the build only embeds them."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw import (Canvas, arc_band, circle, inset, lerp, path, rounded_rect, transform, write_bmp8, write_cur_mono,  # noqa: E402
                  write_ico)

HERE = os.path.dirname(os.path.abspath(__file__))

# A molar in a unit box: two cusps, a waist, two roots.
TOOTH = path((0.18, 0.30), [
    ((0.10, 0.10), (0.30, 0.02), (0.40, 0.08)),
    ((0.46, 0.11), (0.54, 0.11), (0.60, 0.08)),
    ((0.70, 0.02), (0.90, 0.10), (0.82, 0.30)),
    ((0.79, 0.42), (0.74, 0.48), (0.72, 0.60)),
    ((0.70, 0.75), (0.68, 0.92), (0.62, 0.96)),
    ((0.57, 0.99), (0.55, 0.85), (0.53, 0.72)),
    ((0.52, 0.66), (0.48, 0.66), (0.47, 0.72)),
    ((0.45, 0.85), (0.43, 0.99), (0.38, 0.96)),
    ((0.32, 0.92), (0.30, 0.75), (0.28, 0.60)),
    ((0.26, 0.48), (0.21, 0.42), (0.18, 0.30)),
])

# The pulp chamber and its two canals, inside the tooth.
PULP = path((0.36, 0.30), [
    ((0.40, 0.22), (0.60, 0.22), (0.64, 0.30)),
    ((0.66, 0.40), (0.62, 0.50), (0.60, 0.62)),
    ((0.59, 0.74), (0.58, 0.84), (0.58, 0.90)),
    ((0.56, 0.84), (0.55, 0.70), (0.53, 0.58)),
    ((0.51, 0.52), (0.49, 0.52), (0.47, 0.58)),
    ((0.45, 0.70), (0.44, 0.84), (0.42, 0.90)),
    ((0.42, 0.84), (0.41, 0.74), (0.40, 0.62)),
    ((0.38, 0.50), (0.34, 0.40), (0.36, 0.30)),
])

NAVY = (11, 42, 74, 255)
TEAL = (19, 96, 122, 255)
ENAMEL = (255, 255, 255, 255)
DENTIN = (190, 218, 236, 255)
OUTLINE = (124, 196, 230, 255)


def draw_tooth(c, x, y, size, glow=True):
    tooth = transform(TOOTH, size, size, x, y)
    cx, cy = x + size * 0.5, y + size * 0.35
    if glow:
        halo = inset(tooth, 1.10)
        c.fill([halo], (124, 196, 230, 70))
    c.fill([tooth], OUTLINE)
    body = inset(tooth, 0.93)

    def shade(px, py):
        d = ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5 / (size * 0.6)
        return lerp(ENAMEL, DENTIN, d)
    c.fill([body], shade)
    c.fill([transform(PULP, size, size, x, y)], (96, 150, 190, 150))


def extraction_picture():
    """Bitmap 129: the side picture of the confirmation and Setup dialogs (175 x 148 units)."""
    w, h = 262, 240
    c = Canvas(w, h)
    c.fill([[(0, 0), (w, 0), (w, h), (0, h)]], lambda px, py: lerp(NAVY, TEAL, py / h))
    # The light box of a radiograph.
    c.fill([rounded_rect(24, 18, w - 24, h - 50, 10)], (255, 255, 255, 28))
    c.fill([rounded_rect(27, 21, w - 27, h - 53, 8)], (4, 22, 40, 150))
    draw_tooth(c, w / 2 - 72, 26, 144)
    # The hand-off: a line of three dots and an arrow toward the imaging program.
    for i in range(3):
        cx = 82 + i * 26
        c.fill([rounded_rect(cx - 4, h - 32, cx + 4, h - 24, 4)], (124, 196, 230, 255))
    c.fill([[(166, h - 38), (184, h - 28), (166, h - 18)]], (255, 255, 255, 255))
    return c


BADGE_TOP = (38, 124, 196, 255)
BADGE_BOTTOM = (10, 58, 104, 255)
EXIT_RED = (222, 72, 44, 255)


def program_icon(size, exit_sign=False):
    """Icon 128 (and, with the exit sign, 129): a white molar on a blue rounded badge."""
    c = Canvas(size, size)
    m = max(1.0, size / 32)
    c.fill([rounded_rect(0.5 * m, 0.5 * m, size - 0.5 * m, size - 0.5 * m, size * 0.2)],
           lambda px, py: lerp(BADGE_TOP, BADGE_BOTTOM, py / size))
    t = size * 0.80
    tooth = transform(TOOTH, t, t, (size - t) / 2, size * 0.12)
    c.fill([tooth], ENAMEL)
    if size >= 32:
        c.fill([transform(PULP, t, t, (size - t) / 2, size * 0.12)], (150, 190, 222, 120))
    if exit_sign:
        r = size * 0.27
        cx, cy = size - r - 0.2 * m, size - r - 0.2 * m
        c.fill([circle(cx, cy, r + m * 0.9)], ENAMEL)
        c.fill([circle(cx, cy, r)], EXIT_RED)
        # A curved arrow bending back to the left: the way out.
        band = arc_band(cx, cy + r * 0.10, r * 0.62, r * 0.30, 200, 380)
        c.fill([band], ENAMEL)
        head = [(cx - r * 0.80, cy - r * 0.05), (cx - r * 0.12, cy - r * 0.05), (cx - r * 0.46, cy + r * 0.52)]
        c.fill([head], ENAMEL)
    return c


# Up to 96 the 256-colour images; above, the sizes a button takes at 150 % to 250 % and beyond,
# so that no size is stretched from a smaller image.
ICON_SIZES = (16, 32, 48, 64, 96, 128, 192, 256)

# The cursor sizes of 100 %, 150 % and 200 %.
CURSOR_SIZES = (32, 48, 64)


def cursor_centre(size):
    """The pixel that points; the drawing is symmetric about it (15 in a 32-pixel cursor)."""
    return size // 2 - 1


def target_cursor(size=32):
    """Cursor 131: the field picker's target, a ring with cross-hairs, black with a white halo so
    that it shows on any background. Returns rows of "." (clear), "#" (black) and "o" (white)."""
    c = cursor_centre(size)
    k = size / 32
    line = max(1, round(k))  # stroke width in pixels

    def ink(x, y):
        d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
        if 8.5 * k <= d <= 8.5 * k + 2 * line:
            return True  # the ring
        off = line // 2
        if abs(x - c) <= off and (2 * k <= y <= 12 * k or 18 * k <= y <= 28 * k):
            return True  # vertical hair, open at the centre
        if abs(y - c) <= off and (2 * k <= x <= 12 * k or 18 * k <= x <= 28 * k):
            return True
        return abs(x - c) <= off and abs(y - c) <= off  # the point itself
    rows = []
    for y in range(size):
        row = ""
        for x in range(size):
            if ink(x, y):
                row += "#"
            elif any(ink(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row += "o"
            else:
                row += "."
        rows.append(row)
    return rows


def main():
    write_bmp8(extraction_picture(), os.path.join(HERE, "extraction.bmp"), rle=True)
    write_ico([program_icon(s) for s in ICON_SIZES], os.path.join(HERE, "vorbel.ico"))
    write_ico([program_icon(s, exit_sign=True) for s in ICON_SIZES], os.path.join(HERE, "vorbel_exit.ico"))
    write_cur_mono([(target_cursor(s), (cursor_centre(s), cursor_centre(s))) for s in CURSOR_SIZES],
                   os.path.join(HERE, "target.cur"))


if __name__ == "__main__":
    main()
