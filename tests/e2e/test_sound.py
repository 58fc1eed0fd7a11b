"""test_sound.py -- the sound-throttle edition flown by a recording, for real.

Runs build/game/vortavia_sound under the X server in $DISPLAY (xvfb-run),
its console on pipes, capturing through ALSA from devices of type file that
play recordings written here (ALSA_CONFIG_PATH names their configuration).
The "burst" recording starts empty and grows as the run goes: loud once the
game flies, silent when the run says so, so nothing hangs on how fast the
game gets going. The sound edition turns by itself, so every frame changes
the picture, and a changed picture tells a frame was drawn.
"""
import os
import tempfile

from gamerun import Game, fail, game_args, poll
from sounddevs import (LOUD, LOUD_S, RATE_BYTES, SILENT, STUCK_ID, play, read_offset,
                       sound_env, write_devices)
from texts import BANNER, CHOOSE, CLOSING, DEVICES, LOUD_PRINT, OPENED, PROMPT, dialogue

MENU = DEVICES + "1) burst\n2) silent\n" + CHOOSE


def start(game_dir, conf, burst, reply):
    """Starts the game, skips the menus with 'x' and answers the device menu."""
    open(burst, "wb").close()  # empty until the game flies
    game = Game(["./vortavia_sound"], cwd=game_dir, env=sound_env(conf), use_pty=False)
    game.send(b"x")
    game.wait_for(CHOOSE)
    if reply is not None:
        game.send(reply)
    # The missing-texture waits, if any, read end of input and go on at once.
    game.close_input()
    game.wait_for(CLOSING)
    game.find_window()
    game.wait_frame()
    return game


def loud_prints(game):
    return game.text_now().count(LOUD_PRINT)


def wait_more_prints(game, what):
    """The speed goes on being set: more prints come."""
    before = loud_prints(game)
    poll(lambda: loud_prints(game) > before, 30, what, game)


def quiet_frame(game):
    """Whether a frame was drawn that set no speed. Two changes of the
    picture: the second frame's throttle was read after the count."""
    before = loud_prints(game)
    game.wait_picture_change(game.wait_picture_change(game.picture()))
    return loud_prints(game) == before


def wait_device_closed(game, burst):
    poll(lambda: read_offset(game.proc.pid, burst) is None, 30, "close of the device", game)


def check_dialogue_and_burst(game_dir, conf, burst):
    with start(game_dir, conf, burst, b"1\n") as game:
        shown, credit = dialogue(game.text())
        if shown != BANNER + credit + PROMPT + MENU + OPENED + CLOSING:
            fail("dialogue is not banner, credit, prompt, device menu, closing: %r" % shown)

        play(burst, LOUD * RATE_BYTES * LOUD_S, game)
        game.wait_for(LOUD_PRINT, timeout=30)
        if quiet_frame(game):
            fail("a frame set no speed while the recording was loud")
        wait_more_prints(game, "more speed prints from the loud recording")
        # Silence releases the throttle: frames come, prints do not.
        play(burst, SILENT * RATE_BYTES * 5, game)
        poll(lambda: quiet_frame(game), 60, "frame without a speed print after the silence", game)

        # The device is still open: the down arrow starts it, its release closes it.
        game.hold_until_picture_changes("Down")
        wait_device_closed(game, burst)
        if not quiet_frame(game):
            fail("silence set the speed after the down arrow")
        game.key("g")  # the device is closed now: nothing to drive
        if not quiet_frame(game):
            fail("g set the speed with the device closed")
        game.escape()
    print("ok: device menu after 'x', loud recording drives the speed, silence stops it, "
          "Down closes, g, Escape -> 1")


def check_g_keeps_the_last_capture(game_dir, conf, burst):
    with start(game_dir, conf, burst, b"1\n") as game:
        play(burst, LOUD * RATE_BYTES * LOUD_S, game)
        game.wait_for(LOUD_PRINT, timeout=30)
        game.key("g")  # captures once more, then closes the device for good
        wait_device_closed(game, burst)
        if quiet_frame(game):
            fail("after g the last loud capture no longer drives the speed")
        game.escape()
    print("ok: g closes the device and the last capture keeps setting the speed")


def check_replies_that_open_nothing(game_dir, conf, burst):
    for reply, what in ((b"abc\n", "not a number"), (b"7\n", "not a listed device"),
                        (None, "end of input")):
        with start(game_dir, conf, burst, reply) as game:
            if OPENED not in game.text():
                fail("%s: no open message" % what)
            if "cannot capture sound: flying without the sound throttle.\n" not in game.text():
                fail("%s: the failed open is not reported" % what)
            game.hold_until_picture_changes("Down")
            game.key("g")
            if not quiet_frame(game) or LOUD_PRINT in game.text_now():
                fail("%s: a device was captured from" % what)
            game.escape()
        print("ok: %s opens nothing and the game flies on" % what)


def check_blocked_device_is_passed_over(game_dir, conf, burst):
    with start(game_dir, conf, burst, b"%d\n" % STUCK_ID) as game:
        text = game.text()
        if MENU + OPENED not in text:
            fail("the menu is not burst and silent alone: %r" % text)
        if ("Device %d cannot capture sound: flying without the sound throttle.\n" % STUCK_ID
                not in text):
            fail("choosing the blocked device is not reported; output:\n" + text)
        game.escape()
    print("ok: a device whose open blocks is left out of the menu, and chosen it opens nothing")


def check_stalled_device_lets_go(game_dir, conf, burst):
    """The stuck device opens while its FIFO has a writer; silent, the writer then
    holds the capture thread in ALSA's read, and g or Down must not wait for it."""
    writer = os.open(os.path.join(os.path.dirname(conf), "nowriter.fifo"), os.O_RDWR)
    for key in ("g", "Down"):
        with start(game_dir, conf, burst, b"%d\n" % STUCK_ID) as game:
            game.key(key)
            game.wait_for("The capture device stopped answering: flying without the sound throttle.\n")
            game.wait_flying()
            game.escape()
    os.close(writer)
    print("ok: g and Down on a capture device that stopped answering: told, flies on, Escape -> 1")


def main():
    args = game_args()
    with tempfile.TemporaryDirectory() as work:
        conf, burst = write_devices(work)
        check_dialogue_and_burst(args.game_dir, conf, burst)
        check_g_keeps_the_last_capture(args.game_dir, conf, burst)
        check_replies_that_open_nothing(args.game_dir, conf, burst)
        stuck = write_devices(work, stuck=True)
        check_blocked_device_is_passed_over(args.game_dir, *stuck)
        check_stalled_device_lets_go(args.game_dir, *stuck)


if __name__ == "__main__":
    main()
