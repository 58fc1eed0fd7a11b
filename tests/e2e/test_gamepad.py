"""test_gamepad.py -- both programs flown with SDL's virtual pad, which a library of the tests' own
(support/virtual_pad.c), preloaded into the game, moves from a script as the game reads its pads."""
import argparse
import os
import re
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gamerun import TRACE, Game, fail, game_args, sanitizer_spoke, states  # noqa: E402
from sounddevs import loud_devices  # noqa: E402
from test_demo import compare_traces, frames_of, read, replay  # noqa: E402

# SDL's numbers: button a 0, b 1, back 4, d-pad left 13; axis 0 the stick across, 5 the right trigger. The
# stick lets go in its dead zone; A and trigger hold one throttle, d-pad and stick one turn; pulled out, all go.
SCRIPT = ("2 attach\n5 axis 0 -32767\n8 axis 0 -8000\n12 button 0 1\n14 axis 5 32767\n15 button 0 0\n"
          "17 button 1 1\n19 button 1 0\n24 axis 5 -32768\n26 button 13 1\n28 axis 0 -32767\n30 button 13 0\n"
          "34 axis 0 32767\n38 detach\n42 attach\n45 button 4 1\n")
KEYS = ["special 100", "special-up 100", "special 101", "special 103", "special-up 103", "special-up 101",
        "special 100", "special-up 100", "special 102", "special-up 102", "key \\x1b"]


def check_pad_flight(game_dir, work, program, env, args=()):
    script, demo, rec = (os.path.join(work, program + end) for end in (".pad", ".demo", ".trace"))
    open(script, "w").write(SCRIPT)
    env["VORTAVIA_TEST_PAD"] = script
    with Game(["./" + program, "--skip-config", "--record=" + demo] + list(args), cwd=game_dir,
              env=dict(env, **{TRACE: rec}), use_pty=False) as game:
        status = game.wait_exit(120)
    if status != 1 or sanitizer_spoke(game.text()):
        fail("%s: Back ended the flight with status %s; output:\n%s" % (program, status, game.text()[-4000:]))
    # Each key with the frame it came before, from the demo's "frame N" lines.
    events = re.findall(r"^frame (\d+)\n((?:(?:special|key).*\n)+)", read(demo), re.M)
    at, traced = [int(f) for f, keys in events for _ in keys.splitlines()], states(rec)
    if [k for _, keys in events for k in keys.splitlines()] != KEYS:
        fail("%s: the pad's keys in the demo are %s, not %s" % (program, events, KEYS))
    if traced[at[1]][4] != traced[at[6] - 1][4] or traced[at[1] - 1][4] == "0x0p+0":
        fail("%s: the stick's turn did not turn, or went on after its release" % program)
    if program == "vortavia" and not (int(traced[at[3] - 1][5]) > 1000 and int(traced[at[3]][5]) == 0):
        fail("A did not throttle, or B did not brake: speeds %s" % [s[5] for s in traced[at[2]:at[4]]])
    # The same pad in the timedemo, all but Back: it must not fly, as typed keys do not.
    open(script, "w").write(SCRIPT.rsplit("45 ", 1)[0])
    replay(game_dir, program, demo, rec + "2", env)
    compare_traces(rec, [rec + "2"], frames_of(demo))
    print("ok: %s flown with a pad (stick, d-pad, A, B, trigger, pulled out, Back) replayed exactly" % program)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--virtual-pad", required=True)
    args = game_args(parser)
    with tempfile.TemporaryDirectory(prefix="vortavia-pad-") as work:
        pad = {"LD_PRELOAD": " ".join(filter(None, (os.environ.get("LD_PRELOAD"), args.virtual_pad)))}
        check_pad_flight(args.game_dir, work, "vortavia", pad)
        check_pad_flight(args.game_dir, work, "vortavia_sound", dict(loud_devices(work), **pad), ["--device=1"])


if __name__ == "__main__":
    main()
