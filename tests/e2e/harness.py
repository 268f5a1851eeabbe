"""Whole-program test harness: a private X server, a fresh working directory, and the staged game.

Every test gets its own Xvfb (display picked by the server itself), an openbox window manager,
and temporary working directories holding links to the staged executables and media. Sound is
captured with SDL's disk driver. Every process started here is killed by its process group when
the session closes, whatever happened in the test.
"""
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import time

GAME_DIR = os.environ.get("ZARVIK_GAME_DIR") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "game")
GAME_DIR = os.path.abspath(GAME_DIR)

# Generous limits: these tests must hold on a busy 2-core machine.
WINDOW_TIMEOUT = 90
LOG_TIMEOUT = 60


class TimeoutFailure(AssertionError):
    pass


def wait_for(predicate, timeout, what, interval=0.1):
    """Polls predicate until it returns a true value; returns that value or fails."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutFailure("timed out after %ss waiting for %s" % (timeout, what))
        time.sleep(interval)


class Program:
    """A started program, its own process group, so children (the game from the launcher) die too."""

    def __init__(self, popen, cwd):
        self.popen = popen
        self.pid = popen.pid
        self.cwd = cwd

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout=LOG_TIMEOUT):
        """Exit code; fails if the program does not end in time."""
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutFailure("program %d did not exit within %ss" % (self.pid, timeout))

    def kill(self):
        try:
            os.killpg(self.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            self.popen.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass


class Session:
    """with Session() as s: wd = s.workdir(); g = s.start("zarvik", wd); wid = s.wait_window(...)"""

    def __init__(self, screen="1024x768x24", window_manager=True):
        self.screen = screen
        self.window_manager = window_manager
        self.programs = []
        self.dirs = []
        self.display = None

    # -- life cycle ---------------------------------------------------------------------------
    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-noreset", "-nolisten", "tcp",
             "-screen", "0", self.screen],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.xvfb.poll() is not None:
                os.close(read_fd)
                self.__exit__(None, None, None)
                raise TimeoutFailure("Xvfb did not start")
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ)
        self.env["DISPLAY"] = self.display
        self.env.pop("XAUTHORITY", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["NO_AT_BRIDGE"] = "1"  # no accessibility bus for GTK in tests
        if self.window_manager:
            self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)
            wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x("xprop", "-root"),
                     WINDOW_TIMEOUT, "openbox")
        return self

    def __exit__(self, *exc):
        for program in self.programs:
            program.kill()
        for proc in (getattr(self, "wm", None), getattr(self, "xvfb", None)):
            if proc is not None and proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait(timeout=10)
        for d in self.dirs:
            shutil.rmtree(d, ignore_errors=True)
        return False

    # -- working directories and programs -------------------------------------------------------
    def workdir(self, ini=None, media=True):
        """A fresh working directory with links to zarvik, launcher and media; ini is launcher.ini text."""
        d = tempfile.mkdtemp(prefix="zarvik-e2e-")
        self.dirs.append(d)
        for name in ("zarvik", "launcher"):
            if os.path.exists(os.path.join(GAME_DIR, name)):
                os.symlink(os.path.join(GAME_DIR, name), os.path.join(d, name))
        if media:
            os.symlink(os.path.join(GAME_DIR, "media"), os.path.join(d, "media"))
        if ini is not None:
            with open(os.path.join(d, "launcher.ini"), "w") as f:
                f.write(ini)
        return d

    def start(self, program, cwd, audio=True, extra_env=None):
        """Starts ./program in cwd. With audio, SDL's disk driver writes the mix to cwd/audio.raw."""
        env = dict(self.env)
        if audio:
            env["SDL_AUDIODRIVER"] = "disk"
            env["SDL_DISKAUDIOFILE"] = os.path.join(cwd, "audio.raw")
        if extra_env:
            env.update(extra_env)
        with open(os.path.join(cwd, program + ".stderr"), "w") as stderr:
            popen = subprocess.Popen([os.path.join(cwd, program)], cwd=cwd, env=env,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=stderr, start_new_session=True)
        result = Program(popen, cwd)
        self.programs.append(result)
        return result

    # -- X helpers ------------------------------------------------------------------------------
    def x(self, *args, check=False, timeout=30):
        """Runs an X client on this display and returns its standard output ("" on failure)."""
        r = subprocess.run(list(args), env=self.env, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=timeout, text=True)
        if check and r.returncode != 0:
            raise AssertionError("%s failed with %d" % (args[0], r.returncode))
        return r.stdout if r.returncode == 0 else ""

    def find_windows(self, name_regex):
        out = self.x("xdotool", "search", "--onlyvisible", "--name", name_regex)
        return [int(w) for w in out.split()]

    def wait_window(self, name_regex, timeout=WINDOW_TIMEOUT):
        """The id of the first visible window whose name matches name_regex."""
        return wait_for(lambda: (self.find_windows(name_regex) or [None])[0], timeout,
                        "a window named /%s/" % name_regex, interval=0.25)

    def window_gone(self, wid, timeout=LOG_TIMEOUT):
        wait_for(lambda: wid not in self.find_windows("."), timeout, "window %d to close" % wid)

    def window_name(self, wid):
        return self.x("xdotool", "getwindowname", str(wid)).strip()

    def geometry(self, wid):
        """(width, height) of the window's client area."""
        out = self.x("xwininfo", "-id", str(wid))
        w = re.search(r"Width:\s+(\d+)", out)
        h = re.search(r"Height:\s+(\d+)", out)
        return (int(w.group(1)), int(h.group(1))) if w and h else None

    def activate(self, wid):
        self.x("xdotool", "windowactivate", "--sync", str(wid))
        self.x("xdotool", "windowfocus", "--sync", str(wid))

    def key(self, wid, *keys):
        """Focuses the window and types each key (xdotool names: Escape, space, Return, Tab, a)."""
        self.activate(wid)
        for k in keys:
            self.x("xdotool", "key", "--clearmodifiers", k)

    def click(self, wid, button=1):
        self.activate(wid)
        self.x("xdotool", "mousemove", "--window", str(wid), "50", "50")
        self.x("xdotool", "click", str(button))

    def close_window(self, wid):
        """Closes the window as its close box would: openbox turns Alt+F4 into WM_DELETE_WINDOW."""
        self.activate(wid)
        self.x("xdotool", "key", "--clearmodifiers", "alt+F4")

    def screenshot(self, path):
        """The whole X screen as PNG (driver screenshots of OpenGL come back black under Xvfb)."""
        self.x("import", "-window", "root", path, check=True, timeout=60)
        return path


