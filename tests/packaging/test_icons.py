"""test_icons.py -- the generated menu icons: valid PNGs of the right sizes that show the drawing the SVG shows.

Each PNG is decoded here with Python's own zlib and CRC32, independently of
the generator's writer (rsvg-convert's PNGs too); the SVG is drawn by rsvg-convert (the renderer the
desktop's icon loaders use) and must agree with the PNG of the same size.
"""
import argparse
import os
import shutil
import struct
import subprocess
import tempfile
import zlib

CANVAS = 256.0  # the SVG's viewBox, in which the probe points below are given
# (x, y in canvas units, smallest size it is checked at, what it must be, test on r, g, b, a)
PROBES = [
    ((1.5, 1.5), 16, "transparent outside the rounded tile", lambda r, g, b, a: a == 0),
    ((128, 252), 32, "transparent below the tile", lambda r, g, b, a: a == 0),
    ((128, 20), 16, "deep sky blue at the top of the tile", lambda r, g, b, a: a == 255 and b > 150 and r < 90),
    ((60, 236), 16, "pale sky at the bottom of the tile", lambda r, g, b, a: a == 255 and r > 150 and b > 190),
    ((128, 160), 16, "grey or dark airframe in the middle", lambda r, g, b, a: a == 255 and max(r, g, b) < 160 and b - r < 40),
    ((115.7, 164.6), 48, "an orange-white flame in the left nozzle", lambda r, g, b, a: r > 230 and g > 120 and b < 200),
    ((140.3, 164.6), 48, "an orange-white flame in the right nozzle", lambda r, g, b, a: r > 230 and g > 120 and b < 200),
    ((128, 142), 32, "the dark canopy", lambda r, g, b, a: max(r, g, b) < 80),
    ((200, 150), 64, "the right wing", lambda r, g, b, a: abs(r - g) < 20 and b < 170),
    ((200, 120), 64, "sky above the right wing", lambda r, g, b, a: b > 180),
]
# The largest difference of any channel of any pixel (0..255, premultiplied)
# between two renderings of one drawing: they differ only in how edges are
# antialiased, while a shape left out or misplaced differs by far more.
SAME_DRAWING = 40


def fail(message):
    raise SystemExit("FAIL: " + message)


def read_png(path):
    """(width, height, rows of RGBA bytes), checking every chunk's CRC and the zlib stream."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("%s: no PNG signature" % path)
    at, chunks = 8, []
    while at < len(data):
        if at + 12 > len(data):
            fail("%s: chunk cut short at %d" % (path, at))
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if len(body) != length or zlib.crc32(kind + body) != crc:
            fail("%s: chunk %r has a wrong length or CRC" % (path, kind))
        chunks.append((kind, body))
        at += 12 + length
    kinds = [k for k, _ in chunks]
    if kinds[0] != b"IHDR" or kinds[-1] != b"IEND" or b"IDAT" not in kinds:
        fail("%s: chunks %r" % (path, kinds))
    width, height, depth, colour, method, filt, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, method, filt, interlace) != (8, 6, 0, 0, 0):
        fail("%s: not 8-bit non-interlaced RGBA: %r" % (path, (depth, colour, method, filt, interlace)))
    try:
        raw = zlib.decompress(b"".join(b for k, b in chunks if k == b"IDAT"))  # checks Adler-32 too
    except zlib.error as err:
        fail("%s: image data: %s" % (path, err))
    stride = 1 + 4 * width
    if len(raw) != stride * height:
        fail("%s: %d bytes of image data for %dx%d" % (path, len(raw), width, height))
    rows, prev = [], bytearray(4 * width)
    for y in range(height):
        kind, line = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        if kind > 4:
            fail("%s: row %d has filter %d" % (path, y, kind))
        for i in range(len(line) if kind else 0):
            left, up = (line[i - 4] if i >= 4 else 0), prev[i]
            corner = prev[i - 4] if i >= 4 else 0
            p = left + up - corner
            nearest = left if abs(p - left) <= min(abs(p - up), abs(p - corner)) else \
                up if abs(p - up) <= abs(p - corner) else corner
            line[i] = (line[i] + (left, up, (left + up) // 2, nearest)[kind - 1]) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def pixel(rows, size, x, y):
    px, py = int(x / CANVAS * size), int(y / CANVAS * size)
    return tuple(rows[py][4 * px:4 * px + 4])


def premultiplied(rows):
    out = []
    for row in rows:
        for i in range(0, len(row), 4):
            a = row[i + 3]
            out += [row[i] * a / 255.0, row[i + 1] * a / 255.0, row[i + 2] * a / 255.0, float(a)]
    return out


def largest_difference(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--icon-dir", required=True)
    parser.add_argument("--icongen", required=True)
    parser.add_argument("sizes", type=int, nargs="+")
    args = parser.parse_args()
    theme = os.path.join(args.icon_dir, "hicolor")
    svg = os.path.join(theme, "scalable/apps/vortavia.svg")

    expected = {svg} | {os.path.join(theme, "%dx%d/apps/vortavia.png" % (s, s)) for s in args.sizes}
    found = {os.path.join(r, f) for r, _, files in os.walk(theme) for f in files}
    if found != expected:
        fail("icon files %r, not %r" % (sorted(found), sorted(expected)))

    images = {}
    for size in args.sizes:
        width, height, rows = read_png(os.path.join(theme, "%dx%d/apps/vortavia.png" % (size, size)))
        if (width, height) != (size, size):
            fail("the %d-pixel icon is %dx%d" % (size, width, height))
        for (x, y), smallest, what, ok in PROBES:
            if size >= smallest and not ok(*pixel(rows, size, x, y)):
                fail("%d px icon at (%g, %g) is %r, not %s" % (size, x, y, pixel(rows, size, x, y), what))
        images[size] = rows

    rsvg = shutil.which("rsvg-convert")
    if not rsvg:
        fail("no rsvg-convert (Debian package librsvg2-bin); run tools/setup-debian.sh")
    with tempfile.TemporaryDirectory() as work:
        for size in args.sizes:
            out = os.path.join(work, "%d.png" % size)
            subprocess.run([rsvg, "-w", str(size), "-h", str(size), "-o", out, svg], check=True)
            w, h, rows = read_png(out)
            diff = largest_difference(premultiplied(images[size]), premultiplied(rows))
            if (w, h) != (size, size) or diff > SAME_DRAWING:
                fail("the SVG drawn at %d px differs from the PNG by up to %.0f in a channel" % (size, diff))

        # A size that is no number, or none at all, is refused before anything is written.
        for argv in ([work + "/bad", "0"], [work + "/bad", "16x"], [work + "/bad"]):
            res = subprocess.run([args.icongen] + argv, capture_output=True, text=True)
            if res.returncode != 2 or os.path.exists(work + "/bad/hicolor/scalable"):
                fail("icongen %r: status %d, stderr %r" % (argv, res.returncode, res.stderr))
    print("ok: the SVG and the PNGs at %s px show one drawing" % ", ".join(map(str, args.sizes)))


if __name__ == "__main__":
    main()
