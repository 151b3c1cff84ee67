"""Bad items raise ValueError naming the key, in the library's words; among
many, the first bad item. Whatever a mapping holds reaches the library as
a value it can judge, never as JSON it cannot read."""

import decimal
import fractions
import math
import os
import threading
import types
import unittest
from unittest import mock

import txappendix14
from txappendix14.context import Encoder
from items import JACKET, OPENING


WITHOUT_P = {k: v for k, v in OPENING.items() if k != "P"}


class Opaque:
    """A value of a type of its own."""


nested = []
for _ in range(200):
    nested = [nested]
circular: list = []
circular.append(circular)

# (case, item, words the message must hold): that the library's checks reach
# Python (one case each kind), and what Python values turn into on their way.
BAD_ITEMS = [
    ("misspelled key", dict(OPENING, Bnn=30.0), ['unknown key "Bnn"', 'did you mean "Bn"', "valid keys"]),
    ("required key left out", WITHOUT_P, ['missing key "P"']),
    ("text for a number", dict(OPENING, P="high"), ['"P"', "a number", "a text"]),
    ("item not whole", dict(OPENING, item=1.5), ['"item"', "whole number"]),
    ("units not a text", dict(OPENING, units=1), ['"units"', "a text"]),
    ("infinite", dict(OPENING, Sho=math.inf), ['"Sho"', "not finite"]),
    ("minus infinite", dict(OPENING, A=-math.inf), ['"A"', "not finite"]),
    ("whole number past the double range", dict(OPENING, hs=10 ** 400), ['"hs"', "not finite"]),
    ("whole number of 5000 digits", dict(OPENING, hs=10 ** 5000), ['"hs"', "not finite"]),
    ("fraction past the double range", dict(OPENING, hs=fractions.Fraction(10 ** 400, 3)),
     ['"hs"', "not finite"]),
    ("true for a number", dict(OPENING, t=True), ['"t"', "true or false"]),
    ("list for a number", dict(OPENING, t=[4.0]), ['"t"', "an array"]),
    ("list nested 200 deep", dict(OPENING, t=nested), ['"t"', "an array"]),
    ("list holding itself", dict(OPENING, t=circular), ['"t"', "an array"]),
    ("object of another type", dict(OPENING, t=Opaque()), ['"t"', "an object"]),
    ("key not a text", {**OPENING, (1, 2): 3.0}, ['unknown key "(1, 2)"']),
    ("lone surrogate", dict(OPENING, material="SA\ud800"), ['"material"', "not valid UTF-8"]),
    ("unknown key holding NaN", dict(JACKET, Dj=math.nan), ['"Dj"', "valid keys"]),
]

GOOD_ITEMS = [
    ("whole numbers for numbers", dict(OPENING, P=100, t=4), {}),
    ("numbers of other types", dict(OPENING, P=fractions.Fraction(200, 2), t=decimal.Decimal("4.0")), {}),
    ("rows of a CSV reader", dict(OPENING, P="100", t="4.0", item="7"), {"item": 7}),
    ("empty cells of a data frame", dict(OPENING, g0n=None, hn=math.nan, project=None), {}),
    ("units left empty: the default", dict(OPENING, units=None), {"units": "US"}),
    ("units of the package", dict(OPENING, units=txappendix14.US), {"units": "US"}),
    ("any mapping", types.MappingProxyType(OPENING), {}),
    ("sheet texts of 200 characters", dict(OPENING, project="\u00e9" * 200, vessel="V-1"),
     {"sheet": {"project": "\u00e9" * 200, "vessel": "V-1"}}),
]


class BadInput(unittest.TestCase):
    def test_bad_items_name_the_key(self):
        # Alone, and all in one call: each bad value reaches its own item.
        with txappendix14.Context() as ctx:
            together = ctx._run([Encoder("US").encode(item) for _, item, _ in BAD_ITEMS])
        for (case, item, words), outcome in zip(BAD_ITEMS, together):
            with self.subTest(case), self.assertRaises(ValueError) as raised:
                txappendix14.analyse(item)
            self.assertEqual(str(raised.exception), outcome)
            for word in words:
                self.assertIn(word, outcome)

    def test_good_items_pass(self):
        expected = txappendix14.analyse(OPENING).mawp
        for case, item, attributes in GOOD_ITEMS:
            with self.subTest(case):
                r = txappendix14.analyse(item)
                self.assertEqual(r.mawp, expected)
                for name, value in attributes.items():
                    self.assertEqual(getattr(r, name), value)

    def test_not_a_mapping(self):
        with self.assertRaises(TypeError):
            txappendix14.analyse([("kind", "opening")])

    def test_the_first_bad_item_of_many_is_named(self):
        # Refused by the library (items 5 and 20, the second past the first
        # batch), or not written by the package (item 40: no such unit
        # file); a bad item in a later batch does not win.
        cases = [(5, dict(OPENING, Bn="wide"), '"Bn"'), (20, WITHOUT_P, '"P"'),
                 (40, dict(OPENING, units="/nonexistent/units.toml"), "no such file")]
        for bad, item, words in cases:
            items = [OPENING] * bad + [item] + [JACKET] * 100 + [dict(JACKET, Tj="thick")]
            with self.subTest(item=bad), self.assertRaises(ValueError) as raised:
                txappendix14.analyse_many(items, threads=2)
            self.assertTrue(str(raised.exception).startswith("item %d: " % bad), raised.exception)
            self.assertIn(words, str(raised.exception))

    def test_thread_count_not_a_positive_whole_number(self):
        for threads in (0, 1.5, "2", True):
            with self.subTest(threads=threads), self.assertRaises(ValueError):
                txappendix14.analyse_many([OPENING], threads=threads)

    def test_thread_count_over_the_cap_starts_no_thread(self):
        cap = txappendix14.MAX_THREADS_PER_PROCESSOR * (os.cpu_count() or 1)
        with mock.patch.object(threading.Thread, "start", side_effect=AssertionError("a thread started")):
            for threads in (cap + 1, 100000):
                with self.subTest(threads=threads), self.assertRaises(ValueError) as raised:
                    txappendix14.analyse_many([OPENING] * 200, threads=threads)
                self.assertIn("from 1 to %d" % cap, str(raised.exception))
        self.assertEqual(len(txappendix14.analyse_many([OPENING], threads=cap)), 1)


if __name__ == "__main__":
    unittest.main()
