#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets (one folder per target) with
# the seed maker of the fuzz build. Usage: fuzz/make-seeds.sh [folder]
# (default build/fuzz/seeds).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build/fuzz
out=${1:-$build/seeds}
[ -f "$build/CMakeCache.txt" ] || cmake --preset fuzz >/dev/null
cmake --build "$build" --target make_fuzz_seeds >/dev/null
rm -rf "$out"
mkdir -p "$out"
"$build/fuzz/make_fuzz_seeds" "$out"
echo "seeds in $out: $(find "$out" -type f | wc -l) files"
