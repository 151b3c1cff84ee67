#!/bin/sh
# tx14 batch against the library call: a generated file of ROWS rows of
# examples/items.csv (default 200000), run with --jobs 1 and --jobs 2, the
# median wall-clock time of 5 runs each, and the time per item next to the
# library's capture-mode call for the same rows (tx14_batch_calls: the
# items built untimed, then only the calls timed, median of 5).
# Usage: bench/batch_throughput.sh [BUILD_DIR] [ROWS]
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/default}"
rows="${2:-200000}"
tx14="$build/applications/tx14/tx14"
calls="$build/bench/tx14_batch_calls"
[ -x "$tx14" ] || { echo "missing $tx14: build the default preset first" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT INT TERM
cp "$root"/examples/*.toml "$work/"
awk -v rows="$rows" 'NR == 1 { print; next } { line[n++] = $0 }
    END { for (i = 0; i < rows; ++i) print line[i % n] }' "$root/examples/items.csv" > "$work/items.csv"

# Median of 5 runs: wall-clock seconds and peak resident kilobytes.
median_run() {
    for run in 1 2 3 4 5; do
        /usr/bin/time -f "%e %M" -o "$work/time" "$tx14" batch --jobs "$1" "$work/items.csv" > "$work/out.csv" || true  # exit 4: some items are not acceptable
        tail -1 "$work/time"
    done | sort -n | sed -n 3p
}
set -- $(median_run 1); one=$1; rss1=$2
set -- $(median_run 2); two=$1; rss2=$2
echo "rows: $rows (examples/items.csv repeated)"
awk -v s="$one" -v r="$rows" -v k="$rss1" 'BEGIN { printf "--jobs 1: %.2f s, %.1f us per item, peak %.0f MB\n", s, s * 1e6 / r, k / 1024 }'
awk -v s="$two" -v r="$rows" -v k="$rss2" -v o="$one" 'BEGIN { printf "--jobs 2: %.2f s, %.1f us per item, peak %.0f MB, %.2fx faster\n", s, s * 1e6 / r, k / 1024, o / s }'
if [ -x "$calls" ]; then
    us="$("$calls" "$root/examples/items.csv")"  # the file's rows are these, repeated
    awk -v s="$one" -v r="$rows" -v us="$us" 'BEGIN { printf "library capture call, the same rows: %.1f us per item; --jobs 1 costs %.2fx that\n", us, s * 1e6 / r / us }'
fi
