"""test_install.py -- the installed game: cmake --install into a scratch prefix, or the two Debian packages.

Without --package: installs the build tree into a temporary prefix, moves the
prefix elsewhere (the launchers must find their folders from their own
place), checks the layout, the manual page, the menu entries, the icons, the
metainfo and the licence, then starts each installed launcher from an
unrelated working directory under the X server in $DISPLAY and quits it with
Escape.

With --package: builds a tree of its own as Debian builds packages (its
hardening flags), makes vortavia and vortavia-data with cpack, checks their
control fields and contents, lintian, hardening-check, appstreamcli and
desktop-file-validate, then (as root) installs both with apt, starts the
installed launchers the same way, removes both and checks that nothing of
them is left.
"""
import argparse
import glob
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

from gamerun import TRACE, Game, fail, game_args
from texts import COMPLETE

GAMES_DIR = "games"
PROGRAM_DIR = "lib/games/vortavia"
DATA_DIR = "share/games/vortavia"
MAN_PAGE = "share/man/man6/vortavia.6.gz"
ICON = "share/pixmaps/vortavia.xpm"
ICON_SIZES = (16, 32, 48, 64, 128, 256)
PNG_ICONS = ["share/icons/hicolor/%dx%d/apps/vortavia.png" % (n, n) for n in ICON_SIZES]
SVG_ICON = "share/icons/hicolor/scalable/apps/vortavia.svg"
METAINFO = "share/metainfo/org.example.vortavia.metainfo.xml"
COPYRIGHT = "share/doc/vortavia/copyright"
# Files only a Debian package has, each in its own package's folders.
DEBIAN_ONLY = {"vortavia": ["share/doc/vortavia/changelog.Debian.gz", "share/lintian/overrides/vortavia"],
               "vortavia-data": ["share/doc/vortavia-data/copyright", "share/doc/vortavia-data/changelog.Debian.gz",
                                 "share/lintian/overrides/vortavia-data"]}
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


def check_copyright(path, licence):
    """A machine-readable copyright file whose licence text is the LICENSE file's."""
    paragraphs = [p.split("\n") for p in open(path).read().strip().split("\n\n")]
    if not paragraphs[0][0].startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0"):
        fail("%s does not start with the Format line: %r" % (path, paragraphs[0][0]))
    text = open(licence).read().strip().split("\n")
    holder = [line for line in text if line.startswith("Copyright (c) ")]
    if not holder:
        fail("LICENSE names no copyright holder")
    permission = "\n".join(text[text.index(holder[0]) + 1:]).strip()
    files = [p for p in paragraphs if p[0].startswith("Files:")]
    if not files or any("Copyright: " + holder[0][len("Copyright (c) "):] not in p for p in files):
        fail("%s: Files paragraphs %r do not name LICENSE's %r" % (path, files, holder[0]))
    standalone = [p for p in paragraphs if p[0] == "License: Expat"]
    if len(standalone) != 1:
        fail("%s has %d standalone Expat licence paragraphs" % (path, len(standalone)))
    body = "\n".join("" if line == " ." else line[1:] for line in standalone[0][1:])
    if body != permission:
        fail("the licence text in %s is not LICENSE's:\n%s" % (path, body))


def check_metainfo(root, editions, strict):
    """AppStream metainfo that validates and names the menu entries and launchers that are there."""
    path = os.path.join(root, METAINFO)
    if shutil.which("appstreamcli") or strict:
        run(["appstreamcli", "validate", "--no-net", "--explain", path])
    component = ElementTree.parse(path).getroot()
    launchables = sorted(e.text for e in component.iter("launchable"))
    binaries = sorted(e.text for e in component.iter("binary"))
    launchers = [EDITIONS[p][0] for p in editions]
    if launchables != sorted(l + ".desktop" for l in launchers) or binaries != sorted(launchers):
        fail("metainfo launches %r and provides %r, not the launchers %r" % (launchables, binaries, launchers))
    if component.find("content_rating") is None or component.find("screenshots/screenshot/image") is None:
        fail("metainfo lacks a content rating or a screenshot")


