"""A context of the library: a batch of its typed entry, so that items can
run on several threads at once (one context per thread). Items go in as
JSON, many per call; the summaries of a call's outcomes come back in one
more call, and a Result decodes each of its fields when first read."""

import decimal
import json
import math
import numbers
import os
import threading
from collections.abc import Mapping
from typing import Any, Callable, Dict, List, Optional, Sequence, Tuple, Union

from ._library import (NO_REPORT, OUTCOME_CHECKS, OUTCOME_REPORT, OUTCOME_SUMMARY, OUTCOME_VALUES,
                       PLAIN, key_tables, library)
from .result import Check, Line, Note, Result, Value
from .units import Units, UnitsSpec, resolve

BATCH = 64  # items per call of the library: the interpreter lock changes hands twice per call

_BRACKETS = 32  # past this many in an item's JSON, deeper than the library reads: its values go flat


def _plain(value: Any) -> Any:
    """A value json cannot write, as the JSON value of its kind: numbers of
    other libraries as numbers (past the double range: infinite, which the
    library refuses), anything else as an empty object or array (the
    library takes numbers and texts and names the type of the rest)."""
    if isinstance(value, numbers.Integral):
        whole = int(value)
        return whole if abs(whole) < 10 ** 308 else math.inf if whole > 0 else -math.inf
    if isinstance(value, (numbers.Real, decimal.Decimal)):
        try:
            return float(value)
        except OverflowError:
            return math.inf if value > 0 else -math.inf
    return [] if isinstance(value, (list, tuple, set, frozenset)) else {}


try:  # the C encoder alone: JSONEncoder.encode would make one at each call
    from json.encoder import c_make_encoder as _make, encode_basestring as _text  # type: ignore[attr-defined]

    # No check of values within themselves: they recurse until RecursionError.
    _encoder = _make(None, _plain, _text, None, ":", ",", False, False, True)

    def _dumps(value: Any) -> str:
        return "".join(_encoder(value, 0))
except (ImportError, TypeError):  # no C encoder
    _dumps = json.JSONEncoder(ensure_ascii=False, separators=(",", ":"), default=_plain).encode


def _with_units(item: Dict, units: Optional[str]) -> str:
    """The item's JSON, its `units` replaced by the given JSON text, if any."""
    if units is None:
        return _dumps(item)
    rest = {k: v for k, v in item.items() if k != "units"} if "units" in item else item
    return _dumps(rest)[:-1] + ("," if rest else "") + '"units":' + units + "}"


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
        elif units is None or (isinstance(units, float) and units != units):  # not given
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
        if text is None or text.count("[") + text.count("{") > _BRACKETS:  # each value as its JSON kind alone
            text = _with_units({str(k): v if v is None or isinstance(v, (bool, float, str)) else _plain(v)
                                for k, v in item.items()}, given)
        return text.encode("utf-8", "surrogatepass")  # the library refuses a lone surrogate's bytes


_decode = json.JSONDecoder().raw_decode


class _Outcome:
    """An item's outcome as the library wrote it, each field of its Result
    read when first asked for: the summary's members where they stand (in
    JSON a name in quotes before a colon is a member's, a quote inside a
    text being escaped; the echoed item's inner objects hold "value" and
    "unit" alone), the values, checks and report kept from the run or made
    by running the item again (the same JSON, its unit system's contents
    included) on the asking thread's context, each handed out once."""

    __slots__ = ("_summary", "_item", "_plain", "_kept")

    def __init__(self, summary: bytes, item: bytes, plain: bool, kept: Optional[Dict[int, bytes]]):
        self._summary, self._item, self._plain, self._kept = summary, item, plain, kept or {}

    def _text(self) -> str:
        if type(self._summary) is bytes:
            self._summary = self._summary.decode("utf-8")
        return self._summary  # type: ignore[return-value]

    def _echo(self) -> Tuple[int, int]:
        text = self._text()
        return text.index('"item":') + 7, text.index(',"errors":')

    def member(self, name: str, echoed: bool = False) -> Any:
        """A member of the summary, or of the echoed item."""
        text = self._text()
        start, end = self._echo() if echoed else (0, len(text))
        at = text.find('"%s":' % name, start, end)
        return None if at < 0 else _decode(text, at + len(name) + 3)[0]

    def part(self, part: int) -> bytes:
        data = self._kept.pop(part, None)
        if data is None:
            self._kept.update(thread_context()._again(self._item, self._plain, part == OUTCOME_REPORT))
            data = self._kept.pop(part)
        return data

    def field(self, name: str) -> Any:
        convert = _CONVERT.get(name)
        return convert(self.member) if convert else _READ[name](self) if name in _READ else self.member(name)

    def summary(self) -> Dict[str, Any]:
        """The summary's fields at once, but those of the echoed item: for a
        caller about to read them all, cheaper than one by one."""
        text, (start, end) = self._text(), self._echo()
        s = json.loads(text[:start - 7] + text[end + 1:])
        return {name: _CONVERT[name](s.__getitem__) if name in _CONVERT else s[name] for name in _SUMMARY}


