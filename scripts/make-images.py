#!/usr/bin/env python3
"""Draws the wizard's images, the application icon and the demo package's header images.

Standard library only, and deterministic: every run writes the same bytes, so regenerating shows up
in git only when a drawing changed. Usage: python3 scripts/make-images.py [--check]
(--check compares with the committed files instead of writing them).
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Palette. The blue is the buttons' focus ring and the amber their hover ring.
PAGE = (240, 240, 240)
BLUE = (24, 103, 158)
BLUE_DARK = (15, 70, 112)
BLUE_DEEP = (10, 49, 82)
BLUE_MID = (86, 152, 204)
BLUE_SOFT = (150, 192, 226)
BLUE_PALE = (214, 229, 242)
AMBER = (239, 181, 73)
AMBER_DEEP = (214, 150, 42)
GREEN = (45, 150, 92)
RED = (205, 62, 62)
GREY = (124, 133, 144)
INK = (66, 48, 16)
WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)
FOOTER = (226, 232, 240)
FOOTER_LINE = (198, 209, 222)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(e0, e1, v):
    t = clamp((v - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------------------------------------
# Shapes are signed distance functions (negative inside) in pixel units; pixel (i, j) covers the
# square [i, i+1) x [j, j+1). Combining them with min/max keeps the distances conservative, which is
# all the edge sampling below relies on.


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rbox(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r

    return f


def _seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def stroke(points, width):
    """A polyline with round caps and joins."""
    segs = list(zip(points, points[1:]))
    h = width / 2

    def f(x, y):
        return min(_seg_dist(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - h

    return f


def polygon(points):
    n = len(points)

    def f(x, y):
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            d = min(d, _seg_dist(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return -d if inside else d

    return f


def inset(points, r):
    """Moves every edge of a convex polygon inwards by r (either winding)."""
    n = len(points)
    area = sum(points[i - 1][0] * points[i][1] - points[i][0] * points[i - 1][1] for i in range(n))
    s = 1 if area > 0 else -1
    lines = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i - 1], points[i]
        dx, dy = bx - ax, by - ay
        length = math.hypot(dx, dy)
        nx, ny = -dy / length * s, dx / length * s
        lines.append((ax + nx * r, ay + ny * r, dx, dy))
    out = []
    for i in range(n):
        ax, ay, adx, ady = lines[i]
        bx, by, bdx, bdy = lines[(i + 1) % n]
        t = ((bx - ax) * bdy - (by - ay) * bdx) / (adx * bdy - ady * bdx)
        out.append((ax + adx * t, ay + ady * t))
    return out


def rpoly(points, r):
    """A convex polygon with corners rounded to radius r, the same outline size."""
    f = polygon(inset(points, r))
    return lambda x, y: f(x, y) - r


def arc(cx, cy, radius, a0, a1, width):
    """Circular arc from angle a0 to a1 (degrees, clockwise on screen), round caps."""
    t0, t1 = math.radians(a0), math.radians(a1)
    ends = [(cx + radius * math.cos(t), cy + radius * math.sin(t)) for t in (t0, t1)]

    def f(x, y):
        t = math.atan2(y - cy, x - cx)
        while t < t0:
            t += 2 * math.pi
        if t <= t1:
            d = abs(math.hypot(x - cx, y - cy) - radius)
        else:
            d = min(math.hypot(x - ex, y - ey) for ex, ey in ends)
        return d - width / 2

    return f


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def grow(f, d):
    return lambda x, y: f(x, y) - d


# ---------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats (0..255 colour, 0..1 alpha).


class Canvas:
    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        if background is None:
            self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        else:
            self.px = [[*background, 1.0] for _ in range(w * h)]

    def paint(self, shape, colour, alpha=1.0, box=None, feather=0.0, samples=8):
        """Composites colour (an RGB tuple or a function of x, y) over the pixels shape covers.

        Edge pixels are supersampled (samples x samples) so coverage is right at corners and thin
        strokes; feather > 0 instead gives a soft edge of that width.
        """
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        offs = [(i + 0.5) / samples for i in range(samples)]
        for j in range(y0, y1):
            for i in range(x0, x1):
                cx, cy = i + 0.5, j + 0.5
                d = shape(cx, cy)
                if feather > 0:
                    cov = 1.0 - smoothstep(-feather / 2, feather / 2, d)
                elif d >= 1.0:
                    continue
                elif d <= -1.0:
                    cov = 1.0
                else:
                    hits = sum(1 for oy in offs for ox in offs if shape(i + ox, j + oy) <= 0)
                    cov = hits / (samples * samples)
                a = cov * alpha
                if a <= 0:
                    continue
                c = colour(cx, cy) if callable(colour) else colour
                p = self.px[j * self.w + i]
                k = 1 - a
                p[0] = c[0] * a + p[0] * k
                p[1] = c[1] * a + p[1] * k
                p[2] = c[2] * a + p[2] * k
                p[3] = a + p[3] * k

    def rgb(self, background=None):
        """8-bit rows of RGB tuples; transparent parts over background."""
        rows = []
        for j in range(self.h):
            row = []
            for i in range(self.w):
                r, g, b, a = self.px[j * self.w + i]
                if background is not None:
                    k = 1 - a
                    r, g, b = r + background[0] * k, g + background[1] * k, b + background[2] * k
                row.append(tuple(int(clamp(v, 0, 255) + 0.5) for v in (r, g, b)))
            rows.append(row)
        return rows

    def rgba(self):
        rows = []
        for j in range(self.h):
            row = []
            for i in range(self.w):
                r, g, b, a = self.px[j * self.w + i]
                if a <= 0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(int(clamp(v / a, 0, 255) + 0.5) for v in (r, g, b))
                           + (int(a * 255 + 0.5),))
            rows.append(row)
        return rows


def vgradient(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, clamp((y - y0) / (y1 - y0)))


# ---------------------------------------------------------------------------------------------
# File writers.


def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def bmp8(palette, indices, w):
    h = len(indices) // w
    stride = (w + 3) & ~3
    data = bytearray()
    for j in reversed(range(h)):
        line = bytes(indices[j * w:(j + 1) * w])
        data += line + bytes(stride - w)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 2835, 2835, len(palette), 0)
    off = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off)
    return head + info + pal + bytes(data)


def _chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def _filtered(lines, bpp):
    """Picks each row's filter by the usual least-sum-of-magnitudes rule."""
    out = bytearray()
    prev = bytes(len(lines[0]))
    for line in lines:
        n = len(line)
        cands = []
        for ft in range(5):
            f = bytearray(n)
            for k in range(n):
                a = line[k - bpp] if k >= bpp else 0
                b = prev[k]
                c = prev[k - bpp] if k >= bpp else 0
                if ft == 0:
                    p = 0
                elif ft == 1:
                    p = a
                elif ft == 2:
                    p = b
                elif ft == 3:
                    p = (a + b) >> 1
                else:
                    pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                    p = a if pa <= pb and pa <= pc else b if pb <= pc else c
                f[k] = (line[k] - p) & 0xFF
            cands.append((sum(v if v < 128 else 256 - v for v in f), ft, f))
        _, ft, f = min(cands, key=lambda c: (c[0], c[1]))
        out.append(ft)
        out += f
        prev = line
    return bytes(out)


