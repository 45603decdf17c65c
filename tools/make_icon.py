#!/usr/bin/env python3
"""Draws the renderer's icon: a 32 x 32, 16-colour image of glowing trails on black, written as a
Windows .ico file (one image, 4 bits per pixel, with its transparency mask), and the same image
as a PNG for the Linux desktop's menus.

    python3 tools/make_icon.py [assets/orveline.ico [packaging/orveline.png]]

Standard library only; the output is the same on every run, so the file in assets/ can be
regenerated and compared.
"""
import math
import struct
import sys
import zlib

SIZE = 32

# The 16-colour VGA palette, in the order Windows uses for 4-bit images (B, G, R, 0 on disk).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_CYAN, DARK_MAGENTA, DARK_GREEN = 0, 6, 5, 2
CYAN, MAGENTA, GREEN, YELLOW, WHITE = 14, 13, 10, 11, 15

# Each trail: (phase, amplitude, y offset, bright colour, dim colour). The bright end is the
# head of the trail, the dim end its fading tail, as the animation draws them.
TRAILS = [
    (0.0, 6.0, 10.0, CYAN, DARK_CYAN),
    (1.9, 5.0, 16.0, YELLOW, DARK_GREEN),
    (3.7, 6.5, 22.0, MAGENTA, DARK_MAGENTA),
]


def inside_rounded_square(x, y, radius=5):
    """True for pixels inside the square with rounded corners; the rest is transparent."""
    cx = min(max(x, radius), SIZE - 1 - radius)
    cy = min(max(y, radius), SIZE - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def draw():
    pixels = [[BLACK] * SIZE for _ in range(SIZE)]
    for phase, amplitude, offset, bright, dim in TRAILS:
        for step in range(4 * SIZE):
            x = 3 + step * (SIZE - 6) / (4 * SIZE - 1)
            y = offset + amplitude * math.sin(x / 5.0 + phase) * (x / SIZE)
            px, py = int(round(x)), int(round(y))
            if 0 <= px < SIZE and 0 <= py < SIZE:
                pixels[py][px] = bright if x > SIZE * 0.45 else dim
        # A white-hot head at the leading end of each trail.
        hx = SIZE - 4
        hy = int(round(offset + amplitude * math.sin(hx / 5.0 + phase) * (hx / SIZE)))
        pixels[hy][hx] = WHITE
    return pixels


def encode_ico(pixels):
    xor = bytearray()
    mask = bytearray()
    # Bitmaps are stored bottom-up.
    for y in reversed(range(SIZE)):
        row = pixels[y]
        for x in range(0, SIZE, 2):
            xor.append((row[x] << 4) | row[x + 1])
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (0 if inside_rounded_square(x, y) else 1)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def encode_png(pixels):
    rows = bytearray()
    for y in range(SIZE):
        rows.append(0)  # no filter
        for x in range(SIZE):
            alpha = 255 if inside_rounded_square(x, y) else 0
            rows += bytes(PALETTE[pixels[y][x]]) + bytes([alpha])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "assets/orveline.ico"
    png = sys.argv[2] if len(sys.argv) > 2 else "packaging/orveline.png"
    pixels = draw()
    with open(out, "wb") as f:
        f.write(encode_ico(pixels))
    with open(png, "wb") as f:
        f.write(encode_png(pixels))


if __name__ == "__main__":
    main()
