#!/usr/bin/env python3
"""Paints the images of vorlu_demo.exe, the demonstration client of vorlu.dll, as BMP files and
its icon as an ICO file. The build runs it; nothing it writes is kept in the tree.

    tools/make-vorlu-demo-images.py OUTPUT_DIR

demo-tabs.bmp    image 100, the tab strip: 73 x 69, 32 bits, three rows of 73 x 23 (current
                 tab, other tabs, tab under the mouse); the two columns at each side are edges,
                 the upper corners clear (alpha 0)
demo-check.bmp   image 200, the check box: 30 x 45, 24 bits, five 15 x 15 frames two to a row
                 (clear, checked, clear pressed, checked pressed, disabled) on the
                 transparent colour D4D0C8 (red, green, blue)
demo-arrow.bmp   image 201, the drop-down arrow: 26 x 39, 32 bits, five 13 x 13 frames (normal,
                 hot, pressed, disabled, focused) on the transparent colour C0C0C0
demo-start.bmp   image 300, the image button: 140 x 210, 24 bits, five 70 x 70 frames (normal,
                 hot, pressed, disabled, focused) on the transparent colour D4D0C8
demo.ico         the window icon, 32 x 32
"""
import os
import struct
import sys


class Image:
    def __init__(self, width, height, colour):
        self.w, self.h = width, height
        self.px = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1):
            self.put(x, y0, colour)
            self.put(x, y1 - 1, colour)
        for y in range(y0, y1):
            self.put(x0, y, colour)
            self.put(x1 - 1, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def triangle(self, points, colour):
        (ax, ay), (bx, by), (cx, cy) = points
        xs, ys = (ax, bx, cx), (ay, by, cy)
        for y in range(int(min(ys)), int(max(ys)) + 1):
            for x in range(int(min(xs)), int(max(xs)) + 1):
                px, py = x + 0.5, y + 0.5
                d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by)
                d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy)
                d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay)
                neg = d1 < 0 or d2 < 0 or d3 < 0
                pos = d1 > 0 or d2 > 0 or d3 > 0
                if not (neg and pos):
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dy in range(width):
                for dx in range(width):
                    self.put(int(x) + dx, int(y) + dy, colour)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def write_bmp(path, image, bits):
    stride = (image.w * bits // 8 + 3) & ~3
    rows = []
    for row in reversed(image.px):  # bottom-up
        data = bytearray()
        for pixel in row:
            r, g, b = pixel[:3]
            alpha = pixel[3] if len(pixel) == 4 else 255
            data += bytes((b, g, r)) + (bytes((alpha,)) if bits == 32 else b"")
        data += b"\0" * (stride - len(data))
        rows.append(bytes(data))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, image.w, image.h, 1, bits, 0, len(pixels), 2835, 2835,
                       0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as out:
        out.write(header + info + pixels)


def write_ico(path, image):
    xor = b"".join(bytes((b, g, r, 255 if (r, g, b) != (255, 0, 255) else 0))
                   for row in reversed(image.px) for r, g, b in row)
    mask_stride = ((image.w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(image.px):
        bitsrow = bytearray(mask_stride)
        for x, colour in enumerate(row):
            if colour == (255, 0, 255):
                bitsrow[x // 8] |= 0x80 >> (x % 8)
        mask += bitsrow
    info = struct.pack("<IiiHHIIiiII", 40, image.w, image.h * 2, 1, 32, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    body = info + xor + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", image.w, image.h, 0, 0, 1, 32, len(body), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + body)


FACE = (212, 208, 200)  # the transparent colour of the check box and the button
BLUE = (40, 90, 170)


def tabs():
    img = Image(73, 69, FACE)
    looks = [((255, 255, 255), (226, 232, 244), BLUE),   # current
             ((236, 234, 228), (206, 204, 198), (150, 150, 150)),  # other
             ((255, 250, 225), (250, 226, 150), (220, 150, 40))]   # hot
    for row, (top, bottom, accent) in enumerate(looks):
        y0 = row * 23
        for y in range(23):
            img.rect(2, y0 + y, 71, y0 + y + 1, mix(top, bottom, y / 22))
        img.rect(0, y0, 2, y0 + 23, (128, 128, 128))
        img.rect(71, y0, 73, y0 + 23, (128, 128, 128))
        img.rect(0, y0, 73, y0 + 3, accent)
        # Rounded upper corners: clear pixels (alpha 0) let the strip's background show.
        for x, y in ((0, 0), (1, 0), (0, 1), (72, 0), (71, 0), (72, 1)):
            img.put(x, y0 + y, (0, 0, 0, 0))
    return img


def check():
    img = Image(30, 45, FACE)
    for frame in range(5):
        x0, y0 = (frame % 2) * 15, (frame // 2) * 15
        checked = frame in (1, 3)
        pressed = frame in (2, 3)
        disabled = frame == 4
        inside = (200, 200, 200) if disabled else ((220, 226, 240) if pressed else (255, 255, 255))
        border = (150, 150, 150) if disabled else BLUE
        img.rect(x0 + 1, y0 + 1, x0 + 14, y0 + 14, inside)
        img.frame(x0 + 1, y0 + 1, x0 + 14, y0 + 14, border)
        if checked:
            mark = (20, 120, 40)
            img.line(x0 + 3.5, y0 + 7, x0 + 6, y0 + 10, mark, 2)
            img.line(x0 + 6, y0 + 10, x0 + 11, y0 + 3.5, mark, 2)
    return img


def arrow():
    img = Image(26, 39, (192, 192, 192))
    colours = [(30, 30, 30), BLUE, (0, 40, 110), (150, 150, 150), (160, 30, 30)]
    for frame, colour in enumerate(colours):
        x0, y0 = (frame % 2) * 13, (frame // 2) * 13
        shift = 1 if frame == 2 else 0
        img.triangle([(x0 + 2 + shift, y0 + 4 + shift), (x0 + 11 + shift, y0 + 4 + shift),
                      (x0 + 6.5 + shift, y0 + 9.5 + shift)], colour)
    return img


def start():
    img = Image(140, 210, FACE)
    looks = [((70, 130, 210), (255, 255, 255)),   # normal
             ((110, 170, 240), (255, 255, 200)),  # hot
             ((30, 70, 140), (230, 230, 230)),    # pressed
             ((165, 165, 165), (225, 225, 225)),  # disabled
             ((70, 130, 210), (255, 255, 255))]   # focused
    for frame, (body, sign) in enumerate(looks):
        x0, y0 = (frame % 2) * 70, (frame // 2) * 70
        shift = 2 if frame == 2 else 0
        cx, cy = x0 + 35 + shift, y0 + 35 + shift
        img.disc(cx + 2, cy + 2, 29, (150, 146, 140))
        img.disc(cx, cy, 29, mix(body, (0, 0, 0), 0.35))
        img.disc(cx, cy, 27, body)
        img.triangle([(cx - 9, cy - 14), (cx - 9, cy + 14), (cx + 15, cy)], sign)
        if frame == 4:
            for a in range(0, 70, 4):
                for x, y in ((x0 + a, y0 + 1), (x0 + a, y0 + 68), (x0 + 1, y0 + a),
                             (x0 + 68, y0 + a)):
                    img.put(x, y, (0, 0, 0))
    return img


def icon():
    img = Image(32, 32, (255, 0, 255))
    img.disc(16, 16, 15, (40, 90, 170))
    img.rect(7, 9, 25, 23, (255, 255, 255))
    img.frame(7, 9, 25, 23, (0, 0, 0))
    img.rect(7, 9, 25, 12, (40, 90, 170))
    img.rect(10, 15, 16, 17, (0, 0, 0))
    img.rect(10, 19, 20, 21, (0, 0, 0))
    return img


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "demo-tabs.bmp"), tabs(), 32)
    write_bmp(os.path.join(out, "demo-check.bmp"), check(), 24)
    write_bmp(os.path.join(out, "demo-arrow.bmp"), arrow(), 32)
    write_bmp(os.path.join(out, "demo-start.bmp"), start(), 24)
    write_ico(os.path.join(out, "demo.ico"), icon())


if __name__ == "__main__":
    main()
