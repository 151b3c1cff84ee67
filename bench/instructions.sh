#!/bin/sh
# Instructions per analysis call, counted by callgrind: for each item, one
# call through the host's arrays (LGCENTER's run sequence) and one through
# the typed entry (an Item in, an Outcome kept from call to call), each
# after a first call on the same context. Deterministic, unlike timings.
# Usage: bench/instructions.sh [BUILD_DIR] [ITEM...]
# (build dir default build/default; items default "opening jacket-1").
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/default}"
[ $# -gt 0 ] && shift
driver="$build/bench/tx14_instruction_count"
if [ ! -x "$driver" ]; then
    echo "missing $driver: build the default preset first" >&2
    exit 1
fi
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }
[ $# -eq 0 ] && set -- opening jacket-1

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT INT TERM

# Instructions of CALLS calls of an item by one door: "call" (the host's
# arrays, tx14_measured_call) or "entry" (tx14_measured_entry).
count() {
    cg="$out/cg.$1.$2.$3"
    if ! valgrind --tool=callgrind --collect-atstart=no --toggle-collect="tx14_measured_$3" \
        --callgrind-out-file="$cg" "$driver" "$1" "$2" "$3" >/dev/null 2>"$out/log" ||
        ! grep -q '^summary:' "$cg" 2>/dev/null; then
        # e.g. debug information valgrind cannot read (clang's DWARF 5)
        tail -5 "$out/log" >&2
        echo "callgrind failed on $1 ($3)" >&2
        exit 1
    fi
    sed -n 's/^summary: *//p' "$cg"
}

# One call's count; two calls cost twice one call exactly when nothing is
# left over from a call to the next, and a difference is noted.
per_call() {
    one="$(count "$1" 1 "$2")" || exit 1
    two="$(count "$1" 2 "$2")" || exit 1
    [ "$two" -eq $((2 * one)) ] || echo "note: $1 ($2): 2 calls = $two, not 2 x $one" >&2
    echo "$one"
}

printf '%-14s %12s %12s\n' item host entry
for item in "$@"; do
    host="$(per_call "$item" call)" || exit 1
    entry="$(per_call "$item" entry)" || exit 1
    printf '%-14s %12s %12s\n' "$item" "$host" "$entry"
done
