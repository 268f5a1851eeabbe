"""A broken media folder: each file missing in turn, and each replaced by noise. The game still
opens its window, plays a run to its end screen and exits with 0; what it cannot load is left out.
(Files cut short are in test_bad_input_media_cut.py, to keep each test file's run time in bounds.)

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


def damage_warned(broken):
    """Files the game checks before the engine's loader sees them say so when damaged."""
    return broken.endswith((".b3d", ".xml"))


def play_with_media(session, broken, how):
    """how: "missing", "noise" (4 KB of it) or "cut" (the first half of the real file)."""
    wd = session.workdir(ini=bad_input.SMALL_GAME, media=False)
    folder = os.path.join(wd, "media")
    os.mkdir(folder)
    for name in media_files():
        if name != broken:
            os.symlink(os.path.join(MEDIA, name), os.path.join(folder, name))
    if how == "noise":
        bad_input.write_bytes(os.path.join(folder, broken), bad_input.noise(4096, broken))
    elif how == "cut":
        whole = bad_input.read_bytes(os.path.join(MEDIA, broken))
        bad_input.write_bytes(os.path.join(folder, broken), whole[:len(whole) // 2])
    game = session.start("zarvik", wd)
    log = bad_input.play_one_run(session, wd, game)
    lines = list(FONT_LINES.get(broken, []))
    if how != "missing" and damage_warned(broken):
        lines.append("Warning: damaged media file skipped: media/%s\n" % broken)
    for line in lines:
        if line not in log:
            raise AssertionError("no line %r in the log:\n%s" % (line, log))


def check_rows(test, how):
    started = time.monotonic()

    def play(row):
        with harness.Session(screen=bad_input.SMALL_SCREEN) as s:
            play_with_media(s, row[0], how)

    rows = [(name,) for name in media_files()]
    test.assertIn(("rabbit.b3d",), rows, "the media folder was not generated")
    results = bad_input.run_side_by_side(rows, play)
    for name, (error, seconds) in results.items():
        with test.subTest(file=name, how=how):
            if error is not None:
                raise error
    print("%s: %d rows in %.0f s" % (how, len(rows), time.monotonic() - started))


class BrokenMedia(unittest.TestCase):
    def test_each_file_missing(self):
        check_rows(self, "missing")

    def test_each_file_replaced_by_noise(self):
        check_rows(self, "noise")


if __name__ == "__main__":
    unittest.main()
