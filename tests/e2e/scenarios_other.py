"""The key assignment dialog's "Other" mode worked as a person does: a key given a text typed over
two lines, a key turned off, a key given a file chosen with "Browse..." and arguments, a text left
empty, letters the profile remaps typed into the text field as they are; what the keys do then and
what set.ini keeps of them."""

import os

from probe import tokens
from report import Failure
from scenario_kit import (
    C_BROWSE, C_HOLD, C_PROGRAM_ARGS, C_PROGRAM_PATH, C_TEXT_FIELD, D_ARGS, D_BROWSE, D_CANCEL, D_OK, D_OTHER_TAB,
    D_PROGRAM, D_TEXT, D_TEXT_FIELD, F1, F2, F3, F4, KIND_DISABLED, KIND_PROGRAM, KIND_SINGLE, KIND_TEXT, VK_A, VK_J,
    VK_X, OPEN_TITLE, Person, expect_typed, marker_only_profile, open_in_mode, read_profile_file, start_standard,
    unchanged, windows_path)
from waiting import poll_until

TEXT_LINES = ("Hello, world!", "Bye")
FIELD_TEXT = "\r\n".join(TEXT_LINES)    # as the multi-line field shows it
STORED_TEXT = "\\n".join(TEXT_LINES)    # as set.ini keeps it
TEXT_NAME = "Text: Hello, worl…"        # the display name: the text's first 11 characters
ARGS = "/s notes.txt"
OWN_TYPED = "second line"  # what a person types into our own window's field, as typed
VK_E, VK_O = 69, 79


def other_profile(layout):
    """F4 sends A, E sends J and O sends X (letters typed into the dialog's fields too); F1, F2 and F3
    are their own keys; the end marker."""
    return marker_only_profile(layout).single(F4, VK_A).single(VK_E, VK_J).single(VK_O, VK_X)


def scenario_other(s, report, layout):
    """The dialog's "Other" mode: a text typed over two lines, a key turned off, a file browsed for, an empty text."""
    profiles = {1: other_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="other", profiles=profiles), layout, profiles)
    for name, check in (
            ("F1: \"Other\" shows its page without the hold box; Text, a text typed with Return between two "
             "lines stays in the field, OK: F1 types it, Return as Enter", text_key),
            ("F1 again: the dialog opens on Text with the text in its field; Cancel", reopen_text_key),
            ("F2: \"Other\", Disabled as it opens, OK: F2 reaches no program", disabled_key),
            ("F3: Program, a file chosen with \"Browse...\" and arguments typed, OK", program_key),
            ("F4: Text chosen and left empty, OK: F4 is its own key again", empty_text),
            (f"letters E and O, remapped to J and X, typed into the text field: {OWN_TYPED!r} as typed; "
             "Cancel, and E and O are remapped again in the probe right after", own_window_typing)):
        if not report.check(name, check, me):
            me.recover()
    report.check("set.ini after exit: F1 a Text key, F2 Disabled, F3 a Program key with its arguments, F4 "
                 "unassigned", saved, me)


def other_mode(me, dialog, choice=None, enabled_control=C_TEXT_FIELD):
    """The "Other" mode button, then a choice; waits until the choice's field takes input."""
    gui = me.gui
    gui.click_dialog(D_OTHER_TAB, dialog)
    gui.wait_control(dialog, C_TEXT_FIELD, lambda c: c.visible, "the \"Other\" page shown")
    if choice is not None:
        gui.click_dialog(choice, dialog)
        gui.wait_control(dialog, enabled_control, lambda c: c.enabled, f"control {enabled_control} taking input")
    me.s.park_pointer()


def typed_into_field(me, dialog, entry):
    """Clicks a field of the dialog and gives it the keys that follow."""
    me.gui.click_dialog(entry, dialog)
    me.s.give_keys_to()


def text_key(me):
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, F1, KIND_SINGLE, None)
    other_mode(me, dialog)
    controls = gui.dialog_controls(dialog)
    if controls[C_HOLD].visible:
        raise Failure("the hold box shows in the \"Other\" mode")
    if controls[C_TEXT_FIELD].enabled or controls[C_BROWSE].enabled:
        raise Failure(f"with Disabled chosen the text field or browse button takes input: {controls[C_TEXT_FIELD]}")
    gui.check_dialog_look(dialog, KIND_DISABLED, "the \"Other\" mode as it opens: Disabled chosen")
    gui.shot("dialog-other")
    gui.click_dialog(D_TEXT, dialog)
    gui.wait_control(dialog, C_TEXT_FIELD, lambda c: c.enabled, "the text field taking typing")
    s.park_pointer()
    gui.check_dialog_look(dialog, KIND_TEXT, "Text chosen")
    typed_into_field(me, dialog, D_TEXT_FIELD)
    s.xdo("type", "--delay", "5", TEXT_LINES[0])
    s.xdo("key", "Return")  # a new line, not OK
    s.xdo("type", "--delay", "5", TEXT_LINES[1])
    gui.wait_control(dialog, C_TEXT_FIELD, lambda c: c.title == FIELD_TEXT, "the text on two lines in its field")
    s.park_pointer()
    gui.check_dialog_look(dialog, KIND_TEXT, "the text typed")
    gui.shot("dialog-other-text")
    me.close_dialog(D_OK)
    window, _, _ = me.keys.collect(me.keys.tap("F1"), True)
    text = "".join(chr(e.number("code")) for e in window if e.kind == "CHAR")
    if text != "\r".join(TEXT_LINES) or any(e.is_key and e.vk == F1 for e in window):
        raise Failure(f"F1 typed {text!r}, expected {chr(13).join(TEXT_LINES)!r} without F1 itself; the probe saw "
                      f"{' '.join(tokens(window))}")


