"""What the program tells and shows besides its pictures, as a person meets it: a key's tooltip on
the screen, every message box titled "ORVELLE" (the Default question, the start-up message about a
missing Main.ini, the confirmation of an export), the About box with the version, and an export
that offers its file in the user's Documents folder."""

import glob
import os
import re
import struct

from report import Failure
from scenario_kit import (
    ABOUT, ABOUT_CAPTION, COPY_COMMAND, F1, F5, IDCANCEL, IDOK, QUESTION_CAPTION, SAVE_TITLE, Person,
    marker_only_profile, settle, standard_profile, start_standard)
from scenarios_trust import layout_missing
import profile_ini
from waiting import poll_until

TOOLTIP_CLASS = "tooltips_class32"
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def project_version():
    text = open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8").read()
    return re.search(r"project\(orvelle VERSION (\d+\.\d+\.\d+)", text).group(1)


def scenario_messages(s, report, layout):
    """Key tooltips on the screen, message boxes titled ORVELLE, the About box's version, export into Documents."""
    profiles = {1: standard_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="messages", profiles=profiles), layout, profiles)
    for name, check in (
            (f"resting on F1 (a command) shows the tooltip \"F1: команда «{COPY_COMMAND}»\" below the key, "
             "drawn on the screen", tip_on_assigned_key),
            ("resting on F5 (not reassigned) shows \"F5: не переназначена\"; leaving the window hides the tip",
             tip_on_unassigned_key),
            ("\"Default\" asks in a box titled ORVELLE; Cancel changes nothing", default_question),
            ("the tray menu's About box shows \"ORVELLE\" and \"Версия " + project_version() + "\", and no "
             "full-width colon", about_version),
            ("\"Экспорт…\" offers \"ORVELLE профиль 1.ini\" in Documents; Return writes it there and a box "
             "titled ORVELLE confirms it with the whole path", export_into_documents)):
        if not report.check(name, check, me):
            me.recover()
    me.program.exit()
    report.check("a start-up without Main.ini tells it in a box titled ORVELLE", layout_missing, s,
                 lambda path: profile_ini.write_set_ini(path, profiles, 1))
    report.check("the installer's script shows ORVELLE's header (150x57) and welcome/finish (164x314) pictures",
                 installer_pictures, s)


def bmp_size(path):
    data = open(path, "rb").read(26)
    if data[:2] != b"BM":
        raise Failure(f"{path} is no bitmap")
    return struct.unpack_from("<ii", data, 18)


def installer_pictures(s):
    """What CPack handed to NSIS for the installer the build packaged last, if it packaged one."""
    folder = s.dist_dir
    while folder != os.path.dirname(folder) and not os.path.isfile(os.path.join(folder, "CMakeCache.txt")):
        folder = os.path.dirname(folder)
    script = os.path.join(folder, "_CPack_Packages", "win64", "NSIS", "project.nsi")
    if not os.path.isfile(script):
        print(f"  note: no installer packaged ({script}): its pictures not checked")
        return
    text = open(script, encoding="utf-8-sig").read()
    for define, size in (("MUI_HEADERIMAGE_BITMAP", (150, 57)), ("MUI_WELCOMEFINISHPAGE_BITMAP", (164, 314)),
                         ("MUI_UNWELCOMEFINISHPAGE_BITMAP", (164, 314))):
        found = re.search(r'!define ' + define + r' "([^"]+)"', text)
        if not found:
            raise Failure(f"{script} defines no {define}: the installer shows the stock artwork")
        path = found.group(1)
        if "installer_" not in os.path.basename(path) or bmp_size(path) != size:
            raise Failure(f"{define} is {path}, {bmp_size(path)}; expected ORVELLE's own picture of {size}")


def visible_tip(gui, text):
    return next((w for w in gui.windows() if w.visible and w.cls == TOOLTIP_CLASS and w.title == text), None)


def rest_on_key(me, code, text):
    """Rests the pointer on a key slot until its tooltip shows `text`; returns the tip and the key's
    rectangle on the screen."""
    gui = me.gui
    window = gui.main_window()
    key = gui.key_slot(code)
    x, y = key.centre()
    me.s.screen.move(window.rect.left + x, window.rect.top + y)
    tip = poll_until(lambda: visible_tip(gui, text), 5, interval=0.05)
    if tip is None:
        shown = [w for w in gui.windows() if w.cls == TOOLTIP_CLASS]
        raise Failure(f"no tooltip {text!r} within 5 s; tooltip windows: {shown}; screenshot "
                      f"{gui.shot('failure-messages-tooltip')}")
    return tip, (window.rect.left + key.x, window.rect.top + key.y, key.width, key.height)


