"""look.py -- the web edition's canvas against the native window, picture by picture.

Each look is a timedemo that turns, opens the throttle, banks and presses
p: from that frame on every frame is the same picture in both programs
(but for the frame rate on the HUD's first line, which is left out of the
comparison; the PAUSED line under it stays in).

Two software rasterisers (SwiftShader under Chromium, Mesa's llvmpipe under
Xvfb) round edges, texel choices and colours differently, so the pictures
are compared with slack in place and colour: a pixel differs only when its
colour lies more than TOLERANCE from the range of colours of the 3x3 pixels
around the same place in the other picture (either way round). At most
ALLOWED of the pixels may differ.

Both were chosen from what test_web.py --study DIR measured (the share of
pixels that differ, at each tolerance in a channel):

    tolerance                   8        16       24       32       40
    canvas and window, worst    0.0023   0.0020   0.00035  0.00007  0.00003
    no HUD text                 0.0022   0.0022   0.0022   0.0022   0.0021
    no cockpit                  0.0099   0.0096   0.0074   0.0064   0.0062
    flat terrain texture        0.55     0.49     0.43     0.33     0.17
    lighting off                0.93     0.89     0.87     0.76     0.58
    mirrored                    0.69     0.49     0.32     0.24     0.18

Below 24 the two rasterisers' colour rounding alone is as large as a
missing HUD; from 32 on the right pictures differ in a few pixels (the
8x13 font's glyphs, made from Debian's misc-fixed, and a texel here and
there) and every broken one in over 300. ALLOWED sits between: 7 times the
worst right picture, a quarter of the least broken one.
"""
import io
import os
import subprocess

import browser  # noqa: F401  (first: it finds Debian's Python packages for a Python of one's own)
from PIL import Image, ImageChops, ImageFilter

from gamerun import TRACE, Game, copy_game, fail, poll, states

PAUSED_AT = 50
# name, smallTextures, highEndCard, panoramicSky, lowEndPanorama: every sky mode, every texture set
LOOKS = [("single sky, low-end textures", 1, 0, 0, 0),
         ("sky cube, linear filtering", 1, 1, 1, 0),
         ("low-end sky cube, large textures", 0, 0, 1, 1)]
# A heading, the throttle, then a right turn held (the cockpit banked) into the pause:
# down the canyon, its floor and walls and the sky in view.
EVENTS = ("frame 2\nspecial 100\nframe 3\nspecial-up 100\nspecial 101\nframe 20\nspecial-up 101\nspecial 102\n"
          "frame %d\nkey p\nend 100000000\n" % PAUSED_AT)
HUD_LINE = (0, 12, 260, 33)  # left, top, right, bottom: the frame rate line of a 400x400 window
TOLERANCE = 32
ALLOWED = 0.0005


def demo_name(look):
    return "look-%d%d%d%d.demo" % look[1:]


def write_demos(work):
    paths = []
    for look in LOOKS:
        paths.append(os.path.join(work, demo_name(look)))
        with open(paths[-1], "w") as f:
            f.write("vortavia-demo 1\nedition vortavia\nsmallTextures %d\nhighEndCard %d\npanoramicSky %d\n"
                    "lowEndPanorama %d\ngameMode 0\nfullScreen 0\n" % look[1:] + EVENTS)
    return paths


def paused(trace):
    return len(states(trace)) > PAUSED_AT + 3


def native_picture(game_dir, work, look, env=None):
    trace = os.path.join(work, "look.trace")
    with Game(["./vortavia", "--timedemo=" + os.path.join(work, demo_name(look))], cwd=game_dir,
              env={TRACE: trace, **(env or {})}, use_pty=False) as game:
        game.close_input()
        game.find_window(60)
        # Without a window manager the window sits a pixel off the screen.
        subprocess.run(["xdotool", "windowmove", game.window, "0", "0"], check=True)
        poll(lambda: paused(trace), 120, "the paused frame", game)
        # A frame drawn since the move: a picture of the whole window.
        seen = len(states(trace))
        poll(lambda: len(states(trace)) > seen, 60, "a frame after the move", game)
        return game.picture()


def page_picture(page, work, look):
    trace = os.path.join(work, "look-page.trace")
    page.open("index.html?timedemo=%s&trace" % demo_name(look), trace)
    poll(lambda: paused(trace), 120, "the paused frame in the page", page)
    return page.picture()


def image(ppm):
    picture = Image.open(io.BytesIO(ppm)).convert("RGB")
    if picture.size != (400, 400):
        fail("a %dx%d picture, not 400x400" % picture.size)
    picture.paste((0, 0, 0), HUD_LINE)
    return picture


