"""test_demo.py -- --record and --timedemo for real.

A recorded flight (turns, throttle, brake, a wall hit, the viewport keys, a
pause with keys held, full screen and back) is flown again twice, once paced; the jet's state after every frame (VORTAVIA_STATE_TRACE)
must be the same in all three. Then: every way out leaves a complete demo
and nothing else beside it, a timedemo ignores typed keys but Escape, and
bad files are refused before any window opens. With --sound, the same
exact replay for the sound-throttle edition, capturing from an ALSA file
device.
"""
import argparse
import os
import resource
import stat
import signal
import subprocess
import tempfile

from gamerun import (TRACE, Game, fail, game_args, poll, sanitizer_spoke, screen_size, start_x_server, states,
                     wait_frames)
from texts import COMPLETE, LOUD_PRINT
from sounddevs import loud_devices

HEADER = ("vortavia-demo 1\nedition vortavia\nsmallTextures 1\nhighEndCard 0\npanoramicSky 0\n"
          "lowEndPanorama 0\ngameMode 0\nfullScreen 0\n")
NOT_THERE = object()
# An attempt at a window would fail with another message and status.
NO_DISPLAY = {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def read(path):
    with open(path) as f:
        return f.read()


def leftovers(demo):
    """Files beside `demo` that start with its name: a temporary file not cleaned up."""
    folder, name = os.path.split(demo)
    return [e for e in os.listdir(folder) if e.startswith(name) and e != name] if os.path.isdir(folder) else []


def frames_of(demo):
    last = read(demo).splitlines()[-1]
    if not last.startswith("end "):
        fail("%s does not end with its end line: %r" % (demo, read(demo)[-300:]))
    return int(last.split()[1])


def heading_set(trace):
    traced = states(trace)
    return traced and traced[-1][4] != "0x0p+0"


def banked(trace):
    traced = states(trace)
    return traced and traced[-1][6] != "0x0p+0"


def turned_and_level(trace):
    """Whether the last traced frame (frame, x, y, z, heading, speed, bank)
    has a heading and no bank: a turn that has been let go."""
    traced = states(trace)
    return traced and traced[-1][4] != "0x0p+0" and traced[-1][6] == "0x0p+0"


def still(trace, count):
    """Whether the last `count` traced frames hold one state: nothing moved."""
    traced = states(trace)[-count:]
    return len(traced) == count and all(s[1:] == traced[0][1:] for s in traced)


def check_pause_and_full_screen(game, rec):
    """p stops the world with keys held, p again flies on; F11 fills the
    screen and F11 again gives the window back."""
    game.key_down("Up")
    game.key_down("Left")
    wait_frames(game, rec, 2)
    game.key("p")
    poll(lambda: still(rec, 30), 30.0, "30 still frames with p, Left and Up held", game)
    frozen = states(rec)[-1][1:]
    game.key("p")
    poll(lambda: states(rec)[-1][1:] != frozen, 30.0, "flight again after the second p", game)
    game.key_up("Left")
    game.key_up("Up")
    for want in (screen_size(), (400, 400)):
        game.key("F11")
        poll(lambda: game.geometry() == want, 30.0, "a %dx%d window after F11" % want, game)


def start_recording(game_dir, program, args, demo, trace, env=None, before=()):
    full_env = {TRACE: trace, **(env or {})}
    game = Game(list(before) + ["./" + program, "--skip-config", "--record=" + demo] + args, cwd=game_dir,
                env=full_env, feed=b"")
    game.wait_for(COMPLETE)
    game.wait_drawn()
    return game


def replay(game_dir, program, demo, trace, env=None, args=()):
    """Flies `demo` as a timedemo; returns the console output."""
    full_env = {TRACE: trace, **(env or {})}
    with Game(["./" + program, "--timedemo=" + demo] + list(args), cwd=game_dir, env=full_env,
              feed=b"") as game:
        status = game.wait_exit(120)
    text = game.text()
    lines = [l for l in text.splitlines() if l.startswith("timedemo: ")]
    want = "timedemo: %d frames in " % frames_of(demo)
    if status != 0 or len(lines) != 1 or not lines[0].startswith(want) or not lines[0].endswith(" fps"):
        fail("timedemo of %s: status %s, output:\n%s" % (demo, status, text[-3000:]))
    if sanitizer_spoke(text):
        fail("timedemo of %s: a sanitizer spoke:\n%s" % (demo, text[-6000:]))
    return text


def compare_traces(recorded, replays, frames):
    """Every frame's state alike in the recording and each replay."""
    want = read(recorded).splitlines()
    if len(want) != frames:
        fail("the recording traced %d frames, its demo says %d" % (len(want), frames))
    for path in replays:
        got = read(path).splitlines()
        for i, (a, b) in enumerate(zip(want, got)):
            if a != b:
                fail("frame %d differs: recorded %r, replayed %r (%s)" % (i, a, b, path))
        if len(got) != len(want):
            fail("%s traced %d frames, the recording %d" % (path, len(got), len(want)))
    return [line.split() for line in want]


def check_exact_replay(game_dir, work):
    demo = os.path.join(work, "flight.demo")
    with open(demo, "w") as f:
        f.write("an older file\n")
    rec = os.path.join(work, "recorded.trace")
    with start_recording(game_dir, "vortavia", [], demo, rec) as game:
        # A short turn gives the jet its heading; then straight into the wall ahead.
        game.hold("Left", lambda: heading_set(rec), "a heading from Left")
        game.hold("Up", lambda: "hit \n" in game.text_now(), "a hit on the wall ahead")
        if read(demo) != "an older file\n":
            fail("the demo's name holds a half-written file during the flight")
        game.hold("Right", lambda: banked(rec), "a bank from Right")
        for _ in range(3):
            game.key("Down")
            wait_frames(game, rec, 2)
        for key in ("c", "v", "c"):
            game.key(key)
        check_pause_and_full_screen(game, rec)
        game.key_down("Up")
        game.hold("Left", lambda: banked(rec), "a bank from Left with the throttle open")
        wait_frames(game, rec, 10)
        game.key_up("Up")
        wait_frames(game, rec, 10)
        # Let go where the window does not have the keyboard: the game lets go itself.
        game.key_down("Right")
        wait_frames(game, rec, 5)
        subprocess.run(["xdotool", "mousemove", "--window", game.window, "410", "410", "keyup", "Right"],
                       check=True)
        poll(lambda: turned_and_level(rec), 30.0, "the bank levelled with Right let go outside", game)
        game.escape(what="a recording")

    text = read(demo)
    for line in ("special 100", "special-up 100", "special 101", "special-up 101", "special 102",
                 "special-up 102", "special 103", "special-up 103", "key c", "key v", "key p", "special 11",
                 "special-up 11", "key \\x1b"):
        if "\n%s\n" % line not in text:
            fail("the demo lacks %r:\n%s" % (line, text))
    if not text.startswith(HEADER) or leftovers(demo):
        fail("demo header or leftovers wrong: %r, %s" % (text[:200], leftovers(demo)))
    frames = frames_of(demo)
    replays = [os.path.join(work, "replay%d.trace" % i) for i in (1, 2)]
    # The second paced, on one rasteriser thread: another frame rate again.
    for path, env, args in zip(replays, ({}, {"LP_NUM_THREADS": "0"}), ((), ("--fps=250",))):
        console = replay(game_dir, "vortavia", demo, path, env, args)
        if "hit \n" not in console:
            fail("the replay hit no wall:\n" + console[-2000:])
    states = compare_traces(rec, replays, frames)
    if not any(int(s[5]) < 0 for s in states) or not any(s[6] != "0x0p+0" for s in states):
        fail("the compared flight never bounced or banked")
    print("ok: a %d-frame flight with turns, throttle, brakes, a hit, c/v, a pause and F11 replayed "
          "twice (once at --fps=250), every frame alike" % frames)


def check_ways_out(game_dir, work):
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))  # SIGQUIT's core is not wanted
    trace = os.path.join(work, "out.trace")
    ways = [("Escape", 1, lambda g: g.key("Escape")),
            ("window close", 1, lambda g: g.send_close()),
            ("SIGINT", -signal.SIGINT, lambda g: g.proc.send_signal(signal.SIGINT)),
            ("SIGTERM", -signal.SIGTERM, lambda g: g.proc.send_signal(signal.SIGTERM)),
            ("SIGQUIT", -signal.SIGQUIT, lambda g: g.proc.send_signal(signal.SIGQUIT)),
            # Ignored under nohup, in flight too: SIGTERM ends the flight.
            ("SIGHUP under nohup", -signal.SIGTERM, lambda g: g.proc.send_signal(signal.SIGHUP)
             or wait_frames(g, trace, 5) or g.proc.send_signal(signal.SIGTERM))]
    for name, want, way_out in ways:
        demo = os.path.join(work, "out-%s.demo" % name.replace(" ", "-"))
        before = ["nohup"] if "nohup" in name else []
        with start_recording(game_dir, "vortavia", [], demo, trace, before=before) as game:
            game.hold("Right", lambda: banked(trace), "a bank from Right")
            # Turned and levelled out again: the release has been handled.
            poll(lambda: turned_and_level(trace), 30.0, "level flight after the turn", game)
            if os.path.exists(demo):
                fail("%s: the demo is there before the flight ended" % name)
            way_out(game)
            status = game.wait_exit(15)
        if status != want:
            fail("%s ended the recording with status %s, not %s:\n%s" % (name, status, want, game.text()))
        if not os.path.exists(demo) or leftovers(demo):
            fail("%s: demo there: %s, beside it: %s" % (name, os.path.exists(demo), leftovers(demo)))
        if "\nspecial-up 102\n" not in read(demo):
            fail("%s: the turn is not in the demo:\n%s" % (name, read(demo)))
        replay(game_dir, "vortavia", demo, trace)
    print("ok: Escape, window close, SIGINT, SIGTERM, SIGQUIT and SIGTERM after an ignored SIGHUP "
          "each leave a complete demo, nothing beside it")


