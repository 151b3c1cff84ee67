"""The package gives what `tx14 run --json` gives for the same items: the
same record, results and report lines byte for byte, and the same refusals
in the same words, on every example and on generated items."""

import glob
import json
import os
import random
import subprocess
import tempfile
import tomllib
import unittest

import txappendix14
from txappendix14._library import key_tables
from items import JACKET, OPENING, toml_of

TX14 = os.environ.get("TX14_CLI")
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.abspath(os.path.join(HERE, "..", "..", "examples"))
GOLDEN = os.path.abspath(os.path.join(HERE, "..", "..", "tests", "golden"))


def examples():
    """The items of the example files, their unit files by absolute name."""
    items = []
    for path in sorted(glob.glob(os.path.join(EXAMPLES, "*.toml"))):
        with open(path, "rb") as f:
            item = tomllib.load(f)
        if "kind" in item:
            if item.get("units") not in (None, "US", "SI"):
                item["units"] = os.path.join(EXAMPLES, item["units"])
            items.append(item)
    return items


def variants():
    """Items whose paths differ from the examples': a nozzle hub, fatal
    errors, DN for NPS and empty cells, values outside the charts, sheet
    texts, a text beyond Latin-1, an infinite value."""
    return [
        dict(OPENING, code="VIII-2", g0n=0.75, g1n=1.25, hn=2.5, t=3.3333333),
        dict(OPENING, g1s=0.5),  # the hub tapers the wrong way
        dict(JACKET, NPS=None, DN=50, Sa=float("nan"), Pj=-1.0),
        dict(JACKET, D=200.0, ExtPCore=15.0),
        dict(JACKET, code="EN13445", L=12.0, project="Plant 7 \u2013 \u00e9tage 2",
             approved_by="J. M\u00fcller"),
        dict(OPENING, material="\u20ac" * 15, description="(E\u00f8) \u00b2"),
        dict(OPENING, Sho=float("inf"), Bnn=30.0),  # refused twice over
    ]


def generated(count, seed=7):
    """The examples with values scaled, left out or made wrong at random:
    items that pass, fail, warn or are refused."""
    rng = random.Random(seed)
    base = examples()
    items = []
    for n in range(count):
        item = dict(rng.choice(base), item=n)
        for key in [k for k, v in item.items() if type(v) in (int, float) and k not in ("item", "NPS")]:
            roll = rng.random()
            if roll < 0.3:
                item[key] = item[key] * rng.choice((0.5, 0.9, 1.1, 1.25, 2.0))
            elif roll < 0.31:
                del item[key]
            elif roll < 0.315:
                item[key] = -item[key]
        items.append(item)
    return items


def tx14_outcomes(items, plain=False):
    """tx14's JSON for each item, or its messages when it refuses the item."""
    with tempfile.TemporaryDirectory() as tmp:
        paths = [os.path.join(tmp, "item-%04d.toml" % n) for n in range(len(items))]
        for path, item in zip(paths, items):
            with open(path, "w", encoding="utf-8") as f:
                f.write(toml_of({k: v for k, v in item.items() if v is not None and v == v}))
        run = subprocess.run([TX14, "run", "--json"] + (["--plain"] if plain else []) + paths,
                             capture_output=True, check=False)
    out = {}
    for line in run.stdout.decode("utf-8").splitlines():  # JSON Lines: several items
        outcome = json.loads(line)
        out[outcome["input"]] = outcome
    for line in run.stderr.decode("utf-8").splitlines():  # FILE[:LINE:COLUMN]: MESSAGE
        where, _, message = line.partition(": ")
        if not message.startswith("warning: "):
            out.setdefault(where.split(":")[0], []).append(message)
    return [out.get(path) for path in paths]


def as_tx14(r):
    """A result in the members of tx14's JSON."""
    d = r.to_dict()
    d["fatal_errors"], d["report"] = d.pop("errors"), d.pop("lines")
    return d


def tx14_as_result(j):
    echo = j["item"]
    j = dict(j, item=echo.get("item"), description=echo.get("description", ""),
             sheet={k["name"]: echo[k["name"]] for k in key_tables()["sheet"] if k["name"] in echo})
    return {k: j[k] for k in ("kind", "code", "units", "item", "description", "fatal_errors", "results",
                              "result_units", "values", "checks", "verdict", "governing", "warnings",
                              "reasons", "notes", "report", "sheet")}


def outcome_of(item, eager, plain):
    try:
        return as_tx14(txappendix14.analyse(item, plain=plain, eager=eager))
    except ValueError as e:
        return str(e)


@unittest.skipUnless(TX14, "TX14_CLI names the built tx14 program")
class SameAsTx14(unittest.TestCase):
    def test_items(self):
        generated_items = generated(150)
        cases = [("examples", examples(), False), ("examples, plain", examples(), True),
                 ("variants", variants(), False), ("generated", generated_items, False)]
        for name, items, plain in cases:
            expected = [tx14_as_result(want) if isinstance(want, dict) else "; ".join(want)
                        for want in tx14_outcomes(items, plain)]
            # The report, values and checks kept by the run, and made again on first reading.
            for eager in (True, False):
                for n, (item, want) in enumerate(zip(items, expected)):
                    with self.subTest(name, item=n, eager=eager):
                        self.assertEqual(outcome_of(item, eager, plain), want)
            if name == "generated":  # each kind of outcome among them
                self.assertEqual({w["verdict"] if isinstance(w, dict) else "refused" for w in expected},
                                 {"acceptable", "not acceptable", "not analysed", "refused"})


class GoldenItems(unittest.TestCase):
    """Each verified report's item, written as TOML and read through the
    package, gives that report line for line with its style codes: the
    key table against the filling of the input record."""

    @staticmethod
    def line_of(record):
        text = record[4:104].rstrip(" ").replace("\xf8", "\u03b8")  # the report's theta
        return txappendix14.Line(text, tuple(int(record[108 + 2 * k:110 + 2 * k]) for k in range(6)))

    def test_each_item_gives_the_verified_report(self):
        paths = sorted(glob.glob(os.path.join(GOLDEN, "*.toml")))
        self.assertEqual(len(paths), 5)
        for path in paths:
            with open(path, "rb") as f:
                item = tomllib.load(f)
            with open(path[:-len(".toml")] + ".txt", encoding="cp1252", newline="") as f:
                records = f.read().splitlines()
            with self.subTest(os.path.basename(path)):
                lines = list(txappendix14.analyse(item).lines)
                self.assertEqual(lines, [self.line_of(r) for r in records])


class WorkedOpening(unittest.TestCase):
    """The worked large opening, independently of tx14."""

    def test_results_reach_the_page(self):
        page = txappendix14.analyse(OPENING).html()
        for part in ("<h1>Top head</h1>", '<span class="title', "209.15111 psi"):
            self.assertIn(part, page)
        fatal = txappendix14.analyse(dict(OPENING, g1s=0.5))  # the hub tapers the wrong way
        self.assertIn("not computed", fatal.html())
        self.assertIn("Shell Side Hub dimension logic error", fatal.html())  # the reason


if __name__ == "__main__":
    unittest.main()
