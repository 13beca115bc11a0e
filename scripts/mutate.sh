#!/usr/bin/env bash
# The mutation check: plants one plausible fault at a time (rows of
# tests/mutations.tsv) in a scratch copy of the tree under build-mutate/,
# rebuilds it incrementally, runs the tests the row names, restores the file
# and prints one line per mutation: caught (by which test) or survived, and
# the score at the end. The working tree is never touched. Not part of CI.
#   scripts/mutate.sh [--check] [--list] [AREA|ID ...]   all rows by default
#     --check   only verify that every selected row's text occurs exactly once
#     --list    print the selected rows
#     --native  run only the native:NAME tests; rows without one are skipped
# Rows whose tests are all native:NAME need only scripts/native.sh's tools;
# ctest names need the cross build, fault:ROW the fault matrix (see
# docs/testing.md). Results are appended to build-mutate/results.txt.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch="${MUTATE_DIR:-$root/build-mutate}"
table="$root/tests/mutations.tsv"
tree="$scratch/tree"
mode=run
native_only=0
selection=()
for arg in "$@"; do
  case "$arg" in
    --check) mode=check ;;
    --list) mode=list ;;
    --native) native_only=1 ;;
    *) selection+=("$arg") ;;
  esac
done

# Prints the selected rows, tab-separated, escapes left as written.
selected_rows() {
  local line id area rest
  while IFS= read -r line; do
    IFS=$'\t' read -r id area rest <<<"$line"
    [[ -z $id || $id == \#* ]] && continue
    if [ ${#selection[@]} -eq 0 ]; then
      printf '%s\t%s\t%s\n' "$id" "$area" "$rest"
      continue
    fi
    for pick in "${selection[@]}"; do
      if [[ $id == "$pick" || $area == "$pick" ]]; then
        printf '%s\t%s\t%s\n' "$id" "$area" "$rest"
        break
      fi
    done
  done <"$table"
}

# apply|count FILE TEXT REPLACEMENT: the text's count in the file; with
# apply, the file is rewritten with the one occurrence replaced.
edit() {
  python3 - "$@" <<'EOF'
import sys
def unescape(s):
    out, i = [], 0
    while i < len(s):
        if s[i] == '\\' and i + 1 < len(s):
            out.append({'n': '\n', 't': '\t', '\\': '\\'}.get(s[i + 1], s[i:i + 2]))
            i += 2
        else:
            out.append(s[i])
            i += 1
    return ''.join(out)
mode, path, text, replacement = sys.argv[1], sys.argv[2], unescape(sys.argv[3]), unescape(sys.argv[4])
body = open(path, encoding='utf-8').read()
count = body.count(text)
if mode == 'apply' and count == 1:
    open(path, 'w', encoding='utf-8').write(body.replace(text, replacement))
print(count)
EOF
}

sync_tree() {
  mkdir -p "$tree"
  # Modification times are kept, so that an unchanged file is not rebuilt.
  tar -C "$root" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$tree" -xf -
}

build_cross() {
  if [ ! -f "$scratch/build/build.ninja" ]; then
    cmake -S "$tree" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  nice -n 19 cmake --build "$scratch/build" -j2 >"$scratch/build.log" 2>&1
}

build_native() {
  if [ ! -f "$scratch/build-native/build.ninja" ]; then
    cmake -S "$tree" -B "$scratch/build-native" -G Ninja -DZP_NATIVE_CORE=ON \
      -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
  fi
  cmake "$scratch/build-native" -DZP_FUZZ_RUNS="${ZP_FUZZ_RUNS:-20000}" >/dev/null
  nice -n 19 cmake --build "$scratch/build-native" -j2 >"$scratch/build-native.log" 2>&1
}

# Runs one named test; succeeds when the test passed (the fault slipped by).
run_test() {
  local test=$1
  case "$test" in
    native:*)
      (cd "$scratch/build-native" &&
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
          UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
          nice -n 19 ctest -R "^${test#native:}\$" --no-tests=error >/dev/null 2>&1) ;;
    fault:*)
      BUILD_DIR="$scratch/build" nice -n 19 "$tree/scripts/faults.sh" "${test#fault:}" >/dev/null 2>&1 ;;
    *)
      (cd "$scratch/build" && nice -n 19 ctest -R "^${test}\$" --no-tests=error >/dev/null 2>&1) ;;
  esac
}

needs() {  # needs KIND TESTS: whether any test is of the kind (native / cross)
  local test
  for test in $2; do
    if [[ $1 == native && $test == native:* ]]; then return 0; fi
    if [[ $1 == cross && $test != native:* ]]; then return 0; fi
  done
  return 1
}

mkdir -p "$scratch"
exec 9>"$scratch/lock"
flock -n 9 || { echo "another mutation run holds $scratch" >&2; exit 2; }
if [ "$mode" = run ]; then sync_tree || exit 2; fi
caught=0 survived=0 stale=0 broken=0
# A tab is whitespace to read, which would merge the empty replacement of a
# dropped text with its neighbours: the fields are split at a non-blank.
while IFS= read -r line; do
  IFS=$'\x1f' read -r id area file text replacement tests <<<"${line//$'\t'/$'\x1f'}"
  if [ "$mode" = list ]; then
    printf '%-22s %-9s %s  [%s]\n' "$id" "$area" "$file" "$tests"
    continue
  fi
  count=$(edit count "$root/$file" "$text" "$replacement")
  if [ "$count" != 1 ]; then
    echo "$id: STALE ($file has the text $count times)"
    stale=$((stale + 1))
    continue
  fi
  [ "$mode" = check ] && continue
  if [ $native_only = 1 ]; then
    tests=$(tr ' ' '\n' <<<"$tests" | grep '^native:' | tr '\n' ' ')
    [ -z "$tests" ] && continue
  fi
  edit apply "$tree/$file" "$text" "$replacement" >/dev/null
  verdict="survived"
  if { needs native "$tests" && ! build_native; } || { needs cross "$tests" && ! build_cross; }; then
    verdict="caught by the build"
    broken=$((broken + 1))
  else
    for test in $tests; do
      if ! run_test "$test"; then
        verdict="caught by $test"
        break
      fi
    done
  fi
  cp -p "$root/$file" "$tree/$file"
  touch "$tree/$file"
  [[ $verdict == survived ]] && survived=$((survived + 1)) || caught=$((caught + 1))
  echo "$id ($area): $verdict" | tee -a "$scratch/results.txt"
done < <(selected_rows)
if [ "$mode" = run ]; then
  total=$((caught + survived))
  [ $total -gt 0 ] && echo "score: $caught of $total caught ($((100 * caught / total))%), $broken by the build; $stale stale"
fi
[ $stale -eq 0 ]
