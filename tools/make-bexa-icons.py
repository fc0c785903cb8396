#!/usr/bin/env python3
"""Paints Bexa's two icons and writes them as .ico files (16, 32 and 48 pixels, 32-bit colour
with alpha and an AND mask, so every Windows version draws them).

    tools/make-bexa-icons.py [OUTPUT_DIR]      default: bexa/ui/res

bexa.ico     the program icon: a plug-in card with gold edge fingers, a chip and a bus tree
refresh.ico  the refresh button: a green circular arrow

Each image is drawn on a 4x finer grid and averaged down, which gives smooth edges without
any imaging library.
"""
import math
import os
import struct
import sys

SUPER = 4


class Canvas:
    """An RGBA canvas in unit coordinates: (0,0) top left, (1,1) bottom right."""

    def __init__(self, size):
        self.size = size
        self.n = size * SUPER
        self.px = [[(0, 0, 0, 0)] * self.n for _ in range(self.n)]

    def _span(self, a, b):
        return max(0, int(round(a * self.n))), min(self.n, int(round(b * self.n)))

    def rect(self, x0, y0, x1, y1, rgba):
        xa, xb = self._span(x0, x1)
        ya, yb = self._span(y0, y1)
        for y in range(ya, yb):
            row = self.px[y]
            for x in range(xa, xb):
                row[x] = rgba

    def round_rect(self, x0, y0, x1, y1, r, rgba):
        def inside(u, v):
            cx = min(max(u, x0 + r), x1 - r)
            cy = min(max(v, y0 + r), y1 - r)
            return (u - cx) ** 2 + (v - cy) ** 2 <= r * r
        self.shape(inside, rgba)

    def shape(self, inside, rgba):
        for y in range(self.n):
            v = (y + 0.5) / self.n
            row = self.px[y]
            for x in range(self.n):
                if inside((x + 0.5) / self.n, v):
                    row[x] = rgba

    def downsample(self):
        out = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                acc = [0, 0, 0, 0]
                for dy in range(SUPER):
                    for dx in range(SUPER):
                        r, g, b, a = self.px[y * SUPER + dy][x * SUPER + dx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                if acc[3] == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3],
                                acc[3] // (SUPER * SUPER)))
            out.append(row)
        return out


def paint_bexa(size):
    c = Canvas(size)
    green, dark = (24, 120, 64, 255), (12, 70, 36, 255)
    gold, chip, white = (232, 184, 48, 255), (40, 40, 48, 255), (250, 250, 250, 255)
    c.round_rect(0.04, 0.06, 0.96, 0.80, 0.08, dark)            # card outline
    c.round_rect(0.07, 0.09, 0.93, 0.77, 0.06, green)           # card
    for i in range(5):                                          # edge fingers
        x = 0.16 + i * 0.15
        c.rect(x, 0.80, x + 0.09, 0.95, gold)
    c.rect(0.60, 0.18, 0.86, 0.44, chip)                        # chip
    for i in range(3):
        y = 0.22 + i * 0.08
        c.rect(0.55, y, 0.60, y + 0.04, gold)
        c.rect(0.86, y, 0.91, y + 0.04, gold)
    w = 0.06 if size >= 32 else 0.08                            # bus tree
    c.rect(0.18, 0.16, 0.18 + w, 0.64, white)                   # trunk
    for y in (0.30, 0.46, 0.62):
        c.rect(0.18, y - w / 2, 0.38, y + w / 2, white)         # branch
        c.rect(0.36, y - 0.06, 0.48, y + 0.06, white)           # function
    c.rect(0.12, 0.12, 0.30, 0.24, white)                       # root
    return c.downsample()


def paint_refresh(size):
    c = Canvas(size)
    green, rim = (30, 150, 60, 255), (16, 90, 34, 255)
    cx, cy = 0.5, 0.52

    def ring(r_out, r_in, gap_from, gap_to):
        def inside(u, v):
            d = math.hypot(u - cx, v - cy)
            a = math.degrees(math.atan2(cy - v, u - cx)) % 360
            return r_in <= d <= r_out and not (gap_from <= a <= gap_to)
        return inside

    gap_from, gap_to = 10, 80
    c.shape(ring(0.42, 0.22, gap_from, gap_to), rim)
    c.shape(ring(0.38, 0.26, gap_from - 4, gap_to + 4), green)
    # arrow head at the top end of the ring, pointing clockwise along it
    a = math.radians(gap_to + 4)
    r_mid = 0.32
    base = (cx + r_mid * math.cos(a), cy - r_mid * math.sin(a))
    radial = (math.cos(a), -math.sin(a))
    tangent = (math.sin(a), math.cos(a))
    p1 = (base[0] + radial[0] * 0.17, base[1] + radial[1] * 0.17)
    p2 = (base[0] - radial[0] * 0.17, base[1] - radial[1] * 0.17)
    tip = (base[0] + tangent[0] * 0.22, base[1] + tangent[1] * 0.22)

    def triangle(pa, pb, pc):
        def side(p, q, r):
            return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])

        def inside(u, v):
            p = (u, v)
            d1, d2, d3 = side(p, pa, pb), side(p, pb, pc), side(p, pc, pa)
            neg = d1 < 0 or d2 < 0 or d3 < 0
            pos = d1 > 0 or d2 > 0 or d3 > 0
            return not (neg and pos)
        return inside

    c.shape(triangle(tip, p1, p2), green)
    return c.downsample()


def ico_image(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + mask


def write_ico(path, images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for pixels in images:
        blob = ico_image(pixels)
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_raw_icon(outdir, name, first_id, images):
    """The same images as raw RT_ICON resources with ids of our own and an RT_GROUP_ICON
    directory naming them: bexa.rc links them under ids that no other resource script of the
    program can take (each script numbers its ICON images from 1)."""
    group = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for i, pixels in enumerate(images):
        blob = ico_image(pixels)
        size = len(pixels)
        with open(os.path.join(outdir, "%s-%d.bin" % (name, size)), "wb") as f:
            f.write(blob)
        group += struct.pack("<BBBBHHIH", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                             first_id + i)
    with open(os.path.join(outdir, "%s-group.bin" % name), "wb") as f:
        f.write(group)


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "bexa", "ui", "res")
    os.makedirs(outdir, exist_ok=True)
    bexa = [paint_bexa(s) for s in (16, 32, 48)]
    refresh = [paint_refresh(s) for s in (16, 32, 48)]
    write_ico(os.path.join(outdir, "bexa.ico"), bexa)
    write_ico(os.path.join(outdir, "refresh.ico"), refresh)
    write_raw_icon(outdir, "bexa-icon", 1281, bexa)
    write_raw_icon(outdir, "refresh-icon", 1301, refresh)


if __name__ == "__main__":
    main()
