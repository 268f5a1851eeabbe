"""The installed game as a player meets it: cmake --install into a prefix, the menu entry, the start
command that gives each player a folder of their own, and files that survive a reinstall."""
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import unittest

import harness

BUILD_DIR = os.path.dirname(harness.GAME_DIR)
# a space and characters a menu entry's Exec key reserves, so quoting is put to the test
PREFIX_NAME = "pre fix$"
LAUNCHER = "^Zarvik Launcher$"
GAME_CAPTION = "^Zarvik - "
SETTINGS = "[screen]\ndriver=software\nwidth=800\nheight=600\nbits=32\nfull=0\n"
MEDIA_TYPES = (".obj", ".mtl", ".b3d", ".png", ".xml", ".wav", ".ogg")


def install(prefix, destdir=None):
    env = dict(os.environ)
    env.pop("DESTDIR", None)
    if destdir:
        env["DESTDIR"] = destdir
    r = subprocess.run([shutil.which("cmake") or "cmake", "--install", BUILD_DIR, "--prefix", prefix],
                       env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                       timeout=300)
    if r.returncode != 0:
        raise AssertionError("cmake --install failed:\n" + r.stdout)


def tree(root):
    """Every path below root, relative, with links listed but not followed."""
    found = set()
    for d, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(d, name)
            if not os.path.isdir(path) or os.path.islink(path):
                found.add(os.path.relpath(path, root))
    return found


def generated_media():
    return sorted(n for n in os.listdir(os.path.join(harness.GAME_DIR, "media"))
                  if n.endswith(MEDIA_TYPES))


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def desktop_entry(path):
    keys = {}
    for line in harness.read_text(path).splitlines():
        if "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            keys[key] = value
    return keys


def player_env(home, display=None, data_home=None):
    env = dict(os.environ)
    for name in ("DISPLAY", "XDG_DATA_HOME", "XAUTHORITY", "WAYLAND_DISPLAY", "DESTDIR"):
        env.pop(name, None)
    env["HOME"] = home
    env["NO_AT_BRIDGE"] = "1"
    env["SDL_AUDIODRIVER"] = "disk"
    env["SDL_DISKAUDIOFILE"] = os.path.join(home, "audio.raw")
    if display:
        env["DISPLAY"] = display
    if data_home is not None:
        env["XDG_DATA_HOME"] = data_home
    return env


