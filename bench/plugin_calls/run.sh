#!/usr/bin/env bash
# Usage: bench/plugin_calls/run.sh [BUILD_DIR]
# Script calls through the plug-in against IDispatch::Invoke on the control.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
exec "$build/wine-run.sh" "$build/bin/plugin_calls_bench.exe"
