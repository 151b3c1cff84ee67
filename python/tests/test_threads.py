"""Items on a pool of threads, one context each, give what one context
gives when it runs them one after another, in the order of the items."""

import unittest
from unittest import mock

import txappendix14
from txappendix14 import context
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
    def test_two_threads_equal_the_sequential_run(self):
        items = sweep(200)
        with txappendix14.Context() as ctx:
            expected = [ctx.analyse(item) for item in items]
        # The outputs of a batch in the room kept for them, in several calls
        # when a few fit at a time, or one item in a room grown for it.
        for room in (context.BATCH_ROOM, 30000, 4000):
            with self.subTest(room=room), mock.patch.object(context, "BATCH_ROOM", room):
                got = txappendix14.analyse_many(items, threads=2)
                self.assertEqual([r.item for r in got], list(range(200)))
                self.assertTrue(len({r.mawp for r in got if r.kind == "opening"}) > 20
                                and any(r.errors for r in got))
                for n, (a, b) in enumerate(zip(got, expected)):
                    self.assertEqual(a, b, "item %d" % n)

    def test_threads_share_a_unit_system_first_used_at_once(self):
        # Threads that pack their batches at the same time each ask a new
        # unit system for its factors: every batch must read the factors
        # the system keeps (none freed under it), so every item converts.
        items = [dict(JACKET, code="EN13445", L=12.0, item=n) for n in range(4 * context.BATCH)]
        for item in items:
            del item["units"]
        expected = txappendix14.analyse_many(items, threads=1)
        for attempt in range(20):
            units = txappendix14.Units("US")  # built in: read from the library when first used
            got = txappendix14.analyse_many(items, threads=4, units=units)
            self.assertEqual([r.values for r in got], [r.values for r in expected],
                             "attempt %d" % attempt)

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


if __name__ == "__main__":
    unittest.main()
