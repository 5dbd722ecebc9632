"""The key assignment dialog: Composite.ini and its fifteen pictures.

Composite.ini places the dialog's skinned buttons (entries 1..18, entry 5 is
read but places nothing), five standard controls (19..23), two skinned check
boxes (24, 25), one more standard control (26) and one painted label (27) as
x,y,width,height,name; then the "Other" mode: its mode button (28), three
choice buttons (29..31), the text, path and arguments fields (32, 33, 36), the
browse button (34) and the arguments label (35); last the two notices of the
macro editor, beside the record button (37) and under the step list (38),
text the program draws over the background while it has something to say;
then the keys for games: the "Other" mode's Profile choice, its list and its
all-profiles box (39..41), its Mouse choice and list (42, 43), the Turbo box
and its period field (44, 45) and the notice of a period refused (46). The
dialog cuts each button's
faces out of whole-dialog pictures at the button's rectangle: entries 1..9, 24
and 28 from key_normal/over/down, 10..18 and 25 from
macro_normal/over/down/disable, 29..31, 34, 39, 41, 42 and 44 from
other_normal/over/down/disable. A check box or choice shows its down face while
ticked or chosen. Its background is one whole-dialog picture per mode; a mode's
hidden controls leave that mode's background visible, so each background draws
only what its own mode shows.
"""

from dataclasses import dataclass

from PIL import Image

import paint
import style
from labels import say
from paint import Rect, font, label_left

# Taller than the first dialog by the rows of the keys for games.
W, H = 600, 512

TAB = (24, 0, 200, 40)
BODY_TOP, CORNER, TAB_RADIUS, FILLET = 14, 22, 12, 8
PANEL = (24, 100, W - 24, H - 64)
BAR_Y = H - 50   # the row of Clear, Osk, Hold, OK and Cancel under the panel

# The dialog's modes; each has a background picture and an accent colour.
SINGLE_KEY, MACRO, MULTIMEDIA, FUNCTION, MACRO_ONLY, OTHER = range(6)


@dataclass(frozen=True)
class Mode:
    kind: int
    picture: str
    title: str
    accent: tuple


MODES = [
    Mode(SINGLE_KEY, "key_normal", "title_single_key", style.ACCENT),
    Mode(MACRO, "macro_normal", "title_macro", (255, 170, 60)),
    Mode(MULTIMEDIA, "media_normal", "title_multimedia", (214, 120, 255)),
    Mode(FUNCTION, "function_normal", "title_function", (120, 224, 112)),
    Mode(MACRO_ONLY, "macro2_normal", "title_macro_editor", (255, 170, 60)),
    Mode(OTHER, "other_normal", "title_other", (255, 112, 142)),
]


@dataclass(frozen=True)
class Entry:
    """One line of Composite.ini and what the pictures draw for it: caption and text name
    labels (labels_<language>.py)."""
    number: int
    name: str
    rect: Rect
    caption: str = ""
    icon: str = None
    field_height: int = None    # combo boxes: the closed field; rect.h includes the list
    check: bool = False         # a check box: the caption is its label
    radio: bool = False         # ... drawn as one choice of several
    text: str = None            # a label painted into the backgrounds
    size: int = 12              # a button's caption at most this large


COMBO_DROP = 240  # a combo box's rectangle includes its opened list
TAB_TEXT = 11     # the five mode buttons' captions, one size for all

