"""Scenarios of the keys: remapping, the keyboard's presence, the active profile from set.ini, and
the latency and idle figures."""

import os
import time

import profile_ini
from probe import tokens
from report import Failure, figure, median, percentile
from scenario_kit import (
    COPY_COMMAND, COPY_KEYS, COPY_OUTPUT, EIGHT_KEYS, ENTER_TARGET, F1, F2, F4, F8, FOREIGN_PATH, HOLD_TARGET,
    KEYBOARD_INTERFACES, KEYBOARD_PATH, KEYPAD_ENTER_TARGET, KEYPAD_SEQUENCE, KEYPAD_SEQUENCE_NUMLOCK_OFF,
    PROFILE2_TARGET, VK_RETURN, Person, key_events, linux_cpu_seconds, marker_only_profile, over_idle,
    set_numlock, standard_profile, start_standard, tap_tokens)
from session import MAIN_TITLE, PROBE_TITLE, STATUS_HOOK, STATUS_PRESENT, describe_status
from waiting import now_us, poll_until

TAP_HOLD_S = 0.03      # how long a measured tap holds its key: part of the stimulus
HOLD_S = 0.9           # auto-repeat starts after 250 ms: >= 0.6 s of repeats
LATENCY_SAMPLES = 20
LATENCY_WARMUP = 2
IDLE_SECONDS = 10


# ---------------------------------------------------------------------------------------------
# Remapping


def scenario_remap(s, report, layout):
    """Remapping with the keyboard present: unassigned keys, a command, auto-repeat, Enter keys, NumLock."""
    me = Person(s, start_standard(s, layout))
    report.check("an unassigned key passes unchanged", unassigned, me)
    report.check(f"F1 as {COPY_COMMAND} gives Ctrl down, C down, Ctrl up, C up and character 0x03", copy_command, me)
    report.check("a remapped key held with auto-repeat gives exactly one output", hold, me)
    report.check("keypad Enter uses the 108 entry, main Enter the 13 entry", enters, me)
    report.check("keypad codes in a sequence follow NumLock", numlock, me)


def unassigned(me):
    keys = me.keys
    keys.expect("F8", keys.tap("F8"), tap_tokens(F8), True)
    keys.expect("k", keys.tap("k"), tap_tokens(75, "k"), True)


def copy_command(me):
    keys = me.keys
    keys.expect(f"F1 as {COPY_COMMAND}", keys.tap("F1"), COPY_OUTPUT, True)


def hold(me):
    s, keys = me.s, me.keys
    start = s.probe.position()

    def send():
        s.xdo("keydown", "F2")
        time.sleep(HOLD_S)  # holding the key is the stimulus
        s.xdo("keyup", "F2")

    window = keys.expect("F2 held", send, tap_tokens(HOLD_TARGET, "a"), True)
    # The probe's own hook, first in the chain, sees the auto-repeats the program swallows.
    seen = [e for e in s.probe.events[start:] if e.kind == "HOOK" and e.vk == F2]
    presses = [e for e in seen if e.number("flags") == 0]
    span_ms = (presses[-1].ts - presses[0].ts) / 1000 if len(presses) > 1 else 0
    if span_ms < 600:
        raise Failure(f"auto-repeat did not run for 0.6 s (presses seen by the probe's hook: {len(presses)}, "
                      f"over {span_ms:.0f} ms), so the check proves nothing; window: {tokens(window)}")
    # Nothing is played while the key is held: the output follows the release.
    release = next((e for e in seen if e.number("flags") & 0x80), None)
    first = next(e for e in window if e.is_key)
    if release is None or first.ts < release.ts:
        raise Failure(f"the output began before F2 was released: {first.line}; release seen by the "
                      f"probe's hook at {release.ts if release else 'never'}")


def enters(me):
    s, keys = me.s, me.keys
    keys.expect("main Enter (entry 13)", keys.tap("Return"), tap_tokens(ENTER_TARGET, "b"), True)
    start = s.probe.position()
    keys.expect("keypad Enter (entry 108)", keys.tap("KP_Enter"), tap_tokens(KEYPAD_ENTER_TARGET, "n"), True)
    # What makes it the keypad key: the hooks see Enter's code with the extended flag.
    hooked = [e.line for e in s.probe.events[start:] if e.kind == "HOOK" and e.vk == VK_RETURN]
    if not hooked or not hooked[0].endswith("flags=0x01"):
        raise Failure(f"keypad Enter did not reach the hooks as vk 13 with flags 0x01: {hooked}")