def check_stop_with_the_x_server_stopped(game_dir, work):
    """SIGTERM to a recording game whose frame waits for an X server (its own) that no longer answers."""
    xvfb, display = start_x_server(["Xvfb", "-nolisten", "tcp", "-noreset"])
    demo, trace = work + "/x.demo", work + "/x.trace"
    game = Game(["./vortavia", "--skip-config", "--record=" + demo], cwd=game_dir,
                env={TRACE: trace, "DISPLAY": display}, use_pty=False)
    try:
        wait_frames(game, trace, 5)
        xvfb.send_signal(signal.SIGSTOP)
        seen = []  # the frames stop once the server's socket is full: none for a second
        poll(lambda: seen.append(len(states(trace))) or seen[-20:] == seen[-1:] * 20, 60.0, "frames to stop", game)
        game.proc.send_signal(signal.SIGTERM)
        status = game.wait_exit(10)
    finally:
        game.kill()
        xvfb.send_signal(signal.SIGCONT)
        xvfb.kill()
        xvfb.wait()
    if status != -signal.SIGTERM or leftovers(demo):
        fail("SIGTERM with the X server stopped: status %s, beside the demo: %s" % (status, leftovers(demo)))
    replay(game_dir, "vortavia", demo, trace)
    print("ok: SIGTERM while a frame waits for a stopped X server: the game ends, the demo complete")


