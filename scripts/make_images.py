#!/usr/bin/env python3
"""Draws the notification dialog's PNG images (resources/images/).

Standard library only. Shapes are anti-aliased by sampling each pixel on a
4 x 4 grid. Run again after changing a colour or a size and commit the PNGs.
"""
import math
import os
import struct
import sys
import zlib

SAMPLES = 4

# Colours (red, green, blue).
PANEL = (255, 255, 255)
TITLE_BAND = (240, 241, 243)
FOOTER_BAND = (245, 246, 248)
SHADOW = (0, 0, 0)
CLOSE_NORMAL = (121, 133, 150)
CLOSE_HOVER = (83, 179, 231)
OK_BUTTON = (84, 182, 235)
CANCEL_BUTTON = (238, 237, 238)
CANCEL_BORDER = (190, 190, 192)
BOX_BORDER = (160, 166, 175)
BOX_FILL = (255, 255, 255)
TICK = (31, 78, 140)

# Background geometry: the panel leaves a margin for its shadow.
BG_W, BG_H = 386, 176
SHADOW_WIDTH = 3
PANEL_RADIUS = 6
TITLE_BAND_BOTTOM = 40
FOOTER_BAND_TOP = 132
SHADOW_ALPHA = 70


def png_bytes(width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def distance_to_rounded(x, y, left, top, right, bottom, radius):
    """Distance from a point outside a rounded rectangle to its edge (0 inside)."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return max(0.0, math.hypot(x - cx, y - cy) - radius)


def coverage(px, py, test):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            if test(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                hits += 1
    return hits / (SAMPLES * SAMPLES)


def over(top, top_alpha, bottom, bottom_alpha):
    """Straight-alpha 'source over' of two colours; alphas in 0..1."""
    alpha = top_alpha + bottom_alpha * (1 - top_alpha)
    if alpha <= 0:
        return (0, 0, 0), 0.0
    colour = tuple((t * top_alpha + b * bottom_alpha * (1 - top_alpha)) / alpha
                   for t, b in zip(top, bottom))
    return colour, alpha


def to_pixel(colour, alpha):
    return tuple(int(round(c)) for c in colour) + (int(round(alpha * 255)),)


def image(width, height, layers):
    """layers: list of (colour, coverage function(px, py)) from bottom to top."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            colour, alpha = (0, 0, 0), 0.0
            for layer_colour, cover in layers:
                a = cover(px, py)
                if a > 0:
                    colour, alpha = over(layer_colour, a, colour, alpha)
            row.append(to_pixel(colour, alpha))
        rows.append(row)
    return rows


def rounded_layer(left, top, right, bottom, radius):
    return lambda px, py: coverage(px, py, lambda x, y: inside_rounded(x, y, left, top, right, bottom, radius))


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def stroke_layer(points, width):
    segments = list(zip(points, points[1:]))

    def test(x, y):
        return any(segment_distance(x, y, a[0], a[1], b[0], b[1]) <= width / 2 for a, b in segments)
    return lambda px, py: coverage(px, py, test)


def background():
    s = SHADOW_WIDTH
    panel = (s, s, BG_W - s, BG_H - s)

    def shadow(px, py):
        d = distance_to_rounded(px + 0.5, py + 0.5 - 1, *panel, PANEL_RADIUS)
        if d >= s + 1:
            return 0.0
        return (SHADOW_ALPHA / 255) * (1 - d / (s + 1)) ** 2

    def band(top, bottom):
        def cover(px, py):
            if py < top or py >= bottom:
                return 0.0
            return coverage(px, py, lambda x, y: inside_rounded(x, y, *panel, PANEL_RADIUS))
        return cover

    return image(BG_W, BG_H, [
        (SHADOW, shadow),
        (PANEL, rounded_layer(*panel, PANEL_RADIUS)),
        (TITLE_BAND, band(s, TITLE_BAND_BOTTOM)),
        (FOOTER_BAND, band(FOOTER_BAND_TOP, BG_H - s)),
    ])


def cross(colour):
    a, b = 3.5, 11.5
    return image(15, 15, [
        (colour, stroke_layer([(a, a), (b, b)], 1.8)),
        (colour, stroke_layer([(b, a), (a, b)], 1.8)),
    ])


def ok_button():
    return image(51, 24, [(OK_BUTTON, rounded_layer(0, 0, 51, 24, 3))])


def cancel_button():
    return image(51, 24, [
        (CANCEL_BORDER, rounded_layer(0, 0, 51, 24, 3)),
        (CANCEL_BUTTON, rounded_layer(1, 1, 50, 23, 2)),
    ])


def box(checked):
    layers = [
        (BOX_BORDER, rounded_layer(0, 0, 13, 13, 1.5)),
        (BOX_FILL, rounded_layer(1, 1, 12, 12, 0.5)),
    ]
    if checked:
        layers.append((TICK, stroke_layer([(3.0, 6.5), (5.5, 9.0), (10.0, 3.5)], 1.8)))
    return image(13, 13, layers)


IMAGES = {
    "tips_background.png": background,
    "tips_close.png": lambda: cross(CLOSE_NORMAL),
    "tips_close_hover.png": lambda: cross(CLOSE_HOVER),
    "tips_ok.png": ok_button,
    "tips_cancel.png": cancel_button,
    "tips_box.png": lambda: box(False),
    "tips_box_checked.png": lambda: box(True),
}


def main():
    """make_images.py [--check] [OUTPUT_DIR]; --check only compares."""
    args = sys.argv[1:]
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    out = args[0] if args else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images")
    stale = []
    for name, draw in IMAGES.items():
        rows = draw()
        data = png_bytes(len(rows[0]), len(rows), rows)
        path = os.path.join(out, name)
        if check:
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
            continue
        os.makedirs(out, exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    if stale:
        sys.exit("not as scripts/make_images.py draws them: " + ", ".join(stale))


if __name__ == "__main__":
    main()