def png_rgb(rows):
    h, w = len(rows), len(rows[0])
    lines = [bytes(v for px in row for v in px) for row in rows]
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
    idat = zlib.compress(_filtered(lines, 3), 9)
    return b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr) + _chunk(b"IDAT", idat) + _chunk(b"IEND", b"")


def png_indexed(palette, indices, w):
    h = len(indices) // w
    lines = [bytes(indices[j * w:(j + 1) * w]) for j in range(h)]
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in palette)
    # Filters only pay off on colour values, not on palette indices.
    raw = b"".join(b"\x00" + line for line in lines)
    idat = zlib.compress(raw, 9)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr) + _chunk(b"PLTE", plte)
            + _chunk(b"IDAT", idat) + _chunk(b"IEND", b""))


def ico(images):
    """32-bit DIB entries with alpha, plus the AND mask that older shells still read."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        h, w = len(rows), len(rows[0])
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mstride = ((w + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mstride)
            for i, px in enumerate(row):
                if px[3] == 0:
                    bits[i // 8] |= 0x80 >> (i % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def quantize(rows, limit=256):
    """Median cut down to limit colours; images with fewer colours keep them exactly."""
    counts = {}
    for row in rows:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    boxes = [sorted(counts)]
    while len(boxes) < limit and len(boxes) < len(counts):
        best, key = None, None
        for n, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            weight = sum(counts[c] for c in box)
            k = (max(spans) * weight, -n)
            if key is None or k > key:
                best, key = n, k
        if best is None:
            break
        box = boxes[best]
        spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
        axis = spans.index(max(spans))
        box = sorted(box, key=lambda c: (c[axis], c))
        total, acc, cut = sum(counts[c] for c in box), 0, 1
        for n, c in enumerate(box[:-1]):
            acc += counts[c]
            if acc * 2 >= total:
                cut = n + 1
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette, lookup = [], {}
    for box in boxes:
        weight = sum(counts[c] for c in box)
        avg = tuple(int(sum(c[k] * counts[c] for c in box) / weight + 0.5) for k in range(3))
        for c in box:
            lookup[c] = len(palette)
        palette.append(avg)
    indices = bytearray(lookup[c] for row in rows for c in row)
    return palette, indices


# Baseline JPEG (4:4:4, the example tables of the JPEG standard). Only the JPEG test fixture needs
# it; writing it here keeps that file byte-stable too.

_ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34,
           27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44,
           51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]
_QLUMA = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57, 69,
          56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81,
          104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
_QCHROMA = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
            99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32
_DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
_DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
_AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a"
    "25262728292a3435363738393a434445464748494a535455565758595a636465666768696a73747576777879"
    "7a838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9"
    "cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa"))
_AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    "000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a162434e125f117"
    "18191a262728292a35363738393a434445464748494a535455565758595a636465666768696a737475767778"
    "797a82838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7"
    "c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9fa"))


def _huffman_codes(table):
    counts, symbols = table
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


def jpeg(rows, quality=90):
    h, w = len(rows), len(rows[0])
    scale = 5000 / quality if quality < 50 else 200 - quality * 2

    def qtable(base):
        return [int(clamp((q * scale + 50) // 100, 1, 255)) for q in base]

    qt = [qtable(_QLUMA), qtable(_QCHROMA)]
    cos = [[math.cos((2 * x + 1) * u * math.pi / 16) * (math.sqrt(0.5) if u == 0 else 1)
            for x in range(8)] for u in range(8)]
    planes = [[], [], []]
    for j in range(h):
        for r, g, b in rows[j]:
            planes[0].append(0.299 * r + 0.587 * g + 0.114 * b - 128)
            planes[1].append(-0.168736 * r - 0.331264 * g + 0.5 * b)
            planes[2].append(0.5 * r - 0.418688 * g - 0.081312 * b)
    huff = [(_huffman_codes(_DC_LUMA), _huffman_codes(_AC_LUMA)),
            (_huffman_codes(_DC_CHROMA), _huffman_codes(_AC_CHROMA))]
    out, acc, nbits = bytearray(), 0, 0

    def put(code, length):
        nonlocal acc, nbits
        acc = (acc << length) | code
        nbits += length
        while nbits >= 8:
            byte = (acc >> (nbits - 8)) & 0xFF
            out.append(byte)
            if byte == 0xFF:
                out.append(0)
            nbits -= 8
        acc &= (1 << nbits) - 1

    def magnitude(v):
        size = abs(v).bit_length()
        return size, (v if v >= 0 else v + (1 << size) - 1)

    pred = [0, 0, 0]
    for by in range(0, h, 8):
        for bx in range(0, w, 8):
            for comp in range(3):
                plane, table = planes[comp], min(comp, 1)
                block = [plane[min(by + y, h - 1) * w + min(bx + x, w - 1)]
                         for y in range(8) for x in range(8)]
                rowsdct = [[sum(block[y * 8 + x] * cos[u][x] for x in range(8)) for u in range(8)]
                           for y in range(8)]
                coef = [0] * 64
                for v in range(8):
                    for u in range(8):
                        s = sum(rowsdct[y][u] * cos[v][y] for y in range(8)) / 4
                        coef[v * 8 + u] = int(round(s / qt[table][v * 8 + u]))
                zz = [coef[k] for k in _ZIGZAG]
                dc_codes, ac_codes = huff[table]
                diff = zz[0] - pred[comp]
                pred[comp] = zz[0]
                size, bits = magnitude(diff)
                put(*dc_codes[size])
                if size:
                    put(bits, size)
                run = 0
                for k in range(1, 64):
                    if zz[k] == 0:
                        run += 1
                        continue
                    while run > 15:
                        put(*ac_codes[0xF0])
                        run -= 16
                    size, bits = magnitude(zz[k])
                    put(*ac_codes[(run << 4) | size])
                    put(bits, size)
                    run = 0
                if run:
                    put(*ac_codes[0x00])
    if nbits:
        put((1 << (8 - nbits)) - 1, 8 - nbits)

    def seg(marker, body):
        return struct.pack(">HH", marker, len(body) + 2) + body

    dqt = b"".join(bytes([t]) + bytes(qt[t][k] for k in _ZIGZAG) for t in range(2))
    sof = struct.pack(">BHHB", 8, h, w, 3) + bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1])
    dht = b""
    for cls_id, table in ((0x00, _DC_LUMA), (0x10, _AC_LUMA), (0x01, _DC_CHROMA), (0x11, _AC_CHROMA)):
        dht += bytes([cls_id]) + bytes(table[0]) + bytes(table[1])
    sos = bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0])
    return (b"\xff\xd8" + seg(0xFFE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
            + seg(0xFFDB, dqt) + seg(0xFFC0, sof) + seg(0xFFC4, dht) + seg(0xFFDA, sos)
            + bytes(out) + b"\xff\xd9")


# ---------------------------------------------------------------------------------------------
# Drawings.


def parcel(c, ox, oy, s, arrow=True, tape=True, alpha=1.0, faces=None, bold=False):
    """The parcel with the downward arrow, designed on a 48-unit square placed at (ox, oy), scale s.

    The arrow is cut out of the box with a gap instead of outlined, so the mark works on any
    background, transparent included. Bold widens the arrow and the gap for tiny sizes.
    """
    def p(x, y):
        return (ox + x * s, oy + y * s)

    top, left, right, tape_top, tape_right = faces or (BLUE_MID, BLUE, BLUE_DARK, BLUE_PALE, BLUE_SOFT)
    if bold:
        # Whole-pixel verticals at 16 pixels: a bigger box and a four-pixel arrow shaft.
        xl, xr, yt, ys, yf, depth = 3, 45, 15, 24, 33, 12
        sw, hw, gw, head_top, tip = 6, 15, 3, 12, 26
    else:
        xl, xr, yt, ys, yf, depth = 5, 43, 17, 25.5, 34, 12
        sw, hw, gw, head_top, tip = 3.75, 10.5, 2.2, 10.5, 24
    T, R, F, L = p(24, yt), p(xr, ys), p(24, yf), p(xl, ys)
    R2, F2, L2 = p(xr, ys + depth), p(24, yf + depth), p(xl, ys + depth)
    rr = 1.6 * s
    box = (ox - 1, oy - 1, ox + 48 * s + 1, oy + 48 * s + 1)
    shaft = rbox(*p(24 - sw, 0 if bold else 1), *p(24 + sw, head_top + 3), 1.2 * s)
    head = rpoly([p(24 - hw, head_top), p(24 + hw, head_top), p(24, tip)], 1.4 * s)
    arrow_shape = union(shaft, head)
    gap = grow(arrow_shape, gw * s) if arrow else (lambda x, y: 1e9)

    def cut(f):
        return minus(f, gap)

    hull = rpoly([T, R, R2, F2, L2, L], rr)
    c.paint(cut(hull), right, alpha, box)
    # Faces are painted back to front over the hull, so shared edges blend into their neighbour
    # instead of showing a seam of background.
    left_face = polygon([L, F, F2, L2])
    c.paint(cut(lambda x, y: max(left_face(x, y), hull(x, y))), left, alpha, box)
    top_face = polygon([T, R, F, L])
    c.paint(cut(lambda x, y: max(top_face(x, y), hull(x, y))), top, alpha, box)
    if tape:
        # Tape across the lid, parallel to its back right edge, then down the right side.
        ex, ey = L[0] - T[0], L[1] - T[1]
        n = math.hypot(ex, ey)
        ux, uy = ex / n * 2.6 * s, ey / n * 2.6 * s
        m1 = ((T[0] + L[0]) / 2, (T[1] + L[1]) / 2)
        m2 = ((R[0] + F[0]) / 2, (R[1] + F[1]) / 2)
        a, b = (m2[0] + ux, m2[1] + uy), (m2[0] - ux, m2[1] - uy)
        band = polygon([(m1[0] + ux, m1[1] + uy), a, b, (m1[0] - ux, m1[1] - uy)])
        c.paint(cut(lambda x, y: max(band(x, y), top_face(x, y), hull(x, y))), tape_top, alpha, box)
        drop = depth * s
        side = polygon([a, b, (b[0], b[1] + drop), (a[0], a[1] + drop)])
        right_face = polygon([F, R, R2, F2])
        c.paint(cut(lambda x, y: max(side(x, y), right_face(x, y), hull(x, y))), tape_right, alpha, box)
    if arrow:
        c.paint(arrow_shape, vgradient(AMBER, AMBER_DEEP, oy, oy + 24 * s), alpha, box)


def emblem():
    c = Canvas(48, 48, PAGE)
    parcel(c, 0, 0, 1)
    return c


def _lighter(c, t):
    return mix(c, WHITE, t)


def _darker(c, t):
    return mix(c, (0, 0, 0), t)


def result_icon(kind):
    """The finish page's 32 x 32 outcome marks: one disc, one white glyph."""
    colour = {"ok": GREEN, "error": RED, "info": BLUE}[kind]
    c = Canvas(32, 32, PAGE)
    c.paint(circle(16, 16, 14.5), vgradient(_lighter(colour, 0.12), _darker(colour, 0.08), 2, 30))
    if kind == "ok":
        glyph = stroke([(9.6, 16.4), (14.0, 20.8), (22.6, 11.6)], 3.2)
    elif kind == "error":
        glyph = union(stroke([(11.2, 11.2), (20.8, 20.8)], 3.2), stroke([(20.8, 11.2), (11.2, 20.8)], 3.2))
    else:
        glyph = union(circle(16, 9.6, 2.1), stroke([(16, 14.2), (16, 22.6)], 3.4))
    c.paint(glyph, WHITE)
    return c


