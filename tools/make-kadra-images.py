#!/usr/bin/env python3
"""Paints Kadra's images and its program icon and writes them as BMP and ICO files.

    tools/make-kadra-images.py [OUTPUT_DIR]      default: kadra/app/res

kadra-tabs.bmp     image 2800: the tab strip, 73 x 69, 32 bits (three rows of 73 x 23: the
                   current tab, another tab, the tab pointed at; the library stretches the
                   middle and keeps the 2-pixel edges)
kadra-check.bmp    image 2061: the check box, 30 x 45, 24 bits (five frames of 15 x 15, two to
                   a row: clear, checked, clear pressed, checked pressed, disabled)
kadra-arrow.bmp    image 2062: the drop-down arrow, 26 x 39, 32 bits (five frames of 13 x 13,
                   two to a row: normal, pointed at, pressed, disabled, focused; on the key
                   colour 0xC0C0C0)
kadra-start.bmp    image 4410: the start button, 140 x 210, 24 bits (five frames of 70 x 70, two
                   to a row: normal, pointed at, pressed, disabled, focused; the sixth cell is
                   unused)
kadra.ico          the program icon: a disk platter under a throughput curve, 16 to 128 pixels
kadra-icon-*.bin   the same icon images as raw RT_ICON resources, kadra-icon-group.bin their
                   RT_GROUP_ICON directory (kadra.rc links them under ids of their own)

Everything is drawn on a 4x finer grid and averaged down, which gives smooth edges without any
imaging library; the icon is drawn afresh at every size, so small sizes stay sharp and large
ones (200 % and more) keep their detail.
"""
import math
import os
import struct
import sys

SUPER = 4


