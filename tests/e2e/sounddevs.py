"""sounddevs.py -- ALSA capture devices of type file for the sound edition's runs.

The devices play recordings written here; ALSA_CONFIG_PATH names their
configuration. The "burst" recording starts empty and grows as a run goes.
"""
import os

from gamerun import fail

RATE_BYTES = 22050 * 2
LOUD, SILENT = bytes([255]), bytes([128])
# More than plays while a run waits for its effects: the burst never runs dry.
LOUD_S = 120
STUCK_ID = 3  # after burst and silent; never shown, since it cannot open

CONFIG = """pcm.%(name)s {
    type file
    slave.pcm "null"
    file "/dev/null"
    infile "%(path)s"
    format "raw"
    hint { show on description "test recording" }
}
"""


def write_devices(work, stuck=False):
    """Writes the recordings and their ALSA configuration; returns its path
    and the burst recording's. No default device is defined, so device 0
    cannot be opened. With `stuck` a third device plays a FIFO that nobody
    writes to: ALSA's blocking open of it never returns."""
    text = "pcm.null { type null }\n"
    paths = {}
    for name in ("burst", "silent"):
        paths[name] = os.path.join(work, name + ".raw")
        text += CONFIG % {"name": name, "path": paths[name]}
    # Past its end a file device repeats the last block it read: silence for ever.
    with open(paths["silent"], "wb") as out:
        out.write(SILENT * RATE_BYTES * 2)
    if stuck:
        fifo = os.path.join(work, "nowriter.fifo")
        os.mkfifo(fifo)
        text += CONFIG % {"name": "stuck", "path": fifo}
    conf = os.path.join(work, "stuck.conf" if stuck else "asound.conf")
    with open(conf, "w") as out:
        out.write(text)
    return conf, paths["burst"]


def read_offset(pid, path):
    """Where the program reads path now, or None while it has path not open."""
    fds = "/proc/%d/fd" % pid
    for fd in os.listdir(fds):
        try:
            if os.readlink(os.path.join(fds, fd)) == path:
                with open("/proc/%d/fdinfo/%s" % (pid, fd)) as info:
                    return int(info.readline().split()[1])
        except OSError:
            continue
    return None


def play(burst, samples, game=None):
    """Makes the burst recording go on with samples. With game, from where
    the game reads it now: what was written ahead of that is dropped."""
    with open(burst, "r+b") as f:
        if game is not None:
            at = read_offset(game.proc.pid, burst)
            if at is None:
                fail("the game does not read the burst recording")
            f.truncate(at)
        f.seek(0, os.SEEK_END)
        f.write(samples)


def sound_env(conf):
    """The environment a sound edition run takes. Mesa's software rasterizer
    threads synchronise in ways ThreadSanitizer cannot follow (the driver is
    not instrumented); drawing on the main thread alone leaves the sanitizer
    build's reports to the capture thread."""
    return {"ALSA_CONFIG_PATH": conf, "LP_NUM_THREADS": "0"}


def loud_devices(work):
    """The devices with a burst that plays loud for the whole run; returns
    the environment that captures from them."""
    conf, burst = write_devices(work)
    with open(burst, "wb") as out:
        out.write(LOUD * RATE_BYTES * LOUD_S)
    return sound_env(conf)
