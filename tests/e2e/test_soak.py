"""test_soak.py -- random flying for a while: no crash, flat memory, nothing made twice.

Each edition is flown with random key presses from start-up to Escape. The
run checks the exit status (a sanitizer report in the sanitizer build ends
the program with another status), that resident memory stays flat after
the first seconds, and, in a second run recorded with apitrace, that every
texture and display list is created exactly once.
"""
import argparse
import os
import random
import subprocess
import tempfile
import time

from gamerun import TRACE, Game, check_left_cleanly, fail, game_args, gl_calls, wait_frames

KEYS = ["Left", "Right", "Up", "Down", "c", "v", "e", "t"]
WARM_UP_S = 5.0
# Growth allowed after warm-up: the driver and the X client library keep a
# few caches that fill on first use of each path.
RSS_SLACK_KB = 4096


def start(game_dir, program, traced=None, extra_env=None):
    argv = ["./" + program]
    if traced:
        argv = ["apitrace", "trace", "--output", traced] + argv
    answers = b"x" + (b"0\n" if program == "vortavia_sound" else b"")
    game = Game(argv, cwd=game_dir, env=extra_env, feed=answers)
    game.find_window(60)
    return game


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def game_pid(game, program):
    """The program's own pid (under apitrace it is the child of the wrapper).
    Only in the run's own session: other runs of the game may share the machine."""
    found = subprocess.run(["pgrep", "-n", "-x", "-s", str(game.proc.pid), program],
                           capture_output=True, text=True)
    return int(found.stdout.split()[0]) if found.stdout.split() else game.proc.pid


def fly_randomly(game, program, seconds, rng):
    keys = KEYS + (["g"] if program == "vortavia_sound" else [])
    held = set()
    end = time.time() + seconds
    while time.time() < end:
        if game.proc.poll() is not None:
            fail("%s ended during the flight (status %s):\n%s"
                 % (program, game.proc.returncode, game.text()[-4000:]))
        key = rng.choice(keys)
        if key in held:
            game.key_up(key)
            held.discard(key)
        elif key in ("Left", "Right", "Up", "Down"):
            game.key_down(key)
            held.add(key)
        else:
            game.key(key)
        time.sleep(rng.uniform(0.02, 0.3))
    for key in held:
        game.key_up(key)


def warm_up(game, program, rng):
    """Every key once, then a random flight: the driver's caches for each
    drawing state fill here, before memory is first measured."""
    # The arrows that change the picture act while held: each is held until
    # the picture changes, in an order where each one shows. The keyboard
    # edition moves only once a turn has aimed it; the sound edition turns by
    # itself until a turn key is let go. Down (brake, capture) draws nothing new.
    arrows = {"vortavia": ["Left", "Right", "Up"],
              "vortavia_sound": ["Up", "Left", "Right"]}[program]
    for key in arrows:
        game.hold_until_picture_changes(key)
    for key in KEYS + (["g"] if program == "vortavia_sound" else []):
        if key not in arrows:
            game.key(key)
    fly_randomly(game, program, WARM_UP_S, rng)


def soak(game_dir, program, seconds, rng, check_memory):
    with start(game_dir, program) as game:
        warm_up(game, program, rng)
        pid = game_pid(game, program)
        first = rss_kb(pid)
        fly_randomly(game, program, seconds, rng)
        last = rss_kb(pid)
        game.escape(60, program)
    if check_memory and last > first + RSS_SLACK_KB:
        fail("%s grew from %d kB to %d kB of resident memory while flying" % (program, first, last))
    print("ok: %s flew %.0f s at random; resident memory %d kB -> %d kB" % (program, seconds, first, last))


def created_once(game_dir, program, work, rng):
    trace = os.path.join(work, program + ".trace")
    frames_file = os.path.join(work, program + ".frames")
    with start(game_dir, program, traced=trace, extra_env={TRACE: frames_file}) as game:
        fly_randomly(game, program, 4.0, rng)
        # Ten frames at least, whatever the machine's pace. Not counted in
        # pictures: the random keys may have left a view that turning does
        # not change (texturing off, the viewport moved out of the window).
        wait_frames(game, frames_file, 10)
        game.key("Escape")
        status = game.wait_exit(60)
    dump = gl_calls(trace)
    check_left_cleanly(game, status, dump, "Escape", program)
    counts = {name: dump.count(name + "(") for name in
              ("glGenTextures", "glGenLists", "glNewList", "glTexImage2D", "glPrioritizeTextures")}
    frames = dump.count("glXSwapBuffers(")
    if counts["glGenTextures"] != 1 or counts["glPrioritizeTextures"] != 1:
        fail("%s: texture names made %d times: %s" % (program, counts["glGenTextures"], counts))
    if counts["glGenLists"] != counts["glNewList"] or counts["glGenLists"] != 4:
        fail("%s: display lists made %s times, not once each of 4" % (program, counts))
    if counts["glTexImage2D"] > 9:
        fail("%s: %d texture uploads, more than the 9 textures" % (program, counts["glTexImage2D"]))
    if frames < 10:
        fail("%s: only %d frames in the recorded run" % (program, frames))
    print("ok: %s made textures and lists once over %d frames: %s" % (program, frames, counts))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=30.0, help="flight time per edition")
    parser.add_argument("--seed", type=int, default=None)
    args = game_args(parser)
    seed = args.seed if args.seed is not None else int(time.time())
    print("seed %d" % seed)
    rng = random.Random(seed)
    # AddressSanitizer's quarantine holds freed memory back on purpose, so
    # memory can only be judged in the plain build.
    check_memory = "ASAN_OPTIONS" not in os.environ
    programs = [p for p in ("vortavia", "vortavia_sound")
                if os.path.exists(os.path.join(args.game_dir, p))]
    with tempfile.TemporaryDirectory() as work:
        for program in programs:
            soak(args.game_dir, program, args.seconds, rng, check_memory)
            created_once(args.game_dir, program, work, rng)


if __name__ == "__main__":
    main()
