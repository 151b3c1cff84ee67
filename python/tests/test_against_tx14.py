"""The package gives the numbers and report lines of `tx14 run --json` for
the same item: same conversions into internal units, same result values,
same decoding of the report."""

import json
import os
import subprocess
import tempfile
import unittest
from unittest import mock

import txappendix14
from txappendix14 import context
from items import JACKET, OPENING, toml_of

TX14 = os.environ.get("TX14_CLI")
EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")


def tx14_json(item):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "item.toml")
        given = {k: v for k, v in item.items() if v is not None and v == v}  # None, NaN: not given
        with open(path, "w", encoding="utf-8") as f:
            f.write(toml_of(given))
        run = subprocess.run([TX14, "run", "--json", path], capture_output=True, check=False)
    if run.returncode not in (0, 3, 4):  # 3: fatal input errors, 4: not acceptable; still a report
        raise AssertionError("tx14 failed: %s" % run.stderr.decode(errors="replace"))
    return json.loads(run.stdout)


def variants():
    """Items whose conversions and results exercise different paths: SI
    temperatures and pressures, a coil, a nozzle hub, a faulty item, values
    with no short decimal form."""
    yield "opening US", OPENING
    yield "opening SI", dict(OPENING, units="SI", P=0.6894757, T=148.9, t=101.6, Bn=762.0,
                             A=1524.0, g0s=25.4, g1s=38.1, hs=76.2, ca=3.175, Sho=137.9,
                             Shg=137.9, density=7833.0)
    yield "opening in a unit file's units", dict(
        OPENING, units=os.path.abspath(os.path.join(EXAMPLES, "units-bar.toml")), P=7.0, T=150.0,
        t=100.0, Bn=760.0, A=1520.0, g0s=25.0, g1s=38.0, hs=75.0, ca=3.0, Sho=138.0, Shg=138.0,
        density=7850.0)
    yield "opening VIII-2 with a nozzle hub", dict(OPENING, code="VIII-2", g0n=0.75, g1n=1.25,
                                                    hn=2.5, t=3.3333333)
    yield "opening with fatal errors", dict(OPENING, g1s=0.5)  # the hub tapers the wrong way
    yield "jacket US", JACKET
    yield "jacket SI", dict(JACKET, units="SI", D=1219.2, ts=12.7, P=0.69, T=150.0, S=138.0,
                            Sa=138.0, ca=3.2, NPS=2, Tj=2.77, Pj=4.14, Tjacket=176.7,
                            Sj=103.4, Sja=103.4, caj=1.6)
    yield "coil EN13445", dict(JACKET, code="EN13445", L=12.0, description="Coil")
    yield "coil with only the required values", {
        "kind": "jacket", "code": "PD5500", "units": "US", "D": 36.0, "ts": 0.5, "S": 20000.0,
        "NPS": 3, "Tj": 0.216, "Pj": 100.0, "Sj": 15000.0}
    yield "jacket by DN, with warnings and empty cells", dict(JACKET, NPS=None, DN=50,
                                                              Sa=float("nan"), Pj=-1.0)
    yield "jacket outside the charts", dict(JACKET, D=200.0)


@unittest.skipUnless(TX14, "TX14_CLI names the built tx14 program")
class SameAsTx14(unittest.TestCase):
    def test_results_errors_and_lines_match(self):
        # One context for every item: each Result is read only after the
        # context has run the next item.
        with txappendix14.Context() as ctx:
            results = [(name, item, ctx.analyse(item)) for name, item in variants()]
        for name, item, got in results:
            with self.subTest(name):
                expected = tx14_json(item)
                record = got.to_dict()
                fields = ("values", "checks", "verdict", "governing", "reasons", "notes")
                self.assertEqual([record[f] for f in fields], [expected[f] for f in fields])
                self.assertEqual(
                    (got.kind, got.code, got.item, got.units, got.errors, got.results,
                     got.result_units, got.warnings, [(l.text, list(l.styles)) for l in got.lines]),
                    (expected["kind"], expected["code"], expected["item"].get("item"),
                     expected["units"], expected["fatal_errors"], expected["results"],
                     expected["result_units"], expected["warnings"],
                     [(l["text"], l["styles"]) for l in expected["report"]]))

    def test_plain_report_drops_special_characters(self):
        fancy = txappendix14.analyse(OPENING).text()
        plain = txappendix14.analyse(OPENING, plain=True).text()
        self.assertIn("\u00b2", fancy)  # the superscript two of in.²
        self.assertNotIn("\u00b2", plain)
        self.assertNotIn("\u03b8", plain)


class WorkedOpening(unittest.TestCase):
    """The worked large opening, independently of tx14."""

    def test_results_reach_the_page(self):
        page = txappendix14.analyse(OPENING).html()
        for part in ("<h1>Top head</h1>", '<span class="title', "209.15111 psi"):
            self.assertIn(part, page)
        fatal = txappendix14.analyse(dict(OPENING, g1s=0.5))  # the hub tapers the wrong way
        self.assertIn("not computed", fatal.html())
        self.assertIn("Shell Side Hub dimension logic error", fatal.html())  # the reason

    def test_report_longer_than_the_capture_block_comes_through_a_file(self):
        captured = txappendix14.analyse(OPENING)
        with mock.patch.object(context, "CAPTURE_RECORDS", 50):
            through_file = txappendix14.analyse(OPENING)
        self.assertGreater(len(captured.lines), 50)
        self.assertEqual(through_file, captured)


if __name__ == "__main__":
    unittest.main()
