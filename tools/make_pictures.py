#!/usr/bin/env python3
"""Draws the pictures of Lorik.rc and writes them into res/.

The main button's bitmaps (24-bit BMP, one per display scale: 100, 125, 150
and 200 %), the icons (32-bit with alpha, in the sizes those scales ask for)
and the picker cursor (32x32, hotspot in the centre) are drawn from a few
shapes, sampled 4x4 per pixel so that round edges stay smooth at 12 pixels.
A picture for a larger scale is drawn again from the shapes, not enlarged. Standard library only; run it again after changing a picture and
commit the files it writes:

    python3 tools/make_pictures.py [output folder, default res/]
"""

import math
import os
import struct
import sys

SUPERSAMPLE = 4

# The dialog face colour, so the main button's bitmaps blend into the window.
FACE = (240, 240, 240)

# The display scales the pictures are drawn for, as DPI.
SCALES = (96, 120, 144, 192)
# Small and large icons at those scales.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)

# Normal pictures are grey, pressed pictures blue.
GREY = {"dark": (72, 72, 72), "body": (112, 112, 112), "light": (190, 190, 190),
        "glass": (44, 44, 44)}
BLUE = {"dark": (0, 50, 140), "body": (0, 100, 215), "light": (140, 200, 255),
        "glass": (0, 34, 100)}


# Shapes: predicates over continuous pixel coordinates (x right, y down).

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                hit = not hit
        return hit
    return inside


def render(size, layers, background=None, scale=1.0):
    """Paints (shape, rgb) layers in order; returns rows top-down of RGBA tuples.

    With a background colour every pixel is opaque; without one the pixels
    outside all shapes are transparent and edges get partial alpha. A scale
    draws shapes made for `size` on a picture that many times larger.
    """
    w, h = round(size[0] * scale), round(size[1] * scale)
    rows = []
    n = SUPERSAMPLE
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / scale
                    y = (py + (sy + 0.5) / n) / scale
                    colour = background
                    for shape, rgb in layers:
                        if shape(x, y):
                            colour = rgb
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                k = acc[3]
                row.append((round(acc[0] / k), round(acc[1] / k), round(acc[2] / k),
                            round(255 * k / (n * n))))
        rows.append(row)
    return rows


# Pictures of the main button.

def camera_layers(x, y, w, h, c, cut=None):
    """A camera whose body fills (x, y, w, h); cut is a face-coloured outline."""
    layers = []
    if cut is not None:
        layers.append((round_rect(x - 1, y - 1, x + w + 1, y + h + 1, 1.5), cut))
    top = h * 0.22
    layers += [
        (rect(x + w * 0.22, y, x + w * 0.55, y + top + 0.5), c["dark"]),
        (round_rect(x, y + top, x + w, y + h, 1.0), c["dark"]),
        (round_rect(x + 1, y + top + 1, x + w - 1, y + h - 1, 0.6), c["body"]),
    ]
    cx, cy = x + w * 0.5, y + top + (h - top) * 0.5
    r = min(w, h - top) * 0.36
    layers += [
        (circle(cx, cy, r), c["light"]),
        (circle(cx, cy, r * 0.55), c["glass"]),
        (rect(x + w - 2.5, y + top + 1.5, x + w - 1.5, y + top + 2.5), c["light"]),
    ]
    return layers


def single_camera(c, scale):
    return render((12, 12), camera_layers(0.5, 1.5, 11, 9, c), FACE, scale)


def two_cameras(c, scale):
    back = camera_layers(5.5, 0.5, 10, 7, c)
    front = camera_layers(0.5, 7, 10, 8.5, c, cut=FACE)
    return render((16, 16), back + front, FACE, scale)


def folder(c, scale):
    return render((12, 12), [
        (polygon([(1, 2), (4.5, 2), (5.5, 3), (11, 3), (11, 10.5), (1, 10.5)]), c["dark"]),
        (rect(2, 4, 10, 9.5), c["light"]),
        (polygon([(1, 10.5), (2.5, 5.5), (11.5, 5.5), (11, 10.5)]), c["dark"]),
        (polygon([(2, 9.5), (3.2, 6.5), (10.3, 6.5), (10, 9.5)]), c["body"]),
    ], FACE, scale)


