"""Scenarios of trust: files at risk, keys that must not stick, a hook the system drops, a stray
message."""

import os
import re
import time

import profile_ini
from gui import Gui
from probe import tokens
from report import Failure, figure, median
from scenario_kit import (
    C_KEY_FIELD, COPY_KEYS, COPY_OUTPUT, D_CANCEL, D_OK, D_SINGLE_KEY_TAB, EIGHT_KEYS, F1, F2, F3, F5, F6, F7, IDOK,
    HOLD_TARGET,
    KEYBOARD_PATH, QUESTION_CAPTION, VK_KEYPAD_ENTER, VK_P, VK_Q, VK_UP, VK_X, Keys, Person, expect_typed,
    keys_between,
    marker_only_profile, press_until, profile_problems, quiet_probe, read_profile_file, settle, standard_profile,
    start_standard, still_down, tap_tokens, wait_file_text, windows_path)
from session import MAIN_TITLE, PROBE_TITLE, STATUS_HOOK, STATUS_PRESENT
from waiting import now_us, poll_until

VK_PAUSE = 19  # its scan code has the E1 prefix, which the extended flag does not stand for
RECORDED_KEY_MESSAGE = 0x466
WM_KEYDOWN = 0x100
WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x2B1, 7, 8
QUIET_S = 0.5               # no key event at the probe for this long: nothing plays
SAVE_DEADLINE_S = 5         # set.ini is written about a second after an applied change
LONG_MACRO_KEYS = [65 + i % 26 for i in range(400)]  # 800 events: longer than the 200 ms drain
STALL_MS = 1500             # how long stall-ui keeps the main window's thread busy
STALL_TAPS, STALL_TAP_GAP_S, STALL_TAP_HOLD_S = 5, 0.1, 0.03  # five taps fit well inside it


def leftovers(folder):
    """Scratch files a save must never leave behind."""
    return [name for name in os.listdir(folder) if name.endswith((".new", ".tmp"))]


def startup_message(gui, mentions):
    """The one message a start-up with a problem shows: caption "ORVELLE", naming the file."""
    box = gui.wait_window(QUESTION_CAPTION, seconds=10)
    texts = gui.texts(box)
    if not any(mentions in t for t in texts):
        raise Failure(f"the start-up message says {texts}, expected a text naming {mentions}")
    return box


def end_program(program):
    """Ends a program a failed check left running, so that the next check can start its own."""
    if program.process.poll() is None:
        try:
            program.exit()
        except Failure as failure:
            print(f"  note: {failure}")
            program.process.kill()


# ---------------------------------------------------------------------------------------------
# Files at risk


