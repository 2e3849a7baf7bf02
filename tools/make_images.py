#!/usr/bin/env python3
"""Draws the plug-in's images: a quill over a yellow note.

Writes src/host/win32/res/icon16.bmp, icon32.bmp (24-bit, pure green = transparent, as the
plug-in expects for its menu bitmap and About picture) and pinote.ico (16 and 32 pixels, 32-bit
with alpha). Standard library only; run from anywhere, the output goes beside the resources.
"""

import math
import os
import struct

GREEN = (0, 255, 0)
NOTE = (255, 232, 110)
NOTE_EDGE = (196, 150, 30)
FOLD = (230, 196, 70)
LINE = (150, 130, 90)
VANE = (250, 250, 245)
VANE_EDGE = (120, 110, 100)
SHAFT = (110, 70, 30)
NIB = (30, 30, 40)


def seg_dist(px, py, ax, ay, bx, by):
    """Distance from point p to segment ab and the position t (0..1) along it."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy), t


def pixel(x, y, n):
    """Colour at the centre of pixel (x, y) of an n x n image, or None for transparent."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    colour = None
    # The note: a square with a folded lower-right corner.
    left, top, right, bottom = 0.06, 0.16, 0.78, 0.94
    fold = 0.2
    if left <= u <= right and top <= v <= bottom and (right - u) + (bottom - v) >= fold:
        edge = 1.0 / n
        on_edge = (u - left < edge or right - u < edge or v - top < edge or bottom - v < edge
                   or abs((right - u) + (bottom - v) - fold) < edge * 1.2)
        colour = NOTE_EDGE if on_edge else NOTE
        for line_v in (0.36, 0.52, 0.68):
            if abs(v - line_v) < 0.5 / n and left + 0.1 < u < right - 0.12:
                colour = LINE
    elif right - fold <= u <= right and bottom - fold <= v <= bottom and \
            (right - u) + (bottom - v) < fold:
        colour = FOLD
    # The quill: a feather from the upper right down to a nib near the note's middle.
    ax, ay, bx, by = 0.30, 0.78, 0.96, 0.04
    d, t = seg_dist(u, v, ax, ay, bx, by)
    half_width = 0.0 if t < 0.22 else 0.17 * math.sin(math.pi * min(1.0, (t - 0.22) / 0.78))
    if t > 0.22 and d <= half_width:
        colour = VANE_EDGE if d > half_width - 1.2 / n else VANE
    if d <= max(0.6 / n, 0.025) and t >= 0.12:
        colour = SHAFT
    if t < 0.12 and d <= 0.04 * (t / 0.12) + 0.5 / n:
        colour = NIB
    return colour


def render(n):
    return [[pixel(x, y, n) for x in range(n)] for y in range(n)]


def bmp_bytes(img):
    """24-bit bottom-up BMP file; transparent pixels become pure green."""
    n = len(img)
    row_size = (n * 3 + 3) // 4 * 4
    rows = []
    for row in reversed(img):
        data = bytearray()
        for c in row:
            r, g, b = c if c is not None else GREEN
            data += bytes((b, g, r))
        data += b"\0" * (row_size - len(data))
        rows.append(bytes(data))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0,
                              14 + len(header))
    return file_header + header + pixels


def ico_image(img):
    """One icon image: BITMAPINFOHEADER (double height), 32-bit BGRA rows, 1-bit AND mask."""
    n = len(img)
    xor = bytearray()
    mask = bytearray()
    mask_row = (n + 31) // 32 * 4
    for row in reversed(img):
        bits = bytearray(mask_row)
        for x, c in enumerate(row):
            if c is None:
                xor += bytes((0, 0, 0, 0))
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = c
                xor += bytes((b, g, r, 255))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_bytes(images):
    entries = b""
    blobs = b""
    offset = 6 + 16 * len(images)
    for img in images:
        n = len(img)
        blob = ico_image(img)
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "src", "host", "win32", "res")
    os.makedirs(out, exist_ok=True)
    small, large = render(16), render(32)
    files = {
        "icon16.bmp": bmp_bytes(small),
        "icon32.bmp": bmp_bytes(large),
        "pinote.ico": ico_bytes([small, large]),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
