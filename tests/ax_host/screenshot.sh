#!/usr/bin/env bash
# Takes the picture of the hosted fixture control.
#   screenshot.sh WINE_RUN PROGRAM OUTPUT.png
# The program draws the window tree itself (WM_PRINT), so the picture does not
# depend on the prefix's graphics driver.
set -euo pipefail
wine_run=$1 program=$2 output=$3
mkdir -p "$(dirname "$output")"
rm -f "$output"
timeout 90 "$wine_run" "$program" "Z:${output//\//\\}"
test -s "$output"
