#!/usr/bin/env bash
# Runs PAGE in the page host, as served from the maker's site, with the
# plug-in and the control's stand-in of BUILD_DIR and compares the events it
# prints (its "event ..." lines) with EXPECTED, line by line. Any difference
# is printed and fails, as does a page that does not run to its end.
#
#   examples/check_page.sh BUILD_DIR PAGE EXPECTED
set -euo pipefail
build=$1 page=$2 expected=$3
dos() { local p=$1; echo "Z:${p//\//\\}"; }
output=$(mktemp)
trap 'rm -f "$output"; "$build/wine-run.sh" regsvr32 /u /s "$(dos "$build/bin/ZumiPictavoEx.dll")" || true' EXIT
"$build/wine-run.sh" regsvr32 /s "$(dos "$build/bin/ZumiPictavoEx.dll")"
status=0
"$build/wine-run.sh" "$build/bin/pagehost.exe" --dll "$(dos "$build/bin/npZumiPictavoEx.dll")" \
  --timeout 60 --origin https://www.orvane.com "$(dos "$page")" >"$output" 2>&1 || status=$?
cat "$output"
if [ "$status" != 0 ]; then
  echo "the page host ended with status $status" >&2
  exit 1
fi
if ! diff -u "$expected" <(tr -d '\r' <"$output" | grep '^event '); then
  echo "the events differ from $expected" >&2
  exit 1
fi
