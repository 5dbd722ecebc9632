"""The product's look: case, recessed panels, keycaps, buttons and icons.

Every window of the product is drawn from these pieces, so the main window and
the key assignment dialog share one case colour, one keycap and one font.
"""

import random
from dataclasses import dataclass

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import paint
from paint import SS, S, Surface, mix

CASE_TOP = (47, 51, 58)
CASE_BOTTOM = (28, 31, 36)
CASE_TEXT = (132, 140, 152)        # legends printed on the case
CASE_TEXT_DIM = (96, 103, 114)
ACCENT = (56, 208, 255)            # cyan of the logo and of hover light
AMBER = (255, 160, 40)
PLATE_LIP = (62, 67, 76)
PLATE_TOP = (11, 12, 15)
PLATE_BOTTOM = (22, 24, 29)


@dataclass(frozen=True)
class Look:
    """How one keycap or button is lit."""
    name: str
    face_top: tuple
    face_bottom: tuple
    skirt: tuple
    rim: tuple
    text: tuple
    subtext: tuple
    glow: tuple = None
    pressed: bool = False


NORMAL = Look("normal", face_top=(72, 77, 87), face_bottom=(52, 56, 64),
              skirt=(36, 39, 45), rim=(14, 15, 18),
              text=(232, 236, 241), subtext=(150, 158, 170))
OVER = Look("over", face_top=(38, 102, 126), face_bottom=(22, 66, 84),
            skirt=(14, 46, 60), rim=(92, 226, 255),
            text=(255, 255, 255), subtext=(176, 238, 255), glow=ACCENT)
DOWN = Look("down", face_top=(255, 184, 76), face_bottom=(236, 128, 22),
            skirt=(150, 74, 10), rim=(70, 34, 4),
            text=(44, 22, 0), subtext=(108, 58, 8), pressed=True)
DISABLED = Look("disabled", face_top=(45, 48, 54), face_bottom=(40, 43, 48),
                skirt=(31, 33, 38), rim=(18, 19, 22),
                text=(96, 102, 111), subtext=(80, 85, 93))

# Hover light of a button that closes something.
OVER_DANGER = Look("over", face_top=(128, 44, 44), face_bottom=(92, 26, 26),
                   skirt=(60, 16, 16), rim=(255, 110, 100),
                   text=(255, 255, 255), subtext=(255, 200, 196), glow=(255, 80, 70))

MARGIN = 2  # room inside a region for the hover glow


def face_box(w, h, look):
    """Top face of a keycap inside a w x h region; a pressed cap sits lower."""
    m = MARGIN
    if look.pressed:
        return (m + 2.5, m + 3.0, w - m - 2.5, h - m - 2.0)
    return (m + 3.0, m + 1.5, w - m - 3.0, h - m - 4.5)


def keycap(surf, w, h, look, radius=5.0):
    """Draws a keycap filling a w x h region of surf; returns its top face."""
    m = MARGIN
    if look.glow:
        surf.glow((m - 1, m - 1, w - m + 1, h - m + 1), radius + 1, look.glow,
                  width=1.6, blur=0.9, strength=1.4)
    surf.rrect((m, m, w - m, h - m), radius, fill=look.rim)
    surf.rrect((m + 0.8, m + 0.8, w - m - 0.8, h - m - 0.8), radius - 0.6,
               fill=look.skirt)
    face = face_box(w, h, look)
    surf.gradient(face, max(radius - 1.5, 1.0), look.face_top, look.face_bottom)
    # A thin sheen along the upper edge of the face.
    x0, y0, x1, _ = face
    surf.rrect((x0 + 1.5, y0 + 0.4, x1 - 1.5, y0 + 1.2), 0.4,
               fill=mix(look.face_top, (255, 255, 255), 0.18))
    return face


