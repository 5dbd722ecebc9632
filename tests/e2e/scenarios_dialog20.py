"""The assignment dialog on keys used in games: a profile key and a mouse key with turbo, opened
and closed with OK, keep what they do in set.ini; a profile key, a mouse key and a turbo period
chosen by clicks, and a period the field refuses."""

from report import Failure
from profile_ini import KIND_MOUSE, KIND_PROFILE
from scenario_kit import (D_OK, D_OTHER_TAB, F5, F6, F7, F8, F9, KIND_SINGLE, Person, marker_only_profile, open_in_mode,
                          read_profile_file, start_standard)
from waiting import poll_until

TURBO_MS = 120
FIRST_TURBO_MS = 50  # what the turbo box offers when first ticked
# Entries of "Composite.ini" and control ids of the dialog's keys for games.
D_PROFILE, D_MOUSE, D_TURBO, D_TURBO_PERIOD = 39, 42, 44, 45
C_PROFILE_LIST, C_MOUSE_LIST, C_TURBO_PERIOD, C_TURBO_HINT = 1138, 1139, 1140, 1141
C_ALL_PROFILES, C_TURBO = 2042, 2043
PROFILE_2, WHEEL_DOWN = 1, 6  # items of the Profile and Mouse lists
CB_GETCURSEL = 0x0147
PERIOD_HINT = "Турбо: целое число мс от 20 до 1000."


def dialog20_profile(layout):
    """F7 makes profile 2 active; F6 holds mouse button X1, tapped every TURBO_MS ms."""
    return marker_only_profile(layout).profile_key(F7, "2").mouse(F6, "x1").with_turbo(F6, TURBO_MS)


def scenario_dialog20(s, report, layout):
    """The dialog's controls for profile keys, mouse keys and turbo, and its OK on such keys."""
    profiles = {1: dialog20_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    program = start_standard(s, layout, label="dialog20", profiles=profiles)
    me = Person(s, program, layout, profiles)
    for name, check in (
            ("F7 (profile 2) and F6 (mouse x1, turbo) opened and closed with OK", kept_by_ok),
            ("F8: \"Other\", Mouse, \"Колесо вниз\" from its list, OK", mouse_by_clicks),
            ("F9: Turbo ticked offers 50 ms; a period of 5 is refused with the notice and 50 kept; OK",
             turbo_by_clicks),
            ("F5: \"Other\", Profile, \"Профиль 2\" from its list, the all-profiles box ticked as it opens, OK: F5 "
             "at the probe makes profile 2 active and reaches no application", profile_by_clicks)):
        if not report.check(name, check, me):
            me.recover()
    report.check("set.ini after the exit: F7 and F6 as they were, F8 turns the wheel down, F9 taps every 50 ms, "
                 "F5 chooses profile 2 in all three profiles", saved, me)


def kept_by_ok(me):
    for code in (F7, F6):
        me.gui.open_key_dialog(code)
        me.s.park_pointer()
        me.close_dialog(D_OK)


def other_choice(me, code, choice, kind, list_id, item):
    """Opens the dialog for a plain key, clicks "Other", a choice and an item of its list."""
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, code, KIND_SINGLE, None)
    gui.click_dialog(D_OTHER_TAB, dialog)
    gui.click_dialog(choice, dialog)
    combo = gui.wait_control(dialog, list_id, lambda c: c.visible and c.enabled, f"list {list_id} taking a choice")
    s.park_pointer()
    gui.check_dialog_look(dialog, kind, f"the \"Other\" page with choice {choice}")
    gui.choose_in_list(combo, item)
    gui.wait_control(dialog, list_id, lambda c: gui.ask(c.hwnd, CB_GETCURSEL) == item, f"item {item} chosen")
    s.park_pointer()
    return dialog


def mouse_by_clicks(me):
    dialog = other_choice(me, F8, D_MOUSE, KIND_MOUSE, C_MOUSE_LIST, WHEEL_DOWN)
    me.gui.wait_control(dialog, C_TURBO, lambda c: c.visible and c.enabled, "the turbo box taking a tick")
    me.gui.shot("dialog20-mouse")
    me.close_dialog(D_OK)


