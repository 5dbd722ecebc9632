"""Keys for games: profile keys that switch the profile or pause remapping at their press, turbo,
and keys that press mouse buttons or turn the wheel."""

import time

import profile_ini
from probe import tokens
from report import Failure, figure, median, percentile
from scenario_kit import (F1, F5, F6, F7, F8, F9, F12, MARKER, MARKER_TARGET, QUESTION_CAPTION, TRAY_MENU, Person, start_standard,
                          wait_file_text)
from waiting import ended_within, poll_until

TARGETS = {1: 65, 2: 66, 3: 67}  # what F1 sends in each profile: A, B, C
TURBO_TARGET, TURBO_MS, TURBO_HOLD_S = 68, 50, 0.5  # F8 taps D every 50 ms while held for half a second
PROBE_CLIENT_POINT = (160, 90)
# The switch goes through the main window's message queue: well within this after the press.
SWITCH_SETTLE_S = 0.2  # inside the probe's client area (its window sits at the desktop's top left)


def gamer_profile(layout, n):
    """F1 sends profile n's letter; F5 makes profile 2 active, F6 the next one, F7 pauses; F8 taps D
    with turbo; F9 holds the left mouse button; F12 turns the wheel down."""
    return (profile_ini.Profile(layout)
            .single(MARKER, MARKER_TARGET)
            .single(F1, TARGETS[n])
            .profile_key(F5, "2")
            .profile_key(F6, "next")
            .profile_key(F7, "pause")
            .single(F8, TURBO_TARGET).with_turbo(F8, TURBO_MS)
            .mouse(F9, "left")
            .mouse(F12, "wheeldown"))


def scenario_gamer(s, report, layout):
    """Profile keys, pause, turbo and mouse keys, at the probe."""
    profiles = {n: gamer_profile(layout, n) for n in (1, 2, 3)}
    program = start_standard(s, layout, label="gamer", profiles=profiles)
    me = Person(s, program, layout, profiles)
    report.check("a profile key changes what F1 sends, at its press, and reaches no application", profile_key, me)
    report.check("the profile a key chose is saved as the home profile", saved_as_type, me)
    report.check("\"next\" goes 2, 3, 1 and round again", next_cycles, me)
    report.check("pause lets F1 through and the tray shows it; a second press brings the remap back", pause, me)
    report.check(f"turbo taps D every {TURBO_MS} ms while F8 is held, and stops at its release", turbo, me)
    report.check("F9 holds the left button and F12 turns the wheel, at the probe's window", mouse_keys, me)
    report.check("the command line: /profile and /pause handed to the running instance, which shows no window; "
                 "the second start ends with 0; a bad argument is told once and ends with 2", command_line, me)


def f1_sends(me, profile, what):
    expected = [f"{TARGETS[profile]}↓", f"{TARGETS[profile]}↑"]
    me.keys.expect(what, me.keys.tap("F1"), expected, remapping=True, keys_only=True)


def profile_key(me):
    f1_sends(me, 1, "F1 in profile 1")
    # Its press switches: F1 tapped while F5 is still down is profile 2's already.
    def press_then_f1():
        me.s.xdo("keydown", "F5")
        time.sleep(SWITCH_SETTLE_S)
        me.s.xdo("key", "F1")
        me.s.xdo("keyup", "F5")

    me.keys.expect("F5 pressed, F1 tapped, F5 released", press_then_f1, [f"{TARGETS[2]}↓", f"{TARGETS[2]}↑"],
                   remapping=True, keys_only=True)
    f1_sends(me, 2, "F1 after F5")


def saved_as_type(me):
    wait_file_text(me.program.set_ini, lambda sections: sections.get("TYPE", {}).get("type") == "2", 5,
                   "set.ini with type=2")


def next_cycles(me):
    delays = []
    for profile in (3, 1, 2, 3, 1, 2):
        start = me.s.probe.position()
        me.keys.expect("F6 tapped", me.keys.tap("F6"), [], remapping=True, keys_only=True)
        delays.append(press_to_switch_ms(me, start))
        f1_sends(me, profile, f"F1 after next, in profile {profile}")
    figure("gamer_profile_key_to_switch_ms", median=f"{median(delays):.2f}", max=f"{max(delays):.2f}",
           samples=len(delays))


def press_to_switch_ms(me, start):
    """From F6's press, as the probe's own hook saw it, to the moment the keys followed the new
    profile (both on the host's clock): after it, a key's next press is the new profile's."""
    press = me.s.probe.wait_for(lambda e: e.kind == "HOOK" and e.number("vk") == F6 and not e.number("flags") & 0x80,
                                5, "F6's press at the probe's hook", start)
    return (me.program.send("followed-at") - me.s.probe.events[press].ts) / 1000


def pause(me):
    me.keys.expect("F7 tapped, then F1: F1 itself", lambda: me.s.xdo("key", "F7", "key", "F1"),
                   [f"{F1}↓", f"{F1}↑"], remapping=False, keys_only=True)
    tray_paused(me, True)
    me.keys.expect("F7 tapped again", me.keys.tap("F7"), [], remapping=True, keys_only=True)
    tray_paused(me, False)
    f1_sends(me, 2, "F1 after the pause")
    # The tray menu's "Пауза" does the same, and shows its check mark while paused.
    for paused in (True, False):
        menu = me.open_tray_menu()
        if me.gui.menu_item_marked(menu, TRAY_MENU, "Па&уза") == paused:
            raise Failure(f"\"Пауза\" is {'already' if paused else 'still'} checked in the tray menu")
        me.choose_menu_item(TRAY_MENU, "Па&уза", menu)
        tray_paused(me, paused)
        me.s.ensure_probe_focus(quiet=True)
        if paused:
            me.keys.expect("F1 paused from the tray menu", me.keys.tap("F1"), [f"{F1}↓", f"{F1}↑"], remapping=False,
                           keys_only=True)
    f1_sends(me, 2, "F1 after the tray menu's pause")


