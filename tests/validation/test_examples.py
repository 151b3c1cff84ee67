"""Worked examples: the published Appendix EE example, checked against its
published figures; the design's own worked coils and head, checked against
the design's figures; and every example file, in its own units, against
the reference."""

import os
import unittest

import txappendix14

import compare
import harness
import jacket_reference as jr
import opening_reference as orf

# Appendix EE example J: NPS 3 jacket on a 40 in. shell, no allowances.
EXAMPLE_J = dict(kind="jacket", code="VIII-1", units="US", D=40.0, ts=0.3125, P=190.0,
                 S=16000.0, E=1.0, NPS=3, Tj=0.3, Pj=300.0, Sj=16000.0, ca=0.0, co=0.0, caj=0.0)

# The design's worked coil: NPS 3, no radius, on a 0.5 in. cylinder.
COIL = dict(kind="jacket", units="US", D=36.0, ts=0.5, P=100.0, S=20000.0, ca=0.125, co=0.0,
            NPS=3, Tj=0.216, Pj=100.0, Sj=15000.0, caj=0.0625)

# The design's worked head: no nozzle hub, internal units.
HEAD = dict(kind="opening", code="VIII-1", units="US", A=60.0, Bn=30.0, t=4.0, g0s=1.0,
            g1s=1.5, hs=3.0, ca=0.125, P=100.0, Sho=20000.0)


def agrees_to_shown_digits(test, name, value, figure, decimals):
    test.assertAlmostEqual(value, figure, delta=0.5 * 10.0 ** -decimals + 1e-12 * abs(figure),
                           msg="%s: %r against the figure %r" % (name, value, figure))


class PublishedAppendixEE(unittest.TestCase):
    """Published figures: Tr 0.2392 in., K 46.5, P' 385.38 psi, Trj 0.2695 in."""

    FIGURES = (("Tr", 0.2392, 4), ("K", 46.5, 1), ("Pprime_ts", 385.38, 2), ("Trj", 0.2695, 4))

    def test_library_gives_the_published_figures(self):
        r = txappendix14.analyse(EXAMPLE_J)
        self.assertEqual(r.verdict, "acceptable")
        for key, figure, decimals in self.FIGURES:
            agrees_to_shown_digits(self, key, r.values[key].value, figure, decimals)

    def test_reference_gives_the_published_figures(self):
        j = jr.of_item(EXAMPLE_J)
        ref = jr.analyse_half_pipe(j)
        ref["Trj"] = jr.trj_search(ref["_method"]) * jr.STEP
        for key, figure, decimals in self.FIGURES:
            agrees_to_shown_digits(self, key, ref[key], figure, decimals)


class DesignWorkedCoils(unittest.TestCase):
    """The design's own figures for the coil, not published ones: rc (the
    reference alone; the record has no rc), the minimum coil and cylinder
    thicknesses and the two maximum pressures."""

    FIGURES = {
        "PD5500": dict(rc=(1.8125, 4), e_coil=(0.07861, 5), e_cylinder=(0.27299, 5),
                       pMaxC1=(952.76, 2), pMaxC2=(642.09, 2)),
        "EN13445": dict(rc=(1.7045, 4), e_coil=(0.07390, 5), e_cylinder=(0.26417, 5),
                        pMaxC1=(1326.52, 2), pMaxC2=(726.04, 2)),
    }
    CYLINDER_PRESSURE = 100.0 * 36.25 / (2 * 20000.0 - 100.0)  # p Di / (2f - p), Di = D + 2 ca

    def test_each_code(self):
        for code, figures in self.FIGURES.items():
            with self.subTest(code=code):
                item = dict(COIL, code=code)
                r = txappendix14.analyse(item)
                ref = jr.analyse_coil(jr.of_item(item))
                for key, (figure, decimals) in figures.items():
                    agrees_to_shown_digits(self, key, ref[key], figure, decimals)
                    if key != "rc":
                        agrees_to_shown_digits(self, key, r.values[key].value, figure, decimals)
                self.assertEqual(r.values["pMax"].value, r.values["pMaxC2"].value)
                self.assertAlmostEqual(ref["e_pressure"], self.CYLINDER_PRESSURE, places=12)
                agrees_to_shown_digits(self, "e_pressure", r.values["e_pressure"].value,
                                       self.CYLINDER_PRESSURE, 6)


class DesignWorkedHead(unittest.TestCase):
    """The design's own end-to-end head, to four significant digits
    (moments in in-lbf): the search ends on pass 6 at t = 2.282 in."""

    FIGURES = dict(Mo=2367000, ST=15620, E_theta=122000, h0s=7.193, Hrats=0.4171, Grats=1.571,
                   Fs=0.8574, Vs=0.3170, fs=1.0, MH=693400, X1=0.5718, SHS=12100, SRS=2448,
                   STS=4373, SHO=0.0, SRO=0.0, STO=9562, MAWP=209.2, largest_stress=12100,
                   t_min=2.282)
    MOMENTS = ("Mo", "MH")

    def check(self, values, source):
        for key, figure in self.FIGURES.items():
            value = values[key]
            delta = 5e-4 * abs(figure) if figure else 0.0
            self.assertAlmostEqual(value, figure, delta=delta, msg="%s %s" % (source, key))

    def test_reference(self):
        ref = orf.analyse(orf.of_item(HEAD))
        ref["t_min"] = ref["search"].t_min
        self.assertEqual(ref["search"].passes, 6)
        self.check(ref, "reference")

    def test_library(self):
        r = txappendix14.analyse(HEAD)
        values = {k: v.value * (12 if k in self.MOMENTS else 1) for k, v in r.values.items()}
        self.check(values, "library")
        self.assertEqual(r.values["passes"].value, 6)


class ExampleFiles(unittest.TestCase):
    """Every example item, in the unit system it names, against the
    reference."""

    def test_each_example(self):
        names = sorted(n for n in os.listdir(harness.EXAMPLES)
                       if n.endswith(".toml") and not n.startswith("units"))
        self.assertGreaterEqual(len(names), 10)
        ledger = compare.Ledger("example files")
        for i, name in enumerate(names):
            item, factors, units = harness.example(name)
            result = txappendix14.analyse(item)
            compare.compare_item(ledger, i, item, result, factors,
                                 compare.internal_item(item, factors))
        harness.assert_agrees(self, ledger)


if __name__ == "__main__":
    unittest.main()