def numlock(me):
    s, keys = me.s, me.keys
    set_numlock(s, keys, False)
    keys.expect("F3 with NumLock off", keys.tap("F3"), key_events(KEYPAD_SEQUENCE_NUMLOCK_OFF), True,
                keys_only=True)
    set_numlock(s, keys, True)
    keys.expect("F3 with NumLock on", keys.tap("F3"), key_events(KEYPAD_SEQUENCE), True, keys_only=True)
    set_numlock(s, keys, False)


# ---------------------------------------------------------------------------------------------
# The keyboard's presence


def scenario_presence(s, report, layout):
    """Keyboard presence: start without it, arrivals, removals, other vendors, a second start."""
    me = Person(s, start_standard(s, layout, label="without-keyboard", devices=None))
    report.check("started without e2e-devices.txt: status 0, nothing is remapped, and the tray says the keyboard "
                 "is missing", absent_at_start, me)
    report.check("a device of another vendor arriving changes nothing", foreign_arrival_while_absent, me)
    report.check("the keyboard arriving later turns remapping on and the tray back to the profile",
                 arrival_after_absent_start, me)
    if not report.check("the exit command ends the program", me.program.exit):
        return

    me = Person(s, start_standard(s, layout, label="with-keyboard", devices=[FOREIGN_PATH, KEYBOARD_PATH]))
    report.check("started with the keyboard: status 3 and F1 remapped", present_at_start, me)
    report.check("a second start ends at once, the first shows its window and keeps remapping", second_start, me)
    report.check("a removal notice removes the hook, keys pass unchanged, the tray says the keyboard is missing",
                 removal, me)
    report.check("three arrivals install one hook: one output per key", three_arrivals, me)
    report.check("a device of another vendor leaving changes nothing", foreign_removal_while_present, me)
    report.check("removals one interface at a time: remapping stops with the last one, no hook left behind",
                 removals_one_interface_at_a_time, me)


def absent_at_start(me):
    program, keys = me.program, me.keys
    status = program.status()
    if status & (STATUS_HOOK | STATUS_PRESENT):
        raise Failure(f"status is {describe_status(status)} with no e2e-devices.txt")
    keys.expect("F1", keys.tap("F1"), tap_tokens(F1), False)
    tray_tells_missing(me, True)


def tray_tells_missing(me, missing):
    if not poll_until(lambda: me.program.send("tray-unplugged") == (1 if missing else 0), 2, interval=0.02):
        raise Failure("the tray icon and tip " + ("do not say that the keyboard is missing" if missing else
                                                  "still say that the keyboard is missing"))
    # On the screen: the icon sits at the right end of Wine's taskbar, its profile badge orange;
    # without the keyboard it is grey.
    if not poll_until(lambda: (tray_orange_pixels(me.s) == 0) == missing, 3, interval=0.05):
        raise Failure(f"the tray icon on the screen shows {tray_orange_pixels(me.s)} orange pixels "
                      f"{'without' if missing else 'with'} the keyboard")


def tray_orange_pixels(s):
    width, height = 48, 22
    image = s.screen.grab(1024 - width, 768 - height, width, height)
    return sum(1 for y in range(height) for x in range(width)
               if (lambda r, g, b: r > 200 and 110 < g < 200 and b < 90)(*image.pixel(x, y)))


def foreign_arrival_while_absent(me):
    program, keys = me.program, me.keys
    program.send(f"arrive {FOREIGN_PATH}")
    keys.expect("F1 after the other vendor's arrival", keys.tap("F1"), tap_tokens(F1), False)
    status = program.status()
    if status != 0:
        raise Failure(f"status became {describe_status(status)} after a device of vendor 845E arrived")


def arrival_after_absent_start(me):
    program, keys = me.program, me.keys
    program.send(f"arrive {KEYBOARD_PATH}")
    program.wait_status(STATUS_HOOK | STATUS_PRESENT)
    keys.expect("F1 after the keyboard arrived", keys.tap("F1"), COPY_OUTPUT, True)
    tray_tells_missing(me, False)


