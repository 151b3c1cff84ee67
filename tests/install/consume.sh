#!/bin/sh
# Installs the build into a fresh prefix and builds against the installed
# copy only: the C host example through pkg-config, a C++ program through
# find_package. Usage: consume.sh BUILD_DIR WORK_DIR VERSION (CC, CXX honoured)
set -eu
build=$1 work=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
expect() { [ "$2" = "$3" ] || { echo "$1: '$2', expected '$3'" >&2; exit 1; }; }

rm -rf "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
expect "tx14 --version" "$("$prefix/bin/tx14" --version)" "tx14 $version"

PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name txappendix14.pc)")
export PKG_CONFIG_PATH
expect "pkg-config version" "$(pkg-config --modversion txappendix14)" "$version"
libdir=$(pkg-config --variable=libdir txappendix14)
[ -e "$libdir/libtxappendix14.so.${version%%.*}" ] || { echo "no SONAME link in $libdir" >&2; exit 1; }
# shellcheck disable=SC2046  # the flags are separate words
${CC:-cc} -o "$work/host_example" "$here/../../examples/host/host_example.c" \
    $(pkg-config --cflags --libs txappendix14)
LD_LIBRARY_PATH=$libdir "$work/host_example" | grep "M.A.W.P.: 209.151"

cmake -S "$here/cxx" -B "$work/cxx" -DCMAKE_PREFIX_PATH="$prefix" -DVERSION="$version" >/dev/null
cmake --build "$work/cxx" >/dev/null
expect "the typed entry" "$("$work/cxx/consumer")" "$version acceptable"
