#!/usr/bin/env python3
"""Awkward settings files and scripts of the launcher's own use of them, for profile_compare.sh.

    profile_cases.py <seed> <count> <folder> [<case>]

Writes <folder>/r<seed>_<k>.ini (no file for some cases: the file is missing) and
<folder>/r<seed>_<k>.script for k in 0..count-1, or for the one case k given. Case k depends on
the seed and k alone, so a failing case is made again by naming both.

The files mix what a settings file may hold: section headers with blanks, tabs, case variants,
brackets and duplicates; the launcher's keys in other spellings and with other values; comments,
junk lines, NUL bytes, code-page-932 double-byte characters; CR LF, LF and CR-only line ends, with
or without a last one. Left out are the two things we read differently by design (see
launcher/profile_file.h): byte sequences that are no character of the code page, and a name cut by
a NUL right after a blank. The scripts do what the launcher does: read the section "Section"'s
three keys into 256 bytes and write its numbers and paths.
"""
import random
import sys

KIND = b"BGM\x8b\xe6\x95\xaa"
REPEAT = b"BGM\xd8\xcb\xdf\xb0\xc4"
FILEKEY = b"BGM\xcc\xa7\xb2\xd9"
KEYS = [KIND, REPEAT, FILEKEY]

# Whole characters of code page 932: kanji, one whose trail byte is ']' or '\', full-width letters
# and blank, half-width katakana.
WIDE = [b"\x89\xb9", b"\x8a\x79", b"\x83\x5d", b"\x83\x5c", b"\x95\x5c", b"\x82\x60", b"\x82\x81",
        b"\x81\x40", b"\xb1", b"\xdf", b"\xcc"]
BLANKS = [b" ", b"  ", b"\t", b" \t ", b"\x0b", b"\x0c", b"\x1a"]


def pick(rng, items):
    return items[rng.randrange(len(items))]


def blanks(rng):
    return pick(rng, BLANKS) if rng.random() < 0.3 else b""


def junk(rng, length):
    out = bytearray()
    while len(out) < length:
        r = rng.random()
        if r < 0.15:
            out += pick(rng, WIDE)
        elif r < 0.2:
            # Not after a blank: a name cut there keeps the blank to the Windows calls, which
            # then cannot find a value written to it; ours drops it (launcher/profile_file.h).
            if not out or out[-1] not in b" \t\x0b\x0c\x1a":
                out += b"\0"
        else:
            b = rng.randrange(0x01, 0x7f)
            out.append(b if b not in (0x0a, 0x0d) else 0x20)
    return bytes(out)


def section_name(rng):
    r = rng.random()
    if r < 0.5:
        name = pick(rng, [b"Section", b"SECTION", b"section", b"SeCtIoN"])
    elif r < 0.6:
        name = pick(rng, [b"Sec tion", b"Section2", b"Other", b"Sectio", b"\x83\x5d", b"Se\0ction",
                          b"Section\0x", b"\x89\xb9\x8a\x79", b""])
    else:
        name = b"Section"
    return blanks(rng) + name + blanks(rng)


def header(rng):
    name = section_name(rng)
    r = rng.random()
    if r < 0.75:
        return b"[" + name + b"]"
    return pick(rng, [b"[" + name, name + b"]", b"[[" + name + b"]]", b"[" + name + b"]junk",
                      b"[" + name + b"] ; c", b"[" + name + b"]]", b"x[" + name + b"]"])


def key_name(rng):
    r = rng.random()
    if r < 0.6:
        key = pick(rng, KEYS)
        if rng.random() < 0.3:
            key = b"bgm" + key[3:]
        return key
    return pick(rng, [b"BGM", b"key", KIND + b"x", b"x" + REPEAT, junk(rng, rng.randrange(1, 6)),
                      FILEKEY[:5], b"\x82\x60\x82\x81", b""])


def value(rng):
    r = rng.random()
    if r < 0.3:
        return str(rng.randrange(-40000, 40000)).encode()
    if r < 0.45:
        return pick(rng, [b"2", b"1", b"0", b"2.9", b"-0.5", b"abc", b" 7 ", b"", b"1e3"])
    if r < 0.6:
        return path(rng)
    if r < 0.7:
        q = pick(rng, [b'"', b"'"])
        return q + junk(rng, rng.randrange(0, 8)) + (q if rng.random() < 0.7 else b"")
    if r < 0.75:
        return b"L" * rng.randrange(250, 300)
    return junk(rng, rng.randrange(0, 20))


def path(rng):
    """A path as the settings dialog may write it: Windows or Linux, with blanks, quotes, '=',
    brackets and double-byte characters."""
    parts = [pick(rng, [b"Music", b"a b", b"\x89\xb9\x8a\x79", b"[x]", b"a=b", b"it's", b"q\"",
                        b";c", b"\x83\x5c", b"t\tab"]) for _ in range(rng.randrange(1, 4))]
    name = pick(rng, [b"a.mp3", b"song.WAV", b"x.mid", b"b ", b"\x89\xb9.mp3"])
    if rng.random() < 0.5:
        return b"C:\\" + b"\\".join(parts) + b"\\" + name
    return b"/home/u/" + b"/".join(parts) + b"/" + name


def line(rng):
    r = rng.random()
    if r < 0.2:
        return header(rng)
    if r < 0.65:
        return blanks(rng) + key_name(rng) + blanks(rng) + b"=" + blanks(rng) + value(rng) + blanks(rng)
    if r < 0.75:
        return pick(rng, [b"; comment", b"# note", b";" + KIND + b"=1", b"", b"   "])
    if r < 0.85:
        return key_name(rng)
    return junk(rng, rng.randrange(0, 30))


def settings_file(rng):
    ending = pick(rng, [b"\r\n", b"\n", b"\r", None])
    out = b""
    for _ in range(rng.randrange(0, 14)):
        end = ending if ending else pick(rng, [b"\r\n", b"\n", b"\r", b"\n\r"])
        out += line(rng) + end
    if rng.random() < 0.3 and out:
        out = out.rstrip(b"\r\n")
    return out


def hexed(text):
    return text.hex() if text else "-"


def script(rng):
    ops = []
    section = hexed(b"Section")
    for _ in range(rng.randrange(1, 4)):
        for key in KEYS:
            ops.append("R %s %s - 256" % (section, hexed(key)))
        for _ in range(rng.randrange(0, 4)):
            key = pick(rng, KEYS)
            if key == FILEKEY:
                text = path(rng) if rng.random() < 0.8 else b""
            else:
                text = str(rng.randrange(-32768, 32768)).encode()
            ops.append("W %s %s %s" % (section, hexed(key), hexed(text)))
    for key in KEYS:
        ops.append("R %s %s - 256" % (section, hexed(key)))
    return ops


def make(seed, k, folder):
    rng = random.Random("%s:%d" % (seed, k))
    name = "r%s_%d" % (seed, k)
    if rng.random() >= 0.03:
        with open("%s/%s.ini" % (folder, name), "wb") as f:
            f.write(settings_file(rng))
    with open("%s/%s.script" % (folder, name), "w") as f:
        f.write("\n".join(script(rng)) + "\n")


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    seed, count, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    cases = [int(sys.argv[4])] if len(sys.argv) == 5 else range(count)
    for k in cases:
        make(seed, k, folder)


if __name__ == "__main__":
    main()
