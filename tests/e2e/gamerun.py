"""gamerun.py -- runs a built VORTAVIA 3D program for end-to-end tests.

The console is a pseudo-terminal (as a player's would be) or a pipe, and keys
reach the window through xdotool's XTEST events, aimed by moving the pointer
into the window (with no window manager, focus follows the pointer).

Nothing here waits a fixed time for the program: every wait polls for what
it needs (a line on the console, a drawn frame, a changed picture, the
console waiting for a key) and fails after a bound, so a slow machine only
makes a run slower.
"""
import argparse
import array
import ctypes
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import subprocess
import termios
import threading
import time

# Generous: the software rasterizer shares the machine with other builds.
FRAME_TIMEOUT_S = 60.0
EFFECT_TIMEOUT_S = 30.0


def fail(message):
    raise SystemExit("FAIL: " + message)


def game_args(parser=None, display=True):
    """Parses the command line every run takes: --game-dir (made absolute)
    after whatever options parser already holds. Fails at once where the
    run needs an X display and has none."""
    parser = parser or argparse.ArgumentParser()
    parser.add_argument("--game-dir", required=True)
    args = parser.parse_args()
    args.game_dir = os.path.abspath(args.game_dir)
    if display and not os.environ.get("DISPLAY"):
        fail("needs an X display (run under xvfb-run)")
    return args


def copy_game(game_dir, work, name, replace=None):
    """A copy of the game's folder in work/name with the files in replace
    written anew: name -> bytes, or None to leave the file out."""
    replace = replace or {}
    copy = os.path.join(work, name)
    os.mkdir(copy)
    for entry in os.listdir(game_dir):
        if entry not in replace and os.path.isfile(os.path.join(game_dir, entry)):
            shutil.copy2(os.path.join(game_dir, entry), copy)
    for entry, data in replace.items():
        if data is not None:
            with open(os.path.join(copy, entry), "wb") as out:
                out.write(data)
    return copy


def sanitizer_spoke(text):
    """Whether a sanitizer build's report is in the program's output."""
    return "Sanitizer" in text or "runtime error" in text


def start_x_server(argv, log=None):
    """Starts an X server that names its display on -displayfd; returns it and
    the display. Fails, with the end of log, when no name comes in 20 s."""
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(argv + ["-displayfd", str(write_fd)], pass_fds=(write_fd,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_fd)
    number, deadline = b"", time.time() + 20
    while not number.endswith(b"\n") and select.select([read_fd], [], [], max(0, deadline - time.time()))[0]:
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    if not number.strip():
        server.kill()
        log_text = open(log).read() if log and os.path.exists(log) else "(no log)"
        fail("%s did not start:\n%s" % (argv[0], log_text[-3000:]))
    return server, ":" + number.decode().strip()


def screen_size():
    shown = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True, check=True)
    return tuple(int(n) for n in shown.stdout.split())


def titled_windows():
    """The ids of the shown windows titled VORTAVIA 3D."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^VORTAVIA 3D$"],
                           capture_output=True, text=True)
    return found.stdout.split()


def poll(check, timeout, what, game=None):
    """Calls check() until it returns something true, and returns that;
    fails after timeout seconds, or at once when game's program has ended."""
    deadline = time.time() + timeout
    while True:
        found = check()
        if found:
            return found
        if game is not None and game.proc.poll() is not None:
            game.reader.join(5)
            fail("program ended (status %s) while waiting for %s; output:\n%s"
                 % (game.proc.returncode, what, game.text()[-4000:]))
        if time.time() > deadline:
            fail("no %s within %.0f s%s" % (what, timeout,
                 "; output:\n" + game.text()[-4000:] if game is not None else ""))
        time.sleep(0.05)


TRACE = "VORTAVIA_STATE_TRACE"  # names the file of the jet's state after every frame


def states(trace):
    """The frames a state trace (VORTAVIA_STATE_TRACE) holds so far, each
    (frame, x, y, z, heading, speed, bank)."""
    if not os.path.exists(trace):
        return []
    with open(trace) as f:
        return [line.split() for line in f.read().splitlines() if len(line.split()) == 7]


def wait_frames(game, trace, count):
    """Waits until `count` more frames have been traced: frames drawn,
    whatever the picture shows."""
    start = len(states(trace))
    poll(lambda: len(states(trace)) >= start + count, EFFECT_TIMEOUT_S, "%d more frames" % count, game)


