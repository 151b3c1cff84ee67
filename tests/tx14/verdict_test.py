"""Per kind and code, sound, failing, refused and out-of-scope items through
tx14: exit code, verdict, failing checks, reasons and the verdict line, the
results there are; every JSON it writes is valid against
docs/results.schema.json and uses only keys and codes docs/results.md lists."""

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

# The published Appendix EE example J: D 40 in., ts 0.3125 in., P 190 psi,
# S 16 000 psi, E 1, NPS 3, Tj 0.3 in., Pj 300 psi, Sj 16 000 psi.
J = """kind = "jacket"
code = "VIII-1"
units = "US"
D = 40.0
ts = 0.3125
P = 190.0
S = 16000.0
E = 1.0
NPS = 3
Tj = 0.3
Pj = 300.0
Sj = 16000.0
"""


def changed(text, **values):
    """The item with keys replaced or added."""
    for key, value in values.items():
        line = "%s = %r\n" % (key, value)
        text, n = re.subn(r"^%s\s*=.*\n" % key, line, text, flags=re.M)
        if n == 0:
            text += line
    return text


def example(name, *replacements):
    with open(os.path.join(EXAMPLES, name), encoding="utf-8") as f:
        text = f.read()
    for old, new in replacements:
        assert re.search(old, text, re.M), old
        text = re.sub(old, new, text, flags=re.M)
    return text


# kind, item file text, exit code, verdict, checks that fail (governing
# first; None: not analysed), the codes of the reasons (not analysed only)
OPENING = example("opening-viii1.toml")
COIL = example("coil-pd5500.toml")
CASES = [
    ("opening", OPENING, 0, "acceptable", [], []),
    ("opening", example("opening-too-thin.toml"), 4, "not acceptable", ["SH_shell", "MAWP", "SH_ST_shell", "SH_SR_shell",
                           "ST_opening", "SH_ST_opening", "ST_shell", "SR_shell"], []),
    ("opening", example("opening-viii1.toml", (r"^g1s = 1.5", "g1s = 0.5")), 3, "not analysed", None, ["input_error"]),
    # Every stress vanishes: the ratios would take them as 1.0.
    ("opening", changed(example("opening-viii2.toml"), t=1e15), 3, "not analysed", None,
     ["mawp_undefined", "not_finite"]),
    # A tapered shell hub without length: F, V and f would rest on cancellation.
    ("opening", changed(OPENING, hs=0.0), 3, "not analysed", None, ["short_hub"]),
    ("jacket", example("jacket-viii2.toml"), 0, "acceptable", [], []),
    ("jacket", example("jacket-appendix-ee.toml"), 4, "not acceptable", ["T"], []),
    ("jacket", example("jacket-viii2.toml", (r"^ts  = \S+", "ts = 0.125")), 3, "not analysed", None, ["input_error"]),
    ("jacket", J, 0, "acceptable", [], []),
    ("jacket", changed(J, P=250.0), 4, "not acceptable", ["Tr"], []),
    # P' at ts far above Pj; P' at Trj (about Pj by construction) is no check.
    ("jacket", changed(J, ts=1.0, Pj=50.0), 0, "acceptable", [], []),
    ("jacket", changed(J, D=300.0, ts=1.0, P=50.0, Pj=150.0), 3, "not analysed", None, ["chart_diameter"]),
    ("jacket", changed(J, ts=0.15, P=50.0, Pj=150.0), 3, "not analysed", None, ["chart_thickness"]),
    ("jacket", changed(J, code="VIII-2", ts=2.5, P=50.0), 3, "not analysed", None, ["chart_thickness"]),
    ("jacket", changed(J, P=-15.0), 3, "not analysed", None, ["external_pressure"]),
    ("jacket", changed(J, P=6400.0, ts=3.0, D=100.0), 3, "not analysed", None, ["chart_thickness", "thin_wall_shell"]),
    ("jacket", changed(J, Pj=6500.0, Tj=1.5, ts=1.0, D=100.0, NPS=4), 3, "not analysed", None, ["thin_wall_jacket"]),
    ("coil", COIL, 0, "acceptable", [], []),
    ("coil", example("coil-pd5500.toml", (r"^Pj  = 100.0", "Pj = 1000.0")), 4, "not acceptable",
     ["pMaxC2", "e_cylinder", "pMaxC1", "e_coil"], []),
    # The cylinder's own pressure, which the coil rules leave out.
    ("coil", changed(COIL, P=1000.0), 4, "not acceptable", ["cylinder_pressure"], []),
    ("coil", changed(example("coil-en13445.toml"), P=1000.0), 4, "not acceptable", ["cylinder_pressure"], []),
    ("coil", example("coil-pd5500.toml", (r"^ts  = 0.5", "ts = -0.5")), 3, "not analysed", None, ["input_error"]),
]

