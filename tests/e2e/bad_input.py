"""Shared pieces of the bad-input tests: playing a run to its end, rows run side by side, a
working directory an ordinary user may use.

The game pauses whenever its window is not the active one, so rows that play whole runs side by
side each get their own X server."""
import concurrent.futures
import os
import random
import re
import struct
import time

import harness

# The smallest practical window with the software renderer: the cheapest run on a busy machine.
SMALL_GAME = "[screen]\ndriver=software\nwidth=320\nheight=240\nbits=32\nfull=0\n"
SMALL_SCREEN = "640x480x24"
RUN_TIMEOUT = 180  # a run without steering ends at the first gap; the machine may be slow
PARALLEL = 3       # X servers with a running game at once on two cores

NOBODY = 65534


def noise(size, seed):
    rng = random.Random(seed)
    return bytes(rng.getrandbits(8) for _ in range(size))


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def score_bytes(value):
    return struct.pack("<i", value)


def log_of(wd):
    return harness.read_text(os.path.join(wd, "log.txt"))


def check_exit(game, timeout=harness.LOG_TIMEOUT):
    """Exit code 0; a signal (crash, abort) shows as a negative code."""
    rc = game.wait(timeout)
    if rc != 0:
        raise AssertionError("the program ended with %s (negative: killed by that signal)" % rc)


def start_run(s, wd, wid, game):
    """Presses space until a run has begun: a press that comes before the title is up is lost."""
    def started():
        if not game.running():
            raise AssertionError("the game ended before a run began (exit %s)" % game.popen.returncode)
        s.key(wid, "space")
        try:
            return harness.wait_for(lambda: "NEW GAME " in log_of(wd), 3, "NEW GAME")
        except harness.TimeoutFailure:
            return False
    harness.wait_for(started, harness.WINDOW_TIMEOUT, "a run to begin", interval=0)


def game_window(s, game):
    """The game's window once it runs: the caption is set only while the window is active, so a
    window the window manager did not focus is activated, as a player would click on it."""
    def named():
        if not game.running():
            raise AssertionError("the game ended before its window ran (exit %s)"
                                 % game.popen.returncode)
        clients = re.findall(r"0x[0-9a-f]+", s.x("xprop", "-root", "_NET_CLIENT_LIST"))
        for wid in (int(c, 16) for c in clients):
            if s.window_name(wid).startswith("Zarvik"):
                return wid
            # ask the window manager, and set the focus directly in case it declines
            s.x("xdotool", "windowactivate", str(wid))
            s.x("xdotool", "windowfocus", str(wid))
        return None
    return harness.wait_for(named, harness.WINDOW_TIMEOUT, "the game's window", interval=0.5)


def play_one_run(s, wd, game):
    """Window, a run nobody steers until the rabbit falls and the end screen is up, then Escape.
    Returns the log."""
    wid = game_window(s, game)
    start_run(s, wd, wid, game)

    def ended():
        if not game.running():
            raise AssertionError("the game ended during the run (exit %s)" % game.popen.returncode)
        return "END GAME " in log_of(wd)
    harness.wait_for(ended, RUN_TIMEOUT, "END GAME", interval=0.25)
    s.key(wid, "Escape")
    check_exit(game)
    return log_of(wd)


def run_side_by_side(rows, play, workers=PARALLEL):
    """play(row) for every row, each in its own X server; returns {row name: exception or None}."""
    def guarded(row):
        started = time.monotonic()
        try:
            play(row)
            return None, time.monotonic() - started
        except BaseException as e:  # reported against its row by the caller
            return e, time.monotonic() - started

    with concurrent.futures.ThreadPoolExecutor(max_workers=workers) as pool:
        futures = {row[0]: pool.submit(guarded, row) for row in rows}
        return {name: f.result() for name, f in futures.items()}


def hand_to_nobody(path):
    """Gives a working directory and what is in it to the ordinary user the program runs as.
    Run by an ordinary user already, the tests leave everything theirs."""
    if os.geteuid() != 0:
        return
    os.chown(path, NOBODY, NOBODY)
    for name in os.listdir(path):
        os.chown(os.path.join(path, name), NOBODY, NOBODY, follow_symlinks=False)


def as_nobody(wd, program):
    """A script in wd that runs ./program as an ordinary user; pass its name to Session.start."""
    if os.geteuid() != 0:
        return program
    name = "as-nobody-" + program
    with open(os.path.join(wd, name), "w") as f:
        f.write("#!/bin/sh\nexec setpriv --reuid=%d --regid=%d --clear-groups ./%s\n"
                % (NOBODY, NOBODY, program))
    os.chmod(os.path.join(wd, name), 0o755)
    return name
