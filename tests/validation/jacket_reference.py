"""Half-pipe jackets (ASME VIII-1 Appendix EE, VIII-2 4.11.6) and limpet
coils (PD 5500 3.11.4, EN 13445-3 8.5.3) on a cylindrical shell, in double
precision, inches and psi. A value that rests on the VIII-2 Kp polynomial
carries its condition (the sum of its terms' magnitudes over its value):
single precision cannot give it more closely."""

import bisect
import itertools
import math
from collections import namedtuple
from typing import Callable, Dict, List, Tuple

from jacket_tables import (CHARTS, DIAMETERS, KP_ROWS, PIPE_COLUMN, PIPE_OD, PIPE_WALLS,
                           THICKNESSES)

STEP = 1.0 / 256          # Trj rises in steps of 1/256 in.
MAX_STEPS = 16384         # ... up to 64 in.
FORMED = 0.01             # a radius above this is a formed jacket (charts, fillet, coil ri)
FORMED_RP = 0.001         # ... and above this sets the jacket radius Rp
MILL = 0.875              # mill tolerance of a pipe wall
KP_DEPARTURE = 0.15       # VIII-2: the chart stands in beyond this departure


def locate(x: float, xs) -> Tuple[int, float]:
    """The interval i of xs that holds x (held to the ends), x's share of it."""
    if x <= xs[0]:
        return 0, 0.0
    if x >= xs[-1]:
        return len(xs) - 2, 1.0
    i = bisect.bisect_left(xs, x) - 1
    return i, (x - xs[i]) / (xs[i + 1] - xs[i])


def interpolate(x: float, xs, ys) -> float:
    """Piecewise linear through (xs, ys), x held to the ends."""
    i, w = locate(x, xs)
    return ys[i] + (ys[i + 1] - ys[i]) * w


def chart_column(chart: int, D: float) -> List[float]:
    """K of Fig. EE-chart at each grid thickness, at D (held to the chart)."""
    return [interpolate(D, DIAMETERS, curve) for curve in CHARTS[chart]]


def kp_row(size: int, k: int, D: float) -> Tuple[float, float]:
    """Kp of grid thickness k at D, and the sum of its terms' magnitudes."""
    C = KP_ROWS.get(size, KP_ROWS[4])[k]
    powers = (0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5)
    terms = [c * D ** p for c, p in zip(C, powers)]
    return sum(terms), sum(abs(x) for x in terms)


# K, its relative condition and, near the 15 % boundary, its other reading.
Factor = namedtuple("Factor", "K cond other", defaults=(1.0, None))


class KpRows:
    """VIII-2 Kp of a jacket size at the corroded diameter Dc: the rows
    interpolated in t, or the same size's chart where they are not above 0 or
    depart from it by over 15 %; `near`, a single-precision polynomial's
    relative uncertainty per unit of condition, for the choice there."""

    def __init__(self, size: int, Dc: float, near: float):
        self.Kpoly, self.scale = zip(*(kp_row(size, k, Dc) for k in range(7)))
        self.Kc = chart_column(size - 1 if 2 <= size <= 4 else 3, Dc)
        self.near = near

    def __call__(self, t: float) -> Factor:
        Kpoly, scale, Kc = (interpolate(t, THICKNESSES, ys) for ys in (self.Kpoly, self.scale, self.Kc))
        cond = scale / abs(Kpoly) if Kpoly != 0 else math.inf
        chart = not Kpoly > 0 or abs(Kpoly - Kc) > KP_DEPARTURE * Kc
        margin = abs(abs(Kpoly - Kc) - KP_DEPARTURE * Kc)  # from the boundary
        doubtful = margin <= self.near * scale or abs(Kpoly) <= self.near * scale
        if chart:
            return Factor(Kc, 1.0, Kpoly if doubtful else None)
        return Factor(Kpoly, cond, Kc if doubtful else None)


# A jacket of code "VIII-1" (Appendix EE) or "VIII-2"; Pj as designed: the
# jacket pressure plus the core's external pressure.
HalfPipe = namedtuple("HalfPipe", "code D ts P S E ca co NPS r Tj Pj Sj caj")


def jacket_size(NPS: float, r: float, Tj: float) -> float:
    """The nominal size: as given, or the pipe that holds a formed jacket's
    outside diameter 2 (r + Tj)."""
    if r <= FORMED:
        return NPS
    return next((size for size, od in PIPE_OD.items() if 2 * (r + Tj) <= od), 4.0)


def ee_charts(j: HalfPipe, NPS: float) -> Tuple[int, ...]:
    """The chart, or the two charts whose mean is K."""
    if j.r > FORMED:
        Dj = 2 * (j.r + j.Tj)
        return (1,) if Dj <= 2.375 else (1, 2) if Dj <= 3.5 else (2, 3) if Dj <= 4.5 else (3,)
    mean = {2.5: (1, 2), 3.5: (2, 3)}.get(NPS)
    return mean or ((1,) if NPS < 2 else (3,) if NPS > 4 else (int(NPS) - 1,))


