#!/usr/bin/env python3
"""Draws the program's own pictures: setup.bmp, login.bmp and key.bmp for the
login window and rqwl.ico for the windows. Standard library only; run it in
this directory to regenerate them.

Shapes are painted back to front and each pixel is averaged over a 4 x 4 grid
of samples, which gives smooth edges without any imaging package."""

import math
import struct

SILVER = (192, 192, 192)
SAMPLES = 4


class Canvas:
    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        self.background = background  # None: transparent
        self.shapes = []  # (contains(x, y), rgb)

    def add(self, contains, color):
        self.shapes.append((contains, color))

    def rect(self, x, y, w, h, color, radius=0.0):
        def contains(px, py):
            if not (x <= px <= x + w and y <= py <= y + h):
                return False
            if radius <= 0:
                return True
            cx = min(max(px, x + radius), x + w - radius)
            cy = min(max(py, y + radius), y + h - radius)
            return (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius
        self.add(contains, color)

    def ellipse(self, cx, cy, rx, ry, color):
        self.add(lambda px, py: ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0, color)

    def circle(self, cx, cy, r, color):
        self.ellipse(cx, cy, r, r, color)

    def polygon(self, points, color):
        def contains(px, py):
            inside = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    inside = not inside
                j = i
            return inside
        self.add(contains, color)

    def line(self, x1, y1, x2, y2, width, color):
        dx, dy = x2 - x1, y2 - y1
        length2 = dx * dx + dy * dy or 1.0

        def contains(px, py):
            t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / length2))
            qx, qy = x1 + t * dx, y1 + t * dy
            return (px - qx) ** 2 + (py - qy) ** 2 <= (width / 2.0) ** 2
        self.add(contains, color)

    def render(self):
        """Rows of (r, g, b, a), top row first."""
        rows = []
        step = 1.0 / SAMPLES
        for y in range(self.height):
            row = []
            for x in range(self.width):
                r = g = b = a = 0.0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        px, py = x + (sx + 0.5) * step, y + (sy + 0.5) * step
                        color = self.background
                        for contains, c in reversed(self.shapes):
                            if contains(px, py):
                                color = c
                                break
                        if color is not None:
                            r += color[0]
                            g += color[1]
                            b += color[2]
                            a += 1
                n = SAMPLES * SAMPLES
                if a:
                    row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
                else:
                    row.append((0, 0, 0, 0))
            rows.append(row)
        return rows


def scale(points, k):
    return [(x * k, y * k) for x, y in points]


def bmp_bytes(rows):
    """A plain 24-bit BMP (rows bottom up, padded to four bytes)."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def ico_bytes(images):
    """An icon file with one 32-bit image (alpha included) per size."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        pixels = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                pixels += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = b"\0" * (mask_stride * size)  # the alpha channel decides
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(pixels) + mask
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


RED = (200, 42, 34)
DARK_RED = (150, 28, 24)
GOLD = (242, 193, 46)
DEEP_GOLD = (196, 142, 20)
CREAM = (250, 244, 226)
INK = (60, 60, 60)
BLUE = (31, 95, 191)
NAVY = (0, 0, 128)
GREEN = (46, 139, 62)
WHITE = (255, 255, 255)


def red_envelope(c, x, y, w, h):
    """The red packet of a gift of money, with its gold seal."""
    c.rect(x, y, w, h, DARK_RED, radius=w * 0.08)
    c.rect(x + w * 0.04, y + h * 0.03, w * 0.92, h * 0.94, RED, radius=w * 0.07)
    c.polygon([(x + w * 0.04, y + h * 0.05), (x + w * 0.96, y + h * 0.05), (x + w * 0.5, y + h * 0.36)], DARK_RED)
    c.circle(x + w * 0.5, y + h * 0.52, w * 0.2, DEEP_GOLD)
    c.circle(x + w * 0.5, y + h * 0.52, w * 0.15, GOLD)
    c.rect(x + w * 0.45, y + h * 0.47, w * 0.1, h * 0.1, DEEP_GOLD)


