"""Holding the library's results record to the reference, value by value and
check by check. Every value key needs a rule here: a key without one is a
failure, so that a new value of the record gets its rule.

A value agrees when |library - reference| <= 1e-4 max(|reference|, scale)
+ 16 u |reference| cond, u = 2^-24: the scale of a difference is the sum of
its terms' magnitudes (the library's single-precision error is relative to
them), the condition that of a single-precision polynomial (VIII-2 Kp).
A value the reference makes zero by construction must be zero. Discrete
results (Trj, the accepted schedule, the pass count, t_min) have rules of
their own: the library's choice must be one the reference allows."""

import math
from typing import Callable, Dict, List, NamedTuple, Optional, Tuple

import jacket_reference as jr
import opening_reference as orf

U32 = 2.0 ** -24
REL = 1e-4
ZERO = 1e-9

# The slots of the unit system that convert each quantity for display.
SLOTS = dict(length=1, force=2, area=3, volume=4, moment=5, stress=6, pressure=9, mass=10,
             density=11, diameter=21, thickness=22)

OPENING_VALUES = dict(
    P="pressure", t="thickness", G="diameter", K="dimensionless", R="diameter", Hd="force",
    Md="moment", H="force", Ht="force", Mt="moment", Mo="moment", T="dimensionless",
    U="dimensionless", Y="dimensionless", Z="dimensionless", h0n="thickness",
    Hratn="dimensionless", Gratn="dimensionless", Fn="dimensionless", Vn="dimensionless",
    fn="dimensionless", dn="volume", en="per_thickness", ALPHA="dimensionless",
    BETA="dimensionless", GAMMA="dimensionless", DELTA="dimensionless", Lamda="dimensionless",
    SH="stress", SR="stress", ST="stress", E_theta="stress", h0s="thickness",
    Hrats="dimensionless", Grats="dimensionless", Fs="dimensionless", Vs="dimensionless",
    fs="dimensionless", ds="volume", es="per_thickness", MH="moment", X1="dimensionless",
    SHS="stress", SRS="stress", STS="stress", SHO="stress", SRO="stress", STO="stress",
    Z1="dimensionless", Sho="stress", S_hub="stress", largest_stress="stress", MAWP="pressure",
    W="force", t_min="thickness", passes="dimensionless")

HALF_PIPE_VALUES = dict(
    Pj="pressure", Pj_design="pressure", ts="thickness", Tr="thickness", Trj="thickness",
    ts_net="thickness", K="dimensionless", Kp="dimensionless", Sstar="stress", Fp="stress",
    Pprime_ts="pressure", Pprime_Trj="pressure", Tj_input="thickness", T_input="thickness",
    Tj="thickness", T="thickness", Fillet="thickness")

COIL_VALUES = dict(
    pc="pressure", ec="thickness", e="thickness", e_coil="thickness", e_cylinder="thickness",
    pMaxC1="pressure", pMaxC2="pressure", pMax="pressure", e_pressure="thickness")

# The inputs' quantities, for items in other units than US.
INPUTS = dict(
    P="pressure", T="temperature", t="thickness", Bn="diameter", A="diameter",
    g0s="thickness", g1s="thickness", hs="thickness", ca="thickness", Sho="stress",
    Shg="stress", g0n="thickness", g1n="thickness", hn="thickness", density="density",
    D="diameter", ts="thickness", S="stress", Sa="stress", E="dimensionless",
    NPS="dimensionless", Tj="thickness", Pj="pressure", Tjacket="temperature", Sj="stress",
    Sja="stress", caj="thickness", r="diameter", ExtPCore="pressure", co="thickness",
    L="length")
DN = {50: 2.0, 65: 2.5, 80: 3.0, 90: 3.5, 100: 4.0}


class Units(NamedTuple):
    factors: Tuple[float, ...]   # the 22 factors, from internal units to display units

    def shown(self, quantity: str, internal: float) -> float:
        if quantity == "dimensionless":
            return internal
        if quantity == "per_thickness":
            return internal / self.factors[21]
        v = internal * self.factors[SLOTS[quantity] - 1]
        return v / 12 if quantity == "moment" else v  # moments in in-lbf, shown as ft-lbf


US = Units((1.0,) * 22)