def requirements_icon():
    c = Canvas(48, 48, PAGE)
    c.paint(rpoly([(24, 3), (46, 43), (2, 43)], 4.5), vgradient(_lighter(AMBER, 0.1), AMBER_DEEP, 4, 44))
    c.paint(union(stroke([(24, 17), (24, 29)], 4.6), circle(24, 36, 2.7)), INK)
    return c


def overwrite_icon():
    c = Canvas(32, 32, PAGE)
    sheet = [(6.5, 2.5), (19.5, 2.5), (25.5, 8.5), (25.5, 29.5), (6.5, 29.5)]
    fold = [(19.5, 2.5), (25.5, 8.5), (19.5, 8.5)]
    cx = cy = 23.0
    badge = circle(cx, cy, 8.0)
    gap = grow(badge, 1.5)
    c.paint(minus(grow(polygon(sheet), 0.6), gap), GREY)
    c.paint(minus(grow(polygon(sheet), -0.6), gap), WHITE)
    c.paint(minus(polygon(fold), gap), (222, 228, 235))
    c.paint(minus(stroke([(19.5, 3.0), (19.5, 8.5), (25.0, 8.5)], 1.2), gap), GREY)
    for y in (13, 17, 21, 25):
        right = 21.5 if y == 13 else 14 if y >= 21 else 19
        c.paint(minus(stroke([(10, y), (right, y)], 1.6), gap), (172, 186, 202))
    c.paint(badge, vgradient(_lighter(BLUE, 0.12), _darker(BLUE, 0.08), 15, 31))
    # Two arrows chasing each other round the disc: "replace".
    radius = 4.3
    for start in (200, 20):
        end = start + 115
        c.paint(arc(cx, cy, radius, start, end, 1.8), WHITE)
        t = math.radians(end)
        ex, ey = cx + radius * math.cos(t), cy + radius * math.sin(t)
        tx, ty = -math.sin(t), math.cos(t)
        rx, ry = math.cos(t), math.sin(t)
        c.paint(polygon([(ex + tx * 2.6, ey + ty * 2.6), (ex - tx * 0.4 + rx * 2.4, ey - ty * 0.4 + ry * 2.4),
                         (ex - tx * 0.4 - rx * 2.4, ey - ty * 0.4 - ry * 2.4)]), WHITE)
    return c


