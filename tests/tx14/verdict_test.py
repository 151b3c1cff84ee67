"""Per kind, a passing, a failing and a fatal item through tx14: exit code,
verdict, failing checks and the verdict line, the results there are; every
JSON it writes is valid against docs/results.schema.json and uses only keys
docs/results.md lists."""

import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

import jsonschema

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
TX14 = os.environ["TX14_CLI"]
EXAMPLES = os.path.join(ROOT, "examples")
with open(os.path.join(ROOT, "docs", "results.schema.json"), encoding="utf-8") as f:
    SCHEMA = json.load(f)
with open(os.path.join(ROOT, "docs", "results.md"), encoding="utf-8") as f:
    DOCUMENTED_KEYS = set(re.findall(r"^\| `(\w+)` \|", f.read(), re.M))


def example(name, *replacements):
    with open(os.path.join(EXAMPLES, name), encoding="utf-8") as f:
        text = f.read()
    for old, new in replacements:
        assert re.search(old, text, re.M), old
        text = re.sub(old, new, text, flags=re.M)
    return text


# kind, item file text, exit code, verdict, checks that fail (governing first)
CASES = [
    ("opening", example("opening-viii1.toml"), 0, "acceptable", []),
    ("opening", example("opening-too-thin.toml"), 4, "not acceptable", ["SH_shell", "MAWP", "SH_ST_shell", "SH_SR_shell", "ST_opening", "t_min",
                           "SH_ST_opening", "ST_shell", "SR_shell"]),
    ("opening", example("opening-viii1.toml", (r"^g1s = 1.5", "g1s = 0.5")), 3, "not analysed", None),
    ("jacket", example("jacket-viii2.toml"), 0, "acceptable", []),
    ("jacket", example("jacket-appendix-ee.toml"), 4, "not acceptable", ["Tj"]),
    ("jacket", example("jacket-viii2.toml", (r"^ts  = \S+", "ts = 0.125")), 3, "not analysed", None),
    ("coil", example("coil-pd5500.toml"), 0, "acceptable", []),
    ("coil", example("coil-pd5500.toml", (r"^Pj  = 100.0", "Pj = 1000.0")), 4, "not acceptable",
     ["pMaxC2", "e_cylinder", "pMaxC1", "e_coil"]),
    ("coil", example("coil-pd5500.toml", (r"^ts  = 0.5", "ts = -0.5")), 3, "not analysed", None),
]


RESULTS = {"opening": ["minimum_thickness", "mawp", "largest_stress"],
           "jacket": ["fillet_weld", "permissible_jacket_pressure", "governing_shell_thickness"]}


def tx14(*args):
    return subprocess.run([TX14, *args], capture_output=True, check=False)


class Verdicts(unittest.TestCase):
    def test_every_kind_passes_fails_and_stops(self):
        with tempfile.TemporaryDirectory() as tmp:
            for n, (kind, text, code, verdict, failing) in enumerate(CASES):
                with self.subTest(kind=kind, verdict=verdict, case=n):
                    path = os.path.join(tmp, "item-%d.toml" % n)
                    with open(path, "w", encoding="utf-8") as f:
                        f.write(text)
                    plain = tx14("run", "--plain", path)
                    self.assertEqual(plain.returncode, code, plain.stderr)
                    out = tx14("run", "--json", path)
                    self.assertEqual(out.returncode, code)
                    j = json.loads(out.stdout)
                    jsonschema.validate(j, SCHEMA)
                    self.assertEqual(j["verdict"], verdict)
                    names = RESULTS["opening" if kind == "opening" else "jacket"]
                    self.assertEqual((j["kind"], list(j["results"]), list(j["result_units"])),
                                     ("opening" if kind == "opening" else "jacket", names, names))
                    # None when not analysed; a coil has no fillet weld.
                    self.assertEqual([v is None for v in j["results"].values()],
                                     [failing is None or (kind, n) == ("coil", "fillet_weld") for n in names])
                    self.assertLessEqual({c["key"] for c in j["checks"]} | set(j["values"]),
                                         DOCUMENTED_KEYS)
                    block = plain.stdout.decode("ascii").split("\n\nVERDICT: ", 1)[1]
                    self.assertTrue(block.startswith(verdict.upper()), block)
                    if failing is None:
                        self.assertEqual((j["values"], j["checks"], j["governing"]), ({}, [], None))
                        continue
                    self.assertEqual(sorted(c["key"] for c in j["checks"] if not c["passes"]),
                                     sorted(failing))
                    if failing:
                        self.assertEqual(j["governing"], failing[0])
                        self.assertEqual(len(block.splitlines()), len(failing))
                        first = next(c for c in j["checks"] if c["key"] == failing[0])
                        self.assertIn(first["label"] + " ", block.splitlines()[0])


if __name__ == "__main__":
    sys.exit(unittest.main())
