"""test_sound.py -- the sound-throttle edition flown by a recording, for real.

Runs build/game/vortavia_sound under the X server in $DISPLAY (xvfb-run),
its console on pipes, capturing through ALSA from devices of type file that
play recordings written here (ALSA_CONFIG_PATH names their configuration).
"""
import argparse
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gamerun import Game, fail  # noqa: E402

BANNER = "\n\n**************************VORTAVIA 3D DEMO in OpenGL**************************\n"
PROMPT = ("Configure the game before you run it for optimal performance\n"
          "Or press 'x' to skip config\n\nAny other key to use the config utility. ")
MENU = ("WaveIn devices available on this computer are...\n"
        "1) burst\n"
        "2) silent\n"
        "Please choose the wave in device")
OPENED = "Opening WaveIn Device...Done!\n"
CLOSING = "\n\n\nOk...Loading the game...\n\n"
LOUD_PRINT = "9600 "
RATE_BYTES = 22050 * 2
BURST_S = 10  # the burst device plays full level this long, then silence
STUCK_ID = 3  # after burst and silent; never shown, since it cannot open

CONFIG = """pcm.%(name)s {
    type file
    slave.pcm "null"
    file "/dev/null"
    infile "%(path)s"
    format "raw"
    hint { show on description "test recording" }
}
"""


def write_devices(work, stuck=False):
    """Writes the recordings and their ALSA configuration; returns its path.

    No default device is defined, so device 0 cannot be opened. With `stuck`
    a third device plays a FIFO that nobody writes to: ALSA's blocking open
    of it never returns."""
    # Past its end a file device repeats the last block it read, so the
    # burst ends in a second of silence that then lasts for ever.
    recordings = {"burst": bytes([255]) * (RATE_BYTES * BURST_S) + bytes([128]) * RATE_BYTES,
                  "silent": bytes([128]) * (RATE_BYTES * 2)}
    text = "pcm.null { type null }\n"
    for name, samples in recordings.items():
        path = os.path.join(work, name + ".raw")
        with open(path, "wb") as out:
            out.write(samples)
        text += CONFIG % {"name": name, "path": path}
    if stuck:
        fifo = os.path.join(work, "nowriter.fifo")
        os.mkfifo(fifo)
        text += CONFIG % {"name": "stuck", "path": fifo}
    conf = os.path.join(work, "stuck.conf" if stuck else "asound.conf")
    with open(conf, "w") as out:
        out.write(text)
    return conf


def start(game_dir, conf, reply):
    """Starts the game, skips the menus with 'x' and answers the device menu."""
    # Mesa's software rasterizer threads synchronise in ways ThreadSanitizer
    # cannot follow (the driver is not instrumented); drawing on the main
    # thread alone leaves the sanitizer build's reports to the capture thread.
    env = {"ALSA_CONFIG_PATH": conf, "LP_NUM_THREADS": "0"}
    game = Game(["./vortavia_sound"], cwd=game_dir, env=env, use_pty=False)
    game.send(b"x")
    game.wait_for("Please choose the wave in device")
    opened_at = time.time()
    if reply is not None:
        game.send(reply)
    # The missing-texture waits, if any, read end of input and go on at once.
    game.close_input()
    game.wait_for(CLOSING)
    game.find_window()
    return game, opened_at


def loud_prints(game):
    return game.text().count(LOUD_PRINT)


def printing(game, window=1.0):
    """Whether speed prints are still arriving."""
    before = loud_prints(game)
    time.sleep(window)
    return loud_prints(game) > before


def wait_quiet(game, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if not printing(game):
            return True
    return False


def check_dialogue_and_burst(game_dir, conf):
    game, opened_at = start(game_dir, conf, b"1\n")
    try:
        text = game.text()
        start_at = text.index(BANNER)
        dialogue = text[start_at:text.index(CLOSING) + len(CLOSING)]
        credit = dialogue[len(BANNER):dialogue.index(PROMPT)]
        if dialogue != BANNER + credit + PROMPT + MENU + OPENED + CLOSING:
            fail("dialogue is not banner, credit, prompt, device menu, closing: %r" % dialogue)

        game.wait_for(LOUD_PRINT)
        if not printing(game):
            fail("the loud recording does not keep setting the speed")
        # The burst ends in silence, which releases the throttle: no more prints.
        if not wait_quiet(game, BURST_S + 10):
            fail("speed prints went on after the recording fell silent")
        if time.time() - opened_at < BURST_S - 1:
            fail("speed prints stopped before the recording did")

        # The device is still open: the down arrow starts it, its release closes it.
        game.key_down("Down")
        time.sleep(0.3)
        game.key_up("Down")
        time.sleep(0.3)
        if printing(game, 0.5):
            fail("silence set the speed after the down arrow")
        game.key("g")  # the device is closed now: nothing to drive
        time.sleep(0.3)
        game.escape()
    finally:
        game.kill()
    print("ok: device menu after 'x', burst drives the speed, silence stops it, Down, g, Escape -> 1")


def check_g_keeps_the_last_capture(game_dir, conf):
    game, opened_at = start(game_dir, conf, b"1\n")
    try:
        game.wait_for(LOUD_PRINT)
        if time.time() - opened_at > BURST_S - 3:
            fail("the window came too late to press g during the burst")
        game.key("g")  # captures once more, then closes the device for good
        remaining = BURST_S + 1.5 - (time.time() - opened_at)
        if remaining > 0:
            time.sleep(remaining)
        if not printing(game):
            fail("after g the last loud capture no longer drives the speed")
        game.escape()
    finally:
        game.kill()
    print("ok: g closes the device and the last capture keeps setting the speed")


def check_replies_that_open_nothing(game_dir, conf):
    for reply, what in ((b"abc\n", "not a number"), (b"7\n", "not a listed device"),
                        (None, "end of input")):
        game, _ = start(game_dir, conf, reply)
        try:
            if OPENED not in game.text():
                fail("%s: no open message" % what)
            if "cannot capture sound: flying without the sound throttle.\n" not in game.text():
                fail("%s: the failed open is not reported" % what)
            time.sleep(1.0)
            game.key_down("Down")
            game.key_up("Down")
            game.key("g")
            if LOUD_PRINT in game.text():
                fail("%s: a device was captured from" % what)
            game.escape()
        finally:
            game.kill()
        print("ok: %s opens nothing and the game flies on" % what)


def check_blocked_device_is_passed_over(game_dir, conf):
    game, _ = start(game_dir, conf, b"%d\n" % STUCK_ID)
    try:
        text = game.text()
        if MENU + OPENED not in text:
            fail("the menu is not burst and silent alone: %r" % text)
        if ("Device %d cannot capture sound: flying without the sound throttle.\n" % STUCK_ID
                not in text):
            fail("choosing the blocked device is not reported; output:\n" + text)
        game.escape()
    finally:
        game.kill()
    print("ok: a device whose open blocks is left out of the menu, and chosen it opens nothing")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game-dir", required=True)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        fail("needs an X display (run under xvfb-run)")
    with tempfile.TemporaryDirectory() as work:
        conf = write_devices(work)
        check_dialogue_and_burst(args.game_dir, conf)
        check_g_keeps_the_last_capture(args.game_dir, conf)
        check_replies_that_open_nothing(args.game_dir, conf)
        check_blocked_device_is_passed_over(args.game_dir, write_devices(work, stuck=True))


if __name__ == "__main__":
    main()
