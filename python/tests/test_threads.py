"""Items on a pool of threads, one context each, give what one context
gives when it runs them one after another, in the order of the items; a
result read later, anywhere, reads what its own run gave."""

import os
import pickle
import tempfile
import threading
import unittest

import txappendix14
from items import JACKET, OPENING


def sweep(count):
    """Items that differ from each other: both kinds, several codes and
    thicknesses, some with fatal errors."""
    items = []
    for n in range(count):
        if n % 3 == 0:
            items.append(dict(JACKET, item=n, code=("VIII-1", "VIII-2", "PD5500", "EN13445")[n % 4],
                              Tj=0.05 + 0.01 * (n % 10)))
        else:
            items.append(dict(OPENING, item=n, code="VIII-%d" % (1 + n % 2),
                              t=1.0 + 0.125 * (n % 29), g1s=1.5 if n % 17 else 0.5))
    return items


class ThreadPool(unittest.TestCase):
    def test_threads_equal_the_sequential_run(self):
        items = sweep(200)
        with txappendix14.Context() as ctx:
            expected = [ctx.analyse(item, eager=True).to_dict() for item in items]
        for threads in (1, 2, 3):
            with self.subTest(threads=threads):
                got = txappendix14.analyse_many(iter(items), threads=threads)  # no length: a pool of 3
                self.assertEqual([r.item for r in got], list(range(200)))
                self.assertTrue(len({r.mawp for r in got if r.kind == "opening"}) > 20
                                and any(r.errors for r in got))
                for n, (a, b) in enumerate(zip(got, expected)):
                    self.assertEqual(a.to_dict(), b, "item %d" % n)

    def test_edge_cases(self):
        # More threads than items, no items, a context closed (twice).
        self.assertEqual(txappendix14.analyse_many([OPENING], threads=8),
                         [txappendix14.analyse(OPENING)])
        self.assertEqual(txappendix14.analyse_many([]), [])
        ctx = txappendix14.Context()
        ctx.close()
        ctx.close()
        with self.assertRaises(ValueError):
            ctx.analyse(OPENING)


class ReadLater(unittest.TestCase):
    """Report lines not kept by the run are made again when first read."""

    def test_lines_read_elsewhere_equal_those_kept(self):
        kept = [r.lines for r in txappendix14.analyse_many(sweep(70), eager=True)]
        for case in ("another thread", "contexts closed", "pickled"):
            with self.subTest(case):
                later = txappendix14.analyse_many(sweep(70), threads=2)
                if case == "another thread":
                    read = []
                    reader = threading.Thread(target=lambda: read.extend(list(r.lines) for r in later))
                    reader.start()
                    reader.join()
                elif case == "contexts closed":
                    read = [list(r.lines) for r in later]
                else:
                    read = [list(pickle.loads(pickle.dumps(r)).lines) for r in later]
                self.assertEqual(read, [list(k) for k in kept])

    def test_lines_keep_the_run_s_units_and_plain_text(self):
        # The unit file changes, and other items run in between: the lines
        # still show the run's units, in plain text as asked.
        factors = ", ".join(["1.0"] * 7 + ["0.0"] + ["1.0"] * 14)
        with tempfile.NamedTemporaryFile("w", suffix=".toml", delete=False, encoding="utf-8") as f:
            f.write("factors = [%s]\nlabels = [%s]\n" % (factors, ", ".join(['"qq"'] * 23)))
        self.addCleanup(os.unlink, f.name)
        item = dict(OPENING, units=f.name)
        expected = txappendix14.analyse(item, plain=True, eager=True).text()
        r = txappendix14.analyse(item, plain=True)
        with open(f.name, "w", encoding="utf-8") as changed:
            changed.write("factors = [%s]\nlabels = [%s]\n" % (factors, ", ".join(['"other"'] * 23)))
        txappendix14.analyse(JACKET)
        self.assertIn(" qq", expected)
        self.assertNotIn("\u00b2", expected)
        self.assertEqual(r.text(), expected)


if __name__ == "__main__":
    unittest.main()
