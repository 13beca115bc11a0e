#!/usr/bin/env bash
# Registers the plug-in and the stand-in control with regsvr32, as their
# installers would, runs a page in pagehost.exe without --dll, as served from
# the maker's site, and takes both registrations away again.
#   run_registered.sh WINE_RUN BIN_DIR PAGE.html
set -uo pipefail
wine_run=$1 bin=$2 page=$3
here=$(cd "$(dirname "$0")" && pwd)
dlls=("Z:${bin//\//\\}\\ZumiPictavoEx.dll" "Z:${bin//\//\\}\\npZumiPictavoEx.dll")
unregister() { for dll in "${dlls[@]}"; do "$wine_run" regsvr32 /s /u "$dll"; done; }
trap unregister EXIT
for dll in "${dlls[@]}"; do "$wine_run" regsvr32 /s "$dll" || exit 1; done
"$here/run_page.sh" "$wine_run" "$bin/pagehost.exe" "$page" 0 "registered plug-in: ok" "ledger clean" \
  -- --origin https://www.orvane.com
