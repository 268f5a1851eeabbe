"""The game's window on both renderers, its caption, its logs, and closing it."""
import os
import re
import unittest

import harness

CAPTION = r"^Zarvik - \[(?P<driver>[^\]]+)\] FPS:(?P<fps>\d+)$"
DIRECT3D_WARNING = "Warning: Direct3D is not available on this system; using OpenGL.\n"


class GameWindow(unittest.TestCase):
    def test_default_settings_open_an_opengl_window_and_warn(self):
        with harness.Session() as s:
            d = s.workdir()  # no launcher.ini: Direct3D, 1024x768, full screen
            for name in ("log.txt", "errlog.txt"):
                with open(os.path.join(d, name), "w") as f:
                    f.write("stale line from an earlier run\n")
            game = s.start("zarvik", d)
            wid = s.wait_window("^Zarvik - ")
            caption = re.match(CAPTION, s.window_name(wid))
            self.assertIsNotNone(caption, s.window_name(wid))
            self.assertTrue(caption.group("driver").startswith("OpenGL"), caption.group("driver"))

            # readable while the game runs, and emptied at its start
            log = harness.wait_log(d, DIRECT3D_WARNING)
            self.assertEqual(log.count(DIRECT3D_WARNING), 1)
            self.assertNotIn("stale line", log)
            self.assertNotIn("stale line", harness.read_text(os.path.join(d, "errlog.txt")))
            self.assertTrue(game.running())

            # the caption follows the frame rate, which settles well above the first second's
            harness.wait_for(lambda: int(re.match(CAPTION, s.window_name(wid)).group("fps")) > 10,
                             harness.LOG_TIMEOUT, "a frame rate above 10 in the caption")

            s.close_window(wid)
            self.assertEqual(game.wait(), 0)
            s.window_gone(wid)

    def test_software_renderer_in_a_640_by_480_window(self):
        with harness.Session() as s:
            d = s.workdir(ini="[screen]\ndriver=software\nwidth=640\nheight=480\nbits=32\nfull=0\n")
            game = s.start("zarvik", d)
            wid = s.wait_window("^Zarvik - ")
            caption = re.match(CAPTION, s.window_name(wid))
            self.assertIsNotNone(caption, s.window_name(wid))
            self.assertIn("Burning's Video", caption.group("driver"))
            self.assertEqual(s.geometry(wid), (640, 480))
            self.assertNotIn("Direct3D", harness.read_text(os.path.join(d, "log.txt")))

            s.close_window(wid)
            self.assertEqual(game.wait(), 0)


if __name__ == "__main__":
    unittest.main()
