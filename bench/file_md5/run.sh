#!/usr/bin/env bash
# Usage: bench/file_md5/run.sh [BUILD_DIR]
# GetFileMd5 (under Wine) against md5sum on the same 256 MB file, one run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../../build}"
file=$(mktemp /tmp/zp_md5_bench.XXXXXX)
trap 'rm -f "$file"' EXIT
head -c $((256 * 1024 * 1024)) /dev/urandom >"$file"
cat "$file" >/dev/null  # both readers start from the page cache

start=$(date +%s.%N)
expected=$(md5sum "$file" | cut -d' ' -f1)
end=$(date +%s.%N)
md5sum_s=$(echo "$end - $start" | bc -l)

winpath="Z:$(echo "$file" | tr / '\\')"
read -r digest ours_s < <("$build/wine-run.sh" "$build/bin/file_md5_bench.exe" "$winpath" | tr -d '\r')
[ "$digest" = "$expected" ] || { echo "digest mismatch: $digest vs $expected"; exit 1; }
echo "md5sum: ${md5sum_s} s; GetFileMd5: ${ours_s} s"
echo "throughput ratio GetFileMd5/md5sum: $(echo "$md5sum_s / $ours_s" | bc -l | cut -c1-5) (goal >= 0.7)"