def list_icon(accepted):
    """14 x 14 image-list marks. Edges are smoothed against white and everything outside the mark
    is pure magenta, the image list's mask colour, so no pink fringe can appear."""
    c = Canvas(14, 14)
    outer = rbox(1, 1, 13, 13, 2.2)
    if accepted:
        c.paint(outer, vgradient(_lighter(GREEN, 0.1), _darker(GREEN, 0.06), 1, 13))
        c.paint(stroke([(4.0, 7.1), (6.1, 9.2), (10.1, 4.8)], 2.0), WHITE)
    else:
        c.paint(outer, GREY)
        c.paint(rbox(2, 2, 12, 12, 1.3), WHITE)
    rows = c.rgb(WHITE)
    for j in range(14):
        for i in range(14):
            # A corner pixel the mark barely touches would show as a pale speck on a selected row.
            if c.px[j * 14 + i][3] < 0.3:
                rows[j][i] = MAGENTA
    return rows


def app_icon(size):
    c = Canvas(size, size)
    if size <= 16:
        # At 16 pixels the tape is noise and the arrow needs a whole pixel of gap to stay apart.
        parcel(c, 0, 0, size / 48, tape=False, bold=True)
    else:
        parcel(c, 0, 0, size / 48)
    return c


def wave(base, amp, period, phase):
    return lambda x, y: base + amp * math.sin(x * 2 * math.pi / period + phase) - y