def check_tree(root, game_dir, editions, licence, prefix, strict=False):
    """The installed files under root: programs, launchers, data, page, entries, icons, metainfo, licence.

    strict: every validator must be there, as they are where packages are built."""
    for program in editions:
        launcher = EDITIONS[program][0]
        for path in (os.path.join(root, GAMES_DIR, launcher), os.path.join(root, PROGRAM_DIR, program)):
            if not os.path.isfile(path) or not os.access(path, os.X_OK):
                fail("%s is missing or not executable" % path)
        entry = os.path.join(root, "share/applications", launcher + ".desktop")
        if not os.path.isfile(entry):
            fail("no menu entry " + entry)
        pairs = [line.split("=", 1) for line in open(entry).read().splitlines()
                 if "=" in line and not line.startswith("#")]
        fields = dict(pairs)
        # Started from a menu with no terminal: the launcher by its full path,
        # every question answered, and an action for each display.
        path = os.path.join(prefix, GAMES_DIR, launcher)
        answers = "--skip-config --fps=60" + (" --device=0" if program == "vortavia_sound" else "")
        execs = [value for key, value in pairs if key == "Exec"]
        wanted = ['"%s" %s%s' % (path, answers, display)
                  for display in ("", " --display=fullscreen", " --display=window")]
        if execs != wanted or fields.get("TryExec") != path or fields.get("Terminal") != "false" \
                or fields.get("Actions") != "fullscreen;window;":
            fail("%s: Exec %r, TryExec %r, Terminal %r, Actions %r; wanted Exec %r"
                 % (entry, execs, fields.get("TryExec"), fields.get("Terminal"), fields.get("Actions"),
                    wanted))
        if "Game" not in fields.get("Categories", "").split(";"):
            fail("%s is not in the Game menu" % entry)
        if shutil.which("desktop-file-validate") or strict:
            run(["desktop-file-validate", entry])
    data = os.path.join(root, DATA_DIR)
    if not os.path.isdir(data):
        fail("no data folder " + data)
    for rel in data_files(game_dir):
        if not os.path.isfile(os.path.join(data, rel)):
            fail("data file %s was not installed" % rel)
        if not same_bytes(os.path.join(game_dir, rel), os.path.join(data, rel)):
            fail("installed %s differs from the built one" % rel)
    for rel in [MAN_PAGE, ICON, SVG_ICON, METAINFO, COPYRIGHT] + PNG_ICONS:
        if not os.path.isfile(os.path.join(root, rel)):
            fail(os.path.join(root, rel) + " is missing")
    for size, rel in zip(ICON_SIZES, PNG_ICONS):
        head = open(os.path.join(root, rel), "rb").read(24)
        if head[:8] != b"\x89PNG\r\n\x1a\n" or head[16:24] != struct.pack(">II", size, size):
            fail("%s is not a %d pixel PNG" % (rel, size))
    if b"<svg" not in open(os.path.join(root, SVG_ICON), "rb").read(400):
        fail(SVG_ICON + " is not an SVG")
    check_metainfo(root, editions, strict)
    check_copyright(os.path.join(root, COPYRIGHT), licence)
    page = gzip.open(os.path.join(root, MAN_PAGE)).read().decode()
    for needed in (".TH VORTAVIA 6", "vortavia\\-sound", "Escape", "arrx.txt", "large/", "Sky Mode"):
        if needed not in page:
            fail("manual page lacks %r" % needed)
    if shutil.which("groff"):
        res = subprocess.run(["groff", "-man", "-ww", "-z"], input=page, capture_output=True, text=True)
        if res.returncode != 0 or res.stderr:
            fail("manual page has troff warnings:\n" + res.stderr)


def check_launch(root, game_dir, program, elsewhere):
    """Starts the installed launcher away from the data, quits with Escape: status 1.
    The flight is recorded under a name relative to where the launcher was
    started, and the demo flown again from there."""
    launcher, answers = EDITIONS[program]
    data = os.path.realpath(os.path.join(root, DATA_DIR))
    demo = "flight-%s.demo" % launcher
    with Game([os.path.join(root, GAMES_DIR, launcher), "--record=" + demo], cwd=elsewhere,
              feed=answers) as game:
        game.find_window(timeout=60.0)
        game.wait_for(COMPLETE, timeout=60.0)
        pid = game.proc.pid
        cwd = os.readlink("/proc/%d/cwd" % pid)
        if cwd != data:
            fail("%s runs in %s, not in its data folder %s" % (launcher, cwd, data))
        exe = os.readlink("/proc/%d/exe" % pid)
        if exe != os.path.realpath(os.path.join(root, PROGRAM_DIR, program)):
            fail("%s started %s, not the installed program" % (launcher, exe))
        game.escape(timeout=30.0, what=launcher)
    # Whatever the build has of the data must be found from the installed folder.
    text = game.text()
    missing = set(re.findall(MISSING_TEXTURE, text))
    for rel in data_files(game_dir):
        if rel in missing:
            fail("%s did not find the installed %s; output:\n%s" % (launcher, rel, text))
    if not os.path.isfile(os.path.join(elsewhere, demo)):
        fail("%s --record=%s wrote nothing in %s" % (launcher, demo, elsewhere))
    trace = "flight-%s.trace" % launcher  # as relative to the caller as the demo
    with Game([os.path.join(root, GAMES_DIR, launcher), "--timedemo=" + demo], cwd=elsewhere,
              env={TRACE: trace}, feed=b"") as replay:
        status = replay.wait_exit(60.0)
    if status != 0 or "timedemo: " not in replay.text():
        fail("%s --timedemo=%s: status %s; output:\n%s" % (launcher, demo, status, replay.text()[-2000:]))
    if not os.path.isfile(os.path.join(elsewhere, trace)):
        fail("%s with VORTAVIA_STATE_TRACE=%s wrote no trace in %s" % (launcher, trace, elsewhere))
    os.unlink(os.path.join(elsewhere, demo))
    os.unlink(os.path.join(elsewhere, trace))
    print("ok: %s from %s runs %s in %s, Escape -> 1; its demo, beside the caller, plays, traced there"
          % (launcher, elsewhere, program, data))