class Game:
    """One running program with its console output collected as it comes.
    As a context manager it is killed on the way out, whatever happened.
    With feed, the console is a pipe that gets feed and is closed at once."""

    def __init__(self, argv, cwd, env=None, use_pty=True, feed=None):
        self.output = b""
        self.lock = threading.Lock()
        full_env = dict(os.environ)
        full_env.update(env or {})
        hold_display(full_env.get("DISPLAY"))
        self.windows_before = set(titled_windows())
        if use_pty and feed is None:
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
        out_fd = self.master if self.master is not None else self.proc.stdout.fileno()
        self.reader = threading.Thread(target=self._read, args=(out_fd,), daemon=True)
        self.reader.start()
        self.window = None
        self.frame_seen = False
        if feed is not None:
            self.send(feed)
            self.close_input()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()

    def _read(self, fd):
        self.out_fd = fd
        while True:
            try:
                ready, _, _ = select.select([fd], [], [], 0.2)
                if not ready:
                    if self.proc.poll() is not None:
                        return
                    continue
                # Read and kept in one go, so text_now() never misses a chunk
                # that left the pipe but is not in the output yet.
                with self.lock:
                    chunk = os.read(fd, 65536)
                    self.output += chunk
            except OSError:
                return
            if not chunk:
                return

    def text(self):
        with self.lock:
            return self.output.decode("latin-1")

    def text_now(self):
        """The console output with everything the program has written so far."""
        def drained():
            with self.lock:
                try:
                    unread = array.array("i", [0])
                    fcntl.ioctl(self.out_fd, termios.FIONREAD, unread)
                    if unread[0]:
                        return None
                except OSError:  # closed: the program has ended
                    pass
                return [self.output.decode("latin-1")]
        if self.proc.poll() is not None:
            self.reader.join(5)
            return self.text()
        return poll(drained, 20.0, "console output read up")[0]

    def wait_for(self, needle, timeout=20.0, text=None):
        """Waits for needle on the console; text, if given, reads the console."""
        text = text or self.text

        def printed():
            if self.proc.poll() is not None:
                self.reader.join(5)  # the last of the output
            return needle in text()
        poll(printed, timeout, repr(needle), self)

    def send(self, data):
        os.write(self.stdin_fd, data)

    def reading_key(self):
        """Whether the program waits for a key on its terminal: it reads
        keys with echo off and turns echo back on after each."""
        return not termios.tcgetattr(self.master)[3] & termios.ECHO

    def wait_reading_key(self, timeout=20.0):
        poll(self.reading_key, timeout, "wait for a key on the console", self)

    def answer(self, keys):
        """Answers the console questions, one key each. On a terminal each key
        goes only once the program waits for it: a key typed earlier would be
        echoed. On a pipe they all go at once, as from a file."""
        if self.master is None:
            self.send(keys)
            return
        for i, key in enumerate(keys):
            if i:
                # The next question prints only after the last key was read,
                # so output beyond 'seen' means that read has ended.
                poll(lambda: len(self.output) > seen, 20.0, "the question after %r"
                     % keys[:i], self)
            self.wait_reading_key()
            seen = len(self.output)
            self.send(keys[i:i + 1])

    def close_input(self):
        if self.master is None:
            self.proc.stdin.close()

    def find_window(self, timeout=20.0):
        """The program's own window: one that was not open when it started,
        so that a window some other run left open is never taken for it."""
        ids = poll(lambda: [i for i in titled_windows() if i not in self.windows_before], timeout,
                   "window titled VORTAVIA 3D", self)
        self.window = ids[-1]
        return self.window

    def geometry(self, keys=("WIDTH", "HEIGHT")):
        """The window's size, or the other fields of xdotool's geometry named in keys."""
        shown = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window],
                               capture_output=True, text=True, check=True).stdout
        fields = dict(line.split("=", 1) for line in shown.split())
        return tuple(int(fields[key]) for key in keys)

    def _aim(self):
        # Keys before the first frame may come before the game looks at them.
        if not self.frame_seen:
            self.wait_frame()
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

    def picture(self):
        """The window's pixels as raw bytes (a PPM file)."""
        return subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"],
                              check=True, capture_output=True).stdout

    def wait_frame(self, timeout=FRAME_TIMEOUT_S):
        """Waits for the first drawn frame and returns its picture. "Loading
        Complete!!" comes before it, and until then the window is all black."""
        def drawn():
            shot = self.picture()
            return shot if ppm_pixels(shot).strip(b"\0") else None
        shot = poll(drawn, timeout, "drawn frame in the window", self)
        self.frame_seen = True
        return shot

    def wait_drawn(self, timeout=FRAME_TIMEOUT_S):
        """Finds the window, then waits for its first drawn frame."""
        self.find_window()
        return self.wait_frame(timeout)

    def wait_flying(self, changes=3):
        """Waits until the picture has changed by itself 'changes' times over:
        frames keep coming (the view turns without a key). Any change counts."""
        shot = self.picture()
        for _ in range(changes):
            shot = self.wait_picture_change(shot, share=1e-9)

    def wait_picture_change(self, since, timeout=EFFECT_TIMEOUT_S, share=0.01):
        """Waits until the picture differs from 'since' in at least 'share'
        of its colour values; returns the new picture."""
        def changed():
            shot = self.picture()
            return shot if pictures_differ(since, shot) >= share else None
        return poll(changed, timeout, "change of the picture", self)

    def hold(self, key, effect, what, timeout=EFFECT_TIMEOUT_S):
        """Holds key down until effect() returns something true, then lets go;
        returns what effect returned. A tap could be pressed and released
        within one frame, and that frame would never see it."""
        self.key_down(key)
        try:
            return poll(effect, timeout, what, self)
        finally:
            self.key_up(key)

    def hold_until_picture_changes(self, key, times=1, share=0.01):
        """Holds key until the picture has changed 'times' times over, so at
        least that many frames were drawn with the key down."""
        shot = self.picture()
        self.key_down(key)
        try:
            for _ in range(times):
                shot = self.wait_picture_change(shot, share=share)
        finally:
            self.key_up(key)
        return shot

    def send_close(self):
        """Asks the window to close the way a window manager does for its
        close button: a WM_DELETE_WINDOW client message. (xdotool windowclose
        destroys the window instead, which no window manager does.)"""
        send_wm_delete(int(self.window, 0))

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
        if status != 1 or sanitizer_spoke(text):
            fail("Escape ended %s with status %s, not 1; output:\n%s" % (what, status, text[-6000:]))

    def kill(self):
        """Ends the program and whatever it started: under apitrace the game
        is the tracer's child, and a game left flying would load every later
        run on the machine."""
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()