def ellipse(cx, cy, rx, ry):
    # Not a true distance, but close enough for the soft shadow it draws.
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1) * min(rx, ry)


def welcome():
    """Behind the welcome sentence (black, top left): the top left stays exactly the page colour,
    so the page emblem drawn over it shows no square; the picture lives right and below."""
    w, h = 480, 160
    far = (207, 224, 240)

    def ground(x, y):
        return mix(PAGE, far, smoothstep(0.62, 1.3, x / w * 0.8 + y / h * 0.45))

    c = Canvas(w, h, PAGE)
    c.paint(lambda x, y: -1, ground)
    c.paint(circle(420, 100, 100), BLUE_PALE, 0.8, (260, 0, w, h), feather=100)
    c.paint(circle(452, 18, 34), BLUE_SOFT, 0.22, (400, 0, w, 60))
    c.paint(rbox(300, 22, 336, 58, 10), BLUE_SOFT, 0.18, (296, 18, 340, 62))
    c.paint(circle(266, 106, 4.5), AMBER, 0.8, (256, 96, 276, 116))
    c.paint(circle(318, 86, 3.2), BLUE_MID, 0.7, (310, 78, 326, 94))
    c.paint(circle(462, 78, 4), AMBER, 0.7, (452, 68, 472, 88))
    c.paint(wave(128, 7, 330, 0.6), (188, 212, 236), 0.55, (0, 110, w, h))
    c.paint(wave(141, 6, 240, 2.4), (160, 196, 230), 0.45, (0, 125, w, h))
    c.paint(ellipse(388, 145, 50, 7), BLUE_DEEP, 0.22, (320, 128, 456, 160), feather=7)
    pale = (mix(BLUE_MID, WHITE, 0.35), mix(BLUE, WHITE, 0.35), mix(BLUE_DARK, WHITE, 0.35),
            mix(BLUE_PALE, WHITE, 0.3), mix(BLUE_SOFT, WHITE, 0.35))
    c.paint(ellipse(455, 150, 22, 4), BLUE_DEEP, 0.15, (420, 138, w, 160), feather=5)
    parcel(c, 432, 108, 0.95, arrow=False, faces=pale)
    c.paint(ellipse(301, 149, 17, 3.5), BLUE_DEEP, 0.15, (276, 140, 326, 158), feather=5)
    parcel(c, 284, 121, 0.72, arrow=False, faces=pale)
    parcel(c, 338, 44, 2.1)
    return c


