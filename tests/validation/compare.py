"""Holding the library's results record to the reference, value by value and
check by check (a value key without a rule here fails), and the runs the
validation tests share. A value agrees when |library - reference| <= 1e-4
max(|reference|, scale) + 16 u |reference| cond, u = 2^-24: scale, the sum
of a difference's terms' magnitudes; cond, that of the VIII-2 Kp polynomial.
Zero by construction must be zero; a discrete result (Trj, the accepted
schedule, the pass count, t_min) must be one the reference allows."""

import math
import os
import sys
import tomllib
import unittest
from collections import namedtuple
from typing import Dict, List, NamedTuple, Optional, Tuple

import txappendix14

import generate
import jacket_reference as jr
import opening_reference as orf

U32 = 2.0 ** -24
REL = 1e-4
ZERO = 1e-9
EITHER = 1e6          # the condition that admits the other reading at the 15 % boundary
EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")
COUNT = 1000          # generated items per route and code


def allowed_rel(cond: float = 1.0) -> float:
    return REL + 16 * U32 * cond


def by_quantity(**keys: str) -> Dict[str, str]:
    return {key: quantity for quantity, names in keys.items() for key in names.split()}


# The slots (from 0) of the unit system that convert each quantity for display.
SLOTS = dict(length=0, force=1, area=2, volume=3, moment=4, stress=5, temperature=6, pressure=8,
             mass=9, density=10, diameter=20, thickness=21)

OPENING_VALUES = by_quantity(
    pressure="P MAWP", thickness="t h0n h0s t_min", diameter="G R", force="Hd H Ht W",
    moment="Md Mt Mo MH", volume="dn ds", per_thickness="en es",
    stress="SH SR ST E_theta SHS SRS STS SHO SRO STO Sho S_hub largest_stress",
    dimensionless="K T U Y Z Hratn Gratn Fn Vn fn ALPHA BETA GAMMA DELTA Lamda Hrats Grats Fs "
                  "Vs fs X1 Z1 passes")
HALF_PIPE_VALUES = by_quantity(
    pressure="Pj Pj_design Pprime_ts Pprime_Trj", stress="Sstar Fp", dimensionless="K Kp",
    thickness="ts Tr Trj ts_net Tj_input T_input Tj T Fillet")
COIL_VALUES = by_quantity(pressure="pc pMaxC1 pMaxC2 pMax",
                          thickness="ec e e_coil e_cylinder e_pressure")
# The inputs' quantities, for items in other units than US.
INPUTS = by_quantity(
    pressure="P Pj ExtPCore", temperature="T Tjacket", stress="Sho Shg S Sa Sj Sja",
    density="density", length="L", diameter="Bn A D r", dimensionless="E NPS",
    thickness="t g0s g1s hs ca g0n g1n hn ts Tj caj co")
DN = {50: 2.0, 65: 2.5, 80: 3.0, 90: 3.5, 100: 4.0}


class Units(NamedTuple):
    factors: Tuple[float, ...]   # the 22 factors, from internal units to display units

    def shown(self, quantity: str, internal: float) -> float:
        if quantity == "dimensionless":
            return internal
        if quantity == "per_thickness":
            return internal / self.factors[21]
        v = internal * self.factors[SLOTS[quantity]]
        return v / 12 if quantity == "moment" else v  # moments in in-lbf, shown as ft-lbf


US = Units((1.0,) * 22)


def converted(item: dict, units: Units, inward: bool = False) -> dict:
    """A US item's numbers in `units`, or (inward) an item's in `units` in
    internal units (inches, psi), DN as NPS; without its unit system's name."""
    f, out = units.factors, {}
    for key, v in item.items():
        q = INPUTS.get(key)
        if key == "DN":
            key, v = "NPS", DN[int(v)]
        elif q == "temperature":
            v = (v - f[7]) / f[6] if inward else v * f[6] + f[7]
        elif q in SLOTS:
            v = v / f[SLOTS[q]] if inward else v * f[SLOTS[q]]
        if key != "units":
            out[key] = v
    return out


