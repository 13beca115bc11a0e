#!/usr/bin/env python3
"""Checks a screenshot of the dialog in one mode:
- each control's rectangle and visibility, read from the live window, are
  those that the dialog's layout gives for the mode;
- the screen shows each control's image where the control must be drawn, and
  the bare panel where it must not be;
- wherever the composed picture is opaque, the screen shows exactly its colour.

    check_screenshots.py COMPOSED.png SCREEN.png LAYOUT.txt MODE
"""
import struct
import sys
import zlib


def read_png(path):
    """Returns (width, height, rows of (r, g, b, a)) of an 8-bit RGB/RGBA PNG."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path + " is not a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour_type in (2, 6) and interlace == 0, path + ": unsupported PNG"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 4 if colour_type == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + 3]) + ((line[x * channels + 3],) if channels == 4 else (255,))
                     for x in range(width)])
        previous = line
    return width, height, rows


# The dialog's client size, and the colours its images are drawn with.
W, H = 386, 176
OK_BUTTON = (84, 182, 235)
CANCEL_BUTTON = (238, 237, 238)
CLOSE_NORMAL = (121, 133, 150)
BOX_BORDER = (160, 166, 175)
FOOTER_BAND = (245, 246, 248)

IDOK, IDCANCEL, CLOSE, BOX = 1, 2, 1000, 1001

# Per mode, each control's rectangle (left, top, width, height) and visibility.
LAYOUT = {
    0: {IDOK: ((W - 118, H - 34, 51, 24), True), IDCANCEL: ((W - 61, H - 34, 51, 24), True),
        CLOSE: ((W - 25, 10, 15, 15), False), BOX: ((16, H - 30, 13, 13), True)},
    1: {IDOK: ((W - 61, H - 34, 51, 24), True), IDCANCEL: (None, False),
        CLOSE: ((W - 25, 10, 15, 15), False), BOX: (None, False)},
}

# Per mode, screen points and the colour each must show: inside the drawn
# controls (clear of their labels), and where a hidden or absent control
# would be.
SAMPLES = {
    0: [((270, 144), OK_BUTTON, "update button"), ((330, 154), CANCEL_BUTTON, "cancel button"),
        ((368, 17), CLOSE_NORMAL, "close cross"), ((16, 152), BOX_BORDER, "box")],
    1: [((327, 144), OK_BUTTON, "OK button"), ((368, 17), CLOSE_NORMAL, "close cross"),
        ((270, 144), FOOTER_BAND, "no update button left of OK"),
        ((16, 152), FOOTER_BAND, "no box"), ((22, 152), FOOTER_BAND, "no box"),
        ((40, 152), FOOTER_BAND, "no box label")],
}


def read_layout(path):
    controls = {}
    for line in open(path):
        nid, left, top, width, height, visible = (int(v) for v in line.split())
        controls[nid] = ((left, top, width, height), visible == 1)
    return controls


def layout_problems(controls, mode):
    problems = []
    for nid, (rect, visible) in LAYOUT[mode].items():
        if nid not in controls:
            problems.append("control %d missing" % nid)
            continue
        got_rect, got_visible = controls[nid]
        if got_visible != visible:
            problems.append("control %d %s" % (nid, "hidden" if visible else "visible"))
        if rect is not None and got_rect != rect:
            problems.append("control %d at %s, not %s" % (nid, got_rect, rect))
    return problems


def sample_problems(screen, mode):
    problems = []
    for (x, y), colour, what in SAMPLES[mode]:
        shown = screen[y][x][:3]
        if max(abs(p - q) for p, q in zip(shown, colour)) > 2:
            problems.append("%s: (%d, %d) shows %s, not %s" % (what, x, y, shown, colour))
    return problems


def main():
    composed_path, screen_path, layout_path, mode = sys.argv[1:5]
    mode = int(mode)
    cw, ch, composed = read_png(composed_path)
    sw, sh, screen = read_png(screen_path)
    if (cw, ch) != (sw, sh):
        sys.exit("sizes differ: %dx%d and %dx%d" % (cw, ch, sw, sh))
    opaque = mismatched = 0
    for y in range(ch):
        for x in range(cw):
            r, g, b, a = composed[y][x]
            if a != 255:
                continue
            opaque += 1
            if max(abs(p - q) for p, q in zip((r, g, b), screen[y][x][:3])) > 2:
                mismatched += 1
    print("%s: %d opaque pixels, %d differ on screen" % (screen_path, opaque, mismatched))
    if opaque < cw * ch // 2:
        sys.exit("the composed picture is mostly transparent")
    problems = layout_problems(read_layout(layout_path), mode) + sample_problems(screen, mode)
    for problem in problems:
        print(problem)
    if (sw, sh) != (W, H):
        problems.append("window size %dx%d" % (sw, sh))
    if mismatched > opaque // 100:
        problems.append("the screen does not show the composed picture")
    if problems:
        sys.exit("mode %d: %d problems" % (mode, len(problems)))


if __name__ == "__main__":
    main()