def reopen_text_key(me):
    gui = me.gui
    dialog, _ = open_in_mode(me, F1, KIND_TEXT, None)
    gui.wait_control(dialog, C_TEXT_FIELD, lambda c: c.enabled and c.title == FIELD_TEXT,
                     "the key's text in its field, taking typing")
    gui.check_dialog_look(dialog, KIND_TEXT, "the dialog of a Text key")
    gui.shot("dialog-other-reopened")
    me.close_dialog(D_CANCEL)


def disabled_key(me):
    dialog, _ = open_in_mode(me, F2, KIND_SINGLE, None)
    other_mode(me, dialog)
    me.close_dialog(D_OK)
    me.keys.expect("F2 turned off", me.keys.tap("F2"), [], True)


def chosen_file(me):
    return os.path.join(me.program.folder, "Main.ini")


def program_key(me):
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, F3, KIND_SINGLE, None)
    other_mode(me, dialog, D_PROGRAM, C_PROGRAM_PATH)
    gui.check_dialog_look(dialog, KIND_PROGRAM, "Program chosen: path, browse and arguments take input")
    gui.click_dialog(D_BROWSE, dialog)
    me.file_dialog(OPEN_TITLE, chosen_file(me))
    path = windows_path(chosen_file(me))
    gui.wait_control(dialog, C_PROGRAM_PATH, lambda c: c.title.lower() == path.lower(), f"{path} in the path field")
    typed_into_field(me, dialog, D_ARGS)
    s.xdo("type", "--delay", "5", ARGS)
    gui.wait_control(dialog, C_PROGRAM_ARGS, lambda c: c.title == ARGS, "the arguments typed")
    s.park_pointer()
    gui.shot("dialog-other-program")
    me.close_dialog(D_OK)


def empty_text(me):
    dialog, _ = open_in_mode(me, F4, KIND_SINGLE, None)
    other_mode(me, dialog, D_TEXT)
    me.close_dialog(D_OK)
    expect_typed(me.keys, "F4", *unchanged(F4), "F4 after an empty text", remapping=True)


def own_window_typing(me):
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, F4, KIND_SINGLE, None)
    other_mode(me, dialog, D_TEXT)
    typed_into_field(me, dialog, D_TEXT_FIELD)
    s.xdo("type", "--delay", "5", OWN_TYPED)
    if not poll_until(lambda: gui.dialog_controls(dialog)[C_TEXT_FIELD].title == OWN_TYPED, 3, interval=0.05):
        raise Failure(f"the text field holds {gui.dialog_controls(dialog)[C_TEXT_FIELD].title!r} after "
                      f"{OWN_TYPED!r} was typed into it: remapped in our own window")
    s.park_pointer()
    me.close_dialog(D_CANCEL)
    expect_typed(me.keys, "e", *unchanged(VK_J, "j"), "E right after the dialog closed")
    expect_typed(me.keys, "o", *unchanged(VK_X, "x"), "O right after the dialog closed")


def saved(me):
    me.program.exit()
    values = read_profile_file(me.program.set_ini).get("Profile1", {})
    name_of, index_of = me.layout.name_of, me.layout.index_of
    expected = {f"indexpic{F1}": "5", f"text{F1}": STORED_TEXT, f"setname{F1}": TEXT_NAME,
                f"indexpic{F2}": "4", f"setname{F2}": "Disabled",
                f"indexpic{F3}": "6", f"args{F3}": ARGS, f"setname{F3}": "Program: Main.ini",
                f"indexpic{F4}": "0", f"key{F4}": str(F4), f"setname{F4}": name_of(F4)}
    problems = [f"{key} is {values.get(key)!r}, expected {value!r}" for key, value in expected.items()
                if values.get(key) != value]
    if values.get(f"program{F3}", "").lower() != windows_path(chosen_file(me)).lower():
        problems.append(f"program{F3} is {values.get(f'program{F3}')!r}, expected {windows_path(chosen_file(me))!r}")
    # Only a key of the kind keeps a text, a program or arguments.
    problems += [f"{key} is {values[key]!r}" for key in (f"program{F1}", f"text{F2}", f"text{F3}", f"text{F4}")
                 if key in values]
    assigned = {values.get(f"setindex{j}") for j in range(int(values.get("setindexnum", "0")))}
    for code, listed in ((F1, True), (F2, True), (F3, True), (F4, False)):
        if (str(index_of(code)) in assigned) != listed:
            problems.append(f"the assigned list {sorted(assigned)} {'lacks' if listed else 'holds'} "
                            f"{index_of(code)} (key code {code})")
    if problems:
        raise Failure("set.ini after the exit:\n" + "\n".join(problems[:14]))
