"""pip installs the package offline into a fresh virtual environment with the
build's library inside it: it imports and runs there with no environment
variable, and TXAPPENDIX14_LIBRARY still overrides the library it carries.
TXAPPENDIX14_BUILD_DIR names the build; TX14_VERSION is the project's version."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

PACKAGE_SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

RUN_ITEM = """
import txappendix14
r = txappendix14.analyse({"kind": "opening", "code": "VIII-1", "t": 4.0, "Bn": 30.0, "A": 60.0,
                          "g0s": 1.0, "g1s": 1.5, "hs": 3.0, "ca": 0.125, "P": 100.0,
                          "Sho": 20000.0})
print(txappendix14.__file__, txappendix14.__version__, txappendix14.library_version(), r.mawp)
"""


@unittest.skipUnless(os.environ.get("TXAPPENDIX14_BUILD_DIR"), "no build directory named")
class FreshVirtualEnvironment(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="txappendix14-venv-")
        cls.python = os.path.join(cls.root, "venv", "bin", "python")
        # Nothing of the build's own: the package and library come from pip.
        cls.env = {k: v for k, v in os.environ.items()
                   if k not in ("PYTHONPATH", "TXAPPENDIX14_LIBRARY", "LD_LIBRARY_PATH")}
        subprocess.run([sys.executable, "-m", "venv", os.path.join(cls.root, "venv")], check=True)
        subprocess.run([cls.python, "-m", "pip", "install", "--no-build-isolation", "--no-index",
                        "--no-cache-dir", "--disable-pip-version-check", "--quiet",
                        PACKAGE_SOURCE], env=cls.env, check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def run_item(self, **env):
        return subprocess.run([self.python, "-c", RUN_ITEM], cwd=self.root,
                              env=dict(self.env, **env), capture_output=True, text=True,
                              check=False)

    def test_imports_and_runs_with_the_library_it_carries(self):
        run = self.run_item()
        self.assertEqual(run.returncode, 0, run.stderr)
        module, version, library_version, mawp = run.stdout.split()
        self.assertTrue(module.startswith(os.path.join(self.root, "venv")), module)
        self.assertEqual([version, library_version], [os.environ["TX14_VERSION"]] * 2)
        self.assertEqual(float(mawp), 209.15111)

    def test_the_environment_variable_overrides_it(self):
        missing = os.path.join(self.root, "nowhere", "libtxappendix14.so")
        run = self.run_item(TXAPPENDIX14_LIBRARY=missing)
        self.assertIn("LibraryNotFoundError", run.stderr)
        self.assertIn(missing, run.stderr)


if __name__ == "__main__":
    unittest.main()
