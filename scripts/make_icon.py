#!/usr/bin/env python3
"""Draws Pelmora's icon, a small red alarm clock, and writes it as a Windows .ico file.

The icon is 32 x 32 pixels in 16 colours (4 bits per pixel, the standard VGA palette) with a
1-bit transparency mask: one ICONDIR, one ICONDIRENTRY and one DIB (BITMAPINFOHEADER with
the doubled height, palette, XOR bitmap, AND mask). Every shape is described geometrically and
sampled 4 x 4 times per pixel; the colour seen most often wins, so circles come out round
without needing colours that the palette does not have.

Usage: make_icon.py [OUT.ico]   (default: src/shell/res/Pelmora.ico beside this script's repo)
"""
import math
import os
import struct
import sys

SIZE = 32
SUB = 4  # samples per pixel along each axis

# The 16 colours of the VGA palette in the order Windows uses for 4-bit bitmaps, as (r, g, b).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, OLIVE, SILVER, GRAY, RED, YELLOW, WHITE = 0, 1, 3, 7, 8, 9, 11, 15
CLEAR = None  # transparent

CX, CY = 15.5, 18.0  # centre of the clock face (pixel 15 is the middle column)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(x0, y0, x1, y1, half_width):
    """A stroke from (x0, y0) to (x1, y1) with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width

    return inside


def hand(angle_deg, length, half_width):
    """A clock hand from the centre; 0 degrees points at 12, angles run clockwise."""
    a = math.radians(angle_deg)
    return segment(CX, CY, CX + length * math.sin(a), CY - length * math.cos(a), half_width)


def bell(side):
    """The bell on one side (-1 left, +1 right): outline, body, shade and a highlight."""
    bx, by = CX + side * 9.0, 7.2
    return [
        (BLACK, disc(bx, by, 5.6)),
        (OLIVE, disc(bx, by, 4.6)),
        (YELLOW, disc(bx - 0.9, by - 0.9, 3.7)),
        (WHITE, disc(bx - 1.8, by - 1.9, 0.9)),
    ]


def layers():
    """The shapes from back to front, each with its palette index."""
    shapes = []
    # Feet, angled outwards under the body.
    for side in (-1, 1):
        shapes.append((BLACK, segment(CX + side * 7.0, CY + 8.0, CX + side * 10.5, 31.0, 1.5)))
    shapes += bell(-1) + bell(1)
    # The hammer between the bells: a short stem with a knob.
    shapes.append((BLACK, segment(CX, 6.0, CX, 2.2, 1.5)))
    shapes.append((BLACK, disc(CX, 2.2, 2.0)))
    shapes.append((GRAY, disc(CX, 2.2, 1.0)))
    # The body: outline, a dark rim on the lower right, bright red elsewhere, a glint.
    shapes.append((BLACK, disc(CX, CY, 12.6)))
    shapes.append((MAROON, disc(CX, CY, 11.6)))
    shapes.append((RED, disc(CX - 0.7, CY - 0.7, 10.8)))
    shapes.append((WHITE, segment(CX - 8.4, CY - 5.0, CX - 6.0, CY - 8.0, 0.7)))
    # The face: a thin dark ring, then white with a soft shadow along its top left.
    shapes.append((BLACK, disc(CX, CY, 9.0)))
    shapes.append((SILVER, disc(CX, CY, 8.2)))
    shapes.append((WHITE, disc(CX + 0.6, CY + 0.6, 7.8)))
    # Hour marks at 12, 3, 6 and 9, smaller dots in between.
    for i in range(12):
        a = math.radians(i * 30)
        mx, my = CX + 6.3 * math.sin(a), CY - 6.3 * math.cos(a)
        if i % 3 == 0:
            shapes.append((BLACK, disc(mx, my, 0.85)))
        else:
            shapes.append((GRAY, disc(mx, my, 0.55)))
    # Ten past ten: hour hand a little past 10, minute hand on 2.
    shapes.append((BLACK, hand(305, 4.2, 0.95)))
    shapes.append((BLACK, hand(60, 5.6, 0.75)))
    shapes.append((RED, disc(CX, CY, 1.2)))
    return shapes


def render():
    """Returns 32 rows of 32 palette indices (or CLEAR), top row first."""
    shapes = layers()
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            votes = {}
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    colour = CLEAR
                    for index, inside in shapes:
                        if inside(x, y):
                            colour = index
                    votes[colour] = votes.get(colour, 0) + 1
            # Most votes wins; on a tie prefer the opaque colour, so outlines stay closed.
            row.append(max(votes, key=lambda c: (votes[c], c is not CLEAR)))
        pixels.append(row)
    return pixels


def encode_ico(pixels):
    """One 32 x 32 4-bit image with its AND mask, as the bytes of an .ico file."""
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # DIB rows run bottom-up
        nibbles = [0 if c is CLEAR else c for c in row]
        xor += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        mask += bits.to_bytes(SIZE // 8, "big")  # 4 bytes: already a multiple of 4
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,            # biSize
        SIZE,          # biWidth
        SIZE * 2,      # biHeight: XOR bitmap and AND mask together
        1,             # biPlanes
        4,             # biBitCount
        0,             # biCompression: BI_RGB
        len(xor) + len(mask),
        0, 0,          # resolution: unused
        16, 0,         # colours used, colours important
    )
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack(
        "<BBBBHHII",
        SIZE, SIZE,    # width, height
        16, 0,         # colours, reserved
        1, 4,          # planes, bits per pixel
        len(image),
        6 + 16,        # offset of the image: right after this one entry
    )
    return icondir + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "src", "shell", "res", "Pelmora.ico")
    data = encode_ico(render())
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "wb") as f:
        f.write(data)
    print(f"wrote {out} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
