#!/usr/bin/env python3
"""Draws the images of the updater's skin and its application icon into
FirmwareUpdater/Resources.

The pictures are plain geometry (gradients, rounded rectangles, lines), drawn here so
that they can be changed and drawn again:

    python3 tools/make-updater-images.py

Only the standard library is used; the PNG files are written with zlib.
"""

import math
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "FirmwareUpdater", "Resources")

WINDOW_W, WINDOW_H = 520, 360
BUTTON_W, BUTTON_H = 200, 40
BAR_W, BAR_H = 472, 26


class Image:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.w, self.h = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, color, coverage=1.0):
        if not (0 <= x < self.w and 0 <= y < self.h) or coverage <= 0:
            return
        r, g, b, a = color
        a = a / 255.0 * min(coverage, 1.0)
        dst = self.px[y * self.w + x]
        da = dst[3] / 255.0
        out_a = a + da * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = round((c * a + dst[i] * da * (1 - a)) / out_a)
        dst[3] = round(out_a * 255)

    def rounded_rect(self, x0, y0, x1, y1, radius, color_at):
        """Fills [x0, x1) x [y0, y1) with rounded corners, anti-aliased at the edge.
        color_at(y) gives the colour of a row."""
        for y in range(int(y0), int(math.ceil(y1))):
            color = color_at(y)
            for x in range(int(x0), int(math.ceil(x1))):
                cx = min(max(x + 0.5, x0 + radius), x1 - radius)
                cy = min(max(y + 0.5, y0 + radius), y1 - radius)
                distance = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                self.blend(x, y, color, radius + 0.5 - distance if radius else 1.0)

    def png(self):
        rows = b"".join(b"\x00" + bytes(v for p in self.px[y * self.w:(y + 1) * self.w] for v in p)
                        for y in range(self.h))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))

    def save(self, name):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(self.png())

    def shape(self, inside, color_at, samples=4):
        """Lays a shape over the image, anti-aliased by sampling each pixel samples x samples
        times. inside(u, v) tells whether a point of the unit square (0..1 across the whole
        image) is in the shape; color_at(v) gives the colour at that height."""
        step = 1.0 / samples
        for y in range(self.h):
            v = (y + 0.5) / self.h
            color = color_at(v)
            for x in range(self.w):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside((x + (sx + 0.5) * step) / self.w, (y + (sy + 0.5) * step) / self.h):
                            hits += 1
                self.blend(x, y, color, hits / (samples * samples))


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(4))


def vertical(top, bottom, y0, y1):
    return lambda y: mix(top, bottom, min(max((y - y0) / max(y1 - y0 - 1, 1), 0.0), 1.0))


def background():
    image = Image(WINDOW_W, WINDOW_H)
    image.rounded_rect(0, 0, WINDOW_W, WINDOW_H, 0, vertical((34, 44, 56, 255), (18, 23, 30, 255), 0, WINDOW_H))
    # The title band under the menu bar, closed by a thin accent line.
    image.rounded_rect(0, 22, WINDOW_W, 60, 0, vertical((44, 57, 72, 255), (32, 42, 54, 255), 22, 60))
    image.rounded_rect(0, 60, WINDOW_W, 62, 0, lambda y: (47, 163, 154, 255))
    # The panel behind the texts and the progress bar.
    image.rounded_rect(16, 72, WINDOW_W - 16, 284, 6, lambda y: (60, 76, 94, 255))
    image.rounded_rect(17, 73, WINDOW_W - 17, 283, 5, vertical((27, 35, 45, 255), (23, 30, 39, 255), 73, 283))
    image.save("background.png")


def buttons():
    """One row per look: normal, hover, pressed, disabled."""
    looks = [
        ((52, 150, 142, 255), (36, 112, 106, 255)),
        ((68, 178, 168, 255), (46, 134, 127, 255)),
        ((28, 94, 89, 255), (36, 112, 106, 255)),
        ((62, 70, 80, 255), (52, 59, 68, 255)),
    ]
    image = Image(BUTTON_W, BUTTON_H * len(looks))
    for row, (top, bottom) in enumerate(looks):
        y0 = row * BUTTON_H
        image.rounded_rect(1, y0 + 1, BUTTON_W - 1, y0 + BUTTON_H - 1, 7, vertical(top, bottom, y0 + 1, y0 + BUTTON_H - 1))
    image.save("buttons.png")


