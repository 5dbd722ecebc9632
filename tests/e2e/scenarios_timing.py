"""Scenarios of time: keys that act while held, timed and looped macros, playbacks side by side,
the key hold time, and the figures of an idle and a held key."""

import time

from probe import tokens
from report import Failure, figure, median, percentile
from scenario_kit import (
    C_KEY_FIELD, C_LOOP_COUNT, C_STEP_LIST, D_HOLD, D_KEY_DELAYS, D_LOOP_COUNT, D_OK, F2, F3, F5, F6, F7, F8, F9,
    F12, HOLD_TARGET, KIND_MACRO, KIND_SINGLE, VK_A, VK_B, VK_P, VK_Q, VK_UP, VK_X, Person, key_events,
    keys_between, linux_cpu_seconds, marker_only_profile, new_macro_for, open_in_mode, over_idle, press_until,
    quiet_probe, set_numlock, settle, start_recording, start_standard, still_down, stop_recording, tap_tokens,
    wait_file_text)
from waiting import now_us, poll_until

TIMED_GAP_MS = 300          # the pause of the timed macro between "a" and "b"
TIMED_TOLERANCE_MS = 30
LOOPS = 3
LONG_HOLD_MS = 2000         # the long macro keeps Q down this long
# Part of the stimulus: the key tapped beside the long macro, and the second press of its own key,
# come this long after the macro pressed Q, so that they fall well inside its hold, while it
# still plays.
INTO_LONG_MACRO_S = 0.2
TAP_HOLD_S = 0.03           # how long a tap holds its key down: part of the stimulus
OTHER_KEY_MAX_MS = 20       # a key tapped meanwhile: its output may come this late at most
HELD_SAMPLES = 20
IDLE_SECONDS = 30
TAP_TIME_MS = 20
DIALOG_LOOPS = 2
VK_W = 87


def timing_profile(layout):
    """F5 holds Up; F6 plays "a", a pause, "b"; F9 taps X three times; F12 holds Q for two
    seconds; F2 taps A; F8 is nobody's."""
    return (marker_only_profile(layout)
            .single(F5, VK_UP, hold=True)
            .single(F2, HOLD_TARGET)
            .macro(F6, [VK_A, VK_B], name="pause", delays=[0, 20, TIMED_GAP_MS, 20])
            .macro(F9, [VK_X], name="thrice", loops=LOOPS)
            .macro(F12, [VK_Q], name="long", delays=[0, LONG_HOLD_MS]))


def scenario_timing(s, report, layout):
    """Keys that act while held, timed and looped macros side by side, the key hold time, idle figures."""
    profiles = {1: timing_profile(layout), 2: marker_only_profile(layout).single(F5, VK_P),
                3: marker_only_profile(layout)}
    # Without the probe's hook: it would add a round trip to every key event measured.
    me = Person(s, start_standard(s, layout, profiles=profiles, hook=False), layout, profiles)
    report.check("F5 held as Up: Up goes down at the press, repeats with F5 and goes up at its release", held, me)
    report.check("a held key's press-to-output latency, next to an unassigned key's", held_latency, me)
    report.check(f"a timed macro: \"a\", a pause of {TIMED_GAP_MS} ms, \"b\"", timed_macro, me)
    report.check(f"a macro with loop count {LOOPS} plays {LOOPS} times", looped_macro, me)
    report.check("a key tapped while a two-second macro plays gets its output at once", side_by_side, me)
    report.check("pressing a playing macro's key stops it and lets go of what it holds", macro_stopped, me)
    report.check("F5 held while a click switches to profile 2: Up goes up at the switch", held_across_switch, me)
    report.check(f"the menu's key hold time {TAP_TIME_MS} ms keeps a tapped key down that long, and set.ini keeps it",
                 tap_time, me)
    set_numlock(s, me.keys, True)  # recording warns while NumLock is off
    report.check("F7 given W with \"Hold\" ticked in the dialog: W is down while F7 is", hold_from_dialog, me)
    report.check(f"a macro recorded with \"Record key delays\" and loop count {DIALOG_LOOPS}: a, the pause as "
                 f"recorded, b, {DIALOG_LOOPS} times", timed_recording, me)
    report.check(f"idle CPU over {IDLE_SECONDS} s next to the key probe's, and the worker's wakeups", idle, me)


