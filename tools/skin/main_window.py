"""The main window: the keyboard picture, its layout file and its four pictures.

Main.ini numbers every region of the picture: entries 1..121 are key slots
(x,y,width,height,keycode,name), 122..132 the window's own buttons
(x,y,width,height,name). The program copies a region's rectangle out of the
normal, over or down picture onto the window, so the three pictures differ
only inside those rectangles. Section [INDICATORS], which older readers of the
file never look at, places what the program draws itself: the three lock
lamps (lit over the unlit ones painted here), the notice that the keyboard is
missing (over the case's printed line) and the legend of the key looks (in
the free band at the top).
"""

from dataclasses import dataclass, field

from PIL import Image

import labels
import paint
import style
from labels import say
from paint import Rect, centred_label, fit_font, font, label

W, H = 980, 412

U = 40                        # one key unit in pixels
MAIN_X, NAV_X, PAD_X = 34, 650, 786
ROW_Y = {"F": 104, 1: 152, 2: 192, 3: 232, 4: 272, 5: 312}
MEDIA_Y, MEDIA_W, MEDIA_H = 56, 50, 38
STRIP_Y, STRIP_H = 364, 34

# The program repaints a 2-pixel strip from the normal picture just left of
# entry 28, as tall as entry 27; it must fall on plain plate.
STRIP_ENTRY_LEFT, STRIP_ENTRY_RIGHT, STRIP_OFFSET, STRIP_WIDTH = 27, 28, 6, 2

SCREEN_BUTTON_NAMES = ("Close", "Minimize", "Menu", "Macro..", "Apply", "Default",
                       "Profile1", "Profile2", "Profile3", "OK", "Отмена")
MEDIA_TABLE_NAMES = ("Воспр./Пауза", "Пред. трек", "След. трек", "WWW Обновить",
                     "WWW Стоп", "WWW Назад", "WWW Вперед")


@dataclass
class K:
    """One key: its name in the layout file, virtual-key code, size in key
    units and legends. cap is the main legend; shift is printed above it
    (digits and punctuation), alt below it (keypad)."""
    name: str
    vk: int
    w: float = 1.0
    h: float = 1.0
    cap: str = None
    shift: str = None
    alt: str = None

    def __post_init__(self):
        if self.cap is None:
            self.cap = self.name


GAP = None  # placeholder that only advances the position


def gap(units):
    return (GAP, units)


def letters(chars):
    return [K(c, ord(c)) for c in chars]


def num(n, alt=None, name=None, vk=None, w=1.0, h=1.0):
    return K(name or f"Num {n}", vk if vk is not None else 96 + int(n), w=w, h=h,
             cap=n, alt=alt)


