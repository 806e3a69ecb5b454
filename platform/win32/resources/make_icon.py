#!/usr/bin/env python3
"""Draws the programs' icon, setup.ico, with the standard library alone.

    python3 make_icon.py setup.ico

A blue rounded square with a white ring and its tail (the Q of the maker's
name), at 16, 32 and 48 pixels, as 32-bit images with an alpha
channel. The icon is kept in the tree; run this again only to change it.
"""
import math
import struct
import sys

BLUE = (0xA8, 0x5F, 0x1F)  # blue-green-red, as the bitmap stores it
WHITE = (0xFF, 0xFF, 0xFF)


def coverage(inside, x, y, samples=4):
    """How much of pixel (x, y) lies inside the shape, 0 to 1."""
    hits = 0
    for i in range(samples):
        for j in range(samples):
            if inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples):
                hits += 1
    return hits / (samples * samples)


def pixels(size):
    s = float(size)
    radius = s * 0.18

    def square(x, y):
        cx = min(max(x, radius), s - radius)
        cy = min(max(y, radius), s - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2

    centre = s * 0.47
    outer, inner = s * 0.33, s * 0.20

    def mark(x, y):
        d = math.hypot(x - centre, y - centre)
        if inner <= d <= outer:
            return True
        # The tail: a bar from the ring's lower right towards the corner.
        u = ((x - centre) + (y - centre)) / math.sqrt(2)
        v = ((x - centre) - (y - centre)) / math.sqrt(2)
        return s * 0.18 <= u <= s * 0.50 and abs(v) <= s * 0.07

    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            a = coverage(square, x, y)
            m = coverage(mark, x, y) if a > 0 else 0.0
            colour = tuple(round(b * (1 - m) + w * m) for b, w in zip(BLUE, WHITE))
            row.append(colour + (round(255 * a),))
        rows.append(row)
    return rows


def bitmap(size):
    rows = pixels(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # the alpha channel says what is transparent
    return header + xor + and_mask


def main(path):
    sizes = [16, 32, 48]
    images = [bitmap(size) for size in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'setup.ico')
