#!/usr/bin/env bash
# The release zip, unpacked into an empty folder, holds what a Windows user needs, and
# both programs run from there: the viewer shows a Shift_JIS file and finds its help file
# beside it, vemorainfo reports the file.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

zip=$("$top/scripts/package" 2>"$work/package.log" | tail -n 1) || { tail -n 20 "$work/package.log" >&2; fail "scripts/package failed"; }
[ -f "$zip" ] || fail "scripts/package wrote no zip"
folder="$work/Vemora"
mkdir "$folder"
unzip -q "$zip" -d "$folder"
contents=$(cd "$folder" && ls | sort | tr '\n' ' ')
[ "$contents" = "LICENSE-MinGW-w64.txt LICENSE-Oniguruma.txt LICENSE.txt README.txt vemora.chm vemora.exe vemorainfo.exe " ] ||
  fail "the zip holds: $contents"

grep -q 'Copyright (c) [0-9]* the Vemora developers' "$folder/LICENSE.txt" || fail "project licence"
grep -q 'Oniguruma LICENSE' "$folder/LICENSE-Oniguruma.txt" || fail "Oniguruma's licence notice"
# The statically linked runtime's parts each have their own notice.
for part in 'mingw-w64-crt/crt/' 'mingw-w64-crt/gdtoa/' 'mingw-w64-libraries/winpthreads/' \
  'Redistributions in binary form must reproduce'; do
  grep -qF "$part" "$folder/LICENSE-MinGW-w64.txt" || fail "LICENSE-MinGW-w64.txt lacks $part"
done
grep -q $'\r$' "$folder/LICENSE-MinGW-w64.txt" || fail "LICENSE-MinGW-w64.txt has no CR LF line ends"
[ "$(head -c 3 "$folder/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README has no BOM"
grep -q $'\r$' "$folder/README.txt" || fail "README has no CR LF line ends"
for heading in '■ キー操作' '■ 設定の保存場所' '■ 別の文字エンコーディングで開き直すには' \
  '* Keys (three presets)' '* Where settings are kept' '* Reopening a file in another encoding' \
  'LICENSE-MinGW-w64.txt'; do
  grep -qF "$heading" "$folder/README.txt" || fail "README lacks: $heading"
done

# The document sits outside the program's folder, as a user's files do.
cp "$top/tests/data/sjis-kanshu.txt" "$work/doc.txt"
document=$(windows_path "$work/doc.txt")
report=$(cd "$folder" && "$wine_run" ./vemorainfo.exe "$document" 2>/dev/null | tr -d '\r')
[ "$report" = "$document"$'\t'"SHIFT-JIS"$'\t'"CR-LF" ] || fail "vemorainfo.exe from the zip: $report"

"$wine_run" "$folder/vemora.exe" "$document" >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-title "doc.txt - Vemora" 60000 || fail "vemora.exe from the zip shows no file"
[ "$("$wine_run" "$probe" status 0 | tr -d '\r')" = "SHIFT-JIS" ] || fail "encoding part"
window=$(wait_for_window 'doc.txt' 50)
[ -n "$window" ] || fail "no window on the display"
focus_window "$window"
xdotool key F1
[ -n "$(wait_for_window 'Vemora ヘルプ' 100)" ] || fail "the help file beside vemora.exe does not open"
echo "release zip: ok"
