#!/usr/bin/env bash
# Usage: bench/pagehost_calls/run.sh [BUILD_DIR]
# Page script calls through the page host against the same calls from C++.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
exec "$build/wine-run.sh" "$build/bin/pagehost_calls_bench.exe" "Z:${here//\//\\}\\calls.html" 20000