# Segments of keys in entry order: (cluster x, row, keys). Entries 1..13 are
# Esc and F1..F12, 14..27 the number row ending in Backspace and 28 Insert, so
# that entry 28 sits right of entry 27 across the gap between the clusters.
SEGMENTS = [
    (MAIN_X, "F", [K("Esc", 27), gap(1)]
        + [K(f"F{i}", 111 + i) for i in range(1, 5)] + [gap(0.5)]
        + [K(f"F{i}", 111 + i) for i in range(5, 9)] + [gap(0.5)]
        + [K(f"F{i}", 111 + i) for i in range(9, 13)]),
    (MAIN_X, 1, [K("Tilde", 192, cap="`", shift="~")]
        + [K(d, ord(d), shift=s) for d, s in zip("1234567890", "!@#$%^&*()")]
        + [K("Minus", 189, cap="-", shift="_"), K("Equals", 187, cap="=", shift="+"),
           K("Backspace", 8, w=2, cap="⟵ Backspace")]),
    (NAV_X, 1, [K("Insert", 45, cap="Ins"), K("Home", 36), K("Page Up", 33, cap="PgUp")]),
    (PAD_X, 1, [K("Num Lock", 144, cap="Num\nLock"), K("Num /", 111, cap="/"),
                K("Num *", 106, cap="*"), K("Num -", 109, cap="−")]),
    (MAIN_X, 2, [K("Tab", 9, w=1.5, cap="Tab ⇥")] + letters("QWERTYUIOP")
        + [K("Left Bracket", 219, cap="[", shift="{"), K("Right Bracket", 221, cap="]", shift="}"),
           K("Backslash", 220, w=1.5, cap="\\", shift="|")]),
    (NAV_X, 2, [K("Delete", 46, cap="Del"), K("End", 35), K("Page Down", 34, cap="PgDn")]),
    (PAD_X, 2, [num("7", "Home"), num("8", "↑"), num("9", "PgUp"),
                K("Num +", 107, h=2, cap="+")]),
    (MAIN_X, 3, [K("Caps Lock", 20, w=1.75)] + letters("ASDFGHJKL")
        + [K("Semicolon", 186, cap=";", shift=":"), K("Quote", 222, cap="'", shift='"'),
           K("Enter", 13, w=2.25, cap="Enter ⏎")]),
    (PAD_X, 3, [num("4", "←"), num("5"), num("6", "→")]),
    (MAIN_X, 4, [K("Left Shift", 160, w=2.25, cap="⇧ Shift")] + letters("ZXCVBNM")
        + [K("Comma", 188, cap=",", shift="<"), K("Period", 190, cap=".", shift=">"),
           K("Slash", 191, cap="/", shift="?"),
           K("Right Shift", 161, w=2.75, cap="⇧ Shift")]),
    (NAV_X, 4, [gap(1), K("Up", 38, cap="↑")]),
    (PAD_X, 4, [num("1", "End"), num("2", "↓"), num("3", "PgDn"),
                K("Num Enter", 108, h=2, cap="Enter")]),
    (MAIN_X, 5, [K("Left Ctrl", 162, w=1.25, cap="Ctrl"),
                 K("Left Win", 91, w=1.25, cap="Win"),
                 K("Left Alt", 164, w=1.25, cap="Alt"),
                 K("Space", 32, w=6.25, cap=""),
                 K("Right Alt", 165, w=1.25, cap="Alt"),
                 K("Right Win", 92, w=1.25, cap="Win"),
                 K("Apps", 93, w=1.25, cap="Apps"),
                 K("Right Ctrl", 163, w=1.25, cap="Ctrl")]),
    (NAV_X, 5, [K("Left", 37, cap="←"), K("Down", 40, cap="↓"), K("Right", 39, cap="→")]),
    (PAD_X, 5, [num("0", "Ins", w=2), K("Num .", 110, cap=".", alt="Del")]),
    (NAV_X, "F", [K("Print Screen", 44, cap="PrtSc\nSysRq"),
                  K("Scroll Lock", 145, cap="Scroll\nLock"), K("Pause", 19, cap="Pause\nBreak")]),
]


@dataclass
class M:
    """One extra key of the media row: layout name, code, icon, the label under the icon."""
    name: str
    vk: int
    icon: str
    cap: str


# Entries 105..121, left to right in four groups. Seven names are the ones
# the assignment dialog's multimedia list resolves through the layout file.
MEDIA_GROUPS = [
    [M("Пред. трек", 177, "prev", "media_prev"), M("Воспр./Пауза", 179, "play_pause", "media_play"),
     M("След. трек", 176, "next", "media_next"), M("Стоп", 178, "stop", "media_stop")],
    [M("Без звука", 173, "mute", "media_mute"), M("Тише", 174, "volume_down", "media_quieter"),
     M("Громче", 175, "volume_up", "media_louder")],
    [M("WWW Назад", 166, "back", "web_back"), M("WWW Вперед", 167, "forward", "web_forward"),
     M("WWW Обновить", 168, "refresh", "web_refresh"), M("WWW Стоп", 169, "www_stop", "web_stop"),
     M("WWW Домой", 172, "home", "web_home"), M("WWW Поиск", 170, "search", "web_search"),
     M("WWW Избранное", 171, "star", "web_favourites")],
    [M("Почта", 180, "mail", "app_mail"), M("Калькулятор", 183, "calculator", "app_calculator"),
     M("Мой компьютер", 182, "computer", "app_computer")],
]
MEDIA_GAP, MEDIA_GROUP_GAP = 2, 10