def held(me):
    s = me.s
    s.ensure_probe_focus()
    start = s.probe.position()
    press_until(s, "F5", VK_UP, start)
    time.sleep(0.8)  # holding the key is the stimulus: auto-repeat starts after 250 ms
    released = now_us()
    s.xdo("keyup", "F5")
    up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_UP, 5, "Up released", start)
    seen = keys_between(s, start, up + 1)
    repeats = [e for e in seen if e.vk == VK_UP and e.is_down and e.fields.get("repeat") == "1"]
    problems = []
    if any(e.vk == F5 for e in seen):
        problems.append("F5 itself reached the probe")
    if len(repeats) < 3:
        problems.append(f"Up repeated {len(repeats)} times while F5 was held for 0.8 s")
    if s.probe.events[up].ts < released:
        problems.append("Up went up before F5 was released")
    if problems:
        raise Failure("; ".join(problems) + f"; the probe saw {' '.join(tokens(seen, keys_only=True)[:12])} …")


def held_latency(me):
    s, kb = me.s, me.s.keyboard
    s.ensure_probe_focus()
    samples = {"held": [], "unassigned": []}
    for name, keysym, vk in (("held", "F5", VK_UP), ("unassigned", "F8", F8)):
        code = kb.keycode(keysym)
        for i in range(HELD_SAMPLES + 2):
            start = s.probe.position()
            t0 = now_us()
            kb.send(code, True)
            down = s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == vk, 3, f"{vk} pressed", start)
            kb.send(code, False)
            s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == vk, 3, f"{vk} released", down)
            if i >= 2:  # the first two warm up
                samples[name].append((s.probe.events[down].ts - t0) / 1000)
    for name, values in samples.items():
        figure(f"press_to_output_{name}_ms", median=f"{median(values):.2f}", p90=f"{percentile(values, 90):.2f}",
               max=f"{max(values):.2f}", samples=len(values), **({"target_max": "2"} if name == "held" else {}))


def timed_macro(me):
    s = me.s
    # The end marker would overtake a timed macro (each plays on its own timeline): the macro's
    # last release ends it instead.
    s.ensure_probe_focus()
    start = s.probe.position()
    s.xdo("key", "F6")
    end = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_B, 5, "b released", start)
    window = keys_between(s, start, end + 1)
    got = tokens(window, keys_only=True)
    if got != [f"{VK_A}↓", f"{VK_A}↑", f"{VK_B}↓", f"{VK_B}↑"]:
        raise Failure(f"F6 gave {' '.join(got)}, expected a down, a up, b down, b up")
    a_up = next(e for e in window if e.vk == VK_A and not e.is_down)
    b_down = next(e for e in window if e.vk == VK_B and e.is_down)
    gap_ms = (b_down.ts - a_up.ts) / 1000
    figure("timed_macro_gap_ms", value=f"{gap_ms:.1f}", recorded=TIMED_GAP_MS)
    if abs(gap_ms - TIMED_GAP_MS) > TIMED_TOLERANCE_MS:
        raise Failure(f"the pause between a and b lasted {gap_ms:.1f} ms, not {TIMED_GAP_MS} ± {TIMED_TOLERANCE_MS}")


def looped_macro(me):
    keys = me.keys
    keys.expect("F9", keys.tap("F9"), key_events([VK_X]) * LOOPS, True, keys_only=True)


def side_by_side(me):
    s, kb = me.s, me.s.keyboard
    s.ensure_probe_focus()
    start = s.probe.position()
    s.xdo("key", "F12")
    s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == VK_Q, 5, "Q pressed by the long macro", start)
    time.sleep(INTO_LONG_MACRO_S)
    code = kb.keycode("F2")
    kb.send(code, True)
    time.sleep(TAP_HOLD_S)
    t0 = now_us()
    kb.send(code, False)
    a_up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == HOLD_TARGET, 3, "A released", start)
    late_ms = (s.probe.events[a_up].ts - t0) / 1000
    q_up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_Q, 5, "Q released by the long macro", start)
    figure("other_key_during_long_macro_ms", value=f"{late_ms:.2f}", target_max=OTHER_KEY_MAX_MS)
    if q_up < a_up:
        raise Failure("the long macro let Q go before A was tapped: the check proves nothing")
    if late_ms > OTHER_KEY_MAX_MS:
        raise Failure(f"F2's output came {late_ms:.1f} ms after its release while the long macro played")


