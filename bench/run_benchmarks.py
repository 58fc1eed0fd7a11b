#!/usr/bin/env python3
"""run_benchmarks.py -- measures the game from outside and prints one table (Markdown).

Usage: bench/run_benchmarks.py [--build build] [--seconds 10] [--timedemo-only | --paced-only]

- Frame rate of the real `vortavia` in the 400x400 window and full screen on
  a 1024x768 Xvfb, counted by an LD_PRELOAD probe on glXSwapBuffers, against
  an empty clear-and-swap GLUT loop on the same server in the same run, and
  against the same flight's GL calls recorded with apitrace and replayed by
  glretrace: what that GL work costs in the driver alone.
- Paced play: the frame rate, the 99th percentile of the interval between
  frames and the CPU time a second (all threads) in the 400x400 window at
  --fps=60, --fps=30 and without --fps, by the same probe. `--paced-only`
  measures these rows alone.
- Frame rate of timedemo runs (`--timedemo`) of one scripted flight, the
  demos tools/demogen writes at build time, in the 400x400 window and full
  screen: the median and the spread of 5 runs each, as the game itself
  reports them; the window's flight also in the web page (`?timedemo=`, in
  headless Chromium with SwiftShader), where tools/build-web.sh has built
  it (`--web`). `--timedemo-only` measures these rows alone.
- Start-up to the first frame with the console skipped, and peak resident
  memory.
- The share of the frame's instructions spent in the game's own code, from
  callgrind over a steady flight.
- The per-frame CPU work outside GL, from the Google Benchmark programs.
- Clone to first question: a fresh clone of this checkout, built and started
  by the README's play command (packages already present), until the first
  console question shows.
"""
import argparse
import os
import platform
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from gamerun import Game  # noqa: E402

TIMEDEMO = re.compile(r"^timedemo: (\d+) frames in ([\d.]+) s, ([\d.]+) fps$", re.M)


def start_xvfb(width, height):
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                               "%dx%dx24" % (width, height), "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = os.read(read_fd, 16).decode().strip()
    os.close(read_fd)
    os.environ["DISPLAY"] = ":" + number
    return server


def probe_run(argv, cwd, answers, seconds, probe, keys=(), exit_after_first=False):
    """Runs one program with the swap probe and returns its report as a dict."""
    out = tempfile.mktemp(prefix="swaps-")
    env = {"LD_PRELOAD": probe, "SWAP_COUNTER_OUT": out}
    if exit_after_first:
        env["SWAP_COUNTER_EXIT_AFTER_FIRST"] = "1"
    game = Game(argv, cwd=cwd, env=env, use_pty=False)
    game.send(answers)
    game.close_input()
    if exit_after_first:
        game.wait_exit(60)
    else:
        game.find_window(60)
        for key in keys:
            game.key_down(key)
        time.sleep(seconds)
        for key in keys:
            game.key_up(key)
        game.key("Escape")
        game.wait_exit(60)
    with open(out) as f:
        line = f.read().strip().splitlines()[-1]
    os.unlink(out)
    return {k: float(v) for k, v in (field.split("=") for field in line.split())}


def fps(report):
    return (report["frames"] - 1) * 1000.0 / report["span_ms"] if report["span_ms"] > 0 else 0.0


def replay_fps(game_dir, answers, seconds):
    """The same GL work without the game: a flight recorded with apitrace,
    replayed as fast as the driver goes (glretrace --benchmark)."""
    trace = tempfile.mktemp(prefix="flight-", suffix=".trace")
    game = Game(["apitrace", "trace", "--output", trace, "./vortavia"], cwd=game_dir, use_pty=False)
    game.send(answers)
    game.close_input()
    game.find_window(60)
    game.key_down("Right")
    time.sleep(seconds)
    game.key_up("Right")
    game.key("Escape")
    game.wait_exit(60)
    out = subprocess.run(["glretrace", "--benchmark", trace], capture_output=True, text=True)
    os.unlink(trace)
    m = re.search(r"average of ([\d.]+) fps", out.stdout + out.stderr)
    return float(m.group(1)) if m else 0.0


def frame_rates(build, game_dir, probe, seconds):
    rows = []
    empty = os.path.join(build, "bench", "empty_loop")
    cases = [("400x400 window", b"x", []), ("full screen 1024x768", b"a112", ["--full-screen"])]
    for label, answers, empty_args in cases:
        game = probe_run(["./vortavia"], game_dir, answers, seconds, probe, keys=("Right",))
        base = probe_run([empty] + empty_args, game_dir, b"", seconds, probe)
        same = replay_fps(game_dir, answers, seconds)
        rows.append((label, fps(game), fps(base), same, game["peak_rss_kb"]))
    return rows


