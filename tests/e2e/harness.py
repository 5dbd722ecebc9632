"""End-to-end harness: runs the real Windows program under Wine on a private Xvfb display,
sends X key events and reads what a focused key probe window received.

Everything waits on log lines or window state with a deadline; the only fixed waits are the
times a key is held down, which are the stimulus itself.
"""

import ctypes
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

PROBE_TITLE = "ORVELLE key probe"
MAIN_TITLE = "ORVELLE"
DESKTOP_X_NAME = " - Wine desktop$"  # the X window of Wine's virtual desktop, "Default - Wine desktop"
PROBE_X_NAME = f"^{PROBE_TITLE}$"

STATUS_HOOK = 1      # bit 0 of the "status" answer: remap hook installed
STATUS_PRESENT = 2   # bit 1: keyboard present
EXIT_COMMAND = 32771

KEYBOARD_PATH = r"\\?\hid#vid_1a2c&pid_2107&mi_01&col06#7&1b2c3d4&0&0005#{4d1e55b2-f16f-11cf-88cb-001111000030}"
# Other interfaces of the same keyboard: one plug-in brings one arrival per interface.
KEYBOARD_INTERFACES = [
    KEYBOARD_PATH,
    r"\\?\hid#vid_1a2c&pid_2107&mi_00#7&2a3b4c5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
    r"\\?\hid#vid_1a2c&pid_2107&mi_01&col01#7&1b2c3d4&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
]
FOREIGN_PATH = r"\\?\hid#vid_845e&pid_0001#1&2d595ca7&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


class Failure(Exception):
    """A check that did not hold; the message says what was expected and what was seen."""


def now_us():
    return time.time_ns() // 1000


class Deadline:
    def __init__(self, seconds):
        self.end = time.monotonic() + seconds

    def expired(self):
        return time.monotonic() >= self.end


def poll_until(condition, seconds, interval=0.005):
    """Calls `condition` until it returns something truthy or the time is up; returns the last
    result."""
    deadline = Deadline(seconds)
    while True:
        result = condition()
        if result or deadline.expired():
            return result
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------
# X display and keys


class Xvfb:
    """A private X server on a display number it picks itself (-displayfd)."""

    def __init__(self, work_dir):
        read_fd, write_fd = os.pipe()
        self.log = open(os.path.join(work_dir, "xvfb.log"), "wb")
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=self.log, stderr=subprocess.STDOUT)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise Failure("Xvfb did not report a display number (see xvfb.log)")
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


def _x_libraries():
    """libX11 and libXtst, with the signatures every user of a display needs."""
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11, xtst


class XKeyboard:
    """Key events through the XTest extension, sent from this process so that the time taken
    right before a send is the time the event leaves."""

    XKB_USE_CORE_KBD = 0x0100

    def __init__(self, display):
        self.x11, self.xtst = _x_libraries()
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XkbSetAutoRepeatRate.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.dpy = self.x11.XOpenDisplay(display.encode())
        if not self.dpy:
            raise Failure(f"cannot open X display {display}")

    def keycode(self, keysym_name):
        code = self.x11.XKeysymToKeycode(self.dpy, self.x11.XStringToKeysym(keysym_name.encode()))
        if code == 0:
            raise Failure(f"no X keycode for keysym {keysym_name}")
        return code

    def send(self, keycode, down):
        self.xtst.XTestFakeKeyEvent(self.dpy, keycode, 1 if down else 0, 0)
        self.x11.XFlush(self.dpy)

    def set_autorepeat(self, delay_ms, interval_ms):
        self.x11.XkbSetAutoRepeatRate(self.dpy, self.XKB_USE_CORE_KBD, delay_ms, interval_ms)
        self.x11.XFlush(self.dpy)

    def close(self):
        if self.dpy:
            self.x11.XCloseDisplay(self.dpy)
            self.dpy = None


# ---------------------------------------------------------------------------------------------
# The key probe's log


class Event:
    __slots__ = ("ts", "kind", "fields", "line")

    def __init__(self, line):
        parts = line.split()
        self.line = line
        self.ts = int(parts[0])
        self.kind = parts[1]
        self.fields = {}
        for part in parts[2:]:
            key, _, value = part.partition("=")
            self.fields[key] = value

    def number(self, key):
        return int(self.fields[key], 0)

    @property
    def is_key(self):
        return self.kind in ("KEYDOWN", "KEYUP", "SYSKEYDOWN", "SYSKEYUP")

    @property
    def is_down(self):
        return self.kind in ("KEYDOWN", "SYSKEYDOWN")

    @property
    def vk(self):
        return self.number("vk")

    def token(self):
        """A compact form for comparisons and messages: 17↓ 67↓ '\\x03' 17↑ 67↑."""
        if self.is_key:
            return f"{self.vk}{'↓' if self.is_down else '↑'}" + ("(repeat)" if self.fields.get("repeat") == "1" else "")
        if self.kind in ("CHAR", "SYSCHAR"):
            return repr(chr(self.number("code")))
        return self.line.split(" ", 1)[1]


