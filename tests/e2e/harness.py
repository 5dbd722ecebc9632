"""End-to-end harness: runs the real Windows program under Wine on a private Xvfb display,
sends X key events and reads what a focused key probe window received.

Everything waits on log lines or window state with a deadline; the only fixed waits are the
times a key is held down, which are the stimulus itself.
"""

import ctypes
import math
import os
import shutil
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


class XKeyboard:
    """Key events through the XTest extension, sent from this process so that the time taken
    right before a send is the time the event leaves."""

    XKB_USE_CORE_KBD = 0x0100

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
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
            # The pointer rests outside Wine's 1024x768 desktop: no hover effects in any window.
            self.xdo("mousemove", 1270, 1010)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        if self.keyboard:
            self.keyboard.close()
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