def check_typed_keys_ignored(game_dir, work):
    demo = os.path.join(work, "long.demo")
    with open(demo, "w") as f:
        f.write(HEADER + "end 100000000\n")
    trace = os.path.join(work, "long.trace")
    with Game(["./vortavia", "--timedemo=" + demo], cwd=game_dir, env={TRACE: trace}, feed=b"") as game:
        game.wait_drawn()
        wait_frames(game, trace, 1)
        game.key_down("Left")
        game.key_down("Up")
        wait_frames(game, trace, 10)
        game.key_up("Up")
        game.key_up("Left")
        game.key("Down")
        game.key("c")
        wait_frames(game, trace, 10)
        game.escape(what="a timedemo")
    states = read(trace).splitlines()
    moved = [s for s in states if s.split()[1:] != ["0", "80", "-10500", "0x0p+0", "0", "0x0p+0"]]
    if moved or len(states) < 2:
        fail("typed keys moved the jet in a timedemo (%d of %d frames): %s" % (len(moved), len(states), moved[:3]))
    if "timedemo:" in game.text():
        fail("Escape printed the frame rate line")
    print("ok: a timedemo ignores typed keys (%d frames still), Escape ends it with 1" % len(states))


def check_bad_files(game_dir, work):
    def frames(body):
        return (HEADER + body).encode()
    cases = [
        ("missing", NOT_THERE, None, "cannot be read: missing"),
        ("folder", "dir", None, "cannot be read: not a plain file"),
        ("unreadable", "mode 000", None, "cannot be read: not allowed to be read"),
        ("empty", b"", 1, "empty, not a demo"),
        ("truncated", frames("frame 3\nspecial 100\n"), 11, "ends before its 'end' line"),
        ("cut", frames("frame 3\nspecial 100\nend 2")[:-1], 11, "cut short"),
        ("first line", b"vortavia-demo 2\n" + frames("end 1\n")[16:], 1, "not a demo of this game"),
        ("unknown event", frames("frame 3\nroll 5\nend 9\n"), 10, "unknown event 'roll'"),
        ("backwards", frames("frame 3\nkey c\nframe 2\nkey v\nend 9\n"), 11, "frame 2 after frame 3"),
        ("absurd frame", frames("frame 9223372036854775808\nkey c\nend 9\n"), 9, "not '9223372036854775808'"),
        ("absurd key", frames("frame 3\nspecial 70000\nend 9\n"), 10, "from 0 to 255"),
        ("binary", bytes(range(256)) * 4, 1, "not text (byte 0x00)"),
        ("other edition", HEADER.replace("vortavia\n", "vortavia_sound\n").encode() + b"end 1\n", 2,
         "recorded with vortavia_sound, not with vortavia"),
    ]
    for name, content, line, said in cases:
        path = os.path.join(work, "bad-" + name.replace(" ", "-") + ".demo")
        if content == "dir":
            os.mkdir(path)
        elif content == "mode 000":
            os.close(os.open(path, os.O_CREAT | os.O_WRONLY, 0))
        elif content is not NOT_THERE:
            with open(path, "wb") as f:
                f.write(content)
        # Root reads any file, unless it gives up that power.
        unprivileged = ["setpriv", "--bounding-set=-dac_override,-dac_read_search"] if os.getuid() == 0 else []
        run = subprocess.run(unprivileged + ["./vortavia", "--timedemo=" + path], cwd=game_dir, env=NO_DISPLAY,
                             stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30)
        where = "%s:%d: " % (path, line) if line else "%s: " % path
        lines = run.stderr.splitlines()
        if (run.returncode != 2 or run.stdout or len(lines) != 1
                or not lines[0].startswith("vortavia: " + where) or said not in lines[0]):
            fail("%s: status %d, out %r, err %r" % (name, run.returncode, run.stdout[:300], run.stderr))
    print("ok: %d kinds of bad demo: one line, status 2, no window" % len(cases))


