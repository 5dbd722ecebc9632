"""Scenarios of the tray: a profile for each program, the active profile on the tray icon and in
its menu, starting with Windows, a second start."""

import os

from gui import Gui
from report import Failure, figure, median
from scenario_kit import (
    AUTOSTART, BUTTON_MENU, KEYBOARD_PATH, COPY_KEYS, COPY_OUTPUT, F1, IDOK, RUN_AS_ADMIN, TRAY_MENU, VK_P, VK_Q, Person, linux_cpu_seconds, marker_only_profile, over_idle,
    settle, standard_profile, start_standard, tap_tokens, wait_file_text, windows_path)
from session import EXIT_COMMAND, MAIN_TITLE, PROBE_TITLE
from waiting import ended_within, poll_until
from wine import run_quietly

PROGRAMS_TITLE = "Программы и профили"
C_PROGRAM_LIST, C_PROGRAM_ADD, C_PROGRAM_PROFILE = 1200, 1201, 1203
PROBE_EXE = "key_probe.exe"
OTHER_TITLE = "Untitled - Notepad"  # Wine's notepad: any program bound to nothing


def spawn_notepad(s):
    """Notepad in English, whatever LANG the scenarios pin for ORVELLE: its caption is OTHER_TITLE."""
    pinned = s.wine.env.get("LANG")
    s.wine.env["LANG"] = "en_US.UTF-8"
    try:
        return s.wine.spawn(["notepad"], "notepad.log")
    finally:
        if pinned is None:
            s.wine.env.pop("LANG", None)
        else:
            s.wine.env["LANG"] = pinned


RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
FOLLOW_SECONDS = 3
FOLLOW_SAMPLES = 5
IDLE_SECONDS = 15


def tray_profiles(layout):
    """F1 copies in profile 1, types p in profile 2 and q in profile 3."""
    return {1: standard_profile(layout), 2: marker_only_profile(layout).single(F1, VK_P),
            3: marker_only_profile(layout).single(F1, VK_Q)}


def scenario_tray(s, report, layout):
    """A profile for each program, the tray icon's number and tip, the tray menu, start with Windows, a second start."""
    report.check("the first start (no set.ini) shows one balloon at the tray icon, a later start none", first_start, s)
    report.check("the copy that turning on \"run as administrator\" starts (/elevated-restart) waits for the running "
                 "instance to end, then runs in its place", elevated_restart, s)
    report.check("at 144 DPI the tray icon is drawn at 24 pixels, not stretched from 16", icon_at_144_dpi, s)
    profiles = tray_profiles(layout)
    # The probe's own hook sees the program's output while another program is in front.
    me = Person(s, start_standard(s, layout, profiles=profiles), layout, profiles)
    report.check("at start the tray tip names profile 1, chosen by hand", tip_says, me, 1, "")
    if not report.check("the key probe bound to profile 2 through \"Программы и п&рофили…\", by clicks", bind_probe,
                        me):
        return
    report.check("the window hidden and the probe in front: F1 gives profile 2's output, the tip names the probe",
                 probe_in_front, me)
    report.check("the main window open behind the probe: the probe's profile 2 is active; in front again, the home "
                 "profile", window_open_behind, me)
    report.check("the tray menu opened over the probe keeps profile 2, in the tip and as the menu's mark",
                 tray_menu_keeps_profile, me)
    report.check("another program in front: F1 gives profile 1's output", other_in_front, me)
    report.check("the tray menu's profiles switch the home profile, and set.ini keeps it", tray_switch, me)
    report.check("\"Запускать вместе с Windows\" adds and removes the Run value; its check mark shows the value",
                 autostart, me)
    report.check(f"\"{RUN_AS_ADMIN}\" (ORVELLE reads as elevated under Wine: no restart) is stored as RunAsAdmin=1 and "
                 "checked in both menus; while on, starting with Windows is the logon task and never the Run value",
                 run_as_admin, me)
    report.check("a second start brings the window hidden in the tray back", second_start, me)
    report.check(f"idle CPU over {IDLE_SECONDS} s while the foreground is followed", idle, me)
    # Last: the first event stops the polling that Wine's missing events need.
    report.check("the window-event path: a foreground event and a restore from the taskbar, raised through the "
                 "system, each bring the profile of their window", window_events, me)


