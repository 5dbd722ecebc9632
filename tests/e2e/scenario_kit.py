"""What every scenario works with: the keys and the profiles of the tests, the devices, the
program's captions and the assignment dialog's controls; `Keys`, which sends keys and reads what
the probe received for them; `start_standard`; `Person`, a person at the program's windows; and
what more than one scenario module does: a profile file waited for, the probe's keys read back,
the assignment dialog opened and a recording started and stopped, the CPU time over an idle
while."""

import os
import re
import time

import profile_ini
from gui import Gui, parse_rect
from probe import tokens
from profile_ini import (  # noqa: F401 (the scenarios take the kinds from here)
    KIND_DISABLED, KIND_FUNCTION, KIND_MACRO, KIND_MEDIA, KIND_PROGRAM, KIND_SINGLE, KIND_TEXT)
from report import Failure
from session import MAIN_TITLE
from waiting import ended_within, poll_until

# The keyboard: one plug-in brings one arrival per interface; the first is the one that counts.
KEYBOARD_PATH = r"\\?\hid#vid_1a2c&pid_2107&mi_01&col06#7&1b2c3d4&0&0005#{4d1e55b2-f16f-11cf-88cb-001111000030}"
KEYBOARD_INTERFACES = [
    KEYBOARD_PATH,
    r"\\?\hid#vid_1a2c&pid_2107&mi_00#7&2a3b4c5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
    r"\\?\hid#vid_1a2c&pid_2107&mi_01&col01#7&1b2c3d4&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
]
FOREIGN_PATH = r"\\?\hid#vid_845e&pid_0001#1&2d595ca7&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"

# Virtual-key codes as the profiles know them, and the X keysyms that produce them.
VK_RETURN, VK_CONTROL, VK_NUMLOCK, VK_KEYPAD_ENTER, VK_UP = 13, 17, 144, 108, 38
VK_A, VK_B, VK_J, VK_K, VK_P, VK_Q, VK_X, VK_Y = 65, 66, 74, 75, 80, 81, 88, 89
F1, F2, F3, F4, F5, F6, F7, F8, F9, F11, F12 = 112, 113, 114, 115, 116, 117, 118, 119, 120, 122, 123
KEYSYM = {F1: "F1", F2: "F2", F3: "F3", F4: "F4", F7: "F7", F8: "F8", F11: "F11"}

COPY_COMMAND = "Копировать"                 # a function command: Ctrl+C
COPY_KEYS = [VK_CONTROL, 67]
HOLD_TARGET = 65                            # F2 -> A
KEYPAD_SEQUENCE = [97, 101, 110]            # F3 -> Num 1, Num 5, Num . (a macro)
KEYPAD_SEQUENCE_NUMLOCK_OFF = [35, 101, 46]  # End, Num 5 (never translated), Delete
EIGHT_KEYS = [81, 87, 69, 82, 84, 89, 85, 73]  # F7 -> Q W E R T Y U I (a macro)
ENTER_TARGET, KEYPAD_ENTER_TARGET = 66, 78  # Enter -> B, keypad Enter -> N
PROFILE2_TARGET = 80                        # F4 -> P, in profile 2 only

# The end marker: F11 is remapped to Z in every profile. Sent after the keys under test, its
# output travels through the same output queue as theirs when remapping is on, so everything
# their release queued has reached the probe before the Z; when remapping is off, F11 itself
# arrives, after the physical keys sent before it.
MARKER, MARKER_TARGET = F11, 90