# Window buttons, entries 122..132, with the label each picture shows (or an icon).
# Profile buttons must be 128, 129, 130: the painting finds them by number.
BUTTONS = [
    ("Close", Rect(926, 22, 26, 22), "close"),
    ("Minimize", Rect(896, 22, 26, 22), "minimize"),
    ("Menu", Rect(34, STRIP_Y, 76, STRIP_H), "menu"),
    ("Macro..", Rect(116, STRIP_Y, 88, STRIP_H), "macros"),
    ("Apply", Rect(690, STRIP_Y, 84, STRIP_H), "apply"),
    ("Default", Rect(594, STRIP_Y, 90, STRIP_H), "default"),
    ("Profile1", Rect(262, STRIP_Y, 88, STRIP_H), "profile_1"),
    ("Profile2", Rect(356, STRIP_Y, 88, STRIP_H), "profile_2"),
    ("Profile3", Rect(450, STRIP_Y, 88, STRIP_H), "profile_3"),
    ("OK", Rect(780, STRIP_Y, 70, STRIP_H), "ok"),
    ("Отмена", Rect(856, STRIP_Y, 90, STRIP_H), "cancel"),
]


@dataclass
class Region:
    entry: int
    rect: Rect
    name: str
    vk: int = None                     # key slots only
    key: K = None
    media: M = None
    caption: str = None                # screen buttons only
    extra: dict = field(default_factory=dict)

    def ini_value(self):
        r = self.rect
        if self.vk is not None:
            return f"{r.x},{r.y},{r.w},{r.h},{self.vk},{self.name}"
        return f"{r.x},{r.y},{r.w},{r.h},{self.name}"


def key_rect(x, y, w_units, h_units):
    """A key's rectangle inside its grid cell, one pixel of plate all round."""
    return Rect(x + 1, y + 1, round(w_units * U) - 2, round(h_units * U) - 2)


def layout():
    """All 132 regions, in entry order."""
    regions = []
    for x0, row, keys in SEGMENTS:
        x = x0
        for item in keys:
            if isinstance(item, tuple):
                x += round(item[1] * U)
                continue
            regions.append(Region(len(regions) + 1, key_rect(x, ROW_Y[row], item.w, item.h),
                                  item.name, vk=item.vk, key=item))
            x += round(item.w * U)
    assert len(regions) == 104, len(regions)

    total = (sum(len(g) for g in MEDIA_GROUPS) * (MEDIA_W + MEDIA_GAP) - MEDIA_GAP
             + (len(MEDIA_GROUPS) - 1) * MEDIA_GROUP_GAP)
    x = (W - total) // 2
    for group in MEDIA_GROUPS:
        for m in group:
            regions.append(Region(len(regions) + 1, Rect(x, MEDIA_Y, MEDIA_W, MEDIA_H),
                                  m.name, vk=m.vk, media=m))
            x += MEDIA_W + MEDIA_GAP
        x += MEDIA_GROUP_GAP
    assert len(regions) == 121, len(regions)

    for name, rect, caption in BUTTONS:
        regions.append(Region(len(regions) + 1, rect, name, caption=caption))
    return regions


# ---------------------------------------------------------------- outline

TAB = (24, 0, 236, 40)           # raised tab that carries the logo
BODY_TOP, CORNER, TAB_RADIUS, FILLET = 14, 22, 12, 8


def draw_outline(d):
    """The window's shape on a large L picture: a rounded body with a tab."""
    style.tabbed_outline(d, W, H, TAB, BODY_TOP, CORNER, TAB_RADIUS, FILLET)


# ---------------------------------------------------------------- the case

PLATE = (29, 100, W - 29, 357)
MEDIA_PANEL = (29, MEDIA_Y - 4, W - 29, MEDIA_Y + MEDIA_H + 4)
LED_BOX = (PAD_X, ROW_Y["F"], PAD_X + 4 * U, ROW_Y["F"] + U)
# The free band at the top of the case: the notice covers the case's printed
# line at its left, the legend fills its right up to the window's buttons.
NOTICE = Rect(248, 19, 226, 28)
LEGEND = Rect(486, 19, 402, 28)


def lamp_rects():
    """Where the program lights the NumLock, CapsLock and ScrollLock lamps:
    16 px squares centred on the unlit lamps."""
    x0, y0, x1, _ = LED_BOX
    return [Rect(round(x0 + (x1 - x0) * (i + 0.5) / 3) - 8, y0 + 4, 16, 16) for i in range(3)]


def indicator_values():
    names = ("NumLock", "CapsLock", "ScrollLock")
    rects = list(zip(names, lamp_rects())) + [("NoKeyboard", NOTICE), ("Legend", LEGEND)]
    return [(name, f"{r.x},{r.y},{r.w},{r.h}") for name, r in rects]


