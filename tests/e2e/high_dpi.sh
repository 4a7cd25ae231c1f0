#!/usr/bin/env bash
# The window's 96-dpi sizes at 144 dpi: the desktop's LogPixels is set to 144, the Wine
# server restarted so that every process sees it, and the window test run again; status-bar
# edges, margin and font must be half again as large as at 96 dpi. The dialog texts are
# also checked at 192 dpi. The server is restarted at 96 dpi afterwards, detached from
# ctest's pipes as scripts/test starts it.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"
win_tests="$(dirname "$vemora")/win_tests.exe"

set_dpi() {
  "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  "$wine_run" cmd /c exit </dev/null >/dev/null 2>&1 || true
}
restore() {
  local status=$?
  set_dpi 96
  cleanup "$status"
}
trap restore EXIT
trap 'exit 1' INT TERM  # a stopped run still puts the 96 dpi back

report() { # dpi [gtest filter]
  VEMORA_EXPECTED_DPI=$1 VEMORA_DPI_REPORT="$(windows_path "$work/$1.txt")" \
    "$wine_run" "$win_tests" --gtest_filter="${2:-HighDpi.*}" --gtest_brief=1 >"$work/$1.log" 2>&1 ||
    { cat "$work/$1.log" >&2; fail "the window test failed at $1 dpi"; }
}
report 96
set_dpi 144
report 144
# Glyphs grow in steps of their own: the dialog texts are checked at twice the size too.
set_dpi 192
report 192 'HighDpi.*Dialog*'
read -r edge96 last96 margin96 height96 font96 < <(tr -d '\r' <"$work/96.txt")
read -r edge144 last144 margin144 height144 font144 < <(tr -d '\r' <"$work/144.txt")

[ "$edge144" -eq $((edge96 * 3 / 2)) ] || fail "first status edge $edge144 at 144 dpi, $edge96 at 96"
[ "$last144" -eq $((last96 * 3 / 2)) ] || fail "last status edge $last144 at 144 dpi, $last96 at 96"
[ "$margin144" -ge $((margin96 * 3 / 2)) ] || fail "margin $margin144 at 144 dpi, $margin96 at 96"
diff=$((font144 * 2 - font96 * 3))  # heights are negative: MulDiv rounds half away from 0
[ "${diff#-}" -le 1 ] || fail "font height $font144 at 144 dpi, $font96 at 96"
# Glyph cells round on their own; half again as high within two pixels.
diff=$((height144 - height96 * 3 / 2))
[ "${diff#-}" -le 2 ] || fail "character height $height144 at 144 dpi, $height96 at 96"
echo "high dpi: ok (edges $edge96/$edge144, margin $margin96/$margin144, height $height96/$height144)"
