#!/usr/bin/env python3
"""Draws the six 64 x 25 state images of the launcher's push button as 24-bit BMP files.

The frame is four rings deep: ring 0 is the outermost line. Rows are coloured along their
straight part (pixels 4 to 59), columns along theirs (pixels 4 to 20); the 4 x 4 corner blocks
round the rings off, blending neighbouring ring colours, except where a block is given pixel for
pixel. Only the frame is ever drawn by the button; the centre gets the face gradient so that the
images look like buttons on their own.

    python3 tools/make_button_images.py [output folder]   (default: assets/button)
"""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 64, 25
BACKGROUND = 0xECE9D8

# Per image and side, rings 0..3. A row ring is a colour or (left, right); a column ring is a
# colour or (top, middle, bottom) for pixels y 4, 12 and 20, graded in between.
TOP_EDGE = (0xE0DCC9, 0xDCD6C2)
BOTTOM_EDGE = (0xF8F7F0, 0xFAFAF6)
OUTLINE = 0x003C74

HIGHLIGHT = {
    "top": [TOP_EDGE, OUTLINE, 0xFFF0CF, 0xFDD889],
    "bottom": [BOTTOM_EDGE, OUTLINE, 0xE59700, 0xF8B330],
    "left": [0xE2DECB, OUTLINE, (0xFEDF9A, 0xFCCA69, 0xF9B435), (0xFCD279, 0xFBCA6A, 0xF8B535)],
    "right": [0xF0EEE0, OUTLINE, (0xFDE09B, 0xFCCA69, 0xF8B435), (0xFCD279, 0xFBCA6A, 0xF8B535)],
}

IMAGES = {
    "Normal": {
        "top": [TOP_EDGE, OUTLINE, 0xF3F3EE, 0xF3F3EE],
        "bottom": [BOTTOM_EDGE, OUTLINE, 0xD6D0C5, 0xE2DFD6],
        "left": [0xE2DECB, OUTLINE, (0xFDFDFC, 0xF4F4F0, 0xECEBE6), (0xFDFDFC, 0xF4F4F0, 0xEBEBE5)],
        "right": [0xF0EEE0, OUTLINE, (0xF6F4F2, 0xE8E5DF, 0xE0DDD4), (0xFBFBFA, 0xEEEDE7, 0xE4E2DA)],
    },
    "HighLight": HIGHLIGHT,
    "HighLightSelect": HIGHLIGHT,
    "Selected": {
        "top": [TOP_EDGE, OUTLINE, 0xCEE7FF, 0xCEE7FF],
        "bottom": [BOTTOM_EDGE, OUTLINE, 0x6982EE, 0x6982EE],
        "left": [0xE2DECB, OUTLINE, (0xB7D0F4, 0xA9C5EF, 0x8BADE4), (0xB8D1F4, 0xA8C6F0, 0x8BADE4)],
        "right": [0xF0EEE0, OUTLINE, (0xB1CCF2, 0xA9C5EF, 0x8BAFE5), (0xB1CCF2, 0xA9C5EF, 0x8BAFE5)],
    },
    "Pressed": {
        "top": [BACKGROUND, TOP_EDGE, OUTLINE, 0xD1CCC1],
        "bottom": [BACKGROUND, BOTTOM_EDGE, OUTLINE, 0xF2F1EE],
        "left": [BACKGROUND, 0xE2DECB, OUTLINE, 0xD7D4CB],
        "right": [BACKGROUND, 0xF0EEE0, OUTLINE, 0xE4E3DC],
    },
    "Disable": {side: [BACKGROUND, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA]
                for side in ("top", "bottom", "left", "right")},
}

# The outline ring of each image, around which the corners are rounded.
OUTLINE_RING = {"Pressed": 2}

# Corner blocks given pixel for pixel, row by row from the image's corner, which the drawn
# rounding only approximates: (image, right, bottom) -> rows.
GIVEN_CORNERS = {
    ("Normal", False, False): (
        (0xE9E7D5, 0xE4DFCE, 0xE1DDCA, 0xE0DCC9),
        (0xE4DFCE, 0xE6E1D0, 0x7A95A8, 0x255783),
        (0xE2DECB, 0x7A95A8, 0x557DA2, 0xC0CFDD),
        (0xE2DECB, 0x255783, 0xBFCEDC, 0xFEFEFE),
    ),
}


