"""Scenarios of the main window and the key assignment dialog, worked with the mouse and keys as a
person does, and the times a person waits for them."""

import os
import subprocess
import time

import profile_ini
from gui import Gui
from report import Failure, figure, median
from scenario_kit import (
    C_ADD_MACRO, C_FUNCTION_LIST, C_FUNCTION_TAB, C_KEY_FIELD, C_MACRO_NAMES, C_MEDIA_LIST, C_MEDIA_TAB,
    C_OTHER_TAB, C_SINGLE_KEY_TAB, C_STEP_LIST, COPY_COMMAND, COPY_OUTPUT, D_ADD_MACRO, D_CANCEL, D_CLEAR_STEPS,
    D_DELETE_MACRO, D_FUNCTION_TAB, D_MACRO_TAB, D_MEDIA_TAB, D_OK, D_RECORD, D_SINGLE_KEY_TAB, D_STEP_LIST, EIGHT_KEYS, F1, F2, F3, F4,
    F5, F6, F7, F8, HOLD_TARGET, IDOK, KEYBOARD_PATH, KEYPAD_SEQUENCE, KIND_FUNCTION, KIND_MACRO, KIND_MACRO_ONLY,
    ABOUT, EXIT, KIND_MEDIA, KIND_SINGLE, MARKER, MARKER_TARGET, OPEN_TITLE, PROFILE2_TARGET, QUESTION_CAPTION, SAVE_TITLE,
    TRAY_CALLBACK, TRAY_ICON, VK_A, VK_B, VK_J, VK_K, VK_Q, VK_X, VK_Y, WM_LBUTTONDBLCLK, Person, assigned_entries,
    centred_places, check_sized_and_centred, expect_typed, file_problems, key_events, marker_only_profile,
    new_macro_for, open_in_mode, read_profile_file, set_numlock, settle, start_recording, start_standard, stop_recording, unchanged, windows_path)
from waiting import now_us, poll_until

SWITCH_QUESTION = "Выполнить сброс до настроек по ?"
RESET_QUESTION = "Выполнить сброс до настроек по умолчанию?"
MACRO_IN_USE_CAPTION = QUESTION_CAPTION
# A macro name with blanks and quotes at its ends, and how set.ini keeps it so that it reads back whole.
FIRE = ' "Fire" '
FIRE_STORED = f'"{FIRE}"'
MACRO_IN_USE_QUESTION = "Этот макрос назначен клавишам. Удалить его?"
EXPORT_FILTER = "Файл ini (*.ini)"
FUNCTION_COMMANDS = ["Открыть", "Новый", "Отмена", "Сохранить", "Копировать", "Вырезать", "Вставить", "Поиск",
                     "Выделить все", "Масштаб +", "Масштаб -", "Свернуть", "Развернуть "]
GUI_FIGURE_RUNS = 5
D_DELETE_STEP, D_FIRST_STEP, D_LAST_STEP = 13, 15, 18
IDYES = 6
LVM_GETNEXTITEM, LVNI_SELECTED, FROM_THE_START = 0x100C, 2, 0xFFFFFFFFFFFFFFFF


# ---------------------------------------------------------------------------------------------
# The main window


def window_profile(layout):
    """Profile 1 of the window scenario: a command, another key, two macros and the marker. Enter
    keeps its own key: the file dialogs are confirmed with it."""
    return (profile_ini.Profile(layout)
            .function(F1, COPY_COMMAND)
            .single(F2, HOLD_TARGET)
            .macro(F3, KEYPAD_SEQUENCE)
            .macro(F7, EIGHT_KEYS)
            .single(MARKER, MARKER_TARGET))


def export_path(s, number):
    return os.path.join(s.work_dir, f"export-profile{number}.ini")


def scenario_window(s, report, layout):
    """The main window worked with the mouse: picture, hover, hide and show, questions, export, import, exit."""
    profiles = {1: window_profile(layout), 2: marker_only_profile(layout).single(F4, PROFILE2_TARGET),
                3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="main-window", profiles=profiles), layout, profiles)
    for name, check in (
            ("at start: the normal picture, profile 1's button and the assigned keys pressed, the outline cut",
             picture_at_start),
            ("a key slot under the resting pointer shows the over look; an empty spot restores it", hover),
            ("\"Close\" hides the window; a double click on the tray icon shows it in front", close_and_show),
            ("\"Profile2\" with an unapplied macro edit asks; OK switches", switch_with_unapplied_edit),
            ("\"Profile1\" without unapplied edits switches without a question", switch_back_without_question),
            ("\"экспорт\" writes TYPE and profile 1 with the macro kept by the question's OK", export_profile1),
            ("\"экспорт\" with profile 2 active writes TYPE 2 and profile 2", export_profile2),
            ("\"Default\" asks, then resets profile 1 at once", reset_to_defaults),
            ("the tray menu's \"О &программе…\" opens the about box, OK closes it", about_from_tray)):
        if not report.check(name, check, me):
            me.recover()
    if not report.check("the tray menu's \"Вы&ход\" ends the program; set.ini: profile 1 at defaults, "
                        "profile 2 untouched", exit_from_tray, me):
        return

    # A new start with the same profiles: profile 2's export imported into profile 1.
    me = Person(s, start_standard(s, layout, label="import", profiles=profiles), layout, profiles)
    for name, check in (("\"импорт\" of profile 2's export replaces the active profile 1", import_into_profile1),
                        ("the button menu's \"О &программе…\" opens the about box, OK closes it",
                         about_from_button_menu)):
        if not report.check(name, check, me):
            me.recover()
    report.check("the button menu's \"выход\" ends the program; set.ini: profile 1 holds profile 2's data",
                 exit_from_button_menu, me)


