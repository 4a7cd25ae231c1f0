#!/usr/bin/env bash
# Text piped to the viewer is shown untitled with no encoding facts, and F1 opens the
# help window with the help file's title at the contents topic.
set -euo pipefail
source "$(dirname "$0")/viewer_session.bash" "$1"

cp "$vemora" "$work/vemora.exe"
cp "$(dirname "$vemora")/vemora.chm" "$work/vemora.chm"
printf '#\r\n\r\n[Vemora]\r\nRegVer=90\r\n\r\n[Vemora\\Options]\r\nUI=0\r\nReg=1\r\nExtSet=1\r\n' >"$work/Vemora.ini"

# "パイプで渡した文章" and a second line, in Shift_JIS.
printf '\x83\x70\x83\x43\x83\x76\x82\xc5\x93\x6e\x82\xb5\x82\xbd\x95\xb6\x8f\xcd\r\nline 2\r\n' |
  "$wine_run" "$work/vemora.exe" >/dev/null 2>>"$viewer_log" &
viewer=$!
"$wine_run" "$probe" wait-title "(無題) - Vemora" 60000 || fail "piped text is not shown untitled"
status() { "$wine_run" "$probe" status "$1" | tr -d '\r'; }
[ "$(status 2)" = "先頭:1行目" ] || fail "top line: $(status 2)"
[ -z "$(status 0)" ] || fail "encoding part: $(status 0)"
[ -z "$(status 1)" ] || fail "line-end part: $(status 1)"

window=$(wait_for_window '無題' 50)
[ -n "$window" ] || fail "no window on the display"
focus_window "$window"
xdotool key F1
help=$(wait_for_window 'Vemora ヘルプ' 100)
[ -n "$help" ] || fail "F1 did not open the help window"
context=$("$wine_run" "$probe" help-context | tr -d '\r')
[ "$context" = 2 ] || fail "F1 asked for the help topic $context, not the contents (2)"
echo "standard input and help: ok"
