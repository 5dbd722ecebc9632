"""The private X display: Xvfb, key events and the pointer through the XTest extension, the
screen's pixels through XGetImage, xdotool and screenshots for a person."""

import ctypes
import os
import subprocess

from pictures import Image
from report import Failure


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


def xdotool(display, *args, check=True):
    """Runs xdotool on the display; returns what it printed. With check=False a failure (a
    search that found nothing) is no error: the output is returned as it is."""
    result = subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, DISPLAY=display),
                            capture_output=True, text=True, timeout=20)
    if check and result.returncode != 0:
        raise Failure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout.strip()
