#!/usr/bin/env python3
"""Draws the updater's application icon and writes it as a Windows .ico file.

The picture is an optical disc with a green arrow pointing into it (new firmware going into the
drive), drawn at 32x32 and 16x16 in the standard 16-colour VGA palette, 4 bits per pixel, because
the icon group carries exactly these two images. The output depends on nothing but this script, so
running it again gives the same bytes.

Usage: tools/make-icon.py ui/res/updater.ico
"""
import struct
import sys

# The 16 colours of the standard VGA palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, SILVER, GREY, LIME, CYAN, WHITE = 0, 2, 7, 8, 10, 14, 15
TRANSPARENT = None


def disc_pixel(size, x, y):
    """Colour of the disc at pixel (x, y), or TRANSPARENT outside it."""
    centre = (size - 1) / 2.0
    r = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5 / (size / 2.0)
    if r > 1.0:
        return TRANSPARENT
    if r > 0.92:
        return GREY
    if r < 0.12:
        return TRANSPARENT
    if r < 0.22:
        return GREY
    # A lighter band across the surface gives the disc its shine.
    return CYAN if abs((x - centre) - (y - centre)) < size * 0.08 else SILVER


def arrow_pixel(size, x, y):
    """Colour of the download arrow at pixel (x, y), or None where the arrow is absent."""
    unit = size / 16.0
    left, right = 9 * unit, 15 * unit
    shaft_left, shaft_right = 10.5 * unit, 13.5 * unit
    head_top, tip = 5 * unit, 9 * unit
    middle = (left + right) / 2.0
    if y < 0 or y >= tip + unit:
        return None
    if y < head_top:
        inside = shaft_left <= x + 0.5 < shaft_right
    else:
        half_width = (right - left) / 2.0 * (tip - y) / (tip - head_top + unit) + unit * 0.5
        inside = abs(x + 0.5 - middle) <= half_width
    if not inside:
        return None
    return LIME if x + 0.5 < middle else DARK_GREEN


def draw(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            colour = arrow_pixel(size, x, y)
            row.append(colour if colour is not None else disc_pixel(size, x, y))
        rows.append(row)
    return rows


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def dib(pixels):
    """The image as an icon DIB: header, palette, 4-bit colour rows, 1-bit mask rows, bottom up."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_rows = b""
    mask_rows = b""
    for row in reversed(pixels):
        nibbles = [BLACK if c is TRANSPARENT else c for c in row]
        colour_rows += padded(bytes((nibbles[i] << 4) | nibbles[i + 1]
                                    for i in range(0, size, 2)))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is TRANSPARENT else 0)
        mask_rows += padded(bits.to_bytes(size // 8, "big"))
    return header + palette + colour_rows + mask_rows


def icon_file(sizes):
    images = [dib(draw(size)) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], "wb") as f:
        f.write(icon_file([32, 16]))


if __name__ == "__main__":
    main()
