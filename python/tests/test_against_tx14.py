"""The package gives what `tx14 run --json` gives for the same items: the
same record, results and report lines byte for byte, and the same refusals
in the same words, on every example and on generated items; both give the
verified reports from their items. And the page."""

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
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
EXAMPLES, GOLDEN = os.path.join(ROOT, "examples"), os.path.join(ROOT, "tests", "golden")


def items_in(folder):
    """The items of a folder's TOML files, their unit files by absolute name."""
    items = []
    for path in sorted(glob.glob(os.path.join(folder, "*.toml"))):
        with open(path, "rb") as f:
            item = tomllib.load(f)
        if "kind" in item:
            if item.get("units") not in (None, "US", "SI"):
                item["units"] = os.path.join(folder, item["units"])
            items.append(item)
    return items


def variants():
    """Items whose paths differ from the examples': DN for NPS and empty
    cells, values outside the charts, sheet texts, a text beyond Latin-1, an
    infinite value."""
    return [
        dict(JACKET, NPS=None, DN=50, Sa=float("nan"), Pj=-1.0),
        dict(JACKET, D=200.0, ExtPCore=15.0),
        dict(JACKET, code="EN13445", L=12.0, project="Plant 7 \u2013 \u00e9tage 2", approved_by="J. M\u00fcller"),
        dict(OPENING, material="\u20ac" * 15, description="(E\u00f8) \u00b2"),
        dict(OPENING, Sho=float("inf"), Bnn=30.0),  # refused twice over
    ]


def generated(count, seed=7):
    """The examples with values scaled, left out or made wrong at random:
    items that pass, fail, warn or are refused."""
    rng, base, items = random.Random(seed), items_in(EXAMPLES), []
    for n in range(count):
        item = dict(rng.choice(base), item=n)
        for key in [k for k, v in item.items() if type(v) in (int, float) and k not in ("item", "NPS")]:
            roll = rng.random()  # None: left out
            item[key] = (item[key] * rng.choice((0.5, 0.9, 1.1, 1.25, 2.0)) if roll < 0.3 else
                         None if roll < 0.31 else -item[key] if roll < 0.315 else item[key])
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
    out = {j["input"]: j for j in map(json.loads, run.stdout.decode("utf-8").splitlines())}  # JSON Lines
    for line in run.stderr.decode("utf-8").splitlines():  # FILE[:LINE:COLUMN]: MESSAGE
        where, _, message = line.partition(": ")
        if not message.startswith("warning: "):
            out.setdefault(where.split(":")[0], []).append(message)
    return [out.get(path) for path in paths]


def tx14_as_result(j):
    echo = j["item"]
    j = dict(j, item=echo.get("item"), description=echo.get("description", ""),
             sheet={k["name"]: echo[k["name"]] for k in key_tables()["sheet"] if k["name"] in echo})
    return {k: j[k] for k in ("kind code units item description fatal_errors results result_units values checks "
                              "verdict governing warnings reasons notes report sheet").split()}


def outcome_of(item, eager, plain):
    """The package's result in the members of tx14's JSON, or why it refused the item."""
    try:
        r = txappendix14.analyse(item, plain=plain, eager=eager)
    except ValueError as e:
        return str(e)
    if not eager:  # each field read on its own (to_dict reads the summary's at once)
        [getattr(r, name) for name in r.__dataclass_fields__]
    d = r.to_dict()
    d["fatal_errors"], d["report"] = d.pop("errors"), d.pop("lines")
    return d


@unittest.skipUnless(TX14, "TX14_CLI names the built tx14 program")
class SameAsTx14(unittest.TestCase):
    def test_items(self):
        cases = [("examples", items_in(EXAMPLES), False), ("examples, plain", items_in(EXAMPLES), True),
                 ("golden", items_in(GOLDEN), False), ("variants", variants(), False),
                 ("generated", generated(150), False)]
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

    def test_golden_items(self):
        # Each verified report's item, written as TOML and read through the
        # package, gives that report line for line (columns 5-104 with the
        # report's theta, trailing blanks cut) with its style codes (columns
        # 109-120): the key table and the filling of the input record from an
        # item's keys, which the goldens' host arrays bypass. Through tx14 the
        # same, as test_items finds it gives what the package gives.
        paths = sorted(glob.glob(os.path.join(GOLDEN, "*.toml")))
        self.assertEqual(len(paths), 5)
        for path in paths:
            with open(path, "rb") as f, open(path[:-4] + "txt", encoding="cp1252", newline="") as g:
                item, records = tomllib.load(f), g.read().splitlines()
            golden = [txappendix14.Line(r[4:104].rstrip(" ").replace("\xf8", "\u03b8"),
                                        tuple(int(r[108 + 2 * k:110 + 2 * k]) for k in range(6))) for r in records]
            with self.subTest(os.path.basename(path)):
                self.assertEqual(list(txappendix14.analyse(item).lines), golden)


class Page(unittest.TestCase):
    def test_results_and_reasons_reach_the_page_escaped(self):
        page = txappendix14.analyse(dict(OPENING, description="<i>&")).html()
        self.assertTrue("209.15111 psi" in page and "<h1>&lt;i&gt;&amp;</h1>" in page, page[:500])
        fatal = txappendix14.analyse(dict(OPENING, g1s=0.5)).html()  # the hub tapers the wrong way
        self.assertTrue("not computed" in fatal and "Shell Side Hub dimension logic error" in fatal)