def picture_at_start(me):
    s, gui = me.s, me.gui
    window = gui.wait_main_window(True)
    tops = check_sized_and_centred(s, gui, window, "main_mask", "workarea", "the main window",
                                   "centred in the work area")
    mask = gui.picture("main_mask")
    if window.rect.top != tops[0]:
        print("  note: the main window is centred on the whole screen, the work area before Wine's taskbar")
    actual = gui.wait_picture(window, gui.expected_main(1, me.pressed(1)), "the window at start")
    gui.shot("main-start")
    # A pixel the mask cuts away shows the desktop: compare with the desktop just left of the
    # window, which nothing covers.
    desktop = s.screen.grab(window.rect.left - 4, window.rect.top + window.rect.height // 2, 1, 1).pixel(0, 0)
    normal = gui.picture("main_normal")
    holes = [(x, y) for y in range(mask.height) for x in (0, mask.width - 1)
             if mask.pixel(x, y) == (255, 255, 255) and normal.pixel(x, y) != desktop]
    if not holes:
        raise Failure("no pixel of the mask's outline differs from the desktop in the normal picture")
    x, y = holes[0]
    if actual.pixel(x, y) != desktop:
        raise Failure(f"pixel ({x},{y}), cut away by the mask, shows {actual.pixel(x, y)} instead of the "
                      f"desktop {desktop}")


def hover(me):
    gui = me.gui
    window = gui.main_window()
    slot = gui.key_slot(75)  # K, not assigned
    me.s.screen.move(window.rect.left + slot.centre()[0], window.rect.top + slot.centre()[1])
    gui.wait_picture(window, gui.expected_main(1, me.pressed(1), over_entry=slot.number), "K under the resting pointer")
    gui.shot("main-hover")
    gui.rest_pointer(1, me.pressed(1), "the window after the pointer left K for an empty spot")


def close_and_show(me):
    s, gui, keys = me.s, me.gui, me.keys
    gui.click_button("Close")
    gui.wait_main_window(False)
    s.park_pointer()
    s.wine.control_ok("post", TRAY_CALLBACK, TRAY_ICON, WM_LBUTTONDBLCLK)
    window = gui.wait_main_window(True)
    if not poll_until(lambda: s.foreground() == window.hwnd, 3, interval=0.02):
        raise Failure(f"shown again but not in the foreground: {s.wine.control_ok('foreground')}")
    gui.wait_picture(window, gui.expected_main(1, me.pressed(1)), "the window shown again")
    keys.expect("F1 while shown again", keys.tap("F1"), COPY_OUTPUT, True)


def switch_with_unapplied_edit(me):
    gui = me.gui
    gui.click_button("Macro..")
    dialog = gui.wait_assign_dialog(True)
    count = gui.dialog_controls(dialog)[C_MACRO_NAMES].items
    gui.click_dialog(D_ADD_MACRO, dialog)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == count + 1 and c.title == "define0",
                     "a new macro define0 in the macro name box")
    me.close_dialog(D_OK)
    gui.click_button("Profile2")
    box = me.question(QUESTION_CAPTION, SWITCH_QUESTION)
    gui.shot("main-question-switch")
    gui.answer(box, IDOK)
    gui.rest_pointer(2, me.pressed(2), "profile 2 active after the question")
    expect_typed(me.keys, "F4", [f"{PROFILE2_TARGET}↓", f"{PROFILE2_TARGET}↑"], "p", "F4 in profile 2")
    expect_typed(me.keys, "F1", *unchanged(F1), "F1 in profile 2")


def switch_back_without_question(me):
    gui, keys = me.gui, me.keys
    gui.click_button("Profile1")
    gui.rest_pointer(1, me.pressed(1), "profile 1 active again")
    asked = gui.message_boxes(QUESTION_CAPTION)
    if asked:
        raise Failure(f"switching without unapplied edits asked: {asked}")
    keys.expect("F1 in profile 1", keys.tap("F1"), COPY_OUTPUT, True)


