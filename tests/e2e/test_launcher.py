"""The launcher as a player meets it: the dialog over the modes the X server reports, its keys,
what it saves, and the start of the game from the working directory."""
import os
import re
import subprocess
import unittest

import harness

TITLE = "^Zarvik Launcher$"

# Modes added to the server on top of its own 1280x1024; 800x600 twice, at 60 and 75 Hz.
ADDED_MODES = [
    ("800x600", "40 800 840 968 1056 600 601 605 628"),
    ("800x600_75", "49.5 800 816 896 1056 600 601 604 625"),
    ("1024x768", "65 1024 1048 1184 1344 768 771 777 806"),
    ("640x480", "25.175 640 656 752 800 480 490 492 525"),
    ("1152x864", "81.62 1152 1216 1336 1520 864 865 868 895"),
]


def add_modes(session):
    output = re.search(r"^(\S+) connected", session.x("xrandr"), re.M).group(1)
    for name, timings in ADDED_MODES:
        session.x("xrandr", "--newmode", name, *timings.split(), check=True)
        session.x("xrandr", "--addmode", output, name, check=True)


def fake_game(workdir):
    """A stand-in zarvik that notes how it was started and then stays running."""
    path = os.path.join(workdir, "zarvik")
    if os.path.lexists(path):
        os.remove(path)
    with open(path, "w") as f:
        f.write('#!/bin/sh\n{ echo "args=$#"; pwd; cat launcher.ini; } > started.tmp\n'
                "mv started.tmp started\nexec sleep 600\n")
    os.chmod(path, 0o755)


def ini(workdir):
    return harness.read_text(os.path.join(workdir, "launcher.ini"))


def group_members(pgid):
    """Pids still alive in a process group (the launcher's group holds the game it started)."""
    r = subprocess.run(["pgrep", "-g", str(pgid)], stdout=subprocess.PIPE, text=True)
    return [int(p) for p in r.stdout.split()]


def launcher_window(session, program, name=TITLE):
    """A window of this launcher, not one a failed earlier test left open."""
    def find():
        out = session.x("xdotool", "search", "--onlyvisible", "--pid", str(program.pid),
                        "--name", name)
        return int(out.split()[0]) if out.split() else None
    return harness.wait_for(find, harness.WINDOW_TIMEOUT, "a launcher window /%s/" % name,
                            interval=0.25)


def screen_settings(driver, width, height, bits, full):
    return "[screen]\ndriver=%s\nwidth=%d\nheight=%d\nbits=%d\nfull=%d\n" % (
        driver, width, height, bits, full)


