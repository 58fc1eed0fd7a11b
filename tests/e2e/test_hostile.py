"""test_hostile.py -- the built programs against hostile files and descriptors, for real.

Runs under the X server in $DISPLAY: keys typed ahead on a real terminal,
standard descriptors closed at start, a console pipe whose reader goes away,
and FIFOs and an image too large for the GL at the data paths.
"""
import argparse
import fcntl
import os
import signal
import subprocess
import tempfile
import termios

from gamerun import TRACE, Game, copy_game, fail, game_args, poll, wait_frames
from sounddevs import loud_devices
from texts import CHOOSE, CLOSING, COMPLETE, LOUD_PRINT


def write_bmp(writer, path, width, height):
    """A BMP written by the tools' own writer (--write-bmp)."""
    subprocess.run([writer, path, str(width), str(height)], check=True)


# ---- the console ------------------------------------------------------------
def blocked_writing(pid):
    """Whether the process sleeps in a write to a full pipe."""
    try:
        with open("/proc/%d/wchan" % pid) as f:
            return "pipe_write" in f.read()
    except OSError:
        return False


def fill_pipe(fd):
    """Writes into a pipe until it is full, and leaves it blocking; returns the bytes written."""
    flags = fcntl.fcntl(fd, fcntl.F_GETFL)
    fcntl.fcntl(fd, fcntl.F_SETFL, flags | os.O_NONBLOCK)
    filled = 0
    for size in (4096, 1):  # the last page may still take a few bytes
        try:
            while True:
                filled += os.write(fd, b"\0" * size)
        except BlockingIOError:
            pass
    fcntl.fcntl(fd, fcntl.F_SETFL, flags)
    return filled


def check_type_ahead_not_echoed(game_dir):
    """Keys typed before the banner shows are answers, and never echoed."""
    master, slave = os.openpty()
    out_r, out_w = os.pipe()
    # A full pipe holds the program in its first write, the banner, which
    # comes after the terminal was set up for the dialogue: a deterministic
    # moment at which to type ahead.
    filled = fill_pipe(out_w)
    proc = subprocess.Popen(["./vortavia"], cwd=game_dir, stdin=slave, stdout=out_w, stderr=out_w,
                            start_new_session=True)
    os.close(slave)
    os.close(out_w)
    output = b""
    try:
        poll(lambda: blocked_writing(proc.pid), 20.0, "write blocked on the full console pipe")
        if termios.tcgetattr(master)[3] & termios.ECHO:
            fail("the terminal still echoes when the banner is printed")
        os.write(master, b"a222")
        while len(output) < filled or CLOSING.encode() not in output[filled:]:
            chunk = os.read(out_r, 65536)
            if not chunk:
                fail("the program ended in the dialogue: %r" % output[filled:])
            output += chunk
        poll(lambda: termios.tcgetattr(master)[3] & termios.ECHO, 20.0,
             "terminal restored after the dialogue")
        proc.send_signal(signal.SIGTERM)
        proc.wait(timeout=15)
        fcntl.fcntl(master, fcntl.F_SETFL, fcntl.fcntl(master, fcntl.F_GETFL) | os.O_NONBLOCK)
        try:
            echoed = os.read(master, 4096)
        except (BlockingIOError, OSError):
            echoed = b""
        if echoed:
            fail("keys typed ahead were echoed: %r" % echoed)
        if b"Sky Mode:" not in output:
            fail("the typed-ahead keys did not answer the dialogue: %r" % output[filled:])
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        os.close(master)
        os.close(out_r)
    print("ok: keys typed ahead answer the dialogue, nothing echoed, terminal restored")


def check_closed_descriptors(game_dir, work):
    """Started without descriptors 0 (and 1, 2): no console read of the X connection.
    The state trace is /dev/full, which takes no line."""
    for closing, what in (("<&-", "standard input"), ("<&- >&- 2>&-", "all three")):
        with Game(["sh", "-c", 'exec "$0" %s' % closing, "./vortavia"], cwd=game_dir,
                  env={TRACE: "/dev/full"}, use_pty=False) as game:
            game.wait_drawn()
            # Had a later open (the X connection) taken a closed number, the
            # console would be reading or writing it.
            for fd in (0,) if what == "standard input" else (0, 1, 2):
                if os.readlink("/proc/%d/fd/%d" % (game.proc.pid, fd)) != "/dev/null":
                    fail("%s closed: descriptor %d is %s, not /dev/null"
                         % (what, fd, os.readlink("/proc/%d/fd/%d" % (game.proc.pid, fd))))
            if what == "standard input" and CLOSING not in game.text():
                fail("closed standard input: no way through the dialogue:\n" + game.text())
            if what == "standard input":
                game.wait_for("vortavia: /dev/full: cannot be written, no state trace\n")
            game.escape(what="the program with %s closed" % what)
    print("ok: closed standard descriptors: defaults, a window, /dev/full as the trace, Escape -> 1")


