"""test_gamemode.py -- game mode entered for real on a 16-bit dummy X server.

Starts its own Xorg with the dummy video driver (depth 16, a 640x480 mode),
where "640x480:16" is possible, so the game must take game mode and not the
fallback window that an Xvfb display gets.
"""
import os
import select
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gamerun import Game, fail, game_args  # noqa: E402
from texts import COMPLETE  # noqa: E402

CONF = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "xorg-dummy-16bit.conf")


def start_xorg(work):
    read_fd, write_fd = os.pipe()
    log = os.path.join(work, "xorg.log")
    server = subprocess.Popen(["Xorg", "-noreset", "-nolisten", "tcp", "-config", CONF,
                               "-logfile", log, "-displayfd", str(write_fd)],
                              pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_fd)
    number = b""
    deadline = time.time() + 20
    while time.time() < deadline and not number.endswith(b"\n"):
        if not select.select([read_fd], [], [], max(0.0, deadline - time.time()))[0]:
            break
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    if not number.strip():
        server.kill()
        log_text = open(log).read() if os.path.exists(log) else "(no log)"
        fail("Xorg with the dummy driver did not start:\n" + log_text[-3000:])
    return server, ":" + number.decode().strip()


def windows_named(display, name):
    found = subprocess.run(["xdotool", "search", "--name", name], capture_output=True, text=True,
                           env=dict(os.environ, DISPLAY=display))
    return found.stdout.split()


def main():
    args = game_args(display=False)
    with tempfile.TemporaryDirectory() as work:
        server, display = start_xorg(work)
        os.environ["DISPLAY"] = display
        try:
            with Game(["./vortavia"], cwd=args.game_dir, env={"DISPLAY": display}) as game:
                game.answer(b"a132")
                game.wait_for(COMPLETE)
                if "not possible" in game.text():
                    fail("game mode was refused on the 16-bit server:\n" + game.text())
                if windows_named(display, "^VORTAVIA 3D$"):
                    fail("a titled window was opened instead of game mode")
                ids = windows_named(display, "^FREEGLUT$")
                if not ids:
                    fail("no game mode window")
                game.window = ids[-1]
                game.wait_frame()
                game.escape(what="game mode")
        finally:
            server.terminate()
            server.wait(10)
    print("ok: game mode 640x480:16 entered on the 16-bit dummy server, Escape -> 1")


if __name__ == "__main__":
    main()
