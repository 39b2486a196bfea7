#!/usr/bin/env python3
"""Writes the viewer's generated art: icon 100 (lumora.ico), a framed
landscape photograph with a sun, at 16 x 16 and 32 x 32 pixels in the 16
standard colours, with a transparency mask.

Usage: gen_art.py OUTPUT_DIR. The build runs it; nothing it writes is
committed. Standard library only.
"""
import os
import struct
import sys

# The 16 colours every display shows (RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, GREY, GREEN, YELLOW, CYAN, WHITE = 0, 2, 8, 10, 11, 14, 15
TRANSPARENT = None


def photo_pixel(x, y, size):
    """Colour index of pixel (x, y), counted from the top left, or None."""
    # The card: full width less a pixel each side, three quarters high.
    top, bottom = size // 8, size - size // 8 - 1
    left, right = 0 if size < 32 else 1, size - 1 - (0 if size < 32 else 1)
    if not (left <= x <= right and top <= y <= bottom):
        return TRANSPARENT
    if x in (left, right) or y in (top, bottom):
        return BLACK
    if size >= 32 and (x in (left + 1, right - 1) or y in (top + 1, bottom - 1)):
        return WHITE
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    if (u - 0.70) ** 2 + (v - 0.34) ** 2 <= 0.115 ** 2:
        return YELLOW
    if v >= 0.42 + abs(u - 0.36) * 1.05:
        return GREY if v < 0.50 else DARK_GREEN  # a mountain, its top bare
    if v >= 0.60 + abs(u - 0.76) * 0.55:
        return GREEN
    return CYAN


def icon_image(size):
    """The icon's image block: header, palette, colour rows, mask rows."""
    pixels = [[photo_pixel(x, y, size) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = b"", b""
    for row in reversed(pixels):  # bottom-up
        nibbles = [0 if p is None else p for p in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows += packed.ljust(xor_stride, b"\0")
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is None else 0)
        and_rows += bits.to_bytes(size // 8, "big").ljust(and_stride, b"\0")
    return header + palette + xor_rows + and_rows


def write_icon(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    write_icon(os.path.join(sys.argv[1], "lumora.ico"), [32, 16])


if __name__ == "__main__":
    main()