def _sheet(outcome: _Outcome) -> Dict[str, str]:
    start, end = outcome._echo()
    given = json.loads(outcome._text()[start:end])
    return {k["name"]: given[k["name"]] for k in key_tables()["sheet"] if k["name"] in given}


# The fields of a Result read from the summary's members (by a function
# that gives a member by its name) other than as the member of their name.
_CONVERT: Dict[str, Callable[[Callable[[str], Any]], Any]] = {
    "errors": lambda member: member("fatal_errors"),
    "results": lambda member: {k: None if v is None else float(v) for k, v in member("results").items()},
    "reasons": lambda member: [Note(n["code"], n["text"]) for n in member("reasons")],
    "notes": lambda member: [Note(n["code"], n["text"]) for n in member("notes")],
}
_SUMMARY = ("kind", "code", "units", "errors", "results", "result_units", "verdict", "governing", "warnings",
            "reasons", "notes")

# The fields read otherwise: from the echoed item, or the values, checks and
# report (their numbers floats, whole or not).
_READ: Dict[str, Callable[[_Outcome], Any]] = {
    "item": lambda o: o.member("item", True),
    "description": lambda o: o.member("description", True) or "",
    "sheet": _sheet,
    "values": lambda o: {k: Value(v["value"], v["unit"], v["label"])
                         for k, v in json.loads(o.part(OUTCOME_VALUES), parse_int=float).items()},
    "checks": lambda o: [Check(c["key"], c["label"], c["value"], c["limit"], c["unit"], c["relation"],
                               c["passes"], c["utilization"], c.get("applicable", True), c.get("reference"))
                         for c in json.loads(o.part(OUTCOME_CHECKS), parse_int=float)],
    "lines": lambda o: [Line(line["text"], tuple(line["styles"])) for line in json.loads(o.part(OUTCOME_REPORT))],
}


_PARTS = (OUTCOME_VALUES, OUTCOME_CHECKS, OUTCOME_REPORT)


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

    def analyse(self, item: Mapping, units: UnitsSpec = "US", plain: bool = False,
                eager: bool = False) -> Result:
        """Runs one item (see txappendix14.analyse)."""
        (outcome,) = self._run([Encoder(units).encode(item)], plain, eager)
        if isinstance(outcome, str):
            raise ValueError(outcome)
        return outcome

    def _call(self, items: List[bytes], flags: int, parts: Sequence[int]) -> List[List[bytes]]:
        """Runs the items; the JSON of each outcome's given parts, by part."""
        if not self._batch:
            raise ValueError("the context is closed")
        data = b"[" + b",".join(items) + b"]"
        count = self._lib.tx14_batch_run(self._batch, data, len(data), flags)
        if count != len(items):  # items that json wrote are always read
            why = self._lib.tx14_batch_error(self._batch).decode("utf-8", "replace")
            raise (MemoryError if why == "out of memory" else RuntimeError)(
                "the library could not run the items: " + why)
        written = [self._lib.tx14_batch_outcomes(self._batch, part, None) for part in parts]
        if None in written:
            raise MemoryError("the library could not write the outcomes")
        return [lines.split(b"\n") for lines in written]  # one more, empty, after the last

    def _run(self, items: List[bytes], plain: bool = False,
             eager: bool = False) -> List[Union[Result, str]]:
        """The Result of each item (JSON from Encoder), or the library's
        refusal of it in words. The values, checks and report are kept when
        `eager`, else the item runs again when they are first asked for."""
        summaries, *kept = self._call(items, (PLAIN if plain else 0) | (0 if eager else NO_REPORT),
                                      (OUTCOME_SUMMARY,) + (_PARTS if eager else ()))
        each = [dict(zip(_PARTS, parts)) for parts in zip(*kept)] if eager else [None] * len(items)
        return [Result._pending(_Outcome(summary, item, plain, parts)) if b',"errors":[],' in summary
                else "; ".join(e["message"] for e in json.loads(summary)["errors"])
                for item, summary, parts in zip(items, summaries, each)]

    def _again(self, item: bytes, plain: bool, report: bool) -> Dict[int, bytes]:
        """An item run once more: its report, or its values and checks."""
        parts = (OUTCOME_REPORT,) if report else (OUTCOME_VALUES, OUTCOME_CHECKS)
        written = self._call([item], (PLAIN if plain else 0) if report else NO_REPORT, parts)
        return {part: lines[0] for part, lines in zip(parts, written)}


_per_thread = threading.local()  # a context each thread keeps


def thread_context() -> Context:
    """This thread's own context, made when first asked for."""
    ctx = getattr(_per_thread, "context", None)
    if ctx is None:
        ctx = _per_thread.context = Context()
    return ctx