def internal_item(item: dict, units: Units) -> dict:
    """The item's numbers in internal units (inches, psi), DN as NPS."""
    out = {}
    for key, v in item.items():
        if key == "DN":
            out["NPS"] = DN[int(v)]
        elif key in INPUTS and INPUTS[key] not in ("temperature", "dimensionless"):
            out[key] = v / units.factors[SLOTS[INPUTS[key]] - 1]
        else:
            out[key] = v
    return out


class Worst(NamedTuple):
    rel: float
    key: str
    item: int


class Ledger:
    """The failures and the largest relative differences of a route: of
    every value, and of the values held to 1e-4 of themselves alone."""

    def __init__(self, route: str):
        self.route = route
        self.failures: List[str] = []
        self.worst = Worst(0.0, "", -1)
        self.worst_plain = Worst(0.0, "", -1)
        self.values = 0
        self.items = 0

    def fail(self, item: int, message: str) -> None:
        if len(self.failures) < 30:
            self.failures.append("item %d: %s" % (item, message))

    def close(self, item: int, key: str, lib: Optional[float], ref: float, scale: float = 0.0,
              cond: float = 1.0) -> bool:
        """Records the difference; False (and a failure) when too large."""
        self.values += 1
        if lib is None or not math.isfinite(ref):
            if lib is None and not math.isfinite(ref):
                return True
            self.fail(item, "%s: library %r, reference %r" % (key, lib, ref))
            return False
        d = abs(lib - ref)
        allowed = ZERO if ref == 0.0 and scale == 0.0 else \
            REL * max(abs(ref), scale) + 16 * U32 * abs(ref) * cond
        if ref != 0.0 and d / abs(ref) > self.worst.rel:
            self.worst = Worst(d / abs(ref), key, item)
        if ref != 0.0 and scale <= abs(ref) and cond == 1.0 and d / abs(ref) > self.worst_plain.rel:
            self.worst_plain = Worst(d / abs(ref), key, item)
        if d > allowed:
            self.fail(item, "%s: library %.9g, reference %.9g (allowed %.3g)" % (key, lib, ref, allowed))
            return False
        return True

    def summary(self) -> str:
        return ("%s: %d items, %d values; largest relative difference %.2e (%s, item %d), "
                "%.2e of the values free of cancellation (%s, item %d)" % (
                    self.route, self.items, self.values, self.worst.rel, self.worst.key,
                    self.worst.item, self.worst_plain.rel, self.worst_plain.key,
                    self.worst_plain.item))


def allowed_rel(ref: float, cond: float = 1.0) -> float:
    return REL + 16 * U32 * cond


class Context(NamedTuple):
    ledger: Ledger
    index: int
    result: object        # the library's Result
    ref: dict
    units: Units
    item: dict            # internal units


def lib_value(ctx: Context, key: str) -> Optional[float]:
    return ctx.result.values[key].value


# --- large opening ---------------------------------------------------------

def opening_search_agrees(ctx: Context) -> Tuple[bool, bool]:
    """(t_min agrees, passes agree): the same pass count and t_min within
    1e-4, or a thickness where the reference's governing ratio is within the
    search band (widened by the tolerance) and passes within one of its."""
    o = orf.of_item(ctx.item)
    search = ctx.ref["search"]
    inch = ctx.units.shown("thickness", 1.0)
    values = ctx.result.values
    t_min = values["t_min"].value
    passes = values["passes"].value
    if search.t_min is None or not t_min:
        same = search.t_min is None and not t_min
        return same, same
    t_min_internal = t_min / inch
    if passes == search.passes and abs(t_min_internal - search.t_min) <= REL * search.t_min:
        return True, True
    ratio = orf.ratios(o, orf.stresses(o, orf.fixed(o), t_min_internal))["ratio"]
    in_band = 0.998 <= ratio <= 1.002
    return in_band, in_band and passes is not None and abs(passes - search.passes) <= 1


def _check_value(ctx: Context, key: str) -> Optional[float]:
    for c in ctx.result.checks:
        if c.key == key:
            return c.value
    return None


def opening_value(ctx: Context, key: str) -> None:
    q = OPENING_VALUES[key]
    ref = ctx.ref
    if key in ("t_min", "passes"):
        ok = opening_search_agrees(ctx)[0 if key == "t_min" else 1]
        if not ok:
            ctx.ledger.fail(ctx.index, "%s: library %r, reference search %r"
                            % (key, lib_value(ctx, key), ref["search"]))
        return
    scale = ref["_scale"].get(key, 0.0)
    ctx.ledger.close(ctx.index, key, lib_value(ctx, key), ctx.units.shown(q, ref[key]),
                     abs(ctx.units.shown(q, scale)))