def export(me, number, typed_path):
    gui = me.gui
    me.button_menu("&Экспорт…")
    dialog = gui.wait_window(SAVE_TITLE)
    filters = [c.title for c in gui.children(dialog.hwnd) if c.cls == "ComboBox"]
    if EXPORT_FILTER not in filters:
        raise Failure(f"the save dialog offers {filters}, not {EXPORT_FILTER!r}")
    gui.shot(f"main-export-profile{number}")
    me.file_dialog(SAVE_TITLE, typed_path)
    gui.answer(me.question(QUESTION_CAPTION, f"Профиль {number} сохранён в файл"), IDOK)


def check_export(me, path, number, expected):
    if not os.path.isfile(path):
        raise Failure(f"no file {path} after the export; the folder holds {sorted(os.listdir(me.s.work_dir))}")
    sections = read_profile_file(path)
    names = sorted(sections)
    if names != sorted(["TYPE", f"Profile{number}"]):
        raise Failure(f"{path} holds the sections {names}, expected TYPE and Profile{number}")
    problems = file_problems(sections, number, {number: expected})
    if problems:
        raise Failure(f"{path}:\n" + "\n".join(problems[:12]))


def export_profile1(me):
    path = export_path(me.s, 1)
    export(me, 1, path)
    # The macro added before the question stayed with profile 1 (answer OK); the rest is
    # profile 1 as it was.
    expected = window_profile(me.layout)
    expected.macros.append(("define0", [], None, 1))
    check_export(me, path, 1, expected)


def export_profile2(me):
    gui = me.gui
    path = export_path(me.s, 2)
    gui.click_button("Profile2")
    gui.rest_pointer(2, me.pressed(2), "profile 2 active for the export")
    export(me, 2, path)
    check_export(me, path, 2, me.profiles[2])
    gui.click_button("Profile1")
    gui.rest_pointer(1, me.pressed(1), "profile 1 active after the export")


def reset_to_defaults(me):
    gui = me.gui
    gui.click_button("Default")
    box = me.question(QUESTION_CAPTION, RESET_QUESTION)
    gui.shot("main-question-default")
    gui.answer(box, IDOK)
    gui.rest_pointer(1, [], "no key slot assigned after the reset")
    expect_typed(me.keys, "F2", *unchanged(F2), "F2 after the reset", remapping=False)
    expect_typed(me.keys, "F1", *unchanged(F1), "F1 after the reset", remapping=False)


def about_from_tray(me):
    me.tray_menu(ABOUT)
    me.about_box("about-from-tray")


def exit_from_tray(me):
    me.tray_menu(EXIT)
    me.wait_ended(f"\"{EXIT}\" of the tray menu")
    sections = read_profile_file(me.program.set_ini)
    problems = file_problems(sections, 1, {1: profile_ini.Profile(me.layout), 2: me.profiles[2]})
    if problems:
        raise Failure("set.ini after the reset and the exit:\n" + "\n".join(problems[:12]))


def import_into_profile1(me):
    path = export_path(me.s, 2)
    if not os.path.isfile(path):
        raise Failure(f"no export of profile 2 ({path}) to import")
    me.button_menu("&Импорт…")
    me.file_dialog(OPEN_TITLE, path)
    expect_typed(me.keys, "F4", [f"{PROFILE2_TARGET}↓", f"{PROFILE2_TARGET}↑"], "p", "F4 after the import")
    expect_typed(me.keys, "F1", *unchanged(F1), "F1 after the import")


def about_from_button_menu(me):
    me.button_menu(ABOUT)
    me.about_box("about-from-button-menu")


def exit_from_button_menu(me):
    me.button_menu(EXIT)
    me.wait_ended(f"\"{EXIT}\" of the button menu")
    sections = read_profile_file(me.program.set_ini)
    problems = file_problems(sections, 1, {1: me.profiles[2], 2: me.profiles[2]})
    if problems:
        raise Failure("set.ini after the import and the exit:\n" + "\n".join(problems[:12]))


# ---------------------------------------------------------------------------------------------
# The key assignment dialog


def dialog_profile(layout):
    """Profile 1 of the dialog scenario: the marker and two macros, "doomed" on F7 (types j) and
    "tap" on F8 (types x); every other key its own."""
    return (profile_ini.Profile(layout)
            .single(MARKER, MARKER_TARGET)
            .macro(F7, [VK_J], name="doomed")
            .macro(F8, [VK_X], name="tap"))


