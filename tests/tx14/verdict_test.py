"""Per kind and code, sound, failing, refused and out-of-scope items through
tx14: exit code, verdict, failing checks, reasons and the verdict line, the
results there are (refusals: hostile_files_test.cpp); every JSON it writes is valid against
docs/results.schema.json and uses only keys and codes docs/results.md lists.
Every example runs, its report in UTF-8, coloured only when asked."""

import json
import os
import re
import subprocess
import tempfile
import unittest

import jsonschema

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
with open(os.path.join(ROOT, "docs", "results.schema.json"), encoding="utf-8") as f:
    SCHEMA = json.load(f)
with open(os.path.join(ROOT, "docs", "results.md"), encoding="utf-8") as f:
    DOCUMENTED_KEYS = set(re.findall(r"^\| `(\w+)` \|", f.read(), re.M))


def example(name, **values):
    """An example item with keys replaced or added."""
    with open(os.path.join(ROOT, "examples", name), encoding="utf-8") as f:
        text = f.read()
    for key, value in values.items():
        line = "%s = %r\n" % (key, value)
        text, n = re.subn(r"^%s\s*=.*\n" % key, line, text, flags=re.M)
        text += "" if n else line
    return text


OPENING, COIL = "opening-viii1.toml", "coil-pd5500.toml"
J = "jacket-appendix-ee-worked.toml"  # the published Appendix EE example
# item file, exit code, verdict, checks that fail (governing first; None:
# not analysed), the codes of the reasons
CASES = [
    (example(OPENING), 0, "acceptable", [], []),
    (example("opening-too-thin.toml"), 4, "not acceptable",
     ["SH_shell", "MAWP", "SH_ST_shell", "SH_SR_shell", "ST_opening", "SH_ST_opening", "ST_shell", "SR_shell"], []),
    (example(OPENING, g1s=0.5), 3, "not analysed", None, ["input_error"]),
    # Every stress vanishes: the ratios would take them as 1.0.
    (example("opening-viii2.toml", t=1e15), 3, "not analysed", None, ["mawp_undefined", "not_finite"]),
    # A tapered shell hub without length: F, V and f would rest on cancellation.
    (example(OPENING, hs=0.0), 3, "not analysed", None, ["short_hub"]),
    (example("jacket-appendix-ee.toml"), 4, "not acceptable", ["T"], []),
    (example(J), 0, "acceptable", [], []),
    (example(J, P=250.0), 4, "not acceptable", ["Tr"], []),
    (example(J, D=300.0, ts=1.0, P=50.0, Pj=150.0), 3, "not analysed", None, ["chart_diameter"]),
    (example(J, ts=0.15, P=50.0, Pj=150.0), 3, "not analysed", None, ["chart_thickness"]),
    (example(J, P=-15.0), 3, "not analysed", None, ["external_pressure"]),
    (example(J, P=6400.0, ts=3.0, D=100.0), 3, "not analysed", None, ["chart_thickness", "thin_wall_shell"]),
    (example(J, Pj=6500.0, Tj=1.5, ts=1.0, D=100.0, NPS=4), 3, "not analysed", None, ["thin_wall_jacket"]),
    (example(COIL), 0, "acceptable", [], []),
    (example(COIL, Pj=1000.0), 4, "not acceptable", ["pMaxC2", "e_cylinder", "pMaxC1", "e_coil"], []),
    # The cylinder's own pressure, which the coil rules leave out.
    (example(COIL, P=1000.0), 4, "not acceptable", ["cylinder_pressure"], []),
    (example(COIL, ts=-0.5), 3, "not analysed", None, ["input_error"]),
]


def tx14(tmp, text, *args):
    path = os.path.join(tmp, "item.toml")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    return subprocess.run([os.environ["TX14_CLI"], "run", *args, path], capture_output=True, check=False)


class Verdicts(unittest.TestCase):
    def test_every_kind_passes_fails_and_stops(self):
        with tempfile.TemporaryDirectory() as tmp:
            for n, (text, code, verdict, failing, reasons) in enumerate(CASES):
                with self.subTest(case=n, verdict=verdict):
                    plain, out = tx14(tmp, text, "--plain"), tx14(tmp, text, "--json")
                    self.assertEqual((plain.returncode, out.returncode), (code, code), plain.stderr)
                    j = json.loads(out.stdout)
                    jsonschema.validate(j, SCHEMA)
                    self.assertTrue(all(c.get("reference") for c in j["checks"]), "a check without its paragraph")
                    self.assertEqual((j["verdict"], [r["code"] for r in j["reasons"]]), (verdict, reasons))
                    # None after fatal input errors; a coil has no fillet weld.
                    coil = j["code"] in ("PD5500", "EN13445")
                    self.assertEqual([v is None for v in j["results"].values()],
                                     [j["fatal_errors"] > 0 or (coil and k == "fillet_weld") for k in j["results"]])
                    self.assertEqual(list(j["result_units"]), list(j["results"]))
                    codes = {c["key"] for c in j["checks"]} | set(j["values"]) | {r["code"] for r in j["reasons"]}
                    self.assertLessEqual(codes | {r["code"] for r in j["notes"]}, DOCUMENTED_KEYS)
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
                    self.assertTrue(governing["applicable"])  # a criterion governs, never a search artefact
                    if failing:
                        self.assertEqual((j["governing"], len(verdict_lines)), (failing[0], len(failing)))
                        self.assertIn(governing["label"] + " ", verdict_lines[0])

    def test_every_example_runs_in_utf8_and_colour_marks_styled_lines_only(self):
        notice = "\nTXAppendix14 Calculation Library, Copyright \u00a9 2026"
        names = [n for n in os.listdir(os.path.join(ROOT, "examples")) if re.fullmatch(r"(?!units-).*\.toml", n)]
        self.assertGreaterEqual(len(names), 8)
        for name in names:
            with self.subTest(name=name):
                out = subprocess.run([os.environ["TX14_CLI"], "run", os.path.join(ROOT, "examples", name)],
                                     capture_output=True, check=False)
                fails = name in ("jacket-appendix-ee.toml", "opening-too-thin.toml")
                self.assertEqual((out.returncode, out.stderr, b"\x1b" in out.stdout), (4 if fails else 0, b"", False))
                self.assertIn(notice + "\n\nVERDICT: ", out.stdout.decode("utf-8"))
        with tempfile.TemporaryDirectory() as tmp:
            lines = tx14(tmp, example(OPENING), "--color=always").stdout.decode().splitlines()
        self.assertEqual(lines[-3], "\x1b[1;2;3;32m%s\x1b[0m" % notice[1:])  # title, note and result caption
        for line in lines:  # attributes only around the text of a styled line
            self.assertRegex(line, r"^(?:[^\x1b]*|\x1b\[[\d;]+m[^\x1b]+\x1b\[0m)$")


if __name__ == "__main__":
    unittest.main()
