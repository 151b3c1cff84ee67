"""TXAppendix14 from Python: run large-opening and half-pipe jacket items
through the calculation library and read their results and reports.

    import txappendix14
    r = txappendix14.analyse({"kind": "opening", "code": "VIII-1", "P": 100.0, ...})
    print(r.mawp, r.result_units["mawp"], r.errors)
    print(r.text())

Items are mappings with the keys of the tx14 item files, values in the
item's units ("US", "SI", a unit file or a Units object). The library is
the one named by the environment variable TXAPPENDIX14_LIBRARY, else the one
installed with this package, else the one on the system's library path.
"""

import os
import threading
from typing import Iterable, List, Mapping, Optional, Tuple

from ._item import prepare
from ._library import ENVIRONMENT_VARIABLE, LibraryNotFoundError, library
from .context import BATCH, Batch, Context
from .result import Check, Line, Result, Value
from .units import SI, US, Units, UnitsSpec, load_unit_file

try:
    from ._version import __version__  # written by the build backend
except ImportError:  # the source tree, not installed
    __version__ = "unknown"

__all__ = ["analyse", "analyse_many", "library_version", "Context", "Result", "Value", "Check", "Line",
           "Units", "US", "SI", "load_unit_file", "LibraryNotFoundError", "ENVIRONMENT_VARIABLE"]


def library_version() -> str:
    """The version of the shared library in use (loading it if need be)."""
    return library().tx14_version().decode("ascii")


_per_thread = threading.local()  # a context each thread keeps for analyse()


def analyse(item: Mapping, units: UnitsSpec = "US", plain: bool = False) -> Result:
    """Runs one item and returns its Result. `units` applies when the item has
    no `units` key; `plain` turns the report's special characters into plain
    text (d^(2) for d squared). Bad input raises ValueError naming the key."""
    ctx = getattr(_per_thread, "context", None)
    if ctx is None:
        ctx = _per_thread.context = Context()
    return ctx.analyse(item, units, plain)


def analyse_many(items: Iterable[Mapping], threads: Optional[int] = None,
                 units: UnitsSpec = "US", plain: bool = False) -> List[Result]:
    """Runs the items on `threads` threads (default: one per processor), one
    context each, and returns their results in the order of the items. Every
    item is checked before any runs; ValueError names the item (from 0) and
    the key."""
    cache = {}
    prepared = []
    fault = None
    for index, item in enumerate(items):
        try:
            prepared.append(prepare(item, units, cache, plain))
        except ValueError as e:
            fault = "item %d: %s" % (index, e)
            break
    if fault is None and threads is not None and (
            isinstance(threads, bool) or not isinstance(threads, int) or threads < 1):
        raise ValueError("threads: expected a whole number of at least 1, found %r" % (threads,))
    threads = 1 if fault else max(1, min(threads or os.cpu_count() or 1, len(prepared)))
    results: List[Optional[Result]] = [None] * len(prepared)
    bad_items: List[Tuple[int, str]] = []
    batch = Batch(prepared)
    for run in (None, results):  # every item checked by the item core, then run
        _on_threads(threads, lambda ctx, start: ctx._run_batch(
            batch, start, min(start + BATCH, len(prepared)), run, bad_items),
            range(0, len(prepared), BATCH), bad_items)
        if bad_items:  # every batch before the first bad item's was taken, and done
            raise ValueError("item %d: %s" % min(bad_items))
        if fault:
            raise ValueError(fault)
    return results  # type: ignore[return-value]


def _on_threads(threads: int, work, starts, bad_items: list) -> None:
    """work(context, start) for each start, on `threads` threads with a
    context each, until a bad item turns up."""
    failures: List[BaseException] = []
    lock = threading.Lock()
    starts = iter(starts)

    def worker() -> None:
        try:
            with Context() as ctx:
                while not failures and not bad_items:
                    with lock:
                        start = next(starts, None)
                    if start is None:
                        return
                    work(ctx, start)
        except BaseException as e:  # handed to the caller's thread
            failures.append(e)

    pool = [threading.Thread(target=worker, name="txappendix14-%d" % n) for n in range(threads)]
    for t in pool:
        t.start()
    for t in pool:
        t.join()
    if failures:
        raise failures[0]
