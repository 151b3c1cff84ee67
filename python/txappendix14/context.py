"""A context of the library: a run state of its own, so that items can run
on several threads at once (one context per thread)."""

import ctypes
import math
import os
import struct
import tempfile
from typing import Dict, List, Mapping, Optional

from . import _cp1252
from ._float32 import shortest_decimal
from ._item import PreparedItem, prepare
from ._library import library
from .result import Check, LazyMapping, LazySequence, Line, Note, Result, Value
from .units import UnitsSpec

CAPTURE_RECORDS = 500
FILE_NAME_WIDTH = 256
OUTPUT_SIZE = 131072                  # what tx14_item_run writes for any item so far
BATCH = 64                            # items of one call of tx14_items_run at most: the
                                      # interpreter lock changes hands once per call or so
BATCH_ROOM = 16 * OUTPUT_SIZE         # holds a batch of the usual items (about 10 kB each);
                                      # should it fill, the items left over go in another call

_STYLE_COLUMN = 108                   # six 2-column codes from column 109
_STYLED_FILE_RECORD = 120             # a report file record with style codes

# The head of tx14_item_run's output: item errors, input errors, verdict,
# numbers of values, checks and lines, offsets of results, values, checks
# and lines, numbers of reasons and notes and the offset of the reasons;
# then the messages.
_HEAD = struct.Struct("=13i")
_CHECK = struct.Struct("=fffii")


def _styles(codes: bytes):
    """Six style codes of two columns each; a code that is not a whole number
    reads as 0."""
    styles = []
    for i in range(6):
        code = codes[2 * i:2 * i + 2].lstrip(b" ")
        digits = code[1:] if code.startswith(b"-") else code
        styles.append(int(code) if digits and digits.isdigit() else 0)
    return tuple(styles)


def _decoded_values(data: bytes, at: int, end: int, count: int) -> Dict[str, Value]:
    displays = struct.unpack_from("=%df" % count, data, at)
    texts = data[at + 4 * count:end].split(b"\0")
    return {texts[3 * i].decode(): Value(_number(display), _text(texts[3 * i + 2]),
                                         texts[3 * i + 1].decode())
            for i, display in enumerate(displays)}


def _decoded_checks(data: bytes, at: int, end: int, count: int) -> List[Check]:
    numbers = [_CHECK.unpack_from(data, at + _CHECK.size * i) for i in range(count)]
    texts = data[at + _CHECK.size * count:end].split(b"\0")
    checks = []
    for i, (value, limit, utilization, passes, applicable) in enumerate(numbers):
        key, label, unit, relation = texts[4 * i:4 * i + 4]
        checks.append(Check(key.decode(), label.decode(), _number(value), _number(limit),
                            _text(unit), relation.decode(), passes != 0, _number(utilization),
                            applicable != 0))
    return checks


def _decoded_notes(data: bytes, at: int, end: int, reasons: int, notes: int):
    """The reasons and the notes: a code and a text each."""
    texts = data[at:end].split(b"\0")
    pairs = [Note(texts[2 * i].decode(), _text(texts[2 * i + 1])) for i in range(reasons + notes)]
    return pairs[:reasons], pairs[reasons:]


def _decoded_lines(data: bytes, at: int, count: int) -> List[Line]:
    """Lines as tx14_item_run gives them: a length, the text, the style codes."""
    lines = []
    for _ in range(count):
        end = at + 1 + data[at]
        lines.append(Line(_cp1252.report_text(data[at + 1:end]), _styles(data[end:end + 12])))
        at = end + 12
    return lines


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


def _messages(data: bytes) -> List[str]:
    return [line for line in data.decode("utf-8", "replace").split("\n") if line]


def _run(lib, handle, item: PreparedItem, out, report_file: Optional[bytes] = None) -> int:
    """tx14_item_run into `out`; the size its output needs."""
    return lib.tx14_item_run(handle, item.units.item_factors(), item.units.host_labels(),
                             item.packed, len(item.packed), report_file, out,
                             0 if out is None else len(out))


def _lines_through_file(item: PreparedItem) -> Optional[List[Line]]:
    """The report of an item too long for the capture block (it keeps 500
    lines), run again into a new temporary file of this process."""
    fd, path = tempfile.mkstemp(prefix="txappendix14-", suffix=".txt")
    os.close(fd)
    try:
        name = os.fsencode(path)
        if not _usable_report_name(name):
            return None
        with Context() as ctx:
            _run(ctx._lib, ctx._live_handle(), item, None, name)
        with open(path, "rb") as f:
            lines = _file_lines(f.read())
    finally:
        os.unlink(path)
    return lines if len(lines) >= CAPTURE_RECORDS else None


def _report_lines(item: PreparedItem, data: bytes, at: int, count: int) -> List[Line]:
    lines = _decoded_lines(data, at, count)
    if count >= CAPTURE_RECORDS:
        lines = _lines_through_file(item) or lines
    return lines


