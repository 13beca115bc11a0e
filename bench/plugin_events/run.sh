#!/usr/bin/env bash
# Usage: bench/plugin_events/run.sh [BUILD_DIR]
# Control events to a script listener through the plug-in against a sink
# that does nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
exec "$build/wine-run.sh" "$build/bin/plugin_events_bench.exe"
