#!/usr/bin/env bash
# The fault matrix: every row a scenario under one fault, run under Wine,
# with the outcome it must end in. Prints one line per row (row, expected,
# observed, PASS/FAIL/SKIP) and exits non-zero when any row fails.
#   scripts/faults.sh [ROW...]     rows by name or shell pattern ('net_*'); all by default
# Needs a finished build (scripts/build.sh). Rows run one after another: they
# share the prefix's Internet settings, registrations and temporary folder.
# Each row's output goes to build/faults/<row>.log.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
bin="$build/bin"
wine_run="$build/wine-run.sh"

# name | time limit (s) | expected | how to run it
# A row passes when it observed exactly what is expected within its time
# limit; a row still running 30 s past its limit is ended ("hang").
#   flow ROW      tests/faults/flow_matrix.exe: the update service run whole
#   engine ROW    tests/faults/engine_matrix.exe: the download component
#   page ROW      tests/faults/page_matrix.exe: the plug-in in the browser stand-in
#   gtest PROGRAM FILTER [http|flow]   an existing test program's cases, beside
#                 the loopback server they need; expected "pass"
read -r -d '' ROWS <<'EOF'
net_plain               | 60 | exit=0 started=1 target=installer | flow net_plain
net_stall               | 60 | exit=-7 started=0 target=other | flow net_stall
net_stall_time_out      | 60 | pass | gtest http_fetch_test HttpFetchTest.StallEndsInTimeOutWithWhatArrived http
net_truncate            | 60 | exit=0 started=1 target=installer | flow net_truncate
net_reset               | 60 | exit=0 started=1 target=installer | flow net_reset
net_truncate_no_ranges  | 60 | exit=-7 started=0 target=other | flow net_truncate_no_ranges
net_reset_no_ranges     | 60 | exit=-7 started=0 target=other | flow net_reset_no_ranges
net_reset_every_try     | 60 | exit=-7 started=0 target=other | flow net_reset_every_try
net_redirect_loop       | 60 | exit=-5 started=0 target=none | flow net_redirect_loop
net_over_limit          | 90 | exit=-5 started=0 target=none | flow net_over_limit
net_404                 | 60 | exit=-7 started=0 target=other | flow net_404
net_500                 | 60 | exit=-7 started=0 target=other | flow net_500
proxy_refuses           | 60 | exit=-7 started=0 target=other | flow proxy_refuses
proxy_wrong_credentials | 60 | exit=-7 started=0 target=other | flow proxy_wrong_credentials
proxy_down              | 60 | exit=-5 started=0 target=none | flow proxy_down
engine_exits            | 60 | ready=1 done=1/1 result=0 end=fast handles=ok | engine engine_exits
engine_hangs            | 60 | ready=1 done=0/1 end=fast handles=ok | engine engine_hangs
engine_refuses_task     | 60 | ready=1 done=1/1 result=1 end=fast handles=ok | engine engine_refuses_task
engine_fails_calls      | 60 | ready=1 done=1/1 result=0 end=fast handles=ok | engine engine_fails_calls
engine_short_payloads   | 60 | ready=1 done=0/1 end=fast handles=ok | engine engine_short_payloads
engine_unterminated_payloads | 60 | ready=1 done=1/1 result=0 end=fast handles=ok | engine engine_unterminated_payloads
engine_unknown_task_ids | 60 | ready=1 done=1/1 result=0 end=fast handles=ok | engine engine_unknown_task_ids
engine_flood_core       | 60 | ready=1 done=40/40 result=0 end=fast handles=ok | engine engine_flood_core
engine_flood_com        | 60 | ready=1 done=20/20 result=0 end=fast handles=ok | engine engine_flood_com
engine_never_ready      | 60 | ready=0 done=1/1 result=1 end=fast handles=ok | engine engine_never_ready
control_fire_after_release | 60 | control=held fire=ok heard=0 ledger=ok handles=ok | page control_fire_after_release
control_fire_during_teardown | 60 | steps=5/5 fired=5 heard=1 ledger=ok handles=ok | page control_fire_during_teardown
control_fire_reentrant  | 60 | pass | gtest plugin_events_test Events.ListenersMayReplaceThemselvesRegisterOthersAndCallTheControl
control_fire_inside_method | 60 | call=ok heard=1 nested=ok ledger=ok handles=ok | page control_fire_inside_method
control_wrong_argument_types | 60 | pass | gtest plugin_events_test Events.ArgumentsAreArrangedAndCoercedOrTheEventIsDropped
page_variant_rules      | 60 | number=0011100 bool=0010000 string=0000010 count=exact double=truncated out=ok ledger=ok handles=ok | page page_variant_rules
page_string_1mb         | 60 | in=whole out=whole ledger=ok handles=ok | page page_string_1mb
page_invalid_utf8       | 60 | accepted=8/8 reached=8 surrogate_out=given ledger=ok handles=ok | page page_invalid_utf8
page_10000_listeners    | 90 | distinct=10000 kept=3 heard=3 ledger=ok handles=ok | page page_10000_listeners
page_destroy_in_event   | 60 | destroyed=yes fire=ok after=ok heard=0 ledger=ok handles=ok | page page_destroy_in_event
reg_wrong_type_dword    | 60 | exit=0 started=1 target=installer reg=kept | flow reg_wrong_type_dword
reg_wrong_type_binary   | 60 | exit=0 started=1 target=installer reg=kept | flow reg_wrong_type_binary
reg_no_terminator       | 60 | exit=0 started=1 target=installer reg=kept | flow reg_no_terminator
reg_odd_length          | 60 | exit=0 started=1 target=installer reg=kept | flow reg_odd_length
reg_over_long           | 60 | exit=0 started=1 target=installer reg=kept | flow reg_over_long
temp_read_only          | 60 | exit=-5 started=0 target=none | flow temp_read_only
installer_locked        | 60 | exit=-5 started=0 earlier=kept | flow installer_locked
installer_changed       | 90 | exit=0 started=1 target=installer change=refused | flow installer_changed
two_instances           | 90 | exits=-4,0 waiting=1 started=1 | flow two_instances
three_instances         | 90 | exits=-4,-4,0 waiting=1 started=1 | flow three_instances
EOF

