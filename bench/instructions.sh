#!/bin/sh
# Instructions per LGCENTER call, counted by callgrind: one call of the
# end-to-end large-opening item and one of the Appendix EE jacket item,
# each after a first call on the same context. Deterministic, unlike
# timings. Usage: bench/instructions.sh [BUILD_DIR] [ITEM...]
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

# Instructions of CALLS calls of an item.
count() {
    if ! valgrind --tool=callgrind --collect-atstart=no --toggle-collect=tx14_measured_call \
        --callgrind-out-file="$out/cg.$1.$2" "$driver" "$1" "$2" >/dev/null 2>"$out/log" ||
        ! grep -q '^summary:' "$out/cg.$1.$2" 2>/dev/null; then
        # e.g. debug information valgrind cannot read (clang's DWARF 5)
        tail -5 "$out/log" >&2
        echo "callgrind failed on $1" >&2
        exit 1
    fi
    sed -n 's/^summary: *//p' "$out/cg.$1.$2"
}

printf '%-14s %14s\n' item instructions
for item in "$@"; do
    one="$(count "$item" 1)" || exit 1
    two="$(count "$item" 2)" || exit 1
    # Two calls cost twice one call exactly when nothing is left over from
    # a call to the next; a difference shows up here.
    [ "$two" -eq $((2 * one)) ] || echo "note: $item: 2 calls = $two, not 2 x $one" >&2
    printf '%-14s %14s\n' "$item" "$one"
done
