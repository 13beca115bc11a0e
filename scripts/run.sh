#!/usr/bin/env bash
# Runs the update service the way its caller does, end to end, on this
# machine: a loopback update host (nginx, as a maker's host would serve it)
# serves an installer behind a real proxy server (tinyproxy) that the Wine
# prefix's system proxy setting names;
# ZumiPictavoUpdateSvr.exe runs once through the download engine stand-in
# (Orvanedl.exe over COM) and once with the engine absent (HTTP); its dialog
# is shown on a virtual X display, photographed and answered; then the log
# viewer's records, the requests, whether the installer started and the exit
# status are printed. Then a web page drives the plug-in: the example page
# runs in the page host (pagehost.exe) with the plug-in and the upload
# control's stand-in registered, on a Wine desktop of the same display; each
# event the page prints is shown as it arrives, and the page is photographed.
#
#   scripts/run.sh [--url URL] [--md5 DIGEST] [--message TEXT] [--forced 0|1]
#                  [--answer ok|cancel|cancel-check|close] [--installer FILE]
#                  [--direct] [--out DIR] [--page FILE] [--page-only] [--origin ORIGIN]
#                  [--interrupt] [--pac]
#   scripts/run.sh --lifecycle [--out DIR] [--page FILE]
#
#   --url        the installer's URL (default http://update.orvane.com/ZumiPhotoUpload.exe;
#                the service accepts plain-HTTP URLs of the maker's domains only)
#   --md5        its digest (default: the digest of the served installer)
#   --message    the text of the dialog
#   --forced     1 for a forced update (default 0)
#   --answer     the button pressed in the dialog (default ok)
#   --installer  the file the loopback host serves for every request
#                (default: the installer stand-in, which leaves a marker when started)
#   --direct     the proxy fetches from the URL's real host instead of the loopback host
#   --out        where screenshots, logs and records go (default build/run)
#   --page       the page run in the page host (default examples/upload.html)
#   --page-only  run only the page, not the update service
#   --origin     the site the page is served from, as the plug-in's site lock sees it
#                (default https://www.orvane.com, the maker's site; "" for a local file://)
#   --interrupt  a relay in front of the host resets the first transfer halfway;
#                only the HTTP run (engine absent) and no page: the fetch resumes
#   --pac        a proxy configuration script (AutoConfigURL, served by the host)
#                names tinyproxy instead of the static setting; only the HTTP run
#   --lifecycle  the control's whole life instead (scripts/lifecycle.sh): version 1
#                installed by its NSIS installer, the page (default
#                examples/lifecycle.html), the service updating the control to
#                version 2 once the page is closed, the page again; pictures in DIR/lifecycle
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"

