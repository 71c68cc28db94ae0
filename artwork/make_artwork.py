#!/usr/bin/env python3
"""Draws the program's artwork as small PNG files next to this script, the
program's icon at the sizes desktops and installers ask for in icons/ (PNG
files from 16 to 256 pixels and a Windows .ico), and the same artwork as
Windows icons and a cursor for the Win32 window in windows/.

The images are committed; run this again only to change them:
    python3 artwork/make_artwork.py
Uses the standard library alone (zlib for the PNG encoding).
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICONS = os.path.join(HERE, "icons")
CLEAR = (0, 0, 0, 0)


class Image:
    def __init__(self, size):
        self.size = size
        self.px = [[CLEAR for _ in range(size)] for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.size):
            for x in range(self.size):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def ring(self, cx, cy, r_out, r_in, colour, start=0.0, end=360.0):
        for y in range(self.size):
            for x in range(self.size):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                d2 = dx * dx + dy * dy
                if r_in * r_in <= d2 <= r_out * r_out:
                    angle = math.degrees(math.atan2(-dy, dx)) % 360
                    if start <= angle <= end:
                        self.put(x, y, colour)

    def polygon(self, points, colour):
        """Fills a polygon by testing every pixel centre."""
        n = len(points)
        for y in range(self.size):
            for x in range(self.size):
                px, py = x + 0.5, y + 0.5
                inside = False
                j = n - 1
                for i in range(n):
                    xi, yi = points[i]
                    xj, yj = points[j]
                    if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                        inside = not inside
                    j = i
                if inside:
                    self.put(x, y, colour)

    def png(self):
        raw = b"".join(
            b"\x00" + b"".join(struct.pack("BBBB", *p) for p in row) for row in self.px
        )

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        return (
            b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b"")
        )

    def dib(self):
        """The image as an icon directory's bitmap: 32-bit BGRA rows from the
        bottom up, then the 1-bit mask of transparent pixels."""
        n = self.size
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
        colour = b"".join(
            struct.pack("BBBB", b, g, r, a) for row in reversed(self.px) for (r, g, b, a) in row
        )
        stride = ((n + 31) // 32) * 4
        mask = b""
        for row in reversed(self.px):
            bits = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        return header + colour + mask

    def save(self, name, folder=HERE):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(self.png())


def save_ico(images, path, hot_spot=None):
    """A Windows icon file holding the images, the 256-pixel one as PNG (as
    Windows stores it) and the others as bitmaps, which every reader takes.
    With a hot spot (column, row) it is a cursor file instead."""
    blobs = [img.png() if img.size >= 256 else img.dib() for img in images]
    out = struct.pack("<HHH", 0, 2 if hot_spot else 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        side = img.size % 256  # 0 stands for 256
        planes, bits = hot_spot if hot_spot else (1, 32)
        out += struct.pack("<BBBBHHII", side, side, 0, 0, planes, bits, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def scaled(size, shapes, samples=4):
    """Draws shapes laid out on a 32-unit grid at any size, smoothing edges by
    sampling each pixel samples x samples times. Each shape is a colour and a
    test of a point of the grid; later shapes paint over earlier ones."""
    img = Image(size)
    unit = 32.0 / size
    for y in range(size):
        for x in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    gx = (x + (sx + 0.5) / samples) * unit
                    gy = (y + (sy + 0.5) / samples) * unit
                    colour = CLEAR
                    for paint, inside in shapes:
                        if inside(gx, gy):
                            colour = paint
                    a = colour[3]
                    for i in range(3):
                        total[i] += colour[i] * a
                    total[3] += a
            n = samples * samples
            alpha = total[3] / n
            if alpha > 0:
                img.put(x, y, tuple(round(total[i] / total[3]) for i in range(3)) + (round(alpha),))
    return img


def window_icon():
    """A folder with a curved arrow: files being given their names."""
    img = Image(32)
    dark = (120, 80, 0, 255)
    img.rect(2, 6, 13, 9, (230, 170, 40, 255))        # tab
    img.rect(2, 9, 29, 27, (250, 200, 60, 255))       # body
    img.frame(2, 9, 29, 27, dark)
    img.frame(2, 6, 13, 9, dark)
    img.rect(3, 10, 28, 11, (255, 230, 140, 255))     # highlight
    green = (20, 150, 40, 255)
    img.ring(16, 20, 8, 5, green, 20, 250)
    img.polygon([(20.5, 12.5), (27, 18.5), (27.5, 11)], green)
    return img


def in_box(x0, y0, x1, y1):
    """The pixels (x0, y0) to (x1, y1), inclusive, as a region of the grid."""
    return lambda x, y: x0 <= x < x1 + 1 and y0 <= y < y1 + 1


def in_frame(x0, y0, x1, y1):
    outer, inner = in_box(x0, y0, x1, y1), in_box(x0 + 1, y0 + 1, x1 - 1, y1 - 1)
    return lambda x, y: outer(x, y) and not inner(x, y)


def in_polygon(points):
    def inside(px, py):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            (xi, yi), (xj, yj) = points[i], points[j]
            if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def in_arc(cx, cy, r_out, r_in, start, end):
    def inside(x, y):
        dx, dy = x - cx, y - cy
        if not r_in * r_in <= dx * dx + dy * dy <= r_out * r_out:
            return False
        return start <= math.degrees(math.atan2(-dy, dx)) % 360 <= end
    return inside


def window_icon_at(size):
    """The window icon drawn smoothly at any size, for desktops and installers."""
    dark = (120, 80, 0, 255)
    green = (20, 150, 40, 255)
    return scaled(size, [
        ((230, 170, 40, 255), in_box(2, 6, 13, 9)),
        ((250, 200, 60, 255), in_box(2, 9, 29, 27)),
        (dark, in_frame(2, 9, 29, 27)),
        (dark, in_frame(2, 6, 13, 9)),
        ((255, 230, 140, 255), in_box(3, 10, 28, 11)),
        (green, in_arc(16, 20, 8, 5, 20, 250)),
        (green, in_polygon([(20.5, 12.5), (27, 18.5), (27.5, 11)])),
    ])


def logo():
    """Three stacked tiles in the colours of the sort folders."""
    img = Image(32)
    tiles = [
        ((200, 40, 40, 255), 2, 3),
        ((40, 160, 60, 255), 7, 11),
        ((50, 90, 220, 255), 12, 19),
    ]
    for colour, x, y in tiles:
        img.rect(x, y, x + 17, y + 9, colour)
        img.frame(x, y, x + 17, y + 9, (10, 10, 10, 255))
        img.rect(x + 2, y + 2, x + 9, y + 3, (255, 255, 255, 255))
        img.rect(x + 2, y + 5, x + 13, y + 6, (230, 230, 230, 255))
    return img


def info_icon(size):
    """A blue disc with a white "i"."""
    img = Image(size)
    s = size / 32.0
    img.disc(16 * s, 16 * s, 15 * s, (0, 0, 128, 255))
    img.disc(16 * s, 16 * s, 13 * s, (30, 80, 200, 255))
    white = (255, 255, 255, 255)
    img.disc(16 * s, 8.5 * s, 2.5 * s, white)
    img.rect(int(14 * s), int(13 * s), int(17.5 * s), int(24 * s), white)
    img.rect(int(12 * s), int(23 * s), int(19.5 * s), int(25 * s), white)
    return img


def folder_icon(opened):
    """A small folder for the folder list, its front flap folded down when
    open (where the system offers no folder icons of its own)."""
    img = Image(16)
    dark = (120, 80, 0, 255)
    img.rect(1, 2, 6, 4, (230, 170, 40, 255))
    img.frame(1, 2, 6, 4, dark)
    if not opened:
        img.rect(1, 4, 14, 13, (250, 200, 60, 255))
        img.frame(1, 4, 14, 13, dark)
        return img
    img.rect(1, 4, 12, 13, (210, 150, 30, 255))
    img.frame(1, 4, 12, 13, dark)
    img.polygon([(4, 7), (16, 7), (13.5, 14), (1, 14)], dark)
    img.polygon([(5, 8), (14.6, 8), (12.8, 13), (2.4, 13)], (255, 215, 100, 255))
    return img


# A pointing hand, index finger up; the fingertip is column 12, row 1.
HAND = """
............##..................
...........#..#.................
...........#..#.................
...........#..#.................
...........#..#.................
...........#..#.................
...........#..###...............
...........#..#..###............
...........#..#..#..##..........
........##.#..#..#..#.#.........
........#.##..#..#..#..#........
........#..#..........#.#.......
.........#.#............#.......
.........#..............#.......
..........#.............#.......
..........#............#........
...........#...........#........
...........#..........#.........
............#.........#.........
............#.........#.........
............##########..........
"""


def hand_cursor():
    img = Image(32)
    rows = [r for r in HAND.strip("\n").split("\n")]
    black = (0, 0, 0, 255)
    white = (255, 255, 255, 255)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == "#":
                img.put(x, y, black)
    # Fill the inside of the outline with white, row by row between the
    # outermost black pixels of the hand's shape.
    for y, row in enumerate(rows):
        xs = [x for x, ch in enumerate(row) if ch == "#"]
        if len(xs) >= 2:
            for x in range(xs[0] + 1, xs[-1]):
                if img.px[y][x] == CLEAR and inside_hand(rows, x, y):
                    img.put(x, y, white)
    return img


def inside_hand(rows, x, y):
    """True when an outline pixel lies on both sides of (x, y) in its row
    and above it in its column: the hand is closed at the top and bottom."""
    row = rows[y]
    left = any(ch == "#" for ch in row[:x])
    right = any(ch == "#" for ch in row[x + 1:])
    up = any(rows[r][x] == "#" for r in range(0, y) if x < len(rows[r]))
    down = any(rows[r][x] == "#" for r in range(y + 1, len(rows)) if x < len(rows[r]))
    return left and right and up and down


if __name__ == "__main__":
    window_icon().save("converter-icon.png")
    logo().save("logo.png")
    info_icon(32).save("info-icon-32.png")
    info_icon(16).save("info-icon-16.png")
    hand_cursor().save("hand.png")
    # The program's icon for desktops (hicolor PNGs) and for Windows (.ico);
    # at 32 pixels it is the window icon itself.
    os.makedirs(ICONS, exist_ok=True)
    icons = [window_icon() if n == 32 else window_icon_at(n) for n in (16, 24, 32, 48, 64, 128, 256)]
    for img in icons:
        img.save("tarnel-cache-converter-%d.png" % img.size, ICONS)
    save_ico(icons, os.path.join(ICONS, "tarnel-cache-converter.ico"))
    # The Win32 window's artwork: the logo, the about window's icon, the
    # folder list's folders and the hand pointer (hot spot at the fingertip).
    windows = os.path.join(HERE, "windows")
    os.makedirs(windows, exist_ok=True)
    save_ico([logo()], os.path.join(windows, "logo.ico"))
    save_ico([info_icon(32), info_icon(16)], os.path.join(windows, "info-icon.ico"))
    save_ico([folder_icon(True)], os.path.join(windows, "folder-open.ico"))
    save_ico([folder_icon(False)], os.path.join(windows, "folder-closed.ico"))
    save_ico([hand_cursor()], os.path.join(windows, "hand.cur"), (12, 1))