class LauncherDialog(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session(screen="1280x1024x24").__enter__()
        add_modes(cls.session)

    @classmethod
    def tearDownClass(cls):
        cls.session.__exit__(None, None, None)

    def open_launcher(self, workdir):
        program = self.session.start("launcher", workdir, audio=False)
        self.addCleanup(program.kill)
        wid = launcher_window(self.session, program)
        self.session.activate(wid)
        return program, wid

    def finish(self, program):
        self.assertEqual(program.wait(), 0)
        stderr = harness.read_text(os.path.join(program.cwd, "launcher.stderr"))
        self.assertNotRegex(stderr, "CRITICAL|WARNING|Error")

    def test_return_on_first_focus_exits_and_saves(self):
        s = self.session
        wd = s.workdir()
        fake_game(wd)
        program, wid = self.open_launcher(wd)
        self.assertEqual(s.window_name(wid), "Zarvik Launcher")
        s.key(wid, "Return")  # the first focus is "Exit"
        self.finish(program)
        # no file: 1024x768x16 is not listed, and the first mode stays the candidate
        self.assertEqual(ini(wd), screen_settings("direct3d8", 1280, 1024, 32, 1))
        self.assertEqual(group_members(program.pid), [], "Exit started something")
        self.assertFalse(os.path.exists(os.path.join(wd, "started")))

    def test_tab_return_plays_from_the_working_directory(self):
        s = self.session
        wd = s.workdir(ini=screen_settings("opengl", 640, 480, 32, 0))
        fake_game(wd)
        program, wid = self.open_launcher(wd)
        s.key(wid, "Tab", "Return")
        self.finish(program)
        harness.wait_for(lambda: os.path.exists(os.path.join(wd, "started")), harness.LOG_TIMEOUT,
                         "the game to start")
        report = harness.read_text(os.path.join(wd, "started"))
        self.assertEqual(report, "args=0\n%s\n%s" % (os.path.realpath(wd),
                                                     screen_settings("opengl", 640, 480, 32, 0)))
        # the game runs on after the launcher has gone, which did not wait for it
        self.assertNotEqual(group_members(program.pid), [])

    def test_escape_and_return_on_lists_and_check_box_do_nothing(self):
        s = self.session
        wd = s.workdir(ini=screen_settings("direct3d8", 800, 600, 32, 1))
        fake_game(wd)
        program, wid = self.open_launcher(wd)
        # Each control gets Return, a change, then Escape. Had a key ended the dialog, a later
        # change would be missing; had Return opened a list, Escape would drop the change; had
        # Return ticked the box, space would undo it. Down on the mode list skips the 75 Hz twin.
        s.key(wid, "Escape", "Tab", "Tab", "Return", "Down", "Escape",
              "Tab", "Return", "Down", "Escape",
              "Tab", "Return", "space", "Escape",
              "Tab", "space")  # from the last control Tab comes round to "Exit"
        self.finish(program)
        self.assertEqual(ini(wd), screen_settings("opengl", 1024, 768, 32, 0))
        self.assertFalse(os.path.exists(os.path.join(wd, "started")))

    def test_mode_list_is_the_servers_modes_in_order(self):
        # 1280x1024, 800x600 (60 and 75 Hz as one), 1024x768, 640x480, 1152x864: four steps
        # down from the first end on the fifth
        s = self.session
        wd = s.workdir()
        program, wid = self.open_launcher(wd)
        s.key(wid, "Tab", "Tab", "Tab", "Down", "Down", "Down", "Down", "shift+Tab",
              "shift+Tab", "shift+Tab", "Return")
        self.finish(program)
        self.assertEqual(ini(wd), screen_settings("direct3d8", 1152, 864, 32, 1))

    def test_close_box_saves_nothing(self):
        s = self.session
        text = "; mine\n[screen]\ndriver=opengl\nwidth=640\n"
        wd = s.workdir(ini=text)
        fake_game(wd)
        program, wid = self.open_launcher(wd)
        s.key(wid, "Tab", "Tab", "Down")  # a change that must not be saved
        s.close_window(wid)
        self.finish(program)
        self.assertEqual(ini(wd), text)
        self.assertEqual(group_members(program.pid), [], "closing started something")

    def test_missing_game_shows_the_error_after_saving(self):
        s = self.session
        wd = s.workdir()
        if os.path.lexists(os.path.join(wd, "zarvik")):
            os.remove(os.path.join(wd, "zarvik"))
        program, wid = self.open_launcher(wd)
        s.key(wid, "Tab", "Return")
        box = launcher_window(s, program, "^Error$")
        # saved before the box, and the dialog has gone
        self.assertEqual(ini(wd), screen_settings("direct3d8", 1280, 1024, 32, 1))
        s.window_gone(wid)
        self.assertTrue(program.running())
        s.key(box, "Return")
        self.finish(program)

    def test_each_working_directory_has_its_own_settings(self):
        s = self.session
        first = s.workdir(ini=screen_settings("software", 1152, 864, 32, 0))
        second = s.workdir(ini=screen_settings("opengl", 1024, 768, 32, 1))
        for wd in (first, second):
            fake_game(wd)
        program, wid = self.open_launcher(second)
        s.key(wid, "Tab", "Return")
        self.finish(program)
        harness.wait_for(lambda: os.path.exists(os.path.join(second, "started")),
                         harness.LOG_TIMEOUT, "the game to start in the second directory")
        self.assertEqual(ini(second), screen_settings("opengl", 1024, 768, 32, 1))
        self.assertEqual(ini(first), screen_settings("software", 1152, 864, 32, 0))
        self.assertFalse(os.path.exists(os.path.join(first, "started")))

    def test_deleted_working_directory_warns_twice_and_writes_nothing(self):
        s = self.session
        wd = s.workdir()
        with open(os.path.join(wd, "from-deleted-dir"), "w") as f:
            f.write('#!/bin/sh\nhere=$(pwd)\nmkdir gone && cd gone && rmdir "$here/gone" && '
                    'exec "$here/launcher"\n')
        os.chmod(os.path.join(wd, "from-deleted-dir"), 0o755)
        before = sorted(os.listdir(wd))
        program = s.start("from-deleted-dir", wd, audio=False)
        self.addCleanup(program.kill)
        # once for the kept path, once when the dialog reads the settings
        for _ in range(2):
            box = launcher_window(s, program, "^Error$")
            self.assertEqual(s.find_windows(TITLE), [])
            s.key(box, "Return")
            s.window_gone(box)
        wid = launcher_window(s, program)
        s.key(wid, "Return")  # "Exit": there is no file to save to
        self.finish(program)
        self.assertEqual(sorted(os.listdir(wd)), sorted(before + ["from-deleted-dir.stderr"]))

    def test_resizing_moves_no_control(self):
        s = self.session
        wd = s.workdir()
        program, wid = self.open_launcher(wd)
        s.x("xdotool", "mousemove", "0", "0")
        width, height = s.geometry(wid)
        before = self.settled_pixels(wid, width, height)
        s.x("xdotool", "windowsize", "--sync", str(wid), str(width + 200), str(height + 150))
        harness.wait_for(lambda: s.geometry(wid) == (width + 200, height + 150),
                         harness.LOG_TIMEOUT, "the dialog to grow")
        # what was drawn in the old area stays as it was
        harness.wait_for(lambda: self.client_pixels(wid, width, height) == before,
                         harness.LOG_TIMEOUT, "the controls to stay where they were")
        s.close_window(wid)
        self.finish(program)

    def settled_pixels(self, wid, width, height):
        """The client area once two captures in a row agree (the first draw has happened)."""
        last = [None]

        def same_twice():
            now = self.client_pixels(wid, width, height)
            settled = now == last[0]
            last[0] = now
            return settled
        harness.wait_for(same_twice, harness.LOG_TIMEOUT, "the dialog to be drawn", interval=0.3)
        return last[0]

    def client_pixels(self, wid, width, height):
        path = os.path.join(self.session.dirs[-1], "client.rgb")
        self.session.x("import", "-window", str(wid), "-crop", "%dx%d+0+0" % (width, height),
                       "rgb:" + path, check=True, timeout=60)
        with open(path, "rb") as f:
            return f.read()

    def test_icon_is_48_by_48(self):
        if not os.path.exists(os.path.join(harness.GAME_DIR, "media", "icon48.png")):
            self.skipTest("media/icon48.png has not been generated")
        s = self.session
        program, wid = self.open_launcher(s.workdir())
        icon = s.x("xprop", "-id", str(wid), "_NET_WM_ICON")
        self.assertIn("Icon (48 x 48)", icon)
        s.close_window(wid)
        self.finish(program)


class LauncherWithTheGame(unittest.TestCase):
    def test_play_opens_the_game_with_the_chosen_renderer(self):
        if not os.path.exists(os.path.join(harness.GAME_DIR, "zarvik")):
            self.skipTest("the game has not been built")
        with harness.Session(screen="1280x1024x24") as s:
            add_modes(s)
            wd = s.workdir(ini=screen_settings("opengl", 640, 480, 32, 0))
            program = s.start("launcher", wd)
            wid = launcher_window(s, program)
            # driver list: OpenGL -> Software Renderer, then back to "Play"
            s.key(wid, "Tab", "Tab", "Down", "shift+Tab", "Return")
            self.assertEqual(program.wait(), 0)
            self.assertEqual(ini(wd), screen_settings("software", 640, 480, 32, 0))
            game = s.wait_window(r"^Zarvik - \[Burning")
            self.assertEqual(s.geometry(game), (640, 480))
            s.key(game, "Escape")
            s.window_gone(game)


class LauncherOnOtherScreens(unittest.TestCase):
    def test_only_8_bit_modes_give_the_message_and_no_dialog(self):
        with harness.Session(screen="1024x768x8") as s:
            wd = s.workdir()
            program = s.start("launcher", wd, audio=False)
            box = s.wait_window("^Error$")
            self.assertEqual(s.find_windows(TITLE), [])
            s.key(box, "Return")
            self.assertEqual(program.wait(), 0)
            self.assertFalse(os.path.exists(os.path.join(wd, "launcher.ini")))

    def test_a_16_bit_screen_lists_16_bit_modes(self):
        with harness.Session(screen="1024x768x16") as s:
            wd = s.workdir()
            program = s.start("launcher", wd, audio=False)
            wid = launcher_window(s, program)
            s.key(wid, "Return")
            self.assertEqual(program.wait(), 0)
            self.assertEqual(ini(wd), screen_settings("direct3d8", 1024, 768, 16, 1))

    def test_no_x_server_says_so_on_standard_error(self):
        with harness.Session(window_manager=False) as s:
            wd = s.workdir()
            program = s.start("launcher", wd, audio=False, extra_env={"DISPLAY": ""})
            self.assertEqual(program.wait(), 0)
            self.assertIn("Your system doesn't appear to have a working display device.",
                          harness.read_text(os.path.join(wd, "launcher.stderr")))


if __name__ == "__main__":
    unittest.main()
