"""Valid designs over each method's range, in US units, seeded: heads,
jackets and coils that pass and that fail, with and without nozzle hubs,
tapers, formed radii and allowances. Heads of A 20-150 in., Bn/A 0.5-0.8;
jackets on shells of D 30-170 in., a net shell of 0.2-1.9 in. (inside the
Appendix EE charts), P up to 0.38 S E, Pj up to 0.38 Sj; coils on cylinders
of D 20-150 in."""

import math
import random
from typing import Dict, List

import jacket_reference as jr

HALF_SIZES = (2.0, 2.5, 3.0, 3.5, 4.0)
WHOLE_SIZES = (2.0, 3.0, 4.0)


def _maybe(rng: random.Random, p: float, value: float) -> float:
    return value if rng.random() < p else 0.0


def hub_length(rng: random.Random, tapered: bool, h0: float, short: bool = False) -> float:
    """h/h0 of 0.3 to 1.5 (shorter tapered hubs are a limit of the library:
    docs/limits.md), 0.015 to 0.1 when `short`; sometimes none untapered."""
    if not tapered and not short and rng.random() < 0.3:
        return 0.0
    return h0 * (rng.uniform(0.015, 0.1) if short else rng.uniform(0.3, 1.5))


def opening(rng: random.Random, code: str, short_hubs: bool = False) -> Dict:
    """A head; `short_hubs`: tapered shell hubs of h/h0 0.015 to 0.1 only."""
    while True:
        A = rng.uniform(20, 150)
        Bn = A * rng.uniform(0.5, 0.8)
        ca = _maybe(rng, 0.7, rng.uniform(0.0, 0.25))
        g0s = max(A * rng.uniform(0.006, 0.035), ca + 0.1)
        g1s = g0s if rng.random() < 0.2 and not short_hubs else g0s * rng.uniform(1.05, 2.5)
        hs = hub_length(rng, g1s > g0s, math.sqrt((A - g0s + ca) * (g0s - ca)), short_hubs)
        item = dict(kind="opening", code=code, units="US", P=rng.uniform(15, 600),
                    T=rng.uniform(70, 600), t=A * rng.uniform(0.02, 0.15), Bn=Bn, A=A, g0s=g0s,
                    g1s=g1s, hs=hs, ca=ca, Sho=rng.uniform(12000, 30000), Shg=20000.0,
                    density=0.283)
        if rng.random() < 0.5:
            g0n = max(Bn * rng.uniform(0.01, 0.05), ca + 0.1)
            g1n = g0n if rng.random() < 0.2 else g0n * rng.uniform(1.05, 2.5)
            h0n = math.sqrt((Bn + 2 * ca) * (g0n - ca))
            item.update(g0n=g0n, g1n=g1n, hn=hub_length(rng, g1n > g0n, h0n) or 0.5 * h0n)
        G = A - 2 * g0s + 2 * ca
        R = 0.5 * (G - Bn - 2 * ca) - (item.get("g1n", ca) - ca)
        if R > 0.25:
            return item


def half_pipe(rng: random.Random, code: str) -> Dict:
    """A jacket whose Trj search ends within the charts' thickness: Pj from
    a fraction of P' at the input shell."""
    while True:
        D = rng.uniform(30, 170)
        ca = _maybe(rng, 0.7, rng.uniform(0.0, 0.25))
        co = _maybe(rng, 0.3, rng.uniform(0.0, 0.0625))
        ts = rng.uniform(0.2, 1.9) + ca + co
        S = rng.uniform(13000, 30000)
        E = rng.choice((1.0, 0.85, 0.7, rng.uniform(0.6, 1.0)))
        net = ts - ca - co
        R = D / 2 + ca
        P_full = S * E * net / (R + 0.6 * net)  # where Tr reaches ts
        P = min(rng.uniform(0.0, 1.3) * P_full, 0.38 * S * E) if rng.random() < 0.95 else 0.0
        formed = code == "VIII-1" and rng.random() < 0.2
        NPS = rng.choice(WHOLE_SIZES if code == "VIII-2" else HALF_SIZES)
        r = rng.uniform(0.9, 2.1) if formed else 0.0
        caj = _maybe(rng, 0.6, rng.uniform(0.0, 0.125))
        Tj = rng.uniform(0.08, 0.5) + caj
        Sj = rng.uniform(13000, 25000)
        item = dict(kind="jacket", code=code, units="US", D=D, ts=ts, P=P, T=300.0, S=S, Sa=S,
                    ca=ca, co=co, E=E, Tj=Tj, Tjacket=300.0, Sj=Sj, Sja=Sj, caj=caj,
                    ExtPCore=_maybe(rng, 0.2, rng.uniform(0.0, 15.0)))
        item.update(dict(r=r) if formed else dict(NPS=NPS))
        at_ts = jr.analyse_half_pipe(jr.of_item(dict(item, Pj=1.0)))["Pprime_ts"]
        item["Pj"] = Pj = rng.uniform(0.1, 1.3) * at_ts - item["ExtPCore"]
        m = jr.HalfPipeMethod(jr.of_item(item), 0.0)  # the Trj search ends below a net 1.9 in.
        if 5.0 < Pj and Pj + item["ExtPCore"] < 0.38 * Sj and m.Pprime(1.9, m.K(1.9).K) >= m.j.Pj * 1.01:
            return item


def coil(rng: random.Random, code: str) -> Dict:
    ca = _maybe(rng, 0.7, rng.uniform(0.0, 0.125))
    co = _maybe(rng, 0.3, rng.uniform(0.0, 0.0625))
    D = rng.uniform(20, 150)
    e = rng.uniform(0.25, 1.5) + ca + co
    f = rng.uniform(13000, 25000)
    E = rng.choice((1.0, 0.85, 0.7))
    net = e - ca - co
    P = _maybe(rng, 0.9, rng.uniform(0.0, 1.3) * 2 * f * E * net / (D + 2 * ca + net))
    caj = _maybe(rng, 0.6, rng.uniform(0.0, 0.0625))
    item = dict(kind="jacket", code=code, units="US", D=D, ts=e, P=P, T=300.0, S=f, ca=ca, co=co,
                E=E, Tj=rng.uniform(0.08, 0.4) + caj, Pj=rng.uniform(10, 1500), Tjacket=300.0,
                Sj=rng.uniform(10000, 20000), caj=caj, L=rng.uniform(4, 12))
    item.update(dict(r=rng.uniform(0.9, 2.1)) if rng.random() < 0.2 else dict(NPS=rng.choice(HALF_SIZES)))
    return item


MAKERS = {"opening": opening, "half_pipe": half_pipe, "coil": coil}


def items(kind: str, code: str, count: int, seed: int, **options) -> List[Dict]:
    rng = random.Random("%s %s %d" % (kind, code, seed))
    return [MAKERS[kind](rng, code, **options) for _ in range(count)]


ROUTES = (("opening", "VIII-1"), ("opening", "VIII-2"), ("half_pipe", "VIII-1"),
          ("half_pipe", "VIII-2"), ("coil", "PD5500"), ("coil", "EN13445"))
