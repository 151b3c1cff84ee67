"""An integral flat head with a large central opening, ASME VIII-1
Appendix 14 / VIII-2 4.6.4, in double precision, inches, lbf, in-lbf and
psi. `shell` chooses the reading of the shell-side diameters: "report" (the
one the library follows) or "bore" (see docs/validation.md)."""

import math
from collections import namedtuple
from typing import Dict

from flange_factors import integral_factors, k_factors

HUB = 0.001          # a hub dimension at or below this is no hub
PASSES = 50          # the thickness search gives up on this pass
BAND = (0.999, 1.001)


# A hub: h0, the ratios (h/h0 held to 0.015, g1/g0 to 1 where the factors
# apply), F, V, f, d and e.
Hub = namedtuple("Hub", "h0 h_h0 g1_g0 F V f d e")


def hub(g0: float, g1: float, h: float, base: float, ca: float, U: float) -> Hub:
    """Effective hub length h0 = sqrt(base (g0 - ca)), the ratios and the
    factors F, V, f, d, e of an integral hub (Appendix 2, 2-7)."""
    gc = g0 - ca
    if gc <= 0.0:
        return Hub(0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0)  # no hub: no factors
    h0 = math.sqrt(base * gc)
    h_h0 = 0.0 if h == 0.0 or h0 == 0.0 else h / h0
    g1_g0 = (g1 - ca) / gc
    F, V, f = integral_factors(g1_g0, h_h0)
    return Hub(h0, max(h_h0, 0.015), max(g1_g0, 1.0), F, V, f, U * h0 * gc * gc / V, F / h0)


Opening = namedtuple("Opening", "P A Bn t g0s g1s hs ca Sho g0n g1n hn density")


def of_item(item: dict) -> Opening:
    return Opening(**{k: float(item.get(k, 0.0)) for k in Opening._fields})


def loads(o: Opening) -> Dict[str, float]:
    """G, K, R, the end forces and their moments (in-lbf); they do not
    depend on the head thickness."""
    ca = o.ca
    Bncor = o.Bn + 2 * ca
    G = o.A - 2 * o.g0s + 2 * ca
    nozzle = o.g0n > HUB or o.g1n > HUB
    R = 0.5 * (G - Bncor) - (o.g1n - ca if nozzle else 0.0)
    Hd = 0.785 * Bncor * Bncor * o.P
    H = 0.785 * G * G * o.P
    Ht = H - Hd
    Md = Hd * (R + 0.5 * (o.g1n - ca)) if nozzle else Hd * R
    Mt = 0.5 * Ht * (R + (o.g1n - ca)) if nozzle else 0.5 * Ht * R
    return dict(G=G, K=o.A / Bncor, R=R, Hd=Hd, Md=Md, H=H, Ht=Ht, Mt=Mt, Mo=Md + Mt,
                Bncor=Bncor)


# What the thickness search does not change: the loads, the K factors, the
# nozzle and shell hubs, the shell's diameter in MH, and in SHS with its factor.
Fixed = namedtuple("Fixed", "L k n s B1s B_SHS k_SHS")


def fixed(o: Opening, shell: str = "report") -> Fixed:
    L = loads(o)
    k = k_factors(L["K"])
    ca = o.ca
    n = hub(o.g0n, o.g1n, o.hn, o.Bn + 2 * ca, ca, k.U)
    if shell == "report":
        # h0 from the mean diameter of the corroded shell, B1 = A - g0s - ca;
        # SHS over Bs = G, times 1.10
        s = hub(o.g0s, o.g1s, o.hs, o.A - o.g0s + ca, ca, k.U)
        return Fixed(L, k, n, s, o.A - o.g0s - ca, L["G"], 1.1)
    # the corroded bore Bs = G: h0 = sqrt(Bs g0), B1 = Bs + g0, in MH and in
    # SHS, over 0.91
    s = hub(o.g0s, o.g1s, o.hs, L["G"], ca, k.U)
    B1s = L["G"] + (o.g0s - ca)
    return Fixed(L, k, n, s, B1s, B1s, 1 / 0.91)


