"""The figures of docs/validation.md, run by hand against a build:

    TXAPPENDIX14_LIBRARY=build/default/applications/Appendix14/libtxappendix14.so \\
    PYTHONPATH=python python3 tests/validation/survey.py

Per route the items and values compared and the largest differences (the
validation tests' own items); the readings the library departs from, over
the same items; and the short hubs where single precision gives way."""

import math
import statistics

import txappendix14

import compare
import generate
import jacket_reference as jr
import opening_reference as orf
from flange_factors import integral_factors


def spread(xs):
    return "min %.4f, median %.4f, max %.4f" % (min(xs), statistics.median(xs), max(xs))


def items(kind, code):
    return generate.items(kind, code, compare.COUNT, 1)   # the validation tests' own


def routes() -> None:
    print("Agreement, %d items per route and code:" % compare.COUNT)
    for kind, code in generate.ROUTES:
        print("  " + compare.run_route(kind, code, items(kind, code)).summary())


def shell_reading() -> None:
    print("Opening, M.A.W.P. of the library's reading over the corroded-bore reading:")
    for code in ("VIII-1", "VIII-2"):
        ratios = [orf.analyse(o, "report", False)["MAWP"] / orf.analyse(o, "bore", False)["MAWP"]
                  for o in map(orf.of_item, items("opening", code))]
        print("  %s: %s; below 0.99 in %d of %d" % (code, spread(ratios),
                                                    sum(r < 0.99 for r in ratios), len(ratios)))


def coil_bore() -> None:
    print("EN 13445 coils of standard pipe, pMaxC1 with Di = 2 (ri + caj) over Di = 2 ri:")
    ratios, governs = [], 0
    for c in (jr.of_item(item) for item in items("coil", "EN13445") if "r" not in item):
        ref, other = jr.analyse_coil(c), jr.en_coil_bore_reading(c)
        ratios.append(ref["pMaxC1"] / other)
        governs += (min(other, ref["pMaxC2"]) < c.pc) != (ref["pMax"] < c.pc)
    print("  %s; the verdict on pMax changes for %d of %d" % (spread(ratios), governs, len(ratios)))


def kp_chart() -> None:
    print("VIII-2 jackets whose Kp at the input shell comes from the chart:")
    jackets = [jr.of_item(item) for item in items("half_pipe", "VIII-2")]
    chart = sum(jr.HalfPipeMethod(j, 0.0).K(j.ts - j.ca - j.co).cond == 1.0 for j in jackets)
    print("  %d of %d" % (chart, len(jackets)))


def short_hubs() -> None:
    print("Shell hub factors F, V, f: largest relative difference by h/h0:")
    base = dict(kind="opening", code="VIII-1", units="US", P=100.0, t=4.0, Bn=30.0, A=60.0,
                g0s=1.0, ca=0.0, Sho=20000.0)
    h0 = math.sqrt(59.0)
    for h_h0 in (0.015, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.5, 1.0):
        runs = [txappendix14.analyse(dict(base, g1s=g1s, hs=h_h0 * h0)).values
                for g1s in (1.05, 1.2, 1.5, 2.0, 2.5, 3.0)]
        worst = max(abs(v[k].value / x - 1) for v in runs for k, x in
                    zip(("Fs", "Vs", "fs"), integral_factors(v["Grats"].value, v["Hrats"].value)))
        print("  h/h0 %.3f: %.1e" % (h_h0, worst))


if __name__ == "__main__":
    for part in (routes, shell_reading, coil_bore, kp_chart, short_hubs):
        part()