def plain_file(mode):
    return lambda path: os.close(os.open(path, os.O_CREAT, mode)) or os.chmod(path, mode)


def check_record_targets(game_dir, work):
    """--record at what it may not replace: refused (one line, status 2) and left as it was."""
    root = os.geteuid() == 0  # root passes every write check: the game then runs as nobody
    runner = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if root else []
    folder = os.path.join(work, "sticky")
    os.mkdir(folder)
    os.chmod(work, 0o755)
    os.chmod(folder, 0o1777)
    targets = [("no/such.demo", None, "cannot be written"), ("fifo", os.mkfifo, "is not a plain file"),
               ("link", lambda p: os.symlink(HEADER, p), "is a symbolic link"),
               ("read-only", plain_file(0o444), "is write-protected")]
    if root:  # a copy of /dev/null, and another user's file that anyone may write
        targets += [("null", lambda p: os.mknod(p, 0o666 | stat.S_IFCHR, os.makedev(1, 3)), "is not a plain file"),
                    ("theirs", plain_file(0o666), "belongs to another user in a sticky folder")]
    for name, make, said in targets:
        path = os.path.join(folder, name)
        if make:
            make(path)
        before = os.path.lexists(path) and os.lstat(path)
        run = subprocess.run(runner + ["./vortavia", "--record=" + path], cwd=game_dir, env=NO_DISPLAY,
                             stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30)
        if (run.returncode != 2 or run.stdout or run.stderr.count("\n") != 1 or said not in run.stderr
                or leftovers(path) or before != (os.path.lexists(path) and os.lstat(path))):
            fail("--record at %s: status %d, %r, %r, beside it %s" % (name, run.returncode, run.stdout,
                                                                       run.stderr, leftovers(path)))
    print("ok: --record at %s: refused, one line, status 2, left as it was" % ", ".join(t[0] for t in targets))


