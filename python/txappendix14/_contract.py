"""The item contract of the shared library, through its C interface: the
keys of each kind, the built-in unit systems and the check of a unit file's
contents."""

import ctypes
import threading
from typing import Dict, List, NamedTuple, Optional, Sequence, Tuple

from ._library import library

FACTOR_COUNT = 22
LABEL_COUNT = 23
LABEL_WIDTH = 10
MESSAGES = 16384


class _Key(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("element", ctypes.c_int), ("field", ctypes.c_int),
                ("quantity", ctypes.c_char_p), ("meaning", ctypes.c_char_p),
                ("required", ctypes.c_uint), ("instead", ctypes.c_char_p)]


class NumberKey(NamedTuple):
    name: str
    element: int
    quantity: str
    meaning: str


class ResultKey(NamedTuple):
    name: str
    element: int
    quantity: str


class KindKeys(NamedTuple):
    name: str
    numbers: Tuple[NumberKey, ...]
    texts: Tuple[str, ...]
    codes: Tuple[str, ...]
    results: Tuple[ResultKey, ...]
    index: int                    # among the library's kinds
    number_ids: Dict[str, float]  # key -> its number in tx14_item_run's given values
    text_ids: Dict[str, float]


def _ids(numbers, texts) -> Tuple[Dict[str, float], Dict[str, float]]:
    """Number key i is i, text key j follows them; DN, standing in for NPS, is -1."""
    number_ids = {k.name: float(i) for i, k in enumerate(numbers)}
    if "NPS" in number_ids:
        number_ids["DN"] = -1.0
    return number_ids, {t: float(len(numbers) + j) for j, t in enumerate(texts)}


class _Tables:
    kinds: Optional[Dict[str, KindKeys]] = None
    lock = threading.Lock()


def _text(b: Optional[bytes]) -> str:
    return (b or b"").decode("ascii")


def _keys(lib, function, kind: bytes) -> List[_Key]:
    keys, key = [], _Key()
    while function(kind, len(keys), ctypes.byref(key)):
        keys.append(_Key.from_buffer_copy(key))
    return keys


def _read_kind(lib, kind: bytes, index: int) -> KindKeys:
    codes, number = [], ctypes.c_int()
    while True:
        code = lib.tx14_items_code(kind, len(codes), ctypes.byref(number))
        if code is None:
            break
        codes.append(_text(code))
    numbers = tuple(NumberKey(_text(k.name), k.element, _text(k.quantity), _text(k.meaning))
                    for k in _keys(lib, lib.tx14_items_number_key, kind))
    texts = tuple(_text(k.name) for k in _keys(lib, lib.tx14_items_text_key, kind))
    results = tuple(ResultKey(_text(k.name), k.element, _text(k.quantity))
                    for k in _keys(lib, lib.tx14_items_result, kind))
    return KindKeys(_text(kind), numbers, texts, tuple(codes), results, index,
                    *_ids(numbers, texts))


def kinds() -> Dict[str, KindKeys]:
    """The kinds of item by name, read once from the library."""
    if _Tables.kinds is not None:
        return _Tables.kinds
    with _Tables.lock:
        if _Tables.kinds is None:
            lib = library()
            names = []
            while lib.tx14_items_kind(len(names)) is not None:
                names.append(lib.tx14_items_kind(len(names)))
            _Tables.kinds = {_text(n): _read_kind(lib, n, i) for i, n in enumerate(names)}
        return _Tables.kinds


def builtin_units(name: str) -> Tuple[Tuple[float, ...], bytes]:
    factors = (ctypes.c_double * FACTOR_COUNT)()
    labels = ctypes.create_string_buffer(LABEL_COUNT * LABEL_WIDTH)
    if not library().tx14_units_builtin(name.encode("ascii"), factors, labels):
        raise ValueError("no built-in unit system %r" % name)
    return tuple(factors), labels.raw[:LABEL_COUNT * LABEL_WIDTH]


def unit_problems(factors: Sequence[float], labels: Sequence[bytes]) -> List[str]:
    """The problems of 22 factors and 23 Windows-1252 labels."""
    messages = ctypes.create_string_buffer(MESSAGES)
    library().tx14_units_check((ctypes.c_double * FACTOR_COUNT)(*factors),
                               (ctypes.c_char_p * LABEL_COUNT)(*labels), messages, MESSAGES)
    return _lines(messages)


def slot(quantity: str) -> int:
    return library().tx14_units_slot(quantity.encode("ascii"))


def label_width(slot_number: int) -> int:
    return library().tx14_units_label_width(slot_number)


def _lines(buffer) -> List[str]:
    return [line for line in buffer.value.decode("utf-8", "replace").split("\n") if line]