class Ledger:
    """A route's failures and largest relative differences (rel, key, item):
    of every value, and of those held to 1e-4 of themselves alone."""

    def __init__(self, route: str):
        self.route, self.failures, self.values, self.items = route, [], 0, 0
        self.worst = self.worst_plain = (0.0, "", -1)

    def fail(self, item: int, message: str) -> None:
        if len(self.failures) < 30:
            self.failures.append("item %d: %s" % (item, message))

    def close(self, item: int, key: str, lib: Optional[float], ref: float, scale: float = 0.0,
              cond: float = 1.0, other: Optional[float] = None) -> None:
        """Records the difference, and a failure when too large; `other`, a
        reading the library may take instead, within a tolerance of its own."""
        self.values += 1
        if other is not None and lib is not None and abs(lib - other) <= allowed_rel(EITHER) * abs(other):
            return
        if lib is None or not math.isfinite(ref):
            if lib is not None or math.isfinite(ref):
                self.fail(item, "%s: library %r, reference %r" % (key, lib, ref))
            return
        d = abs(lib - ref)
        allowed = ZERO if ref == 0.0 and scale == 0.0 else \
            REL * max(abs(ref), scale) + 16 * U32 * abs(ref) * cond
        if ref != 0.0:
            self.worst = max(self.worst, (d / abs(ref), key, item), key=lambda w: w[0])
            if scale <= abs(ref) and cond == 1.0:
                self.worst_plain = max(self.worst_plain, (d / abs(ref), key, item), key=lambda w: w[0])
        if d > allowed:
            self.fail(item, "%s: library %.9g, reference %.9g (allowed %.3g)" % (key, lib, ref, allowed))

    def summary(self) -> str:
        return ("%s: %d items, %d values; largest relative difference %.2e (%s, item %d), "
                "%.2e of the values free of cancellation (%s, item %d)"
                % ((self.route, self.items, self.values) + self.worst + self.worst_plain))


# One item's comparison: the library's result, the reference, the item in
# internal units and the quantity of each value key of its route.
class Context(namedtuple("Context", "ledger index result ref units item known")):
    def lib(self, key: str) -> Optional[float]:
        return self.result.values[key].value


def computed(ctx: Context, key: str) -> None:
    """A value the reference computes for the input item."""
    ref, q = ctx.ref, ctx.known[key]
    if key not in ref:
        return ctx.ledger.fail(ctx.index, "value %s: not a value of this method" % key)
    sh = lambda x: ctx.units.shown(q, x)  # noqa: E731
    other = ref.get("_other", {}).get(key)
    ctx.ledger.close(ctx.index, key, ctx.lib(key), sh(ref[key]),
                     abs(sh(ref.get("_scale", {}).get(key, 0.0))), ref.get("_cond", {}).get(key, 1.0),
                     None if other is None else sh(other))


# --- large opening ---------------------------------------------------------

def search_agrees(ctx: Context, key: str) -> None:
    """The reference's pass count and t_min within 1e-4, or a t_min where its
    governing ratio is within the search band widened by the tolerance (and
    passes within one)."""
    search, inch = ctx.ref["search"], ctx.units.shown("thickness", 1.0)
    t_min, passes = ctx.lib("t_min"), ctx.lib("passes")
    if search.t_min is None or not t_min:
        ok = search.t_min is None and not t_min
    elif passes == search.passes and abs(t_min / inch - search.t_min) <= REL * search.t_min:
        ok = True
    else:
        o = orf.of_item(ctx.item)
        ratio = orf.ratios(o, orf.stresses(o, orf.fixed(o), t_min / inch))["ratio"]
        ok = 0.998 <= ratio <= 1.002 and (key == "t_min" or passes is not None
                                          and abs(passes - search.passes) <= 1)
    if not ok:
        ctx.ledger.fail(ctx.index, "%s: library %r, reference search %r" % (key, ctx.lib(key), search))


# --- half-pipe jackets -----------------------------------------------------

