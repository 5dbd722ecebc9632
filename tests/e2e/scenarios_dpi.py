"""The main window and the assignment dialog at 144 and 192 DPI (Wine's LogPixels): drawn from the
skin's pictures at 150 % and 200 %, sized, shaped and hit at that scale."""

import os
import time

from gui import Gui, Rect
from report import Failure, figure
from scenario_kit import F5, IDCANCEL, KEYBOARD_PATH
from waiting import poll_until
from wine import run_quietly

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
DESKTOPS_KEY = r"HKCU\Software\Wine\Explorer\Desktops"
# At 200 % the main window is about 1960x824: Wine's desktop as large as the X screen shows the
# middle of its bottom row of buttons above the taskbar.
LARGE_DESKTOP = "1280x1024"
WM_COMMAND = 0x0111
IDC_ASSIGN_OK, OK_ENTRY = 1999, 1  # the dialog's OK button and its entry of "Composite.ini"
TOLERANCE = 2


def scaled(v, percent):
    """A stored 100 % coordinate at a percent, rounded as the program and the skin generator do."""
    return (v * percent + 50) // 100


def scaled_rect(entry, percent):
    return Rect(scaled(entry.x, percent), scaled(entry.y, percent), scaled(entry.x + entry.width, percent),
                scaled(entry.y + entry.height, percent))


def reg_value(s, key, name):
    code, out = run_quietly(["wine", "reg", "query", key, "/v", name], s.wine.env, 30)
    if code != 0 or name not in out:
        return None
    fields = out.split(name, 1)[1].split()
    return fields[0], fields[1]  # type, value


def set_reg_value(s, key, name, saved_or_new):
    if saved_or_new is None:
        run_quietly(["wine", "reg", "delete", key, "/v", name, "/f"], s.wine.env, 30)
    else:
        kind, value = saved_or_new
        if kind == "REG_DWORD":
            value = str(int(value, 0))
        code, out = run_quietly(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], s.wine.env, 30)
        # A setting left behind would skew every later scenario in the prefix, far from the cause.
        if code != 0:
            raise Failure(f"could not set {key}\\{name} to {value}: {out.strip()}")


def scenario_dpi(s, report, layout):
    """The main window and the dialog at 150 % and 200 %: size, outline, a click on "Profile2"."""
    saved_desktop = reg_value(s, DESKTOPS_KEY, "Default")
    set_reg_value(s, DESKTOPS_KEY, "Default", ("REG_SZ", LARGE_DESKTOP))
    try:
        gui = Gui(s, s.dist_dir)
        base = {}
        report.check("at 96 DPI: the main window and the dialog at their 100 % size", measure_base, s, gui, base)
        report.check("at 96 DPI, told that its monitor's scale changed (the twin's dpi-changed, as the system "
                     "tells a window moved to another monitor): the main window takes the 150 % size and outline in "
                     "place and \"Profile2\" is hit at its scaled middle; the open dialog takes the 200 % size, its "
                     "OK button the 200 % place; both come back to 100 %", check_dpi_change, s, gui, base)
        for dpi in (144, 192):
            percent = dpi * 100 // 96
            report.check(f"at {dpi} DPI: the main window {percent / 100:g} times its 96-DPI size, shaped by its "
                         f"outline, \"Profile2\" clicked in its scaled middle switches to profile 2, the dialog "
                         f"at the scaled size", check_scaled, s, gui, base, dpi, percent)
    finally:
        set_reg_value(s, DESKTOPS_KEY, "Default", saved_desktop)


def start_at(s, dpi, label):
    """The program started while LogPixels says `dpi`; the setting is put back at once (it is read
    by processes started after it is set), so other runs in the prefix are unaffected."""
    saved = reg_value(s, DESKTOP_KEY, "LogPixels")
    if dpi is not None:
        set_reg_value(s, DESKTOP_KEY, "LogPixels", ("REG_DWORD", str(dpi)))
    try:
        # Generous: the machine that runs the tests may be busy with builds.
        return s.start_program(s.prepare_folder(None, devices=[KEYBOARD_PATH], label=label), seconds=60)
    except Failure:
        s.wine.control("kill", "ORVELLE")  # a start that came too late must not answer for the next one
        raise
    finally:
        if dpi is not None:
            set_reg_value(s, DESKTOP_KEY, "LogPixels", saved)


def working_set_kib(s):
    out = s.wine.control_ok("proc", "ORVELLE")
    return {k: int(v) for k, v in (part.split("=") for part in out.split())}["working_set"] // 1024


