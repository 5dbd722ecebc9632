"""Pictures: the skin's bitmaps and what the X server shows, as RGB images; the pixels a
comparison looks at, and where two pictures differ."""

import struct
import zlib

from report import Failure


class Image:
    """RGB pixels, rows top to bottom, three bytes a pixel."""

    __slots__ = ("width", "height", "data")

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = bytes(data)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x, y, width, height):
        rows = [self.data[((y + r) * self.width + x) * 3:((y + r) * self.width + x + width) * 3]
                for r in range(height)]
        return Image(width, height, b"".join(rows))

    def paste(self, other, x, y):
        """A copy of this image with `other` copied in at (x, y)."""
        data = bytearray(self.data)
        for r in range(other.height):
            start = ((y + r) * self.width + x) * 3
            data[start:start + other.width * 3] = other.data[r * other.width * 3:(r + 1) * other.width * 3]
        return Image(self.width, self.height, data)


def load_bmp(path):
    """A 24-bit uncompressed Windows bitmap, read with the standard library only."""
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise Failure(f"{path} is not a Windows bitmap")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        raise Failure(f"{path}: {bits} bits a pixel, compression {compression}; expected 24 and none")
    stride = (width * 3 + 3) & ~3
    rows = []
    for r in range(abs(height)):
        source = (abs(height) - 1 - r) if height > 0 else r  # positive height: stored bottom-up
        bgr = data[offset + source * stride:offset + source * stride + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return Image(width, abs(height), b"".join(rows))


def load_png(path):
    """An 8-bit truecolour PNG without interlacing (what the skin generator writes), read with the
    standard library only."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(f"{path} is not a PNG picture")
    at, chunks, header = 8, [], None
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 2 or interlace != 0:
        raise Failure(f"{path}: depth {depth}, colour type {colour}, interlace {interlace}; expected 8, 2, 0")
    raw, stride, out, previous = zlib.decompress(b"".join(chunks)), width * 3, bytearray(), bytearray(width * 3)
    for r in range(height):
        kind, row = raw[r * (stride + 1)], bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - 3] if i >= 3 else 0
            b, c = previous[i], previous[i - 3] if i >= 3 else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        out += row
        previous = row
    return Image(width, height, out)


class Selection:
    """The pixels a comparison looks at: for each row, spans [x0, x1) of columns."""

    def __init__(self, width, height, rows=None):
        self.width = width
        self.height = height
        self.rows = rows if rows is not None else [[(0, width)] for _ in range(height)]

    @staticmethod
    def inside_mask(mask):
        """Every pixel that a mask picture keeps: all but the exactly white ones."""
        rows = []
        white = b"\xff\xff\xff"
        for y in range(mask.height):
            row = mask.data[y * mask.width * 3:(y + 1) * mask.width * 3]
            spans, start = [], None
            for x in range(mask.width):
                kept = row[x * 3:x * 3 + 3] != white
                if kept and start is None:
                    start = x
                elif not kept and start is not None:
                    spans.append((start, x))
                    start = None
            if start is not None:
                spans.append((start, mask.width))
            rows.append(spans)
        return Selection(mask.width, mask.height, rows)

    def without(self, rects):
        """This selection less the rectangles (x, y, width, height)."""
        rows = [list(spans) for spans in self.rows]
        for x, y, width, height in rects:
            for r in range(max(y, 0), min(y + height, self.height)):
                cut = []
                for a, b in rows[r]:
                    if b <= x or a >= x + width:
                        cut.append((a, b))
                        continue
                    if a < x:
                        cut.append((a, x))
                    if b > x + width:
                        cut.append((x + width, b))
                rows[r] = cut
        return Selection(self.width, self.height, rows)


class Difference:
    """Where a picture on screen differs from the expected one, within a selection of pixels."""

    def __init__(self, actual, expected, selection=None, limit=8):
        self.count = 0
        self.compared = 0
        self.samples = []
        width = expected.width
        selection = selection or Selection(width, expected.height)
        for y, spans in enumerate(selection.rows):
            base = y * width * 3
            for a, b in spans:
                self.compared += b - a
                part_a = actual.data[base + a * 3:base + b * 3]
                part_e = expected.data[base + a * 3:base + b * 3]
                if part_a == part_e:
                    continue
                for x in range(a, b):
                    i = (x - a) * 3
                    if part_a[i:i + 3] != part_e[i:i + 3]:
                        self.count += 1
                        if len(self.samples) < limit:
                            self.samples.append((x, y, tuple(part_a[i:i + 3]), tuple(part_e[i:i + 3])))

    def __bool__(self):
        return self.count > 0

    def describe(self):
        shown = ", ".join(f"({x},{y}) #{a[0]:02x}{a[1]:02x}{a[2]:02x} instead of #{e[0]:02x}{e[1]:02x}{e[2]:02x}"
                          for x, y, a, e in self.samples)
        return f"{self.count} of {self.compared} pixels differ, e.g. {shown}"
