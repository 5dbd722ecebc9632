"""Drawing primitives shared by every skin picture.

Layout code speaks in 100 % pixels only. A picture is drawn at one display
scale at a time (`at_scale`), and everything here multiplies on the way to the
picture: shapes and line widths by the scale, fonts at the scaled size, and
the rectangles the program reads from Main.ini / Composite.ini edge by edge by
the one rounding rule the program uses too (`edge`), so rectangles that share
an edge at 100 % share it at every scale.

Shapes are drawn SS times larger and box-filtered down, so a region whose
rectangle lies on whole pixels maps to whole blocks of the large picture and
nothing drawn inside it bleeds outside. Text is drawn at final size, where the
font rasteriser hints it for the screen.
"""

from contextlib import contextmanager
from dataclasses import dataclass
from functools import lru_cache
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4  # supersampling factor for shapes

FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")
FONT_FILES = {
    "regular": "DejaVuSans.ttf",
    "bold": "DejaVuSans-Bold.ttf",
    "cond": "DejaVuSansCondensed.ttf",
    "cond-bold": "DejaVuSansCondensed-Bold.ttf",
}

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

PERCENTS = (100, 125, 150, 175, 200)
_percent = 100  # the scale being drawn


@contextmanager
def at_scale(percent):
    """Draws everything inside the block at percent of the 100 % layout."""
    global _percent
    saved, _percent = _percent, percent
    try:
        yield
    finally:
        _percent = saved


def percent():
    return _percent


def scale_edge(v, p):
    """A stored coordinate (an edge, v >= 0) at percent p: the program's rule."""
    return (v * p + 50) // 100


def edge(v):
    return scale_edge(v, _percent)


def px(v):
    """A length or position of a shape or text at the current scale, unrounded."""
    return v * _percent / 100


@lru_cache(maxsize=None)
def _font_file(weight, size):
    return ImageFont.truetype(str(FONT_DIR / FONT_FILES[weight]), size)


class Font:
    """A font named at its 100 % size; `scaled` is the face drawn at the current scale, and
    widths asked of it are in 100 % pixels so layout code can place things with them."""

    def __init__(self, size, weight):
        self.size, self.weight = size, weight

    @property
    def scaled(self):
        return _font_file(self.weight, max(1, round(self.size * _percent / 100)))

    def getlength(self, text):
        return _font_file(self.weight, self.size).getlength(text)

    def getbbox(self, text, anchor=None):
        return _font_file(self.weight, self.size).getbbox(text, anchor=anchor)


@lru_cache(maxsize=None)
def font(size, weight="bold"):
    return Font(size, weight)