# --- half-pipe jackets -----------------------------------------------------

class Choice(NamedTuple):
    ok: bool
    note: str = ""


def trj_allowed(ctx: Context, Trj: float) -> Choice:
    """The library's Trj is the first step whose P' reaches Pj: at it the
    reference's P' reaches Pj and below it stays under Pj, within the
    tolerance of each step's P'."""
    m: jr.HalfPipeMethod = ctx.ref["_method"]
    j = m.j
    n = round(Trj / jr.STEP)
    if abs(n * jr.STEP - Trj) > 1e-6 * Trj or n > jr.MAX_STEPS:  # shown to float precision
        return Choice(False, "not a step of 1/256 in.")
    first = jr.first_step(j)
    if n < first:
        return Choice(False, "at or below ca + co")

    def reach(k: int) -> Tuple[float, float, float]:
        """P' at step k: the least and the most the library may find."""
        P, K = m.Pprime_at_step(k)
        tol = allowed_rel(1.0, K.cond) * abs(P)
        if K.other is None:
            return P - tol, P + tol
        Q = P * K.K / K.other
        return min(P, Q) - tol, max(P, Q) + tol

    if reach(n)[1] < j.Pj and n < jr.MAX_STEPS:
        return Choice(False, "P' %.6g below Pj %.6g" % (m.Pprime_at_step(n)[0], j.Pj))
    below = range(first, n) if n - first < 600 else \
        list(range(first, first + 600)) + [n - 1]  # P' rises beyond the charts' end
    for k in below:
        if reach(k)[0] >= j.Pj:
            return Choice(False, "P' %.6g reaches Pj already at step %d"
                          % (m.Pprime_at_step(k)[0], k))
    return Choice(True)


def half_pipe_value(ctx: Context, key: str) -> None:
    q = HALF_PIPE_VALUES[key]
    ref, sh, led, i = ctx.ref, ctx.units.shown, ctx.ledger, ctx.index
    lib = lib_value(ctx, key)
    m: jr.HalfPipeMethod = ref["_method"]
    j = m.j
    if key == "Pj":  # the input pressure once the design pressure has a key of its own
        designed = "Pj_design" not in ctx.result.values
        led.close(i, key, lib, sh(q, j.Pj if designed else ctx.item["Pj"]))
        return
    if key == "Pj_design":
        led.close(i, key, lib, sh(q, j.Pj))
        return
    if key not in ref and key not in ("Trj", "Pprime_Trj"):
        led.fail(i, "value %s: not a value of this method" % key)
        return
    if key in ("K", "Kp", "Pprime_ts"):
        cond = ref["_cond"][key]
        if ref["_other_K"] is not None and lib is not None:  # at the 15 % boundary: either
            K = ref["_other_K"]
            other = K if key != "Pprime_ts" else ref["Fp"] / K
            if abs(lib - sh(q, other)) <= allowed_rel(other, 1e6) * abs(sh(q, other)):
                led.values += 1
                return
        led.close(i, key, lib, sh(q, ref[key]), cond=cond)
        return
    if key == "Trj":
        choice = trj_allowed(ctx, lib / sh(q, 1.0))
        led.values += 1
        if not choice.ok:
            led.fail(i, "Trj %.9g: %s (reference %.9g)"
                     % (lib, choice.note, sh(q, jr.trj_search(m) * jr.STEP)))
        return
    if key == "Pprime_Trj":
        t = lib_value(ctx, "Trj") / sh("thickness", 1.0) - j.ca - j.co
        K = m.K(min(t, 2.0))
        if K.other is not None and lib is not None:  # at the 15 % boundary: either
            other = sh(q, m.Pprime(t, K.other))
            if abs(lib - other) <= allowed_rel(other, 1e6) * abs(other):
                led.values += 1
                return
        led.close(i, key, lib, sh(q, m.Pprime(t, K.K)), cond=K.cond)
        return
    if key in ("Tj", "T", "Fillet"):
        accepted_jacket(ctx, key)
        return
    led.close(i, key, lib, sh(q, ref[key]), sh(q, ref["_scale"].get(key, 0.0)))


