#!/usr/bin/env python3
"""Checks chosen pixels of a screenshot.

    pixel_probe.py <picture> <probe file> [x offset] [y offset]

Each probe line: x y condition label, where condition is RRGGBB[~tolerance] (every channel within
the tolerance, default 0) or a test on the channels r, g, b such as "r>=240" or "b>r+20".
Lines starting with # are skipped. Prints every failing probe; exit status 1 if any failed.
"""
import subprocess
import sys


def load(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    # P6 header: magic, width, height, maximum, then the pixels.
    fields = []
    pos = 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        if ppm[pos:pos + 1] == b"#":
            pos = ppm.index(b"\n", pos)
            continue
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, ppm[pos + 1:]


def main():
    picture, probes = sys.argv[1], sys.argv[2]
    dx = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    dy = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    width, height, data = load(picture)
    failed = 0
    with open(probes) as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            x, y, condition, *label = line.split()
            x, y = int(x) + dx, int(y) + dy
            if not (0 <= x < width and 0 <= y < height):
                print(f"FAIL {' '.join(label)}: ({x},{y}) lies outside the {width}x{height} picture")
                failed += 1
                continue
            i = 3 * (y * width + x)
            r, g, b = data[i], data[i + 1], data[i + 2]
            if "~" in condition or (len(condition) == 6 and all(c in "0123456789abcdefABCDEF" for c in condition)):
                hexa, _, tol = condition.partition("~")
                want = int(hexa, 16)
                tolerance = int(tol) if tol else 0
                ok = all(abs(a - w) <= tolerance for a, w in
                         zip((r, g, b), ((want >> 16) & 255, (want >> 8) & 255, want & 255)))
            else:
                ok = bool(eval(condition, {"__builtins__": {}}, {"r": r, "g": g, "b": b}))
            if not ok:
                print(f"FAIL {' '.join(label)}: ({x},{y}) is {r:02X}{g:02X}{b:02X}, wanted {condition}")
                failed += 1
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
