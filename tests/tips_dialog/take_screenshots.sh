#!/usr/bin/env bash
# Screenshots of the notification dialog in both modes on a virtual X display
# (Xvfb). The graphics driver belongs to a Wine desktop, not to a program, so
# the snapshot program runs on a desktop of its own with the X11 driver while
# the rest of the prefix keeps the null driver.
#   take_screenshots.sh WINE_RUN SNAPSHOT_EXE OUTPUT_DIR
# Exits 77 (skipped) when Xvfb is not installed.
set -euo pipefail
wine_run=$1 snapshot_exe=$2 out_dir=$3
here=$(cd "$(dirname "$0")" && pwd)
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed"; exit 77; }

# Wine maps the Unix root to drive Z:.
exe_dos="Z:${snapshot_exe//\//\\}"
mkdir -p "$out_dir"
cd "$out_dir"
rm -f tips_dialog_mode*.png tips_dialog_mode*_layout.txt
for mode in 0 1; do
  timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$wine_run" explorer "/desktop=zp_screenshots_$mode,800x600,x11" "$exe_dos" "$mode" "tips_dialog_mode$mode"
done

for mode in 0 1; do
  for file in composed.png screen.png layout.txt; do
    [ -s "tips_dialog_mode${mode}_$file" ] || { echo "missing tips_dialog_mode${mode}_$file"; exit 1; }
  done
  python3 "$here/check_screenshots.py" "tips_dialog_mode${mode}_composed.png" "tips_dialog_mode${mode}_screen.png" \
    "tips_dialog_mode${mode}_layout.txt" "$mode"
done
echo "screenshots in $out_dir"
