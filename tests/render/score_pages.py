#!/usr/bin/env python3
"""Scores renderings of printed pages against reference renderings.

usage: score_pages.py REFERENCE.png CANDIDATE.png [REFERENCE.png CANDIDATE.png ...]

Each page becomes a 1-bit image with ImageMagick (`convert`), the candidate
resized to the reference's size; a pixel darker than mid grey is ink. Ink
pixels with no inked neighbour (single dots of light shadings, placed by each
renderer's own dither) are left out of the count but still count as nearby ink.
For each pair it prints "score recall precision" where recall is the share of
the reference's ink that has candidate ink within 2 pixels, precision the same
the other way round, and score the smaller of the two (1.0 for blank pages).
"""
import subprocess
import sys

RADIUS = 2


def bitmap(path, size=None):
    cmd = ["convert", path, "-flatten", "-colorspace", "gray"]
    if size:
        cmd += ["-resize", "%dx%d!" % size]
    cmd += ["-threshold", "50%", "pbm:-"]
    raw = subprocess.run(cmd, check=True, capture_output=True).stdout
    tokens, pos = [], 0
    while len(tokens) < 3:
        while raw[pos:pos + 1].isspace():
            pos += 1
        if raw[pos:pos + 1] == b"#":
            pos = raw.index(b"\n", pos)
            continue
        start = pos
        while not raw[pos:pos + 1].isspace():
            pos += 1
        tokens.append(raw[start:pos])
    pos += 1
    width, height = int(tokens[1]), int(tokens[2])
    stride = (width + 7) // 8
    rows = []
    for y in range(height):
        value = int.from_bytes(raw[pos + y * stride:pos + (y + 1) * stride], "big")
        value >>= stride * 8 - width
        # Bit x of a row is pixel x.
        rows.append(int(format(value, "0%db" % width)[::-1], 2) if value else 0)
    return width, height, rows


def not_lone(rows, width):
    mask = (1 << width) - 1
    kept = []
    for y, row in enumerate(rows):
        around = 0
        for k, other in ((y - 1, rows[y - 1] if y else 0), (y, row),
                         (y + 1, rows[y + 1] if y + 1 < len(rows) else 0)):
            around |= ((other << 1) & mask) | (other >> 1)
            if k != y:
                around |= other
        kept.append(row & around)
    return kept


def grown(rows):
    wide = []
    for row in rows:
        g = row
        for k in range(1, RADIUS + 1):
            g |= (row << k) | (row >> k)
        wide.append(g)
    out = []
    for y in range(len(wide)):
        g = 0
        for k in range(max(0, y - RADIUS), min(len(wide), y + RADIUS + 1)):
            g |= wide[k]
        out.append(g)
    return out


def share_near(a, b, width):
    counted = not_lone(a, width)
    total = sum(bin(r).count("1") for r in counted)
    if total == 0:
        return 1.0
    near = grown(b)
    return sum(bin(r & n).count("1") for r, n in zip(counted, near)) / total


def main(args):
    if len(args) % 2 or not args:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    for ref_path, cand_path in zip(args[0::2], args[1::2]):
        width, height, ref = bitmap(ref_path)
        _, _, cand = bitmap(cand_path, (width, height))
        recall = share_near(ref, cand, width)
        precision = share_near(cand, ref, width)
        print("%.4f %.4f %.4f" % (min(recall, precision), recall, precision))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
