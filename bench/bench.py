#!/usr/bin/env python3
"""Runs the benchmarks and prints a table; the same figures go to a Markdown file.

  bench.py --build BUILD_DIR [--out docs/benchmarks.md] [--seconds 30]

1. step_bench (Google Benchmark): one fixed step at the largest stream ten played runs reach.
2. The real game under Xvfb for both renderers at 800x600 and 1024x768, windowed: the time from
   start to the first drawn frame and to the first title frame, then steps per second (the frame
   rate in the window caption: every step draws one frame) and CPU use over the measured time.
3. The media generator writing every file into an empty folder.
The machine's load is noted next to each figure: on a shared machine they move with it.
"""
import argparse
import json
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
SCREEN = (1280, 1024)  # room for a 1024x768 window and its frame
BACKGROUND_RUN = re.compile(rb"(?:[\x70-\x80][\xf8-\xff][\xf8-\xff][\x00-\xff]){64}")  # 255,255,120
ORANGE = re.compile(rb"[\x00-\x19][\x34-\x66][\xe6-\xff][\x00-\xff]")  # the texts' 255,77,0
FPS = re.compile(r"FPS:(-?\d+)")


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return "%s, %d cores" % (model, os.cpu_count())


def cpu_seconds(pid):
    """utime + stime of a process, in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


# -- one fixed step --------------------------------------------------------------------------------
def step_bench(build):
    start_load = load()
    # the engine writes its banner to standard output, so the figures go to a file of their own
    out = os.path.join(build, "step_bench.json")
    subprocess.run([os.path.join(build, "bench", "step_bench"), "--benchmark_out=" + out,
                    "--benchmark_out_format=json", "--benchmark_repetitions=5",
                    "--benchmark_report_aggregates_only=true"],
                   cwd=os.path.join(build, "game"), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    with open(out) as f:
        report = json.load(f)
    rows = []
    for b in report["benchmarks"]:
        if b.get("error_occurred"):
            raise SystemExit("step_bench %s: %s" % (b["name"], b.get("error_message")))
        if b.get("aggregate_name") not in ("median", "stddev"):
            continue
        rows.append(b)
    result = {}
    for b in rows:
        entry = result.setdefault(b["run_name"], {})
        entry[b["aggregate_name"]] = b
    return result, start_load, load()


# -- the game under Xvfb ---------------------------------------------------------------------------
def find_client(data, stride, width):
    """Top-left of the first run of background colour: the window's client area on a first frame."""
    m = BACKGROUND_RUN.search(data)
    if not m:
        return None
    offset = m.start() - m.start() % 4
    return (offset % stride) // 4, offset // stride