def button(base, rect, look, caption="", icon=None, size=12, icon_size=None,
           icon_colour=None):
    """A labelled button face: the region rect of the large base picture in
    look, final size. An icon, if any, stands left of the caption."""
    surf = base.crop(rect)
    face = keycap(surf, rect.w, rect.h, look, radius=4.0 if rect.h < 30 else 5.0)
    x0, y0, x1, y1 = face
    s = icon_size or round(size * 0.95)
    gap = 6 if icon and caption else 0
    room = x1 - x0 - 6 - ((s + gap) if icon else 0)
    f = paint.fit_font(caption, room, size, "bold") if caption else None
    total = ((s + gap) if icon else 0) + (paint.text_width(caption, f) if caption else 0)
    left = (x0 + x1) / 2 - total / 2
    cy = (y0 + y1) / 2
    if icon:
        ICONS[icon](surf, left + s / 2, cy, s, icon_colour or look.text)
    img = surf.reduce()
    if caption:
        paint.label_left(img, caption, f, look.text, round(left + ((s + gap) if icon else 0)),
                         round(cy + paint.cap_height(f) / 2))
    return img


CHECK_BOX = 18  # side of a check box's box


def check_box(base, rect, look, caption, size=12, radio=False):
    """A check box face: the region rect of the large base picture in look,
    final size. NORMAL is unticked, OVER the hover light, DOWN ticked,
    DISABLED greyed. The whole rectangle is the click target, so the hover
    light covers it; the box stands at its left, the label after it. A radio
    face is one choice of several: a round box, a dot while chosen."""
    surf = base.crop(rect)
    w, h = rect.w, rect.h
    if look is OVER:
        surf.rrect((1, 1, w - 1, h - 1), 6, fill=(20, 54, 70))
        surf.rrect((1, 1, w - 1, h - 1), 6, outline=(40, 118, 146), width=1)
    b = CHECK_BOX
    x0, y0 = 7, (h - b) / 2
    box = (x0, y0, x0 + b, y0 + b)
    corner = b / 2 if radio else 4
    if look is DOWN:
        surf.rrect(box, corner, fill=DOWN.rim)
        surf.gradient((x0 + 1, y0 + 1, x0 + b - 1, y0 + b - 1), corner - 1, DOWN.face_top, DOWN.face_bottom)
        if radio:
            d = b * 0.22
            surf.ellipse((x0 + b / 2 - d, y0 + b / 2 - d, x0 + b / 2 + d, y0 + b / 2 + d), fill=DOWN.text)
        else:
            surf.line([(x0 + b * 0.24, y0 + b * 0.52), (x0 + b * 0.43, y0 + b * 0.72),
                       (x0 + b * 0.78, y0 + b * 0.3)], DOWN.text, 2.4)
    else:
        lip, top, bottom = {
            "over": ((92, 226, 255), (8, 24, 31), (14, 34, 43)),
            "disabled": ((40, 43, 49), (20, 21, 24), (24, 26, 30)),
        }.get(look.name, ((104, 111, 124), (6, 7, 9), (16, 17, 21)))
        if look.glow:
            surf.glow((x0 - 0.5, y0 - 0.5, x0 + b + 0.5, y0 + b + 0.5), corner + 0.5, look.glow,
                      width=1.4, blur=0.8, strength=1.2)
        surf.rrect(box, corner, fill=lip)
        surf.gradient((x0 + 1.2, y0 + 1.2, x0 + b - 1.2, y0 + b - 1.2), corner - 1.2, top, bottom)
    img = surf.reduce()
    left = x0 + b + 8
    f = paint.fit_font(caption, w - 6 - left, size, "bold", smallest=9)
    text = DISABLED.text if look is DISABLED else OVER.text if look is OVER else NORMAL.text
    paint.label_left(img, caption, f, text, left, round(h / 2 + paint.cap_height(f) / 2))
    return img


def recess(surf, box, radius):
    """A panel sunk into the case: keys sit in it, controls lie on it."""
    x0, y0, x1, y1 = box
    surf.rrect(box, radius, fill=PLATE_LIP)
    surf.gradient((x0 + 1, y0 + 1, x1 - 1, y1 - 0.75), radius - 1, PLATE_TOP, PLATE_BOTTOM)