def tokens(events, keys_only=False):
    return [e.token() for e in events if (e.is_key or (not keys_only and e.kind in ("CHAR", "SYSCHAR")))]


class ProbeLog:
    """Tails the probe's log file; `events` grows as lines arrive."""

    def __init__(self, path):
        self.path = path
        self.events = []
        self._offset = 0
        self._partial = b""

    def poll(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self._offset)
                data = f.read()
        except FileNotFoundError:
            return
        self._offset += len(data)
        data = self._partial + data
        lines = data.split(b"\n")
        self._partial = lines.pop()
        for raw in lines:
            text = raw.decode("ascii", "replace").strip()
            if text:
                self.events.append(Event(text))

    def position(self):
        self.poll()
        return len(self.events)

    def wait_for(self, predicate, seconds, what, start=0):
        """Index of the first event at or after `start` that satisfies `predicate`."""
        deadline = Deadline(seconds)
        index = start
        while True:
            self.poll()
            while index < len(self.events):
                if predicate(self.events[index]):
                    return index
                index += 1
            if deadline.expired():
                raise Failure(f"no {what} within {seconds:g} s; probe saw:\n{self.excerpt(start)}")
            time.sleep(0.002)

    def excerpt(self, start, end=None, limit=40):
        events = self.events[start:end]
        if not events:
            return "    (nothing)"
        shown = events[-limit:]
        lines = [f"    {e.line}" for e in shown]
        if len(events) > limit:
            lines.insert(0, f"    ... {len(events) - limit} earlier lines")
        return "\n".join(lines)

    def focused(self):
        self.poll()
        for e in reversed(self.events):
            if e.kind == "FOCUS":
                return e.line.endswith("gained")
        return False


# ---------------------------------------------------------------------------------------------
# Wine


def run_quietly(args, env, timeout):
    """Runs a command to its end; returns (exit code, stdout, with stderr in brackets). The
    output goes through files, not pipes: Wine's helper processes started on the way inherit
    the handles and would keep a pipe open long after the command has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(args, env=env, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        try:
            code = process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise Failure(f"{' '.join(map(str, args))} did not end within {timeout} s")
        out.seek(0)
        err.seek(0)
        text = out.read().decode(errors="replace").strip()
        errors = err.read().decode(errors="replace").strip()
    return code, text + (f" [{errors}]" if errors else "")


def wine_environment(display):
    """The project's Wine settings (tools/wine/env.sh), with its prefix created when missing."""
    script = (f'source "{ROOT}/tools/wine/env.sh" && orvelle_wine_prefix && '
              'printf "%s\\n%s\\n%s\\n" "$WINEPREFIX" "$WINEDEBUG" "$WINEDLLOVERRIDES"')
    env = dict(os.environ, DISPLAY=display)
    code, out = run_quietly(["bash", "-c", script], env, 180)
    if code != 0:
        raise Failure(f"preparing the Wine prefix failed: {out}")
    prefix, debug, overrides = out.splitlines()[:3]
    env.update(WINEPREFIX=prefix, WINEDEBUG=debug, WINEDLLOVERRIDES=overrides, WINEARCH="win64")
    return env


