#!/usr/bin/env python3
"""End-to-end scenarios for orvelle-e2e.exe under Wine.

    python3 tests/e2e/run.py [--dist DIR] [--tools DIR] [--work DIR] SCENARIO...
    python3 tests/e2e/run.py --list

Each scenario starts its own Xvfb and wineserver, copies the runnable folder (--dist) to a
scratch folder under --work, writes set.ini and e2e-devices.txt there, runs the program and the
key probe, and reports one PASS or FAIL line per check (FIGURE lines for measurements).
Exit code: 0 all checks passed, 1 a check failed, 77 the program is not built.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import profile_ini  # noqa: E402
from harness import (  # noqa: E402
    FOREIGN_PATH, KEYBOARD_INTERFACES, KEYBOARD_PATH, MAIN_TITLE, PROBE_TITLE, ROOT, STATUS_HOOK, STATUS_PRESENT, Failure,
    Gui, Report, Session, describe_status, figure, median, now_us, parse_rect, percentile, poll_until, tokens)

# Virtual-key codes as the profiles know them, and the X keysyms that produce them.
VK_RETURN, VK_CONTROL, VK_NUMLOCK, VK_KEYPAD_ENTER = 13, 17, 144, 108
F1, F2, F3, F4, F7, F8, F11 = 112, 113, 114, 115, 118, 119, 122
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

TAP_HOLD_S = 0.03      # how long a measured tap holds its key: part of the stimulus
HOLD_S = 0.9           # auto-repeat starts after 250 ms: >= 0.6 s of repeats
LATENCY_SAMPLES = 20
LATENCY_WARMUP = 2
IDLE_SECONDS = 10


def key_events(seq, char=None):
    """Expected tokens for the presses then releases of `seq`, with the character the press of
    the last key types."""
    presses = [f"{vk}↓" for vk in seq]
    releases = [f"{vk}↑" for vk in seq]
    return presses + ([repr(char)] if char is not None else []) + releases


def tap_tokens(vk, char=None):
    return [f"{vk}↓"] + ([repr(char)] if char is not None else []) + [f"{vk}↑"]


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


# ---------------------------------------------------------------------------------------------
# Scenarios


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


def scenario_remap(s, report, layout):
    """Remapping with the keyboard present: unassigned keys, a command, auto-repeat, Enter keys, NumLock."""
    start_standard(s, layout)
    keys = Keys(s)

    def unassigned():
        keys.expect("F8", keys.tap("F8"), tap_tokens(F8), True)
        keys.expect("k", keys.tap("k"), tap_tokens(75, "k"), True)

    def copy_command():
        keys.expect(f"F1 as {COPY_COMMAND}", keys.tap("F1"), key_events(COPY_KEYS, "\x03"), True)

    def hold():
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

    def enters():
        keys.expect("main Enter (entry 13)", keys.tap("Return"), tap_tokens(ENTER_TARGET, "b"), True)
        start = s.probe.position()
        keys.expect("keypad Enter (entry 108)", keys.tap("KP_Enter"), tap_tokens(KEYPAD_ENTER_TARGET, "n"), True)
        # What makes it the keypad key: the hooks see Enter's code with the extended flag.
        hooked = [e.line for e in s.probe.events[start:] if e.kind == "HOOK" and e.vk == VK_RETURN]
        if not hooked or not hooked[0].endswith("flags=0x01"):
            raise Failure(f"keypad Enter did not reach the hooks as vk 13 with flags 0x01: {hooked}")

    def numlock():
        set_numlock(s, keys, False)
        keys.expect("F3 with NumLock off", keys.tap("F3"), key_events(KEYPAD_SEQUENCE_NUMLOCK_OFF), True,
                    keys_only=True)
        set_numlock(s, keys, True)
        keys.expect("F3 with NumLock on", keys.tap("F3"), key_events(KEYPAD_SEQUENCE), True, keys_only=True)
        set_numlock(s, keys, False)

    report.check("an unassigned key passes unchanged", unassigned)
    report.check(f"F1 as {COPY_COMMAND} gives Ctrl down, C down, Ctrl up, C up and character 0x03", copy_command)
    report.check("a remapped key held with auto-repeat gives exactly one output", hold)
    report.check("keypad Enter uses the 108 entry, main Enter the 13 entry", enters)
    report.check("keypad codes in a sequence follow NumLock", numlock)


def scenario_presence(s, report, layout):
    """Keyboard presence: start without it, arrivals, removals, other vendors, a second start."""
    keys = Keys(s)
    copy = key_events(COPY_KEYS, "\x03")

    program = start_standard(s, layout, label="without-keyboard", devices=None)

    def absent_at_start():
        status = program.status()
        if status & (STATUS_HOOK | STATUS_PRESENT):
            raise Failure(f"status is {describe_status(status)} with no e2e-devices.txt")
        keys.expect("F1", keys.tap("F1"), tap_tokens(F1), False)

    def foreign_arrival_while_absent():
        program.send(f"arrive {FOREIGN_PATH}")
        keys.expect("F1 after the other vendor's arrival", keys.tap("F1"), tap_tokens(F1), False)
        status = program.status()
        if status != 0:
            raise Failure(f"status became {describe_status(status)} after a device of vendor 845E arrived")

    def arrival_after_absent_start():
        program.send(f"arrive {KEYBOARD_PATH}")
        program.wait_status(STATUS_HOOK | STATUS_PRESENT)
        keys.expect("F1 after the keyboard arrived", keys.tap("F1"), copy, True)

    report.check("started without e2e-devices.txt: status 0 and nothing is remapped", absent_at_start)
    report.check("a device of another vendor arriving changes nothing", foreign_arrival_while_absent)
    report.check("the keyboard arriving later turns remapping on", arrival_after_absent_start)
    if not report.check("the exit command ends the program", program.exit):
        return

    program = start_standard(s, layout, label="with-keyboard", devices=[FOREIGN_PATH, KEYBOARD_PATH])

    def present_at_start():
        program.wait_status(STATUS_HOOK | STATUS_PRESENT, seconds=2)
        keys.expect("F1", keys.tap("F1"), copy, True)

    def second_start():
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
        forward = "; it brought the first window to the foreground" if s.foreground() == program.hwnd else ""
        print(f"  second start ended after {elapsed:.2f} s with exit code {second.returncode}{forward}")
        program.wait_status(STATUS_HOOK | STATUS_PRESENT, seconds=1)
        keys.expect("F1 after the second start", keys.tap("F1"), copy, True)

    def removal():
        program.send(f"remove {KEYBOARD_PATH}")
        program.wait_status(0)
        keys.expect("F1 after the removal", keys.tap("F1"), tap_tokens(F1), False)
        keys.expect("F2 after the removal", keys.tap("F2"), tap_tokens(F2), False)

    def three_arrivals():
        for path in KEYBOARD_INTERFACES:
            program.send(f"arrive {path}")
        program.wait_status(STATUS_HOOK | STATUS_PRESENT)
        keys.expect("F1 after three arrivals", keys.tap("F1"), copy, True)
        keys.expect("F2 after three arrivals", keys.tap("F2"), tap_tokens(HOLD_TARGET, "a"), True)

    def foreign_removal_while_present():
        program.send(f"remove {FOREIGN_PATH}")
        keys.expect("F1 after the other vendor's removal", keys.tap("F1"), copy, True)
        status = program.status()
        if status != STATUS_HOOK | STATUS_PRESENT:
            raise Failure(f"status became {describe_status(status)} after a device of vendor 845E left")

    def removals_one_interface_at_a_time():
        # The keyboard has several interfaces (and the same vendor may make the mouse): remapping
        # stops only when the last interface of the vendor has gone.
        for path in KEYBOARD_INTERFACES[:-1]:
            program.send(f"remove {path}")
            program.wait_status(STATUS_HOOK | STATUS_PRESENT)
            keys.expect(f"F1 after the removal of {path[8:40]}...", keys.tap("F1"), copy, True)
        # A second hook left behind by a repeated arrival would go on swallowing F1 here.
        program.send(f"remove {KEYBOARD_INTERFACES[-1]}")
        program.wait_status(0)
        keys.expect("F1 after the last removal", keys.tap("F1"), tap_tokens(F1), False)

    report.check("started with the keyboard: status 3 and F1 remapped", present_at_start)
    report.check("a second start ends at once and the first keeps remapping", second_start)
    report.check("a removal notice removes the hook and keys pass unchanged", removal)
    report.check("three arrivals install one hook: one output per key", three_arrivals)
    report.check("a device of another vendor leaving changes nothing", foreign_removal_while_present)
    report.check("removals one interface at a time: remapping stops with the last one, no hook left behind",
                 removals_one_interface_at_a_time)


def scenario_profiles(s, report, layout):
    """The active profile from set.ini, and set.ini written again at exit."""
    keys = Keys(s)
    copy = key_events(COPY_KEYS, "\x03")
    profiles = {1: standard_profile(layout),
                2: marker_only_profile(layout).single(F4, PROFILE2_TARGET),
                3: marker_only_profile(layout)}
    program = start_standard(s, layout, label="type-missing", profiles=profiles, active=None)
    original = open(program.set_ini, "rb").read()
    original_inode = os.stat(program.set_ini).st_ino

    def profile1_active():
        keys.expect("F4 (remapped in profile 2 only)", keys.tap("F4"), tap_tokens(F4), True)
        keys.expect("F1 (profile 1)", keys.tap("F1"), copy, True)

    saved = {}

    def exit_writes_set_ini():
        program.exit()
        data = open(program.set_ini, "rb").read()
        saved["text"] = check_saved_file(data, original, layout, active=1)
        # Replaced whole: a new file renamed over the old one has a new inode; a file rewritten
        # in place keeps its inode and a crash halfway would leave half a profile file.
        if os.stat(program.set_ini).st_ino == original_inode:
            raise Failure("set.ini was rewritten in place (same inode), not replaced by a complete new file")

    report.check("no [TYPE] in set.ini: profile 1 is active", profile1_active)
    if not report.check("the exit command replaces set.ini: BOM, type=1, three whole profiles",
                        exit_writes_set_ini):
        return

    # The program's own file, with profile 2 made the active one.
    text = profile_ini.replace_value(saved["text"], "TYPE", "type", 2)
    program = start_standard(s, layout, label="type-2", set_ini=lambda path: profile_ini.write_utf16(path, text))

    def profile2_active():
        keys.expect("F4 (profile 2)", keys.tap("F4"), tap_tokens(PROFILE2_TARGET, "p"), True)
        keys.expect("F1 (remapped in profile 1 only)", keys.tap("F1"), tap_tokens(F1), True)

    def exit_keeps_type():
        program.exit()
        check_saved_file(open(program.set_ini, "rb").read(), None, layout, active=2)

    report.check("type=2 in set.ini: profile 2 is active", profile2_active)
    report.check("the exit command keeps type=2", exit_keeps_type)


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
    return text


def scenario_figures(s, report, layout):
    """Latency, idle CPU and memory; printed, not judged."""
    # Without the probe's hook: it would add a round trip to every key event measured.
    program = start_standard(s, layout, hook=False)

    def clock():
        before = now_us()
        stamp = int(s.wine.control_ok("clock"))
        after = now_us()
        if not before <= stamp <= after:
            raise Failure(f"Wine's clock {stamp} lies outside the host's [{before}, {after}]")
        figure("clock_check_us", wine_minus_host_start=stamp - before, host_window=after - before)

    def latencies():
        cases = [("latency_unassigned_ms", "F8", tap_tokens(F8), None),
                 ("latency_1key_ms", "F2", tap_tokens(HOLD_TARGET), 1),
                 ("latency_2key_ms", "F1", key_events(COPY_KEYS), 2),
                 ("latency_8key_ms", "F7", key_events(EIGHT_KEYS), 8)]
        for name, keysym, expected, n in cases:
            samples, wrong = measure_latency(s, keysym, expected)
            target = {} if n is None else {"target_max": f"{2 * n + 3}"}
            figure(name, median=f"{median(samples):.2f}", p90=f"{percentile(samples, 90):.2f}",
                   min=f"{min(samples):.2f}", max=f"{max(samples):.2f}", samples=len(samples), **target,
                   **({"wrong_output": wrong} if wrong else {}))

    def idle_and_memory():
        pid = program.process.pid
        before, linux_before, t0 = proc_info(s), linux_cpu_seconds(pid), time.monotonic()
        time.sleep(IDLE_SECONDS)  # the measurement window itself
        after, linux_after, t1 = proc_info(s), linux_cpu_seconds(pid), time.monotonic()
        windows_s = (after["user_100ns"] + after["kernel_100ns"] - before["user_100ns"] - before["kernel_100ns"]) / 1e7
        # Under Wine, GetProcessTimes on another process does not report that process's times
        # (it answers 0 user time and a kernel time that jumps between 10 and 20 ms), so the
        # figure comes from the Linux process that runs the program, all its threads included.
        if linux_before is not None and linux_after is not None:
            figure("idle_cpu_percent", value=f"{100 * (linux_after - linux_before) / (t1 - t0):.2f}",
                   seconds=f"{t1 - t0:.1f}", source="/proc", getprocesstimes=f"{100 * windows_s / (t1 - t0):.2f}",
                   target_max="1")
        else:
            figure("idle_cpu_percent", value=f"{100 * windows_s / (t1 - t0):.2f}", seconds=f"{t1 - t0:.1f}",
                   source="GetProcessTimes", target_max="1")
        mb = 1024 * 1024
        figure("working_set_mb", value=f"{after['working_set'] / mb:.1f}", target_max="30")
        figure("peak_working_set_mb", value=f"{after['peak_working_set'] / mb:.1f}")
        # What any small window costs under Wine, for comparison: the key probe.
        probe = proc_info(s, PROBE_TITLE)
        figure("working_set_of_key_probe_mb", value=f"{probe['working_set'] / mb:.1f}")

    report.check("Wine's clock lines up with the host's", clock)
    report.check("latency figures", latencies)
    report.check("idle CPU and memory figures", idle_and_memory)


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


def linux_cpu_seconds(pid):
    """CPU seconds (user + system, all threads) of the Linux process that runs the program: wine
    execs its loader in the process it was started as. None when that process is not the
    program."""
    try:
        if b"orvelle-e2e.exe" not in open(f"/proc/{pid}/cmdline", "rb").read():
            return None
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


# ---------------------------------------------------------------------------------------------
# The main window and the key assignment dialog, worked with the mouse and keys as a person does

QUESTION_CAPTION = "Клавиатура"
SWITCH_QUESTION = "Выполнить сброс до настроек по ?"
RESET_QUESTION = "Выполнить сброс до настроек по умолчанию?"
MACRO_IN_USE_CAPTION = "keyboard"
MACRO_IN_USE_QUESTION = "Some key settings are detected pointing to this macro"
ABOUT_CAPTION, ABOUT_PRODUCT = "About", "Product name：ORVELLE"
IDOK, IDCANCEL = 1, 2
TRAY_ICON, TRAY_CALLBACK, WM_LBUTTONDBLCLK, WM_RBUTTONUP = 133, 0x464, 0x203, 0x205
SAVE_TITLE, OPEN_TITLE, EXPORT_FILTER = "Save As", "Open", "ini File(*.ini)"
BUTTON_MENU = ["импорт", "экспорт", "о программе", "выход"]
TRAY_MENU = ["Открыть(&O)", "Информация(&A)", "Выйти(&x)"]

# Entries of "Composite.ini": the controls they place in the key assignment dialog.
D_OK, D_CANCEL, D_FUNCTION_TAB, D_MEDIA_TAB, D_MACRO_TAB = 1, 2, 9, 8, 7
D_ADD_MACRO, D_DELETE_MACRO, D_RECORD, D_CLEAR_STEPS, D_STEP_LIST = 10, 11, 12, 14, 23
# Control ids of the dialog, to read what a control shows.
C_KEY_FIELD, C_MEDIA_LIST, C_FUNCTION_LIST, C_MACRO_NAMES, C_STEP_LIST = 1127, 1128, 1129, 1130, 1131
C_ADD_MACRO, C_SINGLE_KEY_TAB, C_MEDIA_TAB, C_FUNCTION_TAB = 1017, 2028, 2030, 2031
KIND_SINGLE, KIND_MACRO, KIND_MEDIA, KIND_FUNCTION, KIND_MACRO_ONLY = 0, 1, 2, 3, 4
FUNCTION_COMMANDS = ["Открыть", "Новый", "Отмена", "Сохранить", "Копировать", "Вырезать", "Вставить", "Поиск",
                     "Выделить все", "Масштаб +", "Масштаб -", "Свернуть", "Развернуть "]
F5 = 116
VK_A, VK_B, VK_J, VK_Q, VK_X, VK_Y = 65, 66, 74, 81, 88, 89


def window_profile(layout):
    """Profile 1 of the window scenario: a command, another key, two macros and the marker. Enter
    keeps its own key: the file dialogs are confirmed with it."""
    return (profile_ini.Profile(layout)
            .function(F1, COPY_COMMAND)
            .single(F2, HOLD_TARGET)
            .macro(F3, KEYPAD_SEQUENCE)
            .macro(F7, EIGHT_KEYS)
            .single(MARKER, MARKER_TARGET))


def assigned_entries(profile):
    return [index + 1 for index in profile.assigned]


def set_numlock(s, keys, on, remapping=True):
    """Turns NumLock on or off; the probe reports its state on every key line, the marker's too."""
    _, _, end = keys.collect(lambda: None, remapping)
    if (s.probe.events[end - 1].fields.get("numlock") == "1") != on:
        start = s.probe.position()
        s.xdo("key", "Num_Lock")
        s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_NUMLOCK and
                         e.fields.get("numlock") == ("1" if on else "0"), 5, f"NumLock {'on' if on else 'off'}", start)