def channels(rgb):
    return ((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)


def mix(colours):
    n = len(colours)
    sums = [0.0, 0.0, 0.0]
    for c in colours:
        for k, v in enumerate(channels(c)):
            sums[k] += v
    r, g, b = (int(round(s / n)) for s in sums)
    return r << 16 | g << 8 | b


def row_colour(ring, x):
    if isinstance(ring, tuple):
        left, right = ring
        return right if 32 <= x <= 56 else left
    return ring


def column_colour(ring, y):
    if not isinstance(ring, tuple):
        return ring
    top, middle, bottom = ring
    if y <= 12:
        a, b, t = top, middle, (y - 4) / 8
    else:
        a, b, t = middle, bottom, (y - 12) / 8
    ca, cb = channels(a), channels(b)
    r, g, bl = (int(round(p + (q - p) * t)) for p, q in zip(ca, cb))
    return r << 16 | g << 8 | bl


def corner_pixel(frame, name, i, j, right, bottom):
    """Colour of the corner-block pixel i columns and j rows in from the corner."""
    row_side = frame["bottom" if bottom else "top"]
    column_side = frame["right" if right else "left"]
    end_y = 20 if bottom else 4
    # Rings are rounded on quarter circles about a point 3.6 pixels in from the corner: a
    # sample's ring is how far it lies inside the circle of radius 3.4 (fitted to the corner of
    # Normal as it should look). The Pressed frame is set one pixel further in, and its first
    # ring is plain background.
    inset = OUTLINE_RING.get(name, 1) - 1
    centre, reach = 3.6, 3.4
    samples = []
    steps = 4
    for sy in range(steps):
        for sx in range(steps):
            u = i + (sx + 0.5) / steps - inset
            v = j + (sy + 0.5) / steps - inset
            dx, dy = centre - u, centre - v
            depth = reach - math.hypot(max(dx, 0), max(dy, 0))
            if u < 0 or v < 0 or depth < 0:
                samples.append(BACKGROUND)
                continue
            ring = min(3, int(depth) + inset)
            if dx > dy:  # nearer the side column than the top or bottom row
                samples.append(column_colour(column_side[ring], end_y))
            else:
                samples.append(row_colour(row_side[ring], 4))
    return mix(samples)


def draw(name):
    frame = IMAGES[name]
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]
    # Face: the gradient that the button paints, white at the top.
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        c = tuple(int(round(a + (b - a) * t)) for a, b in zip((255, 255, 255), (0xC6, 0xC5, 0xD7)))
        for x in range(WIDTH):
            pixels[y][x] = c[0] << 16 | c[1] << 8 | c[2]
    for ring in range(4):
        for x in range(4, 60):
            pixels[ring][x] = row_colour(frame["top"][ring], x)
            pixels[HEIGHT - 1 - ring][x] = row_colour(frame["bottom"][ring], x)
        for y in range(4, 21):
            pixels[y][ring] = column_colour(frame["left"][ring], y)
            pixels[y][WIDTH - 1 - ring] = column_colour(frame["right"][ring], y)
    for right in (False, True):
        for bottom in (False, True):
            for j in range(4):
                for i in range(4):
                    x = WIDTH - 1 - i if right else i
                    y = HEIGHT - 1 - j if bottom else j
                    given = GIVEN_CORNERS.get((name, right, bottom))
                    if given:
                        pixels[y][x] = given[j][i]
                    else:
                        pixels[y][x] = corner_pixel(frame, name, i, j, right, bottom)
    return pixels


def bmp_bytes(pixels):
    row_size = (WIDTH * 3 + 3) & ~3
    image = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = channels(pixels[y][x])
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        image += row
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 3780, 3780, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(image), 0, 0, 14 + len(header))
    return file_header + header + bytes(image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "assets", "button")
    os.makedirs(out, exist_ok=True)
    for name in IMAGES:
        with open(os.path.join(out, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(draw(name)))


if __name__ == "__main__":
    main()
