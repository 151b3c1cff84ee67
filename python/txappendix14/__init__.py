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

from ._library import ENVIRONMENT_VARIABLE, LibraryNotFoundError, library
from .context import BATCH, Context, Encoder, thread_context
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


def analyse(item: Mapping, units: UnitsSpec = "US", plain: bool = False, eager: bool = False) -> Result:
    """Runs one item and returns its Result. `units` applies when the item has
    no `units` key; `plain` turns the report's special characters into plain
    text (d^(2) for d squared). The result holds the outcome's summary,
    each field decoded when first read; its values, checks and report lines
    are made by running the item again when first read, unless `eager`
    keeps them from this run. Bad input raises ValueError naming the key."""
    return thread_context().analyse(item, units, plain, eager)


def _thread_count(threads: Optional[int]) -> int:
    processors = os.cpu_count() or 1
    most = MAX_THREADS_PER_PROCESSOR * processors
    if threads is None:
        return processors
    if isinstance(threads, bool) or not isinstance(threads, int) or not 1 <= threads <= most:
        raise ValueError("threads: expected a whole number from 1 to %d (%d per processor, %d processors), "
                         "found %r" % (most, MAX_THREADS_PER_PROCESSOR, processors, threads))
    return threads


def analyse_many(items: Iterable[Mapping], threads: Optional[int] = None, units: UnitsSpec = "US",
                 plain: bool = False, eager: bool = False) -> List[Result]:
    """Runs the items on `threads` threads (default: one per processor; at
    most 4 x the number of processors), one context each, and returns their
    results in the order of the items (`units`, `plain` and `eager` as for
    analyse). When an item is refused, ValueError names the first such item
    (from 0) and the key, and no results are returned; a thread count out
    of range raises ValueError at once."""
    pool = _thread_count(threads)
    if hasattr(items, "__len__"):
        pool = max(1, min(pool, -(-len(items) // BATCH)))  # type: ignore[arg-type]
    source, encoder, lock = iter(items), Encoder(units, {}), threading.Lock()
    taken = [0]  # items written so far
    ran: Dict[int, list] = {}  # the outcomes of each batch, by its first item
    refused: List[Tuple[int, str]] = []
    stopped: list = []  # why no more items are written: the message of one the package cannot write, or an error

    def work() -> None:
        """Writes the next items (one thread at a time, in order, until one
        cannot be written), then runs them while another thread writes."""
        try:
            with Context() as ctx:
                while True:
                    with lock:
                        if stopped or refused:  # no later item can change the outcome
                            return
                        start, written = taken[0], []
                        try:
                            for item in itertools.islice(source, BATCH):
                                written.append(encoder.encode(item))
                        except ValueError as e:
                            stopped.append("item %d: %s" % (start + len(written), e))
                        taken[0] += len(written)
                    if not written:
                        return
                    outcomes = ran[start] = ctx._run(written, plain, eager)
                    refused.extend((start + i, o) for i, o in enumerate(outcomes) if isinstance(o, str))
        except BaseException as e:  # a TypeError, the iterable's own, ...: raised in the caller's thread
            stopped.append(e)

    others = [threading.Thread(target=work, name="txappendix14-%d" % n) for n in range(1, pool)]
    for t in others:
        t.start()
    work()  # the caller's thread is one of them
    for t in others:
        t.join()
    for e in stopped:
        if not isinstance(e, str):
            raise e
    if refused:  # all below the item that could not be written, if any: only written items run
        raise ValueError("item %d: %s" % min(refused))
    if stopped:
        raise ValueError(stopped[0])
    return [outcome for start in sorted(ran) for outcome in ran[start]]
