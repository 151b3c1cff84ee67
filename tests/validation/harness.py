"""What the validation tests share: a route's generated items run through
the library and held to the reference, and the items of the example files
in their own units."""

import os
import sys
import tomllib
import unittest
from typing import Dict, List, Tuple

import txappendix14

import compare
import generate

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")
COUNT = 1000   # generated items per route and code


def run_route(kind: str, code: str, items: List[Dict]) -> compare.Ledger:
    ledger = compare.Ledger("%s %s" % (kind, code))
    for i, (item, result) in enumerate(zip(items, txappendix14.analyse_many(items))):
        compare.compare_item(ledger, i, item, result)
    return ledger


def assert_agrees(test: unittest.TestCase, ledger: compare.Ledger) -> None:
    sys.stderr.write("\n  %s\n" % ledger.summary())
    test.assertEqual(ledger.failures, [], ledger.summary())


def route_agrees(test: unittest.TestCase, kind: str, code: str, seed: int = 1) -> None:
    assert_agrees(test, run_route(kind, code, generate.items(kind, code, COUNT, seed)))


def example(name: str) -> Tuple[Dict, compare.Units, txappendix14.Units]:
    """An example file's item, its unit system as factors and as the
    package's Units."""
    path = os.path.join(EXAMPLES, name)
    with open(path, "rb") as f:
        item = tomllib.load(f)
    named = item.get("units", "US")
    if named not in ("US", "SI"):
        named = os.path.join(os.path.dirname(path), named)
        item["units"] = named
    units = {"US": txappendix14.US, "SI": txappendix14.SI}.get(named)
    if units is None:
        units = txappendix14.load_unit_file(named)
    return item, compare.Units(tuple(units.factors)), units