def progress():
    """Column 0-7: the empty track; column 8-15: the filled part. Both are stretched."""
    image = Image(16, BAR_H)
    image.rounded_rect(0, 0, 8, BAR_H, 0, vertical((14, 18, 24, 255), (30, 38, 48, 255), 0, BAR_H))
    image.rounded_rect(8, 0, 16, BAR_H, 0, vertical((84, 206, 190, 255), (38, 136, 128, 255), 0, BAR_H))
    image.save("progress.png")


def stroke(image, points, width, color):
    """A polyline of the given width with round joins, anti-aliased."""
    xs = [x for x, _ in points]
    ys = [y for _, y in points]
    half = width / 2.0
    for y in range(int(min(ys) - half - 1), int(math.ceil(max(ys) + half + 1))):
        for x in range(int(min(xs) - half - 1), int(math.ceil(max(xs) + half + 1))):
            px, py = x + 0.5, y + 0.5
            distance = min(segment_distance(px, py, a, b) for a, b in zip(points, points[1:]))
            image.blend(x, y, color, half + 0.5 - distance)


def segment_distance(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def menu():
    """The marks of the menu rows, each 16 x 16: the check mark on a plain row and on a
    highlighted row, then the submenu arrow on a plain and on a highlighted row."""
    accent, light = (84, 206, 190, 255), (246, 250, 252, 255)
    image = Image(64, 16)
    for column, color in enumerate((accent, light)):
        x0 = column * 16
        stroke(image, [(x0 + 3.5, 8.5), (x0 + 6.5, 11.5), (x0 + 12.5, 4.5)], 2.2, color)
    for column, color in enumerate(((152, 168, 184, 255), light)):
        x0 = 32 + column * 16
        stroke(image, [(x0 + 6.5, 4.5), (x0 + 10.5, 8.0), (x0 + 6.5, 11.5)], 1.6, color)
    image.save("menu.png")


def in_rounded(u0, v0, u1, v1, radius):
    def inside(u, v):
        if not (u0 <= u < u1 and v0 <= v < v1):
            return False
        cu = min(max(u, u0 + radius), u1 - radius)
        cv = min(max(v, v0 + radius), v1 - radius)
        return (u - cu) ** 2 + (v - cv) ** 2 <= radius ** 2
    return inside


def in_triangle(a, b, c):
    def side(p, q, u, v):
        return (q[0] - p[0]) * (v - p[1]) - (q[1] - p[1]) * (u - p[0])

    def inside(u, v):
        d = (side(a, b, u, v), side(b, c, u, v), side(c, a, u, v))
        return all(x >= 0 for x in d) or all(x <= 0 for x in d)
    return inside


def flat(color):
    return lambda v: color


def app_icon():
    """The window's icon: the keyboard's keys under an arrow pointing up (a new firmware
    going in), on a tile of the window's colours. One PNG picture per size, drawn at each
    size rather than scaled, in one icon file."""
    pictures = []
    for size in (16, 32, 48, 64):
        image = Image(size, size)
        image.shape(in_rounded(0.02, 0.02, 0.98, 0.98, 0.18), lambda v: mix((44, 57, 72, 255), (20, 26, 34, 255), v))
        # The keyboard: a frame, six white keys, four black ones between them.
        image.shape(in_rounded(0.10, 0.50, 0.90, 0.88, 0.05), flat((60, 76, 94, 255)))
        left, right, gap = 0.14, 0.86, 0.02
        width = (right - left + gap) / 6
        for key in range(6):
            x0 = left + key * width
            image.shape(in_rounded(x0, 0.54, x0 + width - gap, 0.84, 0.015), flat((232, 236, 240, 255)))
        for key in (1, 2, 4, 5):
            x = left + key * width - gap / 2
            image.shape(in_rounded(x - 0.035, 0.54, x + 0.035, 0.71, 0.01), flat((20, 26, 34, 255)))
        # The arrow: a shaft under a head, in the accent colour of the progress bar.
        accent = (84, 206, 190, 255)
        image.shape(in_rounded(0.43, 0.24, 0.57, 0.45, 0.01), flat(accent))
        image.shape(in_triangle((0.50, 0.07), (0.72, 0.29), (0.28, 0.29)), flat(accent))
        pictures.append((size, image.png()))
    # The icon file: its header, one directory entry per picture, then the pictures.
    data = struct.pack("<HHH", 0, 1, len(pictures))
    offset = 6 + 16 * len(pictures)
    for size, png in pictures:
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    data += b"".join(png for _, png in pictures)
    with open(os.path.join(OUT, "AppIcon.ico"), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    background()
    buttons()
    progress()
    menu()
    app_icon()
    return 0


if __name__ == "__main__":
    sys.exit(main())
