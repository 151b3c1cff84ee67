"""pip installs the package offline into a fresh virtual environment with the
build's library inside it: it imports and runs there with no environment
variable. (That TXAPPENDIX14_LIBRARY names the library: every other suite.)
TXAPPENDIX14_BUILD_DIR names the build; TX14_VERSION is the project's version."""

import os
import subprocess
import sys
import tempfile
import unittest

PACKAGE_SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUN_ITEM = """import txappendix14
r = txappendix14.analyse({"kind": "opening", "code": "VIII-1", "t": 4.0, "Bn": 30.0, "A": 60.0, "g0s": 1.0,
                          "g1s": 1.5, "hs": 3.0, "ca": 0.125, "P": 100.0, "Sho": 20000.0})
print(txappendix14.__file__, txappendix14.__version__, txappendix14.library_version(), r.mawp)"""


@unittest.skipUnless(os.environ.get("TXAPPENDIX14_BUILD_DIR"), "no build directory named")
class FreshVirtualEnvironment(unittest.TestCase):
    def test_installs_offline_and_runs_with_the_library_it_carries(self):
        with tempfile.TemporaryDirectory(prefix="txappendix14-venv-") as root:
            python, venv = os.path.join(root, "venv", "bin", "python"), os.path.join(root, "venv")
            # Nothing of the build's own: the package and library come from pip.
            env = {k: v for k, v in os.environ.items()
                   if k not in ("PYTHONPATH", "TXAPPENDIX14_LIBRARY", "LD_LIBRARY_PATH")}
            subprocess.run([sys.executable, "-m", "venv", venv], check=True)
            subprocess.run([python, "-m", "pip", "install", "--no-build-isolation", "--no-index", "--no-cache-dir",
                            "--disable-pip-version-check", "--quiet", PACKAGE_SOURCE], env=env, check=True)
            run = subprocess.run([python, "-c", RUN_ITEM], cwd=root, env=env, capture_output=True, text=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            module, version, library_version, mawp = run.stdout.split()
            self.assertTrue(module.startswith(venv), module)
            self.assertEqual([version, library_version, mawp], [os.environ["TX14_VERSION"]] * 2 + ["209.15111"])
