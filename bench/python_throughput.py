"""Items per second of the Python package over the mix of the example item
files: `analyse` one item after another on one thread, and `analyse_many`
on one and on two threads (64 items per call of the library), without and
with reading each result's verdict (which decodes that field). Usage (after
building the default preset):

    TXAPPENDIX14_LIBRARY=build/default/applications/Appendix14/libtxappendix14.so \\
        PYTHONPATH=python python3 bench/python_throughput.py [ITEMS [once]]

`once` analyses the items once, untimed: the instructions per item are the
difference of two such runs under callgrind divided by that of their ITEMS.
"""
import glob
import os
import statistics
import sys
import time
import tomllib

import txappendix14

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")


def example_items():
    items = []
    for path in sorted(glob.glob(os.path.join(EXAMPLES, "*.toml"))):
        with open(path, "rb") as f:
            item = tomllib.load(f)
        if "kind" in item:
            if isinstance(item.get("units"), str) and item["units"].endswith(".toml"):
                item["units"] = os.path.join(EXAMPLES, item["units"])
            items.append(item)
    return items


def rates(runs, items, repeats=5):
    """Items per second of each of `runs` over `items`, `repeats` times in
    turn (so that a change of the machine's load touches each alike): the
    median and best of each, and the median of each round's ratio to the
    run before it."""
    rates = [[] for _ in runs]
    for _ in range(repeats):
        for run, rate in zip(runs, rates):
            start = time.perf_counter()
            run(items)
            rate.append(len(items) / (time.perf_counter() - start))
    return [(statistics.median(r), max(r), statistics.median(x / y for x, y in zip(r, rates[max(0, n - 1)])))
            for n, r in enumerate(rates)]


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 20000
    mix = example_items()
    items = [mix[i % len(mix)] for i in range(n)]
    if sys.argv[2:] == ["once"]:  # one pass, untimed, for an instruction count
        [txappendix14.analyse(x) for x in items]
        return
    one, many, two, read_one, read_two = rates((
        lambda xs: [txappendix14.analyse(x) for x in xs],
        lambda xs: txappendix14.analyse_many(xs, threads=1),
        lambda xs: txappendix14.analyse_many(xs, threads=2),
        lambda xs: [r.verdict for r in txappendix14.analyse_many(xs, threads=1)],  # a sweep's use: a field
        lambda xs: [r.verdict for r in txappendix14.analyse_many(xs, threads=2)]), items)  # of each read
    print("items in the mix: %d (%s)" % (len(mix), ", ".join(str(x.get("description")) for x in mix)))
    print("median (best) of 5 runs of %d items, the five taken in turn" % n)
    print("analyse, one thread:       %8.0f items/s (%.0f)" % one[:2])
    print("analyse_many, one thread:  %8.0f items/s (%.0f) (x%.2f analyse)" % many)
    print("analyse_many, two threads: %8.0f items/s (%.0f) (x%.2f one thread; each the median of the runs' ratios)"
          % two)
    print("the same, each r.verdict read:")
    print("analyse_many, one thread:  %8.0f items/s (%.0f)" % read_one[:2])
    print("analyse_many, two threads: %8.0f items/s (%.0f) (x%.2f one thread)" % read_two)


if __name__ == "__main__":
    main()
