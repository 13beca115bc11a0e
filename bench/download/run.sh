#!/usr/bin/env bash
# Usage: bench/download/run.sh [BUILD_DIR]
# Starts the loopback server and runs the benchmark under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
exec python3 "$here/../../tests/http/loopback_server.py" --timeout 900 -- \
  "$build/wine-run.sh" "$build/bin/download_bench.exe"