def present_at_start(me):
    program, keys = me.program, me.keys
    program.wait_status(STATUS_HOOK | STATUS_PRESENT, seconds=2)
    keys.expect("F1", keys.tap("F1"), COPY_OUTPUT, True)


def second_start(me):
    s, program, keys = me.s, me.program, me.keys
    if me.gui.main_window().visible:
        me.gui.click_button("Close")
        me.gui.wait_main_window(False)
    before = s.wine.control_ok("find", MAIN_TITLE)
    started = time.monotonic()
    second = s.start_second_instance(program.folder)
    ended = poll_until(lambda: second.poll() is not None, 5, interval=0.02)
    elapsed = time.monotonic() - started
    if not ended:
        raise Failure(f"the second start was still running after {elapsed:.1f} s")
    if program.process.poll() is not None:
        raise Failure(f"the first instance ended (exit code {program.process.returncode})")
    after = s.wine.control_ok("find", MAIN_TITLE)
    if before.split()[0] != after.split()[0]:
        raise Failure(f"the main window changed: before {before}, after {after}")
    me.gui.wait_main_window(True)  # the running instance shows its window when asked
    forward = "; it brought the first window to the foreground" if s.foreground() == program.hwnd else ""
    print(f"  second start ended after {elapsed:.2f} s with exit code {second.returncode}{forward}")
    program.wait_status(STATUS_HOOK | STATUS_PRESENT, seconds=1)
    me.gui.click_button("Close")
    me.gui.wait_main_window(False)
    keys.expect("F1 after the second start", keys.tap("F1"), COPY_OUTPUT, True)


def removal(me):
    program, keys = me.program, me.keys
    program.send(f"remove {KEYBOARD_PATH}")
    program.wait_status(0)
    keys.expect("F1 after the removal", keys.tap("F1"), tap_tokens(F1), False)
    keys.expect("F2 after the removal", keys.tap("F2"), tap_tokens(F2), False)
    tray_tells_missing(me, True)


def three_arrivals(me):
    program, keys = me.program, me.keys
    for path in KEYBOARD_INTERFACES:
        program.send(f"arrive {path}")
    program.wait_status(STATUS_HOOK | STATUS_PRESENT)
    keys.expect("F1 after three arrivals", keys.tap("F1"), COPY_OUTPUT, True)
    keys.expect("F2 after three arrivals", keys.tap("F2"), tap_tokens(HOLD_TARGET, "a"), True)


def foreign_removal_while_present(me):
    program, keys = me.program, me.keys
    program.send(f"remove {FOREIGN_PATH}")
    keys.expect("F1 after the other vendor's removal", keys.tap("F1"), COPY_OUTPUT, True)
    status = program.status()
    if status != STATUS_HOOK | STATUS_PRESENT:
        raise Failure(f"status became {describe_status(status)} after a device of vendor 845E left")


def removals_one_interface_at_a_time(me):
    program, keys = me.program, me.keys
    # The keyboard has several interfaces (and the same vendor may make the mouse): remapping
    # stops only when the last interface of the vendor has gone.
    for path in KEYBOARD_INTERFACES[:-1]:
        program.send(f"remove {path}")
        program.wait_status(STATUS_HOOK | STATUS_PRESENT)
        keys.expect(f"F1 after the removal of {path[8:40]}...", keys.tap("F1"), COPY_OUTPUT, True)
    # A second hook left behind by a repeated arrival would go on swallowing F1 here.
    program.send(f"remove {KEYBOARD_INTERFACES[-1]}")
    program.wait_status(0)
    keys.expect("F1 after the last removal", keys.tap("F1"), tap_tokens(F1), False)


# ---------------------------------------------------------------------------------------------
# The active profile and set.ini at exit


def scenario_profiles(s, report, layout):
    """The active profile from set.ini, and set.ini written again at exit."""
    profiles = {1: standard_profile(layout),
                2: marker_only_profile(layout).single(F4, PROFILE2_TARGET),
                3: marker_only_profile(layout)}
    me = Person(s, start_standard(s, layout, label="type-missing", profiles=profiles, active=None), layout)
    original = open(me.program.set_ini, "rb").read()
    original_inode = os.stat(me.program.set_ini).st_ino
    report.check("no [TYPE] in set.ini: profile 1 is active", profile1_active, me)
    if not report.check("the exit command replaces set.ini: BOM, type=1, three whole profiles",
                        exit_writes_set_ini, me, original, original_inode):
        return

    # The program's own file, with profile 2 made the active one.
    text = profile_ini.replace_value(profile_ini.read_ini_text(me.program.set_ini), "TYPE", "type", 2)
    me = Person(s, start_standard(s, layout, label="type-2", set_ini=lambda path: profile_ini.write_utf16(path, text)),
                layout)
    report.check("type=2 in set.ini: profile 2 is active", profile2_active, me)
    report.check("the exit command keeps type=2", exit_keeps_type, me)


