"""Properties of the verdict that need no reference, over generated items of
every kind and code:

- raising P or Pj never turns "not acceptable" into "acceptable";
- thickening t, ts or Tj never turns "acceptable" into "not acceptable";
- the same item in another unit system (every length, pressure and stress
  scaled together with the system's factors) keeps its verdict.

Where a method is not monotone, the property is stated for what is:
- a formed jacket or coil (radius r given) thickened outwards grows: its
  outside diameter 2 (r + Tj) picks the Appendix EE chart, and the coil's
  span on the cylinder, l = 2 rc with rc = r + ec (PD 5500) or r + ec/2
  (EN 13445), sets the cylinder's thickness and pMaxC2. Both are thickened
  inwards here (r less by as much): the jacket's outside stays.
- the thickness search's pass count (a check of the record until it
  becomes a value) depends on the path of the search, not monotonically on
  P or t; a verdict that only it turns is not counted."""

import unittest
from typing import Callable, Dict, List

import txappendix14

import compare
import generate

COUNT = 1000           # items per route and property
RAISED = {"opening": ("P",), "half_pipe": ("P", "Pj"), "coil": ("P", "Pj")}
THICKER = {"opening": ("t",), "half_pipe": ("ts", "Tj"), "coil": ("ts", "Tj")}


def raised(item: Dict, key: str) -> Dict:
    return dict(item, **{key: item[key] * 1.25 + 1.0})


def thicker(item: Dict, key: str) -> Dict:
    more = item[key] * 0.2
    out = dict(item, **{key: item[key] + more})
    if key == "Tj" and "r" in item:  # inwards: the outside stays
        out["r"] = item["r"] - more
    return out


def turned(before, after, wrong: tuple) -> bool:
    """`before` -> `after` is the wrong turn."""
    return (before.verdict, after.verdict) == wrong


class Metamorphic(unittest.TestCase):
    def each_route(self, change: Callable[[str, str, List[Dict]], None]) -> None:
        for kind, code in generate.routes():
            with self.subTest(kind=kind, code=code):
                change(kind, code, generate.items(kind, code, COUNT, 11))

    def assert_never(self, items, changed, wrong, what):
        before = txappendix14.analyse_many(items)
        after = txappendix14.analyse_many(changed)
        bad = [i for i, (b, a) in enumerate(zip(before, after)) if turned(b, a, wrong)]
        self.assertEqual(bad, [], "%s turns %s into %s" % (what, wrong[0], wrong[1]))
        self.assertGreater(sum(b.verdict == wrong[0] for b in before), COUNT // 10,
                           "too few items to turn")

    def test_raising_a_pressure_never_makes_an_item_acceptable(self):
        def change(kind, code, items):
            for key in RAISED[kind]:
                self.assert_never(items, [raised(it, key) for it in items],
                                  ("not acceptable", "acceptable"), "raising %s" % key)
        self.each_route(change)

    def test_thickening_never_makes_an_item_unacceptable(self):
        def change(kind, code, items):
            for key in THICKER[kind]:
                self.assert_never(items, [thicker(it, key) for it in items],
                                  ("acceptable", "not acceptable"), "thickening %s" % key)
        self.each_route(change)

    def test_scaled_units_keep_the_verdict(self):
        systems = [txappendix14.SI, scaled_units(7.5, 3.25, 0.5)]

        def change(kind, code, items):
            before = txappendix14.analyse_many(items)
            for units in systems:
                factors = compare.Units(tuple(units.factors))
                after = txappendix14.analyse_many([shown_in(it, factors) for it in items],
                                                  units=units)
                bad = [i for i, (b, a) in enumerate(zip(before, after))
                       if b.verdict != a.verdict and not near_a_limit(b, a)]
                self.assertEqual(bad, [], "verdicts in %s units" % units.name)
        self.each_route(change)


def scaled_units(length: float, pressure: float, force: float) -> txappendix14.Units:
    """The US system with lengths, pressures and stresses, and forces
    scaled, and what is built from them."""
    f = list(txappendix14.US.factors)
    f[0] = f[20] = f[21] = length
    f[1], f[2], f[3], f[4] = force, length ** 2, length ** 3, force * length
    f[5] = f[8] = pressure
    f[10] = force / length ** 3
    return txappendix14.Units("scaled", f, list(txappendix14.US.labels))


def shown_in(item: Dict, units: compare.Units) -> Dict:
    """The US item's numbers in `units`."""
    out = {}
    for key, v in item.items():
        q = compare.INPUTS.get(key)
        if key == "units":
            continue
        if q == "temperature":
            v = v * units.factors[6] + units.factors[7]
        elif q is not None and q != "dimensionless":
            v = v * units.factors[compare.SLOTS[q] - 1]
        out[key] = v
    return out


def near_a_limit(*results) -> bool:
    """A check within rounding of its limit in either run."""
    return any(c.utilization is not None and abs(c.utilization - 1) <= 1e-4
               for r in results for c in r.checks)


if __name__ == "__main__":
    unittest.main()