def scenario_files(s, report, layout):
    """Files at risk: a locked set.ini, a missing Main.ini, an edit kept although the process is killed."""
    profiles = {1: standard_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    write = lambda path: profile_ini.write_set_ini(path, profiles, 1)  # noqa: E731
    report.check("set.ini locked by another program during start-up: one message, and the exit leaves it "
                 "unchanged", locked_during_start, s, write)
    report.check("Main.ini missing: one message, and the exit leaves set.ini unchanged", layout_missing, s, write)
    report.check("an edit made in the dialog is in set.ini about a second later and survives the process being "
                 "killed; set.ini.bak holds the file before", edit_then_killed, s, layout, profiles)
    report.check("set.ini edited by hand while the program runs, then a key edited in the program: the hand-edited "
                 "file is kept beside it as set.ini.<yyyymmdd-hhmmss>.bak and named once in a message",
                 hand_edit_kept, s, layout, profiles)
    report.check("set.ini held by another program (no sharing) for about two seconds when the save after an edit "
                 "comes: the save lands once it is let go, and nothing is told", held_during_save, s, layout,
                 profiles)
    report.check("a 17 MiB set.ini: one message says it is too large; the exit command ends the program within two "
                 "seconds while that message is open; set.ini is never replaced", huge_set_ini, s, write)


def locked_during_start(s, write):
    keys = Keys(s)
    folder = s.prepare_folder(write, devices=[KEYBOARD_PATH], label="locked")
    path = os.path.join(folder, "set.ini")
    before = open(path, "rb").read()
    log = os.path.join(s.work_dir, "locker.log")
    locker = s.wine.spawn([s.wine.control_exe, "lock", windows_path(path), "60000"], "locker.log")
    if not poll_until(lambda: os.path.exists(log) and b"locked" in open(log, "rb").read(), 20, interval=0.05):
        raise Failure(f"e2e_control could not lock set.ini: {open(log, 'rb').read()!r}")
    program = s.start_program(folder)
    gui = Gui(s, s.dist_dir)
    box = startup_message(gui, "set.ini")
    gui.shot("files-locked-set-ini")
    gui.answer(box, IDOK)
    locker.kill()  # the other program lets the file go before the exit
    locker.wait(10)
    if s.probe is None:
        s.start_probe()
    else:
        s.ensure_probe_focus(quiet=True)
    # What the file says cannot be known: every key keeps its own function.
    keys.expect("F1 with set.ini unread", keys.tap("F1"), tap_tokens(F1), False)
    program.exit()
    if open(path, "rb").read() != before:
        raise Failure("set.ini changed although it could not be read at start-up")
    extra = leftovers(folder) + [n for n in os.listdir(folder) if n.endswith(".bak")]
    if extra:
        raise Failure(f"files left beside set.ini: {extra}")


def layout_missing(s, write):
    folder = s.prepare_folder(write, devices=[KEYBOARD_PATH], label="no-layout")
    os.remove(os.path.join(folder, "Main.ini"))
    path = os.path.join(folder, "set.ini")
    before = open(path, "rb").read()
    program = s.start_program(folder)
    gui = Gui(s, s.dist_dir)
    box = startup_message(gui, "Main.ini")
    gui.shot("files-layout-missing")
    gui.answer(box, IDOK)
    program.exit()
    if open(path, "rb").read() != before:
        raise Failure("set.ini changed although Main.ini was missing")
    if leftovers(folder):
        raise Failure(f"files left beside set.ini: {leftovers(folder)}")


def edit_then_killed(s, layout, profiles):
    program = start_standard(s, layout, label="edit-then-kill", profiles=profiles)
    me = Person(s, program)
    dialog = me.gui.open_key_dialog(F5)
    s.park_pointer()
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
    s.xdo("key", "q")  # the dialog's hook takes it: no application sees it
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "Q", "the key field showing Q")
    committed = time.monotonic()
    me.close_dialog(D_OK)
    sections = wait_file_text(program.set_ini, lambda t: t.get("Profile1", {}).get(f"key{F5}") == str(VK_Q),
                              SAVE_DEADLINE_S, "set.ini holding F5 -> Q")
    figure("save_after_edit_ms", value=f"{(time.monotonic() - committed) * 1000:.0f}", target="about 1000")
    s.wine.control_ok("kill", MAIN_TITLE)
    program.process.wait(10)
    sections = read_profile_file(program.set_ini)
    problems = profile_problems(sections.get("Profile1", {}), standard_profile(layout).single(F5, VK_Q),
                                "[Profile1]")
    backup = os.path.join(program.folder, "set.ini.bak")
    if not os.path.isfile(backup):
        problems.append("no set.ini.bak after a save replaced set.ini")
    elif read_profile_file(backup).get("Profile1", {}).get(f"key{F5}") != str(F5):
        problems.append("set.ini.bak is not the file as it was before the save")
    if leftovers(program.folder):
        problems.append(f"files left beside set.ini: {leftovers(program.folder)}")
    if problems:
        raise Failure("after the kill:\n" + "\n".join(problems[:12]))


KEPT_NAME = re.compile(r"^set\.ini\.\d{8}-\d{6}\.bak$")


