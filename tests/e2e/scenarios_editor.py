"""The macro editor of the key assignment dialog: a step moved and its macro played, a delay
edited in place and played, and the NumLock notice shown inside the dialog instead of a box."""

import time

from probe import tokens
from report import Failure, figure
from scenario_kit import (
    C_ADD_MACRO, C_STEP_LIST, D_CANCEL, D_CLEAR_STEPS, D_OK, D_RECORD, F5, F6, F9, KIND_MACRO, VK_A, VK_B, VK_X, Person,
    expect_typed, key_events, keys_between, marker_only_profile, new_macro_for, open_in_mode, set_numlock,
    start_standard, stop_recording)
from scenarios_gui import question_box, selected_step
from waiting import poll_until

D_STEP_UP = 16
C_RECORD_NOTICE, C_DELAY_FIELD = 1135, 1137
VK_Y = 89
IDYES, IDNO = 6, 7
CLEAR_QUESTION = "Удалить все шаги этого макроса?"
NUMLOCK_NOTICE = "Цифровой блок не зафиксирован: NumLock выключен."
EDITED_DELAY_MS = 400
GAP_AT_LEAST_MS = 300   # loose: the edited delay shows as at least this gap at the probe


def editor_profile(layout):
    """F6 plays A then B (untimed); F9 plays X then Y, timed, every step at once."""
    return (marker_only_profile(layout)
            .macro(F6, [VK_A, VK_B], name="ab")
            .macro(F9, [VK_X, VK_Y], name="xy", delays=[0, 0, 0, 0]))


def scenario_editor(s, report, layout):
    """The macro editor: a step moved up and played, a delay edited and played, the NumLock notice."""
    profiles = {1: editor_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="editor", profiles=profiles), layout, profiles)
    me.places = []
    set_numlock(s, me.keys, True)
    for name, check in (("F6: B down moved up twice with the step button, OK: F6 types b, then a", step_moved_up),
                        (f"F9: the delay before Y down edited to {EDITED_DELAY_MS} ms in its cell, OK: a gap of at "
                         f"least {GAP_AT_LEAST_MS} ms between X and Y at the probe", delay_edited),
                        ("recording started and stopped with NumLock off: no message box, the notice beside the "
                         "record button", numlock_notice),
                        ("the dialog opens at the same place every time", same_place),
                        ("F9: \"Clear all\" asks; No keeps the steps, Yes empties the macro", clear_all_asks)):
        if not report.check(name, check, me):
            me.recover()


def open_macro_dialog(me, code):
    dialog, _ = open_in_mode(me, code, KIND_MACRO, None)
    me.places.append(dialog.rect)
    me.gui.wait_control(dialog, C_STEP_LIST, lambda c: c.visible and c.items == 4, "the macro's four steps")
    return dialog


def select_row_by_keys(me, dialog, ups_from_end):
    """Focuses the step list with a click below its rows, End selects the last row, Up the ones
    above it."""
    s, gui = me.s, me.gui
    steps = gui.dialog_controls(dialog)[C_STEP_LIST]
    gui.click_at((steps.rect.left + steps.rect.right) // 2, steps.rect.bottom - 8)
    s.give_keys_to()
    s.xdo("key", "End", *(["Up"] * ups_from_end))
    want = steps.items - 1 - ups_from_end
    if not poll_until(lambda: selected_step(me, dialog) == want, 3, interval=0.05):
        raise Failure(f"row {selected_step(me, dialog)} selected; expected row {want}")


def step_moved_up(me):
    gui = me.gui
    dialog = open_macro_dialog(me, F6)
    select_row_by_keys(me, dialog, 1)  # B down, the third step
    for selected in (1, 0):
        gui.click_dialog(D_STEP_UP, dialog)
        if not poll_until(lambda n=selected: selected_step(me, dialog) == n, 3, interval=0.05):
            raise Failure(f"after Up: row {selected_step(me, dialog)} selected; expected the moved step at row "
                          f"{selected}")
    me.s.park_pointer()
    gui.shot("editor-step-moved")
    me.close_dialog(D_OK)
    expect_typed(me.keys, "F6", key_events([VK_B, VK_A]), "ba", "F6 after its B moved to the top")


def row_centre_y(me, steps, row):
    """The height of a row of the step list, found as a person would: clicks down the key column
    from under the header until the row is selected."""
    gui = me.gui
    header = next(c for c in gui.children(steps.hwnd) if c.cls == "SysHeader32")
    x = steps.rect.left + 12
    first = None
    for y in range(header.rect.bottom + 1, steps.rect.bottom - 2, 2):
        gui.click_at(x, y)
        if me.gui.ask(steps.hwnd, 0x100C, 0xFFFFFFFFFFFFFFFF, 2) == row:  # LVM_GETNEXTITEM, selected
            first = first if first is not None else y
        elif first is not None:
            return (first + y - 2) // 2
    raise Failure(f"row {row} of the step list not found")


def delay_edited(me):
    s, gui = me.s, me.gui
    dialog = open_macro_dialog(me, F9)
    steps = gui.dialog_controls(dialog)[C_STEP_LIST]
    y = row_centre_y(me, steps, 2)  # Y down
    time.sleep(0.6)  # no double click with the last click of the search
    x = steps.rect.left + steps.rect.width * 17 // 20  # the delay column
    s.screen.click(x, y)
    s.screen.click(x, y)
    field = poll_until(lambda: next((c for c in gui.children(steps.hwnd) if c.id == C_DELAY_FIELD and c.visible),
                                    None), 3, interval=0.05)
    if field is None:
        raise Failure("a double click on the delay cell opened no field")
    if field.title != "0":
        raise Failure(f"the delay field opened with {field.title!r}, not the step's 0")
    s.give_keys_to()
    s.xdo("type", str(EDITED_DELAY_MS))
    s.xdo("key", "Return")
    if not poll_until(lambda: not any(c.id == C_DELAY_FIELD and c.visible for c in gui.children(steps.hwnd)), 3,
                      interval=0.05):
        raise Failure("Return left the delay field open")
    if gui.wait_assign_dialog(True) is None:
        raise Failure("Return in the delay field closed the dialog")
    s.park_pointer()
    gui.shot("editor-delay-edited")
    me.close_dialog(D_OK)

    s.ensure_probe_focus(quiet=True)
    start = s.probe.position()
    s.xdo("key", "F9")
    end = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_Y, 5, "y released", start)
    window = keys_between(s, start, end + 1)
    got = tokens(window, keys_only=True)
    if got != [f"{VK_X}↓", f"{VK_X}↑", f"{VK_Y}↓", f"{VK_Y}↑"]:
        raise Failure(f"F9 gave {' '.join(got)}, expected x down, x up, y down, y up")
    x_up = next(e for e in window if e.vk == VK_X and not e.is_down)
    y_down = next(e for e in window if e.vk == VK_Y and e.is_down)
    gap_ms = (y_down.ts - x_up.ts) / 1000
    figure("edited_delay_gap_ms", value=f"{gap_ms:.1f}", edited=EDITED_DELAY_MS)
    if gap_ms < GAP_AT_LEAST_MS:
        raise Failure(f"the gap before y lasted {gap_ms:.1f} ms; the edited delay is {EDITED_DELAY_MS} ms")