# The program's captions and the system's answers to its boxes.
QUESTION_CAPTION = "ORVELLE"  # every message box's; the main window's too, which wait_window passes over
ABOUT_CAPTION, ABOUT_PRODUCT = "О программе", "ORVELLE"
IDOK, IDCANCEL = 1, 2
SAVE_TITLE, OPEN_TITLE = "Сохранить как", "Открыть"  # our titles of the system's file dialogs
TRAY_ICON, TRAY_CALLBACK, WM_LBUTTONDBLCLK, WM_RBUTTONUP = 133, 0x464, 0x203, 0x205
# The menus, items top to bottom, None for a separator.
RUN_AS_ADMIN = "Запускать от имени &администратора"
ABOUT, EXIT = "О &программе…", "Вы&ход"  # the same action, the same name in both menus
NOTICE_ITEM = "показывать смену профиля"
LANGUAGE_MENU = "&Язык / Language"  # the same in both languages
BUTTON_MENU = ["&Импорт…", "&Экспорт…", "&Время нажатия клавиш", "Программы и п&рофили…", LANGUAGE_MENU,
               RUN_AS_ADMIN, NOTICE_ITEM, ABOUT, EXIT]
AUTOSTART = "Запускать &вместе с Windows"
TRAY_MENU = ["&Открыть", None, "Профиль &1", "Профиль &2", "Профиль &3", "Па&уза", None, AUTOSTART,
             RUN_AS_ADMIN, None, ABOUT, EXIT]
SUBMENUS = {"&Время нажатия клавиш": ["выкл.", "10 мс", "20 мс", "35 мс", "50 мс"],
            LANGUAGE_MENU: ["Русский", "English"]}

# Entries of "Composite.ini": the controls they place in the key assignment dialog.
D_OK, D_CANCEL, D_SINGLE_KEY_TAB, D_FUNCTION_TAB, D_MEDIA_TAB, D_MACRO_TAB = 1, 2, 6, 9, 8, 7
D_ADD_MACRO, D_DELETE_MACRO, D_RECORD, D_CLEAR_STEPS, D_STEP_LIST = 10, 11, 12, 14, 23
D_HOLD, D_KEY_DELAYS, D_LOOP_COUNT = 24, 25, 26
D_OTHER_TAB, D_TEXT, D_PROGRAM, D_TEXT_FIELD, D_BROWSE, D_ARGS = 28, 30, 31, 32, 34, 36
# Control ids of the dialog, to read what a control shows.
C_KEY_FIELD, C_MEDIA_LIST, C_FUNCTION_LIST, C_MACRO_NAMES, C_STEP_LIST = 1127, 1128, 1129, 1130, 1131
C_ADD_MACRO, C_SINGLE_KEY_TAB, C_MEDIA_TAB, C_FUNCTION_TAB = 1017, 2028, 2030, 2031
C_LOOP_COUNT, C_HOLD = 1125, 1028
C_OTHER_TAB, C_BROWSE, C_TEXT_FIELD, C_PROGRAM_PATH, C_PROGRAM_ARGS = 2035, 2039, 1132, 1133, 1134
# The kinds of a key's assignment are profile_ini's (imported above, for the scenarios).
KIND_MACRO_ONLY = 100  # the tests' own name for the dialog opened on the macro table alone ("Macro..")


def key_events(seq, char=None):
    """Expected tokens for the presses then releases of `seq`, with the character the press of
    the last key types."""
    presses = [f"{vk}↓" for vk in seq]
    releases = [f"{vk}↑" for vk in seq]
    return presses + ([repr(char)] if char is not None else []) + releases


def tap_tokens(vk, char=None):
    return [f"{vk}↓"] + ([repr(char)] if char is not None else []) + [f"{vk}↑"]


COPY_OUTPUT = key_events(COPY_KEYS, "\x03")  # what F1 as COPY_COMMAND gives


def unchanged(code, char=None):
    """A key that passes unchanged: its own press and release (and character)."""
    return [f"{code}↓", f"{code}↑"], char or ""


# ---------------------------------------------------------------------------------------------
# Profiles and their files


def standard_profile(layout):
    return (profile_ini.Profile(layout)
            .function(F1, COPY_COMMAND)
            .single(F2, HOLD_TARGET)
            .macro(F3, KEYPAD_SEQUENCE)
            .macro(F7, EIGHT_KEYS)
            .single(VK_RETURN, ENTER_TARGET)
            .single(VK_KEYPAD_ENTER, KEYPAD_ENTER_TARGET)
            .single(MARKER, MARKER_TARGET))


