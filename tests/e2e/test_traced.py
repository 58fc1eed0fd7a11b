"""test_traced.py -- what the real programs ask of GL, recorded with apitrace.

Each run answers the console, waits for frames, ends the game by Escape or
by a window manager's close message, and reads the recorded calls: the
perspective hints of each sky mode frame by frame, the projection of every
reshape, and that either way out gives the six sky faces back once and ends
with status 1.
"""
import os
import re
import tempfile

from gamerun import Game, check_left_cleanly, fail, frames, game_args, gl_calls, poll, screen_size

VIEWPORT = re.compile(r"glViewport\(x = 0, y = 0, width = (\d+), height = (\d+)\)\n")
MATRIX = re.compile(r"glMultMatrixd\(m = \{([^}]*)\}\)")


def hints_per_frame(expected):
    def check(game, dump):
        counts = {frame.count("glHint(") for frame in frames(dump)}
        if counts != {expected}:
            fail("glHint calls per frame: %s, not %d in each" % (sorted(counts), expected))
    return check


def reshapes_whole_aspect(game, dump):
    """Every reshape's projection has the whole-number aspect (the true one
    for a tall window), and one of them is for the whole screen."""
    width, height = screen_size()
    reshapes = []
    # The one fake viewport apitrace records first is not the program's.
    for line in dump.splitlines():
        found = VIEWPORT.search(line + "\n")
        if found and "// fake" not in line:
            reshapes.append([int(found.group(1)), int(found.group(2)), None])
        found = MATRIX.search(line)
        if found and reshapes and reshapes[-1][2] is None:
            reshapes[-1][2] = [float(v) for v in found.group(1).split(",")]
    if [width, height] not in [r[:2] for r in reshapes]:
        fail("no reshape to the %dx%d screen: %s" % (width, height, [r[:2] for r in reshapes]))
    for w, h, m in reshapes:
        if m is None:
            fail("the %dx%d viewport came without a projection" % (w, h))
        aspect = float(w // h) if w >= h else w / float(h)
        # gluPerspective: m[0] is the y scale m[5] over the aspect.
        if abs(m[5] / m[0] - aspect) > 1e-6:
            fail("%dx%d reshape: projection aspect %.6f, not %g" % (w, h, m[5] / m[0], aspect))


# name, program, console answers, way out, check of the recorded calls
RUNS = [
    # any key, low-end textures, 400x400 window, low-end panoramic sky
    ("low-end sky", "vortavia", b"a123", "Escape", hints_per_frame(2)),
    # Voodoo2 textures, 400x400 window, high-end panoramic sky
    ("high-end sky", "vortavia", b"a221", "Escape", hints_per_frame(0)),
    # low-end textures, full screen, single sky
    ("full screen", "vortavia", b"a112", "Escape", reshapes_whole_aspect),
    ("keyboard close", "vortavia", b"x", "close", None),
    ("sound close", "vortavia_sound", b"x0\n", "close", None),
]


def run(game_dir, work, name, program, answers, way_out, check):
    trace = os.path.join(work, name.replace(" ", "-") + ".trace")
    with Game(["apitrace", "trace", "--output", trace, "./" + program], cwd=game_dir, feed=answers) as game:
        game.find_window(60)
        game.wait_frame()
        if check is reshapes_whole_aspect:
            size = screen_size()
            poll(lambda: game.geometry() == size, 30, "%dx%d full-screen window" % size, game)
        # Two changes of the picture: at least three whole frames recorded.
        game.hold_until_picture_changes("Left", times=2)
        if way_out == "Escape":
            game.key("Escape")
        else:
            game.send_close()
        status = game.wait_exit(60)
    dump = gl_calls(trace)
    check_left_cleanly(game, status, dump, way_out, "%s (%s)" % (program, name))
    if check:
        check(game, dump)
    print("ok: %s: %s -> 1, sky faces given back once%s"
          % (name, way_out, "" if check is None else ", GL calls as expected"))


def main():
    args = game_args()
    with tempfile.TemporaryDirectory(prefix="vortavia-traced-") as work:
        for name, program, answers, way_out, check in RUNS:
            if os.path.exists(os.path.join(args.game_dir, program)):
                run(args.game_dir, work, name, program, answers, way_out, check)


if __name__ == "__main__":
    main()