def stresses(o: Opening, fx: Fixed, t: float) -> Dict[str, float]:
    """One pass at head thickness t: the stress factors, the opening
    flange stresses, (E theta)*, MH, X1 and the six stresses, with the
    scale of each difference (the sum of its terms' magnitudes)."""
    L, k, n, s = fx.L, fx.k, fx.n, fx.s
    ca, Mo, G, Bncor = o.ca, L["Mo"], L["G"], L["Bncor"]
    tc = t - ca
    hubbed = n.g1_g0 > 0.0   # the nozzle's stress factors; none without a hub
    ALPHA = tc * n.e + 1 if hubbed else 0.0
    BETA = 4 * tc * n.e / 3 + 1 if hubbed else 0.0
    DELTA = tc ** 3 / n.d if hubbed else 0.0
    GAMMA = ALPHA / k.T
    Lamda = GAMMA + DELTA

    g1nc, g0nc = o.g1n - ca, o.g0n - ca
    integral = o.g1n > HUB and o.g0n > HUB and o.hn > HUB
    SH = SR = 0.0
    if integral and g1nc > HUB and Lamda > HUB:
        SH = abs(Mo) * n.f / Bncor / (Lamda * g1nc * g1nc)
    if integral and Lamda > 0.0:
        SR = abs(Mo) * BETA / Bncor / (Lamda * tc * tc)
    q = k.Y / (tc * tc * Bncor) if tc * tc * Bncor != 0 else 0.0
    ST = abs(Mo) * q - (k.Z * SR if integral else 0.0)
    scale = {"ST": abs(Mo) * q + k.Z * SR}
    if o.g1n > HUB and o.g0n > HUB:
        B1 = Bncor + g0nc if n.f >= 1 else Bncor
        r = g1nc / g0nc
        E = 0.91 * r * r * B1 * n.V * SH / (n.f * n.h0)
    else:
        E = Bncor / tc * ST
    scale["E_theta"] = abs(E) if o.g1n > HUB and o.g0n > HUB else Bncor / tc * scale["ST"]

    g0sc, g1sc = o.g0s - ca, o.g1s - ca
    rot = s.F * tc / s.h0 + 1
    MH = E / (1.74 * s.h0 * s.V / (g0sc ** 3 * fx.B1s) + E / Mo * rot)
    X1 = (Mo - MH * rot) / Mo
    rs = g1sc / g0sc
    SHS = X1 * E * fx.k_SHS * s.h0 * s.f / (rs * rs * fx.B_SHS * s.V)
    SRS = 1.91 * MH * rot / (G * tc * tc) + 0.64 * s.F * MH / (G * s.h0 * tc)
    sts = (X1 * E * tc / G, 0.57 * rot * MH / (G * tc * tc), 0.64 * s.F * k.Z * MH / (G * s.h0 * tc))
    STS = sts[0] - sts[1] + sts[2]
    K = L["K"]
    Z1 = 2 * K * K / (K * K - 1)
    sto = (X1 * ST, 0.64 * s.F * Z1 * MH / (G * s.h0 * tc))
    STO = sto[0] + sto[1]
    # X1 = 1 - MH rot / Mo: its error is that of its terms, about 1
    scale.update(X1=max(1.0, abs(MH * rot / Mo)), STS=sum(abs(x) for x in sts),
                 STO=sum(abs(x) for x in sto))
    scale["SHS"] = abs(SHS) / max(abs(X1), 1e-300) * scale["X1"]
    scale["SHO"] = abs(SH) * scale["X1"]
    scale["SRO"] = abs(SR) * scale["X1"]
    scale["STO"] += abs(ST) * (scale["X1"] - abs(X1))
    return dict(ALPHA=ALPHA, BETA=BETA, GAMMA=GAMMA, DELTA=DELTA, Lamda=Lamda, SH=SH, SR=SR,
                ST=ST, E_theta=E, MH=MH, X1=X1, SHS=SHS, SRS=SRS, STS=STS, SHO=X1 * SH,
                SRO=X1 * SR, STO=STO, Z1=Z1, _scale=scale)