def scenario_dialog(s, report, layout):
    """The key assignment dialog: modes, a command, a pressed key, macros recorded, renamed, deleted, cancelled."""
    profiles = {1: dialog_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="dialog", profiles=profiles), layout, profiles)
    set_numlock(s, me.keys, True)  # recording warns while NumLock is off
    for name, check in (("F1: function mode, \"Копировать\", OK: F1 gives Ctrl+C", function_command),
                        ("F2: the Q key pressed in single-key mode, OK: F2 types q", single_key_by_press),
                        ("F3: Q held while the dialog opens in single-key mode and let go there: up in the system",
                         key_held_while_opening),
                        ("F3: multimedia mode, Cancel: F3 unchanged", multimedia_mode_and_cancel),
                        ("F4: macro mode, a new macro recorded from A and B, OK: F4 types ab", record_macro),
                        ("F4: the macro renamed in its name box, Return as OK: F4 still types ab", rename_macro),
                        ("F4: deleting the macro F7 plays asks; OK: F7 unchanged, the other keys keep their macros",
                         delete_macro_in_use),
                        ("F5: a macro recorded, then Cancel: nothing kept", cancel_after_recording),
                        ("F6: a double click starts the recording once; four steps; B down moved to the top, refused "
                         "below its release, deleted: the selection follows", step_buttons_keep_the_selection),
                        ("\"Macro..\": only the macro table; the new steps play after \"Apply\"",
                         macro_only_until_apply),
                        ("F3: K pressed in single-key mode, J recorded into a new macro, back to single-key mode "
                         "showing K, OK: F3 types k", recording_leaves_the_single_key)):
        if not report.check(name, check, me):
            me.recover()
    report.check("set.ini after exit: the command, the key, the renamed macro, the deletion, the edited steps, "
                 "nothing cancelled",
                 saved_after_dialogs, me)


def switch_mode(me, dialog, entry, kind, control_id, shot):
    gui = me.gui
    gui.click_dialog(entry, dialog)
    me.s.park_pointer()
    gui.wait_control(dialog, control_id, lambda c: c.visible, f"control {control_id} shown after the mode button")
    gui.check_dialog_look(dialog, kind, f"the dialog in mode {kind}")
    gui.shot(shot)


def type_steps(me, dialog, keysyms_and_steps, rows):
    """Sends the keys one by one while recording; waits for each step to appear in the step list,
    which held `rows` steps before."""
    for action, keysym in keysyms_and_steps:
        me.s.xdo(action, keysym)
        rows += 1
        me.gui.wait_control(dialog, C_STEP_LIST, lambda c, n=rows: c.items == n, f"step {rows} ({action} {keysym})")


def record(me, dialog, kind, keysyms_and_steps):
    """Record button, the keys, record button again; waits for each step to appear. The
    record button shows its pressed face while recording, and its normal face once the
    pointer has left it after the click that stops the recording."""
    s, gui = me.s, me.gui
    rows = gui.dialog_controls(dialog)[C_STEP_LIST].items
    started_at = start_recording(me, dialog)
    s.park_pointer()
    gui.check_dialog_look(dialog, kind, "the dialog while recording", recording=True)
    type_steps(me, dialog, keysyms_and_steps, rows)
    stop_recording(me, dialog, started_at)
    gui.check_dialog_look(dialog, kind, "the dialog after recording")


def function_command(me):
    gui, keys = me.gui, me.keys
    dialog, _ = open_in_mode(me, F1, KIND_SINGLE, "dialog-single-key")
    switch_mode(me, dialog, D_FUNCTION_TAB, KIND_FUNCTION, C_FUNCTION_LIST, "dialog-function")
    functions = gui.dialog_controls(dialog)[C_FUNCTION_LIST]
    if functions.items != len(FUNCTION_COMMANDS):
        raise Failure(f"the function list holds {functions.items} commands, expected {len(FUNCTION_COMMANDS)}")
    gui.choose_in_list(functions, FUNCTION_COMMANDS.index(COPY_COMMAND))
    # The list shows each command with its shortcut; the key stores the command's own name.
    shown = f"{COPY_COMMAND} (Ctrl+C)"
    gui.wait_control(dialog, C_FUNCTION_LIST, lambda c: c.title == shown, f"{shown} chosen")
    me.close_dialog(D_OK)
    keys.expect(f"F1 as {COPY_COMMAND}", keys.tap("F1"), COPY_OUTPUT, True)


def single_key_by_press(me):
    dialog, _ = open_in_mode(me, F2, KIND_SINGLE, None)
    me.s.xdo("key", "q")  # the dialog's hook takes it: no application sees it
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "Q", "the key field showing Q")
    me.close_dialog(D_OK)
    expect_typed(me.keys, "F2", [f"{VK_Q}↓", f"{VK_Q}↑"], "q", "F2 given the Q key")


