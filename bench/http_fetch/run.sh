#!/usr/bin/env bash
# Usage: bench/http_fetch/run.sh [BUILD_DIR]
# Starts the loopback server and runs the benchmark under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
exec python3 "$here/../../tests/http/loopback_server.py" --timeout 600 -- \
  "$build/wine-run.sh" "$build/bin/http_fetch_bench.exe"
