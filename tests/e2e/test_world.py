"""test_world.py -- loading the world and what the first frames show, for real.

Runs build/game/vortavia under the X server in $DISPLAY (xvfb-run), its
console on a pseudo-terminal: the set-up lines of both sky modes, a broken
and a missing texture file (each reported, each waiting for one key), and a
look at a frame: sky above, terrain below, the jet in the middle, the HUD
line in the top-left corner. VORTAVIA_KEEP=DIR keeps the screenshots there.
"""
import os
import subprocess
import tempfile

from gamerun import Game, copy_game, fail, game_args, poll, ppm_rows
from texts import CLOSING, COMPLETE as LOADED

COMPLETE = "\n\n%s\n\n" % LOADED


def texture_lines(number, name):
    return "Generating Texture %d...\nFile name: %s\ndone!\n" % (number, name)


def not_found(number, name):
    return ("Could not find the BMP for texture number %d\nFile name: %s\n"
            "Continuing without it...\n" % (number, name))


SINGLE_SETUP = ("Loading Collision Data...Done!\n"
                + texture_lines(1, "test1.bmp") + texture_lines(7, "l1.bmp")
                + texture_lines(8, "jet.bmp") + texture_lines(9, "jetmask.bmp")
                + "Creating skies...done!\n" + "loading terrain...done!\n"
                + "Generating flares...done!\n" + COMPLETE)
CUBE_SETUP = ("Loading Collision Data...Done!\n"
              + "".join(texture_lines(n, f) for n, f in
                        [(5, "_LF.bmp"), (6, "_RT.bmp"), (3, "_DN.bmp"), (4, "_UP.bmp"),
                         (2, "_BK.bmp"), (1, "_FR.bmp"), (7, "l1.bmp"), (8, "jet.bmp"),
                         (9, "jetmask.bmp")])
              + "Generating Skybox...done!" + "loading terrain...done!\n"
              + "Generating flares...done!\n" + COMPLETE)


def console(game):
    return game.text().replace("\r\n", "\n")


def setup_text(game):
    text = console(game)
    start = text.index(CLOSING) + len(CLOSING)
    end = text.index(COMPLETE, start) + len(COMPLETE)
    return text[start:end]


def wait_console(game, needle, timeout=20.0):
    game.wait_for(needle, timeout, text=lambda: console(game))


# ---- pictures --------------------------------------------------------------
def place(game):
    """Without a window manager the window sits at (-1, -1), a pixel off
    screen: moved to (0, 0), every pixel of it is drawn."""
    subprocess.run(["xdotool", "windowmove", game.window, "0", "0"], check=True)
    poll(lambda: game.geometry(("X", "Y")) == (0, 0), 20, "window at (0, 0)", game)


def grab(game, path):
    """The window as rows of (r, g, b), top row first; the picture is kept at path."""
    shot = game.picture()
    with open(path, "wb") as f:
        f.write(shot)
    return ppm_rows(shot)


def region(img, x0, y0, x1, y1):
    return [img[y][x] for y in range(y0, y1) for x in range(x0, x1)]


def edges(pixels_rows):
    """Neighbouring pixels along rows that differ sharply: text, outlines."""
    count = 0
    for row in pixels_rows:
        for a, b in zip(row, row[1:]):
            if sum(abs(a[c] - b[c]) for c in range(3)) > 90:
                count += 1
    return count


def check_sky_and_ground(img, what):
    """Roughly: away from the jet and the HUD line, part of the picture is the
    bluish sky (its haze included) and part is terrain, neither black."""
    sky = ground = dark = 0
    for y in range(45, 400, 3):
        for x in range(0, 400, 3):
            if 130 <= x < 270 and 130 <= y < 270:
                continue
            r, g, b = img[y][x]
            if r + g + b < 45:
                dark += 1
            elif b > r + 8 and b >= g:
                sky += 1
            else:
                ground += 1
    total = float(sky + ground + dark)
    if sky / total < 0.15 or ground / total < 0.15 or dark / total > 0.05:
        fail("%s: sky %.0f%%, terrain %.0f%%, black %.0f%% of the picture"
             % (what, 100 * sky / total, 100 * ground / total, 100 * dark / total))


def hud_edges(img):
    """Sharp strokes in the HUD's top-left band, and just below it."""
    return (edges([img[y][15:200] for y in range(18, 34)]),
            edges([img[y][15:200] for y in range(60, 76)]))


def hud_shown(img):
    hud, quiet = hud_edges(img)
    return hud >= 40 and hud >= 4 * quiet