def macro_stopped(me):
    s = me.s
    s.ensure_probe_focus()
    start = s.probe.position()
    s.xdo("key", "F12")
    s.probe.wait_for(lambda e: e.kind == "KEYDOWN" and e.vk == VK_Q, 5, "Q pressed by the long macro", start)
    time.sleep(INTO_LONG_MACRO_S)
    t0 = now_us()
    s.xdo("key", "F12")
    q_up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_Q, 5, "Q released", start)
    stopped_ms = (s.probe.events[q_up].ts - t0) / 1000
    end = quiet_probe(s, quiet_s=0.5)
    seen = keys_between(s, start, end)
    presses = sum(1 for e in seen if e.vk == VK_Q and e.is_down)
    if stopped_ms > LONG_HOLD_MS / 2 or presses != 1 or still_down(seen):
        raise Failure(f"the second F12 should stop the macro at once and start nothing: Q up after "
                      f"{stopped_ms:.0f} ms, {presses} presses of Q; the probe saw "
                      f"{' '.join(tokens(seen, keys_only=True))}")


def key_down(s, vk):
    """Whether the system holds the key down, as any program reads it, focused or not."""
    return s.wine.control_ok("keydown", vk).strip() == "1"


def held_across_switch(me):
    s, gui, keys = me.s, me.gui, me.keys
    s.ensure_probe_focus()
    start = s.probe.position()
    press_until(s, "F5", VK_UP, start)
    try:
        gui.click_button("Profile2")
        gui.rest_pointer(2, me.pressed(2), "profile 2 active while F5 is held", held_codes=(F5,))
        # The click took the focus, so the release of Up goes to the main window: the system's
        # key state tells.
        if not poll_until(lambda: not key_down(s, VK_UP), 3, interval=0.02):
            raise Failure("Up is still down after the switch to profile 2, with F5 held")
        s.ensure_probe_focus(quiet=True)
        s.xdo("keyup", "F5")
        _, _, end = keys.collect(lambda: None, True)
        seen = keys_between(s, start, end)
        # F5's press went to the program, so its release does too.
        if any(e.vk == F5 for e in seen):
            raise Failure(f"F5 held across the switch reached the probe: {' '.join(tokens(seen, keys_only=True))}")
        keys.expect("F5 pressed anew in profile 2", keys.tap("F5"), tap_tokens(VK_P, "p"), True)
    finally:
        s.xdo("keyup", "F5")
        gui.click_button("Profile1")
        gui.rest_pointer(1, me.pressed(1), "profile 1 active again")
        s.ensure_probe_focus(quiet=True)


def held_for_ms(me, keysym, vk, taps=5):
    """How long a tap of the key keeps `vk` down at the probe, in milliseconds: the median of a few
    taps. The probe stamps a message when its thread reads it, so one tap whose press was read a
    little late looks a little short; the median is the hold the program gave."""
    s = me.s
    s.ensure_probe_focus()
    held = []
    for _ in range(taps):
        start = s.probe.position()
        s.xdo("key", keysym)
        up = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == vk, 5, f"{vk} released", start)
        down = next(e for e in s.probe.events[start:up] if e.kind == "KEYDOWN" and e.vk == vk)
        held.append((s.probe.events[up].ts - down.ts) / 1000)
    return median(held)


def tap_time(me):
    s = me.s
    before = held_for_ms(me, "F2", HOLD_TARGET)
    me.button_submenu("&Время нажатия клавиш", f"{TAP_TIME_MS} мс")
    settle(me.program)
    s.ensure_probe_focus(quiet=True)
    after = held_for_ms(me, "F2", HOLD_TARGET)
    figure("tapped_key_down_ms", before=f"{before:.1f}", after=f"{after:.1f}", tap_time=TAP_TIME_MS, median_of=5)
    if before > 10 or after < TAP_TIME_MS - 1:
        raise Failure(f"A was down {before:.1f} ms before and {after:.1f} ms after choosing {TAP_TIME_MS} ms")
    wait_file_text(me.program.set_ini, lambda sections: sections.get("TYPE", {}).get("tapms") == str(TAP_TIME_MS),
                   5, f"TapMs={TAP_TIME_MS} in set.ini")


def hold_from_dialog(me):
    s, gui = me.s, me.gui
    dialog, _ = open_in_mode(me, F7, KIND_SINGLE, None)
    s.xdo("key", "w")  # the dialog's hook takes it: no application sees it
    gui.wait_control(dialog, C_KEY_FIELD, lambda c: c.title == "W", "the key field showing W")
    gui.click_dialog(D_HOLD, dialog)
    s.park_pointer()
    gui.check_dialog_look(dialog, KIND_SINGLE, "the dialog with \"Hold\" ticked", ticked=(D_HOLD,))
    gui.shot("dialog-hold-ticked")
    me.close_dialog(D_OK)
    s.ensure_probe_focus(quiet=True)
    start = s.probe.position()
    try:
        press_until(s, "F7", VK_W, start)
    finally:
        s.xdo("keyup", "F7")
    s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_W, 5, "W released with F7", start)