def draw_case(shape_hi):
    """Everything that does not change with a region's look, large."""
    surf = style.case_surface(shape_hi, seed=1)
    style.recess(surf, MEDIA_PANEL, 7)
    style.recess(surf, PLATE, 8)
    style.logo(surf, 42, 33, 22)
    # Lock indicators over the keypad, unlit.
    x0, y0, x1, _ = LED_BOX
    for i in range(3):
        cx = x0 + (x1 - x0) * (i + 0.5) / 3
        surf.ellipse((cx - 3.5, y0 + 8.5, cx + 3.5, y0 + 15.5), fill=(24, 52, 60))
        surf.ellipse((cx - 2.5, y0 + 9.5, cx + 2.5, y0 + 14.5), fill=(34, 78, 92))
    # Separator between the keyboard and the control strip.
    surf.rrect((40, STRIP_Y - 5, W - 40, STRIP_Y - 4), 0.5, fill=(22, 24, 28))
    return surf


TAGLINE_X = 252


def draw_case_text(img):
    """Printed legends of the case, drawn at final size."""
    # The tagline lies under the missing keyboard's notice, which covers it.
    tagline = say("tagline")
    paint.label_left(img, tagline, fit_font(tagline, NOTICE.right - TAGLINE_X - 4, 10, "bold"),
                     style.CASE_TEXT_DIM, TAGLINE_X, 36)
    x0, y0, x1, _ = LED_BOX
    for i, name in enumerate(("lamp_num", "lamp_caps", "lamp_scroll")):
        cx = x0 + (x1 - x0) * (i + 0.5) / 3
        t = say(name)
        label(img, t, fit_font(t, (x1 - x0) / 3 - 4, 8, "bold"), style.CASE_TEXT, cx, y0 + 30)
    # Centred in the gap between the macro button and the first profile button.
    left, right = BUTTONS[3][1].right, BUTTONS[6][1].x
    t = say("profiles_heading")
    label(img, t, fit_font(t, right - left - 4, 8, "bold"), style.CASE_TEXT_DIM,
          (left + right) / 2, STRIP_Y + 21)


# ---------------------------------------------------------------- regions

def cap_font(text, width):
    """One letter large; words as large as the cap allows, in few sizes so
    that neighbouring keys match."""
    if len(text) == 1:
        return fit_font(text, width, 14, "bold")
    for size, weight in ((11, "bold"), (10, "bold"), (9, "cond-bold")):
        f = font(size, weight)
        if paint.fits(text, f, width):
            return paint.need_fit(text, f, width)
    return fit_font(text, width, 8, "cond-bold")


def draw_key_legend(img, k, face, look):
    x0, y0, x1, y1 = face
    width = x1 - x0 - 4
    cx = (x0 + x1) / 2
    if k.shift:
        label(img, k.shift, fit_font(k.shift, width, 10, "regular"), look.subtext, cx,
              round(y0 + 11))
        label(img, k.cap, fit_font(k.cap, width, 12, "bold"), look.text, cx, round(y1 - 4))
    elif k.alt:
        label(img, k.cap, fit_font(k.cap, width, 13, "bold"), look.text, cx, round(y0 + 14))
        label(img, k.alt, fit_font(k.alt, width, 8, "cond"), look.subtext, cx, round(y1 - 3))
    elif "\n" in k.cap:
        lines = k.cap.split("\n")
        f = fit_font(max(lines, key=lambda t: paint.text_width(t, font(9, "cond-bold"))),
                     width + 1, 9, "cond-bold")
        mid = (y0 + y1) / 2
        for i, t in enumerate(lines):
            label(img, t, f, look.text, cx, round(mid - 2 + i * 10))
    elif k.cap:
        centred_label(img, k.cap, cap_font(k.cap, width + 3), look.text, face)


def draw_media_legend(img, m, face, look):
    x0, _, x1, y1 = face
    cap = say(m.cap)
    label(img, cap, fit_font(cap, x1 - x0 - 2, 9, "cond", smallest=7), look.subtext,
          (x0 + x1) / 2, round(y1 - 3))


