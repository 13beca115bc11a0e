#!/usr/bin/env bash
# Builds the platform-free core with the machine's own clang under
# AddressSanitizer and UndefinedBehaviorSanitizer into build-native/ (or
# $NATIVE_BUILD_DIR), then runs its unit tests and a short run of every fuzz
# target ($ZP_FUZZ_RUNS executions each, 20000 unless set). Extra arguments
# go to ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${NATIVE_BUILD_DIR:-$root/build-native}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DZP_NATIVE_CORE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
fi
cmake "$build" -DZP_FUZZ_RUNS="${ZP_FUZZ_RUNS:-20000}" >/dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