def marker_only_profile(layout):
    return profile_ini.Profile(layout).single(MARKER, MARKER_TARGET)


def assigned_entries(profile):
    """The profile's assigned key slots as the main window shows them: entry -> (kind, held)."""
    looks = {}
    for index in profile.assigned:
        code = profile.layout.slots[index][1]
        looks[index + 1] = (profile.groups[code][0], code in profile.held)
    return looks


def read_profile_file(path):
    """A profile file's sections ({name: {key: value}}, keys in lower case); checks the BOM."""
    data = open(path, "rb").read()
    if not data.startswith(b"\xff\xfe"):
        raise Failure(f"{path} does not start with FF FE but with {data[:4].hex(' ')}")
    sections = profile_ini.parse_ini(data[2:].decode("utf-16-le"))
    return {name: profile_ini.section_dict(sections, name) for name in sections}


def profile_problems(values, profile, label):
    """Where a saved profile section differs from what `profile` holds."""
    expected = dict(line.split("=", 1) for line in profile.lines())
    problems = [f"{label} {key} is {values.get(key.lower())!r}, expected {value!r}"
                for key, value in expected.items() if values.get(key.lower()) != value]
    extra = sorted(set(values) - {key.lower() for key in expected})
    if extra:
        problems.append(f"{label} has keys the profile does not: {', '.join(extra[:8])}")
    return problems


def file_problems(sections, active, expected_profiles):
    """Where a profile file's sections (as read_profile_file gives them) differ from [TYPE] naming
    profile `active` and from the profiles of `expected_profiles` ({number: Profile})."""
    active_type = sections.get("TYPE", {}).get("type")
    problems = [] if active_type == str(active) else [f"[TYPE] type is {active_type!r}, expected {active}"]
    for number, profile in expected_profiles.items():
        problems += profile_problems(sections.get(f"Profile{number}", {}), profile, f"[Profile{number}]")
    return problems


def wait_file_text(path, predicate, seconds, what):
    """Polls a profile file until predicate(sections) holds; returns the sections."""
    seen = {}

    def check():
        try:
            seen["sections"] = read_profile_file(path)
        except (OSError, Failure, UnicodeDecodeError) as error:
            seen["sections"] = {"error": str(error)}
            return False
        return predicate(seen["sections"])

    if not poll_until(check, seconds, interval=0.05):
        raise Failure(f"{what}: not within {seconds:g} s; {os.path.basename(path)} holds "
                      f"{ {k: dict(list(v.items())[:6]) if isinstance(v, dict) else v for k, v in seen['sections'].items()} }")
    return seen["sections"]



def windows_path(path):
    """The path as a program under Wine names it (drive Z: is the root)."""
    return "Z:" + path.replace("/", "\\")


# ---------------------------------------------------------------------------------------------
# Keys and the program's start


class Keys:
    """Sends keys with xdotool and collects what the probe received for them."""

    def __init__(self, session):
        self.s = session

    def collect(self, send, remapping):
        """Runs `send`, then the end marker; returns the probe's key and character events in
        between. `remapping` says whether the program is expected to remap right now."""
        s = self.s
        s.ensure_probe_focus()
        start = s.probe.position()
        send()
        s.xdo("key", KEYSYM[MARKER])
        try:
            marker_up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk in (MARKER, MARKER_TARGET), 5,
                                         "end marker (F11 or its Z)", start)
        except Failure as failure:
            windows = s.wine.control("foreground")[1].replace("\n", "; ")
            raise Failure(f"{failure}\n  windows now: {windows}; X focus on {s.xdo('getwindowfocus')}, "
                          f"probe's X window {s.probe_x_window}")
        seen = s.probe.events[marker_up].vk
        marker_down = next(i for i in range(start, marker_up + 1)
                           if s.probe.events[i].is_key and s.probe.events[i].vk == seen)
        window = s.probe.events[start:marker_down]
        if seen != (MARKER_TARGET if remapping else MARKER):
            raise Failure(f"remapping is {'on' if seen == MARKER_TARGET else 'off'}, expected it "
                          f"{'on' if remapping else 'off'} (the end marker F11 arrived as {seen}); probe saw:\n"
                          f"{s.probe.excerpt(start, marker_up + 1)}")
        return window, start, marker_up + 1

    def expect(self, what, send, expected, remapping, keys_only=False):
        window, start, end = self.collect(send, remapping)
        got = tokens(window, keys_only)
        if got != expected:
            raise Failure(f"{what}: expected {' '.join(expected)}\n  got {' '.join(got) or '(nothing)'}; "
                          f"probe saw:\n{self.s.probe.excerpt(start, end)}")
        return window

    def tap(self, keysym):
        return lambda: self.s.xdo("key", keysym)