def typed(keys, keysym, remapping=True):
    """Taps a key; returns what reached the probe: (key tokens, typed text)."""
    window, _, _ = keys.collect(keys.tap(keysym), remapping)
    return tokens(window, keys_only=True), "".join(chr(e.number("code")) for e in window if e.kind == "CHAR")


def expect_typed(keys, keysym, key_tokens, text, what, remapping=True):
    got_keys, got_text = typed(keys, keysym, remapping)
    if got_keys != key_tokens or got_text != text:
        raise Failure(f"{what}: {keysym} gave keys {' '.join(got_keys) or '(none)'} and text {got_text!r}; "
                      f"expected keys {' '.join(key_tokens)} and text {text!r}")


def unchanged(code, char=None):
    """A key that passes unchanged: its own press and release (and character)."""
    return [f"{code}↓", f"{code}↑"], char or ""


def windows_path(path):
    """The path as a program under Wine names it (drive Z: is the root)."""
    return "Z:" + path.replace("/", "\\")


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


def settle(program):
    """A message round trip to the program's window: whatever its thread did before (a dialog's
    commit, an import) has finished when the answer comes."""
    program.status()


class Person:
    """A person at the screen: the GUI helpers of the harness plus the program and the probe."""

    def __init__(self, s, program):
        self.s = s
        self.program = program
        self.gui = Gui(s, s.dist_dir)
        self.keys = Keys(s)

    def question(self, caption, text):
        box = self.gui.wait_window(caption)
        texts = self.gui.texts(box)
        if not any(t.startswith(text) for t in texts):
            raise Failure(f"the \"{caption}\" box says {texts}, expected {text!r}")
        return box

    def choose_menu_item(self, items, item):
        """Clicks an item of the open popup menu. Its items are text items of one height, so item
        i lies at the i-th of len(items) equal slices of the menu (the frame is thinner than half
        an item)."""
        menu = self.gui.wait_window("", cls=Gui.MENU_CLASS)
        index = items.index(item)
        self.gui.click_at(menu.rect.left + menu.rect.width // 2,
                          menu.rect.top + (2 * index + 1) * menu.rect.height // (2 * len(items)))
        self.gui.wait_gone(menu)

    def button_menu(self, item):
        """"Menu", then one of its items."""
        self.gui.click_button("Menu")
        self.choose_menu_item(BUTTON_MENU, item)

    def tray_menu(self, item):
        """The tray icon's right button, then one of the tray menu's items."""
        self.s.wine.control_ok("post", TRAY_CALLBACK, TRAY_ICON, WM_RBUTTONUP)
        self.choose_menu_item(TRAY_MENU, item)

    def file_dialog(self, title, path):
        """Types a full Windows path into a file dialog's name field and presses Return."""
        dialog = self.gui.wait_window(title)
        self.s.give_keys_to()
        self.s.xdo("type", "--delay", "5", windows_path(path))
        self.s.xdo("key", "Return")
        self.gui.wait_gone(dialog, seconds=10)
        settle(self.program)
        return dialog

    def about_box(self, name):
        about = self.gui.wait_window(ABOUT_CAPTION)
        if ABOUT_PRODUCT not in self.gui.texts(about):
            raise Failure(f"the about box says {self.gui.texts(about)}")
        self.gui.shot(name)
        self.gui.answer(about, IDOK)

    def wait_ended(self, after, seconds=10):
        try:
            self.program.process.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program still runs {seconds} s after {after}; windows: {self.gui.describe_windows()}")

    def recover(self):
        """After a failed check: closes what it left open (a question, a dropped list, the
        assignment dialog), so that the next check starts from the main window, not from the
        fault of this one."""
        for _ in range(4):
            if self.program.process.poll() is not None:
                return
            shown = [w for w in self.s.windows() if w.visible and w.title != MAIN_TITLE]
            if not shown:
                break
            print(f"  note: closing what the failed check left open: {self.gui.describe_windows()}")
            box = next((w for w in shown if w.cls == Gui.DIALOG_CLASS and w.title), None)
            dialog = self.gui.assign_dialog()
            try:
                if box is not None:
                    ids = {c.id for c in self.s.children(box.hwnd)}
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


def scenario_window(s, report, layout):
    """The main window worked with the mouse: picture, hover, hide and show, questions, export, import, exit."""
    profiles = {1: window_profile(layout), 2: marker_only_profile(layout).single(F4, PROFILE2_TARGET),
                3: marker_only_profile(layout)}
    p1, p2 = assigned_entries(profiles[1]), assigned_entries(profiles[2])
    program = start_standard(s, layout, label="main-window", profiles=profiles)
    me = Person(s, program)
    gui, keys = me.gui, me.keys
    exports = {1: os.path.join(s.work_dir, "export-profile1.ini"), 2: os.path.join(s.work_dir, "export-profile2.ini")}

    def picture_at_start():
        window = gui.wait_main_window(True)
        mask = gui.picture("main_mask")
        left, tops = centred_places(s, mask, "workarea")
        if (window.rect.width, window.rect.height) != (mask.width, mask.height) or window.rect.left != left or \
                window.rect.top not in tops:
            raise Failure(f"the main window is {window.rect}; expected {mask.width}x{mask.height} at ({left}, one of "
                          f"{tops}), centred in the work area")
        if window.rect.top != tops[0]:
            print("  note: the main window is centred on the whole screen, the work area before Wine's taskbar")
        actual = gui.wait_picture(window, gui.expected_main(1, p1), "the window at start")
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

    def hover():
        window = gui.main_window()
        slot = gui.key_slot(75)  # K, not assigned
        s.screen.move(window.rect.left + slot.centre()[0], window.rect.top + slot.centre()[1])
        gui.wait_picture(window, gui.expected_main(1, p1, over_entry=slot.number), "K under the resting pointer")
        gui.shot("main-hover")
        gui.rest_pointer(1, p1, "the window after the pointer left K for an empty spot")

    def close_and_show():
        gui.click_button("Close")
        gui.wait_main_window(False)
        s.park_pointer()
        s.wine.control_ok("post", TRAY_CALLBACK, TRAY_ICON, WM_LBUTTONDBLCLK)
        window = gui.wait_main_window(True)
        if not poll_until(lambda: s.foreground() == window.hwnd, 3, interval=0.02):
            raise Failure(f"shown again but not in the foreground: {s.wine.control_ok('foreground')}")
        gui.wait_picture(window, gui.expected_main(1, p1), "the window shown again")
        keys.expect("F1 while shown again", keys.tap("F1"), key_events(COPY_KEYS, "\x03"), True)

    def switch_with_unapplied_edit():
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
        gui.rest_pointer(2, p2, "profile 2 active after the question")
        expect_typed(keys, "F4", [f"{PROFILE2_TARGET}↓", f"{PROFILE2_TARGET}↑"], "p", "F4 in profile 2")
        expect_typed(keys, "F1", *unchanged(F1), "F1 in profile 2")

    def switch_back_without_question():
        gui.click_button("Profile1")
        gui.rest_pointer(1, p1, "profile 1 active again")
        asked = [w for w in s.windows() if w.visible and w.title == QUESTION_CAPTION]
        if asked:
            raise Failure(f"switching without unapplied edits asked: {asked}")
        keys.expect("F1 in profile 1", keys.tap("F1"), key_events(COPY_KEYS, "\x03"), True)

    def export(number, typed_path):
        me.button_menu("экспорт")
        dialog = gui.wait_window(SAVE_TITLE)
        filters = [c.title for c in s.children(dialog.hwnd) if c.cls == "ComboBox"]
        if EXPORT_FILTER not in filters:
            raise Failure(f"the save dialog offers {filters}, not {EXPORT_FILTER!r}")
        gui.shot(f"main-export-profile{number}")
        me.file_dialog(SAVE_TITLE, typed_path)

    def check_export(path, number, extra_checks):
        if not os.path.isfile(path):
            raise Failure(f"no file {path} after the export; the folder holds {sorted(os.listdir(s.work_dir))}")
        sections = read_profile_file(path)
        names = sorted(sections)
        if names != sorted(["TYPE", f"Profile{number}"]):
            raise Failure(f"{path} holds the sections {names}, expected TYPE and Profile{number}")
        problems = [] if sections["TYPE"].get("type") == str(number) else \
            [f"[TYPE] type is {sections['TYPE'].get('type')!r}, expected {number}"]
        problems += extra_checks(sections[f"Profile{number}"])
        if problems:
            raise Failure(f"{path}:\n" + "\n".join(problems[:12]))

    def export_profile1():
        export(1, exports[1])
        # The macro added before the question stayed with profile 1 (answer OK); the rest is
        # profile 1 as it was.
        expected = window_profile(layout)
        expected.macros.append(("define0", []))
        check_export(exports[1], 1, lambda values: profile_problems(values, expected, "[Profile1]"))

    def export_profile2():
        gui.click_button("Profile2")
        gui.rest_pointer(2, p2, "profile 2 active for the export")
        export(2, exports[2])
        check_export(exports[2], 2, lambda values: profile_problems(values, profiles[2], "[Profile2]"))
        gui.click_button("Profile1")
        gui.rest_pointer(1, p1, "profile 1 active after the export")

    def reset_to_defaults():
        gui.click_button("Default")
        box = me.question(QUESTION_CAPTION, RESET_QUESTION)
        gui.shot("main-question-default")
        gui.answer(box, IDOK)
        gui.rest_pointer(1, [], "no key slot assigned after the reset")
        expect_typed(keys, "F2", *unchanged(F2), "F2 after the reset", remapping=False)
        expect_typed(keys, "F1", *unchanged(F1), "F1 after the reset", remapping=False)

    def about_from_tray():
        me.tray_menu("Информация(&A)")
        me.about_box("about-from-tray")

    def exit_from_tray():
        me.tray_menu("Выйти(&x)")
        me.wait_ended("\"Выйти(&x)\"")
        sections = read_profile_file(program.set_ini)
        problems = [] if sections.get("TYPE", {}).get("type") == "1" else ["[TYPE] type is not 1"]
        problems += profile_problems(sections.get("Profile1", {}), profile_ini.Profile(layout), "[Profile1]")
        problems += profile_problems(sections.get("Profile2", {}), profiles[2], "[Profile2]")
        if problems:
            raise Failure("set.ini after the reset and the exit:\n" + "\n".join(problems[:12]))

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
            ("the tray menu's \"Информация(&A)\" opens the about box, OK closes it", about_from_tray)):
        if not report.check(name, check):
            me.recover()
    if not report.check("the tray menu's \"Выйти(&x)\" ends the program; set.ini: profile 1 at defaults, "
                        "profile 2 untouched", exit_from_tray):
        return

    # A new start with the same profiles: profile 2's export imported into profile 1.
    program = start_standard(s, layout, label="import", profiles=profiles)
    me = Person(s, program)
    gui, keys = me.gui, me.keys

    def import_into_profile1():
        if not os.path.isfile(exports[2]):
            raise Failure(f"no export of profile 2 ({exports[2]}) to import")
        me.button_menu("импорт")
        me.file_dialog(OPEN_TITLE, exports[2])
        expect_typed(keys, "F4", [f"{PROFILE2_TARGET}↓", f"{PROFILE2_TARGET}↑"], "p", "F4 after the import")
        expect_typed(keys, "F1", *unchanged(F1), "F1 after the import")

    def about_from_button_menu():
        me.button_menu("о программе")
        me.about_box("about-from-button-menu")

    def exit_from_button_menu():
        me.button_menu("выход")
        me.wait_ended("\"выход\"")
        sections = read_profile_file(program.set_ini)
        problems = [] if sections.get("TYPE", {}).get("type") == "1" else ["[TYPE] type is not 1"]
        problems += profile_problems(sections.get("Profile1", {}), profiles[2], "[Profile1]")
        problems += profile_problems(sections.get("Profile2", {}), profiles[2], "[Profile2]")
        if problems:
            raise Failure("set.ini after the import and the exit:\n" + "\n".join(problems[:12]))

    for name, check in (("\"импорт\" of profile 2's export replaces the active profile 1", import_into_profile1),
                        ("the button menu's \"о программе\" opens the about box, OK closes it",
                         about_from_button_menu)):
        if not report.check(name, check):
            me.recover()
    report.check("the button menu's \"выход\" ends the program; set.ini: profile 1 holds profile 2's data",
                 exit_from_button_menu)


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
    program = start_standard(s, layout, label="dialog", profiles=profiles)
    me = Person(s, program)
    gui, keys = me.gui, me.keys
    set_numlock(s, keys, True)  # recording warns while NumLock is off

    def open_in_mode(code, kind, shot):
        """Opens the dialog for a key; it opens in `kind`'s mode (the key's own kind)."""
        dialog = gui.open_key_dialog(code)
        s.park_pointer()
        controls = gui.dialog_controls(dialog)
        shown = {KIND_SINGLE: C_KEY_FIELD, KIND_MACRO: C_MACRO_NAMES, KIND_FUNCTION: C_FUNCTION_LIST}[kind]
        gui.wait_control(dialog, shown, lambda c: c.visible, f"control {shown} shown in the dialog for key {code}")
        mask = gui.picture("key_mask")
        left, tops = centred_places(s, mask, "monitor_work")
        if (dialog.rect.width, dialog.rect.height) != (mask.width, mask.height) or dialog.rect.left != left or \
                dialog.rect.top not in tops:
            raise Failure(f"the dialog is {dialog.rect}; expected {mask.width}x{mask.height} at ({left}, one of "
                          f"{tops}), centred on the monitor")
        if shot:
            gui.check_dialog_look(dialog, kind, f"the dialog for key {code}")
            gui.shot(shot)
        return dialog, controls

    def switch_mode(dialog, entry, kind, control_id, shot):
        gui.click_dialog(entry, dialog)
        s.park_pointer()
        gui.wait_control(dialog, control_id, lambda c: c.visible, f"control {control_id} shown after the mode button")
        gui.check_dialog_look(dialog, kind, f"the dialog in mode {kind}")
        gui.shot(shot)

    def function_command():
        dialog, _ = open_in_mode(F1, KIND_SINGLE, "dialog-single-key")
        switch_mode(dialog, D_FUNCTION_TAB, KIND_FUNCTION, C_FUNCTION_LIST, "dialog-function")
        functions = gui.dialog_controls(dialog)[C_FUNCTION_LIST]
        if functions.items != len(FUNCTION_COMMANDS):
            raise Failure(f"the function list holds {functions.items} commands, expected {len(FUNCTION_COMMANDS)}")
        gui.choose_in_list(functions, FUNCTION_COMMANDS.index(COPY_COMMAND))
        gui.wait_control(dialog, C_FUNCTION_LIST, lambda c: c.title == COPY_COMMAND, f"{COPY_COMMAND} chosen")
        me.close_dialog(D_OK)
        keys.expect(f"F1 as {COPY_COMMAND}", keys.tap("F1"), key_events(COPY_KEYS, "\x03"), True)

    def single_key_by_press():
        dialog, _ = open_in_mode(F2, KIND_SINGLE, None)
        s.xdo("key", "q")  # the dialog's hook takes it: no application sees it
        gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "Q", "the key field showing Q")
        me.close_dialog(D_OK)
        expect_typed(keys, "F2", [f"{VK_Q}↓", f"{VK_Q}↑"], "q", "F2 given the Q key")

    def multimedia_mode_and_cancel():
        dialog, _ = open_in_mode(F3, KIND_SINGLE, None)
        switch_mode(dialog, D_MEDIA_TAB, KIND_MEDIA, C_MEDIA_LIST, "dialog-multimedia")
        me.close_dialog(D_CANCEL)
        expect_typed(keys, "F3", *unchanged(F3), "F3 after Cancel")

    def record(dialog, kind, keysyms_and_steps):
        """Record button, the keys, record button again; waits for each step to appear. The
        record button shows its pressed face while recording, and its normal face once the
        pointer has left it after the click that stops the recording."""
        rows = gui.dialog_controls(dialog)[C_STEP_LIST].items
        gui.click_dialog(D_RECORD, dialog)

        def started():
            # A warning is another captionless dialog window of the program.
            warning = [w for w in s.windows() if w.visible and w.cls == Gui.DIALOG_CLASS and w.title == ""
                       and w.hwnd != dialog.hwnd]
            if warning:
                raise Failure(f"the record button warned although NumLock is on: {gui.texts(warning[0])}")
            return not gui.dialog_controls(dialog)[C_ADD_MACRO].enabled

        if not poll_until(started, 5, interval=0.02):
            raise Failure("recording did not start (the add button stayed enabled)")
        s.park_pointer()
        gui.check_dialog_look(dialog, kind, "the dialog while recording", recording=True)
        for action, keysym in keysyms_and_steps:
            s.xdo(action, keysym)
            rows += 1
            gui.wait_control(dialog, C_STEP_LIST, lambda c, n=rows: c.items == n, f"step {rows} ({action} {keysym})")
        gui.click_dialog(D_RECORD, dialog)
        gui.wait_control(dialog, C_ADD_MACRO, lambda c: c.enabled, "recording off (add button enabled)")
        s.park_pointer()
        gui.check_dialog_look(dialog, kind, "the dialog after recording")

    def record_macro():
        dialog, _ = open_in_mode(F4, KIND_SINGLE, None)
        gui.click_dialog(D_MACRO_TAB, dialog)
        names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible and c.items == 2 and c.title == "doomed",
                                 "the macro names, \"doomed\" chosen")
        gui.click_dialog(D_ADD_MACRO, dialog)
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == names.items + 1 and c.title == "define0",
                         "a new macro define0")
        gui.wait_control(dialog, C_STEP_LIST, lambda c: c.items == 0, "no steps in the new macro")
        s.park_pointer()
        gui.check_dialog_look(dialog, KIND_MACRO, "the dialog in macro mode")
        gui.shot("dialog-macro")
        record(dialog, KIND_MACRO, [("keydown", "a"), ("keyup", "a"), ("keydown", "b"), ("keyup", "b")])
        gui.shot("dialog-macro-recorded")
        me.close_dialog(D_OK)
        expect_typed(keys, "F4", key_events([VK_A, VK_B]), "ab", "F4 playing the recorded macro")

    def rename_macro():
        dialog, controls = open_in_mode(F4, KIND_MACRO, None)
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "define0", "define0 chosen for F4")
        field = next(c for c in s.children(controls[C_MACRO_NAMES].hwnd) if c.cls == "Edit")
        gui.click_control(field)
        s.give_keys_to()
        s.xdo("key", "End", *(["BackSpace"] * len("define0")))
        s.xdo("type", "Fire")
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "Fire", "the name field showing Fire")
        gui.click_dialog(D_STEP_LIST, dialog)  # the focus leaves the name box
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "Fire" and c.selected == 2,
                         "Fire still chosen after the focus left")
        # Return does what OK does: no hook takes keys in macro mode while nothing is recorded.
        s.give_keys_to()
        s.xdo("key", "Return")
        gui.wait_assign_dialog(False)
        settle(program)
        expect_typed(keys, "F4", key_events([VK_A, VK_B]), "ab", "F4 after the rename")

    def delete_macro_in_use():
        dialog, controls = open_in_mode(F4, KIND_MACRO, None)
        gui.choose_in_list(controls[C_MACRO_NAMES], 0)
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "doomed", "doomed chosen")
        gui.click_dialog(D_DELETE_MACRO, dialog)
        box = me.question(MACRO_IN_USE_CAPTION, MACRO_IN_USE_QUESTION)
        gui.shot("dialog-macro-in-use")
        gui.answer(box, IDOK)
        names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == 2 and c.title == "tap",
                                 "doomed gone, tap chosen")
        gui.choose_in_list(names, 1)
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.title == "Fire", "Fire chosen again for F4")
        me.close_dialog(D_OK)
        expect_typed(keys, "F7", *unchanged(F7), "F7, whose macro was deleted")
        expect_typed(keys, "F4", key_events([VK_A, VK_B]), "ab", "F4, whose macro moved up one place")
        expect_typed(keys, "F8", key_events([VK_X]), "x", "F8, whose macro moved up one place")

    def cancel_after_recording():
        dialog, _ = open_in_mode(F5, KIND_SINGLE, None)
        gui.click_dialog(D_MACRO_TAB, dialog)
        names = gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible and c.items == 2, "the macro names")
        gui.click_dialog(D_ADD_MACRO, dialog)
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.items == names.items + 1, "a new macro")
        record(dialog, KIND_MACRO, [("keydown", "c"), ("keyup", "c")])
        me.close_dialog(D_CANCEL)
        expect_typed(keys, "F5", *unchanged(F5), "F5 after Cancel")

    def macro_only_until_apply():
        gui.click_button("Macro..")
        dialog = gui.wait_assign_dialog(True)
        s.park_pointer()
        hidden = gui.dialog_controls(dialog)
        shown_tabs = [i for i in (C_SINGLE_KEY_TAB, C_MEDIA_TAB, C_FUNCTION_TAB) if hidden[i].visible]
        if shown_tabs:
            raise Failure(f"\"Macro..\" shows the mode buttons {shown_tabs}")
        gui.wait_control(dialog, C_MACRO_NAMES, lambda c: c.visible and c.title == "tap", "tap chosen")
        gui.check_dialog_look(dialog, KIND_MACRO_ONLY, "the dialog from \"Macro..\"")
        gui.shot("dialog-macro-only")
        gui.click_dialog(D_CLEAR_STEPS, dialog)
        gui.wait_control(dialog, C_STEP_LIST, lambda c: c.items == 0, "tap's steps cleared")
        record(dialog, KIND_MACRO_ONLY, [("keydown", "y"), ("keyup", "y")])
        me.close_dialog(D_OK)
        expect_typed(keys, "F8", key_events([VK_X]), "x", "F8 before \"Apply\"")
        gui.press_resting_button("Apply", 1, [gui.key_slot(code).number for code in (F1, F2, F4, F8, MARKER)])
        expect_typed(keys, "F8", key_events([VK_Y]), "y", "F8 after \"Apply\"")

    def saved():
        program.exit()
        values = read_profile_file(program.set_ini).get("Profile1", {})
        index_of = layout.index_of
        setindex = {values.get(f"setindex{j}") for j in range(int(values.get("setindexnum", "0")))}
        expected = {f"indexpic{F1}": "3", f"setname{F1}": COPY_COMMAND, f"indexpic{F2}": "0", f"key{F2}": str(VK_Q),
                    f"indexpic{F4}": "1", f"macroindex{F4}": "1", f"setname{F4}": "Fire",
                    f"indexpic{F7}": "0", f"key{F7}": str(F7), f"setname{F7}": layout.name_of(F7),
                    f"indexpic{F5}": "0", f"key{F5}": str(F5), f"indexpic{F8}": "1", f"macroindex{F8}": "0",
                    "macrostrnum": "2", "macroname0": "tap", "macroname1": "Fire"}
        problems = [f"{key} is {values.get(key)!r}, expected {value!r}" for key, value in expected.items()
                    if values.get(key) != value]
        steps = {i: [int(v) for v in values.get(f"macrokey{i}", "").split(",") if v] for i in (0, 1)}
        downs = {i: [steps[i][k + 1] for k in range(0, len(steps[i]) - 2, 3) if steps[i][k + 2] == 1] for i in steps}
        ups = {i: [steps[i][k + 1] for k in range(0, len(steps[i]) - 2, 3) if steps[i][k + 2] == 0] for i in steps}
        if (downs[0], ups[0]) != ([VK_Y], [VK_Y]) or (downs[1], ups[1]) != ([VK_A, VK_B], [VK_A, VK_B]):
            problems.append(f"the recorded steps are {steps}, expected Y down/up in macro 0 and A, B down/up in 1")
        for code, assigned in ((F1, True), (F2, True), (F4, True), (F7, False), (F5, False)):
            if (str(index_of(code)) in setindex) != assigned:
                problems.append(f"the assigned list {sorted(setindex)} {'lacks' if assigned else 'holds'} "
                                f"{index_of(code)} (key code {code})")
        if problems:
            raise Failure("set.ini after the exit:\n" + "\n".join(problems[:14]))

    for name, check in (("F1: function mode, \"Копировать\", OK: F1 gives Ctrl+C", function_command),
                        ("F2: the Q key pressed in single-key mode, OK: F2 types q", single_key_by_press),
                        ("F3: multimedia mode, Cancel: F3 unchanged", multimedia_mode_and_cancel),
                        ("F4: macro mode, a new macro recorded from A and B, OK: F4 types ab", record_macro),
                        ("F4: the macro renamed in its name box, Return as OK: F4 still types ab", rename_macro),
                        ("F4: deleting the macro F7 plays asks; OK: F7 unchanged, the other keys keep their macros",
                         delete_macro_in_use),
                        ("F5: a macro recorded, then Cancel: nothing kept", cancel_after_recording),
                        ("\"Macro..\": only the macro table; the new steps play after \"Apply\"",
                         macro_only_until_apply)):
        if not report.check(name, check):
            me.recover()
    report.check("set.ini after exit: the command, the key, the renamed macro, the deletion, nothing cancelled", saved)


