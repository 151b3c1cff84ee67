"""Unit systems: the host's 22 factors and 23 labels, the built-in US and SI
systems, unit files, and the conversion of input values into the library's
internal units (inch, lbf, psi, degrees F)."""

import ctypes
import math
import os
from typing import Dict, Sequence, Union

from . import _cp1252
from ._float32 import f32, multiply

FACTOR_COUNT = 22
LABEL_COUNT = 23
LABEL_WIDTH = 10

# The slot (from 1) that converts each quantity; temperatures use the scale
# slot 7 and the offset slot 8.
_SLOTS = {
    "length": 1,
    "force": 2,
    "moment": 5,
    "stress": 6,
    "temperature": 7,
    "pressure": 9,
    "density": 11,
    "diameter": 21,
    "thickness": 22,
}
_TEMPERATURE_OFFSET = 8

# Width of the library's slot for a label (temperature: the letter).
_LABEL_WIDTHS = {5: 6, 6: 10, 9: 10, 7: 1, 8: 1}

# Slots whose factor an input value is divided by: never zero.
_DIVIDING_SLOTS = (1, 6, 7, 9, 11, 21, 22)


class Units:
    """A unit system: factor n converts a value from internal units into
    display units (temperatures: T * factor 7 + factor 8); labels are texts
    of at most 10 Windows-1252 characters."""

    def __init__(self, name: str, factors: Sequence[float], labels: Sequence[str]):
        self.name = name
        self.factors = tuple(float(f) for f in factors)
        self.labels = tuple(labels)
        if len(self.factors) != FACTOR_COUNT or len(self.labels) != LABEL_COUNT:
            raise ValueError("a unit system has 22 factors and 23 labels")
        problems = _factor_problems(self.factors) + _label_problems(self.labels)
        if problems:
            raise ValueError("units %s: %s" % (name, "; ".join(problems)))
        self._label_bytes = tuple(_cp1252.encode(label)[0] for label in self.labels)

    def __repr__(self) -> str:
        return "Units(%r)" % self.name

    def factor(self, slot: int) -> float:
        return self.factors[slot - 1]

    def to_internal(self, quantity: str, value: float) -> float:
        """An input value given in this system, in internal units (double
        precision; the caller rounds it to single precision once)."""
        if quantity == "none":
            return value
        if quantity == "temperature":
            return (value - self.factor(_TEMPERATURE_OFFSET)) / self.factor(_SLOTS["temperature"])
        return value / self.factor(_SLOTS[quantity])

    def to_display(self, quantity: str, internal: float) -> float:
        """An internal single-precision value in this system, multiplied in
        single precision as the report shows it. Not for temperatures."""
        if quantity == "none":
            return internal
        return multiply(internal, f32(self.factor(_SLOTS[quantity])))

    def label(self, quantity: str) -> str:
        """The label of a quantity as the report prints it: leading blanks
        removed, cut to the width of the library's slot, trailing blanks cut."""
        slot = _SLOTS.get(quantity)
        if slot is None:
            return ""
        raw = self._label_bytes[slot - 1].lstrip(b" ")[: _LABEL_WIDTHS.get(slot, 3)]
        return _cp1252.plain_text(raw.rstrip(b" "))

    def host_factors(self):
        return (ctypes.c_float * FACTOR_COUNT)(*(f32(f) for f in self.factors))

    def host_labels(self) -> bytes:
        return b"".join(label.ljust(LABEL_WIDTH, b" ") for label in self._label_bytes)


def _factor_problems(factors) -> list:
    problems = []
    for slot, value in enumerate(factors, start=1):
        if not math.isfinite(f32(value)):
            problems.append("factor %d is not a finite single-precision number" % slot)
    for slot in _DIVIDING_SLOTS:
        if factors[slot - 1] == 0.0:
            problems.append("factor %d must not be 0" % slot)
    return problems


def _label_problems(labels) -> list:
    problems = []
    for slot, label in enumerate(labels, start=1):
        if not isinstance(label, str):
            problems.append("label %d must be a text" % slot)
            continue
        data, problem = _cp1252.encode(label)
        if data is None:
            problems.append("label %d: %s" % (slot, problem))
        elif len(data) > LABEL_WIDTH:
            problems.append("label %d is longer than 10 characters" % slot)
    return problems


