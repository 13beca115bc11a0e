#!/usr/bin/env bash
# A long fuzzing campaign of the platform-free core: every fuzz target (or
# the ones named as arguments) runs for FUZZ_SECONDS seconds (default 600),
# or FUZZ_RUNS executions when that is set, on FUZZ_JOBS parallel jobs
# (default 1). Inputs found are kept in build-native/fuzz-corpus/<target>/
# and carried over to the next campaign; crashes land in
# build-native/fuzz-artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${NATIVE_BUILD_DIR:-$root/build-native}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DZP_NATIVE_CORE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
fi
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets <"$build/fuzz_targets.txt"; fi
if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); else limit=(-max_total_time="${FUZZ_SECONDS:-600}"); fi
jobs="${FUZZ_JOBS:-1}"
mkdir -p "$build/fuzz-artifacts"
cd "$build"  # libFuzzer writes the jobs' logs (fuzz-N.log) here
status=0
for target in "${targets[@]}"; do
  [ -n "$target" ] || continue
  corpus="$build/fuzz-corpus/$target"
  mkdir -p "$corpus"
  echo "fuzz: $target"
  if ! "$build/bin/fuzz_$target" "${limit[@]}" -jobs="$jobs" -workers="$jobs" -print_final_stats=1 \
      -artifact_prefix="$build/fuzz-artifacts/$target-" \
      "$corpus" "$root/tests/fuzz/corpus/$target"; then
    echo "fuzz: $target FAILED" >&2
    status=1
  fi
done
exit $status
