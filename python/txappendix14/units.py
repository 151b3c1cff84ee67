"""Unit systems: the host's 22 factors and 23 labels, the built-in US and SI
systems (their tables come from the library), and unit files."""

import ctypes
import errno
import math
import os
import stat
from typing import Dict, Optional, Sequence, Tuple, Union

from . import _contract, _cp1252
from ._contract import FACTOR_COUNT, LABEL_COUNT, LABEL_WIDTH
from ._float32 import f32, multiply


class Units:
    """A unit system: factor n converts a value from internal units into
    display units (temperatures: T * factor 7 + factor 8); labels are texts
    of at most 10 Windows-1252 characters. US and SI take their factors and
    labels from the library when first used."""

    def __init__(self, name: str, factors: Optional[Sequence[float]] = None,
                 labels: Optional[Sequence[str]] = None):
        self.name = name
        self._factors = None if factors is None else tuple(float(f) for f in factors)
        self._labels = None if labels is None else tuple(labels)
        self._label_bytes = None
        if factors is None:
            return  # built in
        if len(self._factors) != FACTOR_COUNT or len(self._labels) != LABEL_COUNT:
            raise ValueError("a unit system has 22 factors and 23 labels")
        problems, encoded = [], []
        for slot, label in enumerate(self._labels, start=1):
            data, problem = (None, "must be a text") if not isinstance(label, str) \
                else _cp1252.encode(label)
            if data is None:
                problems.append("label %d: %s" % (slot, problem))
            encoded.append(data or b"")
        problems += _contract.unit_problems(self._factors, encoded)
        if problems:
            raise ValueError("units %s: %s" % (name, "; ".join(problems)))
        self._label_bytes = tuple(encoded)

    def _load(self) -> None:
        if self._label_bytes is None:
            factors, labels = _contract.builtin_units(self.name)
            self._factors = factors
            self._label_bytes = tuple(labels[i:i + LABEL_WIDTH].rstrip(b" ")
                                      for i in range(0, len(labels), LABEL_WIDTH))
            self._labels = tuple(_cp1252.plain_text(b) for b in self._label_bytes)

    @property
    def factors(self):
        self._load()
        return self._factors

    @property
    def labels(self):
        self._load()
        return self._labels

    def __repr__(self) -> str:
        return "Units(%r)" % self.name

    def factor(self, slot: int) -> float:
        return self.factors[slot - 1]

    def to_display(self, quantity: str, internal: float) -> float:
        """An internal single-precision value in this system, multiplied in
        single precision as the report shows it. Not for temperatures."""
        slot = _contract.slot(quantity)
        return internal if slot == 0 else multiply(internal, f32(self.factor(slot)))

    def label(self, quantity: str) -> str:
        """The label of a quantity as the report prints it: leading blanks
        removed, cut to the width of the library's slot, trailing blanks cut."""
        self._load()
        slot = _contract.slot(quantity)
        if slot == 0:
            return ""
        raw = self._label_bytes[slot - 1].lstrip(b" ")[:_contract.label_width(slot)]
        return _cp1252.plain_text(raw.rstrip(b" "))

    def item_factors(self):
        """The factors as the item core reads them (doubles): one array for
        the system's life, the same one to threads that ask at once (the
        library reads it by its address)."""
        factors = self.__dict__.get("_item_factors")
        if factors is None:
            made = (ctypes.c_double * FACTOR_COUNT)(*self.factors)
            factors = self.__dict__.setdefault("_item_factors", made)
        return factors

    def result_labels(self, keys) -> Dict[str, str]:
        """The labels of a kind's results, by result (to be copied, not changed)."""
        cache = self.__dict__.setdefault("_result_labels", {})
        if keys.name not in cache:
            cache[keys.name] = {r.name: self.label(r.quantity) for r in keys.results}
        return cache[keys.name]

    def host_labels(self) -> bytes:
        if getattr(self, "_host_labels", None) is None:
            self._load()
            self._host_labels = b"".join(label.ljust(LABEL_WIDTH, b" ") for label in self._label_bytes)
        return self._host_labels


US = Units("US")
SI = Units("SI")

UnitsSpec = Union[str, "os.PathLike[str]", Units]


def load_unit_file(path: "Union[str, os.PathLike[str]]") -> Units:
    """The unit system of a unit file (TOML): `factors`, 22 numbers, and
    `labels`, 23 texts. ValueError naming the file (and the line, where
    there is one) when it is not a regular file of at most 1 MiB, cannot be
    read, is not UTF-8 or is wrong."""
    name = os.fspath(path)
    return _units_of(name, _contents(name))


MAX_FILE_BYTES = 1 << 20  # tx14 reads no larger input file


class _Refused(Exception):
    """Why a file is not read, in tx14's words."""


def _kind_of(mode: int) -> str:
    if stat.S_ISDIR(mode):
        return "is a directory, not a file"
    if stat.S_ISFIFO(mode):
        return "is a FIFO (named pipe), not a regular file; refused"
    if stat.S_ISCHR(mode) or stat.S_ISBLK(mode):
        return "is a device, not a regular file; refused"
    return "is not a regular file; refused"