def trj_allowed(ctx: Context, Trj: float) -> str:
    """Why the library's Trj is not the first step whose P' reaches Pj (at it
    the reference's P' reaches Pj and below it stays under Pj, within the
    tolerance of each step's P'); empty when it is."""
    m: jr.HalfPipeMethod = ctx.ref["_method"]
    n, first = round(Trj / jr.STEP), jr.first_step(m.j)
    if abs(n * jr.STEP - Trj) > 1e-6 * Trj or n > jr.MAX_STEPS:  # shown to float precision
        return "not a step of 1/256 in."
    if n < first:
        return "at or below ca + co"

    def reach(k: int) -> Tuple[float, float]:
        """P' at step k: the least and the most the library may find."""
        P, K = m.Pprime_at_step(k)
        tol = allowed_rel(K.cond) * abs(P)
        Q = P if K.other is None else P * K.K / K.other
        return min(P, Q) - tol, max(P, Q) + tol

    if reach(n)[1] < m.j.Pj and n < jr.MAX_STEPS:
        return "P' %.6g below Pj %.6g" % (m.Pprime_at_step(n)[0], m.j.Pj)
    below = range(first, n) if n - first < 600 else \
        list(range(first, first + 600)) + [n - 1]  # P' rises beyond the charts' end
    for k in below:
        if reach(k)[0] >= m.j.Pj:
            return "P' %.6g reaches Pj already at step %d" % (m.Pprime_at_step(k)[0], k)
    return ""


def trj(ctx: Context, key: str) -> None:
    inch = ctx.units.shown("thickness", 1.0)
    ctx.ledger.values += 1
    why = trj_allowed(ctx, ctx.lib(key) / inch)
    if why:
        ctx.ledger.fail(ctx.index, "Trj %.9g: %s (reference %.9g)"
                        % (ctx.lib(key), why, jr.trj_search(ctx.ref["_method"]) * jr.STEP * inch))


def pprime_trj(ctx: Context, key: str) -> None:
    m: jr.HalfPipeMethod = ctx.ref["_method"]
    sh = lambda x: ctx.units.shown("pressure", x)  # noqa: E731
    t = ctx.lib("Trj") / ctx.units.shown("thickness", 1.0) - m.j.ca - m.j.co
    K = m.K(min(t, 2.0))
    ctx.ledger.close(ctx.index, key, ctx.lib(key), sh(m.Pprime(t, K.K)), cond=K.cond,
                     other=None if K.other is None else sh(m.Pprime(t, K.other)))


def accepted_jacket(ctx: Context, key: str) -> None:
    """The jacket the analysis went on with: the input one when it is thick
    enough, else the first schedule that is (either, where it is within the
    tolerance); T and the fillet weld for that jacket."""
    ref, led, i = ctx.ref, ctx.ledger, ctx.index
    m: jr.HalfPipeMethod = ref["_method"]
    j, inch = m.j, ctx.units.shown("thickness", 1.0)
    Tj, T_input = ctx.lib("Tj") / inch, ref["T_input"]
    choices = [(j.Tj, T_input)] if j.Tj >= T_input * (1 - REL) else []
    if j.Tj < T_input * (1 + REL):  # the schedules up to the first that surely suffices; XXS when none
        walls = [jr.schedule_T(j, m.NPS, s) for s in range(len(jr.PIPE_WALLS))]
        last = next((s for s, (Tj_s, T_s) in enumerate(walls) if T_s <= Tj_s * (1 - REL)), len(walls) - 1)
        choices += [(Tj_s, T_s) for s, (Tj_s, T_s) in enumerate(walls[:last + 1])
                    if T_s <= Tj_s * (1 + REL) or s == len(walls) - 1]
    match = [c for c in choices if abs(c[0] - Tj) <= REL * c[0]]
    if not match:
        led.values += 1
        return led.fail(i, "%s: accepted Tj %.9g is none of %s"
                        % (key, Tj, [round(c[0], 6) for c in choices]))
    Tj_ref, T_ref = match[-1]
    if key == "Fillet" and abs(j.ts - Tj_ref) <= REL * j.ts:  # either side of ts <= Tj
        lib = ctx.lib(key)
        ref_value = min([j.ts * 1.414, jr.jacket_fillet(j, Tj_ref)], key=lambda a: abs(a * inch - lib))
    else:
        ref_value = dict(Tj=Tj_ref, T=T_ref, Fillet=jr.fillet(j, Tj_ref))[key]
    led.close(i, key, ctx.lib(key), ref_value * inch)