# Items no component can be: refused before anything runs, naming the key.
REFUSED = [
    (changed(OPENING, Bn=59.0), "Bn"), (changed(OPENING, Bn=58.25), "Bn"),
    (changed(OPENING, g0n=10.0, g1n=20.0, hn=3.0), "Bn"), (changed(OPENING, ca=-0.5), "ca"),
    (changed(OPENING, ca=-1e-30), "ca"), (changed(OPENING, Sho=0.0), "Sho"),
    (changed(J, P=250.0, ca=-0.2), "ca"), (changed(J, co=-0.2), "co"), (changed(J, caj=-0.2), "caj"),
    (changed(J, NPS=13), "NPS"), (changed(J, NPS=6), "NPS"), (changed(J, NPS=4.5), "NPS"), (changed(J, NPS=1), "NPS"),
    (changed(J, P=220.0, E=85), "E"), (changed(J, S=0.0), "S"), (changed(J, Sj=-1.0), "Sj"),
    (changed(COIL, E=1.5), "E"), (changed(COIL, NPS=6), "NPS"),
]

RESULTS = {"opening": ["minimum_thickness", "mawp", "largest_stress"],
           "jacket": ["fillet_weld", "permissible_jacket_pressure", "governing_shell_thickness"]}


def tx14(*args):
    return subprocess.run([TX14, *args], capture_output=True, check=False)


class Verdicts(unittest.TestCase):
    def test_every_kind_passes_fails_and_stops(self):
        with tempfile.TemporaryDirectory() as tmp:
            for n, (kind, text, code, verdict, failing, reasons) in enumerate(CASES):
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
                    self.assertTrue(all(c.get("reference") for c in j["checks"]), "a check without its paragraph")
                    self.assertEqual(j["verdict"], verdict)
                    names = RESULTS["opening" if kind == "opening" else "jacket"]
                    self.assertEqual((j["kind"], list(j["results"]), list(j["result_units"])),
                                     ("opening" if kind == "opening" else "jacket", names, names))
                    # None after fatal input errors; a coil has no fillet weld.
                    self.assertEqual([v is None for v in j["results"].values()],
                                     [j["fatal_errors"] > 0 or (kind, n) == ("coil", "fillet_weld") for n in names])
                    self.assertLessEqual({c["key"] for c in j["checks"]} | set(j["values"]),
                                         DOCUMENTED_KEYS)
                    self.assertLessEqual({r["code"] for r in j["reasons"] + j["notes"]}, DOCUMENTED_KEYS)
                    self.assertEqual([r["code"] for r in j["reasons"]], reasons)
                    block = plain.stdout.decode("ascii").split("\n\nVERDICT: ", 1)[1]
                    self.assertTrue(block.startswith(verdict.upper()), block)
                    verdict_lines = [l for l in block.splitlines() if not l.startswith("note: ")]
                    self.assertEqual(len(block.splitlines()) - len(verdict_lines), len(j["notes"]))
                    if failing is None:
                        if j["fatal_errors"]:
                            self.assertEqual((j["values"], j["checks"], j["governing"]), ({}, [], None))
                        self.assertEqual(len(verdict_lines), len(reasons) + (1 if j["fatal_errors"] else 0))
                        continue
                    applicable = [c for c in j["checks"] if c["applicable"]]
                    self.assertEqual(sorted(c["key"] for c in applicable if not c["passes"]), sorted(failing))
                    governing = next(c for c in j["checks"] if c["key"] == j["governing"])
                    self.assertTrue(governing["applicable"])
                    if failing:
                        self.assertEqual(j["governing"], failing[0])
                        self.assertEqual(len(verdict_lines), len(failing))
                        self.assertIn(governing["label"] + " ", verdict_lines[0])
                    elif kind == "opening":  # a criterion governs, never a search artefact
                        self.assertIn(j["governing"], [c["key"] for c in j["checks"]])

    def test_impossible_items_are_refused_naming_the_key(self):
        with tempfile.TemporaryDirectory() as tmp:
            for n, (text, key) in enumerate(REFUSED):
                with self.subTest(case=n, key=key):
                    path = os.path.join(tmp, "item-%d.toml" % n)
                    with open(path, "w", encoding="utf-8") as f:
                        f.write(text)
                    out = tx14("run", path)
                    self.assertEqual((out.returncode, out.stdout), (2, b""), out.stderr)
                    self.assertRegex(out.stderr.decode(), r':\d+:\d+: key "%s": ' % key)


if __name__ == "__main__":
    sys.exit(unittest.main())