ENTRIES = [
    Entry(1, "OK", Rect(384, BAR_Y, 92, 36), "ok"),
    Entry(2, "Cancel", Rect(484, BAR_Y, 92, 36), "cancel"),
    Entry(3, "Clear", Rect(24, BAR_Y, 100, 36), "clear"),
    Entry(4, "Osk", Rect(132, BAR_Y, 100, 36), "on_screen_keyboard", "keyboard"),
    Entry(5, "Title", Rect(*TAB[:2], TAB[2] - TAB[0], TAB[3] - TAB[1])),
    Entry(6, "SingleKey", Rect(24, 54, 104, 36), "mode_single_key", "keyboard", size=TAB_TEXT),
    Entry(7, "Macro", Rect(472, 54, 104, 36), "mode_macro", "list", size=TAB_TEXT),
    Entry(8, "Multimedia", Rect(136, 54, 104, 36), "mode_multimedia", "note", size=TAB_TEXT),
    Entry(9, "Function", Rect(248, 54, 104, 36), "mode_function", "bolt", size=TAB_TEXT),
    Entry(10, "AddMacro", Rect(40, 194, 109, 32), "add_macro", "plus"),
    Entry(11, "DeleteMacro", Rect(157, 194, 109, 32), "delete_macro"),
    Entry(12, "Record", Rect(40, 236, 226, 40), "record", "record"),
    Entry(13, "DeleteStep", Rect(478, 116, 86, 27), "delete_step"),
    Entry(14, "ClearSteps", Rect(478, 148, 86, 27), "clear_steps"),
    Entry(15, "FirstStep", Rect(478, 180, 86, 27), "step_top", "top"),
    Entry(16, "StepUp", Rect(478, 212, 86, 27), "step_up", "up"),
    Entry(17, "StepDown", Rect(478, 244, 86, 27), "step_down", "down"),
    Entry(18, "LastStep", Rect(478, 276, 86, 27), "step_bottom", "bottom"),
    Entry(19, "KeyField", Rect(150, 194, 300, 40)),
    Entry(20, "MultimediaList", Rect(150, 194, 300, COMBO_DROP), field_height=36),
    Entry(21, "FunctionList", Rect(150, 194, 300, COMBO_DROP), field_height=36),
    Entry(22, "MacroName", Rect(40, 148, 226, COMBO_DROP), field_height=36),
    Entry(23, "StepList", Rect(284, 116, 184, 187)),
    Entry(24, "Hold", Rect(244, BAR_Y, 84, 36), "hold", check=True),
    Entry(25, "KeyDelay", Rect(36, 284, 234, 26), "record_delays", check=True),
    Entry(26, "LoopCount", Rect(478, 313, 86, 24)),
    Entry(27, "LoopLabel", Rect(370, 313, 100, 24), text="loop_count"),
    Entry(28, "Other", Rect(360, 54, 104, 36), "mode_other", "more", size=TAB_TEXT),
    Entry(29, "Disabled", Rect(40, 146, 132, 30), "choice_disabled", check=True, radio=True),
    Entry(30, "Text", Rect(40, 186, 132, 30), "choice_text", check=True, radio=True),
    Entry(31, "Program", Rect(40, 272, 132, 30), "choice_program", check=True, radio=True),
    Entry(32, "TextField", Rect(188, 186, 372, 56)),
    Entry(33, "ProgramPath", Rect(188, 275, 268, 24)),
    Entry(34, "Browse", Rect(464, 273, 96, 28), "browse", "folder"),
    Entry(35, "ArgsLabel", Rect(40, 316, 140, 24), text="arguments"),
    Entry(36, "Arguments", Rect(188, 316, 372, 24)),
    Entry(37, "RecordNotice", Rect(40, 314, 226, 16)),
    Entry(38, "MacroHint", Rect(284, 341, 280, 16)),
    # The keys for games: two more choices of the "Other" mode under the arguments, and the
    # Turbo box with its period on the second row, where the key modes show it too.
    Entry(39, "Profile", Rect(40, 352, 132, 30), "choice_profile", check=True, radio=True),
    Entry(40, "ProfileList", Rect(188, 355, 180, COMBO_DROP), field_height=24),
    Entry(41, "AllProfiles", Rect(384, 352, 176, 30), "all_profiles", check=True),
    Entry(42, "Mouse", Rect(40, 392, 132, 30), "choice_mouse", check=True, radio=True),
    Entry(43, "MouseList", Rect(188, 395, 180, COMBO_DROP), field_height=24),
    Entry(44, "Turbo", Rect(384, 392, 112, 30), "turbo", check=True),
    Entry(45, "TurboPeriod", Rect(504, 395, 56, 24)),
    Entry(46, "TurboHint", Rect(188, 428, 372, 16)),
]
BY_NUMBER = {e.number: e for e in ENTRIES}
KEY_BUTTONS = (1, 2, 3, 4, 6, 7, 8, 9, 24, 28)           # faces from key_*.bmp
MACRO_BUTTONS = (10, 11, 12, 13, 14, 15, 16, 17, 18, 25)  # faces from macro_*.bmp
# The Turbo box rests on the "Other" page while a choice that takes no turbo is made: it wears
# the pictures that have a disabled face, in the key modes too.
OTHER_BUTTONS = (29, 30, 31, 34, 39, 41, 42, 44)          # faces from other_*.bmp
STANDARD = (19, 20, 21, 22, 23, 26, 32, 33, 36, 40, 43, 45)  # controls the program places
LABELS = (27, 35)                                         # painted into the backgrounds
NOTICES = (37, 38, 46)                                    # text the program draws over them
MODE_TABS = (6, 7, 8, 9, 28)
RECORD = 12
HOLD, KEY_DELAY, LOOP_COUNT, LOOP_LABEL = 24, 25, 26, 27
TEXT_FIELD, PROGRAM_PATH, ARGS_LABEL, ARGS = 32, 33, 35, 36
PROFILE, PROFILE_LIST, ALL_PROFILES, MOUSE, MOUSE_LIST = 39, 40, 41, 42, 43
TURBO, TURBO_PERIOD, TURBO_HINT = 44, 45, 46
assert all(BY_NUMBER[n].caption for n in KEY_BUTTONS + MACRO_BUTTONS + OTHER_BUTTONS)
assert all(BY_NUMBER[n].text for n in LABELS)

