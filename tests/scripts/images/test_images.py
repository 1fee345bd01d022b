#!/usr/bin/env python3
"""The committed images are what scripts/make-images.py draws, and each one holds what the wizard
relies on. The files are read back with readers written here, not with the generator's writers."""

import os
import runpy
import shutil
import struct
import subprocess
import tempfile
import types
import unittest
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
IMAGES = "src/resources/images/"

PAGE = (240, 240, 240)
MAGENTA = (255, 0, 255)
FOOTER = (226, 232, 240)


def load(path):
    with open(os.path.join(ROOT, path), "rb") as f:
        return f.read()


def read_bmp(data):
    """Uncompressed 8- or 24-bit bitmap -> rows of RGB tuples, top row first."""
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data)
    hsize, w, h, planes, bits, compression, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM" and size == len(data) and hsize == 40 and planes == 1, "bitmap header"
    assert compression == 0 and h > 0, "BI_RGB, bottom-up"
    palette = []
    if bits == 8:
        base = 14 + hsize
        palette = [tuple(data[base + 4 * k + 2 - c] for c in range(3)) for k in range(used or 256)]
    else:
        assert bits == 24, "24-bit"
    stride = (w * bits // 8 + 3) & ~3
    assert offset + stride * h == len(data), "pixel data size"
    rows = []
    for j in range(h):
        line = data[offset + (h - 1 - j) * stride:]
        if bits == 8:
            rows.append([palette[line[i]] for i in range(w)])
        else:
            rows.append([(line[3 * i + 2], line[3 * i + 1], line[3 * i]) for i in range(w)])
    return rows


def read_png(data):
    """8-bit truecolour or indexed PNG -> rows of RGB tuples."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, chunks = 8, {}
    while pos < len(data):
        n, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + n]
        assert struct.unpack_from(">I", data, pos + 8 + n)[0] == zlib.crc32(kind + body), kind
        chunks[kind] = chunks.get(kind, b"") + body
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    assert depth == 8 and ctype in (2, 3) and interlace == 0
    bpp = 3 if ctype == 2 else 1
    raw, stride = zlib.decompress(chunks[b"IDAT"]), w * bpp
    prev, rows = bytearray(stride), []
    for j in range(h):
        ft, line = raw[j * (stride + 1)], bytearray(raw[j * (stride + 1) + 1:(j + 1) * (stride + 1)])
        for k in range(stride):
            a = line[k - bpp] if k >= bpp else 0
            b, c = prev[k], prev[k - bpp] if k >= bpp else 0
            if ft == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                p = a if pa <= pb and pa <= pc else b if pb <= pc else c
            else:
                p = (0, a, b, (a + b) >> 1)[ft]
            line[k] = (line[k] + p) & 0xFF
        if ctype == 2:
            rows.append([tuple(line[3 * i:3 * i + 3]) for i in range(w)])
        else:
            pal = chunks[b"PLTE"]
            rows.append([tuple(pal[3 * v:3 * v + 3]) for v in line])
        prev = line
    return rows


def border(rows):
    h, w = len(rows), len(rows[0])
    return [rows[j][i] for j in range(h) for i in range(w) if i in (0, w - 1) or j in (0, h - 1)]


def luminance(c):
    def lin(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4

    r, g, b = (lin(v) for v in c)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def generator():
    return types.SimpleNamespace(**runpy.run_path(os.path.join(ROOT, "scripts", "make-images.py")))


class Images(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.make = generator()

    def test_committed_files_are_what_the_generator_draws(self):
        for path, data in self.make.outputs().items():
            with self.subTest(path=path):
                self.assertEqual(load(path), data, "regenerate: python3 scripts/make-images.py")

    def test_writers_round_trip(self):
        # Odd width for the row padding, noise and ramps so that every PNG row filter gets picked.
        w, h, seed = 13, 9, 7
        rows = []
        for j in range(h):
            row = []
            for i in range(w):
                seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
                row.append((seed >> 16 & 0xFF, i * 19, j * 27) if j % 3 else (i * 9, i * 9 + j, 200))
            rows.append(row)
        few = [[(c[0] & 0xC0, c[1] & 0xC0, c[2]) for c in row] for row in rows]
        palette, indices = self.make.quantize(few)
        cases = [
            ("24-bit bitmap", rows, read_bmp(self.make.bmp24(rows))),
            ("truecolour png", rows, read_png(self.make.png_rgb(rows))),
            ("indexed png", few, read_png(self.make.png_indexed(palette, indices, w))),
            ("8-bit bitmap", few, read_bmp(self.make.bmp8(palette, indices, w))),
        ]
        for name, expected, decoded in cases:
            with self.subTest(name):
                self.assertEqual(decoded, expected)

    def test_wizard_bitmaps_blend_with_their_background(self):
        # name, size, colour of the whole outer ring (the dialog face, or the list's mask colour)
        cases = [
            ("page-emblem", 48, PAGE),
            ("result-ok", 32, PAGE),
            ("result-error", 32, PAGE),
            ("result-info", 32, PAGE),
            ("requirements", 48, PAGE),
            ("overwrite", 32, PAGE),
            ("item-not-accepted", 14, MAGENTA),
            ("item-accepted", 14, MAGENTA),
        ]
        for name, size, ring in cases:
            with self.subTest(name=name):
                rows = read_bmp(load(IMAGES + name + ".bmp"))
                self.assertEqual((len(rows[0]), len(rows)), (size, size))
                self.assertEqual(set(border(rows)), {ring})
                if ring == MAGENTA:
                    # A pinkish edge pixel would survive the mask as a visible fringe.
                    pinkish = [c for row in rows for c in row if c != MAGENTA and min(c[0], c[2]) > 160 > c[1] + 20]
                    self.assertEqual(pinkish, [])
                    self.assertGreater(sum(c != MAGENTA for row in rows for c in row), 100)

    def test_welcome_picture_leaves_the_text_corner_plain(self):
        rows = read_png(load(IMAGES + "welcome.png"))
        h, w = len(rows), len(rows[0])
        self.assertGreater(w, 2 * h)
        corner = {rows[j][i] for j in range(int(h * 0.45)) for i in range(int(w * 0.55))}
        self.assertEqual(corner, {PAGE})

    def test_header_strip_is_dark_behind_the_white_title(self):
        rows = read_png(load("examples/demo-package/top.png"))
        self.assertEqual(len(rows), 60)
        w = len(rows[0])
        worst = max(luminance(rows[j][i]) for j in range(58) for i in range(w * 3 // 5, w))
        self.assertGreaterEqual(1.05 / (worst + 0.05), 4.5, "contrast of white text")

    def test_footer_is_one_colour_around_the_buttons(self):
        rows = read_png(load("examples/demo-package/bottom.png"))
        self.assertEqual(rows[20][20], FOOTER)
        self.assertEqual({c for row in rows[1:] for c in row}, {FOOTER})

    def test_fixtures_hold_the_header_images_under_a_png_name(self):
        top = read_bmp(load("tests/fixtures/images/top-bmp-named.png"))
        self.assertEqual(top, read_png(load("examples/demo-package/top.png")))
        jpeg = load("tests/fixtures/images/bottom-jpeg-named.png")
        self.assertEqual(jpeg[:3], b"\xff\xd8\xff")
        self.assertEqual(jpeg[-2:], b"\xff\xd9")
        convert = shutil.which("convert")
        if convert is None:
            self.skipTest("ImageMagick is needed to decode the JPEG fixture")
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "bottom.ppm")
            subprocess.run([convert, "jpeg:" + os.path.join(ROOT, "tests/fixtures/images/bottom-jpeg-named.png"), out],
                           check=True)
            with open(out, "rb") as f:
                ppm = f.read()
        head = ppm.split(maxsplit=4)
        w, h, pixels = int(head[1]), int(head[2]), head[4]
        expected = read_png(load("examples/demo-package/bottom.png"))
        self.assertEqual((w, h), (len(expected[0]), len(expected)))
        worst = max(abs(pixels[3 * (j * w + i) + k] - expected[j][i][k])
                    for j in range(h) for i in range(w) for k in range(3))
        self.assertLessEqual(worst, 4)

    def test_icon_has_three_sizes_with_alpha_and_a_matching_mask(self):
        data = load("src/resources/Tarvex.ico")
        _, kind, count = struct.unpack_from("<HHH", data)
        self.assertEqual((kind, count), (1, 3))
        sizes = []
        for n in range(count):
            w, h, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
            sizes.append(w)
            _, dw, dh, _, dbits = struct.unpack_from("<IiiHH", data, offset)
            self.assertEqual((dw, dh, dbits, bits), (w, 2 * h, 32, 32))
            pixels = data[offset + 40:offset + 40 + w * h * 4]
            mask, mstride = data[offset + 40 + w * h * 4:offset + size], (w + 31) // 32 * 4
            for j in range(h):
                for i in range(w):
                    transparent = pixels[4 * (j * w + i) + 3] == 0
                    masked = bool(mask[j * mstride + i // 8] & (0x80 >> (i % 8)))
                    self.assertEqual(masked, transparent, (w, i, j))
        self.assertEqual(sizes, [16, 32, 48])


if __name__ == "__main__":
    unittest.main()
