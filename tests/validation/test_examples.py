"""Worked examples: the published Appendix EE example, checked against its
published figures; the design's own worked coils and head, checked against
the design's figures; and every example file, in its own units, against
the reference."""

import os
import unittest

import txappendix14

import compare
import jacket_reference as jr

# Appendix EE example J: NPS 3 jacket on a 40 in. shell, no allowances.
EXAMPLE_J = dict(kind="jacket", code="VIII-1", units="US", D=40.0, ts=0.3125, P=190.0,
                 S=16000.0, E=1.0, NPS=3, Tj=0.3, Pj=300.0, Sj=16000.0, ca=0.0, co=0.0, caj=0.0)
# The design's worked coil: NPS 3, no radius, on a 0.5 in. cylinder.
COIL = dict(kind="jacket", units="US", D=36.0, ts=0.5, P=100.0, S=20000.0, ca=0.125, co=0.0,
            NPS=3, Tj=0.216, Pj=100.0, Sj=15000.0, caj=0.0625)
CYLINDER_PRESSURE = 100.0 * 36.25 / (2 * 20000.0 - 100.0)  # p Di / (2f - p), Di = D + 2 ca
# The design's worked head: no nozzle hub, internal units.
HEAD = dict(kind="opening", code="VIII-1", units="US", A=60.0, Bn=30.0, t=4.0, g0s=1.0,
            g1s=1.5, hs=3.0, ca=0.125, P=100.0, Sho=20000.0)


def shown_digits(**figures):
    """Each figure (value, decimals shown) to half a unit of its last digit."""
    return {k: (x, 0.5 * 10.0 ** -d + 1e-12 * abs(x)) for k, (x, d) in figures.items()}


def four_digits(**figures):
    return {k: (x, 5e-4 * abs(x)) for k, x in figures.items()}


# name, item, figures (every one acceptable by its figures); rc is the
# reference's alone (the record has no rc), moments are in in-lbf.
CASES = (
    ("Appendix EE example J, published", EXAMPLE_J, shown_digits(
        Tr=(0.2392, 4), K=(46.5, 1), Pprime_ts=(385.38, 2), Trj=(0.2695, 4))),
    ("the design's coil, PD 5500", dict(COIL, code="PD5500"), shown_digits(
        rc=(1.8125, 4), e_coil=(0.07861, 5), e_cylinder=(0.27299, 5), pMaxC1=(952.76, 2),
        pMaxC2=(642.09, 2), pMax=(642.09, 2), e_pressure=(CYLINDER_PRESSURE, 6))),
    ("the design's coil, EN 13445", dict(COIL, code="EN13445"), shown_digits(
        rc=(1.7045, 4), e_coil=(0.07390, 5), e_cylinder=(0.26417, 5), pMaxC1=(1326.52, 2),
        pMaxC2=(726.04, 2), pMax=(726.04, 2), e_pressure=(CYLINDER_PRESSURE, 6))),
    ("the design's head: the search ends on pass 6 at t = 2.282 in.", HEAD, four_digits(
        Mo=2367000, ST=15620, E_theta=122000, h0s=7.193, Hrats=0.4171, Grats=1.571, Fs=0.8574,
        Vs=0.3170, fs=1.0, MH=693400, X1=0.5718, SHS=12100, SRS=2448, STS=4373, SHO=0.0, SRO=0.0,
        STO=9562, MAWP=209.2, largest_stress=12100, t_min=2.282, passes=6)),
)


def reference(item):
    route, ref = compare.reference_of(item)
    if route == "half_pipe":
        ref["Trj"] = jr.trj_search(ref["_method"]) * jr.STEP
    if route == "opening":
        ref.update(t_min=ref["search"].t_min, passes=ref["search"].passes)
    return ref


class WorkedExamples(unittest.TestCase):
    def test_library_and_reference_give_the_figures(self):
        for name, item, figures in CASES:
            with self.subTest(name):
                r = txappendix14.analyse(item)
                self.assertEqual(r.verdict, "acceptable")
                lib = {k: v.value * (12 if k in ("Mo", "MH") else 1) for k, v in r.values.items()}
                for source, values in (("library", lib), ("reference", reference(item))):
                    for key, (figure, tolerance) in figures.items():
                        if source == "reference" or key != "rc":
                            self.assertAlmostEqual(values[key], figure, delta=tolerance,
                                                   msg="%s %s" % (source, key))

    def test_each_example_file(self):
        names = sorted(n for n in os.listdir(compare.EXAMPLES)
                       if n.endswith(".toml") and not n.startswith("units"))
        self.assertGreaterEqual(len(names), 10)
        ledger = compare.Ledger("example files")
        for i, name in enumerate(names):
            item, factors = compare.example(name)
            compare.compare_item(ledger, i, item, txappendix14.analyse(item), factors,
                                 compare.converted(item, factors, inward=True))
        compare.assert_agrees(self, ledger)
