"""A broken launcher.ini, read by both programs.

The game either opens its window with what it could read (falling back to the default of every
key it could not) or shows the no-device box; either way it exits with 0 and leaves the file as
it was. The launcher opens its dialog on a sane choice and its "Exit" saves that choice without
losing any line of the file that was not one of its own keys."""
import os
import re
import stat
import unittest

import bad_input
import harness

TITLE = "^Zarvik Launcher$"
SCREEN = "1280x1024x24"  # the launcher's first mode: 1280x1024, 32 bits
OWN_KEYS = ("driver", "width", "height", "bits", "full")
DEFAULT_GAME = ((1024, 768), "OpenGL")  # direct3d8 stands in as OpenGL; 1024x768 "full screen"


def screen(driver="software", width="320", height="240", full="0", extra=""):
    return ("[screen]\ndriver=%s\nwidth=%s\nheight=%s\nfull=%s\n%s"
            % (driver, width, height, full, extra)).encode()


def launcher_saved(driver, full):
    return {"driver": driver, "width": "1280", "height": "1024", "bits": "32", "full": full}


DEFAULTS_SAVED = launcher_saved("direct3d8", "1")
SOFTWARE_SAVED = launcher_saved("software", "0")
BOX = None
DIRECTORY = "directory"
UNREADABLE = "unreadable"
FIFO = "fifo"

# name, launcher.ini (bytes, or how to make it), the game's window (size, renderer) or BOX,
# what the launcher's "Exit" saves (None: the file cannot be written and stays as it was)
ROWS = [
    ("empty", b"", DEFAULT_GAME, DEFAULTS_SAVED),
    ("binary noise", bad_input.noise(4096, "launcher.ini"), DEFAULT_GAME, DEFAULTS_SAVED),
    ("1 MB of one line", b"z" * (1 << 20), DEFAULT_GAME, DEFAULTS_SAVED),
    ("1 MB value", screen(width="7" * (1 << 20)), BOX, SOFTWARE_SAVED),
    ("no screen section", b"[display]\ndriver=software\nwidth=320\nheight=240\nfull=0\n",
     DEFAULT_GAME, DEFAULTS_SAVED),
    ("duplicate keys", screen(extra="width=640\nheight=480\nfull=1\ndriver=opengl\n"),
     ((320, 240), "Burning"), SOFTWARE_SAVED),
    ("duplicate keys naming a listed mode",
     screen(driver="opengl", width="640", height="480", extra="bits=32\nwidth=800\nheight=600\n"),
     ((640, 480), "OpenGL"), dict(launcher_saved("opengl", "0"), width="640", height="480")),
    ("duplicate sections", screen() + b"[screen]\ndriver=opengl\nwidth=640\nheight=480\n",
     ((320, 240), "Burning"), SOFTWARE_SAVED),
    ("width beyond 32 bits", screen(width="4294967616"), BOX, SOFTWARE_SAVED),
    ("height below 32 bits", screen(height="-4294967056"), BOX, SOFTWARE_SAVED),
    ("bits beyond 32 bits", screen(extra="bits=99999999999\n"), ((320, 240), "Burning"),
     SOFTWARE_SAVED),
    ("full beyond 32 bits", screen(full="99999999999"), ((320, 240), "Burning"),
     launcher_saved("software", "1")),
    ("negative width", screen(width="-320"), BOX, SOFTWARE_SAVED),
    ("negative height", screen(height="-1"), BOX, SOFTWARE_SAVED),
    ("zero width", screen(width="0"), BOX, SOFTWARE_SAVED),
    ("zero height", screen(height="0"), BOX, SOFTWARE_SAVED),
    ("one pixel wider than the largest window", screen(width="16385"), BOX, SOFTWARE_SAVED),
    ("absurd size", screen(width="100000", height="100000"), BOX, SOFTWARE_SAVED),
    ("size in letters", screen(width="wide", height="tall"), BOX, SOFTWARE_SAVED),
    ("unknown driver", screen(driver="vulkan"), ((320, 240), "Burning"), SOFTWARE_SAVED),
    ("driver in capitals", screen(driver="OPENGL"), ((320, 240), "Burning"), SOFTWARE_SAVED),
    ("empty driver", screen(driver=""), ((320, 240), "Burning"), SOFTWARE_SAVED),
    ("driver of noise", screen(driver="\x01\x7f\xc3\x28" * 100), ((320, 240), "Burning"),
     SOFTWARE_SAVED),
    ("a directory named launcher.ini", DIRECTORY, DEFAULT_GAME, None),
    ("no read permission", UNREADABLE, DEFAULT_GAME, None),
    ("a FIFO named launcher.ini", FIFO, DEFAULT_GAME, None),
]


def make_ini(wd, content):
    """Writes the row's launcher.ini; returns the program name to start (as nobody if needed)."""
    path = os.path.join(wd, "launcher.ini")
    if content == DIRECTORY:
        os.mkdir(path)
        bad_input.write_bytes(os.path.join(path, "keep"), b"mine")
    elif content == UNREADABLE:
        bad_input.write_bytes(path, screen(width="640", height="480"))
    elif content == FIFO:
        os.mkfifo(path)
    else:
        bad_input.write_bytes(path, content)
    if content == UNREADABLE:
        bad_input.hand_to_nobody(wd)
        os.chmod(path, stat.S_IWUSR)  # its owner may write it, nobody may read it
        return lambda program: bad_input.as_nobody(wd, program)
    return lambda program: program


