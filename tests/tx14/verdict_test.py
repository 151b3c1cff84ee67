"""Per kind and code, sound, failing, refused and out-of-scope items through
tx14: exit code, verdict, failing checks, reasons and the verdict lines; its
JSON valid against docs/results.schema.json, with only the keys and codes
docs/results.md lists; colour only around styled lines and only when asked;
every example run."""

import json
import os
import re
import subprocess
import tomllib
import unittest

import jsonschema

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
EXAMPLES, TX14 = os.path.join(ROOT, "examples"), os.environ["TX14_CLI"]
NOTICE = "TXAppendix14 Calculation Library, Copyright \u00a9 2026"
with open(os.path.join(ROOT, "docs", "results.schema.json"), encoding="utf-8") as f:
    SCHEMA = json.load(f)
with open(os.path.join(ROOT, "docs", "results.md"), encoding="utf-8") as f:
    DOCUMENTED_KEYS = set(re.findall(r"^\| `(\w+)` \|", f.read(), re.M))


def example(name, **values):
    """An example item with keys replaced or added."""
    with open(os.path.join(EXAMPLES, name), "rb") as f:
        item = dict(tomllib.load(f), **values)
    return "".join("%s = %s\n" % (k, json.dumps(v) if isinstance(v, str) else repr(v)) for k, v in item.items())


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
    # A jacket or coil under vacuum, whose pressure checks any negative pressure passes.
    (example(J, Pj=-150.0), 3, "not analysed", None, ["jacket_external_pressure"]),
    (example(COIL, Pj=-15.0), 3, "not analysed", None, ["jacket_external_pressure", "not_finite"]),
    (example(J, P=6400.0, ts=3.0, D=100.0), 3, "not analysed", None, ["chart_thickness", "thin_wall_shell"]),
    (example(J, Pj=6500.0, Tj=1.5, ts=1.0, D=100.0, NPS=4), 3, "not analysed", None, ["thin_wall_jacket"]),
    (example(COIL), 0, "acceptable", [], []),
    (example(COIL, Pj=1000.0), 4, "not acceptable", ["pMaxC2", "e_cylinder", "pMaxC1", "e_coil"], []),
    # The cylinder's own pressure, which the coil rules leave out.
    (example(COIL, P=1000.0), 4, "not acceptable", ["cylinder_pressure"], []),
    (example(COIL, ts=-0.5), 3, "not analysed", None, ["input_error"]),
]


def tx14(text, *args):  # run on the item as standard input
    return subprocess.run([TX14, "run", *args, "-"], input=text.encode(), capture_output=True, check=False)


class Verdicts(unittest.TestCase):
    def test_every_kind_passes_fails_and_stops(self):
        for n, (text, code, verdict, failing, reasons) in enumerate(CASES):
            with self.subTest(case=n, verdict=verdict):
                coloured, out = tx14(text, "--color=always"), tx14(text, "--json")
                self.assertEqual((coloured.returncode, out.returncode), (code, code), coloured.stderr)
                j = json.loads(out.stdout)
                jsonschema.validate(j, SCHEMA)
                self.assertEqual((j["verdict"], [r["code"] for r in j["reasons"]]), (verdict, reasons))
                codes = {c["key"] for c in j["checks"]} | set(j["values"]) | {r["code"] for r in j["reasons"]}
                self.assertLessEqual(codes | {r["code"] for r in j["notes"]}, DOCUMENTED_KEYS)
                # Attributes only around the text of a styled line: title, note and result caption.
                text = coloured.stdout.decode("utf-8")
                for line in text.splitlines():
                    self.assertRegex(line, r"^(?:[^\x1b]*|\x1b\[[\d;]+m[^\x1b]+\x1b\[0m)$")
                self.assertIn("\n\x1b[1;2;3;32m%s\x1b[0m\n\n" % NOTICE, text)
                block = re.sub(r"\x1b\[[\d;]*m", "", text).split(NOTICE + "\n\nVERDICT: ", 1)[1]
                self.assertTrue(block.startswith(verdict.upper()), block)
                verdict_lines = [l for l in block.splitlines() if not l.startswith("note: ")]
                self.assertEqual(len(block.splitlines()) - len(verdict_lines), len(j["notes"]))
                if failing is None:  # a line per reason, and one for the fatal input errors
                    self.assertEqual(len(verdict_lines), len(reasons) + (1 if j["fatal_errors"] else 0))
                    continue
                self.assertEqual(sorted(c["key"] for c in j["checks"] if c["applicable"] and not c["passes"]),
                                 sorted(failing))
                if failing:  # a line per failing check, the governing one first
                    self.assertEqual((j["governing"], len(verdict_lines)), (failing[0], len(failing)))
                    self.assertIn(next(c["label"] for c in j["checks"] if c["key"] == j["governing"]) + " ",
                                  verdict_lines[0])

    def test_every_example_runs_with_nothing_on_standard_error_and_no_colour_unasked(self):
        names = [n for n in os.listdir(EXAMPLES) if re.fullmatch(r"(?!units-).*\.toml", n)]
        self.assertGreaterEqual(len(names), 8)
        for name in names:
            out = subprocess.run([TX14, "run", os.path.join(EXAMPLES, name)], capture_output=True, check=False)
            fails = name in ("jacket-appendix-ee.toml", "opening-too-thin.toml")
            self.assertEqual((out.returncode, out.stderr, b"\x1b" in out.stdout), (4 if fails else 0, b"", False), name)


if __name__ == "__main__":
    unittest.main()
