#!/usr/bin/env bash
# Writes docs/script-api.md and docs/npZumiPictavoEx.d.ts from the plug-in's
# own tables: script_api_dump.exe (built into BUILD_DIR) prints them under
# Wine, render.py lays them out. With --check nothing is written: the
# committed files are compared with what would be written now, and any
# difference is printed and fails.
#
#   tools/script_api/generate.sh [--check] [BUILD_DIR]   (default build/)
#
# Regenerate after changing a table: cmake --build build --target script_api_docs
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dos() { local p=$1; echo "Z:${p//\//\\}"; }
"$build/wine-run.sh" "$build/bin/script_api_dump.exe" "$(dos "$build/idl/ZumiPictavoEx.tlb")" \
  "$(dos "$work/tables.txt")"
python3 "$here/render.py" "$work/tables.txt" "$work"

status=0
# The declarations must compile where a TypeScript compiler is at hand.
if [ "$check" = 1 ] && command -v tsc >/dev/null; then
  tsc --noEmit --strict --lib es2017,dom "$work/npZumiPictavoEx.d.ts" || status=1
fi
for file in script-api.md npZumiPictavoEx.d.ts; do
  if [ "$check" = 1 ]; then
    if ! diff -u "$root/docs/$file" "$work/$file"; then
      echo "docs/$file is out of date; regenerate it: cmake --build build --target script_api_docs" >&2
      status=1
    fi
  else
    mkdir -p "$root/docs"
    cp "$work/$file" "$root/docs/$file"
    echo "wrote docs/$file"
  fi
done
exit $status