def turbo_by_clicks(me):
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, F9, KIND_SINGLE, None)
    gui.wait_control(dialog, C_TURBO_PERIOD, lambda c: c.visible and not c.enabled, "the period resting, box clear")
    gui.click_dialog(D_TURBO, dialog)
    gui.wait_control(dialog, C_TURBO_PERIOD, lambda c: c.enabled and c.title == str(FIRST_TURBO_MS),
                     f"the period field offering {FIRST_TURBO_MS}")
    s.park_pointer()
    gui.check_dialog_look(dialog, KIND_SINGLE, "Turbo ticked", ticked=(D_TURBO,))
    # The digits go to the field, not to single-key mode as the key F9 is to send: once the field
    # has the focus, single-key mode no longer takes the keys.
    gui.click_dialog(D_TURBO_PERIOD, dialog)
    field = gui.dialog_controls(dialog)[C_TURBO_PERIOD]
    if not poll_until(lambda: focused_window(s) == int(str(field.hwnd), 16), 3, interval=0.05):
        raise Failure(f"the period field did not take the focus: {s.wine.control_ok('foreground')}")
    s.give_keys_to()
    s.xdo("key", "End", "BackSpace", "BackSpace", "5")
    gui.wait_control(dialog, C_TURBO_PERIOD, lambda c: c.title == "5", "5 typed into the period field")
    gui.wait_control(dialog, C_TURBO_HINT, lambda c: c.visible and c.title == PERIOD_HINT, "the refusal shown")
    gui.shot("dialog20-turbo-refused")
    # Leaving the field shows the period kept.
    gui.click_dialog(D_TURBO, dialog)
    gui.click_dialog(D_TURBO, dialog)
    gui.wait_control(dialog, C_TURBO_PERIOD, lambda c: c.enabled and c.title == str(FIRST_TURBO_MS),
                     f"the field back at {FIRST_TURBO_MS} once left")
    if gui.dialog_controls(dialog)[C_TURBO_HINT].visible:
        raise Failure("the refusal still shows after the field was left")
    s.park_pointer()
    me.close_dialog(D_OK)


def focused_window(s):
    """The window with the keyboard focus in the foreground window's thread (0: none)."""
    line = next((part for part in s.wine.control_ok("foreground").split("\n") if part.startswith("focus=")), "")
    return int(line.split()[0].split("=")[1], 16) if line else 0


def profile_by_clicks(me):
    dialog = other_choice(me, F5, D_PROFILE, KIND_PROFILE, C_PROFILE_LIST, PROFILE_2)
    box = me.gui.dialog_controls(dialog)[C_ALL_PROFILES]
    if not (box.visible and box.enabled):
        raise Failure(f"the all-profiles box does not take a click beside the Profile choice: {box}")
    me.gui.shot("dialog20-profile")
    me.close_dialog(D_OK)
    if me.program.send("profile") != 1:
        raise Failure(f"profile {me.program.send('profile')} is active before F5 was pressed")
    me.keys.expect("F5 tapped", me.keys.tap("F5"), [], remapping=True, keys_only=True)
    if not poll_until(lambda: me.program.send("profile") == 2, 2, interval=0.02):
        raise Failure(f"after F5 the keys follow profile {me.program.send('profile')}, not 2")


def saved(me):
    me.program.exit()
    sections = read_profile_file(me.program.set_ini)
    values = sections.get("Profile1", {})
    expected = {f"indexpic{F7}": "7", f"profile{F7}": "2", f"setname{F7}": "Profile: 2",
                f"indexpic{F6}": "8", f"mouse{F6}": "x1", f"turbo{F6}": str(TURBO_MS), f"setname{F6}": "Mouse: x1",
                f"indexpic{F8}": "8", f"mouse{F8}": "wheeldown", f"turbo{F9}": str(FIRST_TURBO_MS)}
    problems = [f"{key} is {values.get(key)!r}, expected {value!r}" for key, value in expected.items()
                if values.get(key) != value]
    problems += [f"{key} is {values[key]!r}" for key in (f"hold{F7}", f"hold{F6}", f"turbo{F7}", f"turbo{F8}",
                                                         f"hold{F9}") if key in values]
    for n in (1, 2, 3):
        got = sections.get(f"Profile{n}", {})
        for key, value in ((f"indexpic{F5}", "7"), (f"profile{F5}", "2")):
            if got.get(key) != value:
                problems.append(f"Profile{n} {key} is {got.get(key)!r}, expected {value!r}")
    if problems:
        raise Failure("set.ini after the exit:\n" + "\n".join(problems))
