#!/usr/bin/env bash
# Runs one page in a page host under Wine and checks how it ends.
#   run_page.sh WINE_RUN HOST PAGE.html STATUS [PATTERN...] [-- HOST OPTIONS...]
# STATUS is the exit status the host must give; each PATTERN an extended
# regular expression that some line of its output must match, or file:PATH
# for a file the run must leave, not empty.
set -uo pipefail
wine_run=$1 host=$2 page=$3 expected=$4
shift 4
patterns=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do patterns+=("$1"); shift; done
[ $# -gt 0 ] && shift
for pattern in "${patterns[@]}"; do
  [ "${pattern#file:}" != "$pattern" ] && rm -f "${pattern#file:}"
done
output=$(timeout 110 "$wine_run" "$host" "$@" "Z:${page//\//\\}" 2>&1)
status=$?
printf '%s\n' "$output"
if [ "$status" != "$expected" ]; then
  echo "run_page: exit status $status, expected $expected"
  exit 1
fi
for pattern in "${patterns[@]}"; do
  if [ "${pattern#file:}" != "$pattern" ]; then
    [ -s "${pattern#file:}" ] || { echo "run_page: no file ${pattern#file:}"; exit 1; }
    continue
  fi
  if ! grep -qE -- "$pattern" <<<"$output"; then
    echo "run_page: no line of the output matches: $pattern"
    exit 1
  fi
done