def _cannot_read(e: OSError) -> _Refused:
    if e.errno == errno.ENOENT:
        return _Refused("no such file")
    return _Refused("cannot be read: %s" % (e.strerror or e))


def _read_regular_file(name: str) -> bytes:
    """The whole of a regular file of at most MAX_FILE_BYTES, read as tx14
    reads its inputs: a FIFO would block and a device may never end, so the
    type is checked before opening (opening may act on a device) and again
    on what was opened, in case the name changed in between."""
    try:
        mode = os.stat(name).st_mode
    except OSError as e:
        raise _cannot_read(e) from None
    if not stat.S_ISREG(mode):
        raise _Refused(_kind_of(mode))
    flags = os.O_RDONLY
    for extra in ("O_NONBLOCK", "O_NOCTTY", "O_CLOEXEC", "O_BINARY"):
        flags |= getattr(os, extra, 0)
    try:
        fd = os.open(name, flags)
    except OSError as e:
        raise _cannot_read(e) from None
    try:
        st = os.fstat(fd)
        if not stat.S_ISREG(st.st_mode):
            raise _Refused(_kind_of(st.st_mode))
        if st.st_size > MAX_FILE_BYTES:
            raise _Refused("is larger than 1 MiB; refused")
        chunks, size = [], 0
        while size <= MAX_FILE_BYTES:  # stops at one byte past the limit: it grew while read
            chunk = os.read(fd, min(65536, MAX_FILE_BYTES + 1 - size))
            if not chunk:
                return b"".join(chunks)
            chunks.append(chunk)
            size += len(chunk)
        raise _Refused("is larger than 1 MiB; refused")
    except OSError as e:
        raise _cannot_read(e) from None
    finally:
        os.close(fd)


def _contents(name: str) -> bytes:
    try:
        return _read_regular_file(name)
    except _Refused as e:
        raise ValueError('"%s": expected "US", "SI" or a readable unit file (%s)' % (name, e)) from None


def _decoded(name: str, contents: bytes) -> str:
    """The text of a unit file; ValueError at the first byte that is not
    UTF-8, by line and column (in bytes, from 1)."""
    try:
        return contents.decode("utf-8")
    except UnicodeDecodeError as e:
        line = contents.count(b"\n", 0, e.start) + 1
        column = e.start - (contents.rfind(b"\n", 0, e.start) + 1) + 1
        raise ValueError("unit file %s: line %d, column %d: byte 0x%02X is not UTF-8; expected a TOML "
                         "file in UTF-8" % (name, line, column, contents[e.start])) from None


def _units_of(name: str, contents: bytes) -> Units:
    try:
        import tomllib
    except ImportError:  # Python before 3.11
        raise ValueError("unit files need Python 3.11 or later (tomllib)") from None
    text = _decoded(name, contents)
    try:
        table = tomllib.loads(text)
    except tomllib.TOMLDecodeError as e:
        raise ValueError("unit file %s: %s" % (name, e)) from None
    except RecursionError:
        raise ValueError("unit file %s: nested too deeply" % name) from None
    problems = ['unknown key "%s"; a unit file holds "factors" and "labels"' % key
                for key in table if key not in ("factors", "labels")]
    problems += ['missing key "%s"' % key for key in ("factors", "labels") if key not in table]
    factors = table.get("factors")
    labels = table.get("labels")
    if "factors" in table and not (isinstance(factors, list) and len(factors) == FACTOR_COUNT):
        problems.append('"factors" must be an array of 22 numbers')
    elif isinstance(factors, list):
        problems += ["factor %d must be a number" % slot
                     for slot, value in enumerate(factors, start=1)
                     if isinstance(value, bool) or not isinstance(value, (int, float))]
    if "labels" in table and not (isinstance(labels, list) and len(labels) == LABEL_COUNT):
        problems.append('"labels" must be an array of 23 texts')
    if problems:
        raise ValueError("unit file %s: %s" % (name, "; ".join(problems)))
    return Units(name, [_as_double(f) for f in factors], labels)


def _as_double(value) -> float:
    try:
        return float(value)
    except OverflowError:  # a whole number past the double range
        return math.inf


_read_files: "Dict[str, Tuple[bytes, Units]]" = {}


def _unit_file(name: str) -> Units:
    """A unit file, parsed again only when its contents changed since it was
    last read."""
    contents = _contents(name)
    known = _read_files.get(name)
    if known is None or known[0] != contents:
        known = _read_files[name] = (contents, _units_of(name, contents))
    return known[1]


def resolve(units: UnitsSpec, cache: "Optional[Dict[str, Units]]") -> Units:
    """"US", "SI", a unit file or a Units object; each file is read once per
    cache (no cache: once, and again when it changes)."""
    if isinstance(units, Units):
        return units
    if units == "US":
        return US
    if units == "SI":
        return SI
    if not isinstance(units, (str, os.PathLike)):
        raise ValueError('units: expected "US", "SI", a unit file or a Units object')
    name = os.fspath(units)
    if cache is None:
        return _unit_file(name)
    if name not in cache:
        cache[name] = load_unit_file(name)
    return cache[name]