def key_held_while_opening(me):
    """The dialog's hook takes the keys pressed while it is in, but a key that was down before it
    came in went down in an application: that key's release must reach the system too."""
    s = me.s

    def q_down():
        return s.wine.control_ok("keydown", VK_Q).strip() == "1"

    s.ensure_probe_focus(quiet=True)
    s.xdo("keydown", "q")
    try:
        if not poll_until(q_down, 5, interval=0.02):
            raise Failure("Q pressed before the dialog opened is not down in the system")
        dialog, _ = open_in_mode(me, F3, KIND_SINGLE, None)
        if not poll_until(lambda: s.foreground() == dialog.hwnd, 5, interval=0.02):
            raise Failure(f"the dialog did not become the active window: {s.wine.control_ok('foreground')}")
        settle(me.program)  # the dialog, active, has its hook in
    finally:
        s.xdo("keyup", "q")
    if not poll_until(lambda: not q_down(), 3, interval=0.02):
        raise Failure("Q, held while the dialog opened and let go with it open, stays down in the system")
    me.close_dialog(D_CANCEL)


def multimedia_mode_and_cancel(me):
    dialog, _ = open_in_mode(me, F3, KIND_SINGLE, None)
    switch_mode(me, dialog, D_MEDIA_TAB, KIND_MEDIA, C_MEDIA_LIST, "dialog-multimedia")
    me.close_dialog(D_CANCEL)
    expect_typed(me.keys, "F3", *unchanged(F3), "F3 after Cancel")


def record_macro(me):
    gui = me.gui
    dialog, _ = open_in_mode(me, F4, KIND_SINGLE, None)
    gui.click_dialog(D_MACRO_TAB, dialog)
    names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible and c.items == 2 and c.title == "doomed",
                             "the macro names, \"doomed\" chosen")
    gui.click_dialog(D_ADD_MACRO, dialog)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == names.items + 1 and c.title == "define0",
                     "a new macro define0")
    gui.wait_control(dialog, C_STEP_LIST, lambda c: c.items == 0, "no steps in the new macro")
    me.s.park_pointer()
    gui.check_dialog_look(dialog, KIND_MACRO, "the dialog in macro mode")
    gui.shot("dialog-macro")
    record(me, dialog, KIND_MACRO, [("keydown", "a"), ("keyup", "a"), ("keydown", "b"), ("keyup", "b")])
    gui.shot("dialog-macro-recorded")
    me.close_dialog(D_OK)
    expect_typed(me.keys, "F4", key_events([VK_A, VK_B]), "ab", "F4 playing the recorded macro")


def rename_macro(me):
    s, gui = me.s, me.gui
    dialog, controls = open_in_mode(me, F4, KIND_MACRO, None)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "define0", "define0 chosen for F4")
    field = next(c for c in gui.children(controls[C_MACRO_NAMES].hwnd) if c.cls == "Edit")
    gui.click_control(field)
    s.give_keys_to()
    s.xdo("key", "End", *(["BackSpace"] * len("define0")))
    s.xdo("type", FIRE)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == FIRE, f"the name field showing {FIRE!r}")
    gui.click_dialog(D_STEP_LIST, dialog)  # the focus leaves the name box
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == FIRE and c.selected == 2,
                     f"{FIRE!r} still chosen after the focus left")
    # Return does what OK does: no hook takes keys in macro mode while nothing is recorded.
    s.give_keys_to()
    s.xdo("key", "Return")
    gui.wait_assign_dialog(False)
    settle(me.program)
    expect_typed(me.keys, "F4", key_events([VK_A, VK_B]), "ab", "F4 after the rename")


def delete_macro_in_use(me):
    gui, keys = me.gui, me.keys
    dialog, controls = open_in_mode(me, F4, KIND_MACRO, None)
    gui.choose_in_list(controls[C_MACRO_NAMES], 0)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "doomed", "doomed chosen")
    gui.click_dialog(D_DELETE_MACRO, dialog)
    box = me.question(MACRO_IN_USE_CAPTION, MACRO_IN_USE_QUESTION)
    gui.shot("dialog-macro-in-use")
    gui.answer(box, IDOK)
    names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == 2 and c.title == "tap",
                             "doomed gone, tap chosen")
    gui.choose_in_list(names, 1)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == FIRE, f"{FIRE!r} chosen again for F4")
    me.close_dialog(D_OK)
    expect_typed(keys, "F7", *unchanged(F7), "F7, whose macro was deleted")
    expect_typed(keys, "F4", key_events([VK_A, VK_B]), "ab", "F4, whose macro moved up one place")
    expect_typed(keys, "F8", key_events([VK_X]), "x", "F8, whose macro moved up one place")