class HalfPipeMethod:
    """K (or Kp) of an item at any net shell thickness."""

    def __init__(self, j: HalfPipe, near: float):
        self.j = j
        self.NPS = jacket_size(j.NPS, j.r, j.Tj)
        self.R = j.D * 0.5 + j.ca
        self.Dc = self.R + self.R
        if j.code == "VIII-2":
            self.K: Callable[[float], Factor] = KpRows(int(self.NPS), self.Dc, near)
        else:
            columns = [chart_column(c, j.D) for c in ee_charts(j, self.NPS)]
            column = [sum(ks) / len(ks) for ks in zip(*columns)]  # the mean of two charts
            self.K = lambda t: Factor(interpolate(t, THICKNESSES, column))

    def Pprime(self, t: float, K: float) -> float:
        """Appendix EE-1 (1), VIII-2 4.11.3: (1.5 S - S*) / K, S* = P R / (2 t)."""
        return (1.5 * self.j.S - self.j.P * self.R / (2 * t)) / K

    def Pprime_at_step(self, n: int) -> Tuple[float, Factor]:
        """P' at Trj = n steps; beyond the charts' end K keeps its value there."""
        t = n * STEP - self.j.ca - self.j.co
        K = self.K(min(t, THICKNESSES[-1]))
        return self.Pprime(t, K.K), K


def first_step(j: HalfPipe) -> int:
    """The first multiple of 1/256 above ca + co."""
    return next(n for n in itertools.count(1) if n * STEP - j.ca - j.co > 0)


def trj_search(m: HalfPipeMethod) -> int:
    """The first step whose P' reaches Pj; the last step (64 in.) when none
    does."""
    j = m.j
    for n in range(first_step(j), MAX_STEPS + 1):
        t = n * STEP - j.ca - j.co
        if t > 2.0:  # the factor is held beyond the charts: solve for t
            K = m.K(2.0).K
            reach = 1.5 * j.S - j.Pj * K
            if reach <= 0:
                return MAX_STEPS
            t_need = j.P * m.R / (2 * reach)
            return max(n, math.ceil((t_need + j.ca + j.co) / STEP - 1e-9))
        if m.Pprime_at_step(n)[0] >= j.Pj:
            return n
    return MAX_STEPS


def required_jacket(j: HalfPipe, Rp: float) -> float:
    """App. EE-1 (2), VIII-2 4.11.2: T = Pj Rp / (0.85 Sj - 0.6 Pj) + caj."""
    return j.Pj * Rp / (0.85 * j.Sj - 0.6 * j.Pj) + j.caj


def schedule_T(j: HalfPipe, NPS: float, s: int) -> Tuple[float, float]:
    """Schedule s (from 0): its thickness less the mill tolerance, and the
    jacket thickness it requires (radius from the pipe's outside diameter)."""
    Tj = PIPE_WALLS[s][1][PIPE_COLUMN.get(NPS, 4)] * MILL
    return Tj, required_jacket(j, PIPE_OD.get(NPS, 4.5) * 0.5 - Tj + j.caj)


def fillet(j: HalfPipe, Tj: float) -> float:
    """The weld: from the shell when it is the thinner, else from the
    jacket (a pipe wall's nominal thickness, Tj / 0.875)."""
    return j.ts * 1.414 if j.ts <= Tj else jacket_fillet(j, Tj)


def jacket_fillet(j: HalfPipe, Tj: float) -> float:
    return Tj * 1.414 if j.r > FORMED else Tj / MILL * 1.414