def profile1_active(me):
    keys = me.keys
    keys.expect("F4 (remapped in profile 2 only)", keys.tap("F4"), tap_tokens(F4), True)
    keys.expect("F1 (profile 1)", keys.tap("F1"), COPY_OUTPUT, True)


def exit_writes_set_ini(me, original, original_inode):
    program = me.program
    program.exit()
    data = open(program.set_ini, "rb").read()
    check_saved_file(data, original, me.layout, active=1)
    # Replaced whole: a new file renamed over the old one has a new inode; a file rewritten
    # in place keeps its inode and a crash halfway would leave half a profile file.
    if os.stat(program.set_ini).st_ino == original_inode:
        raise Failure("set.ini was rewritten in place (same inode), not replaced by a complete new file")


def profile2_active(me):
    keys = me.keys
    keys.expect("F4 (profile 2)", keys.tap("F4"), tap_tokens(PROFILE2_TARGET, "p"), True)
    keys.expect("F1 (remapped in profile 1 only)", keys.tap("F1"), tap_tokens(F1), True)


def exit_keeps_type(me):
    me.program.exit()
    check_saved_file(open(me.program.set_ini, "rb").read(), None, me.layout, active=2)


def check_saved_file(data, original, layout, active):
    if not data.startswith(b"\xff\xfe"):
        raise Failure(f"set.ini does not start with FF FE but with {data[:4].hex(' ')}")
    if original is not None and data == original:
        raise Failure("set.ini was not written again")
    text = data[2:].decode("utf-16-le")
    sections = profile_ini.parse_ini(text)
    problems = []
    type_section = profile_ini.section_dict(sections, "TYPE")
    if type_section.get("type") != str(active):
        problems.append(f"[TYPE] type is {type_section.get('type')!r}, expected {active}")
    for n in (1, 2, 3):
        name = profile_ini.find_section(sections, f"Profile{n}")
        if name is None:
            problems.append(f"no [Profile{n}]")
            continue
        values = profile_ini.section_dict(sections, name)
        missing = [code for _, code, _ in layout.slots if f"indexpic{code}" not in values]
        if missing:
            problems.append(f"[Profile{n}] lacks the groups of key codes {missing[:10]}")
        for key in ("macrostrnum", "setindexnum"):
            if key not in values:
                problems.append(f"[Profile{n}] lacks {key}")
    p1 = profile_ini.section_dict(sections, profile_ini.find_section(sections, "Profile1") or "Profile1")
    p2 = profile_ini.section_dict(sections, profile_ini.find_section(sections, "Profile2") or "Profile2")
    expected = [(p1, 1, f"indexpic{F1}", "3"), (p1, 1, f"setname{F1}", COPY_COMMAND),
                (p1, 1, f"key{F2}", str(HOLD_TARGET)), (p1, 1, f"key{F4}", str(F4)),
                (p1, 1, "macrostrnum", "2"), (p1, 1, "macrokey1", ",".join(
                    str(v) for key in EIGHT_KEYS for v in (0, key, 1, profile_ini.UP_STEP_PARAM, key, 0))),
                (p2, 2, f"key{F4}", str(PROFILE2_TARGET)), (p2, 2, f"indexpic{F1}", "0"),
                (p2, 2, f"key{F1}", str(F1))]
    for values, n, key, value in expected:
        if values.get(key) != value:
            problems.append(f"[Profile{n}] {key} is {values.get(key)!r}, expected {value!r}")
    if problems:
        raise Failure("set.ini after exit:\n" + "\n".join(problems[:15]))


# ---------------------------------------------------------------------------------------------
# Figures: latency, idle CPU and memory