def check_console_reader_gone(game_dir, work):
    """The sound edition prints each speed; its console pipe then loses its reader."""
    with Game(["./vortavia_sound"], cwd=game_dir, use_pty=False, env=loud_devices(work)) as game:
        game.send(b"x")
        game.wait_for(CHOOSE)
        game.send(b"1\n")
        game.close_input()
        game.wait_for(LOUD_PRINT)
        game.wait_drawn()
        game.proc.stdout.close()  # the reader goes; every print now meets a closed pipe
        # It flies on: the view turns by itself, frame after frame, each of
        # which printed a speed.
        game.wait_flying()
        game.key("Escape")
        status = game.wait_exit()
        if status != 1:
            fail("Escape without a console ended with status %s, not 1" % status)
    print("ok: console pipe without a reader: no SIGPIPE, flies on, Escape -> 1")


def check_console_that_stops_reading(game_dir, work):
    """The sound edition prints each speed into a pipe whose reader stays but reads no more."""
    trace = os.path.join(work, "unread-console.trace")
    out_r, out_w = os.pipe()
    env = dict(os.environ, **loud_devices(work), **{TRACE: trace})
    proc = subprocess.Popen(["./vortavia_sound", "--skip-config", "--device=1"], cwd=game_dir, env=env,
                            stdin=subprocess.DEVNULL, stdout=out_w, stderr=out_w, start_new_session=True)
    try:
        wait_frames(None, trace, 1)
        fill_pipe(out_w)
        wait_frames(None, trace, 100)  # each printed a speed the pipe had no room for
    finally:
        proc.kill()
        proc.wait()
        os.close(out_r)
        os.close(out_w)
    print("ok: a console that stops reading holds up no frame")


# ---- the data files ---------------------------------------------------------
def check_fifos_and_oversized_image(game_dir, work, writer):
    """FIFOs without a writer as a texture and a collision file, without a reader as the
    state trace, and a terrain image no GL takes."""
    copy = copy_game(game_dir, work, "hostile")
    for name in ("test1.bmp", "arrx.txt"):
        os.unlink(os.path.join(copy, name))
        os.mkfifo(os.path.join(copy, name))
    os.mkfifo(os.path.join(copy, "trace"))
    write_bmp(writer, os.path.join(copy, "l1.bmp"), 16385, 1)
    with Game(["./vortavia"], cwd=copy, env={TRACE: "trace"}, use_pty=False) as game:
        game.send(b"x")
        for number, name in ((1, "test1.bmp"), (7, "l1.bmp")):
            game.wait_for("Could not find the BMP for texture number %d\nFile name: %s\n"
                          "Continuing without it...\n" % (number, name))
            game.send(b"k")  # the key the message waits for
        game.wait_for(COMPLETE)
        if "arrx.txt cannot be opened: flying without obstacles." not in game.text():
            fail("a FIFO as arrx.txt was not refused:\n" + game.text())
        game.wait_for("vortavia: trace: cannot be written, no state trace\n")
        game.wait_drawn()
        game.hold_until_picture_changes("Left")  # frames with the placeholder terrain, turning
        game.escape(what="the program with hostile data files")
    print("ok: FIFOs refused as missing files and as the trace, an oversized image gets the placeholder, "
          "flies on")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--write-bmp", required=True, help="tests' write_bmp program")
    args = game_args(parser)
    game_dir = args.game_dir
    with tempfile.TemporaryDirectory(prefix="vortavia-hostile-") as work:
        check_type_ahead_not_echoed(game_dir)
        check_closed_descriptors(game_dir, work)
        check_console_reader_gone(game_dir, work)
        check_console_that_stops_reading(game_dir, work)
        check_fifos_and_oversized_image(game_dir, work, args.write_bmp)


if __name__ == "__main__":
    main()