rows_matching() {
  local line name
  while IFS= read -r line; do
    name=$(echo "${line%%|*}" | xargs)
    if [ $# -eq 0 ]; then echo "$line"; continue; fi
    for pattern in "$@"; do
      # shellcheck disable=SC2053
      if [[ $name == $pattern ]]; then echo "$line"; break; fi
    done
  done <<<"$ROWS"
}

# Runs one row's command; prints its observed words on the last line.
observe() {
  local limit=$1 log=$2 kind=$3
  shift 3
  local status=0
  case "$kind" in
    flow | engine | page)
      timeout --kill-after=10 "$((limit + 30))" \
        "$wine_run" "$bin/${kind}_matrix.exe" "$1" >"$log" 2>&1 || status=$?
      ;;
    gtest)
      local program=$1 filter=$2 driver=${3:-}
      local -a command=("$wine_run" "$bin/$program.exe" --gtest_color=no "--gtest_filter=$filter")
      case "$driver" in
        http) command=(python3 "$root/tests/http/loopback_server.py" --timeout "$limit" -- "${command[@]}") ;;
        flow) command=(python3 "$root/tests/update_flow/flow_server.py"
                       --installer "$bin/sample_installer.exe" -- "${command[@]}") ;;
      esac
      timeout --kill-after=10 "$((limit + 30))" "${command[@]}" >"$log" 2>&1 || status=$?
      ;;
    *) echo "unknown runner $kind"; return ;;
  esac
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then echo "hang>${limit}s"; return; fi
  if [ "$kind" = gtest ]; then
    if [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \]' "$log"; then echo pass
    else echo "fail status=$status"; fi
    return
  fi
  local observed
  observed=$(sed -n 's/^observed: //p' "$log" | tr -d '\r' | tail -1)
  echo "${observed:-crash status=$status}"
}

inner() {
  mkdir -p "$build/faults"
  # A temporary folder nothing can be written to, the engine's core library
  # inside; the immutable flag holds for every user.
  readonly_temp=$(mktemp -d /tmp/zp-faults-readonly.XXXXXX)
  cp "$bin/brimcore.dll" "$readonly_temp/"
  if chattr +i "$readonly_temp" 2>/dev/null; then export ZP_FAULT_READONLY_TEMP=$readonly_temp; fi
  trap 'chattr -i "$readonly_temp" 2>/dev/null; rm -rf "$readonly_temp"' EXIT
  "$wine_run" --start
  local failed=0 count=0 start=$SECONDS
  printf '%-24s %-50s %-50s %s\n' ROW EXPECTED OBSERVED RESULT
  while IFS='|' read -r name limit expected how; do
    name=$(echo "$name" | xargs)
    limit=$(echo "$limit" | xargs)
    expected=$(echo "$expected" | xargs)
    local row_start=$SECONDS observed result
    # shellcheck disable=SC2086
    observed=$(observe "$limit" "$build/faults/$name.log" $how)
    local took=$((SECONDS - row_start))
    if [ "$observed" = "$expected" ] && [ "$took" -le "$limit" ]; then result=PASS
    elif [ "$observed" = "$expected" ]; then result="FAIL over ${limit}s"; failed=$((failed + 1))
    elif [[ $observed == setup=no-tinyproxy* || $observed == setup=no-readonly-folder* ]]; then
      result=SKIP
    else result=FAIL; failed=$((failed + 1)); fi
    count=$((count + 1))
    printf '%-24s %-50s %-50s %s (%ds)\n' "$name" "$expected" "$observed" "$result" "$took"
  done < <(rows_matching "$@")
  "$wine_run" --stop
  echo "fault matrix: $count rows, $failed failed, $((SECONDS - start)) s"
  [ "$count" -gt 0 ] && [ "$failed" -eq 0 ]
}

if [ "${1:-}" = --inner ]; then
  shift
  inner "$@"
  exit $?
fi
for program in flow_matrix engine_matrix page_matrix sample_installer ZumiPictavoUpdateSvr; do
  [ -f "$bin/$program.exe" ] || { echo "faults.sh: build first ($bin/$program.exe missing)" >&2; exit 2; }
done
exec python3 "$root/tests/faults/fault_server.py" --installer "$bin/sample_installer.exe" -- \
  "$0" --inner "$@"