# What each mode shows: its buttons, check boxes, standard controls and labels.
COMMON = (1, 2, 3, 4)
MACRO_PART = MACRO_BUTTONS + (22, 23, LOOP_COUNT, LOOP_LABEL) + NOTICES
OTHER_PART = tuple(n for n in OTHER_BUTTONS if n != TURBO) + (TEXT_FIELD, PROGRAM_PATH, ARGS_LABEL, ARGS,
                                                               PROFILE_LIST, MOUSE_LIST)
# Turbo taps a single key, a media key, a command or a mouse button.
TURBO_PART = (TURBO, TURBO_PERIOD, TURBO_HINT)
VISIBLE = {
    SINGLE_KEY: COMMON + MODE_TABS + (19, HOLD) + TURBO_PART,
    MULTIMEDIA: COMMON + MODE_TABS + (20, HOLD) + TURBO_PART,
    FUNCTION: COMMON + MODE_TABS + (21, HOLD) + TURBO_PART,
    MACRO: COMMON + MODE_TABS + MACRO_PART + (HOLD,),
    MACRO_ONLY: COMMON + (7,) + MACRO_PART,
    # Nothing here is held: no hold box; a mouse key takes turbo.
    OTHER: COMMON + MODE_TABS + OTHER_PART + TURBO_PART,
}
FACES_OF = {n: "key" for n in KEY_BUTTONS} | {n: "macro" for n in MACRO_BUTTONS} | \
    {n: "other" for n in OTHER_BUTTONS}


def visible_rect(e):
    """The part of the dialog an entry covers while closed."""
    r = e.rect
    return Rect(r.x, r.y, r.w, e.field_height or r.h)


def ini_values():
    return [(str(e.number), f"{e.rect.x},{e.rect.y},{e.rect.w},{e.rect.h},{e.name}")
            for e in ENTRIES]


# ---------------------------------------------------------------- outline

def draw_outline(d):
    """The window's shape on a large L picture: a rounded body with a tab."""
    style.tabbed_outline(d, W, H, TAB, BODY_TOP, CORNER, TAB_RADIUS, FILLET)


# ---------------------------------------------------------------- backgrounds

WELL_LIP = (58, 63, 72)
WELL_TOP, WELL_BOTTOM = (6, 7, 9), (14, 15, 18)
HINT = style.CASE_TEXT


def well(surf, rect, pad=4):
    """A sunken slot that frames a standard control."""
    x0, y0, x1, y1 = rect.x - pad, rect.y - pad, rect.right + pad, rect.bottom + pad
    surf.rrect((x0, y0, x1, y1), 5, fill=WELL_LIP)
    surf.gradient((x0 + 1, y0 + 1, x1 - 1, y1 - 0.75), 4, WELL_TOP, WELL_BOTTOM)


def draw_common(shape_hi):
    """The parts every mode shares: case, logo, panel and button strip."""
    surf = style.case_surface(shape_hi, seed=2)
    style.logo(surf, 40, 30, 18)
    style.recess(surf, PANEL, 8)
    surf.rrect((40, H - 57, W - 40, H - 56), 0.5, fill=(22, 24, 28))
    return surf


def draw_panel_heading(surf, mode):
    x0, y0, x1, _ = PANEL
    surf.rrect((x0 + 10, y0 + 7, x0 + 13, y0 + 27), 1, fill=mode.accent)


