"""The main window tells the truth about its state: each kind of assigned key in its look with its
Hold mark, the hover look gone once the pointer leaves, the active profile's button lit after a
switch from the tray, keys held on the keyboard lit, the CapsLock lamp lit while CapsLock is on, "Apply" lit while an edit waits,
and a notice while the keyboard is missing."""

import window_face
from report import Failure
from scenario_kit import (
    D_OK, F1, F2, F3, F5, F6, F7, HOLD_TARGET, KEYBOARD_PATH, Person, marker_only_profile, start_standard, windows_path)
from session import STATUS_HOOK, STATUS_PRESENT
from waiting import poll_until

VK_K = 0x4B
COPY_COMMAND = "Копировать"


def state_profile(layout):
    """Every kind on one picture: a command, another key held, a macro, a key turned off, a text
    and a program."""
    return (marker_only_profile(layout)
            .function(F1, COPY_COMMAND)
            .single(F2, HOLD_TARGET, hold=True)
            .macro(F3, [VK_K])
            .disabled(F5)
            .text(F6, "hi")
            .program(F7, windows_path("/bin/nothing.exe")))


def scenario_window_state(s, report, layout):
    """The main window tells its state: kinds, hover, a switch from the tray, lamps, a missing keyboard."""
    profiles = {1: state_profile(layout), 2: marker_only_profile(layout).function(F3, COPY_COMMAND),
                3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="window-state", profiles=profiles), layout, profiles)
    for name, check in (
            ("each kind of assigned key shows its own look, the held key its Hold mark", kinds_at_start),
            ("the over look ends when the pointer leaves the window, on a plain key and on a held one", hover_ends),
            ("keys held down on the keyboard light on the picture until let go of, the tip says what one does",
             live_view),
            ("a switch from the tray menu lights the new profile's button at once", switch_from_tray),
            ("the CAPS lamp lights with CapsLock and goes out with it", caps_lamp),
            ("\"Apply\" is lit while an edit of the macro table waits, and goes out once applied", apply_lit),
            ("the window says that the keyboard is missing, and stops saying so when it is back", missing_keyboard)):
        if not report.check(name, check, me):
            me.recover()
    me.program.exit()


def main_window(me):
    return me.gui.wait_main_window(True)


def kinds_at_start(me):
    me.s.park_pointer()
    me.gui.wait_picture(main_window(me), me.gui.expected_main(1, me.pressed(1)), "every kind in its look")
    me.gui.shot("window-state-kinds")


def hover_ends(me):
    s, gui = me.s, me.gui
    window = main_window(me)
    for code, what in ((VK_K, "K"), (F2, "F2, held")):
        slot = gui.key_slot(code)
        s.screen.move(window.rect.left + slot.centre()[0], window.rect.top + slot.centre()[1])
        gui.wait_picture(window, gui.expected_main(1, me.pressed(1), over_entry=slot.number), f"{what} under the pointer")
        # Straight out of the window, over no other region on the way: only the leave notice can
        # put the over look out.
        s.park_pointer()
        gui.wait_picture(window, gui.expected_main(1, me.pressed(1)), f"the window after the pointer left {what}")
    gui.shot("window-state-after-leave")


def live_view(me):
    s, gui = me.s, me.gui
    window = main_window(me)
    s.park_pointer()

    def tip_of(text):
        tip = poll_until(lambda: next((w for w in gui.windows() if w.visible and w.cls == "tooltips_class32"
                                       and w.title == text), None), 5, interval=0.05)
        if tip is None:
            raise Failure(f"no tooltip {text!r} while the key is held; tooltip windows: "
                          f"{[w for w in gui.windows() if w.cls == 'tooltips_class32']}")
        # The tip lies over the picture, below the key: the comparison leaves its place out.
        r = tip.rect
        return gui.main_selection().without([(r.left - window.rect.left, r.top - window.rect.top, r.width, r.height)])

    # K sends itself and F5 is off (swallowed, nothing reaches a program): both light alike.
    try:
        s.xdo("keydown", "k")
        outside_tip = tip_of("K: не переназначена")
        gui.wait_picture(window, gui.expected_main(1, me.pressed(1), held_codes=(VK_K,)), "K held down",
                         selection=outside_tip)
        s.xdo("keydown", "F5")
        outside_tip = tip_of("F5: выключена")
        gui.wait_picture(window, gui.expected_main(1, me.pressed(1), held_codes=(VK_K, F5)), "K and F5 held down",
                         selection=outside_tip)
    finally:
        s.xdo("keyup", "F5")
        s.xdo("keyup", "k")
    gui.wait_picture(window, gui.expected_main(1, me.pressed(1)), "K and F5 let go of")