class Wine:
    def __init__(self, env, tools_dir, work_dir):
        self.env = env
        self.tools_dir = tools_dir
        self.work_dir = work_dir
        self.control_exe = os.path.join(tools_dir, "e2e_control.exe")
        self.probe_exe = os.path.join(tools_dir, "key_probe.exe")

    def server_restart(self):
        """No wineserver left from an earlier run: a wineserver stays bound to the display it
        started on."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=30)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=30)

    def spawn(self, args, log_name, cwd=None):
        log = open(os.path.join(self.work_dir, log_name), "ab")
        process = subprocess.Popen(["wine"] + args, env=self.env, cwd=cwd or self.work_dir, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        process.log_file = log
        return process

    def control(self, *args, timeout=20):
        """Runs e2e_control; returns (exit code, output)."""
        return run_quietly(["wine", self.control_exe] + [str(a) for a in args], self.env, timeout)

    def control_ok(self, *args, timeout=20):
        code, out = self.control(*args, timeout=timeout)
        if code != 0:
            raise Failure(f"e2e_control {' '.join(map(str, args))} failed ({code}): {out}")
        return out


def xdotool(display, *args):
    result = subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, DISPLAY=display),
                            capture_output=True, text=True, timeout=20)
    if result.returncode != 0:
        raise Failure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout.strip()


# ---------------------------------------------------------------------------------------------
# A scenario's session: display, wineserver, the program and the probe


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
        try:
            self.process.wait(seconds)
        except subprocess.TimeoutExpired:
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

    def start_program(self, folder, seconds=20):
        exe = os.path.join(folder, "orvelle-e2e.exe")
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
        result = subprocess.run(["xdotool", "search", "--name", name_pattern],
                                env=dict(os.environ, DISPLAY=self.xvfb.display), capture_output=True, text=True)
        ids = result.stdout.split()
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
        result = subprocess.run(["xdotool", "getwindowname", window],
                                env=dict(os.environ, DISPLAY=self.xvfb.display), capture_output=True, text=True)
        return result.stdout.strip() or "no name"

    # -- keys through xdotool

    def xdo(self, *args):
        return xdotool(self.xvfb.display, *args)

    # -- the pointer and the program's windows

    PARKED_POINTER = (1270, 1010)  # outside Wine's 1024x768 desktop, on the bare X screen

    def park_pointer(self):
        self.screen.move(*self.PARKED_POINTER)

    def give_keys_to(self, process_name="orvelle-e2e.exe"):
        """Puts the X input focus on a shown X window of the program's process. Wine hands a key
        to the thread that owns the X window with the focus, and that thread to its focused
        window: an open menu, a file dialog's name field. (The probe gets keys back through
        ensure_probe_focus.)"""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", f"^{re.escape(process_name)}$"],
                               env=dict(os.environ, DISPLAY=self.xvfb.display), capture_output=True, text=True)
        for window in found.stdout.split():
            geometry = self.xdo("getwindowgeometry", window)
            size = re.search(r"Geometry: (\d+)x(\d+)", geometry)
            if size and int(size.group(1)) > 1 and int(size.group(2)) > 1:
                self.xdo("windowfocus", "--sync", window)
                return window
        raise Failure(f"no shown X window of {process_name} to give the keys to")

    def windows(self, title=MAIN_TITLE):
        """The top-level windows of the process that owns the window with that caption."""
        return [WindowInfo(line) for line in self.wine.control_ok("windows", title).split("\n") if line.strip()]

    def children(self, hwnd):
        return [WindowInfo(line) for line in self.wine.control_ok("children", hwnd).split("\n") if line.strip()]

    def ask(self, hwnd, message, wparam=0, lparam=0):
        return int(self.wine.control_ok("ask", hwnd, hex(message), wparam, lparam))


# ---------------------------------------------------------------------------------------------
# Checks and their report


class Report:
    def __init__(self, scenario):
        self.scenario = scenario
        self.passed = []
        self.failed = []

    def check(self, name, function, *args):
        """Runs one check; a Failure is recorded and the scenario goes on."""
        started = time.monotonic()
        try:
            function(*args)
        except Failure as failure:
            self.failed.append(name)
            print(f"FAIL {self.scenario}: {name} ({time.monotonic() - started:.1f} s)\n{indent(str(failure))}")
            sys.stdout.flush()
            return False
        self.passed.append(name)
        print(f"PASS {self.scenario}: {name} ({time.monotonic() - started:.1f} s)")
        sys.stdout.flush()
        return True

    def abort(self, name, failure):
        self.failed.append(name)
        print(f"FAIL {self.scenario}: {name} (scenario stopped)\n{indent(str(failure))}")

    def summary(self):
        total = len(self.passed) + len(self.failed)
        print(f"{self.scenario}: {len(self.passed)} of {total} checks passed" +
              (f"; failed: {', '.join(self.failed)}" if self.failed else ""))
        return not self.failed


def indent(text, prefix="    "):
    return "\n".join(line if line.startswith(prefix) else prefix + line for line in text.splitlines())


def figure(name, **values):
    parts = " ".join(f"{k}={v}" for k, v in values.items())
    print(f"FIGURE {name} {parts}")
    sys.stdout.flush()


def median(values):
    ordered = sorted(values)
    n = len(ordered)
    return (ordered[n // 2] if n % 2 else (ordered[n // 2 - 1] + ordered[n // 2]) / 2) if n else float("nan")


def percentile(values, p):
    ordered = sorted(values)
    if not ordered:
        return float("nan")
    rank = math.ceil(p / 100 * len(ordered))  # nearest rank
    return ordered[max(rank, 1) - 1]



# ---------------------------------------------------------------------------------------------
# Pictures: the skin's bitmaps and what the X server shows


class Image:
    """RGB pixels, rows top to bottom, three bytes a pixel."""

    __slots__ = ("width", "height", "data")

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = bytes(data)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x, y, width, height):
        rows = [self.data[((y + r) * self.width + x) * 3:((y + r) * self.width + x + width) * 3]
                for r in range(height)]
        return Image(width, height, b"".join(rows))

    def paste(self, other, x, y):
        """A copy of this image with `other` copied in at (x, y)."""
        data = bytearray(self.data)
        for r in range(other.height):
            start = ((y + r) * self.width + x) * 3
            data[start:start + other.width * 3] = other.data[r * other.width * 3:(r + 1) * other.width * 3]
        return Image(self.width, self.height, data)


def load_bmp(path):
    """A 24-bit uncompressed Windows bitmap, read with the standard library only."""
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise Failure(f"{path} is not a Windows bitmap")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        raise Failure(f"{path}: {bits} bits a pixel, compression {compression}; expected 24 and none")
    stride = (width * 3 + 3) & ~3
    rows = []
    for r in range(abs(height)):
        source = (abs(height) - 1 - r) if height > 0 else r  # positive height: stored bottom-up
        bgr = data[offset + source * stride:offset + source * stride + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return Image(width, abs(height), b"".join(rows))


class Selection:
    """The pixels a comparison looks at: for each row, spans [x0, x1) of columns."""

    def __init__(self, width, height, rows=None):
        self.width = width
        self.height = height
        self.rows = rows if rows is not None else [[(0, width)] for _ in range(height)]

    @staticmethod
    def inside_mask(mask):
        """Every pixel that a mask picture keeps: all but the exactly white ones."""
        rows = []
        white = b"\xff\xff\xff"
        for y in range(mask.height):
            row = mask.data[y * mask.width * 3:(y + 1) * mask.width * 3]
            spans, start = [], None
            for x in range(mask.width):
                kept = row[x * 3:x * 3 + 3] != white
                if kept and start is None:
                    start = x
                elif not kept and start is not None:
                    spans.append((start, x))
                    start = None
            if start is not None:
                spans.append((start, mask.width))
            rows.append(spans)
        return Selection(mask.width, mask.height, rows)

    def without(self, rects):
        """This selection less the rectangles (x, y, width, height)."""
        rows = [list(spans) for spans in self.rows]
        for x, y, width, height in rects:
            for r in range(max(y, 0), min(y + height, self.height)):
                cut = []
                for a, b in rows[r]:
                    if b <= x or a >= x + width:
                        cut.append((a, b))
                        continue
                    if a < x:
                        cut.append((a, x))
                    if b > x + width:
                        cut.append((x + width, b))
                rows[r] = cut
        return Selection(self.width, self.height, rows)


class Difference:
    """Where a picture on screen differs from the expected one, within a selection of pixels."""

    def __init__(self, actual, expected, selection=None, limit=8):
        self.count = 0
        self.compared = 0
        self.samples = []
        width = expected.width
        selection = selection or Selection(width, expected.height)
        for y, spans in enumerate(selection.rows):
            base = y * width * 3
            for a, b in spans:
                self.compared += b - a
                part_a = actual.data[base + a * 3:base + b * 3]
                part_e = expected.data[base + a * 3:base + b * 3]
                if part_a == part_e:
                    continue
                for x in range(a, b):
                    i = (x - a) * 3
                    if part_a[i:i + 3] != part_e[i:i + 3]:
                        self.count += 1
                        if len(self.samples) < limit:
                            self.samples.append((x, y, tuple(part_a[i:i + 3]), tuple(part_e[i:i + 3])))

    def __bool__(self):
        return self.count > 0

    def describe(self):
        shown = ", ".join(f"({x},{y}) #{a[0]:02x}{a[1]:02x}{a[2]:02x} instead of #{e[0]:02x}{e[1]:02x}{e[2]:02x}"
                          for x, y, a, e in self.samples)
        return f"{self.count} of {self.compared} pixels differ, e.g. {shown}"


class XScreen:
    """The pointer through XTest and the screen's pixels through XGetImage, on a connection of its
    own. Pixels come from the X server, so they are what a person would see."""

    class _XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                    ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                    ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                    ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]

    Z_PIXMAP = 2
    ALL_PLANES = 0xFFFFFFFFFFFFFFFF

    def __init__(self, display):
        self.x11, self.xtst = _x_libraries()
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(self._XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(self._XImage)]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.dpy = self.x11.XOpenDisplay(display.encode())
        if not self.dpy:
            raise Failure(f"cannot open X display {display}")
        self.root = self.x11.XDefaultRootWindow(self.dpy)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, int(x), int(y), 0)
        self.x11.XFlush(self.dpy)

    def button(self, down, number=1):
        self.xtst.XTestFakeButtonEvent(self.dpy, number, 1 if down else 0, 0)
        self.x11.XFlush(self.dpy)

    def click(self, x, y, number=1):
        self.move(x, y)
        self.button(True, number)
        self.button(False, number)

    def grab(self, x, y, width, height):
        image = self.x11.XGetImage(self.dpy, self.root, int(x), int(y), int(width), int(height), self.ALL_PLANES,
                                   self.Z_PIXMAP)
        if not image:
            raise Failure(f"XGetImage failed for {width}x{height}+{x}+{y}")
        try:
            info = image.contents
            if info.bits_per_pixel != 32 or info.red_mask != 0xFF0000 or info.blue_mask != 0xFF:
                raise Failure(f"unexpected X image layout: {info.bits_per_pixel} bits, red mask {info.red_mask:#x}")
            raw = ctypes.string_at(info.data, info.bytes_per_line * info.height)
        finally:
            self.x11.XDestroyImage(image)
        rgb = bytearray(width * height * 3)
        for r in range(height):
            row = raw[r * info.bytes_per_line:r * info.bytes_per_line + width * 4]
            out = memoryview(rgb)[r * width * 3:(r + 1) * width * 3]
            out[0::3], out[1::3], out[2::3] = row[2::4], row[1::4], row[0::4]
        return Image(width, height, rgb)

    def close(self):
        if self.dpy:
            self.x11.XCloseDisplay(self.dpy)
            self.dpy = None


def screenshot(display, path):
    """The whole X screen as a PNG for a person to look at."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    result = subprocess.run(["import", "-window", "root", path], env=dict(os.environ, DISPLAY=display),
                            capture_output=True, text=True, timeout=30)
    if result.returncode != 0:
        raise Failure(f"import -window root {path} failed: {result.stderr.strip()}")
    return path