def cancel_after_recording(me):
    dialog = new_macro_for(me, F5, macros=2)
    record(me, dialog, KIND_MACRO, [("keydown", "c"), ("keyup", "c")])
    me.close_dialog(D_CANCEL)
    expect_typed(me.keys, "F5", *unchanged(F5), "F5 after Cancel")


def question_box(me, dialog, seconds=5):
    """A message box over the assignment dialog (it has the main window's title)."""
    box = poll_until(lambda: next((w for w in me.gui.windows() if w.visible and w.cls == Gui.DIALOG_CLASS and
                                   w.hwnd not in (me.program.hwnd, dialog.hwnd)), None), seconds, interval=0.02)
    if box is None:
        raise Failure(f"no question came up; windows: {me.gui.describe_windows()}")
    return box


def selected_step(me, dialog):
    """The row the step list shows selected (-1 for none)."""
    return me.gui.ask(me.gui.dialog_controls(dialog)[C_STEP_LIST].hwnd, LVM_GETNEXTITEM, FROM_THE_START, LVNI_SELECTED)


def step_buttons_keep_the_selection(me):
    s, gui = me.s, me.gui
    dialog = new_macro_for(me, F6)
    # A double click on the record button is one click: the recording starts and stays on.
    record = gui.dialog_layout[D_RECORD]
    x, y = dialog.rect.left + record.centre()[0], dialog.rect.top + record.centre()[1]
    s.screen.click(x, y)
    s.screen.click(x, y)
    clicked_at = time.monotonic()
    gui.wait_control(dialog, C_ADD_MACRO, lambda c: not c.enabled, "recording on after the double click")
    if poll_until(lambda: gui.dialog_controls(dialog)[C_ADD_MACRO].enabled, 0.5, interval=0.05):
        raise Failure("the double click on the record button stopped the recording it started")
    s.park_pointer()
    type_steps(me, dialog, (("keydown", "a"), ("keyup", "a"), ("keydown", "b"), ("keyup", "b")), 0)
    stop_recording(me, dialog, clicked_at)
    # The step buttons move the selected step. End and Up in the list select B down; it moves to
    # the top, the selection with it; it may not move below its own release; it is deleted there.
    steps = gui.dialog_controls(dialog)[C_STEP_LIST]
    gui.click_at((steps.rect.left + steps.rect.right) // 2, steps.rect.bottom - 8)  # below the rows
    s.give_keys_to()
    for action, what, rows_after, selected in (
            (lambda: s.xdo("key", "End", "Up"), "End and Up in the list", 4, 2),
            (lambda: gui.click_dialog(D_FIRST_STEP, dialog), "B down moved to the top", 4, 0),
            (lambda: gui.click_dialog(D_LAST_STEP, dialog), "B down refused below B up", 4, 0),
            (lambda: gui.click_dialog(D_DELETE_STEP, dialog), "B down deleted", 3, 0)):
        action()
        if not poll_until(lambda: gui.dialog_controls(dialog)[C_STEP_LIST].items == rows_after and
                          selected_step(me, dialog) == selected, 3, interval=0.05):
            raise Failure(f"after {what}: {gui.dialog_controls(dialog)[C_STEP_LIST].items} rows, row "
                          f"{selected_step(me, dialog)} selected; expected {rows_after} rows, row {selected}")
    me.close_dialog(D_OK)
    expect_typed(me.keys, "F6", key_events([VK_A]), "a", "F6 playing A down, A up, B up")


def macro_only_until_apply(me):
    gui, keys = me.gui, me.keys
    gui.click_button("Macro..")
    dialog = gui.wait_assign_dialog(True)
    me.s.park_pointer()
    hidden = gui.dialog_controls(dialog)
    shown_tabs = [i for i in (C_SINGLE_KEY_TAB, C_MEDIA_TAB, C_FUNCTION_TAB, C_OTHER_TAB) if hidden[i].visible]
    if shown_tabs:
        raise Failure(f"\"Macro..\" shows the mode buttons {shown_tabs}")
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible and c.title == "tap", "tap chosen")
    gui.check_dialog_look(dialog, KIND_MACRO_ONLY, "the dialog from \"Macro..\"")
    gui.shot("dialog-macro-only")
    gui.click_dialog(D_CLEAR_STEPS, dialog)
    gui.answer(question_box(me, dialog), IDYES)  # "Clear all" asks first
    gui.wait_control(dialog, C_STEP_LIST, lambda c: c.items == 0, "tap's steps cleared")
    record(me, dialog, KIND_MACRO_ONLY, [("keydown", "y"), ("keyup", "y")])
    me.close_dialog(D_OK)
    expect_typed(keys, "F8", key_events([VK_X]), "x", "F8 before \"Apply\"")
    gui.press_resting_button("Apply", 1, {gui.key_slot(code).number: (kind, False) for code, kind in (
        (F1, KIND_FUNCTION), (F2, KIND_SINGLE), (F4, KIND_MACRO), (F6, KIND_MACRO), (F8, KIND_MACRO),
        (MARKER, KIND_SINGLE))})
    expect_typed(keys, "F8", key_events([VK_Y]), "y", "F8 after \"Apply\"")