def render_region(base, region, look):
    """The region's rectangle as it looks in look, final size."""
    r = region.rect
    if region.caption is not None:
        if region.name == "Close" and look.glow:  # closing lights red
            look = style.OVER_DANGER
        if region.caption in style.ICONS:
            return style.button(base, r, look, icon=region.caption, icon_size=8)
        return style.button(base, r, look, say(region.caption))
    surf = base.crop(r)
    face = style.keycap(surf, r.w, r.h, look)
    x0, y0, x1, y1 = face
    if region.media:
        style.ICONS[region.media.icon](surf, (x0 + x1) / 2, y0 + 8.5, 11, look.text)
    elif region.key.name == "Space":
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        surf.rrect((cx - 24, cy - 1, cx + 24, cy + 1), 1, fill=look.subtext)
    img = surf.reduce()
    if region.key:
        draw_key_legend(img, region.key, face, look)
    else:
        draw_media_legend(img, region.media, face, look)
    return img


def render(regions):
    """Returns {"mask", "normal", "over", "down"} pictures."""
    shape_hi, mask, inside = style.shape_picture(W, H, draw_outline)
    base = draw_case(shape_hi)
    base_small = base.reduce()
    draw_case_text(base_small)
    pictures = {"mask": mask}
    for look in (style.NORMAL, style.OVER, style.DOWN):
        img = base_small.copy()
        for region in regions:
            paint.paste(img, render_region(base, region, look), region.rect.x, region.rect.y)
        pictures[look.name] = style.cut_outline(img, inside)
    return pictures


def ini_values(regions):
    return [(str(r.entry), r.ini_value()) for r in regions]


# ---------------------------------------------------------------- self-check

def parse_entry(entry, value):
    """Splits a value the way the program does: at every comma, numbers like
    _wtoi, the name verbatim."""
    fields = value.split(",")
    nums = [int(f) for f in fields[:4]]
    if entry <= 121:
        if len(fields) != 6:
            raise AssertionError(f"entry {entry}: {len(fields)} fields in {value!r}")
        return Rect(*nums), int(fields[4]), fields[5]
    if len(fields) != 5:
        raise AssertionError(f"entry {entry}: {len(fields)} fields in {value!r}")
    return Rect(*nums), None, fields[4]


