#!/usr/bin/env bash
# The one command that sets up a fresh Debian 12 machine, builds everything
# and runs every test under Wine. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
BUILD_DIR="$build" "$root/scripts/build.sh"
status=0
(cd "$build" && ctest --output-on-failure -j"$(nproc)" "$@") || status=$?
# The fault matrix, after the suite: its rows share the prefix's settings
# and registrations with the tests, so it never runs beside them.
if [ $# -eq 0 ]; then
  BUILD_DIR="$build" "$root/scripts/faults.sh" || status=$?
fi
# The platform-free core, natively under the sanitizers: unit tests and a
# short run of every fuzz target.
"$root/scripts/native.sh" || status=$?
exit $status