def run_without_display(command, env):
    """Runs the start command where no X server is: the launcher says so and ends at once."""
    return subprocess.run([command], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True, timeout=harness.LOG_TIMEOUT,
                          start_new_session=True)


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(os.path.join(BUILD_DIR, "cmake_install.cmake")):
            raise AssertionError("no build tree beside %s to install from" % harness.GAME_DIR)
        cls.root = tempfile.mkdtemp(prefix="zarvik-install-")
        cls.prefix = os.path.join(cls.root, PREFIX_NAME)
        install(cls.prefix)
        cls.command = os.path.join(cls.prefix, "games", "zarvik")
        cls.gamedir = os.path.join(cls.prefix, "lib", "games", "zarvik")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def home(self):
        d = tempfile.mkdtemp(prefix="home-", dir=self.root)
        self.addCleanup(shutil.rmtree, d, True)
        return d

    def player_dir(self, home):
        return os.path.join(home, ".local", "share", "zarvik")

    def assert_links_to_install(self, folder, gamedir=None):
        gamedir = gamedir or self.gamedir
        for name in ("zarvik", "launcher", "media"):
            path = os.path.join(folder, name)
            self.assertTrue(os.path.islink(path), path)
            self.assertEqual(os.readlink(path), os.path.join(gamedir, name))
        self.assertTrue(os.path.isfile(os.path.join(folder, "media", "icon48.png")))

    # -- the files in the prefix ------------------------------------------------------------------
    def test_the_prefix_holds_the_game_the_menu_entry_and_the_icon_and_nothing_else(self):
        media = generated_media()
        self.assertIn("icon48.png", media)
        expected = {"games/zarvik", "lib/games/zarvik/zarvik", "lib/games/zarvik/launcher",
                    "lib/games/zarvik/media", "share/applications/zarvik.desktop",
                    "share/icons/hicolor/48x48/apps/zarvik.png"}
        expected |= {"share/games/zarvik/media/" + n for n in media}
        self.assertEqual(tree(self.prefix), expected)

        for name in ("games/zarvik", "lib/games/zarvik/zarvik", "lib/games/zarvik/launcher"):
            self.assertTrue(os.access(os.path.join(self.prefix, name), os.X_OK), name)
        # media beside the executables (the launcher finds its icon there) is a relative link
        link = os.path.join(self.gamedir, "media")
        self.assertFalse(os.path.isabs(os.readlink(link)))
        self.assertEqual(os.path.realpath(link),
                         os.path.realpath(os.path.join(self.prefix, "share/games/zarvik/media")))
        for name in media:
            self.assertEqual(read_bytes(os.path.join(link, name)),
                             read_bytes(os.path.join(harness.GAME_DIR, "media", name)), name)

        icon = read_bytes(os.path.join(self.prefix, "share/icons/hicolor/48x48/apps/zarvik.png"))
        self.assertEqual(icon[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", icon[16:24]), (48, 48))

    def test_menu_entry_is_valid_and_names_the_command_and_the_icon(self):
        path = os.path.join(self.prefix, "share/applications/zarvik.desktop")
        keys = desktop_entry(path)
        self.assertEqual(keys.get("Icon"), "zarvik")
        self.assertEqual(keys.get("TryExec"), self.command)
        self.assertIn("Game;", keys.get("Categories", ""))
        if not shutil.which("desktop-file-validate"):
            self.skipTest("desktop-file-validate is not installed (desktop-file-utils)")
        r = subprocess.run(["desktop-file-validate", path], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True, timeout=60)
        self.assertEqual((r.returncode, r.stdout), (0, ""))

    def test_staged_install_for_a_package_points_at_the_final_prefix(self):
        stage = tempfile.mkdtemp(prefix="stage-", dir=self.root)
        install("/usr", destdir=stage)
        usr = os.path.join(stage, "usr")
        self.assertTrue(os.path.isfile(os.path.join(usr, "lib/games/zarvik/zarvik")))
        self.assertTrue(os.path.isfile(os.path.join(usr, "lib/games/zarvik/media/icon48.png")))
        keys = desktop_entry(os.path.join(usr, "share/applications/zarvik.desktop"))
        self.assertEqual((keys.get("Exec"), keys.get("TryExec")),
                         ("/usr/games/zarvik", "/usr/games/zarvik"))
        self.assertEqual(os.listdir(stage), ["usr"])

    # -- the start command's folder for the player ------------------------------------------------
    def test_player_folder_links_are_made_refreshed_and_the_players_own_files_kept(self):
        old = os.path.join(self.root, "gone", "lib", "games", "zarvik")
        other = os.path.join(self.root, "elsewhere")
        os.makedirs(other, exist_ok=True)
        # what each entry of the player's folder holds before the start command runs
        cases = [
            ("nothing", None),
            ("link already right", lambda p, n: os.symlink(os.path.join(self.gamedir, n), p)),
            ("dangling link to a removed install", lambda p, n: os.symlink(os.path.join(old, n), p)),
            ("link to another file", lambda p, n: os.symlink(other, p)),
        ]
        for what, make in cases:
            with self.subTest(what):
                home = self.home()
                folder = self.player_dir(home)
                os.makedirs(folder)
                if make:
                    for name in ("zarvik", "launcher", "media"):
                        make(os.path.join(folder, name), name)
                for name, data in (("score.dat", b"\x07\x00\x00\x00"), ("launcher.ini", SETTINGS)):
                    with open(os.path.join(folder, name), "wb" if isinstance(data, bytes) else "w") as f:
                        f.write(data)
                r = run_without_display(self.command, player_env(home))
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assert_links_to_install(folder)
                self.assertEqual(read_bytes(os.path.join(folder, "score.dat")), b"\x07\x00\x00\x00")
                self.assertEqual(harness.read_text(os.path.join(folder, "launcher.ini")), SETTINGS)
                self.assertEqual([n for n in os.listdir(folder) if ".link." in n], [],
                                 "no half-made link is left behind")
                self.assertTrue(os.path.isdir(other))

    def test_a_real_file_in_the_players_folder_is_theirs_and_stays(self):
        home = self.home()
        folder = self.player_dir(home)
        os.makedirs(os.path.join(folder, "media"))
        with open(os.path.join(folder, "media", "mine.txt"), "w") as f:
            f.write("a player's own media\n")
        r = run_without_display(self.command, player_env(home))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertFalse(os.path.islink(os.path.join(folder, "media")))
        self.assertEqual(os.listdir(os.path.join(folder, "media")), ["mine.txt"])
        self.assertIn("keeping your own %s/media" % folder, r.stderr)
        self.assertTrue(os.path.islink(os.path.join(folder, "zarvik")))

    def test_data_home_from_the_environment_only_when_it_is_absolute(self):
        home = self.home()
        data = os.path.join(home, "data")
        r = run_without_display(self.command, player_env(home, data_home=data))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assert_links_to_install(os.path.join(data, "zarvik"))
        self.assertFalse(os.path.exists(self.player_dir(home)))

        home = self.home()
        r = run_without_display(self.command, player_env(home, data_home="relative/data"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assert_links_to_install(self.player_dir(home))

    def test_no_folder_for_the_player_is_a_clear_message_not_a_launch(self):
        home = self.home()
        blocked = os.path.join(home, "file")
        with open(blocked, "w") as f:
            f.write("not a folder\n")
        r = run_without_display(self.command, player_env(home, data_home=blocked))
        self.assertEqual(r.returncode, 1)
        self.assertIn("zarvik: cannot use %s/zarvik" % blocked, r.stderr)
        self.assertNotIn("display", r.stdout + r.stderr)  # the launcher was never reached

    def test_moved_install_still_starts_and_the_links_follow_it(self):
        moved_root = tempfile.mkdtemp(prefix="moved-", dir=self.root)
        first = os.path.join(moved_root, "first")
        install(first)
        home = self.home()
        self.assertEqual(run_without_display(os.path.join(first, "games/zarvik"),
                                             player_env(home)).returncode, 0)
        second = os.path.join(moved_root, "second")
        os.rename(first, second)
        r = run_without_display(os.path.join(second, "games/zarvik"), player_env(home))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assert_links_to_install(self.player_dir(home),
                                     os.path.join(second, "lib", "games", "zarvik"))

    # -- the whole way, under X -------------------------------------------------------------------
    def start(self, session, args, env):
        with open(os.path.join(env["HOME"], "start.stderr"), "a") as stderr:
            popen = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=stderr,
                                     start_new_session=True)
        program = harness.Program(popen, env["HOME"])
        session.programs.append(program)
        return program

    def window_of(self, session, wid):
        """The pid behind a window, killed at the end of the test whoever started it."""
        pid = int(session.x("xdotool", "getwindowpid", str(wid), check=True).strip())

        def kill():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.addCleanup(kill)
        return pid

    def test_menu_entry_starts_the_launcher_in_the_players_folder_and_files_survive_a_reinstall(self):
        with harness.Session(screen="800x600x24") as s:
            home = self.home()
            folder = self.player_dir(home)
            env = player_env(home, display=s.display)
            entry = os.path.join(self.prefix, "share/applications/zarvik.desktop")

            # first start, from the menu entry as a desktop would: the launcher opens; Exit saves
            if shutil.which("gio"):
                self.start(s, ["gio", "launch", entry], env)
            else:
                self.start(s, [self.command], env)
            wid = s.wait_window(LAUNCHER)
            pid = self.window_of(s, wid)
            self.assertEqual(os.readlink("/proc/%d/cwd" % pid), folder)
            self.assert_links_to_install(folder)
            s.key(wid, "Return")  # the first focus is "Exit"
            s.window_gone(wid)
            harness.wait_for(lambda: not os.path.exists("/proc/%d" % pid), harness.LOG_TIMEOUT,
                             "the launcher to end")
            saved = harness.read_text(os.path.join(folder, "launcher.ini"))
            self.assertRegex(saved, r"^\[screen\]\ndriver=")
            self.assertEqual(tree(folder), {"zarvik", "launcher", "media", "launcher.ini"})

            # the player's choices and a record, then an upgrade over the same prefix
            with open(os.path.join(folder, "launcher.ini"), "w") as f:
                f.write(SETTINGS)
            with open(os.path.join(folder, "score.dat"), "wb") as f:
                f.write(struct.pack("<i", 1234))
            install(self.prefix)

            # second start: the launcher shows them, Play starts the installed game from here
            launcher = self.start(s, [self.command], env)
            wid = s.wait_window(LAUNCHER)
            s.key(wid, "Tab", "Return")  # "Play"
            self.assertEqual(launcher.wait(), 0)
            game_wid = s.wait_window(GAME_CAPTION)
            # the game is in the group of the start command, which the session kills at the end
            group = subprocess.run(["pgrep", "-g", str(launcher.pid)], stdout=subprocess.PIPE,
                                   text=True).stdout.split()
            self.assertEqual(len(group), 1, "the game alone is left of the start command")
            self.assertEqual(os.readlink("/proc/%s/cwd" % group[0]), folder)
            self.assertEqual(os.path.realpath("/proc/%s/exe" % group[0]),
                             os.path.realpath(os.path.join(self.gamedir, "zarvik")))
            s.key(game_wid, "space")  # a run starts: the title and its keys work from here
            harness.wait_log(folder, "NEW GAME")
            s.key(game_wid, "Escape")
            s.window_gone(game_wid)
            harness.wait_for(lambda: not os.path.exists("/proc/%s" % group[0]),
                             harness.LOG_TIMEOUT, "the game to end")

            self.assertEqual(harness.read_text(os.path.join(folder, "launcher.ini")), SETTINGS)
            self.assertEqual(read_bytes(os.path.join(folder, "score.dat")), struct.pack("<i", 1234))
            log = harness.read_text(os.path.join(folder, "log.txt"))
            self.assertEqual([l for l in log.splitlines() if re.match("Error|Warning", l)], [])
            self.assertNotRegex(harness.read_text(os.path.join(home, "start.stderr")),
                                "zarvik:|CRITICAL")


if __name__ == "__main__":
    unittest.main()
