#!/usr/bin/env bash
# Runs every benchmark (bench/*/run.sh) against the build in build/ (or
# $BUILD_DIR). Each one prints its ratio against a baseline of the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
"$build/wine-run.sh" --start
trap '"$build/wine-run.sh" --stop' EXIT
for runner in "$root"/bench/*/run.sh; do
  echo "== $(basename "$(dirname "$runner")")"
  bash "$runner" "$build"
done