def shown_main(gui, program):
    """The program's main window once shown, found by its handle: while the window's thread is
    busy (reading pictures), its caption may read as empty."""
    found = poll_until(lambda: next((w for w in gui.windows() if w.hwnd == program.hwnd and w.visible), None), 10,
                       interval=0.05)
    if found is None:
        raise Failure(f"the main window {program.hwnd} is not shown; windows: {gui.describe_windows()}")
    return found


def other_dialog(gui, program):
    return next((w for w in gui.windows() if w.visible and w.cls == Gui.DIALOG_CLASS and w.hwnd != program.hwnd
                 and not w.main), None)


def open_dialog(gui, program, window, percent):
    """A press on the middle of F5's scaled slot opens the assignment dialog: its window, and how
    long it took to show."""
    box = scaled_rect(gui.key_slot(F5), percent)
    started = time.monotonic()
    gui.click_at(window.rect.left + (box.left + box.right) // 2, window.rect.top + (box.top + box.bottom) // 2)
    # The first opening at a scale reads the dialog's pictures: on a busy machine that takes seconds.
    dialog = poll_until(lambda: other_dialog(gui, program), 20, interval=0.02)
    if dialog is None:
        raise Failure(f"no assignment dialog within 20 s of a click on F5 at {box}; windows: {gui.describe_windows()}")
    elapsed_ms = round((time.monotonic() - started) * 1000)
    gui.s.park_pointer()
    return dialog, elapsed_ms


def close_dialog(gui, program, dialog):
    gui.ask(dialog.hwnd, WM_COMMAND, IDCANCEL, 0)
    if not poll_until(lambda: other_dialog(gui, program) is None, 10, interval=0.05):
        raise Failure("the assignment dialog did not close on Cancel")


def measure_base(s, gui, base):
    program = start_at(s, None, "dpi-96")
    try:
        window = shown_main(gui, program)
        base["main"] = (window.rect.width, window.rect.height)
        base["working_set_kib"] = working_set_kib(s)
        dialog, elapsed_ms = open_dialog(gui, program, window, 100)
        base["dialog"] = (dialog.rect.width, dialog.rect.height)
        close_dialog(gui, program, dialog)
    finally:
        program.exit()
    figure("dpi_working_set", dpi=96, kib=base["working_set_kib"])
    figure("dpi_first_dialog_ms", dpi=96, ms=elapsed_ms)


def expect_size(what, actual, base_size, percent):
    expected = tuple(v * percent / 100 for v in base_size)
    if any(abs(a - e) > TOLERANCE for a, e in zip(actual, expected)):
        raise Failure(f"{what} is {actual[0]}x{actual[1]}, expected {expected[0]:g}x{expected[1]:g} "
                      f"(±{TOLERANCE}) from {base_size[0]}x{base_size[1]} at 96 DPI")


def outline_edge(mask):
    """A row of the 100 % mask and the first pixel of the outline in it, with at least three cut
    pixels to its left and three kept to its right: the edge a scaled outline must keep."""
    for y in range(mask.height // 2, mask.height):
        x0 = next((x for x in range(mask.width) if mask.pixel(x, y) != (255, 255, 255)), None)
        if x0 is not None and x0 >= 3 and all(mask.pixel(x0 + i, y) != (255, 255, 255) for i in range(3)):
            return x0, y
    raise Failure("the main window's mask has no straight left edge to test its outline at")


def answers(program, text):
    """The program's answer, or None while its window's thread is too busy with the large pictures
    of the scale for the twin's question to reach it."""
    try:
        return program.send(text)
    except Failure:
        return None


def expect_outline(gui, program, percent):
    """The cut side of the mask's edge lies outside the window, the kept side inside."""
    x0, y = outline_edge(gui.picture("main_mask"))
    edge, row = scaled(x0, percent), scaled(y, percent) + 1
    for x, inside in ((edge - TOLERANCE - 1, 0), (edge + TOLERANCE + 1, 1)):
        if program.send(f"in-outline {x} {row}") != inside:
            raise Failure(f"the point {x},{row} of the window is {'outside' if inside else 'inside'} its "
                          f"outline; the mask's edge lies at {edge} at {percent} %")
    if program.send("in-outline 0 0") == 1 and gui.picture("main_mask").pixel(0, 0) == (255, 255, 255):
        raise Failure("the window's top-left corner is not cut away")


def click_profile(s, gui, program, window, percent, number):
    """A click in the middle of the scaled "Profile<number>" button makes that profile active."""
    box = scaled_rect(gui.screen_button(f"Profile{number}"), percent)
    gui.click_at(window.rect.left + (box.left + box.right) // 2, window.rect.top + (box.top + box.bottom) // 2)
    s.park_pointer()
    if not poll_until(lambda: answers(program, "profile") == number, 4, interval=0.05):
        raise Failure(f"profile {program.send('profile')} is active after a click on the middle of "
                      f"\"Profile{number}\" at {box}")


def tell_dpi(gui, program, dpi, which, hwnd, expected_size, corner):
    """The twin tells the window its monitor is at `dpi`; the window then has `expected_size` with
    its top-left corner kept."""
    if program.send(f"dpi-changed {dpi} {which}") != 1:
        raise Failure(f"the twin could not tell the {which} window of {dpi} DPI")
    seen = {}

    def sized():
        seen["w"] = next((w for w in gui.windows() if w.hwnd == hwnd), None)
        w = seen["w"]
        return w is not None and (w.rect.width, w.rect.height) == expected_size

    if not poll_until(sized, 10, interval=0.05):
        raise Failure(f"the {which} window told of {dpi} DPI is {seen['w']}, expected {expected_size[0]}x"
                      f"{expected_size[1]}")
    window = seen["w"]
    if (window.rect.left, window.rect.top) != corner:
        raise Failure(f"the {which} window moved from {corner} to {window.rect.left},{window.rect.top} when told "
                      f"of {dpi} DPI")
    return window


def scaled_size(size, percent):
    return tuple(scaled(v, percent) for v in size)


def check_dpi_change(s, gui, base):
    if "main" not in base:
        raise Failure("no sizes at 96 DPI to compare with")
    program = start_at(s, None, "dpi-change")
    try:
        window = shown_main(gui, program)
        corner = (window.rect.left, window.rect.top)
        window = tell_dpi(gui, program, 144, "main", window.hwnd, scaled_size(base["main"], 150), corner)
        expect_outline(gui, program, 150)
        click_profile(s, gui, program, window, 150, 2)
        window = tell_dpi(gui, program, 96, "main", window.hwnd, base["main"], corner)
        expect_outline(gui, program, 100)
        dialog, _ = open_dialog(gui, program, window, 100)
        corner = (dialog.rect.left, dialog.rect.top)
        dialog = tell_dpi(gui, program, 192, "dialog", dialog.hwnd, scaled_size(base["dialog"], 200), corner)
        ok = gui.control(dialog, IDC_ASSIGN_OK)
        expected = scaled_rect(gui.dialog_layout[OK_ENTRY], 200)
        placed = Rect(ok.rect.left - dialog.rect.left, ok.rect.top - dialog.rect.top,
                      ok.rect.right - dialog.rect.left, ok.rect.bottom - dialog.rect.top)
        if placed != expected:
            raise Failure(f"the OK button lies at {placed} of the dialog told of 192 DPI, expected {expected}")
        gui.shot("dpi-change-dialog-200")
        dialog = tell_dpi(gui, program, 96, "dialog", dialog.hwnd, base["dialog"], corner)
        close_dialog(gui, program, dialog)
    finally:
        program.exit()


def check_scaled(s, gui, base, dpi, percent):
    if "main" not in base:
        raise Failure("no sizes at 96 DPI to compare with")
    pictures = os.path.join(s.dist_dir, "skin", "ru", str(percent), "main_mask.png")
    if not os.path.isfile(pictures):
        raise Failure(f"the skin has no pictures at {percent} % ({pictures})")
    program = start_at(s, dpi, f"dpi-{dpi}")
    try:
        window = shown_main(gui, program)
        expect_size("the main window", (window.rect.width, window.rect.height), base["main"], percent)
        expect_outline(gui, program, percent)
        if dpi == 192:
            figure("dpi_working_set", dpi=dpi, kib=working_set_kib(s))
        click_profile(s, gui, program, window, percent, 2)
        dialog, elapsed_ms = open_dialog(gui, program, window, percent)
        figure("dpi_first_dialog_ms", dpi=dpi, ms=elapsed_ms)
        expect_size("the assignment dialog", (dialog.rect.width, dialog.rect.height), base["dialog"], percent)
        close_dialog(gui, program, dialog)
    finally:
        program.exit()
