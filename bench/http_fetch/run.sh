#!/usr/bin/env bash
# Usage: bench/http_fetch/run.sh [BUILD_DIR]
# Starts the loopback server and runs the benchmark under Wine: the time
# pairs, then the memory of a fetch, each in a process of its own.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
exec python3 "$here/../../tests/http/loopback_server.py" --timeout 900 -- bash -c '
  "$1/wine-run.sh" "$1/bin/http_fetch_bench.exe" || exit
  for pair in 1 2 3 4 5; do "$1/wine-run.sh" "$1/bin/http_fetch_bench.exe" memory || exit; done
' bench "$build"
