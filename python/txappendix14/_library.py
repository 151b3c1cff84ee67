"""Finding and loading the shared library, the prototypes of its typed
entry (items in and outcomes out as JSON, a batch per call) and its key
tables."""

import ctypes
import ctypes.util
import json
import os
import sys
import threading
from typing import Any, Dict, Optional

ENVIRONMENT_VARIABLE = "TXAPPENDIX14_LIBRARY"

# Flags of a run and parts of an outcome (txappendix14_entry.h).
PLAIN = 1
NO_REPORT = 2
OUTCOME_SUMMARY = 1
OUTCOME_VALUES = 2
OUTCOME_CHECKS = 3
OUTCOME_REPORT = 4

# File names of the library beside the package, by platform.
if sys.platform == "win32":
    LIBRARY_FILE_NAMES = ("TXAppendix14.dll",)
elif sys.platform == "darwin":
    LIBRARY_FILE_NAMES = ("libtxappendix14.dylib",)
else:
    LIBRARY_FILE_NAMES = ("libtxappendix14.so", "libtxappendix14.so.1")

_HANDLE = ctypes.c_void_p
_PROTOTYPES = {
    "tx14_version": (ctypes.c_char_p, []),
    "tx14_keys_json": (ctypes.c_char_p, []),
    "tx14_batch_create": (_HANDLE, []),
    "tx14_batch_destroy": (None, [_HANDLE]),
    # A batch of items in a call, and a part of all their outcomes in
    # another: the lock of the interpreter is let go meanwhile.
    "tx14_batch_run": (ctypes.c_int32, [_HANDLE, ctypes.c_char_p, ctypes.c_size_t, ctypes.c_int32]),
    "tx14_batch_outcomes": (ctypes.c_char_p, [_HANDLE, ctypes.c_int32, ctypes.c_void_p]),
    "tx14_batch_error": (ctypes.c_char_p, [_HANDLE]),
}


class LibraryNotFoundError(OSError):
    """The shared library could not be loaded from any of the places tried."""


class _Loaded:
    library: Optional[ctypes.CDLL] = None
    keys: Optional[Dict[str, Any]] = None
    lock = threading.Lock()


def _load(path: str) -> ctypes.CDLL:
    lib = ctypes.CDLL(path)
    for name, (restype, argtypes) in _PROTOTYPES.items():
        try:
            function = getattr(lib, name)
        except AttributeError as e:
            raise OSError("it has no typed entry (%s): an older library?" % e) from None
        function.restype, function.argtypes = restype, argtypes
    return lib


def _find() -> ctypes.CDLL:
    chosen = os.environ.get(ENVIRONMENT_VARIABLE)
    if chosen:  # a library named explicitly is the only one wanted
        try:
            return _load(chosen)
        except OSError as e:
            raise LibraryNotFoundError("cannot load the TXAppendix14 library %s named by %s: %s"
                                       % (chosen, ENVIRONMENT_VARIABLE, e)) from None
    # Beside the package, then the system's search.
    here = os.path.dirname(os.path.abspath(__file__))
    places = [os.path.join(here, name) for name in LIBRARY_FILE_NAMES]
    found = ctypes.util.find_library("txappendix14")
    places += ([found] if found else []) + [name for name in LIBRARY_FILE_NAMES if name != found]
    tried = ["%s (not set)" % ENVIRONMENT_VARIABLE]
    for place in places:
        try:
            return _load(place)
        except OSError as e:
            tried.append("%s: %s" % (place, e))
    raise LibraryNotFoundError(
        "cannot find the TXAppendix14 shared library; set %s to its path or put it beside "
        "the package. Tried:\n  %s" % (ENVIRONMENT_VARIABLE, "\n  ".join(tried)))


def library() -> ctypes.CDLL:
    """The loaded library; LibraryNotFoundError when none can be loaded."""
    with _Loaded.lock:
        if _Loaded.library is None:
            _Loaded.library = _find()
        return _Loaded.library


def key_tables() -> Dict[str, Any]:
    """The library's key tables: the kinds of item with their keys, the
    sheet texts, the unit slot of each quantity and the built-in unit
    systems, read once."""
    if _Loaded.keys is None:
        text = library().tx14_keys_json()
        if text is None:
            raise MemoryError("the library could not write its key tables")
        _Loaded.keys = json.loads(text)
    return _Loaded.keys