PPM_HEADER = re.compile(rb"P6\s+(\d+)\s+\d+\s+255\s")  # P6, width, height, maximum


def ppm_pixels(ppm):
    """The pixel bytes of a binary PPM file of one byte a colour value."""
    match = PPM_HEADER.match(ppm)
    if not match:
        fail("not a PPM picture of 8-bit colours: %r" % ppm[:40])
    return ppm[match.end():]


def ppm_rows(ppm):
    """The pixels of a binary PPM file as rows of (r, g, b), top row first."""
    pixels, width = ppm_pixels(ppm), int(PPM_HEADER.match(ppm).group(1))
    return [[tuple(pixels[at:at + 3]) for at in range(row, row + 3 * width, 3)]
            for row in range(0, len(pixels), 3 * width)]


def pictures_differ(a, b):
    """Share of colour values that differ between two pictures from Game.picture()."""
    if len(a) != len(b):
        return 1.0
    if a == b:
        return 0.0
    return sum(x != y for x, y in zip(a, b)) / float(len(a))


def _xlib():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XGrabServer.argtypes = [ctypes.c_void_p]
    return x11


_held_displays = {}


def hold_display(name):
    """Keeps a connection to the X server open for the rest of this run.
    A server started without -noreset (xvfb-run's default) resets when its
    last client leaves and refuses connections meanwhile: a program started
    then could not open its window."""
    if not name or name in _held_displays:
        return
    x11 = _xlib()
    _held_displays[name] = poll(lambda: x11.XOpenDisplay(name.encode()), 20.0,
                                "connection to the X display " + name)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_wm_delete(window):
    x11 = _xlib()
    display = x11.XOpenDisplay(None)
    if not display:
        fail("cannot open the X display to close the window")
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
            fail("XSendEvent refused the close message")
        x11.XSync(display, 0)
    finally:
        x11.XCloseDisplay(display)


# ---- recorded GL calls (apitrace) ------------------------------------------
SKY_FACES_FREED = "glDeleteTextures(n = 6, textures = {1, 2, 3, 4, 5, 6})"


def gl_calls(trace):
    """The calls in an apitrace trace, one a line."""
    return subprocess.run(["apitrace", "dump", "--color=never", trace], capture_output=True,
                          text=True, check=True).stdout


def frames(dump):
    """The calls between each two buffer swaps: whole frames only."""
    return dump.split("glXSwapBuffers(")[1:-1]


def check_left_cleanly(game, status, dump, how, what="the program"):
    """The way out (Escape or the window's close) ends with status 1, no
    sanitizer report and the six sky faces given back once, together."""
    text = game.text()
    if status != 1 or sanitizer_spoke(text):
        fail("%s ended %s with status %s, not 1; output:\n%s" % (how, what, status, text[-6000:]))
    deletes = [line for line in dump.splitlines() if "glDeleteTextures(" in line]
    if len(deletes) != 1 or SKY_FACES_FREED not in deletes[0]:
        fail("%s: %s gave textures back as %r, not once as %s" % (how, what, deletes, SKY_FACES_FREED))
