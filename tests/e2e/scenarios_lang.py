"""One language per screen: the language follows Wine's UI language (LANG) unless one was chosen,
a stored choice wins under either, and "Menu" > "Язык / Language" switches the running program at
once and keeps the choice in set.ini."""

import os

from pictures import load_png
from report import Failure
from waiting import poll_until
from scenario_kit import (
    IDCANCEL, LANGUAGE_MENU, QUESTION_CAPTION, TRAY_MENU, Person, marker_only_profile, read_profile_file,
    standard_profile, start_standard, wait_file_text)
import profile_ini

RUSSIAN_LOCALE, ENGLISH_LOCALE = "ru_RU.UTF-8", "en_US.UTF-8"
EXPORT_TITLE_EN, EXPORT_FILTER_EN = "Save As", "ini File(*.ini)"
WM_COMMAND = 0x0111
DEFAULT_QUESTION = {"ru": "Выполнить сброс до настроек по умолчанию?", "en": "Reset to the default settings?"}


def scenario_lang(s, report, layout):
    """The Default question in the UI language or the stored one; "Язык / Language" switches at once."""
    profiles = {1: standard_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    for locale, stored, expected in ((RUSSIAN_LOCALE, None, "ru"), (ENGLISH_LOCALE, None, "en"),
                                     (ENGLISH_LOCALE, "ru", "ru"), (RUSSIAN_LOCALE, "ru", "ru")):
        what = (f"with LANG={locale}" + (f" and Language={stored} stored" if stored else "") +
                f" the Default question is {'Russian' if expected == 'ru' else 'English'}")
        report.check(what, default_question_in, s, layout, profiles, locale, stored, expected)
    report.check("\"Menu\" > \"Язык / Language\" > \"English\" switches the menus, the questions and the file "
                 "dialogs' titles and filters at once and stores Language=en; the next start is English under LANG=ru_RU", switch_to_english, s, layout, profiles)
    s.wine.env["LANG"] = RUSSIAN_LOCALE


def type_section(sections):
    """The [TYPE] section of read_profile_file's answer, its name matched without regard to case."""
    return next((values for name, values in sections.items() if name.lower() == "type"), {})


def set_ini_writer(profiles, stored):
    def write(path):
        text = profile_ini.render(profiles, 1)
        if stored:
            text += f"Language={stored}\r\n"  # the last section is [TYPE]
        profile_ini.write_utf16(path, text)
    return write


def start_in(s, layout, profiles, locale, stored, label):
    s.wine.env["LANG"] = locale
    program = start_standard(s, layout, label=label, profiles=profiles, set_ini=set_ini_writer(profiles, stored))
    return Person(s, program, layout, profiles)


def ask_default(me, language, shot=None):
    me.gui.click_button("Default")
    box = me.question(QUESTION_CAPTION, DEFAULT_QUESTION[language])
    if shot:
        me.gui.shot(shot)
    me.gui.answer(box, IDCANCEL)


def default_question_in(s, layout, profiles, locale, stored, expected):
    me = start_in(s, layout, profiles, locale, stored, f"lang-{locale[:2]}-{stored or 'none'}")
    try:
        ask_default(me, expected)
    finally:
        me.program.exit()


def tray_menu_picture(me, name):
    """The tray menu as it is drawn now (its size and pixels), closed again with Escape."""
    menu = me.open_tray_menu()
    me.gui.menu_item_centres(menu, TRAY_MENU)  # its items where the menu's list has them
    grab = me.s.screen.grab(menu.rect.left, menu.rect.top, menu.rect.width, menu.rect.height)
    me.gui.shot(name)
    me.s.xdo("key", "Escape")
    me.gui.wait_gone(menu)
    return (menu.rect.width, menu.rect.height), [grab.pixel(x, y) for y in range(grab.height) for x in range(grab.width)]


def shows_skin_of(me, language, shot):
    """The main window's buttons and the assignment dialog's show the pictures of `language` (at
    100 %), the dialog opened on F12 and closed with Cancel."""
    s, gui = me.s, me.gui

    def same(window, picture, entry, what):
        e = picture[1][entry]
        expected = picture[0].crop(e.x, e.y, e.width, e.height)
        if not poll_until_same(s, window, e, expected):
            raise Failure(f"{what} \"{e.name}\" does not show the {language} skin's picture; screenshot "
                          f"{gui.shot('failure-' + shot)}")

    skin = os.path.join(s.dist_dir, "skin", language, "100")
    main = gui.main_window()
    s.park_pointer()
    main_picture = (load_png(os.path.join(skin, "main_normal.png")), gui.main_layout)  # about 0.5 s to read
    for name in ("Default", "Apply", "Menu"):
        same(main, main_picture, gui.screen_button(name).number, "the main window's button")
    gui.shot(shot)
    dialog = gui.open_key_dialog(0x7B)
    s.park_pointer()
    dialog_picture = (load_png(os.path.join(skin, "key_normal.png")), gui.dialog_layout)
    for entry in (1, 2, 3):
        same(dialog, dialog_picture, entry, "the dialog's button")
    gui.shot(shot + "-dialog")
    gui.click_dialog(2, dialog)
    gui.wait_assign_dialog(False)


def poll_until_same(s, window, e, expected, seconds=5):
    return poll_until(lambda: s.screen.grab(window.rect.left + e.x, window.rect.top + e.y, e.width, e.height).data
                      == expected.data, seconds, interval=0.05)


def export_dialog_in_english(me):
    """The system's save dialog of "Export…" (the menu's second item in either language) takes the
    English title and filter; cancelled."""
    me.button_menu("&Экспорт…")
    dialog = me.gui.wait_window(EXPORT_TITLE_EN)
    filters = [c.title for c in me.gui.children(dialog.hwnd) if c.cls == "ComboBox"]
    if EXPORT_FILTER_EN not in filters:
        raise Failure(f"the English save dialog offers {filters}, not {EXPORT_FILTER_EN!r}")
    me.gui.ask(dialog.hwnd, WM_COMMAND, IDCANCEL, 0)
    me.gui.wait_gone(dialog)


def switch_to_english(s, layout, profiles):
    me = start_in(s, layout, profiles, RUSSIAN_LOCALE, None, "lang-switch")
    try:
        shows_skin_of(me, "ru", "lang-main-ru")
        russian = tray_menu_picture(me, "lang-tray-menu-ru")
        if "language=" in open(me.program.set_ini, "rb").read().decode("utf-16-le", "replace").lower():
            raise Failure("set.ini holds a Language key before any was chosen")
        me.button_submenu(LANGUAGE_MENU, "English")
        wait_file_text(me.program.set_ini, lambda sections: type_section(sections).get("language") == "en", 5,
                       "Language=en in set.ini")
        english = tray_menu_picture(me, "lang-tray-menu-en")
        if english[0] == russian[0] and english[1] == russian[1]:
            raise Failure("the tray menu looks the same after the switch to English")
        shows_skin_of(me, "en", "lang-main-en")
        ask_default(me, "en", shot="lang-default-question-en")
        export_dialog_in_english(me)
    finally:
        me.program.exit()
    # The choice outlives the program: a start under a Russian UI stays English.
    kept = type_section(read_profile_file(me.program.set_ini))
    if kept.get("language") != "en":
        raise Failure(f"[TYPE] after the exit holds {kept}")
    s.wine.env["LANG"] = RUSSIAN_LOCALE
    again = Person(s, s.start_program(me.program.folder), layout, profiles)
    try:
        ask_default(again, "en")
    finally:
        again.program.exit()