# ---------------------------------------------------------------------------------------------
# Layout files and the program's windows


class ButtonInfo:
    """Section [BUTTONINFO] of "Main.ini" or "Composite.ini": entry -> Entry with the rectangle in
    window coordinates, the key code (key slots of Main.ini only) and the name."""

    class Entry:
        __slots__ = ("number", "x", "y", "width", "height", "code", "name")

        def __init__(self, number, fields):
            self.number = number
            self.x, self.y, self.width, self.height = (int(f) for f in fields[:4])
            has_code = len(fields) >= 6 and fields[4].strip().lstrip("-").isdigit()
            self.code = int(fields[4]) if has_code else None
            self.name = ",".join(fields[5:] if has_code else fields[4:])

        def centre(self):
            return self.x + self.width // 2, self.y + self.height // 2

        def contains(self, x, y):
            return self.x <= x < self.x + self.width and self.y <= y < self.y + self.height

    def __init__(self, path):
        import profile_ini  # the INI reader of the profile files (UTF-16LE with BOM)
        self.path = path
        self.entries = {}
        for key, value in profile_ini.parse_ini(profile_ini.read_ini_text(path)).get("BUTTONINFO", []):
            if key.isdigit():
                self.entries[int(key)] = ButtonInfo.Entry(int(key), value.split(","))

    def __getitem__(self, number):
        if number not in self.entries:
            raise Failure(f"{os.path.basename(self.path)} has no entry {number}")
        return self.entries[number]

    def named(self, name):
        for entry in self.entries.values():
            if entry.name == name:
                return entry
        raise Failure(f"{os.path.basename(self.path)} has no entry named {name!r}")

    def with_code(self, code):
        for entry in sorted(self.entries.values(), key=lambda e: e.number):
            if entry.code == code:
                return entry
        raise Failure(f"{os.path.basename(self.path)} has no key slot with key code {code}")