inner_run() {
  local name=$1 engine=$2
  local temp="$RUN_WINEPREFIX/drive_c/users/$(id -un)/Temp"
  local status="$RUN_OUT/status-$name"
  rm -rf "$status" && mkdir -p "$status"
  mkdir -p "$temp"
  rm -f "$temp/ZumiPhotoUpload.exe" "$temp/ZumiPhotoUpload.exe.started" "$temp/Orvanedl.exe" "$temp/brimcore.dll"
  [ "$engine" = com ] && cp "$build/bin/Orvanedl.exe" "$temp/"
  "$build/wine-run.sh" reg delete 'HKCU\SOFTWARE\ORVANE\ZumiPictavoEx\Updatesetting' /v IgnoreMD5Value /f >/dev/null 2>&1 || true
  local requests_before proxy_before
  requests_before=$(wc -l <"$ZP_FLOW_REQUESTS")
  proxy_before=$(wc -l <"$RUN_OUT/tinyproxy.log" 2>/dev/null || echo 0)

  "$build/wine-run.sh" explorer "/desktop=zp_run_$name,1024x768,x11" "$(dos "$build/bin/update_run.exe")" \
    --exe "$(dos "$build/bin/ZumiPictavoUpdateSvr.exe")" --params "$RUN_PARAMS" --answer "$RUN_ANSWER" \
    --status "$(dos "$status")" --logview "$(dos "$build/bin/logview.exe")" --log "$(dos "$status/records.txt")" \
    >/dev/null 2>&1 &

  local deadline=$((SECONDS + RUN_TIMEOUT))
  while [ ! -f "$status/exit.txt" ] && [ $SECONDS -lt $deadline ]; do
    if [ -f "$status/dialog.txt" ] && [ ! -f "$status/go" ]; then
      sleep 1  # the layered picture is drawn after the window shows
      import -window root "$RUN_OUT/dialog-$name.png"
      touch "$status/go"
    fi
    sleep 0.5
  done
  # The desktop stays while the engine's server runs; the prefix's stop at the
  # end ends both.

  echo "=== $name: $( [ "$engine" = com ] && echo 'download engine stand-in (Orvanedl.exe over COM)' || echo 'engine absent (HTTP through libcurl)')"
  if [ -f "$status/dialog.txt" ]; then
    echo "dialog: mode $(cat "$status/dialog.txt"), answered '$RUN_ANSWER', screenshot $RUN_OUT/dialog-$name.png"
  else
    echo "dialog: none shown"
  fi
  echo "log viewer records:"
  sed 's/^/  /' "$status/records.txt" 2>/dev/null || echo "  (none)"
  echo "requests at the update host (target, user agent, Range, If-Range, status, bytes sent):"
  tail -n +"$((requests_before + 1))" "$ZP_FLOW_REQUESTS" | sed 's/^/  /'
  echo "requests through the proxy:"
  tail -n +"$((proxy_before + 1))" "$RUN_OUT/tinyproxy.log" 2>/dev/null | grep -E 'Request \(|Established' | sed 's/^/  /' || true
  if [ -z "$RUN_OWN_INSTALLER" ]; then
    sleep 1
    [ -f "$temp/ZumiPhotoUpload.exe.started" ] && echo "installer started: yes" || echo "installer started: no"
  fi
  local ignore
  ignore=$("$build/wine-run.sh" reg query 'HKCU\SOFTWARE\ORVANE\ZumiPictavoEx\Updatesetting' /v IgnoreMD5Value 2>/dev/null | tr -d '\r' | awk '/IgnoreMD5Value/ {print $3}') || true
  echo "IgnoreMD5Value: ${ignore:-(not set)}"
  if [ -f "$status/exit.txt" ]; then
    local code
    code=$(tr -d '\r\n' <"$status/exit.txt")
    [ "$code" -gt 2147483647 ] && code=$((code - 4294967296))
    echo "exit status: $code"
  else
    echo "exit status: (no end within ${RUN_TIMEOUT}s)"
  fi
  echo
}

dos() { local p=$1; echo "Z:${p//\//\\}"; }