def panel_heading_text(img, mode, text, right=PANEL[2] - 20):
    """The mode's title and one line saying what it does, left of right."""
    x0, y0, _, _ = PANEL
    title, text = say(mode.title), say(text)
    room = right - (x0 + 20)
    label_left(img, title, paint.fit_font(title, room, 12, "bold", smallest=10), mode.accent,
               x0 + 20, y0 + 17)
    label_left(img, text, paint.fit_font(text, room, 11, "regular", smallest=9), HINT,
               x0 + 20, y0 + 33)


def watermark(surf, mode, icon):
    # Above the Turbo row, where the first dialog's panel ended.
    _, y0, x1, _ = PANEL
    colour = paint.mix(style.PLATE_BOTTOM, mode.accent, 0.16)
    style.ICONS[icon](surf, x1 - 62, y0 + 200, 74, colour)


def turbo_well(surf):
    """The period field's slot, alike in every mode that shows the Turbo box."""
    well(surf, BY_NUMBER[TURBO_PERIOD].rect)


def single_key_panel(surf, mode):
    draw_panel_heading(surf, mode)
    well(surf, BY_NUMBER[19].rect)
    turbo_well(surf)
    watermark(surf, mode, "keyboard")


def hints(img, field, names, top):
    """Quiet help lines centred under a control, clear of the watermark."""
    for i, name in enumerate(names):
        t = say(name)
        f = paint.fit_font(t, field.w, 11, "regular", smallest=9)
        paint.label(img, t, f, HINT, field.x + field.w / 2, top + i * 18)


def single_key_text(img, mode):
    panel_heading_text(img, mode, "about_single_key")
    hints(img, BY_NUMBER[19].rect, ("hint_missing_key", "hint_clear"),
          BY_NUMBER[19].rect.bottom + 34)


MEDIA_ICONS = ("play_pause", "prev", "next", "refresh", "www_stop", "back", "forward")


def media_panel(surf, mode):
    draw_panel_heading(surf, mode)
    field = visible_rect(BY_NUMBER[20])
    well(surf, field)
    turbo_well(surf)
    # The seven commands of the list, as a quiet row under the field.
    step = field.w / len(MEDIA_ICONS)
    for i, name in enumerate(MEDIA_ICONS):
        cx = field.x + step * (i + 0.5)
        style.ICONS[name](surf, cx, field.bottom + 40, 16,
                          paint.mix(style.PLATE_BOTTOM, mode.accent, 0.55))
    watermark(surf, mode, "note")


def media_text(img, mode):
    panel_heading_text(img, mode, "about_multimedia")
    field = visible_rect(BY_NUMBER[20])
    hints(img, field, ("hint_multimedia",), field.bottom + 84)


SHORTCUTS = ("Ctrl+O", "Ctrl+S", "Ctrl+C", "Ctrl+X", "Ctrl+V", "Ctrl+Z")


def function_panel(surf, mode):
    draw_panel_heading(surf, mode)
    field = visible_rect(BY_NUMBER[21])
    well(surf, field)
    turbo_well(surf)
    x = field.x
    for t in SHORTCUTS:
        w = paint.text_width(t, font(10, "bold")) + 12
        surf.rrect((x, field.bottom + 30, x + w, field.bottom + 50), 4,
                   outline=paint.mix(style.PLATE_BOTTOM, mode.accent, 0.5), width=1)
        x += w + 6.4
    watermark(surf, mode, "bolt")


def function_text(img, mode):
    panel_heading_text(img, mode, "about_function")
    field = visible_rect(BY_NUMBER[21])
    x = field.x
    f = font(10, "bold")
    for t in SHORTCUTS:
        w = paint.text_width(t, f) + 12
        paint.label(img, t, f, paint.mix(style.PLATE_BOTTOM, mode.accent, 0.85),
                    x + w / 2, field.bottom + 44)
        x += w + 6.4
    hints(img, field, ("hint_function",), field.bottom + 84)


def macro_panel(surf, mode):
    # Shared by macro mode and the macro editor: the step buttons are cut
    # from macro mode's pictures and must sit on the same ground in both.
    draw_panel_heading(surf, MODES[MACRO])
    for n in (22, 23, LOOP_COUNT):
        well(surf, visible_rect(BY_NUMBER[n]))


