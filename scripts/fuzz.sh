#!/usr/bin/env bash
# A fuzzing campaign of the platform-free core, built with ASan and UBSan by
# the native configuration: every fuzz target (or the ones named as
# arguments) runs FUZZ_RUNS executions (default 1000000) or FUZZ_SECONDS
# seconds (default 600), whichever comes first. FUZZ_JOBS targets run at a
# time (default 1).
#
# Each target starts from its committed corpus, tests/fuzz/corpus/<target>/,
# and from build-native/fuzz-corpus/<target>/, where new inputs land. After
# the run, the inputs that reach code the committed corpus does not are
# merged into it (-merge=1), so it stays small; FUZZ_KEEP_CORPUS=0 leaves it
# alone. Crashes land in build-native/fuzz-artifacts/.
#
# One summary line per target goes to stdout and to FUZZ_SUMMARY
# (default build-native/fuzz-summary.txt):
#   <target> executions=<n> seconds=<s> findings=<n> corpus_files=<n> corpus_bytes=<n>
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

runs="${FUZZ_RUNS:-1000000}"
seconds="${FUZZ_SECONDS:-600}"
jobs="${FUZZ_JOBS:-1}"
keep="${FUZZ_KEEP_CORPUS:-1}"
summary=$(realpath -m "${FUZZ_SUMMARY:-$build/fuzz-summary.txt}")
logs="$build/fuzz-logs"
artifacts="$build/fuzz-artifacts"
mkdir -p "$logs" "$artifacts"

# Runs one target and prints its summary line; the log keeps libFuzzer's
# own output. Findings are the crash, leak, timeout and out-of-memory
# inputs the run wrote.
fuzz_one() {
  local target=$1
  local binary="$build/bin/fuzz_$target"
  local work="$build/fuzz-corpus/$target" committed="$root/tests/fuzz/corpus/$target"
  local log="$logs/$target.log"
  mkdir -p "$work" "$committed"
  rm -f "$artifacts/$target-"*
  local start end status=0
  start=$(date +%s.%N)
  "$binary" -runs="$runs" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$work" "$committed" >"$log" 2>&1 || status=$?
  end=$(date +%s.%N)
  local executions findings
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  findings=$(find "$artifacts" -maxdepth 1 -name "$target-*" | wc -l)
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  if [ "$keep" = 1 ] && [ "$findings" -eq 0 ]; then
    "$binary" -merge=1 "$committed" "$work" >>"$log" 2>&1
  fi
  local files bytes
  files=$(find "$committed" -type f | wc -l)
  bytes=$(find "$committed" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  printf '%s executions=%s seconds=%.0f findings=%s corpus_files=%s corpus_bytes=%s\n' \
    "$target" "${executions:-0}" "$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')" "$findings" "$files" "$bytes"
}
export -f fuzz_one
export build root runs seconds keep logs artifacts

if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets <"$build/fuzz_targets.txt"; fi
cd "$build"
printf '%s\n' "${targets[@]}" | grep -v '^$' |
  xargs -P "$jobs" -I{} bash -c 'fuzz_one "$1"' _ {} | tee "$summary.new"
sort "$summary.new" >"$summary" && rm "$summary.new"
echo "fuzz: summary in $summary"
! grep -qv ' findings=0 ' "$summary"
