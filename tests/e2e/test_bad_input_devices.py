"""Devices a player's machine may lack: a sound device, a display, a screen mode worth using."""
import os
import unittest

import bad_input
import harness

NO_DEVICE = ("Error: A video device could not be created. Please try adjusting the game settings "
             "to use a different video driver or screen mode.")
NO_DISPLAY = "Error: Your system doesn't appear to have a working display device."


def unused_display():
    for n in range(900, 1000):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    raise AssertionError("no free display number")


def without_display(wd, program):
    """A script in wd that runs ./program with DISPLAY taken out of its environment."""
    name = "no-display-" + program
    with open(os.path.join(wd, name), "w") as f:
        f.write("#!/bin/sh\nexec env -u DISPLAY ./%s\n" % program)
    os.chmod(os.path.join(wd, name), 0o755)
    return name


class NoSoundDevice(unittest.TestCase):
    def test_the_whole_loop_plays_silently(self):
        with harness.Session(screen=bad_input.SMALL_SCREEN) as s:
            wd = s.workdir(ini=bad_input.SMALL_GAME)
            bad_input.write_bytes(os.path.join(wd, "score.dat"), bad_input.score_bytes(-1))
            game = s.start("zarvik", wd, audio=False,
                           extra_env={"SDL_AUDIODRIVER": "nonexistent"})
            wid = bad_input.game_window(s, game)
            # title, a run, the end screen, the title again, a second run, Escape
            bad_input.start_run(s, wd, wid, game)
            harness.wait_for(lambda: "END GAME " in bad_input.log_of(wd), bad_input.RUN_TIMEOUT,
                             "the first run to end")
            s.key(wid, "Return")
            harness.wait_log(wd, "START SCREEN ")
            s.key(wid, "space")
            harness.wait_for(lambda: bad_input.log_of(wd).count("NEW GAME ") == 2,
                             harness.LOG_TIMEOUT, "the second run")
            s.key(wid, "Escape")
            bad_input.check_exit(game)
            log = bad_input.log_of(wd)
            self.assertEqual(log.count("Error initialising sound."), 1, log)
            self.assertIn("Error initialising sound.\n", log)
            score = bad_input.read_bytes(os.path.join(wd, "score.dat"))
            self.assertEqual(len(score), 4, "the record was saved as usual")
            self.assertGreaterEqual(int.from_bytes(score, "little", signed=True), 0)


class NoDisplay(unittest.TestCase):
    def test_both_programs_say_so_on_standard_error(self):
        # program, how DISPLAY is broken, where its standard error ends up, what it says there
        rows = [
            ("zarvik", "unset", "errlog.txt", NO_DEVICE),
            ("zarvik", "empty", "errlog.txt", NO_DEVICE),
            ("zarvik", "no server", "errlog.txt", NO_DEVICE),
            ("launcher", "unset", "launcher.stderr", NO_DISPLAY),
            ("launcher", "empty", "launcher.stderr", NO_DISPLAY),
            ("launcher", "no server", "launcher.stderr", NO_DISPLAY),
        ]
        with harness.Session(window_manager=False) as s:
            for program, display, stderr, line in rows:
                with self.subTest(program=program, display=display):
                    wd = s.workdir(ini=bad_input.SMALL_GAME)
                    name, env = program, {}
                    if display == "unset":
                        name = without_display(wd, program)
                        stderr = stderr.replace(program, name)
                    else:
                        env["DISPLAY"] = "" if display == "empty" else unused_display()
                    started = s.start(name, wd, audio=False, extra_env=env)
                    bad_input.check_exit(started)
                    text = harness.read_text(os.path.join(wd, stderr))
                    self.assertIn(line + "\n", text)
                    self.assertFalse(os.path.exists(os.path.join(wd, "score.dat")))
                    self.assertEqual(bad_input.read_bytes(os.path.join(wd, "launcher.ini")),
                                     bad_input.SMALL_GAME.encode(), "launcher.ini changed")


class NoUsableMode(unittest.TestCase):
    """An 8-bit screen: the launcher has no mode to offer, the game no visual to draw with."""

    def test_the_launcher_shows_its_message(self):
        with harness.Session(screen="1024x768x8") as s:
            wd = s.workdir(ini=bad_input.SMALL_GAME)
            program = s.start("launcher", wd, audio=False)
            box = s.wait_window("^Error$")
            self.assertEqual(s.find_windows("^Zarvik Launcher$"), [])
            s.key(box, "Return")
            bad_input.check_exit(program)
            self.assertEqual(bad_input.read_bytes(os.path.join(wd, "launcher.ini")),
                             bad_input.SMALL_GAME.encode(), "launcher.ini changed")

    def test_the_game_shows_the_no_device_box(self):
        with harness.Session(screen="1024x768x8") as s:
            for driver in ("software", "opengl"):
                with self.subTest(driver=driver):
                    wd = s.workdir(ini=bad_input.SMALL_GAME.replace("software", driver))
                    game = s.start("zarvik", wd)
                    try:
                        def shown():
                            if not game.running():
                                raise AssertionError("the game ended with %s and showed nothing"
                                                     % game.popen.returncode)
                            return s.find_windows("^(Error|Zarvik.*)$")
                        wid = harness.wait_for(shown, harness.WINDOW_TIMEOUT, "a window")[0]
                        self.assertEqual(s.window_name(wid), "Error")
                        s.key(wid, "Return")
                        bad_input.check_exit(game)
                        self.assertFalse(os.path.exists(os.path.join(wd, "score.dat")))
                    finally:
                        game.kill()

if __name__ == "__main__":
    unittest.main()