def case_surface(shape_hi, seed):
    """Brushed, anodised case filling the whole picture, with a chamfer
    along the outline given by the large shape picture shape_hi (mode L)."""
    w, h = shape_hi.size
    ramp = Image.linear_gradient("L").resize((w, h), Image.BILINEAR)
    img = Image.composite(Image.new("RGB", (w, h), CASE_BOTTOM),
                          Image.new("RGB", (w, h), CASE_TOP), ramp)
    # Brushing: long horizontal streaks, from a fixed seed so every run agrees.
    rng = random.Random(seed)
    cols, rows = max(2, w // S(60)), max(2, round(h / (SS * paint.px(1))))
    noise = Image.new("L", (cols, rows))
    noise.putdata([rng.randint(0, 4) for _ in range(cols * rows)])
    noise = noise.resize((w, h), Image.BICUBIC)
    img = ImageChops.add(img, Image.merge("RGB", (noise, noise, noise)), 1.0, -2)
    # Chamfer: a light band just inside the outline, brighter towards the top.
    inner = shape_hi.filter(ImageFilter.GaussianBlur(paint.px(1.2) * SS)).point(
        lambda v: 255 if v >= 250 else 0)
    band = ImageChops.subtract(shape_hi, inner)
    chamfer = Image.composite(Image.new("RGB", (w, h), (70, 75, 84)),
                              Image.new("RGB", (w, h), (118, 125, 136)), ramp)
    img.paste(chamfer, (0, 0), band)
    return Surface(img)


def shape_picture(w, h, draw_shape):
    """Large shape picture (mode L, 255 inside) and the final-size mask with
    exactly white outside and exactly black inside."""
    hi = Image.new("L", (paint.edge(w) * SS, paint.edge(h) * SS), 0)
    draw_shape(ImageDraw.Draw(hi))
    small = hi.reduce(SS).point(lambda v: 255 if v >= 128 else 0)
    mask = Image.merge("RGB", [small.point(lambda v: 0 if v else 255)] * 3)
    return hi, mask, small


def cut_outline(img, inside):
    """Paints everything outside the window's outline white, like the mask."""
    out = Image.new("RGB", img.size, paint.WHITE)
    out.paste(img, (0, 0), inside)
    return out


def logo(surf, x, baseline, size):
    """The product name with its cyan mark."""
    h = size * 0.72
    surf.polygon([(x, baseline), (x + h * 0.42, baseline - h),
                  (x + h * 0.42 + 4, baseline - h), (x + 4, baseline)], fill=ACCENT)
    surf.text((x + h * 0.42 + 10, baseline), "ORVELLE", size, "bold",
              (236, 240, 245), spacing=size * 0.08)


# Icons for the media keys and the dialog, drawn in a box of size s centred
# on (cx, cy). Each takes the surface, centre, size and colour.

def _speaker(surf, cx, cy, s, c):
    x = cx - s * 0.5
    surf.polygon([(x, cy - s * 0.17), (x + s * 0.2, cy - s * 0.17),
                  (x + s * 0.45, cy - s * 0.42), (x + s * 0.45, cy + s * 0.42),
                  (x + s * 0.2, cy + s * 0.17), (x, cy + s * 0.17)], fill=c)
    return x + s * 0.45


def _tri(surf, x, cy, s, c, right=True):
    if right:
        surf.polygon([(x, cy - s / 2), (x + s * 0.8, cy), (x, cy + s / 2)], fill=c)
    else:
        surf.polygon([(x + s * 0.8, cy - s / 2), (x, cy), (x + s * 0.8, cy + s / 2)], fill=c)


def icon_prev(surf, cx, cy, s, c):
    t = s * 0.62
    surf.rrect((cx - s * 0.5, cy - t / 2, cx - s * 0.5 + s * 0.12, cy + t / 2), 0.3, fill=c)
    _tri(surf, cx - s * 0.36, cy, t, c, right=False)
    _tri(surf, cx + s * 0.04, cy, t, c, right=False)


def icon_next(surf, cx, cy, s, c):
    t = s * 0.62
    _tri(surf, cx - s * 0.5, cy, t, c)
    _tri(surf, cx - s * 0.1, cy, t, c)
    surf.rrect((cx + s * 0.38, cy - t / 2, cx + s * 0.5, cy + t / 2), 0.3, fill=c)


def icon_play_pause(surf, cx, cy, s, c):
    t = s * 0.66
    _tri(surf, cx - s * 0.5, cy, t, c)
    for x in (cx + s * 0.14, cx + s * 0.36):
        surf.rrect((x, cy - t / 2, x + s * 0.13, cy + t / 2), 0.3, fill=c)


def icon_stop(surf, cx, cy, s, c):
    t = s * 0.56
    surf.rrect((cx - t / 2, cy - t / 2, cx + t / 2, cy + t / 2), 1, fill=c)


def icon_mute(surf, cx, cy, s, c):
    x = _speaker(surf, cx - s * 0.1, cy, s * 0.85, c)
    d = s * 0.16
    for a, b in (((1, -1), (-1, 1)), ((-1, -1), (1, 1))):
        mx = x + s * 0.3
        surf.line([(mx + a[0] * d, cy + a[1] * d), (mx + b[0] * d, cy + b[1] * d)], c, s * 0.1)


def icon_volume_down(surf, cx, cy, s, c):
    x = _speaker(surf, cx - s * 0.1, cy, s * 0.85, c)
    surf.arc((x - s * 0.2, cy - s * 0.25, x + s * 0.2, cy + s * 0.25), -60, 60, c, s * 0.09)


def icon_volume_up(surf, cx, cy, s, c):
    x = _speaker(surf, cx - s * 0.15, cy, s * 0.85, c)
    surf.arc((x - s * 0.2, cy - s * 0.25, x + s * 0.2, cy + s * 0.25), -60, 60, c, s * 0.09)
    surf.arc((x - s * 0.38, cy - s * 0.46, x + s * 0.38, cy + s * 0.46), -60, 60, c, s * 0.09)


def _arrow(surf, cx, cy, s, c, direction):
    d = direction
    tip = cx + d * s * 0.45
    surf.line([(cx - d * s * 0.42, cy), (tip - d * s * 0.1, cy)], c, s * 0.13)
    surf.polygon([(tip, cy), (tip - d * s * 0.36, cy - s * 0.3),
                  (tip - d * s * 0.36, cy + s * 0.3)], fill=c)


def icon_back(surf, cx, cy, s, c):
    _arrow(surf, cx, cy, s, c, -1)


def icon_forward(surf, cx, cy, s, c):
    _arrow(surf, cx, cy, s, c, 1)


def icon_refresh(surf, cx, cy, s, c):
    r = s * 0.36
    surf.arc((cx - r, cy - r, cx + r, cy + r), 20, 300, c, s * 0.12)
    # Arrow head at the open end of the circle (300 degrees, upper right).
    hx, hy = cx + r * 0.5, cy - r * 0.87
    surf.polygon([(hx + s * 0.26, hy - s * 0.02), (hx - s * 0.04, hy - s * 0.22),
                  (hx + s * 0.02, hy + s * 0.2)], fill=c)


def icon_www_stop(surf, cx, cy, s, c):
    r = s * 0.42
    surf.ellipse((cx - r, cy - r, cx + r, cy + r), outline=c, width=s * 0.1)
    d = r * 0.45
    surf.line([(cx - d, cy - d), (cx + d, cy + d)], c, s * 0.11)
    surf.line([(cx - d, cy + d), (cx + d, cy - d)], c, s * 0.11)


def icon_home(surf, cx, cy, s, c):
    w = s * 0.36
    surf.polygon([(cx - s * 0.48, cy - s * 0.02), (cx, cy - s * 0.46),
                  (cx + s * 0.48, cy - s * 0.02)], fill=c)
    surf.rrect((cx - w, cy - s * 0.06, cx + w, cy + s * 0.42), 0.4, fill=c)


def icon_search(surf, cx, cy, s, c):
    r = s * 0.27
    ox, oy = cx - s * 0.1, cy - s * 0.1
    surf.ellipse((ox - r, oy - r, ox + r, oy + r), outline=c, width=s * 0.11)
    surf.line([(ox + r * 0.8, oy + r * 0.8), (cx + s * 0.42, cy + s * 0.42)], c, s * 0.14)


def icon_star(surf, cx, cy, s, c):
    import math
    pts = []
    for i in range(10):
        r = s * (0.5 if i % 2 == 0 else 0.21)
        a = -math.pi / 2 + i * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + s * 0.04 + r * math.sin(a)))
    surf.polygon(pts, fill=c)