# ---------------------------------------------------------------------------------------------
# Trust: files at risk, keys that must not stick, a hook the system drops, a stray message

D_SINGLE_KEY_TAB = 6
RECORDED_KEY_MESSAGE = 0x466
WM_KEYDOWN = 0x100
SAVE_DEADLINE_S = 5         # set.ini is written about a second after an applied change
VK_UP, VK_P = 38, 80
LONG_MACRO_KEYS = [65 + i % 26 for i in range(400)]  # 800 events: longer than the 200 ms drain


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


def leftovers(folder):
    """Scratch files a save must never leave behind."""
    return [name for name in os.listdir(folder) if name.endswith((".new", ".tmp"))]


def startup_message(gui, mentions):
    """The one message a start-up with a problem shows: caption "Клавиатура", naming the file."""
    box = gui.wait_window(QUESTION_CAPTION, seconds=10)
    texts = gui.texts(box)
    if not any(mentions in t for t in texts):
        raise Failure(f"the start-up message says {texts}, expected a text naming {mentions}")
    return box


def quiet_probe(s, quiet_s=0.3, seconds=5):
    """Waits until the probe's log has stopped growing for `quiet_s`; returns its length."""
    last = {"count": s.probe.position(), "at": time.monotonic()}

    def quiet():
        count = s.probe.position()
        if count != last["count"]:
            last.update(count=count, at=time.monotonic())
        return time.monotonic() - last["at"] >= quiet_s

    poll_until(quiet, seconds, interval=0.02)
    return s.probe.position()


