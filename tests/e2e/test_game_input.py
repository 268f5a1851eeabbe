"""Input reaches the game: a press starts a run, Escape ends the game from any state."""
import os
import unittest

import harness


def settings():
    return "[screen]\ndriver=software\nwidth=640\nheight=480\nbits=32\nfull=0\n"


class GameInput(unittest.TestCase):
    def test_escape_on_the_title_screen(self):
        with harness.Session() as s:
            d = s.workdir(ini=settings())
            game = s.start("zarvik", d)
            wid = s.wait_window("^Zarvik - ")
            s.key(wid, "Escape")
            self.assertEqual(game.wait(), 0)
            self.assertNotIn("NEW GAME", harness.read_text(os.path.join(d, "log.txt")))

    def test_a_press_starts_a_run_and_escape_ends_it(self):
        with harness.Session() as s:
            d = s.workdir(ini=settings())
            game = s.start("zarvik", d)
            wid = s.wait_window("^Zarvik - ")
            s.key(wid, "space")
            log = harness.wait_log(d, "NEW GAME ")
            line = [l for l in log.splitlines() if l.startswith("NEW GAME ")][0]
            self.assertRegex(line, r"^NEW GAME \d+$")
            self.assertTrue(game.running())
            s.key(wid, "Escape")
            self.assertEqual(game.wait(), 0)

    def test_a_mouse_button_starts_a_run(self):
        with harness.Session() as s:
            d = s.workdir(ini=settings())
            game = s.start("zarvik", d)
            wid = s.wait_window("^Zarvik - ")
            s.click(wid, 1)
            harness.wait_log(d, "NEW GAME ")
            s.close_window(wid)
            self.assertEqual(game.wait(), 0)

    def test_without_sound_the_game_says_so_and_plays(self):
        with harness.Session() as s:
            d = s.workdir(ini=settings())
            game = s.start("zarvik", d, extra_env={"SDL_AUDIODRIVER": "nonexistent"})
            wid = s.wait_window("^Zarvik - ")
            log = harness.wait_log(d, "Error initialising sound.\n")
            self.assertEqual(log.count("Error initialising sound."), 1)
            s.key(wid, "Return")
            harness.wait_log(d, "NEW GAME ")
            s.key(wid, "Escape")
            self.assertEqual(game.wait(), 0)


if __name__ == "__main__":
    unittest.main()