def check_sound_replay(game_dir, work):
    env = loud_devices(work)
    demo = os.path.join(work, "sound.demo")
    rec = os.path.join(work, "sound-recorded.trace")
    with start_recording(game_dir, "vortavia_sound", ["--device=1"], demo, rec, env) as game:
        game.wait_for(LOUD_PRINT)
        game.hold("Left", lambda: heading_set(rec), "a heading from Left")
        wait_frames(game, rec, 10)
        game.key_down("Down")  # captures again, drawing a frame from the callback
        wait_frames(game, rec, 5)
        game.key_up("Down")    # closes the device: its last sample goes on
        game.key("g")
        game.key("c")
        wait_frames(game, rec, 10)
        game.escape(what="a sound recording")
    text = read(demo)
    for line in ("edition vortavia_sound", "sound 255", "special 103", "special-up 103", "key g"):
        if "\n%s\n" % line not in text:
            fail("the sound demo lacks %r:\n%s" % (line, text[:3000]))
    frames = frames_of(demo)
    replays = [os.path.join(work, "sound-replay%d.trace" % i) for i in (1, 2)]
    for path in replays:
        console = replay(game_dir, "vortavia_sound", demo, path, env)
        if "WaveIn" in console or LOUD_PRINT not in console:
            fail("the replay opened a device, or flew without the recorded sound:\n" + console[-2000:])
    compare_traces(rec, replays, frames)
    print("ok: a %d-frame sound-throttle flight (Down, g) replayed twice without a device, every frame alike"
          % frames)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sound", action="store_true", help="the sound-throttle edition's replay only")
    args = game_args(parser)
    game_dir = args.game_dir
    with tempfile.TemporaryDirectory(prefix="vortavia-demo-") as work:
        if args.sound:
            check_sound_replay(game_dir, work)
            return
        check_bad_files(game_dir, work)
        check_record_targets(game_dir, work)
        check_exact_replay(game_dir, work)
        check_ways_out(game_dir, work)
        check_stop_with_the_x_server_stopped(game_dir, work)
        check_typed_keys_ignored(game_dir, work)


if __name__ == "__main__":
    main()