def end_program(program):
    """Ends a program a failed check left running, so that the next check can start its own."""
    if program.process.poll() is None:
        try:
            program.exit()
        except Failure as failure:
            print(f"  note: {failure}")
            program.process.kill()


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


def scenario_files(s, report, layout):
    """Files at risk: a locked set.ini, a missing Main.ini, an edit kept although the process is killed."""
    profiles = {1: standard_profile(layout), 2: marker_only_profile(layout), 3: marker_only_profile(layout)}
    write = lambda path: profile_ini.write_set_ini(path, profiles, 1)  # noqa: E731
    keys = Keys(s)

    def locked_during_start():
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

    def layout_missing():
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

    def edit_then_killed():
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

    report.check("set.ini locked by another program during start-up: one message, and the exit leaves it "
                 "unchanged", locked_during_start)
    report.check("Main.ini missing: one message, and the exit leaves set.ini unchanged", layout_missing)
    report.check("an edit made in the dialog is in set.ini about a second later and survives the process being "
                 "killed; set.ini.bak holds the file before", edit_then_killed)


def scenario_stuck(s, report, layout):
    """Keys that must not stick or lie: releases across a switch and an arrival, output at exit, extended keys."""
    keys = Keys(s)

    def held_across_switch():
        profiles = {1: marker_only_profile(layout), 2: marker_only_profile(layout).single(F1, VK_P),
                    3: marker_only_profile(layout)}
        program = start_standard(s, layout, label="switch", profiles=profiles)
        try:
            held_across_switch_with(program, profiles)
        finally:
            end_program(program)

    def held_across_switch_with(program, profiles):
        me = Person(s, program)
        start = s.probe.position()
        s.xdo("keydown", "F1")
        s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == F1, 5, "F1 pressed", start)
        me.gui.click_button("Profile2")
        me.gui.rest_pointer(2, assigned_entries(profiles[2]), "profile 2 active while F1 is held")
        s.ensure_probe_focus(quiet=True)
        s.xdo("keyup", "F1")
        window, _, end = keys.collect(lambda: None, True)
        seen = keys_between(s, start, end)
        if any(e.vk == VK_P for e in seen) or still_down([e for e in seen if e.vk == F1]):
            raise Failure(f"F1, pressed in profile 1 and released in profile 2, should go down and up unchanged; "
                          f"the probe saw {' '.join(tokens(seen, keys_only=True))}")
        expect_typed(keys, "F1", [f"{VK_P}↓", f"{VK_P}↑"], "p", "F1 pressed anew in profile 2")

    def held_across_arrival():
        program = start_standard(s, layout, label="arrival", devices=None)
        try:
            held_across_arrival_with(program)
        finally:
            end_program(program)

    def held_across_arrival_with(program):
        start = s.probe.position()
        s.xdo("keydown", "F1")
        s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == F1, 5, "F1 pressed", start)
        program.send(f"arrive {KEYBOARD_PATH}")
        program.wait_status(STATUS_HOOK | STATUS_PRESENT)
        s.xdo("keyup", "F1")
        _, _, end = keys.collect(lambda: None, True)
        seen = keys_between(s, start, end)
        if any(e.vk in COPY_KEYS for e in seen) or still_down([e for e in seen if e.vk == F1]):
            raise Failure(f"F1, pressed before the keyboard arrived, should go down and up unchanged; the probe saw "
                          f"{' '.join(tokens(seen, keys_only=True))}")
        keys.expect("F1 pressed after the arrival", keys.tap("F1"), key_events(COPY_KEYS, "\x03"), True)

    def macro_cut_by_exit(keysym, macro_keys, label):
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

    def extended_keys():
        profile = marker_only_profile(layout).single(F1, VK_UP).single(F2, VK_KEYPAD_ENTER)
        program = start_standard(s, layout, label="extended", profiles={1: profile, 2: profile, 3: profile})
        problems = []
        try:
            for real, keysym, what in (("Up", "F1", "Up"), ("KP_Enter", "F2", "keypad Enter")):
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

    report.check("F1 held while a click switches to profile 2 (F1 remapped there only): F1 goes down and up "
                 "unchanged", held_across_switch)
    report.check("F1 held while the keyboard arrives: F1 goes down and up unchanged", held_across_arrival)
    report.check("a 20-key macro played, then the exit at once: every key pressed is released",
                 macro_cut_by_exit, "F7", EIGHT_KEYS + EIGHT_KEYS + [81, 87, 69, 82], "macro-20")
    report.check("a 400-key macro cut by the exit: every key pressed is released", macro_cut_by_exit, "F7",
                 LONG_MACRO_KEYS, "macro-400")
    report.check("F1 as Up and F2 as keypad Enter reach the probe exactly as the real keys do (scan code, "
                 "extended flag)", extended_keys)


