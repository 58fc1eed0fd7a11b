"""test_web.py -- the web edition in headless Chromium against the native keyboard edition.

Same flight: the benchmark demo and a flight recorded natively, replayed in
the page, trace the same state every frame as their native replays, with
the native console lines around them. The dialogue: for the same answers
(keys or options) the page logs the native console's lines, then, after
Escape, "The game ended with exit status 1.". A flight recorded in the page
(?record) replays natively frame for frame. Same look: the canvas and the
native window at a paused frame of the same demo, in every sky mode and
texture set, agree but for rasteriser rounding, while a flat texture, the
light off, no HUD, no cockpit or a mirrored picture do not.
"""
import argparse
import os
import re
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gamerun import EFFECT_TIMEOUT_S, Game, fail, game_args, wait_frames  # noqa: E402
from test_demo import banked, compare_traces, frames_of, heading_set, replay, start_recording  # noqa: E402
from texts import COMPLETE  # noqa: E402
from browser import Browser, serve_folder  # noqa: E402
import look  # noqa: E402

ENDED = "The game ended with exit status %d."
# Under the sanitizers the native console's bytes stay the program's: no leak check summary at exit.
QUIET = {"LSAN_OPTIONS": os.environ.get("LSAN_OPTIONS", "") + ":print_suppressions=0"}
TIMEDEMO = re.compile(r"timedemo: (\d+) frames in \d+\.\d{3} s, \d+\.\d fps")


def read(path):
    with open(path) as f:
        return f.read()


def ended(page, status, what, timeout=EFFECT_TIMEOUT_S):
    """Waits for the game in the page to end with status; returns the lines
    logged before the last (the trace lines apart), which says so."""
    try:
        page.wait_line(re.escape(ENDED % status), timeout)
    except SystemExit as failed:
        fail("%s: %s" % (what, str(failed)[len("FAIL: "):]))
    lines = page.logged()
    if lines[-1] != ENDED % status:
        fail("%s: lines after the end: %s" % (what, lines[-5:]))
    return lines[:-1]


def same_lines(what, native, page):
    """The page's lines are the native console's, the timedemo line alike in shape and count."""
    def shaped(lines):
        return [TIMEDEMO.sub(lambda m: "timedemo: %s frames" % m.group(1), line) for line in lines]
    want, got = shaped(native.split("\n")[:-1]), shaped(page)
    for i, (a, b) in enumerate(zip(want, got)):
        if a != b:
            fail("%s: console line %d: native %r, page %r\nthe page's lines:\n%s" % (what, i, a, b, "\n".join(page)))
    if len(want) != len(got):
        fail("%s: native %d lines, page %d; the page's last: %s" % (what, len(want), len(got), got[-5:]))


# ---- same flight -------------------------------------------------------------
FLY_KEYS = ("Down", "c", "v", "p", "F11", "p", "F11")
RECORDED = ("special 100", "special-up 100", "special 101", "special-up 101", "special 102", "special-up 102",
            "special 103", "key c", "key v", "key p", "special 11", "key \\x1b")


def fly_keys(player, trace):
    """The brake, the viewport keys, a pause and full screen, each on a frame of its own."""
    for key in FLY_KEYS:
        player.key(key)
        wait_frames(player, trace, 2)


def record_native(game_dir, work):
    """A short flight of the native keyboard edition, recorded: a heading, the
    throttle into a wall, a bank, then fly_keys."""
    demo, rec = os.path.join(work, "native.demo"), os.path.join(work, "native-recorded.trace")
    with start_recording(game_dir, "vortavia", [], demo, rec) as game:
        game.hold("Left", lambda: heading_set(rec), "a heading from Left")
        game.hold("Up", lambda: "hit \n" in game.text_now(), "a hit on the wall ahead")
        game.hold("Right", lambda: banked(rec), "a bank from Right")
        fly_keys(game, rec)
        game.escape(what="a recording")
    return demo


def check_same_flight(page, game_dir, work, demos):
    for demo in demos:
        name = os.path.basename(demo)
        native_trace, page_trace = os.path.join(work, name + ".native"), os.path.join(work, name + ".page")
        native = replay(game_dir, "vortavia", demo, native_trace, QUIET)
        page.open("index.html?timedemo=%s&trace" % name, page_trace)
        lines = ended(page, 0, "timedemo of " + name, 600)
        same_lines("timedemo of " + name, native, lines)
        compare_traces(native_trace, [page_trace], frames_of(demo))
        print("ok: %s: %d frames traced alike in the page and natively, the same console lines"
              % (name, frames_of(demo)))


