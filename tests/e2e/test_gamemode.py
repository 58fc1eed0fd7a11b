"""test_gamemode.py -- game mode entered for real on a 16-bit dummy X server.

Starts its own Xorg with the dummy video driver (depth 16, a 640x480 mode),
where "640x480:16" is possible, so the game must take game mode and not the
fallback window that an Xvfb display gets.
"""
import os
import subprocess
import tempfile

from gamerun import Game, fail, game_args, start_x_server
from texts import COMPLETE

CONF = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "xorg-dummy-16bit.conf")


def windows_named(display, name):
    found = subprocess.run(["xdotool", "search", "--name", name], capture_output=True, text=True,
                           env=dict(os.environ, DISPLAY=display))
    return found.stdout.split()


def main():
    args = game_args(display=False)
    with tempfile.TemporaryDirectory() as work:
        log = os.path.join(work, "xorg.log")
        server, display = start_x_server(
            ["Xorg", "-noreset", "-nolisten", "tcp", "-config", CONF, "-logfile", log], log)
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
