"""A tiny anti-aliased vector rasteriser for Vorbel's artwork: paths of cubic curves, filled
with a flat colour or a gradient, composited over an RGBA canvas. Pure Python, so the pictures
are rebuilt the same way on any machine."""

import math
import struct
import zlib


def cubic(p0, p1, p2, p3, steps=24):
    pts = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        x = u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0]
        y = u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]
        pts.append((x, y))
    return pts


def path(start, curves, steps=24):
    """start point, then (c1, c2, end) triples: one closed polygon."""
    pts = [start]
    cur = start
    for c1, c2, end in curves:
        pts += cubic(cur, c1, c2, end, steps)
        cur = end
    return pts


def transform(pts, sx, sy, dx, dy):
    return [(x * sx + dx, y * sy + dy) for x, y in pts]


def inset(pts, factor):
    """The polygon scaled about its centroid: a cheap inner outline."""
    cx = sum(p[0] for p in pts) / len(pts)
    cy = sum(p[1] for p in pts) / len(pts)
    return [(cx + (x - cx) * factor, cy + (y - cy) * factor) for x, y in pts]


def circle(cx, cy, r, n=64):
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n)) for i in range(n)]


def rounded_rect(x0, y0, x1, y1, r):
    pts = []
    for (cx, cy, a0) in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(9):
            a = math.radians(a0 + i * 90 / 8)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[list(bg) for _ in range(w)] for _ in range(h)]

    def fill(self, polys, colour, ss=4):
        """Fills the polygons (even-odd) with colour: an (r, g, b, a) tuple or a function of (x, y)."""
        cover = {}
        edges = []
        for poly in polys:
            n = len(poly)
            for i in range(n):
                (x0, y0), (x1, y1) = poly[i], poly[(i + 1) % n]
                if y0 != y1:
                    edges.append((x0, y0, x1, y1))
        if not edges:
            return
        ymin = max(0, int(min(min(e[1], e[3]) for e in edges)))
        ymax = min(self.h - 1, int(max(max(e[1], e[3]) for e in edges)) + 1)
        for py in range(ymin, ymax + 1):
            for sy in range(ss):
                y = py + (sy + 0.5) / ss
                xs = []
                for x0, y0, x1, y1 in edges:
                    if (y0 <= y < y1) or (y1 <= y < y0):
                        xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
                xs.sort()
                for a, b in zip(xs[0::2], xs[1::2]):
                    a, b = max(a, 0.0), min(b, float(self.w))
                    if a >= b:
                        continue
                    # Horizontal coverage at full precision, vertical by sub-rows.
                    ia, ib = int(a), int(b)
                    for px in range(ia, min(ib, self.w - 1) + 1):
                        left, right = max(a, px), min(b, px + 1)
                        if right > left:
                            cover[(px, py)] = cover.get((px, py), 0.0) + (right - left) / ss
        for (x, y), c in cover.items():
            col = colour(x + 0.5, y + 0.5) if callable(colour) else colour
            self.blend(x, y, col, min(c, 1.0))

    def blend(self, x, y, col, cover):
        a = col[3] / 255.0 * cover
        if a <= 0:
            return
        d = self.px[y][x]
        da = d[3] / 255.0
        oa = a + da * (1 - a)
        for i in range(3):
            d[i] = (col[i] * a + d[i] * da * (1 - a)) / oa if oa > 0 else 0
        d[3] = oa * 255.0

    def scaled(self, w, h):
        """Box-filtered down-scale (premultiplied), for small icon sizes."""
        out = Canvas(w, h)
        fx, fy = self.w / w, self.h / h
        for y in range(h):
            for x in range(w):
                acc = [0.0, 0.0, 0.0, 0.0]
                n = 0
                for yy in range(int(y * fy), int((y + 1) * fy)):
                    for xx in range(int(x * fx), int((x + 1) * fx)):
                        r, g, b, a = self.px[yy][xx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                        n += 1
                if acc[3] > 0:
                    out.px[y][x] = [acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], acc[3] / n]
        return out


def lerp(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(len(c0)))


def rle8_rows(rows):
    """The rows (bottom first) run-length encoded as BI_RLE8: a run of one index as (count, index),
    anything else as an absolute run (0, count, indices, padded to a word); each row ends with
    (0, 0), the picture with (0, 1)."""
    out = bytearray()
    for r in rows:
        i, w = 0, len(r)
        while i < w:
            j = i
            while j < w and j - i < 255 and r[j] == r[i]:
                j += 1
            if j - i >= 2:
                out += bytes((j - i, r[i]))
                i = j
                continue
            k = i
            while k < w and k - i < 255 and not (k + 2 < w and r[k] == r[k + 1] == r[k + 2]):
                k += 1
            if k - i < 3:  # an absolute run holds three or more
                for q in range(i, k):
                    out += bytes((1, r[q]))
            else:
                out += bytes((0, k - i)) + bytes(r[i:k]) + (b"\0" if (k - i) % 2 else b"")
            i = k
        out += b"\0\0"
    out[-2:] = b"\0\1"
    return bytes(out)


