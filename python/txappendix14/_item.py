"""Checking an item mapping and packing its given values for the library,
which builds and runs the item in one call (tx14_item_run)."""

import difflib
import math
import numbers
import struct
from collections.abc import Mapping
from typing import Dict, NamedTuple, Optional

from . import _contract, _cp1252
from ._contract import KindKeys
from .units import Units, resolve

LARGEST_ITEM = 16777216            # whole numbers a float32 holds exactly
COMMON_KEYS = ("kind", "code", "units", "item")
_FINITE = 1e308                    # whole numbers within it pack as finite doubles


class PreparedItem(NamedTuple):
    keys: KindKeys
    code: str
    units: Units
    number: Optional[int]          # `item`
    packed: bytes                  # for tx14_item_run
    description: str


ITEM_KEY = -2.0


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


def _not_given(value) -> bool:
    """None and NaN: what a data frame holds in an empty cell."""
    if value is None:
        return True
    if type(value) is float:
        return value != value
    if type(value) is int or type(value) is str:
        return False
    real = isinstance(value, numbers.Real) and not isinstance(value, numbers.Integral)
    return real and math.isnan(value)


def _number(key: str, value) -> float:
    """A finite number; a text that is one (a cell of a CSV reader) too."""
    if isinstance(value, str):
        try:
            v = float(value)
        except ValueError:
            raise _expected(key, "a number", value) from None
        if math.isfinite(v):
            return v
    if isinstance(value, bool) or not isinstance(value, (numbers.Real, str)):
        raise _expected(key, "a number", value)
    try:
        v = float(value)
    except OverflowError:  # a whole number past the double range
        v = math.inf
    if not math.isfinite(v):
        raise _fault(key, "the value is not finite; expected a finite number")
    return v


def _item_number(value) -> int:
    if isinstance(value, str):
        try:
            value = float(value)
        except ValueError:
            raise _expected("item", "a whole number", value) from None
    if isinstance(value, bool) or not isinstance(value, numbers.Real) \
            or not math.isfinite(value) or value != int(value):
        raise _expected("item", "a whole number", value)
    if not -LARGEST_ITEM <= int(value) <= LARGEST_ITEM:
        raise _fault("item", "expected a whole number from -16777216 to 16777216")
    return int(value)


def _kind(item: Mapping) -> KindKeys:
    kinds = _contract.kinds()
    if "kind" not in item:
        raise ValueError('missing key "kind": expected %s' % _quoted(kinds))
    name = _text("kind", item["kind"])
    if name not in kinds:
        raise _fault("kind", '"%s" is not a kind of item; expected %s' % (name, _quoted(kinds)))
    return kinds[name]


def _code(item: Mapping, keys: KindKeys) -> str:
    if "code" not in item:
        raise ValueError('missing key "code": expected %s' % _quoted(keys.codes))
    name = _text("code", item["code"])
    if name not in keys.codes:
        article = "an" if keys.name == "opening" else "a"
        raise _fault("code", '"%s" is not a code of %s %s item; expected %s'
                     % (name, article, keys.name, _quoted(keys.codes)))
    return name


def _unknown(key, keys: KindKeys) -> ValueError:
    valid = list(COMMON_KEYS) + list(keys.texts) + [k.name for k in keys.numbers]
    valid += ["DN"] if "NPS" in valid else []
    article = "an" if keys.name == "opening" else "a"
    close = difflib.get_close_matches(str(key), valid, n=1)
    hint = ' (did you mean "%s"?)' % close[0] if close else ""
    return ValueError('unknown key "%s" for %s %s item%s; valid keys: %s'
                      % (key, article, keys.name, hint, ", ".join(valid)))


def prepare(item: Mapping, units, unit_cache: Optional[Dict[str, Units]],
            plain: bool = False) -> PreparedItem:
    """The item ready for the library; ValueError naming the key at the first
    fault the item core does not find itself. `units` applies when the item
    has no `units` key of its own; `plain` asks for a report in plain text."""
    if type(item) is not dict and not isinstance(item, Mapping):
        raise TypeError("an item is a mapping of keys to values, not %s" % type(item).__name__)
    keys = _kind(item)
    code = _code(item, keys)
    if "units" in item:
        units = _text("units", item["units"])
    try:
        system = resolve(units, unit_cache)
    except ValueError as e:
        raise ValueError('key "units": %s' % e) from None

    number_ids, text_ids = keys.number_ids, keys.text_ids
    given = []
    append = given.append
    texts = []
    number = None
    description = ""
    for key, value in item.items():
        ident = number_ids.get(key)
        if ident is not None:
            kind = type(value)
            if kind is float and value - value == 0.0 or kind is int and -_FINITE <= value <= _FINITE:
                given += ident, value
            elif not _not_given(value):
                given += ident, _number(key, value)
            continue
        ident = text_ids.get(key)
        if ident is not None:
            if type(value) is str and value.isascii() and value.isprintable():  # the usual text
                data = value.encode("ascii")
            elif type(value) is not str and _not_given(value):
                continue
            else:
                data, problem = _cp1252.encode(_text(key, value))
                if data is None:
                    raise _fault(key, problem)
            texts.append(data)
            append(ident)
            append(len(data))
            if key == "description":
                description = value
        elif key in ("kind", "code", "units"):
            continue
        elif key != "item":
            raise _unknown(key, keys)  # whatever its value: a misspelt key's empty cell too
        elif not _not_given(value):
            number = value if type(value) is int and -LARGEST_ITEM <= value <= LARGEST_ITEM \
                else _item_number(value)
            append(ITEM_KEY)
            append(number)
    text = b"".join(texts)
    packed = struct.pack("=5i%dd%ds" % (len(given), len(text)), keys.index, keys.codes.index(code),
                         1 if plain else 0, len(given) // 2, len(text), *given, text)
    return PreparedItem(keys, code, system, number, packed, description)