# The page in the page host, as a browser with the plug-in installed runs it:
# the page host finds the plug-in through its registration.
inner_page() {
  local shot="$RUN_OUT/page.png"
  rm -f "$shot"
  echo "=== page: $RUN_PAGE in the page host"
  "$build/wine-run.sh" regsvr32 /s "$(dos "$build/bin/npZumiPictavoEx.dll")"
  "$build/wine-run.sh" regsvr32 /s "$(dos "$build/bin/ZumiPictavoEx.dll")"
  # The desktop does not pass on its program's exit status: a batch file
  # keeps it.
  local batch="$RUN_OUT/page.cmd" exit_file="$RUN_OUT/page-exit.txt"
  rm -f "$exit_file"
  printf '@echo off\r\n"%s" --timeout %s --screenshot "%s" --origin "%s" "%s"\r\necho %%ERRORLEVEL%% > "%s"\r\n' \
    "$(dos "$build/bin/pagehost.exe")" "$RUN_PAGE_TIMEOUT" "$(dos "$shot")" "$RUN_ORIGIN" "$(dos "$RUN_PAGE")" \
    "$(dos "$exit_file")" >"$batch"
  "$build/wine-run.sh" explorer "/desktop=zp_run_page,1024x768,x11" cmd /c "$(dos "$batch")" 2>&1 |
    sed -u 's/^/  /' || true
  local status
  status=$(tr -d '\r\n ' <"$exit_file" 2>/dev/null || echo 1)
  [ -n "$status" ] || status=1
  "$build/wine-run.sh" regsvr32 /u /s "$(dos "$build/bin/ZumiPictavoEx.dll")" || true
  "$build/wine-run.sh" regsvr32 /u /s "$(dos "$build/bin/npZumiPictavoEx.dll")" || true
  if [ -f "$shot" ]; then echo "screenshot: $shot"; else echo "screenshot: none taken"; fi
  echo "page host exit status: $status"
  echo
  return "$status"
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wait_for_port() {
  local _
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# The maker's update host: nginx on a free loopback port, started and stopped
# here (no system service), serving the installer for every path and the
# proxy configuration script; its configuration, temporary folders and logs
# stay under $RUN_OUT/nginx. Sets ZP_FLOW_PORT, ZP_FLOW_REQUESTS (its access
# log: target, user agent, Range, If-Range, status, bytes sent) and
# UPDATE_HOST_PID.
start_update_host() {
  local dir="$RUN_OUT/nginx" port
  rm -rf "$dir" && mkdir -p "$dir/www" "$dir/temp" "$dir/logs"
  cp "$RUN_INSTALLER" "$dir/www/installer.exe"
  : >"$dir/logs/access.log"
  port=$(free_port)
  cat >"$dir/nginx.conf" <<NGINX
user root;
worker_processes 1;
daemon off;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 64; }
http {
  log_format requests escape=none '\$request_uri \$http_user_agent range=\$http_range if-range=\$http_if_range status=\$status sent=\$body_bytes_sent';
  access_log $dir/logs/access.log requests;
  client_body_temp_path $dir/temp/client;
  proxy_temp_path $dir/temp/proxy;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port default_server;
    root $dir/www;
    location = /proxy.pac { default_type application/x-ns-proxy-autoconfig; }
    location ~ missing { return 404; }
    location / { try_files /installer.exe =404; }
  }
}
NGINX
  nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/logs/error.log" &
  UPDATE_HOST_PID=$!
  if ! wait_for_port "$port"; then
    echo "the update host (nginx) did not start:" && cat "$dir/logs/error.log"
    return 1
  fi
  export ZP_FLOW_PORT=$port ZP_FLOW_REQUESTS="$dir/logs/access.log"
}

# --interrupt: scripts/cut_relay.py in front of the host resets the first
# whole-body transfer halfway. Sets RELAY_PORT and RELAY_PID.
start_cut_relay() {
  local port_file="$RUN_OUT/relay.port" _
  rm -f "$port_file" && : >"$RUN_OUT/relay.log"
  python3 "$root/scripts/cut_relay.py" --target "$ZP_FLOW_PORT" --port-file "$port_file" \
    --log "$RUN_OUT/relay.log" &
  RELAY_PID=$!
  for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.1; done
  RELAY_PORT=$(cat "$port_file" 2>/dev/null)
  [ -n "$RELAY_PORT" ] || { echo "the relay did not start"; return 1; }
}

# --pac: the host serves a configuration script naming the proxy; the
# prefix's settings name the script and no static proxy.
use_proxy_script() {
  local proxy_port=$1 settings=$2 url="http://127.0.0.1:$ZP_FLOW_PORT/proxy.pac"
  printf 'function FindProxyForURL(url, host) {\n  return "PROXY 127.0.0.1:%s; DIRECT";\n}\n' \
    "$proxy_port" >"$RUN_OUT/nginx/www/proxy.pac"
  "$build/wine-run.sh" reg add "$settings" /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null
  "$build/wine-run.sh" reg add "$settings" /v AutoConfigURL /d "$url" /f >/dev/null
  echo "proxy configuration script $url: $(tr '\n' ' ' <"$RUN_OUT/nginx/www/proxy.pac")"
}

