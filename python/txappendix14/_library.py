"""Finding and loading the shared library, and the prototypes of the
contexts' C entry points."""

import ctypes
import ctypes.util
import os
import sys
import threading
from typing import List, Optional

ENVIRONMENT_VARIABLE = "TXAPPENDIX14_LIBRARY"

# File names of the library beside the package, by platform.
if sys.platform == "win32":
    LIBRARY_FILE_NAMES = ("TXAppendix14.dll",)
elif sys.platform == "darwin":
    LIBRARY_FILE_NAMES = ("libtxappendix14.dylib",)
else:
    LIBRARY_FILE_NAMES = ("libtxappendix14.so", "libtxappendix14.so.1")


class LibraryNotFoundError(OSError):
    """The shared library could not be loaded from any of the places tried."""


class _Loaded:
    library: Optional[ctypes.CDLL] = None
    lock = threading.Lock()


def _declare(lib: ctypes.CDLL) -> ctypes.CDLL:
    handle = ctypes.c_void_p
    prototypes = {
        "tx14_context_create": (handle, []),
        "tx14_context_destroy": (None, [handle]),
        "tx14_version": (ctypes.c_char_p, []),
        # The item contract.
        "tx14_items_kind": (ctypes.c_char_p, [ctypes.c_int]),
        "tx14_items_code": (ctypes.c_char_p, [ctypes.c_char_p, ctypes.c_int, ctypes.c_void_p]),
        "tx14_items_number_key": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_int, ctypes.c_void_p]),
        "tx14_items_text_key": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_int, ctypes.c_void_p]),
        "tx14_items_result": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_int, ctypes.c_void_p]),
        "tx14_units_slot": (ctypes.c_int, [ctypes.c_char_p]),
        "tx14_units_label_width": (ctypes.c_int, [ctypes.c_int]),
        "tx14_units_builtin": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p]),
        "tx14_units_check": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p,
                                            ctypes.c_size_t]),
        # One item built and run in one call: the lock of the interpreter
        # is let go meanwhile.
        "tx14_item_run": (ctypes.c_int32, [handle, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p,
                                           ctypes.c_int32, ctypes.c_char_p, ctypes.c_void_p,
                                           ctypes.c_int32]),
        "tx14_items_run": (ctypes.c_int32, [handle, ctypes.c_int32] + [ctypes.c_void_p] * 5
                           + [ctypes.c_int32, ctypes.c_void_p]),
    }
    for name, (restype, argtypes) in prototypes.items():
        function = getattr(lib, name)  # AttributeError: a library without contexts
        function.restype = restype
        function.argtypes = argtypes
    return lib


def _candidates() -> List[str]:
    """Where to look, in order: beside the package, then the system's search."""
    here = os.path.dirname(os.path.abspath(__file__))
    places = [os.path.join(here, name) for name in LIBRARY_FILE_NAMES]
    found = ctypes.util.find_library("txappendix14")
    if found:
        places.append(found)
    return places + [name for name in LIBRARY_FILE_NAMES if name != found]


def _load(path: str) -> ctypes.CDLL:
    try:
        return _declare(ctypes.CDLL(path))
    except AttributeError as e:
        raise OSError("it has no context entry points (%s): an older library?" % e) from None


def library() -> ctypes.CDLL:
    """The loaded library; LibraryNotFoundError when none can be loaded."""
    with _Loaded.lock:
        if _Loaded.library is None:
            _Loaded.library = _find()
        return _Loaded.library


def _find() -> ctypes.CDLL:
    chosen = os.environ.get(ENVIRONMENT_VARIABLE)
    if chosen:
        # A library named explicitly is the only one wanted.
        try:
            return _load(chosen)
        except OSError as e:
            raise LibraryNotFoundError("cannot load the TXAppendix14 library %s named by %s: %s"
                                       % (chosen, ENVIRONMENT_VARIABLE, e)) from None
    tried = ["%s (not set)" % ENVIRONMENT_VARIABLE]
    for place in _candidates():
        try:
            return _load(place)
        except OSError as e:
            tried.append("%s: %s" % (place, e))
    raise LibraryNotFoundError(
        "cannot find the TXAppendix14 shared library; set %s to its path or put it beside "
        "the package. Tried:\n  %s" % (ENVIRONMENT_VARIABLE, "\n  ".join(tried)))
