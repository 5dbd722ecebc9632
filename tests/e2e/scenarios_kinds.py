"""Keys that do nothing, type a text or start a program, and a profile from a file that would
start programs."""

import os

import profile_ini
from probe import tokens
from report import Failure
from scenario_kit import (
    F5, F6, F7, F8, F9, IDCANCEL, IDOK, OPEN_TITLE, QUESTION_CAPTION, Person, expect_typed, marker_only_profile, settle,
    start_standard, unchanged, windows_path)
from waiting import poll_until

TEXT = "Привет, world!\n"
VK_PACKET = 0xE7  # the key that carries a typed character
ARGUMENT = "two words"
HOOK_GRACE_S = 0.3  # how long the hook watch waits for the hook to report a raw event
# A variable of the program's environment that names the helpers' folder: F9's path goes through it.
TOOLS_VARIABLE = "ORVELLE_E2E_TOOLS"


def kinds_profile(layout, tools_dir, work_dir):
    """F5 does nothing, F6 types TEXT, F7 starts write_file.exe, F8 a program that is not there,
    F9 write_file.exe again by a path pasted in quotes that names its folder through a variable."""
    return (marker_only_profile(layout)
            .disabled(F5)
            .text(F6, TEXT)
            .program(F7, windows_path(os.path.join(tools_dir, "write_file.exe")),
                     f'"{windows_path(os.path.join(work_dir, "started.txt"))}" "{ARGUMENT}"')
            .program(F8, r"Z:\nowhere\missing.exe")
            .program(F9, f'"%{TOOLS_VARIABLE}%\\write_file.exe"',
                     f'"{windows_path(os.path.join(work_dir, "started-by-variable.txt"))}"'))


def scenario_kinds(s, report, layout):
    """Disabled, text and program keys; an imported profile's program keys asked about first."""
    profiles = {1: kinds_profile(layout, s.tools_dir, s.work_dir), 2: marker_only_profile(layout),
                3: marker_only_profile(layout)}
    # Wine hands the variables of the command that starts a program to its environment.
    s.wine.env[TOOLS_VARIABLE] = windows_path(s.tools_dir)
    try:
        program = start_standard(s, layout, label="kinds", profiles=profiles)
    finally:
        del s.wine.env[TOOLS_VARIABLE]
    me = Person(s, program, layout, profiles)
    report.check("the main window draws the disabled, text and program keys as assigned", assigned_look, me)
    report.check("F5 disabled: nothing of it reaches the probe", disabled, me)
    report.check(f"F6 types {TEXT!r}: the characters whatever the layout, then Enter", typed_text, me)
    report.check("F7 starts write_file.exe with its arguments, in its own folder", starts_program, me)
    report.check(f"F9's path, in quotes and through %{TOOLS_VARIABLE}%, starts write_file.exe in its own folder",
                 starts_program_by_variable, me)
    report.check("F8 names a program that is not there: one message, however often it is pressed", missing_program,
                 me)
    report.check("\"импорт\" of a profile with a program key and a text key asks first; Cancel leaves both keys "
                 "sending themselves",
                 import_asks, me)


def assigned_look(me):
    me.s.park_pointer()
    window = me.gui.wait_main_window(True)
    me.gui.wait_picture(window, me.gui.expected_main(1, me.pressed(1)), "the window at start")


def disabled(me):
    me.keys.expect("F5 tapped", me.keys.tap("F5"), [], remapping=True)
    me.keys.expect("F5 tapped twice", lambda: me.s.xdo("key", "F5", "F5"), [], remapping=True)


def expect_text(me, keysym, expected, what):
    """Taps a text key; the probe must see `expected`: the characters it typed (the packet keys
    that carry them left out) and the real keys among them."""
    window, start, end = me.keys.collect(me.keys.tap(keysym), remapping=True)
    got = tokens([e for e in window if not (e.is_key and e.vk in (VK_PACKET, 0))])
    if got != expected:
        raise Failure(f"{what}: expected {' '.join(expected)}\n  got {' '.join(got) or '(nothing)'}; probe saw:\n"
                      f"{me.s.probe.excerpt(start, end)}")


