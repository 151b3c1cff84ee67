"""Unit systems: the built-in US and SI systems (their tables come from the
library), systems of your own and unit files, read as tx14 reads them. The
library checks what a system holds."""

import errno
import json
import math
import numbers
import os
import stat
from typing import Dict, List, Optional, Sequence, Tuple, Union

from ._library import NO_REPORT, OUTCOME_SUMMARY, key_tables


def _as_double(value):
    """A number as a float (a whole number past the double range: infinite,
    which the library refuses); anything else as it is, for the library to
    refuse."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        return value
    try:
        return float(value)
    except OverflowError:
        return math.inf if value > 0 else -math.inf


class Units:
    """A unit system: factor n converts a value from internal units into
    display units (temperatures: T * factor 7 + factor 8); labels are texts
    of at most 10 Windows-1252 characters. US and SI take their factors and
    labels from the library when first used; the library checks any other
    system when it is made (ValueError saying what is wrong)."""

    def __init__(self, name: str, factors: Optional[Sequence] = None,
                 labels: Optional[Sequence] = None):
        self.name = name
        self._factors = None if factors is None else tuple(_as_double(f) for f in factors)
        self._labels = None if labels is None else tuple(labels)
        self._json = json.dumps(name)  # a built-in system goes by its name
        if factors is None and labels is None:
            return
        self._json = json.dumps({"name": name, "factors": self._factors or [], "labels": self._labels or []},
                                ensure_ascii=False, default=lambda other: {})  # the library names what is wrong
        problems = _refusals(self._json)
        if problems:
            raise ValueError("; ".join(problems))

    def _load(self) -> None:
        if self._factors is None:
            system = key_tables()["units"].get(self.name)
            if system is None:
                raise ValueError("no built-in unit system %r; expected \"US\" or \"SI\"" % self.name)
            self._factors, self._labels = tuple(system["factors"]), tuple(system["labels"])

    @property
    def factors(self) -> Tuple[float, ...]:
        self._load()
        return self._factors  # type: ignore[return-value]

    @property
    def labels(self) -> Tuple[str, ...]:
        self._load()
        return self._labels  # type: ignore[return-value]

    def factor(self, slot: int) -> float:
        return self.factors[slot - 1]

    def __repr__(self) -> str:
        return "Units(%r)" % self.name

    def item_json(self) -> str:
        """The system as an item's `units` in the library's JSON."""
        return self._json


def _refusals(units_json: str) -> List[str]:
    """What the library finds wrong with a unit system: the findings on
    "units" of an item of the first kind in it (refused anyway, it holds no
    values, so nothing runs)."""
    from .context import thread_context  # which reads units

    kind = key_tables()["kinds"][0]
    item = '{"kind":%s,"code":%s,"units":%s}' % (json.dumps(kind["name"]), json.dumps(kind["codes"][0]["name"]),
                                                  units_json)
    (summaries,) = thread_context()._call([item.encode("utf-8", "surrogatepass")], NO_REPORT, (OUTCOME_SUMMARY,))
    prefix = 'key "units": '
    return [e["message"][len(prefix):] if e["message"].startswith(prefix) else e["message"]
            for e in json.loads(summaries[0])["errors"] if e["key"] == "units"]


US = Units("US")
SI = Units("SI")

UnitsSpec = Union[str, "os.PathLike[str]", Units]

MAX_FILE_BYTES = 1 << 20  # tx14 reads no larger input file
_OPEN_FLAGS = os.O_RDONLY
for _flag in ("O_NONBLOCK", "O_NOCTTY", "O_CLOEXEC", "O_BINARY"):  # those the system has
    _OPEN_FLAGS |= getattr(os, _flag, 0)


def load_unit_file(path: "Union[str, os.PathLike[str]]") -> Units:
    """The unit system of a unit file (TOML): `factors`, 22 numbers, and
    `labels`, 23 texts. ValueError naming the file (and the line, where
    there is one) when it is not a regular file of at most 1 MiB, cannot be
    read, is not UTF-8 or is wrong."""
    name = os.fspath(path)
    return _units_of(name, _contents(name))


def _not_regular(mode: int) -> str:
    if stat.S_ISDIR(mode):
        return "is a directory, not a file"
    if stat.S_ISFIFO(mode):
        return "is a FIFO (named pipe), not a regular file; refused"
    if stat.S_ISCHR(mode) or stat.S_ISBLK(mode):
        return "is a device, not a regular file; refused"
    return "is not a regular file; refused"


def _contents(name: str) -> bytes:
    """The whole of a regular file of at most MAX_FILE_BYTES, read as tx14
    reads its inputs: a FIFO would block and a device may never end, so the
    type is checked before opening (opening may act on a device) and again
    on what was opened, in case the name changed in between."""
    def refused(why: str) -> ValueError:
        return ValueError('"%s": expected "US", "SI" or a readable unit file (%s)' % (name, why))

    fd = None
    try:
        mode = os.stat(name).st_mode
        if not stat.S_ISREG(mode):
            raise refused(_not_regular(mode))
        fd = os.open(name, _OPEN_FLAGS)
        st = os.fstat(fd)
        if not stat.S_ISREG(st.st_mode):
            raise refused(_not_regular(st.st_mode))
        data = b""
        while len(data) <= MAX_FILE_BYTES and st.st_size <= MAX_FILE_BYTES:  # one byte past: it grew while read
            chunk = os.read(fd, MAX_FILE_BYTES + 1 - len(data))
            if not chunk:
                return data
            data += chunk
        raise refused("is larger than 1 MiB; refused")
    except OSError as e:
        raise refused("no such file" if e.errno == errno.ENOENT else "cannot be read: %s" % (e.strerror or e)) from None
    finally:
        if fd is not None:
            os.close(fd)


def _units_of(name: str, contents: bytes) -> Units:
    try:
        import tomllib
    except ImportError:  # Python before 3.11
        raise ValueError("unit files need Python 3.11 or later (tomllib)") from None
    try:
        table = tomllib.loads(contents.decode("utf-8"))
    except UnicodeDecodeError as e:  # where, by line and column (in bytes, from 1)
        line = contents.count(b"\n", 0, e.start) + 1
        column = e.start - (contents.rfind(b"\n", 0, e.start) + 1) + 1
        raise ValueError("unit file %s: line %d, column %d: byte 0x%02X is not UTF-8; expected a TOML "
                         "file in UTF-8" % (name, line, column, contents[e.start])) from None
    except tomllib.TOMLDecodeError as e:
        raise ValueError("unit file %s: %s" % (name, e)) from None
    except RecursionError:
        raise ValueError("unit file %s: nested too deeply" % name) from None
    problems = ['unknown key "%s"; a unit file holds "factors" and "labels"' % key
                for key in table if key not in ("factors", "labels")]
    problems += ['missing key "%s"' % key for key in ("factors", "labels") if key not in table]
    factors, labels = table.get("factors"), table.get("labels")
    if "factors" in table and not (isinstance(factors, list) and len(factors) == 22):
        problems.append('"factors" must be an array of 22 numbers')
    elif isinstance(factors, list):
        problems += ["factor %d must be a number" % slot for slot, value in enumerate(factors, start=1)
                     if isinstance(value, bool) or not isinstance(value, (int, float))]
    if "labels" in table and not (isinstance(labels, list) and len(labels) == 23):
        problems.append('"labels" must be an array of 23 texts')
    elif isinstance(labels, list):
        problems += ["label %d must be a text" % slot for slot, value in enumerate(labels, start=1)
                     if not isinstance(value, str)]
    if problems:
        raise ValueError("unit file %s: %s" % (name, "; ".join(problems)))
    return Units(name, factors, labels)


_read_files: "Dict[str, Tuple[bytes, Units]]" = {}  # each file's contents when last read, and its system


def resolve(units: UnitsSpec, cache: "Optional[Dict[str, Units]]") -> Units:
    """"US", "SI", a unit file or a Units object. A file is read once per
    cache (no cache: at each use), and parsed again only when it changed."""
    if isinstance(units, Units):
        return units
    if units == "US" or units == "SI":
        return US if units == "US" else SI
    if not isinstance(units, (str, os.PathLike)):
        raise ValueError('units: expected "US", "SI", a unit file or a Units object')
    name = os.fspath(units)
    if cache is not None and name in cache:
        return cache[name]
    contents = _contents(name)
    known = _read_files.get(name)
    if known is None or known[0] != contents:
        known = _read_files[name] = (contents, _units_of(name, contents))
    if cache is not None:
        cache[name] = known[1]
    return known[1]