def hand_edit_kept(s, layout, profiles):
    program = start_standard(s, layout, label="hand-edit", profiles=profiles)
    try:
        me = Person(s, program)
        hand_edited = dict(profiles)
        hand_edited[2] = standard_profile(layout)
        profile_ini.write_set_ini(program.set_ini, hand_edited, 3)
        by_hand = open(program.set_ini, "rb").read()
        dialog = me.gui.open_key_dialog(F5)
        s.park_pointer()
        me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
        s.xdo("key", "q")
        me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "Q", "the key field showing Q")
        me.close_dialog(D_OK)
        wait_file_text(program.set_ini, lambda t: t.get("Profile1", {}).get(f"key{F5}") == str(VK_Q),
                       SAVE_DEADLINE_S, "set.ini holding F5 -> Q")
        kept = [n for n in os.listdir(program.folder) if KEPT_NAME.match(n)]
        if len(kept) != 1:
            raise Failure(f"expected one kept version beside set.ini, found {sorted(os.listdir(program.folder))}")
        if open(os.path.join(program.folder, kept[0]), "rb").read() != by_hand:
            raise Failure(f"{kept[0]} is not the hand-edited set.ini")
        box = me.gui.wait_window(QUESTION_CAPTION, seconds=10)
        texts = me.gui.texts(box)
        if not any(kept[0] in t for t in texts):
            raise Failure(f"the message says {texts}, expected it to name {kept[0]}")
        me.gui.shot("files-hand-edit-kept")
        me.gui.answer(box, IDOK)
        program.exit()
        if [n for n in os.listdir(program.folder) if KEPT_NAME.match(n)] != kept:
            raise Failure("another version was kept at the exit, although only the program wrote since")
        if leftovers(program.folder):
            raise Failure(f"files left beside set.ini: {leftovers(program.folder)}")
    finally:
        end_program(program)


def held_during_save(s, layout, profiles):
    program = start_standard(s, layout, label="held", profiles=profiles)
    try:
        me = Person(s, program)
        dialog = me.gui.open_key_dialog(F5)
        s.park_pointer()
        me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
        s.xdo("key", "q")
        me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "Q", "the key field showing Q")
        # Held from just before OK: the save a second after OK meets the file held, as a scanner
        # holds a fresh file, and is tried again until the holder lets go.
        log = os.path.join(s.work_dir, "holder.log")
        holder = s.wine.spawn([s.wine.control_exe, "lock", windows_path(program.set_ini), "2500"], "holder.log")
        if not poll_until(lambda: os.path.exists(log) and b"locked" in open(log, "rb").read(), 20, interval=0.05):
            raise Failure(f"e2e_control could not hold set.ini: {open(log, 'rb').read()!r}")
        committed = time.monotonic()
        me.close_dialog(D_OK)
        wait_file_text(program.set_ini, lambda t: t.get("Profile1", {}).get(f"key{F5}") == str(VK_Q),
                       SAVE_DEADLINE_S, "set.ini holding F5 -> Q once it is let go")
        figure("save_after_held_file_ms", value=f"{(time.monotonic() - committed) * 1000:.0f}",
               target="after the holder's 2500 ms")
        holder.wait(10)
        shown = me.gui.message_boxes(QUESTION_CAPTION)
        if shown:
            raise Failure(f"a message was shown although the save landed: {shown}")
        program.exit()
        if leftovers(program.folder):
            raise Failure(f"files left beside set.ini: {leftovers(program.folder)}")
    finally:
        end_program(program)


def huge_set_ini(s, write):
    def write_huge(path):
        write(path)
        with open(path, "ab") as f:  # a comment line of 17 MiB of ASCII, UTF-16LE like the rest
            f.write(("\r\n;" + "x" * (17 << 19)).encode("utf-16-le"))
    folder = s.prepare_folder(write_huge, devices=[KEYBOARD_PATH], label="huge")
    path = os.path.join(folder, "set.ini")
    before = open(path, "rb").read()
    if len(before) < 17 << 20:
        raise Failure(f"the test's set.ini has only {len(before)} bytes")
    program = s.start_program(folder)
    gui = Gui(s, s.dist_dir)
    startup_message(gui, "слишком большой")
    gui.shot("files-huge-set-ini")
    code, out = s.wine.control("exit", 2000)
    if code != 0:
        raise Failure(f"with the message open, the exit command did not end the program within 2 s: {out.strip()}")
    fields = dict(f.split("=") for f in out.split() if "=" in f)
    figure("exit_with_message_open_ms", value=f"{(int(fields['ended_us']) - int(fields['posted_us'])) / 1000:.0f}",
           target="under 2000")
    program.process.wait(10)
    if open(path, "rb").read() != before:
        raise Failure("the 17 MiB set.ini was replaced")
    extra = leftovers(folder) + [n for n in os.listdir(folder) if n.endswith(".bak")]
    if extra:
        raise Failure(f"files left beside set.ini: {extra}")


# ---------------------------------------------------------------------------------------------
# Keys that must not stick or lie


