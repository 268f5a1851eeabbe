"""The harness itself: a server comes up with a window manager, and everything it started is gone after."""
import os
import subprocess
import unittest

import harness


class HarnessSelfCheck(unittest.TestCase):
    def test_session_starts_and_cleans_up(self):
        with harness.Session() as s:
            self.assertTrue(s.display.startswith(":"))
            d = s.workdir(ini="[screen]\nwidth=640\n")
            self.assertTrue(os.path.islink(os.path.join(d, "media")))
            self.assertEqual(harness.read_text(os.path.join(d, "launcher.ini")), "[screen]\nwidth=640\n")
            with open(os.path.join(d, "sleeper"), "w") as f:
                f.write("#!/bin/sh\nsleep 600 &\nexec sleep 600\n")
            os.chmod(os.path.join(d, "sleeper"), 0o755)
            program = s.start("sleeper", d, audio=False)
            xvfb_pid = s.xvfb.pid
        self.assertFalse(program.running())
        self.assertNotEqual(subprocess.run(["kill", "-0", str(xvfb_pid)],
                                           stderr=subprocess.DEVNULL).returncode, 0)
        self.assertFalse(os.path.exists(d))
        # the grandchild sleep of the program's group is gone too
        group_empty = lambda: subprocess.run(["pgrep", "-g", str(program.pid)],
                                             stdout=subprocess.DEVNULL).returncode == 1
        harness.wait_for(group_empty, 10, "the program's process group to end")


if __name__ == "__main__":
    unittest.main()