def scenario_figures(s, report, layout):
    """Latency, idle CPU and memory; printed, not judged."""
    # Without the probe's hook: it would add a round trip to every key event measured.
    me = Person(s, start_standard(s, layout, hook=False))
    report.check("Wine's clock lines up with the host's", clock, me)
    report.check("latency figures", latencies, me)
    report.check("idle CPU and memory figures", idle_and_memory, me)


def clock(me):
    before = now_us()
    stamp = int(me.s.wine.control_ok("clock"))
    after = now_us()
    if not before <= stamp <= after:
        raise Failure(f"Wine's clock {stamp} lies outside the host's [{before}, {after}]")
    figure("clock_check_us", wine_minus_host_start=stamp - before, host_window=after - before)


def latencies(me):
    cases = [("latency_unassigned_ms", "F8", tap_tokens(F8), None),
             ("latency_1key_ms", "F2", tap_tokens(HOLD_TARGET), 1),
             ("latency_2key_ms", "F1", key_events(COPY_KEYS), 2),
             ("latency_8key_ms", "F7", key_events(EIGHT_KEYS), 8)]
    for name, keysym, expected, n in cases:
        samples, wrong = measure_latency(me.s, keysym, expected)
        target = {} if n is None else {"target_max": f"{2 * n + 3}"}
        figure(name, median=f"{median(samples):.2f}", p90=f"{percentile(samples, 90):.2f}",
               min=f"{min(samples):.2f}", max=f"{max(samples):.2f}", samples=len(samples), **target,
               **({"wrong_output": wrong} if wrong else {}))


def idle_and_memory(me):
    s = me.s
    pid = me.program.process.pid
    (before, linux_before), (after, linux_after), elapsed = over_idle(
        IDLE_SECONDS, lambda: (proc_info(s), linux_cpu_seconds(pid)))
    windows_s = (after["user_100ns"] + after["kernel_100ns"] - before["user_100ns"] - before["kernel_100ns"]) / 1e7
    # Under Wine, GetProcessTimes on another process does not report that process's times
    # (it answers 0 user time and a kernel time that jumps between 10 and 20 ms), so the
    # figure comes from the Linux process that runs the program, all its threads included.
    if linux_before is not None and linux_after is not None:
        figure("idle_cpu_percent", value=f"{100 * (linux_after - linux_before) / elapsed:.2f}",
               seconds=f"{elapsed:.1f}", source="/proc", getprocesstimes=f"{100 * windows_s / elapsed:.2f}",
               target_max="1")
    else:
        figure("idle_cpu_percent", value=f"{100 * windows_s / elapsed:.2f}", seconds=f"{elapsed:.1f}",
               source="GetProcessTimes", target_max="1")
    mb = 1024 * 1024
    figure("working_set_mb", value=f"{after['working_set'] / mb:.1f}", target_max="30")
    figure("peak_working_set_mb", value=f"{after['peak_working_set'] / mb:.1f}")
    # What any small window costs under Wine, for comparison: the key probe.
    probe = proc_info(s, PROBE_TITLE)
    figure("working_set_of_key_probe_mb", value=f"{probe['working_set'] / mb:.1f}")


def measure_latency(s, keysym, expected):
    """Milliseconds from the key's release to the probe's last event of the output (the
    release of the sequence's last key), per tap; and how many taps gave other keys."""
    kb = s.keyboard
    code = kb.keycode(keysym)
    expected_keys = [t for t in expected if not t.startswith("'")]
    last_vk = int(expected_keys[-1].rstrip("↑"))
    samples, wrong = [], 0
    s.ensure_probe_focus()
    for i in range(LATENCY_WARMUP + LATENCY_SAMPLES):
        start = s.probe.position()
        kb.send(code, True)
        time.sleep(TAP_HOLD_S)
        t0 = now_us()
        kb.send(code, False)
        end = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == last_vk, 3, f"release of {last_vk}", start)
        if i < LATENCY_WARMUP:
            continue
        samples.append((s.probe.events[end].ts - t0) / 1000)
        got = tokens(s.probe.events[start:end + 1], keys_only=True)
        if got != expected_keys:
            wrong += 1
            if wrong == 1:
                print(f"  {keysym}: expected {' '.join(expected_keys)}, got {' '.join(got)}")
    return samples, wrong


def proc_info(s, title=MAIN_TITLE):
    out = s.wine.control_ok("proc", title)
    return {k: int(v) for k, v in (part.split("=") for part in out.split())}