def recording_leaves_the_single_key(me):
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, F3, KIND_SINGLE, None)
    s.xdo("key", "k")
    gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "K", "the key field showing K")
    gui.click_dialog(D_MACRO_TAB, dialog)
    names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible, "the macro names")
    gui.click_dialog(D_ADD_MACRO, dialog)
    gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == names.items + 1, "a new macro")
    record(me, dialog, KIND_MACRO, [("keydown", "j"), ("keyup", "j")])
    switch_mode(me, dialog, D_SINGLE_KEY_TAB, KIND_SINGLE, C_KEY_FIELD, "dialog-single-after-recording")
    gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "K", "the key field still showing K")
    me.close_dialog(D_OK)
    expect_typed(me.keys, "F3", [f"{VK_K}↓", f"{VK_K}↑"], "k", "F3 given the K key shown at OK")


def saved_after_dialogs(me):
    me.program.exit()
    values = read_profile_file(me.program.set_ini).get("Profile1", {})
    index_of = me.layout.index_of
    setindex = {values.get(f"setindex{j}") for j in range(int(values.get("setindexnum", "0")))}
    expected = {f"indexpic{F1}": "3", f"setname{F1}": COPY_COMMAND, f"indexpic{F2}": "0", f"key{F2}": str(VK_Q),
                f"indexpic{F4}": "1", f"macroindex{F4}": "1", f"setname{F4}": FIRE_STORED,
                f"indexpic{F7}": "0", f"key{F7}": str(F7), f"setname{F7}": me.layout.name_of(F7),
                f"indexpic{F5}": "0", f"key{F5}": str(F5), f"indexpic{F8}": "1", f"macroindex{F8}": "0",
                f"indexpic{F6}": "1", f"macroindex{F6}": "2", "macrostrnum": "4", "macroname0": "tap",
                f"indexpic{F3}": "0", f"key{F3}": str(VK_K),
                "macroname1": FIRE_STORED}
    problems = [f"{key} is {values.get(key)!r}, expected {value!r}" for key, value in expected.items()
                if values.get(key) != value]
    steps = {i: [int(v) for v in values.get(f"macrokey{i}", "").split(",") if v] for i in (0, 1, 2)}
    downs = {i: [steps[i][k + 1] for k in range(0, len(steps[i]) - 2, 3) if steps[i][k + 2] == 1] for i in steps}
    ups = {i: [steps[i][k + 1] for k in range(0, len(steps[i]) - 2, 3) if steps[i][k + 2] == 0] for i in steps}
    if (downs[0], ups[0]) != ([VK_Y], [VK_Y]) or (downs[1], ups[1]) != ([VK_A, VK_B], [VK_A, VK_B]) or \
            (downs[2], ups[2]) != ([VK_A], [VK_A, VK_B]):
        problems.append(f"the recorded steps are {steps}, expected Y down/up in macro 0, A, B down/up in 1 and "
                        f"A down, A up, B up in 2")
    for code, assigned in ((F1, True), (F2, True), (F4, True), (F6, True), (F7, False), (F5, False)):
        if (str(index_of(code)) in setindex) != assigned:
            problems.append(f"the assigned list {sorted(setindex)} {'lacks' if assigned else 'holds'} "
                            f"{index_of(code)} (key code {code})")
    if problems:
        raise Failure("set.ini after the exit:\n" + "\n".join(problems[:14]))


# ---------------------------------------------------------------------------------------------
# The times a person waits: start, exit, the dialog opening


class PaintWatch:
    """Tells from the screen when a window is painted: a few rows of the window's expected
    picture, outside what `selection` leaves out, at each place the window may appear. The rows
    are read straight from the X server, a few at a time, so a poll takes about a millisecond."""

    ROWS = (0.15, 0.4, 0.65, 0.9)

    def __init__(self, s, expected, selection, left, tops):
        self.s = s
        self.left = left
        self.tops = sorted(set(tops))
        self.rows = []
        for fraction in self.ROWS:
            y = int(expected.height * fraction)
            spans = selection.rows[y]
            if spans:
                self.rows.append((y, spans, expected.data[y * expected.width * 3:(y + 1) * expected.width * 3]))
        self.width = expected.width
        before = {top: [self.s.screen.grab(left, top + y, self.width, 1).data for y, _, _ in self.rows]
                  for top in self.tops}
        if any(all(row[a * 3:b * 3] == want[a * 3:b * 3] for (_, spans, want), row in zip(self.rows, rows)
                   for a, b in spans) for rows in before.values()):
            raise Failure("the screen already shows the window's picture before it is opened")

    def painted(self):
        """The top at which the window shows its picture on every sampled row, or None."""
        for top in self.tops:
            if all(self.s.screen.grab(self.left, top + y, self.width, 1).data[a * 3:b * 3] == want[a * 3:b * 3]
                   for y, spans, want in self.rows for a, b in spans):
                return top
        return None

    def wait(self, seconds, what):
        """The host time at which the window was first seen painted, and its top."""
        def painted_at():
            top = self.painted()
            return None if top is None else (now_us(), top)

        found = poll_until(painted_at, seconds, interval=0.001)
        if found is None:
            raise Failure(f"{what} not painted within {seconds:g} s")
        return found


