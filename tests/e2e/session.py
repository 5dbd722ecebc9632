"""A scenario's session: the display, a fresh wineserver, the program and the key probe, and the
focus that decides which of them gets the keys."""

import os
import re
import shutil
import subprocess

from probe import ProbeLog
from report import Failure
from waiting import Deadline, ended_within, now_us, poll_until
from wine import Wine, wine_environment
from x11 import XKeyboard, XScreen, Xvfb, xdotool

PROBE_TITLE = "ORVELLE key probe"
MAIN_TITLE = "ORVELLE"
DESKTOP_X_NAME = " - Wine desktop$"  # the X window of Wine's virtual desktop, "Default - Wine desktop"
PROBE_X_NAME = f"^{PROBE_TITLE}$"

STATUS_HOOK = 1      # bit 0 of the "status" answer: remap hook installed
STATUS_PRESENT = 2   # bit 1: keyboard present
EXIT_COMMAND = 32771


class Program:
    """One run of orvelle-e2e.exe in its own copy of the runnable folder."""

    def __init__(self, session, folder, process, hwnd):
        self.session = session
        self.folder = folder
        self.process = process
        self.hwnd = hwnd  # "0x..." as e2e_control prints handles

    @property
    def set_ini(self):
        return os.path.join(self.folder, "set.ini")

    def send(self, text):
        out = self.session.wine.control_ok("send", *text.split(" "))
        try:
            return int(out.split()[0])
        except (ValueError, IndexError):
            raise Failure(f"'{text}' answered {out!r}")

    def status(self):
        return self.send("status")

    def wait_status(self, expected, seconds=5):
        seen = []

        def matches():
            seen.append(self.status())
            return seen[-1] == expected

        if not poll_until(matches, seconds, interval=0.05):
            raise Failure(f"status stayed {describe_status(seen[-1])}, expected {describe_status(expected)}")

    def exit(self, seconds=15):
        """Exit command 32771; waits for the process to end."""
        self.session.wine.control_ok("command", EXIT_COMMAND)
        if not ended_within(self.process, seconds):
            raise Failure(f"the program did not end within {seconds} s after command {EXIT_COMMAND}")


def describe_status(value):
    return f"{value} (hook {'installed' if value & STATUS_HOOK else 'removed'}, " \
           f"keyboard {'present' if value & STATUS_PRESENT else 'absent'})"


