#!/usr/bin/env bash
# Gives the test prefix a font with Chinese glyphs (Debian's fonts-wqy-zenhei)
# and makes "宋体" (SimSun), the face the update service's dialog asks for,
# resolve to it, so Chinese text renders as characters rather than boxes.
set -euo pipefail
font=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
face="WenQuanYi Zen Hei"
if [ ! -f "$font" ]; then
  echo "20-fonts.sh: $font is missing (package fonts-wqy-zenhei)" >&2
  exit 0
fi
fonts_dir="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts_dir"
cp -f "$font" "$fonts_dir/wqy-zenhei.ttc"
# The names are not ASCII, so they go through a UTF-16 .reg file rather than
# the command line, whose encoding depends on the locale. Plain wine: this
# runs while the wrapper ($WINE_RUN) holds the prefix lock. WINEPREFIX is
# exported by the wrapper.
reg_file="$WINEPREFIX/drive_c/font-substitutes.reg"
python3 - "$reg_file" "$face" <<'PY'
# -*- coding: utf-8 -*-
import sys
path, face = sys.argv[1], sys.argv[2]
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
for name in ("宋体", "SimSun", "新宋体", "NSimSun"):
    lines.append('"%s"="%s"' % (name, face))
with open(path, "w", encoding="utf-16") as f:
    f.write("\r\n".join(lines) + "\r\n")
PY
wine regedit /S 'C:\font-substitutes.reg' >/dev/null 2>&1 || true
rm -f "$reg_file"
