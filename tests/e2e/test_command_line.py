"""test_command_line.py -- both programs' options, for real.

--help, --version and bad options without a display or a console; the
options documented in the manual page; a start with every question answered
from the command line, its console and its recorded GL calls; --device; and
a default configure that builds no test or benchmark.
"""
import os
import re
import subprocess
import tempfile

from gamerun import Game, fail, game_args, gl_calls
from sounddevs import loud_devices
from texts import CHOOSE, DEVICES, LOUD_PRINT, OPENED

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
MENU_TEXTS = ("Texture Quality", "Display Mode", "Sky Mode", "Any other key", "press 'x'")


def run_quietly(game_dir, program, args):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    return subprocess.run(["./" + program] + args, cwd=game_dir, env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=30)


def check_help_version_and_bad_options(game_dir):
    for program in ("vortavia", "vortavia_sound"):
        shown = run_quietly(game_dir, program, ["--help"])
        if shown.returncode != 0 or not shown.stdout.startswith("Usage: %s " % program) or shown.stderr:
            fail("%s --help: status %d, %r, %r" % (program, shown.returncode, shown.stdout[:200], shown.stderr))
        has_device = "--device=N" in shown.stdout
        if has_device != (program == "vortavia_sound"):
            fail("%s --help: --device listed %s" % (program, has_device))
        version = run_quietly(game_dir, program, ["--version"])
        if (version.returncode, version.stdout, version.stderr) != (0, program + " 1.0\n", ""):
            fail("%s --version: %r" % (program, version))
        cases = [("--no-such-option", "unknown option '--no-such-option'"),
                 ("--textures=huge", "--textures takes low, better or large, not 'huge'"),
                 ("--device=x" if program == "vortavia_sound" else "--device=1",
                  "--device takes" if program == "vortavia_sound" else "unknown option")]
        for arg, said in cases:
            bad = run_quietly(game_dir, program, ["--sky=cube", arg])
            lines = bad.stderr.splitlines()
            if (bad.returncode != 2 or bad.stdout or len(lines) != 2 or said not in lines[0]
                    or lines[1] != "Try '%s --help'." % program):
                fail("%s %s: status %d, out %r, err %r" % (program, arg, bad.returncode, bad.stdout, bad.stderr))
    print("ok: --help, --version, bad options: status 0, 0, 2, no display needed")


def check_manual_lists_every_option(game_dir):
    with open(os.path.join(ROOT, "packaging", "vortavia.6")) as f:
        manual = f.read().replace("\\-", "-").replace("\\fB", "").replace("\\fR", "").replace("\\fI", "")
    for program in ("vortavia", "vortavia_sound"):
        shown = run_quietly(game_dir, program, ["--help"]).stdout
        for option in sorted(set(re.findall(r"--[a-z][a-z-]*", shown))):
            if option not in manual:
                fail("%s --help lists %s, the manual page does not" % (program, option))
    print("ok: every option --help prints is in the manual page")


def traced_start(game_dir, work, args, name):
    """A traced start with standard input from /dev/null; returns (console, GL call dump)."""
    trace = os.path.join(work, name + ".trace")
    with Game(["apitrace", "trace", "--output", trace, "./vortavia"] + args, cwd=game_dir,
              feed=b"") as game:
        game.wait_drawn()
        game.escape(what="a start answered on the command line")
    return game.text(), gl_calls(trace)


def check_every_question_answered(game_dir, work):
    cases = [
        (["--textures=better", "--display=window", "--sky=cube"], "GL_LINEAR", "_LF.bmp", (400, 400)),
        (["--textures=low", "--display=fullscreen", "--sky=single"], "GL_NEAREST", "test1.bmp",
         (1280, 1024)),
        (["--skip-config"], "GL_NEAREST", "test1.bmp", (400, 400)),
    ]
    for args, filtering, sky, size in cases:
        console, dump = traced_start(game_dir, work, args, args[0][2:6])
        shown = [text for text in MENU_TEXTS if text in console]
        if shown:
            fail("%s: the console shows %s:\n%s" % (args, shown, console))
        if "File name: %s\n" % sky not in console or "Could not find" in console:
            fail("%s: no %s loaded:\n%s" % (args, sky, console))
        if "param = %s)" % filtering not in dump or \
                "param = %s)" % ("GL_NEAREST" if filtering == "GL_LINEAR" else "GL_LINEAR") in dump:
            fail("%s: the textures were not filtered with %s only" % (args, filtering))
        if "glViewport(x = 0, y = 0, width = %d, height = %d)" % size not in dump:
            fail("%s: no %dx%d viewport in the recorded calls" % ((args,) + size))
    print("ok: every question answered on the command line: no menu, the chosen filtering, sky, size")


def check_device_option(game_dir, work):
    with Game(["./vortavia_sound", "--skip-config", "--device=1"], cwd=game_dir, feed=b"",
              env=loud_devices(work)) as game:
        game.wait_for(DEVICES + "1) burst\n2) silent\n" + CHOOSE + "1\n" + OPENED)
        game.wait_for(LOUD_PRINT)
        game.wait_drawn()
        game.escape(what="the sound edition with --device")
    print("ok: --device=1 answers the device question; the list is still printed")


def check_play_build_builds_no_test():
    with tempfile.TemporaryDirectory(prefix="vortavia-play-") as build:
        subprocess.run(["cmake", "-S", ROOT, "-B", build], check=True, capture_output=True)
        targets = subprocess.run(["cmake", "--build", build, "--target", "help"], check=True,
                                 capture_output=True, text=True).stdout
    names = re.findall(r"^\.\.\. (\S+)", targets, re.M)
    extra = [n for n in names if re.match(r"(test_|bench_|fuzz_|empty_loop|swap_counter)", n)]
    if extra or "vortavia" not in names or "vortavia_sound" not in names:
        fail("a plain configure builds %s (programs: %s)" % (extra, [n for n in names if "vortavia" in n]))
    print("ok: a plain configure builds the programs and their data, no test or benchmark")


def main():
    game_dir = game_args().game_dir
    check_help_version_and_bad_options(game_dir)
    check_manual_lists_every_option(game_dir)
    with tempfile.TemporaryDirectory(prefix="vortavia-options-") as work:
        check_every_question_answered(game_dir, work)
        check_device_option(game_dir, work)
    check_play_build_builds_no_test()


if __name__ == "__main__":
    main()
