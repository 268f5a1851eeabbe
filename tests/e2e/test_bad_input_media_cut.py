"""Each media file cut short, as an interrupted copy leaves it: the first half of the real file.
Headers that look right over a body that ends too soon; the game still starts, plays a run to its
end screen and exits with 0, leaving out what it cannot load."""
import unittest

from test_bad_input_media import check_rows


class CutMedia(unittest.TestCase):
    def test_each_file_cut_in_half(self):
        check_rows(self, "cut")


if __name__ == "__main__":
    unittest.main()