def prompt_seen(data, stride, left, top, width, height):
    """The title prompt: orange text spread across the band at the window's vertical centre."""
    xs = []
    for y in range(top + height // 2 - 14, top + height // 2 + 15):
        row = data[y * stride + left * 4:y * stride + (left + width) * 4]
        for m in ORANGE.finditer(row):
            if m.start() % 4 == 0:
                xs.append(m.start() // 4)
    return len(xs) >= 50 and max(xs) - min(xs) >= width // 5


def game_run(driver, width, height, seconds):
    import harness
    import xshot

    ini = "[screen]\ndriver=%s\nwidth=%d\nheight=%d\nbits=32\nfull=0\n" % (driver, width, height)
    result = {"driver": driver, "size": "%dx%d" % (width, height), "load_start": load()}
    with harness.Session(screen="%dx%dx24" % SCREEN) as s:
        wd = s.workdir(ini=ini)
        screen = xshot.Screen(s.display, *SCREEN)
        try:
            # start-up: poll the screen as fast as it can be grabbed
            started = time.monotonic()
            game = s.start("zarvik", wd)
            first = client = None
            last_poll = started
            gaps = []
            deadline = started + harness.WINDOW_TIMEOUT
            while True:
                now = time.monotonic()
                if now > deadline:
                    raise harness.TimeoutFailure("no title frame from %s" % driver)
                gaps.append(now - last_poll)
                last_poll = now
                data, stride = screen.grab()
                if client is None:
                    client = find_client(data, stride, width)
                    if client:
                        first = time.monotonic() - started
                if client and prompt_seen(data, stride, client[0], client[1], width, height):
                    result["first_frame"] = first
                    result["title_frame"] = time.monotonic() - started
                    break
            result["poll_gap"] = max(gaps[1:] or [0])
        finally:
            screen.close()

        wid = s.wait_window("^Zarvik - ")
        harness.wait_for(lambda: FPS.search(s.window_name(wid)), harness.LOG_TIMEOUT, "a frame rate")
        time.sleep(2.0)  # the rate in the caption covers the last second and a half
        rates = []
        game_cpu0, xvfb_cpu0 = cpu_seconds(game.pid), cpu_seconds(s.xvfb.pid)
        wall0 = time.monotonic()
        next_sample = wall0
        while time.monotonic() - wall0 < seconds:
            next_sample += 1.0
            m = FPS.search(s.window_name(wid))
            if m:
                rates.append(int(m.group(1)))
            time.sleep(max(0.0, next_sample - time.monotonic()))
        wall = time.monotonic() - wall0
        result["game_cpu"] = 100.0 * (cpu_seconds(game.pid) - game_cpu0) / wall
        result["xvfb_cpu"] = 100.0 * (cpu_seconds(s.xvfb.pid) - xvfb_cpu0) / wall
        result["rates"] = rates
        result["steps_mean"] = sum(rates) / len(rates) if rates else 0
        result["steps_min"] = min(rates, default=0)
        result["steps_max"] = max(rates, default=0)
        result["seconds"] = wall
        name = re.search(r"\[(.*)\]", s.window_name(wid))
        result["renderer"] = name.group(1) if name else driver
        s.key(wid, "Escape")
        game.wait()
    result["load_end"] = load()
    return result


# -- the media generator ---------------------------------------------------------------------------
def mediagen(build, repeats=3):
    binary = os.path.join(build, "tools", "mediagen", "mediagen")
    runs = []
    start_load = load()
    for _ in range(repeats):
        d = tempfile.mkdtemp(prefix="zarvik-mediagen-")
        try:
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            t0 = time.monotonic()
            subprocess.run([binary, os.path.join(d, "media")], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wall = time.monotonic() - t0
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
            files = len(os.listdir(os.path.join(d, "media")))
            runs.append((wall, cpu, files))
        finally:
            shutil.rmtree(d, ignore_errors=True)
    runs.sort()
    return runs, start_load, load()


# -- the soak test's figures -------------------------------------------------------------------------
def soak(build):
    """The hour of game time on the NULL device (tests/soak): its table, when the test is built."""
    binary = os.path.join(build, "tests", "soak", "soak_tests")
    if not os.path.exists(binary):
        return None
    start_load = load()
    r = subprocess.run([binary], cwd=os.path.join(build, "game"), stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, text=True)
    lines = r.stdout.splitlines()
    keep = [l for l in lines if re.match(r"^(first title|minutes|\s*\d+-\d+ |\(largest|\d+ s of game"
                                         r"|resident after)", l)]
    return {"passed": r.returncode == 0, "lines": keep, "load": (start_load, load())}


# -- the report ------------------------------------------------------------------------------------
def table(header, rows):
    widths = [max(len(str(c)) for c in col) for col in zip(header, *rows)]
    line = lambda cells: "| " + " | ".join(str(c).ljust(w) for c, w in zip(cells, widths)) + " |"
    return "\n".join([line(header), "|" + "|".join("-" * (w + 2) for w in widths) + "|"] +
                     [line(r) for r in rows])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--out")
    parser.add_argument("--seconds", type=float, default=30.0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    os.environ["ZARVIK_GAME_DIR"] = os.path.join(build, "game")
    import harness
    harness.GAME_DIR = os.environ["ZARVIK_GAME_DIR"]

    started = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())
    print("step benchmark ...", flush=True)
    steps, step_load0, step_load1 = step_bench(build)
    games = []
    for driver in ("opengl", "software"):
        for width, height in ((800, 600), (1024, 768)):
            print("game, %s %dx%d ..." % (driver, width, height), flush=True)
            games.append(game_run(driver, width, height, args.seconds))
    print("soak ...", flush=True)
    soaked = soak(build)
    print("media generator ...", flush=True)
    gen, gen_load0, gen_load1 = mediagen(build)

    doc = ["# Benchmarks", "",
           "Measured %s on %s, with `scripts/bench.sh` (release build). The machine was shared: "
           "the load averages (1, 5, 15 minutes) at the start and the end of each measurement "
           "stand next to its figures, and the figures move with them." % (started, machine()), ""]

    doc += ["## One fixed step", "",
            "`bench/step_bench`: the stream, ten runner sub-steps, the carrots, the fall check "
            "and the texts, on the NULL device with the generated media; median of five "
            "repetitions. `largestStream` holds still the largest stream that ten runs played by "
            "a scripted jumper reached; `flowingRun` is the stream flowing under a played run, "
            "each step drawn on the NULL device.", ""]
    rows = []
    for name, agg in steps.items():
        med = agg["median"]
        counters = ", ".join("%s %.1f" % (k, med[k]) for k in ("platforms", "carrots") if k in med)
        rows.append([name, "%.1f" % med["real_time"], "%.1f" % med["cpu_time"],
                     "%.1f" % agg["stddev"]["cpu_time"] if "stddev" in agg else "", counters])
    doc += [table(["benchmark", "wall µs", "CPU µs", "CPU stddev µs", "stream"], rows), "",
            "Load: %s at the start, %s at the end. On a busy machine the wall time includes time "
            "the process waited for a core; the CPU time is the cost of the step." %
            (step_load0, step_load1), ""]

    doc += ["## The game under Xvfb", "",
            "The real game in a private Xvfb (%dx%d, 24 bits) with openbox, a window of the given "
            "size (`full=0`, `bits=32`), sound to SDL's disk driver. Start-up: the screen is "
            "grabbed through Xlib as fast as it can be (largest gap between grabs in the table) "
            "from the moment the process is started; *first frame* is the first grab showing the "
            "background colour (255,255,120) over the client area, which the game clears before "
            "it loads its media; *title frame* is the first grab that also shows the orange title "
            "prompt across the middle of the window (it blinks every half second, so this can be "
            "late by up to one hidden phase). Then, on the title screen with its flowing stream, "
            "the caption's frame rate is read once a second for %.0f s: each step draws one frame, "
            "so it is the step rate (a step runs once 16.67 ms have passed on a millisecond "
            "clock, so at best every 17 ms: 58.8 a second). CPU is "
            "utime+stime from `/proc/<pid>/stat` over the same time, in percent of one core, for "
            "the game and for the X server. The frame loop polls the clock between steps without "
            "sleeping, so the game takes whatever core time it is given: its CPU share says how "
            "much the scheduler let it have on this machine, and the step rate says whether that "
            "was enough for that rate." % (SCREEN[0], SCREEN[1], args.seconds), ""]
    rows = []
    for g in games:
        rows.append([g["renderer"], g["size"], "%.2f" % g["first_frame"], "%.2f" % g["title_frame"],
                     "%.0f ms" % (1000 * g["poll_gap"]),
                     "%.1f (%d–%d)" % (g["steps_mean"], g["steps_min"], g["steps_max"]),
                     "%.0f %%" % g["game_cpu"], "%.0f %%" % g["xvfb_cpu"],
                     "%s → %s" % (g["load_start"], g["load_end"])])
    doc += [table(["renderer", "window", "first frame s", "title frame s", "grab gap",
                   "steps/s mean (min–max)", "game CPU", "Xvfb CPU", "load"], rows), ""]

    wall = [r[0] for r in gen]
    cpu = [r[1] for r in gen]
    doc += ["## The media generator", "",
            "`mediagen` writing all %d media files into an empty temporary folder, %d runs." %
            (gen[0][2], len(gen)), "",
            table(["", "fastest", "median", "slowest"],
                  [["wall s", "%.2f" % wall[0], "%.2f" % wall[len(wall) // 2], "%.2f" % wall[-1]],
                   ["CPU s (all threads)", "%.2f" % min(cpu), "%.2f" % sorted(cpu)[len(cpu) // 2],
                    "%.2f" % max(cpu)]]), "",
            "Load: %s at the start, %s at the end." % (gen_load0, gen_load1), ""]

    if soaked:
        doc += ["## An hour of play (soak test)", "",
                "`tests/soak` (ctest label `soak`): an hour of game time on the NULL device "
                "through the game's start-up, frame loop and input handler, alternating title "
                "screens, runs played by a scripted jumper and end screens. Per five minutes of "
                "game time: the largest scene node count, the nodes outside the platform stream, "
                "GUI elements, live carrots and the references held on them by the game, overlay "
                "texts and sound handles; resident memory (VmRSS) at the last return to the title. "
                "Every return to the title must find exactly the first title's scene and lists. "
                "The test %s." % ("passed" if soaked["passed"] else "FAILED"), "", "```"] + \
               soaked["lines"] + ["```", "",
                "Load: %s at the start, %s at the end." % soaked["load"], ""]

    text = "\n".join(doc)
    print()
    print(text)
    if args.out:
        with open(args.out, "w") as f:
            f.write(text)
    with open(os.path.join(build, "bench-results.json"), "w") as f:
        json.dump({"steps": steps, "games": games, "mediagen": gen}, f, indent=1)


if __name__ == "__main__":
    main()
