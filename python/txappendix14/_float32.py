"""Single-precision values in Python's double-precision floats: rounding to
float32, the bit patterns, and the shortest decimal that gives a float32
back (the form tx14 writes its results in)."""

import ctypes
import math
import struct
from decimal import Decimal
from fractions import Fraction

FLT_MAX = 3.4028234663852886e38


def f32(x: float) -> float:
    """x rounded to single precision, to nearest (as a C cast does)."""
    return ctypes.c_float(x).value


def bits(x: float) -> int:
    """The 32 bits of a float32 value."""
    return struct.unpack("<I", struct.pack("<f", x))[0]


def from_bits(b: int) -> float:
    return struct.unpack("<f", struct.pack("<I", b))[0]


def multiply(a: float, b: float) -> float:
    """a * b in single precision. The product of two float32 values is exact
    in a double, so one rounding gives the float32 product."""
    return f32(f32(a) * f32(b))


def _rounding_interval(x: float):
    """The reals that round to the positive float32 x: its bounds and whether
    they belong to it (ties go to the even significand)."""
    b = bits(x)
    below = Fraction(from_bits(b - 1)) if b > 0 else Fraction(0)
    above = Fraction(from_bits(b + 1)) if b + 1 < 0x7F800000 else Fraction(x) + (Fraction(x) - below)
    exact = Fraction(x)
    return (exact + below) / 2, (exact + above) / 2, b % 2 == 0


def _shortest_digits(x: float):
    """The decimal of fewest significant digits that rounds back to the
    positive float32 x (the closest one when several have that many): its
    digits as a whole number and the power of ten of its last digit."""
    low, high, inclusive = _rounding_interval(x)
    exact = Fraction(x)
    exponent = Decimal(x).adjusted()  # power of ten of the first significant digit
    for digits in range(1, 10):
        scale = exponent - digits + 1
        step = Fraction(10) ** scale
        n = math.floor(exact / step)
        inside = [m for m in (n, n + 1)
                  if (low <= m * step <= high if inclusive else low < m * step < high)]
        if inside:
            best = min(inside, key=lambda m: (abs(m * step - exact), m % 2))
            return best, scale
    raise AssertionError("nine significant digits always give a float32 back")


def _shortest_quickly(x: float):
    """_shortest_digits(x) from the correctly rounded decimal forms of x,
    and that decimal as a double; None where this may not decide: at a power
    of two (the rounding interval is lopsided, so the closest decimal of a
    length is not the only candidate) and where a decimal read back lands on
    the midpoint of two float32 values (rounding twice could go astray)."""
    b = bits(x)
    if b & 0x7FFFFF == 0 or b < 0x00800000:  # a power of two, or subnormal
        return None
    for digits in range(1, 10):
        text = "%.*e" % (digits - 1, x)
        d = float(text)
        if struct.unpack("<Q", struct.pack("<d", d))[0] & 0x1FFFFFFF == 0x10000000:
            return None
        if f32(d) == x:
            mantissa, exponent = text.split("e")
            return int(mantissa.replace(".", "")), int(exponent) - digits + 1, d
    return None


def shortest_decimal(x: float) -> float:
    """The float32 value x written as C++'s std::to_chars writes it in its
    plain shortest form, read back as a double: the shortest decimal that
    gives x back, except where the fixed form (no exponent) is as short as
    the scientific one and needs more integer digits than that decimal has;
    then the digits are those of x's exact whole value. Non-finite values
    and zeros come back as they are."""
    if not math.isfinite(x) or x == 0.0:
        return x
    quick = _shortest_quickly(abs(x))
    m, scale = quick[:2] if quick else _shortest_digits(abs(x))
    digits = len(str(m))
    e = scale + digits - 1  # exponent of the scientific form d.ddd
    scientific = digits + (1 if digits > 1 else 0) + 2 + max(2, len(str(abs(e))))
    if e >= 0:
        fixed = max(digits, e + 1) + (1 if digits > e + 1 else 0)
    else:
        fixed = 2 + (-e - 1) + digits
    if fixed <= scientific and e + 1 > digits:
        return x  # the exact whole value
    value = quick[2] if quick else float(m * Fraction(10) ** scale)
    return -value if x < 0 else value
