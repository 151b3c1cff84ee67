"""The large opening, ASME VIII-1 Appendix 14 and VIII-2 4.6.4: generated
heads, with and without nozzle hubs, against the double-precision
reference, every value and check of the results record."""

import unittest

import compare
import generate


class OpeningAgreesWithReference(unittest.TestCase):
    def test_viii1_heads(self):
        compare.route_agrees(self, "opening", "VIII-1")

    def test_viii2_heads(self):
        compare.route_agrees(self, "opening", "VIII-2")

    @unittest.expectedFailure
    def test_short_tapered_shell_hubs(self):
        """Below h/h0 of about 0.2 the library's single-precision Table 2-7.1
        loses F, V and f to cancellation (60 % at h/h0 = 0.015): a known limit,
        docs/limits.md. Should it be lifted, this passes and its marker goes."""
        items = generate.items("opening", "VIII-1", 100, 3, short_hubs=True)
        compare.assert_agrees(self, compare.run_route("opening", "VIII-1", items))