# Icons and the cursor.

def app_icon(size, shot_dot):
    s = size / 32.0
    tile = (22, 96, 196)
    white = (255, 255, 255)
    layers = [(round_rect(1 * s, 1 * s, 31 * s, 31 * s, 5 * s), tile)]
    layers += [
        (rect(8 * s, 7 * s, 15 * s, 11 * s), white),
        (round_rect(4 * s, 10 * s, 28 * s, 26 * s, 2.5 * s), white),
        (circle(16 * s, 18 * s, 6 * s), tile),
        (circle(16 * s, 18 * s, 4 * s), (150, 200, 250)),
        (circle(16 * s, 18 * s, 2 * s), (10, 40, 90)),
    ]
    if shot_dot:
        layers.append((circle(24.5 * s, 13.5 * s, 1.8 * s), (230, 40, 40)))
    return render((size, size), layers)


def target_layers(size, fg, halo, r_ring, thick):
    # An odd line width is centred on a pixel, an even one between two.
    c = size / 2.0 + (0.5 if round(thick) % 2 else 0.0)
    half = thick / 2.0
    gap = r_ring * 0.45
    layers = []
    for colour, grow in ((halo, 1.0), (fg, 0.0)):
        h = half + grow
        layers += [
            (ring(c, c, r_ring + h, r_ring - h), colour),
            (lambda x, y, h=h: c - h <= x < c + h and (1 - grow <= y < c - gap + grow
                                                       or c + gap - grow <= y < size - 1 + grow),
             colour),
            (lambda x, y, h=h: c - h <= y < c + h and (1 - grow <= x < c - gap + grow
                                                       or c + gap - grow <= x < size - 1 + grow),
             colour),
        ]
    layers.append((circle(c, c, max(0.8, size / 32.0)), fg))
    return layers


def picker_icon(size):
    s = size / 32.0
    return render((size, size), target_layers(size, (200, 30, 30), (255, 255, 255),
                                              10 * s, max(1, round(size / 16))))


def drag_cursor():
    return render((32, 32), target_layers(32, (0, 0, 0), (255, 255, 255), 9, 1))


# File writers.

def bmp_bytes(rows):
    """24-bit bottom-up BMP of opaque rows."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + bytes(pixels)


def dib_with_mask(rows):
    """32-bit DIB of an icon or cursor image: BGRA rows plus the AND mask."""
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0,
                       0)
    return info + bytes(xor) + bytes(mask)


def icon_file_bytes(images, hotspot=None):
    """An .ico (or, with a hotspot, a .cur) file of the given images."""
    kind = 1 if hotspot is None else 2
    out = struct.pack("<HHH", 0, kind, len(images))
    blobs = [dib_with_mask(rows) for rows in images]
    offset = 6 + 16 * len(images)
    for rows, blob in zip(images, blobs):
        w, h = len(rows[0]), len(rows)
        if hotspot is None:
            planes_or_x, bits_or_y = 1, 32
        else:
            planes_or_x, bits_or_y = hotspot
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, planes_or_x, bits_or_y,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res")
    files = {}
    # The main button's pictures at 100 % keep their plain names; the others
    # end in the DPI they are drawn for.
    for dpi in SCALES:
        suffix = "" if dpi == 96 else "_%d" % dpi
        scale = dpi / 96.0
        for name, draw in (("single", single_camera), ("multi", two_cameras),
                           ("folder", folder)):
            files["%s_normal%s.bmp" % (name, suffix)] = bmp_bytes(draw(GREY, scale))
            files["%s_pressed%s.bmp" % (name, suffix)] = bmp_bytes(draw(BLUE, scale))
    files.update({
        "Lorik.ico": icon_file_bytes([app_icon(n, False) for n in ICON_SIZES]),
        "LorikWindow.ico": icon_file_bytes([app_icon(n, True) for n in ICON_SIZES]),
        # The picker's picture is a small icon: 16 pixels at 100 %.
        "picker.ico": icon_file_bytes([picker_icon(16 * dpi // 96) for dpi in SCALES]),
        "drag.cur": icon_file_bytes([drag_cursor()], hotspot=(16, 16)),
    })
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(name, len(data), "bytes")


if __name__ == "__main__":
    main()