def boxes(me, dialog):
    """Dialog windows of the program besides the main window and the assignment dialog: message boxes."""
    return [w for w in me.gui.windows() if w.visible and w.cls == me.gui.DIALOG_CLASS
            and w.hwnd not in (dialog.hwnd, me.program.hwnd)]


def no_box_and_the_notice(me, dialog, when):
    gui = me.gui
    gui.wait_control(dialog, C_RECORD_NOTICE, lambda c: c.visible and c.title == NUMLOCK_NOTICE,
                     f"the NumLock notice {when}")
    # A box, if any came, would have come by now: the notice is set in the same click.
    if poll_until(lambda: boxes(me, dialog), 1.0, interval=0.05):
        box = boxes(me, dialog)[0]
        raise Failure(f"a box \"{box.title}\" came up {when}: {gui.texts(box)}")


def numlock_notice(me):
    s, gui = me.s, me.gui
    set_numlock(s, me.keys, False)
    try:
        dialog = new_macro_for(me, F5)
        me.places.append(dialog.rect)
        gui.click_dialog(D_RECORD, dialog)
        started_at = time.monotonic()
        gui.wait_control(dialog, C_ADD_MACRO, lambda c: not c.enabled, "recording on")
        no_box_and_the_notice(me, dialog, "as the recording started")
        s.park_pointer()
        gui.shot("editor-numlock-notice")
        stop_recording(me, dialog, started_at)
        no_box_and_the_notice(me, dialog, "as the recording stopped")
        me.close_dialog(D_CANCEL)
    finally:
        set_numlock(s, me.keys, True)


def same_place(me):
    dialog = open_macro_dialog(me, F6)
    me.close_dialog(D_CANCEL)
    places = {(r.left, r.top, r.right, r.bottom) for r in me.places + [dialog.rect]}
    if len(places) != 1:
        raise Failure(f"the dialog opened at {sorted(places)} over {len(me.places) + 1} openings")


def clear_all_asks(me):
    gui = me.gui
    dialog = open_macro_dialog(me, F9)
    for button, rows in ((IDNO, 4), (IDYES, 0)):
        gui.click_dialog(D_CLEAR_STEPS, dialog)
        box = question_box(me, dialog)
        # The box is listed as it is made; its text follows.
        poll_until(lambda: CLEAR_QUESTION in gui.texts(box), 3, interval=0.05)
        if box.title != "ORVELLE" or CLEAR_QUESTION not in gui.texts(box):
            raise Failure(f"the question is \"{box.title}\" {gui.texts(box)}; expected \"ORVELLE\" asking "
                          f"{CLEAR_QUESTION!r}")
        gui.answer(box, button)
        gui.wait_control(dialog, C_STEP_LIST, lambda c, n=rows: c.items == n, f"{rows} steps after the answer")
    me.close_dialog(D_CANCEL)