def icon_mail(surf, cx, cy, s, c):
    w, h = s * 0.5, s * 0.34
    surf.rrect((cx - w, cy - h, cx + w, cy + h), 0.8, outline=c, width=s * 0.09)
    surf.line([(cx - w + s * 0.08, cy - h + s * 0.08), (cx, cy + s * 0.04),
               (cx + w - s * 0.08, cy - h + s * 0.08)], c, s * 0.09)


def icon_calculator(surf, cx, cy, s, c):
    w, h = s * 0.34, s * 0.48
    surf.rrect((cx - w, cy - h, cx + w, cy + h), 1, outline=c, width=s * 0.09)
    surf.rrect((cx - w + s * 0.13, cy - h + s * 0.13, cx + w - s * 0.13, cy - h + s * 0.3), 0.3, fill=c)
    for j in range(2):
        for i in range(3):
            x = cx - s * 0.17 + i * s * 0.17
            y = cy + s * 0.06 + j * s * 0.2
            surf.rrect((x - s * 0.055, y - s * 0.055, x + s * 0.055, y + s * 0.055), 0.2, fill=c)


def icon_computer(surf, cx, cy, s, c):
    w, h = s * 0.5, s * 0.32
    top = cy - s * 0.42
    surf.rrect((cx - w, top, cx + w, top + 2 * h), 0.8, outline=c, width=s * 0.09)
    surf.rrect((cx - s * 0.07, top + 2 * h, cx + s * 0.07, top + 2 * h + s * 0.16), 0.1, fill=c)
    surf.rrect((cx - s * 0.28, top + 2 * h + s * 0.14, cx + s * 0.28, top + 2 * h + s * 0.24), 0.3, fill=c)


