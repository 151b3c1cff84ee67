"""Half-pipe jackets, ASME VIII-1 Appendix EE (K from the charts) and VIII-2
4.11.6 (Kp from its polynomial, the chart where that strays), of every pipe
size, standard and formed: every value and check against the reference."""

import unittest

import compare
from jacket_tables import THICKNESSES


class HalfPipeAgreesWithReference(unittest.TestCase):
    def test_appendix_ee_jackets(self):
        compare.route_agrees(self, "half_pipe", "VIII-1")

    def test_viii2_jackets(self):
        compare.route_agrees(self, "half_pipe", "VIII-2")

    def test_viii2_kp_rows_of_nps_4_across_the_diameters(self):
        # Each grid thickness of the NPS 4 rows, on shells from the chart's
        # smallest diameter to its largest (30 to 170 in.): the polynomial
        # where it holds, the chart where it strays, as the reference reads them.
        items = [dict(kind="jacket", code="VIII-2", units="US", D=30 + 3.5 * k, ts=t, P=50.0,
                      S=20000.0, E=1.0, NPS=4, Tj=0.3, Pj=50.0, Sj=15000.0)
                 for t in THICKNESSES for k in range(41)]
        compare.assert_agrees(self, compare.run_route("half_pipe", "VIII-2", items))