def check_tip_drawn(me, tip, key, name):
    left, top, width, height = key
    if not (tip.rect.top >= top + height and tip.rect.top <= top + height + 30 and abs(tip.rect.left - left) <= 30):
        raise Failure(f"the tooltip is at {tip.rect}, not just below the key ({width}x{height} at ({left},{top}))")
    image = me.s.screen.grab(tip.rect.left, tip.rect.top, tip.rect.width, tip.rect.height)
    colours = {image.pixel(x, y) for x in range(0, image.width, 2) for y in range(0, image.height, 2)}
    if len(colours) < 2:
        raise Failure(f"the tooltip's rectangle on the screen is one colour {colours}: nothing drawn there")
    me.gui.shot(name)


def tip_on_assigned_key(me):
    tip, key = rest_on_key(me, F1, f"F1: команда «{COPY_COMMAND}»")
    check_tip_drawn(me, tip, key, "messages-tooltip-assigned")


def tip_on_unassigned_key(me):
    tip, key = rest_on_key(me, F5, "F5: не переназначена")
    check_tip_drawn(me, tip, key, "messages-tooltip-unassigned")
    me.s.park_pointer()
    if not poll_until(lambda: visible_tip(me.gui, tip.title) is None, 5, interval=0.05):
        raise Failure("the tooltip stayed after the pointer left the window")


def default_question(me):
    gui = me.gui
    gui.click_button("Default")
    box = me.question(QUESTION_CAPTION, "Выполнить сброс до настроек по умолчанию?")
    gui.shot("messages-default-question")
    gui.answer(box, IDCANCEL)
    gui.rest_pointer(1, me.pressed(1), "the keys still assigned after Cancel")


def about_version(me):
    gui = me.gui
    me.tray_menu(ABOUT)
    about = gui.wait_window(ABOUT_CAPTION)
    texts = gui.texts(about)
    expected = "Версия " + project_version()
    if "ORVELLE" not in texts or expected not in texts or any("\uff1a" in t for t in texts):
        raise Failure(f"the About box says {texts}; expected \"ORVELLE\" and {expected!r}")
    gui.shot("messages-about")
    gui.answer(about, IDOK)


def documents_folders(s):
    return glob.glob(os.path.join(s.wine.env["WINEPREFIX"], "drive_c", "users", "*", "Documents"))


def export_into_documents(me):
    s, gui = me.s, me.gui
    name = "ORVELLE профиль 1.ini"
    for folder in documents_folders(s):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    me.button_menu("&Экспорт…")
    dialog = gui.wait_window(SAVE_TITLE)
    edits = [c.title for c in gui.children(dialog.hwnd) if c.cls in ("Edit", "ComboBox") and c.title.endswith(".ini")]
    if not any(title.endswith(name) for title in edits):
        raise Failure(f"the save dialog's name field holds {edits}, not {name!r}")
    gui.shot("messages-export-dialog")
    s.give_keys_to()
    s.xdo("key", "Return")
    gui.wait_gone(dialog, seconds=10)
    box = me.question(QUESTION_CAPTION, "Профиль 1 сохранён в файл")
    said = " ".join(gui.texts(box))
    written = [os.path.join(f, name) for f in documents_folders(s) if os.path.isfile(os.path.join(f, name))]
    if not written:
        raise Failure(f"no {name!r} in Documents ({documents_folders(s)}); the box says {said!r}")
    if not re.search(r"\\Documents\\" + re.escape(name) + "$", said):
        raise Failure(f"the confirmation {said!r} does not end with the file's path in Documents")
    gui.shot("messages-export-done")
    gui.answer(box, IDOK)
    settle(me.program)
    sections = profile_ini.parse_ini(open(written[0], "rb").read()[2:].decode("utf-16-le"))
    if "TYPE" not in sections or "Profile1" not in sections:
        raise Failure(f"{written[0]} holds the sections {sorted(sections)}")
    os.remove(written[0])