def macro_text(img, mode):
    # Left of the step list, which starts in the heading's row.
    heading = Mode(mode.kind, mode.picture,
                   "title_macro" if mode.kind == MACRO else "title_macros", mode.accent)
    panel_heading_text(img, heading, "about_macro" if mode.kind == MACRO else "about_macros",
                       right=BY_NUMBER[23].rect.x - 8)
    # The recording note sits under the record button's notice, which says when
    # NumLock is off.
    notice, record = BY_NUMBER[37].rect, BY_NUMBER[RECORD].rect
    t = say("note_recording")
    label_left(img, t, paint.fit_font(t, record.w, 10, "regular", smallest=8), HINT,
               record.x, notice.bottom + 14)
    painted_label(img, BY_NUMBER[LOOP_LABEL])


def painted_label(img, e):
    """A label painted into the background, right-aligned against the control
    it names and on the same middle line."""
    text = say(e.text)
    f = paint.fit_font(text, e.rect.w, 11, "bold", smallest=9)
    paint.label_right(img, text, f, style.NORMAL.subtext, e.rect.right,
                      round(e.rect.y + e.rect.h / 2 + paint.cap_height(f) / 2))


def macro_only_tab_row(img, mode):
    """In the macro editor the other mode buttons are hidden; the row carries
    the editor's title instead."""
    x = BY_NUMBER[6].rect.x
    y = BY_NUMBER[6].rect.y
    room = BY_NUMBER[7].rect.x - 8 - (x + 4)  # up to the one mode button the row keeps
    title, note = say("editor_title"), say("editor_note")
    label_left(img, title, paint.fit_font(title, room, 17, "bold", smallest=13), (236, 240, 245),
               x + 4, y + 22)
    label_left(img, note, paint.fit_font(note, room, 10, "regular", smallest=8), HINT,
               x + 4, y + 36)


def other_panel(surf, mode):
    draw_panel_heading(surf, mode)
    for n in (TEXT_FIELD, PROGRAM_PATH, ARGS):
        well(surf, BY_NUMBER[n].rect)
    for n in (PROFILE_LIST, MOUSE_LIST):
        well(surf, visible_rect(BY_NUMBER[n]))
    turbo_well(surf)
    # Quiet rules between the choices, clear of the wells and of the text
    # field's note.
    x0, _, x1, _ = PANEL
    for below in (30, 31, PROFILE):
        y = BY_NUMBER[below].rect.y - 5
        surf.rrect((x0 + 16, y, x1 - 16, y + 1), 0.5, fill=(30, 32, 38))


def other_text(img, mode):
    panel_heading_text(img, mode, "about_other")
    disabled, field = BY_NUMBER[29].rect, BY_NUMBER[TEXT_FIELD].rect
    t = say("about_disabled")
    f = paint.fit_font(t, field.w, 11, "regular", smallest=9)
    label_left(img, t, f, HINT, field.x,
               round(disabled.y + disabled.h / 2 + paint.cap_height(f) / 2))
    note = say("note_text_field")
    label_left(img, note, paint.fit_font(note, field.w, 10, "regular", smallest=8), HINT,
               field.x, field.bottom + 17)
    painted_label(img, BY_NUMBER[ARGS_LABEL])


PANELS = {
    SINGLE_KEY: (single_key_panel, single_key_text),
    MULTIMEDIA: (media_panel, media_text),
    FUNCTION: (function_panel, function_text),
    MACRO: (macro_panel, macro_text),
    MACRO_ONLY: (macro_panel, macro_text),
    OTHER: (other_panel, other_text),
}


def title_text(img, mode):
    """The dialog's name and the mode's, beside the tab, up to the case's right edge."""
    heading, title, dot = say("dialog_title"), say(mode.title), "·  "
    x, right = TAB[2] + 18, W - 24
    f = font(11, "bold")
    while not paint.fits(heading + dot + title, f, right - x - 10) and f.size > 9:
        f = font(f.size - 1, "bold")
    paint.need_fit(heading, f, right - x - 10 - paint.text_width(dot + title, f))
    paint.need_fit(title, f, right - x - 10 - paint.text_width(heading + dot, f))
    label_left(img, heading, f, style.CASE_TEXT_DIM, x, 34)
    x += paint.scaled_width(heading, f) / (paint.percent() / 100) + 10
    label_left(img, dot + title, f, mode.accent, x, 34)


# ---------------------------------------------------------------- buttons

def button_face(surf, e, look):
    if e.check:
        return style.check_box(surf, e.rect, look, say(e.caption), radio=e.radio)
    if e.number == RECORD:
        return style.button(surf, e.rect, look, say("recording" if look.pressed else e.caption),
                            icon="record", icon_colour=(232, 52, 44) if look is not style.DISABLED
                            else (96, 60, 58))
    return style.button(surf, e.rect, look, say(e.caption), icon=e.icon, size=e.size)