def icon_record(surf, cx, cy, s, c):
    r = s * 0.4
    surf.ellipse((cx - r, cy - r, cx + r, cy + r), fill=c)


def icon_keyboard(surf, cx, cy, s, c):
    w, h = s * 0.62, s * 0.38
    surf.rrect((cx - w, cy - h, cx + w, cy + h), 1.2, outline=c, width=s * 0.08)
    for j in range(2):
        for i in range(5):
            x = cx - w + s * 0.2 + i * (2 * w - s * 0.4) / 4
            y = cy - h + s * 0.22 + j * s * 0.2
            surf.rrect((x - s * 0.05, y - s * 0.05, x + s * 0.05, y + s * 0.05), 0.1, fill=c)
    surf.rrect((cx - s * 0.3, cy + h - s * 0.22, cx + s * 0.3, cy + h - s * 0.12), 0.1, fill=c)


def icon_note(surf, cx, cy, s, c):
    surf.ellipse((cx - s * 0.38, cy + s * 0.12, cx - s * 0.06, cy + s * 0.4), fill=c)
    surf.rrect((cx - s * 0.12, cy - s * 0.42, cx - s * 0.02, cy + s * 0.28), 0.1, fill=c)
    surf.polygon([(cx - s * 0.02, cy - s * 0.42), (cx + s * 0.36, cy - s * 0.26),
                  (cx + s * 0.36, cy - s * 0.12), (cx - s * 0.02, cy - s * 0.26)], fill=c)


def icon_bolt(surf, cx, cy, s, c):
    surf.polygon([(cx + s * 0.1, cy - s * 0.5), (cx - s * 0.3, cy + s * 0.06),
                  (cx - s * 0.02, cy + s * 0.06), (cx - s * 0.12, cy + s * 0.5),
                  (cx + s * 0.3, cy - s * 0.08), (cx + s * 0.02, cy - s * 0.08)], fill=c)


def icon_close(surf, cx, cy, s, c):
    d = s * 0.42
    surf.line([(cx - d, cy - d), (cx + d, cy + d)], c, s * 0.2)
    surf.line([(cx - d, cy + d), (cx + d, cy - d)], c, s * 0.2)


def icon_minimize(surf, cx, cy, s, c):
    surf.rrect((cx - s * 0.5, cy + s * 0.2, cx + s * 0.5, cy + s * 0.42), 0.4, fill=c)


