"""Half-pipe jackets, ASME VIII-1 Appendix EE (K from the charts) and VIII-2
4.11.6 (Kp from its polynomial, the chart where that strays): generated
jackets of every pipe size, standard and formed, against the reference,
every value and check of the results record."""

import unittest

import harness


class HalfPipeAgreesWithReference(unittest.TestCase):
    def test_appendix_ee_jackets(self):
        harness.route_agrees(self, "half_pipe", "VIII-1")

    def test_viii2_jackets(self):
        harness.route_agrees(self, "half_pipe", "VIII-2")


if __name__ == "__main__":
    unittest.main()
