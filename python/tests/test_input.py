"""Bad items raise ValueError naming the key; among many, the first bad item.
Whatever a mapping holds reaches the library as a value it can judge, never
as JSON it cannot read. Unit files are read as tx14 reads them, at each run,
and a result keeps the units it ran with; systems of your own are checked by
the library."""

import decimal
import fractions
import functools
import math
import os
import shutil
import signal
import tempfile
import threading
import types
import unittest
from unittest import mock

import txappendix14
from txappendix14 import SI, Units, load_unit_file
from txappendix14.context import Encoder
from items import JACKET, OPENING


nested = functools.reduce(lambda inner, _: [inner], range(200), [])
circular: list = []
circular.append(circular)

# (case, item, words the message must hold): what Python values turn into on
# their way to the library. (The library's own refusals in its words, as tx14
# gives them: test_against_tx14.)
BAD_ITEMS = [
    ("text for a number", dict(OPENING, P="high"), ['"P"', "a number", "a text"]),
    ("item not whole", dict(OPENING, item=1.5), ['"item"', "whole number"]),
    ("units not a text", dict(OPENING, units=1), ['"units"', "a text"]),
    ("whole number past the double range", dict(OPENING, hs=10 ** 400), ['"hs"', "not finite"]),
    ("whole number of 5000 digits", dict(OPENING, hs=10 ** 5000), ['"hs"', "not finite"]),
    ("fraction past the double range", dict(OPENING, hs=fractions.Fraction(10 ** 400, 3)), ['"hs"', "not finite"]),
    ("true for a number", dict(OPENING, t=True), ['"t"', "true or false"]),
    ("list for a number", dict(OPENING, t=[4.0]), ['"t"', "an array"]),
    ("list nested 200 deep", dict(OPENING, t=nested), ['"t"', "an array"]),
    ("list holding itself", dict(OPENING, t=circular), ['"t"', "an array"]),
    ("object of another type", dict(OPENING, t=object()), ['"t"', "an object"]),
    ("key not a text", {**OPENING, (1, 2): 3.0}, ['unknown key "(1, 2)"']),
    ("lone surrogate", dict(OPENING, material="SA\ud800"), ['"material"', "not valid UTF-8"]),
    ("unknown key holding NaN", dict(JACKET, Dj=math.nan), ['"Dj"', "valid keys"]),
]