def accepted_jacket(ctx: Context, key: str) -> None:
    """The jacket the analysis went on with: the input one when it is thick
    enough, else the first schedule that is (either, where it is within the
    tolerance); T and the fillet weld for that jacket."""
    ref, led, i = ctx.ref, ctx.ledger, ctx.index
    m: jr.HalfPipeMethod = ref["_method"]
    j = m.j
    inch = ctx.units.shown("thickness", 1.0)
    Tj = lib_value(ctx, "Tj") / inch
    choices = []
    if j.Tj >= ref["T_input"] * (1 - REL):
        choices.append((j.Tj, ref["T_input"]))
    if j.Tj < ref["T_input"] * (1 + REL):  # the first schedule that suffices; XXS when none
        last = len(jr.PIPE_WALLS) - 1
        for s in range(last + 1):
            Tj_s, T_s = jr.schedule_T(j, m.NPS, s)
            if T_s <= Tj_s * (1 + REL) or s == last:
                choices.append((Tj_s, T_s))
            if T_s <= Tj_s * (1 - REL):
                break
    match = [c for c in choices if abs(c[0] - Tj) <= REL * c[0]]
    if not match:
        led.values += 1
        led.fail(i, "%s: accepted Tj %.9g is none of %s" % (key, Tj, [round(c[0], 6) for c in choices]))
        return
    Tj_ref, T_ref = match[-1]
    if key == "Tj":
        led.close(i, key, Tj * inch, Tj_ref * inch)
    elif key == "T":
        led.close(i, key, lib_value(ctx, key), T_ref * inch)
    else:
        lib = lib_value(ctx, key)
        if abs(j.ts - Tj_ref) <= REL * j.ts:  # either side of ts <= Tj
            alternatives = [j.ts * 1.414, jr.jacket_fillet(j, Tj_ref)]
            best = min(alternatives, key=lambda a: abs(a * inch - lib))
            led.close(i, key, lib, best * inch)
        else:
            led.close(i, key, lib, jr.fillet(j, Tj_ref) * inch)


def coil_value(ctx: Context, key: str) -> None:
    if key not in ctx.ref:
        ctx.ledger.fail(ctx.index, "value %s: not a value of this method" % key)
        return
    ctx.ledger.close(ctx.index, key, lib_value(ctx, key),
                     ctx.units.shown(COIL_VALUES[key], ctx.ref[key]))


# --- checks ----------------------------------------------------------------

class CheckRule(NamedTuple):
    """lhs <= rhs, each a reference value (internal) and its quantity;
    `applies` says whether the check applies to the item."""
    lhs: str
    rhs: str
    quantity: str
    margin: float = 0.0   # added to rhs for passing (internal units)
    applies: Optional[Callable[[dict, dict], bool]] = None
    magnitude: bool = False  # the summary table compares a stress's magnitude


def _integral_nozzle(item: dict, ref: dict) -> bool:
    return all(item.get(k, 0.0) > orf.HUB for k in ("g0n", "g1n", "hn"))


OPENING_CHECKS = {
    "SH_shell": CheckRule("SHS", "S_hub", "stress", magnitude=True),
    "SR_shell": CheckRule("SRS", "Sho", "stress", magnitude=True),
    "ST_shell": CheckRule("STS", "Sho", "stress", magnitude=True),
    "SH_SR_shell": CheckRule("SH_SR_shell", "Sho", "stress", magnitude=True),
    "SH_ST_shell": CheckRule("SH_ST_shell", "Sho", "stress", magnitude=True),
    "SH_opening": CheckRule("SHO", "S_hub", "stress", applies=_integral_nozzle, magnitude=True),
    "SR_opening": CheckRule("SRO", "Sho", "stress", applies=_integral_nozzle, magnitude=True),
    "ST_opening": CheckRule("STO", "Sho", "stress", magnitude=True),
    "SH_SR_opening": CheckRule("SH_SR_opening", "Sho", "stress", applies=_integral_nozzle, magnitude=True),
    "SH_ST_opening": CheckRule("SH_ST_opening", "Sho", "stress", magnitude=True),
    "MAWP": CheckRule("P", "MAWP", "pressure"),
}

HALF_PIPE_CHECKS = {
    "Tr": CheckRule("Tr", "ts", "thickness"),
    "Trj": CheckRule("Trj", "ts", "thickness", margin=0.0001),
    "Pprime_ts": CheckRule("Pj", "Pprime_ts", "pressure"),
    "T": CheckRule("T_input", "Tj_input", "thickness"),
}

