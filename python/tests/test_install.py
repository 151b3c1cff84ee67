"""The package installs offline with pip, and finds the library through the
environment variable or beside the package, or says what it tried."""

import ctypes.util
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from txappendix14._library import LIBRARY_FILE_NAMES

PACKAGE_SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIBRARY = os.environ.get("TXAPPENDIX14_LIBRARY")

RUN_ITEM = """
import txappendix14
r = txappendix14.analyse({"kind": "opening", "code": "VIII-1", "t": 4.0, "Bn": 30.0, "A": 60.0,
                          "g0s": 1.0, "g1s": 1.5, "hs": 3.0, "ca": 0.125, "P": 100.0,
                          "Sho": 20000.0})
print(txappendix14.__file__)
print(r.mawp)
"""


class Installation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.target = tempfile.mkdtemp(prefix="txappendix14-install-")
        cls.pip = subprocess.run(
            [sys.executable, "-m", "pip", "install", "--no-build-isolation", "--no-index",
             "--no-cache-dir", "--disable-pip-version-check", "--quiet", "--target", cls.target,
             PACKAGE_SOURCE],
            capture_output=True, text=True, check=False)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.target, ignore_errors=True)

    def run_python(self, library=None):
        env = {k: v for k, v in os.environ.items() if k != "TXAPPENDIX14_LIBRARY"}
        env["PYTHONPATH"] = self.target
        if library is not None:
            env["TXAPPENDIX14_LIBRARY"] = library
        return subprocess.run([sys.executable, "-c", RUN_ITEM], cwd=self.target, env=env,
                              capture_output=True, text=True, check=False)

    def test_pip_installs_the_package(self):
        self.assertEqual(self.pip.returncode, 0, self.pip.stderr)
        installed = os.listdir(os.path.join(self.target, "txappendix14"))
        self.assertIn("context.py", installed)
        self.assertTrue(any(name.endswith(".dist-info") for name in os.listdir(self.target)))

    def test_library_named_by_the_environment(self):
        missing = os.path.join(self.target, "nowhere", "libtxappendix14.so")
        run = self.run_python(missing)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("LibraryNotFoundError", run.stderr)
        self.assertIn(missing, run.stderr)

    @unittest.skipIf(ctypes.util.find_library("txappendix14"), "a system copy would be found")
    def test_no_library_anywhere_lists_what_was_tried(self):
        run = self.run_python()
        self.assertIn("TXAPPENDIX14_LIBRARY (not set)", run.stderr)
        self.assertIn(os.path.join(self.target, "txappendix14"), run.stderr)

    @unittest.skipUnless(LIBRARY, "TXAPPENDIX14_LIBRARY names the built library")
    def test_library_beside_the_package(self):
        beside = os.path.join(self.target, "txappendix14", LIBRARY_FILE_NAMES[0])
        shutil.copy(LIBRARY, beside)
        try:
            run = self.run_python()
        finally:
            os.unlink(beside)
        self.assertEqual(run.returncode, 0, run.stderr)
        module, mawp = run.stdout.split()
        self.assertTrue(module.startswith(self.target))
        self.assertEqual(float(mawp), 209.15111)


if __name__ == "__main__":
    unittest.main()