def scenario_stuck(s, report, layout):
    """Keys that must not stick or lie: releases across a switch and an arrival, output at exit, extended keys."""
    report.check("F1 held while a click switches to profile 2 (F1 remapped there only): F1 goes down and up "
                 "unchanged", held_across_switch, s, layout)
    report.check("F1 held while the keyboard arrives: F1 goes down and up unchanged", held_across_arrival, s, layout)
    report.check("a 20-key macro played, then the exit at once: every key pressed is released",
                 macro_cut_by_exit, s, layout, "F7", EIGHT_KEYS + EIGHT_KEYS + [81, 87, 69, 82], "macro-20")
    report.check("a 400-key macro cut by the exit: every key pressed is released", macro_cut_by_exit, s, layout, "F7",
                 LONG_MACRO_KEYS, "macro-400")
    report.check("F1 as Up, F2 as keypad Enter and F3 as Pause reach the probe exactly as the real keys do (scan "
                 "code, extended flag)", extended_keys, s, layout)
    report.check("F5 held as Up and F6 looping X while the session locks: Up and X go up at once and the loop "
                 "stops; let go of after the unlock, they play nothing; no key stays down", held_across_lock, s,
                 layout)
    report.check("F5 held as Up when a program running as administrator comes to the front: Up goes up at once, "
                 "the user is told once for that program; let go of afterwards, F5 plays nothing", held_across_elevated,
                 s, layout)
    report.check("F5 held as Up, let go of while the system refuses our input (fail-injection): Up stays down, "
                 "goes up before the next key's output once input is taken again; no key stays down",
                 release_refused, s, layout)


def held_across_switch(s, layout):
    profiles = {1: marker_only_profile(layout), 2: marker_only_profile(layout).single(F1, VK_P),
                3: marker_only_profile(layout)}
    program = start_standard(s, layout, label="switch", profiles=profiles)
    try:
        held_across_switch_with(Person(s, program, layout, profiles))
    finally:
        end_program(program)


def held_across_switch_with(me):
    s, keys = me.s, me.keys
    start = s.probe.position()
    press_until(s, "F1", F1, start, what="F1 pressed")
    me.gui.click_button("Profile2")
    me.gui.rest_pointer(2, me.pressed(2), "profile 2 active while F1 is held", held_codes=(F1,))
    s.ensure_probe_focus(quiet=True)
    s.xdo("keyup", "F1")
    window, _, end = keys.collect(lambda: None, True)
    seen = keys_between(s, start, end)
    if any(e.vk == VK_P for e in seen) or still_down([e for e in seen if e.vk == F1]):
        raise Failure(f"F1, pressed in profile 1 and released in profile 2, should go down and up unchanged; "
                      f"the probe saw {' '.join(tokens(seen, keys_only=True))}")
    expect_typed(keys, "F1", [f"{VK_P}↓", f"{VK_P}↑"], "p", "F1 pressed anew in profile 2")


def held_across_arrival(s, layout):
    program = start_standard(s, layout, label="arrival", devices=None)
    try:
        held_across_arrival_with(Person(s, program))
    finally:
        end_program(program)


def held_across_arrival_with(me):
    s, program, keys = me.s, me.program, me.keys
    start = s.probe.position()
    press_until(s, "F1", F1, start, what="F1 pressed")
    program.send(f"arrive {KEYBOARD_PATH}")
    program.wait_status(STATUS_HOOK | STATUS_PRESENT)
    s.xdo("keyup", "F1")
    _, _, end = keys.collect(lambda: None, True)
    seen = keys_between(s, start, end)
    if any(e.vk in COPY_KEYS for e in seen) or still_down([e for e in seen if e.vk == F1]):
        raise Failure(f"F1, pressed before the keyboard arrived, should go down and up unchanged; the probe saw "
                      f"{' '.join(tokens(seen, keys_only=True))}")
    keys.expect("F1 pressed after the arrival", keys.tap("F1"), COPY_OUTPUT, True)