def timed_recording(me):
    s, gui = me.s, me.gui
    dialog = new_macro_for(me, F3)
    # The macro chosen first (F6's) is timed, and a new macro keeps the box as it was: ticked.
    # Two clicks clear it and tick it again.
    s.park_pointer()
    gui.check_dialog_look(dialog, KIND_MACRO, "a new macro after a timed one: the delays box still ticked",
                          ticked=(D_KEY_DELAYS,))
    for ticked in ((), (D_KEY_DELAYS,)):
        gui.click_dialog(D_KEY_DELAYS, dialog)
        s.park_pointer()
        gui.check_dialog_look(dialog, KIND_MACRO, f"the delays box clicked: {'ticked' if ticked else 'clear'}",
                              ticked=ticked)
    gui.click_dialog(D_LOOP_COUNT, dialog)
    s.give_keys_to()
    s.xdo("key", "End", "BackSpace", "BackSpace", str(DIALOG_LOOPS))
    gui.wait_control(dialog, C_LOOP_COUNT, lambda c: c.title == str(DIALOG_LOOPS), f"loop count {DIALOG_LOOPS} typed")
    started_at = start_recording(me, dialog)
    s.park_pointer()
    gui.check_dialog_look(dialog, KIND_MACRO, "the dialog recording with key delays", recording=True,
                          ticked=(D_KEY_DELAYS,))
    # The keys as a person types them, with a pause the macro must keep.
    kb = s.keyboard
    a, b = kb.keycode("a"), kb.keycode("b")
    kb.send(a, True)
    time.sleep(TAP_HOLD_S)
    kb.send(a, False)
    a_up = now_us()
    time.sleep(TIMED_GAP_MS / 1000)
    b_down = now_us()
    kb.send(b, True)
    time.sleep(TAP_HOLD_S)
    kb.send(b, False)
    gui.wait_control(dialog, C_STEP_LIST, lambda c: c.items == 4, "four steps recorded")
    stop_recording(me, dialog, started_at)
    gui.shot("dialog-timed-macro")
    me.close_dialog(D_OK)
    typed_gap_ms = (b_down - a_up) / 1000

    s.ensure_probe_focus(quiet=True)
    start = s.probe.position()
    s.xdo("key", "F3")
    end = start
    for _ in range(DIALOG_LOOPS):
        end = s.probe.wait_for(lambda e: e.kind == "KEYUP" and e.vk == VK_B, 5, "b released", end) + 1
    window = keys_between(s, start, end)
    got = tokens(window, keys_only=True)
    if got != [f"{VK_A}↓", f"{VK_A}↑", f"{VK_B}↓", f"{VK_B}↑"] * DIALOG_LOOPS:
        raise Failure(f"F3 gave {' '.join(got)}, expected a down, a up, b down, b up, {DIALOG_LOOPS} times")
    gaps = [(window[i + 1].ts - window[i].ts) / 1000 for i in range(1, len(window), 4)]
    figure("recorded_macro_gap_ms", played=",".join(f"{g:.1f}" for g in gaps), typed=f"{typed_gap_ms:.1f}")
    if any(abs(g - typed_gap_ms) > TIMED_TOLERANCE_MS for g in gaps):
        raise Failure(f"the pause between a and b played as {gaps} ms; it was typed as {typed_gap_ms:.1f} ms")


def idle(me):
    s, program = me.s, me.program
    s.park_pointer()
    probe_pid = s.probe_process.pid
    wakeups_before = program.send("wakeups")
    (p0, k0), (p1, k1), elapsed = over_idle(
        IDLE_SECONDS, lambda: (linux_cpu_seconds(program.process.pid), linux_cpu_seconds(probe_pid, "key_probe.exe")))
    wakeups = program.send("wakeups") - wakeups_before
    if None in (p0, k0, p1, k1):
        raise Failure("the CPU times of the program or the probe cannot be read from /proc")
    figure("idle_cpu_percent_30s", program=f"{100 * (p1 - p0) / elapsed:.2f}",
           key_probe=f"{100 * (k1 - k0) / elapsed:.2f}", seconds=f"{elapsed:.1f}")
    figure("idle_worker_wakeups_per_s", value=f"{wakeups / elapsed:.2f}", target_max="0")
