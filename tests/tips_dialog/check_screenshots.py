#!/usr/bin/env python3
"""Compares a screenshot of the dialog with the picture it composed: wherever
the picture is opaque, the screen must show exactly its colour.

    check_screenshots.py COMPOSED.png SCREEN.png
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


def main():
    composed_path, screen_path = sys.argv[1], sys.argv[2]
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
    if mismatched > opaque // 100:
        sys.exit("the screen does not show the composed picture")


if __name__ == "__main__":
    main()
