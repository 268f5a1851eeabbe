"""A hostile or unwritable score.dat, and a game killed while it saves a record.

Each row plays one run nobody steers, so it ends at the first gap. The score such a run makes
depends on the random stream; a stored negative value makes a record certain and a stored
largest value makes one impossible. Rows whose outcome hangs on the score check what holds for
every score."""
import os
import shutil
import signal
import stat
import subprocess
import time
import unittest

import bad_input
import harness

WARNING = "Warning: error saving high score."
LARGEST = 2 ** 31 - 1

DIRECTORY = "directory"
READ_ONLY_FILE = "read-only file"
READ_ONLY_FOLDER = "read-only folder"
FULL_DISK = "full disk"
FIFO = "fifo"

RECORD = "record"          # afterwards 4 bytes, a score of 0 or more
KEPT = "kept"              # afterwards exactly what was there, and the warning once
UNCHANGED = "unchanged"    # no record possible: nothing written, no warning
PERHAPS = "perhaps"        # a record only if the run scored: then 4 bytes above 0
STAYS = "stays"            # never replaced; reads as 0, so a warning only if the run scored

# name, what score.dat is, what it must be afterwards
ROWS = [
    ("missing", None, PERHAPS),
    ("0 bytes", b"", PERHAPS),
    ("1 byte", b"\x07", PERHAPS),
    ("2 bytes", b"\x07\x00", PERHAPS),
    ("3 bytes", b"\xff\xff\xff", PERHAPS),
    ("8 bytes, a negative first half", bad_input.score_bytes(-1) + bad_input.score_bytes(5),
     RECORD),
    ("8 bytes, the largest first half", bad_input.score_bytes(LARGEST) + b"\xff" * 4, UNCHANGED),
    ("negative", bad_input.score_bytes(-7), RECORD),
    ("the smallest 32-bit value", bad_input.score_bytes(-2 ** 31), RECORD),
    ("the largest 32-bit value", bad_input.score_bytes(LARGEST), UNCHANGED),
    ("a directory of that name", DIRECTORY, STAYS),
    ("a FIFO of that name", FIFO, PERHAPS),
    ("read-only file", READ_ONLY_FILE, KEPT),
    ("read-only folder", READ_ONLY_FOLDER, KEPT),
    ("full disk", FULL_DISK, KEPT),
]

STORED = bad_input.score_bytes(-3)  # what the last four rows hold: any run is a record


def mount_full_disk(wd):
    """A small tmpfs over wd, filled to the last byte; the log and the sound capture live outside."""
    outside = wd + "-outside"
    os.mkdir(outside)
    r = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k,mode=0755", "tmpfs", wd],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if r.returncode != 0:
        shutil.rmtree(outside, ignore_errors=True)
        return None, "cannot mount a tmpfs here (%s)" % r.stdout.strip()
    try:
        fill_disk(wd, outside)
    except BaseException:
        unmount(wd, outside)
        raise
    return outside, None


def fill_disk(wd, outside):
    for name in ("zarvik", "media"):
        os.symlink(os.path.join(harness.GAME_DIR, name), os.path.join(wd, name))
    for name in ("log.txt", "errlog.txt"):
        os.symlink(os.path.join(outside, name), os.path.join(wd, name))
    bad_input.write_bytes(os.path.join(wd, "launcher.ini"), bad_input.SMALL_GAME.encode())
    bad_input.write_bytes(os.path.join(wd, "score.dat"), STORED)
    open(os.path.join(wd, "zarvik.stderr"), "w").close()
    fd = os.open(os.path.join(wd, "filler"), os.O_WRONLY | os.O_CREAT, 0o644)
    try:
        while True:
            os.write(fd, b"\0" * 4096)
    except OSError:
        pass  # the disk is full
    finally:
        os.close(fd)


