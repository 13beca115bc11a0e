#!/usr/bin/env bash
# Runs every benchmark (bench/*/run.sh) against the build in build/ (or
# $BUILD_DIR). Each measures its two sides in alternating pairs; the end is
# one table of median figures, their ranges and goals. Exits non-zero when a
# benchmark could not measure, not when a goal is missed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
summarize="$root/bench/support/summarize.py"
results=$(mktemp)
trap 'rm -f "$results"; "$build/wine-run.sh" --stop' EXIT
"$build/wine-run.sh" --start || exit 1
failed=0
for runner in "$root"/bench/*/run.sh; do
  name=$(basename "$(dirname "$runner")")
  echo "== $name"
  output=$(bash "$runner" "$build" 2>&1 | tr -d '\r' | tee -a /dev/stderr; exit "${PIPESTATUS[0]}")
  status=$?
  python3 "$summarize" add "$results" "$name" "$status" <<<"$output" || failed=1
done
echo
python3 "$summarize" table "$results"
exit "$failed"