# --- checks ----------------------------------------------------------------

# A check: lhs <= rhs + margin, each side a reference value (internal units),
# of the quantity (a stress check compares the stress's magnitude); applies(item)
# says whether the check applies to the item.
CheckRule = namedtuple("CheckRule", "lhs rhs quantity margin applies", defaults=(0.0, None))


def integral_nozzle(item: dict) -> bool:
    return all(item.get(k, 0.0) > orf.HUB for k in ("g0n", "g1n", "hn"))


OPENING_CHECKS = dict(
    SH_shell=CheckRule("SHS", "S_hub", "stress"), SR_shell=CheckRule("SRS", "Sho", "stress"),
    ST_shell=CheckRule("STS", "Sho", "stress"), ST_opening=CheckRule("STO", "Sho", "stress"),
    SH_SR_shell=CheckRule("SH_SR_shell", "Sho", "stress"),
    SH_ST_shell=CheckRule("SH_ST_shell", "Sho", "stress"),
    SH_opening=CheckRule("SHO", "S_hub", "stress", applies=integral_nozzle),
    SR_opening=CheckRule("SRO", "Sho", "stress", applies=integral_nozzle),
    SH_SR_opening=CheckRule("SH_SR_opening", "Sho", "stress", applies=integral_nozzle),
    SH_ST_opening=CheckRule("SH_ST_opening", "Sho", "stress"),
    MAWP=CheckRule("P", "MAWP", "pressure"))
HALF_PIPE_CHECKS = dict(
    Tr=CheckRule("Tr", "ts", "thickness"), Trj=CheckRule("Trj", "ts", "thickness", margin=0.0001),
    Pprime_ts=CheckRule("Pj_design", "Pprime_ts", "pressure"), T=CheckRule("T_input", "Tj_input", "thickness"))
COIL_CHECKS = dict(
    e_coil=CheckRule("e_coil", "ec", "thickness"),
    e_cylinder=CheckRule("e_cylinder", "e", "thickness"),
    pMaxC1=CheckRule("pc", "pMaxC1", "pressure"), pMaxC2=CheckRule("pc", "pMaxC2", "pressure"),
    cylinder_pressure=CheckRule("e_pressure", "e_net", "thickness",
                                applies=lambda item: item.get("P", 0.0) > 0.0))


def compare_checks(ctx: Context, rules: Dict[str, CheckRule]) -> None:
    """Each check's value and limit are the reference's, its outcome the
    reference's unless the two sides lie within the tolerance."""
    led, i, sh = ctx.ledger, ctx.index, ctx.units.shown
    for c in ctx.result.checks:
        rule = rules.get(c.key)
        if rule is None:
            led.fail(i, "check %s has no rule in compare.py" % c.key)
            continue
        applies = rule.applies is None or rule.applies(ctx.item)
        if c.applicable != applies:
            led.fail(i, "check %s: applicable %r, reference %r" % (c.key, c.applicable, applies))
        if c.applicable != applies or not applies:
            continue
        lhs, rhs = ctx.ref[rule.lhs], ctx.ref[rule.rhs]
        lhs = abs(lhs) if rule.quantity == "stress" else lhs
        value, limit, named = (lhs, rhs, rule.lhs) if c.relation == "<=" else (rhs, lhs, rule.rhs)
        scale = ctx.ref.get("_scale", {}).get(named, 0.0)
        led.close(i, "check %s value" % c.key, c.value, sh(rule.quantity, value),
                  abs(sh(rule.quantity, scale)), ctx.ref.get("_cond", {}).get(named, 1.0))
        limits = [sh(rule.quantity, x) for x in ((limit, rhs + rule.margin) if rule.margin else (limit,))]
        if c.limit is None or min(abs(c.limit - x) for x in limits) > REL * abs(limits[0]) + ZERO:
            led.fail(i, "check %s limit %r, reference %r" % (c.key, c.limit, limits))
        if lhs > 0 and rhs > 0:  # magnitudes and signed values agree
            edge = abs(lhs - rhs - rule.margin) <= 2 * REL * max(abs(lhs), abs(rhs))
            if not edge and c.passes != (lhs <= rhs + rule.margin):
                led.fail(i, "check %s passes %r, reference %.9g <= %.9g" % (c.key, c.passes, lhs, rhs))