GOOD_ITEMS = [
    ("numbers of other types", dict(OPENING, P=fractions.Fraction(200, 2), t=decimal.Decimal("4.0"), A=60), {}),
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
        self.assertRaises(TypeError, txappendix14.analyse, [("kind", "opening")])  # not a mapping

    def test_good_items_pass(self):
        expected = txappendix14.analyse(OPENING).mawp
        for case, item, attributes in GOOD_ITEMS:
            with self.subTest(case):
                r = txappendix14.analyse(item)
                self.assertEqual(r.mawp, expected)
                for name, value in attributes.items():
                    self.assertEqual(getattr(r, name), value)

    def test_the_first_bad_item_of_many_is_named(self):
        # Refused by the library (items 5 and 20, the second past the first
        # batch), or not written by the package (item 40: no such unit
        # file); a bad item in a later batch does not win.
        cases = [(5, dict(OPENING, Bn="wide"), '"Bn"'), (20, {k: v for k, v in OPENING.items() if k != "P"}, '"P"'),
                 (40, dict(OPENING, units="/nonexistent/units.toml"), "no such file")]
        for bad, item, words in cases:
            items = [OPENING] * bad + [item] + [JACKET] * 100 + [dict(JACKET, Tj="thick")]
            with self.subTest(item=bad), self.assertRaises(ValueError) as raised:
                txappendix14.analyse_many(items, threads=2)
            self.assertTrue(str(raised.exception).startswith("item %d: " % bad), raised.exception)
            self.assertIn(words, str(raised.exception))

    def test_a_thread_count_not_from_1_to_the_cap_starts_no_thread(self):
        cap = txappendix14.MAX_THREADS_PER_PROCESSOR * (os.cpu_count() or 1)
        with mock.patch.object(threading.Thread, "start", side_effect=AssertionError("a thread started")):
            for threads in (0, 1.5, "2", True, cap + 1, 100000):
                with self.subTest(threads=threads), self.assertRaisesRegex(ValueError, "from 1 to %d" % cap):
                    txappendix14.analyse_many([OPENING] * 200, threads=threads)
        self.assertEqual(len(txappendix14.analyse_many([OPENING], threads=cap)), 1)


US_FACTORS = ["1.0"] * 7 + ["0.0"] + ["1.0"] * 14


def unit_file(factors=US_FACTORS, label="u"):
    return "factors = [%s]\nlabels = [%s]\n" % (", ".join(factors), ", ".join(['"%s"' % label] * 23))


def refusal(load, path):
    """What load(path) raises; a FIFO or a device read past 10 s ends the suite, failed."""
    signal.alarm(10)
    try:
        return "accepted %r" % (load(path),)
    except ValueError as e:
        return str(e)
    finally:
        signal.alarm(0)


class UnitFiles(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        with open(path, "wb") as f:
            f.write(text if isinstance(text, bytes) else text.encode())
        return path

    def test_a_system_of_your_own_labels_the_results(self):
        labels = list(SI.labels)
        labels[8] = "N/mm\xb2"  # pressure, beyond ASCII
        mine = Units("mine", SI.factors, labels)
        r = txappendix14.analyse(dict(OPENING, units="SI", P=0.6894757))
        ours = txappendix14.analyse(dict(OPENING, units=mine, P=0.6894757))
        self.assertEqual((ours.units, ours.result_units["mawp"], ours.mawp), ("mine", "N/mm\xb2", r.mawp))

    def test_each_run_reads_the_file_and_a_result_keeps_the_units_it_ran_with(self):
        item = dict(OPENING, units=self.write("u.toml", unit_file(label="qq")))
        kept = txappendix14.analyse(item, plain=True, eager=True).text()
        later = txappendix14.analyse(item, plain=True)  # its lines made when first read
        self.write("u.toml", unit_file(factors=US_FACTORS[:8] + ["2.0"] + US_FACTORS[9:], label="other"))
        self.assertNotEqual(txappendix14.analyse(item).mawp, later.mawp)
        self.assertTrue(" qq" in kept and kept.isascii())
        self.assertEqual(later.text(), kept)

    def test_bad_files(self):
        # The file's shape is read here, its values are judged by the library (as tx14 reads them: tests/tx14).
        for case, text, words in [
                ("21 factors", unit_file(factors=US_FACTORS[:21]), "22 numbers"),
                ("label of 11 characters", unit_file(label="x" * 11), "label 1 is longer than 10"),
                ("nested too deeply", "factors = " + "[" * 5000 + "]" * 5000 + "\n", "unit file")]:
            with self.subTest(case), self.assertRaises(ValueError) as raised:
                load_unit_file(self.write("bad.toml", text))
            self.assertIn(words, str(raised.exception))

    def test_files_tx14_refuses(self):
        fifo = os.path.join(self.folder, "units.fifo")
        os.mkfifo(fifo)
        exact = self.write("exact.toml", unit_file() + "#" * ((1 << 20) - len(unit_file()) - 1) + "\n")
        cases = [(fifo, "FIFO"), ("/dev/zero", "device"), (self.folder, "directory"),
                 (self.write("big.toml", unit_file() + "#" * (1 << 20)), "larger than 1 MiB"),
                 (self.write("latin1.toml", unit_file().encode() + b"# caf\xe9\n"),
                  "line 3, column 6: byte 0xE9 is not UTF-8"),
                 (os.path.join(self.folder, "none.toml"), "no such file")]
        for load, prefix in ((load_unit_file, ""), (lambda p: txappendix14.analyse(dict(OPENING, units=p)),
                                                    'key "units": ')):
            for path, words in cases:
                with self.subTest(path=path, item=bool(prefix)):
                    message = refusal(load, path)
                    self.assertTrue(message.startswith(prefix), message)
                    self.assertIn(path, message)
                    self.assertIn(words, message)
        self.assertEqual(os.path.getsize(exact), 1 << 20)
        self.assertIsInstance(load_unit_file(exact), Units)