def scenario_hooks(s, report, layout):
    """The hooks: one the system drops comes back, a stray recorded-key message, the recording hook steps aside."""
    keys = Keys(s)
    program = start_standard(s, layout, label="hooks")
    me = Person(s, program)
    copy = key_events(COPY_KEYS, "\x03")

    def dropped_hook_comes_back():
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
        keys.expect("F1 after the hook came back", keys.tap("F1"), copy, True)
        keys.expect("F1 once more", keys.tap("F1"), copy, True)

    def stray_recorded_key_message():
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

    def recording_hook_only_while_active():
        dialog = me.gui.open_key_dialog(F5)
        s.park_pointer()
        me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.visible, "the key field")
        s.ensure_probe_focus(quiet=True)  # the user switches to another program
        expect_typed(keys, "k", [f"{75}↓", f"{75}↑"], "k", "k typed into another program while the dialog is open")
        me.gui.click_dialog(D_SINGLE_KEY_TAB, dialog)  # back to the dialog
        s.park_pointer()
        s.xdo("key", "w")
        me.gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "W", "the key field showing W")
        me.close_dialog(D_CANCEL)

    if not report.check("the remap hook dropped behind the program's back is back at the next keystroke",
                        dropped_hook_comes_back):
        me.recover()
    if not report.check("a recorded-key message with a bad pointer, posted and sent: no crash, no effect",
                        stray_recorded_key_message):
        me.recover()
    report.check("the dialog's recording hook takes keys only while the dialog is the active window",
                 recording_hook_only_while_active)


