#!/usr/bin/env bash
# The upload control's whole life on one machine, one line per step: version 1
# is installed by its installer and the plug-in registered; a page uses the
# control and stays open; an installer started meanwhile leaves the control
# alone; the update service, given version 2's installer by the update host,
# downloads and checks it and waits while the page holds the control; the
# page is closed; the service's dialog is answered and it starts the
# installer, which replaces the control; the page runs again with version 2.
# At the end the control is uninstalled and the plug-in unregistered again.
#
#   scripts/lifecycle.sh BUILD_DIR PAGE [PICTURES_DIR]
#
# Runs beside tests/update_flow/flow_server.py serving version 2's installer:
# the service reaches the host through the proxy the server names in
# ZP_FLOW_TINYPROXY_PORT. PAGE prints "control version N" and, once its
# upload is done, "upload finished", and stays open until its window is closed. With PICTURES_DIR every program runs on one
# Wine desktop of the X display in DISPLAY, and the pages (page-1.png,
# page-2.png) and the dialog (dialog.png) are photographed. Exit status 0
# when every step happened, in this order.
set -uo pipefail
build=$(cd "$1" && pwd) page=$2 pictures=${3:-}
bin=$build/bin
wine_run=$build/wine-run.sh
drive_c=$build/wineprefix/drive_c
temp="$drive_c/users/$(id -un)/Temp"
install_dir="$drive_c/Program Files/ZumiPictavo"
setup_log="$temp/ZumiPictavoEx-setup.log"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZumiPictavoEx'
class_key='HKLM\Software\Classes\CLSID\{05F5F404-7C24-4B39-B5CC-340CEDEB9C0D}\InprocServer32'
typelib_key='HKLM\Software\Classes\TypeLib\{0E7E54C4-1AED-4D84-8C41-72753B63DD34}\1.0\0\win32'
settings_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
desktop=zp_lifecycle,1024x768,x11
# Under qemu a Wine program needs seconds to start: waits are generous.
wait_seconds=${LIFECYCLE_WAIT:-180}
work=$(mktemp -d)
title="$(grep -o '<title>[^<]*' "$page" | cut -c8-) - pagehost"
step=0

dos() { local p=$1; echo "Z:${p//\//\\}"; }
say() { step=$((step + 1)); echo "$step. $*"; }
fail() { echo "lifecycle: FAILED: $*"; exit 1; }

# A program on the story's desktop (or the prefix's null display), in the
# background: its output in $work/NAME.out, its exit status in $work/NAME.exit.
start_program() {
  local name=$1
  shift
  local batch="$work/$name.cmd" line="" arg
  # Quotes only where needed: an installer reads its options unquoted, and
  # an uninstaller's _?=FOLDER never quoted, spaces and all.
  for arg in "$@"; do
    [[ "$arg" =~ [[:space:]] && "$arg" != '_?='* ]] && line+="\"$arg\" " || line+="$arg "
  done
  rm -f "$work/$name.exit"
  printf '@echo off\r\n%s\r\necho %%ERRORLEVEL%% > "%s"\r\n' "$line" "$(dos "$work/$name.exit")" >"$batch"
  if [ -n "$pictures" ]; then
    "$wine_run" explorer "/desktop=$desktop" cmd /c "$(dos "$batch")" >"$work/$name.out" 2>&1 &
  else
    "$wine_run" cmd /c "$(dos "$batch")" >"$work/$name.out" 2>&1 &
  fi
}

# The exit status of program NAME once it has ended; empty after the wait.
wait_exit() {
  local file="$work/$1.exit" deadline=$((SECONDS + wait_seconds))
  while [ ! -s "$file" ] && [ $SECONDS -lt $deadline ]; do sleep 0.5; done
  tr -d '\r\n ' 2>/dev/null <"$file"
}

run_program() {
  start_program "$@"
  wait_exit "$1"
}

