"""A broken media folder: each file missing in turn, and each replaced by noise. The game still
opens its window, plays a run to its end screen and exits with 0; what it cannot load is left out.

Each row has its own working directory whose media folder links to the generated files, with the
one file of the row taken out or replaced."""
import os
import time
import unittest

import bad_input
import harness

MEDIA = os.path.join(harness.GAME_DIR, "media")

# What the log says when a font cannot be loaded: the title prompt and "GO!" find no font, the
# end screen's lines name the file they could not load.
FONT_LINES = {
    "blinkfont.xml": ["Error: font not found.", "Error, could not load font: media/blinkfont.xml"],
    "shoutfont.xml": ["Error: font not found."],
    "bigfont.xml": ["Error, could not load font: media/bigfont.xml"],
}


def media_files():
    return sorted(os.listdir(MEDIA))


def play_with_media(session, broken, garbage):
    wd = session.workdir(ini=bad_input.SMALL_GAME, media=False)
    folder = os.path.join(wd, "media")
    os.mkdir(folder)
    for name in media_files():
        if name != broken:
            os.symlink(os.path.join(MEDIA, name), os.path.join(folder, name))
    if garbage:
        bad_input.write_bytes(os.path.join(folder, broken),
                              bad_input.noise(4096, broken))
    game = session.start("zarvik", wd)
    log = bad_input.play_one_run(session, wd, game)
    for line in FONT_LINES.get(broken, []):
        if line not in log:
            raise AssertionError("no line %r in the log:\n%s" % (line, log))


class BrokenMedia(unittest.TestCase):
    def check_rows(self, garbage):
        started = time.monotonic()

        def play(row):
            with harness.Session(screen=bad_input.SMALL_SCREEN) as s:
                play_with_media(s, row[0], garbage)

        rows = [(name,) for name in media_files()]
        self.assertIn(("rabbit.b3d",), rows, "the media folder was not generated")
        results = bad_input.run_side_by_side(rows, play)
        for name, (error, seconds) in results.items():
            with self.subTest(file=name, garbage=garbage):
                if error is not None:
                    raise error
        print("%s: %d rows in %.0f s" % ("garbage" if garbage else "missing", len(rows),
                                         time.monotonic() - started))

    def test_each_file_missing(self):
        self.check_rows(garbage=False)

    def test_each_file_replaced_by_noise(self):
        self.check_rows(garbage=True)


if __name__ == "__main__":
    unittest.main()