def check(ini_path, picture_path, percent=100):
    """Reads the written files back and fails loudly on any broken promise. picture_path(stem)
    names a picture of the set drawn at percent; the layout file's rectangles are checked as the
    program scales them."""
    sections, values = paint.read_ini(ini_path)
    assert sections == ["BUTTONINFO", "INDICATORS"], sections
    indicators = {k: values.pop(k) for k in ("NumLock", "CapsLock", "ScrollLock", "NoKeyboard", "Legend")}
    assert sorted(values, key=int) == [str(e) for e in range(1, 133)], "entries 1..132"
    entries = {e: parse_entry(e, values[str(e)]) for e in range(1, 133)}

    pics = {n: Image.open(picture_path(f"main_{n}")) for n in ("mask", "normal", "over", "down")}
    for n, p in pics.items():
        assert p.mode == "RGB", (n, p.mode)
        assert p.size == pics["mask"].size, f"main_{n} has another size"
    width, height = pics["mask"].size
    assert (width, height) == (paint.scale_edge(W, percent), paint.scale_edge(H, percent)), \
        f"main window {width}x{height} at {percent} %"
    assert percent != 100 or (width <= 1000 and height <= 420), (width, height)

    names = [entries[e][2] for e in range(122, 133)]
    assert sorted(names) == sorted(SCREEN_BUTTON_NAMES), names
    assert [entries[e][2] for e in (128, 129, 130)] == ["Profile1", "Profile2", "Profile3"]

    codes = [entries[e][1] for e in range(1, 122)]
    assert all(1 <= c <= 254 for c in codes), "key codes 1..254"
    assert len(set(codes)) == 121, "every key slot has its own key code"
    key_names = [entries[e][2] for e in range(1, 122)]
    assert len(set(key_names)) == 121, "every key slot has its own name"
    assert not set(key_names) & set(SCREEN_BUTTON_NAMES), \
        "a key named like a window button would run that button's action"
    media = {entries[e][2]: entries[e][1] for e in range(104, 122)}
    assert set(MEDIA_TABLE_NAMES) <= set(media), "media names missing"
    assert {n: media[n] for n in MEDIA_TABLE_NAMES} == {
        "Воспр./Пауза": 179, "Пред. трек": 177, "След. трек": 176, "WWW Обновить": 168,
        "WWW Стоп": 169, "WWW Назад": 166, "WWW Вперед": 167}

    a, b = entries[STRIP_ENTRY_LEFT][0], entries[STRIP_ENTRY_RIGHT][0]
    assert a.y == b.y and a.h == b.h, "entries 27 and 28 share a row"
    assert b.x - a.right >= 10, "entries 27 and 28 are at least 10 px apart"
    strip = Rect(b.x - STRIP_OFFSET, b.y, STRIP_WIDTH, a.h)

    stored = [entries[e][0] for e in range(1, 133)]
    for i, r in enumerate(stored):
        assert r.w > 0 and r.h > 0, f"entry {i + 1} is empty"
        for j in range(i):
            assert not r.overlaps(stored[j]), f"entries {j + 1} and {i + 1} overlap"
        assert not r.overlaps(strip), f"entry {i + 1} lies under the strip"

    # From here on in the pixels of this scale, as the program sees them.
    rects = [r.scaled(percent) for r in stored]
    for i, r in enumerate(rects):
        assert r.w > 0 and r.h > 0, f"entry {i + 1} is empty at {percent} %"
        for j in range(i):
            assert not r.overlaps(rects[j]), f"entries {j + 1} and {i + 1} overlap at {percent} %"
    mask = pics["mask"]
    places = {name: Rect(*(int(v) for v in value.split(","))).scaled(percent)
              for name, value in indicators.items()}
    for name, r in places.items():
        for e, other in enumerate(rects, 1):
            assert not r.overlaps(other), f"{name} lies over entry {e}"
        assert paint.all_black(mask, r.box()), f"{name} leaves the window"
    for a in places:
        for b in places:
            assert a >= b or not places[a].overlaps(places[b]), f"{a} and {b} overlap"
    colours = mask.getcolors(256)
    assert colours and {c for _, c in colours} == {(0, 0, 0), (255, 255, 255)}, \
        "mask is pure black and white"
    for e, r in enumerate(rects, 1):
        assert paint.all_black(mask, r.box()), f"entry {e} leaves the window"
    # The program repaints the strip in pixels scaled as its rectangles are.
    assert paint.all_black(mask, strip.scaled(percent).box()), "the strip leaves the window"

    # Inside every rectangle the three looks differ; outside all of them they
    # are the same picture.
    inside = Image.new("L", (width, height), 0)
    for r in rects:
        inside.paste(255, r.box())
    normal, over, down = (pics[n].convert("RGB") for n in ("normal", "over", "down"))
    for e, r in enumerate(rects, 1):
        crops = [p.crop(r.box()) for p in (normal, over, down)]
        for i, j in ((0, 1), (0, 2), (1, 2)):
            diff = paint.differing_pixels(crops[i], crops[j])
            assert diff > r.w * r.h // 4, f"entry {e}: looks {i} and {j} barely differ"
    outside = Image.eval(inside, lambda v: 255 - v)
    for n, p in (("over", over), ("down", down)):
        blank = Image.new("RGB", (width, height))
        a_ = Image.composite(normal, blank, outside)
        b_ = Image.composite(p, blank, outside)
        assert a_.tobytes() == b_.tobytes(), f"main_{n} differs outside the regions"
    return {"size": (width, height), "strip": strip, "entries": entries}


LEGEND_WORDS = ("LegendRemap", "LegendCommand", "LegendMacro", "LegendText", "LegendProgram",
                "LegendOff")


def check_program_texts():
    """The program writes the missing keyboard's notice and the legend into their places in
    Tahoma; DejaVu Sans, wider, stands in for it here. The notice comes in 13 px bold, the legend
    shrinks to 8 px at the least: a small cap and a gap before each word, the Hold mark last."""
    for lang in labels.LANGUAGES:
        notice = labels.program_text("KeyboardMissing", lang)
        words = [labels.program_text(n, lang) for n in LEGEND_WORDS + ("LegendHold",)]
        if notice is None or None in words:
            print(f"no program texts in {lang}: its notice and legend are not measured")
            continue
        with labels.speaking(lang):
            for p in paint.PERCENTS:
                with paint.at_scale(p):
                    paint.need_fit(notice, font(13, "bold"), NOTICE.w - 8)
                    f = font(8, "regular")
                    room = LEGEND.w - len(LEGEND_WORDS) * (14 + 3 + 8) - (10 + 3)
                    paint.need_fit("".join(words), f, room)
