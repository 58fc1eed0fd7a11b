"""test_sound_servers.py -- the sound-throttle edition through real PulseAudio and PipeWire servers.

Each server runs privately: its own XDG_RUNTIME_DIR and HOME (and, for
PipeWire, its own session bus), nothing of the user's touched, every daemon
ended by its process id. A pipe source fed known bytes is the default
source; the game reaches it the way a desktop player's does, through ALSA's
pulse plugin and the system's ALSA configuration. Then the server is killed
in mid-flight.
"""
import collections
import os
import re
import signal
import subprocess
import tempfile
import threading
import time

from gamerun import Game, copy_game, fail, game_args, poll
from sounddevs import RATE_BYTES
from texts import CHOOSE, CLOSING, DEVICES, OPENED

LOUD, LOUD_PRINT = 230, "7725 "  # (230 - 127) x 75
SILENT = 128
EXPECTED_OUTPUT = re.compile(r"(7725 )*")


class Server:
    """One private sound server with a pipe source as its default source."""

    def __init__(self, kind, work):
        self.kind = kind
        self.dir = tempfile.mkdtemp(prefix=kind + "-", dir=work)
        self.run = os.path.join(self.dir, "run")
        os.mkdir(self.run, 0o700)
        os.mkdir(os.path.join(self.dir, "home"))
        self.fifo = os.path.join(self.dir, "source.fifo")
        self.socket = os.path.join(self.run, "pulse", "native")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.run, HOME=os.path.join(self.dir, "home"),
                        PULSE_SERVER="unix:" + self.socket)
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.pids, self.procs, self.logs = [], [], []  # every daemon's pid; those started here; their logs
        source = ("module-pipe-source source_name=game_pipe file=%s format=u8 rate=22050 channels=2"
                  % self.fifo)
        if kind == "pulseaudio":
            config = os.path.join(self.dir, "server.pa")
            with open(config, "w") as out:
                out.write("load-module module-native-protocol-unix\n"
                          "load-module module-null-sink sink_name=quiet\n"
                          "load-module %s\nset-default-source game_pipe\n" % source)
            self._daemon(["pulseaudio", "-n", "-F", config, "--daemonize=no", "--exit-idle-time=-1",
                          "--use-pid-file=no", "--log-target=stderr"])
            self._wait_socket()
        else:
            bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                                  "--print-pid=1"], env=self.env, capture_output=True, text=True,
                                 check=True).stdout.split()
            self.env["DBUS_SESSION_BUS_ADDRESS"] = bus[0]
            self.pids.append(int(bus[1]))
            # The session manager gives up at once when PipeWire is not
            # up yet: it starts once PipeWire's own socket is there.
            self._daemon(["pipewire"])
            self._wait_until(lambda: os.path.exists(os.path.join(self.run, "pipewire-0")),
                             "pipewire socket")
            for daemon in ("wireplumber", "pipewire-pulse"):
                self._daemon([daemon])
            self._wait_socket()
            subprocess.run(["pactl", "load-module"] + source.split(), env=self.env, check=True,
                           capture_output=True)
            subprocess.run(["pactl", "set-default-source", "game_pipe"], env=self.env, check=True)
        poll(lambda: os.path.exists(self.fifo), 20.0, "%s pipe source" % kind)
        self.level = LOUD
        self.feeding = True
        self.feeder = threading.Thread(target=self._feed, daemon=True)
        self.feeder.start()

    def _daemon(self, argv):
        log = open(os.path.join(self.dir, argv[0] + ".log"), "w")
        self.logs.append(log)
        proc = subprocess.Popen(argv, env=self.env, stdout=log, stderr=log, start_new_session=True)
        self.pids.append(proc.pid)
        self.procs.append(proc)

    def _wait_until(self, ready, what):
        def up():
            for proc in self.procs:
                if proc.poll() is not None:
                    fail("%s ended at start; see %s" % (proc.args[0], self.dir))
            return ready()
        poll(up, 20.0, what)

    def _wait_socket(self):
        self._wait_until(lambda: os.path.exists(self.socket) and subprocess.run(
            ["pactl", "info"], env=self.env, capture_output=True).returncode == 0,
            "%s server socket" % self.kind)

    def _feed(self):
        """Plays `level` into the pipe source at about the real rate, until stopped or the server is gone."""
        try:
            fd = os.open(self.fifo, os.O_WRONLY)
        except OSError:
            return
        try:
            while self.feeding:
                # Whole stereo frames only: a torn one aborts PulseAudio's pipe source.
                os.write(fd, bytes([self.level]) * (RATE_BYTES // 20 // 2 * 2))
                time.sleep(0.05)
        except OSError:
            pass
        finally:
            os.close(fd)

    def kill(self):
        """Ends every daemon of this server by its process id, at once."""
        self.feeding = False
        for pid in reversed(self.pids):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        for proc in self.procs:
            proc.wait(timeout=10)
        for log in self.logs:
            log.close()


def hud_speeds(trace, work):
    """The speed field of every HUD line in a trace, each as a tuple of glyph bitmaps."""
    blobs = tempfile.mkdtemp(prefix="blobs-", dir=work)
    dump = subprocess.run(["apitrace", "dump", "--color=never", "--blobs", trace], cwd=blobs,
                          capture_output=True, text=True, check=True).stdout
    lines, current = [], None
    for line in dump.splitlines():
        if "glRasterPos2f(" in line:
            current = []
            lines.append(current)
        elif "glBitmap(" in line and current is not None:
            found = re.search(r'blob\("([^"]+)"\)', line)
            if found:
                with open(os.path.join(blobs, found.group(1)), "rb") as f:
                    current.append(f.read())
        elif "SwapBuffers" in line:
            current = None
    speeds = []
    for glyphs in lines:
        # "FPS:%4.2f Speed: %d": the speed follows the second 'S' and six more glyphs.
        if len(glyphs) > 10 and glyphs[2] in glyphs[3:]:
            second = glyphs.index(glyphs[2], 3)
            speeds.append(tuple(glyphs[second + 7:]))
    return speeds


def fly(game_dir, server, work):
    trace = os.path.join(server.dir, "flight.trace")
    env = {k: server.env[k] for k in ("XDG_RUNTIME_DIR", "HOME", "PULSE_SERVER")}
    env["LP_NUM_THREADS"] = "0"
    with Game(["apitrace", "trace", "--output", trace, "./vortavia_sound", "--skip-config"],
              cwd=game_dir, env=env, use_pty=False) as game:
        game.wait_for(CHOOSE)
        listed = dict((int(n), name) for n, name in
                      re.findall(r"^(\d+)\) (.*)$", game.text(), re.M))
        if listed.get(0) != "default" or "pulse" not in listed.values() or "null" not in listed.values():
            fail("%s: device list %s, not default first with pulse and null" % (server.kind, listed))
        menu = game.text()[game.text().index(DEVICES):]
        if not re.fullmatch(r"WaveIn devices available on this computer are\.\.\.\n(\d+\) \S+\n)*"
                            r"Please choose the wave in device", menu):
            fail("%s: the device scan printed more than the game's own lines:\n%s" % (server.kind, menu))
        game.send(b"0\n")
        game.close_input()
        game.wait_for(OPENED)
        if "cannot capture" in game.text():
            fail("%s: the default device did not open:\n%s" % (server.kind, game.text()))
        game.wait_for(LOUD_PRINT)
        game.wait_drawn()
        # The HUD takes its speed once a second: two samples in loud flight.
        loud_for(game, 2.5)

        # Silence releases the throttle: the prints stop (and the speed decays).
        server.level = SILENT
        counted = [game.text().count(LOUD_PRINT), time.time()]

        def quiet():
            now = game.text().count(LOUD_PRINT)
            if now != counted[0]:
                counted[:] = [now, time.time()]
            return time.time() - counted[1] > 1.5
        poll(quiet, 30.0, "release after silence", game)

        # Loud again, then the server goes away mid-flight.
        server.level = LOUD
        before = game.text().count(LOUD_PRINT)
        poll(lambda: game.text().count(LOUD_PRINT) > before + 20, 20.0, "loud prints again", game)
        mark = len(game.text())
        server.kill()
        # The game flies on: the view turns by itself, frame after frame.
        game.wait_flying()
        after = "".join(line for line in game.text()[mark:].splitlines(True)
                        if not line.startswith("apitrace:"))
        if not EXPECTED_OUTPUT.fullmatch(after):
            fail("%s: unexpected console output after the server went away: %r" % (server.kind, after[:400]))
        game.escape(what="the sound edition after its server went away")

    # The HUD is drawn after the frame's flight update, which adds a throttle
    # step to the 7725 that sound set: it shows 7925 (or 8125, the ceiling, if
    # that frame's byte was not yet loud), four different digits, the same
    # four on the loud lines (a line caught in a decay may differ).
    speeds = hud_speeds(trace, work)
    loud = [s for s in speeds if len(s) == 4 and len(set(s)) == 4]
    if not loud or collections.Counter(loud).most_common(1)[0][1] < 2:
        fail("%s: the HUD does not show one steady speed of the form 7925 (%d HUD lines, %d such)"
             % (server.kind, len(speeds), len(loud)))
    print("ok: %s: device list %s; 230 -> '7725 ' and the HUD shows it; 128 releases; "
          "server killed: flies on, Escape -> 1" % (server.kind, sorted(listed.items())))


def open_sky(game_dir, work):
    """The game's folder with every obstacle far away.

    The jet circles from the start; where it meets an obstacle depends on the
    frame rate, and at a wall the once-a-second HUD sample shows whatever the
    last bounce left. Without obstacles in reach it shows what the sound set.
    """
    far = b"2000000000\n" * 5000
    return copy_game(game_dir, work, "open-sky", {"arrx.txt": far, "arrz.txt": far})


def loud_for(game, seconds):
    """Waits until the loud prints have kept coming for this long."""
    start, before = time.time(), game.text().count(LOUD_PRINT)
    poll(lambda: time.time() - start > seconds and game.text().count(LOUD_PRINT) > before,
         seconds + 30, "loud flight for %g s" % seconds, game)


def check_no_server(game_dir, work):
    """No server at all: only null is listed, and no plugin library says a word."""
    run = tempfile.mkdtemp(prefix="no-server-", dir=work)
    os.chmod(run, 0o700)
    with Game(["./vortavia_sound", "--skip-config"], cwd=game_dir, feed=b"\n",
              env={"XDG_RUNTIME_DIR": run, "PULSE_SERVER": "unix:" + os.path.join(run, "none"),
                   "LP_NUM_THREADS": "0"}) as game:
        game.wait_for(CLOSING)
        text = game.text()
        shown = text[text.index(DEVICES):text.index(CLOSING)]
        if shown != (DEVICES + "1) null\n" + CHOOSE + OPENED
                     + "Device 0 cannot capture sound: flying without the sound throttle.\n"):
            fail("no server: the console shows %r" % shown)
        game.wait_drawn()
        game.escape(what="the sound edition with no server")
    print("ok: no server: only null listed, no word from the plugin libraries, flies on")


def main():
    game_dir = game_args().game_dir
    with tempfile.TemporaryDirectory(prefix="vortavia-servers-") as work:
        check_no_server(game_dir, work)
        sky = open_sky(game_dir, work)
        for kind in ("pulseaudio", "pipewire"):
            server = Server(kind, work)
            try:
                fly(sky, server, work)
            finally:
                server.kill()


if __name__ == "__main__":
    main()