# -- files a test reads --------------------------------------------------------------------------
def read_text(path):
    try:
        with open(path, "r", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def wait_log(cwd, text, timeout=LOG_TIMEOUT, name="log.txt"):
    """Waits until the game's log holds text; returns the whole log."""
    return wait_for(lambda: (lambda t: t if text in t else None)(read_text(os.path.join(cwd, name))),
                    timeout, "%r in %s" % (text, name))


def log_count(cwd, text, name="log.txt"):
    return read_text(os.path.join(cwd, name)).count(text)


def audio_samples(path, start_seconds=0.0, end_seconds=None):
    """Signed 16-bit stereo samples at 44.1 kHz from an SDL disk-driver capture, as a flat list."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return []
    frame = 4
    begin = int(start_seconds * 44100) * frame
    end = len(data) if end_seconds is None else min(len(data), int(end_seconds * 44100) * frame)
    chunk = data[begin:end]
    chunk = chunk[:len(chunk) - len(chunk) % 2]
    return list(struct.unpack("<%dh" % (len(chunk) // 2), chunk))


def audio_peak(path, start_seconds=0.0, end_seconds=None):
    samples = audio_samples(path, start_seconds, end_seconds)
    return max((abs(s) for s in samples), default=0)


def audio_seconds(path):
    try:
        return os.path.getsize(path) / (44100 * 4)
    except OSError:
        return 0.0