# The first line of FILE matching PATTERN (extended), waited for.
wait_line() {
  local pattern=$1 file=$2 deadline=$((SECONDS + wait_seconds)) line
  while [ $SECONDS -lt $deadline ]; do
    line=$(tr -d '\r' 2>/dev/null <"$file" | grep -m1 -E -- "$pattern") && { echo "$line"; return 0; }
    sleep 0.5
  done
  return 1
}

reg_value() {
  "$wine_run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"
}

default_value() {
  "$wine_run" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}

picture() { [ -z "$pictures" ] || import -window root "$pictures/$1"; }
picture_note() { [ -z "$pictures" ] || echo ", picture $pictures/$1"; }

# Takes away what an earlier run left: the installed control, the
# downloaded installer, a remembered refusal, the proxy setting.
clean_machine() {
  if [ -f "$install_dir/uninstall.exe" ]; then
    # In its folder (_?=) the uninstaller runs itself, so its end is awaited.
    run_program uninstall 'C:\Program Files\ZumiPictavo\uninstall.exe' '_?=C:\Program Files\ZumiPictavo' >/dev/null
  fi
  rm -rf "$install_dir"
  "$wine_run" reg delete "$uninstall_key" /f >/dev/null 2>&1
  "$wine_run" regsvr32 /u /s "$(dos "$bin/npZumiPictavoEx.dll")" >/dev/null 2>&1
  "$wine_run" reg delete 'HKCU\SOFTWARE\ORVANE\ZumiPictavoEx\Updatesetting' /v IgnoreMD5Value /f >/dev/null 2>&1
  "$wine_run" reg add "$settings_key" /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null 2>&1
  rm -f "$temp/ZumiPhotoUpload.exe" "$temp/Orvanedl.exe" "$temp/brimcore.dll" "$setup_log"
}

finish() {
  local status=$?
  [ $status = 0 ] || clean_machine
  rm -rf "$work"
  exit $status
}
trap finish EXIT

install_version_1() {
  clean_machine
  mkdir -p "$temp"
  local status
  status=$(run_program setup-1 "$(dos "$bin/ZumiPictavoEx-setup-1.exe")")
  [ "$status" = 0 ] || fail "ZumiPictavoEx-setup-1.exe ended with status '$status'"
  local version control typelib
  version=$(reg_value "$uninstall_key" DisplayVersion)
  control=$(default_value "$class_key")
  typelib=$(default_value "$typelib_key")
  [ "$version" = 1 ] || fail "the uninstall entry says version '$version'"
  say "version 1 installed by ZumiPictavoEx-setup-1.exe (exit status 0): control registered as $control, type library as $typelib, uninstall entry version $version"
  "$wine_run" regsvr32 /s "$(dos "$bin/npZumiPictavoEx.dll")" || fail "regsvr32 npZumiPictavoEx.dll"
  say "plug-in registered: $(dos "$bin/npZumiPictavoEx.dll")"
}

# Opens the page (Wine tells which ZumiPictavoEx.dll it loads), waits for
# the version it prints, which must be VERSION, from the installed DLL, and
# for its upload to finish; the page stays open.
open_page() {
  local name=$1 version=$2
  # The page is served from the maker's site, whose pages the site lock lets
  # drive the control.
  WINEDEBUG=-all,+loaddll start_program "$name" "$(dos "$bin/pagehost.exe")" --timeout 600 \
    --origin https://www.orvane.com "$(dos "$page")"
  local line loaded
  line=$(wait_line '^control version' "$work/$name.out") || fail "the page printed no version"
  loaded=$(wait_line '\\ZumiPictavoEx\.dll"' "$work/$name.out" | sed -n 's/.*Loaded L"\([^"]*\)".*/\1/p' | sed 's/\\\\/\\/g')
  wait_line '^upload finished' "$work/$name.out" >/dev/null || fail "the page's upload did not finish"
  picture "$name.png"
  say "page open: $line, the control loaded from $loaded$(picture_note "$name.png")"
  [ "$line" = "control version $version" ] || fail "expected control version $version"
  case "$loaded" in
    'C:\Program Files\ZumiPictavo\ZumiPictavoEx.dll') ;;
    *) fail "the control did not come from its installed folder" ;;
  esac
}