def macro_cut_by_exit(s, layout, keysym, macro_keys, label):
    profile = marker_only_profile(layout).macro(F7, macro_keys)
    program = start_standard(s, layout, label=label, profiles={1: profile, 2: profile, 3: profile})
    start = s.probe.position()
    s.xdo("key", keysym)
    try:
        s.probe.wait_for(lambda e: e.is_key and e.vk == macro_keys[0], 5, "the macro's first key", start)
    except Failure:
        end_program(program)
        raise
    exit_started = time.monotonic()
    program.exit()
    # Whatever reaches the probe after the program ended came from the program's queue.
    end = quiet_probe(s)
    seen = keys_between(s, start, end)
    downs = sum(1 for e in seen if e.is_down)
    if still_down(seen):
        raise Failure(f"keys left down after the exit: {still_down(seen)} ({downs} presses seen)")
    figure(f"exit_during_{len(macro_keys)}_key_macro", presses_seen=downs, of=len(macro_keys),
           exit_ms=f"{(time.monotonic() - exit_started) * 1000:.0f}")


def extended_keys(s, layout):
    keys = Keys(s)
    profile = marker_only_profile(layout).single(F1, VK_UP).single(F2, VK_KEYPAD_ENTER).single(F3, VK_PAUSE)
    program = start_standard(s, layout, label="extended", profiles={1: profile, 2: profile, 3: profile})
    problems = []
    try:
        for real, keysym, what in (("Up", "F1", "Up"), ("KP_Enter", "F2", "keypad Enter"), ("Pause", "F3", "Pause")):
            genuine = [(e.kind, e.vk, e.fields["lparam"]) for e in keys.collect(keys.tap(real), True)[0]
                       if e.is_key]
            remapped = [(e.kind, e.vk, e.fields["lparam"]) for e in keys.collect(keys.tap(keysym), True)[0]
                        if e.is_key]
            if genuine != remapped:
                problems.append(f"{keysym} as {what} reached the probe as {remapped}, the real key as {genuine}")
    finally:
        end_program(program)
    if problems:
        raise Failure("\n".join(problems))


def held_across_lock(s, layout):
    profile = (marker_only_profile(layout).single(F5, VK_UP, hold=True)
               .macro(F6, [VK_X], name="loop", delays=[0, 30], hold=True))
    program = start_standard(s, layout, label="lock", profiles={1: profile, 2: profile, 3: profile})
    try:
        held_across_lock_with(Person(s, program))
    finally:
        s.xdo("keyup", "F5")
        s.xdo("keyup", "F6")
        end_program(program)


def held_across_elevated(s, layout):
    profile = marker_only_profile(layout).single(F5, VK_UP, hold=True)
    program = start_standard(s, layout, label="elevated", profiles={1: profile, 2: profile, 3: profile})
    try:
        me = Person(s, program)
        s.ensure_probe_focus()
        start = s.probe.position()
        press_until(s, "F5", VK_UP, start, what="Up pressed by F5")
        # Wine runs no program elevated: the twin counts every other program in front as elevated,
        # and raises the foreground event the system would raise for the probe.
        program.send("stage-elevated 1")
        entered = s.probe.position()
        if program.send(f"raise-event foreground {PROBE_TITLE}") != 1:
            raise Failure("the twin could not raise the foreground event for the probe")
        s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_UP, 3, "Up released as the elevated program "
                         "came to the front", entered)
        if not poll_until(lambda: program.send("elevated-told") == 1, 3, interval=0.02):
            raise Failure(f"the user was told {program.send('elevated-told')} times, expected once")
        program.send(f"raise-event foreground {PROBE_TITLE}")
        program.send("stage-elevated 0")
        program.send(f"raise-event foreground {PROBE_TITLE}")
        if program.send("elevated-told") != 1:
            raise Failure("the same program in front again was told about again")
        window, _, _ = me.keys.collect(lambda: s.xdo("keyup", "F5"), True)
        if tokens(window, keys_only=True):
            raise Failure(f"F5, let go of after the elevated program came and went, should play nothing; the probe "
                          f"saw {' '.join(tokens(window, keys_only=True))}")
        me.keys.expect("F5 pressed anew", me.keys.tap("F5"), tap_tokens(VK_UP), True, keys_only=True)
        held = [vk for vk in (F5, VK_UP) if s.wine.control_ok("keydown", vk).strip() == "1"]
        if held:
            raise Failure(f"keys the system holds down at the end: {held}")
    finally:
        s.xdo("keyup", "F5")
        end_program(program)