def _chevron(surf, cx, cy, s, c, up, bar):
    d = -1 if up else 1
    h = s * 0.34
    surf.polygon([(cx - s * 0.42, cy - d * h * 0.7), (cx + s * 0.42, cy - d * h * 0.7),
                  (cx, cy + d * h * 1.1)], fill=c)
    if bar:
        y = cy - d * h * 1.25
        surf.rrect((cx - s * 0.42, y - s * 0.07, cx + s * 0.42, y + s * 0.07), 0.2, fill=c)


def icon_up(surf, cx, cy, s, c):
    _chevron(surf, cx, cy, s, c, up=True, bar=False)


def icon_down(surf, cx, cy, s, c):
    _chevron(surf, cx, cy, s, c, up=False, bar=False)


def icon_top(surf, cx, cy, s, c):
    _chevron(surf, cx, cy + s * 0.08, s, c, up=True, bar=True)


def icon_bottom(surf, cx, cy, s, c):
    _chevron(surf, cx, cy - s * 0.08, s, c, up=False, bar=True)


def icon_plus(surf, cx, cy, s, c):
    t = s * 0.09
    surf.rrect((cx - s * 0.42, cy - t, cx + s * 0.42, cy + t), 0.3, fill=c)
    surf.rrect((cx - t, cy - s * 0.42, cx + t, cy + s * 0.42), 0.3, fill=c)


def icon_list(surf, cx, cy, s, c):
    for i in range(3):
        y = cy - s * 0.32 + i * s * 0.32
        surf.ellipse((cx - s * 0.48, y - s * 0.08, cx - s * 0.32, y + s * 0.08), fill=c)
        surf.rrect((cx - s * 0.2, y - s * 0.07, cx + s * 0.48, y + s * 0.07), 0.2, fill=c)


def icon_more(surf, cx, cy, s, c):
    r = s * 0.12
    for dx in (-0.34, 0, 0.34):
        x = cx + dx * s
        surf.ellipse((x - r, cy - r, x + r, cy + r), fill=c)


def icon_folder(surf, cx, cy, s, c):
    w, h = s * 0.5, s * 0.34
    top = cy - h + s * 0.08
    surf.polygon([(cx - w, top - s * 0.12), (cx - w * 0.2, top - s * 0.12),
                  (cx - w * 0.02, top), (cx - w, top)], fill=c)
    surf.rrect((cx - w, top, cx + w, cy + h), 0.8, fill=c)


ICONS = {
    "more": icon_more, "folder": icon_folder,
    "up": icon_up, "down": icon_down, "top": icon_top, "bottom": icon_bottom,
    "plus": icon_plus, "list": icon_list,
    "close": icon_close, "minimize": icon_minimize,
    "prev": icon_prev, "play_pause": icon_play_pause, "next": icon_next,
    "stop": icon_stop, "mute": icon_mute, "volume_down": icon_volume_down,
    "volume_up": icon_volume_up, "back": icon_back, "forward": icon_forward,
    "refresh": icon_refresh, "www_stop": icon_www_stop, "home": icon_home,
    "search": icon_search, "star": icon_star, "mail": icon_mail,
    "calculator": icon_calculator, "computer": icon_computer,
    "record": icon_record, "keyboard": icon_keyboard, "note": icon_note,
    "bolt": icon_bolt,
}


def tabbed_outline(d, w, h, tab, body_top, corner, tab_radius, fillet):
    """A rounded body with a raised tab on top, drawn white on a large L picture; concave fillets
    join the tab to the body."""
    s = paint.S
    d.rounded_rectangle((0, s(body_top), s(w) - 1, s(h) - 1), s(corner), fill=255)
    x0, y0, x1, y1 = paint.sbox(tab)
    d.rounded_rectangle((x0, y0, x1 - 1, y1 - 1), s(tab_radius), fill=255)
    for cx, edge in ((tab[0] - fillet, tab[0]), (tab[2] + fillet, tab[2])):
        lo, hi = min(cx, edge), max(cx, edge)
        d.rectangle((s(lo), s(body_top - fillet), s(hi) - 1, s(body_top) - 1), fill=255)
        d.ellipse((s(cx - fillet), s(body_top - 2 * fillet), s(cx + fillet) - 1,
                   s(body_top) - 1), fill=0)
