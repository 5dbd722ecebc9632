"""The application icon: a dark keycap with the cyan slash of the logo, in the sizes Windows
asks for (16, 24, 32, 48, 64, 256)."""

from PIL import Image, ImageDraw

import style

SIZES = [16, 24, 32, 48, 64, 256]


def render(size):
    scale = 4
    s = size * scale
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    pad = max(1, s // 16)
    radius = s // 5
    # The case around the cap, then the cap's face with a lighter top.
    d.rounded_rectangle((pad, pad, s - pad - 1, s - pad - 1), radius=radius, fill=style.CASE_BOTTOM + (255,))
    inset = pad + s // 10
    d.rounded_rectangle((inset, inset, s - inset - 1, s - inset - 1), radius=radius * 3 // 4,
                        fill=style.NORMAL.face_bottom + (255,))
    d.rounded_rectangle((inset, inset, s - inset - 1, s - inset - s // 8), radius=radius * 3 // 4,
                        fill=style.NORMAL.face_top + (255,))
    # The slash of the logo.
    w = s // 7
    x0, x1 = s * 0.60, s * 0.40
    y0, y1 = s * 0.24, s * 0.76
    d.polygon([(x0, y0), (x0 + w, y0), (x1 + w, y1), (x1, y1)], fill=style.ACCENT + (255,))
    return img.resize((size, size), Image.LANCZOS)


def write(path):
    images = [render(size) for size in SIZES]
    images[-1].save(path, format="ICO", sizes=[(s, s) for s in SIZES], append_images=images[:-1])