close_page() {
  local name=$1
  start_program "close-$name" "$(dos "$bin/close_window.exe")" "$title"
  local status
  status=$(wait_exit "$name")
  say "page closed (page host exit status $status)"
  [ "$status" = 0 ] || fail "the page did not end cleanly"
}

# Version 2's installer, started while the control runs, changes nothing.
installer_while_control_runs() {
  local before status after
  before=$(md5sum <"$install_dir/ZumiPictavoEx.dll")
  status=$(run_program setup-2-early "$(dos "$bin/ZumiPictavoEx-setup-2.exe")" /WAIT=2)
  after=$(md5sum <"$install_dir/ZumiPictavoEx.dll")
  say "installer started while the page holds the control: exit status $status, $(tail -n1 "$setup_log" | tr -d '\r')"
  [ "$status" = 3 ] && [ "$before" = "$after" ] || fail "the running control was not left alone"
  [ "$(reg_value "$uninstall_key" DisplayVersion)" = 1 ] || fail "the uninstall entry changed"
  rm -f "$setup_log"  # told above; the next line there is the service's installer's
}

start_service() {
  local digest=$(md5sum "$ZP_FLOW_INSTALLER" | cut -d' ' -f1)
  local params="http://update.orvane.com/ZumiPhotoUpload.exe|$digest|2|A new version of the photo upload control is ready. Install it now?|0"
  "$wine_run" reg add "$settings_key" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
  "$wine_run" reg add "$settings_key" /v ProxyServer /d "127.0.0.1:$ZP_FLOW_TINYPROXY_PORT" /f >/dev/null
  mkdir -p "$work/service"
  start_program service "$(dos "$bin/update_run.exe")" --exe "$(dos "$bin/ZumiPictavoUpdateSvr.exe")" \
    --params "$params" --answer ok --status "$(dos "$work/service")" \
    --logview "$(dos "$bin/logview.exe")" --log "$(dos "$work/service/records.txt")"
  say "update service started: version 2's installer announced (digest $digest)"
  local record
  record=$(wait_line 'WaitForControl: .*running' "$work/service/records.txt") ||
    fail "the service's records show no wait for the control"
  say "service waiting for the control: $record"
}

answer_dialog() {
  [ -n "$(wait_line . "$work/service/dialog.txt")" ] || fail "the service showed no dialog"
  local record
  record=$(wait_line 'WaitForControl: .*ended' "$work/service/records.txt")
  sleep 1  # the layered picture is drawn after the window shows
  picture dialog.png
  touch "$work/service/go"
  local status
  status=$(wait_exit service)
  say "dialog answered 'ok' after the record \"${record##*BrimLib: }\"$(picture_note dialog.png); service exit status $status"
  [ "$status" = 0 ] || fail "the service ended with status '$status'"
}

installer_started() {
  local line
  line=$(wait_line '^ZumiPictavoEx setup 2: ' "$setup_log") || fail "the installer left no line"
  say "installer started by the service: $line"
  case "$line" in *"(exit status 0)") ;; *) fail "the installer did not install" ;; esac
  [ "$(reg_value "$uninstall_key" DisplayVersion)" = 2 ] || fail "the uninstall entry is not version 2"
}

install_version_1
open_page page-1 1
installer_while_control_runs
start_service
close_page page-1
answer_dialog
installer_started
open_page page-2 2
close_page page-2
clean_machine
[ -z "$(default_value "$class_key")" ] || fail "the uninstaller left the control registered"
say "machine left as found: the control uninstalled, the plug-in unregistered"