# Whether the HTTP run of --interrupt or --pac started the installer and
# ended with status 0; prints the relay's record first.
network_run_outcome() {
  local temp="$RUN_WINEPREFIX/drive_c/users/$(id -un)/Temp" code
  if [ "$RUN_INTERRUPT" = 1 ]; then
    echo "relay in front of the update host:"
    sed 's/^/  /' "$RUN_OUT/relay.log"
  fi
  code=$(tr -d '\r\n' <"$RUN_OUT/status-http/exit.txt" 2>/dev/null || echo none)
  [ "$code" = 0 ] && [ -f "$temp/ZumiPhotoUpload.exe.started" ]
}

inner() {
  start_update_host || return 1
  local upstream=$ZP_FLOW_PORT
  if [ "$RUN_INTERRUPT" = 1 ]; then
    start_cut_relay || return 1
    upstream=$RELAY_PORT
  fi
  # A real proxy in front of the loopback host.
  local proxy_port
  proxy_port=$(free_port)
  : >"$RUN_OUT/tinyproxy.log"
  {
    echo "Port $proxy_port"
    echo "Listen 127.0.0.1"
    echo "Timeout 600"
    echo "MaxClients 20"
    echo "Allow 127.0.0.1"
    echo "LogFile \"$RUN_OUT/tinyproxy.log\""
    echo "LogLevel Info"
    [ "$RUN_DIRECT" = 1 ] || echo "Upstream http 127.0.0.1:$upstream"
  } >"$RUN_OUT/tinyproxy.conf"
  tinyproxy -d -c "$RUN_OUT/tinyproxy.conf" >/dev/null 2>&1 &
  local proxy=$!
  local settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
  trap "kill $proxy $UPDATE_HOST_PID ${RELAY_PID:-} 2>/dev/null || true; \"$build/wine-run.sh\" reg add '$settings' /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true; \"$build/wine-run.sh\" reg delete '$settings' /v ProxyServer /f >/dev/null 2>&1 || true; \"$build/wine-run.sh\" reg delete '$settings' /v AutoConfigURL /f >/dev/null 2>&1 || true" EXIT
  echo "update host (nginx) 127.0.0.1:$ZP_FLOW_PORT, proxy (tinyproxy) 127.0.0.1:$proxy_port"
  if [ "$RUN_INTERRUPT" = 1 ]; then echo "relay 127.0.0.1:$RELAY_PORT between the proxy and the host"; fi
  if [ "$RUN_PAC" = 1 ]; then
    use_proxy_script "$proxy_port" "$settings"
  else
    "$build/wine-run.sh" reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
    "$build/wine-run.sh" reg add "$settings" /v ProxyServer /d "127.0.0.1:$proxy_port" /f >/dev/null
  fi
  echo "parameter string: $RUN_PARAMS"
  echo
  if [ "$RUN_INTERRUPT" = 1 ] || [ "$RUN_PAC" = 1 ]; then
    inner_run http none
    network_run_outcome
    return
  fi
  inner_run engine com
  inner_run http none
}

if [ "${1:-}" = "--inner" ]; then
  inner || exit $?
  if [ "$RUN_INTERRUPT" = 1 ] || [ "$RUN_PAC" = 1 ]; then exit 0; fi
  inner_page
  exit $?