def unmount(wd, outside):
    subprocess.run(["umount", "-l", wd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shutil.rmtree(outside, ignore_errors=True)


def prepare(s, wd, content):
    """Puts score.dat in place; returns (program name, environment, a cleanup or None)."""
    path = os.path.join(wd, "score.dat")
    env = {"HOME": wd}
    if content is None:
        return "zarvik", env, None
    if content == FIFO:
        os.mkfifo(path)
        return "zarvik", env, None
    if content == DIRECTORY:
        os.mkdir(path)
        bad_input.write_bytes(os.path.join(path, "keep"), b"mine")
        return "zarvik", env, None
    if content in (READ_ONLY_FILE, READ_ONLY_FOLDER):
        # as root every permission holds, so the game runs as an ordinary user
        bad_input.write_bytes(path, STORED)
        for name in ("log.txt", "errlog.txt", "audio.raw"):
            open(os.path.join(wd, name), "w").close()  # in a read-only folder only these exist
        bad_input.hand_to_nobody(wd)
        if content == READ_ONLY_FILE:
            os.chmod(path, 0o444)
        else:
            os.chmod(wd, 0o555)
        return bad_input.as_nobody(wd, "zarvik"), env, lambda: os.chmod(wd, 0o755)
    bad_input.write_bytes(path, content)
    return "zarvik", env, None


def snapshot(path):
    try:
        info = os.lstat(path)
    except FileNotFoundError:
        return None
    if stat.S_ISDIR(info.st_mode):
        return ("dir", sorted(os.listdir(path)))
    if stat.S_ISFIFO(info.st_mode):
        return ("fifo",)
    return ("file", stat.S_IMODE(info.st_mode), bad_input.read_bytes(path))


def check_outcome(wd, log, before, after, expected):
    """Raises AssertionError when what score.dat holds after the run breaks the row's rule."""
    warnings = log.count(WARNING)
    leftovers = [n for n in os.listdir(wd) if n.startswith("score.dat.")]
    if leftovers:
        raise AssertionError("temporary files left behind: %s" % leftovers)
    if expected in (KEPT, STAYS):
        if after != before:
            raise AssertionError("score.dat changed from %r to %r" % (before, after))
        if warnings != 1 and not (expected == STAYS and warnings == 0):
            raise AssertionError("%d warnings instead of one:\n%s" % (warnings, log))
        return
    if warnings:
        raise AssertionError("a warning although score.dat could be written:\n%s" % log)
    if expected == UNCHANGED or (expected == PERHAPS and after == before):
        if after != before:
            raise AssertionError("score.dat changed from %r to %r" % (before, after))
        return
    if after is None or after[0] != "file" or len(after[2]) != 4:
        raise AssertionError("after a record score.dat is %r, not 4 bytes" % (after,))
    score = int.from_bytes(after[2], "little", signed=True)
    if score < (1 if expected == PERHAPS else 0):
        raise AssertionError("a record of %d" % score)


def play_row(row):
    name, content, expected = row
    with harness.Session(screen=bad_input.SMALL_SCREEN) as s:
        if content == FULL_DISK:
            wd = s.workdir(media=False)
            outside, reason = mount_full_disk(wd)
            if reason:
                raise unittest.SkipTest(reason)
            try:
                before = snapshot(os.path.join(wd, "score.dat"))
                game = s.start("zarvik", wd, extra_env={
                    "HOME": outside, "SDL_DISKAUDIOFILE": os.path.join(outside, "audio.raw")})
                log = bad_input.play_one_run(s, wd, game)
                check_outcome(wd, log, before, snapshot(os.path.join(wd, "score.dat")), expected)
            finally:
                for program in s.programs:
                    program.kill()
                unmount(wd, outside)
            return
        wd = s.workdir(ini=bad_input.SMALL_GAME)
        program, env, cleanup = prepare(s, wd, content)
        try:
            before = snapshot(os.path.join(wd, "score.dat"))
            game = s.start(program, wd, extra_env=env)
            log = bad_input.play_one_run(s, wd, game)
            check_outcome(wd, log, before, snapshot(os.path.join(wd, "score.dat")), expected)
        finally:
            if cleanup:
                cleanup()


# Where the game is stopped and killed while it saves a record, and what the file must hold:
# (breakpoint, hits to let pass, condition, the old score or the new one)
KILL_POINTS = [
    ("write", 0, "$rdi > 2 && $rdx == 4", "old"),  # the four bytes of the new file
    ("fsync", 0, None, "old"),                     # written, not yet on the disk
    ("rename", 0, None, "old"),                    # complete, not yet in place
    ("fsync", 1, None, "new"),                     # in place, the folder not yet synced
]


def under_gdb(wd, point, passes, condition):
    name = "zarvik-under-gdb"
    where = point + (" if " + condition if condition else "")
    script = ("#!/bin/sh\nexec gdb -q -batch -nx -ex 'set breakpoint pending on' "
              "-ex 'handle all nostop noprint pass' -ex 'break %s' -ex 'ignore 1 %d' -ex run "
              "-ex 'signal SIGKILL' --args ./zarvik\n" % (where, passes))
    with open(os.path.join(wd, name), "w") as f:
        f.write(script)
    os.chmod(os.path.join(wd, name), 0o755)
    return name


def kill_row(row):
    point, passes, condition, outcome = row[1]
    stored = -5
    with harness.Session(screen=bad_input.SMALL_SCREEN) as s:
        wd = s.workdir(ini=bad_input.SMALL_GAME)
        path = os.path.join(wd, "score.dat")
        bad_input.write_bytes(path, bad_input.score_bytes(stored))
        gdb = s.start(under_gdb(wd, point, passes, condition), wd)
        wid = bad_input.game_window(s, gdb)
        game_pids = subprocess.run(["pgrep", "-P", str(gdb.pid)], stdout=subprocess.PIPE,
                                   text=True).stdout.split()
        bad_input.start_run(s, wd, wid, gdb)
        gdb.wait(bad_input.RUN_TIMEOUT)
        out = harness.read_text(os.path.join(wd, "zarvik-under-gdb.stderr"))
        for pid in game_pids:
            if os.path.exists("/proc/" + pid):
                raise AssertionError("the game %s outlived its kill" % pid)
        log = bad_input.log_of(wd)
        if "END GAME " in log:
            raise AssertionError("the game was not stopped while saving:\n" + log + out)
        data = bad_input.read_bytes(path)
        if data is None or len(data) != 4:
            raise AssertionError("score.dat is %r after the kill" % (data,))
        score = int.from_bytes(data, "little", signed=True)
        if outcome == "old" and score != stored:
            raise AssertionError("killed before the new file was in place, yet it holds %d" % score)
        if outcome == "new" and score < 0:
            raise AssertionError("the record was in place, yet the file holds %d" % score)
        if outcome == "old" and not [n for n in os.listdir(wd) if n.startswith("score.dat.")]:
            raise AssertionError("the kill came before the save began")


def kill_on_sight_row(row):
    """Kills the game the moment its temporary file shows, wherever the save then is."""
    stored = -5
    with harness.Session(screen=bad_input.SMALL_SCREEN) as s:
        wd = s.workdir(ini=bad_input.SMALL_GAME)
        path = os.path.join(wd, "score.dat")
        bad_input.write_bytes(path, bad_input.score_bytes(stored))
        game = s.start("zarvik", wd)
        wid = bad_input.game_window(s, game)
        bad_input.start_run(s, wd, wid, game)
        deadline = time.monotonic() + bad_input.RUN_TIMEOUT
        seen = False
        while game.running() and time.monotonic() < deadline and not seen:
            for _ in range(200):
                if any(n.startswith("score.dat.") for n in os.listdir(wd)):
                    seen = True
                    break
            # a save quicker than the look: the kill then comes after it
            seen = seen or "END GAME " in bad_input.log_of(wd)
        game.kill()
        if game.popen.returncode != -signal.SIGKILL:
            raise AssertionError("the game was not killed, it ended with %s"
                                 % game.popen.returncode)
        data = bad_input.read_bytes(path)
        if data is None or len(data) != 4:
            raise AssertionError("score.dat is %r after the kill" % (data,))
        score = int.from_bytes(data, "little", signed=True)
        if score != stored and score < 0:
            raise AssertionError("score.dat holds %d, neither the old score nor a record" % score)


class BrokenScoreFile(unittest.TestCase):
    def test_score_files(self):
        results = bad_input.run_side_by_side(ROWS, play_row)
        for name, (error, seconds) in results.items():
            with self.subTest(name):
                if error is not None:
                    raise error

    def test_killed_while_saving_a_record(self):
        if not shutil.which("gdb"):
            self.skipTest("gdb is needed to stop the game inside its save")
        rows = [("%s #%d" % (p[0], p[1] + 1), p) for p in KILL_POINTS]
        results = bad_input.run_side_by_side(rows, kill_row)
        results.update(bad_input.run_side_by_side(
            [("on sight, try %d" % n,) for n in range(1, 4)], kill_on_sight_row))
        for name, (error, seconds) in results.items():
            with self.subTest(name):
                if error is not None:
                    raise error


if __name__ == "__main__":
    unittest.main()