def mix(a, b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def S(v):
    return round(v * SS * _percent / 100)


def sbox(box):
    return tuple(S(v) for v in box)


@dataclass(frozen=True)
class Rect:
    x: int
    y: int
    w: int
    h: int

    @property
    def right(self):
        return self.x + self.w

    @property
    def bottom(self):
        return self.y + self.h

    def overlaps(self, o):
        return (self.x < o.right and o.x < self.right
                and self.y < o.bottom and o.y < self.bottom)

    def box(self):
        return (self.x, self.y, self.right, self.bottom)

    def scaled(self, p=None):
        """This stored rectangle at percent p (the current scale if None), edge by edge."""
        p = _percent if p is None else p
        x, y = scale_edge(self.x, p), scale_edge(self.y, p)
        return Rect(x, y, scale_edge(self.right, p) - x, scale_edge(self.bottom, p) - y)


class Surface:
    """A large (SS x) picture addressed in final-pixel coordinates."""

    def __init__(self, img):
        self.img = img
        self.draw = ImageDraw.Draw(img)

    @classmethod
    def new(cls, w, h, colour=BLACK):
        return cls(Image.new("RGB", (edge(w) * SS, edge(h) * SS), colour))

    def rrect(self, box, r, fill=None, outline=None, width=0):
        x0, y0, x1, y1 = sbox(box)
        self.draw.rounded_rectangle((x0, y0, x1 - 1, y1 - 1), S(r), fill=fill,
                                    outline=outline, width=S(width))

    def gradient(self, box, r, top, bottom):
        """Rounded rectangle filled with a vertical gradient."""
        x0, y0, x1, y1 = sbox(box)
        w, h = x1 - x0, y1 - y0
        if w <= 0 or h <= 0:
            return
        ramp = Image.linear_gradient("L").resize((w, h), Image.BILINEAR)
        fill = Image.composite(Image.new("RGB", (w, h), bottom),
                               Image.new("RGB", (w, h), top), ramp)
        shape = Image.new("L", (w, h), 0)
        ImageDraw.Draw(shape).rounded_rectangle((0, 0, w - 1, h - 1), S(r), fill=255)
        self.img.paste(fill, (x0, y0), shape)

    def glow(self, box, r, colour, width, blur, strength=1.0):
        """A soft ring of light along a rounded rectangle."""
        layer = Image.new("L", self.img.size, 0)
        x0, y0, x1, y1 = sbox(box)
        ImageDraw.Draw(layer).rounded_rectangle((x0, y0, x1 - 1, y1 - 1), S(r),
                                                outline=255, width=S(width))
        layer = layer.filter(ImageFilter.GaussianBlur(px(blur) * SS))
        if strength != 1.0:
            layer = layer.point(lambda v: min(255, round(v * strength)))
        self.img.paste(Image.new("RGB", self.img.size, colour), (0, 0), layer)

    def polygon(self, pts, fill):
        self.draw.polygon([(S(x), S(y)) for x, y in pts], fill=fill)

    def line(self, pts, fill, width, joint="curve"):
        self.draw.line([(S(x), S(y)) for x, y in pts], fill=fill, width=S(width),
                       joint=joint)
        # Round caps, which ImageDraw does not draw itself.
        rad = width / 2
        for x, y in (pts[0], pts[-1]):
            self.ellipse((x - rad, y - rad, x + rad, y + rad), fill=fill)

    def ellipse(self, box, fill=None, outline=None, width=0):
        x0, y0, x1, y1 = sbox(box)
        self.draw.ellipse((x0, y0, x1 - 1, y1 - 1), fill=fill, outline=outline,
                          width=S(width))

    def arc(self, box, start, end, fill, width):
        x0, y0, x1, y1 = sbox(box)
        self.draw.arc((x0, y0, x1 - 1, y1 - 1), start, end, fill=fill, width=S(width))

    def text(self, xy, text, size, weight, fill, anchor="ls", spacing=0.0):
        """Large text drawn at supersampled size (logos, headings)."""
        f = _font_file(weight, S(size))
        x, y = xy
        if not spacing:
            self.draw.text((S(x), S(y)), text, font=f, fill=fill, anchor=anchor)
            return
        for ch in text:
            self.draw.text((S(x), S(y)), ch, font=f, fill=fill, anchor=anchor)
            x += f.getlength(ch) / (SS * _percent / 100) + spacing

    def crop(self, rect):
        """The stored rectangle rect of this picture, as the program cuts it at this scale."""
        r = rect.scaled()
        return Surface(self.img.crop(tuple(v * SS for v in r.box())))

    def reduce(self):
        return self.img.reduce(SS)


def text_width(text, f):
    """Width in 100 % pixels, for placing things beside the text."""
    return f.getlength(text)


def scaled_width(text, f):
    """Width in pixels of the text as drawn at the current scale."""
    return f.scaled.getlength(text)


def cap_height(f):
    return -f.getbbox("H", anchor="ls")[1]


# Every label measured against the room it has: (language, percent, text, width, room) in
# pixels of the scale drawn. The generator's last check reads it.
FITS = []
language = None  # set by whoever draws a language's set, for the record above


def fits(text, f, room):
    """Whether text in f fits room 100 % pixels at the current scale."""
    return scaled_width(text, f) <= px(room)


def need_fit(text, f, room):
    """Records text in f against its room and stops if it does not fit; returns f."""
    width, limit = scaled_width(text, f), px(room)
    FITS.append((language, _percent, text, width, limit))
    if width > limit:
        raise AssertionError(f"label {text!r} is {width:.1f} px wide at {_percent} %, "
                             f"its place {limit:.1f} px")
    return f


def fit_font(text, width, size, weight, smallest=7):
    """The largest font, from size down, in which text fits width pixels at the current scale."""
    for s in range(size, smallest - 1, -1):
        f = font(s, weight)
        if fits(text, f, width):
            return need_fit(text, f, width)
    raise ValueError(f"label {text!r} does not fit in {width} px at {_percent} %")


def _text_at(img, xy, text, f, fill):
    x, y = xy
    ImageDraw.Draw(img).text((px(x), round(px(y))), text, font=f.scaled, fill=fill, anchor="ls")


def label(img, text, f, fill, cx, baseline):
    """Draws text on a final-size picture, centred on cx, sitting on baseline."""
    ImageDraw.Draw(img).text((px(cx) - scaled_width(text, f) / 2, round(px(baseline))), text,
                             font=f.scaled, fill=fill, anchor="ls")


def label_left(img, text, f, fill, x, baseline):
    _text_at(img, (x, baseline), text, f, fill)


def label_right(img, text, f, fill, right, baseline):
    _text_at(img, (right - scaled_width(text, f) / (_percent / 100), baseline), text, f, fill)


def paste(img, piece, x, y):
    """Pastes a region drawn at the current scale at its stored top left corner."""
    img.paste(piece, (edge(x), edge(y)))


def centred_label(img, text, f, fill, box):
    """Text centred in box by width and by capital height."""
    x0, y0, x1, y1 = box
    baseline = (y0 + y1) / 2 + cap_height(f) / 2
    label(img, text, f, fill, (x0 + x1) / 2, round(baseline))


def differing_pixels(a, b):
    """How many pixels of two same-size RGB pictures differ."""
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB"))
    r, g, b_ = diff.split()
    most = ImageChops.lighter(ImageChops.lighter(r, g), b_)
    return most.width * most.height - most.histogram()[0]


def all_black(img, box):
    return img.crop(box).convert("RGB").getextrema() == ((0, 0), (0, 0), (0, 0))


def save_bmp(img, path):
    """Uncompressed 24-bit Windows bitmap."""
    path.parent.mkdir(parents=True, exist_ok=True)
    img.convert("RGB").save(path, "BMP")


def save_png(img, path):
    """24-bit PNG, compressed as far as zlib goes; no time or text chunks, so runs agree."""
    path.parent.mkdir(parents=True, exist_ok=True)
    img.convert("RGB").save(path, "PNG", optimize=True)


def write_ini(path, section, values, more=()):
    """INI file in UTF-16LE with a byte-order mark and CRLF line ends, the form
    the private-profile functions read as Unicode. `more` holds further
    (section, values) pairs, written after the first."""
    lines = []
    for name, entries in [(section, values)] + list(more):
        lines += [f"[{name}]"] + [f"{k}={v}" for k, v in entries]
    text = "\r\n".join(lines) + "\r\n"
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))


def read_ini(path):
    """Reads back what write_ini wrote: ([section], {key: value})."""
    raw = path.read_bytes()
    if not raw.startswith(b"\xff\xfe"):
        raise AssertionError(f"{path.name}: no UTF-16LE byte-order mark")
    text = raw[2:].decode("utf-16-le")
    if "\n" in text.replace("\r\n", ""):
        raise AssertionError(f"{path.name}: bare LF line end")
    sections, values = [], {}
    for line in text.split("\r\n"):
        if line.startswith("["):
            sections.append(line.strip("[]"))
        elif line:
            k, v = line.split("=", 1)
            values[k] = v
    return sections, values
