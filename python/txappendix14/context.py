"""A context of the library: a run state of its own, so that items can run
on several threads at once (one context per thread)."""

import ctypes
import math
import os
import tempfile
import weakref
from typing import Dict, List, Mapping, Optional

from . import _cp1252
from ._float32 import shortest_decimal
from ._item import PreparedItem, prepare
from ._contract import JACKET_CODE_ELEMENT, REAL_COUNT, REPORT_UNIT_ELEMENT, KindKeys
from ._library import CCheck, CValue, library
from .result import Check, LazyMapping, LazySequence, Line, Result, Value
from .units import UnitsSpec

CAPTURE_RECORDS = 500
CAPTURE_RECORD_WIDTH = 125
CAPTURE_COUNT_OFFSET = 62500
FILE_NAME_WIDTH = 256

_CAPTURE_TEXT = slice(4, 104)         # columns 5-104 of a capture record
_STYLE_COLUMN = 108                   # six 2-column codes from column 109
_STYLED_FILE_RECORD = 120             # a report file record with style codes
_FILE_UNIT = 10.0                     # any positive unit number selects file mode

# A quiet NaN with a payload no calculation produces: a result element that
# still holds it after the run was not written.
_NOT_WRITTEN_BITS = 0x7FC0A14E


def _styles(codes: bytes):
    """Six style codes of two columns each; a code that is not a whole number
    reads as 0."""
    styles = []
    for i in range(6):
        code = codes[2 * i:2 * i + 2].lstrip(b" ")
        digits = code[1:] if code.startswith(b"-") else code
        styles.append(int(code) if digits and digits.isdigit() else 0)
    return tuple(styles)


def _capture_line(record: bytes) -> Line:
    return Line(_cp1252.report_text(record[_CAPTURE_TEXT].rstrip(b" ")),
                _styles(record[_STYLE_COLUMN:_STYLE_COLUMN + 12]))


def _file_line(record: bytes) -> Line:
    styles = (_styles(record[_STYLE_COLUMN:_STYLE_COLUMN + 12])
              if len(record) == _STYLED_FILE_RECORD else (0,) * 6)
    return Line(_cp1252.report_text(record[1:101].rstrip(b" ")), styles)


def _file_lines(data: bytes) -> List[Line]:
    records = data.split(b"\n")
    if records and records[-1] == b"":
        records.pop()
    return [_file_line(r[:-1] if r.endswith(b"\r") else r) for r in records]


_VERDICTS = ("not analysed", "acceptable", "not acceptable")


def _number(value: float) -> Optional[float]:
    return shortest_decimal(value) if math.isfinite(value) else None


def _text(raw: bytes) -> str:
    return raw.decode("cp1252", errors="replace")


def _usable_report_name(name: bytes) -> bool:
    return (0 < len(name) < FILE_NAME_WIDTH and name[:1] != b" " and name[-1:] != b" "
            and b"\0" not in name)


class _Call:
    """The arguments of one library call for a prepared item."""

    def __init__(self, item: PreparedItem, report_file: bytes = b""):
        self.reals = (ctypes.c_float * REAL_COUNT)(*item.reals)
        self.reals[REPORT_UNIT_ELEMENT - 1] = _FILE_UNIT if report_file else 0.0
        self.bits = (ctypes.c_uint32 * REAL_COUNT).from_buffer(self.reals)
        for r in item.keys.results:
            self.bits[r.element - 1] = _NOT_WRITTEN_BITS
        self.texts = item.texts
        self.file = report_file.ljust(FILE_NAME_WIDTH, b" ")
        self.labels = item.units.host_labels()
        self.factors = item.units.host_factors()
        self.errors = ctypes.c_int32(0)
        self.print_control = ctypes.c_int32(0)

    def run(self, lib, handle) -> None:
        lib.tx14_context_analyse(handle, self.reals, self.texts, b" ",
                                       ctypes.byref(self.errors), self.file, None, None, None,
                                       self.labels, self.factors,
                                       ctypes.byref(self.print_control))

    def results(self, keys: KindKeys) -> List[Optional[float]]:
        """The result elements of the kind, None where the mark is untouched
        and for the fillet weld of a coil (code selector 3 or 4), which sizes
        none."""
        coil = keys.name == "jacket" and self.reals[JACKET_CODE_ELEMENT - 1] >= 3
        return [None if self.bits[r.element - 1] == _NOT_WRITTEN_BITS
                or (coil and r.name == "fillet_weld") else self.reals[r.element - 1]
                for r in keys.results]


