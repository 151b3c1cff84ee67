"""A context of the library: a batch of its typed entry, so that items can
run on several threads at once (one context per thread). Items go in as
JSON, many per call; a Result reads its outcome's summary at once and the
rest when first used."""

import decimal
import json
import math
import numbers
import os
import threading
from collections.abc import Mapping
from typing import Any, Dict, List, Optional, Sequence, Tuple, Union

from ._library import (NO_REPORT, OUTCOME_CHECKS, OUTCOME_REPORT, OUTCOME_SUMMARY, OUTCOME_VALUES,
                       PLAIN, key_tables, library)
from .result import Check, LazyMapping, LazySequence, Line, Note, Result, Value
from .units import Units, UnitsSpec, resolve

BATCH = 64  # items per call of the library: the interpreter lock changes hands once per call or so

# Brackets past this many in an item's JSON may nest deeper than the library
# reads (64 levels): its values are then written flat.
_BRACKETS = 32


def _plain(value: Any) -> Any:
    """A value json cannot write, as the JSON value of its kind: numbers of
    other libraries as numbers, anything else as an empty object or array
    (the library takes numbers and texts and names the type of the rest)."""
    if isinstance(value, numbers.Integral):
        return int(value)
    if isinstance(value, (numbers.Real, decimal.Decimal)):
        try:
            return float(value)
        except OverflowError:  # not finite, which the library refuses
            return math.inf if value > 0 else -math.inf
    if isinstance(value, (list, tuple, set, frozenset)):
        return []
    return {}


def _flat(value: Any) -> Any:
    """A value of an item as its JSON kind alone, for an item whose JSON the
    library could not read: its keys take numbers and texts only."""
    if value is None or isinstance(value, (bool, float, str)):
        return value
    if isinstance(value, numbers.Integral):
        whole = int(value)
        return whole if abs(whole) < 10 ** 308 else math.inf if whole > 0 else -math.inf  # not finite
    return _plain(value)


_dumps = json.JSONEncoder(ensure_ascii=False, separators=(",", ":"), default=_plain).encode


def _with_units(item: Dict, units: Optional[str]) -> str:
    """The item's JSON, its `units` replaced by the given JSON text, if any."""
    if units is None:
        return _dumps(item)
    rest = {k: v for k, v in item.items() if k != "units"} if "units" in item else item
    text = _dumps(rest)
    return text[:-1] + ("," if rest else "") + '"units":' + units + "}"


def _not_given(value: Any) -> bool:
    return value is None or (isinstance(value, float) and value != value)


class Encoder:
    """Items as the library's JSON, each in its own units, else in `units`.
    A unit file goes in with its contents, read once per cache (no cache:
    read at each use, parsed again when it changed)."""

    def __init__(self, units: UnitsSpec, cache: "Optional[Dict[str, Units]]" = None):
        self._units = units
        self._default: Optional[str] = None
        self._cache = cache

    def _units_json(self, given: Any) -> str:
        try:
            return resolve(given, self._cache).item_json()
        except ValueError as e:
            raise ValueError('key "units": %s' % e) from None

    def encode(self, item: Mapping) -> bytes:
        if type(item) is not dict:
            if not isinstance(item, Mapping):
                raise TypeError("an item is a mapping of keys to values, not %s" % type(item).__name__)
            item = dict(item)
        units = item.get("units")
        if type(units) is str and (units == "US" or units == "SI"):
            given = None  # as it is
        elif _not_given(units):
            if self._default is None:
                self._default = self._units_json(self._units)
            given = self._default
        elif isinstance(units, (str, os.PathLike, Units)):
            given = self._units_json(units)
        else:
            given = None  # the library names its type
        try:
            text = _with_units(item, given)
        except (TypeError, ValueError, RecursionError):  # keys of other types, values within themselves
            text = None
        if text is None or text.count("[") + text.count("{") > _BRACKETS:
            text = _with_units({str(k): _flat(v) for k, v in item.items()}, given)
        return text.encode("utf-8", "surrogatepass")  # the library refuses a lone surrogate's bytes


# The numbers of values and checks are floats, whole or not.
def _values(parts: "_Parts") -> Dict[str, Value]:
    return {k: Value(v["value"], v["unit"], v["label"])
            for k, v in json.loads(parts.part(OUTCOME_VALUES), parse_int=float).items()}


def _checks(parts: "_Parts") -> List[Check]:
    return [Check(c["key"], c["label"], c["value"], c["limit"], c["unit"], c["relation"], c["passes"],
                  c["utilization"], c.get("applicable", True), c.get("reference"))
            for c in json.loads(parts.part(OUTCOME_CHECKS), parse_int=float)]


def _lines(parts: "_Parts") -> List[Line]:
    return [Line(line["text"], tuple(line["styles"])) for line in json.loads(parts.part(OUTCOME_REPORT))]


class _Parts:
    """The values, checks and report of an outcome as the library wrote
    them: kept from the run, or made when first asked for by running the
    item again (the same JSON, its unit system's contents included) on the
    asking thread's context. Each is handed out once, to be decoded."""

    def __init__(self, item: bytes, plain: bool, kept: Optional[Dict[int, bytes]] = None):
        self._item = item
        self._plain = plain
        self._kept = kept or {}

    def part(self, part: int) -> bytes:
        data = self._kept.pop(part, None)
        if data is None:
            self._kept.update(thread_context()._again(self._item, self._plain, part == OUTCOME_REPORT))
            data = self._kept.pop(part)
        return data


