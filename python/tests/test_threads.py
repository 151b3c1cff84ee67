"""Items on a pool of threads, one context each, give what one context gives
running them in turn, in the order of the items; a result read later, in
another thread or after pickling, reads what its own run gave."""

import pickle
import threading
import unittest

import txappendix14
from items import JACKET, OPENING


def sweep(count):
    """Items that differ from each other: both kinds, several codes and
    thicknesses, some with fatal errors."""
    return [dict(JACKET, item=n, code=("VIII-1", "VIII-2", "PD5500", "EN13445")[n % 4], Tj=0.05 + 0.01 * (n % 10))
            if n % 3 == 0 else dict(OPENING, item=n, code="VIII-%d" % (1 + n % 2), t=1.0 + 0.125 * (n % 29),
                                    g1s=1.5 if n % 17 else 0.5) for n in range(count)]


class ThreadPool(unittest.TestCase):
    def test_threads_equal_the_sequential_run(self):
        items = sweep(200)
        with txappendix14.Context() as ctx:
            expected = [ctx.analyse(item, eager=True).to_dict() for item in items]
        self.assertTrue(len({d["results"]["mawp"] for d in expected if d["kind"] == "opening"}) > 20
                        and any(d["errors"] for d in expected))
        for threads in (1, 2, 3):
            with self.subTest(threads=threads):
                got = txappendix14.analyse_many(iter(items), threads=threads)  # no length: a pool of 3
                if threads == 2:  # the lines, not kept by the run, made after pickling
                    got = [pickle.loads(pickle.dumps(r)) for r in got]
                read = []  # in a thread of its own, once the pool's contexts are closed
                reader = threading.Thread(target=lambda: read.extend(r.to_dict() for r in got))
                reader.start()
                reader.join()
                self.assertEqual(read, expected)

    def test_edge_cases(self):
        # More threads than items, no items, a context closed (twice).
        self.assertEqual(txappendix14.analyse_many([OPENING], threads=8), [txappendix14.analyse(OPENING)])
        self.assertEqual(txappendix14.analyse_many([]), [])
        ctx = txappendix14.Context()
        ctx.close()
        ctx.close()
        self.assertRaises(ValueError, ctx.analyse, OPENING)