def check_launches(root, game_dir, editions, work):
    elsewhere = os.path.join(work, "elsewhere")
    os.mkdir(elsewhere)
    for program in editions:
        check_launch(root, game_dir, program, elsewhere)


def check_install(build_dir, game_dir, licence, work):
    first = os.path.join(work, "first")
    run(["cmake", "--install", build_dir, "--prefix", first])
    moved = os.path.join(work, "moved prefix")
    os.rename(first, moved)
    editions = built_editions(game_dir)
    check_tree(moved, game_dir, editions, licence, first)
    for rel in sum(DEBIAN_ONLY.values(), []):
        if os.path.exists(os.path.join(moved, rel)):
            fail("the plain install has the Debian package's %s" % rel)
    check_launches(moved, game_dir, editions, work)


# ---- the Debian packages ---------------------------------------------------------
PACKAGES = ("vortavia", "vortavia-data")
CONTACT = re.compile(r"^[^<>@]*\S [^<>@]*<[^<>@\s]+@[^<>@\s]+\.[a-z]+>$")
# Debian 12's C start files (Scrt1.o, crti.o, libc_nonshared.a) carry no
# IBT/SHSTK property, so the linker gives no program built there control-flow
# protection (Debian's own /usr/bin/ls fails that check as well); every
# other check must pass.
HARDENING_CHECK = ["hardening-check", "--nocfprotection"]


def build_package_tree(source_dir, tree):
    """A build tree of the package's own, flags as Debian builds (CMAKE_BUILD_TYPE None, as debhelper)."""
    run(["cmake", "-S", source_dir, "-B", tree, "-DCMAKE_BUILD_TYPE=None", "-DBUILD_TESTING=OFF",
         "-DVORTAVIA_BENCH=OFF", "-DVORTAVIA_DEB_BUILDFLAGS=ON"])
    run(["cmake", "--build", tree, "-j", str(os.cpu_count() or 2)])
    cache = open(os.path.join(tree, "CMakeCache.txt")).read()
    return re.search(r"^VORTAVIA_MAINTAINER:STRING=(.*)$", cache, re.M).group(1)


def control_fields(deb):
    fields = {}
    for line in run(["dpkg-deb", "-f", deb]).splitlines():
        if ":" in line and not line.startswith(" "):
            key, value = line.split(":", 1)
            fields[key] = value.strip()
    description = run(["dpkg-deb", "-f", deb, "Description"]).rstrip("\n").split("\n")
    if len(description) < 2 or not description[0].strip():
        fail("%s: no summary and long description: %r" % (deb, description))
    for line in description[1:]:
        if not line.startswith(" ") or line.startswith("  "):
            fail("%s: description line not indented by one space: %r" % (deb, line))
    return fields


def package_listing(deb):
    """path -> (mode, owner) of everything in the package, paths as ./usr/..."""
    listing = {}
    for line in run(["dpkg-deb", "-c", deb]).splitlines():
        parts = line.split(None, 5)
        listing[parts[5].split(" -> ")[0]] = (parts[0], parts[1])
    for path, (mode, owner) in listing.items():
        if owner != "root/root":
            fail("%s is owned by %s in %s" % (path, owner, deb))
        if mode[0] == "-" and path.startswith(("./usr/%s/" % GAMES_DIR, "./usr/%s/" % PROGRAM_DIR)):
            if mode != "-rwxr-xr-x":
                fail("%s has mode %s" % (path, mode))
        elif mode[0] == "-" and mode != "-rw-r--r--":
            fail("%s has mode %s" % (path, mode))
    return listing