AVERAGED = dict(SH_SR_shell=("SHS", "SRS"), SH_ST_shell=("SHS", "STS"),
                SH_SR_opening=("SHO", "SRO"), SH_ST_opening=("SHO", "STO"))


def ratios(o: Opening, v: Dict[str, float]) -> Dict[str, float]:
    """The governing allowable-to-stress ratio and the largest stress: a
    stress not above 0 counts as 1.0, the averages as they are."""
    S = {k: v[k] for k in ("SHS", "SRS", "STS", "SHO", "SRO", "STO")}
    averages = {name: (S[a] + S[b]) * 0.5 for name, (a, b) in AVERAGED.items()}
    R = {k: (x if x > 0.0 else 1.0) for k, x in S.items()}
    scale = v["_scale"]  # type: ignore[index]
    for name, (a, b) in AVERAGED.items():
        scale[name] = 0.5 * (scale.get(a, abs(S[a])) + scale.get(b, abs(S[b])))
    stress = dict(R, **averages)
    allowed = lambda k: 1.5 * o.Sho if k in ("SHS", "SHO") else o.Sho  # noqa: E731
    each = {k: abs(allowed(k) / x) if x != 0.0 else math.inf for k, x in stress.items()}
    governing = min(each, key=each.get)
    replaced = [abs(x) for x in R.values()] + \
        [abs((R[a] + R[b]) * 0.5) for a, b in AVERAGED.values()]
    # the M.A.W.P. and the largest stress carry their stress's cancellation
    relative = lambda k: scale.get(k, 0.0) / abs(stress[k]) if stress[k] else 0.0  # noqa: E731
    largest = max(replaced)
    scale["MAWP"] = o.P * each[governing] * relative(governing)
    scale["largest_stress"] = largest * max(relative(k) for k in S)
    return dict(averages, ratio=each[governing], largest=largest)


def weight(o: Opening, t: float) -> float:
    """Finished forging: the head ring A x Bn of height t and a hub ring of
    outside diameter Bn + g1s + g0s and height hs."""
    a = math.pi * 0.25 * (o.A * o.A - o.Bn * o.Bn)
    Dh = o.Bn + (o.g1s + o.g0s)
    ah = math.pi * 0.25 * (Dh * Dh - o.Bn * o.Bn)
    return (t * a + o.hs * ah) * o.density


Search = namedtuple("Search", "t_min passes")   # t_min None: none within the passes


def thickness_search(o: Opening, fx: Fixed) -> Search:
    """t <- t / sqrt(ratio) until the ratio is within 0.1 % of 1."""
    t = o.t
    for passes in range(1, PASSES):
        ratio = ratios(o, stresses(o, fx, t))["ratio"]
        t = t / math.sqrt(ratio)
        if BAND[0] <= ratio <= BAND[1]:
            return Search(t, passes)
    return Search(None, PASSES)


def analyse(o: Opening, shell: str = "report", search: bool = True) -> Dict[str, object]:
    """Every value of the first pass (the input thickness), in internal
    units, with "_scale" for the values built from differences and "search"
    for the thickness search."""
    fx = fixed(o, shell)
    v = stresses(o, fx, o.t)
    r = ratios(o, v)
    out: Dict[str, object] = {**fx.L, **v, **r, **fx.k._asdict()}
    for side, h in (("n", fx.n), ("s", fx.s)):
        out.update(zip((name + side for name in ("h0", "Hrat", "Grat", "F", "V", "f", "d", "e")), h))
    out.update(P=o.P, t=o.t, Sho=o.Sho, S_hub=1.5 * o.Sho, MAWP=o.P * r["ratio"],
               largest_stress=r["largest"], W=weight(o, o.t))
    if search:
        out["search"] = thickness_search(o, fx)
    return out
