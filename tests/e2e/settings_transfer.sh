#!/usr/bin/env bash
# Settings carried out and back and cleared in the running program, the dialogs answered
# as a user would: the export is a copy of the INI file; a restore ends the program and
# what it restored survives the exit; clearing removes the settings key, keeps the maker
# key and is not undone by a save at exit.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

app="$work/app"
mkdir "$app"
cp "$vemora" "$app/vemora.exe"
printf 'x\r\n' >"$work/doc.txt"
document=$(winepath -w "$work/doc.txt" 2>/dev/null)
win_path() { winepath -w "$1" 2>/dev/null; }
probe() { "$wine_run" "$probe" "$@" 2>/dev/null | tr -d '\r'; }
start_viewer() {
  "$wine_run" "$app/vemora.exe" "$document" >/dev/null 2>&1 &
  viewer=$!
  probe wait-title "doc.txt - Vemora" 60000 >/dev/null || fail "the viewer did not start"
}
wait_for_end() {
  for _ in $(seq 100); do kill -0 "$viewer" 2>/dev/null || { viewer=; return 0; }; sleep 0.1; done
  fail "$1: the program is still running"
}
registry_key() { "$wine_run" reg query "$1" >/dev/null 2>&1; }

# INI mode: export a copy, then restore another machine's file named in capitals.
printf '#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nReg=1\r\nExtSet=1\r\n' >"$app/Vemora.ini"
start_viewer
probe command 40086
probe answer "設定ファイルの保存" 1 "$(win_path "$work/backup.ini")" >/dev/null || fail "no save dialog"
for _ in $(seq 50); do [ -s "$work/backup.ini" ] && break; sleep 0.1; done
cmp -s "$app/Vemora.ini" "$work/backup.ini" || fail "the export is not a copy of Vemora.ini"
grep -q '^WinWidth=' "$app/Vemora.ini" || fail "the settings were not saved before the export"

printf '#\r\n\r\n[Vemora]\r\nRegVer=91\r\n\r\n[Vemora\\Options]\r\nReg=1\r\nHistNum=2\r\nExtSet=1\r\n' >"$work/OTHER.INI"
probe command 40087
probe answer "設定をファイルから復元" 1 "$(win_path "$work/OTHER.INI")" >/dev/null || fail "no open dialog"
text=$(probe answer "Vemora" 1) || fail "no restart message"
[ "$text" = "設定をファイルから復元するためには、Vemoraを再起動してください。" ] || fail "message: $text"
wait_for_end "after a restore"
cmp -s "$app/Vemora.ini" "$work/OTHER.INI" || fail "the restored file was overwritten at exit"

# Registry mode: a first run stores the settings, a second clears them.
rm "$app/Vemora.ini"
"$wine_run" reg delete 'HKCU\Software\Kelm' /f >/dev/null 2>&1 || true
start_viewer
probe close >/dev/null
viewer=
registry_key 'HKCU\Software\Kelm\Vemora\Options\Ext0' || fail "nothing stored in the registry"
start_viewer
probe command 40033
probe answer "全設定の消去" 1 >/dev/null || fail "no confirmation dialog"
wait_for_end "after clearing"
registry_key 'HKCU\Software\Kelm\Vemora' && fail "the settings key is still there"
registry_key 'HKCU\Software\Kelm' || fail "the maker key was removed"
[ ! -e "$app/Vemora.ini" ] || fail "an INI file appeared"
echo "settings transfer: ok"
