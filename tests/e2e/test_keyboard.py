"""test_keyboard.py -- the keyboard edition from the console to Escape, for real.

Runs build/game/vortavia under the X server in $DISPLAY (xvfb-run), its
console on a pseudo-terminal, keys sent to its window with xdotool.
"""
import os
import tempfile

from gamerun import Game, _xlib, check_left_cleanly, fail, game_args, gl_calls
import texts
from texts import COMPLETE, tty

BANNER, PROMPT, CLOSING = tty(texts.BANNER), tty(texts.PROMPT), tty(texts.CLOSING)


def check_skip_path_and_flight(game_dir):
    with Game(["./vortavia"], cwd=game_dir) as game:
        game.wait_for(PROMPT)
        # With the server held still, the game cannot open its window and waits
        # in set-up, where a key typed must not show.
        x11 = _xlib()
        grab = x11.XOpenDisplay(None)
        x11.XGrabServer(grab)
        x11.XSync(grab, 0)
        game.answer(b"x")
        game.wait_for(CLOSING)
        game.send(b"#")
        x11.XCloseDisplay(grab)
        shown, credit = texts.dialogue(game.text(), BANNER, PROMPT, CLOSING)
        if shown != BANNER + credit + PROMPT + CLOSING:
            fail("dialogue is not banner, credit, prompt, closing: %r" % shown)
        if "x" in credit.lower().replace("vortavia", "") or not credit.endswith("\r\n" * 5):
            fail("credit line wrong or 'x' echoed: %r" % credit)

        game.find_window()
        game.wait_for(COMPLETE)
        set_up = game.text().split(CLOSING)[1].split(COMPLETE)[0]
        if "#" in set_up:
            fail("a key typed during set-up was echoed: %r" % set_up)
        width, height = game.geometry()
        if (width, height) != (400, 400):
            fail("window is %dx%d, not 400x400" % (width, height))

        # Turning left changes the picture (fails if it never does).
        game.wait_frame()
        game.hold_until_picture_changes("Left")
        game.escape()
    print("ok: 'x' path, 400x400 window, turn, Escape -> 1")


def traced_camera_loads(game_dir, work, turn):
    """Runs the game under apitrace and counts the camera matrix loads it made."""
    trace = os.path.join(work, "turn.trace" if turn else "still.trace")
    with Game(["apitrace", "trace", "--output", trace, "./vortavia"], cwd=game_dir, feed=b"x") as game:
        game.find_window()
        game.wait_frame()
        if turn:
            # Two changes of the picture: two frames at least drawn turning.
            game.hold_until_picture_changes("Right", times=2)
        game.key("Escape")
        status = game.wait_exit(30)
    dump = gl_calls(trace)
    check_left_cleanly(game, status, dump, "Escape", "the traced run")
    if "glXSwapBuffers" not in dump:
        fail("trace holds no frames")
    # gluLookAt ends in a glMultMatrixf and a glTranslated of the negated eye.
    return dump.count("glTranslated(x = -0, y = -80, z = 10500)")


def check_turn_in_gl_calls(game_dir, work):
    still = traced_camera_loads(game_dir, work, turn=False)
    turned = traced_camera_loads(game_dir, work, turn=True)
    if still != 0:
        fail("the camera was loaded %d times with no key pressed" % still)
    if turned < 2:
        fail("turning right did not load the camera frame after frame")
    print("ok: camera loads: none without keys, %d with a turn" % turned)


def check_game_mode_fallback(game_dir):
    # Xvfb offers no 16-bit video mode, so game mode falls back to the window.
    with Game(["./vortavia"], cwd=game_dir) as game:
        game.answer(b"a132")
        game.wait_for(CLOSING)
        game.wait_for("Game mode 640x480:16 is not possible")
        game.find_window()
        if game.geometry() != (400, 400):
            fail("fallback window is %dx%d" % game.geometry())
        game.escape()
    print("ok: game mode not possible -> 400x400 window")


def main():
    args = game_args()
    with tempfile.TemporaryDirectory() as work:
        check_skip_path_and_flight(args.game_dir)
        check_turn_in_gl_calls(args.game_dir, work)
        check_game_mode_fallback(args.game_dir)


if __name__ == "__main__":
    main()