class Rect:
    __slots__ = ("left", "top", "right", "bottom")

    def __init__(self, left, top, right, bottom):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def __eq__(self, other):
        return isinstance(other, Rect) and (self.left, self.top, self.right, self.bottom) == \
            (other.left, other.top, other.right, other.bottom)

    def __repr__(self):
        return f"{self.width}x{self.height} at ({self.left},{self.top})"


def parse_fields(line):
    """key=value fields of an e2e_control line; quoted values may hold blanks and escapes."""
    fields = {}
    for match in re.finditer(r'(\w+)=("(?:[^"\\]|\\.)*"|\S*)', line):
        value = match.group(2)
        if value.startswith('"'):
            value = re.sub(r"\\u([0-9A-F]{4})|\\(.)",
                           lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), value[1:-1])
        fields[match.group(1)] = value
    return fields


def parse_rect(text):
    return Rect(*(int(v) for v in text.split(",")))


class WindowInfo:
    """A window as e2e_control lists it."""

    def __init__(self, line):
        f = parse_fields(line)
        self.line = line
        self.hwnd = f["hwnd"]
        self.visible = f.get("visible") == "1"
        self.enabled = f.get("enabled", "1") == "1"
        self.rect = parse_rect(f["rect"])
        self.cls = f.get("class", "")
        self.title = f.get("title", f.get("text", ""))
        self.id = int(f["id"]) if "id" in f else None
        self.items = int(f["items"]) if "items" in f else None
        self.selected = int(f["selected"]) if "selected" in f else None

    def __repr__(self):
        return self.line


