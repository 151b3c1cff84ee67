#!/bin/sh
# tx14 batch against the library call: a generated file of ROWS rows of
# examples/items.csv (default 200000), run with --jobs 1 and --jobs 2, the
# median wall-clock time of 5 runs each (and of --jobs 1 the median
# processor time), and the processor time per item next to the library's
# capture-mode call for the same rows (tx14_batch_calls: the items built
# untimed, then only the calls timed).
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

# Five rounds of --jobs 1, --jobs 2 and the library call alone, so that
# the load of the machine weighs alike on all three: of each run the
# wall-clock seconds, peak resident kilobytes and processor seconds.
run() {
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$tx14" batch --jobs "$1" "$work/items.csv" > "$work/out.csv" || true  # exit 4: some items are not acceptable
    tail -1 "$work/time" | awk '{ printf "%s %s %s ", $1, $2, $3 + $4 }'
}
for round in 1 2 3 4 5; do
    run 1
    run 2
    if [ -x "$calls" ]; then "$calls" "$root/examples/items.csv"; else echo 0; fi  # the file's rows are these, repeated
done > "$work/rounds"
median() { awk "{ print $1 }" "$work/rounds" | sort -g | sed -n 3p; }
one=$(median '$1'); rss1=$(median '$2'); cpu1=$(median '$3')
two=$(median '$4'); rss2=$(median '$5'); call=$(median '$7')
ratio=$(median "\$3 * 1e6 / $rows / (\$7 > 0 ? \$7 : 1)")
echo "rows: $rows (examples/items.csv repeated); medians of 5 rounds"
awk -v s="$one" -v r="$rows" -v k="$rss1" -v c="$cpu1" 'BEGIN { printf "--jobs 1: %.2f s, %.1f us per item, peak %.0f MB; processor %.1f us per item\n", s, s * 1e6 / r, k / 1024, c * 1e6 / r }'
awk -v s="$two" -v r="$rows" -v k="$rss2" -v o="$one" 'BEGIN { printf "--jobs 2: %.2f s, %.1f us per item, peak %.0f MB, %.2fx faster\n", s, s * 1e6 / r, k / 1024, o / s }'
if [ -x "$calls" ]; then
    awk -v us="$call" -v x="$ratio" 'BEGIN { printf "library capture call, the same rows: %.1f us (processor); --jobs 1 costs %.2fx that per item\n", us, x }'
fi