def _result(item: PreparedItem, data: bytes) -> Result:
    """The Result of an item's output of tx14_item_run; ValueError for an
    item that did not run."""
    (item_errors, input_errors, verdict, value_count, check_count, line_count, results_at,
     values_at, checks_at, lines_at, reason_count, note_count, notes_at) = _HEAD.unpack_from(data)
    if item_errors:
        raise ValueError("; ".join(_messages(data[_HEAD.size:].split(b"\0", 1)[0])))
    _, warnings, governing, _ = data[_HEAD.size:results_at].split(b"\0")
    keys = item.keys
    shown = _results_of(len(keys.results)).unpack_from(data, results_at)
    reasons, notes = _decoded_notes(data, notes_at, lines_at, reason_count, note_count)
    return Result._of({
        "kind": keys.name, "code": item.code, "units": item.units.name, "item": item.number,
        "errors": input_errors,
        "results": {r.name: None if v != v else v for r, v in zip(keys.results, shown)},
        "result_units": dict(item.units.result_labels(keys)),
        "lines": LazySequence(_decoded_lines, data, lines_at, line_count)
        if line_count < CAPTURE_RECORDS else _report_lines(item, data, lines_at, line_count),
        "description": item.description, "verdict": _VERDICTS[verdict],
        "governing": governing.decode() or None,
        "values": LazyMapping(_decoded_values, data, values_at, checks_at, value_count),
        "checks": LazySequence(_decoded_checks, data, checks_at, notes_at, check_count),
        "reasons": reasons, "notes": notes,
        "warnings": _messages(warnings) if warnings else []})


_RESULTS: Dict[int, struct.Struct] = {}  # the doubles of a kind's results, by their number


def _results_of(count: int) -> struct.Struct:
    if count not in _RESULTS:
        _RESULTS[count] = struct.Struct("=%dd" % count)
    return _RESULTS[count]


class Context:
    """A run state of the library: one item at a time, so use one per
    thread. close() (or a with block) releases it."""

    def __init__(self):
        self._handle = None
        self._lib = library()
        self._out = ctypes.create_string_buffer(OUTPUT_SIZE)
        self._ends = (ctypes.c_int32 * BATCH)()
        self._handle = self._lib.tx14_context_create()
        if not self._handle:
            raise MemoryError("the library could not create a context")

    def close(self) -> None:
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
        return self._run_prepared(prepare(item, units, None, plain))

    def _run_prepared(self, item: PreparedItem) -> Result:
        handle = self._live_handle()
        needed = _run(self._lib, handle, item, self._out)
        if needed > len(self._out):
            self._out = ctypes.create_string_buffer(needed)
            needed = _run(self._lib, handle, item, self._out)
        return _result(item, ctypes.string_at(self._out, needed))

    def _run_batch(self, batch: "Batch", bad_items: list, run: bool = True) -> List[bytes]:
        """The outputs of the batch's items, in calls of the library that take
        several at once; (index among all items, message) in bad_items for
        each item refused. With `run` false, the items are only checked."""
        handle = self._live_handle() if run else None
        if len(self._out) < BATCH_ROOM:
            self._out = ctypes.create_string_buffer(BATCH_ROOM)
        outputs: List[bytes] = []
        while len(outputs) < len(batch.items):
            start = len(outputs)
            done = self._lib.tx14_items_run(handle, len(batch.items) - start, *batch.arguments(start),
                                            self._out, len(self._out), self._ends)
            if done == 0:
                self._out = ctypes.create_string_buffer(self._ends[0])
                continue
            base, at = ctypes.addressof(self._out), 0
            for i in range(start, start + done):
                end = self._ends[i - start]
                output = ctypes.string_at(base + at, end - at)  # each its own, kept by its Result
                if _HEAD.unpack_from(output)[0]:
                    try:
                        _result(batch.items[i], output)  # raises with the item's errors
                    except ValueError as e:
                        bad_items.append((batch.first + i, str(e)))
                outputs.append(output)
                at = end
        return outputs


class Batch:
    """Prepared items as tx14_items_run takes them: arrays of the addresses
    of each item's factors, labels and packed item, and of its size. `first`
    is the index of the first among all items."""

    def __init__(self, items: List[PreparedItem], first: int = 0):
        n = len(items)
        self.items = items
        self.first = first
        self._factor_arrays = [p.units.item_factors() for p in items]  # alive while passed by address
        self._factors = (ctypes.c_void_p * n)(*[ctypes.addressof(f) for f in self._factor_arrays])
        self._labels = (ctypes.c_char_p * n)(*[p.units.host_labels() for p in items])
        self._packed = (ctypes.c_char_p * n)(*[p.packed for p in items])
        self._sizes = (ctypes.c_int32 * n)(*[len(p.packed) for p in items])

    def arguments(self, start: int) -> tuple:
        """The four arrays from the batch's item `start` on, as addresses."""
        pointer = ctypes.sizeof(ctypes.c_void_p)
        return tuple(ctypes.addressof(a) + start * size for a, size in (
            (self._factors, pointer), (self._labels, pointer), (self._packed, pointer),
            (self._sizes, 4)))