def typed_text(me):
    installs = me.program.send("installs")
    expect_text(me, "F6", [repr(c) for c in TEXT.rstrip("\n")] + ["13↓", repr("\r"), "13↑"], "F6")
    # The typed characters reach raw input and the hook unlike keys; the hook watch must not take
    # them for events the hook missed. Nothing tells when it has decided: watch past its grace.
    if poll_until(lambda: me.program.send("installs") != installs, HOOK_GRACE_S + 0.3, interval=0.05):
        raise Failure(f"the remap hook was installed again after the text (installs {installs} -> "
                      f"{me.program.send('installs')})")


def wait_started(path, what, seconds=10):
    def written():
        try:
            with open(path, encoding="utf-8-sig") as f:
                text = f.read()
        except OSError:
            return None
        return text if text.startswith("started\n") and text.endswith("\n") else None

    text = poll_until(written, seconds, interval=0.05)
    if text is None:
        raise Failure(f"{what}: {path} was not written within {seconds} s")
    return dict(line.split("=", 1) for line in text.splitlines()[1:])


def starts_program(me):
    path = os.path.join(me.s.work_dir, "started.txt")
    me.keys.expect("F7 tapped", me.keys.tap("F7"), [], remapping=True)
    lines = wait_started(path, "F7")
    folder = windows_path(me.s.tools_dir).rstrip("\\").lower()
    if lines.get("arg") != ARGUMENT or lines.get("folder", "").rstrip("\\").lower() != folder:
        raise Failure(f"write_file.exe ran with {lines}; expected arg={ARGUMENT!r} and folder={folder!r}")


def starts_program_by_variable(me):
    path = os.path.join(me.s.work_dir, "started-by-variable.txt")
    me.keys.expect("F9 tapped", me.keys.tap("F9"), [], remapping=True)
    lines = wait_started(path, "F9")
    folder = windows_path(me.s.tools_dir).rstrip("\\").lower()
    if lines.get("folder", "").rstrip("\\").lower() != folder:
        raise Failure(f"write_file.exe ran in {lines.get('folder')!r}, not in its own folder {folder!r}")


def boxes(gui):
    return gui.message_boxes(QUESTION_CAPTION)


def missing_program(me):
    s, gui = me.s, me.gui
    s.ensure_probe_focus()
    s.xdo("key", "F8")
    box = me.question(QUESTION_CAPTION, "Не удалось запустить «Z:\\nowhere\\missing.exe»")
    s.xdo("key", "F8", "F8")  # pressed again while the message is up
    # Nothing tells when those starts have failed: watch for a second message for a while.
    if poll_until(lambda: len(boxes(gui)) > 1, 1.5, interval=0.05):
        raise Failure(f"more than one message: {boxes(gui)}")
    gui.answer(box, IDOK)
    settle(me.program)
    if poll_until(lambda: boxes(gui), 0.5, interval=0.05):
        raise Failure(f"another message after the first was answered: {boxes(gui)}")


def import_asks(me):
    s, gui = me.s, me.gui
    path = os.path.join(s.work_dir, "kinds-import.ini")
    started = os.path.join(s.work_dir, "imported-started.txt")
    program = windows_path(os.path.join(s.tools_dir, "write_file.exe"))
    imported = (marker_only_profile(me.layout)
                .program(F7, program, f'"{windows_path(started)}"')
                .text(F6, "x"))
    profile_ini.write_set_ini(path, {1: imported, 2: marker_only_profile(me.layout),
                                     3: marker_only_profile(me.layout)}, active=1)
    me.button_menu("&Импорт…")
    me.file_dialog(OPEN_TITLE, path)
    box = me.question(QUESTION_CAPTION, "Профиль из файла «kinds-import.ini»")
    texts = "\n".join(gui.texts(box))
    for named in ("write_file.exe", "текст «x»"):
        if named not in texts:
            raise Failure(f"the question does not name {named!r}: {texts!r}")
    gui.answer(box, IDCANCEL)
    settle(me.program)
    expect_typed(me.keys, "F7", *unchanged(F7), "F7 after the import was answered with Cancel")
    expect_typed(me.keys, "F6", *unchanged(F6), "F6, a text key of the imported profile, after Cancel")
    if os.path.exists(started):
        raise Failure(f"the program of the imported key ran: {started} exists")
