#!/usr/bin/env python3
"""Draws Quillmere's application icon and writes it as a Windows .ico.

    python3 tools/draw_icon.py [resources/quillmere/quillmere.ico]

An address card with a contact's silhouette and an arrow leaving it: what the
program does. Drawn from shapes at 16, 32 and 48 pixels, 4x4 supersampled, as
32-bit images with alpha (and the AND mask older systems read). Standard
library only.
"""
import math
import struct
import sys

CARD = (247, 242, 226)
CARD_EDGE = (120, 104, 72)
PERSON = (46, 94, 170)
ARROW = (214, 92, 36)


def rounded_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shapes(x, y):
    """Colour at (x, y) in a 1 x 1 square, or None where the icon is clear."""
    in_arrow = (0.62 <= y <= 0.74 and 0.50 <= x <= 0.80) or (
        0.80 <= x <= 0.98 and abs(y - 0.68) <= (0.98 - x) * 0.95)
    if in_arrow:
        return ARROW
    if rounded_rect(x, y, 0.04, 0.16, 0.84, 0.86, 0.08):
        if not rounded_rect(x, y, 0.08, 0.20, 0.80, 0.82, 0.05):
            return CARD_EDGE
        if math.hypot(x - 0.30, y - 0.40) <= 0.10:
            return PERSON
        if y >= 0.53 and math.hypot((x - 0.30) / 0.17, (y - 0.74) / 0.20) <= 1.0:
            return PERSON
        if 0.48 <= x <= 0.72 and any(abs(y - line) <= 0.025 for line in (0.36, 0.46)):
            return CARD_EDGE
        return CARD
    return None


def render(size, samples=4):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = shapes((col + (sx + 0.5) / samples) / size,
                                    (row + (sy + 0.5) / samples) / size)
                    if colour:
                        covered += 1
                        total = [t + c for t, c in zip(total, colour)]
            if covered:
                line.append(tuple(t // covered for t in total) + (255 * covered // samples ** 2,))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def bitmap(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("BBBB", b, g, r, a)
                      for line in reversed(pixels) for (r, g, b, a) in line)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for line in reversed(pixels):
        row = bytearray(mask_stride)
        for col, (_, _, _, alpha) in enumerate(line):
            if alpha == 0:
                row[col // 8] |= 0x80 >> (col % 8)
        mask += bytes(row)
    return header + colour + mask


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "resources/quillmere/quillmere.ico"
    sizes = (16, 32, 48)
    images = [bitmap(size) for size in sizes]
    offset = 6 + 16 * len(sizes)
    directory = struct.pack("<HHH", 0, 1, len(sizes))
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(target, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