def differing(a, b):
    """The share of pixels of a and b whose colour is not near the colours
    around the same place in the other picture."""
    def beyond(x, y):  # per channel, how far x lies outside y's 3x3 range
        return ImageChops.lighter(ImageChops.subtract(x, y.filter(ImageFilter.MaxFilter(3))),
                                  ImageChops.subtract(y.filter(ImageFilter.MinFilter(3)), x))
    off = ImageChops.lighter(beyond(a, b), beyond(b, a))
    worst = ImageChops.lighter(ImageChops.lighter(*off.split()[:2]), off.split()[2])
    counts = worst.histogram()
    return sum(counts[TOLERANCE + 1:]) / float(a.size[0] * a.size[1])


def flat(path):
    """The BMP at path with every pixel its mean colour."""
    with open(path, "rb") as f:
        data = f.read()
    start = int.from_bytes(data[10:14], "little")
    pixels = data[start:]
    mean = bytes(sum(pixels[i::3]) // (len(pixels) // 3) for i in range(3))
    return data[:start] + mean * (len(pixels) // 3)


def painted(path, value):
    with open(path, "rb") as f:
        data = f.read()
    start = int.from_bytes(data[10:14], "little")
    return data[:start] + bytes([value]) * (len(data) - start)


def broken_renders(game_dir, work, look, draw_wrong, native):
    """Native pictures of the look drawn wrong on purpose (native is the right one), by name."""
    def copied(name, replace):
        folder = copy_game(game_dir, work, name, replace)
        os.symlink(os.path.join(game_dir, "large"), os.path.join(folder, "large"))
        return image(native_picture(folder, work, look))

    def preloaded(what):
        env = {"LD_PRELOAD": " ".join([draw_wrong] + os.environ.get("LD_PRELOAD", "").split()),
               "VORTAVIA_DRAW_WRONG": what}
        return image(native_picture(game_dir, work, look, env))
    data = os.path.join(game_dir, "%s")
    return [("flat terrain texture", copied("flat", {"l1.bmp": flat(data % "l1.bmp")})),
            ("no cockpit", copied("no-jet", {"jet.bmp": painted(data % "jet.bmp", 255),
                                             "jetmask.bmp": painted(data % "jetmask.bmp", 0)})),
            ("lighting off", preloaded("lighting")),
            ("no HUD text", preloaded("hud")),
            ("mirrored", native.transpose(Image.FLIP_LEFT_RIGHT))]


def measured(page, game_dir, work, draw_wrong):
    """The canvas and the native window for each look; then the first look's
    canvas against each broken render: (name, canvas, native)."""
    rows = [(look[0], image(page_picture(page, work, look)), image(native_picture(game_dir, work, look)))
            for look in LOOKS]
    breaks = broken_renders(game_dir, work, LOOKS[0], draw_wrong, rows[0][2])
    return rows, [(name, rows[0][1], picture) for name, picture in breaks]


def study(page, game_dir, work, draw_wrong, folder):
    global TOLERANCE
    rows, breaks = measured(page, game_dir, work, draw_wrong)
    os.makedirs(folder, exist_ok=True)
    for name, a, b in rows + breaks:
        for side, picture in (("web", a), ("native", b)):
            picture.save(os.path.join(folder, "%s-%s.png" % (name.replace(" ", "_").replace(",", ""), side)))
    for tolerance in (8, 16, 24, 32, 40, 48, 64, 96):
        TOLERANCE = tolerance
        print("tolerance %3d: " % tolerance + "  ".join("%s %.5f" % (name, differing(a, b))
                                                          for name, a, b in rows + breaks))


def side_by_side(page, game_dir, work, path):
    """The canvas beside the native window at the paused frame of the sky cube, HUD and all."""
    look = LOOKS[1]
    shots = [page_picture(page, work, look), native_picture(game_dir, work, look)]
    both = Image.new("RGB", (810, 400), "white")
    for x, shot in zip((0, 410), shots):
        both.paste(Image.open(io.BytesIO(shot)), (x, 0))
    both.save(path)


def check(page, game_dir, work, draw_wrong):
    rows, breaks = measured(page, game_dir, work, draw_wrong)
    for name, web, native in rows:
        share = differing(web, native)
        if share > ALLOWED:
            fail("%s: %.4f of the pixels differ between the canvas and the native window, more than %g"
                 % (name, share, ALLOWED))
        print("ok: %s: canvas and native window alike (%.5f of the pixels differ)" % (name, share))
    for name, web, broken in breaks:
        share = differing(web, broken)
        if share <= ALLOWED:
            fail("a native render with %s passes as the canvas's picture (%.4f differ)" % (name, share))
    print("ok: %s: each fails the comparison" % ", ".join(name for name, _, _ in breaks))