GUI_FIGURE_RUNS = 5


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
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            top = self.painted()
            if top is not None:
                return now_us(), top
            time.sleep(0.001)
        raise Failure(f"{what} not painted within {seconds:g} s")


def scenario_gui_figures(s, report, layout):
    """Start, exit and dialog opening times of the program as a person sees them; printed, not judged."""
    profiles = {n: marker_only_profile(layout) for n in (1, 2, 3)}
    folder = s.prepare_folder(lambda path: profile_ini.write_set_ini(path, profiles, 1), devices=[KEYBOARD_PATH],
                              label="gui-figures")
    s.start_probe(hook=False)  # brings Wine's desktop and taskbar up before the first start
    gui = Gui(s, s.dist_dir)
    exe = windows_path(os.path.join(folder, "orvelle-e2e.exe"))
    main_mask, dialog_mask = gui.picture("main_mask"), gui.picture("key_mask")
    samples = {"start": [], "exit": [], "dialog": []}

    def one_run():
        s.park_pointer()  # the main window's hover tracking costs time while the pointer rests on it
        left, tops = centred_places(s, main_mask, "workarea")
        watch = PaintWatch(s, gui.expected_main(1, assigned_entries(profiles[1])), gui.inside_mask("main_mask"),
                           left, tops)
        out_path = os.path.join(s.work_dir, "launch.txt")
        with open(out_path, "wb") as out:
            launcher = subprocess.Popen(["wine", s.wine.control_exe, "launch", exe], env=s.wine.env,
                                        stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
            painted_us, top = watch.wait(20, "the main window")
            launcher.wait(20)
        launched = dict(part.split("=") for part in open(out_path).read().split() if "=" in part)
        if launcher.returncode != 0 or "start_us" not in launched:
            raise Failure(f"e2e_control launch failed: {open(out_path).read().strip()}")
        samples["start"].append((painted_us - int(launched["start_us"])) / 1000)

        # The assignment dialog, opened by a click on F1: from the press to its background.
        slot = gui.key_slot(F1)
        s.screen.move(left + slot.centre()[0], top + slot.centre()[1])
        controls = [(e.x, e.y, e.width, e.height) for n, e in gui.dialog_layout.entries.items() if n != 5]
        dialog_left, dialog_tops = centred_places(s, dialog_mask, "monitor_work")
        dialog_watch = PaintWatch(s, gui.picture("key_normal"), gui.inside_mask("key_mask").without(controls),
                                  dialog_left, dialog_tops)
        pressed = now_us()
        s.screen.button(True)
        s.screen.button(False)
        shown_us, _ = dialog_watch.wait(10, "the key assignment dialog")
        samples["dialog"].append((shown_us - pressed) / 1000)
        gui.click_dialog(D_CANCEL)
        gui.wait_assign_dialog(False)

        s.park_pointer()
        ended = dict(part.split("=") for part in s.wine.control_ok("exit", 10000).split())
        samples["exit"].append((int(ended["ended_us"]) - int(ended["posted_us"])) / 1000)

    def runs():
        for _ in range(GUI_FIGURE_RUNS):
            one_run()
        # From the start of the process to its window shown and painted; from the exit command to
        # the process gone (the profiles saved); from the press on a key slot to the dialog painted.
        for name, key, target in (("gui_start_to_painted_ms", "start", 500), ("gui_exit_ms", "exit", 300),
                                  ("gui_dialog_open_ms", "dialog", 150)):
            values = samples[key]
            figure(name, median=f"{median(values):.1f}", max=f"{max(values):.1f}", samples=len(values),
                   target_max=target, all=",".join(f"{v:.0f}" for v in values))

    report.check(f"start, dialog and exit figures ({GUI_FIGURE_RUNS} runs)", runs)


SCENARIOS = {
    "remap": scenario_remap,
    "presence": scenario_presence,
    "profiles": scenario_profiles,
    "figures": scenario_figures,
    "window": scenario_window,
    "dialog": scenario_dialog,
    "gui_figures": scenario_gui_figures,
    "files": scenario_files,
    "stuck": scenario_stuck,
    "hooks": scenario_hooks,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenarios", nargs="*", help=f"any of: {', '.join(SCENARIOS)} (default: all)")
    parser.add_argument("--dist", default=os.path.join(ROOT, "build", "mingw", "tests", "e2e", "app"),
                        help="the runnable folder with orvelle-e2e.exe")
    parser.add_argument("--tools", default=os.path.join(ROOT, "build", "mingw", "tests", "e2e"),
                        help="folder with key_probe.exe and e2e_control.exe")
    parser.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "orvelle-e2e"),
                        help="scratch folder; each scenario gets a subfolder, kept for inspection")
    parser.add_argument("--list", action="store_true", help="list the scenarios")
    args = parser.parse_args()
    sys.stdout.reconfigure(encoding="utf-8", errors="backslashreplace", line_buffering=True)

    if args.list:
        for name, function in SCENARIOS.items():
            print(f"{name}: {function.__doc__.split(chr(10))[0]}")
        return 0
    names = args.scenarios or list(SCENARIOS)
    unknown = [n for n in names if n not in SCENARIOS]
    if unknown:
        parser.error(f"unknown scenario {', '.join(unknown)}")
    exe = os.path.join(args.dist, "orvelle-e2e.exe")
    if not os.path.isfile(exe):
        print(f"SKIP: {exe} is not built")
        return 77
    for tool in ("key_probe.exe", "e2e_control.exe"):
        if not os.path.isfile(os.path.join(args.tools, tool)):
            print(f"FAIL: {os.path.join(args.tools, tool)} is not built")
            return 1

    layout = profile_ini.Layout(os.path.join(args.dist, "Main.ini"))
    ok = True
    for name in names:
        started = time.monotonic()
        work = os.path.join(args.work, name)
        print(f"== {name}: {SCENARIOS[name].__doc__.split(chr(10))[0]} (files in {work})")
        report = Report(name)
        try:
            with Session(name, args.dist, args.tools, work) as session:
                SCENARIOS[name](session, report, layout)
        except Failure as failure:
            report.abort("setting up or running the scenario", failure)
        ok = report.summary() and ok
        print(f"== {name}: {time.monotonic() - started:.1f} s")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