def paced_rates(game_dir, probe, seconds):
    """(label, report) for a steady turn in the window at each pace."""
    rows = []
    for label, args in (("--fps=60", ["--fps=60"]), ("--fps=30", ["--fps=30"]), ("no --fps", [])):
        rows.append((label, probe_run(["./vortavia"] + args, game_dir, b"x", seconds, probe, keys=("Right",))))
    return rows


def paced_lines(rows):
    return ["| paced play, 400x400 window, %s | %.1f fps; 99th percentile frame interval %.1f ms; "
            "CPU %.0f ms a second | - |" % (label, fps(r), r["p99_interval_ms"],
                                             1000.0 * r["cpu_ms"] / r["span_ms"] if r["span_ms"] > 0 else 0)
            for label, r in rows]


def page_timedemo_rates(build, web_dir, runs):
    """The window's flight flown `runs` times in the web page: (label, frames, [fps, ...])."""
    from browser import Browser, serve_folder
    rates, frames = [], 0
    with tempfile.TemporaryDirectory() as work:
        demo = os.path.join(build, "tools", "demogen", "window.demo")
        with Browser(serve_folder(web_dir, work, [demo])) as page:
            for _ in range(runs):
                page.open("index.html?timedemo=window.demo")
                line = page.wait_line(TIMEDEMO.pattern[1:-1], 600)
                m = TIMEDEMO.match(page.logged()[line])
                frames = int(m.group(1))
                rates.append(float(m.group(3)))
    return ("400x400 canvas of the web page, headless Chromium (SwiftShader)", frames, rates)


def timedemo_rates(build, game_dir, web_dir, runs=5):
    """Each scripted flight flown `runs` times: (label, frames, [fps, ...])."""
    rows = []
    demos = os.path.join(build, "tools", "demogen")
    for label, name in (("400x400 window", "window.demo"), ("full screen 1024x768", "fullscreen.demo")):
        rates, frames = [], 0
        for _ in range(runs):
            game = Game(["./vortavia", "--timedemo=" + os.path.join(demos, name)], cwd=game_dir,
                        use_pty=False)
            game.close_input()
            status = game.wait_exit(300)
            m = TIMEDEMO.search(game.text())
            if status != 0 or not m:
                raise SystemExit("timedemo %s: status %s\n%s" % (name, status, game.text()[-2000:]))
            frames = int(m.group(1))
            rates.append(float(m.group(3)))
        rows.append((label, frames, rates))
    if os.path.exists(os.path.join(web_dir, "index.html")):
        rows.insert(1, page_timedemo_rates(build, web_dir, runs))
    return rows


def timedemo_lines(rows):
    lines = []
    for label, frames, rates in rows:
        median = statistics.median(rates)
        low, high = min(rates), max(rates)
        lines.append("| timedemo frame rate, %s, %d scripted frames | %.1f fps (median of %d; spread %.1f to %.1f, "
                     "%.1f %% of the median) | - |" % (label, frames, median, len(rates), low, high,
                                                        100.0 * (high - low) / median if median else 0))
    return lines


def start_up(game_dir, probe, runs=5):
    times = [probe_run(["./vortavia"], game_dir, b"x", 0, probe, exit_after_first=True)["first_frame_ms"]
             for _ in range(runs)]
    return statistics.median(times)


def clone_to_first_question():
    """Seconds from a fresh clone to the first console question, by the play command."""
    root = os.path.abspath(os.path.join(HERE, ".."))
    with tempfile.TemporaryDirectory(prefix="vortavia-clone-") as work:
        clone = os.path.join(work, "vortavia")
        started = time.time()
        subprocess.run(["git", "clone", "--quiet", root, clone], check=True)
        play = ("./tools/setup-debian.sh && cmake -S . -B build >/dev/null && "
                "cmake --build build -j2 >/dev/null && cd build/game && exec ./vortavia")
        game = Game(["sh", "-c", play], cwd=clone)
        try:
            game.wait_for("Any other key to use the config utility. ", timeout=600)
            return time.time() - started
        finally:
            game.kill()


