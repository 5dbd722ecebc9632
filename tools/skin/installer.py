#!/usr/bin/env python3
"""The installer's own pictures: the header of its inner pages (150 x 57) and the side picture of
its welcome and finish pages (164 x 314), cut from the main window's skin pictures so that the
installer looks like the program it installs: the dark case, the logo, a few keycaps and one of
them lit as an assigned key is.

    python3 tools/skin/installer.py

generate.py calls it after drawing the main window; alone, it reads the pictures in assets/skin.
Plain Python: it only cuts, scales and pastes what the skin already drew.
"""

import struct
from pathlib import Path

HEADER_SIZE = (150, 57)
SIDE_SIZE = (164, 314)

CASE_TOP = (47, 51, 58)       # style.CASE_TOP / CASE_BOTTOM: the case's gradient
CASE_BOTTOM = (28, 31, 36)
ACCENT = (56, 208, 255)       # style.ACCENT
LOGO = (38, 8, 176, 32)       # where main_window.py draws the logo: x, y, w, h
MEDIA_ROW = (30, 48, 230, 46)  # the media keys below it


class Picture:
    def __init__(self, width, height, pixels=None):
        self.width, self.height = width, height
        self.pixels = pixels or [(0, 0, 0)] * (width * height)

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def crop(self, x, y, w, h):
        return Picture(w, h, [self.get(x + i, y + j) for j in range(h) for i in range(w)])

    def scaled(self, w, h):
        """Area-averaged scaling down (each target pixel the mean of the source pixels it covers)."""
        out = Picture(w, h)
        for j in range(h):
            y0, y1 = j * self.height / h, (j + 1) * self.height / h
            for i in range(w):
                x0, x1 = i * self.width / w, (i + 1) * self.width / w
                total, weight = [0.0, 0.0, 0.0], 0.0
                for sy in range(int(y0), min(self.height, int(y1 + 0.999))):
                    wy = min(y1, sy + 1) - max(y0, sy)
                    for sx in range(int(x0), min(self.width, int(x1 + 0.999))):
                        wgt = wy * (min(x1, sx + 1) - max(x0, sx))
                        if wgt <= 0:
                            continue
                        c = self.get(sx, sy)
                        for k in range(3):
                            total[k] += c[k] * wgt
                        weight += wgt
                out.put(i, j, tuple(round(t / weight) for t in total))
        return out

    def paste(self, other, x, y):
        for j in range(other.height):
            for i in range(other.width):
                self.put(x + i, y + j, other.get(i, j))


def case(width, height):
    """The case's vertical gradient."""
    pic = Picture(width, height)
    for y in range(height):
        t = y / max(height - 1, 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(CASE_TOP, CASE_BOTTOM))
        for x in range(width):
            pic.put(x, y, colour)
    return pic


def read_bmp(path):
    data = Path(path).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        raise ValueError(f"{path}: not an uncompressed 24-bit bitmap")
    rows, stride = abs(height), (width * 3 + 3) & ~3
    pic = Picture(width, rows)
    for r in range(rows):
        y = rows - 1 - r if height > 0 else r
        base = offset + r * stride
        for x in range(width):
            b, g, red = data[base + 3 * x: base + 3 * x + 3]
            pic.put(x, y, (red, g, b))
    return pic


def write_bmp(pic, path):
    """Uncompressed 24-bit bottom-up bitmap, as the installer's pages load it."""
    stride = (pic.width * 3 + 3) & ~3
    body = bytearray()
    for y in range(pic.height - 1, -1, -1):
        row = bytearray()
        for x in range(pic.width):
            red, g, b = pic.get(x, y)
            row += bytes((b, g, red))
        body += row + b"\0" * (stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, pic.width, pic.height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(header + info + bytes(body))


def header(normal, down):
    w, h = HEADER_SIZE
    pic = case(w, h)
    logo = normal.crop(*LOGO)
    pic.paste(logo.scaled(132, 24), 9, 4)
    keys = normal.crop(*MEDIA_ROW)
    lit = down.crop(*MEDIA_ROW)
    # The second key lit, as an assigned key shows on the window.
    lit_part = lit.crop(MEDIA_ROW[2] // 4, 0, MEDIA_ROW[2] // 4, MEDIA_ROW[3])
    keys.paste(lit_part, MEDIA_ROW[2] // 4, 0)
    pic.paste(keys.scaled(132, 27), 9, 29)
    return pic


def side(normal, down):
    w, h = SIDE_SIZE
    pic = case(w, h)
    pic.paste(normal.crop(*LOGO).scaled(140, 25), 12, 40)
    for x in range(12, w - 12):
        for y in (72, 73):
            pic.put(x, y, ACCENT)
    keys = normal.crop(*MEDIA_ROW)
    lit = down.crop(*MEDIA_ROW)
    for row in range(3):
        line = keys.crop(0, 0, keys.width, keys.height)
        # One lit key per row, a different one each time.
        quarter = MEDIA_ROW[2] // 4
        line.paste(lit.crop(quarter * (row + 1) % MEDIA_ROW[2], 0, quarter, MEDIA_ROW[3]),
                   quarter * (row + 1) % MEDIA_ROW[2], 0)
        pic.paste(line.scaled(140, 29), 12, 190 + row * 34)
    return pic


def write(skin, folder):
    """Writes both pictures into folder from the main window's pictures in skin; returns their paths."""
    normal, down = read_bmp(skin / "main_normal.bmp"), read_bmp(skin / "main_down.bmp")
    written = []
    for name, pic, size in (("installer_header.bmp", header(normal, down), HEADER_SIZE),
                            ("installer_side.bmp", side(normal, down), SIDE_SIZE)):
        if (pic.width, pic.height) != size:
            raise ValueError(f"{name} is {pic.width}x{pic.height}, the installer's pages show {size}")
        path = folder / name
        write_bmp(pic, path)
        written.append(path)
    return written


if __name__ == "__main__":
    root = Path(__file__).resolve().parents[2]
    for path in write(root / "assets" / "skin", root / "resources"):
        print(f"wrote {path.relative_to(root)} ({path.stat().st_size} bytes)")
