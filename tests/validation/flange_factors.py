"""Integral-flange factors in double precision, from the closed forms of
ASME VIII-1 Appendix 2: T, U, Y, Z of Fig. 2-7.1 and F, V, f of Table 2-7.1
(written with exact fractions, so that they owe nothing to a float table)."""

import math
from collections import namedtuple

NO_TAPER_F = 0.90892   # F and V of a hub without taper, g1/g0 = 1 (Figs. 2-7.2, 2-7.3)
NO_TAPER_V = 0.550103

KFactors = namedtuple("KFactors", "T U Y Z")
FlangeFactors = namedtuple("FlangeFactors", "F V f")   # f at least 1


def k_factors(K: float) -> KFactors:
    """Fig. 2-7.1: the factors of the ratio K of outside to inside diameter."""
    K2 = K * K
    L = math.log10(K)
    N = K2 * (1.0 + 8.55246 * L) - 1.0
    return KFactors(T=N / ((1.04720 + 1.9448 * K2) * (K - 1.0)),
                    U=N / (1.36136 * (K2 - 1.0) * (K - 1.0)),
                    Y=(0.66845 + 5.71690 * K2 * L / (K2 - 1.0)) / (K - 1.0),
                    Z=(K2 + 1.0) / (K2 - 1.0))


def _c_constants(A: float, C: float):
    """C1 to C15 of Table 2-7.1 (A = g1/g0 - 1, C = 43.68 (h/h0)^4)."""
    A2, A3 = A * A, A * A * A
    return (
        1 / 3 + A / 12,
        5 / 42 + 17 * A / 336,
        1 / 210 + A / 360,
        11 / 360 + 59 * A / 5040 + (1 + 3 * A) / C,
        1 / 90 + 5 * A / 1008 - (1 + A) ** 3 / C,
        1 / 120 + 17 * A / 5040 + 1 / C,
        215 / 2772 + 51 * A / 1232 + (60 / 7 + 225 * A / 14 + 75 * A2 / 7 + 5 * A3 / 2) / C,
        31 / 6930 + 128 * A / 45045 + (6 / 7 + 15 * A / 7 + 12 * A2 / 7 + 5 * A3 / 11) / C,
        533 / 30240 + 653 * A / 73920 + (1 / 2 + 33 * A / 14 + 39 * A2 / 28 + 25 * A3 / 84) / C,
        29 / 3780 + 3 * A / 704 - (1 / 2 + 33 * A / 14 + 81 * A2 / 28 + 13 * A3 / 12) / C,
        31 / 6048 + 1763 * A / 665280 + (1 / 2 + 6 * A / 7 + 15 * A2 / 28 + 5 * A3 / 42) / C,
        1 / 2925 + 71 * A / 300300 + (8 / 35 + 18 * A / 35 + 156 * A2 / 385 + 6 * A3 / 55) / C,
        761 / 831600 + 937 * A / 1663200 + (1 / 35 + 6 * A / 35 + 11 * A2 / 70 + 3 * A3 / 70) / C,
        197 / 415800 + 103 * A / 332640 - (1 / 35 + 6 * A / 35 + 17 * A2 / 70 + A3 / 10) / C,
        233 / 831600 + 97 * A / 554400 + (1 / 35 + 3 * A / 35 + A2 / 14 + 2 * A3 / 105) / C,
    )


def integral_factors(g1_g0: float, h_h0: float) -> FlangeFactors:
    """Table 2-7.1, integral flange. The ratios are held to g1/g0 >= 1 and
    h/h0 >= 0.015 (the charts' range); a hub without taper takes the
    charts' values."""
    g1_g0 = max(g1_g0, 1.0)
    h_h0 = max(h_h0, 0.015)
    if 0.9999 < g1_g0 < 1.0001:
        return FlangeFactors(NO_TAPER_F, NO_TAPER_V, 1.0)
    A = g1_g0 - 1.0
    C = 43.68 * h_h0 ** 4
    C1, C2, C3, C4, C5, C6, C7, C8, C9, C10, C11, C12, C13, C14, C15 = _c_constants(A, C)

    C16 = C1 * C7 * C12 + C2 * C8 * C3 + C3 * C8 * C2 - (C3 ** 2 * C7 + C8 ** 2 * C1 + C2 ** 2 * C12)

    def alike(a, b, c):
        """C17, C20, C23 of (a, b, c) = (C4, C9, C13); C18, C21, C24 of (C5,
        C10, C14); C19, C22, C25 of (C6, C11, C15)."""
        return ((a * C7 * C12 + C2 * C8 * c + C3 * C8 * b - (c * C7 * C3 + C8 ** 2 * a + C12 * C2 * b)) / C16,
                (C1 * b * C12 + a * C8 * C3 + C3 * c * C2 - (C3 ** 2 * b + c * C8 * C1 + C12 * a * C2)) / C16,
                (C1 * C7 * c + C2 * b * C3 + a * C8 * C2 - (C3 * C7 * a + C8 * b * C1 + C2 ** 2 * c)) / C16)

    (C17, C20, C23), (C18, C21, C24), (C19, C22, C25) = (
        alike(C4, C9, C13), alike(C5, C10, C14), alike(C6, C11, C15))

    q = C / 4
    C26 = -q ** 0.25
    C27 = C20 - C17 - 5 / 12 + C17 * C26
    C28 = C22 - C19 - 1 / 12 + C19 * C26
    C29 = -q ** 0.5
    C30 = -q ** 0.75
    C31 = 3 * A / 2 - C17 * C30
    C32 = 1 / 2 - C19 * C30
    C33 = 0.5 * C26 * C32 + C28 * C31 * C29 - (0.5 * C30 * C28 + C32 * C27 * C29)
    C34 = 1 / 12 + C18 - C21 - C18 * C26
    C35 = -C18 * q ** 0.75
    C36 = (C28 * C35 * C29 - C32 * C34 * C29) / C33
    C37 = (0.5 * C26 * C35 + C34 * C31 * C29 - (0.5 * C30 * C34 + C35 * C27 * C29)) / C33

    E1 = C17 * C36 + C18 + C19 * C37
    E2 = C20 * C36 + C21 + C22 * C37
    E3 = C23 * C36 + C24 + C25 * C37
    E4 = 1 / 4 + C37 / 12 + C36 / 4 - E3 / 5 - 3 * E2 / 2 - E1
    E5 = E1 * (1 / 2 + A / 6) + E2 * (1 / 4 + 11 * A / 84) + E3 * (1 / 70 + A / 105)
    E6 = (E5 - C36 * (7 / 120 + A / 36 + 3 * A / C) - 1 / 40 - A / 72
          - C37 * (1 / 60 + A / 120 + 1 / C))

    p = (1 + A) ** 3
    F = -E6 / ((C / 2.73) ** 0.25 * p / C)
    V = E4 / ((2.73 / C) ** 0.25 * p)
    f = C36 / (1 + A)
    return FlangeFactors(F, V, max(f, 1.0))