def release_refused(s, layout):
    profile = marker_only_profile(layout).single(F5, VK_UP, hold=True)
    program = start_standard(s, layout, label="refused", profiles={1: profile, 2: profile, 3: profile})
    # An auto-repeat of F5 plays Up again and would take the refusal meant for the release.
    s.keyboard.set_autorepeat(10_000, 30)
    try:
        me = Person(s, program)
        s.ensure_probe_focus()
        start = s.probe.position()
        press_until(s, "F5", VK_UP, start, what="Up pressed by F5")
        # As a program running as administrator in front refuses it: the call inserts nothing.
        if program.send("fail-injection 1") != 1:
            raise Failure("the twin did not take fail-injection")
        refused = s.probe.position()
        s.xdo("keyup", "F5")
        if not poll_until(lambda: program.send("injections-to-fail") == 0, 3, interval=0.02):
            raise Failure("F5's release never reached the worker: the refused injection is still to come")
        if s.wine.control_ok("keydown", VK_UP).strip() != "1":
            raise Failure("Up should still be down in the system after its release was refused")
        if any(e.vk == VK_UP for e in keys_between(s, refused, s.probe.position())):
            raise Failure("the probe saw Up's refused release")
        # The marker's Z is the next command: the kept release goes before it.
        window, _, _ = me.keys.collect(lambda: None, True)
        got = tokens(window, keys_only=True)
        if got[:1] != [f"{VK_UP}↑"]:
            raise Failure(f"Up's release should come first once input is taken again; the probe saw {' '.join(got)}")
        held = [vk for vk in (F5, VK_UP) if s.wine.control_ok("keydown", vk).strip() == "1"]
        if held:
            raise Failure(f"keys the system holds down at the end: {held}")
    finally:
        s.xdo("keyup", "F5")
        s.keyboard.set_autorepeat(250, 30)
        end_program(program)


def wait_quiet(s, what):
    """Waits until the probe has seen no key event for QUIET_S; fails when it keeps hearing some."""
    return quiet_probe(s, QUIET_S, 5, what=what)


def held_across_lock_with(me):
    s, program, keys = me.s, me.program, me.keys
    s.ensure_probe_focus()
    start = s.probe.position()
    press_until(s, "F5", VK_UP, start, what="Up pressed by F5")
    s.xdo("keydown", "F6")
    first_x = s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == VK_X, 5, "X pressed by F6", start)
    s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == VK_X, 5, "X pressed again: the loop runs", first_x + 1)
    # The session locks with both keys held; the hook keeps seeing their auto-repeats under Wine,
    # as it would not on Windows.
    locked = s.probe.position()
    s.wine.control_ok("post", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1)
    up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_UP, 3, "Up released at the lock", locked)
    quiet = wait_quiet(s, "after the lock, with F5 and F6 held")
    seen = keys_between(s, start, quiet)
    # The loop plays on until the posted notice is handled; from then on only releases come.
    after_lock = keys_between(s, up, quiet)
    if still_down(seen) or any(e.is_down for e in after_lock) or any(e.vk in (F5, F6) for e in seen):
        raise Failure(f"at the lock every output key should go up and the loop stop; from Up's release on the "
                      f"probe saw {' '.join(tokens(after_lock, keys_only=True))}")
    installs = program.send("installs")
    s.wine.control_ok("post", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1)
    # Coming back puts the hook in again: the sign that the unlock has been handled.
    if not poll_until(lambda: program.send("installs") > installs, 5, interval=0.02):
        raise Failure("the remap hook was not put back at the unlock")

    def let_go():
        s.xdo("keyup", "F6")
        s.xdo("keyup", "F5")

    window, _, _ = keys.collect(let_go, True)
    if tokens(window, keys_only=True):
        raise Failure(f"F5 and F6, pressed before the lock and let go of after the unlock, should play nothing; "
                      f"the probe saw {' '.join(tokens(window, keys_only=True))}")
    keys.expect("F5 pressed anew after the unlock", keys.tap("F5"), tap_tokens(VK_UP), True, keys_only=True)
    held = [vk for vk in (F5, F6, VK_UP, VK_X) if s.wine.control_ok("keydown", vk).strip() == "1"]
    if held:
        raise Failure(f"keys the system holds down at the end: {held}")


# ---------------------------------------------------------------------------------------------
# The hooks