fi
# The control's whole life on a Wine desktop of a virtual X display, with
# version 2's installer at the update host.
run_lifecycle() {
  cmake --build "$build" -j2 --target ZumiPictavoUpdateSvr logview update_run close_window \
    npZumiPictavoEx pagehost control_setups
  mkdir -p "$out/lifecycle"
  "$build/wine-run.sh" --start
  local status=0
  python3 "$root/tests/update_flow/flow_server.py" --installer "$build/bin/ZumiPictavoEx-setup-2.exe" -- \
    xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/lifecycle.sh" "$build" "$page" "$out/lifecycle" ||
    status=$?
  "$build/wine-run.sh" --stop
  return $status
}

if [ "${1:-}" = "--inner-page" ]; then
  inner_page
  exit $?
fi

url=http://update.orvane.com/ZumiPhotoUpload.exe md5= forced=0 answer=ok installer= direct=0
message="A new version of the photo upload control is ready. Install it now?"
out="$build/run"
page= page_only=0 origin=https://www.orvane.com interrupt=0 pac=0 lifecycle=0
while [ $# -gt 0 ]; do
  case "$1" in
    --url) url=$2; shift 2 ;;
    --md5) md5=$2; shift 2 ;;
    --message) message=$2; shift 2 ;;
    --forced) forced=$2; shift 2 ;;
    --answer) answer=$2; shift 2 ;;
    --installer) installer=$2; shift 2 ;;
    --direct) direct=1; shift ;;
    --out) out=$2; shift 2 ;;
    --page) page=$2; shift 2 ;;
    --page-only) page_only=1; shift ;;
    --origin) origin=$2; shift 2 ;;
    --interrupt) interrupt=1; shift ;;
    --pac) pac=1; shift ;;
    --lifecycle) lifecycle=1; shift ;;
    -h|--help) sed -n '2,42p' "$0"; exit 0 ;;
    *) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done

# Set-up and build, when needed.
if ! command -v tinyproxy >/dev/null || ! command -v nginx >/dev/null || ! command -v wine >/dev/null ||
  ! command -v xvfb-run >/dev/null || ! command -v import >/dev/null || ! command -v makensis >/dev/null ||
  [ ! -f "$root/.deps/curl/lib/libcurl.a" ]; then
  "$root/scripts/setup.sh"
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ "$lifecycle" = 1 ]; then
  [ -n "$page" ] || page="$root/examples/lifecycle.html"
  mkdir -p "$out" && out=$(cd "$out" && pwd)
  run_lifecycle
  exit $?
fi
[ -n "$page" ] || page="$root/examples/upload.html"
cmake --build "$build" -j2 --target ZumiPictavoUpdateSvr Orvanedl brimcore sample_installer logview update_run \
  npZumiPictavoEx ZumiPictavoExFixture pagehost

own_installer=1
[ -n "$installer" ] || { installer="$build/bin/sample_installer.exe"; own_installer=; }
[ -n "$md5" ] || md5=$(md5sum "$installer" | cut -d' ' -f1)
mkdir -p "$out"
out=$(cd "$out" && pwd)

export RUN_PARAMS="$url|$md5|1.0.0.2|$message|$forced" RUN_ANSWER="$answer" RUN_OUT="$out"
export RUN_DIRECT="$direct" RUN_OWN_INSTALLER="$own_installer" RUN_TIMEOUT="${RUN_TIMEOUT:-600}"
export RUN_INSTALLER="$installer" RUN_INTERRUPT="$interrupt" RUN_PAC="$pac"
export RUN_WINEPREFIX="$build/wineprefix"
export RUN_PAGE="$(cd "$(dirname "$page")" && pwd)/$(basename "$page")"
export RUN_PAGE_TIMEOUT="${RUN_PAGE_TIMEOUT:-60}" RUN_ORIGIN="$origin"
"$build/wine-run.sh" --start
status=0
if [ "$page_only" = 1 ]; then
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inner-page || status=$?
else
  env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u no_proxy \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inner || status=$?
fi
# Ends what the runs left in the prefix (the engine's server among them).
"$build/wine-run.sh" --stop
exit $status
