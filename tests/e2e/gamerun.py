"""gamerun.py -- runs a built VORTAVIA 3D program for end-to-end tests.

The console is a pseudo-terminal (as a player's would be) or a pipe, and keys
reach the window through xdotool's XTEST events, aimed by moving the pointer
into the window (with no window manager, focus follows the pointer).
"""
import ctypes
import os
import pty
import select
import subprocess
import threading
import time


def fail(message):
    raise SystemExit("FAIL: " + message)


class Game:
    """One running program with its console output collected as it comes."""

    def __init__(self, argv, cwd, env=None, use_pty=True):
        self.output = b""
        self.lock = threading.Lock()
        full_env = dict(os.environ)
        full_env.update(env or {})
        if use_pty:
            self.master, slave = pty.openpty()
            self.proc = subprocess.Popen(argv, cwd=cwd, env=full_env, stdin=slave,
                                         stdout=slave, stderr=slave,
                                         start_new_session=True)
            os.close(slave)
            self.stdin_fd = self.master
        else:
            self.master = None
            self.proc = subprocess.Popen(argv, cwd=cwd, env=full_env, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                         start_new_session=True)
            self.stdin_fd = self.proc.stdin.fileno()
        out_fd = self.master if use_pty else self.proc.stdout.fileno()
        self.reader = threading.Thread(target=self._read, args=(out_fd,), daemon=True)
        self.reader.start()
        self.window = None

    def _read(self, fd):
        while True:
            try:
                ready, _, _ = select.select([fd], [], [], 0.2)
                if not ready:
                    if self.proc.poll() is not None:
                        return
                    continue
                chunk = os.read(fd, 65536)
            except OSError:
                return
            if not chunk:
                return
            with self.lock:
                self.output += chunk

    def text(self):
        with self.lock:
            return self.output.decode("latin-1")

    def wait_for(self, needle, timeout=20.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if needle in self.text():
                return
            if self.proc.poll() is not None:
                time.sleep(0.3)
                if needle in self.text():
                    return
                fail("program ended (status %s) before printing %r; output:\n%s"
                     % (self.proc.returncode, needle, self.text()))
            time.sleep(0.05)
        fail("no %r within %.0f s; output:\n%s" % (needle, timeout, self.text()))

    def send(self, data):
        os.write(self.stdin_fd, data)

    def close_input(self):
        if self.master is None:
            self.proc.stdin.close()

    def find_window(self, timeout=20.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^VORTAVIA 3D$"],
                                   capture_output=True, text=True)
            ids = found.stdout.split()
            if ids:
                self.window = ids[-1]
                return self.window
            if self.proc.poll() is not None:
                fail("program ended before its window appeared; output:\n" + self.text())
            time.sleep(0.2)
        fail("no window titled VORTAVIA 3D; output:\n" + self.text())

    def geometry(self):
        shown = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window],
                               capture_output=True, text=True, check=True).stdout
        fields = dict(line.split("=", 1) for line in shown.split())
        return int(fields["WIDTH"]), int(fields["HEIGHT"])

    def _aim(self):
        subprocess.run(["xdotool", "mousemove", "--window", self.window, "20", "20"], check=True)

    def key(self, name):
        self._aim()
        subprocess.run(["xdotool", "key", name], check=True)

    def key_down(self, name):
        self._aim()
        subprocess.run(["xdotool", "keydown", name], check=True)

    def key_up(self, name):
        self._aim()
        subprocess.run(["xdotool", "keyup", name], check=True)

    def close_window(self):
        """Asks the window to close, as a window manager's close button does."""
        send_delete_window(int(self.window))

    def screenshot(self, path):
        subprocess.run(["import", "-window", self.window, path], check=True,
                       capture_output=True)

    def wait_exit(self, timeout=15.0):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            fail("program did not end; output:\n" + self.text())

    def escape(self, timeout=15.0, what="the program"):
        """Escape must end the program with status 1 and no sanitizer report."""
        self.key("Escape")
        status = self.wait_exit(timeout)
        text = self.text()
        if status != 1 or "Sanitizer" in text or "runtime error" in text:
            fail("Escape ended %s with status %s, not 1; output:\n%s" % (what, status, text[-6000:]))

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_delete_window(window):
    """WM_DELETE_WINDOW to `window` through libX11: with no window manager
    there is no close button, and xdotool's windowclose destroys the window
    instead of asking it."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        fail("cannot open the display to close the window")
    event = _Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def image_mean(path):
    """Mean brightness 0..1 of an image."""
    out = subprocess.run(["convert", path, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return float(out)


def images_differ(a, b):
    """Fraction of pixels that differ between two same-sized images."""
    res = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    count = float(res.stderr.split()[0]) if res.stderr else 0.0
    w, h = map(int, subprocess.run(["identify", "-format", "%w %h", a], capture_output=True,
                                   text=True, check=True).stdout.split())
    return count / (w * h)
