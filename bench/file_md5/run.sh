#!/usr/bin/env bash
# Usage: bench/file_md5/run.sh [BUILD_DIR]
# GetFileMd5 (under Wine) against md5sum on the same 256 MB file, in
# alternating pairs; the figure is md5sum's time over GetFileMd5's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
file=$(mktemp /tmp/zp_md5_bench.XXXXXX)
trap 'rm -f "$file"' EXIT
head -c $((256 * 1024 * 1024)) /dev/urandom >"$file"
winpath="Z:$(echo "$file" | tr / '\\')"
expected=$(md5sum "$file" | cut -d' ' -f1)  # both readers start from the page cache

md5sum_seconds() {
  local start end
  start=$(date +%s.%N)
  md5sum "$file" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

ours_seconds() {
  local digest seconds
  read -r digest seconds < <("$build/wine-run.sh" "$build/bin/file_md5_bench.exe" "$winpath" | tr -d '\r')
  [ "$digest" = "$expected" ] || { echo "fail digest mismatch: $digest vs $expected" >&2; return 1; }
  echo "$seconds"
}

echo "goal md5 throughput >= 0.95"
for pair in 0 1 2 3 4; do
  if [ $((pair % 2)) -eq 0 ]; then
    theirs=$(md5sum_seconds); ours=$(ours_seconds)
  else
    ours=$(ours_seconds); theirs=$(md5sum_seconds)
  fi
  echo "times md5 $theirs $ours"
done
