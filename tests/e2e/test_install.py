"""test_install.py -- the installed game: cmake --install into a scratch prefix, or the Debian package.

Without --package: installs the build tree into a temporary prefix, moves the
prefix elsewhere (the launchers must find their folders from their own
place), checks the layout, the manual page and the menu entries, then starts
each installed launcher from an unrelated working directory under the X
server in $DISPLAY and quits it with Escape.

With --package: builds the .deb with cpack, checks its control fields and
contents with dpkg-deb, unpacks it and starts the unpacked launchers the same
way.
"""
import argparse
import glob
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gamerun import Game, fail  # noqa: E402

GAMES_DIR = "games"
PROGRAM_DIR = "lib/games/vortavia"
DATA_DIR = "share/games/vortavia"
MAN_PAGE = "share/man/man6/vortavia.6.gz"
ICON = "share/pixmaps/vortavia.xpm"
# program in the game folder -> launcher name, and what the console must be
# fed to get to the window (the sound edition also reads a device number).
EDITIONS = {"vortavia": ("vortavia", b"x"),
            "vortavia_sound": ("vortavia-sound", b"x0\n")}
MISSING_TEXTURE = r"Could not find the BMP for texture number \d+\nFile name: (\S+)\n"


def run(argv, **kwargs):
    res = subprocess.run(argv, capture_output=True, text=True, **kwargs)
    if res.returncode != 0:
        fail("%s failed (%d):\n%s%s" % (" ".join(argv), res.returncode, res.stdout, res.stderr))
    return res.stdout


def built_editions(game_dir):
    return [p for p in EDITIONS if os.path.isfile(os.path.join(game_dir, p))]


def data_files(game_dir):
    """Every file the programs read, relative to the game folder."""
    found = []
    for root, dirs, files in os.walk(game_dir):
        dirs[:] = [d for d in dirs if d != "CMakeFiles"]
        for name in files:
            if name.endswith((".bmp", ".txt")):
                found.append(os.path.relpath(os.path.join(root, name), game_dir))
    return sorted(found)