def own_share(game_dir, seconds):
    """Instructions in the game's own binary over all, from callgrind, over a steady flight."""
    out = tempfile.mktemp(prefix="callgrind-")
    argv = ["valgrind", "--tool=callgrind", "--instr-atstart=no", "--callgrind-out-file=" + out,
            "./vortavia"]
    # One rasteriser thread keeps valgrind's serialised run short.
    game = Game(argv, cwd=game_dir, env={"LP_NUM_THREADS": "0"}, use_pty=False)
    game.send(b"x")
    game.close_input()
    game.find_window(300)
    for key in ("Up", "Right"):
        game.key_down(key)
    time.sleep(2)  # set-up done and the jet under way before counting starts
    subprocess.run(["callgrind_control", "--instr=on", str(game.proc.pid)], check=True,
                   stdout=subprocess.DEVNULL)
    time.sleep(seconds)
    game.key("Escape")
    game.wait_exit(300)
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=no", "--threshold=100", out],
                               capture_output=True, text=True, check=True).stdout
    os.unlink(out)
    total, own = 0, 0
    for line in annotated.splitlines():
        m = re.match(r"\s*([\d,]+)\s+\(\s*[\d.]+%\)\s+(.*)\[(.*)\]\s*$", line)
        if not m:
            t = re.match(r"\s*([\d,]+)\s+\(100.0%\)\s+PROGRAM TOTALS", line)
            if t:
                total = int(t.group(1).replace(",", ""))
            continue
        if os.path.basename(m.group(3)) == "vortavia":
            own += int(m.group(1).replace(",", ""))
    return own, total


def google_benchmarks(build):
    rows = []
    bench_dir = os.path.join(build, "bench")
    for name in sorted(os.listdir(bench_dir)):
        path = os.path.join(bench_dir, name)
        if not name.startswith("bench_") or not os.access(path, os.X_OK) or os.path.isdir(path):
            continue
        out = subprocess.run([path, "--benchmark_format=csv"], capture_output=True, text=True).stdout
        for line in out.splitlines():
            if line.startswith('"') and not line.startswith('"name"'):
                cols = line.split(",")
                rows.append((cols[0].strip('"'), float(cols[3]), cols[4]))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--callgrind-seconds", type=float, default=20.0)
    parser.add_argument("--timedemo-only", action="store_true", help="measure the timedemo rows alone")
    parser.add_argument("--paced-only", action="store_true", help="measure the paced play rows alone")
    parser.add_argument("--web", default=os.path.join(HERE, "..", "build-web", "web"),
                        help="the built web page, for its timedemo row")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    game_dir = os.path.join(build, "game")
    probe = os.path.join(build, "bench", "libswap_counter.so")
    subprocess.run(["cmake", "-S", os.path.join(HERE, ".."), "-B", build, "-DVORTAVIA_BENCH=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j2"], check=True, stdout=subprocess.DEVNULL)

    server = start_xvfb(1024, 768)
    if args.timedemo_only or args.paced_only:
        try:
            lines = (timedemo_lines(timedemo_rates(build, game_dir, args.web)) if args.timedemo_only
                     else paced_lines(paced_rates(game_dir, probe, args.seconds)))
        finally:
            server.terminate()
        print("| Measure | Value | Target |")
        print("|---|---|---|")
        print("\n".join(lines))
        return
    try:
        rates = frame_rates(build, game_dir, probe, args.seconds)
        paced = paced_rates(game_dir, probe, args.seconds)
        demos = timedemo_rates(build, game_dir, args.web)
        first = start_up(game_dir, probe)
        own, total = own_share(game_dir, args.callgrind_seconds)
        clone = clone_to_first_question()
    finally:
        server.terminate()
    cpu = google_benchmarks(build)

    cpu_name = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu_name = line.split(":", 1)[1].strip()
                break
    print("Measured %s on %s, %d cores, %s, Mesa llvmpipe under Xvfb.\n"
          % (time.strftime("%Y-%m-%d"), cpu_name, os.cpu_count(), platform.platform()))
    print("| Measure | Value | Target |")
    print("|---|---|---|")
    for label, game_fps, base_fps, same_fps, rss in rates:
        print("| frame rate, %s | %.1f fps (empty GLUT loop %.1f fps, ratio %.3f) | - |"
              % (label, game_fps, base_fps, game_fps / base_fps if base_fps else 0))
        print("| frame rate, %s, against the same GL calls replayed | %.1f fps (replay %.1f fps, ratio %.3f) "
              "| ratio >= 0.9 |" % (label, game_fps, same_fps, game_fps / same_fps if same_fps else 0))
    print("\n".join(paced_lines(paced)))
    print("\n".join(timedemo_lines(demos)))
    print("| start-up to first frame, console skipped | %.0f ms (median of 5) | <= 150 ms |" % first)
    print("| clone to first question, play command, packages present | %.0f s | <= 45 s |" % clone)
    print("| peak resident memory, 400x400 window | %.0f MiB | - |" % (rates[0][4] / 1024))
    print("| game's own code, share of instructions in a steady flight | %.3f %% (%d of %d) | <= 2 %% |"
          % (100.0 * own / total if total else 0, own, total))
    for name, t, unit in cpu:
        print("| CPU per frame: %s | %.1f %s | - |" % (name, t, unit))


if __name__ == "__main__":
    main()
