"""Checking an item mapping and building what the library takes from it:
the real array (internal units, missing-value marks) and the text fields."""

import math
import numbers
from collections.abc import Mapping
from typing import Dict, List, NamedTuple, Optional

from . import _cp1252
from ._float32 import FLT_MAX, f32
from ._keys import (ITEM_ELEMENT, KIND_ELEMENT, KINDS, REAL_COUNT, TEXT_FIELDS, TEXT_WIDTH,
                    KindKeys, key_list)
from .units import Units, resolve

MISSING_VALUE = f32(-1.0101)       # a value not given; the library reads it as 0
LARGEST_ITEM = 16777216            # whole numbers a float32 holds exactly


class PreparedItem(NamedTuple):
    keys: KindKeys
    code: str
    units: Units
    number: Optional[int]          # `item`
    reals: List[float]             # float32 values, element n at index n - 1
    texts: bytes                   # TEXT_FIELDS fields of TEXT_WIDTH characters
    description: str


def _quoted(names) -> str:
    names = ['"%s"' % n for n in names]
    return names[0] if len(names) == 1 else ", ".join(names[:-1]) + " or " + names[-1]


def _type_name(value) -> str:
    if isinstance(value, str):
        return "a text"
    if isinstance(value, bool):
        return "true or false"
    if isinstance(value, numbers.Integral):
        return "a whole number"
    if isinstance(value, numbers.Real):
        return "a number"
    return "a value of type %s" % type(value).__name__


def _fault(key: str, message: str) -> ValueError:
    return ValueError('key "%s": %s' % (key, message))


def _expected(key: str, what: str, value) -> ValueError:
    return _fault(key, "expects %s, found %s" % (what, _type_name(value)))


def _text(key: str, value) -> str:
    if not isinstance(value, str):
        raise _expected(key, "a text", value)
    return value


def _finite_number(key: str, value) -> float:
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise _expected(key, "a number", value)
    try:
        v = float(value)
    except OverflowError:  # a whole number past the double range
        v = math.inf if value > 0 else -math.inf
    if not math.isfinite(v):
        raise _fault(key, "the value is not finite; expected a finite number")
    return v


def _item_number(value) -> int:
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise _expected("item", "a whole number", value)
    if not -LARGEST_ITEM <= int(value) <= LARGEST_ITEM:
        raise _fault("item", "expected a whole number from -16777216 to 16777216")
    return int(value)


def _kind(item: Mapping) -> KindKeys:
    if "kind" not in item:
        raise ValueError('missing key "kind": expected %s' % _quoted(KINDS))
    name = _text("kind", item["kind"])
    if name not in KINDS:
        raise _fault("kind", '"%s" is not a kind of item; expected %s' % (name, _quoted(KINDS)))
    return KINDS[name]


def _code(item: Mapping, keys: KindKeys) -> "tuple[str, int]":
    codes = dict(keys.codes)
    if "code" not in item:
        raise ValueError('missing key "code": expected %s' % _quoted(codes))
    name = _text("code", item["code"])
    if name not in codes:
        article = "an" if keys.name == "opening" else "a"
        raise _fault("code", '"%s" is not a code of %s %s item; expected %s'
                     % (name, article, keys.name, _quoted(codes)))
    return name, codes[name]


def prepare(item: Mapping, units, unit_cache: Dict[str, Units]) -> PreparedItem:
    """The item ready for the library; ValueError naming the key at the first
    fault. `units` applies when the item has no `units` key of its own."""
    if not isinstance(item, Mapping):
        raise TypeError("an item is a mapping of keys to values, not %s" % type(item).__name__)
    keys = _kind(item)
    code, code_number = _code(item, keys)
    if "units" in item:
        units = _text("units", item["units"])
    try:
        system = resolve(units, unit_cache)
    except ValueError as e:
        raise ValueError('key "units": %s' % e) from None

    reals = [0.0] * REAL_COUNT
    reals[ITEM_ELEMENT - 1] = MISSING_VALUE
    for k in keys.numbers:
        reals[k.element - 1] = MISSING_VALUE
    reals[KIND_ELEMENT - 1] = keys.kind_element
    reals[keys.code_element - 1] = float(code_number)
    texts = bytearray(b" " * (TEXT_FIELDS * TEXT_WIDTH))
    numbers_by_name = {k.name: k for k in keys.numbers}
    texts_by_name = {t.name: t for t in keys.texts}
    number = None
    description = ""

    for key, value in item.items():
        if key in ("kind", "code", "units"):
            continue
        if key == "item":
            number = _item_number(value)
            reals[ITEM_ELEMENT - 1] = float(number)
        elif key in numbers_by_name:
            k = numbers_by_name[key]
            internal = system.to_internal(k.quantity, _finite_number(key, value))
            if not abs(internal) <= FLT_MAX:
                raise _fault(key, "the value in internal units is out of the single-precision range")
            reals[k.element - 1] = f32(internal)
        elif key in texts_by_name:
            text = _text(key, value)
            data, problem = _cp1252.encode(text)
            if data is None:
                raise _fault(key, problem)
            if len(data) > TEXT_WIDTH:
                raise _fault(key, "text longer than 15 characters (%d)" % len(data))
            start = (texts_by_name[key].field - 1) * TEXT_WIDTH
            texts[start:start + len(data)] = data
            if key == "description":
                description = text
        else:
            article = "an" if keys.name == "opening" else "a"
            raise ValueError('unknown key "%s" for %s %s item; valid keys: %s'
                             % (key, article, keys.name, key_list(keys)))
    return PreparedItem(keys, code, system, number, reals, bytes(texts), description)
