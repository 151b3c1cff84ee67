"""The item contract of the shared library, through its C interface: the
keys of each kind, the built-in unit systems, the check of a unit file's
contents, and the building of the real array and text fields of an item
(conversion, required keys, pipe sizes, warnings)."""

import ctypes
import threading
from typing import Dict, List, NamedTuple, Optional, Sequence, Tuple

from ._library import library

FACTOR_COUNT = 22
LABEL_COUNT = 23
LABEL_WIDTH = 10
REAL_COUNT = 200
TEXT_FIELDS = 3
TEXT_WIDTH = 15
REPORT_UNIT_ELEMENT = 40
# Element of a jacket item's code selector (3 and 4 are coils).
JACKET_CODE_ELEMENT = 20
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


def _read_kind(lib, kind: bytes) -> KindKeys:
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
    return KindKeys(_text(kind), numbers, texts, tuple(codes), results)


def kinds() -> Dict[str, KindKeys]:
    """The kinds of item by name, read once from the library."""
    with _Tables.lock:
        if _Tables.kinds is None:
            lib = library()
            names = []
            while lib.tx14_items_kind(len(names)) is not None:
                names.append(lib.tx14_items_kind(len(names)))
            _Tables.kinds = {_text(n): _read_kind(lib, n) for n in names}
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


class Built(NamedTuple):
    reals: List[float]
    texts: bytes
    warnings: List[str]


class ItemBuilder:
    """One item of a kind, code and unit system being built by the library."""

    def __init__(self, kind: str, code: str, factors: Sequence[float], labels: bytes):
        self._lib = library()
        messages = ctypes.create_string_buffer(MESSAGES)
        self._handle = self._lib.tx14_item_create(kind.encode("utf-8"), code.encode("utf-8"),
                                                  (ctypes.c_double * FACTOR_COUNT)(*factors),
                                                  labels, messages, MESSAGES)
        if not self._handle:
            raise ValueError("; ".join(_lines(messages)) or "out of memory")

    def close(self) -> None:
        if self._handle:
            self._lib.tx14_item_destroy(self._handle)
            self._handle = None

    def __del__(self):
        self.close()

    def key_type(self, key: str) -> int:
        """1 for a number key, 2 for a text key, 0 for neither."""
        return self._lib.tx14_item_key_type(self._handle, key.encode("utf-8", "replace"))

    def number(self, key: str, value: float) -> None:
        self._lib.tx14_item_set_number(self._handle, key.encode("utf-8"), value)

    def text(self, key: str, cp1252: bytes) -> None:
        self._lib.tx14_item_set_text(self._handle, key.encode("utf-8"), cp1252)

    def item_number(self, number: int) -> None:
        self._lib.tx14_item_set_item_number(self._handle, float(number))

    def finish(self) -> Built:
        """The arrays and the warnings; ValueError with every error."""
        reals = (ctypes.c_float * REAL_COUNT)()
        texts = ctypes.create_string_buffer(TEXT_FIELDS * TEXT_WIDTH)
        errors = ctypes.create_string_buffer(MESSAGES)
        warnings = ctypes.create_string_buffer(MESSAGES)
        count = self._lib.tx14_item_finish(self._handle, reals, texts, errors, MESSAGES,
                                           warnings, MESSAGES)
        self.close()
        if count:
            raise ValueError("; ".join(_lines(errors)))
        return Built(list(reals), texts.raw[:TEXT_FIELDS * TEXT_WIDTH], _lines(warnings))