def same_bytes(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def check_tree(root, game_dir, editions):
    """The installed files under root: programs, launchers, data, page, entries, icon."""
    for program in editions:
        launcher = EDITIONS[program][0]
        for path in (os.path.join(root, GAMES_DIR, launcher), os.path.join(root, PROGRAM_DIR, program)):
            if not os.path.isfile(path) or not os.access(path, os.X_OK):
                fail("%s is missing or not executable" % path)
        entry = os.path.join(root, "share/applications", launcher + ".desktop")
        if not os.path.isfile(entry):
            fail("no menu entry " + entry)
        fields = dict(line.split("=", 1) for line in open(entry).read().splitlines()
                      if "=" in line and not line.startswith("#"))
        if fields.get("Exec", "").split()[0] != launcher or fields.get("Terminal") != "true":
            fail("%s does not start %s in a terminal: %r" % (entry, launcher, fields))
        if "Game" not in fields.get("Categories", "").split(";"):
            fail("%s is not in the Game menu" % entry)
        if shutil.which("desktop-file-validate"):
            run(["desktop-file-validate", entry])
    data = os.path.join(root, DATA_DIR)
    if not os.path.isdir(data):
        fail("no data folder " + data)
    for rel in data_files(game_dir):
        if not os.path.isfile(os.path.join(data, rel)):
            fail("data file %s was not installed" % rel)
        if not same_bytes(os.path.join(game_dir, rel), os.path.join(data, rel)):
            fail("installed %s differs from the built one" % rel)
    for path in (os.path.join(root, MAN_PAGE), os.path.join(root, ICON)):
        if not os.path.isfile(path):
            fail(path + " is missing")
    page = gzip.open(os.path.join(root, MAN_PAGE)).read().decode()
    for needed in (".TH VORTAVIA 6", "vortavia\\-sound", "Escape", "arrx.txt", "large/", "Sky Mode"):
        if needed not in page:
            fail("manual page lacks %r" % needed)
    if shutil.which("groff"):
        res = subprocess.run(["groff", "-man", "-ww", "-z"], input=page, capture_output=True, text=True)
        if res.returncode != 0 or res.stderr:
            fail("manual page has troff warnings:\n" + res.stderr)


def check_launch(root, game_dir, program, elsewhere):
    """Starts the installed launcher away from the data, quits with Escape: status 1."""
    launcher, answers = EDITIONS[program]
    data = os.path.realpath(os.path.join(root, DATA_DIR))
    game = Game([os.path.join(root, GAMES_DIR, launcher)], cwd=elsewhere, use_pty=False)
    try:
        game.send(answers)
        game.close_input()
        game.find_window(timeout=60.0)
        game.wait_for("Loading Complete!!", timeout=60.0)
        pid = game.proc.pid
        cwd = os.readlink("/proc/%d/cwd" % pid)
        if cwd != data:
            fail("%s runs in %s, not in its data folder %s" % (launcher, cwd, data))
        exe = os.readlink("/proc/%d/exe" % pid)
        if exe != os.path.realpath(os.path.join(root, PROGRAM_DIR, program)):
            fail("%s started %s, not the installed program" % (launcher, exe))
        game.escape(timeout=30.0, what=launcher)
    finally:
        game.kill()
    # Whatever the build has of the data must be found from the installed folder.
    text = game.text()
    missing = set(re.findall(MISSING_TEXTURE, text))
    for rel in data_files(game_dir):
        if rel in missing:
            fail("%s did not find the installed %s; output:\n%s" % (launcher, rel, text))
    print("ok: %s from %s runs %s in %s, Escape -> 1" % (launcher, elsewhere, program, data))


def check_install(build_dir, game_dir, work):
    first = os.path.join(work, "first")
    run(["cmake", "--install", build_dir, "--prefix", first])
    moved = os.path.join(work, "moved prefix")
    os.rename(first, moved)
    editions = built_editions(game_dir)
    check_tree(moved, game_dir, editions)
    elsewhere = os.path.join(work, "elsewhere")
    os.mkdir(elsewhere)
    for program in editions:
        check_launch(moved, game_dir, program, elsewhere)


def check_package(build_dir, game_dir, work):
    out = os.path.join(work, "pkg")
    run(["cpack", "-G", "DEB", "--config", os.path.join(build_dir, "CPackConfig.cmake"), "-B", out])
    debs = glob.glob(os.path.join(out, "*.deb"))
    if len(debs) != 1:
        fail("cpack made %r, not one .deb" % debs)
    deb = debs[0]
    editions = built_editions(game_dir)

    control = {}
    for line in run(["dpkg-deb", "-f", deb]).splitlines():
        if ":" in line and not line.startswith(" "):
            key, value = line.split(":", 1)
            control[key] = value.strip()
    arch = run(["dpkg", "--print-architecture"]).strip()
    expected = {"Package": "vortavia", "Section": "games", "Maintainer": "VORTAVIA 3D team",
                "Architecture": arch}
    for key, value in expected.items():
        if control.get(key) != value:
            fail("control field %s is %r, not %r" % (key, control.get(key), value))
    depends = control.get("Depends", "")
    for lib in ("libc6", "libglut", "libgl"):
        if lib not in depends:
            fail("Depends lacks %s: %r" % (lib, depends))
    description = run(["dpkg-deb", "-f", deb, "Description"]).rstrip("\n").split("\n")
    if len(description) < 2 or not description[0].strip():
        fail("no summary and long description: %r" % description)
    for line in description[1:]:
        if not line.startswith(" ") or line.startswith("  "):
            fail("description line not indented by one space: %r" % line)

    listing = {}
    for line in run(["dpkg-deb", "-c", deb]).splitlines():
        parts = line.split(None, 5)
        listing[parts[5].split(" -> ")[0]] = (parts[0], parts[1])
    wanted = ["./usr/%s/%s" % (DATA_DIR, rel) for rel in data_files(game_dir)]
    wanted += ["./usr/" + MAN_PAGE, "./usr/" + ICON, "./usr/%s/" % DATA_DIR]
    for program in editions:
        launcher = EDITIONS[program][0]
        wanted += ["./usr/%s/%s" % (GAMES_DIR, launcher), "./usr/%s/%s" % (PROGRAM_DIR, program),
                   "./usr/share/applications/%s.desktop" % launcher]
    for path in wanted:
        if path not in listing:
            fail("package lacks %s; it holds:\n%s" % (path, "\n".join(sorted(listing))))
    for path, (mode, owner) in listing.items():
        if owner != "root/root":
            fail("%s is owned by %s in the package" % (path, owner))
        if mode[0] == "-" and path.startswith(("./usr/%s/" % GAMES_DIR, "./usr/%s/" % PROGRAM_DIR)):
            if mode != "-rwxr-xr-x":
                fail("%s has mode %s" % (path, mode))
        elif mode[0] == "-" and mode != "-rw-r--r--":
            fail("%s has mode %s" % (path, mode))

    root = os.path.join(work, "unpacked")
    run(["dpkg-deb", "-x", deb, root])
    usr = os.path.join(root, "usr")
    check_tree(usr, game_dir, editions)
    elsewhere = os.path.join(work, "elsewhere")
    os.mkdir(elsewhere)
    for program in editions:
        check_launch(usr, game_dir, program, elsewhere)
    print("ok: %s: %s, %d files" % (os.path.basename(deb), depends, len(listing)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--package", action="store_true", help="build and check the .deb")
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.game_dir, "vortavia")):
        fail("no vortavia in " + args.game_dir)
    with tempfile.TemporaryDirectory(prefix="vortavia-install-") as work:
        if args.package:
            check_package(args.build_dir, args.game_dir, work)
        else:
            check_install(args.build_dir, args.game_dir, work)


if __name__ == "__main__":
    main()
