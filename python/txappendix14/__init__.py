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

import itertools
import os
import threading
from typing import Iterable, List, Mapping, Optional, Tuple

from ._item import PreparedItem, prepare
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
    bad_threads = threads is not None and (
        isinstance(threads, bool) or not isinstance(threads, int) or threads < 1)
    pool = 1 if bad_threads else threads or os.cpu_count() or 1
    if hasattr(items, "__len__"):
        pool = max(1, min(pool, -(-len(items) // BATCH)))  # type: ignore[arg-type]
    source = iter(items)
    cache: dict = {}
    prepared: List[PreparedItem] = []
    batches: List[Batch] = []
    fault: list = []  # the first item the package refuses: its message, or what it raised
    bad_items: List[Tuple[int, str]] = []
    lock = threading.Lock()

    def prepare_and_check(ctx: Context) -> bool:
        """Prepares the next items (one thread at a time, in order, until an
        item is refused), then has the item core check them while another
        thread prepares."""
        with lock:
            if fault:
                return False
            start = len(prepared)
            try:
                for item in itertools.islice(source, BATCH):
                    prepared.append(prepare(item, units, cache, plain))
            except ValueError as e:
                fault.append("item %d: %s" % (len(prepared), e))
            except BaseException as e:  # a TypeError, or the iterable's own, raised as is
                fault.append(e)
            if len(prepared) == start:
                return False
            batch = Batch(prepared[start:], start)
            batches.append(batch)
        if min(bad_items, default=(start,))[0] >= start:  # else a lower item is known bad
            ctx._run_batch(batch, start, len(batch.items) + start, None, bad_items)
        return True

    results: List[Optional[Result]] = []
    to_run = iter(batches)

    def checked() -> None:  # on one thread, once every thread has checked
        if not (fault or bad_items or bad_threads):
            results.extend([None] * len(prepared))

    def run(ctx: Context) -> bool:
        batch = next(to_run, None) if results else None
        if batch is None or bad_items:
            return False
        ctx._run_batch(batch, batch.first, batch.first + len(batch.items), results, bad_items)
        return True

    _on_threads(pool, prepare_and_check, checked, run)
    if fault and not isinstance(fault[0], str):
        raise fault[0]
    if fault and not bad_items:
        raise ValueError(fault[0])
    if bad_threads and not fault:
        raise ValueError("threads: expected a whole number of at least 1, found %r" % (threads,))
    if bad_items:  # every item before the first bad one was checked
        raise ValueError("item %d: %s" % min(bad_items))
    return results  # type: ignore[return-value]


def _on_threads(threads: int, check, checked, run) -> None:
    """check(context) on `threads` threads with a context each until it
    returns False on each, then checked() once, then run(context) likewise."""
    failures: List[BaseException] = []
    between = threading.Barrier(threads, action=checked)

    def worker() -> None:
        try:
            with Context() as ctx:
                for phase in (check, run):
                    while not failures and phase(ctx):
                        pass
                    if phase is check:
                        between.wait()
        except threading.BrokenBarrierError:
            pass
        except BaseException as e:  # handed to the caller's thread
            failures.append(e)
            between.abort()  # no thread waits for this one

    pool = [threading.Thread(target=worker, name="txappendix14-%d" % n) for n in range(1, threads)]
    for t in pool:
        t.start()
    worker()  # the caller's thread is one of them
    for t in pool:
        t.join()
    if failures:
        raise failures[0]