def first_start(s):
    folder = s.prepare_folder(None, devices=[KEYBOARD_PATH], label="first-start")
    for start, balloon in ((1, 1), (2, 0)):
        program = s.start_program(folder)
        try:
            if program.send("tray-balloon") != balloon:
                raise Failure(f"start {start}: the balloon was {'not ' if balloon else ''}shown")
            # Wine does not scale an unaware program: at 96 DPI the tray's icons are 16 pixels.
            if program.send("tray-icon-size") != 16:
                raise Failure(f"the tray icon is drawn at {program.send('tray-icon-size')} pixels at 96 DPI")
        finally:
            program.exit()
        if not os.path.isfile(os.path.join(folder, "set.ini")):
            raise Failure("the first start left no set.ini: the balloon would come again")


def elevated_restart(s):
    folder = s.prepare_folder(None, devices=[KEYBOARD_PATH], label="elevated-restart")
    first = s.start_program(folder)
    copy = s.wine.spawn([os.path.join(folder, "orvelle-e2e.exe"), "/elevated-restart"], "elevated-restart-copy.log",
                        cwd=folder)
    s.programs.append(copy)
    try:
        if ended_within(copy, 3):
            raise Failure(f"the copy ended (exit code {copy.returncode}) while the first instance ran")
    finally:
        first.exit()
    code, out = s.wine.control("wait", MAIN_TITLE, 10000)
    if code != 0:
        raise Failure(f"no main window of the copy within 10 s after the first instance ended: {out}")
    s.wine.control_ok("command", EXIT_COMMAND)
    if not ended_within(copy, 15, kill=True):
        raise Failure("the copy did not end at the exit command")


DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def icon_at_144_dpi(s):
    # Read by processes started after it is set; the prefix is shared, so it is put back at once.
    code, before = run_quietly(["wine", "reg", "query", DESKTOP_KEY, "/v", "LogPixels"], s.wine.env, 30)
    run_quietly(["wine", "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f"],
                s.wine.env, 30)
    try:
        program = s.start_program(s.prepare_folder(None, devices=[KEYBOARD_PATH], label="dpi-144"))
    finally:
        if code == 0 and "LogPixels" in before:
            old = before.split("LogPixels", 1)[1].split()[1]
            run_quietly(["wine", "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                         str(int(old, 0)), "/f"], s.wine.env, 30)
        else:
            run_quietly(["wine", "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f"], s.wine.env, 30)
    try:
        size = program.send("tray-icon-size")
        if size != 24:
            raise Failure(f"the tray icon is drawn at {size} pixels at 144 DPI")
    finally:
        program.exit()


def tip_says(me, profile, program):
    if me.program.send(f"tip-is {profile} {program}".rstrip()) != 1:
        raise Failure(f"the tray tip does not name profile {profile}" + (f" chosen by {program}" if program else ""))


def bind_probe(me):
    s, gui = me.s, me.gui
    me.button_menu("Программы и п&рофили…")
    dialog = gui.wait_window(PROGRAMS_TITLE)
    gui.shot("programs-empty")
    controls = gui.dialog_controls(dialog)
    gui.click_control(controls[C_PROGRAM_ADD])
    menu = gui.wait_window("", cls=Gui.MENU_CLASS)
    gui.shot("programs-add-menu")
    # The menu offers the programs with a window open now, then "Обзор...": here the probe alone.
    me.choose_menu_item([PROBE_EXE, None, "Обзор..."], PROBE_EXE, menu)
    gui.wait_control(dialog, C_PROGRAM_LIST, lambda c: c.items == 1 and c.selected == 0, "the probe in the list")
    gui.wait_control(dialog, C_PROGRAM_PROFILE, lambda c: c.enabled and c.selected == 1, "profile 2 chosen for it")
    gui.shot("programs-bound")
    gui.click_control(gui.dialog_controls(dialog)[IDOK])
    gui.wait_gone(dialog)
    settle(me.program)
    wait_file_text(me.program.set_ini, lambda sections: sections.get("Programs", {}).get(PROBE_EXE) == "2", 5,
                   f"{PROBE_EXE}=2 in [Programs]")


def wait_profile(me, profile, what):
    if not poll_until(lambda: me.program.send("profile") == profile, FOLLOW_SECONDS, interval=0.02):
        raise Failure(f"{what}: the keys follow profile {me.program.send('profile')}, not {profile}")


def probe_in_front(me):
    s, gui, keys = me.s, me.gui, me.keys
    gui.click_button("Close")
    gui.wait_main_window(False)
    s.ensure_probe_focus()
    wait_profile(me, 2, "the probe in front")
    keys.expect("F1 with the probe in front", keys.tap("F1"), tap_tokens(VK_P, "p"), True)
    tip_says(me, 2, PROBE_EXE)


def window_open_behind(me):
    s, gui = me.s, me.gui
    me.tray_menu("&Открыть")
    gui.wait_main_window(True)
    wait_profile(me, 1, "the main window active")
    s.ensure_probe_focus()
    wait_profile(me, 2, "the probe in front of the open main window")
    tip_says(me, 2, PROBE_EXE)
    if not gui.main_window().visible:
        raise Failure("the main window went away when the probe came to the front")
    s.wine.control_ok("focus", MAIN_TITLE)
    wait_profile(me, 1, "the main window in front again")
    gui.click_button("Close")
    gui.wait_main_window(False)
    s.ensure_probe_focus(quiet=True)
    wait_profile(me, 2, "the probe in front after the window was closed")


def tray_menu_keeps_profile(me):
    menu = me.open_tray_menu()
    try:
        # The menu made the hidden main window the foreground window; the probe's profile stays.
        if me.program.send("profile") != 2:
            raise Failure(f"with the tray menu open the keys follow profile {me.program.send('profile')}, not 2")
        tip_says(me, 2, PROBE_EXE)
        marked = [item for item in ("Профиль &1", "Профиль &2", "Профиль &3")
                  if me.gui.menu_item_marked(menu, TRAY_MENU, item)]
        if marked != ["Профиль &2"]:
            raise Failure(f"the tray menu marks {marked}, not the active \"Профиль 2\"")
    finally:
        # The home profile, chosen by hand: it holds over the probe until another window comes.
        me.choose_menu_item(TRAY_MENU, "Профиль &1", menu)
    wait_profile(me, 1, "\"Профиль 1\" chosen from the tray menu over the probe")
    me.s.ensure_probe_focus(quiet=True)
    wait_profile(me, 2, "the probe in front again after the menu")


def other_in_front(me):
    s = me.s
    other = spawn_notepad(s)
    try:
        s.wine.control_ok("wait", OTHER_TITLE, 20000)
        window = poll_until(lambda: s._x_window(OTHER_TITLE), 5, interval=0.05)
        if not window:
            raise Failure(f"no X window for \"{OTHER_TITLE}\"")
        s.wine.control_ok("focus", OTHER_TITLE)
        s.xdo("windowfocus", "--sync", window)
        wait_profile(me, 1, f"\"{OTHER_TITLE}\" in front")
        tip_says(me, 1, "")
        follow_figures(me)
        # The output goes to the program in front; the probe's hook, first in the chain, sees it.
        start = s.probe.position()
        s.xdo("key", "F1")
        last = COPY_KEYS[-1]
        s.probe.wait_for(lambda e: e.kind == "HOOK" and e.vk == last and e.number("flags") & 0x90 == 0x90, 5,
                         "the release of C, injected", start)
        injected = [f"{e.vk}{'↑' if e.number('flags') & 0x80 else '↓'}" for e in s.probe.events[start:]
                    if e.kind == "HOOK" and e.number("flags") & 0x10]
        if injected[:4] != [t for t in COPY_OUTPUT if not t.startswith("'")]:
            raise Failure(f"F1 with {OTHER_TITLE} in front gave {injected}, expected profile 1's Ctrl+C")
    finally:
        other.kill()
        other.wait()
    s.ensure_probe_focus(quiet=True)
    wait_profile(me, 2, "the probe in front again")


def follow_figures(me):
    """Milliseconds from asking for another window in front to the keys following its profile:
    the probe and the other program in turn."""
    samples = []
    for _ in range(FOLLOW_SAMPLES):
        for title, profile in ((PROBE_TITLE, 2), (OTHER_TITLE, 1)):
            focused = dict(part.split("=") for part in me.s.wine.control_ok("focus", title).split())
            wait_profile(me, profile, f"\"{title}\" in front")
            samples.append((me.program.send("followed-at") - int(focused["focused_us"])) / 1000)
    figure("foreground_to_profile_ms", median=f"{median(samples):.1f}", max=f"{max(samples):.1f}",
           samples=len(samples), target_max=50)


def tray_switch(me):
    for profile in (3, 1):
        me.tray_menu(f"Профиль &{profile}")
        wait_file_text(me.program.set_ini, lambda sections, n=profile: sections.get("TYPE", {}).get("type") == str(n),
                       5, f"type={profile} in set.ini")
    # The menu took the foreground; with the probe in front again its binding decides again.
    me.s.ensure_probe_focus(quiet=True)
    wait_profile(me, 2, "the probe in front after the switches")


def run_value(s):
    code, out = run_quietly(["wine", "reg", "query", RUN_KEY, "/v", "ORVELLE"], s.wine.env, 30)
    return out if code == 0 and "ORVELLE" in out else None


def autostart_marked(me):
    """Whether the tray menu shows the autostart item checked; leaves the menu closed."""
    gui = me.gui
    menu = me.open_tray_menu()
    marked = gui.menu_item_marked(menu, TRAY_MENU, AUTOSTART)
    me.choose_menu_item(TRAY_MENU, "Профиль &1", menu)  # the home profile already: changes nothing
    return marked


def autostart(me):
    s = me.s
    if run_value(s) is not None:
        raise Failure(f"a Run value exists before the test: {run_value(s)}")
    if autostart_marked(me):
        raise Failure("the autostart item is checked without a Run value")
    me.tray_menu(AUTOSTART)
    value = run_value(s)
    exe = windows_path(os.path.join(me.program.folder, "orvelle-e2e.exe"))
    if value is None or f'"{exe}"'.lower() not in value.lower():
        raise Failure(f"the Run value is {value!r}, expected \"{exe}\" in quotes")
    if not autostart_marked(me):
        raise Failure("the autostart item is not checked with the Run value there")
    me.tray_menu(AUTOSTART)
    if run_value(s) is not None:
        raise Failure(f"the Run value is still there: {run_value(s)}")


def logon_task(s):
    """The file in which Wine's Task Scheduler keeps the task ORVELLE, or None."""
    path = os.path.join(s.wine.env["WINEPREFIX"], "drive_c", "windows", "system32", "tasks", "ORVELLE")
    return path if os.path.exists(path) else None


def marked_in_tray_menu(me, item):
    menu = me.open_tray_menu()
    marked = me.gui.menu_item_marked(menu, TRAY_MENU, item)
    me.choose_menu_item(TRAY_MENU, "Профиль &1", menu)  # the home profile already: changes nothing
    return marked


def run_as_admin(me):
    s = me.s
    if run_value(s) is not None or logon_task(s) is not None:
        raise Failure(f"a way to start with Windows exists before the test: {run_value(s)!r}, {logon_task(s)!r}")
    if marked_in_tray_menu(me, RUN_AS_ADMIN):
        raise Failure("the option is checked before it was chosen")

    def expect(option, autostart, what):
        """Set.ini, the Run value, the task and the tray menu's marks after `what`."""
        wait_file_text(me.program.set_ini, lambda sections: sections.get("TYPE", {}).get("runasadmin") ==
                       ("1" if option else None), 5, f"{what}: RunAsAdmin {'1' if option else 'absent'} in set.ini")
        value, task = run_value(s), logon_task(s)
        if (value is not None) != (autostart and not option):
            raise Failure(f"{what}: the Run value is {value!r}")
        if (task is not None) != (autostart and option):
            raise Failure(f"{what}: the logon task is {'there' if task else 'missing'}")
        if task is not None:
            # Wine keeps the task's settings but writes its trigger, principal and command back
            # empty: what those say only the unit test of the XML and Windows show.
            raw = open(task, "rb").read()
            text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8-sig")
            for part in ("<DisallowStartIfOnBatteries>false<", "<ExecutionTimeLimit>PT0S<", "<Priority>5<"):
                if part not in text:
                    raise Failure(f"{what}: the logon task does not say {part}: {text[:600]}")
        for item, marked in ((AUTOSTART, autostart), (RUN_AS_ADMIN, option)):
            if marked_in_tray_menu(me, item) != marked:
                raise Failure(f"{what}: \"{item}\" is {'not ' if marked else ''}checked in the tray menu")

    try:
        run_as_admin_steps(me, expect)
    finally:
        # A failed step leaves neither way of starting behind for the next run of the prefix.
        run_quietly(["wine", "reg", "delete", RUN_KEY, "/v", "ORVELLE", "/f"], s.wine.env, 30)
        run_quietly(["wine", "schtasks", "/Delete", "/TN", "ORVELLE", "/F"], s.wine.env, 30)


def run_as_admin_steps(me, expect):
    s, gui = me.s, me.gui
    me.tray_menu(AUTOSTART)
    expect(False, True, "autostart on")
    me.tray_menu(RUN_AS_ADMIN)
    expect(True, True, "the option on with autostart on")
    me.tray_menu(AUTOSTART)
    expect(True, False, "autostart off with the option on")
    me.tray_menu(AUTOSTART)
    expect(True, True, "autostart on again with the option on")
    # The "Menu" button's menu shows the option too, and turns it off.
    me.tray_menu("&Открыть")
    gui.wait_main_window(True)
    gui.click_button("Menu")
    menu = gui.wait_window("", cls=gui.MENU_CLASS)
    if not gui.menu_item_marked(menu, BUTTON_MENU, RUN_AS_ADMIN):
        raise Failure("the option is not checked in the \"Menu\" button's menu")
    me.choose_menu_item(BUTTON_MENU, RUN_AS_ADMIN, menu)
    expect(False, True, "the option off through \"Menu\"")
    me.tray_menu(AUTOSTART)
    expect(False, False, "autostart off")
    gui.click_button("Close")
    gui.wait_main_window(False)
    s.ensure_probe_focus(quiet=True)


def second_start(me):
    s, gui = me.s, me.gui
    if gui.main_window().visible:
        raise Failure("the main window is not hidden before the second start")
    second = s.start_second_instance(me.program.folder)
    if not ended_within(second, 20, kill=True):
        raise Failure("the second start did not end")
    gui.wait_main_window(True)
    gui.click_button("Close")
    gui.wait_main_window(False)
    s.ensure_probe_focus(quiet=True)


def idle(me):
    s, program = me.s, me.program
    s.park_pointer()
    wait_profile(me, 2, "the probe in front")
    before, after, elapsed = over_idle(IDLE_SECONDS, lambda: linux_cpu_seconds(program.process.pid))
    if before is None or after is None:
        raise Failure("the program's CPU time cannot be read from /proc")
    figure("idle_cpu_percent_following", value=f"{100 * (after - before) / elapsed:.2f}", seconds=f"{elapsed:.1f}")


def window_events(me):
    """Wine raises no foreground events; the twin raises them through the system (NotifyWinEvent),
    each for a window that is not the one in front, so that only the event can explain the profile."""
    s, program = me.s, me.program
    other = spawn_notepad(s)
    try:
        s.wine.control_ok("wait", OTHER_TITLE, 20000)
        s.wine.control_ok("focus", OTHER_TITLE)
        wait_profile(me, 1, f"\"{OTHER_TITLE}\" in front")
        before = program.send("foreground-events")
        if program.send(f"raise-event foreground {PROBE_TITLE}") != 1:
            raise Failure(f"the twin found no window \"{PROBE_TITLE}\" to raise the event for")
        wait_profile(me, 2, f"a foreground event for the probe while \"{OTHER_TITLE}\" is in front")
        if program.send(f"raise-event restored {OTHER_TITLE}") != 1:
            raise Failure(f"the twin found no window \"{OTHER_TITLE}\" to raise the event for")
        wait_profile(me, 1, f"\"{OTHER_TITLE}\" restored from the taskbar")
        tip_says(me, 1, "")
        events = program.send("foreground-events") - before
        if events < 2:
            raise Failure(f"the watch counted {events} window events, expected 2")
    finally:
        other.kill()
        other.wait()