def snapshot(wd):
    """What launcher.ini is: its bytes, or the listing and bytes of a directory, and its mode."""
    path = os.path.join(wd, "launcher.ini")
    info = os.lstat(path)
    if stat.S_ISFIFO(info.st_mode):
        return ("fifo", info.st_mode, None)
    if stat.S_ISDIR(info.st_mode):
        return ("dir", info.st_mode,
                {n: bad_input.read_bytes(os.path.join(path, n)) for n in os.listdir(path)})
    with open(path, "rb") as f:
        return ("file", info.st_mode, f.read())


def first_screen_section(data):
    """The keys of the first [screen] section, first of each name winning, as both programs read."""
    values, inside = {}, False
    for raw in data.split(b"\n"):
        line = raw.decode("latin-1").strip()
        header = re.match(r"^\[([^\]]*)\]", line)
        if header:
            if inside:
                break
            inside = header.group(1).strip().lower() == "screen"
        elif inside and "=" in line and not line.startswith(";"):
            key, value = line.split("=", 1)
            values.setdefault(key.strip().lower(), value.strip())
    return values


def foreign_lines(data):
    """The lines of a file that are not one of the launcher's own keys, in order."""
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return [l for l in lines
            if not re.match(rb"^\s*(%s)\s*=" % b"|".join(k.encode() for k in OWN_KEYS), l, re.I)]


class BrokenLauncherIni(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session(screen=SCREEN).__enter__()
        # 640x480 joins the list, so a file naming it has it chosen
        output = re.search(r"^(\S+) connected", cls.session.x("xrandr"), re.M).group(1)
        timings = "25.175 640 656 752 800 480 490 492 525".split()
        cls.session.x("xrandr", "--newmode", "640x480", *timings, check=True)
        cls.session.x("xrandr", "--addmode", output, "640x480", check=True)

    @classmethod
    def tearDownClass(cls):
        cls.session.__exit__(None, None, None)

    def program_window(self, program, name):
        s = self.session

        def find():
            if not program.running():
                raise AssertionError("the program ended with %s before showing /%s/"
                                     % (program.popen.returncode, name))
            return (s.find_windows(name) or [None])[0]
        return harness.wait_for(find, harness.WINDOW_TIMEOUT, "a window /%s/" % name, interval=0.25)

    def check_game(self, content, expected):
        s = self.session
        wd = s.workdir()
        start_as = make_ini(wd, content)
        before = snapshot(wd)
        game = s.start(start_as("zarvik"), wd, extra_env={"HOME": wd})
        if expected is BOX:
            box = self.program_window(game, "^Error$")
            self.assertEqual(s.find_windows("^Zarvik"), [], "a game window beside the box")
            s.key(box, "Return")
        else:
            (size, renderer) = expected
            wid = self.program_window(game, "^Zarvik - ")
            self.assertEqual(s.geometry(wid), size)
            harness.wait_for(lambda: renderer in s.window_name(wid), harness.LOG_TIMEOUT,
                             "%s in the caption" % renderer)
            s.key(wid, "Escape")
        bad_input.check_exit(game)
        self.assertEqual(snapshot(wd), before, "the game changed launcher.ini")
        log = bad_input.log_of(wd)
        direct3d = "Warning: Direct3D is not available on this system; using OpenGL."
        self.assertEqual(direct3d in log, expected is DEFAULT_GAME)

    def check_launcher(self, content, saved):
        s = self.session
        wd = s.workdir()
        start_as = make_ini(wd, content)
        before = snapshot(wd)
        program = s.start(start_as("launcher"), wd, audio=False, extra_env={"HOME": wd})
        wid = self.program_window(program, TITLE)
        s.key(wid, "Return")  # the first focus is "Exit"
        bad_input.check_exit(program)
        self.assertNotRegex(harness.read_text(os.path.join(wd, program_stderr(program))),
                            "CRITICAL|Segmentation|Error")
        after = snapshot(wd)
        if saved is None:
            self.assertEqual(after, before, "a file the launcher cannot write was changed")
            return
        self.assertEqual(after[1], before[1], "the file's mode changed")
        self.assertEqual(first_screen_section(after[2]), saved)
        kept = foreign_lines(after[2])
        if b"[screen]" in kept and b"[screen]" not in foreign_lines(before[2]):
            kept.remove(b"[screen]")  # the section the launcher had to add
        self.assertEqual(kept, foreign_lines(before[2]), "a line of the file was lost")

    def test_the_game(self):
        for name, content, expected, _ in ROWS:
            with self.subTest(name):
                try:
                    self.check_game(content, expected)
                finally:
                    self.kill_rest()

    def test_the_launcher(self):
        for name, content, _, saved in ROWS:
            with self.subTest(name):
                try:
                    self.check_launcher(content, saved)
                finally:
                    self.kill_rest()

    def kill_rest(self):
        """A failed row leaves no window behind for the next."""
        for program in self.session.programs:
            program.kill()


def program_stderr(program):
    name = os.path.basename(program.popen.args[0])
    return name + ".stderr"


if __name__ == "__main__":
    unittest.main()
