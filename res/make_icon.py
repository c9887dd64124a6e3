#!/usr/bin/env python3
"""Draws the application icon and writes res/Veneerkit.ico.

The picture is a small window with a green check mark: the program switches
the themed look of a window on. Two images, 32x32 in 256 colours and 16x16 in
16 colours, each with an AND mask. The output depends on nothing but this
script, so running it again gives the same bytes; the .ico is checked in so
that the build never needs Python.

Usage: make_icon.py [output.ico] [--png DIR]   (--png also writes previews)
"""

import os
import struct
import sys
import zlib

TRANSPARENT = None

# Colours of the 32x32 picture.
BORDER = (0x1F, 0x3A, 0x5F)
TITLE_LEFT = (0x1E, 0x4E, 0xA0)
TITLE_RIGHT = (0x6A, 0x9E, 0xE0)
BUTTON = (0xF2, 0xF5, 0xFA)
BODY = (0xFF, 0xFF, 0xFF)
BODY_EDGE = (0xD6, 0xDE, 0xE8)
CHECK = (0x22, 0x9A, 0x3A)

# Supersampling per axis for the smooth edges of the check mark; coverage is
# counted in whole subsamples, so every blend is an exact integer step.
SUB = 4


def lerp(a, b, num, den):
    return tuple((x * (den - num) + y * num + den // 2) // den for x, y in zip(a, b))


def dist2_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    cx, cy = ax + t * dx, ay + t * dy
    return (px - cx) ** 2 + (py - cy) ** 2


def draw_32():
    size = 32
    left, top, right, bottom = 2, 3, 30, 29  # window frame, right/bottom exclusive
    title_bottom = 10
    pixels = [[TRANSPARENT] * size for _ in range(size)]
    for y in range(top, bottom):
        for x in range(left, right):
            if x in (left, right - 1) or y in (top, bottom - 1):
                colour = BORDER
            elif y < title_bottom:
                colour = lerp(TITLE_LEFT, TITLE_RIGHT, x - left - 1, right - left - 3)
                if 23 <= x <= 27 and 5 <= y <= 8:
                    colour = BUTTON
            elif y == title_bottom:
                colour = BODY_EDGE
            else:
                colour = BODY
            pixels[y][x] = colour

    # The check mark: two strokes with round ends, blended into the body.
    points = [(8.5, 19.0), (13.5, 24.0), (24.5, 13.5)]
    half_width2 = 2.0 ** 2
    total = SUB * SUB
    for y in range(title_bottom + 1, bottom - 1):
        for x in range(left + 1, right - 1):
            hits = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    px = x + (sx + 0.5) / SUB
                    py = y + (sy + 0.5) / SUB
                    d2 = min(dist2_to_segment(px, py, *points[i], *points[i + 1])
                             for i in range(len(points) - 1))
                    if d2 <= half_width2:
                        hits += 1
            if hits:
                pixels[y][x] = lerp(pixels[y][x], CHECK, hits, total)
    return pixels


# The sixteen colours every 16-colour display has, in their usual order.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# 16x16, drawn by hand because smoothing does not survive 16 colours.
# K frame, B title bar, b caption button, W body, g body edge, G check mark.
ART_16 = [
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KBBBBBBBBBBbbK.",
    ".KBBBBBBBBBBbbK.",
    ".KBBBBBBBBBBBBK.",
    ".KggggggggggggK.",
    ".KWWWWWWWWWGGWK.",
    ".KWWWWWWWWGGWWK.",
    ".KWWWWWWWGGWWWK.",
    ".KWGGWWWGGWWWWK.",
    ".KWWGGWGGWWWWWK.",
    ".KWWWGGGWWWWWWK.",
    ".KWWWWGWWWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]
ART_16_COLOURS = {
    "K": VGA16[4],   # navy
    "B": VGA16[12],  # blue
    "b": VGA16[15],  # white
    "W": VGA16[15],  # white
    "g": VGA16[7],   # silver
    "G": VGA16[2],   # green
    ".": TRANSPARENT,
}


def draw_16():
    return [[ART_16_COLOURS[c] for c in row] for row in ART_16]


def palette_256(pixels):
    """Black first (transparent pixels use index 0), then the picture's colours in sorted order."""
    colours = sorted({c for row in pixels for c in row if c is not None and c != (0, 0, 0)})
    palette = [(0, 0, 0)] + colours
    if len(palette) > 256:
        sys.exit("the 32x32 picture has more than 256 colours")
    return palette + [(0, 0, 0)] * (256 - len(palette))


def dib(pixels, palette, bpp):
    """One icon image: BITMAPINFOHEADER, palette, XOR bits and AND mask, rows bottom-up."""
    size = len(pixels)
    index = {}
    for i, colour in enumerate(palette):
        index.setdefault(colour, i)
    xor_stride = (size * bpp + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(pixels):
        xor_row = bytearray(xor_stride)
        and_row = bytearray(and_stride)
        for x, colour in enumerate(row):
            if colour is None:
                and_row[x // 8] |= 0x80 >> (x % 8)
                value = 0
            else:
                value = index[colour]
            if bpp == 8:
                xor_row[x] = value
            else:
                xor_row[x // 2] |= value << (4 if x % 2 == 0 else 0)
        xor_bits += xor_row
        and_bits += and_row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor_bits) + len(and_bits), 0, 0, len(palette), 0)
    quads = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    return header + quads + bytes(xor_bits) + bytes(and_bits)


def ico(images):
    """images: list of (size, colour count, bpp, dib bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bpp, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours % 256, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, _, data in images)


def png(pixels, scale):
    """A preview with a checkerboard behind transparent pixels."""
    size = len(pixels) * scale
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            colour = pixels[y // scale][x // scale]
            if colour is None:
                colour = (0xCC, 0xCC, 0xCC) if (x // 8 + y // 8) % 2 else (0x99, 0x99, 0x99)
            raw += bytes(colour)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = os.path.join(here, "Veneerkit.ico")
    preview_dir = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--png":
            preview_dir = args.pop(0)
        else:
            output = arg

    big = draw_32()
    small = draw_16()
    data = ico([
        (32, 256, 8, dib(big, palette_256(big), 8)),
        (16, 16, 4, dib(small, VGA16, 4)),
    ])
    with open(output, "wb") as f:
        f.write(data)
    if preview_dir:
        for name, pixels, scale in (("icon32.png", big, 8), ("icon16.png", small, 16)):
            with open(os.path.join(preview_dir, name), "wb") as f:
                f.write(png(pixels, scale))


if __name__ == "__main__":
    main(sys.argv[1:])
