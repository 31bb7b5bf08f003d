#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target on its seed corpus for
# a while (60 seconds each by default); fails on the first crash, leak,
# hang or property violation and keeps the input in build/fuzz/artifacts.
# Usage: fuzz/smoke.sh [seconds per target] [target ...]
# FUZZ_RUNS=N also ends each target after N executions (long runs).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(jpeg tiff raw ini logrecord convert stack)
if [ $# -gt 1 ]; then
  shift
  targets=("$@")
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target $(printf 'fuzz_%s ' "${targets[@]}") make_fuzz_seeds
build=$PWD/build/fuzz
bash fuzz/make-seeds.sh "$build/seeds"
mkdir -p "$build/artifacts" "$build/logs"

# The settings store syncs every write: a memory-backed scratch folder
# keeps the runs fast.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

max_len() {
  case $1 in
    jpeg | tiff | raw) echo 65536 ;;
    stack) echo 131072 ;;
    ini) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

dict_of() {
  case $1 in
    jpeg | tiff | ini | logrecord) echo "-dict=$PWD/fuzz/$1.dict" ;;
    raw | stack) echo "-dict=$PWD/fuzz/tiff.dict" ;;
  esac
}

for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  log=$build/logs/$target.log
  mkdir -p "$corpus"
  # Absolute paths: the stack target's application object changes the
  # current folder at start-up.
  if ! nice -n 19 "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" -rss_limit_mb=2048 \
    -max_len="$(max_len "$target")" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" $(dict_of "$target") \
    "$corpus" "$build/seeds/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz smoke: fuzz_$target failed, see $log and $build/artifacts" >&2
    exit 1
  fi
  echo "fuzz_$target: $(grep -o 'number_of_executed_units: [0-9]*' "$log" | cut -d' ' -f2) executions"
done