def write_bmp8(canvas, filename, matte=(255, 255, 255), passes=8, rle=False):
    """A 256-colour BMP: a third of the 24-bit file, and with rle a fifth of that again (the
    same pixels; the system decodes it as it loads the bitmap). The palette is a median cut refined by a few
    k-means passes over the distinct colours, so gradients keep their steps within a unit or two."""
    w, h = canvas.w, canvas.h
    pixels = []
    for y in range(h):
        for x in range(w):
            r, g, b, a = canvas.px[y][x]
            a /= 255.0
            pixels.append(tuple(round(c * a + m * (1 - a)) for c, m in zip((r, g, b), matte)))
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    palette = [list(c) for c in median_cut(pixels, 256)]

    def nearest_all():
        return {c: min(range(len(palette)), key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
                for c in counts}
    for _ in range(passes):
        sums = [[0, 0, 0, 0] for _ in palette]
        for c, i in nearest_all().items():
            n = counts[c]
            for k in range(3):
                sums[i][k] += c[k] * n
            sums[i][3] += n
        palette = [[round(s[k] / s[3]) for k in range(3)] if s[3] else palette[i] for i, s in enumerate(sums)]
    index = nearest_all()
    row = (w + 3) & ~3
    rows = [bytes(index[pixels[y * w + x]] for x in range(w)) for y in range(h - 1, -1, -1)]
    data = rle8_rows(rows) if rle else b"".join(r + b"\0" * (row - w) for r in rows)
    palette += [[0, 0, 0]] * (256 - len(palette))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 54 + len(table)
    header = b"BM" + (offset + len(data)).to_bytes(4, "little") + b"\0\0\0\0" + offset.to_bytes(4, "little")
    info = (40).to_bytes(4, "little") + w.to_bytes(4, "little") + h.to_bytes(4, "little") + (1).to_bytes(2, "little")
    info += (8).to_bytes(2, "little") + (1 if rle else 0).to_bytes(4, "little") + len(data).to_bytes(4, "little") + (2835).to_bytes(4, "little") * 2
    info += (256).to_bytes(4, "little") + b"\0" * 4
    with open(filename, "wb") as f:
        f.write(header + info + table + data)


def write_png(canvas, filename, matte=(255, 255, 255)):
    """Preview output only."""
    import struct
    import zlib

    raw = bytearray()
    for y in range(canvas.h):
        raw.append(0)
        for x in range(canvas.w):
            r, g, b, a = canvas.px[y][x]
            a /= 255.0
            raw += bytes(round(c * a + m * (1 - a)) for c, m in zip((r, g, b), matte))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(filename, "wb") as f:
        f.write(png)


def arc_band(cx, cy, r_out, r_in, a0, a1, n=32):
    """A thick arc from angle a0 to a1 (degrees, y down)."""
    outer = [(cx + r_out * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
              cy + r_out * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]
    inner = [(cx + r_in * math.cos(math.radians(a1 - (a1 - a0) * i / n)),
              cy + r_in * math.sin(math.radians(a1 - (a1 - a0) * i / n))) for i in range(n + 1)]
    return outer + inner


def median_cut(colours, count):
    boxes = [list(colours)]
    while len(boxes) < count:
        best = None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            ranges = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            r = max(ranges)
            if r > 0 and (best is None or r * len(box) > best[0]):
                best = (r * len(box), i, ranges.index(r))
        if best is None:
            break
        _, i, k = best
        box = sorted(boxes.pop(i), key=lambda c: c[k])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    return [tuple(round(sum(c[k] for c in box) / len(box)) for k in range(3)) for box in boxes if box]


def icon_entry_8bpp(canvas, matte=(255, 255, 255), alpha_cut=96):
    """One 256-colour icon image: palette, XOR bitmap and AND mask. Edges are blended against the
    white the launch button paints behind its icon."""
    w, h = canvas.w, canvas.h
    pixels = []
    for y in range(h):
        for x in range(w):
            r, g, b, a = canvas.px[y][x]
            a /= 255.0
            opaque = a * 255 >= alpha_cut
            rgb = tuple(round(c * a + m * (1 - a)) for c, m in zip((r, g, b), matte))
            pixels.append((rgb, opaque))
    # Index 0 stays black: transparent pixels use it, and XOR-ing black leaves the screen as it is.
    palette = [(0, 0, 0)] + median_cut([p for p, o in pixels if o] or [(0, 0, 0)], 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(1, 256), key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
        return cache[c]

    xor_row = (w + 3) & ~3
    and_row = ((w + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        bits = bytearray(and_row)
        for x in range(w):
            rgb, opaque = pixels[y * w + x]
            row.append(nearest(rgb) if opaque else 0)
            if not opaque:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row + b"\0" * (xor_row - w)
        mask += bits
    header = (40).to_bytes(4, "little") + w.to_bytes(4, "little") + (2 * h).to_bytes(4, "little")
    header += (1).to_bytes(2, "little") + (8).to_bytes(2, "little") + b"\0" * 4
    header += (len(xor) + len(mask)).to_bytes(4, "little") + b"\0" * 8 + (256).to_bytes(4, "little") + b"\0" * 4
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + pal + bytes(xor) + bytes(mask)


def png_bytes(canvas):
    """A 32-bit RGBA PNG: how icon images above 96 pixels are stored, at a fraction of the size."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((round(r), round(g), round(b), round(a)))
    ihdr = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def rgba_png(w, h, rows):
    """A 32-bit RGBA PNG of rows of (r, g, b, a) tuples, top first."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def entry_as_png(entry, w, h):
    """A 256-colour icon image stored as PNG: the same pixels, clear where the mask is set, in a
    sixth of the bytes. Windows 7 and Wine read a PNG image at any size."""
    pal = entry[40:40 + 1024]
    xor_row, and_row = (w + 3) & ~3, ((w + 31) // 32) * 4
    xor = entry[40 + 1024:40 + 1024 + xor_row * h]
    mask = entry[40 + 1024 + xor_row * h:]
    rows = []
    for y in range(h - 1, -1, -1):
        row = []
        for x in range(w):
            i = xor[y * xor_row + x]
            clear = mask[y * and_row + x // 8] & (0x80 >> (x % 8))
            row.append((0, 0, 0, 0) if clear else (pal[4 * i + 2], pal[4 * i + 1], pal[4 * i], 255))
        rows.append(row)
    return rgba_png(w, h, rows)


# From this size up the 256-colour images are stored as PNG; below it they stay bitmaps, as every
# system reads them.
PNG_FROM = 48


def write_ico(canvases, filename):
    """256-colour images up to 96 pixels (stored as PNG from 48), PNG images above (256 is written
    as 0 in the directory)."""
    images = [(icon_entry_8bpp(c) if c.w < PNG_FROM else entry_as_png(icon_entry_8bpp(c), c.w, c.h))
              if c.w <= 96 else png_bytes(c) for c in canvases]
    out = bytearray((0).to_bytes(2, "little") + (1).to_bytes(2, "little") + len(images).to_bytes(2, "little"))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        bpp = 8 if c.w < PNG_FROM else 32
        out += bytes((c.w % 256, c.h % 256, 0, 0)) + (1).to_bytes(2, "little") + bpp.to_bytes(2, "little")
        out += len(img).to_bytes(4, "little") + offset.to_bytes(4, "little")
        offset += len(img)
    for img in images:
        out += img
    with open(filename, "wb") as f:
        f.write(out)


def cur_mono_image(rows):
    """One monochrome cursor image from rows of "." (clear), "#" (black), "o" (white)."""
    h, w = len(rows), len(rows[0])
    stride = ((w + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up
        xbits, abits = bytearray(stride), bytearray(stride)
        for x, ch in enumerate(rows[y]):
            bit = 0x80 >> (x % 8)
            if ch == "o":
                xbits[x // 8] |= bit
            elif ch == ".":
                abits[x // 8] |= bit
        xor += xbits
        mask += abits
    header = (40).to_bytes(4, "little") + w.to_bytes(4, "little") + (2 * h).to_bytes(4, "little")
    header += (1).to_bytes(2, "little") + (1).to_bytes(2, "little") + b"\0" * 4
    header += (len(xor) + len(mask)).to_bytes(4, "little") + b"\0" * 8 + (2).to_bytes(4, "little") + b"\0" * 4
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return header + palette + bytes(xor) + bytes(mask)


def write_cur_mono(images, filename):
    """A monochrome .cur (resource type 2) of one image per size: (rows, hotspot) pairs, the
    hotspot in each directory entry."""
    out = bytearray((0).to_bytes(2, "little") + (2).to_bytes(2, "little") + len(images).to_bytes(2, "little"))
    data = [cur_mono_image(rows) for rows, _ in images]
    offset = 6 + 16 * len(images)
    for (rows, hotspot), image in zip(images, data):
        h, w = len(rows), len(rows[0])
        out += bytes((w % 256, h % 256, 2, 0)) + hotspot[0].to_bytes(2, "little") + hotspot[1].to_bytes(2, "little")
        out += len(image).to_bytes(4, "little") + offset.to_bytes(4, "little")
        offset += len(image)
    with open(filename, "wb") as f:
        f.write(out + b"".join(data))