class Context:
    """A run state of the library: one item at a time, so use one per
    thread. close() (or a with block) releases it."""

    def __init__(self):
        self._handle = None
        self._pending: List[weakref.ref] = []  # lazy parts of the last run's Result
        self._lib = library()
        self._handle = self._lib.tx14_context_create()
        if not self._handle:
            raise MemoryError("the library could not create a context")

    def close(self) -> None:
        self._settle()
        if self._handle:
            self._lib.tx14_context_destroy(self._handle)
            self._handle = None

    def __enter__(self) -> "Context":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self):
        self.close()

    def _live_handle(self):
        if not self._handle:
            raise ValueError("the context is closed")
        return self._handle

    def analyse(self, item: Mapping, units: UnitsSpec = "US", plain: bool = False) -> Result:
        """Runs one item (see txappendix14.analyse)."""
        return self._run_prepared(prepare(item, units, {}), plain)

    def _settle(self) -> None:
        """Reads what a Result of the last run still lacks, before the run
        state goes."""
        for ref in self._pending:
            lazy = ref()
            if lazy is not None:
                lazy._get()
        self._pending = []

    def _run_prepared(self, item: PreparedItem, plain: bool = False) -> Result:
        handle = self._live_handle()
        self._settle()
        self._lib.tx14_context_set_no_special(handle, 1 if plain else 0)
        call = _Call(item)
        call.run(self._lib, handle)
        errors = self._lib.tx14_context_input_errors(handle)
        raw = call.results(item.keys) if errors == 0 else [None] * len(item.keys.results)
        results, result_units = {}, {}
        for r, internal in zip(item.keys.results, raw):
            shown = None if internal is None else item.units.to_display(r.quantity, internal)
            results[r.name] = shortest_decimal(shown) if shown is not None and math.isfinite(shown) else None
            result_units[r.name] = item.units.label(r.quantity)
        governing = self._lib.tx14_context_governing(handle)
        values = LazyMapping(self._values)
        checks = LazySequence(self._checks)
        lines = LazySequence(lambda: self._lines(item))
        self._pending = [weakref.ref(values), weakref.ref(checks), weakref.ref(lines)]
        return Result(item.keys.name, item.code, item.units.name, item.number, errors,
                      results, result_units, lines, item.description,
                      _VERDICTS[self._lib.tx14_context_verdict(handle)],
                      self._check(governing).key if governing >= 0 else None, values, checks,
                      list(item.warnings))

    def _values(self) -> Dict[str, Value]:
        v = CValue()
        values = {}
        for i in range(self._lib.tx14_context_value_count(self._handle)):
            self._lib.tx14_context_value(self._handle, i, ctypes.byref(v))
            values[v.key.decode()] = Value(_number(v.display), _text(v.unit), v.label.decode())
        return values

    def _check(self, i: int) -> Check:
        c = CCheck()
        self._lib.tx14_context_check(self._handle, i, ctypes.byref(c))
        return Check(c.key.decode(), c.label.decode(), _number(c.display_value),
                     _number(c.display_limit), _text(c.unit), c.relation.decode(), c.passes != 0,
                     _number(c.utilization))

    def _checks(self) -> List[Check]:
        return [self._check(i) for i in range(self._lib.tx14_context_check_count(self._handle))]

    def _lines(self, item: PreparedItem) -> List[Line]:
        lines = self._captured_lines()
        if len(lines) >= CAPTURE_RECORDS:
            lines = self._lines_through_file(item) or lines
        return lines

    def _captured_lines(self) -> List[Line]:
        block = self._lib.tx14_context_capture_block(self._handle)
        count = ctypes.c_int32.from_address(block + CAPTURE_COUNT_OFFSET).value
        count = max(0, min(count, CAPTURE_RECORDS))
        data = ctypes.string_at(block, count * CAPTURE_RECORD_WIDTH)
        return [_capture_line(data[i:i + CAPTURE_RECORD_WIDTH])
                for i in range(0, len(data), CAPTURE_RECORD_WIDTH)]

    def _lines_through_file(self, item: PreparedItem) -> Optional[List[Line]]:
        """The report of an item too long for the capture block (it keeps 500
        lines), run again into a new temporary file of this process."""
        fd, path = tempfile.mkstemp(prefix="txappendix14-", suffix=".txt")
        os.close(fd)
        try:
            name = os.fsencode(path)
            if not _usable_report_name(name):
                return None
            _Call(item, name).run(self._lib, self._handle)
            with open(path, "rb") as f:
                lines = _file_lines(f.read())
        finally:
            os.unlink(path)
        return lines if len(lines) >= CAPTURE_RECORDS else None