_INCH = 25.4                    # mm
_LBF = 4.4482216152605          # N
_PSI = 0.006894757293168361     # MPa: lbf / in.^2

# \xb2 and \xb3 are the superscript two and three.
US = Units(
    "US",
    [1.0] * 7 + [0.0] + [1.0] * 14,
    ["in.", "lb.", "in.\xb2", "in.\xb3", "ft-lb.", "psi", "F", "F", "psi", "lb.", "lb./in.\xb3"]
    + [""] * 9 + ["in.", "in.", ""],
)

SI = Units(
    "SI",
    [
        _INCH,
        _LBF,
        645.16,                 # in.^2 in mm^2
        16387.064,              # in.^3 in mm^3
        1.3558179483314004,     # ft-lbf in N-m
        _PSI,
        5.0 / 9.0,              # degrees C per degree F
        -160.0 / 9.0,           # 0 F in C
        _PSI,
        0.45359237,             # lb in kg
        27679.90471020312,      # lb/in.^3 in kg/m^3
    ]
    + [1.0] * 9
    + [_INCH, _INCH],
    ["mm", "N", "mm\xb2", "mm\xb3", "N-m", "MPa", "C", "C", "MPa", "kg", "kg/m\xb3"]
    + [""] * 9 + ["mm", "mm", ""],
)

UnitsSpec = Union[str, "os.PathLike[str]", Units]


def load_unit_file(path: "Union[str, os.PathLike[str]]") -> Units:
    """The unit system of a unit file (TOML): `factors`, 22 numbers, and
    `labels`, 23 texts. ValueError when the file is unreadable or wrong."""
    try:
        import tomllib
    except ImportError:  # Python before 3.11
        raise ValueError("unit files need Python 3.11 or later (tomllib)") from None
    name = os.fspath(path)
    try:
        with open(name, "rb") as f:
            table = tomllib.load(f)
    except OSError as e:
        raise ValueError('"%s": expected "US", "SI" or a readable unit file (%s)'
                         % (name, e.strerror or e)) from None
    except tomllib.TOMLDecodeError as e:
        raise ValueError("unit file %s: %s" % (name, e)) from None
    problems = ['unknown key "%s"; a unit file holds "factors" and "labels"' % key
                for key in table if key not in ("factors", "labels")]
    problems += ['missing key "%s"' % key for key in ("factors", "labels") if key not in table]
    factors = table.get("factors")
    labels = table.get("labels")
    if "factors" in table and not (isinstance(factors, list) and len(factors) == FACTOR_COUNT):
        problems.append('"factors" must be an array of 22 numbers')
    elif isinstance(factors, list):
        for slot, value in enumerate(factors, start=1):
            if isinstance(value, bool) or not isinstance(value, (int, float)):
                problems.append("factor %d must be a number" % slot)
            elif not math.isfinite(f32(_as_double(value))):
                problems.append("factor %d is not a finite single-precision number" % slot)
    if "labels" in table and not (isinstance(labels, list) and len(labels) == LABEL_COUNT):
        problems.append('"labels" must be an array of 23 texts')
    if problems:
        raise ValueError("unit file %s: %s" % (name, "; ".join(problems)))
    return Units(name, factors, labels)


def _as_double(value) -> float:
    try:
        return float(value)
    except OverflowError:  # a whole number past the double range
        return math.inf


def resolve(units: UnitsSpec, cache: "Dict[str, Units]") -> Units:
    """"US", "SI", a unit file or a Units object; each file is read once per
    cache."""
    if isinstance(units, Units):
        return units
    if units == "US":
        return US
    if units == "SI":
        return SI
    if not isinstance(units, (str, os.PathLike)):
        raise ValueError('units: expected "US", "SI", a unit file or a Units object')
    name = os.fspath(units)
    if name not in cache:
        cache[name] = load_unit_file(name)
    return cache[name]