def check_record(page, game_dir, work, downloads):
    """A flight flown in the page with ?record, then its demo flown natively."""
    trace = os.path.join(work, "page-recorded.trace")
    page.open("index.html?skip-config&record&trace", trace)
    page.wait_line(re.escape(COMPLETE))
    page.hold("Left", lambda: heading_set(trace), "a heading from Left")
    page.hold("Up", lambda: "hit " in page.logged(), "a hit on the wall ahead")
    page.hold("Right", lambda: banked(trace), "a bank from Right")
    fly_keys(page, trace)
    page.key("Escape")
    ended(page, 1, "Escape after a flight with ?record")
    demo = os.path.join(downloads, page.wait_download())
    if os.path.basename(demo) != "vortavia.demo":
        fail("the page offered %s, not vortavia.demo" % demo)
    missing = [line for line in RECORDED if "\n%s\n" % line not in read(demo)]
    if missing:
        fail("the page's demo lacks %s:\n%s" % (missing, read(demo)))
    native_trace = os.path.join(work, "page-recorded.native")
    replay(game_dir, "vortavia", demo, native_trace)
    compare_traces(trace, [native_trace], frames_of(demo))
    print("ok: a %d-frame flight recorded in the page (?record) replays natively frame for frame" % frames_of(demo))


# ---- the dialogue --------------------------------------------------------------
# name, native options, page query, keys typed (the same in both)
DIALOGUES = [
    ("x skips", [], "", "x"),
    ("linear, window, cube", [], "", "a221"),
    ("low-end cube after its message and a key", [], "", "a121k"),
    ("full screen, single sky", [], "", "a112"),
    ("game mode falls back", [], "", "a133"),
    ("keys no menu offers", [], "", "a999"),
    ("options", ["--textures=large", "--display=window", "--sky=lowcube"], "?textures=large&display=window&sky=lowcube", ""),
    ("skip with an option", ["--skip-config", "--sky=cube"], "?skip-config&sky=cube", ""),
]


def check_dialogue(page, game_dir, work):
    for name, options, query, keys in DIALOGUES:
        with Game(["./vortavia"] + options, cwd=game_dir, env=QUIET, use_pty=False) as game:
            game.answer(keys.encode())
            game.close_input()
            game.wait_drawn()
            game.escape()
        trace = os.path.join(work, "dialogue.trace")
        page.open("index.html" + query + ("&" if query else "?") + "trace", trace)
        page.wait_line(".*")
        for key in keys:
            page.key(key)
        page.wait_line(re.escape(COMPLETE))
        wait_frames(page, trace, 1)  # as the native game's window is sent keys once it shows a frame
        page.key("Escape")
        same_lines(name, game.text(), ended(page, 1, name))
    print("ok: %d dialogues (keys and options): the page logs the native console's lines, then %r"
          % (len(DIALOGUES), ENDED % 1))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--web-dir", required=True, help="the built page (build-web/web)")
    parser.add_argument("--bench-demo", required=True, help="the benchmark's timedemo (window.demo)")
    parser.add_argument("--draw-wrong", required=True, help="the LD_PRELOAD library that draws wrong on purpose")
    parser.add_argument("--study", metavar="DIR", help="save the pictures in DIR and print how much they "
                        "differ at several tolerances; check nothing else")
    parser.add_argument("--picture", metavar="FILE", help="write the canvas beside the native window (PNG); "
                        "check nothing else")
    args = game_args(parser)
    # The game runs in its own folder.
    args.draw_wrong, args.bench_demo = os.path.abspath(args.draw_wrong), os.path.abspath(args.bench_demo)
    if not os.path.exists(os.path.join(args.web_dir, "index.html")):
        print("skipped: no page in %s (tools/build-web.sh builds it)" % args.web_dir)
        sys.exit(77)
    with tempfile.TemporaryDirectory(prefix="vortavia-web-") as work:
        downloads = os.path.join(work, "downloads")
        os.mkdir(downloads)
        recorded = record_native(args.game_dir, work)
        demos = look.write_demos(work) + [args.bench_demo, recorded]
        site = serve_folder(args.web_dir, work, demos)
        with Browser(site, downloads) as page:
            if args.study or args.picture:
                if args.study:
                    look.study(page, args.game_dir, work, args.draw_wrong, args.study)
                if args.picture:
                    look.side_by_side(page, args.game_dir, work, os.path.abspath(args.picture))
                return
            check_dialogue(page, args.game_dir, work)
            check_same_flight(page, args.game_dir, work, [args.bench_demo, recorded])
            check_record(page, args.game_dir, work, downloads)
            look.check(page, args.game_dir, work, args.draw_wrong)


if __name__ == "__main__":
    main()