def setup_picture(k=2):
    """An open account book with a red packet laid on it."""
    c = Canvas(54 * k, 44 * k, SILVER)
    c.polygon(scale([(4, 10), (27, 13), (27, 41), (4, 38)], k), INK)
    c.polygon(scale([(27, 13), (50, 10), (50, 38), (27, 41)], k), INK)
    c.polygon(scale([(5, 9), (26.5, 12), (26.5, 39.5), (5, 36.5)], k), CREAM)
    c.polygon(scale([(27.5, 12), (49, 9), (49, 36.5), (27.5, 39.5)], k), CREAM)
    for i in range(5):
        y = 16 + i * 4.5
        c.line(8 * k, (y - 0.4) * k, 24 * k, (y + 2.2) * k, 0.9 * k, BLUE if i == 0 else (150, 160, 175))
        c.line(30 * k, (y + 2.2) * k, 46 * k, (y - 0.4) * k, 0.9 * k, (150, 160, 175))
    c.line(27 * k, 12.5 * k, 27 * k, 40.5 * k, 1.2 * k, (120, 110, 90))
    red_envelope(c, 33 * k, 18 * k, 17 * k, 23 * k)
    c.polygon(scale([(12, 10.3), (16, 10.8), (16, 22), (14, 20), (12, 21.5)], k), NAVY)  # ribbon bookmark
    return c.render()


def login_picture(k=2):
    """The operator: head and shoulders."""
    c = Canvas(47 * k, 40 * k, SILVER)
    c.ellipse(23.5 * k, 40 * k, 18 * k, 14 * k, NAVY)
    c.ellipse(23.5 * k, 40.5 * k, 16.5 * k, 12.8 * k, BLUE)
    c.polygon(scale([(20, 27.5), (27, 27.5), (23.5, 33)], k), WHITE)
    c.polygon(scale([(22.5, 29), (24.5, 29), (25, 38), (23.5, 40), (22, 38)], k), RED)
    c.rect(20.5 * k, 21 * k, 6 * k, 7 * k, (224, 172, 135))
    c.circle(23.5 * k, 14 * k, 9 * k, (60, 45, 35))
    c.ellipse(23.5 * k, 16 * k, 7.6 * k, 8.4 * k, (240, 192, 152))
    c.ellipse(23.5 * k, 9 * k, 8.4 * k, 4.2 * k, (60, 45, 35))
    c.circle(20.5 * k, 15.5 * k, 0.9 * k, INK)
    c.circle(26.5 * k, 15.5 * k, 0.9 * k, INK)
    c.line(21.5 * k, 20 * k, 25.5 * k, 20 * k, 0.8 * k, (180, 90, 80))
    return c.render()


def key_picture(k=2):
    """A gold key lying across the picture."""
    c = Canvas(46 * k, 39 * k, SILVER)
    c.line(17 * k, 19.5 * k, 42 * k, 19.5 * k, 5 * k, DEEP_GOLD)
    c.line(17 * k, 18.8 * k, 41.5 * k, 18.8 * k, 3 * k, GOLD)
    c.rect(33 * k, 19.5 * k, 3.5 * k, 8 * k, DEEP_GOLD)
    c.rect(38.5 * k, 19.5 * k, 3.5 * k, 6 * k, DEEP_GOLD)
    c.circle(12 * k, 19.5 * k, 10 * k, DEEP_GOLD)
    c.circle(12 * k, 19 * k, 8.6 * k, GOLD)
    c.circle(10 * k, 19.5 * k, 3.6 * k, SILVER)
    c.circle(15 * k, 14.5 * k, 1.6 * k, (255, 236, 160))
    return c.render()


def icon_picture(size):
    c = Canvas(size, size)
    k = size / 32.0
    red_envelope(c, 5 * k, 2 * k, 22 * k, 28 * k)
    return c.render()


def main():
    for name, rows in (("setup.bmp", setup_picture()), ("login.bmp", login_picture()), ("key.bmp", key_picture())):
        with open(name, "wb") as f:
            f.write(bmp_bytes(rows))
    with open("rqwl.ico", "wb") as f:
        f.write(ico_bytes([icon_picture(s) for s in (16, 32, 48)]))


if __name__ == "__main__":
    main()
