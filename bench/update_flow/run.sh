#!/usr/bin/env bash
# Usage: bench/update_flow/run.sh [BUILD_DIR]
# Serves a 64 MB installer (the installer stand-in with padding) from the
# loopback host and runs the benchmark under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/sample_installer.exe" "$work/installer.exe"
size=$(stat -c %s "$work/installer.exe")
head -c $((64 * 1024 * 1024 - size)) /dev/zero >>"$work/installer.exe"
python3 "$here/../../tests/update_flow/flow_server.py" --installer "$work/installer.exe" -- \
  "$build/wine-run.sh" "$build/bin/update_flow_bench.exe"