def check_debs(debs, game_dir, maintainer):
    """Control fields and which files each package holds; returns their listings."""
    arch = run(["dpkg", "--print-architecture"]).strip()
    fields = {name: control_fields(debs[name]) for name in PACKAGES}
    if not CONTACT.match(maintainer):
        fail("VORTAVIA_MAINTAINER %r is not a name and an e-mail address" % maintainer)
    version = fields["vortavia"].get("Version", "")
    for name, arch_wanted in (("vortavia", arch), ("vortavia-data", "all")):
        expected = {"Package": name, "Source": "vortavia", "Section": "games", "Maintainer": maintainer,
                    "Architecture": arch_wanted, "Version": version}
        for key, value in expected.items():
            if fields[name].get(key) != value:
                fail("%s: control field %s is %r, not %r" % (name, key, fields[name].get(key), value))
    depends = [d.strip() for d in fields["vortavia"].get("Depends", "").split(",")]
    if "vortavia-data (= %s)" % version not in depends:
        fail("vortavia does not depend on vortavia-data (= %s): %r" % (version, depends))
    for lib in ("libc6", "libglut", "libgl"):
        if not any(d.startswith(lib) for d in depends):
            fail("Depends lacks %s: %r" % (lib, depends))
    if fields["vortavia-data"].get("Depends"):
        fail("vortavia-data depends on %r" % fields["vortavia-data"]["Depends"])

    listings = {name: package_listing(debs[name]) for name in PACKAGES}
    data = ["./usr/%s/%s" % (DATA_DIR, rel) for rel in data_files(game_dir)]
    wanted = {"vortavia-data": data + ["./usr/" + rel for rel in DEBIAN_ONLY["vortavia-data"]],
              "vortavia": ["./usr/" + rel for rel in [MAN_PAGE, ICON, SVG_ICON, METAINFO, COPYRIGHT] + PNG_ICONS
                           + DEBIAN_ONLY["vortavia"]]}
    for program in built_editions(game_dir):
        launcher = EDITIONS[program][0]
        wanted["vortavia"] += ["./usr/%s/%s" % (GAMES_DIR, launcher), "./usr/%s/%s" % (PROGRAM_DIR, program),
                               "./usr/share/applications/%s.desktop" % launcher]
    for name in PACKAGES:
        for path in wanted[name]:
            if path not in listings[name]:
                fail("%s lacks %s; it holds:\n%s" % (name, path, "\n".join(sorted(listings[name]))))
    files = {name: {p for p, (mode, _) in listings[name].items() if mode[0] != "d"} for name in PACKAGES}
    stray = sorted(p for p in files["vortavia"] if p.startswith("./usr/%s/" % DATA_DIR)) + \
        sorted(files["vortavia"] & files["vortavia-data"])
    if stray:
        fail("data files in vortavia, or files in both packages: %r" % stray)
    print("ok: %s, %s (Depends: %s)" % (os.path.basename(debs["vortavia"]), os.path.basename(debs["vortavia-data"]),
                                        ", ".join(depends)))
    return listings


def check_changelogs(usr, version, maintainer):
    """Each package's changelog: the package's version and maintainer, gzip'd with no name or time in it."""
    for name in PACKAGES:
        path = os.path.join(usr, "share/doc", name, "changelog.Debian.gz")
        head = open(path, "rb").read(8)
        if head[3] & 0x08 or head[4:8] != b"\0\0\0\0":
            fail("%s keeps a file name or a time stamp (not gzip -n)" % path)
        text = gzip.open(path).read().decode()
        if not text.startswith("vortavia (%s) " % version) or "\n -- %s  " % maintainer not in text:
            fail("%s is not for vortavia %s by %s:\n%s" % (path, version, maintainer, text))


def check_programs(usr, game_dir):
    """Debian's hardening in both programs, stripped as dh_strip strips."""
    programs = [os.path.join(usr, PROGRAM_DIR, p) for p in built_editions(game_dir)]
    res = subprocess.run(HARDENING_CHECK + programs, capture_output=True, text=True)
    print(res.stdout, end="")
    if res.returncode != 0:
        fail("hardening-check failed (%d):\n%s%s" % (res.returncode, res.stdout, res.stderr))
    for program in programs:
        sections = re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", run(["readelf", "-S", "-W", program]), re.M)
        unwanted = [name for name in sections if name in (".comment", ".symtab", ".note") or name.startswith(".debug")]
        if unwanted:
            fail("%s is not stripped of %r" % (program, unwanted))


def installed(name):
    res = subprocess.run(["dpkg-query", "-W", "-f=${Status}", name], capture_output=True, text=True)
    return res.returncode == 0 and res.stdout.endswith(" installed")