def check_jet(img, what):
    # The jet: glowing nozzles (orange: red high, blue low) in the middle square.
    middle = region(img, 143, 143, 257, 257)
    glow = [p for p in middle if p[0] > 200 and p[1] > 90 and p[2] < 140 and p[0] - p[2] > 90]
    if len(glow) < 6:
        fail("%s: no engine glow in the middle (%d pixels)" % (what, len(glow)))


# ---- runs ------------------------------------------------------------------
def fly_to_hud(game, keys, work, name, setup):
    """Answers keys, checks the set-up lines against setup, and waits for a
    picture with the HUD line, which shows once the frame rate has been
    measured, after a second; returns that picture, checked for sky,
    terrain and jet."""
    game.answer(keys.encode())
    game.find_window()
    place(game)
    wait_console(game, COMPLETE)
    if setup_text(game) != setup:
        fail("set-up lines of the %s:\n%r\nnot\n%r" % (name, setup_text(game), setup))
    game.wait_frame()
    path = os.path.join(work, name.replace(" ", "-") + ".ppm")

    def with_hud():
        img = grab(game, path)
        return img if hud_shown(img) else None
    img = poll(with_hud, 30, "HUD text top-left", game)
    check_sky_and_ground(img, name)
    check_jet(img, name)
    return img


def check_single_sky(game_dir, work):
    with Game(["./vortavia"], cwd=game_dir) as game:
        img = fly_to_hud(game, "x", work, "single sky", SINGLE_SETUP)
        if (len(img[0]), len(img)) != (400, 400):
            fail("window is %dx%d" % (len(img[0]), len(img)))
        game.escape()
    print("ok: 'x' path set-up lines, sky, terrain, jet and HUD on screen")


def check_sky_cube(game_dir, work):
    with Game(["./vortavia"], cwd=game_dir) as game:
        img = fly_to_hud(game, "a221", work, "sky cube", CUBE_SETUP)
        # Banking rolls the jet: the middle of the picture changes while the view turns.
        middle = region(img, 143, 143, 257, 257)

        def banked():
            now = region(grab(game, os.path.join(work, "banked.ppm")), 143, 143, 257, 257)
            return sum(1 for a, b in zip(middle, now) if a != b) >= 500
        game.hold("Left", banked, "change of 500 pixels of the middle while turning left")
        game.escape()
    print("ok: sky cube set-up lines (5 6 3 4 2 1 7 8 9), picture, banking")


def check_broken_textures(game_dir, work):
    """A truncated l1.bmp and no jetmask.bmp: each reported, each waits for one key."""
    with open(os.path.join(game_dir, "l1.bmp"), "rb") as f:
        l1 = f.read()
    copy = copy_game(game_dir, work, "game", {"jetmask.bmp": None, "l1.bmp": l1[:len(l1) // 2]})

    with Game(["./vortavia"], cwd=copy) as game:
        game.answer(b"x")
        wait_console(game, not_found(7, "l1.bmp"))
        game.wait_reading_key()
        if "Generating Texture 8" in console(game):
            fail("set-up went on without waiting for a key")
        game.answer(b"q")
        wait_console(game, not_found(9, "jetmask.bmp"))
        game.wait_reading_key()
        if "Generating flares" in console(game):
            fail("set-up went on past the missing mask without a key")
        game.answer(b"w")
        wait_console(game, COMPLETE)
        text = setup_text(game)
        expected = ("Loading Collision Data...Done!\n" + texture_lines(1, "test1.bmp")
                    + "Generating Texture 7...\nFile name: l1.bmp\n" + not_found(7, "l1.bmp")
                    + texture_lines(8, "jet.bmp")
                    + "Generating Texture 9...\nFile name: jetmask.bmp\n"
                    + not_found(9, "jetmask.bmp")
                    + "Creating skies...done!\n" + "loading terrain...done!\n"
                    + "Generating flares...done!\n" + COMPLETE)
        if text != expected:
            fail("set-up lines with broken textures:\n%r\nnot\n%r" % (text, expected))
        # It flies on: frames keep coming and the keys still work.
        game.find_window()
        place(game)
        game.wait_frame()
        img = grab(game, os.path.join(work, "broken.ppm"))
        check_sky_and_ground(img, "broken textures")
        game.escape()
    print("ok: broken l1.bmp and missing jetmask.bmp reported, one key each, flies on")


def main():
    game_dir = game_args().game_dir
    with tempfile.TemporaryDirectory(prefix="vortavia-world-") as work:
        work = os.environ.get("VORTAVIA_KEEP") or work
        check_single_sky(game_dir, work)
        check_sky_cube(game_dir, work)
        check_broken_textures(game_dir, work)


if __name__ == "__main__":
    main()