def typed(keys, keysym, remapping=True):
    """Taps a key; returns what reached the probe: (key tokens, typed text)."""
    window, _, _ = keys.collect(keys.tap(keysym), remapping)
    return tokens(window, keys_only=True), "".join(chr(e.number("code")) for e in window if e.kind == "CHAR")


def expect_typed(keys, keysym, key_tokens, text, what, remapping=True):
    got_keys, got_text = typed(keys, keysym, remapping)
    if got_keys != key_tokens or got_text != text:
        raise Failure(f"{what}: {keysym} gave keys {' '.join(got_keys) or '(none)'} and text {got_text!r}; "
                      f"expected keys {' '.join(key_tokens)} and text {text!r}")


def set_numlock(s, keys, on, remapping=True):
    """Turns NumLock on or off; the probe reports its state on every key line, the marker's too."""
    _, _, end = keys.collect(lambda: None, remapping)
    if (s.probe.events[end - 1].fields.get("numlock") == "1") != on:
        start = s.probe.position()
        s.xdo("key", "Num_Lock")
        s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_NUMLOCK and
                         e.fields.get("numlock") == ("1" if on else "0"), 5, f"NumLock {'on' if on else 'off'}", start)


def keys_between(s, start, end):
    return [e for e in s.probe.events[start:end] if e.is_key]


def still_down(events):
    """Key codes whose last event in `events` is a press."""
    down = set()
    for e in events:
        if e.is_down:
            down.add(e.vk)
        else:
            down.discard(e.vk)
    return sorted(down)


def quiet_probe(s, quiet_s=0.3, seconds=5, what=None):
    """Waits until the probe's log has stopped growing for `quiet_s`; returns its length. With
    `what`, keys that keep coming for `seconds` are a failure named by it."""
    last = {"count": s.probe.position(), "at": time.monotonic()}

    def quiet():
        count = s.probe.position()
        if count != last["count"]:
            last.update(count=count, at=time.monotonic())
        return time.monotonic() - last["at"] >= quiet_s

    if not poll_until(quiet, seconds, interval=0.02) and what is not None:
        recent = keys_between(s, max(0, s.probe.position() - 12), s.probe.position())
        raise Failure(f"{what}: keys kept coming for {seconds:g} s, the last: "
                      f"{' '.join(tokens(recent, keys_only=True))}")
    return s.probe.position()


def press_until(s, keysym, vk, start, seconds=5, what=None):
    """Presses a key (and keeps it down); returns the index of the probe's press of `vk`, looked
    for from `start` (`what` names it if it does not come)."""
    s.xdo("keydown", keysym)
    return s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == vk, seconds, what or f"{vk} pressed", start)


def start_standard(s, layout, label=None, devices=(KEYBOARD_PATH,), profiles=None, active=1, set_ini=None,
                   hook=True):
    """Starts the program in a fresh folder (by default: the standard profiles with profile 1
    active and the keyboard present) and makes sure the probe runs and has the focus."""
    if set_ini is None:
        profiles = profiles or {1: standard_profile(layout), 2: marker_only_profile(layout),
                                3: marker_only_profile(layout)}
        set_ini = lambda path: profile_ini.write_set_ini(path, profiles, active)  # noqa: E731
    folder = s.prepare_folder(set_ini, devices=None if devices is None else list(devices), label=label)
    program = s.start_program(folder)
    if s.probe is None:
        s.start_probe(hook=hook)
    else:
        # The main window takes the foreground as it opens; once it has, the probe takes it back.
        poll_until(lambda: s.foreground() == program.hwnd, 2, interval=0.02)
        s.ensure_probe_focus(quiet=True)
    return program