COIL_CHECKS = {
    "e_coil": CheckRule("e_coil", "ec", "thickness"),
    "e_cylinder": CheckRule("e_cylinder", "e", "thickness"),
    "pMaxC1": CheckRule("pc", "pMaxC1", "pressure"),
    "pMaxC2": CheckRule("pc", "pMaxC2", "pressure"),
    "cylinder_pressure": CheckRule("e_pressure", "e_net", "thickness",
                                   applies=lambda item, ref: item.get("P", 0.0) > 0.0),
}


def compare_checks(ctx: Context, rules: Dict[str, CheckRule], agreed: Dict[str, float]) -> None:
    """Each check's value and limit are the reference's (the library's own
    for discrete values, once their rule passed), its outcome the
    reference's unless the two sides lie within the tolerance."""
    led, i = ctx.ledger, ctx.index
    for c in ctx.result.checks:
        rule = rules.get(c.key)
        if rule is None:
            led.fail(i, "check %s has no rule in compare.py" % c.key)
            continue
        applies = rule.applies is None or rule.applies(ctx.item, agreed)
        if hasattr(c, "applicable") and c.applicable != applies:
            led.fail(i, "check %s: applicable %r, reference %r" % (c.key, c.applicable, applies))
            continue
        if not applies:
            continue
        lhs, rhs = agreed[rule.lhs], agreed[rule.rhs]
        if rule.magnitude:
            lhs = abs(lhs)
        value, limit = (lhs, rhs) if c.relation == "<=" else (rhs, lhs)
        sh = ctx.units.shown
        named = rule.lhs if c.relation == "<=" else rule.rhs
        scale = ctx.ref.get("_scale", {}).get(named, 0.0)
        cond = ctx.ref.get("_cond", {}).get(named, 1.0)
        led.close(i, "check %s value" % c.key, c.value, sh(rule.quantity, value),
                  abs(sh(rule.quantity, scale)), cond)
        limits = [sh(rule.quantity, limit)]
        if rule.margin:
            limits.append(sh(rule.quantity, rhs + rule.margin))
        if c.limit is None or min(abs(c.limit - x) for x in limits) > REL * abs(limits[0]) + ZERO:
            led.fail(i, "check %s limit %r, reference %r" % (c.key, c.limit, limits))
        if lhs > 0 and rhs > 0:  # magnitudes and signed values agree
            edge = abs(lhs - rhs - rule.margin) <= 2 * REL * max(abs(lhs), abs(rhs))
            if not edge and c.passes != (lhs <= rhs + rule.margin):
                led.fail(i, "check %s passes %r, reference %.9g <= %.9g" % (c.key, c.passes, lhs, rhs))


# --- one item --------------------------------------------------------------

def reference_of(item: dict):
    """The reference for an item in internal units."""
    if item["kind"] == "opening":
        return orf.analyse(orf.of_item(item))
    x = jr.of_item(item)
    if isinstance(x, jr.Coil):
        out = jr.analyse_coil(x)
        out["e_net"] = x.e - x.ca - x.co
        return out
    return jr.analyse_half_pipe(x, near=64 * U32)


def compare_item(ledger: Ledger, index: int, item: dict, result, units: Units = US,
                 internal: Optional[dict] = None) -> None:
    """Every value and check of one result against the reference."""
    internal = internal if internal is not None else item
    ref = reference_of(internal)
    ctx = Context(ledger, index, result, ref, units, internal)
    ledger.items += 1
    if result.errors:
        ledger.fail(index, "refused: %d fatal input errors" % result.errors)
        return
    if internal["kind"] == "opening":
        rule, known, checks = opening_value, OPENING_VALUES, OPENING_CHECKS
    elif internal["code"] in ("PD5500", "EN13445"):
        rule, known, checks = coil_value, COIL_VALUES, COIL_CHECKS
    else:
        rule, known, checks = half_pipe_value, HALF_PIPE_VALUES, HALF_PIPE_CHECKS
    for key in result.values:
        if key not in known:
            ledger.fail(index, "value %s has no rule in compare.py" % key)
            continue
        rule(ctx, key)
    agreed = dict(ref)
    inch = units.shown("thickness", 1.0)
    if internal["kind"] == "opening":
        passes = result.values["passes"].value
        agreed.update(passes=passes, passes_limit=orf.PASSES - 1,
                      t_min=result.values["t_min"].value / inch)
    elif "Trj" in result.values:
        agreed.update(Trj=result.values["Trj"].value / inch,
                      Pprime_Trj=result.values["Pprime_Trj"].value / units.shown("pressure", 1.0))
    compare_checks(ctx, checks, agreed)