# --- one item, a route, the examples ----------------------------------------

ROUTES = dict(  # the value keys and their quantities, the rules of the discrete ones, the checks
    opening=(OPENING_VALUES, dict(t_min=search_agrees, passes=search_agrees), OPENING_CHECKS),
    half_pipe=(HALF_PIPE_VALUES, dict(Trj=trj, Pprime_Trj=pprime_trj, Tj=accepted_jacket,
                                      T=accepted_jacket, Fillet=accepted_jacket), HALF_PIPE_CHECKS),
    coil=(COIL_VALUES, {}, COIL_CHECKS))


def reference_of(item: dict):
    """The route and the reference of an item in internal units."""
    if item["kind"] == "opening":
        return "opening", orf.analyse(orf.of_item(item))
    x = jr.of_item(item)
    if isinstance(x, jr.Coil):
        return "coil", jr.analyse_coil(x)
    return "half_pipe", dict(jr.analyse_half_pipe(x, near=64 * U32), Pj=float(item["Pj"]))


def compare_item(ledger: Ledger, index: int, item: dict, result, units: Units = US,
                 internal: Optional[dict] = None) -> None:
    """Every value and check of one result against the reference."""
    internal = internal if internal is not None else item
    route, ref = reference_of(internal)
    known, rules, checks = ROUTES[route]
    ctx = Context(ledger, index, result, ref, units, internal, known)
    ledger.items += 1
    if result.errors:
        return ledger.fail(index, "refused: %d fatal input errors" % result.errors)
    for key in result.values:
        if key not in known:
            ledger.fail(index, "value %s has no rule in compare.py" % key)
        else:
            rules.get(key, computed)(ctx, key)
    if "Trj" in result.values:  # the library's own, once its rule passed
        ref = dict(ref, Trj=ctx.lib("Trj") / units.shown("thickness", 1.0))
    compare_checks(ctx._replace(ref=ref), checks)


def run_route(kind: str, code: str, items: List[Dict]) -> Ledger:
    ledger = Ledger("%s %s" % (kind, code))
    for i, (item, result) in enumerate(zip(items, txappendix14.analyse_many(items))):
        compare_item(ledger, i, item, result)
    return ledger


def assert_agrees(test: unittest.TestCase, ledger: Ledger) -> None:
    sys.stderr.write("\n  %s\n" % ledger.summary())
    test.assertEqual(ledger.failures, [], ledger.summary())


def route_agrees(test: unittest.TestCase, kind: str, code: str, seed: int = 1) -> None:
    assert_agrees(test, run_route(kind, code, generate.items(kind, code, COUNT, seed)))


def example(name: str) -> Tuple[Dict, Units]:
    """An example file's item and the factors of the unit system it names."""
    path = os.path.join(EXAMPLES, name)
    with open(path, "rb") as f:
        item = tomllib.load(f)
    named = item.get("units", "US")
    if named not in ("US", "SI"):
        item["units"] = named = os.path.join(os.path.dirname(path), named)
    units = {"US": txappendix14.US, "SI": txappendix14.SI}.get(named)
    return item, Units(tuple((units or txappendix14.load_unit_file(named)).factors))
