#!/usr/bin/env bash
# Runs the whole Wine suite again and again, with busy processes beside it,
# and stops at the first run with a failure or time-out. Each run's ctest
# output is kept in $SOAK_OUT/run-N.log; a summary line per run goes to
# $SOAK_OUT/summary.txt.
#
#   scripts/soak.sh [RUNS] [BUSY]   (defaults: 30 runs, 2 busy processes)
#
# The build in $BUILD_DIR (default build/) must be current.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
runs="${1:-30}"
busy="${2:-2}"
out="${SOAK_OUT:-$build/soak}"
mkdir -p "$out"
: >"$out/summary.txt"

busy_pids=()
stop_busy() { [ ${#busy_pids[@]} -eq 0 ] || kill "${busy_pids[@]}" 2>/dev/null; }
trap stop_busy EXIT
for _ in $(seq "$busy"); do
  (while :; do :; done) &
  busy_pids+=($!)
done

longest=0
for run in $(seq "$runs"); do
  start=$SECONDS
  (cd "$build" && ctest -j2 --output-on-failure) >"$out/run-$run.log" 2>&1
  status=$?
  took=$((SECONDS - start))
  [ $took -gt $longest ] && longest=$took
  line="run $run: status $status, ${took}s, $(grep -E 'tests passed|tests failed' "$out/run-$run.log" | tail -1)"
  echo "$line" | tee -a "$out/summary.txt"
  if [ $status -ne 0 ]; then
    echo "soak: run $run failed; see $out/run-$run.log" | tee -a "$out/summary.txt"
    exit 1
  fi
done
echo "soak: $runs consecutive runs passed, longest ${longest}s" | tee -a "$out/summary.txt"