def settle(program):
    """A message round trip to the program's window: whatever its thread did before (a dialog's
    commit, an import) has finished when the answer comes."""
    program.status()


# ---------------------------------------------------------------------------------------------
# A person at the program


class Person:
    """A person at the screen: the GUI helpers of the harness plus the program and the probe, and
    the layout and profiles the program was started with (where a scenario's checks need them)."""

    def __init__(self, s, program, layout=None, profiles=None):
        self.s = s
        self.program = program
        self.layout = layout
        self.profiles = profiles
        self.gui = Gui(s, s.dist_dir)
        self.keys = Keys(s)

    def pressed(self, profile):
        """The key slots the main window draws pressed while that profile is active."""
        return assigned_entries(self.profiles[profile])

    def question(self, caption, text):
        box = self.gui.wait_window(caption)
        texts = self.gui.texts(box)
        if not any(t.startswith(text) for t in texts):
            raise Failure(f"the \"{caption}\" box says {texts}, expected {text!r}")
        return box

    def choose_menu_item(self, items, item, menu=None):
        """Clicks an item of the open popup menu (or of `menu`), whose items top to bottom are
        `items` (None for a separator); returns the menu. The menu stays open when the item opens
        a submenu (its name in SUBMENUS)."""
        menu = menu or self.gui.wait_window("", cls=Gui.MENU_CLASS)
        x, y = self.gui.menu_item_centres(menu, items)[items.index(item)]
        self.gui.click_at(x, y)
        if item not in SUBMENUS:
            self.gui.wait_gone(menu)
        return menu

    def button_menu(self, item):
        """"Menu", then one of its items."""
        self.gui.click_button("Menu")
        self.choose_menu_item(BUTTON_MENU, item)

    def button_submenu(self, item, sub_item):
        """"Menu", one of its items that opens a submenu, then an item of the submenu."""
        self.gui.click_button("Menu")
        parent = self.choose_menu_item(BUTTON_MENU, item)

        def submenu():
            return next((w for w in self.gui.windows() if w.visible and w.cls == Gui.MENU_CLASS and
                         w.hwnd != parent.hwnd), None)

        menu = poll_until(submenu, 5, interval=0.02)
        if menu is None:
            raise Failure(f"\"{item}\" opened no submenu; windows: {self.gui.describe_windows()}")
        self.choose_menu_item(SUBMENUS[item], sub_item, menu)
        self.gui.wait_gone(parent)

    def hide_main_window(self):
        """The main window hidden with its Close button, if shown; the probe has the keys again."""
        if self.gui.main_window().visible:
            self.gui.click_button("Close")
            self.gui.wait_main_window(False)
        self.s.ensure_probe_focus(quiet=True)

    def start_again(self, *arguments):
        """A second start of the program from its folder with `arguments`, as a user types a
        command; returns its process, which ends on its own."""
        folder = self.program.folder
        process = self.s.wine.spawn([os.path.join(folder, "orvelle-e2e.exe"), *arguments],
                                    f"second-start-{len(self.s.programs)}.log", cwd=folder)
        self.s.programs.append(process)
        return process

    def open_tray_menu(self):
        """The tray icon's right button; returns the menu."""
        self.s.wine.control_ok("post", TRAY_CALLBACK, TRAY_ICON, WM_RBUTTONUP)
        return self.gui.wait_window("", cls=Gui.MENU_CLASS)

    def tray_menu(self, item):
        """The tray icon's right button, then one of the tray menu's items."""
        self.choose_menu_item(TRAY_MENU, item, self.open_tray_menu())

    def file_dialog(self, title, path):
        """Types a full Windows path into a file dialog's name field and presses Return."""
        dialog = self.gui.wait_window(title)
        self.s.give_keys_to()
        self.s.xdo("key", "ctrl+a")  # over the name the dialog offers
        self.s.xdo("type", "--delay", "5", windows_path(path))
        self.s.xdo("key", "Return")
        self.gui.wait_gone(dialog, seconds=10)
        settle(self.program)
        return dialog

    def about_box(self, name):
        about = self.gui.wait_window(ABOUT_CAPTION)
        texts = self.gui.texts(about)
        if ABOUT_PRODUCT not in texts or not any(re.fullmatch(r"Версия \d+\.\d+\.\d+", t) for t in texts) or \
                any("\uff1a" in t for t in texts):
            raise Failure(f"the about box says {self.gui.texts(about)}")
        self.gui.shot(name)
        self.gui.answer(about, IDOK)

    def wait_ended(self, after, seconds=10):
        if not ended_within(self.program.process, seconds):
            raise Failure(f"the program still runs {seconds} s after {after}; windows: {self.gui.describe_windows()}")

    def recover(self):
        """After a failed check: closes what it left open (a question, a dropped list, the
        assignment dialog), so that the next check starts from the main window, not from the
        fault of this one."""
        for _ in range(4):
            if self.program.process.poll() is not None:
                return
            shown = [w for w in self.gui.windows() if w.visible and w.title != MAIN_TITLE]
            if not shown:
                break
            print(f"  note: closing what the failed check left open: {self.gui.describe_windows()}")
            box = next((w for w in shown if w.cls == Gui.DIALOG_CLASS and w.title), None)
            dialog = self.gui.assign_dialog()
            try:
                if box is not None:
                    ids = {c.id for c in self.gui.children(box.hwnd)}
                    self.gui.answer(box, IDCANCEL if IDCANCEL in ids else IDOK)
                elif any(w.cls in (Gui.LIST_POPUP_CLASS, Gui.MENU_CLASS) for w in shown):
                    self.s.give_keys_to()
                    self.s.xdo("key", "Escape")
                elif dialog is not None:
                    self.close_dialog(D_CANCEL)
            except Failure as failure:
                print(f"  note: {failure}")
        self.s.park_pointer()
        settle(self.program)

    def close_dialog(self, entry):
        """OK or Cancel of the assignment dialog; waits until it has closed and the main window
        has done what follows."""
        dialog = self.gui.wait_assign_dialog(True)
        self.gui.click_dialog(entry, dialog)
        self.gui.wait_assign_dialog(False)
        settle(self.program)


