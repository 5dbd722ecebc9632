"""The main window's face as the program paints it, for the pictures the tests expect: an assigned
key in the look of its kind (the down picture recoloured exactly as the program recolours it), the
Hold mark, and the places of what the program draws itself (section [INDICATORS] of "Main.ini":
the lock lamps, the missing keyboard's notice, the legend of the key looks)."""

import profile_ini
from pictures import Image

# The hue each kind turns the down look's orange into; another key keeps the down look, a key
# turned off is dimmed and nearly greyed (hue 0).
KIND_HUES = {profile_ini.KIND_MACRO: 125, profile_ini.KIND_MEDIA: 275, profile_ini.KIND_FUNCTION: 275,
             profile_ini.KIND_TEXT: 215, profile_ini.KIND_PROGRAM: 320, profile_ini.KIND_DISABLED: 0}
# The colour at the centre of a lit lamp.
LIT_LAMP = (120, 232, 255)
# The notice's band colour while the keyboard is missing.
NOTICE_BAND = (168, 34, 30)
MARK_W, MARK_H, MARK_INSET = 10, 8, 6


def recolour(rgb, kind):
    """One pixel of the down picture in the look of `kind` (RecolourForLook of the program)."""
    if kind not in KIND_HUES:
        return rgb
    hue = KIND_HUES[kind]
    value, chroma = max(rgb), max(rgb) - min(rgb)
    if kind == profile_ini.KIND_DISABLED:
        value, chroma = value * 55 // 100, chroma * 30 // 100
    sector, within = divmod(hue, 60)
    second = chroma * (within if sector % 2 == 0 else 60 - within) // 60
    base = value - chroma
    r, g, b = [(chroma, second, 0), (second, chroma, 0), (0, chroma, second), (0, second, chroma),
               (second, 0, chroma), (chroma, 0, second)][sector]
    return r + base, g + base, b + base


def recoloured(image, kind):
    """A crop of the down picture in the look of `kind`."""
    if kind not in KIND_HUES:
        return image
    data = bytearray(image.data)
    cache = {}
    for i in range(0, len(data), 3):
        rgb = (data[i], data[i + 1], data[i + 2])
        if rgb not in cache:
            cache[rgb] = recolour(rgb, kind)
        data[i:i + 3] = bytes(cache[rgb])
    return Image(image.width, image.height, data)


def marked(kind, held):
    """Whether the key shows the Hold mark: held and sending something."""
    return held and kind != profile_ini.KIND_DISABLED


def hold_mark_fills(x, y, width, height):
    """The Hold mark of a key at (x, y, width, height): ((x, y, w, h), colour) rectangles in order,
    as HoldMarkFills of the program paints them."""
    mx, my = x + width - MARK_INSET - MARK_W, y + MARK_INSET
    white = (255, 255, 255)
    return [((mx, my, MARK_W, MARK_H), (206, 212, 222)), ((mx + 1, my + 1, MARK_W - 2, MARK_H - 2), (18, 20, 24)),
            ((mx + 3, my + 2, 1, 4), white), ((mx + 6, my + 2, 1, 4), white), ((mx + 4, my + 3, 2, 1), white)]


def fill(image, rect, colour):
    x, y, width, height = rect
    return image.paste(Image(width, height, bytes(colour) * (width * height)), x, y)


def indicators(main_ini_path):
    """Section [INDICATORS]: name -> (x, y, width, height); empty for an older layout."""
    section = profile_ini.parse_ini(profile_ini.read_ini_text(main_ini_path)).get("INDICATORS", [])
    return {key: tuple(int(v) for v in value.split(",")[:4]) for key, value in section}
