"""Properties of the verdict that need no reference, over generated items of
every route: raising P or Pj never turns "not acceptable" into "acceptable";
thickening t, ts or Tj never turns "acceptable" into "not acceptable"; the
item in another unit system keeps its verdict. A formed jacket or coil is
thickened inwards (r less by as much): thickened outwards it grows, its
outside diameter picking the chart, the coil's span on the cylinder its
thickness and pMaxC2 (docs/validation.md)."""

import unittest
from typing import Dict

import txappendix14

import compare
import generate

COUNT = 1000           # items per route and property
NOT, OK = "not acceptable", "acceptable"


def raised(item: Dict, key: str) -> Dict:
    return dict(item, **{key: item[key] * 1.25 + 1.0})


def thicker(item: Dict, key: str) -> Dict:
    more = item[key] * 0.2
    inwards = {"r": item["r"] - more} if key == "Tj" and "r" in item else {}
    return dict(item, **{key: item[key] + more}, **inwards)


def scaled_units(length: float, pressure: float, force: float) -> txappendix14.Units:
    """The US system with lengths, pressures and stresses, and forces
    scaled, and what is built from them."""
    f = list(txappendix14.US.factors)
    f[0] = f[20] = f[21] = length
    f[1], f[2], f[3], f[4] = force, length ** 2, length ** 3, force * length
    f[5] = f[8] = pressure
    f[10] = force / length ** 3
    return txappendix14.Units("scaled", f, list(txappendix14.US.labels))


def near_a_limit(*results) -> bool:
    """A check within rounding of its limit in either run."""
    return any(c.utilization is not None and abs(c.utilization - 1) <= 1e-4
               for r in results for c in r.checks)


class Metamorphic(unittest.TestCase):
    def each_route(self, test) -> None:
        """test(kind, items, their results) on every route's items."""
        for kind, code in generate.ROUTES:
            items = generate.items(kind, code, COUNT, 11)
            with self.subTest(kind=kind, code=code):
                test(kind, items, txappendix14.analyse_many(items))

    def never_turns(self, change, keys: Dict[str, str], wrong) -> None:
        def test(kind, items, before):
            self.assertGreater(sum(b.verdict == wrong[0] for b in before), COUNT // 10,
                               "too few items to turn")
            for key in keys[kind].split():
                after = txappendix14.analyse_many([change(it, key) for it in items])
                bad = [i for i, (b, a) in enumerate(zip(before, after)) if (b.verdict, a.verdict) == wrong]
                self.assertEqual(bad, [], "%s %s turns %s into %s" % (change.__name__, key, *wrong))
        self.each_route(test)

    def test_raising_a_pressure_never_makes_an_item_acceptable(self):
        self.never_turns(raised, dict(opening="P", half_pipe="P Pj", coil="P Pj"), (NOT, OK))

    def test_thickening_never_makes_an_item_unacceptable(self):
        self.never_turns(thicker, dict(opening="t", half_pipe="ts Tj", coil="ts Tj"), (OK, NOT))

    def test_scaled_units_keep_the_verdict(self):
        def test(kind, items, before):
            for units in (txappendix14.SI, scaled_units(7.5, 3.25, 0.5)):
                factors = compare.Units(tuple(units.factors))
                after = txappendix14.analyse_many([compare.converted(it, factors) for it in items],
                                                  units=units)
                bad = [i for i, (b, a) in enumerate(zip(before, after))
                       if b.verdict != a.verdict and not near_a_limit(b, a)]
                self.assertEqual(bad, [], "verdicts in %s units" % units.name)
        self.each_route(test)