def render():
    """Returns {file stem: picture} for the mask and the ten dialog pictures."""
    shape_hi, mask, inside = style.shape_picture(W, H, draw_outline)
    common = draw_common(shape_hi)
    pictures = {"key_mask": mask}
    faces_of = {}
    for mode in MODES:
        surf = paint.Surface(common.img.copy())
        PANELS[mode.kind][0](surf, mode)
        faces_of[mode.kind] = surf
    # Every face is drawn on the ground of the picture the dialog cuts it
    # from, and every background that shows the button shows that same face,
    # so the button looks alike in every mode.
    grounds = {"key": faces_of[SINGLE_KEY], "macro": faces_of[MACRO], "other": faces_of[OTHER]}
    for mode in MODES:
        surf = faces_of[mode.kind]
        img = surf.reduce()
        title_text(img, mode)
        PANELS[mode.kind][1](img, mode)
        if mode.kind == MACRO_ONLY:
            macro_only_tab_row(img, mode)
        for n in VISIBLE[mode.kind]:
            e = BY_NUMBER[n]
            if e.caption:
                paint.paste(img, button_face(grounds[FACES_OF[n]], e, style.NORMAL), e.rect.x, e.rect.y)
        pictures[mode.picture] = img

    def lit(stem, numbers, look, surf):
        img = pictures[stem].copy()
        for n in numbers:
            e = BY_NUMBER[n]
            paint.paste(img, button_face(surf, e, look), e.rect.x, e.rect.y)
        return img

    for group, numbers, looks in (("key", KEY_BUTTONS, ("over", "down")),
                                  ("macro", MACRO_BUTTONS, ("over", "down", "disable")),
                                  ("other", OTHER_BUTTONS, ("over", "down", "disable"))):
        for look in looks:
            pictures[f"{group}_{look}"] = lit(f"{group}_normal", numbers, LOOKS[look], grounds[group])
    return {k: style.cut_outline(v, inside) if k != "key_mask" else v
            for k, v in pictures.items()}


LOOKS = {"over": style.OVER, "down": style.DOWN, "disable": style.DISABLED}

PICTURES = ("key_mask", "key_normal", "key_over", "key_down", "media_normal",
            "function_normal", "macro_normal", "macro_over", "macro_down",
            "macro_disable", "macro2_normal", "other_normal", "other_over",
            "other_down", "other_disable")


# ---------------------------------------------------------------- self-check