class Canvas:
    """An RGBA canvas in pixel coordinates: (0, 0) top left, (width, height) bottom right."""

    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.w, self.h = width, height
        self.nw, self.nh = width * SUPER, height * SUPER
        self.px = [[background] * self.nw for _ in range(self.nh)]

    def shape(self, inside, rgba, box=None):
        """Paints every fine pixel whose centre (in pixel units) satisfies inside(x, y)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        xa, xb = max(0, int(x0 * SUPER)), min(self.nw, int(math.ceil(x1 * SUPER)))
        ya, yb = max(0, int(y0 * SUPER)), min(self.nh, int(math.ceil(y1 * SUPER)))
        for fy in range(ya, yb):
            v = (fy + 0.5) / SUPER
            row = self.px[fy]
            for fx in range(xa, xb):
                u = (fx + 0.5) / SUPER
                if inside(u, v):
                    row[fx] = blend(row[fx], rgba(u, v) if callable(rgba) else rgba)

    def rect(self, x0, y0, x1, y1, rgba):
        self.shape(lambda u, v: True, rgba, (x0, y0, x1, y1))

    def round_rect(self, x0, y0, x1, y1, r, rgba):
        def inside(u, v):
            cx = min(max(u, x0 + r), x1 - r)
            cy = min(max(v, y0 + r), y1 - r)
            return (u - cx) ** 2 + (v - cy) ** 2 <= r * r
        self.shape(inside, rgba, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, rgba):
        self.shape(lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0, rgba,
                   (cx - rx, cy - ry, cx + rx, cy + ry))

    def polyline(self, points, width, rgba):
        half = width / 2.0
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            def inside(u, v, ax=ax, ay=ay, bx=bx, by=by):
                dx, dy = bx - ax, by - ay
                t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
                return (u - ax - t * dx) ** 2 + (v - ay - t * dy) ** 2 <= half * half
            self.shape(inside, rgba, (min(ax, bx) - half, min(ay, by) - half,
                                      max(ax, bx) + half, max(ay, by) + half))

    def polygon(self, points, rgba):
        def inside(u, v):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > v) != (by > v) and u < ax + (v - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.shape(inside, rgba, (min(xs), min(ys), max(xs), max(ys)))

    def pixels(self):
        """The canvas averaged down to its real size: rows of (r, g, b, a)."""
        out = []
        n = SUPER * SUPER
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0, 0, 0, 0]
                for dy in range(SUPER):
                    line = self.px[y * SUPER + dy]
                    for dx in range(SUPER):
                        r, g, b, a = line[x * SUPER + dx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                if acc[3] == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], acc[3] // n))
            out.append(row)
        return out


def blend(under, over):
    """over drawn on under (straight alpha)."""
    r, g, b, a = over
    if a == 255 or under[3] == 0:
        return over
    if a == 0:
        return under
    ur, ug, ub, ua = under
    oa = a + ua * (255 - a) // 255
    mix = lambda o, u: (o * a + u * ua * (255 - a) // 255) // oa
    return (mix(r, ur), mix(g, ug), mix(b, ub), oa)


def vertical(top, bottom, y0, y1):
    """A vertical gradient from colour top at y0 to bottom at y1."""
    def colour(u, v):
        t = max(0.0, min(1.0, (v - y0) / (y1 - y0)))
        return tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
    return colour


GREY = (192, 192, 192, 255)  # dialog face colour; also the key colour of the arrow image


# --- images of the dialog --------------------------------------------------------------------

def paint_tabs():
    """Three tab states stacked: current (raised, light), other (darker), pointed at (blue)."""
    c = Canvas(73, 69, GREY)
    faces = [((250, 250, 252, 255), (214, 220, 230, 255)),
             ((200, 204, 212, 255), (170, 176, 186, 255)),
             ((214, 230, 250, 255), (160, 196, 240, 255))]
    for i, (top, bottom) in enumerate(faces):
        y = 23 * i
        c.round_rect(1, y + 1, 72, y + 23 + 4, 4, (90, 96, 110, 255))
        c.round_rect(2, y + 2, 71, y + 23 + 4, 3, vertical(top, bottom, y + 2, y + 23))
        c.rect(0, y + 22, 73, y + 23, (90, 96, 110, 255) if i else top)
    return c.pixels()


def paint_check():
    """Check box frames of 15 x 15, two to a row: clear, checked, clear and pressed, checked
    and pressed, disabled (the sixth cell is unused)."""
    c = Canvas(30, 45, GREY)
    for i in range(5):
        x, y = 15 * (i % 2), 15 * (i // 2)
        checked = i in (1, 3)
        pressed = i in (2, 3)
        disabled = i == 4
        rim = (140, 140, 140, 255) if disabled else (64, 70, 84, 255)
        face = (214, 214, 214, 255) if disabled or pressed else (255, 255, 255, 255)
        c.round_rect(x + 1, y + 1, x + 14, y + 14, 2, rim)
        c.round_rect(x + 2, y + 2, x + 13, y + 13, 1.5, face)
        if checked:
            c.polyline([(x + 4, y + 7.5), (x + 6.5, y + 10.5), (x + 11.2, y + 4.2)], 2.0,
                       (24, 130, 40, 255))
    return c.pixels()


def paint_arrow():
    """Drop-down arrow frames of 13 x 13, two to a row: normal, pointed at, pressed, disabled,
    focused; drawn on the key colour, which the library leaves out."""
    c = Canvas(26, 39, GREY)
    for i in range(5):
        x, y = 13 * (i % 2), 13 * (i // 2)
        face = [(236, 238, 242, 255), (200, 222, 250, 255), (176, 196, 226, 255),
                (214, 214, 214, 255), (236, 238, 242, 255)][i]
        rim = (40, 110, 220, 255) if i == 4 else (110, 116, 130, 255)
        ink = (140, 140, 140, 255) if i == 3 else (40, 44, 56, 255)
        c.round_rect(x + 0.5, y + 0.5, x + 12.5, y + 12.5, 2, rim)
        c.round_rect(x + 1.5, y + 1.5, x + 11.5, y + 11.5, 1.5, face)
        d = 0.5 if i == 2 else 0.0
        c.polygon([(x + 3 + d, y + 5 + d), (x + 10 + d, y + 5 + d), (x + 6.5 + d, y + 9 + d)],
                  ink)
    return c.pixels()


def paint_start_frame(c, x, y, state):
    """One 70 x 70 frame of the start button: a disk with a play triangle."""
    pressed = state == "pressed"
    off = 1.5 if pressed else 0.0
    disabled = state == "disabled"
    rim = (70, 76, 90, 255)
    if state == "hot":
        face = vertical((238, 246, 255, 255), (170, 206, 246, 255), y + 4, y + 66)
    elif pressed:
        face = vertical((170, 190, 220, 255), (214, 226, 242, 255), y + 4, y + 66)
    elif disabled:
        face = vertical((222, 222, 222, 255), (196, 196, 196, 255), y + 4, y + 66)
    else:
        face = vertical((252, 252, 254, 255), (198, 206, 220, 255), y + 4, y + 66)
    c.round_rect(x + 3, y + 3, x + 67, y + 67, 10, rim)
    c.round_rect(x + 4.5, y + 4.5, x + 65.5, y + 65.5, 8.5, face)
    if state == "focused":
        c.round_rect(x + 7, y + 7, x + 63, y + 63, 7, (40, 110, 220, 110))
        c.round_rect(x + 9, y + 9, x + 61, y + 61, 6, face)
    cx, cy = x + 35 + off, y + 35 + off
    platter = (120, 120, 120, 255) if disabled else (96, 104, 120, 255)
    shine = (190, 190, 190, 255) if disabled else (210, 216, 228, 255)
    c.ellipse(cx, cy, 22, 22, platter)
    c.ellipse(cx, cy, 20, 20, shine)
    c.ellipse(cx, cy, 5, 5, platter)
    c.ellipse(cx, cy, 2.2, 2.2, shine)
    play = (150, 150, 150, 255) if disabled else (200, 40, 30, 255)
    c.polygon([(cx - 6, cy - 14), (cx + 14, cy), (cx - 6, cy + 14)], (255, 255, 255, 220))
    c.polygon([(cx - 4, cy - 10), (cx + 10, cy), (cx - 4, cy + 10)], play)


def paint_start():
    c = Canvas(140, 210, GREY)
    states = ["normal", "hot", "pressed", "disabled", "focused"]
    for i, state in enumerate(states):
        paint_start_frame(c, 70 * (i % 2), 70 * (i // 2), state)
    return c.pixels()


# --- the program icon ------------------------------------------------------------------------

def paint_icon(size):
    s = size / 64.0  # drawn in a 64-unit grid
    c = Canvas(size, size)
    c.round_rect(2 * s, 2 * s, 62 * s, 62 * s, 10 * s, (16, 24, 44, 255))
    c.round_rect(3.5 * s, 3.5 * s, 60.5 * s, 60.5 * s, 9 * s,
                 vertical((34, 50, 88, 255), (10, 14, 28, 255), 4 * s, 60 * s))
    # the platter, seen at a slant, in the lower half
    c.ellipse(32 * s, 44 * s, 24 * s, 11 * s, (70, 76, 90, 255))
    c.ellipse(32 * s, 43 * s, 23 * s, 10 * s, vertical((226, 230, 238, 255),
                                                        (150, 158, 172, 255), 33 * s, 53 * s))
    if size >= 32:
        c.ellipse(32 * s, 43 * s, 15 * s, 6.5 * s, (188, 194, 206, 255))
    c.ellipse(32 * s, 43 * s, 5 * s, 2.3 * s, (80, 86, 100, 255))
    # the throughput curve: red, rising with a dip, over a green baseline; small sizes get
    # fewer, bolder strokes so that they stay readable
    if size >= 24:
        c.rect(7 * s, 30 * s, 57 * s, 30 * s + max(1.0, 1.5 * s), (40, 220, 60, 255))
        pts = [(7, 27), (14, 19), (21, 22), (28, 13), (35, 17), (43, 9), (50, 12), (57, 6)]
        width = max(1.6, 3.2 * s)
    else:
        pts = [(8, 28), (22, 18), (34, 23), (56, 8)]
        width = 1.6
    c.polyline([(x * s, y * s) for x, y in pts], width, (240, 40, 32, 255))
    return c.pixels()


# --- file writers ----------------------------------------------------------------------------

def bmp_bytes(pixels, bits):
    """A BMP file (bottom-up rows, BI_RGB) of 24 or 32 bits; 32-bit pixels keep their alpha."""
    height, width = len(pixels), len(pixels[0])
    stride = ((width * bits // 8) + 3) // 4 * 4
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b, a in row:
            line += bytes((b, g, r, a)) if bits == 32 else bytes((b, g, r))
        line += bytes(stride - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(body), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return head + info + body


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


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_icons(outdir, images, first_id):
    blobs = [ico_image(p) for p in images]
    ico = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    group = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for i, (pixels, blob) in enumerate(zip(images, blobs)):
        size = len(pixels)
        entry = struct.pack("<BBBBHHI", size % 256, size % 256, 0, 0, 1, 32, len(blob))
        ico += entry + struct.pack("<I", offset)
        group += entry + struct.pack("<H", first_id + i)
        offset += len(blob)
        write(os.path.join(outdir, "kadra-icon-%d.bin" % size), blob)
    for blob in blobs:
        ico += blob
    write(os.path.join(outdir, "kadra.ico"), ico)
    write(os.path.join(outdir, "kadra-icon-group.bin"), group)


ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 128)
ICON_FIRST_ID = 1021  # the raw images take ids 1021 to 1028


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "kadra", "app", "res")
    os.makedirs(outdir, exist_ok=True)
    write(os.path.join(outdir, "kadra-tabs.bmp"), bmp_bytes(paint_tabs(), 32))
    write(os.path.join(outdir, "kadra-check.bmp"), bmp_bytes(paint_check(), 24))
    write(os.path.join(outdir, "kadra-arrow.bmp"), bmp_bytes(paint_arrow(), 32))
    write(os.path.join(outdir, "kadra-start.bmp"), bmp_bytes(paint_start(), 24))
    write_icons(outdir, [paint_icon(s) for s in ICON_SIZES], ICON_FIRST_ID)


if __name__ == "__main__":
    main()