class Session:
    """Xvfb, a fresh wineserver on it, and helpers to start the program and the probe.
    Use as a context manager: everything it started is ended on the way out."""

    def __init__(self, name, dist_dir, tools_dir, work_dir):
        self.name = name
        self.dist_dir = os.path.abspath(dist_dir)
        self.tools_dir = os.path.abspath(tools_dir)
        self.work_dir = os.path.abspath(work_dir)
        self.xvfb = None
        self.wine = None
        self.keyboard = None
        self.screen = None
        self.probe = None
        self.probe_process = None
        self.probe_x_window = None
        self.probe_hwnd = None
        self.programs = []
        self._runs = 0

    def __enter__(self):
        if os.path.isdir(self.work_dir):
            shutil.rmtree(self.work_dir)
        os.makedirs(self.work_dir)
        self.xvfb = Xvfb(self.work_dir)
        try:
            self.wine = Wine(wine_environment(self.xvfb.display), self.tools_dir, self.work_dir)
            self.wine.server_restart()
            self.keyboard = XKeyboard(self.xvfb.display)
            # Auto-repeat starts sooner than the X default (660 ms), so holding tests stay short.
            self.keyboard.set_autorepeat(250, 30)
            self.screen = XScreen(self.xvfb.display)
            # The pointer rests outside Wine's 1024x768 desktop: no hover effects in any window.
            self.park_pointer()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        if self.keyboard:
            self.keyboard.close()
        if self.screen:
            self.screen.close()
        if self.wine:
            try:
                self.wine.server_restart()
            except subprocess.TimeoutExpired:
                print("warning: wineserver did not end within 30 s")
        for process in self.programs + ([self.probe_process] if self.probe_process else []):
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            process.log_file.close()
        if self.xvfb:
            self.xvfb.stop()
        return False

    # -- the program

    def prepare_folder(self, set_ini=None, devices=None, label=None):
        """A copy of the runnable folder; `set_ini(path)` writes its profile file, `devices` is
        the list of device paths for e2e-devices.txt (None: no such file at all)."""
        self._runs += 1
        folder = os.path.join(self.work_dir, label or f"run{self._runs}")
        shutil.copytree(self.dist_dir, folder)
        if set_ini is not None:
            set_ini(os.path.join(folder, "set.ini"))
        if devices is not None:
            with open(os.path.join(folder, "e2e-devices.txt"), "w", newline="") as f:
                f.write("".join(path + "\r\n" for path in devices))
        return folder

    def start_program(self, folder, seconds=20, exe_name="orvelle-e2e.exe"):
        exe = os.path.join(folder, exe_name)
        process = self.wine.spawn([exe], f"{os.path.basename(folder)}-program.log", cwd=folder)
        self.programs.append(process)
        deadline = Deadline(seconds)
        while True:
            code, out = self.wine.control("wait", MAIN_TITLE, 1000)
            if code == 0:
                return Program(self, folder, process, out.split("=")[1])
            if process.poll() is not None:
                raise Failure(f"the program ended with exit code {process.returncode} before its window "
                              f"appeared (see {os.path.basename(folder)}-program.log)")
            if deadline.expired():
                raise Failure(f"no \"{MAIN_TITLE}\" window within {seconds} s: {out}")

    def start_second_instance(self, folder):
        exe = os.path.join(folder, "orvelle-e2e.exe")
        process = self.wine.spawn([exe], f"{os.path.basename(folder)}-second.log", cwd=folder)
        self.programs.append(process)
        return process

    # -- the probe

    def start_probe(self, hook=True, seconds=20):
        """Starts the key probe and waits until its window is in the foreground with the focus,
        both inside Wine and for the X server."""
        if not self._x_window(DESKTOP_X_NAME):
            # Any program that asks for the screen brings Wine's desktop (and its taskbar) up.
            self.wine.control("screen")
        desktop = poll_until(lambda: self._x_window(DESKTOP_X_NAME), 10, interval=0.05)
        if not desktop:
            raise Failure("Wine's virtual desktop window did not appear")
        xdotool(self.xvfb.display, "windowfocus", "--sync", desktop)
        log_path = os.path.join(self.work_dir, "probe.log")
        args = [self.wine.probe_exe, log_path] + (["--hook"] if hook else [])
        self.probe_process = self.wine.spawn(args, "probe-wine.log")
        self.probe = ProbeLog(log_path)
        start = now_us()
        index = self.probe.wait_for(lambda e: e.kind == "READY", seconds, "READY line from the key probe")
        ready = self.probe.events[index].ts
        # The probe stamps lines with the host clock; a stamp outside [start, now] means the two
        # clocks do not line up and every latency figure would be wrong.
        if not start <= ready <= now_us():
            raise Failure(f"probe clock does not match the host clock: READY at {ready}, started at {start}")
        self.probe_hwnd = self.probe.events[index].fields["hwnd"]
        self.probe_x_window = poll_until(lambda: self._x_window(PROBE_X_NAME), 5, interval=0.02)
        if not self.probe_x_window:
            raise Failure("the probe's X window did not appear")
        self.ensure_probe_focus(quiet=True)
        return self.probe

    def _x_window(self, name_pattern):
        ids = xdotool(self.xvfb.display, "search", "--name", name_pattern, check=False).split()
        return ids[0] if ids else None

    def ensure_probe_focus(self, quiet=False):
        """Makes sure keys reach the probe. Two focuses count: the X server sends key events to
        the X window with the input focus, and the Wine process owning that window turns them
        into input for Wine's foreground window. When Wine activates a new program window it can
        move the X focus to that window, and it stays there even after the probe got the
        foreground back: physical keys then never reach the probe (injected ones still do)."""
        start = self.probe.position()
        notes = []
        x_focus = self.xdo("getwindowfocus")
        if x_focus != self.probe_x_window:
            notes.append(f"the X focus was on window {x_focus} ({self._x_name(x_focus)})")
            self.xdo("windowfocus", "--sync", self.probe_x_window)
        foreground = self.foreground()
        if foreground != self.probe_hwnd:
            notes.append(f"the foreground window was {foreground}")
            self.wine.control("focus", PROBE_TITLE)
            if not poll_until(lambda: self.foreground() == self.probe_hwnd, 5, interval=0.02):
                raise Failure(f"the probe window did not come back to the foreground: "
                              f"{self.wine.control('foreground')[1]}")
        if not poll_until(self.probe.focused, 5):
            raise Failure(f"the probe window is in the foreground but has no focus:\n{self.probe.excerpt(start)}")
        if notes and not quiet:
            print(f"  note: {'; '.join(notes)}; focus given back to the probe")

    def foreground(self):
        """Wine's foreground window handle, as e2e_control prints it (0x...)."""
        out = self.wine.control_ok("foreground")
        return out.split()[0].split("=")[1]

    def _x_name(self, window):
        return xdotool(self.xvfb.display, "getwindowname", window, check=False) or "no name"

    # -- keys through xdotool

    def xdo(self, *args):
        return xdotool(self.xvfb.display, *args)

    # -- the pointer, and keys for the program

    PARKED_POINTER = (1270, 1010)  # outside Wine's 1024x768 desktop, on the bare X screen

    def park_pointer(self):
        self.screen.move(*self.PARKED_POINTER)

    def give_keys_to(self, process_name="orvelle-e2e.exe"):
        """Puts the X input focus on a shown X window of the program's process. Wine hands a key
        to the thread that owns the X window with the focus, and that thread to its focused
        window: an open menu, a file dialog's name field. (The probe gets keys back through
        ensure_probe_focus.)"""
        found = xdotool(self.xvfb.display, "search", "--onlyvisible", "--classname", f"^{re.escape(process_name)}$",
                        check=False)
        for window in found.split():
            geometry = self.xdo("getwindowgeometry", window)
            size = re.search(r"Geometry: (\d+)x(\d+)", geometry)
            if size and int(size.group(1)) > 1 and int(size.group(2)) > 1:
                self.xdo("windowfocus", "--sync", window)
                return window
        raise Failure(f"no shown X window of {process_name} to give the keys to")
