#!/usr/bin/env bash
# Both settings dialogs opened from the options menu on the display: a new file type
# with a pattern and a tab width, a key and two options on the environment sheet. Each
# change is confirmed, found in Vemora.ini beside the program after exit, and in effect
# after a restart.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

printf 'one\r\ntwo\r\n' >"$work/notes.txt"
cp "$vemora" "$work/vemora.exe"
# An INI file beside the program is read first; Reg=1 keeps the settings there at exit.
{
  printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\n'
  printf '\r\n[Vemora\\Options\\Ext0]\r\nName=%s\r\n' '\8B\A4\92\CA\90\DD\92\E8' # 共通設定
} >"$work/Vemora.ini"
file=$(windows_path "$work/notes.txt")
p() { "$wine_run" "$probe" "$@"; }

start_viewer() {
  "$wine_run" "$work/vemora.exe" "$file" </dev/null >/dev/null 2>>"$viewer_log" &
  viewer=$!
  p wait-title notes.txt 60000 || fail "the viewer did not show the file"
}

# Opens a dialog from the options menu with the keyboard, as a user does, and waits for it.
open_from_menu() { # item's access key, caption
  local window
  window=$(wait_for_window 'notes.txt - Vemora' 50)
  [ -n "$window" ] || fail "no viewer window on the display"
  focus_window "$window"
  xdotool key alt+o
  p wait-menu 10000 || fail "Alt+O opened no menu"
  xdotool key "$1"
  p wait-dialog "$2" 10000 || fail "the options menu's item $1 did not open $2"
}

# Answers a one-line input box and waits until it is gone.
answer() { # caption, text
  p wait-dialog "$1" 10000 || fail "no input box $1"
  p set-text "$1" 1000 "$2"
  p click "$1" 1
  p wait-closed "$1" 10000 || fail "input box $1 stayed open"
}

start_viewer
selector=$(p control-text 40038 | tr -d "\r")
[ "$selector" = "共通設定" ] || fail "the common entry is not in effect: $selector"

types='ファイルタイプ別の設定'
open_from_menu f "$types"
p click "$types" 1018
answer '新しい設定の名前' Notes
p click "$types" 1021
answer 'ファイル名' '*.txt'
p set-text "$types" 1026 4
p click "$types" 1
p wait-closed "$types" 10000 || fail "the file-type dialog stayed open"
[ "$(p control-text 40038 | tr -d '\r')" = Notes ] || fail "notes.txt is not shown with the new type"

sheet='環境設定'
open_from_menu s "$sheet"
p select "$sheet" 1092 4   # F5
p select "$sheet" 1096 32  # 再表示
p sheet-page "$sheet" 1
p set-text "$sheet" 1056 9
p set-text "$sheet" 1060 '#'
p click "$sheet" 1
p wait-closed "$sheet" 10000 || fail "the environment sheet stayed open"

p close >/dev/null
wait "$viewer" || fail "the viewer ended with $?"
viewer=

ini=$(tr -d '\r' <"$work/Vemora.ini")
expect_line() { grep -qxF -- "$1" <<<"$ini" || fail "Vemora.ini lacks the line $1"; }
expect_line 'ExtSet=2'
expect_line 'HistNum=9'
expect_line 'Quote=#'
expect_line 'Keys=34'
grep -qF 'KeyTable=' <<<"$ini" && grep 'KeyTable=' <<<"$ini" | grep -qF '\03\00t\00F\9C' ||
  fail "F5 is not bound to the redraw command in the stored key table"
ext1=$(sed -n '/^\[Vemora\\Options\\Ext1\]$/,/^$/p' <<<"$ini")
grep -qxF 'Name=Notes' <<<"$ext1" || fail "the new type is not stored: $ext1"
grep -qxF 'Ext=*.txt\00' <<<"$ext1" || fail "its pattern is not stored"
grep -qxF 'Tab=4' <<<"$ext1" || fail "its tab width is not stored"

# After a restart the file falls under the stored type again.
start_viewer
[ "$(p control-text 40038 | tr -d '\r')" = Notes ] || fail "the stored type is not in effect after a restart"
p close >/dev/null
wait "$viewer" || fail "the viewer ended with $?"
viewer=
echo "settings dialogs: ok"
