"""Half-pipe jackets, ASME VIII-1 Appendix EE (K from the charts) and VIII-2
4.11.6 (Kp from its polynomial, the chart where that strays): generated
jackets of every pipe size, standard and formed, against the reference,
every value and check of the results record."""

import unittest

import harness
from jacket_tables import DIAMETERS, THICKNESSES


class HalfPipeAgreesWithReference(unittest.TestCase):
    def test_appendix_ee_jackets(self):
        harness.route_agrees(self, "half_pipe", "VIII-1")

    def test_viii2_jackets(self):
        harness.route_agrees(self, "half_pipe", "VIII-2")

    def test_viii2_kp_rows_of_nps_4_across_the_diameters(self):
        # Each grid thickness of the NPS 4 rows, on shells from the chart's
        # smallest diameter to its largest: the polynomial where it holds,
        # the chart where it strays, as the reference reads them.
        items = [dict(kind="jacket", code="VIII-2", units="US", D=D, ts=t, P=50.0, S=20000.0, E=1.0,
                      NPS=4, Tj=0.3, Pj=50.0, Sj=15000.0)
                 for t in THICKNESSES
                 for D in [DIAMETERS[0] + (DIAMETERS[-1] - DIAMETERS[0]) * k / 40 for k in range(41)]]
        harness.assert_agrees(self, harness.run_route("half_pipe", "VIII-2", items))


if __name__ == "__main__":
    unittest.main()
