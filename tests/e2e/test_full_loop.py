"""The loop a player goes through: title, a run, the end screen, back to the title, another run, Escape.

The score of a run depends on the random stream, so score.dat starts out holding -1 in an 8-byte file:
any run then sets a record, and the rules fix what the file must hold afterwards.
"""
import os
import re
import struct
import unittest

import harness

WIDTH, HEIGHT = 800, 600
ORANGE = (255, 77, 0)
RUN_TIMEOUT = 180  # a run without steering ends at the first gap, but the machine may be slow


def score_file(cwd):
    try:
        with open(os.path.join(cwd, "score.dat"), "rb") as f:
            return f.read()
    except OSError:
        return None


class Screen:
    """One capture of the X screen as raw RGB, read only inside the game window."""

    def __init__(self, session, wid, path):
        session.x("import", "-window", "root", "-depth", "8", "rgb:" + path, check=True, timeout=60)
        with open(path, "rb") as f:
            self.rgb = f.read()
        info = session.x("xwininfo", "-id", str(wid))
        self.left = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
        self.top = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
        self.screen_width = int(session.screen.split("x")[0])

    def orange_in_band(self, y_centre, half_height=12):
        """x positions (window coordinates) of text-orange pixels in the rows around y_centre."""
        xs = []
        for y in range(y_centre - half_height, y_centre + half_height + 1):
            row = (self.top + y) * self.screen_width
            for x in range(WIDTH):
                i = (row + self.left + x) * 3
                r, g, b = self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]
                if abs(r - ORANGE[0]) < 25 and abs(g - ORANGE[1]) < 25 and abs(b - ORANGE[2]) < 25:
                    xs.append(x)
        return xs


class FullLoop(unittest.TestCase):
    def play_one_run(self, s, wd, wid, runs_before):
        s.key(wid, "space")
        harness.wait_for(lambda: harness.log_count(wd, "NEW GAME") == runs_before + 1,
                         harness.LOG_TIMEOUT, "NEW GAME")
        # a few jumps, then the rabbit is left to fall into a gap
        for _ in range(3):
            s.key(wid, "space")
        harness.wait_for(lambda: harness.log_count(wd, "END GAME") == runs_before + 1,
                         RUN_TIMEOUT, "END GAME")

    def check_end_screen(self, s, wd, wid):
        """After a record the five lines sit at y = 100 .. 500, centred on x = 400."""
        steady = {100: [], 200: [], 300: [], 500: []}
        blinking = []

        def lines_seen():
            shot = Screen(s, wid, os.path.join(wd, "screen.rgb"))
            for y in steady:
                steady[y] = steady[y] or shot.orange_in_band(y)
            blinking.extend(shot.orange_in_band(400))
            return all(steady.values()) and blinking

        # "New High Score!!!" is hidden half of the time; several captures see both phases
        harness.wait_for(lines_seen, harness.LOG_TIMEOUT, "the end screen's five lines", interval=0.3)
        for xs in list(steady.values()) + [blinking]:
            self.assertAlmostEqual((min(xs) + max(xs)) / 2, WIDTH / 2, delta=30)

    def test_title_run_end_title_run_escape(self):
        with harness.Session() as s:
            wd = s.workdir(ini="[screen]\ndriver=software\nwidth=%d\nheight=%d\nbits=32\nfull=0\n"
                           % (WIDTH, HEIGHT))
            with open(os.path.join(wd, "score.dat"), "wb") as f:
                f.write(struct.pack("<ii", -1, 0))
            game = s.start("zarvik", wd)
            wid = s.wait_window("^Zarvik")
            self.assertEqual(s.geometry(wid), (WIDTH, HEIGHT))
            s.activate(wid)

            # the title: a prompt in the middle of the window, seen in both phases of its blinking
            prompt = lambda: Screen(s, wid, os.path.join(wd, "screen.rgb")).orange_in_band(300)
            harness.wait_for(prompt, harness.LOG_TIMEOUT, "the title prompt shown", interval=0.2)
            harness.wait_for(lambda: not prompt(), harness.LOG_TIMEOUT, "the title prompt hidden",
                             interval=0.2)

            self.play_one_run(s, wd, wid, 0)
            self.check_end_screen(s, wd, wid)
            first = score_file(wd)
            self.assertEqual(len(first), 4, "a record leaves exactly four bytes")
            first_score = struct.unpack("<i", first)[0]
            self.assertGreaterEqual(first_score, 0)

            # back to the title, then a second run
            s.key(wid, "Return")
            harness.wait_log(wd, "START SCREEN")
            self.play_one_run(s, wd, wid, 1)
            second = score_file(wd)
            self.assertEqual(len(second), 4)
            self.assertGreaterEqual(struct.unpack("<i", second)[0], first_score)
            self.assertEqual(os.listdir(wd).count("score.dat"), 1)
            self.assertEqual([n for n in os.listdir(wd) if n.startswith("score.dat.")], [],
                             "no temporary score file is left behind")

            s.key(wid, "Escape")
            self.assertEqual(game.wait(), 0)

            log = harness.read_text(os.path.join(wd, "log.txt"))
            self.assertEqual(re.findall(r"^(NEW GAME|END GAME|START SCREEN) -?\d+$", log, re.M),
                             ["NEW GAME", "END GAME", "START SCREEN", "NEW GAME", "END GAME"])
            self.assertEqual([l for l in log.splitlines() if l.startswith(("Error", "Warning"))], [])
            # the music played throughout
            self.assertGreater(harness.audio_peak(os.path.join(wd, "audio.raw")), 1000)


if __name__ == "__main__":
    unittest.main()