def analyse_half_pipe(j: HalfPipe, near: float = 0.0) -> Dict[str, object]:
    """Every value for the input jacket but Trj (trj_search); "_cond" holds
    the condition of those that rest on Kp, "_other" their other reading at
    the 15 % boundary, "_method" the method for Trj and P' at Trj."""
    m = HalfPipeMethod(j, near)
    scale = {}
    if j.code == "VIII-2":
        Tr = 0.5 * m.Dc * (math.exp(j.P / (j.S * j.E)) - 1) + j.ca + j.co  # 4.3.3.1
        scale["Tr"] = 0.5 * m.Dc * math.exp(j.P / (j.S * j.E)) + j.ca + j.co
    else:
        Tr = j.P * m.R / (j.S * j.E - 0.6 * j.P) + j.ca + j.co           # UG-27 (c)(1)
    ts_net = j.ts - j.ca - j.co
    K = m.K(ts_net)
    Sstar = j.P * m.R / (2 * ts_net)
    out: Dict[str, object] = dict(Pj_design=j.Pj, ts=j.ts, Tr=Tr, ts_net=ts_net, Sstar=Sstar)
    if j.code == "VIII-2":
        Fp = min(1.5 * j.S - Sstar, 1.5 * j.S)
        out.update(Kp=K.K, Fp=Fp, Pprime_ts=Fp / K.K)
    else:
        out.update(K=K.K, Pprime_ts=(1.5 * j.S - Sstar) / K.K)
    Rp = j.r + j.caj if j.r > FORMED_RP else PIPE_OD.get(m.NPS, 4.5) * 0.5 - j.Tj + j.caj
    T_input = required_jacket(j, Rp)
    out.update(Tj_input=j.Tj, T_input=T_input)
    # too thin: the first schedule thick enough for the jacket it makes, XXS when none is
    walls = [schedule_T(j, m.NPS, s) for s in range(len(PIPE_WALLS))]
    Tj, T = next((w for w in walls if w[1] <= w[0]), walls[-1]) if j.Tj < T_input else (j.Tj, T_input)
    out.update(Tj=Tj, T=T, Fillet=fillet(j, Tj))
    other = {} if K.other is None else dict(K=K.other, Kp=K.other, Pprime_ts=out["Fp"] / K.other)
    return dict(out, _scale=scale, _cond=dict(K=K.cond, Kp=K.cond, Pprime_ts=K.cond),
                _other=other, _method=m)


# A coil of code "PD5500" or "EN13445": the cylinder's thickness e, internal
# pressure P, design stress f and joint efficiency E (EN 13445: z); the coil's
# thickness ec, pressure pc and design stress fc.
Coil = namedtuple("Coil", "code D e P f E ca co NPS r ec pc fc caj")


def analyse_coil(c: Coil) -> Dict[str, float]:
    """PD 5500 3.11.4 / EN 13445-3 8.5.3 for the coil, and the cylinder
    under its own internal pressure (PD 5500 3.5.1.2, EN 13445-3 7.4.2)."""
    NPS = jacket_size(c.NPS, c.r, c.ec)
    en = c.code == "EN13445"
    ri = c.r if c.r > FORMED else PIPE_OD.get(NPS, 4.5) * 0.5 - c.ec + c.caj
    rc = ri + c.ec * 0.5 if en else ri + c.ec
    span = rc + rc
    if en:
        e_coil = c.pc * 2 * rc / (2 * c.fc - c.pc) + c.caj
        ecor = c.ec - c.caj
        pMaxC1 = 2 * c.fc * ecor / (2 * (ri + c.caj) + ecor)
    else:
        e_coil = c.pc * rc / (0.75 * c.fc) + c.caj
        pMaxC1 = (c.ec - c.caj) * 0.75 * c.fc / rc
    pMaxC2 = 3 * c.f * ((c.e - c.co - c.ca) / span) ** 2
    z = c.E if en and 0 < c.E <= 1 else 1.0
    Di = c.D + 2 * c.ca
    return dict(pc=c.pc, ec=c.ec, e=c.e, e_coil=e_coil,
                e_cylinder=span * math.sqrt(c.pc / (3 * c.f)) + c.co + c.ca,
                pMaxC1=pMaxC1, pMaxC2=pMaxC2, pMax=min(pMaxC1, pMaxC2),
                e_pressure=c.P * Di / (2 * c.f * z - c.P), e_net=c.e - c.ca - c.co, ri=ri, rc=rc)


def en_coil_bore_reading(c: Coil) -> float:
    """pMaxC1 of EN 13445 with Di the coil's corroded bore 2 ri, for a pipe
    whose ri already holds caj (a formed coil's radius does not)."""
    NPS = jacket_size(c.NPS, c.r, c.ec)
    ri = c.r + c.caj if c.r > FORMED else PIPE_OD.get(NPS, 4.5) * 0.5 - c.ec + c.caj
    ecor = c.ec - c.caj
    return 2 * c.fc * ecor / (2 * ri + ecor)


def of_item(item: dict):
    """The jacket or coil of an item mapping in US units."""
    g = lambda k, d=0.0: float(item.get(k, d))  # noqa: E731
    if item["code"] in ("PD5500", "EN13445"):
        return Coil(item["code"], g("D"), g("ts"), g("P"), g("S"), g("E", 1.0), g("ca"), g("co"),
                    g("NPS"), g("r"), g("Tj"), g("Pj"), g("Sj"), g("caj"))
    return HalfPipe(item["code"], g("D"), g("ts"), g("P"), g("S"), g("E"), g("ca"), g("co"),
                    g("NPS"), g("r"), g("Tj"), g("Pj") + g("ExtPCore"), g("Sj"), g("caj"))

