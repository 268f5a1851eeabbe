"""Settings no window can be made for: the error box, then a clean exit, and nothing else made."""
import os
import unittest

import harness

NO_DEVICE = ("A video device could not be created. Please try adjusting the game settings to use "
             "a different video driver or screen mode.")


class NoDevice(unittest.TestCase):
    def check_error_box(self, ini):
        with harness.Session() as s:
            d = s.workdir(ini=ini)
            game = s.start("zarvik", d)
            box = s.wait_window("^Error$")
            # the text sits in a label of the dialog; the window holds nothing of the game
            self.assertEqual(s.find_windows("^Zarvik"), [])
            self.assertTrue(game.running(), "the box waits for the player")
            s.key(box, "Return")
            self.assertEqual(game.wait(), 0)
            # no sound engine either: the disk driver never wrote its capture
            made = set(os.listdir(d)) - {"launcher.ini", "media", "zarvik", "launcher",
                                         "zarvik.stderr"}
            self.assertEqual(made, {"log.txt", "errlog.txt"})

    def test_width_zero(self):
        self.check_error_box("[screen]\ndriver=opengl\nwidth=0\nheight=600\nfull=0\n")

    def test_height_beyond_what_the_engine_survives(self):
        self.check_error_box("[screen]\ndriver=software\nwidth=800\nheight=70000\nfull=0\n")

    def test_without_a_display_the_message_goes_to_errlog(self):
        with harness.Session() as s:
            d = s.workdir(ini="[screen]\ndriver=opengl\nwidth=0\nheight=600\nfull=0\n")
            game = s.start("zarvik", d, extra_env={"DISPLAY": ""})
            self.assertEqual(game.wait(), 0)
            self.assertIn(NO_DEVICE, harness.read_text(os.path.join(d, "errlog.txt")))


if __name__ == "__main__":
    unittest.main()