# ---------------------------------------------------------------------------------------------
# The assignment dialog


def centred_places(s, mask, area):
    """Where a window of the mask's size is centred: left, and the tops for the work area
    ("workarea", the system's, or "monitor_work", the primary monitor's) and for the whole screen.
    Wine shows its taskbar, and takes its strip off the work area, only while a tray icon exists:
    the program asks for the work area right after adding its icon, before the taskbar has
    appeared, and so centres itself on the whole screen."""
    screen = dict(part.split("=") for part in s.wine.control_ok("screen").split())
    work = parse_rect(screen[area])
    height = int(screen["screen"].split(",")[1])
    left = (work.left + work.right) // 2 - mask.width // 2
    return left, [(work.top + work.bottom) // 2 - mask.height // 2, height // 2 - mask.height // 2]


def check_sized_and_centred(s, gui, window, mask_name, area, what, where):
    """A window is exactly the size of its mask picture and centred as centred_places says;
    returns the tops it may have, the work area's first."""
    mask = gui.picture(mask_name)
    left, tops = centred_places(s, mask, area)
    if (window.rect.width, window.rect.height) != (mask.width, mask.height) or window.rect.left != left or \
            window.rect.top not in tops:
        raise Failure(f"{what} is {window.rect}; expected {mask.width}x{mask.height} at ({left}, one of "
                      f"{tops}), {where}")
    return tops


def open_in_mode(me, code, kind, shot):
    """Opens the dialog for a key; it opens in `kind`'s mode (the key's own kind)."""
    s, gui = me.s, me.gui
    dialog = gui.open_key_dialog(code)
    s.park_pointer()
    controls = gui.dialog_controls(dialog)
    shown = {KIND_SINGLE: C_KEY_FIELD, KIND_MACRO: C_MACRO_NAMES, KIND_FUNCTION: C_FUNCTION_LIST,
             KIND_DISABLED: C_TEXT_FIELD, KIND_TEXT: C_TEXT_FIELD, KIND_PROGRAM: C_TEXT_FIELD}[kind]
    gui.wait_control(dialog, shown, lambda c: c.visible, f"control {shown} shown in the dialog for key {code}")
    check_sized_and_centred(s, gui, dialog, "key_mask", "monitor_work", "the dialog", "centred on the monitor")
    if shot:
        gui.check_dialog_look(dialog, kind, f"the dialog for key {code}")
        gui.shot(shot)
    return dialog, controls


def new_macro_for(me, code, macros=None):
    """Opens the dialog of a key that sends itself, goes to macro mode (where the name box holds
    `macros` macros, if given) and adds a macro."""
    gui = me.gui
    dialog, _ = open_in_mode(me, code, KIND_SINGLE, None)
    gui.click_dialog(D_MACRO_TAB, dialog)
    names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible and (macros is None or c.items == macros),
                             "the macro names")
    gui.click_dialog(D_ADD_MACRO, dialog)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == names.items + 1, "a new macro")
    return dialog