def header_top():
    """Dark strip: the wizard writes the package title over its right end in white."""
    w, h = 600, 60
    left, right = (27, 110, 168), (11, 55, 94)

    def ground(x, y):
        return mix(mix(left, right, smoothstep(0, w, x)), BLUE_DEEP, 0.12 * y / h)

    c = Canvas(w, h, PAGE)
    c.paint(lambda x, y: -1, ground)
    step = 26.0
    k = 1 / math.sqrt(1.25)

    def lattice(x, y):
        a, b = y - 0.5 * x, y + 0.5 * x
        da = abs(a - step * round(a / step)) * k
        db = abs(b - step * round(b / step)) * k
        return min(da, db) - 0.5

    def line(x, y):
        # Fades out before the right end, where the title goes.
        return mix(ground(x, y), WHITE, 0.10 * (1 - smoothstep(0, 380, x)))

    c.paint(lattice, line, 1.0, (0, 0, 380, h - 2))
    c.paint(circle(40, -30, 140), WHITE, 0.06, (0, 0, 260, h), feather=120)
    c.paint(rbox(-1, h - 2, w + 1, h, 0), AMBER)
    return c


def header_bottom():
    """Light strip behind the navigation buttons; its pixel (20, 20) becomes their surround, so
    everything below the top line is one colour."""
    c = Canvas(600, 56, FOOTER)
    c.paint(rbox(-1, 0, 601, 1, 0), FOOTER_LINE)
    return c