def scenario_gui_figures(s, report, layout):
    """Start, exit and dialog opening times of the program as a person sees them; printed, not judged."""
    profiles = {n: marker_only_profile(layout) for n in (1, 2, 3)}
    folder = s.prepare_folder(lambda path: profile_ini.write_set_ini(path, profiles, 1), devices=[KEYBOARD_PATH],
                              label="gui-figures")
    s.start_probe(hook=False)  # brings Wine's desktop and taskbar up before the first start
    gui = Gui(s, s.dist_dir)
    exe = windows_path(os.path.join(folder, "orvelle-e2e.exe"))
    report.check(f"start, dialog and exit figures ({GUI_FIGURE_RUNS} runs)", gui_figures, s, gui, exe, profiles)


def gui_figures(s, gui, exe, profiles):
    samples = {"start": [], "exit": [], "dialog": []}
    for _ in range(GUI_FIGURE_RUNS):
        start_ms, left, top = start_to_painted(s, gui, exe, profiles)
        samples["start"].append(start_ms)
        samples["dialog"].append(dialog_opening(s, gui, left, top))
        samples["exit"].append(exit_to_gone(s))
    # From the start of the process to its window shown and painted; from the exit command to
    # the process gone (the profiles saved); from the press on a key slot to the dialog painted.
    for name, key, target in (("gui_start_to_painted_ms", "start", 500), ("gui_exit_ms", "exit", 300),
                              ("gui_dialog_open_ms", "dialog", 150)):
        values = samples[key]
        figure(name, median=f"{median(values):.1f}", max=f"{max(values):.1f}", samples=len(values),
               target_max=target, all=",".join(f"{v:.0f}" for v in values))


def start_to_painted(s, gui, exe, profiles):
    """Milliseconds from the program's start to its main window painted; and where the window is."""
    s.park_pointer()  # the main window's hover tracking costs time while the pointer rests on it
    left, tops = centred_places(s, gui.picture("main_mask"), "workarea")
    watch = PaintWatch(s, gui.expected_main(1, assigned_entries(profiles[1])),
                       gui.main_selection(), left, tops)
    out_path = os.path.join(s.work_dir, "launch.txt")
    with open(out_path, "wb") as out:
        launcher = subprocess.Popen(["wine", s.wine.control_exe, "launch", exe], env=s.wine.env,
                                    stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        painted_us, top = watch.wait(20, "the main window")
        launcher.wait(20)
    launched = dict(part.split("=") for part in open(out_path).read().split() if "=" in part)
    if launcher.returncode != 0 or "start_us" not in launched:
        raise Failure(f"e2e_control launch failed: {open(out_path).read().strip()}")
    return (painted_us - int(launched["start_us"])) / 1000, left, top


def dialog_opening(s, gui, left, top):
    """The assignment dialog, opened by a click on F1: milliseconds from the press to its
    background painted. Closes it again."""
    slot = gui.key_slot(F1)
    s.screen.move(left + slot.centre()[0], top + slot.centre()[1])
    controls = [(e.x, e.y, e.width, e.height) for n, e in gui.dialog_layout.entries.items() if n != 5]
    dialog_left, dialog_tops = centred_places(s, gui.picture("key_mask"), "monitor_work")
    dialog_watch = PaintWatch(s, gui.picture("key_normal"), gui.inside_mask("key_mask").without(controls),
                              dialog_left, dialog_tops)
    pressed = now_us()
    s.screen.button(True)
    s.screen.button(False)
    shown_us, _ = dialog_watch.wait(10, "the key assignment dialog")
    gui.click_dialog(D_CANCEL)
    gui.wait_assign_dialog(False)
    return (shown_us - pressed) / 1000


def exit_to_gone(s):
    """Milliseconds from the exit command to the process gone."""
    s.park_pointer()
    ended = dict(part.split("=") for part in s.wine.control_ok("exit", 10000).split())
    return (int(ended["ended_us"]) - int(ended["posted_us"])) / 1000