class Gui:
    """What a person does with the program's windows: clicks on the regions of its pictures (placed
    by "Main.ini" and "Composite.ini"), answers its questions, picks menu items and files; and
    what the screen shows in return."""

    DIALOG_CLASS = "#32770"   # dialog boxes: the main window, the assignment dialog, questions, about
    MENU_CLASS = "#32768"
    LIST_POPUP_CLASS = "ComboLBox"
    CB_GETITEMHEIGHT, LB_GETTOPINDEX = 0x0154, 0x018E

    def __init__(self, session, dist_dir):
        self.s = session
        self.dist_dir = dist_dir
        self.main_layout = ButtonInfo(os.path.join(dist_dir, "Main.ini"))
        self.dialog_layout = ButtonInfo(os.path.join(dist_dir, "Composite.ini"))
        self._pictures = {}

    def picture(self, name):
        """A skin picture ("main_normal", "key_mask", ...), read once."""
        if name not in self._pictures:
            self._pictures[name] = load_bmp(os.path.join(self.dist_dir, "skin", name + ".bmp"))
        return self._pictures[name]

    # -- finding windows

    def main_window(self):
        for w in self.s.windows():
            if w.title == MAIN_TITLE and w.cls == self.DIALOG_CLASS:
                return w
        raise Failure(f"no \"{MAIN_TITLE}\" window")

    def wait_main_window(self, visible, seconds=5):
        seen = []

        def state():
            seen[:] = [self.main_window()]
            return seen[0].visible == visible

        if not poll_until(state, seconds, interval=0.02):
            raise Failure(f"the main window is still {'hidden' if visible else 'visible'} after {seconds:g} s: "
                          f"{seen[0].line}")
        return seen[0]

    def assign_dialog(self):
        """The key assignment dialog: the program's other visible dialog window, without a caption."""
        for w in self.s.windows():
            if w.visible and w.cls == self.DIALOG_CLASS and w.title == "":
                return w
        return None

    def wait_assign_dialog(self, open_, seconds=5):
        found = poll_until(lambda: (self.assign_dialog() is not None) == open_, seconds, interval=0.02)
        if not found:
            raise Failure(f"the key assignment dialog did not {'open' if open_ else 'close'} within {seconds:g} s; "
                          f"windows: {self.describe_windows()}")
        return self.assign_dialog()

    def wait_window(self, title, seconds=5, cls=DIALOG_CLASS):
        """A visible top-level window of the program with that caption."""
        def find():
            return next((w for w in self.s.windows() if w.visible and w.title == title and w.cls == cls), None)

        window = poll_until(find, seconds, interval=0.02)
        if window is None:
            raise Failure(f"no window \"{title}\" within {seconds:g} s; windows: {self.describe_windows()}")
        return window

    def wait_gone(self, window, seconds=5):
        def gone():
            code, out = self.s.wine.control("windows", MAIN_TITLE)
            if code != 0:
                return True  # the program has no main window any more (it ended)
            shown = [WindowInfo(line) for line in out.split("\n") if line.strip()]
            return not any(w.hwnd == window.hwnd and w.visible for w in shown)

        if not poll_until(gone, seconds, interval=0.02):
            raise Failure(f"window \"{window.title}\" ({window.hwnd}) still open after {seconds:g} s")

    def describe_windows(self):
        try:
            shown = [f"{w.cls} \"{w.title}\" {w.rect}" for w in self.s.windows() if w.visible]
        except Failure as failure:
            return str(failure)
        return "; ".join(shown) or "none visible"

    def control(self, window, control_id):
        for c in self.s.children(window.hwnd):
            if c.id == control_id:
                return c
        raise Failure(f"window {window.hwnd} has no control {control_id}")

    def texts(self, window):
        """The texts of a window's static controls: what a message box says."""
        return [c.title for c in self.s.children(window.hwnd) if c.cls == "Static" and c.title]

    # -- clicks

    def click_at(self, x, y):
        self.s.screen.click(x, y)

    def click_entry(self, window, layout, number):
        entry = layout[number]
        x, y = entry.centre()
        self.click_at(window.rect.left + x, window.rect.top + y)

    def click_dialog(self, number, dialog=None):
        self.click_entry(dialog or self.wait_assign_dialog(True), self.dialog_layout, number)

    def click_control(self, control):
        self.click_at((control.rect.left + control.rect.right) // 2, (control.rect.top + control.rect.bottom) // 2)

    def answer(self, box, button_id):
        """Clicks a button of a message box (1 OK, 2 Cancel) and waits for the box to close."""
        self.click_control(self.control(box, button_id))
        self.wait_gone(box)

    def choose_in_list(self, combo, index):
        """Opens a drop-down list with a click on its arrow and clicks item `index`."""
        self.click_at(combo.rect.right - 8, (combo.rect.top + combo.rect.bottom) // 2)
        popup = poll_until(lambda: next((w for w in self.s.windows()
                                         if w.visible and w.cls == self.LIST_POPUP_CLASS), None), 5, interval=0.02)
        if popup is None:
            raise Failure(f"the list of {combo.hwnd} did not drop down; windows: {self.describe_windows()}")
        height = self.s.ask(combo.hwnd, self.CB_GETITEMHEIGHT)
        seen = {}

        def in_view():
            # The list is sized and scrolled as it drops down: read it again until it holds still.
            seen["popup"] = next((w for w in self.s.windows() if w.hwnd == popup.hwnd), popup)
            seen["top"] = self.s.ask(popup.hwnd, self.LB_GETTOPINDEX)
            seen["rows"] = (seen["popup"].rect.height - 2) // max(height, 1)
            return seen["top"] <= index < seen["top"] + seen["rows"]

        if not poll_until(in_view, 2, interval=0.02):
            raise Failure(f"item {index} of the list of {combo.hwnd} is not in view: rows {seen['top']} to "
                          f"{seen['top'] + seen['rows'] - 1} of {seen['popup']}")
        rect = seen["popup"].rect
        self.click_at(rect.left + rect.width // 2, rect.top + 1 + (index - seen["top"]) * height + height // 2)
        self.wait_gone(popup)

    # -- what the screen shows

    def grab_window(self, window):
        return self.s.screen.grab(window.rect.left, window.rect.top, window.rect.width, window.rect.height)

    def expected_main(self, active_profile, assigned_entries=(), over_entry=None):
        """The main window at rest: the normal picture, the active profile's button and the
        assigned key slots in the down look, `over_entry` in the over look."""
        image = self.picture("main_normal")
        down, normal = self.picture("main_down"), self.picture("main_normal")
        for number, profile in ((128, 1), (129, 2), (130, 3)):
            e = self.main_layout[number]
            image = image.paste((down if profile == active_profile else normal).crop(e.x, e.y, e.width, e.height),
                                e.x, e.y)
        for number in assigned_entries:
            e = self.main_layout[number]
            image = image.paste(down.crop(e.x, e.y, e.width, e.height), e.x, e.y)
        if over_entry is not None:
            e = self.main_layout[over_entry]
            image = image.paste(self.picture("main_over").crop(e.x, e.y, e.width, e.height), e.x, e.y)
        return image

    def inside_mask(self, mask_name):
        """The pixels a mask picture keeps (computed once per mask)."""
        key = ("selection", mask_name)
        if key not in self._pictures:
            self._pictures[key] = Selection.inside_mask(self.picture(mask_name))
        return self._pictures[key]

    def looks_of(self, actual, layout, numbers, pictures):
        """For each entry: the name of the picture whose region it shows, or "none"."""
        found = {}
        for number in numbers:
            e = layout[number]
            region = actual.crop(e.x, e.y, e.width, e.height)
            found[number] = next((name for name in pictures
                                  if self.picture(name).crop(e.x, e.y, e.width, e.height).data == region.data), "none")
        return found

    def screens_dir(self):
        return os.path.join(os.path.dirname(self.s.work_dir), "screens")

    def shot(self, name):
        """A screenshot for a person to look at; prints its path."""
        path = screenshot(self.s.xvfb.display, os.path.join(self.screens_dir(), name + ".png"))
        print(f"  screenshot: {path}")
        return path

    def wait_picture(self, window, expected, what, selection=None, seconds=5, layout=None,
                     looks=("main_normal", "main_over", "main_down")):
        """Waits until the window shows `expected` (or one of a list of pictures) within
        `selection` (by default the main window's outline); returns the last grab. A failure
        names each region (of `layout`) that differs and the picture it shows, and leaves a
        screenshot."""
        layout = layout or self.main_layout
        selection = selection or self.inside_mask("main_mask")
        state = {}
        candidates = expected if isinstance(expected, list) else [expected]
        expected = candidates[0]

        def matches():
            state["actual"] = self.grab_window(window)
            state["difference"] = Difference(state["actual"], expected, selection)
            return not state["difference"] or any(not Difference(state["actual"], other, selection)
                                                  for other in candidates[1:])

        if poll_until(matches, seconds, interval=0.03):
            return state["actual"]
        difference, actual = state["difference"], state["actual"]
        everything = Difference(actual, expected, selection, limit=10 ** 7)
        regions = sorted({next((e.number for e in layout.entries.values() if e.contains(x, y)), 0)
                          for x, y, _, _ in everything.samples})
        shown = self.looks_of(actual, layout, [n for n in regions if n], looks) if looks else {}
        named = ", ".join(f"{n} \"{layout[n].name}\" shows {shown.get(n, '?')}" if n else "outside every region"
                          for n in regions[:12])
        path = self.shot(f"failure-{re.sub(r'[^a-z0-9]+', '-', what.lower()).strip('-')}")
        raise Failure(f"{what}: after {seconds:g} s the window ({window.rect}) still differs: {difference.describe()}; "
                      f"regions that differ: {named}; screenshot {path}")

    # -- the main window's regions

    def key_slot(self, code):
        return self.main_layout.with_code(code)

    def screen_button(self, name):
        return self.main_layout.named(name)

    def click_button(self, name):
        """A press on a screen button of the main window ("Close", "Profile2", ...)."""
        self.click_entry(self.main_window(), self.main_layout, self.screen_button(name).number)

    def press_resting_button(self, name, active_profile, assigned_entries):
        """A press on a screen button whose action shows nothing ("Apply"), in a way that tells
        when it has been handled: the pointer rests on the button until it shows its over look,
        presses there, then rests on empty spots (rest_pointer). Mouse messages are handled in
        order, so the button loses its over look only after the press has been handled."""
        window = self.main_window()
        button = self.screen_button(name)
        self.s.screen.move(window.rect.left + button.centre()[0], window.rect.top + button.centre()[1])
        over = [self.expected_main(active_profile, assigned_entries, over_entry=button.number),
                self.expected_main(0, assigned_entries, over_entry=button.number)]
        self.wait_picture(window, over, f"\"{name}\" under the resting pointer")
        self.s.screen.button(True)
        self.s.screen.button(False)
        self.rest_pointer(active_profile, assigned_entries, f"the window after \"{name}\"")

    def open_key_dialog(self, code):
        """A click on the key slot with that key code; returns the assignment dialog it opens."""
        self.click_entry(self.main_window(), self.main_layout, self.key_slot(code).number)
        return self.wait_assign_dialog(True)

    def neutral_points(self, count=2):
        """Points of the main window (window coordinates) inside its outline and at least 4 pixels
        from every region, 40 pixels apart: resting there highlights nothing."""
        mask = self.picture("main_mask")
        found = []
        for y in range(20, mask.height - 20, 4):
            for x in range(mask.width // 2, mask.width - 20, 4):
                if mask.pixel(x, y) != (255, 255, 255) and all(
                        not (e.x - 4 <= x < e.x + e.width + 4 and e.y - 4 <= y < e.y + e.height + 4)
                        for e in self.main_layout.entries.values()) and \
                        all(abs(x - fx) + abs(y - fy) >= 40 for fx, fy in found):
                    found.append((x, y))
                    if len(found) == count:
                        return found
        raise Failure("the main window has too few points outside every region")

    def rest_pointer(self, active_profile, assigned_entries, what):
        """Rests the pointer on an empty spot of the main window, then on another, then parks it
        outside the desktop, and waits for the picture at rest. A hover on no region draws the
        entry hovered last in its normal look, the active profile's button included; the second
        hover draws that button pressed again. Leaving the window changes nothing."""
        window = self.main_window()
        at_rest = self.expected_main(active_profile, assigned_entries)
        (ax, ay), (bx, by) = self.neutral_points(2)
        self.s.screen.move(window.rect.left + ax, window.rect.top + ay)
        self.wait_picture(window, [at_rest, self.expected_main(0, assigned_entries)], what + " (first rest)")
        self.s.screen.move(window.rect.left + bx, window.rect.top + by)
        actual = self.wait_picture(window, at_rest, what)
        self.s.park_pointer()
        return actual

    # -- the key assignment dialog

    DIALOG_BACKGROUND = {0: "key_normal", 1: "macro_normal", 2: "media_normal", 3: "function_normal",
                         4: "macro2_normal"}
    MODE_ENTRY = {0: 6, 1: 7, 2: 8, 3: 9, 4: 7}  # the mode button drawn pressed in each dialog kind
    SKINNED_ENTRIES = (1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18)
    RECORD_ENTRY = 12
    DIALOG_LOOKS = ("key_normal", "key_over", "key_down", "macro_normal", "macro_over", "macro_down",
                    "macro_disable", "media_normal", "function_normal", "macro2_normal")

    def dialog_controls(self, dialog):
        """The dialog's controls by id. Inner windows are listed too (a combo box's edit field,
        the step list's header); they carry ids no control of the dialog has."""
        return {c.id: c for c in self.s.children(dialog.hwnd)}

    def wait_control(self, dialog, control_id, condition, what, seconds=5):
        """Waits until condition(control) holds for a control of the dialog; returns the control."""
        seen = {}

        def check():
            seen["c"] = self.dialog_controls(dialog).get(control_id)
            return seen["c"] is not None and condition(seen["c"])

        if not poll_until(check, seconds, interval=0.02):
            raise Failure(f"{what}: not within {seconds:g} s; control {control_id} is {seen['c']}")
        return seen["c"]

    def check_dialog_look(self, dialog, kind, what, recording=False):
        """The dialog shows, outside its visible controls, the background picture of its kind,
        and every visible skinned button its face: the kind's mode button pressed (and the record
        button while recording), a disabled button its disabled face, the others their normal
        faces. The pointer must rest outside the dialog."""
        expected = self.picture(self.DIALOG_BACKGROUND[kind])
        skip = []
        selected = self.MODE_ENTRY[kind]
        for c in self.s.children(dialog.hwnd):
            if not c.visible:
                continue
            r = (c.rect.left - dialog.rect.left, c.rect.top - dialog.rect.top, c.rect.width, c.rect.height)
            entry = next((n for n in self.SKINNED_ENTRIES
                          if (self.dialog_layout[n].x, self.dialog_layout[n].y, self.dialog_layout[n].width,
                              self.dialog_layout[n].height) == r), None)
            if entry is None or c.cls != "Button":
                skip.append(r)
                continue
            if entry >= 10:
                face = "macro_disable" if not c.enabled else \
                    "macro_down" if recording and entry == self.RECORD_ENTRY else "macro_normal"
            else:
                face = "key_down" if entry == selected else "key_normal"
            expected = expected.paste(self.picture(face).crop(*r), r[0], r[1])
        selection = self.inside_mask("key_mask").without(skip)
        return self.wait_picture(dialog, expected, what, selection=selection, layout=self.dialog_layout,
                                 looks=self.DIALOG_LOOKS)
