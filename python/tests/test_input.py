"""Bad items raise ValueError naming the key; among many, the first bad item."""

import math
import os
import struct
import threading
import types
import unittest
from unittest import mock

import txappendix14
from txappendix14 import _item
from items import JACKET, OPENING


def changed(item, **keys):
    out = dict(item)
    for k, v in keys.items():
        if v is None:
            out.pop(k)
        else:
            out[k] = v
    return out


# (case, item, words the message must hold). The checks of the item core
# (tx14's tables) need one case each here: that they reach Python.
BAD_ITEMS = [
    ("unknown key", dict(OPENING, D=48.0), ['"D"', "valid keys", "g0s"]),
    ("misspelled key", dict(OPENING, Bnn=30.0), ['did you mean "Bn"']),
    ("required key left out", changed(OPENING, P=None), ['missing key "P"', "psi"]),
    ("text for a number", dict(OPENING, P="high"), ['"P"', "a number", "a text"]),
    ("true for a number", dict(OPENING, t=True), ['"t"', "a number"]),
    ("infinite", dict(OPENING, Sho=math.inf), ['"Sho"', "not finite"]),
    ("text not finite", dict(JACKET, Pj="inf"), ['"Pj"', "not finite"]),
    ("whole number past the double range", dict(OPENING, hs=10 ** 400), ['"hs"', "not finite"]),
    ("euro sign counts one character", dict(JACKET, material="\u20ac" * 16), ['"material"', "15"]),
    ("character Windows-1252 lacks", dict(JACKET, jacket_material="\u03b1-steel"),
     ['"jacket_material"', "Windows-1252"]),
    ("control character", dict(OPENING, material="SA-105\n"), ['"material"', "control"]),
    ("number for a text", dict(OPENING, material=105), ['"material"', "a text"]),
    ("item not whole", dict(OPENING, item=1.5), ['"item"', "whole number"]),
    ("item too large", dict(OPENING, item=16777217), ['"item"', "16777216"]),
    ("kind missing", changed(OPENING, kind=None), ['"kind"', '"opening"']),
    ("kind unknown", dict(OPENING, kind="nozzle"), ['"kind"', '"nozzle"']),
    ("code missing", changed(JACKET, code=None), ['"code"', '"EN13445"']),
    ("code of the other kind", dict(OPENING, code="PD5500"), ['"code"', '"VIII-2"']),
    ("units unknown", dict(OPENING, units="imperial"), ['"units"', "imperial"]),
    ("units not a text", dict(OPENING, units=1), ['key "units": expects a text']),
    ("unknown key left empty", dict(OPENING, Pressure=None), ['"Pressure"', "valid keys"]),
    ("unknown key holding NaN", dict(JACKET, Dj=math.nan), ['"Dj"', "valid keys"]),
]

GOOD_ITEMS = [
    ("texts of exactly 15 characters", dict(OPENING, description="x" * 15,
                                            material="\u00e9" * 15)),
    ("whole numbers for numbers", dict(OPENING, P=100, t=4)),
    ("item at the limit", dict(OPENING, item=-16777216)),
    ("rows of a CSV reader", dict(OPENING, P="100", t="4.0", item="7")),
    ("empty cells of a data frame", dict(OPENING, g0n=None, hn=math.nan)),
    ("item as a float", dict(OPENING, item=1.0)),
    ("any mapping", types.MappingProxyType(OPENING)),
]


class BadInput(unittest.TestCase):
    def test_bad_items_name_the_key(self):
        for case, item, words in BAD_ITEMS:
            with self.subTest(case):
                with self.assertRaises(ValueError) as raised:
                    txappendix14.analyse(item)
                for word in words:
                    self.assertIn(word, str(raised.exception))

    def test_good_items_pass(self):
        for case, item in GOOD_ITEMS:
            with self.subTest(case):
                self.assertIsInstance(txappendix14.analyse(item), txappendix14.Result)

    def test_not_a_mapping(self):
        with self.assertRaises(TypeError):
            txappendix14.analyse([("kind", "opening")])

    def test_the_first_bad_item_of_a_batch_is_named(self):
        # Found by the package (item 5) or by the item core (item 20, past the first batch);
        # one the package refuses in a later batch does not win.
        for bad, item, key in ((5, dict(OPENING, Bn="wide"), '"Bn"'), (20, changed(OPENING, P=None), '"P"')):
            items = [OPENING] * bad + [item] + [JACKET] * 30 + [dict(JACKET, Tj="thick")]
            with self.assertRaises(ValueError) as raised:
                txappendix14.analyse_many(items, threads=2)
            self.assertIn("item %d: " % bad, str(raised.exception))
            self.assertIn(key, str(raised.exception))

    def test_malformed_packed_items_are_refused(self):
        # What the library's one-call entry may be handed: refused, never read past.
        good = _item.prepare(OPENING, "US", None)
        def packed(count, text_bytes, *values):
            return good.packed[:8] + struct.pack("=3i%dd" % len(values), 0, count, text_bytes, *values)
        cases = [("short head", good.packed[:12]), ("values past the end", packed(9, 0, 0.0, 1.0)),
                 ("text past the end", packed(1, 4, len(good.keys.numbers), 40.0)),
                 ("DN where no key is NPS", packed(1, 0, -1.0, 50.0)),
                 ("no such key", packed(1, 0, 999.0, 1.0)), ("NaN key", packed(1, 0, math.nan, 1.0))]
        with txappendix14.Context() as ctx:
            for case, data in cases:
                with self.subTest(case), self.assertRaises(ValueError):
                    ctx._run_prepared(good._replace(packed=data))

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