# Two clicks on one spot within the system's double-click time (500 ms) are a double click, which
# the record button takes as one click: a click that is to stop a recording waits that long.
DOUBLE_CLICK_S = 0.55


def wait_out_double_click(since):
    left = since + DOUBLE_CLICK_S - time.monotonic()
    if left > 0:
        time.sleep(left)


def start_recording(me, dialog):
    """Record button; waits until the recording is on (the add button disabled) and no warning
    came up. Returns the time of the click, for stop_recording."""
    gui = me.gui
    gui.click_dialog(D_RECORD, dialog)
    started_at = time.monotonic()

    def started():
        # A warning is another captionless dialog window of the program.
        warning = [w for w in gui.windows() if w.visible and w.cls == Gui.DIALOG_CLASS and not w.main
                   and w.title in ("", QUESTION_CAPTION) and w.hwnd != dialog.hwnd]
        if warning:
            raise Failure(f"the record button warned although NumLock is on: {gui.texts(warning[0])}")
        return not gui.dialog_controls(dialog)[C_ADD_MACRO].enabled

    if not poll_until(started, 5, interval=0.02):
        raise Failure("recording did not start (the add button stayed enabled)")
    return started_at


def stop_recording(me, dialog, started_at):
    """Record button again, once a double click with the click that started the recording (at
    `started_at`) is ruled out; waits until the recording is off and moves the pointer off the
    button."""
    wait_out_double_click(started_at)
    me.gui.click_dialog(D_RECORD, dialog)
    me.gui.wait_control(dialog, C_ADD_MACRO, lambda c: c.enabled, "recording off (add button enabled)")
    me.s.park_pointer()


# ---------------------------------------------------------------------------------------------
# Idle figures


def linux_cpu_seconds(pid, exe="orvelle-e2e.exe"):
    """CPU seconds (user + system, all threads) of the Linux process that runs a Windows program
    (by default ours): wine execs its loader in the process it was started as. None when that
    process is not the program."""
    try:
        if exe.encode() not in open(f"/proc/{pid}/cmdline", "rb").read():
            return None
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def over_idle(seconds, read):
    """Calls `read` before and after `seconds` in which the tests leave the program alone;
    returns both readings and the seconds between them."""
    before, t0 = read(), time.monotonic()
    time.sleep(seconds)  # the measurement window itself
    after, t1 = read(), time.monotonic()
    return before, after, t1 - t0