def scenario_hooks(s, report, layout):
    """The hooks: one the system drops comes back, a stray recorded-key message, the recording hook steps aside."""
    me = Person(s, start_standard(s, layout, label="hooks"))
    if not report.check("the remap hook dropped behind the program's back is back at the next keystroke",
                        dropped_hook_comes_back, me):
        me.recover()
    if not report.check("a recorded-key message with a bad pointer, posted and sent: no crash, no effect",
                        stray_recorded_key_message, me):
        me.recover()
    if not report.check("the dialog's recording hook takes keys only while the dialog is the active window",
                        recording_hook_only_while_active, me):
        me.recover()
    report.check(f"F2 (remapped to A) tapped while the main window's thread is busy for {STALL_MS} ms: A reaches "
                 f"the probe during the busy time", remapped_during_stall, me)
    end_program(me.program)
    profile = marker_only_profile(layout).single(F5, VK_UP, hold=True)
    held = Person(s, start_standard(s, layout, label="hooks-held", profiles={1: profile, 2: profile, 3: profile}))
    try:
        if not report.check("F5 held as Up and let go of while the remap hook is dropped: Up goes up once the hook "
                            "is back, and no key stays down", held_key_released_while_hook_dropped, held):
            held.recover()
        report.check("F5 held as Up while the assignment dialog opens and let go of in it: no key stays down after "
                     "the dialog", held_key_released_in_dialog, held)
    finally:
        s.xdo("keyup", "F5")
        end_program(held.program)


def dropped_hook_comes_back(me):
    s, program, keys = me.s, me.program, me.keys
    installs = program.send("installs")
    program.send("drop-hook")
    s.ensure_probe_focus(quiet=True)
    start = s.probe.position()
    pressed = time.monotonic()
    s.xdo("keydown", "F1")
    came_back = poll_until(lambda: program.send("installs") > installs, 5, interval=0.01)
    back_ms = (time.monotonic() - pressed) * 1000
    s.xdo("keyup", "F1")
    if not came_back:
        raise Failure("the remap hook was not installed again after a key was pressed")
    _, _, end = keys.collect(lambda: None, True)
    first = keys_between(s, start, end)
    if still_down(first) or any(e.vk in COPY_KEYS for e in first):
        raise Failure(f"the keystroke that found the hook gone should pass whole: {tokens(first)}")
    figure("hook_back_after_keystroke_ms", value=f"{back_ms:.0f}", note="upper bound: includes the query")
    keys.expect("F1 after the hook came back", keys.tap("F1"), COPY_OUTPUT, True)
    keys.expect("F1 once more", keys.tap("F1"), COPY_OUTPUT, True)


def keys_held_down(s, codes):
    return [vk for vk in codes if s.wine.control_ok("keydown", vk).strip() == "1"]


def held_key_released_while_hook_dropped(me):
    s, program, keys = me.s, me.program, me.keys
    s.ensure_probe_focus()
    start = s.probe.position()
    press_until(s, "F5", VK_UP, start, what="Up pressed by F5")
    installs = program.send("installs")
    program.send("drop-hook")
    released = s.probe.position()
    s.xdo("keyup", "F5")  # no hook sees it: it reaches the probe as it is
    if not poll_until(lambda: program.send("installs") > installs, 5, interval=0.02):
        raise Failure("the remap hook was not put back after the release it missed")
    s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_UP, 3, "Up released once the hook is back", released)
    held = keys_held_down(s, (F5, VK_UP))
    if held:
        raise Failure(f"keys the system holds down after the hook came back: {held}")
    keys.expect("F5 pressed anew", keys.tap("F5"), tap_tokens(VK_UP), True, keys_only=True)