# ---------------------------------------------------------------------------------------------


def outputs():
    """Every generated file: repository path -> bytes."""
    images = "src/resources/images/"
    out = {
        images + "page-emblem.bmp": bmp24(emblem().rgb()),
        images + "result-ok.bmp": bmp24(result_icon("ok").rgb()),
        images + "result-error.bmp": bmp24(result_icon("error").rgb()),
        images + "result-info.bmp": bmp24(result_icon("info").rgb()),
        images + "requirements.bmp": bmp24(requirements_icon().rgb()),
        images + "overwrite.bmp": bmp24(overwrite_icon().rgb()),
        images + "item-not-accepted.bmp": bmp24(list_icon(False)),
        images + "item-accepted.bmp": bmp24(list_icon(True)),
        images + "welcome.png": png_rgb(welcome().rgb()),
        "src/resources/Tarvex.ico": ico([app_icon(n).rgba() for n in (16, 32, 48)]),
    }
    # The header images are indexed, so the bitmap copy holds exactly the same pixels as the PNG.
    top = header_top().rgb()
    palette, indices = quantize(top)
    out["examples/demo-package/top.png"] = png_indexed(palette, indices, len(top[0]))
    out["tests/fixtures/images/top-bmp-named.png"] = bmp8(palette, indices, len(top[0]))
    bottom = header_bottom().rgb()
    palette, indices = quantize(bottom)
    out["examples/demo-package/bottom.png"] = png_indexed(palette, indices, len(bottom[0]))
    out["tests/fixtures/images/bottom-jpeg-named.png"] = jpeg(bottom, 92)
    return out


def main(argv):
    check = "--check" in argv[1:]
    stale = []
    for path, data in outputs().items():
        full = os.path.join(ROOT, path)
        if check:
            try:
                with open(full, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(path)
            continue
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
        print("%7d  %s" % (len(data), path))
    for path in stale:
        print("differs: " + path)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