def switch_from_tray(me):
    gui = me.gui
    for profile in (2, 1):
        me.tray_menu(f"Профиль &{profile}")
        me.s.park_pointer()
        # No pointer crosses the window: the button must be lit by the switch itself.
        gui.wait_picture(main_window(me), gui.expected_main(profile, me.pressed(profile)),
                         f"profile {profile} lit after the tray menu's switch")
        if profile == 2:
            gui.shot("window-state-tray-switch")


def apply_lit(me):
    gui = me.gui
    gui.click_button("Macro..")
    me.close_dialog(D_OK)
    me.s.park_pointer()
    gui.wait_picture(main_window(me), gui.expected_main(1, me.pressed(1), apply_lit=True),
                     "\"Apply\" lit while the edit waits")
    gui.shot("window-state-apply-lit")
    gui.press_resting_button("Apply", 1, me.pressed(1))


def lamp_pixel(me, window, name):
    x, y, width, height = window_face.indicators(me.gui.main_layout.path)[name]
    return me.s.screen.grab(window.rect.left + x + width // 2, window.rect.top + y + height // 2, 1, 1).pixel(0, 0)


def caps_lamp(me):
    s, gui = me.s, me.gui
    window = main_window(me)
    s.park_pointer()
    x, y, width, height = window_face.indicators(gui.main_layout.path)["CapsLock"]
    unlit = gui.picture("main_normal").crop(x, y, width, height).data
    if gui.grab_window(window).crop(x, y, width, height).data != unlit:
        raise Failure("the CAPS lamp is lit before CapsLock was pressed")
    s.xdo("key", "Caps_Lock")
    try:
        if not poll_until(lambda: lamp_pixel(me, window, "CapsLock") == window_face.LIT_LAMP, 3, interval=0.03):
            raise Failure(f"the CAPS lamp shows {lamp_pixel(me, window, 'CapsLock')} after CapsLock, not the lit "
                          f"{window_face.LIT_LAMP}")
        gui.shot("window-state-caps-lamp")
    finally:
        s.xdo("key", "Caps_Lock")
    if not poll_until(lambda: gui.grab_window(window).crop(x, y, width, height).data == unlit, 3, interval=0.03):
        raise Failure("the CAPS lamp stays lit after CapsLock went off again")


def missing_keyboard(me):
    s, gui, program = me.s, me.gui, me.program
    window = main_window(me)
    s.park_pointer()
    x, y, width, height = window_face.indicators(gui.main_layout.path)["NoKeyboard"]

    def band_share():
        area = gui.grab_window(window).crop(x, y, width, height)
        band = bytes(window_face.NOTICE_BAND)
        return sum(1 for i in range(0, len(area.data), 3) if area.data[i:i + 3] == band) / (width * height)

    program.send(f"remove {KEYBOARD_PATH}")
    program.wait_status(0)
    if not poll_until(lambda: band_share() > 0.5, 3, interval=0.03):
        raise Failure(f"no notice while the keyboard is missing: {band_share():.0%} of its place shows its band")
    gui.shot("window-state-keyboard-missing")
    program.send(f"arrive {KEYBOARD_PATH}")
    program.wait_status(STATUS_HOOK | STATUS_PRESENT)
    gui.wait_picture(window, gui.expected_main(1, me.pressed(1)), "the window once the keyboard is back")
