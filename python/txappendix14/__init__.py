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
from typing import Dict, Iterable, List, Mapping, Optional, Tuple

from ._item import PreparedItem, prepare
from ._library import ENVIRONMENT_VARIABLE, LibraryNotFoundError, library
from .context import BATCH, Batch, Context, _result
from .result import Check, Line, Note, Result, Value
from .units import SI, US, Units, UnitsSpec, load_unit_file

try:
    from ._version import __version__  # written by the build backend
except ImportError:  # the source tree, not installed
    __version__ = "unknown"

__all__ = ["analyse", "analyse_many", "library_version", "Context", "Result", "Value", "Check", "Note", "Line",
           "Units", "US", "SI", "load_unit_file", "LibraryNotFoundError", "ENVIRONMENT_VARIABLE"]


def library_version() -> str:
    """The version of the shared library in use (loading it if need be)."""
    return library().tx14_version().decode("ascii")


# More threads than this many per processor only wait for each other (and
# a mistaken count would start that many threads).
MAX_THREADS_PER_PROCESSOR = 4

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
    """Runs the items on `threads` threads (default: one per processor; at
    most 4 x the number of processors), one context each, and returns their
    results in the order of the items. When an item is refused, ValueError
    names the first such item (from 0) and the key, and no results are
    returned; a thread count out of range raises ValueError too."""
    processors = os.cpu_count() or 1
    most = MAX_THREADS_PER_PROCESSOR * processors
    bad_threads = threads is not None and (
        isinstance(threads, bool) or not isinstance(threads, int) or not 1 <= threads <= most)
    pool = 1 if bad_threads else threads or processors
    if hasattr(items, "__len__"):
        pool = max(1, min(pool, -(-len(items) // BATCH)))  # type: ignore[arg-type]
    source = iter(items)
    cache: dict = {}
    taken = [0]  # items packed so far
    ran: Dict[int, Tuple[List[PreparedItem], List[bytes]]] = {}  # each batch by its first item
    fault: list = []  # the first item the package refuses: its message, or what it raised
    bad_items: List[Tuple[int, str]] = []
    lock = threading.Lock()

    def pack_and_run(ctx: Context) -> bool:
        """Packs the next items (one thread at a time, in order, until an item
        is refused), then runs them while another thread packs. A run leaves
        nothing outside its context, so items run before every item is
        checked: should one be refused, the outputs are dropped."""
        with lock:
            if fault or bad_items:  # no later item can change the outcome
                return False
            start = taken[0]
            prepared: List[PreparedItem] = []
            try:
                for item in itertools.islice(source, BATCH):
                    prepared.append(prepare(item, units, cache, plain))
            except ValueError as e:
                fault.append("item %d: %s" % (start + len(prepared), e))
            except BaseException as e:  # a TypeError, or the iterable's own, raised as is
                fault.append(e)
            taken[0] += len(prepared)
        if not prepared:
            return False
        ran[start] = prepared, ctx._run_batch(Batch(prepared, start), bad_items, not bad_threads)
        return True

    _on_threads(pool, pack_and_run)
    if fault and not isinstance(fault[0], str):
        raise fault[0]
    if bad_items:  # all below the item the package refused, if any: only packed items run
        raise ValueError("item %d: %s" % min(bad_items))
    if fault:
        raise ValueError(fault[0])
    if bad_threads:
        raise ValueError("threads: expected a whole number from 1 to %d (%d per processor, %d processors), "
                         "found %r" % (most, MAX_THREADS_PER_PROCESSOR, processors, threads))
    return [_result(item, output) for start in sorted(ran) for item, output in zip(*ran[start])]


def _on_threads(threads: int, work) -> None:
    """work(context) on `threads` threads, the caller's among them, with a
    context each, until it returns False on each; what a thread raises is
    raised in the caller's."""
    failures: List[BaseException] = []

    def worker() -> None:
        try:
            with Context() as ctx:
                while not failures and work(ctx):
                    pass
        except BaseException as e:  # handed to the caller's thread
            failures.append(e)

    pool = [threading.Thread(target=worker, name="txappendix14-%d" % n) for n in range(1, threads)]
    for t in pool:
        t.start()
    worker()  # the caller's thread is one of them
    for t in pool:
        t.join()
    if failures:
        raise failures[0]