def tray_paused(me, paused):
    if not poll_until(lambda: me.program.send("tray-paused") == (1 if paused else 0), 2, interval=0.02):
        raise Failure("the tray " + ("does not show the pause (icon, \"ORVELLE: пауза\")" if paused else
                                     "still shows the pause"))


def command_line(me):
    s, gui = me.s, me.gui
    me.hide_main_window()
    samples = []
    for arguments, profile in ((("/profile", "3"), 3), (("/profile", "next"), 1), (("-PROFILE", "2"), 2)):
        started = time.monotonic()
        process = me.start_again(*arguments)
        if not poll_until(lambda: me.program.send("profile") == profile, 3, interval=0.01):
            raise Failure(f"{' '.join(arguments)}: the keys follow profile {me.program.send('profile')}, not {profile}")
        samples.append((time.monotonic() - started) * 1000)
        if not ended_within(process, 2, kill=True):
            raise Failure(f"{' '.join(arguments)}: the second start did not end within two seconds")
        if process.returncode != 0:
            raise Failure(f"{' '.join(arguments)}: the second start ended with exit code {process.returncode}")
        if gui.main_window().visible:
            raise Failure(f"{' '.join(arguments)}: the main window came up")
    figure("gamer_command_line_to_switch_ms", median=f"{median(samples):.0f}", max=f"{max(samples):.0f}",
           samples=len(samples))
    f1_sends(me, 2, "F1 after /profile 2")
    for arguments, paused in ((("/pause", "on"), True), (("/pause", "toggle"), False), (("/pause", "toggle"), True),
                              (("/pause", "off"), False)):
        process = me.start_again(*arguments)
        if not ended_within(process, 2, kill=True) or process.returncode != 0:
            raise Failure(f"{' '.join(arguments)}: the second start ended with {process.returncode}")
        tray_paused(me, paused)
    process = me.start_again("/profile", "9")
    # The box belongs to the second start, not to the running instance.
    box = poll_until(lambda: next((w for w in gui.windows("*") if w.visible and w.title == QUESTION_CAPTION and
                                   w.cls == gui.DIALOG_CLASS and not w.main), None), 5, interval=0.05)
    if box is None:
        raise Failure(f"no box of the second start told about /profile 9: {gui.describe_windows()}")
    texts = gui.texts(box)
    if not any(t.startswith("Команды ORVELLE") for t in texts):
        raise Failure(f"the box says {texts}, expected the usage")
    gui.shot("command-line-usage")
    gui.answer(box, 1)
    if not ended_within(process, 3, kill=True) or process.returncode != 2:
        raise Failure(f"/profile 9 ended with exit code {process.returncode}, not 2")
    if me.program.send("profile") != 2:
        raise Failure("a bad command line changed the profile")
    s.ensure_probe_focus(quiet=True)


def turbo(me):
    def hold():
        me.s.xdo("keydown", "F8")
        time.sleep(TURBO_HOLD_S)
        me.s.xdo("keyup", "F8")

    window, start, end = me.keys.collect(hold, remapping=True)
    keys = [e for e in window if e.is_key]
    got = tokens(keys)
    if not got or any(t != f"{TURBO_TARGET}{'↓' if i % 2 == 0 else '↑'}" for i, t in enumerate(got)):
        raise Failure(f"expected D down and up in turn, got {' '.join(got) or '(nothing)'}; probe saw:\n"
                      f"{me.s.probe.excerpt(start, end)}")
    downs = [e.ts for e in keys if e.is_down]
    gaps = [(b - a) / 1000 for a, b in zip(downs, downs[1:])]
    expected = TURBO_HOLD_S * 1000 / TURBO_MS
    figure("gamer_turbo_gap_ms", period=TURBO_MS, taps=len(downs), median=f"{median(gaps):.1f}",
           p90=f"{percentile(gaps, 90):.1f}")
    # xdotool's hold is itself only roughly half a second long under Wine.
    if not expected * 0.6 <= len(downs) <= expected * 1.6:
        raise Failure(f"{len(downs)} taps in about {TURBO_HOLD_S} s at {TURBO_MS} ms; gaps {gaps}")
    if gaps and not TURBO_MS * 0.6 <= median(gaps) <= TURBO_MS * 1.6:
        raise Failure(f"the gaps' median is {median(gaps):.1f} ms, not about {TURBO_MS}: {gaps}")


def mouse_keys(me):
    s = me.s
    s.screen.move(*PROBE_CLIENT_POINT)
    try:
        window, start, end = me.keys.collect(lambda: s.xdo("key", "F9", "key", "F12", "key", "F12"), remapping=True)
    finally:
        s.park_pointer()
    got = [e.token() for e in window if e.kind in ("BUTTONDOWN", "BUTTONUP", "WHEEL") or e.is_key]
    seen = [t.split(" x=")[0] for t in got]
    expected = ["BUTTONDOWN button=left", "BUTTONUP button=left", "WHEEL delta=-120", "WHEEL delta=-120"]
    if seen != expected:
        raise Failure(f"expected {expected}, got {seen}; probe saw:\n{s.probe.excerpt(start, end)}")