def held_key_released_in_dialog(me):
    s = me.s
    s.ensure_probe_focus()
    pressed = press_until(s, "F5", VK_UP, s.probe.position(), what="Up pressed by F5")
    # The dialog comes in front with F5 held; its recording hook takes the key's release.
    dialog = me.gui.open_key_dialog(F6)
    s.park_pointer()
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
    s.xdo("keyup", "F5")
    me.close_dialog(D_CANCEL)
    closed = s.probe.position()
    # Up went up into the dialog, not the probe: the probe's own hook saw it go by. Wine also sets
    # its key state from the X server's when the focus moves, which hides a key left down, so the
    # system's state alone would not tell.
    up_seen = any(e.kind == "HOOK" and e.vk == VK_UP and e.number("flags") & 0x80
                  for e in s.probe.events[pressed:closed])
    held = keys_held_down(s, (F5, VK_UP))
    if not up_seen or held:
        raise Failure(f"Up should have been released by the time the dialog closed (released: {up_seen}); "
                      f"keys the system holds down after the dialog: {held or 'none'}")
    # Back in the probe: keys pass unremapped only while a window of ours is in front, and Wine's
    # foreground may stay on the main window after the dialog while the X focus is the probe's.
    s.ensure_probe_focus(quiet=True)
    if not poll_until(lambda: me.program.send("own-window") == 0, 3, interval=0.02):
        raise Failure("keys still pass unremapped 3 s after the probe came back in front")
    me.keys.expect("F5 pressed anew after the dialog", me.keys.tap("F5"), tap_tokens(VK_UP), True, keys_only=True)


def remapped_during_stall(me):
    s, program = me.s, me.program
    kb = s.keyboard
    code = kb.keycode("F2")
    s.ensure_probe_focus()
    asked = now_us()
    if program.send(f"stall-ui {STALL_MS}") != 1:
        raise Failure("the test twin refused stall-ui")
    # The stall starts at the window's next message, right after the answer; it cannot end before
    # asked + STALL_MS.
    busy_until = asked + STALL_MS * 1000
    samples, late, wrong = [], [], []
    for _ in range(STALL_TAPS):
        time.sleep(STALL_TAP_GAP_S)
        start = s.probe.position()
        kb.send(code, True)
        time.sleep(STALL_TAP_HOLD_S)
        released = now_us()
        kb.send(code, False)
        end = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == HOLD_TARGET, 5, "A from F2", start)
        samples.append((s.probe.events[end].ts - released) / 1000)
        got = tokens(s.probe.events[start:end + 1], keys_only=True)
        if got != tap_tokens(HOLD_TARGET):
            wrong.append(" ".join(got))
        if s.probe.events[end].ts >= busy_until:
            late.append(f"{(s.probe.events[end].ts - asked) / 1000:.0f} ms after the stall was asked")
    settle(program)  # answered once the stall is over
    figure("release_to_output_during_ui_stall_ms", median=f"{median(samples):.1f}", max=f"{max(samples):.1f}",
           taps=len(samples))
    if late or wrong:
        raise Failure(f"during the stall F2 should reach the probe as A at once; late: {late or 'none'}; "
                      f"other keys: {wrong or 'none'}")


def stray_recorded_key_message(me):
    s, program = me.s, me.program
    dialog = me.gui.open_key_dialog(F5)
    s.park_pointer()
    field = me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
    # A pointer that points nowhere, posted and sent: the program must neither crash nor act.
    s.wine.control_ok("postto", dialog.hwnd, RECORDED_KEY_MESSAGE, WM_KEYDOWN, 0x10)
    s.wine.control("ask", dialog.hwnd, RECORDED_KEY_MESSAGE, WM_KEYDOWN, 0x10)
    settle(program)
    if program.process.poll() is not None:
        raise Failure(f"the program ended (exit code {program.process.returncode})")
    now = me.gui.dialog_controls(dialog)[C_KEY_FIELD]
    if now.title != field.title:
        raise Failure(f"the key field changed from {field.title!r} to {now.title!r}")
    s.xdo("key", "w")
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "W", "the key field showing W")
    me.close_dialog(D_CANCEL)


def recording_hook_only_while_active(me):
    s = me.s
    dialog = me.gui.open_key_dialog(F5)
    s.park_pointer()
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
    s.ensure_probe_focus(quiet=True)  # the user switches to another program
    expect_typed(me.keys, "k", [f"{75}↓", f"{75}↑"], "k", "k typed into another program while the dialog is open")
    me.gui.click_dialog(D_SINGLE_KEY_TAB, dialog)  # back to the dialog
    # Wine activates the dialog a moment after the click; a key sent before that goes elsewhere.
    if not poll_until(lambda: s.foreground() == dialog.hwnd, 5, interval=0.02):
        raise Failure(f"the dialog did not become the active window after a click on it: "
                      f"{s.wine.control_ok('foreground')}")
    s.park_pointer()
    s.xdo("key", "w")
    me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "W", "the key field showing W")
    me.close_dialog(D_CANCEL)