def check(ini_path, picture_path, percent=100):
    """Reads the written files back; picture_path(stem) names a picture of the set drawn at
    percent, whose rectangles are Composite.ini's as the program scales them."""
    sections, values = paint.read_ini(ini_path)
    assert sections == ["BUTTONINFO"], sections
    assert sorted(values, key=int) == [str(n) for n in range(1, len(ENTRIES) + 1)], \
        f"entries 1..{len(ENTRIES)}"
    rects = {}
    for n in range(1, len(ENTRIES) + 1):
        fields = values[str(n)].split(",")
        assert len(fields) == 5, f"Composite.ini entry {n}: {values[str(n)]!r}"
        rects[n] = Rect(*(int(f) for f in fields[:4]))
        assert rects[n] == BY_NUMBER[n].rect
        assert fields[4] == BY_NUMBER[n].name, f"Composite.ini entry {n}: {values[str(n)]!r}"

    pics = {stem: Image.open(picture_path(stem)) for stem in PICTURES}
    size = pics["key_mask"].size
    for stem, p in pics.items():
        assert p.mode == "RGB", stem
        assert p.size == size, f"{stem} has another size"
    width, height = size
    assert size == (paint.scale_edge(W, percent), paint.scale_edge(H, percent)), \
        f"dialog {size} at {percent} %"
    assert percent != 100 or (width <= 1000 and height <= 700), size
    colours = pics["key_mask"].getcolors(256)
    assert colours and {c for _, c in colours} == {(0, 0, 0), (255, 255, 255)}, \
        "mask is pure black and white"
    mask = pics["key_mask"]

    def at(r):
        return r.scaled(percent)

    for kind, shown in VISIBLE.items():
        parts = [(n, at(visible_rect(BY_NUMBER[n]))) for n in shown]
        for i, (n, r) in enumerate(parts):
            for m, q in parts[:i]:
                assert not r.overlaps(q), f"mode {kind}: entries {m} and {n} overlap"
            assert r.x >= 0 and r.y >= 0 and r.right <= width and r.bottom <= height, \
                f"entry {n} leaves the picture"
            assert paint.all_black(mask, r.box()), f"entry {n} leaves the dialog"

    def same_inside(a, b, r):
        return pics[a].crop(at(r).box()).tobytes() == pics[b].crop(at(r).box()).tobytes()

    def lit_only_inside(normal, lit_stem, numbers):
        outside = Image.new("L", size, 255)
        for n in numbers:
            r = at(BY_NUMBER[n].rect)
            outside.paste(0, r.box())
            a, b = pics[normal].crop(r.box()), pics[lit_stem].crop(r.box())
            diff = paint.differing_pixels(a, b)
            # A button changes its whole cap; a check box at least its box.
            box = paint.scale_edge(style.CHECK_BOX, percent)
            least = box ** 2 // 2 if BY_NUMBER[n].check else r.w * r.h // 4
            assert diff > least, f"{lit_stem}: entry {n} barely differs"
        blank = Image.new("RGB", size)
        assert (Image.composite(pics[normal], blank, outside).tobytes()
                == Image.composite(pics[lit_stem], blank, outside).tobytes()), \
            f"{lit_stem}.bmp differs from {normal}.bmp outside its buttons"

    for stem in ("key_over", "key_down"):
        lit_only_inside("key_normal", stem, KEY_BUTTONS)
    for stem in ("macro_over", "macro_down", "macro_disable"):
        lit_only_inside("macro_normal", stem, MACRO_BUTTONS)
    for stem in ("other_over", "other_down", "other_disable"):
        lit_only_inside("other_normal", stem, OTHER_BUTTONS)

    # Every background shows a visible button exactly as its normal face, so
    # nothing jumps when the button paints over it and a check box looks the
    # same whatever the mode.
    for mode in MODES:
        for n in VISIBLE[mode.kind]:
            if n in FACES_OF:
                assert same_inside(mode.picture, f"{FACES_OF[n]}_normal", BY_NUMBER[n].rect), \
                    f"{mode.picture}: entry {n} differs from its face"
    assert {k for k, shown in VISIBLE.items() if HOLD in shown} == \
        {SINGLE_KEY, MULTIMEDIA, FUNCTION, MACRO}
    assert {k for k, shown in VISIBLE.items() if KEY_DELAY in shown} == {MACRO, MACRO_ONLY}
    assert {k for k, shown in VISIBLE.items() if set(OTHER_PART) & set(shown)} == {OTHER}
    assert {k for k, shown in VISIBLE.items() if TURBO in shown} == {SINGLE_KEY, MULTIMEDIA, FUNCTION, OTHER}
    assert {k for k, shown in VISIBLE.items() if 28 in shown} == {k for k in VISIBLE if k != MACRO_ONLY}

    # A painted label shows text: light pixels on the dark ground.
    for mode in MODES:
        for n in LABELS:
            if n in VISIBLE[mode.kind]:
                lum = pics[mode.picture].crop(at(BY_NUMBER[n].rect).box()).convert("L")
                assert lum.getextrema()[1] > 120, f"{mode.picture}: entry {n} shows no text"

    # One clearly different background per mode.
    panel = at(Rect(PANEL[0], PANEL[1], PANEL[2] - PANEL[0], PANEL[3] - PANEL[1])).box()
    backgrounds = [m.picture for m in MODES]
    for i, a in enumerate(backgrounds):
        for b in backgrounds[:i]:
            pa, pb = pics[a].crop(panel), pics[b].crop(panel)
            diff = paint.differing_pixels(pa, pb)
            top = (0, 0, width, paint.scale_edge(100, percent))
            diff += paint.differing_pixels(pics[a].crop(top), pics[b].crop(top))
            assert diff > 2000, f"{a} and {b} look alike"

    # Calm ground under the standard controls and the notices: no legend or
    # picture there.
    for mode in MODES:
        for n in VISIBLE[mode.kind]:
            if n in STANDARD + NOTICES:
                r = at(visible_rect(BY_NUMBER[n]))
                lum = pics[mode.picture].crop(r.box()).convert("L")
                lo, hi = lum.getextrema()
                assert hi - lo < 24, f"{mode.picture}: busy ground under entry {n}"
    return {"size": size}
