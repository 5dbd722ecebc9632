"""Drawing primitives shared by every skin picture.

Shapes are drawn SS times larger and box-filtered down, so a region whose
rectangle lies on whole pixels maps to whole blocks of the large picture and
nothing drawn inside it bleeds outside. Text is drawn at final size, where the
font rasteriser hints it for the screen.
"""

from dataclasses import dataclass
from functools import lru_cache
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter, ImageFont

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


@lru_cache(maxsize=None)
def font(size, weight="bold"):
    return ImageFont.truetype(str(FONT_DIR / FONT_FILES[weight]), size)


def mix(a, b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def S(v):
    return round(v * SS)


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


class Surface:
    """A large (SS x) picture addressed in final-pixel coordinates."""

    def __init__(self, img):
        self.img = img
        self.draw = ImageDraw.Draw(img)

    @classmethod
    def new(cls, w, h, colour=BLACK):
        return cls(Image.new("RGB", (w * SS, h * SS), colour))

    @property
    def size(self):
        return (self.img.width // SS, self.img.height // SS)

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
        layer = layer.filter(ImageFilter.GaussianBlur(blur * SS))
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
        f = font(S(size), weight)
        x, y = xy
        if not spacing:
            self.draw.text((S(x), S(y)), text, font=f, fill=fill, anchor=anchor)
            return
        for ch in text:
            self.draw.text((S(x), S(y)), ch, font=f, fill=fill, anchor=anchor)
            x += f.getlength(ch) / SS + spacing

    def crop(self, rect):
        return Surface(self.img.crop(sbox(rect.box())))

    def paste(self, other, rect):
        self.img.paste(other.img, (S(rect.x), S(rect.y)))

    def reduce(self):
        return self.img.reduce(SS)


def text_width(text, f):
    return f.getlength(text)


def cap_height(f):
    return -f.getbbox("H", anchor="ls")[1]


def fit_font(text, width, size, weight, smallest=7):
    """The largest font, from size down, in which text fits width pixels."""
    for s in range(size, smallest - 1, -1):
        f = font(s, weight)
        if text_width(text, f) <= width:
            return f
    raise ValueError(f"label {text!r} does not fit in {width} px")


def label(img, text, f, fill, cx, baseline):
    """Draws text on a final-size picture, centred on cx, sitting on baseline."""
    ImageDraw.Draw(img).text((cx - text_width(text, f) / 2, baseline), text,
                             font=f, fill=fill, anchor="ls")


def label_left(img, text, f, fill, x, baseline):
    ImageDraw.Draw(img).text((x, baseline), text, font=f, fill=fill, anchor="ls")


def centred_label(img, text, f, fill, box):
    """Text centred in box by width and by capital height."""
    x0, y0, x1, y1 = box
    baseline = (y0 + y1) / 2 + cap_height(f) / 2
    label(img, text, f, fill, (x0 + x1) / 2, round(baseline))


def save_bmp(img, path):
    """Uncompressed 24-bit Windows bitmap."""
    path.parent.mkdir(parents=True, exist_ok=True)
    img.convert("RGB").save(path, "BMP")


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