def apt_get(*argv):
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    # Someone else's apt may hold the lock for a while; wait for it.
    return run(["apt-get", "-y", "-o", "DPkg::Lock::Timeout=300"] + list(argv), env=env)


def check_removed(listings):
    """After the purge: the packages unknown to dpkg, their files gone, their folders gone unless another package has them."""
    for name in PACKAGES:
        if installed(name):
            fail("%s is still installed" % name)
    paths = sorted({p[1:].rstrip("/") for listing in listings.values() for p in listing if p != "./"})
    left = [p for p in paths if os.path.lexists(p)]
    files = [p for p in left if not os.path.isdir(p) or os.path.islink(p)]
    if files:
        fail("files left after removal: %r" % files)
    if left:
        owned = set()
        res = subprocess.run(["dpkg-query", "-S"] + left, capture_output=True, text=True)
        for line in res.stdout.splitlines():
            owners, path = line.split(": ", 1)
            if not set(o.strip() for o in owners.split(",")) & set(PACKAGES):
                owned.add(path)
        ours = [p for p in left if p not in owned]
        if ours:
            fail("folders left after removal that no other package has: %r" % ours)
    print("ok: removed, nothing left of %d paths" % len(paths))


def check_package(source_dir, build_dir, licence, work):
    started = time.time()
    tree = os.path.join(build_dir, "package-tree")
    maintainer = build_package_tree(source_dir, tree)
    game_dir = os.path.join(tree, "game")
    out = os.path.join(work, "pkg")
    run(["cpack", "-G", "DEB", "--config", os.path.join(tree, "CPackConfig.cmake"), "-B", out])
    found = sorted(glob.glob(os.path.join(out, "*.deb")))
    debs = {}
    for deb in found:
        debs[os.path.basename(deb).split("_")[0]] = deb
    if sorted(debs) != sorted(PACKAGES) or len(found) != 2:
        fail("cpack made %r, not vortavia and vortavia-data" % found)
    print("ok: built and packed in %.0f s" % (time.time() - started))
    listings = check_debs(debs, game_dir, maintainer)

    # Info tags are shown; errors and warnings fail (lintian counts a tag it is told to show
    # as overridden as one that fails, so the overrides stay hidden).
    res = subprocess.run(["lintian", "--display-info", "--fail-on", "error,warning"] +
                         [debs[n] for n in PACKAGES], capture_output=True, text=True)
    print("lintian:\n" + (res.stdout or "(no tags)\n"), end="")
    if res.returncode != 0:
        fail("lintian (%d):\n%s%s" % (res.returncode, res.stdout, res.stderr))

    unpacked = os.path.join(work, "unpacked")
    for name in PACKAGES:
        run(["dpkg-deb", "-x", debs[name], unpacked])
    usr = os.path.join(unpacked, "usr")
    check_changelogs(usr, control_fields(debs["vortavia"])["Version"], maintainer)
    check_programs(usr, game_dir)
    editions = built_editions(game_dir)
    check_tree(usr, game_dir, editions, licence, "/usr", strict=True)

    if os.geteuid() != 0:
        print("SKIP: installing with apt needs root; the packages themselves passed")
        sys.exit(77)
    for name in PACKAGES:
        if installed(name):
            fail("%s is installed already; remove it (apt-get purge %s) before this test" % (name, name))
    # apt reads local packages as its own unprivileged user.
    for path in (work, out) + tuple(debs.values()):
        os.chmod(path, 0o755 if os.path.isdir(path) else 0o644)
    try:
        apt_get("install", "--no-install-recommends", *[debs[n] for n in PACKAGES])
        for name in PACKAGES:
            if not installed(name):
                fail("%s is not installed after apt-get install" % name)
        check_tree("/usr", game_dir, editions, licence, "/usr", strict=True)
        check_launches("/usr", game_dir, editions, work)
    finally:
        if any(installed(n) for n in PACKAGES):
            apt_get("remove", "--purge", *PACKAGES)
    check_removed(listings)
    print("ok: e2e_package in %.0f s" % (time.time() - started))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--package", action="store_true", help="build and check the .deb files, install them with apt")
    args = game_args(parser, display=False)
    if not os.path.isfile(os.path.join(args.game_dir, "vortavia")):
        fail("no vortavia in " + args.game_dir)
    licence = os.path.join(args.source_dir, "LICENSE")
    with tempfile.TemporaryDirectory(prefix="vortavia-install-") as work:
        if args.package:
            check_package(args.source_dir, args.build_dir, licence, work)
        else:
            check_install(args.build_dir, args.game_dir, licence, work)


if __name__ == "__main__":
    main()