_decode = json.JSONDecoder().raw_decode


def _member(echo: str, name: str) -> Any:
    """A member of the echoed item, read where its name stands: in JSON a
    name in quotes before a colon is a member's (a quote inside a text is
    escaped), and the echo's inner objects hold "value" and "unit" alone.
    This spares decoding each given number's object."""
    at = echo.find('"%s":' % name)
    return None if at < 0 else _decode(echo, at + len(name) + 3)[0]


class _Sheet:
    keys: Optional[Tuple[str, ...]] = None


def _sheet(echo: str) -> Dict[str, str]:
    """The sheet texts of an echoed item."""
    if _Sheet.keys is None:
        _Sheet.keys = tuple(k["name"] for k in key_tables()["sheet"])
    given = json.loads(echo)
    return {k: given[k] for k in _Sheet.keys if k in given}


def _result(summary: Dict, echo: str, parts: _Parts) -> Result:
    return Result._of({
        "kind": summary["kind"], "code": summary["code"], "units": summary["units"],
        "item": _member(echo, "item"), "errors": summary["fatal_errors"],
        "results": {k: None if v is None else float(v) for k, v in summary["results"].items()},
        "result_units": summary["result_units"], "lines": LazySequence(_lines, parts),
        "description": _member(echo, "description") or "", "sheet": LazyMapping(_sheet, echo),
        "verdict": summary["verdict"], "governing": summary["governing"],
        "values": LazyMapping(_values, parts), "checks": LazySequence(_checks, parts),
        "warnings": summary["warnings"],
        "reasons": [Note(n["code"], n["text"]) for n in summary["reasons"]],
        "notes": [Note(n["code"], n["text"]) for n in summary["notes"]]})


def _summary(data: bytes) -> Tuple[Dict, str]:
    """An outcome's summary decoded but for the echoed item, and the echoed
    item's JSON text: the members before "item" and those from "errors" on."""
    text = data.decode("utf-8")
    at = text.index('"item":')
    cut = text.index(',"errors":')
    return json.loads(text[:at] + text[cut + 1:]), text[at + 7:cut]


def refusal(summary: Dict) -> str:
    return "; ".join(e["message"] for e in summary["errors"])


class Context:
    """A run state of the library: one call at a time, so use one per
    thread. close() (or a with block) releases it."""

    def __init__(self):
        self._batch = None
        self._lib = library()
        self._batch = self._lib.tx14_batch_create()
        if not self._batch:
            raise MemoryError("the library could not create a batch")

    def close(self) -> None:
        if self._batch:
            self._lib.tx14_batch_destroy(self._batch)
            self._batch = None

    def __enter__(self) -> "Context":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self):
        self.close()

    def _live_batch(self):
        if not self._batch:
            raise ValueError("the context is closed")
        return self._batch

    def analyse(self, item: Mapping, units: UnitsSpec = "US", plain: bool = False,
                eager: bool = False) -> Result:
        """Runs one item (see txappendix14.analyse)."""
        (outcome,) = self._run([Encoder(units).encode(item)], plain, eager)
        if isinstance(outcome, str):
            raise ValueError(outcome)
        return outcome

    def _outcome(self, i: int, part: int) -> bytes:
        data = self._lib.tx14_batch_outcome(self._batch, i, part, None)
        if data is None:
            raise MemoryError("the library could not write an outcome")
        return data

    def _call(self, items: List[bytes], flags: int) -> None:
        batch = self._live_batch()
        data = b"[" + b",".join(items) + b"]"
        count = self._lib.tx14_batch_run(batch, data, len(data), flags)
        if count != len(items):  # items that json wrote are always read
            why = self._lib.tx14_batch_error(batch).decode("utf-8", "replace")
            error = MemoryError if why == "out of memory" else RuntimeError
            raise error("the library could not run the items: " + why)

    def _run(self, items: List[bytes], plain: bool = False,
             eager: bool = False) -> List[Union[Result, str]]:
        """The Result of each item (JSON from Encoder), or the library's
        refusal of it in words. Only the summaries are read; the values,
        checks and report too when `eager`, else the item runs again when
        they are first asked for."""
        self._call(items, (PLAIN if plain else 0) | (0 if eager else NO_REPORT))
        outcomes: List[Union[Result, str]] = []
        for i, item in enumerate(items):
            summary, echo = _summary(self._outcome(i, OUTCOME_SUMMARY))
            if summary["errors"]:
                outcomes.append(refusal(summary))
                continue
            kept = {part: self._outcome(i, part) for part in _PARTS} if eager else None
            outcomes.append(_result(summary, echo, _Parts(item, plain, kept)))
        return outcomes

    def _again(self, item: bytes, plain: bool, report: bool) -> Dict[int, bytes]:
        """An item run once more: its report, or its values and checks."""
        if report:
            self._call([item], PLAIN if plain else 0)
            return {OUTCOME_REPORT: self._outcome(0, OUTCOME_REPORT)}
        self._call([item], NO_REPORT)
        return {part: self._outcome(0, part) for part in (OUTCOME_VALUES, OUTCOME_CHECKS)}


_PARTS = (OUTCOME_VALUES, OUTCOME_CHECKS, OUTCOME_REPORT)


_per_thread = threading.local()  # a context each thread keeps


def thread_context() -> Context:
    """This thread's own context, made when first asked for."""
    ctx = getattr(_per_thread, "context", None)
    if ctx is None:
        ctx = _per_thread.context = Context()
    return ctx
