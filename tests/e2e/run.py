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
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import profile_ini  # noqa: E402
from harness import (  # noqa: E402
    FOREIGN_PATH, KEYBOARD_INTERFACES, KEYBOARD_PATH, MAIN_TITLE, PROBE_TITLE, ROOT, STATUS_HOOK, STATUS_PRESENT, Failure,
    Report, Session, describe_status, figure, median, now_us, percentile, poll_until, tokens)

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
        def set_numlock(on):
            # The probe reports the NumLock state on every key line; the marker's lines carry it.
            _, _, end = keys.collect(lambda: None, True)
            state = s.probe.events[end - 1].fields.get("numlock") == "1"
            if state != on:
                start = s.probe.position()
                s.xdo("key", "Num_Lock")
                s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_NUMLOCK and
                                 e.fields.get("numlock") == ("1" if on else "0"), 5,
                                 f"NumLock {'on' if on else 'off'}", start)

        set_numlock(False)
        keys.expect("F3 with NumLock off", keys.tap("F3"), key_events(KEYPAD_SEQUENCE_NUMLOCK_OFF), True,
                    keys_only=True)
        set_numlock(True)
        keys.expect("F3 with NumLock on", keys.tap("F3"), key_events(KEYPAD_SEQUENCE), True, keys_only=True)
        set_numlock(False)

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

    def one_removal_after_three_arrivals():
        # A second hook left behind by a repeated arrival would go on swallowing F1 here.
        program.send(f"remove {KEYBOARD_INTERFACES[0]}")
        program.wait_status(0)
        keys.expect("F1 after one removal", keys.tap("F1"), tap_tokens(F1), False)

    report.check("started with the keyboard: status 3 and F1 remapped", present_at_start)
    report.check("a second start ends at once and the first keeps remapping", second_start)
    report.check("a removal notice removes the hook and keys pass unchanged", removal)
    report.check("three arrivals install one hook: one output per key", three_arrivals)
    report.check("a device of another vendor leaving changes nothing", foreign_removal_while_present)
    report.check("one removal after three arrivals leaves no hook behind", one_removal_after_three_arrivals)


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


SCENARIOS = {
    "remap": scenario_remap,
    "presence": scenario_presence,
    "profiles": scenario_profiles,
    "figures": scenario_figures,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenarios", nargs="*", help=f"any of: {', '.join(SCENARIOS)} (default: all)")
    parser.add_argument("--dist", default=os.path.join(ROOT, "build", "mingw", "dist"),
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
